#include "DrvCXD2856_annexb.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_cable.h"
#include "DrvCXD2856_family.h"
#include "DrvDefCodes.h"

#include "chipkit/kit_integ_j83b.h"

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

constexpr uint32_t kTunerJ83b = 6; // eSIGNAL_TYPE of the tuner callback
constexpr uint32_t kTunerBandwidthHz = 6000000;
constexpr uint32_t kStabilizationTicks = 3;
constexpr uint32_t kCberWindowMs = 200;
// A symbol rate read within 100 Bd of a constellation's is kept while the signal is away.
constexpr uint32_t kSymbolRateTolerance = 100;

bool near(uint32_t bd, uint32_t nominal) { return bd + kSymbolRateTolerance >= nominal && bd <= nominal + kSymbolRateTolerance; }

uint32_t tableIndex(uint32_t constellation) { return constellation == eCONST_256QAM ? 1 : 0; }

} // namespace

KxlDrvLibError* DrvCXD2856_m_annexb_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                         DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                         DrvCXD2856_event_registration_t eventSet,
                                         DrvCXD2856_event_registration_t eventClear, uint32_t, uint32_t, uint32_t,
                                         DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                         DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* s)
{
    st_t_host_CXD2856 host = s->host;
    host.power_query = query;
    host.spare = spare;
    host.reader_annexb = reader;
    host.adjust_predicate = predicate;
    host.event_set = eventSet;
    host.event_clear = eventClear;
    host.tuner_configuration = tunerConfiguration;
    host.tuner_if = tunerIf;
    return initFamily(err, DRVCXD2856_STD_ANNEXB, host, channel, true, s);
}

KxlDrvLibError* DrvCXD2856_annexb_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                       DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                       DrvCXD2856_event_registration_t eventSet,
                                       DrvCXD2856_event_registration_t eventClear, uint32_t ignored1,
                                       uint32_t ignored2, uint32_t ignored3,
                                       DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel)
{
    return DrvCXD2856_m_annexb_init(err, query, spare, reader, predicate, eventSet, eventClear, ignored1, ignored2,
                                    ignored3, tunerConfiguration, tunerIf, channel, S());
}

KxlDrvLibError* DrvCXD2856_m_annexb_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    updateAdjusts(err, DRVCXD2856_PP_ANNEXB, s->host.reader_annexb, s);
    st_t_annexb_CXD2856& a = s->annexb;
    a.symbol_rate = {1, DRVCXD2856_ANNEXB_SR_64QAM};
    a.sp_inv = {1, 0};
    a.constellation = {1, eCONST_64QAM};
    DrvCXD2856_m_annexb_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_annexb_update_adjusts(KxlDrvLibError* err)
{
    S()->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_m_annexb_update_adjusts(err, S());
}

KxlDrvLibError* DrvCXD2856_m_annexb_poweron(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return powerOn(err, &s->annexb.status, s);
}

KxlDrvLibError* DrvCXD2856_annexb_poweron(KxlDrvLibError* err) { return DrvCXD2856_m_annexb_poweron(err, S()); }

KxlDrvLibError* DrvCXD2856_m_annexb_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    sleep(err, s);
    DrvCXD2856_m_annexb_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_annexb_poweroff(KxlDrvLibError* err) { return DrvCXD2856_m_annexb_poweroff(err, S()); }

KxlDrvLibError* DrvCXD2856_m_annexb_look_for(KxlDrvLibError* err, st_t_annexb_search_CXD2856 search,
                                             uint8_t* locked, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_annexb_CXD2856& a = s->annexb;
    DrvCXD2856_m_annexb_set_default_measures(s);
    configureTuner(err, kTunerJ83b, kTunerBandwidthHz, s);
    const uint32_t word = ifWord(tunerIfHz(err, static_cast<int32_t>(search.if_hz), s));
    s->demod.ifFreq.j83b50 = s->demod.ifFreq.j83b51 = word;
    const kit_j83b_tune_param_t param = {1, KIT_DTV_BW_J83B_50};
    {
        Burst b(err, s);
        b.kit(kit_integ_j83b_Tune(&s->integ, &param));
    }
    uint32_t status = DrvCXD2856_m_annexb_read_signal_status(err, s);
    if (status > 2) {
        uint32_t inverted = 0, constellation = 0;
        int32_t bd = 0;
        DrvCXD2856_m_annexb_read_sp(err, &inverted, s);
        DrvCXD2856_m_annexb_read_constellation(err, &constellation, s);
        DrvCXD2856_m_dvbc_read_symbolrate(err, &bd, s);
        a.sp_inv = {1, inverted};
        a.constellation = {1, constellation};
        a.symbol_rate = {1, static_cast<uint32_t>(bd > 0 ? bd : 0)};
    } else {
        // Not the J.83 figure of 5360537 Bd: what this chip reports for 256QAM.
        const bool qam256 = a.constellation.value == eCONST_256QAM;
        const uint32_t nominal = qam256 ? DRVCXD2856_ANNEXB_SR_256QAM : DRVCXD2856_ANNEXB_SR_64QAM;
        if (!near(a.symbol_rate.value, DRVCXD2856_ANNEXB_SR_64QAM) && !(qam256 && near(a.symbol_rate.value, nominal)))
            a.symbol_rate.value = nominal;
    }
    a.status = cancelled(s) ? uint32_t(eDEMOD_LOCK_STATUS_UNLOCKED) : status;
    finishLookFor(err, a.status, locked, s);
    a.cber_bits = DrvCXD2856_m_annexb_write_cber_window(err, kCberWindowMs, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_annexb_look_for(KxlDrvLibError* err, st_t_annexb_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_annexb_look_for(err, search, locked, S());
}

KxlDrvLibError* DrvCXD2856_m_annexb_init_measures_without_event(KxlDrvLibError* err, uint32_t, uint32_t a2,
                                                                uint32_t, uint32_t, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    DrvCXD2856_m_annexb_fill_tasks(s, a2);
    restartCableMeasures(s->annexb);
    return err;
}

KxlDrvLibError* DrvCXD2856_annexb_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                              uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_annexb_init_measures_without_event(err, a1, a2, a3, a4, S());
}

KxlDrvLibError* DrvCXD2856_m_annexb_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                  uint32_t a4, st_t_data_CXD2856* s)
{
    registerEvents(s);
    return DrvCXD2856_m_annexb_init_measures_without_event(err, a1, a2, a3, a4, s);
}

KxlDrvLibError* DrvCXD2856_annexb_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4)
{
    return DrvCXD2856_m_annexb_init_measures(err, a1, a2, a3, a4, S());
}

void DrvCXD2856_annexb_set_default_measures(void) { DrvCXD2856_m_annexb_set_default_measures(S()); }
uint32_t DrvCXD2856_annexb_get_execution_period(void) { return kExecutionPeriodMs; }
uint32_t DrvCXD2856_annexb_get_stabilization_time_for_measure(void) { return kStabilizationTicks; }

uint32_t DrvCXD2856_m_annexb_get_system_status(uint32_t* status, st_t_data_CXD2856* s)
{
    return statusOf(s->annexb.status, status, s);
}

uint32_t DrvCXD2856_annexb_get_system_status(uint32_t* status) { return DrvCXD2856_m_annexb_get_system_status(status, S()); }

uint32_t DrvCXD2856_m_annexb_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* s)
{
    return copyMer(s->annexb.mer, status, mer, s);
}

uint32_t DrvCXD2856_annexb_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_annexb_get_mer(status, mer, S()); }

int32_t DrvCXD2856_m_annexb_get_max_mer(st_t_data_CXD2856* s)
{
    return maxMer(s->plugplag ? &s->plugplag->annexb.mer_table[tableIndex(s->annexb.constellation.value)] : nullptr);
}

int32_t DrvCXD2856_annexb_get_max_mer(void) { return DrvCXD2856_m_annexb_get_max_mer(S()); }
int32_t DrvCXD2856_annexb_get_min_mer(void) { return minMer(); }

uint32_t DrvCXD2856_m_annexb_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* s)
{
    const st_t_annexb_CXD2856& a = s->annexb;
    const int32_t required = s->plugplag ? s->plugplag->annexb.linkmargin[tableIndex(a.constellation.value)] : 0;
    return linkMargin(a.mer, required, a.status != eDEMOD_LOCK_STATUS_TS_LOCKED, status, lm, s);
}

uint32_t DrvCXD2856_annexb_get_lm(uint32_t* status, int32_t* lm) { return DrvCXD2856_m_annexb_get_lm(status, lm, S()); }
int32_t DrvCXD2856_annexb_get_max_lm(void) { return kMaxLinkMargin; }
int32_t DrvCXD2856_annexb_get_min_lm(void) { return kMinLinkMargin; }
KxlDrvLibError* DrvCXD2856_annexb_read_freq_offset(KxlDrvLibError* err, int32_t* khz) { return DrvCXD2856_dvbc_read_freq_offset(err, khz); }
uint32_t DrvCXD2856_annexb_get_max_freq_offset_hz(void) { return kMaxFreqOffsetHz; }

uint32_t DrvCXD2856_m_annexb_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->annexb.cber, status, ber, s);
}

uint32_t DrvCXD2856_annexb_get_cber(uint32_t* status, float* ber) { return DrvCXD2856_m_annexb_get_cber(status, ber, S()); }
float DrvCXD2856_m_annexb_get_max_cber(st_t_data_CXD2856* s) { return s->annexb.cber_object.maximum_ber; }
float DrvCXD2856_annexb_get_max_cber(void) { return DrvCXD2856_m_annexb_get_max_cber(S()); }
float DrvCXD2856_m_annexb_get_min_cber(st_t_data_CXD2856* s) { return s->annexb.cber_object.minimum_ber; }
float DrvCXD2856_annexb_get_min_cber(void) { return DrvCXD2856_m_annexb_get_min_cber(S()); }

uint32_t DrvCXD2856_m_annexb_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* s)
{
    return copyPer(s->annexb.per, overflow, errors, ms, s);
}

uint32_t DrvCXD2856_annexb_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms)
{
    return DrvCXD2856_m_annexb_get_per(overflow, errors, ms, S());
}

KxlDrvLibError* DrvCXD2856_annexb_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* counter)
{
    KxlDrvLib_error_ok(err);
    return DrvCXD2856_m_dvbc_read_pre_rs_errors(err, counter, S());
}

uint32_t DrvCXD2856_m_annexb_get_symbol_rate(uint8_t* valid, st_t_data_CXD2856* s)
{
    return roundedSymbolRate(pairValue(s->annexb.symbol_rate, valid));
}

uint32_t DrvCXD2856_annexb_get_symbol_rate(uint8_t* valid) { return DrvCXD2856_m_annexb_get_symbol_rate(valid, S()); }
uint32_t DrvCXD2856_m_annexb_get_sp_inv(uint8_t* valid, st_t_data_CXD2856* s) { return pairValue(s->annexb.sp_inv, valid); }
uint32_t DrvCXD2856_annexb_get_sp_inv(uint8_t* valid) { return DrvCXD2856_m_annexb_get_sp_inv(valid, S()); }

uint32_t DrvCXD2856_m_annexb_get_constellation(uint8_t* valid, st_t_data_CXD2856* s)
{
    return pairValue(s->annexb.constellation, valid);
}

uint32_t DrvCXD2856_annexb_get_constellation(uint8_t* valid) { return DrvCXD2856_m_annexb_get_constellation(valid, S()); }

KxlDrvLibError* DrvCXD2856_annexb_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled)
{
    return DrvCXD2856_dvbc_read_full_iq(err, i, q, sampled);
}

KxlDrvLibError* DrvCXD2856_m_annexb_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q,
                                                     st_t_data_CXD2856* s)
{
    const int16_t v = qamTopRight(s->annexb.constellation.value);
    return topRight(err, v, v, i, q);
}

KxlDrvLibError* DrvCXD2856_annexb_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q)
{
    return DrvCXD2856_m_annexb_get_iq_top_right(err, i, q, S());
}
