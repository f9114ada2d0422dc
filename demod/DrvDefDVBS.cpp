#include "DrvDefDVBS.h"

#include "DrvDefDVBC.h"

uint32_t DRVDEFDVBS_get_bitrate_before_reed_solomon(uint32_t, uint32_t symbol_rate) { return symbol_rate * 2; }

uint32_t DRVDEFDVBS_calculate_bw(uint32_t symbol_rate) { return DRVDEFDVBC_calculate_bw(symbol_rate); }
