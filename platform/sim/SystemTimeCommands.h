// The unit's two clock programs on the simulated board: "date -s <text>" sets the board's
// wall time from the date forms the unit's date reads, and refuses any other text as date
// does (status 1, time unchanged); "hwclock -w" copies the wall time into the clock chip.
#pragma once

#include "Pcf85263Model.h"
#include "SimulatedBoard.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform::sim {

// The wall time (UTC, microseconds since the epoch) a date text names: "YYYY-MM-DD hh:mm[:ss]",
// "YYYY-MM-DD", "YYYY.MM.DD-hh:mm[:ss]", or "hh:mm[:ss]" on the day of nowUs. None otherwise.
std::optional<int64_t> parseDateText(const std::string& text, int64_t nowUs);

// Answers "date -s" on the board's clock (a real clock is never set: the time is only checked).
void installDateCommand(SimulatedBoard& board);
// Answers "hwclock -w" with the chip.
void installHardwareClockCommand(SimulatedBoard& board, std::weak_ptr<Pcf85263Model> chip);

} // namespace platform::sim
