// DVB-T, DVB-T2 and ISDB-T through the kit on the simulated demodulator, on the typical
// network's terrestrial channels: each locks within the integration layer's limits and
// reports what the scene transmits and an MER within 1 dB of the scene's; a tune for the
// wrong channel width never locks; the PLP selection changes what the chip presents; error
// counters follow the window the software writes; constellation points sit on the grid.
#include "KitOnChip.h"

#include "Constellation.h"
#include "chipkit/kit_demod_config.h"
#include "chipkit/kit_demod_dvbt.h"
#include "chipkit/kit_demod_dvbt2.h"
#include "chipkit/kit_demod_dvbt2_monitor.h"
#include "chipkit/kit_demod_dvbt_monitor.h"
#include "chipkit/kit_demod_isdbt.h"
#include "chipkit/kit_demod_isdbt_monitor.h"
#include "chipkit/kit_integ_dvbt.h"
#include "chipkit/kit_integ_dvbt2.h"
#include "chipkit/kit_integ_isdbt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace kittest;
using namespace platform::sim;

namespace {

// A tune and the integration layer's lock waits: their result and the time they took.
struct Waited {
    kit_result_t result;
    uint64_t ms;
};

struct Network : KitOnChip {
    explicit Network(double frequencyHz)
    {
        RfScene::typicalCableNetwork(*scene);
        chip->setTunedFrequencyHz(frequencyHz);
        EXPECT_EQ(kit_demod_Initialize(&demod), KIT_RESULT_OK);
    }

    template <class Wait>
    Waited tuned(kit_result_t tune, Wait wait)
    {
        EXPECT_EQ(tune, KIT_RESULT_OK);
        EXPECT_EQ(kit_demod_TuneEnd(&demod), KIT_RESULT_OK);
        const uint64_t start = board.clock().monotonicMs();
        const kit_result_t r = wait();
        return {r, board.clock().monotonicMs() - start};
    }
    Waited tuneDvbt(kit_dtv_bandwidth_t bw)
    {
        const kit_dvbt_tune_param_t p = {834000, bw, KIT_DVBT_PROFILE_HP};
        EXPECT_EQ(kit_demod_dvbt_SetProfile(&demod, p.profile), KIT_RESULT_OK);
        return tuned(kit_demod_dvbt_Tune(&demod, &p), [&] { return kit_integ_dvbt_WaitTSLock(&integ); });
    }
    // Demodulator lock, TS lock and the L1-post, as the DVB-T2 tune waits for them.
    Waited tuneDvbt2(kit_dtv_bandwidth_t bw, uint8_t plp)
    {
        const kit_dvbt2_tune_param_t p = {842000, bw, plp, KIT_DVBT2_PROFILE_BASE, 0};
        EXPECT_EQ(kit_demod_dvbt2_SetPLPConfig(&demod, 0, plp), KIT_RESULT_OK);
        EXPECT_EQ(kit_demod_dvbt2_SetProfile(&demod, p.profile), KIT_RESULT_OK);
        return tuned(kit_demod_dvbt2_Tune(&demod, &p), [&] {
            kit_result_t r = kit_integ_dvbt2_WaitDemodLock(&integ, KIT_DVBT2_PROFILE_BASE);
            if (r == KIT_RESULT_OK)
                r = kit_integ_dvbt2_WaitTSLock(&integ, KIT_DVBT2_PROFILE_BASE);
            return r == KIT_RESULT_OK ? kit_integ_dvbt2_WaitL1PostLock(&integ) : r;
        });
    }
    Waited tuneIsdbt(kit_dtv_bandwidth_t bw)
    {
        const kit_isdbt_tune_param_t p = {850000, bw};
        return tuned(kit_demod_isdbt_Tune(&demod, &p), [&] { return kit_integ_isdbt_WaitTSLock(&integ); });
    }
};

// MER (dB) of constellation points against the nearest points of the grid scaled so that
// its outermost point sits at scale.
double merOf(const std::vector<IqPoint>& points, Modulation m, double scale)
{
    const ConstellationGrid grid = ConstellationGrid::of(m);
    const double unit = scale / grid.peakAxis();
    double signal = 0, error = 0;
    for (const IqPoint& p : points) {
        const IqPoint ideal = grid.nearest(p / unit) * unit;
        signal += std::norm(ideal);
        error += std::norm(p - ideal);
    }
    return 10 * std::log10(signal / error);
}

// 400 constellation points from a standard's point monitor.
std::vector<IqPoint> points(const std::function<kit_result_t(uint32_t, int32_t*, int32_t*)>& read)
{
    std::vector<IqPoint> out;
    for (uint32_t i = 0; i < 400; ++i) {
        int32_t x = 0, y = 0;
        EXPECT_EQ(read(i, &x, &y), KIT_RESULT_OK);
        out.emplace_back(x, y);
    }
    return out;
}

} // namespace

TEST(KitTerrestrialOnChip, DvbtLocksAndReportsTheChannel)
{
    Network n(834e6);
    const Waited w = n.tuneDvbt(KIT_DTV_BW_8_MHZ);
    ASSERT_EQ(w.result, KIT_RESULT_OK);
    EXPECT_LT(w.ms, 1000u);
    EXPECT_TRUE(n.chip->tsOutputEnabled());

    kit_dvbt_tpsinfo_t tps = {};
    ASSERT_EQ(kit_demod_dvbt_monitor_TPSInfo(&n.demod, &tps), KIT_RESULT_OK);
    // 64-QAM, not hierarchical, 2/3, guard 1/4, 8k
    EXPECT_EQ((std::vector<uint32_t>{tps.constellation, tps.hierarchy, tps.rateHP, tps.guard, tps.mode}),
              (std::vector<uint32_t>{2, 0, 1, 3, 1}));
    uint32_t mode = 9, guard = 9, inverted = 9;
    ASSERT_EQ(kit_demod_dvbt_monitor_ModeGuard(&n.demod, &mode, &guard), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_dvbt_monitor_SpectrumSense(&n.demod, &inverted), KIT_RESULT_OK);
    EXPECT_EQ((std::vector<uint32_t>{mode, guard, inverted}), (std::vector<uint32_t>{1, 3, 0}));
    EXPECT_NEAR(value(kit_demod_dvbt_adv_monitor_MER, &n.demod), 32000, 1000);
    EXPECT_NEAR(value(kit_demod_dvbt_monitor_SNR, &n.demod), 32000, 1000);
    EXPECT_NEAR(value(kit_demod_dvbt_monitor_CarrierOffset, &n.demod), 0, 2);
    EXPECT_EQ(value(kit_demod_dvbt_monitor_SamplingOffset, &n.demod), 0);
    uint8_t quality = 0;
    n.advanceMs(100);  // a first pre-RS window
    ASSERT_EQ(kit_demod_dvbt_monitor_Quality(&n.demod, &quality), KIT_RESULT_OK);
    EXPECT_EQ(quality, 100);  // 13 dB above what 64-QAM 2/3 needs, no errors
    EXPECT_TRUE(n.freezeReleased());

    // Points of the 64-QAM grid (outermost at 206) with the channel's noise.
    const auto dvbt = [&](uint32_t i, int32_t* x, int32_t* y) {
        return kit_demod_dvbt_adv_monitor_Constellation(&n.demod, 100 + i, x, y);
    };
    EXPECT_NEAR(merOf(points(dvbt), Modulation::Qam64, 206), 32.0, 1.0);
}

TEST(KitTerrestrialOnChip, Dvbt2LocksReportsItsPlpsAndFollowsTheSelection)
{
    Network n(842e6);
    ASSERT_EQ(n.tuneDvbt2(KIT_DTV_BW_8_MHZ, 0).result, KIT_RESULT_OK);
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_DataPLPError, &n.demod), 0);

    kit_dvbt2_l1pre_t pre = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_L1Pre(&n.demod, &pre), KIT_RESULT_OK);
    kit_dvbt2_ofdm_t ofdm = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_OFDM(&n.demod, &ofdm), KIT_RESULT_OK);
    kit_dvbt2_l1post_t post = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_L1Post(&n.demod, &post), KIT_RESULT_OK);
    // 32K, 1/128, SISO; two PLPs
    EXPECT_EQ((std::vector<uint32_t>{pre.fftMode, pre.gi, pre.s1, ofdm.mode, ofdm.gi, post.numPLPs, post.freq}),
              (std::vector<uint32_t>{5, 4, 0, 5, 4, 2, 842000000}));
    uint8_t ids[KIT_DVBT2_DATA_PLP_MAX] = {}, count = 0;
    ASSERT_EQ(kit_demod_dvbt2_monitor_DataPLPs(&n.demod, ids, &count), KIT_RESULT_OK);
    EXPECT_EQ(std::vector<uint8_t>(ids, ids + count), (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_Profile, &n.demod), KIT_DVBT2_PROFILE_BASE);
    EXPECT_NEAR(value(kit_demod_dvbt2_adv_monitor_MER, &n.demod), 33000, 1000);
    EXPECT_NEAR(value(kit_demod_dvbt2_monitor_SNR, &n.demod), 33000, 1000);
    uint32_t rate = 0;
    ASSERT_EQ(kit_demod_dvbt2_monitor_TSRate(&n.demod, &rate), KIT_RESULT_OK);
    EXPECT_GT(rate, 10000u);

    // The PLP presented follows the selection: 256-QAM 2/3, then 16-QAM 1/2.
    const struct {
        uint8_t id;
        uint32_t qam, rate;
        Modulation grid;
        double scale;
    } plps[] = {{0, 3, 2, Modulation::Qam256, 296}, {1, 1, 0, Modulation::Qam16, 272}};
    for (const auto& p : plps) {
        ASSERT_EQ(kit_demod_dvbt2_SetPLPConfig(&n.demod, 0, p.id), KIT_RESULT_OK);
        kit_dvbt2_plp_t plp = {};
        ASSERT_EQ(kit_demod_dvbt2_monitor_ActivePLP(&n.demod, KIT_DVBT2_PLP_DATA, &plp), KIT_RESULT_OK);
        uint32_t qam = 9, codeRate = 9;
        ASSERT_EQ(kit_demod_dvbt2_monitor_QAM(&n.demod, KIT_DVBT2_PLP_DATA, &qam), KIT_RESULT_OK);
        ASSERT_EQ(kit_demod_dvbt2_monitor_CodeRate(&n.demod, KIT_DVBT2_PLP_DATA, &codeRate), KIT_RESULT_OK);
        EXPECT_EQ((std::vector<uint32_t>{plp.id, plp.constell, plp.plpCr, plp.fec, qam, codeRate}),
                  (std::vector<uint32_t>{p.id, p.qam, p.rate, 1, p.qam, p.rate}));
        uint32_t min = 9, max = 0;
        ASSERT_EQ(kit_demod_dvbt2_adv_SetConstellationTap(&n.demod, 0, &min, &max), KIT_RESULT_OK);
        EXPECT_EQ(max, 64800u / (2 * (p.qam + 1)) - 1);
        const auto dvbt2 = [&](uint32_t i, int32_t* x, int32_t* y) {
            return kit_demod_dvbt2_adv_monitor_Constellation(&n.demod, i, x, y);
        };
        EXPECT_NEAR(merOf(points(dvbt2), p.grid, p.scale), 33.0, 1.0) << int(p.id);
    }
    // A PLP the channel does not carry: the tune's data-PLP check reports it.
    ASSERT_EQ(kit_demod_dvbt2_SetPLPConfig(&n.demod, 0, 7), KIT_RESULT_OK);
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_DataPLPError, &n.demod), 1);
    EXPECT_TRUE(n.freezeReleased());
}

TEST(KitTerrestrialOnChip, IsdbtLocksAndReportsItsLayers)
{
    Network n(850e6);
    ASSERT_EQ(n.tuneIsdbt(KIT_DTV_BW_6_MHZ).result, KIT_RESULT_OK);

    kit_isdbt_tmcc_info_t t = {};
    ASSERT_EQ(kit_demod_isdbt_monitor_TMCCInfo(&n.demod, &t), KIT_RESULT_OK);
    EXPECT_EQ(t.currentInfo.isPartial, 1);
    const kit_isdbt_tmcc_layer_info_t& a = t.currentInfo.layerA;
    const kit_isdbt_tmcc_layer_info_t& b = t.currentInfo.layerB;
    EXPECT_EQ(std::vector<uint32_t>({a.modulation, a.codingRate, a.ilLength, a.segmentsNum}),
              std::vector<uint32_t>({1, 1, 2, 1}));  // QPSK 2/3, one segment
    EXPECT_EQ(std::vector<uint32_t>({b.modulation, b.codingRate, b.ilLength, b.segmentsNum}),
              std::vector<uint32_t>({3, 2, 2, 12}));  // 64-QAM 3/4, twelve segments
    EXPECT_EQ(t.currentInfo.layerC.segmentsNum, 15);  // unused
    EXPECT_EQ(t.nextInfo.layerB.segmentsNum, 12);
    uint32_t mode = 9, guard = 9;
    ASSERT_EQ(kit_demod_isdbt_monitor_ModeGuard(&n.demod, &mode, &guard), KIT_RESULT_OK);
    EXPECT_EQ(std::make_pair(mode, guard), std::make_pair(1u, 2u));  // 8k in DVB-T's order, 1/8
    EXPECT_NEAR(value(kit_demod_isdbt_monitor_SNR, &n.demod), 31000, 1000);
    EXPECT_NEAR(value(kit_demod_isdbt_adv_monitor_MER, &n.demod), 31000, 1000);
    EXPECT_NEAR(value(kit_demod_isdbt_monitor_CarrierOffset, &n.demod), 0, 2);
    kit_isdbt_layers_t rate = {};
    ASSERT_EQ(kit_demod_isdbt_monitor_TSRate(&n.demod, &rate), KIT_RESULT_OK);
    EXPECT_EQ(rate.layerB, 16851u);  // 12 segments of 64-QAM 3/4 with guard 1/8
    EXPECT_EQ(rate.layerC, 0u);
    EXPECT_TRUE(n.freezeReleased());

    // The main layer's 64-QAM, mirrored: the outermost point at -205.
    const auto isdbt = [&](uint32_t i, int32_t* x, int32_t* y) {
        return kit_demod_isdbt_adv_monitor_Constellation(&n.demod, i, x, y);
    };
    EXPECT_NEAR(merOf(points(isdbt), Modulation::Qam64, 205), 31.0, 1.0);
}

TEST(KitTerrestrialOnChip, AWrongChannelWidthNeverLocks)
{
    const struct {
        const char* what;
        double frequencyHz;
        std::function<Waited(Network&)> tune;
    } cases[] = {
        {"DVB-T at 7 MHz", 834e6, [](Network& n) { return n.tuneDvbt(KIT_DTV_BW_7_MHZ); }},
        {"DVB-T2 at 6 MHz", 842e6, [](Network& n) { return n.tuneDvbt2(KIT_DTV_BW_6_MHZ, 0); }},
        {"ISDB-T at 8 MHz", 850e6, [](Network& n) { return n.tuneIsdbt(KIT_DTV_BW_8_MHZ); }},
        {"DVB-T on the DVB-T2 channel", 842e6, [](Network& n) { return n.tuneDvbt(KIT_DTV_BW_8_MHZ); }},
    };
    for (const auto& c : cases) {
        Network n(c.frequencyHz);
        const Waited w = c.tune(n);
        EXPECT_EQ(w.result, KIT_RESULT_ERROR_UNLOCK) << c.what;  // the chip gives up early
        EXPECT_LT(w.ms, 1000u) << c.what;
        EXPECT_FALSE(n.chip->demodLocked()) << c.what;
    }
}

TEST(KitTerrestrialOnChip, ErrorCountersFollowTheWrittenWindows)
{
    // A DVB-T channel at 25 dB with 2e-4 errors before Reed-Solomon and one packet in 1000 lost.
    Network n(834e6);
    SceneCarrier c;
    c.kind = SceneCarrier::Kind::Ofdm;
    c.frequencyHz = 834e6;
    c.bandwidthHz = 8e6;
    c.levelDbuV = 60;
    c.standard = standard::kDvbT;
    c.merDb = 25;
    c.digital.preBer = 2e-4;
    c.digital.packetErrorRate = 1e-3;
    n.chip->setSignal(c);
    ASSERT_EQ(n.tuneDvbt(KIT_DTV_BW_8_MHZ).result, KIT_RESULT_OK);
    for (int exponent : {6, 10}) {
        // Pre-RS window 1632 x 2^p bits (configuration item 26), PER window 2^p packets (31).
        ASSERT_EQ(kit_demod_SetConfig(&n.demod, 26, exponent), KIT_RESULT_OK);
        ASSERT_EQ(kit_demod_SetConfig(&n.demod, 31, 15), KIT_RESULT_OK);
        uint32_t ber = 0, per = 0;
        EXPECT_EQ(kit_demod_dvbt_monitor_PreRSBER(&n.demod, &ber), KIT_RESULT_ERROR_HW_STATE);  // window restarted
        n.advanceMs(3000);
        EXPECT_NEAR(value(kit_demod_dvbt_monitor_PreRSBER, &n.demod), 2000, exponent == 6 ? 100 : 10) << exponent;
        ASSERT_EQ(kit_demod_dvbt_monitor_PER(&n.demod, &per), KIT_RESULT_OK);
        EXPECT_NEAR(per, 1000, 31);  // one packet in 2^15
    }
    // Pre-Viterbi window 4096 x 2^7 bits (configuration item 28).
    ASSERT_EQ(kit_demod_SetConfig(&n.demod, 28, 7), KIT_RESULT_OK);
    n.advanceMs(100);
    uint32_t viterbi = 0;
    ASSERT_EQ(kit_demod_dvbt_monitor_PreViterbiBER(&n.demod, &viterbi), KIT_RESULT_OK);
    EXPECT_GT(viterbi, 0u);  // the channel's own errors at 25 dB
}
