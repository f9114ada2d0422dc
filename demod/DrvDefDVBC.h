// DVB-C numbers: bits per symbol, the bit rate before Reed-Solomon decoding and the occupied
// bandwidth of a symbol rate (the satellite standards share the latter).
#pragma once

#include "DrvDefCodes.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// 16QAM ... 256QAM give 4 ... 8, anything else 6.
uint32_t DRVDEFDVBC_get_bits_per_symbol(uint32_t constellation);
uint32_t DRVDEFDVBC_get_bitrate_before_reed_solomon(uint32_t constellation, uint32_t symbol_rate);
// Occupied bandwidth in Hz: symbol rate x 1.15 (roll-off 0.15), rounded.
uint32_t DRVDEFDVBC_calculate_bw(uint32_t symbol_rate);

#ifdef __cplusplus
}
#endif
