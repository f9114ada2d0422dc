// The unit's own programs that remote commands start (mount, date, hwclock, ts_calibrate,
// sync): each started with its argument vector through the platform layer, never through a
// shell, so a value from a peer stays one argument whatever it holds.
#pragma once

#include <string>
#include <vector>

namespace remote {

// Runs the program and waits for it; true when it ran and exited with status 0.
bool runSystemProgram(const std::vector<std::string>& argv);

} // namespace remote
