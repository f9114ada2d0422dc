// ADF4360 synthesizer: a fixed frequency, programmed once at start-up.
#pragma once

#include "spidevice.h"

#include "common/BoardWiring.h"

#include <string>

class ADF4360 {
public:
    explicit ADF4360(std::string device = wiring::kSynthesizerNode);

    // R counter latch, control latch, a pause for the VCO to power up, then the N counter
    // latch, which starts the loop. 0 on success, -1 when a latch did not go out (the
    // remaining latches are still sent).
    int init();

private:
    SpiDevice spi_;
};
