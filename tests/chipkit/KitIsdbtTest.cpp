// ISDB-T on the fake register files: normal and emergency-warning tune, retune and sleep trails,
// lock checks, TMCC and mode decoding, offsets, per-layer error and TS rates at their limits,
// and the analysis monitors that cannot be supported.
#include "TerrBench.h"
#include "chipkit/kit_demod_isdbt.h"
#include "chipkit/kit_demod_isdbt_monitor.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

using namespace kittest;

namespace {

struct IsdbtBench : TerrBench {
    void lockedOn(kit_dtv_bandwidth_t bw)
    {
        activeOn(KIT_DTV_SYSTEM_ISDBT, bw);
        set(SLVT, 0x60, 0x10, {0x03});
    }
};

std::vector<Step> commonSetting()
{
    return std::vector<Step>{W(SLVT, 0x11, 0x6A, 0x50), W(SLVT, 0x10, 0xA5, 1), W(SLVT, 0, 0xCE, 0),
                             W(SLVT, 0, 0xCF, 0)} +
           burst(SLVT, 0x10, 0x69, {0x04}) + burst(SLVT, 0x10, 0x6B, {0x03}) + burst(SLVT, 0x10, 0x9D, {0x50}) +
           burst(SLVT, 0x10, 0xD3, {0x06}) + burst(SLVT, 0x10, 0xED, {0x00}) + burst(SLVT, 0x10, 0xE2, {0xCE}) +
           burst(SLVT, 0x10, 0xF2, {0x13}) + burst(SLVT, 0x10, 0xDE, {0x2E}) + burst(SLVT, 0x15, 0xDE, {0x02}) +
           burst(SLVT, 0x17, 0x38, {0, 3}) + burst(SLVT, 0x1E, 0x73, {0x68}) + burst(SLVT, 0x63, 0x81, {0}) +
           burst(SLVT, 0x11, 0x33, {0, 3, 0x3B}) + burst(SLVT, 0x60, 0xA8, {0xB7, 0x1B});
}

std::vector<Step> leaving()
{
    return burst(SLVT, 0x10, 0x69, {0x05}) + burst(SLVT, 0x10, 0x6B, {0x07}) + burst(SLVT, 0x10, 0x9D, {0x14}) +
           burst(SLVT, 0x10, 0xD3, {0x00}) + burst(SLVT, 0x10, 0xED, {0x01}) + burst(SLVT, 0x10, 0xE2, {0x4E}) +
           burst(SLVT, 0x10, 0xF2, {0x03}) + burst(SLVT, 0x10, 0xDE, {0x32}) + burst(SLVT, 0x15, 0xDE, {0x03}) +
           burst(SLVT, 0x17, 0x38, {1, 2}) + burst(SLVT, 0x1E, 0x73, {0x00}) + burst(SLVT, 0x63, 0x81, {0x01});
}

std::vector<Step> band6()
{
    return burst(SLVT, 0x10, 0x9F, {0x17, 0xA0, 0, 0, 0}) +
           burst(SLVT, 0x10, 0xA6,
                 {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28, 0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8}) +
           burst(SLVT, 0x10, 0xB6, {0x12, 0xEE, 0xEF}) + burst(SLVT, 0x10, 0xD7, {4}) +
           burst(SLVT, 0x10, 0xD9, {0x1F, 0x79}) + burst(SLVT, 0x12, 0x71, {7}) + burst(SLVT, 0x15, 0xBE, {2});
}

const kit_isdbt_tune_param_t k6 = {473143, KIT_DTV_BW_6_MHZ};

// Packs TMCC fields (start bit, width, value) into the 13 bytes.
std::vector<int> tmcc(const std::vector<std::array<int, 3>>& fields)
{
    std::vector<int> b(13, 0);
    for (const auto& f : fields)
        for (int i = 0; i < f[1]; ++i)
            if ((f[2] >> (f[1] - 1 - i)) & 1)
                b[(f[0] + i) / 8] |= 0x80 >> ((f[0] + i) % 8);
    return b;
}

}  // namespace

TEST(KitIsdbtTune, NormalAndEmergencyWarningTrails)
{
    IsdbtBench b;
    const auto clock = b.clockWrites(KIT_DTV_SYSTEM_ISDBT);
    const auto on = b.pinWrites(0), off = b.pinWrites(1);
    ASSERT_EQ(kit_demod_isdbt_Tune(&b.demod, &k6), 0u);
    EXPECT_EQ(b.i2c.trail(),
              (clock + coreWake(0x06) + commonSetting() + band6() + std::vector<Step>{W(SLVT, 0, 0x80, 0x08)} + on));
    EXPECT_EQ(b.demod.isdbtEwsState, 0u);

    // Normal retune: TS off and the band; then into emergency-warning mode and back.
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_isdbt_Tune(&b.demod, &k6), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1)} + band6()));
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_isdbt_EWSTune(&b.demod, &k6), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1), W(SLVT, 0, 0x35, 1)} + commonSetting() + band6() +
                               std::vector<Step>{W(SLVT, 0, 0x80, 0x0F)} + off));
    EXPECT_EQ(b.demod.isdbtEwsState, 1u);
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_isdbt_EWSTune(&b.demod, &k6), 0u);
    EXPECT_EQ(b.i2c.writes(), (band6()));
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_isdbt_EWSTuneEnd(&b.demod), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0xFE, 1)}));
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_isdbt_Tune(&b.demod, &k6), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0x35, 0)} + commonSetting() + band6() +
                               std::vector<Step>{W(SLVT, 0, 0x80, 0x08)} + on));
    EXPECT_EQ(b.demod.isdbtEwsState, 0u);
    EXPECT_EQ(kit_demod_isdbt_EWSTuneEnd(&b.demod), 3u);

    // Sleep from normal mode.
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Sleep(&b.demod), 0u);
    EXPECT_EQ(b.i2c.writes(),
              (std::vector<Step>{W(SLVT, 0, 0xC3, 1), W(SLVT, 0, 0x80, 0x1F)} + off + leaving() + coreSleep()));
    // Nothing to do while asleep.
    const int accesses = b.i2c.accesses();
    EXPECT_EQ(kit_demod_isdbt_Sleep(&b.demod), 0u);
    EXPECT_EQ(b.i2c.accesses(), accesses);

    // The emergency-warning start from sleep, and its sleep, which keeps the TS stopped.
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_isdbt_EWSTune(&b.demod, &k6), 0u);
    std::vector<Step> wake = coreWake(0x06);
    wake.insert(wake.begin() + 1, W(SLVT, 0, 0x35, 1));
    EXPECT_EQ(b.i2c.writes(),
              (clock + wake + commonSetting() + band6() + std::vector<Step>{W(SLVT, 0, 0x80, 0x0F)} + off));
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Sleep(&b.demod), 0u);
    std::vector<Step> sleep = coreSleep();
    sleep.insert(sleep.end() - 1, W(SLVT, 0, 0x35, 0));
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0x80, 0x1F)} + off + leaving() + sleep));
    EXPECT_EQ(b.demod.isdbtEwsState, 0u);

    for (kit_dtv_bandwidth_t bw : {5u, 1u, 9u}) {
        b.i2c.clearLog();
        const kit_isdbt_tune_param_t p = {473143, bw};
        EXPECT_EQ(kit_demod_isdbt_Tune(&b.demod, &p), 3u);
        EXPECT_EQ(kit_demod_isdbt_EWSTune(&b.demod, &p), 3u);
        EXPECT_TRUE(b.i2c.writes().empty());
    }
    const kit_isdbt_tune_param_t k8 = {473143, KIT_DTV_BW_8_MHZ};
    ASSERT_EQ(kit_demod_isdbt_Tune(&b.demod, &k8), 0u);
    EXPECT_EQ(std::make_tuple(b.i2c.reg(SLVT, 0x10, 0x9F), b.i2c.reg(SLVT, 0x10, 0xB6)), std::make_tuple(0x11, 0x19));
}

TEST(KitIsdbtMonitor, LocksTmccModeAndOffsets)
{
    IsdbtBench b;
    b.lockedOn(KIT_DTV_BW_7_MHZ);
    const int regs[] = {0x03, 0x02, 0x01, 0x00, 0x13};
    const kit_demod_lock_result_t demodLock[] = {1, 1, 0, 0, 2}, tsLock[] = {1, 0, 1, 0, 2};
    for (int i = 0; i < 5; ++i) {
        b.set(SLVT, 0x60, 0x10, {regs[i]});
        EXPECT_EQ(std::make_pair(value(kit_demod_isdbt_CheckDemodLock, &b.demod), value(kit_demod_isdbt_CheckTSLock, &b.demod)),
                  std::make_pair(demodLock[i], tsLock[i])) << regs[i];
    }
    b.set(SLVT, 0x60, 0x10, {0x03});

    b.set(SLVT, 0x60, 0x32,
          tmcc({{0, 2, 0},  {2, 4, 15}, {6, 1, 1},   {7, 1, 1},  {8, 3, 3},   {11, 3, 2}, {14, 3, 1},
                {17, 4, 1}, {21, 3, 3}, {24, 3, 3},  {27, 3, 2}, {30, 4, 12}, {47, 1, 0}, {48, 3, 2},
                {51, 3, 1}, {54, 3, 3}, {57, 4, 13}, {74, 3, 7}, {77, 3, 7},  {80, 3, 7}, {83, 4, 15}}));
    kit_isdbt_tmcc_info_t t = value(kit_demod_isdbt_monitor_TMCCInfo, &b.demod);
    EXPECT_EQ(std::make_tuple(t.systemId, t.countDownIndex, t.ewsFlag, t.currentInfo.isPartial), std::make_tuple(0u, 15, 1, 1));
    const auto& a = t.currentInfo.layerA;
    const auto& bl = t.currentInfo.layerB;
    EXPECT_EQ(std::vector<uint32_t>({a.modulation, a.codingRate, a.ilLength, a.segmentsNum}),
              std::vector<uint32_t>({3, 2, 1, 1}));
    EXPECT_EQ(std::vector<uint32_t>({bl.modulation, bl.codingRate, bl.ilLength, bl.segmentsNum}),
              std::vector<uint32_t>({3, 3, 2, 12}));
    EXPECT_EQ(std::make_tuple(t.currentInfo.layerC.segmentsNum, t.nextInfo.isPartial, t.nextInfo.layerA.ilLength,
                              t.nextInfo.layerA.segmentsNum, t.nextInfo.layerC.modulation,
                              t.nextInfo.layerC.segmentsNum),
              std::make_tuple(0, 0, 3u, 13, 7u, 15));

    // The register counts 2k, 4k, 8k; the monitor reports DVB-T's order, 2k, 8k, 4k.
    for (auto [v, mode, guard] : {std::array<uint32_t, 3>{0x00, 0, 0}, {0x05, 2, 1}, {0x0A, 1, 2}, {0x0F, 3, 3}}) {
        b.set(SLVT, 0x60, 0x40, {int(v)});
        uint32_t m = 9, g = 9;
        ASSERT_EQ(kit_demod_isdbt_monitor_ModeGuard(&b.demod, &m, &g), 0u);
        EXPECT_EQ(std::make_pair(m, g), std::make_pair(mode, guard)) << v;
    }

    const struct {
        kit_dtv_bandwidth_t bw;
        uint32_t x, inverted;
        kit_result_t result;
        int32_t offset;
    } offsets[] = {{7, 231, 0, 0, -8}, {6, 33, 0, 0, -1},        {8, 198, 0, 0, -8},
                   {8, 198, 1, 0, 8},  {7, 0x1FFFFF19, 0, 0, 8}, {8, 0x0FFFFFFF, 0, 0, -10845876},
                   {5, 231, 0, 3, 7}};
    for (const auto& o : offsets) {
        b.demod.bandwidth = o.bw;
        b.demod.ifSpectrumInverted = o.inverted;
        b.set(SLVT, 0x60, 0x4C, {int(o.x >> 24), int(o.x >> 16) & 0xFF, int(o.x >> 8) & 0xFF, int(o.x) & 0xFF});
        int32_t offset = 7;
        EXPECT_EQ(std::make_pair(kit_demod_isdbt_monitor_CarrierOffset(&b.demod, &offset), offset),
                  std::make_pair(o.result, o.offset)) << o.x;
    }

    // Sampling offset: nominal 0x15 000000xx gives the divisor 451.
    const struct {
        std::vector<int> tracked, nominal;
        kit_result_t result;
        int32_t ppm;
    } samplings[] = {
        {{0x15, 0, 0, 0x10, 0}, {0x15, 0, 0, 0, 0}, 0, 5}, {{0x15, 0, 0, 0, 0}, {0x15, 0, 0, 0x10, 0}, 0, -5},
        {{0x16, 0, 0, 0, 0}, {0x15, 0, 0, 0x10, 0}, 0, 4761600},
        {{0x16, 0, 0, 0x20, 0}, {0x15, 0, 0, 0x10, 0}, 4, 7},  // a wrap and still ahead: not sound
        {{0x14, 0, 0, 0, 0}, {0x15, 0, 0, 0x10, 0}, 4, 7},
    };
    for (const auto& s : samplings) {
        b.set(SLVT, 0x10, 0x52, s.tracked);
        b.set(SLVT, 0x10, 0x9F, s.nominal);
        int32_t ppm = 7;
        EXPECT_EQ(std::make_pair(kit_demod_isdbt_monitor_SamplingOffset(&b.demod, &ppm), ppm),
                  std::make_pair(s.result, s.ppm));
    }

    b.set(SLVT, 0x60, 0x10, {0x01});  // TS lock without demodulator lock: monitors wait
    EXPECT_EQ(kit_demod_isdbt_monitor_TMCCInfo(&b.demod, &t), 4u);
    EXPECT_FALSE(b.frozen());
}

TEST(KitIsdbtMonitor, LayersRatesAndSignalQuality)
{
    IsdbtBench b;
    b.lockedOn(KIT_DTV_BW_6_MHZ);
    // Pre-RS over 10 packets of 1632 bits per layer: one layer past its window spoils all.
    b.set(SLVT, 0x60, 0x5B, {0, 10});
    b.set(SLVT, 0x60, 0x16, {0x00, 0x3F, 0xC0, 0x80, 0x00, 0x10, 0, 0, 0});
    kit_isdbt_layers_t v = value(kit_demod_isdbt_monitor_PreRSBER, &b.demod);
    EXPECT_EQ(std::make_tuple(v.layerA, v.layerB, v.layerC), std::make_tuple(10000000u, 9804u, 0u));
    b.set(SLVT, 0x60, 0x19, {0x00, 0x3F, 0xC1});  // 16321 errors: beyond what 10 packets hold
    EXPECT_EQ(kit_demod_isdbt_monitor_PreRSBER(&b.demod, &v), 4u);
    b.set(SLVT, 0x60, 0x1F, {0, 1, 0, 100, 0, 0});
    b.set(SLVT, 0x60, 0x5B, {0, 100});
    v = value(kit_demod_isdbt_monitor_PER, &b.demod);
    EXPECT_EQ(std::vector<uint32_t>({v.layerA, v.layerB, v.layerC}), std::vector<uint32_t>({10000, 1000000, 0}));
    b.set(SLVT, 0x60, 0x21, {0, 101});
    EXPECT_EQ(kit_demod_isdbt_monitor_PER(&b.demod, &v), 4u);
    b.set(SLVT, 0x60, 0x5B, {0, 0});
    EXPECT_EQ(kit_demod_isdbt_monitor_PER(&b.demod, &v), 4u);
    EXPECT_FALSE(b.frozen());

    b.set(SLVT, 0x60, 0xA1, {1, 0, 5, 0x01, 0x00, 0xFF, 0xFF});
    v = value(kit_demod_isdbt_monitor_PacketErrorNumber, &b.demod);
    EXPECT_EQ(std::vector<uint32_t>({v.layerA, v.layerB, v.layerC}), std::vector<uint32_t>({5, 256, 65535}));
    b.demod.isdbtEwsState = 1;
    EXPECT_EQ(kit_demod_isdbt_monitor_PacketErrorNumber(&b.demod, &v), 3u);
    b.demod.isdbtEwsState = 0;

    // TS rate per layer from the segment tables: 13 segments DQPSK 1/2 GI 1/4 at 6 MHz.
    b.set(SLVT, 0x60, 0x40, {0x03});
    b.set(SLVT, 0x60, 0x32,
          tmcc({{8, 3, 0}, {11, 3, 0}, {17, 4, 13}, {21, 3, 4}, {30, 4, 1}, {34, 3, 2}, {43, 4, 14}}));
    v = value(kit_demod_isdbt_monitor_TSRate, &b.demod);
    // B: no such modulation; C: more than 13 segments.
    EXPECT_EQ(std::make_tuple(v.layerA, v.layerB, v.layerC), std::make_tuple(3651u, 0u, 0u));
    b.demod.bandwidth = KIT_DTV_BW_8_MHZ;
    b.set(SLVT, 0x60, 0x40, {0x00});
    b.set(SLVT, 0x60, 0x32, tmcc({{8, 3, 3}, {11, 3, 4}, {17, 4, 13}}));
    EXPECT_EQ(value(kit_demod_isdbt_monitor_TSRate, &b.demod).layerA, 30980u);  // 64-QAM 7/8 GI 1/32

    const struct {
        int v;
        kit_result_t result;
        int32_t snr, mer;
    } values[] = {{1000, 0, 20969, 15829}, {4000, 0, 26969, 21829}, {0, 4, 7, 7}};
    for (const auto& s : values) {
        b.set(SLVT, 0x60, 0x28, {s.v >> 8, s.v & 0xFF});
        b.set(SLVT, 0x60, 0x2C, {s.v >> 8, s.v & 0xFF});
        int32_t snr = 7, mer = 7;
        EXPECT_EQ(std::make_tuple(kit_demod_isdbt_monitor_SNR(&b.demod, &snr), kit_demod_isdbt_adv_monitor_MER(&b.demod, &mer), snr, mer),
                  std::make_tuple(s.result, s.result, s.snr, s.mer)) << s.v;
    }
}

TEST(KitIsdbtMonitor, PresetWarningInfoAndAnalysis)
{
    IsdbtBench b;
    kit_isdbt_preset_info_t preset = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}};
    ASSERT_EQ(kit_demod_isdbt_SetPreset(&b.demod, &preset), 0u);  // allowed asleep
    EXPECT_EQ(b.i2c.writes(),
              (burst(SLVT, 0x60, 0x59, {1, 1}) + burst(SLVT, 0x60, 0x62, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13})));
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_isdbt_SetPreset(&b.demod, nullptr), 0u);
    EXPECT_EQ(b.i2c.writes(), (burst(SLVT, 0x60, 0x59, {0, 0})));

    b.lockedOn(KIT_DTV_BW_6_MHZ);
    b.set(SLVT, 0x60, 0x32, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3});
    const kit_isdbt_preset_info_t read = value(kit_demod_isdbt_monitor_PresetInfo, &b.demod);
    EXPECT_EQ(std::make_pair(read.data[0], read.data[12]), (std::pair<uint8_t, uint8_t>(9, 3)));

    uint8_t present = 9;
    kit_isdbt_aceew_info_t info = {};
    ASSERT_EQ(kit_demod_isdbt_monitor_ACEEWInfo(&b.demod, &present, &info), 0u);
    EXPECT_EQ(present, 0);
    std::vector<int> ew(36, 0);
    // Start/end 2, update 3, signal 3 (0xB6); blocks 1 and 3 (0x05).
    ew[0] = 1, ew[1] = 0xB6, ew[2] = 0x05, ew[3] = 0x11, ew[25] = 0x33, ew[35] = 0x44;
    b.set(SLVT, 0x61, 0x21, ew);
    ASSERT_EQ(kit_demod_isdbt_monitor_ACEEWInfo(&b.demod, &present, &info), 0u);
    EXPECT_EQ(present, 1);
    EXPECT_EQ(std::make_tuple(info.startEndFlag, info.updateFlag, info.signalId), std::make_tuple(2, 3, 3));
    EXPECT_EQ(std::vector<int>({info.blocks[0].isValid, info.blocks[1].isValid, info.blocks[2].isValid}),
              std::vector<int>({1, 0, 1}));
    EXPECT_EQ(std::make_tuple(info.blocks[0].data[0], info.blocks[2].data[0], info.blocks[2].data[10]),
              std::make_tuple(0x11, 0x33, 0x44));

    // Ranges and delays need carrier tables that are not verified: "not supported", no writes.
    b.i2c.clearLog();
    uint32_t min = 0, max = 0;
    int32_t d0 = 0, d1 = 0, levels[1] = {0}, delays[1];
    EXPECT_EQ(kit_demod_isdbt_adv_SetConstellationTap(&b.demod, 0, &min, &max), 8u);
    EXPECT_EQ(kit_demod_isdbt_adv_SetChannelSpectrum(&b.demod, 1, 0, &min, &max), 8u);
    EXPECT_EQ(kit_demod_isdbt_adv_SetDelayProfile(&b.demod, 1, 0, &min, &max, &d0, &d1), 8u);
    EXPECT_EQ(kit_demod_isdbt_adv_monitor_DelayProfileCalculate(&b.demod, 0, 0, 1, levels, delays, 1, &d0, &d1), 8u);
    EXPECT_TRUE(b.i2c.writes().empty());
    EXPECT_EQ(kit_demod_isdbt_adv_SetDelayProfile(&b.demod, 0, 1, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(b.regWrites(0x11), (std::vector<std::pair<int, int>>{{0xC3, 0}, {0xC4, 1}}));
    b.set(SLVT, 0x11, 0x9B, {0x40, 0x03, 0x42, 0x00, 0xBE});
    int32_t i = 0, q = 0;
    ASSERT_EQ(kit_demod_isdbt_adv_monitor_Constellation(&b.demod, 7, &i, &q), 0u);
    EXPECT_EQ(std::make_pair(i, q), std::make_pair(-190, 190));
}
