#include "kit_stopwatch_port.h"

#include "common/embedded_timers.h"

kit_result_t kit_stopwatch_start(kit_stopwatch_t* sw)
{
    if (!sw)
        return KIT_RESULT_ERROR_ARG;
    sw->startMs = (uint32_t)EMBEDDEDTIMERS_GeticksInMs();
    return KIT_RESULT_OK;
}

kit_result_t kit_stopwatch_sleep(kit_stopwatch_t* sw, uint32_t ms)
{
    if (!sw)
        return KIT_RESULT_ERROR_ARG;
    // The library's wait takes 16 bits; a longer wait goes in chunks rather than losing its
    // high bits.
    while (ms > 0) {
        const uint16_t chunk = ms > 0xFFFF ? 0xFFFF : (uint16_t)ms;
        EMBEDDEDTIMERS_delayms(chunk);
        ms -= chunk;
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_stopwatch_elapsed(kit_stopwatch_t* sw, uint32_t* ms)
{
    if (!sw || !ms)
        return KIT_RESULT_ERROR_ARG;
    *ms = (uint32_t)EMBEDDEDTIMERS_GeticksInMs() - sw->startMs;
    return KIT_RESULT_OK;
}
