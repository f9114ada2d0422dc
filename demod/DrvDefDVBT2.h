// DVB-T2 physical-layer numbers: bandwidths, FFT sizes, symbol and frame durations (ns),
// FEC frame sizes before and after LDPC and BCH decoding, pilot spacing, the elementary
// clock, the FEC block rate and the translations of the kit's codes into the library's.
#pragma once

#include "DrvDefCodes.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t DRVDEFDVBT2_get_bw_hz_from_id(uint32_t bw_id);
uint32_t DRVDEFDVBT2_get_bw_id_from_hz(uint32_t hz);
uint32_t DRVDEFDVBT2_get_num_carrier(uint32_t fft_mode);
// FEC frame type: 0 short (16200 bits), anything else normal (64800 bits).
uint32_t DRVDEFDVBT2_get_fecframe_size(uint32_t fec_type);
// K_ldpc and K_bch by kit code rate (0 1/2, 1 3/5, 2 2/3, 3 3/4, 4 4/5, 5 5/6, 6 1/3,
// 7 2/5; others as 1/2).
uint32_t DRVDEFDVBT2_get_fecframe_size_afterldpc(uint32_t fec_type, uint32_t code_rate);
uint32_t DRVDEFDVBT2_get_fecframe_size_afterbch(uint32_t fec_type, uint32_t code_rate);
uint32_t DRVDEFDVBT2_get_bits_per_symbol(uint32_t kit_constellation);
// Carrier distance of the scattered pilots for pilot patterns PP1 ... PP8 (codes 0 ... 7).
uint32_t DRVDEFDVBT2_get_pilots_separation(uint32_t pilot_pattern);
uint32_t DRVDEFDVBT2_get_tu(uint32_t bw_id, uint32_t fft_mode);
uint32_t DRVDEFDVBT2_get_tgi(uint32_t bw_id, uint32_t fft_mode, uint32_t guard);
uint32_t DRVDEFDVBT2_get_ts(uint32_t bw_id, uint32_t fft_mode, uint32_t guard);
uint32_t DRVDEFDVBT2_get_num_p2_per_frame(uint32_t fft_mode);
// P1, P2 and data symbols of one T2 frame, ns.
uint64_t DRVDEFDVBT2_get_frame_time(uint32_t bw_id, uint32_t fft_mode, uint32_t guard, uint32_t data_symbols);
// The FEF length from its L1 field (fef_fields[0]) and, when a = 2 and b = 1, the two high
// bits of the field after it (fef_fields[1]).
uint32_t DRVDEFDVBT2_get_fef_length(uint32_t a, uint32_t b, const uint32_t* fef_fields);
// Share of the time carrying T2 frames when a FEF of fef_time follows every fef_interval
// frames; 1 without FEFs.
double DRVDEFDVBT2_get_ratio_t2frame_fef(double frame_time, double fef_interval, double fef_time);
double DRVDEFDVBT2_get_elementary_clock(uint32_t bw_id);
double DRVDEFDVBT2_get_elementary_period(uint32_t bw_id);
// FEC blocks per second (fef_length in elementary periods).
double DRVDEFDVBT2_get_fecrate(uint32_t bw_id, uint32_t fft_mode, uint32_t guard, uint32_t data_symbols,
                               uint32_t fec_blocks, uint32_t fef_interval, uint32_t fef_length);
uint32_t DRVDEFDVBT2_translate_gi(uint32_t kit_guard);                 // eGUARD_INTERVAL
uint32_t DRVDEFDVBT2_translate_constellation(uint32_t kit_constellation); // eCONSTELLATION_TYPE
uint32_t DRVDEFDVBT2_translate_coderate(uint32_t kit_code_rate);        // eCODE_RATE_TYPE

#ifdef __cplusplus
}
#endif
