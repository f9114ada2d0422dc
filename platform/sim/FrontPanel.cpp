#include "FrontPanel.h"

#include "app/shellgpio.h"

namespace platform::sim {

void installFrontPanel(SimulatedBoard& board, const DefaultBoardOptions& options)
{
    const int model = options.hardwareModel;
    board.gpio().setExternalLevel(shellgpio::STRAP0, model & 1);
    board.gpio().setExternalLevel(shellgpio::STRAP1, (model >> 1) & 1);
    setKeyPressed(board, FrontPanelKey::Menu, false);
    setKeyPressed(board, FrontPanelKey::Power, false);
    setMainsConnected(board, true);
    setCharging(board, false);
}

void setKeyPressed(SimulatedBoard& board, FrontPanelKey key, bool pressed)
{
    const int line = key == FrontPanelKey::Menu ? shellgpio::KEY_MENU : shellgpio::KEY_POWER;
    const int level = pressed ? shellgpio::KEY_PRESSED_LEVEL : 1 - shellgpio::KEY_PRESSED_LEVEL;
    board.gpio().setExternalLevel(line, level);
}

void setMainsConnected(SimulatedBoard& board, bool connected)
{
    board.gpio().setExternalLevel(shellgpio::MAINS, connected ? 1 : 0);
}

void setCharging(SimulatedBoard& board, bool charging)
{
    board.gpio().setExternalLevel(shellgpio::CHARGER, charging ? 1 : 0);
}

} // namespace platform::sim
