// DVB-C2 through the integration layer: the tune driven through the demodulator's tune
// sequencer (tuner moves and waits done here), the channel search, the scan that walks the
// data slices and PLPs it finds, RF level.
#pragma once

#include "kit_demod_dvbc2.h"
#include "kit_integ.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    KIT_INTEG_DVBC2_SEQUENCE_LIMIT_MS = 20000,
    KIT_INTEG_DVBC2_TS_LOCK_MS = 2000,
    // Where a scan looks next when nothing was found.
    KIT_INTEG_DVBC2_SCAN_STEP_6MHZ_KHZ = 1500,
    KIT_INTEG_DVBC2_SCAN_STEP_8MHZ_KHZ = 2000,
};

typedef struct kit_integ_dvbc2_scan_param_t {
    uint32_t startFrequencyKHz;
    uint32_t endFrequencyKHz;
    kit_dtv_bandwidth_t bandwidth;
} kit_integ_dvbc2_scan_param_t;

// One data slice and PLP tried, or (tuneResult 6) a frequency where none locked.
typedef struct kit_integ_dvbc2_scan_result_t {
    uint32_t centerFreqKHz;
    kit_result_t tuneResult;
    kit_dvbc2_tune_param_t tuneParam;
} kit_integ_dvbc2_scan_result_t;

typedef void (*kit_integ_dvbc2_scan_callback_t)(kit_integ_t* integ, kit_integ_dvbc2_scan_result_t* result,
                                                kit_integ_dvbc2_scan_param_t* scanParam);

// Bandwidth 6 or 8 MHz (else 8) and a frequency (else 1) before the chip is touched; then the
// sequencer until it ends (its verdict returned), 20 s at the most (5), the cancel flag (9);
// a failing step or tuner move ends it at once. The cancel flag survives in scan mode.
kit_result_t kit_integ_dvbc2_Tune(kit_integ_t* integ, const kit_dvbc2_tune_param_t* param);
kit_result_t kit_integ_dvbc2_WaitTSLock(kit_integ_t* integ);
// The data slices and PLPs of the C2 system at a frequency, in seq, by the channel search
// driven as the tune is: 0 found, 5 or 6 nothing there.
kit_result_t kit_integ_dvbc2_GetChannelTuneParameters(kit_integ_t* integ, uint32_t searchFreqKHz,
                                                      kit_dtv_bandwidth_t bandwidth,
                                                      kit_dvbc2_get_tune_params_seq_t* seq);
kit_result_t kit_integ_dvbc2_Scan(kit_integ_t* integ, kit_integ_dvbc2_scan_param_t* scanParam,
                                  kit_integ_dvbc2_scan_callback_t callback);
kit_result_t kit_integ_dvbc2_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000);

#ifdef __cplusplus
}
#endif
