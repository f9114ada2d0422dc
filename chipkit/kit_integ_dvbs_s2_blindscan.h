// The satellite searches of the integration layer: the blind scan of a frequency range and
// the symbol-rate search that finds and tunes one carrier near a frequency. Both run their
// step machine and serve its requests (waits, satellite-tuner tunes through the repeater,
// AGC conversions); the blind scan reports each channel and its progress to a callback.
#pragma once

#include "kit_common.h"
#include "kit_demod_dvbs_s2_blindscan_seq.h"
#include "kit_demod_dvbs_s2_tune_srs_seq.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_integ_dvbs_s2_blindscan_param_t {
    uint32_t minFreqKHz;
    uint32_t maxFreqKHz;
    uint32_t minSymbolRateKSps;
    uint32_t maxSymbolRateKSps;
} kit_integ_dvbs_s2_blindscan_param_t;

typedef struct kit_integ_dvbs_s2_tune_srs_param_t {
    uint32_t centerFreqKHz;
    uint32_t range;  // KIT_DVBS_S2_TUNE_SRS_RANGE_*
} kit_integ_dvbs_s2_tune_srs_param_t;

enum { KIT_INTEG_DVBS_S2_BLINDSCAN_EVENT_DETECT = 0, KIT_INTEG_DVBS_S2_BLINDSCAN_EVENT_PROGRESS = 1 };

typedef struct kit_integ_dvbs_s2_blindscan_result_t {
    uint32_t eventId;
    kit_dvbs_s2_tune_param_t tuneParam;  // the channel detected
    uint8_t progress;                    // percent, never falling
} kit_integ_dvbs_s2_blindscan_result_t;

typedef void (*kit_integ_dvbs_s2_blindscan_callback_t)(kit_integ_t* integ,
                                                       const kit_integ_dvbs_s2_blindscan_result_t* result);

// Scans the range; while a detected channel is reported the TS output is on. Needs a
// satellite tuner that tunes, sleeps and converts AGC values (else 1) and the demodulator
// asleep or active (else 3). 0 at the end (tuner and demodulator asleep), 9 cancelled, 11
// when the pools run out, or the first failure.
kit_result_t kit_integ_dvbs_s2_BlindScan(kit_integ_t* integ, kit_demod_dvbs_s2_blindscan_seq_t* seq,
                                         const kit_integ_dvbs_s2_blindscan_param_t* param,
                                         kit_integ_dvbs_s2_blindscan_callback_t callback);
// Finds a carrier of unknown rate within the range and leaves it tuned, locked and with the
// TS output on: 0 with its parameters, 6 when nothing locked there, 9 cancelled.
kit_result_t kit_integ_dvbs_s2_TuneSRS(kit_integ_t* integ, kit_demod_dvbs_s2_tune_srs_seq_t* seq,
                                       const kit_integ_dvbs_s2_tune_srs_param_t* param,
                                       kit_dvbs_s2_tune_param_t* tuneParam);

#ifdef __cplusplus
}
#endif
