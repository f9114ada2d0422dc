#include "DrvDefDVBC.h"

uint32_t DRVDEFDVBC_get_bits_per_symbol(uint32_t constellation)
{
    if (constellation >= eCONST_16QAM && constellation <= eCONST_256QAM)
        return 4 + (constellation - eCONST_16QAM);
    return 6;
}

uint32_t DRVDEFDVBC_get_bitrate_before_reed_solomon(uint32_t constellation, uint32_t symbol_rate)
{
    return symbol_rate * DRVDEFDVBC_get_bits_per_symbol(constellation);
}

uint32_t DRVDEFDVBC_calculate_bw(uint32_t symbol_rate)
{
    // In single precision, as the figures shown have always been computed.
    return static_cast<uint32_t>(static_cast<float>(symbol_rate) * 1.15f + 0.5f);
}
