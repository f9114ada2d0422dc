// What the integration layer does alike for the standards whose tune parameters are a
// frequency and a bandwidth alone (DVB-C, J.83 Annex B, ISDB-T): the tune with its lock wait,
// the scan, and the records a scan reports through.
#pragma once

#include "kit_integ.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_integ_channel_standard_t {
    kit_dtv_system_t system;  // told to the tuner and to the scan mode
    int (*bandwidthOk)(kit_dtv_bandwidth_t bandwidth);
    uint8_t refuseZeroFrequency;
    kit_result_t (*demodTune)(kit_demod_t* demod, const kit_dvbc_tune_param_t* param);
    kit_result_t (*waitLock)(kit_integ_t* integ);
} kit_integ_channel_standard_t;

// One frequency a scan tried: the frequency, the tune's result and what was tuned.
typedef struct kit_integ_channel_scan_result_t {
    uint32_t centerFreqKHz;
    kit_result_t tuneResult;
    kit_dvbc_tune_param_t tuneParam;
} kit_integ_channel_scan_result_t;

typedef void (*kit_integ_channel_scan_callback_t)(kit_integ_t* integ, kit_integ_channel_scan_result_t* result,
                                                  kit_integ_scan_param_t* scanParam);

// The cancel flag survives in scan mode; the bandwidth (8) and the frequency (1) are checked
// before the chip is touched.
kit_result_t kit_integ_channel_Tune(kit_integ_t* integ, const kit_integ_channel_standard_t* standard,
                                    const kit_dvbc_tune_param_t* param);
kit_result_t kit_integ_channel_Scan(kit_integ_t* integ, const kit_integ_channel_standard_t* standard,
                                    kit_integ_scan_param_t* scanParam,
                                    kit_integ_channel_scan_callback_t callback);

#ifdef __cplusplus
}
#endif
