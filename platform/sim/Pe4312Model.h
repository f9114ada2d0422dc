// PE4312 step attenuator on its spidev node: the last 6 bits shifted in are latched as the
// attenuation in 0.5 dB steps.
#pragma once

#include "BusModels.h"

#include <atomic>

namespace platform::sim {

class Pe4312Model : public SpiChipModel {
public:
    int spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len) override;

    double attenuationDb() const { return word_.load() / 2.0; }
    uint8_t word() const { return word_.load(); }
    int latchCount() const { return latches_.load(); }

protected:
    // The chip's one register, the attenuation word.
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override { return (void)reg, word_.load(); }

private:
    std::atomic<uint8_t> word_{0};
    std::atomic<int> latches_{0};
};

} // namespace platform::sim
