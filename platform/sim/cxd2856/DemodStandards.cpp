// The standards the simulated demodulator knows: one line per behaviour.
#include "DemodStandard.h"
#include "Dvbc2Standard.h"
#include "DvbcStandard.h"
#include "Dvbt2Standard.h"
#include "DvbtStandard.h"
#include "IsdbtStandard.h"
#include "J83bStandard.h"
#include "SatelliteStandard.h"

namespace platform::sim {

std::vector<std::unique_ptr<DemodStandard>> makeDemodStandards()
{
    std::vector<std::unique_ptr<DemodStandard>> standards;
    standards.push_back(std::make_unique<DvbcStandard>());
    standards.push_back(std::make_unique<J83bStandard>());
    standards.push_back(std::make_unique<Dvbc2Standard>());
    standards.push_back(std::make_unique<DvbtStandard>());
    standards.push_back(std::make_unique<Dvbt2Standard>());
    standards.push_back(std::make_unique<IsdbtStandard>());
    standards.push_back(std::make_unique<SatelliteStandard>(false)); // DVB-S
    standards.push_back(std::make_unique<SatelliteStandard>(true));  // DVB-S2, or either
    return standards;
}

} // namespace platform::sim
