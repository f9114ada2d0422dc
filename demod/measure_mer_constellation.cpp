#include "measure_mer_constellation.h"

#include "read_pp.h"

#include <algorithm>
#include <cmath>

const t_measure_mer_params MEASURE_MER_CONSTELLATION_PARAMS_DVBT = {50, 3, 1, 20, 2, 10, 30, 15};

namespace {

constexpr double kNoLevelDistance = 1e6;
constexpr double kMinimumPointPower = 0.01;
constexpr int16_t kMaximumWithoutConfig = 500;

MeasureResult result(uint32_t status, int32_t value)
{
    MeasureResult r;
    r.status = status;
    r.value.s32 = value;
    return r;
}

MeasureResult* give(MeasureResult* out, MeasureResult r)
{
    if (out)
        *out = r;
    return out;
}

const t_mer_power* entries(const t_measure_ring* ring) { return static_cast<const t_mer_power*>(ring->entries); }

// The nearest ideal level to a sample; the first of two equally near ones wins.
void nearestLevel(const t_mer_constellation_config* config, double sample, double* level, double* distance)
{
    *level = 0;
    *distance = kNoLevelDistance;
    const uint32_t n = config ? std::min<uint32_t>(config->level_count, MEASURE_MER_CONSTELLATION_LEVELS) : 0;
    for (uint32_t i = 0; i < n; ++i) {
        const double d = std::fabs(sample - config->levels[i]);
        if (i == 0 || d < *distance) {
            *level = config->levels[i];
            *distance = d;
        }
    }
}

// Noise power of one point from its distances to the nearest levels.
double sigmaNoise(const t_mer_constellation_config* config, double dI, double dQ)
{
    const double p = (dI * dI + dQ * dQ) / 2.0;
    const uint32_t segments =
        config ? std::min<uint32_t>(config->segment_count, MEASURE_MER_CONSTELLATION_SEGMENTS) : 0;
    if (segments == 0)
        return 2.0 * std::max(p, kMinimumPointPower);
    double c = 0;
    for (uint32_t i = 0; i < segments; ++i) {
        if (p >= config->segments[i].threshold) {
            c = config->segments[i].offset + p * config->segments[i].slope;
            break;
        }
    }
    c = std::min<double>(std::max<double>(c, config->noise_minimum), config->noise_maximum);
    return 2.0 * c;
}

double ratio(const t_mer_power& e)
{
    if (e.noise > 0)
        return static_cast<double>(e.signal) / e.noise;
    return e.signal > 0 ? HUGE_VAL : 0.0;
}

struct Sums {
    double signal = 0;
    double noise = 0;
};

// Sums of the newest n entries. With `trim`, the entries of highest and lowest signal to
// noise ratio are left out; with `keepIfEmpty` they come back when leaving them out would
// leave nothing to divide.
Sums windowSums(const t_measure_ring* ring, int32_t n, bool trim, bool keepIfEmpty)
{
    Sums all;
    int32_t best = -1;
    int32_t worst = -1;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t at = MEASURE_RING_newest(ring, i);
        all.signal += entries(ring)[at].signal;
        all.noise += entries(ring)[at].noise;
        if (best < 0 || ratio(entries(ring)[at]) > ratio(entries(ring)[best]))
            best = at;
    }
    if (!trim || n < 2)
        return all;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t at = MEASURE_RING_newest(ring, i);
        if (at != best && (worst < 0 || ratio(entries(ring)[at]) < ratio(entries(ring)[worst])))
            worst = at;
    }
    Sums kept = all;
    kept.signal -= static_cast<double>(entries(ring)[best].signal) + entries(ring)[worst].signal;
    kept.noise -= static_cast<double>(entries(ring)[best].noise) + entries(ring)[worst].noise;
    if (keepIfEmpty && (kept.signal <= 0 || kept.noise <= 0))
        return all;
    return kept;
}

// MER of a window in tenths of a dB after the configuration's calibration; false when the
// window holds no signal power at all.
bool windowMer(const Sums& s, const t_mer_constellation_config* config, int32_t* mer)
{
    if (!(s.signal > 0))
        return false;
    const double noise = s.noise > 0 ? s.noise : 1.0;
    const int32_t x = MEASURE_MER_to_s32(std::trunc(0.5 + 100.0 * std::log10(s.signal / noise)));
    const uint32_t points = config ? std::min<uint32_t>(config->point_count, MEASURE_MER_CONSTELLATION_POINTS) : 0;
    *mer = points ? MEASURE_MER_interpolate(config->points, points, x).value.s32 : x;
    return true;
}

MeasureResult finalLimits(double value, const t_mer_constellation_config* config)
{
    const int32_t minimum = config ? config->minimum_mer : 0;
    const int32_t maximum = config ? config->maximum_mer : kMaximumWithoutConfig;
    const int32_t lower = config ? config->lower_limit : 0;
    const int32_t upper = config ? config->upper_limit : kMaximumWithoutConfig;
    const int32_t v = std::min(std::max(MEASURE_MER_to_s32(value), minimum), maximum);
    if (v < lower)
        return result(eRANGE_below, v);
    if (v > upper)
        return result(eRANGE_above, v);
    if (value < minimum)
        return result(eRANGE_below, v);
    if (value > maximum)
        return result(eRANGE_above, v);
    return result(eRANGE_valid, v);
}

} // namespace

KxlDrvLibError* MEASURE_MER_CONSTELLATION_create(KxlDrvLibError* err, t_measure_mer_constellation* object,
                                                 uint32_t ring_size, int32_t a, int32_t b, int32_t jump_threshold,
                                                 uint32_t jump_limit, uint32_t short_window, int32_t step_threshold,
                                                 uint32_t step_count)
{
    const t_measure_mer_params p = {ring_size, a, b, jump_threshold, jump_limit, short_window, step_threshold,
                                    step_count};
    return MEASURE_MER_CONSTELLATION_create_with(err, object, &p);
}

KxlDrvLibError* MEASURE_MER_CONSTELLATION_create_with(KxlDrvLibError* err, t_measure_mer_constellation* object,
                                                      const t_measure_mer_params* p)
{
    KxlDrvLib_error_ok(err);
    if (!object || !p)
        return KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, MEASURE_MER_CONSTELLATION_TEXT_NULL);
    return MEASURE_MER_create_parts(err, &object->ring, &object->track, sizeof(t_mer_power), p, nullptr);
}

void MEASURE_MER_CONSTELLATION_destroy(t_measure_mer_constellation* object)
{
    if (object)
        MEASURE_RING_destroy(&object->ring);
}

void MEASURE_MER_CONSTELLATION_restart(t_measure_mer_constellation* object)
{
    if (object)
        MEASURE_MER_restart_parts(&object->ring, &object->track);
}

MeasureResult* MEASURE_MER_CONSTELLATION_process(MeasureResult* out, t_measure_mer_constellation* object,
                                                 const int16_t* i_samples, const int16_t* q_samples, int32_t n,
                                                 const t_mer_constellation_config* config)
{
    if (!object)
        return give(out, result(eRANGE_unlocked, 0));
    const bool batch = i_samples && q_samples && n > 0;
    Sums sums;
    for (int32_t k = 0; batch && k < n; ++k) {
        double lI, dI, lQ, dQ;
        nearestLevel(config, i_samples[k], &lI, &dI);
        nearestLevel(config, q_samples[k], &lQ, &dQ);
        sums.signal += lI * lI + lQ * lQ;
        sums.noise += sigmaNoise(config, dI, dQ);
    }
    t_measure_ring& ring = object->ring;
    if (batch) {
        const int32_t slot = MEASURE_RING_push(&ring, nullptr);
        if (slot >= 0)
            static_cast<t_mer_power*>(ring.entries)[slot] = {static_cast<float>(sums.signal),
                                                             static_cast<float>(sums.noise)};
    }

    Sums longSums = sums; // without history the batch stands alone
    Sums shortSums = sums;
    if (ring.count > 0) {
        const int32_t shortN = static_cast<int32_t>(std::min<uint32_t>(object->track.short_window, ring.count));
        longSums = windowSums(&ring, ring.count, ring.count > 3, false);
        shortSums = shortN > 0 ? windowSums(&ring, shortN, ring.count > 3, true) : longSums;
    } else if (!batch) {
        return MEASURE_MER_CONSTELLATION_unlocked(out, object);
    }
    int32_t merL = 0;
    int32_t merS = 0;
    if (!windowMer(longSums, config, &merL) || !windowMer(shortSums, config, &merS))
        return MEASURE_MER_CONSTELLATION_min(out, object);

    const int64_t d = static_cast<int64_t>(merL) - merS;
    double value;
    if (MEASURE_MER_track_step(&object->track, d > 0 ? 1 : 0, static_cast<double>(d < 0 ? -d : d))) {
        MEASURE_RING_keep_newest(&ring, static_cast<int32_t>(std::min<uint32_t>(object->track.short_window, INT32_MAX)));
        object->track.restart = 0;
        object->track.jump_counter = 0;
        object->track.smoothed = merS;
        value = merS;
    } else {
        value = MEASURE_MER_track_smooth(&object->track, merL);
    }
    return give(out, finalLimits(value, config));
}

MeasureResult* MEASURE_MER_CONSTELLATION_unlocked(MeasureResult* out, const t_measure_mer_constellation*)
{
    return give(out, result(eRANGE_unlocked, 0));
}

MeasureResult* MEASURE_MER_CONSTELLATION_min(MeasureResult* out, const t_measure_mer_constellation*)
{
    return give(out, result(eRANGE_below, 0));
}

MeasureResult* MEASURE_MER_CONSTELLATION_max(MeasureResult* out, const t_mer_constellation_config* config)
{
    return give(out, result(eRANGE_above, config ? config->maximum_mer : kMaximumWithoutConfig));
}

void MEASURE_MER_CONSTELLATION_default_config(t_mer_constellation_config* config, uint32_t levels)
{
    if (!config)
        return;
    *config = t_mer_constellation_config{};
    config->maximum_mer = 400;
    config->minimum_mer = 0;
    config->lower_limit = 0;
    config->upper_limit = 400;
    config->level_count = std::min<uint32_t>(levels, MEASURE_MER_CONSTELLATION_LEVELS);
    // Equally spaced around zero, 16 apart: for 8 levels -56, -40, ... 56.
    const int64_t first = -static_cast<int64_t>(levels / 2);
    for (uint32_t i = 0; i < config->level_count; ++i)
        config->levels[i] = static_cast<float>(8 + 16 * (first + i));
    config->segment_count = 0;
    config->noise_minimum = 1e-6f;
    config->noise_maximum = 100000.0f;
    for (t_sigma_segment& s : config->segments)
        s = {1.0f, 0.0f, 0.0f};
    config->point_count = 0;
}

const uint8_t* MEASURE_MER_CONSTELLATION_load_config(int32_t level_slots, int32_t segment_slots,
                                                     t_mer_constellation_config* config, const uint8_t* position,
                                                     KxlDrvLibError* err)
{
    t_mer_constellation_config scratch{};
    t_mer_constellation_config* c = config ? config : &scratch;
    bool bad = false;
    bool clamped = false;
    // Every field goes through here: read, clamp, and remember a clamp.
    auto field = [&](float* value, float minimum, float maximum) {
        position = READ_PP_load_float(value, 100, position, &clamped, minimum, maximum);
        bad = bad || clamped;
    };

    uint8_t levelCount = 0;
    position = READ_PP_load_byte(&levelCount, 0, MEASURE_MER_CONSTELLATION_LEVELS, position, &clamped);
    bad = bad || clamped;
    for (int32_t i = 0; i < level_slots; ++i) {
        float level = 0;
        field(&level, -10000.0f, 10000.0f);
        if (i < MEASURE_MER_CONSTELLATION_LEVELS)
            c->levels[i] = level;
    }
    int16_t maximum = 0;
    position = READ_PP_load_sword(&maximum, 0, 1000, position, &clamped);
    bad = bad || clamped;
    field(&c->noise_minimum, 0.0f, 100000.0f);
    field(&c->noise_maximum, 0.0f, 100000.0f);
    uint8_t segmentCount = 0;
    position = READ_PP_load_byte(&segmentCount, 0, MEASURE_MER_CONSTELLATION_SEGMENTS, position, &clamped);
    bad = bad || clamped;
    for (int32_t i = 0; i < segment_slots; ++i) {
        t_sigma_segment s{};
        field(&s.slope, -10000.0f, 10000.0f);
        field(&s.offset, -10000.0f, 10000.0f);
        field(&s.threshold, 0.0f, 10000.0f);
        if (i < MEASURE_MER_CONSTELLATION_SEGMENTS)
            c->segments[i] = s;
    }
    c->level_count = levelCount;
    c->segment_count = segmentCount;
    c->maximum_mer = maximum;
    c->upper_limit = maximum;
    c->minimum_mer = 0;
    c->lower_limit = 0;
    if (bad)
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 2, MEASURE_MER_CONSTELLATION_TEXT_FORMAT);
    return position;
}

void MEASURE_MER_CONSTELLATION_get_noise_power(const t_measure_mer_constellation* object, float* signal,
                                               float* noise)
{
    Sums s;
    const int32_t count = object ? object->ring.count : 0;
    if (count > 0) {
        s = windowSums(&object->ring, count, count > 3, false);
        s.signal /= count;
        s.noise /= count;
    }
    if (signal)
        *signal = static_cast<float>(s.signal);
    if (noise)
        *noise = static_cast<float>(s.noise);
}
