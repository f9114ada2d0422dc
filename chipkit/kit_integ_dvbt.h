// DVB-T through the integration layer: tune and TS-lock wait (with the echo setting at every
// poll), the blind tune, scan, RF level and signal-strength indicator.
#pragma once

#include "kit_integ.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { KIT_INTEG_DVBT_LOCK_MS = 1000 };

typedef kit_integ_scan_param_t kit_integ_dvbt_scan_param_t;

typedef struct kit_integ_dvbt_scan_result_t {
    uint32_t centerFreqKHz;
    kit_result_t tuneResult;
    kit_dvbt_tune_param_t tuneParam;
} kit_integ_dvbt_scan_result_t;

typedef void (*kit_integ_dvbt_scan_callback_t)(kit_integ_t* integ, kit_integ_dvbt_scan_result_t* result,
                                               kit_integ_dvbt_scan_param_t* scanParam);

// Always clears the cancel flag. Bandwidth 5 to 8 MHz (else 8) before the chip is touched;
// then the stream (HP or LP), the demodulator, the tuner with system DVB-T, the tune end and
// the TS lock.
kit_result_t kit_integ_dvbt_Tune(kit_integ_t* integ, const kit_dvbt_tune_param_t* param);
// The HP stream of whatever DVB-T channel is there, up to the demodulator lock. The cancel
// flag survives in scan mode.
kit_result_t kit_integ_dvbt_BlindTune(kit_integ_t* integ, uint32_t centerFreqKHz, kit_dtv_bandwidth_t bandwidth);
kit_result_t kit_integ_dvbt_WaitTSLock(kit_integ_t* integ);
kit_result_t kit_integ_dvbt_WaitDemodLock(kit_integ_t* integ);
// Blind tunes over the range.
kit_result_t kit_integ_dvbt_Scan(kit_integ_t* integ, kit_integ_dvbt_scan_param_t* scanParam,
                                 kit_integ_dvbt_scan_callback_t callback);
kit_result_t kit_integ_dvbt_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000);
// 0..100 from the RF level against the reference level of the TPS constellation and HP code
// rate; 10 for TPS values outside the reference table.
kit_result_t kit_integ_dvbt_monitor_SSI(kit_integ_t* integ, uint8_t* ssi);

#ifdef __cplusplus
}
#endif
