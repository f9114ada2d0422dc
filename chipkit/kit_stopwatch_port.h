// The driver kit's only contact with time: a millisecond stopwatch and its waits, on the
// driver library's clock (the platform clock, virtual in tests).
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

kit_result_t kit_stopwatch_start(kit_stopwatch_t* sw);
// Waits the whole ms asked; 0 returns at once.
kit_result_t kit_stopwatch_sleep(kit_stopwatch_t* sw, uint32_t ms);
// Milliseconds since start, modulo 2^32.
kit_result_t kit_stopwatch_elapsed(kit_stopwatch_t* sw, uint32_t* ms);

#ifdef __cplusplus
}
#endif
