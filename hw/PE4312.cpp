#include "PE4312.h"

#include "common/BoardWiring.h"

#include <algorithm>

PE4312::PE4312(std::string device)
    : spi_(std::move(device), wiring::kAttenuatorSpi.speedHz, wiring::kAttenuatorSpi.mode,
           wiring::kAttenuatorSpi.bitsPerWord)
{
    spi_.open();
    setValue(0);
}

int PE4312::setValue(unsigned char dB)
{
    const unsigned char whole = static_cast<unsigned char>(std::min<unsigned>(dB, wiring::pe4312::kMaxDb));
    const uint8_t word = static_cast<uint8_t>(whole * 2);
    if (spi_.write(&word, 1) != 0)
        return -1;
    value_ = whole;
    return 0;
}
