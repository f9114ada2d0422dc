#include "DrvCXD2856_readers.h"

#include <cmath>

uint32_t DrvCXD2856_window_exponent(uint64_t bits, uint32_t packetBits, uint32_t maxExponent)
{
    if (packetBits == 0)
        return 0;
    uint32_t limit = maxExponent;
    while (limit > 0 && (static_cast<uint64_t>(packetBits) << limit) > UINT32_MAX)
        --limit;
    if (bits < packetBits)
        return 0;
    // Whole doublings of the packet count, as the register counts them.
    const double doublings = std::log2(static_cast<double>(bits) / packetBits);
    const uint64_t e = static_cast<uint64_t>(doublings);
    return e > limit ? limit : static_cast<uint32_t>(e);
}
