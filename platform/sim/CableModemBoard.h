// The cable modem of the simulated board: its model on a pseudo-terminal behind the
// unit's modem device "/dev/ttymxc2", following the modem's supply and reset lines, and
// finding its downstream channels in the RF scene when it is given one.
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

// The scene's DOCSIS channels as the modem finds them: a DOCSIS 3.0 channel (or the
// DOCSIS 3.1 block) holding the frequency, and the lowest DOCSIS 3.0 channel for 0 (the
// modem's own search after a boot). Levels in dBmV, as the modem reports them.
ModemChannelSource sceneModemChannels(std::shared_ptr<const RfScene> scene);

} // namespace platform::sim
