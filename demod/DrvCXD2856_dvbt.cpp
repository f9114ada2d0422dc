#include "DrvCXD2856_dvbt.h"

#include "DrvCXD2856_core.h"
#include "DrvCXD2856_family.h"
#include "DrvCXD2856_tasks.h"
#include "DrvDefCodes.h"

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

// The signal parameters before any search.
void presetParameters(st_t_dvbt_CXD2856& t)
{
    t.bw = {1, eBW_8MHZ};
    t.sp_inv = {1, 0};
    t.mode = {1, eFFT_8K};
    t.guard = {1, eGI_1_32};
    t.constellation = eCONST_64QAM;
    t.code_rate_valid = 1;
    t.hp_code_rate = eCR_2_3;
    t.lp_code_rate = eCR_2_3;
    t.hierarchy = 0;
    t.priority = 0;
    t.interleaver = 0;
    t.time_slicing = 0;
    t.mpe_fec = 0;
    t.standard = 0;
    t.tps = st_t_dvbt_tps_CXD2856{};
    t.tps.length_indicator = 23;
    t.tps.constellation = 2;
    t.tps.hierarchy = 0;
    t.tps.hp_code_rate = 1;
    t.tps.lp_code_rate = 1;
    t.tps.guard = 3;
    t.tps.mode = 1;
}

// The code rate the results follow: the LP stream's when it is the one received.
uint32_t codeRateInUse(const st_t_dvbt_CXD2856& t)
{
    return t.hierarchy != 0 && t.priority == 1 ? t.lp_code_rate : t.hp_code_rate;
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_dvbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                       DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                       DrvCXD2856_event_registration_t eventSet,
                                       DrvCXD2856_event_registration_t eventClear,
                                       DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* s)
{
    st_t_host_CXD2856 host = s->host;
    host.power_query = query;
    host.spare = spare;
    host.reader_dvbt = reader;
    host.adjust_predicate = predicate;
    host.event_set = eventSet;
    host.event_clear = eventClear;
    host.tuner_configuration = tunerConfiguration;
    host.tuner_if = tunerIf;
    initFamily(err, DRVCXD2856_STD_DVBT, host, channel, true, s);
    s->dvbt.tps_valid = 0;
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                     DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                     DrvCXD2856_event_registration_t eventSet,
                                     DrvCXD2856_event_registration_t eventClear,
                                     DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                     DrvCXD2856_tuner_if_t tunerIf, uint32_t channel)
{
    return DrvCXD2856_m_dvbt_init(err, query, spare, reader, predicate, eventSet, eventClear, tunerConfiguration,
                                  tunerIf, channel, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    updateAdjusts(err, DRVCXD2856_PP_DVBT, s->host.reader_dvbt, s);
    presetParameters(s->dvbt);
    DrvCXD2856_m_dvbt_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt_update_adjusts(KxlDrvLibError* err)
{
    S()->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_m_dvbt_update_adjusts(err, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_update_adjusts_withoutheap(KxlDrvLibError* err, st_t_data_CXD2856*)
{
    return KxlDrvLib_error_ok(err);
}

KxlDrvLibError* DrvCXD2856_dvbt_update_adjusts_withoutheap(KxlDrvLibError* err)
{
    return DrvCXD2856_m_dvbt_update_adjusts_withoutheap(err, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_poweron(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return powerOn(err, &s->dvbt.status, s);
}

KxlDrvLibError* DrvCXD2856_dvbt_poweron(KxlDrvLibError* err) { return DrvCXD2856_m_dvbt_poweron(err, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    sleep(err, s);
    DrvCXD2856_m_dvbt_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt_poweroff(KxlDrvLibError* err) { return DrvCXD2856_m_dvbt_poweroff(err, S()); }

void DrvCXD2856_m_dvbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber, st_t_data_CXD2856* s)
{
    for (uint32_t slot = 0; slot < 3; ++slot)
        s->tasks[slot].enabled = 1;
    s->tasks[3].enabled = mer ? 1 : 0;
    s->tasks[4].enabled = cber ? 1 : 0;
    s->tasks[5].enabled = vber ? 1 : 0;
}

void DrvCXD2856_dvbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber)
{
    DrvCXD2856_m_dvbt_enable_toc(mer, cber, vber, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                              uint32_t a3, uint32_t, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_dvbt_CXD2856& t = s->dvbt;
    DrvCXD2856_m_dvbt_fill_tasks(s, a1, a2, a3);
    MEASURE_MER_CONSTELLATION_restart(&t.mer_object);
    MEASURE_BER_restart(&t.cber_object);
    MEASURE_BER_restart(&t.vber_object);
    MEASURE_PER_restart(&t.per_object);
    MEASURE_MER_CONSTELLATION_unlocked(&t.mer, &t.mer_object);
    MEASURE_BER_unlocked(&t.cber, &t.cber_object);
    MEASURE_BER_unlocked(&t.vber, &t.vber_object);
    MEASURE_PER_unlocked(&t.per, &t.per_object);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                            uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbt_init_measures_without_event(err, a1, a2, a3, a4, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4, st_t_data_CXD2856* s)
{
    registerEvents(s);
    return DrvCXD2856_m_dvbt_init_measures_without_event(err, a1, a2, a3, a4, s);
}

KxlDrvLibError* DrvCXD2856_dvbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbt_init_measures(err, a1, a2, a3, a4, S());
}

void DrvCXD2856_dvbt_set_default_measures(void) { DrvCXD2856_m_dvbt_set_default_measures(S()); }
uint32_t DrvCXD2856_dvbt_get_execution_period(void) { return kExecutionPeriodMs; }

uint32_t DrvCXD2856_m_dvbt_get_system_status(uint32_t* status, st_t_data_CXD2856* s)
{
    return statusOf(s->dvbt.status, status, s);
}

uint32_t DrvCXD2856_dvbt_get_system_status(uint32_t* status) { return DrvCXD2856_m_dvbt_get_system_status(status, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* s)
{
    return lockedOf(err, s->dvbt.status, locked);
}

KxlDrvLibError* DrvCXD2856_dvbt_is_locked(KxlDrvLibError* err, uint8_t* locked)
{
    return DrvCXD2856_m_dvbt_is_locked(err, locked, S());
}

uint32_t DrvCXD2856_m_dvbt_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* s)
{
    return copyMer(s->dvbt.mer, status, mer, s);
}

uint32_t DrvCXD2856_dvbt_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_dvbt_get_mer(status, mer, S()); }

int32_t DrvCXD2856_m_dvbt_get_max_mer(st_t_data_CXD2856* s)
{
    MeasureResult r{};
    MEASURE_MER_CONSTELLATION_max(&r, DrvCXD2856_m_dvbt_get_mer_by_constellation_data(s));
    return r.value.s32;
}

int32_t DrvCXD2856_dvbt_get_max_mer(void) { return DrvCXD2856_m_dvbt_get_max_mer(S()); }

int32_t DrvCXD2856_m_dvbt_get_min_mer(st_t_data_CXD2856* s)
{
    MeasureResult r{};
    MEASURE_MER_CONSTELLATION_min(&r, &s->dvbt.mer_object);
    return r.value.s32;
}

int32_t DrvCXD2856_dvbt_get_min_mer(void) { return DrvCXD2856_m_dvbt_get_min_mer(S()); }

uint32_t DrvCXD2856_m_dvbt_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* s)
{
    const st_t_dvbt_CXD2856& t = s->dvbt;
    const uint32_t row = t.constellation == eCONST_QPSK ? 0 : t.constellation == eCONST_16QAM ? 1 : 2;
    const int32_t required
        = s->plugplag ? s->plugplag->dvbt.linkmargin[row * 5 + rateColumn(codeRateInUse(t))] : 0;
    return linkMargin(t.mer, required, t.status != eDEMOD_LOCK_STATUS_TS_LOCKED, status, lm, s);
}

uint32_t DrvCXD2856_dvbt_get_lm(uint32_t* status, int32_t* lm) { return DrvCXD2856_m_dvbt_get_lm(status, lm, S()); }
int32_t DrvCXD2856_dvbt_get_max_lm(void) { return kMaxLinkMargin; }
int32_t DrvCXD2856_dvbt_get_min_lm(void) { return kMinLinkMargin; }

uint32_t DrvCXD2856_m_dvbt_correct_mer(st_t_data_CXD2856* s)
{
    return s->host.adjust_predicate ? s->host.adjust_predicate() : 0;
}

uint32_t DrvCXD2856_dvbt_correct_mer(void) { return DrvCXD2856_m_dvbt_correct_mer(S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                    uint32_t* status, uint8_t calibrate, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    const st_t_dvbt_CXD2856& t = s->dvbt;
    const t_mer_calibration_table* table = nullptr;
    if (calibrate && s->plugplag && (!s->host.adjust_predicate || s->host.adjust_predicate())) {
        const uint32_t bw = t.bw.value == eBW_6MHZ ? 0 : t.bw.value == eBW_7MHZ ? 1 : 2;
        table = &s->plugplag->dvbt.mer_table[bw * 2 + (t.mode.value == eFFT_2K ? 0 : 1)];
    }
    int32_t raw = 0;
    DrvCXD2856_m_dvbt_read_mer_per_carrier(err, carrier, &raw, s);
    MeasureResult r{};
    MEASURE_MER_calibrate(&r, raw, 0, table);
    copyMer(r, status, mer, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                  uint32_t* status, uint8_t calibrate)
{
    return DrvCXD2856_m_dvbt_singlecarrier_mer(err, carrier, mer, status, calibrate, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    int32_t hz = 0;
    DrvCXD2856_m_dvbt_read_frequency_offset(err, &hz, s);
    if (khz)
        *khz = toKHz(hz);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz)
{
    return DrvCXD2856_m_dvbt_read_freq_offset(err, khz, S());
}

uint32_t DrvCXD2856_dvbt_get_max_freq_offset_hz(void) { return kMaxFreqOffsetHz; }

uint32_t DrvCXD2856_m_dvbt_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbt.cber, status, ber, s);
}

uint32_t DrvCXD2856_dvbt_get_cber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbt_get_cber(status, ber, S()); }

float DrvCXD2856_m_dvbt_get_max_cber(st_t_data_CXD2856* s) { return s->dvbt.cber_object.maximum_ber; }
float DrvCXD2856_dvbt_get_max_cber(void) { return DrvCXD2856_m_dvbt_get_max_cber(S()); }
float DrvCXD2856_m_dvbt_get_min_cber(st_t_data_CXD2856* s) { return s->dvbt.cber_object.minimum_ber; }
float DrvCXD2856_dvbt_get_min_cber(void) { return DrvCXD2856_m_dvbt_get_min_cber(S()); }

uint32_t DrvCXD2856_m_dvbt_get_vber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbt.vber, status, ber, s);
}

uint32_t DrvCXD2856_dvbt_get_vber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbt_get_vber(status, ber, S()); }

float DrvCXD2856_m_dvbt_get_max_vber(st_t_data_CXD2856* s) { return s->dvbt.vber_object.maximum_ber; }
float DrvCXD2856_dvbt_get_max_vber(void) { return DrvCXD2856_m_dvbt_get_max_vber(S()); }
float DrvCXD2856_m_dvbt_get_min_vber(st_t_data_CXD2856* s) { return s->dvbt.vber_object.minimum_ber; }
float DrvCXD2856_dvbt_get_min_vber(void) { return DrvCXD2856_m_dvbt_get_min_vber(S()); }

uint32_t DrvCXD2856_m_dvbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* s)
{
    return copyPer(s->dvbt.per, overflow, errors, ms, s);
}

uint32_t DrvCXD2856_dvbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms)
{
    return DrvCXD2856_m_dvbt_get_per(overflow, errors, ms, S());
}

KxlDrvLibError* DrvCXD2856_dvbt_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* counter)
{
    KxlDrvLib_error_ok(err);
    return DrvCXD2856_m_dvbt_read_pre_rs_errors(err, counter, S());
}
