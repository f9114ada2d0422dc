#include "kit_demod_sat_device_ctrl_detect_cw_seq.h"

#include "kit_demod_dvbs_s2_blindscan.h"

#include <stddef.h>
#include <string.h>

enum { D_TUNE, D_AGC, D_START, D_MEASURE };
enum { TUNE_KSPS = 45000, TUNE_SETTLE_MS = 50, STEP_KHZ = 500 };

kit_result_t kit_demod_sat_device_ctrl_detect_cw_seq_Initialize(kit_demod_sat_device_ctrl_detect_cw_seq_t* seq,
                                                                 kit_demod_t* demod, uint32_t freqKHz,
                                                                 uint32_t rangeKHz)
{
    if (!seq || !demod || rangeKHz > 0x7FFFFFFF)
        return KIT_RESULT_ERROR_ARG;
    memset(seq, 0, offsetof(kit_demod_sat_device_ctrl_detect_cw_seq_t, powerPool));
    kit_result_t r =
        kit_demod_dvbs_s2_blindscan_seq_common_Initialize(&seq->common, demod, seq->powerPool, 1, seq->dataPool, 1);
    if (r != KIT_RESULT_OK)
        return r;
    seq->freqKHz = freqKHz;
    seq->rangeKHz = (int32_t)rangeKHz;
    // A second measurement finds the chip still in its search configuration.
    if (demod->state == KIT_DEMOD_STATE_ACTIVE && demod->satState)
        return KIT_RESULT_OK;
    return kit_demod_dvbs_s2_blindscan_Initialize(demod);
}

kit_result_t kit_demod_sat_device_ctrl_detect_cw_seq_Sequence(kit_demod_sat_device_ctrl_detect_cw_seq_t* seq)
{
    if (!seq)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_seq_common_t* common = &seq->common;
    switch (common->state) {
    case D_TUNE:
        kit_demod_dvbs_s2_blindscan_RequestTune(common, seq->freqKHz, KIT_DTV_SYSTEM_DVBS, TUNE_KSPS);
        common->waitTimeMs = TUNE_SETTLE_MS;
        common->state = D_AGC;
        return KIT_RESULT_OK;
    case D_AGC:
        common->state = D_START;
        return kit_demod_dvbs_s2_blindscan_RequestAgc(common);
    case D_START:
        seq->offsetKHz = (int32_t)((int64_t)seq->freqKHz - common->tuneFreqKHz);
        seq->stepKHz = -seq->rangeKHz;
        seq->highest = 0;
        common->state = D_MEASURE;
        return kit_demod_dvbs_s2_blindscan_CS_INIT(common->demod);
    case D_MEASURE:
        if (common->pm.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_pm_Sequence(common);
        if (seq->isMeasuring && common->pm.power > seq->highest)
            seq->highest = common->pm.power;
        if (seq->stepKHz < seq->rangeKHz) {
            seq->isMeasuring = 1;
            const int32_t at = seq->offsetKHz + seq->stepKHz;
            seq->stepKHz += STEP_KHZ;
            return kit_demod_dvbs_s2_blindscan_subseq_pm_Start(common, at);
        }
        seq->power = kit_demod_dvbs_s2_blindscan_PowerLevel(seq->highest, common->convertedAgc);
        common->isContinue = 0;
        return KIT_RESULT_OK;
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
