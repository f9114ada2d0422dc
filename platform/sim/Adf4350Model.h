// ADF4350 synthesizer: six 32-bit registers selected by their low 3 bits. The model
// decodes the output frequency and the RF output state from what was latched, with the
// board's reference.
#pragma once

#include "BusModels.h"

#include <cstdint>
#include <mutex>

namespace platform::sim {

class Adf4350Model : public ChipModel {
public:
    // A word latched from the synthesizer node; false when the chip refuses it.
    bool latch(uint32_t word);

    uint32_t reg(int n) const;
    int latchCount(int n) const;
    // All six registers have been written at least once.
    bool programmed() const;
    uint64_t vcoHz() const;
    // 0 until programmed, or when the registers make no sense (R counter 0, MOD 0).
    uint64_t outputFrequencyHz() const;
    // Output enabled and neither the chip nor its VCO powered down.
    bool rfOutputEnabled() const;

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override { return this->reg(static_cast<int>(reg)); }

private:
    uint64_t vcoHzLocked() const;

    mutable std::mutex mutex_;
    uint32_t regs_[6] = {};
    int latches_[6] = {};
};

} // namespace platform::sim
