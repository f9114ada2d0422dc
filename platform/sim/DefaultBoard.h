// The board the application builds on a PC: every device model wired as on the unit,
// a typical cable network on the input and the cable modem on its serial line.
// Each group of device models has an install function of its own, called here.
#pragma once

#include "SimulatedBoard.h"

#include <memory>

namespace platform::sim {

struct DefaultBoardOptions {
    // The strapping read by the hardware model: 0 MINI_COMPLETE, 1 MINI_CABLE,
    // 2 CABLE_CM30, 3 CABLE_CM31.
    int hardwareModel = 3;
    // Real time for the application; tests pass a VirtualClock.
    bool realTime = true;
};

std::unique_ptr<SimulatedBoard> makeDefaultBoard(const DefaultBoardOptions& options = {});

} // namespace platform::sim
