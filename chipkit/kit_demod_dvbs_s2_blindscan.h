// The demodulator's tools for the satellite searches: its search configuration, the
// spectrum engine (a power sweep over a span around the tuned frequency, or the power at
// one fine carrier offset), the chip's own symbol-rate search within a ratio range, and the
// TS output switch.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// The sampling clocks of the two sampling modes, in kHz.
enum { KIT_DVBS_S2_CLOCK_LOW_KHZ = 64000, KIT_DVBS_S2_CLOCK_HIGH_KHZ = 96000 };

// Into the search configuration: the satellite mode on "either" at 20,000 ksps, then the
// search settings; the satellite state becomes 1. A null handle gives 3.
kit_result_t kit_demod_dvbs_s2_blindscan_Initialize(kit_demod_t* demod);
// 1: the high sampling rate.
kit_result_t kit_demod_dvbs_s2_blindscan_SetSampleMode(kit_demod_t* demod, uint8_t on);
// The power sweep (mode: the satellite search setting) and the single-point power measurement.
kit_result_t kit_demod_dvbs_s2_blindscan_PS_INIT(kit_demod_t* demod, uint8_t mode);
kit_result_t kit_demod_dvbs_s2_blindscan_PS_FIN(kit_demod_t* demod);
kit_result_t kit_demod_dvbs_s2_blindscan_CS_INIT(kit_demod_t* demod);
kit_result_t kit_demod_dvbs_s2_blindscan_CS_FIN(kit_demod_t* demod);
// The sweep's span and step around the tuned frequency, in steps of clock / 2048.
kit_result_t kit_demod_dvbs_s2_blindscan_PS_SET(kit_demod_t* demod, int32_t lowKHz, int32_t highKHz,
                                                uint32_t stepKHz, uint32_t clockKHz);
kit_result_t kit_demod_dvbs_s2_blindscan_PS_START(kit_demod_t* demod);
// Acknowledges one result so that the next one comes up.
kit_result_t kit_demod_dvbs_s2_blindscan_PS_RACK(kit_demod_t* demod);
// 1 once the measurement has finished.
kit_result_t kit_demod_dvbs_s2_blindscan_GetCSFIN(kit_demod_t* demod, uint8_t* finished);
// 1 once every result of a sweep has been read.
kit_result_t kit_demod_dvbs_s2_blindscan_GetCSRDEND(kit_demod_t* demod, uint8_t* readEnd);
// One sweep result: offset in clock / 2048 steps (11 bits, signed) and raw power (12 bits).
kit_result_t kit_demod_dvbs_s2_blindscan_GetCSINFO(kit_demod_t* demod, int32_t* offset, uint32_t* power);
// The raw power of the single-point measurement.
kit_result_t kit_demod_dvbs_s2_blindscan_GetPSPow(kit_demod_t* demod, uint16_t* power);
// 1 once the chip's symbol-rate search has finished.
kit_result_t kit_demod_dvbs_s2_blindscan_GetSRSFIN(kit_demod_t* demod, uint8_t* finished);
// 1 when the timing recovery has locked.
kit_result_t kit_demod_dvbs_s2_blindscan_CheckTRLLock(kit_demod_t* demod, uint8_t* locked);
// Where the single-point measurement looks, in kHz from the tuned frequency (the 21-bit word
// reaches 64 MHz either way; beyond gives 7).
kit_result_t kit_demod_dvbs_s2_blindscan_SetCFFine(kit_demod_t* demod, int32_t offsetKHz);
// The symbol-rate search range around the programmed rate, in 1024ths: low = minimum x 1024 /
// rate, high = maximum x 1024 / rate - 1024; each below 1024 (else 1).
kit_result_t kit_demod_dvbs_s2_blindscan_SetSymbolRateRatio(kit_demod_t* demod, uint32_t low, uint32_t high);
kit_result_t kit_demod_dvbs_s2_blindscan_SetTSOut(kit_demod_t* demod, uint8_t on);

#ifdef __cplusplus
}
#endif
