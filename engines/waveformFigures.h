// Figures of the slow converter channels sampled over a window: the hum from the hum
// detector, and the DC and AC voltage and mains frequency from the input-voltage divider.
#pragma once

#include "common/sharedValues.h"

#include <cstdint>
#include <vector>

namespace rfengine {

// A window of samples of one converter channel, each with the board time it was taken at.
struct Samples {
    std::vector<int> values;
    std::vector<uint64_t> timesUs;
};

// The hum in percent: the spread of the moving means of 15 samples, × 0.036. UNMEASURED
// below 16 samples, where there is no spread to take.
float humPercent(const std::vector<int>& samples);

// DC and AC in 0.1 V and the frequency in Hz; all UNMEASURED without samples.
struct InputVoltage {
    int dc = UNMEASURED;
    int ac = UNMEASURED;
    int hz = UNMEASURED;
};
// The frequency counts the times the samples cross their mean, over the time that passed
// between the first and the last crossing: the window may have been cut short by the sample
// cap, and a window's ends cut half periods. Fewer than two crossings give 0 Hz.
InputVoltage inputVoltage(const Samples& samples);

} // namespace rfengine
