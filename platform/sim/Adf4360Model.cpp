#include "Adf4360Model.h"

#include "common/BoardWiring.h"

namespace platform::sim {

bool Adf4360Model::latch(uint32_t word)
{
    const unsigned n = word & 3;
    if (n == 3)
        return true; // the test-mode latch is not used
    return writeRegister(n, word & 0xFFFFFF);
}

void Adf4360Model::regWrite(unsigned reg, uint32_t value)
{
    const uint64_t now = clock_.monotonicUs();
    std::lock_guard<std::mutex> lock(mutex_);
    latches_[reg] = value;
    ++counts_[reg];
    timesUs_[reg] = now;
}

uint32_t Adf4360Model::latchValue(Latch which) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return latches_[which];
}

int Adf4360Model::latchCount(Latch which) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_[which];
}

uint64_t Adf4360Model::latchTimeUs(Latch which) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return timesUs_[which];
}

uint64_t Adf4360Model::outputFrequencyHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!counts_[kControl] || !counts_[kRCounter] || !counts_[kNCounter])
        return 0;
    static const uint64_t prescalers[4] = {8, 16, 32, 32};
    const uint64_t p = prescalers[(latches_[kControl] >> 22) & 3];
    const uint64_t b = (latches_[kNCounter] >> 8) & 0x1FFF;
    const uint64_t a = (latches_[kNCounter] >> 2) & 0x1F;
    const uint64_t r = (latches_[kRCounter] >> 2) & 0x3FFF;
    if (r == 0)
        return 0;
    const uint64_t vco = (p * b + a) * wiring::adf4360::kReferenceHz / r;
    const bool divideByTwo = (latches_[kNCounter] >> 22) & 1;
    return divideByTwo ? vco / 2 : vco;
}

bool Adf4360Model::poweredDown() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return (latches_[kControl] >> 20) & 1;
}

} // namespace platform::sim
