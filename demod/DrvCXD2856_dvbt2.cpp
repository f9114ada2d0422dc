#include "DrvCXD2856_dvbt2.h"

#include "DrvCXD2856_core.h"
#include "DrvCXD2856_family.h"
#include "DrvCXD2856_fec.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBT2.h"

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

constexpr uint32_t kStabilizationTicks = 10;
constexpr uint32_t kLdpcWindowMs = 200;

void presetParameters(st_t_dvbt2_CXD2856& t)
{
    t.bw = {1, eBW_8MHZ};
    t.sp_inv = {1, 0};
    t.fft_mode = 8;
    t.guard = 2;
    t.pilot_pattern = 1;
    t.plp_code_rate = 5;
    t.plp_constellation = 3;
    t.profile = 0;
    t.profile_mixed = 0;
    t.plp_id = 0;
}

// The place of the PLP's modulation in the link-margin table: constellation, code rate in
// the order 1/3, 2/5, 1/2, 3/5, 2/3, 3/4, 4/5, 5/6, frame length, rotation.
uint32_t linkMarginIndex(const st_t_dvbt2_CXD2856& t)
{
    static const uint32_t kRateOrder[8] = {2, 3, 4, 5, 6, 7, 0, 1}; // by the kit's code
    const uint32_t c = t.plp_constellation <= 3 ? t.plp_constellation : 2;
    const uint32_t rate = t.plp_code_rate < 8 ? kRateOrder[t.plp_code_rate] : 4;
    return ((c * 8 + rate) * 2 + (t.fec_frame != 0 ? 1 : 0)) * 2 + (t.plp_rotation ? 1 : 0);
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_dvbt2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                        DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                        DrvCXD2856_event_registration_t eventSet,
                                        DrvCXD2856_event_registration_t eventClear,
                                        DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                        DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* s)
{
    st_t_host_CXD2856 host = s->host;
    host.power_query = query;
    host.spare = spare;
    host.reader_dvbt2 = reader;
    host.adjust_predicate = predicate;
    host.event_set = eventSet;
    host.event_clear = eventClear;
    host.tuner_configuration = tunerConfiguration;
    host.tuner_if = tunerIf;
    initFamily(err, DRVCXD2856_STD_DVBT2, host, channel, true, s);
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    t.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    t.plp_id = 0;
    t.plp_code_rate = 0;
    t.plp_constellation = 0;
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                      DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                      DrvCXD2856_event_registration_t eventSet,
                                      DrvCXD2856_event_registration_t eventClear,
                                      DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                      DrvCXD2856_tuner_if_t tunerIf, uint32_t channel)
{
    return DrvCXD2856_m_dvbt2_init(err, query, spare, reader, predicate, eventSet, eventClear, tunerConfiguration,
                                   tunerIf, channel, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    updateAdjusts(err, DRVCXD2856_PP_DVBT2, s->host.reader_dvbt2, s);
    presetParameters(s->dvbt2);
    DrvCXD2856_m_dvbt2_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt2_update_adjusts(KxlDrvLibError* err)
{
    S()->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_m_dvbt2_update_adjusts(err, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_poweron(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return powerOn(err, &s->dvbt2.status, s);
}

KxlDrvLibError* DrvCXD2856_dvbt2_poweron(KxlDrvLibError* err) { return DrvCXD2856_m_dvbt2_poweron(err, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt2_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    sleep(err, s);
    DrvCXD2856_m_dvbt2_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt2_poweroff(KxlDrvLibError* err) { return DrvCXD2856_m_dvbt2_poweroff(err, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt2_look_for(KxlDrvLibError* err, st_t_dvbt2_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    DrvCXD2856_m_dvbt2_set_default_measures(s);
    t.bw = {static_cast<uint8_t>(search.bw_auto ? 1 : 0), search.bw};
    t.sp_inv = {static_cast<uint8_t>(search.sp_inv_auto ? 1 : 0), search.sp_inv};
    DrvCXD2856_m_dvbt2_write_measure_mode(err, DRVCXD2856_MEASURE_NONE, s);
    t.status = DrvCXD2856_m_dvbt2_search_run(search, err, s);
    finishLookFor(err, t.status, locked, s);
    t.m.cber_bits = DrvCXD2856_m_dvbt2_write_cber_window(err, s);
    t.m.ldpc_bits = DrvCXD2856_m_dvbt2_write_ldpcber_window(err, kLdpcWindowMs, s);
    MEASURE_ESR_start_stopwatch(&t.m.esr_object);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt2_look_for(KxlDrvLibError* err, st_t_dvbt2_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_dvbt2_look_for(err, search, locked, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                               uint32_t a3, uint32_t a4, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    DrvCXD2856_m_dvbt2_fill_tasks(s, a1, a2, a3, a4);
    restartFecMeasures(s->dvbt2.m);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbt2_init_measures_without_event(err, a1, a2, a3, a4, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                 uint32_t a4, st_t_data_CXD2856* s)
{
    registerEvents(s);
    return DrvCXD2856_m_dvbt2_init_measures_without_event(err, a1, a2, a3, a4, s);
}

KxlDrvLibError* DrvCXD2856_dvbt2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbt2_init_measures(err, a1, a2, a3, a4, S());
}

void DrvCXD2856_dvbt2_set_default_measures(void) { DrvCXD2856_m_dvbt2_set_default_measures(S()); }
uint32_t DrvCXD2856_dvbt2_get_execution_period(void) { return kExecutionPeriodMs; }
uint32_t DrvCXD2856_dvbt2_get_stabilization_time_for_measure(void) { return kStabilizationTicks; }

uint32_t DrvCXD2856_m_dvbt2_get_system_status(uint32_t* status, st_t_data_CXD2856* s)
{
    return statusOf(s->dvbt2.status, status, s);
}

uint32_t DrvCXD2856_dvbt2_get_system_status(uint32_t* status) { return DrvCXD2856_m_dvbt2_get_system_status(status, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt2_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* s)
{
    return lockedOf(err, s->dvbt2.status, locked);
}

KxlDrvLibError* DrvCXD2856_dvbt2_is_locked(KxlDrvLibError* err, uint8_t* locked)
{
    return DrvCXD2856_m_dvbt2_is_locked(err, locked, S());
}

uint32_t DrvCXD2856_m_dvbt2_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* s)
{
    return copyMer(s->dvbt2.m.mer, status, mer, s);
}

uint32_t DrvCXD2856_dvbt2_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_dvbt2_get_mer(status, mer, S()); }

int32_t DrvCXD2856_m_dvbt2_get_max_mer(st_t_data_CXD2856* s)
{
    return maxMer(DrvCXD2856_m_dvbt2_mer_calibration_table(s));
}

int32_t DrvCXD2856_dvbt2_get_max_mer(void) { return DrvCXD2856_m_dvbt2_get_max_mer(S()); }
int32_t DrvCXD2856_dvbt2_get_min_mer(void) { return minMer(); }

uint32_t DrvCXD2856_m_dvbt2_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* s)
{
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    const int32_t required = s->plugplag ? s->plugplag->dvbt2.linkmargin[linkMarginIndex(t)] : 0;
    return linkMargin(t.m.mer, required, t.status != eDEMOD_LOCK_STATUS_TS_LOCKED, status, lm, s);
}

uint32_t DrvCXD2856_dvbt2_get_lm(uint32_t* status, int32_t* lm) { return DrvCXD2856_m_dvbt2_get_lm(status, lm, S()); }
int32_t DrvCXD2856_dvbt2_get_max_lm(void) { return kMaxLinkMargin; }
int32_t DrvCXD2856_dvbt2_get_min_lm(void) { return kMinLinkMargin; }

KxlDrvLibError* DrvCXD2856_m_dvbt2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     uint32_t* status, uint8_t calibrate, st_t_data_CXD2856* s)
{
    return fecCarrierMer(err, carrier, mer, status, calibrate ? DrvCXD2856_m_dvbt2_mer_calibration_table(s) : nullptr,
                         s);
}

KxlDrvLibError* DrvCXD2856_dvbt2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                   uint32_t* status, uint8_t calibrate)
{
    return DrvCXD2856_m_dvbt2_singlecarrier_mer(err, carrier, mer, status, calibrate, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* s)
{
    return fecFreqOffset(err, DRVDEFDVBT2_get_elementary_clock(s->dvbt2.bw.value), khz, s);
}

KxlDrvLibError* DrvCXD2856_dvbt2_read_freq_offset(KxlDrvLibError* err, int32_t* khz)
{
    return DrvCXD2856_m_dvbt2_read_freq_offset(err, khz, S());
}

uint32_t DrvCXD2856_dvbt2_get_max_freq_offset_hz(void) { return kMaxFreqOffsetHz; }

uint32_t DrvCXD2856_m_dvbt2_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbt2.m.cber, status, ber, s);
}

uint32_t DrvCXD2856_dvbt2_get_cber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbt2_get_cber(status, ber, S()); }
float DrvCXD2856_m_dvbt2_get_max_cber(st_t_data_CXD2856* s) { return s->dvbt2.m.cber_object.maximum_ber; }
float DrvCXD2856_dvbt2_get_max_cber(void) { return DrvCXD2856_m_dvbt2_get_max_cber(S()); }
float DrvCXD2856_m_dvbt2_get_min_cber(st_t_data_CXD2856* s) { return s->dvbt2.m.cber_object.minimum_ber; }
float DrvCXD2856_dvbt2_get_min_cber(void) { return DrvCXD2856_m_dvbt2_get_min_cber(S()); }

uint32_t DrvCXD2856_m_dvbt2_get_ldpcber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbt2.m.ldpcber, status, ber, s);
}

uint32_t DrvCXD2856_dvbt2_get_ldpcber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbt2_get_ldpcber(status, ber, S()); }
float DrvCXD2856_m_dvbt2_get_max_ldpcber(st_t_data_CXD2856* s) { return s->dvbt2.m.ldpc_object.maximum_ber; }
float DrvCXD2856_dvbt2_get_max_ldpcber(void) { return DrvCXD2856_m_dvbt2_get_max_ldpcber(S()); }
float DrvCXD2856_m_dvbt2_get_min_ldpcber(st_t_data_CXD2856* s) { return s->dvbt2.m.ldpc_object.minimum_ber; }
float DrvCXD2856_dvbt2_get_min_ldpcber(void) { return DrvCXD2856_m_dvbt2_get_min_ldpcber(S()); }

uint32_t DrvCXD2856_m_dvbt2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds, st_t_data_CXD2856* s)
{
    return copyEsr(s->dvbt2.m.esr, status, esr, seconds, s);
}

uint32_t DrvCXD2856_dvbt2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds)
{
    return DrvCXD2856_m_dvbt2_get_bchesr(status, esr, seconds, S());
}

uint32_t DrvCXD2856_m_dvbt2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* s)
{
    return copyPer(s->dvbt2.m.per, overflow, errors, ms, s);
}

uint32_t DrvCXD2856_dvbt2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms)
{
    return DrvCXD2856_m_dvbt2_get_per(overflow, errors, ms, S());
}

uint32_t DrvCXD2856_m_dvbt2_get_ldpc_iterations(uint32_t* average, st_t_data_CXD2856* s)
{
    if (average)
        *average = s->dvbt2.m.ldpc_iterations;
    return s->ticks;
}

uint32_t DrvCXD2856_dvbt2_get_ldpc_iterations(uint32_t* average) { return DrvCXD2856_m_dvbt2_get_ldpc_iterations(average, S()); }
