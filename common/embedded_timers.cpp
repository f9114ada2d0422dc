#include "embedded_timers.h"

#include "Clock.h"
#include "DebugSink.h"

namespace {

// The clock in microseconds; false when no clock can be read.
bool readUs(uint64_t* us)
{
    if (!common::hasClock()) {
        DebugSink_write("clock gettime");
        return false;
    }
    *us = common::clock().monotonicUs();
    return true;
}

// Waits until the reading in units of unitUs reaches start + n. The clock
// sleeps for the remainder instead of spinning: on a virtual clock a spin would never
// see time move.
uint32_t waitUnits(uint64_t n, uint64_t unitUs)
{
    uint64_t nowUs = 0;
    if (!readUs(&nowUs))
        return 0;
    uint64_t now = nowUs / unitUs;
    const uint64_t end = now + n;
    while (now < end) {
        common::clock().sleepUs((end - now) * unitUs - nowUs % unitUs);
        if (!readUs(&nowUs))
            break;
        now = nowUs / unitUs;
    }
    return static_cast<uint32_t>(now);
}

} // namespace

uint64_t EMBEDDEDTIMERS_GeticksInMs(void)
{
    uint64_t us = 0;
    return readUs(&us) ? us / 1000 : 0;
}

uint64_t EMBEDDEDTIMERS_GeticksInUs(void)
{
    uint64_t us = 0;
    return readUs(&us) ? us : 0;
}

uint32_t EMBEDDEDTIMERS_HUGE_delayms(uint64_t n) { return waitUnits(n, 1000); }

uint32_t EMBEDDEDTIMERS_delayms(uint16_t n) { return EMBEDDEDTIMERS_HUGE_delayms(n); }

uint32_t EMBEDDEDTIMERS_code_delayms(uint16_t n) { return EMBEDDEDTIMERS_HUGE_delayms(n); }

uint32_t EMBEDDEDTIMERS_HUGE_delayus(uint64_t n) { return waitUnits(n, 1); }

uint32_t EMBEDDEDTIMERS_code_delayus(uint16_t n) { return EMBEDDEDTIMERS_HUGE_delayus(n); }
