#include "SynthesizerNodeModel.h"

namespace platform::sim {

int SynthesizerNodeModel::spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len)
{
    uint32_t word = 0;
    for (size_t i = 0; i < len; ++i) {
        rx[i] = 0;
        word = (word << 8) | tx[i];
    }
    if (len == 4)
        adf4350_.latch(word);
    else if (len == 3)
        adf4360_.latch(word);
    else
        ++stray_;
    return 0;
}

} // namespace platform::sim
