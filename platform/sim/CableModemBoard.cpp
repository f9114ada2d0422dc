#include "CableModemBoard.h"

namespace platform::sim {

std::shared_ptr<CableModemModel> installCableModem(SimulatedBoard& board, const DefaultBoardOptions& options)
{
    CableModemOptions modem;
    modem.autoStart = options.hardwareModel == 3;
    auto model = std::make_shared<CableModemModel>(board, modem);
    board.attachSerial("/dev/ttymxc2", model->slavePath());
    board.keep(model);
    return model;
}

} // namespace platform::sim
