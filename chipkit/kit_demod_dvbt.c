#include "kit_demod_dvbt.h"

#include "kit_demod.h"
#include "kit_demod_output.h"
#include "kit_demod_terr.h"

#include <stddef.h>

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))
#define BANK(bank) {KIT_DEMOD_SLVT, 0x00, (bank), 0xFF, 0}
#define REG(reg, value) {KIT_DEMOD_SLVT, (reg), (value), 0xFF, 0}

enum { BANK_T = 0x10 };

// Per channel width: nominal rate words (0x9F-0xA3), 0xD7, 0xD9-0xDA, bank 0x17 0x38-0x39.
typedef struct {
    kit_dtv_bandwidth_t bandwidth;
    uint8_t rate[5];
    uint8_t d7;
    uint8_t d9[2];
    uint8_t b17[2];
} band_t;

static const band_t bands[] = {
    {KIT_DTV_BW_5_MHZ, {0x21, 0x99, 0x99, 0x99, 0x99}, 0x06, {0x2C, 0xC2}, {0x00, 0x03}},
    {KIT_DTV_BW_6_MHZ, {0x1C, 0x00, 0x00, 0x00, 0x00}, 0x04, {0x25, 0x4C}, {0x00, 0x03}},
    {KIT_DTV_BW_7_MHZ, {0x18, 0x00, 0x00, 0x00, 0x00}, 0x02, {0x1F, 0xF8}, {0x00, 0x03}},
    {KIT_DTV_BW_8_MHZ, {0x15, 0x00, 0x00, 0x00, 0x00}, 0x00, {0x15, 0x28}, {0x01, 0x02}},
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
    case KIT_DTV_BW_5_MHZ:
        return demod->ifFreq.dvbt5;
    case KIT_DTV_BW_6_MHZ:
        return demod->ifFreq.dvbt6;
    case KIT_DTV_BW_7_MHZ:
        return demod->ifFreq.dvbt7;
    default:
        return demod->ifFreq.dvbt8;
    }
}

// The echo setting the band setting starts from, and the one echo optimisation relaxes to.
static const uint8_t echoDefault[2] = {0x01, 0x14};
static const uint8_t echoRelaxed[2] = {0x00, 0x10};

static kit_result_t bandSetting(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_Write(demod, 0x13, 0x9C, echoDefault, 2));
    const band_t* band = bandOf(demod->bandwidth);
    if (!band)
        return KIT_RESULT_ERROR_SW_STATE;
    KIT_TRY(kit_demod_terr_Write(demod, BANK_T, 0x9F, band->rate, 5));
    if (demod->tunerFilter == 1)
        KIT_TRY(kit_demod_terr_WriteFilterSet(demod, demod->bandwidth));
    KIT_TRY(kit_demod_terr_WriteIFWord(demod, ifWord(demod)));
    KIT_TRY(kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xD7, band->d7));
    KIT_TRY(kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xD9, band->d9, 2));
    return kit_demod_terr_Write(demod, 0x17, 0x38, band->b17, 2);
}

static const kit_demod_reg_step_t startSettings[] = {
    BANK(0x11), REG(0x6A, 0x50),
    BANK(0x18), REG(0x31, 0x01),
    BANK(0x00), REG(0xCE, 0x01), REG(0xCF, 0x01),
    BANK(0x11), REG(0x33, 0x00), REG(0x34, 0x03), REG(0x35, 0x3B),
};

static const kit_demod_reg_step_t sleepSettings[] = {
    BANK(0x17), REG(0x38, 0x01), REG(0x39, 0x02),
    BANK(0x18), REG(0x31, 0x00),
};

static kit_result_t sleepToActive(kit_demod_t* demod, const void* param)
{
    (void)param;
    KIT_TRY(kit_demod_SetTSClockModeAndFreq(demod, KIT_DTV_SYSTEM_DVBT));
    KIT_TRY(kit_demod_terr_WakeCore(demod, KIT_DEMOD_TERR_CODE_DVBT, 0));
    KIT_TRY(kit_demod_WriteSequence(demod, startSettings, 2));
    KIT_TRY(kit_demod_terr_WriteOne(demod, BANK_T, 0xA5, demod->tunerFilter == 1 ? 0x01 : 0x00));
    KIT_TRY(kit_demod_WriteSequence(demod, startSettings + 2, COUNT(startSettings) - 2));
    KIT_TRY(bandSetting(demod));
    return kit_demod_terr_OutputOn(demod, 0);
}

static kit_result_t retune(kit_demod_t* demod, const void* param)
{
    (void)param;
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x00, 0xC3, 0x01));
    return bandSetting(demod);
}

kit_result_t kit_demod_dvbt_Tune(kit_demod_t* demod, const kit_dvbt_tune_param_t* param)
{
    const kit_dtv_bandwidth_t bw = param ? param->bandwidth : KIT_DTV_BW_UNKNOWN;
    return kit_demod_terr_Tune(demod, KIT_DTV_SYSTEM_DVBT, bw, bandOf(bw) != NULL, sleepToActive, retune, param);
}

kit_result_t kit_demod_dvbt_Sleep(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    KIT_TRY(kit_demod_terr_OutputOff(demod, 1));
    KIT_TRY(kit_demod_WriteSequence(demod, sleepSettings, COUNT(sleepSettings)));
    return kit_demod_terr_SleepCore(demod, 0);
}

// ---- Lock ----

kit_result_t kit_demod_dvbt_monitor_SyncStat(kit_demod_t* demod, uint8_t* syncState, uint8_t* tsLock,
                                             uint8_t* earlyUnlock)
{
    return kit_demod_terr_MonitorSyncStat(demod, KIT_DTV_SYSTEM_DVBT, BANK_T, syncState, tsLock, earlyUnlock);
}

kit_result_t kit_demod_dvbt_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return kit_demod_terr_CheckLockOf(demod, KIT_DTV_SYSTEM_DVBT, BANK_T, 0, lock);
}

kit_result_t kit_demod_dvbt_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return kit_demod_terr_CheckLockOf(demod, KIT_DTV_SYSTEM_DVBT, BANK_T, 1, lock);
}

kit_result_t kit_demod_dvbt_SetProfile(kit_demod_t* demod, uint32_t profile)
{
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    return kit_demod_terr_WriteOne(demod, BANK_T, 0x67, profile != KIT_DVBT_PROFILE_HP ? 0x01 : 0x00);
}

kit_result_t kit_demod_dvbt_EchoOptimization(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT));
    uint8_t sync = 0, ts = 0, unlock = 0, modeGuard = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_terr_SyncStat(demod, BANK_T, &sync, &ts, &unlock);
    if (r == KIT_RESULT_OK && sync < 2)
        return kit_demod_MonitorRelease(demod, KIT_RESULT_OK);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x40, &modeGuard, 1);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    if (((modeGuard >> 2) & 0x03) == KIT_DVBT_MODE_8K)
        return KIT_RESULT_OK;
    return kit_demod_terr_Write(demod, 0x13, 0x9C, echoRelaxed, 2);
}

kit_result_t kit_demod_dvbt_ClearBERSNRHistory(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT));
    return kit_demod_terr_WriteOne(demod, 0x02, 0x4A, 0x01);
}

// ---- Monitors ----

kit_result_t kit_demod_dvbt_TPSLocked(kit_demod_t* demod)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    KIT_TRY(kit_demod_terr_SyncStat(demod, BANK_T, &sync, &ts, &unlock));
    return sync == KIT_DEMOD_TERR_SYNC_LOCKED ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

static kit_result_t frozenRead(kit_demod_t* demod, uint8_t reg, uint8_t* data, uint32_t length)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT));
    return kit_demod_terr_FrozenRead(demod, kit_demod_dvbt_TPSLocked, BANK_T, reg, data, length);
}

kit_result_t kit_demod_dvbt_monitor_ModeGuard(kit_demod_t* demod, uint32_t* mode, uint32_t* guard)
{
    if (!mode || !guard)
        return KIT_RESULT_ERROR_ARG;
    uint8_t v = 0;
    KIT_TRY(frozenRead(demod, 0x40, &v, 1));
    *mode = (v >> 2) & 0x03;
    *guard = v & 0x03;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt_monitor_SpectrumSense(kit_demod_t* demod, uint32_t* inverted)
{
    return kit_demod_terr_SpectrumSense(demod, KIT_DTV_SYSTEM_DVBT, kit_demod_dvbt_TPSLocked, BANK_T, 0x3F, inverted);
}

kit_result_t kit_demod_dvbt_monitor_TPSInfo(kit_demod_t* demod, kit_dvbt_tpsinfo_t* info)
{
    if (!info)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[7];
    KIT_TRY(frozenRead(demod, 0x2F, b, 7));
    info->constellation = b[0] >> 6;
    info->hierarchy = (b[0] >> 3) & 0x07;
    info->rateHP = b[0] & 0x07;
    info->rateLP = b[1] >> 5;
    info->guard = (b[1] >> 3) & 0x03;
    info->mode = (b[1] >> 1) & 0x03;
    info->fnum = b[2] >> 6;
    info->lengthIndicator = b[2] & 0x3F;
    info->cellID = (uint16_t)((b[3] << 8) | b[4]);
    info->reservedEven = b[5] & 0x3F;
    info->reservedOdd = b[6] & 0x3F;
    return KIT_RESULT_OK;
}
