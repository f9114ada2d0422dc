#include "Adf4350Model.h"

#include "common/BoardWiring.h"

namespace platform::sim {

bool Adf4350Model::latch(uint32_t word)
{
    const unsigned n = word & 7;
    if (n > 5)
        return true; // codes 6 and 7 address nothing
    return writeRegister(n, word);
}

void Adf4350Model::regWrite(unsigned reg, uint32_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    regs_[reg] = value;
    ++latches_[reg];
}

uint32_t Adf4350Model::reg(int n) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return n >= 0 && n < 6 ? regs_[n] : 0;
}

int Adf4350Model::latchCount(int n) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return n >= 0 && n < 6 ? latches_[n] : 0;
}

bool Adf4350Model::programmed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int c : latches_)
        if (c == 0)
            return false;
    return true;
}

uint64_t Adf4350Model::vcoHzLocked() const
{
    const uint32_t integer = (regs_[0] >> 15) & 0xFFFF;
    const uint32_t frac = (regs_[0] >> 3) & 0xFFF;
    const uint32_t mod = (regs_[1] >> 3) & 0xFFF;
    const uint32_t r = (regs_[2] >> 14) & 0x3FF;
    const bool doubler = (regs_[2] >> 25) & 1;
    const bool halve = (regs_[2] >> 24) & 1;
    if (r == 0 || mod == 0)
        return 0;
    const double pfd = wiring::adf4350::kReferenceHz * (doubler ? 2.0 : 1.0) / (r * (halve ? 2.0 : 1.0));
    const double n = integer + static_cast<double>(frac) / mod;
    const bool fundamental = (regs_[4] >> 23) & 1;
    const uint32_t divider = 1u << ((regs_[4] >> 20) & 7);
    // With divided feedback the loop locks the divided output, not the VCO.
    const double vco = fundamental ? pfd * n : pfd * n * divider;
    return static_cast<uint64_t>(vco + 0.5);
}

uint64_t Adf4350Model::vcoHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return vcoHzLocked();
}

uint64_t Adf4350Model::outputFrequencyHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int c : latches_)
        if (c == 0)
            return 0;
    return vcoHzLocked() >> ((regs_[4] >> 20) & 7);
}

bool Adf4350Model::rfOutputEnabled() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const bool enabled = regs_[4] & wiring::adf4350::kOutputEnableBit;
    const bool chipDown = (regs_[2] >> 5) & 1;
    const bool vcoDown = (regs_[4] >> 11) & 1;
    return latches_[4] > 0 && enabled && !chipDown && !vcoDown;
}

} // namespace platform::sim
