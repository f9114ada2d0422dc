#include "Pe4312Model.h"

#include "common/BoardWiring.h"

namespace platform::sim {

int Pe4312Model::spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len)
{
    for (size_t i = 0; i < len; ++i)
        rx[i] = 0; // the chip has no output
    if (len == 0)
        return 0;
    return writeRegister(0, tx[len - 1] & wiring::pe4312::kWordMask) ? 0 : -1;
}

void Pe4312Model::regWrite(unsigned reg, uint32_t value)
{
    (void)reg;
    word_ = static_cast<uint8_t>(value);
    ++latches_;
}

} // namespace platform::sim
