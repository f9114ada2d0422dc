#include "kit_integ_channel.h"

kit_result_t kit_integ_channel_Tune(kit_integ_t* integ, const kit_integ_channel_standard_t* standard,
                                    const kit_dvbc_tune_param_t* param)
{
    kit_result_t r = kit_integ_BeginTune(integ, param, KIT_INTEG_CANCEL_CLEAR_OUTSIDE_SCAN);
    if (r != KIT_RESULT_OK)
        return r;
    if (!standard->bandwidthOk(param->bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (standard->refuseZeroFrequency && param->centerFreqKHz == 0)
        return KIT_RESULT_ERROR_ARG;
    r = kit_integ_TunerAndTuneEnd(integ, standard->demodTune(integ->demod, param), param->centerFreqKHz,
                                  standard->system, param->bandwidth);
    return r != KIT_RESULT_OK ? r : standard->waitLock(integ);
}

typedef struct {
    const kit_integ_channel_standard_t* standard;
    kit_integ_scan_param_t* scanParam;
    kit_integ_channel_scan_callback_t callback;
} channel_scan_t;

static kit_result_t tryChannel(kit_integ_t* integ, uint32_t kHz, void* context)
{
    channel_scan_t* scan = (channel_scan_t*)context;
    kit_integ_channel_scan_result_t result = {kHz, 0, {kHz, scan->scanParam->bandwidth}};
    result.tuneResult = kit_integ_channel_Tune(integ, scan->standard, &result.tuneParam);
    if (kit_integ_ScanGoesOn(result.tuneResult))
        scan->callback(integ, &result, scan->scanParam);
    return result.tuneResult;
}

kit_result_t kit_integ_channel_Scan(kit_integ_t* integ, const kit_integ_channel_standard_t* standard,
                                    kit_integ_scan_param_t* scanParam, kit_integ_channel_scan_callback_t callback)
{
    if (!scanParam || !callback)
        return KIT_RESULT_ERROR_ARG;
    channel_scan_t scan = {standard, scanParam, callback};
    return kit_integ_ScanRange(integ, standard->system, scanParam->startFrequencyKHz, scanParam->endFrequencyKHz,
                               scanParam->stepFrequencyKHz, tryChannel, &scan);
}
