#include "FrontPanel.h"

#include "common/BoardWiring.h"

namespace platform::sim {

void installFrontPanel(SimulatedBoard& board, const DefaultBoardOptions& options)
{
    const int model = options.hardwareModel;
    board.gpio().setExternalLevel(wiring::gpio::STRAP0, model & 1);
    board.gpio().setExternalLevel(wiring::gpio::STRAP1, (model >> 1) & 1);
    setKeyPressed(board, FrontPanelKey::Menu, false);
    setKeyPressed(board, FrontPanelKey::Power, false);
    setMainsConnected(board, true);
    setCharging(board, false);
}

void setKeyPressed(SimulatedBoard& board, FrontPanelKey key, bool pressed)
{
    const int line = key == FrontPanelKey::Menu ? wiring::gpio::KEY_MENU : wiring::gpio::KEY_POWER;
    const int level = pressed ? wiring::gpio::KEY_PRESSED_LEVEL : 1 - wiring::gpio::KEY_PRESSED_LEVEL;
    board.gpio().setExternalLevel(line, level);
}

void setMainsConnected(SimulatedBoard& board, bool connected)
{
    board.gpio().setExternalLevel(wiring::gpio::MAINS, connected ? 1 : 0);
}

void setCharging(SimulatedBoard& board, bool charging)
{
    board.gpio().setExternalLevel(wiring::gpio::CHARGER, charging ? 1 : 0);
}

} // namespace platform::sim
