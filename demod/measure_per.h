// Packet-error accumulator: errored packets and measuring time since the last reset, both
// saturating instead of wrapping. The callers turn the totals into displayed rates.
#pragma once

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct t_measure_per {
    uint32_t calls;        // since restart, saturating
    uint32_t settle_calls; // first calls that do not accumulate
    uint32_t errors;       // errored packets, saturating
    uint64_t time;         // accumulated measuring time, ms
    uint64_t stopwatch;    // time of the last reading, ms
} t_measure_per;

typedef struct t_per_result {
    uint32_t errors;
    uint32_t overflow; // 1 when the sum saturated on this call
    uint64_t time;     // ms
} t_per_result;

// DVB-T2 and DVB-C2 create their object with this; the others are only reset (settle 0).
enum { MEASURE_PER_SETTLE_T2C2 = 1 };

#define MEASURE_PER_TEXT_NULL "[MEASURE_PER_create]->Null pointer error."

KxlDrvLibError* MEASURE_PER_create(KxlDrvLibError* err, t_measure_per* object, uint32_t settle_calls);
// Errors and time 0, then a restart.
void MEASURE_PER_resest(t_measure_per* object);
// Calls 0, stopwatch at the current time.
void MEASURE_PER_restart(t_measure_per* object);
// Sets the stopwatch to now and returns the time since its previous setting (0 if now is
// before it).
uint64_t MEASURE_PER_set_stopwatch(uint64_t now, t_measure_per* object);
uint64_t MEASURE_PER_set_stopwatch_current_ticks(t_measure_per* object);
uint64_t MEASURE_PER_get_elapsed_time(uint64_t now, const t_measure_per* object);
t_per_result* MEASURE_PER_process(t_per_result* out, t_measure_per* object, uint32_t errors, uint32_t ignored,
                                  uint64_t elapsed_ms);
t_per_result* MEASURE_PER_unlocked(t_per_result* out, const t_measure_per* object); // {0, 0, 0}

#ifdef __cplusplus
}
#endif
