// The strongest power near one frequency as a step machine, for deciding whether a CW
// carrier is present: the satellite tuner on the frequency, then single-point power
// measurements every 500 kHz across the range.
#pragma once

#include "kit_demod_dvbs_s2_blindscan_subseq.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_demod_sat_device_ctrl_detect_cw_seq_t {
    kit_demod_dvbs_s2_blindscan_seq_common_t common;
    uint32_t freqKHz;
    int32_t rangeKHz;
    int32_t offsetKHz;
    int32_t stepKHz;  // the next offset from the tuned frequency, -range up to below +range
    uint8_t isMeasuring;
    uint32_t highest;
    int32_t power;  // the result, 0.01 dB
    kit_demod_dvbs_s2_blindscan_power_t powerPool[1];
    kit_demod_dvbs_s2_blindscan_data_t dataPool[1];
} kit_demod_sat_device_ctrl_detect_cw_seq_t;

kit_result_t kit_demod_sat_device_ctrl_detect_cw_seq_Initialize(kit_demod_sat_device_ctrl_detect_cw_seq_t* seq,
                                                                 kit_demod_t* demod, uint32_t freqKHz,
                                                                 uint32_t rangeKHz);
kit_result_t kit_demod_sat_device_ctrl_detect_cw_seq_Sequence(kit_demod_sat_device_ctrl_detect_cw_seq_t* seq);

#ifdef __cplusplus
}
#endif
