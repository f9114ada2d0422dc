#include "measure_ber.h"

#include "read_pp.h"

#include <algorithm>
#include <cmath>

const t_measure_ber_params MEASURE_BER_PARAMS_DVBT_CBER = {40, 200, 10, 8, 1, 2, 4, 2, 0.1f, 1e-7f, 10.0f};
const t_measure_ber_params MEASURE_BER_PARAMS_DVBT_VBER = {100, 200, 4, 8, 1, 2, 3, 1, 0.1f, 1e-10f, 20.0f};
const t_measure_ber_params MEASURE_BER_PARAMS_T2C2_CBER = {50, 200, 5, 8, 1, 2, 3, 2, 0.1f, 1e-6f, 20.0f};
const t_measure_ber_params MEASURE_BER_PARAMS_DVBT2_LDPC = {400, 25, 5, 8, 1, 2, 20, 2, 0.1f, 1e-10f, 20.0f};
const t_measure_ber_params MEASURE_BER_PARAMS_DVBC2_LDPC = {200, 25, 5, 8, 1, 2, 20, 2, 0.1f, 1e-8f, 20.0f};
const t_measure_ber_params MEASURE_BER_PARAMS_DVBC_CBER = {100, 200, 4, 8, 1, 2, 3, 1, 0.1f, 1e-9f, 20.0f};
const t_measure_ber_params MEASURE_BER_PARAMS_ANNEXB_CBER = {100, 200, 5, 15, 1, 2, 3, 1, 0.1f, 1e-9f, 20.0f};
const t_measure_ber_params MEASURE_BER_PARAMS_ISDBT_VBER = {100, 200, 4, 8, 1, 2, 6, 1, 0.1f, 1e-10f, 20.0f};
const t_ber_smoothing MEASURE_BER_SMOOTHING_ISDBT_CBER = {1, 0.0f, 0.75f, 0.25f, 10.0f, 3, 0};

namespace {

constexpr double kRatioEpsilon = 1e-12;
constexpr double kMinimumErrors = 0.01; // keeps an error-free window's ratio above 0
constexpr float kFactorMin = 1e-12f;
constexpr float kFactorMax = 1000.0f;

MeasureResult result(uint32_t status, double value)
{
    MeasureResult r;
    r.status = status;
    r.value.f32 = static_cast<float>(value);
    return r;
}

MeasureResult* give(MeasureResult* out, MeasureResult r)
{
    if (out)
        *out = r;
    return out;
}

// 10^ceil(log10(x)). Counts divided by bits rarely land exactly on a power of ten, and a
// quotient a rounding step above one must not jump a whole decade.
double decadeAtOrAbove(double x) { return std::pow(10.0, std::ceil(std::log10(x) - 1e-9)); }

const t_ber_entry* entries(const t_measure_ber* o) { return static_cast<const t_ber_entry*>(o->ring.entries); }

struct Window {
    double errors = 0;
    double bits = 0;
    int32_t taken = 0;
    bool stopped = false;
};

// Sums entries from the newest back, at most `limit` of them. From the third entry on it
// stops before an entry once the bits reach `needed` or the errors reach the cap.
Window adaptiveWindow(const t_measure_ber* o, int32_t limit, double needed)
{
    Window w;
    const int32_t n = std::min(limit, o->ring.count);
    for (int32_t i = 0; i < n; ++i) {
        if (i >= 2 && (w.bits >= needed || w.errors >= o->error_cap)) {
            w.stopped = true;
            break;
        }
        const t_ber_entry& e = entries(o)[MEASURE_RING_newest(&o->ring, i)];
        w.errors += e.errors;
        w.bits += e.bits;
        ++w.taken;
    }
    return w;
}

// Sums entries from the newest back until the bits reach `needed`.
Window bitsWindow(const t_measure_ber* o, double needed)
{
    Window w;
    for (int32_t i = 0; i < o->ring.count && w.bits < needed; ++i) {
        const t_ber_entry& e = entries(o)[MEASURE_RING_newest(&o->ring, i)];
        w.errors += e.errors;
        w.bits += e.bits;
        ++w.taken;
    }
    return w;
}

void store(t_measure_ber* o, double errors, double bits)
{
    int replaced = 0;
    const int32_t slot = MEASURE_RING_push(&o->ring, &replaced);
    if (slot < 0)
        return;
    t_ber_entry* e = static_cast<t_ber_entry*>(o->ring.entries) + slot;
    if (replaced) {
        o->evicted_errors += e->errors;
        o->evicted_bits += e->bits;
    } else {
        o->evicted_errors = 0;
        o->evicted_bits = 0;
    }
    e->errors = errors;
    e->bits = bits;
}

void cut(t_measure_ber* o, int32_t keep)
{
    MEASURE_RING_keep_newest(&o->ring, keep);
    o->evicted_errors = 0;
    o->evicted_bits = 0;
}

MeasureResult clampToLimits(const t_measure_ber* o, uint32_t status, double value)
{
    if (value > o->maximum_ber)
        return result(eRANGE_above, o->maximum_ber);
    if (value < o->minimum_ber)
        return result(eRANGE_below, o->minimum_ber);
    return result(status, value);
}

// The history's BER: the adaptive window, then the two step detectors, then smoothing and
// the bound while too few errors were counted.
MeasureResult evaluate(t_measure_ber* o)
{
    const double threshold = o->error_threshold;
    const double needed = o->minimum_ber > 0 ? std::trunc(threshold / o->minimum_ber) : HUGE_VAL;

    Window a = adaptiveWindow(o, o->ring.count, needed);
    if (!a.stopped) {
        a.errors += o->evicted_errors;
        a.bits += o->evicted_bits;
    }
    a.errors = std::max(a.errors, kMinimumErrors);
    const double berA = a.errors / a.bits;
    const double decade = decadeAtOrAbove(berA) / 10.0;

    // A downward step: the newest entries that hold fifteen thresholds' worth of bits at
    // this decade show fewer errors than the threshold, while the whole window holds more.
    const double fifteen = 15.0 * threshold / decade;
    const Window f = fifteen > 0 ? bitsWindow(o, fifteen) : Window{};
    if (a.errors > threshold && f.errors < threshold && f.bits > fifteen) {
        cut(o, f.taken);
        o->smoothing.restart = 1;
        return clampToLimits(o, eRANGE_below, decade);
    }

    double errors = a.errors;
    double bits = a.bits;
    double ber = berA;
    Window s = adaptiveWindow(o, static_cast<int32_t>(std::min<uint32_t>(o->short_window, INT32_MAX)), needed);
    if (s.taken > 0) {
        s.errors = std::max(s.errors, kMinimumErrors);
        const double berS = s.errors / s.bits;
        if (berA / berS > o->smoothing.step_ratio) {
            bool bound = false;
            double candidate = berS;
            if (s.errors < threshold) {
                candidate = decadeAtOrAbove(threshold / s.bits);
                bound = true;
            }
            const bool follow = bound ? berA > candidate : (candidate >= o->minimum_ber || berA > o->minimum_ber);
            if (candidate <= o->maximum_ber && follow) {
                cut(o, static_cast<int32_t>(std::min<uint32_t>(o->short_window, o->ring.count)));
                errors = s.errors;
                bits = s.bits;
                ber = berS;
            }
        }
    }

    double value = MEASURE_BER_smooth(&o->smoothing, ber, kRatioEpsilon);
    uint32_t status = eRANGE_valid;
    if (errors < threshold) {
        value = decadeAtOrAbove(threshold / bits);
        status = eRANGE_below;
    }
    return clampToLimits(o, status, value);
}

} // namespace

KxlDrvLibError* MEASURE_BER_create(KxlDrvLibError* err, t_measure_ber* object, uint32_t ring_size, uint32_t error_cap,
                                   uint32_t error_threshold, int32_t a, int32_t b, uint32_t step_limit,
                                   uint32_t short_window, uint32_t settle_calls, float maximum_ber,
                                   float minimum_ber, float step_ratio)
{
    KxlDrvLib_error_ok(err);
    if (!object)
        return KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, nullptr);
    const uint32_t code = MEASURE_RING_create(&object->ring, ring_size, sizeof(t_ber_entry));
    if (code != KxlDrvLib_code_ok)
        KxlDrvLib_error_set(err, code, 0, nullptr);
    object->evicted_errors = 0;
    object->evicted_bits = 0;
    object->minimum_ber = minimum_ber;
    object->maximum_ber = maximum_ber;
    object->error_cap = error_cap;
    object->error_threshold = error_threshold;
    const double sum = static_cast<double>(a) + b;
    object->smoothing.restart = 1;
    object->smoothing.smoothed = 0;
    object->smoothing.old_weight = sum != 0 ? static_cast<float>(a / sum) : 0.0f;
    object->smoothing.new_weight = sum != 0 ? static_cast<float>(b / sum) : 1.0f;
    object->smoothing.step_ratio = step_ratio;
    object->smoothing.step_limit = step_limit;
    object->smoothing.step_counter = 0;
    object->calls = 0;
    object->short_window = short_window;
    object->settle_calls = settle_calls;
    object->last = result(eRANGE_above, maximum_ber);
    return err;
}

KxlDrvLibError* MEASURE_BER_create_with(KxlDrvLibError* err, t_measure_ber* object,
                                        const t_measure_ber_params* p)
{
    if (!p)
        return KxlDrvLib_error_set(KxlDrvLib_error_ok(err), KxlDrvLib_code_null, 0, nullptr);
    return MEASURE_BER_create(err, object, p->ring_size, p->error_cap, p->error_threshold, p->a, p->b,
                              p->step_limit, p->short_window, p->settle_calls, p->maximum_ber, p->minimum_ber,
                              p->step_ratio);
}

void MEASURE_BER_destroy(t_measure_ber* object)
{
    if (object)
        MEASURE_RING_destroy(&object->ring);
}

void MEASURE_BER_restart(t_measure_ber* object)
{
    if (!object)
        return;
    MEASURE_RING_empty(&object->ring);
    object->evicted_errors = 0;
    object->evicted_bits = 0;
    object->smoothing.restart = 1;
    object->calls = 0;
    object->last = result(eRANGE_above, object->maximum_ber);
}

MeasureResult* MEASURE_BER_process(MeasureResult* out, t_measure_ber* object, uint32_t errors, uint32_t bits,
                                   int32_t mer_key, const t_ber_correction_table* table)
{
    if (!object)
        return give(out, result(eRANGE_unlocked, 0));
    const float factor = MEASURE_BER_get_factor(mer_key, table);
    if (object->calls != UINT32_MAX)
        ++object->calls;
    if (object->calls <= object->settle_calls) {
        object->last = result(eRANGE_above, object->maximum_ber);
        return give(out, object->last);
    }
    // Until the task has programmed its counting window it may pass 0 bits; the call still
    // counts (the task waits for the counter to read 1) but there is nothing to measure.
    if (bits == 0)
        return give(out, object->last);
    store(object, errors / static_cast<double>(factor), bits);
    object->last = object->ring.count > 0 ? evaluate(object) : result(eRANGE_above, object->maximum_ber);
    return give(out, object->last);
}

MeasureResult* MEASURE_BER_unlocked(MeasureResult* out, const t_measure_ber* object)
{
    return give(out, result(eRANGE_above, object ? object->maximum_ber : 0.0f));
}

MeasureResult* MEASURE_BER_max(MeasureResult* out, const t_measure_ber* object)
{
    return MEASURE_BER_unlocked(out, object);
}

MeasureResult* MEASURE_BER_min(MeasureResult* out, const t_measure_ber* object)
{
    return give(out, result(eRANGE_below, object ? object->minimum_ber : 0.0f));
}

uint32_t MEASURE_BER_counter(const t_measure_ber* object) { return object ? object->calls : 0; }

float MEASURE_BER_get_factor(int32_t mer_key, const t_ber_correction_table* table)
{
    if (!table || table->count == 0)
        return 1.0f;
    const uint32_t n = std::min<uint32_t>(table->count, MEASURE_BER_TABLE_MAX);
    const t_ber_correction_entry* e = table->entries;
    uint32_t k = 0;
    while (k < n && !(e[k].key < mer_key))
        ++k;
    double factor;
    if (k == 0)
        factor = e[0].factor;
    else if (k == n)
        factor = e[n - 1].factor;
    else // keys k - 1 and k straddle the key, so they differ
        factor = e[k].factor + (static_cast<double>(e[k].factor) - e[k - 1].factor) /
                                   (static_cast<double>(e[k].key) - e[k - 1].key) *
                                   (static_cast<double>(mer_key) - e[k].key);
    if (!(factor >= kFactorMin)) // NaN as well
        return kFactorMin;
    return factor > kFactorMax ? kFactorMax : static_cast<float>(factor);
}

void MEASURE_BER_default_table(t_ber_correction_table* table)
{
    if (!table)
        return;
    *table = t_ber_correction_table{};
    table->count = 2;
    table->entries[0] = {1.0f, 1000};
    table->entries[1] = {1.0f, 0};
}

const uint8_t* MEASURE_BER_load_table(t_ber_correction_table* table, int32_t entries, const uint8_t* position,
                                      KxlDrvLibError* err)
{
    bool ended = false;
    bool bad = false;
    uint32_t count = 0;
    int32_t previousKey = -1;
    for (int32_t i = 0; i < entries && position; ++i) {
        uint16_t key = 0;
        uint16_t factor100 = 0;
        position = READ_PP_load_word(&key, 0, UINT16_MAX, position, nullptr);
        position = READ_PP_load_word(&factor100, 0, UINT16_MAX, position, nullptr);
        // The slot is read to its end, but the table keeps only what it has room for.
        t_ber_correction_entry* slot = table && i < MEASURE_BER_TABLE_MAX ? &table->entries[i] : nullptr;
        if (ended || (key == MEASURE_BER_END_KEY && factor100 == 0)) {
            if (!ended)
                count = static_cast<uint32_t>(i);
            ended = true;
            if (slot)
                *slot = {0.0f, 0};
            continue;
        }
        if (key > MEASURE_BER_KEY_MAX || factor100 < 1 || factor100 > 20000)
            bad = true;
        // Interpolation needs distinct keys in descending order.
        if (previousKey >= 0 && key >= previousKey)
            bad = true;
        previousKey = key;
        if (slot)
            *slot = {factor100 / 100.0f, key};
    }
    if (!ended) {
        bad = true;
        count = static_cast<uint32_t>(std::max(entries, 0));
    }
    if (table)
        table->count = std::min<uint32_t>(count, MEASURE_BER_TABLE_MAX);
    if (bad)
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 2, MEASURE_BER_TEXT_FORMAT);
    return position;
}

MeasureResult* MEASURE_BER_calculate(MeasureResult* out, t_measure_ber* object, uint32_t errors, uint32_t bits)
{
    if (!object)
        return give(out, result(eRANGE_unlocked, 0));
    if (bits == 0)
        return give(out, object->last);
    double ber = static_cast<double>(errors) / bits;
    if (ber > object->maximum_ber)
        ber = 2.0 * object->maximum_ber;
    else if (ber < object->minimum_ber)
        ber = object->minimum_ber / 2.0;
    object->last = clampToLimits(object, eRANGE_valid, MEASURE_BER_smooth(&object->smoothing, ber, kRatioEpsilon));
    return give(out, object->last);
}

uint32_t MEASURE_BER_stabilization_time(const t_measure_ber* object, uint32_t window_ms, uint32_t bits_per_window,
                                        float ber)
{
    if (!object || !(ber > 0) || bits_per_window == 0)
        return UINT32_MAX;
    const double ms = static_cast<double>(object->error_threshold) / ber / bits_per_window * window_ms;
    const double rounded = std::trunc((500.0 + ms) / 1000.0) * 1000.0;
    return rounded >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(rounded);
}

double MEASURE_BER_smoothing_filter(t_ber_smoothing* s, double x, double epsilon)
{
    const double old = s->smoothed;
    s->smoothed = static_cast<float>(old * s->old_weight + x * s->new_weight);
    const double ratio = old > x ? old / (x + epsilon) : x / (old + epsilon);
    if (ratio > s->step_ratio) {
        const double jumps = std::trunc(s->step_counter + std::log10(ratio / s->step_ratio));
        s->step_counter = jumps >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(jumps);
        if (s->step_counter >= 0 && static_cast<uint32_t>(s->step_counter) >= s->step_limit) {
            s->smoothed = static_cast<float>(x);
            s->step_counter = 0;
            return x;
        }
    }
    return s->smoothed;
}

double MEASURE_BER_smooth(t_ber_smoothing* s, double x, double epsilon)
{
    if (s->restart) {
        s->smoothed = static_cast<float>(x);
        s->restart = 0;
        s->step_counter = 0;
        return x;
    }
    return MEASURE_BER_smoothing_filter(s, x, epsilon);
}
