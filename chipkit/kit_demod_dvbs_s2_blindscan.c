#include "kit_demod_dvbs_s2_blindscan.h"

#include "kit_demod.h"
#include "kit_demod_dvbs_s2.h"
#include "kit_math.h"

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))
#define T(reg, value) {KIT_DEMOD_SLVT, (reg), (value), 0xFF, 0}

enum {
    SEARCH_TUNE_KHZ = 1000000,
    SEARCH_TUNE_KSPS = 20000,
    CF_FINE_LIMIT = 0x100000,  // 21-bit two's complement of the negated word
};

static kit_result_t checked(kit_demod_t* demod)
{
    return demod && demod->i2c ? KIT_RESULT_OK : KIT_RESULT_ERROR_ARG;
}

static kit_result_t writeIn(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t value)
{
    kit_result_t r = checked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, reg, value);
}

static kit_result_t readIn(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length)
{
    kit_result_t r = checked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, reg, data, length);
}

static kit_result_t readBit0(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* bit)
{
    if (!bit)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b = 0;
    const kit_result_t r = readIn(demod, bank, reg, &b, 1);
    if (r == KIT_RESULT_OK)
        *bit = b & 0x01;
    return r;
}

kit_result_t kit_demod_dvbs_s2_blindscan_Initialize(kit_demod_t* demod)
{
    if (!demod)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = KIT_RESULT_OK;
    if (demod->state == KIT_DEMOD_STATE_ACTIVE)
        r = kit_demod_Sleep(demod);
    const kit_dvbs_s2_tune_param_t param = {KIT_DTV_SYSTEM_ANY, SEARCH_TUNE_KHZ, SEARCH_TUNE_KSPS};
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_Tune(demod, &param);
    if (r != KIT_RESULT_OK)
        return r;
    demod->satState = 1;
    const kit_demod_reg_step_t search[] = {
        T(0x00, 0x00), T(0x2B, 0x00),
        T(0x00, 0xAE), T(0x24, 0x01), T(0x2E, 0x05),
        T(0x00, 0xA3), T(0xBD, 0x00),
    };
    return kit_demod_WriteSequence(demod, search, COUNT(search));
}

kit_result_t kit_demod_dvbs_s2_blindscan_SetSampleMode(kit_demod_t* demod, uint8_t on)
{
    return writeIn(demod, 0x00, 0x24, on ? 1 : 0);
}

// The I/Q inversion of the satellite path applies to the engine too.
static kit_result_t engineInversion(kit_demod_t* demod, uint8_t on)
{
    uint8_t inverted = 0;
    kit_result_t r = kit_demod_dvbs_s2_CheckIQInvert(demod, &inverted);
    if (r != KIT_RESULT_OK || !inverted)
        return r;
    r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0xA0);
    return r != KIT_RESULT_OK ? r : kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0xD7, on, 0x01);
}

static kit_result_t engine(kit_demod_t* demod, uint8_t enable, uint8_t mode)
{
    kit_result_t r = writeIn(demod, 0xA0, 0x56, enable);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x57, mode);
}

kit_result_t kit_demod_dvbs_s2_blindscan_PS_INIT(kit_demod_t* demod, uint8_t mode)
{
    kit_result_t r = kit_demod_dvbs_s2_blindscan_SetSampleMode(demod, 1);
    if (r == KIT_RESULT_OK)
        r = engine(demod, 0x01, mode & 0x07);
    if (r == KIT_RESULT_OK)
        r = writeIn(demod, 0xAB, 0xF9, 0x00);
    return r != KIT_RESULT_OK ? r : engineInversion(demod, 1);
}

kit_result_t kit_demod_dvbs_s2_blindscan_PS_FIN(kit_demod_t* demod)
{
    kit_result_t r = kit_demod_dvbs_s2_blindscan_SetSampleMode(demod, 0);
    if (r == KIT_RESULT_OK)
        r = engine(demod, 0x00, 0x02);
    if (r == KIT_RESULT_OK)
        r = writeIn(demod, 0xAB, 0xF9, 0x01);
    return r != KIT_RESULT_OK ? r : engineInversion(demod, 0);
}

kit_result_t kit_demod_dvbs_s2_blindscan_CS_INIT(kit_demod_t* demod)
{
    const kit_result_t r = engine(demod, 0x01, 0x01);
    return r != KIT_RESULT_OK ? r : engineInversion(demod, 1);
}

kit_result_t kit_demod_dvbs_s2_blindscan_CS_FIN(kit_demod_t* demod)
{
    const kit_result_t r = engine(demod, 0x00, 0x02);
    return r != KIT_RESULT_OK ? r : engineInversion(demod, 0);
}

// Division rounded towards plus infinity (for the sweep's upper edge and step).
static int64_t divUp(int64_t n, int64_t d)
{
    const int64_t q = n / d;
    return q * d < n ? q + 1 : q;
}

kit_result_t kit_demod_dvbs_s2_blindscan_PS_SET(kit_demod_t* demod, int32_t lowKHz, int32_t highKHz,
                                                uint32_t stepKHz, uint32_t clockKHz)
{
    if (clockKHz == 0)
        return KIT_RESULT_ERROR_ARG;
    const int64_t low = (int64_t)lowKHz * 2048 / (int64_t)clockKHz;
    const int64_t high = divUp((int64_t)highKHz * 2048, clockKHz);
    const int64_t step = divUp((int64_t)stepKHz * 2048, clockKHz);
    // 11-bit signed offsets and a 10-bit step.
    if (low < -1024 || low > 1023 || high < -1024 || high > 1023 || step < 1 || step > 1023)
        return KIT_RESULT_ERROR_RANGE;
    const uint8_t data[6] = {
        (uint8_t)((low >> 8) & 0x07),  (uint8_t)low,  (uint8_t)((high >> 8) & 0x07),
        (uint8_t)high,                 (uint8_t)((step >> 8) & 0x03), (uint8_t)step,
    };
    kit_result_t r = checked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0xAB);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xF1, data, 6);
}

kit_result_t kit_demod_dvbs_s2_blindscan_PS_START(kit_demod_t* demod)
{
    return writeIn(demod, 0xA0, 0x54, 0x01);
}

kit_result_t kit_demod_dvbs_s2_blindscan_PS_RACK(kit_demod_t* demod)
{
    return writeIn(demod, 0xA0, 0x55, 0x01);
}

kit_result_t kit_demod_dvbs_s2_blindscan_GetCSFIN(kit_demod_t* demod, uint8_t* finished)
{
    return readBit0(demod, 0xA0, 0x40, finished);
}

kit_result_t kit_demod_dvbs_s2_blindscan_GetCSRDEND(kit_demod_t* demod, uint8_t* readEnd)
{
    return readBit0(demod, 0xAB, 0x44, readEnd);
}

kit_result_t kit_demod_dvbs_s2_blindscan_GetCSINFO(kit_demod_t* demod, int32_t* offset, uint32_t* power)
{
    if (!offset || !power)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[4] = {0, 0, 0, 0};
    const kit_result_t r = readIn(demod, 0xAB, 0x40, b, 4);
    if (r != KIT_RESULT_OK)
        return r;
    *offset = kit_Convert2SComplement(((uint32_t)(b[0] & 0x07) << 8) | b[1], 11);
    *power = ((uint32_t)(b[2] & 0x0F) << 8) | b[3];
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_GetPSPow(kit_demod_t* demod, uint16_t* power)
{
    if (!power)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readIn(demod, 0xA0, 0x52, b, 2);
    if (r == KIT_RESULT_OK)
        *power = (uint16_t)(((b[0] & 0x0F) << 8) | b[1]);
    return r;
}

kit_result_t kit_demod_dvbs_s2_blindscan_GetSRSFIN(kit_demod_t* demod, uint8_t* finished)
{
    return readBit0(demod, 0xAE, 0x10, finished);
}

kit_result_t kit_demod_dvbs_s2_blindscan_CheckTRLLock(kit_demod_t* demod, uint8_t* locked)
{
    return readBit0(demod, 0xA0, 0x10, locked);
}

kit_result_t kit_demod_dvbs_s2_blindscan_SetCFFine(kit_demod_t* demod, int32_t offsetKHz)
{
    // w = offset x 2^20 / 64 MHz, nearest, halves away from zero; the chip takes -w.
    const int64_t scaled = (int64_t)offsetKHz * 1048576;
    const int64_t magnitude = ((scaled < 0 ? -scaled : scaled) * 2 + KIT_DVBS_S2_CLOCK_LOW_KHZ) /
                              (2 * KIT_DVBS_S2_CLOCK_LOW_KHZ);
    const int64_t w = scaled < 0 ? -magnitude : magnitude;
    if (w <= -CF_FINE_LIMIT || w > CF_FINE_LIMIT)
        return KIT_RESULT_ERROR_RANGE;
    const uint32_t word = (uint32_t)(-w) & 0x1FFFFF;
    const uint8_t data[3] = {(uint8_t)(word >> 16), (uint8_t)(word >> 8), (uint8_t)word};
    kit_result_t r = checked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0xA0);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xCA, data, 3);
}

kit_result_t kit_demod_dvbs_s2_blindscan_SetSymbolRateRatio(kit_demod_t* demod, uint32_t low, uint32_t high)
{
    if (low >= 1024 || high >= 1024)
        return KIT_RESULT_ERROR_ARG;
    const uint8_t data[4] = {(uint8_t)(high >> 8), (uint8_t)high, (uint8_t)(low >> 8), (uint8_t)low};
    kit_result_t r = checked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0xAE);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0x28, data, 4);
}

kit_result_t kit_demod_dvbs_s2_blindscan_SetTSOut(kit_demod_t* demod, uint8_t on)
{
    return writeIn(demod, 0x00, 0xC3, on ? 0x00 : 0x01);
}
