#include "kit_integ_dvbt2.h"

#include "kit_demod.h"
#include "kit_demod_dvbt2.h"

#include <stddef.h>

// Reference levels in dBm by QAM (QPSK to 256QAM) and code rate (1/2, 3/5, 2/3, 3/4, 4/5,
// 5/6, 1/3, 2/5).
static const int8_t referenceDbm[4][8] = {
    {-96, -95, -94, -93, -92, -92, -98, -97},
    {-91, -89, -88, -87, -86, -86, -93, -92},
    {-86, -85, -83, -82, -81, -80, -89, -88},
    {-82, -80, -78, -76, -75, -74, -86, -84},
};

static int bandwidthOk(kit_dtv_bandwidth_t bw)
{
    return bw == KIT_DTV_BW_1_7_MHZ || (bw >= KIT_DTV_BW_5_MHZ && bw <= KIT_DTV_BW_8_MHZ);
}

// PLP selection, profile, demodulator, tuner, tune end.
static kit_result_t tuneChannel(kit_integ_t* integ, const kit_dvbt2_tune_param_t* param, uint8_t automaticPlp)
{
    kit_result_t r = kit_demod_dvbt2_SetPLPConfig(integ->demod, automaticPlp, (uint8_t)param->dataPlpId);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt2_SetProfile(integ->demod, param->profile);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt2_Tune(integ->demod, param);
    return kit_integ_TunerAndTuneEnd(integ, r, param->centerFreqKHz, KIT_DTV_SYSTEM_DVBT2, param->bandwidth);
}

kit_result_t kit_integ_dvbt2_Tune(kit_integ_t* integ, kit_dvbt2_tune_param_t* param)
{
    kit_result_t r = kit_integ_BeginTune(integ, param, KIT_INTEG_CANCEL_CLEAR_ALWAYS);
    if (r != KIT_RESULT_OK)
        return r;
    if (!bandwidthOk(param->bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (param->profile > KIT_DVBT2_PROFILE_LITE)
        return KIT_RESULT_ERROR_ARG;
    r = tuneChannel(integ, param, 0);
    if (r == KIT_RESULT_OK)
        r = kit_integ_dvbt2_WaitDemodLock(integ, param->profile);
    if (r == KIT_RESULT_OK)
        r = kit_integ_dvbt2_WaitTSLock(integ, param->profile);
    if (r == KIT_RESULT_OK)
        r = kit_integ_dvbt2_WaitL1PostLock(integ);
    uint8_t error = 0;
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt2_monitor_DataPLPError(integ->demod, &error);
    if (r == KIT_RESULT_ERROR_HW_STATE)
        return KIT_RESULT_ERROR_UNLOCK;
    if (r != KIT_RESULT_OK)
        return r;
    param->tuneInfo = error ? 1 : 0;
    return error ? KIT_RESULT_DATA_PLP_ERROR : KIT_RESULT_OK;
}

kit_result_t kit_integ_dvbt2_BlindTune(kit_integ_t* integ, uint32_t centerFreqKHz, kit_dtv_bandwidth_t bandwidth,
                                       uint32_t profile, uint32_t* profileFound)
{
    const kit_dvbt2_tune_param_t param = {centerFreqKHz, bandwidth, 0, profile, 0};
    // The out-parameter is the one pointer the caller gives.
    kit_result_t r = kit_integ_BeginTune(integ, profileFound, KIT_INTEG_CANCEL_CLEAR_OUTSIDE_SCAN);
    if (r != KIT_RESULT_OK)
        return r;
    if (!bandwidthOk(bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (profile > KIT_DVBT2_PROFILE_ANY)
        return KIT_RESULT_ERROR_ARG;
    r = tuneChannel(integ, &param, 1);
    if (r == KIT_RESULT_OK)
        r = kit_integ_dvbt2_WaitDemodLock(integ, profile);
    if (r == KIT_RESULT_OK)
        r = kit_integ_dvbt2_WaitL1PostLock(integ);
    if (r != KIT_RESULT_OK)
        return r;
    if (profile != KIT_DVBT2_PROFILE_ANY) {
        *profileFound = profile;
        return KIT_RESULT_OK;
    }
    kit_dvbt2_profile_t found = 0;
    r = kit_demod_dvbt2_monitor_Profile(integ->demod, &found);
    if (r == KIT_RESULT_ERROR_HW_STATE)
        return KIT_RESULT_ERROR_UNLOCK;
    if (r == KIT_RESULT_OK)
        *profileFound = found;
    return r;
}

kit_result_t kit_integ_dvbt2_WaitDemodLock(kit_integ_t* integ, uint32_t profile)
{
    const uint32_t limit = profile == KIT_DVBT2_PROFILE_BASE ? KIT_INTEG_DVBT2_DEMOD_LOCK_BASE_MS
                                                             : KIT_INTEG_DVBT2_DEMOD_LOCK_OTHER_MS;
    return kit_integ_WaitLock(integ, kit_demod_dvbt2_CheckDemodLock, NULL, limit);
}

kit_result_t kit_integ_dvbt2_WaitTSLock(kit_integ_t* integ, uint32_t profile)
{
    const uint32_t limit =
        profile == KIT_DVBT2_PROFILE_BASE ? KIT_INTEG_DVBT2_TS_LOCK_BASE_MS : KIT_INTEG_DVBT2_TS_LOCK_LITE_MS;
    return kit_integ_WaitLock(integ, kit_demod_dvbt2_CheckTSLock, NULL, limit);
}

// The L1-post information as a lock that is never lost.
static kit_result_t checkL1Post(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    uint8_t valid = 0;
    const kit_result_t r = kit_demod_dvbt2_CheckL1PostValid(demod, &valid);
    *lock = valid ? KIT_DEMOD_LOCK_RESULT_LOCKED : KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    return r;
}

kit_result_t kit_integ_dvbt2_WaitL1PostLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, checkL1Post, NULL, KIT_INTEG_DVBT2_L1POST_MS);
}

// ---- Scan ----

kit_result_t kit_integ_dvbt2_Scan_PrepareDataPLPLoop(kit_integ_t* integ, uint8_t* plpIds, uint8_t* numPLPs,
                                                     uint8_t* mixed)
{
    if (!integ || !integ->demod || !plpIds || !numPLPs || !mixed)
        return KIT_RESULT_ERROR_ARG;
    kit_dvbt2_ofdm_t ofdm;
    kit_result_t r = kit_demod_dvbt2_monitor_DataPLPs(integ->demod, plpIds, numPLPs);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt2_monitor_OFDM(integ->demod, &ofdm);
    if (r == KIT_RESULT_OK)
        *mixed = ofdm.mixed;
    return r == KIT_RESULT_ERROR_HW_STATE ? KIT_RESULT_ERROR_UNLOCK : r;
}

kit_result_t kit_integ_dvbt2_Scan_SwitchDataPLP(kit_integ_t* integ, uint8_t mixed, uint8_t plpId, uint32_t profile)
{
    if (!integ || !integ->demod)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = kit_demod_dvbt2_SetPLPConfig(integ->demod, 0, plpId);
    if (r != KIT_RESULT_OK)
        return r;
    uint32_t wait = KIT_INTEG_DVBT2_PLP_SWITCH_MS;
    if (mixed)
        wait = profile == KIT_DVBT2_PROFILE_BASE ? KIT_INTEG_DVBT2_PLP_SWITCH_MIXED_BASE_MS
                                                 : KIT_INTEG_DVBT2_PLP_SWITCH_MIXED_LITE_MS;
    return kit_integ_WaitCancellable(integ, wait);
}

static kit_result_t reportDataPLPs(kit_integ_t* integ, uint32_t profile, kit_integ_dvbt2_plp_report_t report,
                                   void* context, uint8_t* mixed)
{
    uint8_t ids[KIT_DVBT2_DATA_PLP_MAX];
    uint8_t count = 0;
    kit_result_t r = kit_integ_dvbt2_Scan_PrepareDataPLPLoop(integ, ids, &count, mixed);
    if (r != KIT_RESULT_OK) {
        if (kit_integ_ScanGoesOn(r))
            report(context, r, 0, profile);
        return r;
    }
    // The blind tune received the first; the others have to be switched to.
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0 && (r = kit_integ_dvbt2_Scan_SwitchDataPLP(integ, *mixed, ids[i], profile)) != KIT_RESULT_OK)
            return r;
        report(context, KIT_RESULT_OK, ids[i], profile);
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_dvbt2_ScanLockedChannel(kit_integ_t* integ, uint32_t centerFreqKHz,
                                               kit_dtv_bandwidth_t bandwidth, uint32_t profile,
                                               uint32_t profileFound, kit_integ_dvbt2_plp_report_t report,
                                               void* context)
{
    uint8_t mixed = 0;
    kit_result_t r = reportDataPLPs(integ, profileFound, report, context, &mixed);
    if (r != KIT_RESULT_OK || profile != KIT_DVBT2_PROFILE_ANY || !mixed)
        return r;
    const uint32_t other = profileFound == KIT_DVBT2_PROFILE_BASE ? KIT_DVBT2_PROFILE_LITE : KIT_DVBT2_PROFILE_BASE;
    uint32_t found = other;
    r = kit_integ_dvbt2_BlindTune(integ, centerFreqKHz, bandwidth, other, &found);
    if (r != KIT_RESULT_OK) {
        if (kit_integ_ScanGoesOn(r))
            report(context, r, 0, other);
        return r;
    }
    return reportDataPLPs(integ, found, report, context, &mixed);
}

typedef struct {
    kit_integ_t* integ;
    kit_integ_dvbt2_scan_param_t* scanParam;
    kit_integ_dvbt2_scan_callback_t callback;
    uint32_t kHz;
} dvbt2_scan_t;

static void reportPlp(void* context, kit_result_t result, uint8_t plpId, uint32_t profile)
{
    dvbt2_scan_t* scan = (dvbt2_scan_t*)context;
    kit_integ_dvbt2_scan_result_t r = {scan->kHz, result, {scan->kHz, scan->scanParam->bandwidth, plpId, profile, 0}};
    scan->callback(scan->integ, &r, scan->scanParam);
}

static kit_result_t tryFrequency(kit_integ_t* integ, uint32_t kHz, void* context)
{
    dvbt2_scan_t* scan = (dvbt2_scan_t*)context;
    const kit_integ_dvbt2_scan_param_t* p = scan->scanParam;
    scan->kHz = kHz;
    uint32_t found = p->profile;
    const kit_result_t r = kit_integ_dvbt2_BlindTune(integ, kHz, p->bandwidth, p->profile, &found);
    if (r == KIT_RESULT_OK)
        return kit_integ_dvbt2_ScanLockedChannel(integ, kHz, p->bandwidth, p->profile, found, reportPlp, scan);
    if (kit_integ_ScanGoesOn(r))
        reportPlp(scan, r, 0, p->profile);
    return r;
}

kit_result_t kit_integ_dvbt2_Scan(kit_integ_t* integ, kit_integ_dvbt2_scan_param_t* scanParam,
                                  kit_integ_dvbt2_scan_callback_t callback)
{
    if (!scanParam || !callback)
        return KIT_RESULT_ERROR_ARG;
    dvbt2_scan_t scan = {integ, scanParam, callback, 0};
    return kit_integ_ScanRange(integ, KIT_DTV_SYSTEM_DVBT2, scanParam->startFrequencyKHz,
                               scanParam->endFrequencyKHz, scanParam->stepFrequencyKHz, tryFrequency, &scan);
}

// ---- Levels ----

kit_result_t kit_integ_dvbt2_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000)
{
    return kit_integ_RFLevel(integ, KIT_DTV_SYSTEM_DVBT2, kit_demod_dvbt2_monitor_IFAGCOut, levelDbmX1000);
}

kit_result_t kit_integ_dvbt2_monitor_SSI(kit_integ_t* integ, uint8_t* ssi)
{
    if (!integ || !ssi)
        return KIT_RESULT_ERROR_ARG;
    int32_t level = 0;
    uint32_t qam = 0, codeRate = 0;
    kit_result_t r = kit_integ_dvbt2_monitor_RFLevel(integ, &level);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt2_monitor_QAM(integ->demod, KIT_DVBT2_PLP_DATA, &qam);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt2_monitor_CodeRate(integ->demod, KIT_DVBT2_PLP_DATA, &codeRate);
    if (r != KIT_RESULT_OK)
        return r;
    if (qam >= 4 || codeRate >= 8)
        return KIT_RESULT_ERROR_OTHER;
    *ssi = kit_integ_CalcSSI(level, 1000 * referenceDbm[qam][codeRate]);
    return KIT_RESULT_OK;
}
