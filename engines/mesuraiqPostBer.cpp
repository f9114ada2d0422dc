#include "mesuraiqPostBer.h"

namespace {
constexpr double kBitsPerPacket = 208.0;
// Above this a read's count has reached the top of the demodulator's counter.
constexpr uint32_t kCounterTop = 16382;
constexpr uint32_t kValid = 0, kAbove = 1, kBelow = 2;
constexpr double kOpticalFloor = 1e-9;
} // namespace

PostBer ActualitzaPostBer(PostBerAccumulator& sums, bool reset, uint32_t errors, uint32_t block, bool oclaro)
{
    if (reset) {
        sums = PostBerAccumulator{};
        return {kAbove, 0.0};
    }
    sums.paquets_erronis_totals += errors;
    sums.n_bits_rebuts += kBitsPerPacket * block;
    if (sums.paquets_erronis_totals < 1.0)
        return {kBelow, oclaro ? kOpticalFloor : 1.0 / sums.n_bits_rebuts};
    return {errors > kCounterTop ? kAbove : kValid, sums.paquets_erronis_totals / sums.n_bits_rebuts};
}
