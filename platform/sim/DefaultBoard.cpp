#include "DefaultBoard.h"

#include "CableModemBoard.h"
#include "ChipModels.h"
#include "Cxd2858Model.h"
#include "cxd2856/Cxd2856Model.h"
#include "FrontPanel.h"
#include "RfFrontEndModel.h"

#include "platform/RealClock.h"

namespace platform::sim {

std::unique_ptr<SimulatedBoard> makeDefaultBoard(const DefaultBoardOptions& options)
{
    std::unique_ptr<common::Clock> clock;
    if (options.realTime)
        clock = std::make_unique<RealClock>();
    auto board = std::make_unique<SimulatedBoard>(std::move(clock));
    // Device model groups are installed here, one call per group; the front panel's
    // battery reads through the converter of the chip models.
    // The clock chip keeps time with the board, as a powered unit's does.
    installChipModels(*board).realTimeClock->followBoardTime(true);
    installFrontPanel(*board, options);
    // A cable network on the input; readings wander by a couple of converter steps.
    auto scene = std::make_shared<RfScene>();
    RfScene::typicalCableNetwork(*scene);
    auto frontEnd = installRfFrontEnd(*board, scene);
    frontEnd->setJitterSteps(2);
    // The demodulator looks at the same network through its own tuner, behind the band path.
    installCxd2858(*board, installCxd2856(*board, scene), scene, frontEnd);
    installCableModem(*board, options, scene);
    return board;
}

} // namespace platform::sim
