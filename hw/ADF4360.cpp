#include "ADF4360.h"

#include "SpiWords.h"

#include "common/Clock.h"

ADF4360::ADF4360(std::string device)
    : spi_(std::move(device), wiring::kSynthesizerSpi.speedHz, wiring::kSynthesizerSpi.mode,
           wiring::kSynthesizerSpi.bitsPerWord)
{
    spi_.open();
}

int ADF4360::init()
{
    const int begun = beginInit();
    return finishInit() != 0 ? -1 : begun;
}

int ADF4360::beginInit()
{
    int rc = 0;
    if (spiwords::send(spi_, wiring::adf4360::kRCounterLatch, 3) != 0)
        rc = -1;
    if (spiwords::send(spi_, wiring::adf4360::kControlLatch, 3) != 0)
        rc = -1;
    poweredUpAtUs_ = common::clock().monotonicUs();
    return rc;
}

int ADF4360::finishInit()
{
    // What is left of the pause, to the microsecond, and nothing else meanwhile: the front end
    // is not complete before this latch, so no queued event (a remote command) may reach it.
    common::Clock& clk = common::clock();
    const uint64_t elapsedUs = clk.monotonicUs() - poweredUpAtUs_;
    const uint64_t pauseUs = wiring::adf4360::kPowerUpPauseMs * 1000ull;
    if (elapsedUs < pauseUs)
        clk.sleepUs(pauseUs - elapsedUs);
    return spiwords::send(spi_, wiring::adf4360::kNCounterLatch, 3) != 0 ? -1 : 0;
}
