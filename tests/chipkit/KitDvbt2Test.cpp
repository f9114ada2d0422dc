// DVB-T2 on the fake register files: tune and retune trails, bad bandwidths refused before any
// write, lock checks, PLP and profile selection, the MER filter's windows.
#include "TerrBench.h"
#include "chipkit/kit_demod_dvbt2.h"

#include <gtest/gtest.h>

using namespace kittest;

namespace {

const std::vector<int> kFilter8 = {0x2F, 0xBA, 0x28, 0x9B, 0x28, 0x9D, 0x28, 0xA1, 0x29, 0xA5, 0x2A, 0xAC, 0x29, 0xB5};

kit_dvbt2_tune_param_t t2(kit_dtv_bandwidth_t bw) { return {666000, bw, 0, 0, 0}; }

void setMerRegister(TerrBench& b, int v)
{
    b.set(SLVT, 0x20, 0x10, {0x26});
    b.set(SLVT, 0x20, 0x2C, {v >> 8, v & 0xFF});
}

} // namespace

TEST(KitDvbt2Tune, FromSleepAndRetunes)
{
    TerrBench b;
    const auto clock = b.clockWrites(KIT_DTV_SYSTEM_DVBT2);
    const auto pinsOn = b.pinWrites(0);
    const auto param8 = t2(KIT_DTV_BW_8_MHZ);
    ASSERT_EQ(kit_demod_dvbt2_Tune(&b.demod, &param8), 0u);
    EXPECT_EQ(b.i2c.trail(),
              (clock + coreWake(0x02) +
                  std::vector<Step>{W(SLVT, 0x11, 0x6A, 0x50), W(SLVT, 0, 0xCE, 1), W(SLVT, 0, 0xCF, 1),
                                    W(SLVT, 0x13, 0x83, 0x10), W(SLVT, 0x13, 0x86, 0x34), W(SLVT, 0x13, 0x9F, 0xD8),
                                    W(SLVT, 0x23, 0xDB, 0x01)} +
                  burst(SLVT, 0x11, 0x33, {0x00, 0x03, 0x3B}) + burst(SLVT, 0x20, 0x9F, {0x15, 0, 0, 0, 0}) +
                  std::vector<Step>{W(SLVT, 0x27, 0x7A, 0)} + burst(SLVT, 0x10, 0xA6, kFilter8) +
                  std::vector<Step>{W(SLVT, 0x10, 0xA5, 1)} + burst(SLVT, 0x10, 0xB6, {0x19, 0x99, 0x9A}) +
                  std::vector<Step>{W(SLVT, 0x10, 0xD7, 0), W(SLVT, 0, 0x80, 0x08)} + pinsOn));

    // A retune on DVB-T2 stops the TS and rewrites the band only; 1.7 MHz has no filter set.
    b.i2c.clearLog();
    const auto param17 = t2(KIT_DTV_BW_1_7_MHZ);
    ASSERT_EQ(kit_demod_dvbt2_Tune(&b.demod, &param17), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1)} +
                               burst(SLVT, 0x20, 0x9F, {0x1A, 0x03, 0xE8, 0x8C, 0xB3}) +
                               std::vector<Step>{W(SLVT, 0x27, 0x7A, 3), W(SLVT, 0x10, 0xA5, 0)} +
                               burst(SLVT, 0x10, 0xB6, {0x12, 0xAA, 0xAB}) +
                               std::vector<Step>{W(SLVT, 0x10, 0xD7, 0x03)}));
    EXPECT_EQ(b.demod.bandwidth, KIT_DTV_BW_1_7_MHZ);
}

TEST(KitDvbt2Tune, BadBandwidthOrStateWritesNothing)
{
    for (kit_dtv_bandwidth_t bw : {0u, 2u, 3u, 4u, 9u, 50u}) {
        TerrBench b;
        const auto p = t2(bw);
        EXPECT_EQ(kit_demod_dvbt2_Tune(&b.demod, &p), 3u) << bw;
        EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_SLEEP);
        b.activeOn(KIT_DTV_SYSTEM_DVBT2, KIT_DTV_BW_8_MHZ);
        EXPECT_EQ(kit_demod_dvbt2_Tune(&b.demod, &p), 3u) << bw;
        EXPECT_EQ(std::make_pair(b.demod.state, b.demod.bandwidth), (std::pair<uint32_t, uint32_t>(KIT_DEMOD_STATE_ACTIVE, 8)));
        EXPECT_TRUE(b.i2c.writes().empty());
    }
    TerrBench b;
    const auto p = t2(KIT_DTV_BW_8_MHZ);
    const int before = b.i2c.accesses();
    for (kit_demod_state_t s : {KIT_DEMOD_STATE_UNKNOWN, KIT_DEMOD_STATE_SHUTDOWN, KIT_DEMOD_STATE_INVALID}) {
        b.demod.state = s;
        EXPECT_EQ(kit_demod_dvbt2_Tune(&b.demod, &p), 3u);
        EXPECT_EQ(kit_demod_dvbt2_Sleep(&b.demod), 3u);
    }
    EXPECT_EQ(kit_demod_dvbt2_Tune(&b.demod, nullptr), 1u);
    EXPECT_EQ(kit_demod_dvbt2_Tune(nullptr, &p), 1u);
    EXPECT_EQ(b.i2c.accesses(), before);

    // A failed write inside the start leaves the handle invalid, not half active.
    TerrBench f;
    f.i2c.failRegister(SLVT, 0x13, 0x86);
    EXPECT_EQ(kit_demod_dvbt2_Tune(&f.demod, &p), 2u);
    EXPECT_EQ(f.demod.state, KIT_DEMOD_STATE_INVALID);
}

TEST(KitDvbt2Lock, ChecksOverTheSyncRegister)
{
    const struct {
        int reg;
        kit_result_t result;
        kit_demod_lock_result_t demod, ts;
    } cases[] = {
        {0x26, 0, 1, 1}, {0x06, 0, 1, 0}, {0x25, 0, 0, 0}, {0x00, 0, 0, 0}, {0x16, 0, 2, 2},
        {0x36, 0, 2, 2}, {0x14, 0, 2, 2}, {0x07, 4, 0, 0}, {0x17, 4, 0, 0}, {0x27, 4, 0, 0},
    };
    TerrBench b;
    b.activeOn(KIT_DTV_SYSTEM_DVBT2, KIT_DTV_BW_8_MHZ);
    for (const auto& c : cases) {
        b.set(SLVT, 0x20, 0x10, {c.reg});
        kit_demod_lock_result_t demod = 9, ts = 9;
        uint8_t sync = 0, tsBit = 0, unlock = 0;  // written even for the invalid state
        EXPECT_EQ(std::make_tuple(kit_demod_dvbt2_CheckDemodLock(&b.demod, &demod), kit_demod_dvbt2_CheckTSLock(&b.demod, &ts),
                                  kit_demod_dvbt2_monitor_SyncStat(&b.demod, &sync, &tsBit, &unlock)),
                  std::make_tuple(c.result, c.result, c.result)) << c.reg;
        EXPECT_EQ(std::make_tuple(demod, ts, sync, tsBit, unlock),
                  std::make_tuple(c.demod, c.ts, uint8_t(c.reg & 7), uint8_t((c.reg >> 5) & 1),
                                  uint8_t((c.reg >> 4) & 1))) << c.reg;
    }
    kit_demod_lock_result_t lock = 0;
    b.i2c.failRegister(SLVT, 0x20, 0x10);
    EXPECT_EQ(kit_demod_dvbt2_CheckTSLock(&b.demod, &lock), 2u);
    EXPECT_EQ(kit_demod_dvbt2_CheckTSLock(&b.demod, nullptr), 1u);
    b.activeOn(KIT_DTV_SYSTEM_DVBT, KIT_DTV_BW_8_MHZ);  // another system
    EXPECT_EQ(kit_demod_dvbt2_CheckDemodLock(&b.demod, &lock), 3u);
}

TEST(KitDvbt2Selection, PlpProfileAndL1Checks)
{
    TerrBench b;  // asleep: selection is allowed before the tune
    EXPECT_EQ(kit_demod_dvbt2_SetPLPConfig(&b.demod, 1, 9), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0x23, 0xAD, 0)}));
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbt2_SetPLPConfig(&b.demod, 0, 7), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0x23, 0xAF, 7), W(SLVT, 0x23, 0xAD, 1)}));

    const int profileRegs[3][2] = {{0x01, 0x0E}, {0x05, 0x2E}, {0x00, 0x2E}};
    for (uint32_t p = 0; p < 3; ++p) {
        b.i2c.clearLog();
        EXPECT_EQ(kit_demod_dvbt2_SetProfile(&b.demod, p), 0u);
        EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0x2E, 0x10, profileRegs[p][0]),
                                                     W(SLVT, 0x2B, 0x9D, profileRegs[p][1])}));
    }
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbt2_SetProfile(&b.demod, 3), 1u);
    EXPECT_TRUE(b.i2c.writes().empty());

    uint8_t v = 9;
    EXPECT_EQ(value(kit_demod_dvbt2_CheckL1PostValid, &b.demod), 0);
    b.set(SLVT, 0x22, 0x12, {0x01, 0x01});
    EXPECT_EQ(value(kit_demod_dvbt2_CheckL1PostValid, &b.demod), 1);
    // The monitors need the handle active on DVB-T2.
    EXPECT_EQ(kit_demod_dvbt2_monitor_DataPLPError(&b.demod, &v), 3u);
    b.activeOn(KIT_DTV_SYSTEM_DVBT2, KIT_DTV_BW_8_MHZ);
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_DataPLPError, &b.demod), 1);
    b.set(SLVT, 0x22, 0x12, {0x00});
    EXPECT_EQ(kit_demod_dvbt2_monitor_DataPLPError(&b.demod, &v), 4u);

    kit_dvbt2_profile_t profile = 9;
    EXPECT_EQ(kit_demod_dvbt2_monitor_Profile(&b.demod, &profile), 4u);
    EXPECT_EQ(profile, 9u);
    b.set(SLVT, 0x2E, 0x20, {0x03});
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_Profile, &b.demod), KIT_DVBT2_PROFILE_LITE);
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbt2_ClearBERSNRHistory(&b.demod), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0x02, 0x4A, 1)}));
}

TEST(KitDvbt2MerFilter, RawWindowFeedsTheFilteredOne)
{
    TerrBench b;
    b.activeOn(KIT_DTV_SYSTEM_DVBT2, KIT_DTV_BW_8_MHZ);
    kit_dvbt2_mer_filter_t f;
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_InitMERFilter(&f), 0u);
    EXPECT_EQ(std::make_tuple(f.filtered.size, f.raw.size), std::make_tuple(6, 90));
    int32_t last = 0, filtered = 0;

    // Ten readings per call; 1000 reads 23979, 4000 reads 29979 (dB x 1000).
    setMerRegister(b, 1000);
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_FilteredMER(&b.demod, &f, &last, &filtered), 0u);
    EXPECT_EQ(std::make_pair(last, filtered), std::make_pair(23979, 23979));
    EXPECT_EQ(std::make_pair(b.i2c.writesTo(SLVT, 0x20).front(), b.i2c.writesTo(SLVT, 0x20).back()),
              std::make_pair(std::make_pair(0x9D, 0x01), std::make_pair(0x9D, 0x14)));
    setMerRegister(b, 4000);
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_FilteredMER(&b.demod, &f, &last, &filtered), 0u);
    // Mean + (max - mean) / 2 of the 20 raw readings.
    EXPECT_EQ(std::make_tuple(last, filtered, f.raw.count, f.filtered.count),
              std::make_tuple(29979, 26979 + (29979 - 26979) / 2, 20, 0));

    // The ninth call fills the raw window: its estimate is the first filtered value.
    for (int call = 3; call <= 9; ++call)
        ASSERT_EQ(kit_demod_dvbt2_adv_monitor_FilteredMER(&b.demod, &f, &last, &filtered), 0u);
    // 10 readings of 23979, 80 of 29979: mean 29312 (rounded), max 29979.
    EXPECT_EQ(std::make_tuple(f.filtered.count, f.raw.count, filtered), std::make_tuple(1, 0, 29312 + (29979 - 29312) / 2));
    EXPECT_EQ(kit_window_get_last_value(&f.filtered), filtered);

    // A failed reading restores the period and is returned; the windows keep what they had.
    b.set(SLVT, 0x20, 0x10, {0x05});
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbt2_adv_monitor_FilteredMER(&b.demod, &f, &last, &filtered), 4u);
    EXPECT_EQ(b.i2c.writesTo(SLVT, 0x20).back(), std::make_pair(0x9D, 0x14));
    EXPECT_FALSE(b.frozen());
    EXPECT_EQ(f.filtered.count, 1);

    // Sizes of 0 are refused; a size beyond the storage never writes past it.
    kit_dvbt2_mer_filter_t bad = f;
    bad.raw.size = 0;
    EXPECT_EQ(kit_demod_dvbt2_adv_monitor_FilteredMER(&b.demod, &bad, &last, &filtered), 1u);
    setMerRegister(b, 4000);
    bad = f;
    bad.raw.size = 500;
    bad.raw.index = 95;
    EXPECT_EQ(kit_demod_dvbt2_adv_monitor_FilteredMER(&b.demod, &bad, &last, &filtered), 0u);
    EXPECT_EQ(bad.raw.index, 95);
    EXPECT_EQ(std::make_tuple(kit_demod_dvbt2_adv_monitor_InitMERFilter(nullptr), window_GetAverage(nullptr)),
              std::make_tuple(1u, 0));
}
