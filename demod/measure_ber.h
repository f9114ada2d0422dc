// The BER post-processing object: turns the error counts the demodulator delivers once per
// counting window into one displayed bit-error ratio. It averages over a window that adapts
// to the error rate, follows real steps at once, smooths small fluctuations and reports an
// upper bound while too few errors have been seen. An optional table keyed by the current
// MER scales the error counts.
#pragma once

#include "measure_result.h"
#include "measure_ring.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// One ring entry: errors already divided by the correction factor, and the window's bits.
typedef struct t_ber_entry {
    double errors;
    double bits;
} t_ber_entry;

// Smoothing state, also used on its own by the ISDB-T estimated BER.
typedef struct t_ber_smoothing {
    uint8_t restart;      // 1 = the next value restarts the smoothing
    float smoothed;
    float old_weight;     // a / (a + b)
    float new_weight;     // b / (a + b)
    float step_ratio;     // ratio between two BERs that counts as a jump
    uint32_t step_limit;  // jump count at which the smoothing snaps to the new value
    int32_t step_counter; // large jumps seen
} t_ber_smoothing;

typedef struct t_measure_ber {
    t_measure_ring ring;   // t_ber_entry
    double evicted_errors; // errors of the entries overwritten since the ring became full
    double evicted_bits;
    float minimum_ber;
    float maximum_ber;
    uint32_t error_cap;       // the adaptive window stops growing at this many errors
    uint32_t error_threshold; // fewer errors make the result an upper bound
    t_ber_smoothing smoothing;
    uint32_t calls;        // process calls, saturating
    uint32_t short_window; // entries of the short window
    uint32_t settle_calls; // first calls that report no value
    MeasureResult last;    // what a call without bits repeats
} t_measure_ber;

// Correction table: count entries {factor, MER key in tenths of a dB}, keys descending.
enum { MEASURE_BER_TABLE_MAX = 32, MEASURE_BER_KEY_MAX = 600, MEASURE_BER_END_KEY = 0xFFFF };
typedef struct t_ber_correction_entry {
    float factor;
    uint16_t key;
} t_ber_correction_entry;
typedef struct t_ber_correction_table {
    uint32_t count;
    t_ber_correction_entry entries[MEASURE_BER_TABLE_MAX];
} t_ber_correction_table;

#define MEASURE_BER_TEXT_FORMAT "[MEASURE_BER_load_table]->Format error"

// The create arguments after the object, in their order.
typedef struct t_measure_ber_params {
    uint32_t ring_size;
    uint32_t error_cap;
    uint32_t error_threshold;
    int32_t a;
    int32_t b;
    uint32_t step_limit;
    uint32_t short_window;
    uint32_t settle_calls;
    float maximum_ber;
    float minimum_ber;
    float step_ratio;
} t_measure_ber_params;

// Create parameters of every BER measurement of the driver.
extern const t_measure_ber_params MEASURE_BER_PARAMS_DVBT_CBER;
extern const t_measure_ber_params MEASURE_BER_PARAMS_DVBT_VBER;
extern const t_measure_ber_params MEASURE_BER_PARAMS_T2C2_CBER;  // DVB-T2 and DVB-C2 pre-LDPC
extern const t_measure_ber_params MEASURE_BER_PARAMS_DVBT2_LDPC; // pre-BCH
extern const t_measure_ber_params MEASURE_BER_PARAMS_DVBC2_LDPC; // pre-BCH
extern const t_measure_ber_params MEASURE_BER_PARAMS_DVBC_CBER;  // DVB-S as well
extern const t_measure_ber_params MEASURE_BER_PARAMS_ANNEXB_CBER;
extern const t_measure_ber_params MEASURE_BER_PARAMS_ISDBT_VBER;
// Initial smoothing state of the ISDB-T estimated CBER.
extern const t_ber_smoothing MEASURE_BER_SMOOTHING_ISDBT_CBER;

// Allocates the ring and empties it; restart 1, calls 0. An object created before keeps or
// frees its ring, never leaks it. Null object: code 34; no ring: code 10 and capacity 0, and
// the object then counts calls but every result is {1, maximum BER}.
KxlDrvLibError* MEASURE_BER_create(KxlDrvLibError* err, t_measure_ber* object, uint32_t ring_size, uint32_t error_cap,
                                   uint32_t error_threshold, int32_t a, int32_t b, uint32_t step_limit,
                                   uint32_t short_window, uint32_t settle_calls, float maximum_ber,
                                   float minimum_ber, float step_ratio);
KxlDrvLibError* MEASURE_BER_create_with(KxlDrvLibError* err, t_measure_ber* object,
                                        const t_measure_ber_params* params);
void MEASURE_BER_destroy(t_measure_ber* object);
// Empties the history; the next result restarts the smoothing and the settle calls.
void MEASURE_BER_restart(t_measure_ber* object);
// One completed count. A window of 0 bits is counted as a call but changes nothing: the last
// result is repeated.
MeasureResult* MEASURE_BER_process(MeasureResult* out, t_measure_ber* object, uint32_t errors, uint32_t bits,
                                   int32_t mer_key, const t_ber_correction_table* table);
MeasureResult* MEASURE_BER_unlocked(MeasureResult* out, const t_measure_ber* object); // {1, maximum}
MeasureResult* MEASURE_BER_max(MeasureResult* out, const t_measure_ber* object);      // {1, maximum}
MeasureResult* MEASURE_BER_min(MeasureResult* out, const t_measure_ber* object);      // {2, minimum}
// Process calls so far; the tasks program their counting window when it reads 1.
uint32_t MEASURE_BER_counter(const t_measure_ber* object);
// Correction factor for a MER key, 1e-12 ... 1000; 1 without a table or with an empty one.
float MEASURE_BER_get_factor(int32_t mer_key, const t_ber_correction_table* table);
// Two entries: factor 1.0 at key 1000 and at key 0.
void MEASURE_BER_default_table(t_ber_correction_table* table);
// Parses a slot of `entries` little-endian {u16 key, u16 factor x 100} pairs ended by
// (0xFFFF, 0) and returns the position after the whole slot. Out-of-range pairs, keys that
// do not descend and a missing end marker raise the format error (code 26, argument 2) in
// err if it holds no error yet; the caller then installs its defaults.
const uint8_t* MEASURE_BER_load_table(t_ber_correction_table* table, int32_t entries, const uint8_t* position,
                                      KxlDrvLibError* err);
// Plain errors / bits with the smoothing (no history).
MeasureResult* MEASURE_BER_calculate(MeasureResult* out, t_measure_ber* object, uint32_t errors, uint32_t bits);
// Milliseconds needed to count error-threshold errors at that BER, in whole seconds.
uint32_t MEASURE_BER_stabilization_time(const t_measure_ber* object, uint32_t window_ms, uint32_t bits_per_window,
                                        float ber);

// The smoothing filter alone: blends x into the smoothed value and snaps to x after
// step-limit large jumps. epsilon keeps the ratio finite at 0.
double MEASURE_BER_smoothing_filter(t_ber_smoothing* s, double x, double epsilon);
// The filter with its restart: the first value after a restart is taken as it is.
double MEASURE_BER_smooth(t_ber_smoothing* s, double x, double epsilon);

#ifdef __cplusplus
}
#endif
