// DVB-C through the integration layer: tune and TS-lock wait, scan, RF level.
#pragma once

#include "kit_integ_channel.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { KIT_INTEG_DVBC_TS_LOCK_MS = 1000 };

typedef kit_integ_scan_param_t kit_integ_dvbc_scan_param_t;
typedef kit_integ_channel_scan_result_t kit_integ_dvbc_scan_result_t;
typedef kit_integ_channel_scan_callback_t kit_integ_dvbc_scan_callback_t;

// Bandwidth 6, 7 or 8 MHz (else 8) and a frequency (else 1), checked before the chip is
// touched; then the demodulator, the tuner with system DVB-C, the tune end and the TS lock.
kit_result_t kit_integ_dvbc_Tune(kit_integ_t* integ, const kit_dvbc_tune_param_t* param);
kit_result_t kit_integ_dvbc_WaitTSLock(kit_integ_t* integ);
kit_result_t kit_integ_dvbc_Scan(kit_integ_t* integ, kit_integ_dvbc_scan_param_t* scanParam,
                                 kit_integ_dvbc_scan_callback_t callback);
kit_result_t kit_integ_dvbc_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000);

#ifdef __cplusplus
}
#endif
