#include "kit_demod_dvbc.h"

#include "kit_demod_scqam.h"
#include "kit_demod_scqam_monitor.h"

#include <stddef.h>

#define T(reg, value) KIT_DEMOD_STEP(KIT_DEMOD_SLVT, reg, value)
#define X(reg, value) KIT_DEMOD_STEP(KIT_DEMOD_SLVX, reg, value)

static const kit_demod_reg_step_t wakeStart[] = {
    X(0x00, 0x00), X(0x17, 0x04),  // DVB-C
    T(0x00, 0x00), T(0xA9, 0x00), T(0x2C, 0x01), T(0x4B, 0x74), T(0x49, 0x00),
    X(0x18, 0x00),
    T(0x00, 0x11), T(0x6A, 0x48),
    T(0x00, 0x10),
};
static const kit_demod_reg_step_t wakeEnd[] = {
    T(0x00, 0x11), T(0x33, 0x00), T(0x34, 0x03), T(0x35, 0x3B),
    T(0x00, 0x48), T(0x2C, 0x03),
    T(0x00, 0x00), T(0xCE, 0x01), T(0xCF, 0x01),
};
static const kit_demod_reg_step_t sleepEnd[] = {
    T(0x00, 0x11), T(0xA3, 0x00),
    T(0x00, 0x48), T(0x2C, 0x01),
    X(0x00, 0x00), X(0x18, 0x01),
    T(0x00, 0x00), T(0x49, 0x33), T(0x4B, 0x21), T(0xFE, 0x01), T(0x2C, 0x00), T(0xA9, 0x00),
    X(0x17, 0x01),
};

// The tuner's channel filter for the demodulator's input stage, by bandwidth.
static const uint8_t filter6MHz[KIT_SCQAM_FILTER_BYTES] = {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28,
                                                           0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8};
static const uint8_t filter7And8MHz[KIT_SCQAM_FILTER_BYTES] = {0x29, 0x9A, 0x28, 0x9E, 0x2F, 0xB9, 0x27,
                                                               0xA5, 0x28, 0xA9, 0x2B, 0xB0, 0x08, 0xD6};

static kit_result_t bandSetting(kit_demod_t* demod)
{
    static const uint8_t band6[4] = {0x07, 0x33, 0x00, 0xEE};
    static const uint8_t band7[4] = {0x08, 0x66, 0x00, 0xEE};
    static const uint8_t band8[4] = {0x09, 0x9A, 0x00, 0xEE};
    const uint8_t* band;
    uint32_t ifWord;
    switch (demod->bandwidth) {
    case KIT_DTV_BW_6_MHZ: band = band6; ifWord = demod->ifFreq.dvbc6; break;
    case KIT_DTV_BW_7_MHZ: band = band7; ifWord = demod->ifFreq.dvbc7; break;
    case KIT_DTV_BW_8_MHZ: band = band8; ifWord = demod->ifFreq.dvbc8; break;
    default: return KIT_RESULT_ERROR_SW_STATE;
    }
    const int narrow = demod->bandwidth == KIT_DTV_BW_6_MHZ;
    const uint8_t ifBytes[3] = {(uint8_t)(ifWord >> 16), (uint8_t)(ifWord >> 8), (uint8_t)ifWord};

    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x10);
    if (r == KIT_RESULT_OK && demod->tunerFilter == 1)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xA6, narrow ? filter6MHz : filter7And8MHz,
                                KIT_SCQAM_FILTER_BYTES);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xB6, ifBytes, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x11);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xA3, narrow ? 0x14 : 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x40, 0x26, band, 4);
    return r;
}

static const kit_scqam_standard_t dvbc = {
    KIT_DTV_SYSTEM_DVBC,
    wakeStart, KIT_DEMOD_STEP_COUNT(wakeStart),
    wakeEnd, KIT_DEMOD_STEP_COUNT(wakeEnd),
    NULL,
    bandSetting,
    sleepEnd, KIT_DEMOD_STEP_COUNT(sleepEnd),
};

kit_result_t kit_demod_dvbc_Tune(kit_demod_t* demod, const kit_dvbc_tune_param_t* param)
{
    if (!demod || !param)
        return KIT_RESULT_ERROR_ARG;
    // Refused before the chip is touched: the band setting would stop half-way otherwise.
    if (param->bandwidth < KIT_DTV_BW_6_MHZ || param->bandwidth > KIT_DTV_BW_8_MHZ)
        return KIT_RESULT_ERROR_SW_STATE;
    return kit_demod_scqam_Tune(demod, &dvbc, param->bandwidth);
}

kit_result_t kit_demod_dvbc_Sleep(kit_demod_t* demod) { return kit_demod_scqam_Sleep(demod, &dvbc); }

kit_result_t kit_demod_dvbc_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return kit_demod_scqam_CheckTSLock(demod, KIT_DTV_SYSTEM_DVBC, lock);
}
