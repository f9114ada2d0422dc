#include "DrvCXD2856_dvbs.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_cable.h"
#include "DrvCXD2856_family.h"
#include "DrvDefCodes.h"

#include "chipkit/kit_demod_dvbs_s2.h"
#include "chipkit/kit_integ_dvbs_s2.h"

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

constexpr uint32_t kStabilizationTicks = 3;
constexpr int16_t kTopRight = 180;

uint32_t constellationOf(kit_dvbs2_modulation_t m)
{
    switch (m) {
    case KIT_DVBS2_MODULATION_8PSK:
        return eCONST_8PSK;
    case KIT_DVBS2_MODULATION_16APSK:
        return eCONST_16APSK;
    case KIT_DVBS2_MODULATION_32APSK:
        return eCONST_32APSK;
    default:
        return eCONST_QPSK;
    }
}

// The satellite tune of a search, and its lock as the status.
void tune(KxlDrvLibError* err, kit_dtv_system_t system, const st_t_dvbs_search_CXD2856& search, uint8_t* locked,
          st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_dvbs_CXD2856& d = s->dvbs;
    // The host has tuned the satellite tuner; the kit is given none, so the frequency is a
    // placeholder.
    const kit_dvbs_s2_tune_param_t param = {system, 1, search.symbol_rate_ksps};
    {
        Burst b(err, s);
        b.kit(kit_integ_dvbs_s2_Tune(&s->integ, &param));
    }
    d.status = DrvCXD2856_m_dvbs_read_signal_status(err, s);
    if (cancelled(s))
        d.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    finishLookFor(err, d.status, locked, s);
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_dvbs_init(KxlDrvLibError* err, DrvCXD2856_tuner_configuration_sat_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* s)
{
    st_t_host_CXD2856 host = s->host;
    host.tuner_configuration_sat = tunerConfiguration;
    host.tuner_if = tunerIf;
    return initFamily(err, DRVCXD2856_STD_DVBS, host, channel, false, s);
}

KxlDrvLibError* DrvCXD2856_dvbs_init(KxlDrvLibError* err, DrvCXD2856_tuner_configuration_sat_t tunerConfiguration,
                                     DrvCXD2856_tuner_if_t tunerIf, uint32_t channel)
{
    return DrvCXD2856_m_dvbs_init(err, tunerConfiguration, tunerIf, channel, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbs_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    updateAdjusts(err, DRVCXD2856_PP_DVBC, s->host.reader_dvbc, s);
    s->dvbs.s2_constellation = {0, eCONST_QPSK};
    DrvCXD2856_m_dvbs_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs_update_adjusts(KxlDrvLibError* err)
{
    S()->plugplag = DrvCXD2856_plugplag();
    return DrvCXD2856_m_dvbs_update_adjusts(err, S());
}

KxlDrvLibError* DrvCXD2856_dvbs_poweron(KxlDrvLibError* err) { return DrvCXD2856_dvbc_poweron(err); }

KxlDrvLibError* DrvCXD2856_m_dvbs_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    DrvCXD2856_m_dvbc_poweroff(err, s);
    DrvCXD2856_m_dvbs_set_default_measures(s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs_poweroff(KxlDrvLibError* err) { return DrvCXD2856_m_dvbs_poweroff(err, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbs_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked,
                                           st_t_data_CXD2856* s)
{
    tune(err, KIT_DTV_SYSTEM_DVBS, search, locked, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_dvbs_look_for(err, search, locked, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbs2_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* s)
{
    tune(err, KIT_DTV_SYSTEM_DVBS2, search, locked, s);
    if (s->dvbs.status == eDEMOD_LOCK_STATUS_TS_LOCKED) {
        kit_dvbs2_plscode_t pls{};
        Burst b(err, s);
        if (b.kit(kit_demod_dvbs2_monitor_PLSCode(&s->demod, &pls)) == KIT_RESULT_OK)
            s->dvbs.s2_constellation = {1, constellationOf(pls.modulation)};
    }
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs2_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_dvbs2_look_for(err, search, locked, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbs_init_measures_without_event(KxlDrvLibError* err, uint32_t, uint32_t a2, uint32_t,
                                                              uint32_t, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    DrvCXD2856_m_dvbs_fill_tasks(s, a2);
    MEASURE_MER_restart(&s->dvbs.mer_object);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                            uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbs_init_measures_without_event(err, a1, a2, a3, a4, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbs2_init_measures_without_event(KxlDrvLibError* err, uint32_t, uint32_t a2, uint32_t,
                                                               uint32_t, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    DrvCXD2856_m_dvbs2_fill_tasks(s, a2);
    MEASURE_MER_restart(&s->dvbs.mer_object);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbs2_init_measures_without_event(err, a1, a2, a3, a4, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbs_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4, st_t_data_CXD2856* s)
{
    registerEvents(s);
    return DrvCXD2856_m_dvbs_init_measures_without_event(err, a1, a2, a3, a4, s);
}

KxlDrvLibError* DrvCXD2856_dvbs_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
{
    return DrvCXD2856_m_dvbs_init_measures(err, a1, a2, a3, a4, S());
}

void DrvCXD2856_dvbs_set_default_measures(void) { DrvCXD2856_m_dvbs_set_default_measures(S()); }
uint32_t DrvCXD2856_dvbs_get_execution_period(void) { return kExecutionPeriodMs; }
uint32_t DrvCXD2856_dvbs_get_stabilization_time_for_measure(void) { return kStabilizationTicks; }

uint32_t DrvCXD2856_m_dvbs_get_system_status(uint32_t* status, st_t_data_CXD2856* s)
{
    return statusOf(s->dvbs.status, status, s);
}

uint32_t DrvCXD2856_dvbs_get_system_status(uint32_t* status) { return DrvCXD2856_m_dvbs_get_system_status(status, S()); }
uint32_t DrvCXD2856_dvbs2_get_system_status(uint32_t* status) { return DrvCXD2856_m_dvbs_get_system_status(status, S()); }

uint32_t DrvCXD2856_m_dvbs_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* s)
{
    return copyMer(s->dvbs.mer, status, mer, s);
}

uint32_t DrvCXD2856_dvbs_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_dvbs_get_mer(status, mer, S()); }
uint32_t DrvCXD2856_dvbs2_get_mer(uint32_t* status, int32_t* mer) { return DrvCXD2856_m_dvbs_get_mer(status, mer, S()); }
int32_t DrvCXD2856_dvbs_get_max_mer(void) { return DrvCXD2856_dvbc_get_max_mer(); }
int32_t DrvCXD2856_dvbs_get_min_mer(void) { return DrvCXD2856_dvbc_get_min_mer(); }

uint32_t DrvCXD2856_m_dvbs_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* s)
{
    const st_t_dvbs_CXD2856& d = s->dvbs;
    const int32_t required = s->plugplag ? s->plugplag->dvbc.linkmargin[qamIndex(s->dvbc.constellation.value)] : 0;
    return linkMargin(d.mer, required, d.status != eDEMOD_LOCK_STATUS_TS_LOCKED, status, lm, s);
}

uint32_t DrvCXD2856_dvbs_get_lm(uint32_t* status, int32_t* lm) { return DrvCXD2856_m_dvbs_get_lm(status, lm, S()); }
int32_t DrvCXD2856_dvbs_get_max_lm(void) { return kMaxLinkMargin; }
int32_t DrvCXD2856_dvbs_get_min_lm(void) { return kMinLinkMargin; }
KxlDrvLibError* DrvCXD2856_dvbs_read_freq_offset(KxlDrvLibError* err, int32_t* khz) { return DrvCXD2856_dvbc_read_freq_offset(err, khz); }
uint32_t DrvCXD2856_dvbs_get_max_freq_offset_hz(void) { return kMaxFreqOffsetHz; }

uint32_t DrvCXD2856_m_dvbs_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    return copyBer(s->dvbs.cber, status, ber, s);
}

uint32_t DrvCXD2856_dvbs_get_cber(uint32_t* status, float* ber) { return DrvCXD2856_m_dvbs_get_cber(status, ber, S()); }
float DrvCXD2856_dvbs_get_max_cber(void) { return DrvCXD2856_dvbc_get_max_cber(); }
float DrvCXD2856_dvbs_get_min_cber(void) { return DrvCXD2856_dvbc_get_min_cber(); }

uint32_t DrvCXD2856_m_dvbs_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* s)
{
    return copyPer(s->dvbs.per, overflow, errors, ms, s);
}

uint32_t DrvCXD2856_dvbs_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms)
{
    return DrvCXD2856_m_dvbs_get_per(overflow, errors, ms, S());
}

uint32_t DrvCXD2856_m_dvbs_get_symbol_rate(st_t_data_CXD2856* s)
{
    uint32_t sps = 0;
    KxlDrvLibError err{};
    Burst b(&err, s);
    b.kit(kit_demod_dvbs_s2_monitor_SymbolRate(&s->demod, &sps));
    return sps;
}

uint32_t DrvCXD2856_dvbs_get_symbol_rate(void) { return DrvCXD2856_m_dvbs_get_symbol_rate(S()); }

uint32_t DrvCXD2856_m_dvbs_get_code_rate(st_t_data_CXD2856* s)
{
    kit_dvbs_coderate_t rate = 0;
    KxlDrvLibError err{};
    Burst b(&err, s);
    b.kit(kit_demod_dvbs_monitor_CodeRate(&s->demod, &rate));
    return rate;
}

uint32_t DrvCXD2856_dvbs_get_code_rate(void) { return DrvCXD2856_m_dvbs_get_code_rate(S()); }

KxlDrvLibError* DrvCXD2856_m_dvbs2_get_code_rate_and_constellation(KxlDrvLibError* err, kit_dvbs2_plscode_t* pls,
                                                                   st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    kit_dvbs2_plscode_t code{};
    {
        Burst b(err, s);
        b.kit(kit_demod_dvbs2_monitor_PLSCode(&s->demod, &code));
    }
    if (pls)
        *pls = code;
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs2_get_code_rate_and_constellation(KxlDrvLibError* err, kit_dvbs2_plscode_t* pls)
{
    return DrvCXD2856_m_dvbs2_get_code_rate_and_constellation(err, pls, S());
}

uint32_t DrvCXD2856_dvbs_get_sp_inv(uint8_t* automatic) { return DrvCXD2856_dvbc_get_sp_inv(automatic); }

uint32_t DrvCXD2856_m_dvbs_get_constellation(uint8_t* automatic, st_t_data_CXD2856* s)
{
    if (automatic)
        *automatic = s->dvbc.constellation.automatic;
    return eCONST_QPSK;
}

uint32_t DrvCXD2856_dvbs_get_constellation(uint8_t* automatic) { return DrvCXD2856_m_dvbs_get_constellation(automatic, S()); }

uint32_t DrvCXD2856_m_dvbs2_get_constellation(uint8_t* automatic, st_t_data_CXD2856* s)
{
    return pairValue(s->dvbs.s2_constellation, automatic);
}

uint32_t DrvCXD2856_dvbs2_get_constellation(uint8_t* automatic) { return DrvCXD2856_m_dvbs2_get_constellation(automatic, S()); }

KxlDrvLibError* DrvCXD2856_m_dvbs_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled,
                                               st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    int16_t si = 0, sq = 0;
    kit_result_t r = KIT_RESULT_OK;
    {
        Burst b(err, s);
        r = b.kit(kit_demod_dvbs_s2_adv_monitor_Constellation(&s->demod, &si, &sq));
    }
    const bool got = r == KIT_RESULT_OK;
    if (i)
        *i = got ? si : 0;
    if (q)
        *q = got ? sq : 0;
    if (sampled)
        *sampled = got ? 1 : 0;
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbs_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled)
{
    return DrvCXD2856_m_dvbs_read_full_iq(err, i, q, sampled, S());
}

KxlDrvLibError* DrvCXD2856_dvbs_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q)
{
    return topRight(err, kTopRight, kTopRight, i, q);
}
