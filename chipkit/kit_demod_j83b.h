// J.83 Annex B on the demodulator: the DVB-C path of the chip with its own wake-up and sleep
// register sets and two band settings (50 and 51) in place of megahertz values.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Bandwidth 50 or 51, else 1 before anything else is looked at. Otherwise as the DVB-C tune:
// sleep-to-active from sleep, TS output off and the band setting when active on J.83 Annex B,
// the other system's sleep first when active on another.
kit_result_t kit_demod_j83b_Tune(kit_demod_t* demod, const kit_j83b_tune_param_t* param);
// The active-to-sleep sequence (kit_demod_Sleep calls it); state 2 or 3.
kit_result_t kit_demod_j83b_Sleep(kit_demod_t* demod);
// As DVB-C: AR and TS lock; in scan mode the unlock verdict.
kit_result_t kit_demod_j83b_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);

#ifdef __cplusplus
}
#endif
