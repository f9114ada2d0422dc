#include "DrvCXD2856_readers.h"

#include "DrvCXD2856_analysis.h"
#include "DrvCXD2856_burst.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBT.h"
#include "common/embedded_timers.h"

#include "chipkit/kit_demod_dvbt.h"
#include "chipkit/kit_math.h"

#include <cmath>

using drvcxd2856::Burst;
using drvcxd2856::AnalysisPoll;

namespace {

constexpr uint8_t kBank = 0x10;
constexpr uint8_t kAnalysisBank = 0x11;
constexpr uint32_t kPacketBits = 1632; // a 204-byte packet
constexpr uint32_t kWindowExponentMax = 31;

int16_t tenBits(uint8_t high, uint8_t low)
{
    return static_cast<int16_t>(kit_Convert2SComplement(static_cast<uint32_t>((high & 0x03) << 8 | low), 10));
}

// The HP code rate's share of the counted bits, as the VBER results have always been scaled.
double codeRateScale(uint32_t codeRate, uint32_t constellation)
{
    switch (codeRate) {
    case eCR_1_2:
    case eCR_2_3:
        return 1.1;
    case eCR_3_4:
        return 1.25;
    case eCR_5_6:
        return 1.4;
    case eCR_7_8:
        return constellation == eCONST_64QAM ? 1.75 : 1.55;
    default:
        return 1.0;
    }
}

bool dvbtSynchronised(Burst& b)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    return b.kit(kit_demod_dvbt_monitor_SyncStat(&b.state()->demod, &sync, &ts, &unlock)) == KIT_RESULT_OK
        && sync >= 6;
}

} // namespace

uint32_t DrvCXD2856_m_dvbt_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    Burst b(err, s);
    if (b.kit(kit_demod_dvbt_monitor_SyncStat(&s->demod, &sync, &ts, &unlock)) != KIT_RESULT_OK || sync < 6)
        return eDEMOD_LOCK_STATUS_UNLOCKED;
    if (ts)
        return eDEMOD_LOCK_STATUS_TS_LOCKED;
    return s->dvbt.tps_valid ? 4 : 2;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_tps_data(KxlDrvLibError* err, st_t_dvbt_tps_CXD2856* tps, st_t_data_CXD2856* s)
{
    uint8_t d[7] = {};
    {
        Burst b(err, s);
        b.freeze();
        if (!b.read(kBank, 0x2F, d, sizeof d))
            return err;
    }
    st_t_dvbt_tps_CXD2856 t{};
    t.length_indicator = d[2] & 0x3F;
    t.constellation = d[0] >> 6;
    t.hierarchy = (d[0] >> 3) & 0x03;
    t.hp_code_rate = d[0] & 0x07;
    t.lp_code_rate = d[1] >> 5;
    t.guard = (d[1] >> 3) & 0x03;
    t.mode = (d[1] >> 1) & 0x03;
    t.cell_id = t.length_indicator >= 31 ? static_cast<uint16_t>(d[3] << 8 | d[4]) : 0;
    if (t.length_indicator == 33) {
        t.interleaver = (d[0] >> 5) & 1;
        t.time_slicing = ((d[5] | d[6]) >> 5) & 1;
        t.mpe_fec = ((d[5] | d[6]) >> 4) & 1;
    }
    if (tps)
        *tps = t;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_cofdm_parameters(KxlDrvLibError* err, uint32_t* mode, uint32_t* guard,
                                                      st_t_data_CXD2856* s)
{
    uint32_t m = 0, g = 0;
    Burst b(err, s);
    b.kit(kit_demod_dvbt_monitor_ModeGuard(&s->demod, &m, &g));
    if (mode)
        *mode = m != 0 ? eFFT_8K : eFFT_2K;
    if (guard)
        *guard = g == 0 ? eGI_1_32 : g == 1 ? eGI_1_16 : g == 2 ? eGI_1_8 : eGI_1_4;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* s)
{
    uint32_t v = 0;
    Burst b(err, s);
    b.kit(kit_demod_dvbt_monitor_SpectrumSense(&s->demod, &v));
    if (inverted)
        *inverted = v ? 1 : 0;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_frequency_offset(KxlDrvLibError* err, int32_t* hz, st_t_data_CXD2856* s)
{
    uint8_t d[4] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kBank, 0x4C, d, sizeof d);
    }
    const int32_t v = kit_Convert2SComplement(static_cast<uint32_t>(d[0] & 0x1F) << 24 | drvcxd2856::bigEndian(d + 1, 3), 29);
    // The offset word counts 2^-28 of the elementary clock, negatively.
    double k;
    switch (s->dvbt.bw.value) {
    case eBW_5MHZ:
        k = -46.976204;
        break;
    case eBW_6MHZ:
        k = -39.146835;
        break;
    case eBW_7MHZ:
        k = -33.554432;
        break;
    default:
        k = -29.360128;
        break;
    }
    if (hz)
        *hz = static_cast<int32_t>(std::trunc(v / k + 0.5));
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_pre_viterbi_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                        st_t_data_CXD2856* s)
{
    uint8_t valid = 0, d[2] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kBank, 0x39, &valid, 1) && b.read(0x22, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>(valid & 1), drvcxd2856::bigEndian(d, 2)};
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c, st_t_data_CXD2856* s)
{
    uint8_t d[3] = {};
    {
        Burst b(err, s);
        b.read(kBank, 0x62, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>(d[0] >> 7), static_cast<uint32_t>(d[0] & 0x3F) << 16 | drvcxd2856::bigEndian(d + 1, 2)};
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_wrong_packets(KxlDrvLibError* err, st_t_counter_CXD2856* c, st_t_data_CXD2856* s)
{
    uint8_t d[3] = {};
    {
        Burst b(err, s);
        b.read(kBank, 0xEA, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>(d[2] & 1), drvcxd2856::bigEndian(d, 2)};
    return err;
}

uint32_t DrvCXD2856_m_dvbt_write_vber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* s)
{
    const st_t_dvbt_CXD2856& t = s->dvbt;
    const uint64_t rate = DRVDEFDVBT_get_bitrate_after_viberbi(t.bw.value, t.mode.value, t.guard.value,
                                                               t.constellation, t.hierarchy, t.hp_code_rate,
                                                               t.lp_code_rate, t.priority);
    const uint32_t e = DrvCXD2856_window_exponent(rate / 1000 * windowMs, kPacketBits, kWindowExponentMax);
    {
        Burst b(err, s);
        b.bank(kBank) && b.write(0x60, static_cast<uint8_t>(e));
    }
    const double bits = static_cast<double>(kPacketBits << e) * codeRateScale(t.hp_code_rate, t.constellation);
    return static_cast<uint32_t>(std::min(bits, static_cast<double>(UINT32_MAX)));
}

KxlDrvLibError* DrvCXD2856_m_dvbt_write_measure_mode(KxlDrvLibError* err, uint32_t mode, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    if (!b.bank(kAnalysisBank))
        return err;
    if (mode == DRVCXD2856_MEASURE_CHANNEL_RESPONSE) {
        b.write(0xC3, 0x01);
    } else {
        b.write(0xC3, 0x00) && (mode == DRVCXD2856_MEASURE_NONE || b.write(0x97, 0x0A));
    }
    s->measure_mode = mode;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_write_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* s)
{
    const uint8_t d[3] = {static_cast<uint8_t>((carrier >> 8) & 0x1F), static_cast<uint8_t>(carrier), 0x01};
    Burst b(err, s);
    b.bank(kAnalysisBank) && b.write(0x98, d, sizeof d);
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_write_channelresponse_mode(KxlDrvLibError* err, uint32_t on, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    b.bank(kAnalysisBank) && b.write(0xC4, on ? 1 : 0);
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                             uint8_t* sampled, st_t_data_CXD2856* s)
{
    if (i)
        *i = 0;
    if (q)
        *q = 0;
    if (sampled)
        *sampled = 0;
    // A carrier past the last one of a 2k signal is no carrier: the walk goes round.
    carrier %= DRVDEFDVBT_get_num_carrier(s->dvbt.mode.value);
    if (s->measure_mode != DRVCXD2856_MEASURE_FULL_IQ)
        DrvCXD2856_m_dvbt_write_measure_mode(err, DRVCXD2856_MEASURE_FULL_IQ, s);
    DrvCXD2856_m_dvbt_write_carrier(err, carrier, s);
    uint8_t d[5] = {};
    Burst b(err, s);
    if (drvcxd2856::pollAnalysis(b, kAnalysisBank, d, sizeof d, AnalysisPoll{80, 0, 42, 42, dvbtSynchronised})) {
        if (i)
            *i = tenBits(d[1], d[2]);
        if (q)
            *q = tenBits(d[3], d[4]);
        if (sampled)
            *sampled = 1;
    }
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_mer_per_carrier(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     st_t_data_CXD2856* s)
{
    if (mer)
        *mer = 0;
    if (s->measure_mode != DRVCXD2856_MEASURE_CARRIER_MER)
        DrvCXD2856_m_dvbt_write_measure_mode(err, DRVCXD2856_MEASURE_CARRIER_MER, s);
    DrvCXD2856_m_dvbt_write_carrier(err, carrier, s);
    uint8_t d[7] = {};
    Burst b(err, s);
    if (drvcxd2856::pollAnalysis(b, kAnalysisBank, d, sizeof d, drvcxd2856::kCarrierMerPoll) && mer) {
        const uint32_t v = static_cast<uint32_t>(d[5] & 0x1F) << 8 | d[6];
        *mer = static_cast<int32_t>(std::trunc(0.5 + 100.0 * std::log10((v ? v : 1) / 8.0)));
    }
    return err;
}

const t_mer_constellation_config* DrvCXD2856_m_dvbt_get_mer_by_constellation_data(const st_t_data_CXD2856* s)
{
    if (!s->plugplag)
        return nullptr;
    const st_t_dvbt_CXD2856& t = s->dvbt;
    const uint32_t bw = t.bw.value == eBW_6MHZ ? 0 : t.bw.value == eBW_7MHZ ? 1 : 2;
    const uint32_t mode = t.mode.value == eFFT_2K ? 0 : 1;
    uint32_t entry = 0;
    if (t.constellation == eCONST_16QAM || t.constellation == eCONST_64QAM) {
        const uint32_t hierarchy = t.hierarchy >= 2 ? t.hierarchy - 1 : 0; // none and alpha 1 alike
        entry = (t.constellation == eCONST_16QAM ? 1 : 4) + hierarchy;
    }
    return &s->plugplag->dvbt.mer_constellation[(bw * 2 + mode) * 7 + entry];
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_mer_by_constellation(KxlDrvLibError* err, MeasureResult* mer,
                                                          st_t_data_CXD2856* s)
{
    st_t_dvbt_CXD2856& t = s->dvbt;
    const uint32_t nc = DRVDEFDVBT_get_num_carrier(t.mode.value);
    const uint32_t step = (nc - 800) / (t.mode.value == eFFT_8K ? 73 : 44);
    const uint32_t centre = nc / 2;
    const uint32_t guardBand = nc * 6 / 100;
    int16_t is[96];
    int16_t qs[96];
    int32_t n = 0;
    for (uint32_t k = t.mer_offset + 400; k < nc - 800 && n < 96; k += step) {
        if (k + guardBand >= centre && k <= centre + guardBand)
            continue;
        uint32_t carrier = k;
        while (carrier < nc && !DRVDEFDVBT_is_data_carrier(carrier))
            ++carrier;
        uint8_t sampled = 0;
        DrvCXD2856_m_dvbt_read_full_iq(err, carrier, &is[n], &qs[n], &sampled, s);
        // A carrier the chip gave no sample of is left out, not counted as a point at the centre.
        if (sampled)
            ++n;
        if (drvcxd2856::cancelled(s))
            break;
    }
    t.mer_offset = step ? (t.mer_offset + 1) % step : 0;
    const bool tables = !s->host.adjust_predicate || s->host.adjust_predicate() != 0;
    MEASURE_MER_CONSTELLATION_process(mer, &t.mer_object, is, qs, n,
                                      tables ? DrvCXD2856_m_dvbt_get_mer_by_constellation_data(s) : nullptr);
    return err;
}
