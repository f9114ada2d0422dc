#include "DrvCXD2856_family.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_dummy_tuner.h"
#include "DrvDefCodes.h"
#include "embedded_rtos.h"
#include "common/embedded_timers.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_integ.h"

#include <cmath>

namespace drvcxd2856 {

namespace {
constexpr uint32_t kXtalId = 1;
constexpr uint8_t kSlvtAddress = 0xD8;
} // namespace

KxlDrvLibError* initFamily(KxlDrvLibError* err, eDrvCXD2856_standard standard, const st_t_host_CXD2856& host,
                           uint32_t channel, bool withTuner, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    s->host = host;
    DrvCXD2856_m_create_measures(standard, s);
    s->i2c_context.handle = channel;
    DrvCXD2856_i2c_init(&s->i2c, &s->i2c_context);
    DrvCXD2856_i2c_clear_error(&s->i2c);
    KxlDrvLibError tuner{};
    DrvCXD2856_dummy_tuner_create(&s->tuner, &tuner);
    KxlDrvLib_error_keep_first(err, &tuner);
    const kit_demod_create_param_t param = {kXtalId, kSlvtAddress, KIT_DEMOD_TUNER_I2C_DIRECT};
    const kit_result_t r
        = kit_integ_Create(&s->integ, &s->demod, &param, &s->i2c, withTuner ? &s->tuner : nullptr, nullptr, nullptr);
    DrvCXD2856_take_kit_result(err, &s->i2c, r);
    s->measure_mode = DRVCXD2856_MEASURE_NONE;
    return err;
}

KxlDrvLibError* updateAdjusts(KxlDrvLibError* err, eDrvCXD2856_pp_section section, DrvCXD2856_adjust_reader_t reader,
                              st_t_data_CXD2856* s)
{
    if (!s->plugplag)
        s->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_update_adjustments(err, section, reader, s->plugplag);
}

KxlDrvLibError* powerOn(KxlDrvLibError* err, eDEMOD_LOCK_STATUS* status, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    uint32_t force = 0;
    DrvCXD2856_i2c_scheduler_lock(err);
    if (s->host.power_query) {
        uint8_t flag = 1;
        KxlDrvLibError query{};
        s->host.power_query(&query, &flag, 1);
        KxlDrvLib_error_keep_first(err, &query);
        if (flag == 0) {
            EMBEDDEDTIMERS_delayms(s->plugplag ? s->plugplag->common.poweron_delay_ms : 0);
            force = 1;
        }
    }
    EMBEDDEDRTOS_schedulerunlock();
    DrvCXD2856_m_common_poweron(force, err, s);
    DrvCXD2856_m_clear_tasks(s);
    *status = eDEMOD_LOCK_STATUS_UNLOCKED;
    return err;
}

KxlDrvLibError* sleep(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    {
        Burst b(err, s);
        b.kit(kit_demod_Sleep(&s->demod));
    }
    kit_integ_ClearAnsweredCancel(&s->integ);
    return err;
}

void registerEvents(st_t_data_CXD2856* s)
{
    if (s->host.event_set)
        s->host.event_set(DrvCXD2856_set_flag);
    if (s->host.event_clear)
        s->host.event_clear(DrvCXD2856_clear_flag);
    else
        kit_integ_ClearCancellation(&s->integ);
    DrvCXD2856_m_clear_tasks(s);
}

uint32_t ifWord(int32_t hz)
{
    if (hz <= 0)
        return 0;
    return static_cast<uint32_t>(std::trunc(0.5 + hz / 1e6 / 48.0 * 16777216.0));
}

bool configureTuner(KxlDrvLibError* err, uint32_t type, uint32_t bandwidthHz, st_t_data_CXD2856* s)
{
    if (!s->host.tuner_configuration)
        return false;
    KxlDrvLibError own{};
    s->host.tuner_configuration(&own, type, 0, 0, bandwidthHz);
    KxlDrvLib_error_keep_first(err, &own);
    return true;
}

int32_t tunerIfHz(KxlDrvLibError* err, int32_t fallbackHz, st_t_data_CXD2856* s)
{
    if (!s->host.tuner_if)
        return fallbackHz;
    KxlDrvLibError own{};
    int32_t hz = fallbackHz;
    s->host.tuner_if(&own, &hz);
    KxlDrvLib_error_keep_first(err, &own);
    return hz;
}

void finishLookFor(KxlDrvLibError* err, eDEMOD_LOCK_STATUS status, uint8_t* locked, st_t_data_CXD2856* s)
{
    const bool on = status == eDEMOD_LOCK_STATUS_TS_LOCKED;
    if (locked)
        *locked = on ? 1 : 0;
    if (on)
        DrvCXD2856_m_enable_ts_output(err, s);
    else
        DrvCXD2856_m_disable_ts_output(err, s);
}

std::vector<uint32_t> terrestrialCandidates(uint32_t requested, bool automatic)
{
    std::vector<uint32_t> list = {requested};
    if (automatic) {
        if (requested == eBW_6MHZ)
            list.insert(list.end(), {eBW_7MHZ, eBW_8MHZ});
        else if (requested == eBW_7MHZ)
            list.insert(list.end(), {eBW_8MHZ, eBW_6MHZ});
        else
            list.insert(list.end(), {eBW_7MHZ, eBW_6MHZ});
    }
    return list;
}

uint32_t settleParameter(st_t_param_CXD2856& p, uint32_t found, uint32_t status, uint32_t mismatch)
{
    if (p.automatic)
        p.value = found;
    else if (p.value != found)
        return mismatch;
    return status;
}

bool pollUntil(st_t_data_CXD2856* s, uint32_t intervalMs, uint32_t confirmMs, uint32_t limitMs,
               const std::function<bool()>& cond)
{
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    for (;;) {
        if (cancelled(s))
            return false;
        if (cond()) {
            if (confirmMs == 0)
                return true;
            EMBEDDEDTIMERS_delayms(static_cast<uint16_t>(confirmMs));
            if (cond())
                return true;
        }
        if (EMBEDDEDTIMERS_GeticksInMs() - start >= limitMs)
            return false;
        EMBEDDEDTIMERS_delayms(static_cast<uint16_t>(intervalMs));
    }
}

uint32_t copyMer(const MeasureResult& r, uint32_t* status, int32_t* mer, const st_t_data_CXD2856* s)
{
    if (status)
        *status = r.status;
    if (mer)
        *mer = r.value.s32;
    return s->ticks;
}

uint32_t copyBer(const MeasureResult& r, uint32_t* status, float* ber, const st_t_data_CXD2856* s)
{
    if (status)
        *status = r.status;
    if (ber)
        *ber = r.value.f32;
    return s->ticks;
}

uint32_t copyEsr(const t_esr_result& r, uint32_t* status, float* esr, uint32_t* seconds, const st_t_data_CXD2856* s)
{
    if (status)
        *status = r.status;
    if (esr)
        *esr = r.esr;
    if (seconds)
        *seconds = r.seconds;
    return s->ticks;
}

uint32_t copyPer(const t_per_result& r, uint32_t* overflow, uint32_t* errors, uint64_t* ms, const st_t_data_CXD2856* s)
{
    if (overflow)
        *overflow = r.overflow;
    if (errors)
        *errors = r.errors;
    if (ms)
        *ms = r.time;
    return s->ticks;
}

uint32_t statusOf(eDEMOD_LOCK_STATUS status, uint32_t* out, const st_t_data_CXD2856* s)
{
    if (out)
        *out = status;
    return s->ticks;
}

KxlDrvLibError* lockedOf(KxlDrvLibError* err, eDEMOD_LOCK_STATUS status, uint8_t* locked)
{
    if (locked)
        *locked = status == eDEMOD_LOCK_STATUS_TS_LOCKED ? 1 : 0;
    return KxlDrvLib_error_ok(err);
}

KxlDrvLibError* topRight(KxlDrvLibError* err, int16_t iValue, int16_t qValue, int16_t* i, int16_t* q)
{
    if (i)
        *i = iValue;
    if (q)
        *q = qValue;
    return KxlDrvLib_error_ok(err);
}

KxlDrvLibError* responseScale(KxlDrvLibError* err, uint32_t last, double step, uint32_t* first, uint32_t* lastOut,
                              float* stepOut)
{
    if (first)
        *first = 0;
    if (lastOut)
        *lastOut = last;
    if (stepOut)
        *stepOut = static_cast<float>(step);
    return KxlDrvLib_error_ok(err);
}

KxlDrvLibError* ofdmResponseScale(KxlDrvLibError* err, uint32_t points, uint32_t decimate, uint32_t tuNs,
                                  uint32_t* first, uint32_t* last, float* step)
{
    const uint32_t n = decimate ? points / 8 : points;
    return responseScale(err, n, (tuNs + 1.5) / 3.0 / (n + 1) / 100.0, first, last, step);
}

uint32_t linkMargin(const MeasureResult& mer, int32_t required, bool unlocked, uint32_t* status, int32_t* lm,
                    const st_t_data_CXD2856* s)
{
    if (status)
        *status = unlocked ? static_cast<uint32_t>(eRANGE_unlocked) : mer.status;
    if (lm)
        *lm = mer.value.s32 - required;
    return s->ticks;
}

int32_t toKHz(int32_t hz) { return static_cast<int32_t>((static_cast<int64_t>(hz) + 500) / 1000); }

uint32_t rateColumn(uint32_t codeRate)
{
    switch (codeRate) {
    case eCR_1_2:
        return 0;
    case eCR_3_4:
        return 2;
    case eCR_5_6:
        return 3;
    case eCR_7_8:
        return 4;
    default:
        return 1;
    }
}

int32_t echoesScale(uint32_t tgNs, int32_t minimum)
{
    const int32_t scale = (static_cast<int32_t>(tgNs * 1.1) / 50000 + 1) * 500;
    return scale < minimum ? minimum : scale;
}

uint32_t pairValue(const st_t_param_CXD2856& p, uint8_t* automatic)
{
    if (automatic)
        *automatic = p.automatic;
    return p.value;
}

uint32_t reportedValue(uint32_t value, uint8_t* flag)
{
    if (flag)
        *flag = 1;
    return value;
}

int32_t maxMer(const t_mer_calibration_table* table)
{
    MeasureResult r{};
    MEASURE_MER_max(&r, table);
    return r.value.s32;
}

int32_t minMer()
{
    MeasureResult r{};
    MEASURE_MER_min(&r);
    return r.value.s32;
}

} // namespace drvcxd2856
