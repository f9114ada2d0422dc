// DVB-T or DVB-T2, whichever is there: the blind tune that tries both (in the order the
// demodulator's configuration asks for), the scan over both, and the RF level of the one
// received.
#pragma once

#include "kit_integ.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_integ_dvbt_t2_scan_param_t {
    uint32_t startFrequencyKHz;
    uint32_t endFrequencyKHz;
    uint32_t stepFrequencyKHz;
    kit_dtv_bandwidth_t bandwidth;
    kit_dtv_system_t system;  // DVB-T, DVB-T2 or any
    uint32_t profile;         // of DVB-T2: base, lite or any
} kit_integ_dvbt_t2_scan_param_t;

// One frequency, or one data PLP of a DVB-T2 channel found there; the record of the system
// found is the one filled.
typedef struct kit_integ_dvbt_t2_scan_result_t {
    uint32_t centerFreqKHz;
    kit_result_t tuneResult;
    kit_dtv_system_t system;
    kit_dvbt_tune_param_t dvbtTuneParam;
    kit_dvbt2_tune_param_t dvbt2TuneParam;
} kit_integ_dvbt_t2_scan_result_t;

typedef void (*kit_integ_dvbt_t2_scan_callback_t)(kit_integ_t* integ, kit_integ_dvbt_t2_scan_result_t* result,
                                                  kit_integ_dvbt_t2_scan_param_t* scanParam);

// System DVB-T, DVB-T2 or any (else 8); bandwidth 1.7 MHz only with DVB-T2 (else 8). Any tries
// DVB-T2 first when the demodulator's blind-tune order flag is set, DVB-T first otherwise;
// the first that locks ends the search, and a cancelled try ends it too. The result is that
// of the last try; systemFound and profileFound are written on success.
kit_result_t kit_integ_dvbt_t2_BlindTune(kit_integ_t* integ, uint32_t centerFreqKHz, kit_dtv_bandwidth_t bandwidth,
                                         kit_dtv_system_t system, uint32_t profile, kit_dtv_system_t* systemFound,
                                         uint32_t* profileFound);
kit_result_t kit_integ_dvbt_t2_Scan(kit_integ_t* integ, kit_integ_dvbt_t2_scan_param_t* scanParam,
                                    kit_integ_dvbt_t2_scan_callback_t callback);
// The RF level of the system the demodulator is active on (DVB-T or DVB-T2, else 3).
kit_result_t kit_integ_dvbt_t2_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000);

#ifdef __cplusplus
}
#endif
