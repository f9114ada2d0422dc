// The step machines the satellite searches are built of, and the part of a search record
// they share. A step does a few register accesses and returns; what it needs from outside
// (a wait, a tune of the satellite tuner, an AGC conversion, a single-cable command) it asks
// for in the record, and the integration layer serves it before the next step.
//   ss: spectrum sweep, a power list over a frequency range, one span per tuning;
//   pm: power measurement at one offset from the tuned frequency;
//   cs: carrier search, the edges of a narrow carrier around an offset;
//   bt: blind tune, the chip's symbol-rate search on one candidate;
//   fs: fine search, blind tunes over a candidate list into a detected-channel list.
#pragma once

#include "kit_common.h"
#include "kit_demod_dvbs_s2_blindscan_data.h"
#include "kit_diseqc_command.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_demod_dvbs_s2_blindscan_subseq_ss_t {
    uint8_t isRunning;
    uint32_t state;
    uint32_t startKHz, endKHz, stepKHz, spanKHz;
    uint8_t mode;
    uint32_t tuningKHz;
    int32_t agc;  // converted AGC of the current tuning, 0.01 dB
    kit_stopwatch_t stopwatch;
    kit_demod_dvbs_s2_blindscan_power_t* out;
    kit_demod_dvbs_s2_blindscan_power_t* tail;  // last entry of out
} kit_demod_dvbs_s2_blindscan_subseq_ss_t;

typedef struct kit_demod_dvbs_s2_blindscan_subseq_pm_t {
    uint8_t isRunning;
    uint32_t state;
    int32_t offsetKHz;
    kit_stopwatch_t stopwatch;
    uint16_t power;  // raw, the result
} kit_demod_dvbs_s2_blindscan_subseq_pm_t;

typedef struct kit_demod_dvbs_s2_blindscan_subseq_cs_t {
    uint8_t isRunning;
    uint32_t state;
    uint8_t isMeasuring;
    int32_t centreKHz;
    uint32_t index;
    int32_t peakKHz;
    uint32_t peakPower;
    int32_t lowerKHz, upperKHz;
    // Results.
    uint8_t isFound;
    uint32_t widthKHz;
    int32_t carrierKHz;  // centre of the carrier, as an offset from the tuned frequency
} kit_demod_dvbs_s2_blindscan_subseq_cs_t;

typedef struct kit_demod_dvbs_s2_blindscan_subseq_bt_t {
    uint8_t isRunning;
    uint32_t state;
    uint32_t freqKHz, symbolRateKSps, minSymbolRateKSps, maxSymbolRateKSps;
    uint32_t lowerLimitKSps, upperLimitKSps;
    kit_stopwatch_t stopwatch;
    uint32_t lockTimeMs;
    uint8_t isSecondWait;
    // Results.
    uint8_t isLocked;
    kit_dvbs_s2_tune_param_t detected;
} kit_demod_dvbs_s2_blindscan_subseq_bt_t;

typedef struct kit_demod_dvbs_s2_blindscan_subseq_fs_t {
    uint8_t isRunning;
    uint32_t state;
    uint8_t isTuning;
    kit_demod_dvbs_s2_blindscan_data_t* candidates;
    kit_demod_dvbs_s2_blindscan_data_t* current;
    uint32_t index, count;
    uint32_t lowerLimitKSps, upperLimitKSps;
    kit_demod_dvbs_s2_blindscan_data_t* detected;
} kit_demod_dvbs_s2_blindscan_subseq_fs_t;

// What every search record begins with.
typedef struct kit_demod_dvbs_s2_blindscan_seq_common_t {
    kit_demod_t* demod;
    uint32_t waitTimeMs;  // 0: none
    // A detected channel to report.
    uint8_t isResult;
    kit_dvbs_s2_tune_param_t result;
    // Tune request; the integration layer writes the tuner's actual frequency back.
    uint8_t isTuneRequest;
    uint32_t tuneFreqKHz;
    kit_dtv_system_t tuneSystem;
    uint32_t tuneSymbolRateKSps;  // 0: the tuner's own
    // AGC conversion request.
    uint8_t isAgcRequest;
    uint32_t agcValue;
    int32_t convertedAgc;  // 0.01 dB
    // Single-cable command request (user-band search).
    uint8_t isSinglecableRequest;
    kit_diseqc_message_t singlecableMessage;
    kit_demod_dvbs_s2_blindscan_storage_t storage;
    // Progress: low + (high - low) x within / 100 percent.
    uint8_t progressLast, progressLow, progressHigh, progressWithin;
    uint32_t progressFromKHz, progressToKHz;  // a sweep's position counts within these
    uint32_t clockLowKHz, clockHighKHz;
    uint8_t isContinue;
    uint8_t isFound;
    uint32_t state;
    kit_demod_dvbs_s2_blindscan_subseq_bt_t bt;
    kit_demod_dvbs_s2_blindscan_subseq_pm_t pm;
    kit_demod_dvbs_s2_blindscan_subseq_ss_t ss;
    kit_demod_dvbs_s2_blindscan_subseq_fs_t fs;
    kit_demod_dvbs_s2_blindscan_subseq_cs_t cs;
} kit_demod_dvbs_s2_blindscan_seq_common_t;

// Clears the shared part, binds it to the demodulator and its pools and sets it going.
kit_result_t kit_demod_dvbs_s2_blindscan_seq_common_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                               kit_demod_t* demod,
                                                               kit_demod_dvbs_s2_blindscan_power_t* powerPool,
                                                               uint32_t powerCount,
                                                               kit_demod_dvbs_s2_blindscan_data_t* dataPool,
                                                               uint32_t dataCount);
// Asks for a tune of the satellite tuner (the actual frequency comes back in tuneFreqKHz).
void kit_demod_dvbs_s2_blindscan_RequestTune(kit_demod_dvbs_s2_blindscan_seq_common_t* common, uint32_t freqKHz,
                                             kit_dtv_system_t system, uint32_t symbolRateKSps);
// Reads the IF AGC and asks for its conversion (the result comes back in convertedAgc).
kit_result_t kit_demod_dvbs_s2_blindscan_RequestAgc(kit_demod_dvbs_s2_blindscan_seq_common_t* common);
// 10 log10(raw power) - 42.1 dB - the converted AGC, in 0.01 dB.
int32_t kit_demod_dvbs_s2_blindscan_PowerLevel(uint32_t rawPower, int32_t convertedAgc);

// Each sub-sequence: Initialize clears it, Start sets it running, Sequence runs one step and
// clears isRunning when done.
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_ss_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_ss_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         uint32_t startKHz, uint32_t endKHz, uint32_t stepKHz,
                                                         uint32_t spanKHz, uint8_t mode,
                                                         kit_demod_dvbs_s2_blindscan_power_t* out);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common);

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_pm_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_pm_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         int32_t offsetKHz);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_pm_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common);

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         int32_t centreKHz);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common);
// A carrier the search found becomes a candidate at its centre, its width taken as the rate,
// searched from 0.7 to 1.6 times that; nothing when none was found.
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_AppendCandidate(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                                   kit_demod_dvbs_s2_blindscan_data_t* candidates);

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_bt_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_bt_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         uint32_t freqKHz, uint32_t symbolRateKSps,
                                                         uint32_t minSymbolRateKSps, uint32_t maxSymbolRateKSps,
                                                         uint32_t lowerLimitKSps, uint32_t upperLimitKSps);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_bt_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common);

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_fs_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_fs_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         kit_demod_dvbs_s2_blindscan_data_t* candidates,
                                                         uint32_t lowerLimitKSps, uint32_t upperLimitKSps,
                                                         kit_demod_dvbs_s2_blindscan_data_t* detected);
kit_result_t kit_demod_dvbs_s2_blindscan_subseq_fs_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common);

#ifdef __cplusplus
}
#endif
