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
    // The calling thread blocks on something other than time (another thread, a device's
    // input) from waitBegins() to waitEnds(); a clock that runs only while the code under
    // test waits counts it as waiting. WaitingForOthers brackets it.
    virtual void waitBegins() {}
    virtual void waitEnds() {}
};

// The clock in force; reading it before one is installed is a programming error.
Clock& clock();
// Null removes the clock.
void installClock(Clock* clock);
bool hasClock();

// Marks the calling thread, while it lives, as blocked on another thread or a device.
class WaitingForOthers {
public:
    WaitingForOthers() : clock_(hasClock() ? &clock() : nullptr)
    {
        if (clock_)
            clock_->waitBegins();
    }
    ~WaitingForOthers()
    {
        // A clock that went away meanwhile (a test's board) is not told.
        if (clock_ && hasClock() && &clock() == clock_)
            clock_->waitEnds();
    }
    WaitingForOthers(const WaitingForOthers&) = delete;
    WaitingForOthers& operator=(const WaitingForOthers&) = delete;

private:
    Clock* clock_;
};

} // namespace common
