#include "kit_integ_isdbt.h"

#include "kit_demod_isdbt.h"
#include "kit_demod_isdbt_monitor.h"

#include <stddef.h>

static int bandwidthOk(kit_dtv_bandwidth_t bw)
{
    return bw == KIT_DTV_BW_6_MHZ || bw == KIT_DTV_BW_7_MHZ || bw == KIT_DTV_BW_8_MHZ;
}

// A scan only needs to know that a channel is there.
static kit_result_t waitLock(kit_integ_t* integ)
{
    return integ->demod->scanMode ? kit_integ_isdbt_WaitDemodLock(integ) : kit_integ_isdbt_WaitTSLock(integ);
}

static const kit_integ_channel_standard_t isdbt = {
    KIT_DTV_SYSTEM_ISDBT, bandwidthOk, 0, kit_demod_isdbt_Tune, waitLock,
};

kit_result_t kit_integ_isdbt_Tune(kit_integ_t* integ, const kit_isdbt_tune_param_t* param)
{
    return kit_integ_channel_Tune(integ, &isdbt, param);
}

kit_result_t kit_integ_isdbt_EWSTune(kit_integ_t* integ, const kit_isdbt_tune_param_t* param)
{
    kit_result_t r = kit_integ_BeginTune(integ, param, KIT_INTEG_CANCEL_CLEAR_ALWAYS);
    if (r != KIT_RESULT_OK)
        return r;
    if (!bandwidthOk(param->bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    r = kit_demod_isdbt_EWSTune(integ->demod, param);
    if (r == KIT_RESULT_OK)
        r = kit_integ_TunerTune(integ, param->centerFreqKHz, KIT_DTV_SYSTEM_ISDBT, param->bandwidth);
    if (r == KIT_RESULT_OK)
        r = kit_demod_isdbt_EWSTuneEnd(integ->demod);
    return r != KIT_RESULT_OK ? r : kit_integ_isdbt_WaitDemodLock(integ);
}

kit_result_t kit_integ_isdbt_WaitTSLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, kit_demod_isdbt_CheckTSLock, NULL, KIT_INTEG_ISDBT_LOCK_MS);
}

kit_result_t kit_integ_isdbt_WaitDemodLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, kit_demod_isdbt_CheckDemodLock, NULL, KIT_INTEG_ISDBT_LOCK_MS);
}

kit_result_t kit_integ_isdbt_Scan(kit_integ_t* integ, kit_integ_isdbt_scan_param_t* scanParam,
                                  kit_integ_isdbt_scan_callback_t callback)
{
    return kit_integ_channel_Scan(integ, &isdbt, scanParam, callback);
}

kit_result_t kit_integ_isdbt_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000)
{
    return kit_integ_RFLevel(integ, KIT_DTV_SYSTEM_ISDBT, kit_demod_isdbt_monitor_IFAGCOut, levelDbmX1000);
}
