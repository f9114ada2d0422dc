// The standards the simulated demodulator knows: one line per behaviour.
#include "DemodStandard.h"
#include "Dvbc2Standard.h"
#include "DvbcStandard.h"
#include "J83bStandard.h"

namespace platform::sim {

std::vector<std::unique_ptr<DemodStandard>> makeDemodStandards()
{
    std::vector<std::unique_ptr<DemodStandard>> standards;
    standards.push_back(std::make_unique<DvbcStandard>());
    standards.push_back(std::make_unique<J83bStandard>());
    standards.push_back(std::make_unique<Dvbc2Standard>());
    return standards;
}

} // namespace platform::sim
