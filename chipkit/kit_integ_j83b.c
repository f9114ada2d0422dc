#include "kit_integ_j83b.h"

#include "kit_demod_j83b.h"
#include "kit_demod_j83b_monitor.h"

#include <stddef.h>

static int bandwidthOk(kit_dtv_bandwidth_t bw) { return bw == KIT_DTV_BW_J83B_50 || bw == KIT_DTV_BW_J83B_51; }

static const kit_integ_channel_standard_t j83b = {
    KIT_DTV_SYSTEM_J83B, bandwidthOk, 1, kit_demod_j83b_Tune, kit_integ_j83b_WaitTSLock,
};

kit_result_t kit_integ_j83b_Tune(kit_integ_t* integ, const kit_j83b_tune_param_t* param)
{
    return kit_integ_channel_Tune(integ, &j83b, param);
}

kit_result_t kit_integ_j83b_WaitTSLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, kit_demod_j83b_CheckTSLock, NULL, KIT_INTEG_J83B_TS_LOCK_MS);
}

kit_result_t kit_integ_j83b_Scan(kit_integ_t* integ, kit_integ_j83b_scan_param_t* scanParam,
                                 kit_integ_j83b_scan_callback_t callback)
{
    return kit_integ_channel_Scan(integ, &j83b, scanParam, callback);
}

kit_result_t kit_integ_j83b_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000)
{
    return kit_integ_RFLevel(integ, KIT_DTV_SYSTEM_J83B, kit_demod_j83b_monitor_IFAGCOut, levelDbmX1000);
}
