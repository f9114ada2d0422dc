#include "kit_demod_dvbt2.h"

#include "kit_demod.h"
#include "kit_demod_output.h"
#include "kit_demod_terr.h"
#include "kit_math.h"

#include <stddef.h>

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))
#define BANK(bank) {KIT_DEMOD_SLVT, 0x00, (bank), 0xFF, 0}
#define REG(reg, value) {KIT_DEMOD_SLVT, (reg), (value), 0xFF, 0}

enum { BANK_T2 = 0x20, BANK_L1 = 0x22 };

// Per channel width: the nominal rate words (bank 0x20, 0x9F-0xA3) and register 0xD7.
typedef struct {
    kit_dtv_bandwidth_t bandwidth;
    uint8_t rate[5];
    uint8_t d7;
} band_t;

static const band_t bands[] = {
    {KIT_DTV_BW_1_7_MHZ, {0x1A, 0x03, 0xE8, 0x8C, 0xB3}, 0x03},
    {KIT_DTV_BW_5_MHZ, {0x21, 0x99, 0x99, 0x99, 0x99}, 0x06},
    {KIT_DTV_BW_6_MHZ, {0x1C, 0x00, 0x00, 0x00, 0x00}, 0x04},
    {KIT_DTV_BW_7_MHZ, {0x18, 0x00, 0x00, 0x00, 0x00}, 0x02},
    {KIT_DTV_BW_8_MHZ, {0x15, 0x00, 0x00, 0x00, 0x00}, 0x00},
};

static const band_t* bandOf(kit_dtv_bandwidth_t bandwidth)
{
    for (uint32_t i = 0; i < COUNT(bands); ++i)
        if (bands[i].bandwidth == bandwidth)
            return &bands[i];
    return NULL;
}

static uint32_t ifWord(const kit_demod_t* demod)
{
    switch (demod->bandwidth) {
    case KIT_DTV_BW_1_7_MHZ:
        return demod->ifFreq.dvbt2_1_7;
    case KIT_DTV_BW_5_MHZ:
        return demod->ifFreq.dvbt2_5;
    case KIT_DTV_BW_6_MHZ:
        return demod->ifFreq.dvbt2_6;
    case KIT_DTV_BW_7_MHZ:
        return demod->ifFreq.dvbt2_7;
    default:
        return demod->ifFreq.dvbt2_8;
    }
}

static kit_result_t bandSetting(kit_demod_t* demod)
{
    const band_t* band = bandOf(demod->bandwidth);
    if (!band)
        return KIT_RESULT_ERROR_SW_STATE;
    const uint8_t narrow = demod->bandwidth == KIT_DTV_BW_1_7_MHZ;
    KIT_TRY(kit_demod_terr_Write(demod, BANK_T2, 0x9F, band->rate, 5));
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x27, 0x7A, narrow ? 0x03 : 0x00));
    // The tuner has no filter set of its own for 1.7 MHz.
    const uint8_t filter = demod->tunerFilter == 1 && !narrow;
    if (filter)
        KIT_TRY(kit_demod_terr_WriteFilterSet(demod, demod->bandwidth));
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x10, 0xA5, filter ? 0x01 : 0x00));
    KIT_TRY(kit_demod_terr_WriteIFWord(demod, ifWord(demod)));
    return kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xD7, band->d7);
}

static const kit_demod_reg_step_t startSettings[] = {
    BANK(0x11), REG(0x6A, 0x50),
    BANK(0x00), REG(0xCE, 0x01), REG(0xCF, 0x01),
    BANK(0x13), REG(0x83, 0x10), REG(0x86, 0x34), REG(0x9F, 0xD8),
    BANK(0x23), REG(0xDB, 0x01),
    BANK(0x11), REG(0x33, 0x00), REG(0x34, 0x03), REG(0x35, 0x3B),
};

static const kit_demod_reg_step_t sleepSettings[] = {
    BANK(0x10), REG(0xA5, 0x01),
    BANK(0x13), REG(0x83, 0x40), REG(0x86, 0x21), REG(0x9F, 0xFB),
};

static kit_result_t sleepToActive(kit_demod_t* demod, const void* param)
{
    (void)param;
    KIT_TRY(kit_demod_SetTSClockModeAndFreq(demod, KIT_DTV_SYSTEM_DVBT2));
    KIT_TRY(kit_demod_terr_WakeCore(demod, KIT_DEMOD_TERR_CODE_DVBT2, 0));
    KIT_TRY(kit_demod_WriteSequence(demod, startSettings, COUNT(startSettings)));
    KIT_TRY(bandSetting(demod));
    return kit_demod_terr_OutputOn(demod, 0);
}

static kit_result_t retune(kit_demod_t* demod, const void* param)
{
    (void)param;
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x00, 0xC3, 0x01));
    return bandSetting(demod);
}

kit_result_t kit_demod_dvbt2_Tune(kit_demod_t* demod, const kit_dvbt2_tune_param_t* param)
{
    const kit_dtv_bandwidth_t bw = param ? param->bandwidth : KIT_DTV_BW_UNKNOWN;
    return kit_demod_terr_Tune(demod, KIT_DTV_SYSTEM_DVBT2, bw, bandOf(bw) != NULL, sleepToActive, retune, param);
}

kit_result_t kit_demod_dvbt2_Sleep(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    KIT_TRY(kit_demod_terr_OutputOff(demod, 1));
    KIT_TRY(kit_demod_WriteSequence(demod, sleepSettings, COUNT(sleepSettings)));
    return kit_demod_terr_SleepCore(demod, 0);
}

// ---- Lock ----

kit_result_t kit_demod_dvbt2_monitor_SyncStat(kit_demod_t* demod, uint8_t* syncState, uint8_t* tsLock,
                                              uint8_t* earlyUnlock)
{
    return kit_demod_terr_MonitorSyncStat(demod, KIT_DTV_SYSTEM_DVBT2, BANK_T2, syncState, tsLock, earlyUnlock);
}

kit_result_t kit_demod_dvbt2_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return kit_demod_terr_CheckLockOf(demod, KIT_DTV_SYSTEM_DVBT2, BANK_T2, 0, lock);
}

kit_result_t kit_demod_dvbt2_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return kit_demod_terr_CheckLockOf(demod, KIT_DTV_SYSTEM_DVBT2, BANK_T2, 1, lock);
}

// ---- PLP and profile ----

kit_result_t kit_demod_dvbt2_SetPLPConfig(kit_demod_t* demod, uint8_t automatic, uint8_t plpId)
{
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    KIT_TRY(kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x23));
    if (!automatic)
        KIT_TRY(kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xAF, plpId));
    return kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xAD, automatic ? 0x00 : 0x01);
}

kit_result_t kit_demod_dvbt2_SetProfile(kit_demod_t* demod, kit_dvbt2_profile_t profile)
{
    static const uint8_t selection[3] = {0x01, 0x05, 0x00};
    if (!demod || profile > KIT_DVBT2_PROFILE_ANY)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x2E, 0x10, selection[profile]));
    return kit_demod_terr_WriteOne(demod, 0x2B, 0x9D, profile == KIT_DVBT2_PROFILE_BASE ? 0x0E : 0x2E);
}

kit_result_t kit_demod_dvbt2_CheckL1PostValid(kit_demod_t* demod, uint8_t* valid)
{
    if (!valid)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    uint8_t v = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_L1, 0x12, &v, 1));
    *valid = v & 0x01;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_ClearBERSNRHistory(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT2));
    return kit_demod_terr_WriteOne(demod, 0x02, 0x4A, 0x01);
}

kit_result_t kit_demod_dvbt2_monitor_DataPLPError(kit_demod_t* demod, uint8_t* error)
{
    if (!error)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT2));
    uint8_t b[2] = {0, 0};
    KIT_TRY(kit_demod_terr_Read(demod, BANK_L1, 0x12, b, 2));
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    *error = b[1] & 0x01;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_Profile(kit_demod_t* demod, kit_dvbt2_profile_t* profile)
{
    if (!profile)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT2));
    uint8_t v = 0;
    KIT_TRY(kit_demod_terr_Read(demod, 0x2E, 0x20, &v, 1));
    if (!(v & 0x02))
        return KIT_RESULT_ERROR_HW_STATE;
    *profile = v & 0x01;
    return KIT_RESULT_OK;
}

// ---- MER ----

kit_result_t kit_demod_dvbt2_Synchronised(kit_demod_t* demod)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    KIT_TRY(kit_demod_terr_SyncStat(demod, BANK_T2, &sync, &ts, &unlock));
    return sync == KIT_DEMOD_TERR_SYNC_LOCKED ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

kit_result_t kit_demod_dvbt2_adv_monitor_MER(kit_demod_t* demod, int32_t* mer)
{
    if (!mer)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT2));
    uint8_t b[2];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, kit_demod_dvbt2_Synchronised, BANK_T2, 0x2C, b, 2));
    const uint32_t v = ((uint32_t)b[0] << 8) | b[1];
    if (v == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *mer = 100 * kit_math_log10(v) - 6021;
    return KIT_RESULT_OK;
}
