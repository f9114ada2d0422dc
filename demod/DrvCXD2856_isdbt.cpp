#include "DrvCXD2856_isdbt.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_family.h"
#include "DrvDefCodes.h"

#include "chipkit/kit_demod_isdbt.h"
#include "chipkit/kit_integ_isdbt.h"

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

constexpr uint32_t kTunerIsdbt = 10; // eSIGNAL_TYPE of the tuner callback
constexpr uint32_t kVberWindowMs = 200;

void presetParameters(st_t_isdbt_CXD2856& t)
{
    t.bw = {1, eBW_6MHZ};
    t.sp_inv = {1, 0};
    t.mode = eFFT_8K;
    t.guard = eGI_1_4;
    t.tmcc.layer[0].constellation = eCONST_QPSK;
    t.tmcc.layer[0].code_rate = eCR_2_3;
}

uint32_t bandwidthHz(uint32_t id) { return id >= eBW_6MHZ && id <= eBW_8MHZ ? id * 1000000u : 6000000u; }

kit_dtv_bandwidth_t kitBandwidth(uint32_t id) { return id >= eBW_6MHZ && id <= eBW_8MHZ ? id : uint32_t(KIT_DTV_BW_6_MHZ); }

uint32_t modeOf(uint32_t kitMode) { return kitMode == 0 ? eFFT_2K : kitMode == 1 ? eFFT_8K : eFFT_4K; }

uint32_t guardOf(uint32_t kitGuard)
{
    switch (kitGuard) {
    case 1:
        return eGI_1_16;
    case 2:
        return eGI_1_8;
    case 3:
        return eGI_1_4;
    default:
        return eGI_1_32;
    }
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_isdbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                        DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                        DrvCXD2856_event_registration_t eventSet,
                                        DrvCXD2856_event_registration_t eventClear,
                                        DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                        DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* s)
{
    st_t_host_CXD2856 host = s->host;
    host.power_query = query;
    host.spare = spare;
    host.reader_isdbt = reader;
    host.adjust_predicate = predicate;
    host.event_set = eventSet;
    host.event_clear = eventClear;
    host.tuner_configuration = tunerConfiguration;
    host.tuner_if = tunerIf;
    return initFamily(err, DRVCXD2856_STD_ISDBT, host, channel, true, s);
}

KxlDrvLibError* DrvCXD2856_isdbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                      DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                      DrvCXD2856_event_registration_t eventSet,
                                      DrvCXD2856_event_registration_t eventClear,
                                      DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                      DrvCXD2856_tuner_if_t tunerIf, uint32_t channel)
{
    return DrvCXD2856_m_isdbt_init(err, query, spare, reader, predicate, eventSet, eventClear, tunerConfiguration,
                                   tunerIf, channel, S());
}

KxlDrvLibError* DrvCXD2856_m_isdbt_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    updateAdjusts(err, DRVCXD2856_PP_ISDBT, s->host.reader_isdbt, s);
    presetParameters(s->isdbt);
    DrvCXD2856_m_isdbt_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_isdbt_update_adjusts(KxlDrvLibError* err)
{
    S()->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_m_isdbt_update_adjusts(err, S());
}

KxlDrvLibError* DrvCXD2856_isdbt_update_adjusts_withoutheap(KxlDrvLibError* err) { return KxlDrvLib_error_ok(err); }

KxlDrvLibError* DrvCXD2856_m_isdbt_poweron(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return powerOn(err, &s->isdbt.status, s);
}

KxlDrvLibError* DrvCXD2856_isdbt_poweron(KxlDrvLibError* err) { return DrvCXD2856_m_isdbt_poweron(err, S()); }

KxlDrvLibError* DrvCXD2856_m_isdbt_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    sleep(err, s);
    DrvCXD2856_m_isdbt_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_isdbt_poweroff(KxlDrvLibError* err) { return DrvCXD2856_m_isdbt_poweroff(err, S()); }

KxlDrvLibError* DrvCXD2856_m_isdbt_look_for(KxlDrvLibError* err, st_t_isdbt_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_isdbt_CXD2856& t = s->isdbt;
    DrvCXD2856_m_isdbt_set_default_measures(s);
    t.tmcc_valid = 0;
    t.bw.automatic = search.bw_auto ? 1 : 0;
    t.sp_inv = {static_cast<uint8_t>(search.sp_inv_auto ? 1 : 0), search.sp_inv};
    DrvCXD2856_m_dvbt_write_measure_mode(err, DRVCXD2856_MEASURE_NONE, s);
    uint32_t status = eDEMOD_LOCK_STATUS_UNLOCKED;
    for (const uint32_t bw : terrestrialCandidates(search.bw, search.bw_auto != 0)) {
        if (cancelled(s))
            break;
        configureTuner(err, kTunerIsdbt, bandwidthHz(bw), s);
        const uint32_t word = ifWord(tunerIfHz(err, static_cast<int32_t>(search.if_hz), s));
        s->demod.ifFreq.isdbt6 = s->demod.ifFreq.isdbt7 = s->demod.ifFreq.isdbt8 = word;
        const kit_isdbt_tune_param_t param = {1, kitBandwidth(bw)};
        {
            Burst b(err, s);
            b.kit(kit_integ_isdbt_Tune(&s->integ, &param));
        }
        status = DrvCXD2856_m_isdbt_read_signal_status(err, s);
        if (status <= 1)
            continue;
        t.bw.value = bw;
        uint32_t mode = 0, guard = 0, inverted = 0;
        {
            Burst b(err, s);
            b.kit(kit_demod_isdbt_monitor_ModeGuard(&s->demod, &mode, &guard));
        }
        t.mode = modeOf(mode);
        t.guard = guardOf(guard);
        DrvCXD2856_m_isdbt_read_sp(err, &inverted, s);
        status = settleParameter(t.sp_inv, inverted, status, 2);
        DrvCXD2856_m_isdbt_read_tmcc_info(err, &t.tmcc, &t.tmcc_kit, s);
        if (status != 2)
            status = DrvCXD2856_m_isdbt_read_signal_status(err, s);
        t.tmcc_valid = status == eDEMOD_LOCK_STATUS_TS_LOCKED ? 1 : 0;
        break;
    }
    t.status = cancelled(s) ? uint32_t(eDEMOD_LOCK_STATUS_UNLOCKED) : status;
    finishLookFor(err, t.status, locked, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_isdbt_look_for(KxlDrvLibError* err, st_t_isdbt_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_isdbt_look_for(err, search, locked, S());
}

void DrvCXD2856_m_isdbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber, st_t_data_CXD2856* s)
{
    DrvCXD2856_m_dvbt_enable_toc(mer, cber, vber, s);
}

void DrvCXD2856_isdbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber)
{
    DrvCXD2856_m_isdbt_enable_toc(mer, cber, vber, S());
}

KxlDrvLibError* DrvCXD2856_m_isdbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                               uint32_t a3, uint32_t, uint32_t,
                                                               uint32_t measureLayer, uint32_t tsLayer,
                                                               st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_isdbt_CXD2856& t = s->isdbt;
    DrvCXD2856_m_isdbt_fill_tasks(s, a1, a2, a3);
    MEASURE_BER_restart(&t.vber_object);
    MEASURE_PER_restart(&t.per_object);
    t.cber_smoothing.restart = 1;
    t.cber_smoothing.step_limit = 2;
    t.cber_smoothing.smoothed = 1e-6f;
    MEASURE_MER_unlocked(&t.mer, &t.mer_object);
    MEASURE_BER_unlocked(&t.vber, &t.vber_object);
    MEASURE_PER_unlocked(&t.per, &t.per_object);
    t.cber.status = eRANGE_below;
    t.cber.value.f32 = 1e-6f;
    t.measure_layer = measureLayer;
    t.ts_layer = tsLayer;
    t.vber_bits = DrvCXD2856_m_isdbt_write_vber_window(err, kVberWindowMs, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_isdbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4, uint32_t a5,
                                                             uint32_t measureLayer, uint32_t tsLayer)
{
    return DrvCXD2856_m_isdbt_init_measures_without_event(err, a1, a2, a3, a4, a5, measureLayer, tsLayer, S());
}

KxlDrvLibError* DrvCXD2856_m_isdbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                 uint32_t a4, uint32_t a5, uint32_t measureLayer, uint32_t tsLayer,
                                                 st_t_data_CXD2856* s)
{
    registerEvents(s);
    return DrvCXD2856_m_isdbt_init_measures_without_event(err, a1, a2, a3, a4, a5, measureLayer, tsLayer, s);
}

KxlDrvLibError* DrvCXD2856_isdbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                               uint32_t a4, uint32_t a5, uint32_t measureLayer, uint32_t tsLayer)
{
    return DrvCXD2856_m_isdbt_init_measures(err, a1, a2, a3, a4, a5, measureLayer, tsLayer, S());
}

void DrvCXD2856_isdbt_set_default_measures(void) { DrvCXD2856_m_isdbt_set_default_measures(S()); }
uint32_t DrvCXD2856_isdbt_get_execution_period(void) { return kExecutionPeriodMs; }

uint32_t DrvCXD2856_m_isdbt_get_system_status(uint32_t* status, st_t_data_CXD2856* s)
{
    return statusOf(s->isdbt.status, status, s);
}

uint32_t DrvCXD2856_isdbt_get_system_status(uint32_t* status) { return DrvCXD2856_m_isdbt_get_system_status(status, S()); }

KxlDrvLibError* DrvCXD2856_m_isdbt_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* s)
{
    return lockedOf(err, s->isdbt.status, locked);
}

KxlDrvLibError* DrvCXD2856_isdbt_is_locked(KxlDrvLibError* err, uint8_t* locked)
{
    return DrvCXD2856_m_isdbt_is_locked(err, locked, S());
}

uint32_t DrvCXD2856_m_isdbt_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* s)
{
    return copyMer(s->isdbt.mer, status, mer, s);
}

uint32_t DrvCXD2856_isdbt_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_isdbt_get_mer(status, mer, S()); }

int32_t DrvCXD2856_m_isdbt_get_max_mer(st_t_data_CXD2856* s)
{
    const st_t_isdbt_CXD2856& t = s->isdbt;
    const uint32_t group = t.bw.value == eBW_6MHZ ? 0 : t.bw.value == eBW_8MHZ ? 2 : 1;
    const uint32_t mode = t.mode == eFFT_2K ? 0 : t.mode == eFFT_4K ? 1 : 2;
    return maxMer(s->plugplag ? &s->plugplag->isdbt.mer_table[group * 3 + mode] : nullptr);
}

int32_t DrvCXD2856_isdbt_get_max_mer(void) { return DrvCXD2856_m_isdbt_get_max_mer(S()); }
int32_t DrvCXD2856_isdbt_get_min_mer(void) { return minMer(); }

uint32_t DrvCXD2856_m_isdbt_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* s)
{
    const st_t_isdbt_CXD2856& t = s->isdbt;
    const uint32_t c = t.tmcc.layer[0].constellation;
    const uint32_t row = c == eCONST_QPSK ? 0 : c == eCONST_DQPSK ? 1 : c == eCONST_16QAM ? 2 : 3;
    const int32_t required
        = s->plugplag ? s->plugplag->isdbt.linkmargin[row * 5 + rateColumn(t.tmcc.layer[0].code_rate)] : 0;
    return linkMargin(t.mer, required, false, status, lm, s);
}

uint32_t DrvCXD2856_isdbt_get_lm(uint32_t* status, int32_t* lm) { return DrvCXD2856_m_isdbt_get_lm(status, lm, S()); }
int32_t DrvCXD2856_isdbt_get_max_lm(void) { return kMaxLinkMargin; }
int32_t DrvCXD2856_isdbt_get_min_lm(void) { return kMinLinkMargin; }
uint32_t DrvCXD2856_m_isdbt_correct_mer(st_t_data_CXD2856* s) { return DrvCXD2856_m_dvbt_correct_mer(s); }
uint32_t DrvCXD2856_isdbt_correct_mer(void) { return DrvCXD2856_m_isdbt_correct_mer(S()); }

KxlDrvLibError* DrvCXD2856_m_isdbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     uint32_t* status, uint8_t, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    if (s->host.adjust_predicate)
        s->host.adjust_predicate();
    int32_t raw = 0;
    DrvCXD2856_m_dvbt_read_mer_per_carrier(err, carrier, &raw, s);
    MeasureResult r{};
    MEASURE_MER_calibrate(&r, raw, 0, nullptr);
    copyMer(r, status, mer, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_isdbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                   uint32_t* status, uint8_t calibrate)
{
    return DrvCXD2856_m_isdbt_singlecarrier_mer(err, carrier, mer, status, calibrate, S());
}

KxlDrvLibError* DrvCXD2856_m_isdbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    int32_t hz = 0;
    // A bus fault here leaves the offset at 0; it is not reported.
    kit_demod_isdbt_monitor_CarrierOffset(&s->demod, &hz);
    DrvCXD2856_i2c_clear_error(&s->i2c);
    if (khz)
        *khz = toKHz(hz);
    return err;
}

KxlDrvLibError* DrvCXD2856_isdbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz)
{
    return DrvCXD2856_m_isdbt_read_freq_offset(err, khz, S());
}

uint32_t DrvCXD2856_isdbt_get_max_freq_offset_hz(void) { return kMaxFreqOffsetHz; }

uint32_t DrvCXD2856_m_isdbt_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->isdbt.cber, status, ber, s);
}

uint32_t DrvCXD2856_isdbt_get_cber(uint32_t* status, float* ber) { return DrvCXD2856_m_isdbt_get_cber(status, ber, S()); }
// The MER-estimated CBER is bounded as its task reports it.
float DrvCXD2856_isdbt_get_max_cber(void) { return 0.01f; }
float DrvCXD2856_isdbt_get_min_cber(void) { return 1e-6f; }

uint32_t DrvCXD2856_m_isdbt_get_vber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->isdbt.vber, status, ber, s);
}

uint32_t DrvCXD2856_isdbt_get_vber(uint32_t* status, float* ber) { return DrvCXD2856_m_isdbt_get_vber(status, ber, S()); }
float DrvCXD2856_m_isdbt_get_max_vber(st_t_data_CXD2856* s) { return s->isdbt.vber_object.maximum_ber; }
float DrvCXD2856_isdbt_get_max_vber(void) { return DrvCXD2856_m_isdbt_get_max_vber(S()); }
float DrvCXD2856_m_isdbt_get_min_vber(st_t_data_CXD2856* s) { return s->isdbt.vber_object.minimum_ber; }
float DrvCXD2856_isdbt_get_min_vber(void) { return DrvCXD2856_m_isdbt_get_min_vber(S()); }

uint32_t DrvCXD2856_m_isdbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* s)
{
    return copyPer(s->isdbt.per, overflow, errors, ms, s);
}

uint32_t DrvCXD2856_isdbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms)
{
    return DrvCXD2856_m_isdbt_get_per(overflow, errors, ms, S());
}
