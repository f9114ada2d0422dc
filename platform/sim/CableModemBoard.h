// The cable modem of the simulated board: its model on a pseudo-terminal behind the
// unit's modem device "/dev/ttymxc2", following the modem's supply and reset lines, and
// finding its network in the RF scene when it is given one.
#pragma once

#include "CableModemModel.h"
#include "DefaultBoard.h"
#include "RfScene.h"

#include <memory>

namespace platform::sim {

// The DOCSIS 3.1 modem starts its command line by itself; the 3.0 modem boots into its
// shell. The board keeps the model alive; the pointer is for tests.
std::shared_ptr<CableModemModel> installCableModem(SimulatedBoard& board, const DefaultBoardOptions& options,
                                                   std::shared_ptr<const RfScene> scene = nullptr);

// The modem's receiver takes its signal from a splitter behind the unit's RF input, this
// much under the level at the input; the instrument adds it back to what the modem reports.
constexpr double kModemInputLossDb = 3.0;

// The scene's DOCSIS network as the modem finds it: the DOCSIS 3.0 (SC-QAM) channel holding
// a frequency, and the lowest one for 0 (the modem's own search); the DOCSIS 3.1 OFDM
// blocks with the cable's slope; the head end's plan. Levels in dBmV, as the modem reports
// them: as they reach its receiver (tilt applied, less the splitter's loss).
ModemNetwork sceneModemNetwork(std::shared_ptr<const RfScene> scene);

} // namespace platform::sim
