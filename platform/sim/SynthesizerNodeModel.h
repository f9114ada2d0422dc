// The synthesizer node: 32-bit words reach the ADF4350, 24-bit words the ADF4360. A word
// of any other length reaches neither and is counted as a wiring fault.
#pragma once

#include "Adf4350Model.h"
#include "Adf4360Model.h"
#include "BusModels.h"

#include <atomic>

namespace platform::sim {

class SynthesizerNodeModel : public SpiModel {
public:
    explicit SynthesizerNodeModel(common::Clock& clock) : adf4360_(clock) {}
    int spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len) override;
    // Both chips answer to the node's faults.
    void attached(const Faults* faults, const Device& device) override;

    Adf4350Model& adf4350() { return adf4350_; }
    Adf4360Model& adf4360() { return adf4360_; }
    int strayWords() const { return stray_.load(); }

private:
    Adf4350Model adf4350_;
    Adf4360Model adf4360_;
    std::atomic<int> stray_{0};
};

} // namespace platform::sim
