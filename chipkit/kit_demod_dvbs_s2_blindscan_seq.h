// The blind scan as a step machine: every DVB-S/S2 carrier of a frequency range between a
// minimum and a maximum symbol rate. Wide carriers come from a coarse sweep of the whole
// range, medium and narrow ones from a fine sweep of what is left; each candidate is tried
// with the chip's symbol-rate search. The record also serves the symbol-rate search
// (kit_demod_dvbs_s2_tune_srs_seq.h).
#pragma once

#include "kit_demod_dvbs_s2_blindscan_subseq.h"

#ifdef __cplusplus
extern "C" {
#endif

// The satellite IF band a scan may cover, and the widest carrier it looks for.
enum {
    KIT_DVBS_S2_BAND_MIN_KHZ = 950000,
    KIT_DVBS_S2_BAND_MAX_KHZ = 2150000,
    KIT_DVBS_S2_SEARCH_MAX_KSPS = 45000,
};

// The power pool holds the fine sweep of one whole band: the band widened by 0.675 x the
// widest rate on each side (1,262 MHz), 64 tunings of 20 MHz with 39 points each.
enum {
    KIT_DVBS_S2_BLINDSCAN_POWER_MAX = 2560,
    KIT_DVBS_S2_BLINDSCAN_DATA_MAX = 5000,
};

typedef struct kit_demod_dvbs_s2_blindscan_seq_t {
    kit_demod_dvbs_s2_blindscan_seq_common_t common;
    // Blind scan: the asked range and rates, and the range widened for carriers at its edges.
    uint32_t minFreqKHz, maxFreqKHz;
    uint32_t minSymbolRateKSps, maxSymbolRateKSps;
    uint32_t lowerKHz, upperKHz;
    // Symbol-rate search: the centre and half the range searched.
    uint32_t centreFreqKHz;
    uint32_t halfRangeKHz;
    // Lists.
    kit_demod_dvbs_s2_blindscan_power_t power;
    kit_demod_dvbs_s2_blindscan_power_t powerLow;
    kit_demod_dvbs_s2_blindscan_power_t powerHigh;
    kit_demod_dvbs_s2_blindscan_data_t detected;
    kit_demod_dvbs_s2_blindscan_data_t candidates;
    kit_demod_dvbs_s2_blindscan_data_t medium;
    kit_demod_dvbs_s2_blindscan_data_t narrow;
    kit_demod_dvbs_s2_blindscan_data_t bands;
    kit_demod_dvbs_s2_blindscan_data_t* current;  // band or point being worked on
    uint32_t index, count;
    // Pools.
    kit_demod_dvbs_s2_blindscan_power_t powerPool[KIT_DVBS_S2_BLINDSCAN_POWER_MAX];
    kit_demod_dvbs_s2_blindscan_data_t dataPool[KIT_DVBS_S2_BLINDSCAN_DATA_MAX];
} kit_demod_dvbs_s2_blindscan_seq_t;

// Sets the scan up and puts the chip into its search configuration.
kit_result_t kit_demod_dvbs_s2_blindscan_seq_Initialize(kit_demod_dvbs_s2_blindscan_seq_t* seq, kit_demod_t* demod,
                                                        uint32_t minFreqKHz, uint32_t maxFreqKHz,
                                                        uint32_t minSymbolRateKSps, uint32_t maxSymbolRateKSps);
// One step; the scan is over when the continue flag is clear.
kit_result_t kit_demod_dvbs_s2_blindscan_seq_Sequence(kit_demod_dvbs_s2_blindscan_seq_t* seq);

#ifdef __cplusplus
}
#endif
