#include "measure_esr.h"

#include "measure_result.h"

#include "common/embedded_timers.h"

#include <cmath>

namespace {

t_esr_result* give(t_esr_result* out, float esr, uint32_t status, uint32_t seconds)
{
    if (out)
        *out = {esr, status, seconds};
    return out;
}

uint32_t seconds(uint64_t ms)
{
    const uint64_t s = ms / 1000;
    return s > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(s);
}

} // namespace

KxlDrvLibError* MEASURE_ESR_create(KxlDrvLibError* err, t_measure_esr* object, uint32_t ring_size,
                                   uint32_t window_s, uint32_t settle_calls)
{
    KxlDrvLib_error_ok(err);
    if (!object)
        return KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, MEASURE_ESR_TEXT_NULL);
    if (MEASURE_RING_create(&object->ring, ring_size, sizeof(t_esr_entry)) != KxlDrvLib_code_ok)
        KxlDrvLib_error_set(err, KxlDrvLib_code_heap, 0, MEASURE_ESR_TEXT_HEAP);
    object->calls = 0;
    object->settle_calls = settle_calls;
    object->window = static_cast<uint64_t>(window_s) * 1000;
    MEASURE_ESR_start_stopwatch(object);
    return err;
}

void MEASURE_ESR_destroy(t_measure_esr* object)
{
    if (object)
        MEASURE_RING_destroy(&object->ring);
}

void MEASURE_ESR_restart(t_measure_esr* object)
{
    if (!object)
        return;
    object->calls = 0;
    MEASURE_RING_empty(&object->ring);
    MEASURE_RING_zero(&object->ring, sizeof(t_esr_entry));
}

t_esr_result* MEASURE_ESR_unlocked(t_esr_result* out, const t_measure_esr*)
{
    return give(out, 0.0f, eRANGE_unlocked, 0);
}

void MEASURE_ESR_start_stopwatch(t_measure_esr* object)
{
    if (object)
        object->stopwatch = EMBEDDEDTIMERS_GeticksInMs();
}

uint32_t MEASURE_ESR_get_stopwatch(const t_measure_esr* object)
{
    if (!object)
        return 0;
    const uint64_t now = EMBEDDEDTIMERS_GeticksInMs();
    const uint64_t elapsed = now >= object->stopwatch ? now - object->stopwatch : 0;
    return elapsed > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(elapsed);
}

t_esr_result* MEASURE_ESR_process(t_esr_result* out, t_measure_esr* object, uint32_t errors, uint32_t interval_ms)
{
    if (!object)
        return MEASURE_ESR_unlocked(out, object);
    if (object->calls != UINT32_MAX)
        ++object->calls;
    if (object->calls <= object->settle_calls)
        return MEASURE_ESR_unlocked(out, object);
    const int32_t slot = MEASURE_RING_push(&object->ring, nullptr);
    if (slot >= 0)
        static_cast<t_esr_entry*>(object->ring.entries)[slot] = {errors, interval_ms};

    const uint64_t window = object->window;
    uint64_t covered = 0;
    uint64_t errored = 0;
    const t_esr_entry* e = static_cast<const t_esr_entry*>(object->ring.entries);
    for (int32_t i = 0; i < object->ring.count && covered < window; ++i) {
        const t_esr_entry& entry = e[MEASURE_RING_newest(&object->ring, i)];
        covered += entry.interval_ms;
        if (entry.errors != 0)
            errored += entry.interval_ms;
    }
    if (covered < 1000)
        return MEASURE_ESR_unlocked(out, object);

    const bool full = covered >= window;
    const double denominator = full ? static_cast<double>(covered) : static_cast<double>(window);
    uint32_t status = full ? eRANGE_valid : eRANGE_above;
    const uint32_t secs = full ? seconds(window) : seconds(covered);
    double esr = static_cast<double>(errored) / denominator * 100.0;
    // Whole errored seconds of the window: with 20 s the ratio moves in steps of 5 %.
    if (window > 0)
        esr = std::trunc(esr * static_cast<double>(window) / 100000.0 + 0.5) * 100000.0 / static_cast<double>(window);
    if (esr >= 100.0) {
        esr = 100.0;
        status = eRANGE_valid;
    }
    return give(out, static_cast<float>(esr), status, secs);
}
