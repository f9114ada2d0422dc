// Constellation samples and the channel response read from the simulated demodulator after a
// look-for: fresh samples flagged as such while locked, none (and flagged) without a signal,
// the DVB-T carrier index wrapped to the mode; the response read in the analysis unit's
// channel-response mode; a DVB-T2 PLP that never comes through skipped after a second; and
// the heap the driver holds flat over cycles through every standard.
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

DigitalChannel ofdm(int fft, const char* guard, Modulation m = Modulation::Qam64)
{
    DigitalChannel d;
    d.fftSize = fft;
    d.modulation = m;
    d.codeRate = "2/3";
    d.guardInterval = guard;
    return d;
}

DigitalChannel t2(std::vector<DigitalPlp> plps)
{
    DigitalChannel d;
    d.fftSize = 32768;
    d.guardInterval = "1/128";
    d.plps = std::move(plps);
    return d;
}

// Reads n samples through read; counts the flagged ones and keeps the distinct points.
struct Samples {
    int sampled = 0;
    int zeros = 0;
    std::set<std::pair<int, int>> points;
    int16_t maxAbs = 0;
};

template <class Read>
Samples take(int n, Read read)
{
    Samples out;
    for (int k = 0; k < n; ++k) {
        int16_t i = 77, q = 77;
        uint8_t sampled = 7;
        KxlDrvLibError e{};
        read(&e, &i, &q, &sampled);
        EXPECT_EQ(e.code, 0u);
        out.sampled += sampled;
        out.zeros += !sampled && i == 0 && q == 0;
        if (sampled) {
            out.points.insert({i, q});
            out.maxAbs = std::max<int16_t>(out.maxAbs, std::max(std::abs(i), std::abs(q)));
        }
    }
    return out;
}

} // namespace

TEST(DrvCXD2856Samples, FreshFlaggedSamplesWhileLockedAndFlaggedNoneWithout)
{
    struct Case {
        Std std;
        double hz;
        std::function<void(RfScene&)> scene;
        std::function<void(KxlDrvLibError*, int16_t*, int16_t*, uint8_t*)> read;
        int16_t scale; // the outermost point, give or take the noise
    };
    const Case cases[] = {
        {Std::DvbT, 602e6, [](RfScene& s) { s.addOfdm(602e6, 8e6, 66, standard::kDvbT, 30, ofdm(8192, "1/4")); },
         [](KxlDrvLibError* e, int16_t* i, int16_t* q, uint8_t* f) { DrvCXD2856_dvbt_read_full_iq(e, 1500, i, q, f); }, 206},
        {Std::DvbT2, 610e6, [](RfScene& s) { s.addOfdm(610e6, 8e6, 66, standard::kDvbT2, 30, t2({DigitalPlp{0, Modulation::Qam64, "2/3", 0}})); },
         [](KxlDrvLibError* e, int16_t* i, int16_t* q, uint8_t* f) { DrvCXD2856_dvbt2_read_full_iq(e, 1000, i, q, f); }, 286},
        {Std::DvbC, 474e6, [](RfScene& s) { DigitalChannel d; d.modulation = Modulation::Qam64; s.addDigital(474e6, 8e6, 66, standard::kDvbC, 36, d); },
         [](KxlDrvLibError* e, int16_t* i, int16_t* q, uint8_t* f) { DrvCXD2856_dvbc_read_full_iq(e, i, q, f); }, 55},
        {Std::DvbC2, 866e6, [](RfScene& s) { DigitalChannel d; d.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}}; s.addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, d); },
         [](KxlDrvLibError* e, int16_t* i, int16_t* q, uint8_t* f) { DrvCXD2856_dvbc2_read_full_iq(e, 1000, i, q, f); }, 295},
        {Std::IsdbT, 629e6, [](RfScene& s) { DigitalChannel d = ofdm(8192, "1/8"); d.layers = {DigitalLayer{13, Modulation::Qam64, "3/4", 2}}; s.addOfdm(629e6, 6e6, 66, standard::kIsdbT, 31, d); },
         [](KxlDrvLibError* e, int16_t* i, int16_t* q, uint8_t* f) { DrvCXD2856_isdbt_read_full_iq(e, 0, i, q, f); }, 205},
    };
    for (const Case& c : cases) {
        for (const bool signal : {true, false}) {
            FamilyBench b;
            if (signal)
                c.scene(*b.scene);
            ASSERT_EQ(b.bringUp(c.std, uint32_t(c.hz)).code, 0u);
            uint8_t locked = 0;
            FamilyBench::lookFor(c.std, &locked);
            ASSERT_EQ(locked, signal ? 1 : 0) << int(c.std);
            const uint64_t start = b.nowMs();
            const Samples got = take(40, c.read);
            if (signal) {
                EXPECT_EQ(got.sampled, 40) << int(c.std);
                EXPECT_GT(got.points.size(), 20u) << int(c.std) << ": samples are drawn afresh";
                EXPECT_LE(got.maxAbs, c.scale * 3 / 2) << int(c.std);
                EXPECT_GE(got.maxAbs, c.scale / 2) << int(c.std);
            } else if (c.std != Std::DvbC) {
                EXPECT_EQ(got.sampled, 0) << int(c.std);
                EXPECT_EQ(got.zeros, 40) << int(c.std);
                // Each empty read gives up at its limit: none waits past a second.
                EXPECT_LE(b.nowMs() - start, 40u * 1000) << int(c.std);
            }
            EXPECT_TRUE(b.freezeReleased());
        }
    }
}

TEST(DrvCXD2856Samples, DvbtCarrierIndexGoesRoundTheCarriersOfTheMode)
{
    for (const auto& c : {std::tuple<int, uint32_t, uint32_t>{2048, 1800, 95}, {2048, 1704, 1704}, {8192, 1800, 1800},
                          {8192, 6817, 0}}) {
        FamilyBench b;
        b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 30, ofdm(std::get<0>(c), "1/4"));
        ASSERT_EQ(b.bringUp(Std::DvbT, 602000000).code, 0u);
        uint8_t locked = 0, sampled = 0;
        FamilyBench::lookFor(Std::DvbT, &locked);
        ASSERT_EQ(locked, 1);
        KxlDrvLibError e{};
        int16_t i = 0, q = 0;
        DrvCXD2856_dvbt_read_full_iq(&e, std::get<1>(c), &i, &q, &sampled);
        EXPECT_EQ(sampled, 1);
        const uint32_t written = (b.chip->slvtRegister(0x11, 0x98) & 0x1F) << 8 | b.chip->slvtRegister(0x11, 0x99);
        EXPECT_EQ(written, std::get<2>(c)) << std::get<0>(c) << " carrier " << std::get<1>(c);
    }
}

TEST(DrvCXD2856Samples, ChannelResponseInItsModeWithTheEchoesOfTheChannel)
{
    struct Case {
        Std std;
        double hz;
        uint8_t bank;
        std::function<void(KxlDrvLibError*, int32_t, uint32_t, uint8_t*, int32_t*)> read;
    };
    const Case cases[] = {
        {Std::DvbT, 602e6, 0x11, DrvCXD2856_dvbt_read_channelresponse},
        {Std::DvbT2, 610e6, 0x21, DrvCXD2856_dvbt2_read_channelresponse},
        {Std::IsdbT, 629e6, 0x11, DrvCXD2856_isdbt_read_channelresponse},
        {Std::DvbC2, 866e6, 0x21, DrvCXD2856_dvbc2_read_channelresponse},
    };
    for (const Case& c : cases) {
        FamilyBench b;
        DigitalChannel d = c.std == Std::DvbT2 ? t2({DigitalPlp{0, Modulation::Qam64, "2/3", 0}}) : ofdm(8192, "1/8");
        if (c.std == Std::IsdbT)
            d.layers = {DigitalLayer{13, Modulation::Qam64, "3/4", 2}};
        if (c.std == Std::DvbC2)
            d.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}};
        d.signalling["echo0Point"] = 40;
        d.signalling["echo0Db"] = 10;
        d.signalling["echo1Point"] = 300;
        d.signalling["echo1Db"] = 20;
        const char* name = c.std == Std::DvbT ? standard::kDvbT : c.std == Std::DvbT2 ? standard::kDvbT2
                         : c.std == Std::IsdbT ? standard::kIsdbT : standard::kDvbC2;
        b.scene->addOfdm(c.hz, c.std == Std::IsdbT ? 6e6 : 8e6, 66, name, 40, d);
        ASSERT_EQ(b.bringUp(c.std, uint32_t(c.hz)).code, 0u);
        uint8_t locked = 0;
        FamilyBench::lookFor(c.std, &locked);
        ASSERT_EQ(locked, 1) << int(c.std);
        KxlDrvLibError e{};
        uint8_t valid = 0;
        int32_t level = 0;
        struct Point {
            uint32_t index;
            int32_t level;
        };
        // The direct path, the echoes 10 and 20 dB below it, the floor 40 dB below give or take.
        for (const Point& p : {Point{0, 301}, Point{40, 201}, Point{300, 101}}) {
            c.read(&e, 1, p.index, &valid, &level);
            EXPECT_EQ(valid, 1) << int(c.std);
            EXPECT_EQ(level, p.level) << int(c.std) << " point " << p.index;
        }
        c.read(&e, 1, 500, &valid, &level);
        EXPECT_NEAR(level, -99, 20) << int(c.std);
        EXPECT_EQ(e.code, 0u);
        EXPECT_EQ(FamilyBench::s().measure_mode, uint32_t(DRVCXD2856_MEASURE_CHANNEL_RESPONSE));
        EXPECT_EQ(b.chip->slvtRegister(c.bank, 0xC3), 1);
        EXPECT_EQ(b.chip->slvtRegister(c.bank, 0xC4), 1);
        // A new response mode is written, the measure mode is not again.
        c.read(&e, 0, 0, &valid, &level);
        EXPECT_EQ(b.chip->slvtRegister(c.bank, 0xC4), 0);
        EXPECT_EQ(FamilyBench::s().response_mode, 0);
        // Back to samples: the analysis unit leaves the response.
        EXPECT_TRUE(b.freezeReleased());
    }
}

TEST(DrvCXD2856Samples, ChannelResponseOfALostSignalHasNoLevel)
{
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

TEST(DrvCXD2856Samples, AT2PlpThatNeverComesThroughIsSkippedAfterASecond)
{
    FamilyBench b;
    b.scene->addOfdm(610e6, 8e6, 66, standard::kDvbT2, 33,
                     t2({DigitalPlp{0, Modulation::Qam256, "2/3", 0}, DigitalPlp{5, Modulation::Qam16, "1/2", 0}}));
    ASSERT_EQ(b.bringUp(Std::DvbT2, 610000000).code, 0u);
    // The chip keeps presenting the first PLP whatever is selected.
    b.board->faults().stickRegister(Device::i2c(0x6C), bankedRegister(0x22, 0x54), 0);
    const uint64_t start = b.nowMs();
    uint8_t locked = 0;
    FamilyBench::lookFor(Std::DvbT2, &locked);
    const uint64_t took = b.nowMs() - start;
    EXPECT_EQ(locked, 1);
    EXPECT_GE(took, 1000u);
    EXPECT_LT(took, 3000u);
    const kit_dvbt2_plp_t* plps = nullptr;
    ASSERT_EQ(DrvCXD2856_dvbt2_get_L1post_plp(&plps), 1u);
    EXPECT_EQ(plps[1].id, 5);
    EXPECT_EQ(plps[1].constell, 0u) << "the record of a PLP never presented stays empty";
    EXPECT_EQ(DrvCXD2856_dvbt2_get_plp_id(), 0u);
}

TEST(DrvCXD2856Samples, AC2PlpWhoseParametersNeverShowIsSkippedAfterASecond)
{
    FamilyBench b;
    DigitalChannel c2;
    c2.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}, DigitalPlp{2, Modulation::Qam1024, "3/4", 0}};
    b.scene->addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, c2);
    ASSERT_EQ(b.bringUp(Std::DvbC2, 866000000).code, 0u);
    b.board->faults().stickRegister(Device::i2c(0x6C), bankedRegister(0x52, 0x16), 0);
    const uint64_t start = b.nowMs();
    uint8_t locked = 7;
    FamilyBench::lookFor(Std::DvbC2, &locked);
    const uint64_t took = b.nowMs() - start;
    EXPECT_EQ(locked, 0);
    EXPECT_FALSE(b.tsOutputOn());
    // Both PLPs tried, a second each, then given up.
    EXPECT_GE(took, 2000u);
    EXPECT_LT(took, 15000u);
    EXPECT_EQ(FamilyBench::s().dvbc2.plp_records, 2u);
}

TEST(DrvCXD2856Samples, HeapHeldStaysFlatOverCyclesThroughEveryStandard)
{
    FamilyBench b;
    b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 32, ofdm(8192, "1/4"));
    b.scene->addOfdm(610e6, 8e6, 66, standard::kDvbT2, 33,
                     t2({DigitalPlp{0, Modulation::Qam256, "2/3", 0}, DigitalPlp{5, Modulation::Qam16, "1/2", 0}}));
    DigitalChannel qam;
    qam.modulation = Modulation::Qam256;
    b.scene->addDigital(474e6, 8e6, 66, standard::kDvbC, 38, qam);
    DigitalChannel c2;
    c2.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}, DigitalPlp{2, Modulation::Qam1024, "3/4", 0}};
    b.scene->addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, c2);
    b.scene->addDigital(573e6, 6e6, 64, standard::kJ83B, 36, qam);
    DigitalChannel isdbt = ofdm(8192, "1/8");
    isdbt.layers = {DigitalLayer{13, Modulation::Qam64, "3/4", 2}};
    b.scene->addOfdm(629e6, 6e6, 66, standard::kIsdbT, 31, isdbt);
    b.scene->addSatellite(1550e6, 27500000, standard::kDvbS, 12);
    struct Step {
        Std std;
        uint32_t hz;
    };
    const Step steps[] = {{Std::DvbC, 474000000},  {Std::J83b, 573000000},   {Std::DvbC2, 866000000},
                          {Std::DvbT, 602000000},  {Std::DvbT2, 610000000},  {Std::IsdbT, 629000000},
                          {Std::DvbS, 1550000000}, {Std::DvbS2, 1550000000}, {Std::DvbT2, 650000000}};
    const uint32_t before = EMBEDDEDRTOS_blocks_in_use();
    std::vector<uint32_t> held;
    for (int cycle = 0; cycle < 3; ++cycle) {
        for (size_t k = 0; k < std::size(steps); ++k) {
            ASSERT_EQ(b.bringUp(steps[k].std, steps[k].hz).code, 0u);
            uint8_t locked = 0;
            FamilyBench::lookFor(steps[k].std, &locked, 27500);
            FamilyBench::initMeasures(steps[k].std);
            b.tick(3);
            const uint32_t blocks = EMBEDDEDRTOS_blocks_in_use();
            if (cycle == 0)
                held.push_back(blocks);
            else
                EXPECT_EQ(blocks, held[k]) << "cycle " << cycle << " step " << k;
        }
    }
    DrvCXD2856_m_release_standards(&FamilyBench::s());
    EXPECT_EQ(EMBEDDEDRTOS_blocks_in_use(), before);
}

TEST(DrvCXD2856Samples, AnExhaustedHeapLeavesTheSearchWithoutItsListsAndSaysSo)
{
    struct Case {
        Std std;
        double hz;
        const char* text;
    };
    const Case cases[] = {{Std::DvbT2, 610e6, DRVCXD2856_TEXT_HEAP_DVBT2}, {Std::DvbC2, 866e6, DRVCXD2856_TEXT_HEAP_DVBC2}};
    for (const Case& c : cases) {
        FamilyBench b;
        b.scene->addOfdm(610e6, 8e6, 66, standard::kDvbT2, 33, t2({DigitalPlp{0, Modulation::Qam256, "2/3", 0}}));
        DigitalChannel c2;
        c2.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}};
        b.scene->addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, c2);
        ASSERT_EQ(b.bringUp(c.std, uint32_t(c.hz)).code, 0u);
        EMBEDDEDRTOS_fail_allocations(5);
        uint8_t locked = 7;
        const KxlDrvLibError e = FamilyBench::lookFor(c.std, &locked);
        EMBEDDEDRTOS_fail_allocations(0);
        EXPECT_EQ(e.code, 10u) << int(c.std);
        EXPECT_STREQ(e.text, c.text);
        EXPECT_TRUE(b.freezeReleased());
    }
}
