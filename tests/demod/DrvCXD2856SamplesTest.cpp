// Constellation samples and the channel response read from the simulated demodulator after a
// look-for: fresh samples flagged as such while locked, none (and flagged) without a signal,
// the DVB-T carrier index wrapped to the mode; the response read in the analysis unit's
// channel-response mode; PLPs that never come through skipped after a second; and the heap
// the driver holds flat over cycles through every standard, or short of it.
#include "FamilyBench.h"

#include "demod/DrvCXD2856_adjust.h"
#include "demod/DrvDefCodes.h"
#include "demod/embedded_rtos.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace platform::sim;
using namespace drivertest;

namespace {

using Read = KxlDrvLibError* (*)(KxlDrvLibError*, int16_t*, int16_t*, uint8_t*);

// A sample reader of the standards that take a carrier or layer first.
template <auto Reader, auto First>
KxlDrvLibError* at(KxlDrvLibError* e, int16_t* i, int16_t* q, uint8_t* sampled)
{
    return Reader(e, First, i, q, sampled);
}

// The channel of each case, with a single-PLP or single-layer variant where the scale needs it.
DigitalChannel sampledChannel(Std std)
{
    DigitalChannel d = std == Std::DvbT2 ? dvbt2Channel({DigitalPlp{0, Modulation::Qam64, "2/3", 0}})
                     : std == Std::DvbC  ? qam(Modulation::Qam64)
                     : std == Std::DvbC2 ? dvbc2Channel()
                                         : dvbtChannel();
    if (std == Std::IsdbT)
        d.guardInterval = "1/8", d.layers = {DigitalLayer{13, Modulation::Qam64, "3/4", 2}};
    return d;
}

void addSampled(RfScene& scene, Std std, double merDb, DigitalChannel d)
{
    const char* names[] = {standard::kDvbT, standard::kDvbT2, standard::kDvbC, standard::kDvbC2,
                           standard::kJ83B, standard::kDvbS,  standard::kDvbS2, standard::kIsdbT};
    if (std == Std::DvbC)
        scene.addDigital(channelHz(std), 8e6, 66, names[int(std)], merDb, d);
    else
        scene.addOfdm(channelHz(std), std == Std::IsdbT ? 6e6 : 8e6, 66, names[int(std)], merDb, d);
}

} // namespace

TEST(DrvCXD2856Samples, FreshFlaggedSamplesWhileLockedAndFlaggedNoneWithout)
{
    struct Case {
        Std std;
        Read read;
        int16_t scale; // the outermost point, give or take the noise
    };
    const Case cases[] = {
        {Std::DvbT, at<DrvCXD2856_dvbt_read_full_iq, 1500u>, 206},
        {Std::DvbT2, at<DrvCXD2856_dvbt2_read_full_iq, 1000u>, 286},
        {Std::DvbC, DrvCXD2856_dvbc_read_full_iq, 55},
        {Std::DvbC2, at<DrvCXD2856_dvbc2_read_full_iq, 1000u>, 295},
        {Std::IsdbT, at<DrvCXD2856_isdbt_read_full_iq, 0u>, 205},
    };
    for (const Case& c : cases) {
        for (const bool signal : {true, false}) {
            SCOPED_TRACE(testing::Message() << "standard " << int(c.std) << (signal ? " on air" : " off air"));
            FamilyBench b;
            if (signal)
                addSampled(*b.scene, c.std, 30, sampledChannel(c.std));
            ASSERT_EQ(b.bringUp(c.std, uint32_t(channelHz(c.std))).code, 0u);
            uint8_t locked = 0;
            FamilyBench::lookFor(c.std, &locked);
            ASSERT_EQ(locked, signal ? 1 : 0);
            const uint64_t start = b.nowMs();
            int sampled = 0, zeros = 0;
            int16_t maxAbs = 0;
            std::set<std::pair<int, int>> points;
            for (int k = 0; k < 40; ++k) {
                int16_t i = 77, q = 77;
                uint8_t flag = 7;
                KxlDrvLibError e{};
                c.read(&e, &i, &q, &flag);
                EXPECT_EQ(e.code, 0u);
                sampled += flag;
                zeros += !flag && i == 0 && q == 0;
                if (flag) {
                    points.insert({i, q});
                    maxAbs = std::max<int16_t>(maxAbs, std::max(std::abs(i), std::abs(q)));
                }
            }
            if (signal) {
                EXPECT_EQ(sampled, 40);
                EXPECT_GT(points.size(), 20u) << "samples are drawn afresh";
                EXPECT_LE(maxAbs, c.scale * 3 / 2);
                EXPECT_GE(maxAbs, c.scale / 2);
            } else if (c.std != Std::DvbC) {
                EXPECT_EQ(sampled, 0);
                EXPECT_EQ(zeros, 40);
                // Each empty read gives up at its limit: none waits past a second.
                EXPECT_LE(b.nowMs() - start, 40u * 1000);
            }
            EXPECT_TRUE(b.freezeReleased());
        }
    }
}

TEST(DrvCXD2856Samples, DvbtCarrierIndexGoesRoundTheCarriersOfTheMode)
{
    for (const auto& [fft, asked, written] : {std::tuple<int, uint32_t, uint32_t>{2048, 1800, 95}, {2048, 1704, 1704},
                                              {8192, 1800, 1800}, {8192, 6817, 0}}) {
        FamilyBench b;
        b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 30, dvbtChannel(fft));
        ASSERT_TRUE(b.locksOn(Std::DvbT, 602000000));
        uint8_t sampled = 0;
        KxlDrvLibError e{};
        int16_t i = 0, q = 0;
        DrvCXD2856_dvbt_read_full_iq(&e, asked, &i, &q, &sampled);
        EXPECT_EQ(sampled, 1);
        EXPECT_EQ((b.chip->slvtRegister(0x11, 0x98) & 0x1F) << 8 | b.chip->slvtRegister(0x11, 0x99), int(written))
            << fft << " carrier " << asked;
    }
}

TEST(DrvCXD2856Samples, ChannelResponseInItsModeWithTheEchoesOfTheChannel)
{
    using Response = KxlDrvLibError* (*)(KxlDrvLibError*, int32_t, uint32_t, uint8_t*, int32_t*);
    const std::tuple<Std, uint8_t, Response> cases[] = {
        {Std::DvbT, 0x11, DrvCXD2856_dvbt_read_channelresponse},
        {Std::DvbT2, 0x21, DrvCXD2856_dvbt2_read_channelresponse},
        {Std::IsdbT, 0x11, DrvCXD2856_isdbt_read_channelresponse},
        {Std::DvbC2, 0x21, DrvCXD2856_dvbc2_read_channelresponse},
    };
    for (const auto& [std, bank, read] : cases) {
        SCOPED_TRACE(int(std));
        FamilyBench b;
        DigitalChannel d = sampledChannel(std);
        d.guardInterval = std == Std::DvbT2 ? "1/128" : "1/8";
        d.signalling = {{"echo0Point", 40}, {"echo0Db", 10}, {"echo1Point", 300}, {"echo1Db", 20}};
        addSampled(*b.scene, std, 40, d);
        ASSERT_TRUE(b.locksOn(std, uint32_t(channelHz(std))));
        uint8_t valid = 0;
        KxlDrvLibError e{};
        int32_t level = 0;
        // The direct path, the echoes 10 and 20 dB below it, the floor 40 dB below give or take.
        for (const auto& [index, expected] : {std::pair<uint32_t, int32_t>{0, 301}, {40, 201}, {300, 101}}) {
            read(&e, 1, index, &valid, &level);
            EXPECT_EQ(valid, 1);
            EXPECT_EQ(level, expected) << "point " << index;
        }
        read(&e, 1, 500, &valid, &level);
        EXPECT_NEAR(level, -99, 20);
        EXPECT_EQ(e.code, 0u);
        EXPECT_EQ(FamilyBench::s().measure_mode, uint32_t(DRVCXD2856_MEASURE_CHANNEL_RESPONSE));
        EXPECT_EQ(b.chip->slvtRegister(bank, 0xC3), 1);
        EXPECT_EQ(b.chip->slvtRegister(bank, 0xC4), 1);
        // A new response mode is written, the measure mode is not again.
        read(&e, 0, 0, &valid, &level);
        EXPECT_EQ(b.chip->slvtRegister(bank, 0xC4), 0);
        EXPECT_EQ(FamilyBench::s().response_mode, 0);
        EXPECT_TRUE(b.freezeReleased());
    }

    // A lost signal: no level, within a second.
    FamilyBench b;
    ASSERT_EQ(b.bringUp(Std::DvbT, 602000000).code, 0u);
    KxlDrvLibError e{};
    uint8_t valid = 7;
    int32_t level = 0;
    const uint64_t start = b.nowMs();
    DrvCXD2856_dvbt_read_channelresponse(&e, 1, 0, &valid, &level);
    EXPECT_EQ(valid, 0);
    EXPECT_EQ(level, -350);
    EXPECT_LE(b.nowMs() - start, 1000u);
    EXPECT_EQ(e.code, 0u);
}

TEST(DrvCXD2856Samples, PlpsThatNeverComeThroughAreSkippedAfterASecond)
{
    // T2: the chip keeps presenting the first PLP whatever is selected; the record of the
    // PLP never presented stays empty. C2: the PLP parameters never show; both PLPs are tried
    // a second each, then given up.
    for (const Std std : {Std::DvbT2, Std::DvbC2}) {
        SCOPED_TRACE(int(std));
        FamilyBench b;
        standardScene(*b.scene);
        ASSERT_EQ(b.bringUp(std, uint32_t(channelHz(std))).code, 0u);
        b.board->faults().stickRegister(Device::i2c(0x6C), std == Std::DvbT2 ? bankedRegister(0x22, 0x54)
                                                                             : bankedRegister(0x52, 0x16), 0);
        const uint64_t start = b.nowMs();
        uint8_t locked = 7;
        FamilyBench::lookFor(std, &locked);
        const uint64_t took = b.nowMs() - start;
        if (std == Std::DvbT2) {
            EXPECT_EQ(locked, 1);
            EXPECT_GE(took, 1000u);
            EXPECT_LT(took, 3000u);
            const kit_dvbt2_plp_t* plps = nullptr;
            ASSERT_EQ(DrvCXD2856_dvbt2_get_L1post_plp(&plps), 1u);
            EXPECT_EQ(plps[1].id, 5);
            EXPECT_EQ(plps[1].constell, 0u);
            EXPECT_EQ(DrvCXD2856_dvbt2_get_plp_id(), 0u);
        } else {
            EXPECT_EQ(locked, 0);
            EXPECT_FALSE(b.tsOutputOn());
            EXPECT_GE(took, 2000u);
            EXPECT_LT(took, 15000u);
            EXPECT_EQ(FamilyBench::s().dvbc2.plp_records, 2u);
        }
    }
}

TEST(DrvCXD2856Samples, HeapHeldStaysFlatOverCyclesThroughEveryStandard)
{
    FamilyBench b;
    standardScene(*b.scene);
    // DVB-S2 on the DVB-S carrier and DVB-T2 where there is none: searches that fail count too.
    const std::pair<Std, uint32_t> steps[] = {
        {Std::DvbC, 474000000},  {Std::J83b, 573000000},  {Std::DvbC2, 866000000},  {Std::DvbT, 602000000},
        {Std::DvbT2, 610000000}, {Std::IsdbT, 629000000}, {Std::DvbS, 1550000000}, {Std::DvbS2, 1550000000},
        {Std::DvbT2, 650000000}};
    const uint32_t before = EMBEDDEDRTOS_blocks_in_use();
    std::vector<uint32_t> held;
    for (int cycle = 0; cycle < 3; ++cycle) {
        for (size_t k = 0; k < std::size(steps); ++k) {
            ASSERT_EQ(b.bringUp(steps[k].first, steps[k].second).code, 0u);
            uint8_t locked = 0;
            FamilyBench::lookFor(steps[k].first, &locked, 27500);
            FamilyBench::initMeasures(steps[k].first);
            b.tick(3);
            if (cycle == 0)
                held.push_back(EMBEDDEDRTOS_blocks_in_use());
            else
                EXPECT_EQ(EMBEDDEDRTOS_blocks_in_use(), held[k]) << "cycle " << cycle << " step " << k;
        }
    }
    DrvCXD2856_m_release_standards(&FamilyBench::s());
    EXPECT_EQ(EMBEDDEDRTOS_blocks_in_use(), before);

    // An exhausted heap leaves the T2 and C2 searches without their lists, and they say so.
    for (const auto& [std, text] : {std::pair<Std, const char*>{Std::DvbT2, DRVCXD2856_TEXT_HEAP_DVBT2},
                                    {Std::DvbC2, DRVCXD2856_TEXT_HEAP_DVBC2}}) {
        ASSERT_EQ(b.bringUp(std, uint32_t(channelHz(std))).code, 0u);
        EMBEDDEDRTOS_fail_allocations(5);
        uint8_t locked = 7;
        const KxlDrvLibError e = FamilyBench::lookFor(std, &locked);
        EMBEDDEDRTOS_fail_allocations(0);
        EXPECT_EQ(e.code, 10u) << int(std);
        EXPECT_STREQ(e.text, text);
        EXPECT_TRUE(b.freezeReleased());
    }
}
