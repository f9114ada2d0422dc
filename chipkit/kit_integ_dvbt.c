#include "kit_integ_dvbt.h"

#include "kit_demod.h"
#include "kit_demod_dvbt.h"
#include "kit_demod_dvbt_monitor.h"

#include <stddef.h>

// Reference levels in dBm by constellation (QPSK, 16QAM, 64QAM) and code rate (1/2 to 7/8).
static const int8_t referenceDbm[3][5] = {
    {-93, -91, -90, -89, -88},
    {-87, -85, -84, -83, -82},
    {-82, -80, -78, -77, -76},
};

static int bandwidthOk(kit_dtv_bandwidth_t bw) { return bw >= KIT_DTV_BW_5_MHZ && bw <= KIT_DTV_BW_8_MHZ; }

static kit_result_t tuneStream(kit_integ_t* integ, const kit_dvbt_tune_param_t* param)
{
    kit_result_t r = kit_demod_dvbt_SetProfile(integ->demod, param->profile);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt_Tune(integ->demod, param);
    return kit_integ_TunerAndTuneEnd(integ, r, param->centerFreqKHz, KIT_DTV_SYSTEM_DVBT, param->bandwidth);
}

kit_result_t kit_integ_dvbt_Tune(kit_integ_t* integ, const kit_dvbt_tune_param_t* param)
{
    kit_result_t r = kit_integ_BeginTune(integ, param, KIT_INTEG_CANCEL_CLEAR_ALWAYS);
    if (r != KIT_RESULT_OK)
        return r;
    if (!bandwidthOk(param->bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    r = tuneStream(integ, param);
    return r != KIT_RESULT_OK ? r : kit_integ_dvbt_WaitTSLock(integ);
}

kit_result_t kit_integ_dvbt_BlindTune(kit_integ_t* integ, uint32_t centerFreqKHz, kit_dtv_bandwidth_t bandwidth)
{
    const kit_dvbt_tune_param_t param = {centerFreqKHz, bandwidth, KIT_DVBT_PROFILE_HP};
    kit_result_t r = kit_integ_BeginTune(integ, &param, KIT_INTEG_CANCEL_CLEAR_OUTSIDE_SCAN);
    if (r != KIT_RESULT_OK)
        return r;
    if (!bandwidthOk(bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    r = tuneStream(integ, &param);
    return r != KIT_RESULT_OK ? r : kit_integ_dvbt_WaitDemodLock(integ);
}

kit_result_t kit_integ_dvbt_WaitTSLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, kit_demod_dvbt_CheckTSLock, kit_demod_dvbt_EchoOptimization,
                              KIT_INTEG_DVBT_LOCK_MS);
}

kit_result_t kit_integ_dvbt_WaitDemodLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, kit_demod_dvbt_CheckDemodLock, kit_demod_dvbt_EchoOptimization,
                              KIT_INTEG_DVBT_LOCK_MS);
}

typedef struct {
    kit_integ_dvbt_scan_param_t* scanParam;
    kit_integ_dvbt_scan_callback_t callback;
} dvbt_scan_t;

static kit_result_t tryFrequency(kit_integ_t* integ, uint32_t kHz, void* context)
{
    dvbt_scan_t* scan = (dvbt_scan_t*)context;
    kit_integ_dvbt_scan_result_t result = {kHz, 0, {kHz, scan->scanParam->bandwidth, KIT_DVBT_PROFILE_HP}};
    result.tuneResult = kit_integ_dvbt_BlindTune(integ, kHz, scan->scanParam->bandwidth);
    if (kit_integ_ScanGoesOn(result.tuneResult))
        scan->callback(integ, &result, scan->scanParam);
    return result.tuneResult;
}

kit_result_t kit_integ_dvbt_Scan(kit_integ_t* integ, kit_integ_dvbt_scan_param_t* scanParam,
                                 kit_integ_dvbt_scan_callback_t callback)
{
    if (!scanParam || !callback)
        return KIT_RESULT_ERROR_ARG;
    dvbt_scan_t scan = {scanParam, callback};
    return kit_integ_ScanRange(integ, KIT_DTV_SYSTEM_DVBT, scanParam->startFrequencyKHz, scanParam->endFrequencyKHz,
                               scanParam->stepFrequencyKHz, tryFrequency, &scan);
}

kit_result_t kit_integ_dvbt_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000)
{
    return kit_integ_RFLevel(integ, KIT_DTV_SYSTEM_DVBT, kit_demod_dvbt_monitor_IFAGCOut, levelDbmX1000);
}

kit_result_t kit_integ_dvbt_monitor_SSI(kit_integ_t* integ, uint8_t* ssi)
{
    if (!integ || !ssi)
        return KIT_RESULT_ERROR_ARG;
    int32_t level = 0;
    kit_dvbt_tpsinfo_t tps;
    kit_result_t r = kit_integ_dvbt_monitor_RFLevel(integ, &level);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbt_monitor_TPSInfo(integ->demod, &tps);
    if (r != KIT_RESULT_OK)
        return r;
    if (tps.constellation >= 3 || tps.rateHP >= 5)
        return KIT_RESULT_ERROR_OTHER;
    *ssi = kit_integ_CalcSSI(level, 1000 * referenceDbm[tps.constellation][tps.rateHP]);
    return KIT_RESULT_OK;
}
