#include "DrvCXD2856_dvbc.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_cable.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_family.h"
#include "DrvDefCodes.h"

#include "chipkit/kit_integ_dvbc.h"

#include <cmath>
#include <cstdlib>

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

constexpr uint32_t kTunerDvbc = 1; // eSIGNAL_TYPE of the tuner callback
constexpr uint32_t kStabilizationTicks = 3;
constexpr uint32_t kCberWindowMs = 200;
constexpr uint32_t kSymbolRateWithoutLock = 6875000;
constexpr uint32_t kBandwidthsHz[] = {8000000, 7000000};

// A requested parameter, then what the chip says of it: found when automatic, else compared.
bool matches(st_t_param_CXD2856& p, uint8_t automatic, uint32_t requested, uint32_t found)
{
    p = {automatic, requested};
    if (automatic) {
        p.value = found;
        return true;
    }
    return requested == found;
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_dvbc_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                       DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                       DrvCXD2856_event_registration_t eventSet,
                                       DrvCXD2856_event_registration_t eventClear, uint32_t, uint32_t, uint32_t,
                                       DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* s)
{
    st_t_host_CXD2856 host = s->host;
    host.power_query = query;
    host.spare = spare;
    host.reader_dvbc = reader;
    host.adjust_predicate = predicate;
    host.event_set = eventSet;
    host.event_clear = eventClear;
    host.tuner_configuration = tunerConfiguration;
    host.tuner_if = tunerIf;
    return initFamily(err, DRVCXD2856_STD_DVBC, host, channel, true, s);
}

KxlDrvLibError* DrvCXD2856_dvbc_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                     DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                     DrvCXD2856_event_registration_t eventSet,
                                     DrvCXD2856_event_registration_t eventClear, uint32_t ignored1, uint32_t ignored2,
                                     uint32_t ignored3, DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                     DrvCXD2856_tuner_if_t tunerIf, uint32_t channel)
{
    return DrvCXD2856_m_dvbc_init(err, query, spare, reader, predicate, eventSet, eventClear, ignored1, ignored2,
                                  ignored3, tunerConfiguration, tunerIf, channel, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    updateAdjusts(err, DRVCXD2856_PP_DVBC, s->host.reader_dvbc, s);
    DrvCXD2856_m_dvbc_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc_update_adjusts(KxlDrvLibError* err)
{
    S()->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_m_dvbc_update_adjusts(err, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc_poweron(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return powerOn(err, &s->dvbc.status, s);
}

KxlDrvLibError* DrvCXD2856_dvbc_poweron(KxlDrvLibError* err) { return DrvCXD2856_m_dvbc_poweron(err, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbc_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    sleep(err, s);
    DrvCXD2856_m_dvbc_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc_poweroff(KxlDrvLibError* err) { return DrvCXD2856_m_dvbc_poweroff(err, S()); }

uint32_t DrvCXD2856_m_dvbc_search_run(st_t_dvbc_search_CXD2856 search, KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbc_CXD2856& c = s->dvbc;
    const uint32_t word = ifWord(tunerIfHz(err, static_cast<int32_t>(search.if_hz), s));
    s->demod.ifFreq.dvbc6 = s->demod.ifFreq.dvbc7 = s->demod.ifFreq.dvbc8 = word;
    // The host has tuned the tuner; the null tuner the kit is given ignores the frequency.
    const kit_dvbc_tune_param_t param = {1, KIT_DTV_BW_8_MHZ};
    {
        Burst b(err, s);
        b.kit(kit_integ_dvbc_Tune(&s->integ, &param));
    }
    uint32_t code = DrvCXD2856_m_dvbc_read_signal_status(err, s);
    bool found = code == 3 || code == eDEMOD_LOCK_STATUS_TS_LOCKED;
    if (found) {
        uint32_t inverted = 0, constellation = 0;
        DrvCXD2856_m_dvbc_read_sp(err, &inverted, s);
        if (!matches(c.sp_inv, search.sp_inv_auto ? 1 : 0, search.sp_inv, inverted)) {
            code = 1;
            found = false;
        } else {
            DrvCXD2856_m_dvbc_read_constellation(err, &constellation, s);
            if (!matches(c.constellation, search.constellation_auto ? 1 : 0, search.constellation, constellation)) {
                code = 3;
                found = false;
            }
            int32_t bd = 0;
            DrvCXD2856_m_dvbc_read_symbolrate(err, &bd, s);
            c.symbol_rate = {1, static_cast<uint32_t>(bd > 0 ? bd : 0)};
        }
    }
    if (!found && c.symbol_rate.value == 0)
        c.symbol_rate.value = kSymbolRateWithoutLock;
    return cancelled(s) ? uint32_t(eDEMOD_LOCK_STATUS_UNLOCKED) : code;
}

KxlDrvLibError* DrvCXD2856_m_dvbc_look_for(KxlDrvLibError* err, st_t_dvbc_search_CXD2856 search, uint8_t* locked,
                                           st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_dvbc_CXD2856& c = s->dvbc;
    DrvCXD2856_m_dvbc_set_default_measures(s);
    if (!s->host.tuner_configuration) {
        c.status = DrvCXD2856_m_dvbc_search_run(search, err, s);
    } else {
        DrvCXD2856_m_set_scan_mode(1, KIT_DTV_SYSTEM_DVBC, err, s);
        bool scanning = true;
        for (const uint32_t bandwidth : kBandwidthsHz) {
            if (cancelled(s))
                break;
            configureTuner(err, kTunerDvbc, bandwidth, s);
            c.status = DrvCXD2856_m_dvbc_search_run(search, err, s);
            if (c.status != eDEMOD_LOCK_STATUS_TS_LOCKED)
                continue;
            DrvCXD2856_m_set_scan_mode(0, KIT_DTV_SYSTEM_DVBC, err, s);
            scanning = false;
            // The tuner's filter narrowed to what the signal occupies, offset included.
            int32_t bd = 0, offset = 0;
            DrvCXD2856_m_dvbc_read_symbolrate(err, &bd, s);
            DrvCXD2856_m_dvbc_read_frequency_offset(err, &offset, s);
            const double wanted = std::round(bd * 1.15 + std::abs(static_cast<double>(offset)));
            const uint32_t narrowed = wanted < bandwidth ? static_cast<uint32_t>(wanted) : bandwidth;
            configureTuner(err, kTunerDvbc, narrowed, s);
            c.status = DrvCXD2856_m_dvbc_search_run(search, err, s);
            break;
        }
        if (scanning)
            DrvCXD2856_m_set_scan_mode(0, KIT_DTV_SYSTEM_DVBC, err, s);
    }
    finishLookFor(err, c.status, locked, s);
    c.cber_bits = DrvCXD2856_m_dvbc_write_cber_window(err, kCberWindowMs, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc_look_for(KxlDrvLibError* err, st_t_dvbc_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_dvbc_look_for(err, search, locked, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc_init_measures_without_event(KxlDrvLibError* err, uint32_t, uint32_t a2, uint32_t,
                                                              uint32_t, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    DrvCXD2856_m_dvbc_fill_tasks(s, a2);
    restartCableMeasures(s->dvbc);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                            uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbc_init_measures_without_event(err, a1, a2, a3, a4, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4, st_t_data_CXD2856* s)
{
    registerEvents(s);
    return DrvCXD2856_m_dvbc_init_measures_without_event(err, a1, a2, a3, a4, s);
}

KxlDrvLibError* DrvCXD2856_dvbc_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbc_init_measures(err, a1, a2, a3, a4, S());
}

void DrvCXD2856_dvbc_set_default_measures(void) { DrvCXD2856_m_dvbc_set_default_measures(S()); }
uint32_t DrvCXD2856_dvbc_get_execution_period(void) { return kExecutionPeriodMs; }
uint32_t DrvCXD2856_dvbc_get_stabilization_time_for_measure(void) { return kStabilizationTicks; }

uint32_t DrvCXD2856_m_dvbc_get_system_status(uint32_t* status, st_t_data_CXD2856* s)
{
    return statusOf(s->dvbc.status, status, s);
}

uint32_t DrvCXD2856_dvbc_get_system_status(uint32_t* status) { return DrvCXD2856_m_dvbc_get_system_status(status, S()); }

uint32_t DrvCXD2856_m_dvbc_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* s)
{
    return copyMer(s->dvbc.mer, status, mer, s);
}

uint32_t DrvCXD2856_dvbc_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_dvbc_get_mer(status, mer, S()); }

int32_t DrvCXD2856_m_dvbc_get_max_mer(st_t_data_CXD2856* s)
{
    return maxMer(s->plugplag ? &s->plugplag->dvbc.mer_table[qamIndex(s->dvbc.constellation.value)] : nullptr);
}

int32_t DrvCXD2856_dvbc_get_max_mer(void) { return DrvCXD2856_m_dvbc_get_max_mer(S()); }
int32_t DrvCXD2856_dvbc_get_min_mer(void) { return minMer(); }

uint32_t DrvCXD2856_m_dvbc_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* s)
{
    const st_t_dvbc_CXD2856& c = s->dvbc;
    const int32_t required = s->plugplag ? s->plugplag->dvbc.linkmargin[qamIndex(c.constellation.value)] : 0;
    return linkMargin(c.mer, required, c.status != eDEMOD_LOCK_STATUS_TS_LOCKED, status, lm, s);
}

uint32_t DrvCXD2856_dvbc_get_lm(uint32_t* status, int32_t* lm) { return DrvCXD2856_m_dvbc_get_lm(status, lm, S()); }
int32_t DrvCXD2856_dvbc_get_max_lm(void) { return kMaxLinkMargin; }
int32_t DrvCXD2856_dvbc_get_min_lm(void) { return kMinLinkMargin; }

KxlDrvLibError* DrvCXD2856_m_dvbc_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    int32_t hz = 0;
    DrvCXD2856_m_dvbc_read_frequency_offset(err, &hz, s);
    if (khz)
        *khz = toKHz(hz);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbc_read_freq_offset(KxlDrvLibError* err, int32_t* khz)
{
    return DrvCXD2856_m_dvbc_read_freq_offset(err, khz, S());
}

uint32_t DrvCXD2856_dvbc_get_max_freq_offset_hz(void) { return kMaxFreqOffsetHz; }

uint32_t DrvCXD2856_m_dvbc_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbc.cber, status, ber, s);
}

uint32_t DrvCXD2856_dvbc_get_cber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbc_get_cber(status, ber, S()); }
float DrvCXD2856_m_dvbc_get_max_cber(st_t_data_CXD2856* s) { return s->dvbc.cber_object.maximum_ber; }
float DrvCXD2856_dvbc_get_max_cber(void) { return DrvCXD2856_m_dvbc_get_max_cber(S()); }
float DrvCXD2856_m_dvbc_get_min_cber(st_t_data_CXD2856* s) { return s->dvbc.cber_object.minimum_ber; }
float DrvCXD2856_dvbc_get_min_cber(void) { return DrvCXD2856_m_dvbc_get_min_cber(S()); }

uint32_t DrvCXD2856_m_dvbc_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* s)
{
    return copyPer(s->dvbc.per, overflow, errors, ms, s);
}

uint32_t DrvCXD2856_dvbc_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms)
{
    return DrvCXD2856_m_dvbc_get_per(overflow, errors, ms, S());
}

uint32_t DrvCXD2856_m_dvbc_get_symbol_rate(uint8_t* automatic, st_t_data_CXD2856* s)
{
    return roundedSymbolRate(pairValue(s->dvbc.symbol_rate, automatic));
}

uint32_t DrvCXD2856_dvbc_get_symbol_rate(uint8_t* automatic) { return DrvCXD2856_m_dvbc_get_symbol_rate(automatic, S()); }
uint32_t DrvCXD2856_m_dvbc_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbc.sp_inv, automatic); }
uint32_t DrvCXD2856_dvbc_get_sp_inv(uint8_t* automatic) { return DrvCXD2856_m_dvbc_get_sp_inv(automatic, S()); }

uint32_t DrvCXD2856_m_dvbc_get_constellation(uint8_t* automatic, st_t_data_CXD2856* s)
{
    return pairValue(s->dvbc.constellation, automatic);
}

uint32_t DrvCXD2856_dvbc_get_constellation(uint8_t* automatic) { return DrvCXD2856_m_dvbc_get_constellation(automatic, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbc_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled,
                                               st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    return readQamSample(err, i, q, sampled, s);
}

KxlDrvLibError* DrvCXD2856_dvbc_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled)
{
    return DrvCXD2856_m_dvbc_read_full_iq(err, i, q, sampled, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbc_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q, st_t_data_CXD2856* s)
{
    const int16_t v = qamTopRight(s->dvbc.constellation.value);
    return topRight(err, v, v, i, q);
}

KxlDrvLibError* DrvCXD2856_dvbc_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q)
{
    return DrvCXD2856_m_dvbc_get_iq_top_right(err, i, q, S());
}
