// The cable modem of the simulated board: its model on a pseudo-terminal behind the
// unit's modem device "/dev/ttymxc2", following the modem's supply and reset lines.
#pragma once

#include "CableModemModel.h"
#include "DefaultBoard.h"

#include <memory>

namespace platform::sim {

// The DOCSIS 3.1 modem starts its command line by itself; the 3.0 modem boots into its
// shell. The board keeps the model alive; the pointer is for tests.
std::shared_ptr<CableModemModel> installCableModem(SimulatedBoard& board, const DefaultBoardOptions& options);

} // namespace platform::sim
