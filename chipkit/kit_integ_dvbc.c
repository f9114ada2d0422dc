#include "kit_integ_dvbc.h"

#include "kit_demod_dvbc.h"
#include "kit_demod_dvbc_monitor.h"

#include <stddef.h>

static int bandwidthOk(kit_dtv_bandwidth_t bw)
{
    return bw == KIT_DTV_BW_6_MHZ || bw == KIT_DTV_BW_7_MHZ || bw == KIT_DTV_BW_8_MHZ;
}

static const kit_integ_channel_standard_t dvbc = {
    KIT_DTV_SYSTEM_DVBC, bandwidthOk, 1, kit_demod_dvbc_Tune, kit_integ_dvbc_WaitTSLock,
};

kit_result_t kit_integ_dvbc_Tune(kit_integ_t* integ, const kit_dvbc_tune_param_t* param)
{
    return kit_integ_channel_Tune(integ, &dvbc, param);
}

kit_result_t kit_integ_dvbc_WaitTSLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, kit_demod_dvbc_CheckTSLock, NULL, KIT_INTEG_DVBC_TS_LOCK_MS);
}

kit_result_t kit_integ_dvbc_Scan(kit_integ_t* integ, kit_integ_dvbc_scan_param_t* scanParam,
                                 kit_integ_dvbc_scan_callback_t callback)
{
    return kit_integ_channel_Scan(integ, &dvbc, scanParam, callback);
}

kit_result_t kit_integ_dvbc_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000)
{
    return kit_integ_RFLevel(integ, KIT_DTV_SYSTEM_DVBC, kit_demod_dvbc_monitor_IFAGCOut, levelDbmX1000);
}
