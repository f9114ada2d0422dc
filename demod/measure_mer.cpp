#include "measure_mer.h"

#include "read_pp.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

const t_measure_mer_params MEASURE_MER_PARAMS_DVBC = {10, 7, 1, 20, 2, 10, 20, 4};
const t_measure_mer_params MEASURE_MER_PARAMS_DVBC2 = {70, 5, 1, 15, 3, 10, 20, 4};
const t_measure_mer_params MEASURE_MER_PARAMS_DVBT2 = {180, 4, 1, 20, 4, 30, 20, 10};
const t_measure_mer_params MEASURE_MER_PARAMS_ISDBT = {20, 7, 1, 30, 2, 4, 20, 4};

namespace {

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

bool usable(const t_mer_calibration_table* table) { return table && table->count > 0; }

uint32_t pointCount(const t_mer_calibration_table* table)
{
    return std::min<uint32_t>(table->count, MEASURE_MER_TABLE_MAX);
}

// Sum, smallest and largest of a run of values, for means that drop the two extremes.
struct Trimmed {
    int64_t sum = 0;
    int32_t lo = INT32_MAX;
    int32_t hi = INT32_MIN;
    int32_t n = 0;
    void add(int32_t v)
    {
        sum += v;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        ++n;
    }
    // Integer mean, without the largest and the smallest once there are trimFrom values.
    int32_t mean(int32_t trimFrom) const
    {
        if (n == 0)
            return 0;
        if (n >= trimFrom)
            return static_cast<int32_t>((sum - lo - hi) / (n - 2));
        return static_cast<int32_t>(sum / n);
    }
};

// Mean of the newest n ring entries; five or more are trimmed.
int32_t ringMean(const t_measure_ring* ring, int32_t n)
{
    const int32_t* entries = static_cast<const int32_t*>(ring->entries);
    Trimmed t;
    for (int32_t i = 0; i < n; ++i)
        t.add(entries[MEASURE_RING_newest(ring, i)]);
    return t.mean(5);
}

// Calibrated samples of one batch, reduced to their mean; nine or more are trimmed.
int32_t batchMean(const int32_t* samples, int32_t n, const t_mer_calibration_table* table)
{
    Trimmed t;
    for (int32_t i = 0; i < n; ++i) {
        MeasureResult r;
        MEASURE_MER_calibrate(&r, samples[i], 0, table);
        t.add(r.value.s32);
    }
    return t.mean(9);
}

} // namespace

void MEASURE_MER_tracking_init(t_mer_tracking* track, int32_t a, int32_t b, int32_t jump_threshold,
                               uint32_t jump_limit, uint32_t short_window, int32_t step_threshold,
                               uint32_t step_count)
{
    const double sum = static_cast<double>(a) + b;
    track->restart = 1;
    track->smoothed = 0;
    track->old_weight = sum != 0 ? a / sum : 0.0;
    track->new_weight = sum != 0 ? b / sum : 1.0;
    track->jump_threshold = jump_threshold;
    track->jump_limit = jump_limit;
    track->jump_counter = 0;
    track->short_window = short_window;
    track->step_threshold = step_threshold;
    track->step_limit = static_cast<int32_t>(static_cast<int64_t>(step_count) - 1);
    track->step_counter = 0;
    track->last_direction = 0;
}

int MEASURE_MER_track_step(t_mer_tracking* track, uint32_t direction, double magnitude)
{
    if (magnitude > track->step_threshold) {
        if (direction == track->last_direction || track->step_counter == 0)
            ++track->step_counter;
        else
            track->step_counter = 0;
    } else {
        track->step_counter = 0;
    }
    track->last_direction = direction;
    if (static_cast<int64_t>(track->step_counter) > track->step_limit) {
        track->step_counter = 0;
        return 1;
    }
    return 0;
}

double MEASURE_MER_track_smooth(t_mer_tracking* track, double value)
{
    if (track->restart) {
        track->smoothed = value;
        track->restart = 0;
        track->jump_counter = 0;
        return value;
    }
    const double previous = track->smoothed;
    track->smoothed = previous * track->old_weight + value * track->new_weight;
    if (std::fabs(previous - value) > track->jump_threshold && ++track->jump_counter >= track->jump_limit) {
        track->smoothed = value;
        track->jump_counter = 0;
    }
    return track->smoothed;
}

KxlDrvLibError* MEASURE_MER_create_parts(KxlDrvLibError* err, t_measure_ring* ring, t_mer_tracking* track,
                                         size_t entry_size, const t_measure_mer_params* p, const char* heap_text)
{
    if (MEASURE_RING_create(ring, p->ring_size, entry_size) != KxlDrvLib_code_ok)
        KxlDrvLib_error_set(err, KxlDrvLib_code_heap, 0, heap_text);
    MEASURE_MER_tracking_init(track, p->a, p->b, p->jump_threshold, p->jump_limit, p->short_window,
                              p->step_threshold, p->step_count);
    return err;
}

void MEASURE_MER_restart_parts(t_measure_ring* ring, t_mer_tracking* track)
{
    MEASURE_RING_empty(ring);
    track->restart = 1;
    track->step_counter = 0;
}

KxlDrvLibError* MEASURE_MER_create(KxlDrvLibError* err, t_measure_mer* object, uint32_t ring_size, int32_t a,
                                   int32_t b, int32_t jump_threshold, uint32_t jump_limit, uint32_t short_window,
                                   int32_t step_threshold, uint32_t step_count)
{
    const t_measure_mer_params p = {ring_size, a, b, jump_threshold, jump_limit, short_window, step_threshold,
                                    step_count};
    return MEASURE_MER_create_with(err, object, &p);
}

KxlDrvLibError* MEASURE_MER_create_with(KxlDrvLibError* err, t_measure_mer* object, const t_measure_mer_params* p)
{
    KxlDrvLib_error_ok(err);
    if (!object || !p)
        return KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, MEASURE_MER_TEXT_NULL);
    return MEASURE_MER_create_parts(err, &object->ring, &object->track, sizeof(int32_t), p, MEASURE_MER_TEXT_HEAP);
}

void MEASURE_MER_destroy(t_measure_mer* object)
{
    if (object)
        MEASURE_RING_destroy(&object->ring);
}

void MEASURE_MER_restart(t_measure_mer* object)
{
    if (object)
        MEASURE_MER_restart_parts(&object->ring, &object->track);
}

MeasureResult* MEASURE_MER_process(MeasureResult* out, t_measure_mer* object, const int32_t* samples, int32_t n,
                                   const t_mer_calibration_table* table)
{
    if (!object)
        return give(out, result(eRANGE_unlocked, 0));
    const bool batch = samples && n > 0;
    const int32_t mean = batch ? batchMean(samples, n, table) : 0;
    if (batch) {
        const int32_t slot = MEASURE_RING_push(&object->ring, nullptr);
        if (slot >= 0)
            static_cast<int32_t*>(object->ring.entries)[slot] = mean;
    }
    t_measure_ring& ring = object->ring;
    int32_t longMean;
    int32_t shortMean;
    if (ring.count > 0) {
        longMean = ringMean(&ring, ring.count);
        const int32_t shortN = static_cast<int32_t>(std::min<uint32_t>(object->track.short_window, ring.count));
        shortMean = shortN > 0 ? ringMean(&ring, shortN) : longMean;
    } else if (batch) {
        longMean = shortMean = mean; // no history: the batch stands alone
    } else {
        return MEASURE_MER_unlocked(out, object);
    }

    const int64_t d = static_cast<int64_t>(longMean) - shortMean;
    double value = longMean;
    if (MEASURE_MER_track_step(&object->track, d >= 1 ? 1 : 0, static_cast<double>(d < 0 ? -d : d))) {
        MEASURE_RING_keep_newest(&ring, static_cast<int32_t>(std::min<uint32_t>(object->track.short_window, INT32_MAX)));
        value = shortMean;
    }
    const double smoothed = MEASURE_MER_track_smooth(&object->track, value);
    return MEASURE_MER_limit(out, eRANGE_valid, MEASURE_MER_to_s32(smoothed), table);
}

int32_t MEASURE_MER_to_s32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

MeasureResult MEASURE_MER_interpolate(const t_mer_point* p, uint32_t count, int32_t measured)
{
    uint32_t i = 0;
    while (i < count && !(p[i].measured < measured))
        ++i;
    const uint32_t k = std::max<uint32_t>(i, 1);
    if (i == count || k >= count)
        return result(eRANGE_below, p[count - 1].real);
    double v = p[k].real;
    if (p[k].measured != p[k - 1].measured)
        v += (static_cast<double>(p[k].real) - p[k - 1].real) /
             (static_cast<double>(p[k].measured) - p[k - 1].measured) * (static_cast<double>(measured) - p[k].measured);
    return result(eRANGE_valid, MEASURE_MER_to_s32(v + 0.5));
}

MeasureResult* MEASURE_MER_calibrate(MeasureResult* out, int32_t measured, uint32_t clamp,
                                     const t_mer_calibration_table* table)
{
    if (!usable(table))
        return give(out, result(eRANGE_valid, measured));
    MeasureResult r = MEASURE_MER_interpolate(table->points, pointCount(table), measured);
    if (clamp && r.value.s32 >= table->maximum)
        r = result(eRANGE_above, table->maximum);
    return give(out, r);
}

MeasureResult* MEASURE_MER_limit(MeasureResult* out, int32_t status, int32_t value,
                                 const t_mer_calibration_table* table)
{
    if (!usable(table))
        return give(out, result(static_cast<uint32_t>(status), value));
    const int32_t lastReal = table->points[pointCount(table) - 1].real;
    const int32_t v = std::max<int32_t>(std::min<int32_t>(value, table->maximum), lastReal);
    uint32_t s = static_cast<uint32_t>(status);
    if (v < table->lower_limit)
        s = eRANGE_below;
    else if (v > table->upper_limit)
        s = eRANGE_above;
    else if (value < lastReal)
        s = eRANGE_below;
    else if (value > table->maximum)
        s = eRANGE_above;
    return give(out, result(s, v));
}

MeasureResult* MEASURE_MER_unlocked(MeasureResult* out, const t_measure_mer*)
{
    return give(out, result(eRANGE_unlocked, 0));
}

MeasureResult* MEASURE_MER_min(MeasureResult* out) { return give(out, result(eRANGE_below, 0)); }

MeasureResult* MEASURE_MER_max(MeasureResult* out, const t_mer_calibration_table* table)
{
    return give(out, result(eRANGE_above, table ? static_cast<int32_t>(table->maximum) : static_cast<int32_t>(MEASURE_MER_VALUE_MAX)));
}

void MEASURE_MER_default_table(t_mer_calibration_table* table)
{
    if (!table)
        return;
    *table = t_mer_calibration_table{};
    table->count = 2;
    table->maximum = MEASURE_MER_VALUE_MAX;
    table->lower_limit = 0;
    table->upper_limit = MEASURE_MER_VALUE_MAX;
    table->points[0] = {500, 500};
    table->points[1] = {0, 0};
}

const uint8_t* MEASURE_MER_load_table(t_mer_calibration_table* table, int32_t points, const uint8_t* position,
                                      KxlDrvLibError* err)
{
    bool bad = false;
    bool clamped = false;
    uint16_t maximum = 0;
    position = READ_PP_load_word(&maximum, 0, MEASURE_MER_VALUE_MAX, position, &clamped);
    bad = clamped;
    bool ended = false;
    uint32_t count = 0;
    int32_t previous = -1;
    for (int32_t i = 0; i < points && position; ++i) {
        uint16_t measured = 0;
        uint16_t real = 0;
        position = READ_PP_load_word(&measured, 0, UINT16_MAX, position, nullptr);
        position = READ_PP_load_word(&real, 0, UINT16_MAX, position, nullptr);
        // The slot is read to its end, but the table keeps only what it has room for.
        t_mer_point* slot = table && i < MEASURE_MER_TABLE_MAX ? &table->points[i] : nullptr;
        if (ended || (measured == MEASURE_MER_END_KEY && real == 0)) {
            if (!ended)
                count = static_cast<uint32_t>(i);
            ended = true;
            if (slot)
                *slot = {0, 0};
            continue;
        }
        if (measured > MEASURE_MER_VALUE_MAX || real > MEASURE_MER_VALUE_MAX)
            bad = true;
        // Interpolation needs distinct measured values in descending order.
        if (previous >= 0 && measured >= previous)
            bad = true;
        previous = measured;
        if (slot)
            *slot = {measured, real};
    }
    if (!ended) {
        bad = true;
        count = static_cast<uint32_t>(std::max(points, 0));
    }
    if (table) {
        table->count = std::min<uint32_t>(count, MEASURE_MER_TABLE_MAX);
        table->maximum = maximum;
        table->lower_limit = 0;
        table->upper_limit = maximum;
    }
    if (bad)
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 2, MEASURE_MER_TEXT_FORMAT);
    return position;
}

MeasureResult* MEASURE_MER_process_T2(MeasureResult* out, uint32_t, const int32_t* samples, int32_t n,
                                      const t_mer_calibration_table* table)
{
    // One history for every caller, as the variant was made; the lock only keeps two threads
    // from tearing it.
    static std::mutex lock;
    static int32_t history[10];
    static uint32_t next;
    int32_t sorted[10];
    {
        std::lock_guard<std::mutex> guard(lock);
        if (samples && n > 0) {
            history[next] = batchMean(samples, n, table);
            next = (next + 1) % 10;
        }
        std::copy(history, history + 10, sorted);
    }
    std::sort(sorted, sorted + 10);
    return MEASURE_MER_limit(out, eRANGE_valid, sorted[5], table);
}
