// Errored-seconds ratio over a sliding time window: each call brings the errors of one
// counting interval and its length; the ratio is the share of the window's time covered by
// intervals with errors, rounded to whole errored seconds of the window.
#pragma once

#include "measure_ring.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct t_esr_entry {
    uint32_t errors;
    uint32_t interval_ms;
} t_esr_entry;

typedef struct t_measure_esr {
    t_measure_ring ring;   // t_esr_entry
    uint64_t stopwatch;    // start of the current interval, ms
    uint32_t calls;        // since restart, saturating
    uint32_t settle_calls; // first calls that report no value
    uint64_t window;       // ms
} t_measure_esr;

typedef struct t_esr_result {
    float esr;       // percent
    uint32_t status; // eRANGE: 0 over the full window, 1 a lower bound until it fills, 3 no value
    uint32_t seconds; // seconds covered
} t_esr_result;

// DVB-T2 and DVB-C2 create their object with these.
enum { MEASURE_ESR_RING_T2C2 = 200, MEASURE_ESR_WINDOW_S_T2C2 = 20, MEASURE_ESR_SETTLE_T2C2 = 1 };

#define MEASURE_ESR_TEXT_NULL "[MEASURE_ESR_create]->Null pointer error."
#define MEASURE_ESR_TEXT_HEAP "[MEASURE_ESR_create]->Heap error."

// Allocates (or reuses) and empties the ring, calls 0, stopwatch started. Null object: code
// 34; no ring: code 10 and capacity 0 (every result is then the unlocked one).
KxlDrvLibError* MEASURE_ESR_create(KxlDrvLibError* err, t_measure_esr* object, uint32_t ring_size,
                                   uint32_t window_s, uint32_t settle_calls);
void MEASURE_ESR_destroy(t_measure_esr* object);
// Calls 0, ring emptied and zeroed.
void MEASURE_ESR_restart(t_measure_esr* object);
t_esr_result* MEASURE_ESR_unlocked(t_esr_result* out, const t_measure_esr* object); // {0.0, 3, 0}
void MEASURE_ESR_start_stopwatch(t_measure_esr* object);
// Milliseconds since the stopwatch was started.
uint32_t MEASURE_ESR_get_stopwatch(const t_measure_esr* object);
t_esr_result* MEASURE_ESR_process(t_esr_result* out, t_measure_esr* object, uint32_t errors, uint32_t interval_ms);

#ifdef __cplusplus
}
#endif
