// The clock of a running instrument: steady time for waits and time-outs, the
// system's wall time for dates.
#pragma once

#include "common/Clock.h"

namespace platform {

class RealClock : public common::Clock {
public:
    uint64_t monotonicUs() const override;
    int64_t wallTimeUs() const override;
    void sleepUs(uint64_t us) override;
};

} // namespace platform
