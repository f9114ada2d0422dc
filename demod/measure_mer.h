// The MER post-processing object for demodulators that compute MER samples themselves:
// each sample is calibrated against a measured-to-real table, a batch is averaged robustly,
// and the displayed MER follows real steps of the level at once while small fluctuations
// are smoothed. Also the calibration table, its loader and the step/smoothing state that the
// constellation MER object shares.
#pragma once

#include "measure_result.h"
#include "measure_ring.h"

#include "common/KxlDrvLibError.h"

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { MEASURE_MER_TABLE_MAX = 32, MEASURE_MER_VALUE_MAX = 500, MEASURE_MER_END_KEY = 0xFFFF };

// One calibration point, tenths of a dB.
typedef struct t_mer_point {
    uint16_t measured;
    uint16_t real;
} t_mer_point;

// Measured-to-real calibration: points in strictly descending order of measured value.
typedef struct t_mer_calibration_table {
    uint32_t count;
    uint16_t maximum;
    uint16_t lower_limit;
    uint16_t upper_limit;
    t_mer_point points[MEASURE_MER_TABLE_MAX];
} t_mer_calibration_table;

// Step following and smoothing, shared with the constellation MER object.
typedef struct t_mer_tracking {
    uint16_t restart; // 1 = the next value restarts the smoothing
    double smoothed;
    double old_weight; // a / (a + b)
    double new_weight; // b / (a + b)
    int32_t jump_threshold;
    uint32_t jump_limit;
    uint32_t jump_counter;
    uint32_t short_window;
    int32_t step_threshold;
    int32_t step_limit; // the create argument minus 1
    uint32_t step_counter;
    uint32_t last_direction; // 1 = long mean above short mean
} t_mer_tracking;

typedef struct t_measure_mer {
    t_measure_ring ring; // int32_t MER values, one per call
    t_mer_tracking track;
} t_measure_mer;

// The create arguments after the object, in their order.
typedef struct t_measure_mer_params {
    uint32_t ring_size;
    int32_t a;
    int32_t b;
    int32_t jump_threshold;
    uint32_t jump_limit;
    uint32_t short_window;
    int32_t step_threshold;
    uint32_t step_count;
} t_measure_mer_params;

extern const t_measure_mer_params MEASURE_MER_PARAMS_DVBC; // J.83B and DVB-S as well
extern const t_measure_mer_params MEASURE_MER_PARAMS_DVBC2;
extern const t_measure_mer_params MEASURE_MER_PARAMS_DVBT2;
extern const t_measure_mer_params MEASURE_MER_PARAMS_ISDBT;

#define MEASURE_MER_TEXT_NULL "[MEASURE_MER_create]->Null pointer error"
#define MEASURE_MER_TEXT_HEAP "[MEASURE_MER_create]->Heap error"
#define MEASURE_MER_TEXT_FORMAT "[MEASURE_MER_load_table]->Format error"

// Allocates the ring (reusing or freeing one from an earlier create) and empties it; restart
// 1, step counter 0. Null object: code 34. No ring: code 10 and capacity 0; the object then
// works on each batch alone.
KxlDrvLibError* MEASURE_MER_create(KxlDrvLibError* err, t_measure_mer* object, uint32_t ring_size, int32_t a,
                                   int32_t b, int32_t jump_threshold, uint32_t jump_limit, uint32_t short_window,
                                   int32_t step_threshold, uint32_t step_count);
KxlDrvLibError* MEASURE_MER_create_with(KxlDrvLibError* err, t_measure_mer* object,
                                        const t_measure_mer_params* params);
void MEASURE_MER_destroy(t_measure_mer* object);
void MEASURE_MER_restart(t_measure_mer* object);
// One batch of n MER samples (tenths of a dB). With no batch and no history the result is
// the unlocked one.
MeasureResult* MEASURE_MER_process(MeasureResult* out, t_measure_mer* object, const int32_t* samples, int32_t n,
                                   const t_mer_calibration_table* table);
// Measured to real through the table; clamp caps the result at the table's maximum. Without
// a table, or with an empty one, {0, measured}.
MeasureResult* MEASURE_MER_calibrate(MeasureResult* out, int32_t measured, uint32_t clamp,
                                     const t_mer_calibration_table* table);
// The display limits of the table applied to a value.
MeasureResult* MEASURE_MER_limit(MeasureResult* out, int32_t status, int32_t value,
                                 const t_mer_calibration_table* table);
MeasureResult* MEASURE_MER_unlocked(MeasureResult* out, const t_measure_mer* object); // {3, 0}
MeasureResult* MEASURE_MER_min(MeasureResult* out);                                  // {2, 0}
// {1, the table's maximum}, {1, 500} without a table.
MeasureResult* MEASURE_MER_max(MeasureResult* out, const t_mer_calibration_table* table);
// Maximum 500, limits 0 and 500, the points (500, 500) and (0, 0).
void MEASURE_MER_default_table(t_mer_calibration_table* table);
// Parses a table with a slot of `points` pairs: u16 maximum, then {u16 measured, u16 real}
// pairs ended by (0xFFFF, 0). Returns the position after the whole slot. A field above 500,
// measured values that do not strictly descend and a missing end marker raise the format
// error (code 26, argument 2) if err holds no error yet; the caller then installs its defaults.
const uint8_t* MEASURE_MER_load_table(t_mer_calibration_table* table, int32_t points, const uint8_t* position,
                                      KxlDrvLibError* err);
// A variant without an object: the batch's trimmed mean joins one ring of 10 values shared
// by every caller, and the result is the 6th smallest of them. Nothing calls it.
MeasureResult* MEASURE_MER_process_T2(MeasureResult* out, uint32_t ignored, const int32_t* samples, int32_t n,
                                      const t_mer_calibration_table* table);

// Shared with the constellation MER object, whose storage is the same ring and tracking.
// Creates the ring of entry_size entries and initialises the tracking; a missing ring
// records code 10 with heap_text.
KxlDrvLibError* MEASURE_MER_create_parts(KxlDrvLibError* err, t_measure_ring* ring, t_mer_tracking* track,
                                         size_t entry_size, const t_measure_mer_params* params,
                                         const char* heap_text);
// Empties the ring; restart 1, step counter 0.
void MEASURE_MER_restart_parts(t_measure_ring* ring, t_mer_tracking* track);
// Interpolates measured to real over count points (measured descending), rounding to the
// nearest tenth; above the first point along the first segment. At or below every point,
// and with fewer than two points, the last real value with status 2. count must be >= 1.
MeasureResult MEASURE_MER_interpolate(const t_mer_point* points, uint32_t count, int32_t measured);
// Saturating conversion of a MER in tenths of a dB (NaN gives 0).
int32_t MEASURE_MER_to_s32(double value);
void MEASURE_MER_tracking_init(t_mer_tracking* track, int32_t a, int32_t b, int32_t jump_threshold,
                               uint32_t jump_limit, uint32_t short_window, int32_t step_threshold,
                               uint32_t step_count);
// Counts a long-to-short difference of the given direction and magnitude; returns 1 when the
// count passes the step limit (the counter is then cleared) and the history must be cut to
// the short window.
int MEASURE_MER_track_step(t_mer_tracking* track, uint32_t direction, double magnitude);
// Blends a value into the smoothed one (or restarts with it) and returns the smoothed value.
double MEASURE_MER_track_smooth(t_mer_tracking* track, double value);

#ifdef __cplusplus
}
#endif
