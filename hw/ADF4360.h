// ADF4360 synthesizer: a fixed frequency, programmed once at start-up.
#pragma once

#include "spidevice.h"

#include "common/BoardWiring.h"

#include <cstdint>
#include <string>

class ADF4360 {
public:
    explicit ADF4360(std::string device = wiring::kSynthesizerNode);

    // R counter latch, control latch, a pause for the VCO to power up, then the N counter
    // latch, which starts the loop. 0 on success, -1 when a latch did not go out (the
    // remaining latches are still sent).
    int init();
    // The same in two halves, so the power-up pause can pass while other work goes on:
    // the R counter and control latches, then, once the pause is over (waiting for what is
    // left of it), the N counter latch. Each 0 or -1 as init() says.
    int beginInit();
    int finishInit();

private:
    SpiDevice spi_;
    uint64_t poweredUpAtUs_ = 0;
};
