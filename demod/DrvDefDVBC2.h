// DVB-C2 physical-layer numbers: bandwidths, symbol durations (ns), pilot spacing, bits per
// cell, FEC frame sizes and the translations of the kit's codes into the library's.
#pragma once

#include "DrvDefCodes.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t DRVDEFDVBC2_get_bw_hz_from_id(uint32_t bw_id);
uint32_t DRVDEFDVBC2_get_bw_id_from_hz(uint32_t hz);
uint32_t DRVDEFDVBC2_get_num_carrier(void);
double DRVDEFDVBC2_get_elementary_clock(uint32_t bw_id);
double DRVDEFDVBC2_get_elementary_period(uint32_t bw_id);
uint32_t DRVDEFDVBC2_get_tu(uint32_t bw_id);
// guard is eGUARD_INTERVAL: 1/64 or (anything else) 1/128.
uint32_t DRVDEFDVBC2_get_tgi(uint32_t bw_id, uint32_t guard);
uint32_t DRVDEFDVBC2_get_ts(uint32_t bw_id, uint32_t guard);
uint32_t DRVDEFDVBC2_get_pilots_separation(uint32_t guard);
uint32_t DRVDEFDVBC2_get_bits_per_symbol(uint32_t kit_constellation);
// FEC frame type: 1 normal (64800 bits), anything else short (16200 bits).
uint32_t DRVDEFDVBC2_get_fecframe_size(uint32_t fec_type);
// K_ldpc and K_bch by kit code rate: 2 3/4, 3 4/5, 4 5/6, 5 the highest (8/9 short, 9/10
// normal), anything else 2/3.
uint32_t DRVDEFDVBC2_get_fecframe_size_afterldpc(uint32_t fec_type, uint32_t code_rate);
uint32_t DRVDEFDVBC2_get_fecframe_size_afterbch(uint32_t fec_type, uint32_t code_rate);
uint32_t DRVDEFDVBC2_translate_coderate(uint32_t fec_type, uint32_t kit_code_rate); // eCODE_RATE_TYPE
uint32_t DRVDEFDVBC2_translate_constellation(uint32_t kit_constellation);           // eCONSTELLATION_TYPE
uint32_t DRVDEFDVBC2_translate_gi(uint32_t kit_guard);                              // eGUARD_INTERVAL

#ifdef __cplusplus
}
#endif
