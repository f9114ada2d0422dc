#include "Max3543Model.h"

#include "common/BoardWiring.h"

namespace platform::sim {

namespace w = wiring::max3543;

void Max3543Model::regWrite(unsigned reg, uint32_t value)
{
    if (reg == w::kGenStatus)
        return; // read only
    regs_[reg] = static_cast<uint8_t>(value);
    if (reg != w::kFrac0)
        return;
    const uint64_t word = (static_cast<uint64_t>(regs_[w::kNdiv]) << w::kFracBits) |
                          (static_cast<uint64_t>(regs_[w::kLoDivFrac2] & 0x0F) << 16) |
                          (static_cast<uint64_t>(regs_[w::kFrac1]) << 8) | regs_[w::kFrac0];
    const int exponent = (regs_[w::kLoDivFrac2] >> 4) & 7;
    const uint64_t denominator = (1ull << w::kFracBits) << exponent;
    loHz_ = (w::kCrystalHz * word + denominator / 2) / denominator;
    searchUntilUs_ = clock_.monotonicUs() + settleUs_.load();
    ++tunes_;
}

uint32_t Max3543Model::regRead(unsigned reg)
{
    if (reg == w::kGenStatus)
        return clock_.monotonicUs() < searchUntilUs_ ? w::kStatusSearching : lockedStatus_.load();
    return regs_[reg];
}

uint64_t Max3543Model::loFrequencyHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return loHz_;
}

uint64_t Max3543Model::tunedFrequencyHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (loHz_ < w::kIfHz)
        return 0;
    return (loHz_ - w::kIfHz + w::kStepHz / 2) / w::kStepHz * w::kStepHz;
}

int Max3543Model::rfBand() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return regs_[w::kMode] & 3;
}

int Max3543Model::tuneCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tunes_;
}

} // namespace platform::sim
