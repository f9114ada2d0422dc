// MAX3543 tuner: a register file whose synthesizer word is decoded into the tuned RF
// frequency when its last byte (FRAC0) is written. The status register reads 6 ("VCO
// search running") for a settle time after each such write, then the locked status.
#pragma once

#include "BusModels.h"
#include "common/Clock.h"

#include <atomic>

namespace platform::sim {

class Max3543Model : public RegisterI2cModel {
public:
    explicit Max3543Model(common::Clock& clock) : clock_(clock) {}

    // Physics face.
    uint64_t tunedFrequencyHz() const;
    uint64_t loFrequencyHz() const;
    int rfBand() const;
    int tuneCount() const;
    void setSettleTimeUs(uint64_t us) { settleUs_ = us; }
    void setLockedStatus(uint8_t status) { lockedStatus_ = status; }

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override;

private:
    common::Clock& clock_;
    uint64_t loHz_ = 0;
    uint64_t searchUntilUs_ = 0;
    int tunes_ = 0;
    std::atomic<uint64_t> settleUs_{1000};
    std::atomic<uint8_t> lockedStatus_{2};
};

} // namespace platform::sim
