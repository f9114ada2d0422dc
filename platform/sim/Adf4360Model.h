// ADF4360 synthesizer: three 24-bit latches selected by their low 2 bits (control, R
// counter, N counter). The model decodes the output frequency with the board's reference
// and keeps when each latch arrived, so the power-up pause can be checked.
#pragma once

#include "BusModels.h"
#include "common/Clock.h"

#include <cstdint>
#include <mutex>

namespace platform::sim {

class Adf4360Model : public ChipModel {
public:
    enum Latch { kControl = 0, kRCounter = 1, kNCounter = 2 };

    explicit Adf4360Model(common::Clock& clock) : clock_(clock) {}
    // A word latched from the synthesizer node; false when the chip refuses it.
    bool latch(uint32_t word);

    uint32_t latchValue(Latch which) const;
    int latchCount(Latch which) const;
    // Board time of the last write of the latch.
    uint64_t latchTimeUs(Latch which) const;
    // 0 until all three latches have been written.
    uint64_t outputFrequencyHz() const;
    bool poweredDown() const;

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override { return latchValue(static_cast<Latch>(reg)); }

private:
    common::Clock& clock_;
    mutable std::mutex mutex_;
    uint32_t latches_[3] = {};
    int counts_[3] = {};
    uint64_t timesUs_[3] = {};
};

} // namespace platform::sim
