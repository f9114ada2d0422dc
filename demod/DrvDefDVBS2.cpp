#include "DrvDefDVBS2.h"

#include "DrvDefDVBC.h"

uint32_t DRVDEFDVBS2_get_bits_per_symbol(void) { return 2; }

uint32_t DRVDEFDVBS2_get_bitrate_before_reed_solomon(uint32_t, uint32_t symbol_rate)
{
    return symbol_rate * DRVDEFDVBS2_get_bits_per_symbol();
}

uint32_t DRVDEFDVBS2_calculate_bw(uint32_t symbol_rate) { return DRVDEFDVBC_calculate_bw(symbol_rate); }
