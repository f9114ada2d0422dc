#include "kit_demod_j83b.h"

#include "kit_demod_scqam.h"
#include "kit_demod_scqam_monitor.h"

#define T(reg, value) KIT_DEMOD_STEP(KIT_DEMOD_SLVT, reg, value)
#define X(reg, value) KIT_DEMOD_STEP(KIT_DEMOD_SLVX, reg, value)

static const kit_demod_reg_step_t wakeStart[] = {
    X(0x00, 0x00), X(0x17, 0x08),  // J.83 Annex B
    T(0x00, 0x00), T(0xA9, 0x00), T(0x2C, 0x01), T(0x4B, 0x74), T(0x49, 0x00),
    X(0x18, 0x00),
    T(0x00, 0x11), T(0x6A, 0x48),
    T(0x00, 0x10),
};
static const kit_demod_reg_step_t wakeEnd[] = {
    T(0x00, 0x40), T(0x21, 0x04), T(0xB3, 0x05), T(0x1E, 0x80), T(0x8E, 0x58),
    T(0x00, 0x41), T(0xCF, 0x99),
    T(0x00, 0x11), T(0xA3, 0x14), T(0x33, 0x00), T(0x34, 0x03), T(0x35, 0x3B),
    T(0x00, 0x00), T(0xCE, 0x01), T(0xCF, 0x01),
    T(0x00, 0x10),
};
static const kit_demod_reg_step_t sleepEnd[] = {
    T(0x00, 0x11), T(0xA3, 0x00),
    T(0x00, 0x40), T(0x21, 0x00), T(0xC3, 0x00), T(0xB3, 0x02), T(0x1E, 0x00), T(0x8E, 0x0E),
    T(0x00, 0x41), T(0xCF, 0x77),
    T(0x00, 0x40), T(0x14, 0x1F), T(0x26, 0x09), T(0x27, 0x9A), T(0x28, 0x00), T(0x29, 0xEE),
    X(0x00, 0x00), X(0x18, 0x01),
    T(0x00, 0x00), T(0x49, 0x33), T(0x4B, 0x21), T(0xFE, 0x01), T(0x2C, 0x00), T(0xA9, 0x00),
    X(0x17, 0x01),
};

static const uint8_t filter[KIT_SCQAM_FILTER_BYTES] = {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28,
                                                       0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8};

static int knownBand(kit_dtv_bandwidth_t bandwidth)
{
    return bandwidth == KIT_DTV_BW_J83B_50 || bandwidth == KIT_DTV_BW_J83B_51;
}

static kit_result_t bandSetting(kit_demod_t* demod)
{
    static const uint8_t band50[4] = {0x07, 0x26, 0x06, 0xBE};
    static const uint8_t band51[4] = {0x07, 0x77, 0x07, 0x77};
    if (!knownBand(demod->bandwidth))
        return KIT_RESULT_ERROR_SW_STATE;
    const int is50 = demod->bandwidth == KIT_DTV_BW_J83B_50;
    const uint32_t ifWord = is50 ? demod->ifFreq.j83b50 : demod->ifFreq.j83b51;
    const uint8_t ifBytes[3] = {(uint8_t)(ifWord >> 16), (uint8_t)(ifWord >> 8), (uint8_t)ifWord};

    kit_result_t r = kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x10, 0xB6, ifBytes, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x40);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x14, is50 ? 0x14 : 0x10);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0x26, is50 ? band50 : band51, 4);
    return r;
}

static const kit_scqam_standard_t j83b = {
    KIT_DTV_SYSTEM_J83B,
    wakeStart, KIT_DEMOD_STEP_COUNT(wakeStart),
    wakeEnd, KIT_DEMOD_STEP_COUNT(wakeEnd),
    filter,
    bandSetting,
    sleepEnd, KIT_DEMOD_STEP_COUNT(sleepEnd),
};

kit_result_t kit_demod_j83b_Tune(kit_demod_t* demod, const kit_j83b_tune_param_t* param)
{
    if (!demod || !param || !knownBand(param->bandwidth))
        return KIT_RESULT_ERROR_ARG;
    return kit_demod_scqam_Tune(demod, &j83b, param->bandwidth);
}

kit_result_t kit_demod_j83b_Sleep(kit_demod_t* demod) { return kit_demod_scqam_Sleep(demod, &j83b); }

kit_result_t kit_demod_j83b_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return kit_demod_scqam_CheckTSLock(demod, KIT_DTV_SYSTEM_J83B, lock);
}
