// J.83 Annex B through the integration layer: tune and TS-lock wait, scan, RF level.
#pragma once

#include "kit_integ_channel.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { KIT_INTEG_J83B_TS_LOCK_MS = 1000 };

typedef kit_integ_scan_param_t kit_integ_j83b_scan_param_t;
typedef kit_integ_channel_scan_result_t kit_integ_j83b_scan_result_t;
typedef kit_integ_channel_scan_callback_t kit_integ_j83b_scan_callback_t;

// Bandwidth 50 or 51 (else 8) and a frequency (else 1), checked before the chip is
// touched; then the demodulator, the tuner with system J.83 Annex B, the tune end and the TS lock.
kit_result_t kit_integ_j83b_Tune(kit_integ_t* integ, const kit_j83b_tune_param_t* param);
kit_result_t kit_integ_j83b_WaitTSLock(kit_integ_t* integ);
kit_result_t kit_integ_j83b_Scan(kit_integ_t* integ, kit_integ_j83b_scan_param_t* scanParam,
                                 kit_integ_j83b_scan_callback_t callback);
kit_result_t kit_integ_j83b_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000);

#ifdef __cplusplus
}
#endif
