// The simulated unit's strap pins, front-panel keys and power-board sense lines, wired on
// the line numbers the application shell reads. Tests press keys and plug the charger here.
#pragma once

#include "DefaultBoard.h"

namespace platform::sim {

enum class FrontPanelKey { Menu, Power };

// Straps for options.hardwareModel, both keys released, mains connected, not charging.
void installFrontPanel(SimulatedBoard& board, const DefaultBoardOptions& options);

void setKeyPressed(SimulatedBoard& board, FrontPanelKey key, bool pressed);
void setMainsConnected(SimulatedBoard& board, bool connected);
void setCharging(SimulatedBoard& board, bool charging);

} // namespace platform::sim
