// MAX3543 tuner: a register file whose synthesizer word is decoded into the tuned RF
// frequency when its last byte (FRAC0) is written. The status register reads 6 ("VCO
// search running") for a settle time after each such write, then the locked status.
// Reads can be made to fail.
#pragma once

#include "BusModels.h"
#include "Platform.h"

#include <atomic>
#include <mutex>

namespace platform::sim {

class Max3543Model : public RegisterI2cModel {
public:
    explicit Max3543Model(Clock& clock) : clock_(clock) {}

    int i2cRead(uint8_t* data, size_t len) override;

    // Physics face.
    uint64_t tunedFrequencyHz() const;
    uint64_t loFrequencyHz() const;
    int rfBand() const;
    int tuneCount() const;
    void setSettleTimeUs(uint64_t us) { settleUs_ = us; }
    void setLockedStatus(uint8_t status) { lockedStatus_ = status; }
    void failReads(bool fail) { failReads_ = fail; }

protected:
    void regWrite(uint8_t address, uint8_t value) override;
    uint8_t regRead(uint8_t address) override;

private:
    Clock& clock_;
    mutable std::mutex mutex_;
    uint64_t loHz_ = 0;
    uint64_t searchUntilUs_ = 0;
    int tunes_ = 0;
    std::atomic<uint64_t> settleUs_{1000};
    std::atomic<uint8_t> lockedStatus_{2};
    std::atomic<bool> failReads_{false};
};

} // namespace platform::sim
