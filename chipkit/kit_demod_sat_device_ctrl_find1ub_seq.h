// The user-band search as a step machine: with every user band of a single-cable outdoor
// unit lit, the strongest point of the spectrum is a user band; it is the one asked for when
// its power drops by more than 10 dB once that user band alone is switched off.
#pragma once

#include "kit_demod_dvbs_s2_blindscan_subseq.h"

#ifdef __cplusplus
extern "C" {
#endif

// The power pool holds the sweep of the whole satellite band (5 MHz margin each side).
enum { KIT_SAT_FIND1UB_POWER_MAX = 2530, KIT_SAT_FIND1UB_DATA_MAX = 1 };

typedef struct kit_demod_sat_device_ctrl_find1ub_seq_t {
    kit_demod_dvbs_s2_blindscan_seq_common_t common;
    uint32_t lowerKHz, upperKHz;
    uint8_t userband;
    kit_demod_dvbs_s2_blindscan_power_t power;
    kit_demod_dvbs_s2_blindscan_power_t* strongest;  // the point under test
    int32_t offsetKHz;
    uint32_t measureIndex;
    uint32_t highest;
    int32_t powerOn;
    uint8_t isUserbandOff;
    uint8_t powerOffUserband;  // the next user band switched off at the end
    // Results.
    kit_result_t result;
    uint32_t foundKHz;  // 0: none
    kit_demod_dvbs_s2_blindscan_power_t powerPool[KIT_SAT_FIND1UB_POWER_MAX];
    kit_demod_dvbs_s2_blindscan_data_t dataPool[KIT_SAT_FIND1UB_DATA_MAX];
} kit_demod_sat_device_ctrl_find1ub_seq_t;

// Searches lowerKHz - 5 MHz to upperKHz + 5 MHz for user band 1..8 (else 7).
kit_result_t kit_demod_sat_device_ctrl_find1ub_seq_Initialize(kit_demod_sat_device_ctrl_find1ub_seq_t* seq,
                                                              kit_demod_t* demod, uint32_t lowerKHz,
                                                              uint32_t upperKHz, uint8_t userband);
kit_result_t kit_demod_sat_device_ctrl_find1ub_seq_Sequence(kit_demod_sat_device_ctrl_find1ub_seq_t* seq);

#ifdef __cplusplus
}
#endif
