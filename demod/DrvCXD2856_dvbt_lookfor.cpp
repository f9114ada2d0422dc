// The DVB-T search: each bandwidth candidate set on the tuner and the demodulator, the TPS
// of the first that synchronises decoded into the block, the fixed parameters checked, then
// the TS output and the CBER and VBER counting windows.
#include "DrvCXD2856_dvbt.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_family.h"
#include "DrvCXD2856_tasks.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBT.h"
#include "embedded_rtos.h"

#include "chipkit/kit_integ_dvbt.h"

#include <cmath>
#include <vector>

using namespace drvcxd2856;

namespace {

constexpr uint32_t kTunerDvbt = 0;     // eSIGNAL_TYPE of the tuner callback
constexpr uint32_t kCberWindowMs = 200;
constexpr uint32_t kVberWindowMs = 200;

uint32_t bandwidthHz(uint32_t id) { return id >= eBW_5MHZ && id <= eBW_8MHZ ? id * 1000000u : 8000000u; }

kit_dtv_bandwidth_t kitBandwidth(uint32_t id) { return id >= eBW_5MHZ && id <= eBW_8MHZ ? id : uint32_t(KIT_DTV_BW_8_MHZ); }

uint32_t constellationOf(uint32_t tps) { return tps == 0 ? eCONST_QPSK : tps == 1 ? eCONST_16QAM : eCONST_64QAM; }

uint32_t codeRateOf(uint32_t tps)
{
    static const uint32_t kRates[] = {eCR_1_2, eCR_2_3, eCR_3_4, eCR_5_6, eCR_7_8};
    return tps < 5 ? kRates[tps] : uint32_t(eCR_2_3);
}

// What the TPS says, in the block's codes, stored as one: a reader never sees half of it.
void storeTps(const st_t_dvbt_tps_CXD2856& tps, uint32_t bandwidth, st_t_dvbt_CXD2856& t)
{
    EMBEDDEDRTOS_schedulerlock();
    t.tps = tps;
    t.tps_valid = 1;
    t.constellation = constellationOf(tps.constellation);
    t.hierarchy = tps.hierarchy;
    t.hp_code_rate = codeRateOf(tps.hp_code_rate);
    t.lp_code_rate = codeRateOf(tps.lp_code_rate);
    t.cell_id = tps.cell_id;
    const bool dvbh = tps.length_indicator == 0x21;
    t.interleaver = dvbh ? tps.interleaver : 0;
    t.time_slicing = dvbh ? tps.time_slicing : 0;
    t.mpe_fec = dvbh ? tps.mpe_fec : 0;
    t.standard = dvbh ? 13 : 0;
    if (t.hierarchy == 0)
        t.priority = 0;
    t.bw.value = bandwidth;
    EMBEDDEDRTOS_schedulerunlock();
}

// The share of the counted window the results are scaled by, by constellation and HP rate.
struct Fraction {
    uint32_t num;
    uint32_t den;
};

Fraction cberScale(uint32_t constellation, uint32_t codeRate)
{
    const uint32_t column = codeRate == eCR_1_2 ? 0 : codeRate == eCR_2_3 ? 1 : codeRate == eCR_3_4 ? 2
                          : codeRate == eCR_5_6 ? 3 : codeRate == eCR_7_8 ? 4 : 5;
    static const Fraction kQpsk[6] = {{1, 1}, {1, 1}, {1, 1}, {29, 30}, {14, 15}, {1, 1}};
    static const Fraction k16Qam[6] = {{13, 6}, {33, 30}, {43, 30}, {19, 15}, {18, 15}, {1, 1}};
    static const Fraction k64Qam[6] = {{24, 15}, {17, 30}, {47, 30}, {55, 30}, {24, 15}, {1, 1}};
    const Fraction* row = constellation == eCONST_QPSK ? kQpsk : constellation == eCONST_16QAM ? k16Qam : k64Qam;
    return row[column];
}

} // namespace

// The pre-Viterbi window: 2^(n + 12) bits for about 200 ms of the signal's rate, n from 1 to
// 7, written to bank 0x10 register 0x6F. Fewer bits than 2^13 (a negative logarithm) take the
// smallest window. Returns the bits counted, scaled as the results expect.
uint32_t DrvCXD2856_m_dvbt_write_cber_window(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    const st_t_dvbt_CXD2856& t = s->dvbt;
    const double rate = DRVDEFDVBT_get_bitrate_before_viberbi(t.bw.value, t.mode.value, t.guard.value, t.constellation);
    const double bits = rate / 1000.0 * kCberWindowMs;
    uint32_t n = 1;
    if (bits > 0) {
        const double e = std::log10(bits / 4096.0) * 3.321928;
        n = e < 1 ? 1 : e > 7 ? 7 : static_cast<uint32_t>(e);
    }
    const Fraction f = cberScale(t.constellation, t.hp_code_rate);
    const uint32_t window = static_cast<uint32_t>((static_cast<uint64_t>(1u << (n + 12)) * f.num) / f.den);
    Burst b(err, s);
    b.bank(0x10) && b.write(0x6F, static_cast<uint8_t>(n));
    return window;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_look_for(KxlDrvLibError* err, st_t_dvbt_search_CXD2856 search, uint8_t* locked,
                                           st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    st_t_dvbt_CXD2856& t = s->dvbt;
    // Nothing of an earlier lock survives a search that ends early.
    DrvCXD2856_m_dvbt_set_default_measures(s);
    t.code_rate_valid = search.code_rate_auto ? 1 : 0;
    t.priority = search.priority ? 1 : 0;
    t.bw.automatic = search.bw_auto ? 1 : 0;
    t.mode = {static_cast<uint8_t>(search.mode_auto ? 1 : 0), search.mode};
    t.guard = {static_cast<uint8_t>(search.guard_auto ? 1 : 0), search.guard};
    t.sp_inv = {static_cast<uint8_t>(search.sp_inv_auto ? 1 : 0), search.sp_inv};
    DrvCXD2856_m_dvbt_write_measure_mode(err, DRVCXD2856_MEASURE_NONE, s);

    uint32_t status = t.status;
    for (const uint32_t bw : terrestrialCandidates(search.bw, search.bw_auto != 0)) {
        if (cancelled(s))
            break;
        configureTuner(err, kTunerDvbt, bandwidthHz(bw), s);
        const uint32_t word = ifWord(tunerIfHz(err, static_cast<int32_t>(search.if_hz), s));
        s->demod.ifFreq.dvbt5 = s->demod.ifFreq.dvbt6 = s->demod.ifFreq.dvbt7 = s->demod.ifFreq.dvbt8 = word;
        const kit_dvbt_tune_param_t param = {1, kitBandwidth(bw),
                                             t.priority ? (uint32_t)KIT_DVBT_PROFILE_LP : (uint32_t)KIT_DVBT_PROFILE_HP};
        {
            Burst b(err, s);
            b.kit(kit_integ_dvbt_Tune(&s->integ, &param));
        }
        status = DrvCXD2856_m_dvbt_read_signal_status(err, s);
        if (status <= 3)
            continue;
        st_t_dvbt_tps_CXD2856 tps{};
        DrvCXD2856_m_dvbt_read_tps_data(err, &tps, s);
        uint32_t mode = 0, guard = 0, inverted = 0;
        DrvCXD2856_m_dvbt_read_cofdm_parameters(err, &mode, &guard, s);
        storeTps(tps, bw, t);
        DrvCXD2856_m_dvbt_read_sp(err, &inverted, s);
        status = settleParameter(t.mode, mode, status, 2);
        status = settleParameter(t.guard, guard, status, 2);
        status = settleParameter(t.sp_inv, inverted, status, 2);
        break;
    }
    // A cancelled search keeps the status it had.
    if (!cancelled(s))
        t.status = status;
    finishLookFor(err, cancelled(s) ? uint32_t(eDEMOD_LOCK_STATUS_UNLOCKED) : t.status, locked, s);
    t.cber_bits = DrvCXD2856_m_dvbt_write_cber_window(err, s);
    t.vber_bits = DrvCXD2856_m_dvbt_write_vber_window(err, kVberWindowMs, s);
    return err;
}

KxlDrvLibError* DrvCXD2856_dvbt_look_for(KxlDrvLibError* err, st_t_dvbt_search_CXD2856 search, uint8_t* locked)
{
    return DrvCXD2856_m_dvbt_look_for(err, search, locked, DrvCXD2856_state());
}
