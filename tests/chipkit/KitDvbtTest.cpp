// DVB-T on the fake register files: tune, retune and sleep trails, TPS decoding, error rates at
// their windows, quality at the rule's points, SNR, MER, offsets, and the analysis ranges and
// delay axis.
#include "TerrBench.h"
#include "chipkit/kit_demod_dvbt.h"
#include "chipkit/kit_demod_dvbt_monitor.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

using namespace kittest;

namespace {

struct TBench : TerrBench {
    TBench()
    {
        activeOn(KIT_DTV_SYSTEM_DVBT, KIT_DTV_BW_8_MHZ);
        set(SLVT, 0x10, 0x10, {0x26});
    }
};

} // namespace

TEST(KitDvbtTune, FromSleepRetuneAndSleep)
{
    TerrBench b;
    const auto clock = b.clockWrites(KIT_DTV_SYSTEM_DVBT);
    const auto on = b.pinWrites(0);
    const auto off = b.pinWrites(1);
    const kit_dvbt_tune_param_t p8 = {650000, KIT_DTV_BW_8_MHZ, KIT_DVBT_PROFILE_HP};
    ASSERT_EQ(kit_demod_dvbt_Tune(&b.demod, &p8), 0u);
    const std::vector<Step> expected =
        clock + coreWake(0x01) +
        std::vector<Step>{W(SLVT, 0x11, 0x6A, 0x50), W(SLVT, 0x10, 0xA5, 1), W(SLVT, 0x18, 0x31, 1), W(SLVT, 0, 0xCE, 1),
                          W(SLVT, 0, 0xCF, 1)} +
        burst(SLVT, 0x11, 0x33, {0, 3, 0x3B}) + burst(SLVT, 0x13, 0x9C, {1, 0x14}) +
        burst(SLVT, 0x10, 0x9F, {0x15, 0, 0, 0, 0}) +
        burst(SLVT, 0x10, 0xA6, {0x2F, 0xBA, 0x28, 0x9B, 0x28, 0x9D, 0x28, 0xA1, 0x29, 0xA5, 0x2A, 0xAC, 0x29, 0xB5}) +
        burst(SLVT, 0x10, 0xB6, {0x19, 0x99, 0x9A}) + std::vector<Step>{W(SLVT, 0x10, 0xD7, 0)} +
        burst(SLVT, 0x10, 0xD9, {0x15, 0x28}) + burst(SLVT, 0x17, 0x38, {1, 2}) +
        std::vector<Step>{W(SLVT, 0, 0x80, 0x08)} + on;
    EXPECT_EQ(b.i2c.trail(), expected);

    // While active only the band's values change, behind the TS output switched off.
    for (auto [bw, r9f, ra6, rd7, rda, r39] : {std::array<int, 6>{5, 0x21, 0x31, 6, 0xC2, 3}, {7, 0x18, 0x30, 2, 0xF8, 3}}) {
        b.i2c.clearLog();
        const kit_dvbt_tune_param_t p = {650000, kit_dtv_bandwidth_t(bw), KIT_DVBT_PROFILE_HP};
        ASSERT_EQ(kit_demod_dvbt_Tune(&b.demod, &p), 0u);
        EXPECT_EQ(std::make_tuple(b.i2c.writes().front(), b.i2c.reg(SLVT, 0x10, 0x9F), b.i2c.reg(SLVT, 0x10, 0xA6),
                                  b.i2c.reg(SLVT, 0x10, 0xD7), b.i2c.reg(SLVT, 0x10, 0xDA), b.i2c.reg(SLVT, 0x17, 0x39)),
                  std::make_tuple(W(SLVT, 0, 0xC3, 1), r9f, ra6, rd7, rda, r39)) << bw;
    }
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Sleep(&b.demod), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1), W(SLVT, 0, 0x80, 0x1F)} + off +
                               burst(SLVT, 0x17, 0x38, {1, 2}) + std::vector<Step>{W(SLVT, 0x18, 0x31, 0)} +
                               coreSleep()));

    // 1.7 MHz belongs to DVB-T2 only: refused before any write, the handle still asleep.
    b.i2c.clearLog();
    const kit_dvbt_tune_param_t p17 = {650000, KIT_DTV_BW_1_7_MHZ, KIT_DVBT_PROFILE_HP};
    EXPECT_EQ(kit_demod_dvbt_Tune(&b.demod, &p17), 3u);
    EXPECT_TRUE(b.i2c.writes().empty());
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_SLEEP);
}

TEST(KitDvbtMonitor, TpsModeGuardSenseAndErrorRatesAtTheirWindows)
{
    TBench b;
    b.set(SLVT, 0x10, 0x2F, {0x81, 0x3A, 0x9F, 0x12, 0x34, 0xC5, 0x2A});
    kit_dvbt_tpsinfo_t tps = value(kit_demod_dvbt_monitor_TPSInfo, &b.demod);
    EXPECT_EQ((std::vector<uint32_t>{tps.constellation, tps.hierarchy, tps.rateHP, tps.rateLP, tps.guard, tps.mode,
                                     tps.fnum, tps.lengthIndicator, tps.cellID, tps.reservedEven, tps.reservedOdd}),
              (std::vector<uint32_t>{2, 0, 1, 1, 3, 1, 2, 31, 0x1234, 5, 0x2A}));
    b.set(SLVT, 0x10, 0x40, {0x0E});
    uint32_t mode = 0, guard = 0;
    ASSERT_EQ(kit_demod_dvbt_monitor_ModeGuard(&b.demod, &mode, &guard), 0u);
    EXPECT_EQ(std::make_pair(mode, guard), std::make_pair(3u, 2u));

    const Monitor sense = monitor(kit_demod_dvbt_monitor_SpectrumSense), rs = monitor(kit_demod_dvbt_monitor_PreRSBER),
                  viterbi = monitor(kit_demod_dvbt_monitor_PreViterbiBER), per = monitor(kit_demod_dvbt_monitor_PER),
                  packets = monitor(kit_demod_dvbt_monitor_PacketErrorNumber);
    // Pre-RS: errors over 204-byte (1632-bit) packets, 2^p of them.
    auto rsOf = [](std::vector<int> count, int p) { return std::vector<Bytes>{{0x10, 0x62, count}, {0x10, 0x60, {p}}}; };
    auto viterbiOf = [](int valid, std::vector<int> count, int p) {
        return std::vector<Bytes>{{0x10, 0x39, {valid}}, {0x10, 0x22, count}, {0x10, 0x6F, {p}}};
    };
    expectReadings(b, {
        {{{0x10, 0x3F, {0x01}}}, sense, 0, 1},
        {rsOf({0x80, 0, 16}, 0), rs, 0, 98039}, {rsOf({0x80, 0x06, 0x60}, 0), rs, 0, 10000000},
        {rsOf({0x80, 0x06, 0x61}, 0), rs, 4, 0},
        {rsOf({0xBF, 0xFF, 0xFF}, 0x1F), rs, 0, 12},  // 2^22 over 2^31 packets
        {rsOf({0x00, 0, 1}, 0), rs, 4, 0},
        {viterbiOf(1, {0, 1}, 0), viterbi, 0, 39063}, {viterbiOf(1, {1, 1}, 0), viterbi, 4, 0},
        {viterbiOf(1, {0xFF, 0xFF}, 7), viterbi, 0, 1249981}, {viterbiOf(0, {0, 1}, 0), viterbi, 4, 0},
        {{{0x10, 0x5C, {4, 1, 0, 1}}}, per, 0, 62500}, {{{0x10, 0x5C, {4, 1, 0, 16}}}, per, 0, 1000000},
        {{{0x10, 0x5C, {4, 1, 0, 17}}}, per, 4, 0},
        {{{0x10, 0xEA, {0x01, 0x02, 1}}}, packets, 0, 0x0102}, {{{0x10, 0xEA, {0x01, 0x02, 0}}}, packets, 4, 0},
    });
    b.demod.ifSpectrumInverted = 1;
    expectReadings(b, {{{}, sense, 0, 0}});

    // The averaged pre-RS BER over the history: 16 errors in 1 packet window, 16 in 2.
    b.set(SLVT, 0x02, 0x10, {0x80, 0, 16, 0, 0x80, 0, 16, 1, 0});
    const Monitor averaged = monitor(kit_demod_dvbt_monitor_AveragedPreRSBER);
    expectReadings(b, {{{{0x10, 0x84, {0x01, 0x00}}}, averaged, 0, 65359},
                       {{{0x10, 0x84, {0x00, 0x00}}, {0x10, 0x60, {2}}}, averaged, 0, 24510}});  // 32 over 2 x 4

    b.set(SLVT, 0x10, 0x10, {0x25});  // sync state 5: no TPS yet
    tps.mode = 77;
    EXPECT_EQ(kit_demod_dvbt_monitor_TPSInfo(&b.demod, &tps), 4u);
    EXPECT_EQ(tps.mode, 77u);
    EXPECT_EQ(kit_demod_dvbt_monitor_ModeGuard(&b.demod, &mode, &guard), 4u);
    EXPECT_FALSE(b.frozen());
    b.activeOn(KIT_DTV_SYSTEM_DVBT2, KIT_DTV_BW_8_MHZ);
    EXPECT_EQ(kit_demod_dvbt_monitor_TPSInfo(&b.demod, &tps), 3u);
}

TEST(KitDvbtMonitor, QualitySnrAndMer)
{
    // 64-QAM 2/3 needs 18.7 dB.
    const struct {
        uint32_t constellation, hierarchy, rate, ber;
        int32_t snr;
        kit_result_t result;
        uint8_t quality;
    } cases[] = {
        {2, 0, 1, 0, 21700, 0, 100},     {2, 0, 1, 1000, 21700, 0, 40},  {2, 0, 1, 10000, 30000, 0, 20},
        {2, 0, 1, 10001, 30000, 0, 0},   {2, 0, 1, 1, 16700, 0, 50},     {2, 0, 1, 0, 11700, 0, 0},
        {2, 0, 1, 0, 11699, 0, 0},       {0, 0, 0, 0, 8100, 0, 100},     {1, 1, 1, 0, 30000, 8, 77},
        {0, 1, 1, 0, 30000, 10, 77},     {3, 0, 1, 0, 30000, 10, 77},    {2, 0, 5, 0, 30000, 10, 77},
        {2, 4, 1, 0, 30000, 10, 77},
    };
    for (const auto& c : cases) {
        kit_dvbt_tpsinfo_t tps = {};
        tps.constellation = c.constellation, tps.hierarchy = c.hierarchy, tps.rateHP = c.rate;
        uint8_t q = 77;
        EXPECT_EQ(std::make_pair(kit_demod_dvbt_CalcQuality(&tps, c.ber, c.snr, &q), q), std::make_pair(c.result, c.quality))
            << c.ber << " " << c.snr;
    }

    TBench b;
    const Monitor snr = monitor(kit_demod_dvbt_monitor_SNR), mer = monitor(kit_demod_dvbt_adv_monitor_MER);
    std::vector<Reading> rows;
    for (auto [v, snrValue, merValue] : {std::tuple{1, -8700, -11711}, {2000, 26300, 21289}, {4996, 40000, 25289},
                                         {6000, 40000, 25989}, {0, 0, 0}}) {
        const std::vector<Bytes> regs = {{0x10, 0x28, {v >> 8, v & 0xFF}}, {0x10, 0x2C, {v >> 8, v & 0xFF}}};
        rows.push_back({regs, snr, v ? 0u : 4u, snrValue});
        rows.push_back({regs, mer, v ? 0u : 4u, merValue});
    }
    // The averaged SNR; the quality through the chip: 64-QAM 2/3, 26.3 dB, no errors, then hierarchical.
    b.set(SLVT, 0x02, 0x30, {1, 0x07, 0xD0, 0});
    rows.push_back({{}, monitor(kit_demod_dvbt_monitor_AveragedSNR), 0, 26300});
    const Monitor quality = monitor(kit_demod_dvbt_monitor_Quality);
    rows.push_back({{{0x10, 0x28, {0x07, 0xD0}}, {0x10, 0x2F, {0x81, 0x3A, 0x1F}}, {0x10, 0x62, {0x80, 0, 0}}},
                    quality, 0, 100});
    rows.push_back({{{0x10, 0x2F, {0x89}}}, quality, 8, 0});
    expectReadings(b, rows);
}

TEST(KitDvbtMonitor, OffsetsAndAgc)
{
    TBench b;
    const Monitor offset = monitor(kit_demod_dvbt_monitor_CarrierOffset);
    auto word = [](uint32_t x) {
        return std::vector<Bytes>{{0x10, 0x4C, {int(x >> 24), int(x >> 16) & 0xFF, int(x >> 8) & 0xFF, int(x) & 0xFF}}};
    };
    const struct {
        kit_dtv_bandwidth_t bw;
        uint32_t x, inverted;
        kit_result_t result;
        int32_t offset;
    } cases[] = {{8, 235, 0, 0, -8},          {5, 235, 0, 0, -5},              {8, 0x1FFFFF15, 0, 0, 8},
                 {8, 235, 1, 0, 8},           {8, 0x0FFFFFFF, 0, 0, -9138228}, {1, 235, 0, 3, 0}};
    for (const auto& c : cases) {
        b.demod.bandwidth = c.bw;
        b.demod.ifSpectrumInverted = c.inverted;
        expectReadings(b, {{word(c.x), offset, c.result, c.offset}});
    }
    b.demod.bandwidth = KIT_DTV_BW_8_MHZ;
    expectReadings(b, {
        {{{0x10, 0x52, {0x15, 0, 0, 0x10, 0}}, {0x10, 0x9F, {0x15, 0, 0, 0, 0}}},
         monitor(kit_demod_dvbt_monitor_SamplingOffset), 0, 5},
        {{{0x10, 0x26, {0xF5, 0x67}}}, monitor(kit_demod_dvbt_monitor_IFAGCOut), 0, 0x567},
    });
}

TEST(KitDvbtMonitor, AnalysisRangesAndDelayAxis)
{
    TBench b;
    const struct {
        int modeGuard;
        uint8_t tap;
        kit_result_t result;
        uint32_t max;
    } taps[] = {{0x04, 0, 0, 6816}, {0x04, 1, 0, 8191}, {0x00, 0, 0, 1704}, {0x00, 1, 0, 2047},
                {0x00, 2, 10, 0},   {0x08, 0, 10, 0}};
    for (const auto& t : taps) {
        b.set(SLVT, 0x10, 0x40, {t.modeGuard});
        uint32_t min = 9, max = 0;
        EXPECT_EQ(std::make_pair(kit_demod_dvbt_adv_SetConstellationTap(&b.demod, t.tap, &min, &max), max),
                  std::make_pair(t.result, t.max)) << int(t.tap);
    }
    // 8k at 8 MHz: 2047 carriers span the useful symbol, every third sampled.
    b.set(SLVT, 0x10, 0x40, {0x04});
    b.i2c.clearLog();
    uint32_t first = 9, last = 0;
    int32_t d0 = 0, d1 = 0;
    ASSERT_EQ(kit_demod_dvbt_adv_SetDelayProfile(&b.demod, 1, 0, &first, &last, &d0, &d1), 0u);
    EXPECT_EQ(b.regWrites(0x11), (std::vector<std::pair<int, int>>{{0xC3, 1}, {0xC4, 0}}));
    EXPECT_EQ(std::make_tuple(first, last, d0, d1), std::make_tuple(0u, 2047u, -149188, 149333));
    ASSERT_EQ(kit_demod_dvbt_adv_SetDelayProfile(&b.demod, 1, 1, &first, &last, &d0, &d1), 0u);
    EXPECT_EQ(std::make_pair(last, d0), std::make_pair(255u, -148167));

    int32_t levels[3] = {-10000, -2000, -50000}, delays[3] = {};
    ASSERT_EQ(kit_demod_dvbt_adv_monitor_DelayProfileCalculate(&b.demod, 1, 0, 85, levels, delays, 3, &d0, &d1), 0u);
    EXPECT_EQ(std::vector<int32_t>(levels, levels + 3), (std::vector<int32_t>{-8000, 0, -48000}));
    EXPECT_EQ(std::vector<int32_t>(delays, delays + 3), (std::vector<int32_t>{-148167, -49000, 50167}));
    EXPECT_EQ(std::make_pair(d0, d1), std::make_pair(-147000, 147000));
    EXPECT_EQ(kit_demod_dvbt_adv_monitor_DelayProfileCalculate(&b.demod, 1, 0, 85, levels, delays, 4, &d0, &d1), 7u);
    EXPECT_EQ(kit_demod_dvbt_adv_monitor_DelayProfileCalculate(&b.demod, 1, 0, 85, levels, delays, 0, &d0, &d1), 10u);
    int32_t silent[2] = {-50000, -60000};
    EXPECT_EQ(kit_demod_dvbt_adv_monitor_DelayProfileCalculate(&b.demod, 1, 0, 1, silent, delays, 2, &d0, &d1), 10u);

    b.set(SLVT, 0x11, 0x9B, {0x40, 0x01, 0x37, 0x02, 0xC9});
    int32_t i = 0, q = 0;
    ASSERT_EQ(kit_demod_dvbt_adv_monitor_Constellation(&b.demod, 100, &i, &q), 0u);
    EXPECT_EQ(std::make_pair(i, q), std::make_pair(311, -311));
}
