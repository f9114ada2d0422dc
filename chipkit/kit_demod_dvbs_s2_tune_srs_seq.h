// The symbol-rate search as a step machine: one carrier of unknown rate near a given
// frequency, narrow carriers measured edge to edge, wider ones cut from the spectrum, each
// tried with the chip's symbol-rate search until one locks.
#pragma once

#include "kit_demod_dvbs_s2_blindscan_seq.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef kit_demod_dvbs_s2_blindscan_seq_t kit_demod_dvbs_s2_tune_srs_seq_t;

// Search ranges: plus or minus 10 MHz or 5 MHz around the centre.
enum { KIT_DVBS_S2_TUNE_SRS_RANGE_10MHZ = 0, KIT_DVBS_S2_TUNE_SRS_RANGE_5MHZ = 1 };

kit_result_t kit_demod_dvbs_s2_tune_srs_seq_Initialize(kit_demod_dvbs_s2_tune_srs_seq_t* seq, kit_demod_t* demod,
                                                       uint32_t centreFreqKHz, uint32_t range);
// One step; when the continue flag clears, the found flag and the result tell what locked.
kit_result_t kit_demod_dvbs_s2_tune_srs_seq_Sequence(kit_demod_dvbs_s2_tune_srs_seq_t* seq);

#ifdef __cplusplus
}
#endif
