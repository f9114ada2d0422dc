#include "ADF4360.h"

#include "SpiWords.h"
#include "delay.h"

ADF4360::ADF4360(std::string device)
    : spi_(std::move(device), wiring::kSynthesizerSpi.speedHz, wiring::kSynthesizerSpi.mode,
           wiring::kSynthesizerSpi.bitsPerWord)
{
    spi_.open();
}

int ADF4360::init()
{
    int rc = 0;
    if (spiwords::send(spi_, wiring::adf4360::kRCounterLatch, 3) != 0)
        rc = -1;
    if (spiwords::send(spi_, wiring::adf4360::kControlLatch, 3) != 0)
        rc = -1;
    delay(wiring::adf4360::kPowerUpPauseMs);
    if (spiwords::send(spi_, wiring::adf4360::kNCounterLatch, 3) != 0)
        rc = -1;
    return rc;
}
