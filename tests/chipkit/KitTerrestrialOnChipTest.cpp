// DVB-T, DVB-T2 and ISDB-T through the kit on the simulated demodulator: each locks within the
// integration layer's limits and reports what the scene transmits; a wrong channel width never
// locks.
#include "KitOnChip.h"

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

#include <functional>
#include <tuple>

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

} // namespace

TEST(KitTerrestrialOnChip, DvbtLocksAndReportsTheChannel)
{
    Network n(834e6);
    const Waited w = n.tuneDvbt(KIT_DTV_BW_8_MHZ);
    ASSERT_EQ(w.result, KIT_RESULT_OK);
    EXPECT_LT(w.ms, 1000u);
    EXPECT_TRUE(n.chip->tsOutputEnabled());

    const kit_dvbt_tpsinfo_t tps = value(kit_demod_dvbt_monitor_TPSInfo, &n.demod);
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
    n.advanceMs(100);  // a first pre-RS window
    EXPECT_EQ(value(kit_demod_dvbt_monitor_Quality, &n.demod), 100);  // 13 dB above what 64-QAM 2/3 needs
    EXPECT_TRUE(n.freezeReleased());

}

TEST(KitTerrestrialOnChip, Dvbt2LocksAndReportsItsPlps)
{
    Network n(842e6);
    ASSERT_EQ(n.tuneDvbt2(KIT_DTV_BW_8_MHZ, 0).result, KIT_RESULT_OK);
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_DataPLPError, &n.demod), 0);

    const kit_dvbt2_l1pre_t pre = value(kit_demod_dvbt2_monitor_L1Pre, &n.demod);
    const kit_dvbt2_ofdm_t ofdm = value(kit_demod_dvbt2_monitor_OFDM, &n.demod);
    const kit_dvbt2_l1post_t post = value(kit_demod_dvbt2_monitor_L1Post, &n.demod);
    // 32K, 1/128, SISO; two PLPs
    EXPECT_EQ((std::vector<uint32_t>{pre.fftMode, pre.gi, pre.s1, ofdm.mode, ofdm.gi, post.numPLPs, post.freq}),
              (std::vector<uint32_t>{5, 4, 0, 5, 4, 2, 842000000}));
    uint8_t ids[KIT_DVBT2_DATA_PLP_MAX] = {}, count = 0;
    ASSERT_EQ(kit_demod_dvbt2_monitor_DataPLPs(&n.demod, ids, &count), KIT_RESULT_OK);
    EXPECT_EQ(std::vector<uint8_t>(ids, ids + count), (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_Profile, &n.demod), KIT_DVBT2_PROFILE_BASE);
    EXPECT_NEAR(value(kit_demod_dvbt2_adv_monitor_MER, &n.demod), 33000, 1000);
    EXPECT_NEAR(value(kit_demod_dvbt2_monitor_SNR, &n.demod), 33000, 1000);
    EXPECT_GT(value(kit_demod_dvbt2_monitor_TSRate, &n.demod), 10000u);

    // A PLP the channel does not carry: the tune's data-PLP check reports it.
    ASSERT_EQ(kit_demod_dvbt2_SetPLPConfig(&n.demod, 0, 7), KIT_RESULT_OK);
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_DataPLPError, &n.demod), 1);
    EXPECT_TRUE(n.freezeReleased());
}

TEST(KitTerrestrialOnChip, IsdbtLocksAndReportsItsLayers)
{
    Network n(850e6);
    ASSERT_EQ(n.tuneIsdbt(KIT_DTV_BW_6_MHZ).result, KIT_RESULT_OK);

    const kit_isdbt_tmcc_info_t t = value(kit_demod_isdbt_monitor_TMCCInfo, &n.demod);
    const kit_isdbt_tmcc_layer_info_t& a = t.currentInfo.layerA;
    const kit_isdbt_tmcc_layer_info_t& b = t.currentInfo.layerB;
    EXPECT_EQ(std::vector<uint32_t>({a.modulation, a.codingRate, a.ilLength, a.segmentsNum}),
              std::vector<uint32_t>({1, 1, 2, 1}));  // QPSK 2/3, one segment
    EXPECT_EQ(std::vector<uint32_t>({b.modulation, b.codingRate, b.ilLength, b.segmentsNum}),
              std::vector<uint32_t>({3, 2, 2, 12}));  // 64-QAM 3/4, twelve segments
    EXPECT_EQ(std::make_tuple(t.currentInfo.isPartial, t.currentInfo.layerC.segmentsNum, t.nextInfo.layerB.segmentsNum),
              std::make_tuple(1, 15, 12));  // layer C unused
    uint32_t mode = 9, guard = 9;
    ASSERT_EQ(kit_demod_isdbt_monitor_ModeGuard(&n.demod, &mode, &guard), KIT_RESULT_OK);
    EXPECT_EQ(std::make_pair(mode, guard), std::make_pair(1u, 2u));  // 8k in DVB-T's order, 1/8
    EXPECT_NEAR(value(kit_demod_isdbt_monitor_SNR, &n.demod), 31000, 1000);
    EXPECT_NEAR(value(kit_demod_isdbt_adv_monitor_MER, &n.demod), 31000, 1000);
    EXPECT_NEAR(value(kit_demod_isdbt_monitor_CarrierOffset, &n.demod), 0, 2);
    const kit_isdbt_layers_t rate = value(kit_demod_isdbt_monitor_TSRate, &n.demod);
    EXPECT_EQ(std::make_pair(rate.layerB, rate.layerC), std::make_pair(16851u, 0u));  // 12 segments, 64-QAM 3/4, 1/8
    EXPECT_TRUE(n.freezeReleased());

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
