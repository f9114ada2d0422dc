#include "Clock.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace common {

namespace {
std::atomic<Clock*>& installed()
{
    static std::atomic<Clock*> current{nullptr};
    return current;
}
} // namespace

Clock& clock()
{
    Clock* c = installed().load(std::memory_order_acquire);
    if (!c) {
        std::fprintf(stderr, "common: no clock installed\n");
        std::abort();
    }
    return *c;
}

void installClock(Clock* c) { installed().store(c, std::memory_order_release); }

bool hasClock() { return installed().load(std::memory_order_acquire) != nullptr; }

} // namespace common
