// The constellation MER object: computes the MER itself from constellation points (DVB-T).
// Each point is matched to the nearest ideal levels; the signal power of those levels and the
// noise of the distances, corrected by a piecewise-linear sigma calibration, are accumulated
// per batch, and the ratio follows steps and is smoothed like the sampled MER.
#pragma once

#include "measure_mer.h"
#include "measure_result.h"
#include "measure_ring.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    MEASURE_MER_CONSTELLATION_LEVELS = 8,
    MEASURE_MER_CONSTELLATION_SEGMENTS = 4,
    MEASURE_MER_CONSTELLATION_POINTS = 32,
};

// Noise of a point whose power p reaches the threshold: offset + p x slope.
typedef struct t_sigma_segment {
    float slope;
    float offset;
    float threshold;
} t_sigma_segment;

typedef struct t_mer_constellation_config {
    int16_t maximum_mer; // tenths of a dB
    int16_t minimum_mer;
    int16_t lower_limit;
    int16_t upper_limit;
    uint32_t level_count;
    float levels[MEASURE_MER_CONSTELLATION_LEVELS]; // ideal positions on one axis, in sample units
    uint32_t segment_count;
    float noise_minimum;
    float noise_maximum;
    t_sigma_segment segments[MEASURE_MER_CONSTELLATION_SEGMENTS]; // taken in order
    uint32_t point_count;
    t_mer_point points[MEASURE_MER_CONSTELLATION_POINTS]; // measured descending
} t_mer_constellation_config;

// One batch: summed signal and noise power.
typedef struct t_mer_power {
    float signal;
    float noise;
} t_mer_power;

typedef struct t_measure_mer_constellation {
    t_measure_ring ring; // t_mer_power, one per call
    t_mer_tracking track;
} t_measure_mer_constellation;

extern const t_measure_mer_params MEASURE_MER_CONSTELLATION_PARAMS_DVBT;

#define MEASURE_MER_CONSTELLATION_TEXT_NULL "[MEASURE_MER_CONSTELLATION_create]->Null pointer."
#define MEASURE_MER_CONSTELLATION_TEXT_FORMAT "[MEASURE_MER_CONSTELLATION_load_config]->Format error."

// As MEASURE_MER_create. Null object: code 34; no ring: code 10, capacity 0.
KxlDrvLibError* MEASURE_MER_CONSTELLATION_create(KxlDrvLibError* err, t_measure_mer_constellation* object,
                                                 uint32_t ring_size, int32_t a, int32_t b, int32_t jump_threshold,
                                                 uint32_t jump_limit, uint32_t short_window, int32_t step_threshold,
                                                 uint32_t step_count);
KxlDrvLibError* MEASURE_MER_CONSTELLATION_create_with(KxlDrvLibError* err, t_measure_mer_constellation* object,
                                                      const t_measure_mer_params* params);
void MEASURE_MER_CONSTELLATION_destroy(t_measure_mer_constellation* object);
void MEASURE_MER_CONSTELLATION_restart(t_measure_mer_constellation* object);
// One batch of n points. No signal power (every point on the zero levels, or no levels)
// gives the minimum result {2, 0}; no batch and no history the unlocked one.
MeasureResult* MEASURE_MER_CONSTELLATION_process(MeasureResult* out, t_measure_mer_constellation* object,
                                                 const int16_t* i_samples, const int16_t* q_samples, int32_t n,
                                                 const t_mer_constellation_config* config);
MeasureResult* MEASURE_MER_CONSTELLATION_unlocked(MeasureResult* out, const t_measure_mer_constellation* object);
MeasureResult* MEASURE_MER_CONSTELLATION_min(MeasureResult* out, const t_measure_mer_constellation* object);
// {1, the configuration's maximum}, {1, 500} without one.
MeasureResult* MEASURE_MER_CONSTELLATION_max(MeasureResult* out, const t_mer_constellation_config* config);
// levels ideal positions 8 + 16k around 0 (for 8: -56 ... 56), no sigma segments, no
// calibration points, MER limits 0 ... 400.
void MEASURE_MER_CONSTELLATION_default_config(t_mer_constellation_config* config, uint32_t levels);
// Parses one configuration with the given level and segment slots (little-endian: u8 level
// count, s32 levels / 100, s16 maximum MER, s32 noise minimum and maximum / 100, u8 segment
// count, s32 slope, offset, threshold / 100 per segment); every field is clamped to its
// range and a clamp raises the format error. The calibration points are left alone. Returns
// the position after the record.
const uint8_t* MEASURE_MER_CONSTELLATION_load_config(int32_t level_slots, int32_t segment_slots,
                                                     t_mer_constellation_config* config, const uint8_t* position,
                                                     KxlDrvLibError* err);
// The long window's trimmed signal and noise sums divided by the entries held.
void MEASURE_MER_CONSTELLATION_get_noise_power(const t_measure_mer_constellation* object, float* signal,
                                               float* noise);

#ifdef __cplusplus
}
#endif
