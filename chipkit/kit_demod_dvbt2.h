// DVB-T2 reception: tune and sleep, lock checks, data-PLP and profile selection, the L1-post
// and data-PLP checks the integration layer waits on, and the MER the driver reads, alone or
// through a two-stage sliding-window filter.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Profile as selected and as detected.
typedef uint32_t kit_dvbt2_profile_t;  // KIT_DVBT2_PROFILE_*

// Starts DVB-T2 reception for param's bandwidth (1.7, 5, 6, 7 or 8 MHz); a retune on DVB-T2
// rewrites the band setting only. A bandwidth outside those gives 3 with nothing written.
kit_result_t kit_demod_dvbt2_Tune(kit_demod_t* demod, const kit_dvbt2_tune_param_t* param);
// The DVB-T2 part of going to sleep (kit_demod_Sleep sets the state). Asleep or active.
kit_result_t kit_demod_dvbt2_Sleep(kit_demod_t* demod);

kit_result_t kit_demod_dvbt2_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);
kit_result_t kit_demod_dvbt2_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);

// automatic: the first PLP the demodulator finds; else plpId. Asleep or active.
kit_result_t kit_demod_dvbt2_SetPLPConfig(kit_demod_t* demod, uint8_t automatic, uint8_t plpId);
// Base, lite or either (2); above 2 gives 1. Asleep or active.
kit_result_t kit_demod_dvbt2_SetProfile(kit_demod_t* demod, kit_dvbt2_profile_t profile);
// Whether the L1-post information has been received. Asleep or active.
kit_result_t kit_demod_dvbt2_CheckL1PostValid(kit_demod_t* demod, uint8_t* valid);
kit_result_t kit_demod_dvbt2_ClearBERSNRHistory(kit_demod_t* demod);

// Sync state 0..6 (6 synchronised), TS lock, early unlock; sync state 7 gives 4.
kit_result_t kit_demod_dvbt2_monitor_SyncStat(kit_demod_t* demod, uint8_t* syncState, uint8_t* tsLock,
                                              uint8_t* earlyUnlock);
// The data PLP's error flag; 4 until the L1-post is valid.
kit_result_t kit_demod_dvbt2_monitor_DataPLPError(kit_demod_t* demod, uint8_t* error);
// The detected profile (base or lite); 4 until detected.
kit_result_t kit_demod_dvbt2_monitor_Profile(kit_demod_t* demod, kit_dvbt2_profile_t* profile);
// 0 when synchronised (sync state 6), else 4: the condition most monitors need.
kit_result_t kit_demod_dvbt2_Synchronised(kit_demod_t* demod);
// One MER reading, dB x 1000; 4 unless synchronised or with a zero register.
kit_result_t kit_demod_dvbt2_adv_monitor_MER(kit_demod_t* demod, int32_t* mer);

// ---- MER filter ----

enum {
    KIT_MER_WINDOW_MAX = 90,
    KIT_DVBT2_MER_FILTERED_SIZE = 6,
    KIT_DVBT2_MER_RAW_SIZE = 90,
    KIT_DVBT2_MER_READINGS_PER_CALL = 10,
};

// A ring of MER samples (dB x 1000): count valid ones, index the next write, size in use.
typedef struct kit_mer_window_t {
    int32_t values[KIT_MER_WINDOW_MAX];
    uint16_t count;
    uint16_t index;
    uint16_t size;
} kit_mer_window_t;

// Every full raw window adds one estimate to the filtered window, whose mean is the output.
typedef struct kit_dvbt2_mer_filter_t {
    kit_mer_window_t filtered;
    kit_mer_window_t raw;
} kit_dvbt2_mer_filter_t;

kit_result_t kit_demod_dvbt2_adv_monitor_InitMERFilter(kit_dvbt2_mer_filter_t* filter);
// Feeds filter with 10 readings: lastMer is the newest, filteredMer the filter's output.
kit_result_t kit_demod_dvbt2_adv_monitor_FilteredMER(kit_demod_t* demod, kit_dvbt2_mer_filter_t* filter,
                                                     int32_t* lastMer, int32_t* filteredMer);

// Mean of the valid samples rounded half away from zero; 0 when empty or corrupt.
int32_t window_GetAverage(const kit_mer_window_t* window);
// The newest sample.
int32_t kit_window_get_last_value(const kit_mer_window_t* window);
// mean + (max - mean) / 2: a reading leaning to the best samples, as fading only lowers MER.
int32_t kit_estimate_mer_from_window(const kit_mer_window_t* window);

#ifdef __cplusplus
}
#endif
