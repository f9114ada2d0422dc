// The simulated unit's strap pins, front-panel keys, power-board sense lines and battery,
// wired on the line numbers and converter channel the application shell reads. Tests press
// keys, plug the charger and drain the battery here.
#pragma once

#include "DefaultBoard.h"

namespace platform::sim {

enum class FrontPanelKey { Menu, Power };

// A pack the unit shows as charged (90 %).
constexpr double kChargedBatteryVolts = 8.2;

// Straps for options.hardwareModel, both keys released, mains connected, not charging,
// and a charged battery once the converter is installed.
void installFrontPanel(SimulatedBoard& board, const DefaultBoardOptions& options);

void setKeyPressed(SimulatedBoard& board, FrontPanelKey key, bool pressed);
void setMainsConnected(SimulatedBoard& board, bool connected);
void setCharging(SimulatedBoard& board, bool charging);
// The pack's voltage as converter channel 0 reads it through the board's divider (12 bits:
// at most 8.25 V). False when the board has no converter.
bool setBatteryVolts(SimulatedBoard& board, double volts);

} // namespace platform::sim
