#include "DrvCXD2856_task_steps.h"

#include "DrvCXD2856_core.h"
#include "common/embedded_timers.h"

namespace drvcxd2856 {

bool tablesAllowed(const st_t_data_CXD2856* s)
{
    return !s->host.adjust_predicate || s->host.adjust_predicate() != 0;
}

void berStep(const st_t_data_CXD2856* s, eDEMOD_LOCK_STATUS status, const st_t_counter_CXD2856& counter,
             const BerStep& step)
{
    if (!locked(status)) {
        MEASURE_BER_unlocked(step.result, step.object);
        return;
    }
    if (!counter.valid) {
        if (step.result->status == eRANGE_unlocked)
            MEASURE_BER_max(step.result, step.object);
        return;
    }
    const t_ber_correction_table* table = tablesAllowed(s) ? step.table : nullptr;
    MEASURE_BER_process(step.result, step.object, counter.count, *step.bits, step.merKey, table);
    if (MEASURE_BER_counter(step.object) == 1 && step.writeWindow)
        *step.bits = step.writeWindow();
}

void offsetStep(st_t_data_CXD2856* s, eDEMOD_LOCK_STATUS status, const std::function<int32_t()>& read)
{
    if (!locked(status)) {
        s->freq_offset = {eRANGE_unlocked, {}};
        return;
    }
    const int32_t hz = read();
    s->freq_offset.status = eRANGE_valid;
    s->freq_offset.value.s32 = hz;
}

void perStep(KxlDrvLibError* err, st_t_data_CXD2856* s, eDEMOD_LOCK_STATUS status, t_measure_per* object,
             t_per_result* result, const std::function<st_t_counter_CXD2856(KxlDrvLibError*)>& read)
{
    (void)s;
    if (!locked(status))
        return;
    DrvCXD2856_i2c_scheduler_lock(err);
    const st_t_counter_CXD2856 c = read(err);
    const uint64_t now = EMBEDDEDTIMERS_GeticksInMs();
    DrvCXD2856_i2c_scheduler_unlock();
    if (!c.valid)
        return;
    const uint64_t elapsed = MEASURE_PER_set_stopwatch(now, object);
    MEASURE_PER_process(result, object, c.count, 0, elapsed);
}

} // namespace drvcxd2856
