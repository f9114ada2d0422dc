// ISDB-T through the integration layer: tune and lock wait (demodulator lock only in scan
// mode), the emergency-warning tune, scan, RF level.
#pragma once

#include "kit_integ_channel.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { KIT_INTEG_ISDBT_LOCK_MS = 1500 };

typedef kit_integ_scan_param_t kit_integ_isdbt_scan_param_t;
typedef kit_integ_channel_scan_result_t kit_integ_isdbt_scan_result_t;
typedef kit_integ_channel_scan_callback_t kit_integ_isdbt_scan_callback_t;

// Bandwidth 6, 7 or 8 MHz (else 8), checked before the chip is touched; then the demodulator,
// the tuner with system ISDB-T, the tune end and the TS lock (the demodulator lock in scan mode).
kit_result_t kit_integ_isdbt_Tune(kit_integ_t* integ, const kit_isdbt_tune_param_t* param);
// The emergency-warning reception: the TS output stays off, so only the demodulator lock is
// waited for. Always clears the cancel flag.
kit_result_t kit_integ_isdbt_EWSTune(kit_integ_t* integ, const kit_isdbt_tune_param_t* param);
kit_result_t kit_integ_isdbt_WaitTSLock(kit_integ_t* integ);
kit_result_t kit_integ_isdbt_WaitDemodLock(kit_integ_t* integ);
kit_result_t kit_integ_isdbt_Scan(kit_integ_t* integ, kit_integ_isdbt_scan_param_t* scanParam,
                                  kit_integ_isdbt_scan_callback_t callback);
kit_result_t kit_integ_isdbt_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000);

#ifdef __cplusplus
}
#endif
