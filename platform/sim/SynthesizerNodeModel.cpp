#include "SynthesizerNodeModel.h"

namespace platform::sim {

int SynthesizerNodeModel::spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len)
{
    uint32_t word = 0;
    for (size_t i = 0; i < len; ++i) {
        rx[i] = 0;
        word = (word << 8) | tx[i];
    }
    bool taken = true;
    if (len == 4)
        taken = adf4350_.latch(word);
    else if (len == 3)
        taken = adf4360_.latch(word);
    else
        ++stray_;
    return taken ? 0 : -1;
}

void SynthesizerNodeModel::attached(const Faults* faults, const Device& device)
{
    adf4350_.wireFaults(faults, device);
    adf4360_.wireFaults(faults, device);
}

} // namespace platform::sim
