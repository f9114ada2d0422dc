#include "kit_demod_dvbs_s2.h"

#include "kit_demod.h"
#include "kit_demod_dvbs_s2_monitor.h"
#include "kit_demod_output.h"

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))
#define T(reg, value) {KIT_DEMOD_SLVT, (reg), (value), 0xFF, 0}
#define X(reg, value) {KIT_DEMOD_SLVX, (reg), (value), 0xFF, 0}
#define T_BITS(reg, value, mask) {KIT_DEMOD_SLVT, (reg), (value), (mask), 0}

enum { SYSTEM_SELECT_DVBS = 0x0A, SYSTEM_SELECT_DVBS2 = 0x0B, SYSTEM_SELECT_SLEEP = 0x01 };

static int isSatellite(kit_dtv_system_t system)
{
    return system == KIT_DTV_SYSTEM_DVBS || system == KIT_DTV_SYSTEM_DVBS2 || system == KIT_DTV_SYSTEM_ANY;
}

static kit_result_t symbolRateWord(uint32_t symbolRateKSps, uint32_t* word)
{
    // Refused before multiplying: a rate past the register must not wrap into one that fits.
    if (symbolRateKSps == 0 || symbolRateKSps > KIT_DVBS_S2_SYMBOL_RATE_MAX_KSPS)
        return KIT_RESULT_ERROR_RANGE;
    *word = (uint32_t)(((uint64_t)symbolRateKSps * 16384u + 500u) / 1000u);
    return KIT_RESULT_OK;
}

static kit_result_t writeSymbolRate(kit_demod_t* demod, uint32_t symbolRateKSps)
{
    uint32_t word = 0;
    kit_result_t r = symbolRateWord(symbolRateKSps, &word);
    if (r != KIT_RESULT_OK)
        return r;
    const uint8_t data[3] = {(uint8_t)((word >> 16) & 0x0F), (uint8_t)(word >> 8), (uint8_t)word};
    r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0xAE);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0x20, data, 3);
}

kit_result_t kit_demod_dvbs_s2_SetSymbolRate(kit_demod_t* demod, uint32_t symbolRateKSps)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return writeSymbolRate(demod, symbolRateKSps);
}

// ---- Transitions ----

static kit_result_t sleepToActive(kit_demod_t* demod, const void* p)
{
    const kit_dvbs_s2_tune_param_t* param = (const kit_dvbs_s2_tune_param_t*)p;
    kit_result_t r = kit_demod_SetTSClockModeAndFreq(demod, KIT_DTV_SYSTEM_DVBS);
    if (r != KIT_RESULT_OK)
        return r;
    if (!isSatellite(param->system))
        return KIT_RESULT_ERROR_ARG;
    const uint8_t any = param->system == KIT_DTV_SYSTEM_ANY;
    const kit_demod_reg_step_t start[] = {
        X(0x00, 0x00),
        X(0x17, param->system == KIT_DTV_SYSTEM_DVBS ? SYSTEM_SELECT_DVBS : SYSTEM_SELECT_DVBS2),
        T(0x00, 0x00), T(0x2D, any), T(0xA9, 0x00), T(0x2C, 0x01),
        X(0x28, 0x31), T(0x4B, 0x31), T(0x6A, 0x00), X(0x18, 0x00),
        T(0x00, 0x00), T(0x20, 0x01),
        T(0x00, 0xA0), T(0xD7, 0x00),
    };
    r = kit_demod_WriteSequence(demod, start, COUNT(start));
    if (r == KIT_RESULT_OK)
        r = writeSymbolRate(demod, param->symbolRateKSps);
    const kit_demod_reg_step_t end[] = {T(0x00, 0x00), T_BITS(0x80, 0x10, 0x1F)};
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteSequence(demod, end, COUNT(end));
    return r != KIT_RESULT_OK ? r : kit_demod_SetTSDataPinHiZ(demod, 0);
}

// Same system, normal configuration: the chip stays in its mode.
static kit_result_t retune(kit_demod_t* demod, const void* p)
{
    const kit_dvbs_s2_tune_param_t* param = (const kit_dvbs_s2_tune_param_t*)p;
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xC3, 0x01);
    return r != KIT_RESULT_OK ? r : writeSymbolRate(demod, param->symbolRateKSps);
}

static kit_result_t activeToSleep(kit_demod_t* demod)
{
    const kit_demod_reg_step_t outputOff[] = {T(0x00, 0x00), T(0xC3, 0x01), T_BITS(0x80, 0x1F, 0x1F)};
    const kit_demod_reg_step_t stop[] = {
        X(0x00, 0x00), X(0x18, 0x01),
        T(0x00, 0x00), T(0x6A, 0x11), T(0x4B, 0x21), X(0x28, 0x13),
        T(0xFE, 0x01), T(0x2C, 0x00), T(0xA9, 0x00), T(0x2D, 0x00), X(0x17, SYSTEM_SELECT_SLEEP),
    };
    kit_result_t r = kit_demod_WriteSequence(demod, outputOff, COUNT(outputOff));
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetTSDataPinHiZ(demod, 1);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteSequence(demod, stop, COUNT(stop));
}

// From the configuration the blind scan and the symbol-rate search leave behind.
static kit_result_t searchToSleep(kit_demod_t* demod)
{
    const kit_demod_reg_step_t undo[] = {
        T(0x00, 0x00), T(0xC3, 0x01), T(0x24, 0x00),
        T(0x00, 0xAE), T(0x24, 0x00), T(0x2E, 0x06), T(0x30, 0x00),
        T(0x00, 0x00), T(0x2B, 0x01),
        T(0x00, 0xA0), T(0x56, 0x00),
        T(0x00, 0xAB), T(0xF9, 0x01),
        T(0x00, 0xA3), T(0xBD, 0x01),
    };
    const kit_demod_reg_step_t last[] = {T(0x00, 0xA0), T(0xD7, 0x00)};
    kit_result_t r = kit_demod_WriteSequence(demod, undo, COUNT(undo));
    if (r == KIT_RESULT_OK)
        r = activeToSleep(demod);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteSequence(demod, last, COUNT(last));
}

kit_result_t kit_demod_dvbs_s2_Tune(kit_demod_t* demod, const kit_dvbs_s2_tune_param_t* param)
{
    if (!demod || !demod->i2c || !param || !isSatellite(param->system))
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    // A rate the word cannot hold is refused before the chip is half switched over.
    uint32_t word = 0;
    kit_result_t r = symbolRateWord(param->symbolRateKSps, &word);
    if (r != KIT_RESULT_OK)
        return r;

    if (demod->state == KIT_DEMOD_STATE_ACTIVE && demod->satState) {
        r = searchToSleep(demod);
        demod->satState = 0;
        if (r != KIT_RESULT_OK)
            return kit_demod_FinishTransition(demod, param->system, r);
        demod->state = KIT_DEMOD_STATE_SLEEP;
        demod->system = KIT_DTV_SYSTEM_UNKNOWN;
    }
    demod->satState = 0;
    return kit_demod_TuneSystem(demod, param->system, KIT_DTV_BW_UNKNOWN, sleepToActive, retune, param);
}

kit_result_t kit_demod_dvbs_s2_Sleep(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state == KIT_DEMOD_STATE_SLEEP) {
        demod->satState = 0;
        return KIT_RESULT_OK;
    }
    if (demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    const kit_result_t r = demod->satState ? searchToSleep(demod) : activeToSleep(demod);
    demod->satState = 0;
    if (r != KIT_RESULT_OK)
        return kit_demod_FinishTransition(demod, KIT_DTV_SYSTEM_UNKNOWN, r);
    demod->state = KIT_DEMOD_STATE_SLEEP;
    demod->system = KIT_DTV_SYSTEM_UNKNOWN;
    return KIT_RESULT_OK;
}

// ---- Lock and spectrum sense ----

kit_result_t kit_demod_dvbs_s2_CheckTSLock(kit_demod_t* demod, uint32_t* lock)
{
    if (!demod || !lock)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    uint8_t tsLock = 0;
    const kit_result_t r = kit_demod_dvbs_s2_monitor_SyncStat(demod, &tsLock);
    if (r != KIT_RESULT_OK)
        return r;
    *lock = tsLock ? 1 : 0;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_CheckIQInvert(kit_demod_t* demod, uint8_t* inverted)
{
    if (!demod || !inverted)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    const uint8_t flag = demod->satIQInverted ? 1 : 0;
    *inverted = demod->singleCable && demod->satIQPolarity ? !flag : flag;
    return KIT_RESULT_OK;
}
