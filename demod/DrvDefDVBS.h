// DVB-S numbers: QPSK bit rate before Reed-Solomon decoding and occupied bandwidth.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t DRVDEFDVBS_get_bitrate_before_reed_solomon(uint32_t constellation, uint32_t symbol_rate);
uint32_t DRVDEFDVBS_calculate_bw(uint32_t symbol_rate);

#ifdef __cplusplus
}
#endif
