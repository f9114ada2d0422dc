#include "measure_per.h"

#include "common/embedded_timers.h"

KxlDrvLibError* MEASURE_PER_create(KxlDrvLibError* err, t_measure_per* object, uint32_t settle_calls)
{
    KxlDrvLib_error_ok(err);
    if (!object)
        return KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, MEASURE_PER_TEXT_NULL);
    object->settle_calls = settle_calls;
    MEASURE_PER_resest(object);
    return err;
}

void MEASURE_PER_resest(t_measure_per* object)
{
    if (!object)
        return;
    object->errors = 0;
    object->time = 0;
    MEASURE_PER_restart(object);
}

void MEASURE_PER_restart(t_measure_per* object)
{
    if (!object)
        return;
    object->calls = 0;
    object->stopwatch = EMBEDDEDTIMERS_GeticksInMs();
}

uint64_t MEASURE_PER_get_elapsed_time(uint64_t now, const t_measure_per* object)
{
    if (!object || now < object->stopwatch)
        return 0;
    return now - object->stopwatch;
}

uint64_t MEASURE_PER_set_stopwatch(uint64_t now, t_measure_per* object)
{
    const uint64_t elapsed = MEASURE_PER_get_elapsed_time(now, object);
    if (object)
        object->stopwatch = now;
    return elapsed;
}

uint64_t MEASURE_PER_set_stopwatch_current_ticks(t_measure_per* object)
{
    return MEASURE_PER_set_stopwatch(EMBEDDEDTIMERS_GeticksInMs(), object);
}

t_per_result* MEASURE_PER_process(t_per_result* out, t_measure_per* object, uint32_t errors, uint32_t,
                                  uint64_t elapsed_ms)
{
    if (!object)
        return MEASURE_PER_unlocked(out, object);
    if (object->calls != UINT32_MAX)
        ++object->calls;
    uint32_t overflow = 0;
    if (object->calls > object->settle_calls) {
        if (errors > UINT32_MAX - object->errors) {
            object->errors = UINT32_MAX;
            overflow = 1;
        } else {
            object->errors += errors;
        }
        object->time = elapsed_ms > UINT64_MAX - object->time ? UINT64_MAX : object->time + elapsed_ms;
    }
    if (out)
        *out = {object->errors, overflow, object->time};
    return out;
}

t_per_result* MEASURE_PER_unlocked(t_per_result* out, const t_measure_per*)
{
    if (out)
        *out = {0, 0, 0};
    return out;
}
