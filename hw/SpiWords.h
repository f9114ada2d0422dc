// Register words of the SPI chips go out most significant byte first, one transfer per
// word, so each word ends with its own latch edge.
#pragma once

#include "spidevice.h"

#include <cstdint>

namespace spiwords {

inline int send(SpiDevice& spi, uint32_t word, int bytes)
{
    uint8_t tx[4];
    for (int i = 0; i < bytes; ++i)
        tx[i] = static_cast<uint8_t>(word >> (8 * (bytes - 1 - i)));
    return spi.write(tx, static_cast<size_t>(bytes));
}

} // namespace spiwords
