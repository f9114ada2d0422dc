#include "RealClock.h"

#include <chrono>
#include <thread>

#include <sys/prctl.h>

namespace platform {

uint64_t RealClock::monotonicUs() const
{
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

int64_t RealClock::wallTimeUs() const
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

void RealClock::sleepUs(uint64_t us)
{
    // The kernel may end a sleep up to a thread's timer slack (50 us unless set) late to
    // group wake-ups; the measuring chain's short waits (the tuner's lock polls, a
    // converter burst) would add that to every one of them. Set once per sleeping thread.
    static thread_local const bool tightSlack = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)tightSlack;
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

} // namespace platform
