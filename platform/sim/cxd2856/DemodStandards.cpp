// The standards the simulated demodulator knows: one line per behaviour.
#include "DemodStandard.h"
#include "DvbcStandard.h"

namespace platform::sim {

std::vector<std::unique_ptr<DemodStandard>> makeDemodStandards()
{
    std::vector<std::unique_ptr<DemodStandard>> standards;
    standards.push_back(std::make_unique<DvbcStandard>());
    return standards;
}

} // namespace platform::sim
