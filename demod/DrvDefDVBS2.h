// DVB-S2 numbers: bits per symbol, bit rate before decoding and occupied bandwidth, all
// counted as QPSK.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t DRVDEFDVBS2_get_bits_per_symbol(void);
uint32_t DRVDEFDVBS2_get_bitrate_before_reed_solomon(uint32_t constellation, uint32_t symbol_rate);
uint32_t DRVDEFDVBS2_calculate_bw(uint32_t symbol_rate);

#ifdef __cplusplus
}
#endif
