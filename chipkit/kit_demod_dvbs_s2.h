// DVB-S and DVB-S2 on the demodulator: entering and leaving the satellite mode, retuning
// within it, the symbol-rate word, the transport-stream lock and whether the satellite
// path inverts the I/Q spectrum.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// The symbol-rate word is 20 bits of ksps x 16384 / 1000; above this rate it no longer fits.
enum { KIT_DVBS_S2_SYMBOL_RATE_MAX_KSPS = 63999 };

// Puts the demodulator into the parameters' system (DVB-S, DVB-S2 or either) and symbol
// rate: from sleep the whole sleep-to-active sequence; active on the same system only the
// symbol rate (TS output off until kit_demod_TuneEnd); active on another system, or in the
// search configuration, leaves that first. Active on success, invalid after a failure half-way.
kit_result_t kit_demod_dvbs_s2_Tune(kit_demod_t* demod, const kit_dvbs_s2_tune_param_t* param);
// Leaves the satellite mode (normal or search configuration); asleep, system 0.
kit_result_t kit_demod_dvbs_s2_Sleep(kit_demod_t* demod);
// Writes the symbol-rate word; 7 when the rate is 0 or its word does not fit.
kit_result_t kit_demod_dvbs_s2_SetSymbolRate(kit_demod_t* demod, uint32_t symbolRateKSps);
// 1 when the transport stream is locked, else 0.
kit_result_t kit_demod_dvbs_s2_CheckTSLock(kit_demod_t* demod, uint32_t* lock);
// Whether the monitors take the spectrum as inverted: the satellite I/Q flag, turned over by
// a single-cable outdoor unit whose conversion flips it.
kit_result_t kit_demod_dvbs_s2_CheckIQInvert(kit_demod_t* demod, uint8_t* inverted);

#ifdef __cplusplus
}
#endif
