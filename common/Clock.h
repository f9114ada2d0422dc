// The one time source of every wait and every time reading of the instrument, and the
// accessor every layer reads it through. The platform layer installs the board's clock
// (the real clock on the unit, a virtual one in tests) before anything waits.
#pragma once

#include <cstdint>

namespace common {

// Monotonic time never steps; wall time may be set (the unit's "date -s").
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint64_t monotonicUs() const = 0;
    uint64_t monotonicMs() const { return monotonicUs() / 1000; }
    // Microseconds since the Unix epoch, UTC.
    virtual int64_t wallTimeUs() const = 0;
    // Blocks the calling thread (or, on a virtual clock, advances time) by us.
    virtual void sleepUs(uint64_t us) = 0;
    void sleepMs(uint64_t ms) { sleepUs(ms * 1000); }
    // True when time only moves when code waits or a test advances it.
    virtual bool isVirtual() const { return false; }
};

// The clock in force; reading it before one is installed is a programming error.
Clock& clock();
// Null removes the clock.
void installClock(Clock* clock);
bool hasClock();

} // namespace common
