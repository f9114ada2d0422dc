#include "DrvCXD2856_dvbc2.h"

#include "DrvCXD2856_family.h"
#include "DrvCXD2856_fec.h"
#include "DrvCXD2856_samples.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBC2.h"

#include "chipkit/kit_demod_dvbc2_monitor.h"

#include <cstring>

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

constexpr uint32_t kStabilizationTicks = 10;

bool c2Synchronised(Burst& b)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    return b.kit(kit_demod_dvbc2_monitor_SyncStat(&b.state()->demod, &sync, &ts, &unlock)) == KIT_RESULT_OK
        && sync >= 6;
}

// The place of the PLP's modulation in the link-margin table: thirteen combinations of
// constellation and code rate, each for the short and the long frame.
uint32_t linkMarginIndex(const st_t_dvbc2_CXD2856& c)
{
    const uint32_t r = c.plp_code_rate;
    uint32_t combination;
    switch (c.plp_constellation) {
    case 1:
        combination = r == 5 ? 1 : 0;
        break;
    case 2:
        combination = r == 1 ? 2 : r == 5 ? 4 : 3;
        break;
    case 4:
        combination = r == 2 ? 8 : r == 5 ? 10 : 9;
        break;
    case 5:
        combination = r == 5 ? 12 : 11;
        break;
    default:
        combination = r == 2 ? 5 : r == 5 ? 7 : 6;
        break;
    }
    return combination * 2 + (c.fec_type != 0 ? 1 : 0);
}

const t_mer_calibration_table* merTable(const st_t_data_CXD2856* s)
{
    return s->plugplag ? &s->plugplag->dvbc2.mer_table[s->dvbc2.bw.value == eBW_6MHZ ? 0 : 1] : nullptr;
}

uint32_t libraryGuard(const st_t_dvbc2_CXD2856& c) { return DRVDEFDVBC2_translate_gi(c.guard); }

} // namespace

KxlDrvLibError* DrvCXD2856_m_dvbc2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                        DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                        DrvCXD2856_event_registration_t eventSet,
                                        DrvCXD2856_event_registration_t eventClear,
                                        DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                        DrvCXD2856_tuner_if_t tunerIf, DrvCXD2856_tuner_frequency_t tunerFrequency,
                                        uint32_t channel, st_t_data_CXD2856* s)
{
    st_t_host_CXD2856 host = s->host;
    host.power_query = query;
    host.spare = spare;
    host.reader_dvbc2 = reader;
    host.adjust_predicate = predicate;
    host.event_set = eventSet;
    host.event_clear = eventClear;
    host.tuner_configuration = tunerConfiguration;
    host.tuner_if = tunerIf;
    host.tuner_frequency = tunerFrequency;
    // The measures' creation releases whatever a search left of the signalling.
    initFamily(err, DRVCXD2856_STD_DVBC2, host, channel, true, s);
    st_t_dvbc2_CXD2856& c = s->dvbc2;
    c.dslice_count = 0;
    c.plp_count = 0;
    std::memset(c.dslice_ids, 0, sizeof c.dslice_ids);
    std::memset(c.plp_ids, 0, sizeof c.plp_ids);
    c.l1_read = 0;
    c.preamble_valid = 0;
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                      DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                      DrvCXD2856_event_registration_t eventSet,
                                      DrvCXD2856_event_registration_t eventClear,
                                      DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                      DrvCXD2856_tuner_if_t tunerIf, DrvCXD2856_tuner_frequency_t tunerFrequency,
                                      uint32_t channel)
{
    return DrvCXD2856_m_dvbc2_init(err, query, spare, reader, predicate, eventSet, eventClear, tunerConfiguration,
                                   tunerIf, tunerFrequency, channel, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    updateAdjusts(err, DRVCXD2856_PP_DVBC2, s->host.reader_dvbc2, s);
    st_t_dvbc2_CXD2856& c = s->dvbc2;
    c.bw = {1, eBW_8MHZ};
    c.sp_inv = {1, 0};
    c.preamble_valid = 0;
    c.l1_part2_valid = 0;
    c.dslice_count = 1;
    c.dslice_ids[0] = 0;
    c.plp_count = 1;
    c.plp_ids[0] = 0;
    c.plp_constellation = 2;
    c.plp_code_rate = 5;
    DrvCXD2856_m_dvbc2_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc2_update_adjusts(KxlDrvLibError* err)
{
    S()->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_m_dvbc2_update_adjusts(err, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_poweron(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return powerOn(err, &s->dvbc2.status, s);
}

KxlDrvLibError* DrvCXD2856_dvbc2_poweron(KxlDrvLibError* err) { return DrvCXD2856_m_dvbc2_poweron(err, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbc2_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    sleep(err, s);
    DrvCXD2856_m_dvbc2_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc2_poweroff(KxlDrvLibError* err) { return DrvCXD2856_m_dvbc2_poweroff(err, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbc2_look_for(KxlDrvLibError* err, st_t_dvbc2_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_dvbc2_CXD2856& c = s->dvbc2;
    DrvCXD2856_m_dvbc2_set_default_measures(s);
    c.bw = {static_cast<uint8_t>(search.bw_auto ? 1 : 0), search.bw == eBW_6MHZ ? uint32_t(eBW_6MHZ) : uint32_t(eBW_8MHZ)};
    c.sp_inv = {static_cast<uint8_t>(search.sp_inv_auto ? 1 : 0), search.sp_inv};
    DrvCXD2856_m_dvbt2_write_measure_mode(err, DRVCXD2856_MEASURE_NONE, s);
    c.status = DrvCXD2856_m_dvbc2_search_run_full(search, err, s);
    finishLookFor(err, c.status, locked, s);
    c.m.cber_bits = DrvCXD2856_m_dvbc2_write_cber_window(err, s);
    c.m.ldpc_bits = DrvCXD2856_m_dvbc2_write_ldpcber_window(err, s);
    MEASURE_ESR_start_stopwatch(&c.m.esr_object);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc2_look_for(KxlDrvLibError* err, st_t_dvbc2_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_dvbc2_look_for(err, search, locked, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                               uint32_t a3, uint32_t a4, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    DrvCXD2856_m_dvbc2_fill_tasks(s, a1, a2, a3, a4);
    restartFecMeasures(s->dvbc2.m);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbc2_init_measures_without_event(err, a1, a2, a3, a4, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                 uint32_t a4, st_t_data_CXD2856* s)
{
    registerEvents(s);
    return DrvCXD2856_m_dvbc2_init_measures_without_event(err, a1, a2, a3, a4, s);
}

KxlDrvLibError* DrvCXD2856_dvbc2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbc2_init_measures(err, a1, a2, a3, a4, S());
}

void DrvCXD2856_dvbc2_set_default_measures(void) { DrvCXD2856_m_dvbc2_set_default_measures(S()); }
uint32_t DrvCXD2856_dvbc2_get_execution_period(void) { return kExecutionPeriodMs; }
uint32_t DrvCXD2856_dvbc2_get_stabilization_time_for_measure(void) { return kStabilizationTicks; }

uint32_t DrvCXD2856_m_dvbc2_get_system_status(uint32_t* status, st_t_data_CXD2856* s)
{
    return statusOf(s->dvbc2.status, status, s);
}

uint32_t DrvCXD2856_dvbc2_get_system_status(uint32_t* status) { return DrvCXD2856_m_dvbc2_get_system_status(status, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbc2_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* s)
{
    return lockedOf(err, s->dvbc2.status, locked);
}

KxlDrvLibError* DrvCXD2856_dvbc2_is_locked(KxlDrvLibError* err, uint8_t* locked)
{
    return DrvCXD2856_m_dvbc2_is_locked(err, locked, S());
}

uint32_t DrvCXD2856_m_dvbc2_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* s)
{
    return copyMer(s->dvbc2.m.mer, status, mer, s);
}

uint32_t DrvCXD2856_dvbc2_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_dvbc2_get_mer(status, mer, S()); }
int32_t DrvCXD2856_m_dvbc2_get_max_mer(st_t_data_CXD2856* s) { return maxMer(merTable(s)); }
int32_t DrvCXD2856_dvbc2_get_max_mer(void) { return DrvCXD2856_m_dvbc2_get_max_mer(S()); }
int32_t DrvCXD2856_dvbc2_get_min_mer(void) { return minMer(); }

uint32_t DrvCXD2856_m_dvbc2_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* s)
{
    const st_t_dvbc2_CXD2856& c = s->dvbc2;
    const int32_t required = s->plugplag ? s->plugplag->dvbc2.linkmargin[linkMarginIndex(c)] : 0;
    return linkMargin(c.m.mer, required, c.status != eDEMOD_LOCK_STATUS_TS_LOCKED, status, lm, s);
}

uint32_t DrvCXD2856_dvbc2_get_lm(uint32_t* status, int32_t* lm) { return DrvCXD2856_m_dvbc2_get_lm(status, lm, S()); }
int32_t DrvCXD2856_dvbc2_get_max_lm(void) { return kMaxLinkMargin; }
int32_t DrvCXD2856_dvbc2_get_min_lm(void) { return kMinLinkMargin; }

KxlDrvLibError* DrvCXD2856_m_dvbc2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     uint32_t* status, uint8_t calibrate, st_t_data_CXD2856* s)
{
    return fecCarrierMer(err, carrier, mer, status, calibrate ? merTable(s) : nullptr, s);
}

KxlDrvLibError* DrvCXD2856_dvbc2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                   uint32_t* status, uint8_t calibrate)
{
    return DrvCXD2856_m_dvbc2_singlecarrier_mer(err, carrier, mer, status, calibrate, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* s)
{
    return fecFreqOffset(err, DRVDEFDVBC2_get_elementary_clock(s->dvbc2.bw.value), khz, s);
}

KxlDrvLibError* DrvCXD2856_dvbc2_read_freq_offset(KxlDrvLibError* err, int32_t* khz)
{
    return DrvCXD2856_m_dvbc2_read_freq_offset(err, khz, S());
}

uint32_t DrvCXD2856_dvbc2_get_max_freq_offset_hz(void) { return kMaxFreqOffsetHz; }

uint32_t DrvCXD2856_m_dvbc2_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbc2.m.cber, status, ber, s);
}

uint32_t DrvCXD2856_dvbc2_get_cber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbc2_get_cber(status, ber, S()); }
float DrvCXD2856_m_dvbc2_get_max_cber(st_t_data_CXD2856* s) { return s->dvbc2.m.cber_object.maximum_ber; }
float DrvCXD2856_dvbc2_get_max_cber(void) { return DrvCXD2856_m_dvbc2_get_max_cber(S()); }
float DrvCXD2856_m_dvbc2_get_min_cber(st_t_data_CXD2856* s) { return s->dvbc2.m.cber_object.minimum_ber; }
float DrvCXD2856_dvbc2_get_min_cber(void) { return DrvCXD2856_m_dvbc2_get_min_cber(S()); }

uint32_t DrvCXD2856_m_dvbc2_get_ldpcber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbc2.m.ldpcber, status, ber, s);
}

uint32_t DrvCXD2856_dvbc2_get_ldpcber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbc2_get_ldpcber(status, ber, S()); }
float DrvCXD2856_m_dvbc2_get_max_ldpcber(st_t_data_CXD2856* s) { return s->dvbc2.m.ldpc_object.maximum_ber; }
float DrvCXD2856_dvbc2_get_max_ldpcber(void) { return DrvCXD2856_m_dvbc2_get_max_ldpcber(S()); }
float DrvCXD2856_m_dvbc2_get_min_ldpcber(st_t_data_CXD2856* s) { return s->dvbc2.m.ldpc_object.minimum_ber; }
float DrvCXD2856_dvbc2_get_min_ldpcber(void) { return DrvCXD2856_m_dvbc2_get_min_ldpcber(S()); }

uint32_t DrvCXD2856_m_dvbc2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds, st_t_data_CXD2856* s)
{
    return copyEsr(s->dvbc2.m.esr, status, esr, seconds, s);
}

uint32_t DrvCXD2856_dvbc2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds)
{
    return DrvCXD2856_m_dvbc2_get_bchesr(status, esr, seconds, S());
}

uint32_t DrvCXD2856_m_dvbc2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* s)
{
    return copyPer(s->dvbc2.m.per, overflow, errors, ms, s);
}

uint32_t DrvCXD2856_dvbc2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms)
{
    return DrvCXD2856_m_dvbc2_get_per(overflow, errors, ms, S());
}

uint32_t DrvCXD2856_m_dvbc2_get_ldpc_iterations(uint32_t* average, st_t_data_CXD2856* s)
{
    if (average)
        *average = s->dvbc2.m.ldpc_iterations;
    return s->ticks;
}

uint32_t DrvCXD2856_dvbc2_get_ldpc_iterations(uint32_t* average) { return DrvCXD2856_m_dvbc2_get_ldpc_iterations(average, S()); }

// ---- Signal parameters and signalling ---------------------------------------------------------

uint32_t DrvCXD2856_m_dvbc2_get_bw(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbc2.bw, automatic); }
uint32_t DrvCXD2856_dvbc2_get_bw(uint8_t* automatic) { return DrvCXD2856_m_dvbc2_get_bw(automatic, S()); }
uint32_t DrvCXD2856_m_dvbc2_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbc2.sp_inv, automatic); }
uint32_t DrvCXD2856_dvbc2_get_sp_inv(uint8_t* automatic) { return DrvCXD2856_m_dvbc2_get_sp_inv(automatic, S()); }
uint32_t DrvCXD2856_m_dvbc2_get_guard(uint8_t* valid, st_t_data_CXD2856* s) { return reportedValue(libraryGuard(s->dvbc2), valid); }
uint32_t DrvCXD2856_dvbc2_get_guard(uint8_t* valid) { return DrvCXD2856_m_dvbc2_get_guard(valid, S()); }
uint32_t DrvCXD2856_m_dvbc2_get_network_id(st_t_data_CXD2856* s) { return s->dvbc2.network_id; }
uint32_t DrvCXD2856_dvbc2_get_network_id(void) { return DrvCXD2856_m_dvbc2_get_network_id(S()); }
uint32_t DrvCXD2856_m_dvbc2_get_c2_system_id(st_t_data_CXD2856* s) { return s->dvbc2.c2_system_id; }
uint32_t DrvCXD2856_dvbc2_get_c2_system_id(void) { return DrvCXD2856_m_dvbc2_get_c2_system_id(S()); }
uint32_t DrvCXD2856_m_dvbc2_get_dslice_id(st_t_data_CXD2856* s) { return s->dvbc2.dslice_id; }
uint32_t DrvCXD2856_dvbc2_get_dslice_id(void) { return DrvCXD2856_m_dvbc2_get_dslice_id(S()); }
uint32_t DrvCXD2856_m_dvbc2_get_plp_id(st_t_data_CXD2856* s) { return s->dvbc2.plp_id; }
uint32_t DrvCXD2856_dvbc2_get_plp_id(void) { return DrvCXD2856_m_dvbc2_get_plp_id(S()); }

void DrvCXD2856_m_dvbc2_get_dslice_list(uint32_t* count, const uint8_t** ids, st_t_data_CXD2856* s)
{
    if (count)
        *count = s->dvbc2.dslice_count;
    if (ids)
        *ids = s->dvbc2.dslice_ids;
}

void DrvCXD2856_dvbc2_get_dslice_list(uint32_t* count, const uint8_t** ids) { DrvCXD2856_m_dvbc2_get_dslice_list(count, ids, S()); }

void DrvCXD2856_m_dvbc2_get_plp_list(uint32_t* count, const uint8_t** ids, st_t_data_CXD2856* s)
{
    if (count)
        *count = s->dvbc2.plp_count;
    if (ids)
        *ids = s->dvbc2.plp_ids;
}

void DrvCXD2856_dvbc2_get_plp_list(uint32_t* count, const uint8_t** ids) { DrvCXD2856_m_dvbc2_get_plp_list(count, ids, S()); }

uint32_t DrvCXD2856_m_dvbc2_get_plp_coderate(st_t_data_CXD2856* s)
{
    return DRVDEFDVBC2_translate_coderate(s->dvbc2.fec_type, s->dvbc2.plp_code_rate);
}

uint32_t DrvCXD2856_dvbc2_get_plp_coderate(void) { return DrvCXD2856_m_dvbc2_get_plp_coderate(S()); }

uint32_t DrvCXD2856_m_dvbc2_get_plp_constellation_type(st_t_data_CXD2856* s)
{
    const uint32_t code = s->dvbc2.plp_constellation;
    return DRVDEFDVBC2_translate_constellation(code == 0 ? 1 : code > 5 ? 5 : code);
}

uint32_t DrvCXD2856_dvbc2_get_plp_constellation_type(void) { return DrvCXD2856_m_dvbc2_get_plp_constellation_type(S()); }

const st_t_dvbc2_preamble_CXD2856* DrvCXD2856_m_dvbc2_get_preamble(st_t_data_CXD2856* s)
{
    return s->dvbc2.preamble_valid ? &s->dvbc2.preamble : nullptr;
}

const st_t_dvbc2_preamble_CXD2856* DrvCXD2856_dvbc2_get_preamble(void) { return DrvCXD2856_m_dvbc2_get_preamble(S()); }

const kit_dvbc2_l1_part2_t* DrvCXD2856_m_dvbc2_get_l1_part2(st_t_data_CXD2856* s)
{
    return s->dvbc2.l1_part2_valid ? s->dvbc2.l1_part2 : nullptr;
}

const kit_dvbc2_l1_part2_t* DrvCXD2856_dvbc2_get_l1_part2(void) { return DrvCXD2856_m_dvbc2_get_l1_part2(S()); }
void DrvCXD2856_dvbc2_lock_signalling_data(void) {}
void DrvCXD2856_dvbc2_unlock_signalling_data(void) {}

uint32_t DrvCXD2856_m_dvbc2_get_tg(st_t_data_CXD2856* s)
{
    return DRVDEFDVBC2_get_tgi(s->dvbc2.bw.value, libraryGuard(s->dvbc2)) / 100;
}

uint32_t DrvCXD2856_dvbc2_get_tg(void) { return DrvCXD2856_m_dvbc2_get_tg(S()); }

// ---- Samples and channel response --------------------------------------------------------------

KxlDrvLibError* DrvCXD2856_dvbc2_set_carrier(KxlDrvLibError* err, uint32_t carrier)
{
    return DrvCXD2856_dvbt2_set_carrier(err, carrier);
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                                uint8_t* sampled, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    const AnalysisPoll poll = {500, 0, 27, 27, c2Synchronised};
    return readCarrierSample(err, kDvbt2Analysis, carrier, poll, 14, i, q, sampled, s);
}

KxlDrvLibError* DrvCXD2856_dvbc2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                              uint8_t* sampled)
{
    return DrvCXD2856_m_dvbc2_read_full_iq(err, carrier, i, q, sampled, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last,
                                                  st_t_data_CXD2856* s)
{
    const st_t_dvbc2_CXD2856& c = s->dvbc2;
    if (first)
        *first = 0;
    if (last)
        *last = DRVDEFDVBC2_get_fecframe_size(c.fec_type) / DRVDEFDVBC2_get_bits_per_symbol(c.plp_constellation) - 1;
    return KxlDrvLib_error_ok(err);
}

KxlDrvLibError* DrvCXD2856_dvbc2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last)
{
    return DrvCXD2856_m_dvbc2_get_iq_margins(err, first, last, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q, st_t_data_CXD2856* s)
{
    int16_t v;
    switch (s->dvbc2.plp_constellation) {
    case 1:
        v = 242;
        break;
    case 2:
        v = 276;
        break;
    case 4:
        v = 305;
        break;
    case 5:
        v = 315;
        break;
    default:
        v = 295;
        break;
    }
    return topRight(err, v, v, i, q);
}

KxlDrvLibError* DrvCXD2856_dvbc2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q)
{
    return DrvCXD2856_m_dvbc2_get_iq_top_right(err, i, q, S());
}

KxlDrvLibError* DrvCXD2856_dvbc2_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                      uint8_t* valid, int32_t* level)
{
    return DrvCXD2856_dvbt2_read_channelresponse(err, mode, point, valid, level);
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate,
                                                             uint32_t* first, uint32_t* last, float* step,
                                                             st_t_data_CXD2856* s)
{
    const st_t_dvbc2_CXD2856& c = s->dvbc2;
    const uint32_t points = decimate ? 64 : 512;
    const double separation = DRVDEFDVBC2_get_pilots_separation(libraryGuard(c));
    return responseScale(err, points - 1, (DRVDEFDVBC2_get_tu(c.bw.value) + separation / 2) / separation / points / 100.0,
                         first, last, step);
}

KxlDrvLibError* DrvCXD2856_dvbc2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                           uint32_t* last, float* step)
{
    return DrvCXD2856_m_dvbc2_get_channelresponse_scale(err, decimate, first, last, step, S());
}

int32_t DrvCXD2856_m_dvbc2_get_echoes_scale(st_t_data_CXD2856* s)
{
    const bool shortGuard = s->dvbc2.guard == 1;
    if (s->dvbc2.bw.value == eBW_8MHZ)
        return shortGuard ? 400 : 200;
    return shortGuard ? 500 : 300;
}

int32_t DrvCXD2856_dvbc2_get_echoes_scale(void) { return DrvCXD2856_m_dvbc2_get_echoes_scale(S()); }
