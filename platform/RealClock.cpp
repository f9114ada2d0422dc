#include "RealClock.h"

#include <chrono>
#include <thread>

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

void RealClock::sleepUs(uint64_t us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); }

} // namespace platform
