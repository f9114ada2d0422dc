// DVB-C on the demodulator: the tune (from sleep, from another system, or a retune of the
// band while active), the way back to sleep, and the transport-stream lock the integration
// layer waits for. The tune itself never waits; the tuner and the lock wait come after it.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Bandwidth 6, 7 or 8 MHz (else 3 before any write). From sleep: the sleep-to-active
// sequence; active on DVB-C: TS output off and the band setting only; active on another
// system: that system's sleep first. Ends active on DVB-C; a failure half-way leaves the
// handle invalid. Other states give 3.
kit_result_t kit_demod_dvbc_Tune(kit_demod_t* demod, const kit_dvbc_tune_param_t* param);
// The active-to-sleep sequence (kit_demod_Sleep calls it); state 2 or 3.
kit_result_t kit_demod_dvbc_Sleep(kit_demod_t* demod);
// Locked when AR and TS lock are both set; in scan mode the chip's unlock verdict gives
// "unlocked". Active on DVB-C only.
kit_result_t kit_demod_dvbc_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);

#ifdef __cplusplus
}
#endif
