// DVB-S/S2 into and out of the satellite mode on the fake register files: the register trails
// of every transition, the symbol-rate word at its limits, the spectrum-sense rule, and the
// integration tune's lock wait at several symbol rates, with and without pilots.
#include "KitTrail.h"
#include "SatBench.h"
#include "chipkit/kit_demod_dvbs_s2.h"
#include "chipkit/kit_integ.h"
#include "chipkit/kit_integ_dvbs_s2.h"

#include <gtest/gtest.h>

using namespace kittest;

namespace {

// The TS clock of the satellite systems with the fake's defaults (parallel output, no gating).
const std::vector<Step> kTsClock = {
    W(SLVT, 0, 0xD3, 0), W(SLVT, 0, 0xDE, 0), W(SLVT, 0, 0xDA, 0), W(SLVT, 0, 0xD9, 8),
    W(SLVT, 0, 0x32, 0), W(SLVT, 0, 0x33, 0), W(SLVT, 0, 0x32, 1), W(SLVT, 0x10, 0x66, 1),
    W(SLVT, 0x40, 0x66, 1),
};

std::vector<Step> sleepToActive(int systemSelect, int any, int w2, int w1, int w0)
{
    return kTsClock + std::vector<Step>{
        W(SLVX, 0, 0x17, systemSelect), W(SLVT, 0, 0x2D, any),    W(SLVT, 0, 0xA9, 0),
        W(SLVT, 0, 0x2C, 1),            W(SLVX, 0, 0x28, 0x31),   W(SLVT, 0, 0x4B, 0x31),
        W(SLVT, 0, 0x6A, 0),            W(SLVX, 0, 0x18, 0),      W(SLVT, 0, 0x20, 1),
        W(SLVT, 0xA0, 0xD7, 0),         W(SLVT, 0xAE, 0x20, w2),  W(SLVT, 0xAE, 0x21, w1),
        W(SLVT, 0xAE, 0x22, w0),        W(SLVT, 0, 0x80, 0x10),   W(SLVT, 0, 0x81, 0x00),
    };
}

const std::vector<Step> kActiveToSleep = {
    W(SLVT, 0, 0xC3, 1),    W(SLVT, 0, 0x80, 0x1F), W(SLVT, 0, 0x81, 0xFF), W(SLVX, 0, 0x18, 1),
    W(SLVT, 0, 0x6A, 0x11), W(SLVT, 0, 0x4B, 0x21), W(SLVX, 0, 0x28, 0x13), W(SLVT, 0, 0xFE, 1),
    W(SLVT, 0, 0x2C, 0),    W(SLVT, 0, 0xA9, 0),    W(SLVT, 0, 0x2D, 0),    W(SLVX, 0, 0x17, 1),
};

std::vector<Step> searchToSleep()
{
    return std::vector<Step>{W(SLVT, 0, 0xC3, 1),    W(SLVT, 0, 0x24, 0),    W(SLVT, 0xAE, 0x24, 0), W(SLVT, 0xAE, 0x2E, 6),
                             W(SLVT, 0xAE, 0x30, 0), W(SLVT, 0, 0x2B, 1),    W(SLVT, 0xA0, 0x56, 0), W(SLVT, 0xAB, 0xF9, 1),
                             W(SLVT, 0xA3, 0xBD, 1)} +
           kActiveToSleep + std::vector<Step>{W(SLVT, 0xA0, 0xD7, 0)};
}

kit_dvbs_s2_tune_param_t param(kit_dtv_system_t system, uint32_t ksps = 27500, uint32_t kHz = 1200000)
{
    return kit_dvbs_s2_tune_param_t{system, kHz, ksps};
}

} // namespace

TEST(KitDvbsS2Tune, ActiveTransitionsAndSleep)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    kit_dvbs_s2_tune_param_t p = param(KIT_DTV_SYSTEM_DVBS2);
    ASSERT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 0u);

    // The same system only rewrites the symbol rate, with the TS output off until tune end.
    b.i2c.clearLog();
    p.symbolRateKSps = 1000;  // 16,384.5 -> 16,384 = 0x4000
    ASSERT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 0u);
    EXPECT_EQ(b.i2c.trail(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1), W(SLVT, 0xAE, 0x20, 0x00),
                                                W(SLVT, 0xAE, 0x21, 0x40), W(SLVT, 0xAE, 0x22, 0x00)}));

    // Another satellite system leaves the mode first.
    b.i2c.clearLog();
    p = param(KIT_DTV_SYSTEM_DVBS);
    ASSERT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 0u);
    EXPECT_EQ(b.i2c.trail(), kActiveToSleep + sleepToActive(0x0A, 0, 0x06, 0xE0, 0x00));
    EXPECT_EQ(b.demod.system, KIT_DTV_SYSTEM_DVBS);

    // The search configuration a blind scan leaves is undone by its own sequence.
    b.demod.satState = 1;
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 0u);
    EXPECT_EQ(b.i2c.trail(), searchToSleep() + sleepToActive(0x0A, 0, 0x06, 0xE0, 0x00));
    EXPECT_EQ(b.demod.satState, 0);

    // The generic sleep dispatches to the satellite one for systems 5, 6 and 12; from sleep each
    // system wakes with its own select (27,500 ksps: 450,560 = 0x6E000), "either" with 0x2D set.
    for (kit_dtv_system_t system : {KIT_DTV_SYSTEM_DVBS2, KIT_DTV_SYSTEM_ANY, KIT_DTV_SYSTEM_DVBS}) {
        b.i2c.clearLog();
        EXPECT_EQ(kit_demod_Sleep(&b.demod), 0u);
        EXPECT_EQ(b.i2c.trail(), kActiveToSleep) << system;
        EXPECT_EQ(std::make_pair(b.demod.state, b.demod.system), std::make_pair(uint32_t(KIT_DEMOD_STATE_SLEEP), 0u));
        p.system = system;
        b.i2c.clearLog();
        ASSERT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 0u);
        EXPECT_EQ(b.i2c.trail(), sleepToActive(system == KIT_DTV_SYSTEM_DVBS ? 0x0A : 0x0B, system == KIT_DTV_SYSTEM_ANY,
                                                0x06, 0xE0, 0x00)) << system;
    }
    b.demod.satState = 1;
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbs_s2_Sleep(&b.demod), 0u);
    EXPECT_EQ(b.i2c.trail(), searchToSleep());
    EXPECT_EQ(b.demod.satState, 0);
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbs_s2_Sleep(&b.demod), 0u);  // asleep already
    EXPECT_TRUE(b.i2c.writes().empty());
}

TEST(KitDvbsS2Tune, RefusalsAndHalfWayFailures)
{
    DemodBench b;
    kit_dvbs_s2_tune_param_t p = param(KIT_DTV_SYSTEM_DVBS2);
    EXPECT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 3u);  // not initialised
    EXPECT_EQ(kit_demod_dvbs_s2_Sleep(&b.demod), 3u);
    ASSERT_EQ(b.initialize(), 0u);
    const int accesses = b.i2c.accesses();
    EXPECT_EQ(kit_demod_dvbs_s2_Tune(nullptr, &p), 1u);
    EXPECT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, nullptr), 1u);
    for (kit_dtv_system_t system : {0u, 1u, 3u, 7u, 11u}) {
        p.system = system;
        EXPECT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 1u) << system;
    }
    // A rate the word cannot hold is refused before the chip is touched.
    p.system = KIT_DTV_SYSTEM_DVBS2;
    for (uint32_t ksps : {0u, 64000u, 262144u, 0xFFFFFFFFu}) {
        p.symbolRateKSps = ksps;
        EXPECT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 7u) << ksps;
    }
    EXPECT_EQ(b.i2c.accesses(), accesses);
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_SLEEP);

    // A transfer failing half-way leaves the handle invalid, not half active.
    p.symbolRateKSps = 27500;
    b.i2c.failRegister(SLVT, 0xA0, 0xD7);
    EXPECT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 2u);
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_INVALID);
    EXPECT_EQ(b.demod.system, 0u);
}

TEST(KitDvbsS2Tune, SymbolRateWordAtItsLimits)
{
    const struct {
        uint32_t ksps;
        kit_result_t result;
        int b0, b1, b2;
    } cases[] = {
        {1, 0, 0x00, 0x00, 0x10},      // 16.9 -> 16
        {27500, 0, 0x06, 0xE0, 0x00},  {45000, 0, 0x0B, 0x40, 0x00},
        {63999, 0, 0x0F, 0xFF, 0xF0},  // 1,048,560: the largest that fits 20 bits
        {0, 7, 0, 0, 0},               {64000, 7, 0, 0, 0},
        {262144, 7, 0, 0, 0},          // its word would wrap 32 bits into one that fits
    };
    for (const auto& c : cases) {
        DemodBench b;
        ASSERT_EQ(b.initialize(), 0u);
        EXPECT_EQ(kit_demod_dvbs_s2_SetSymbolRate(&b.demod, c.ksps), c.result) << c.ksps;
        if (c.result == 0)
            EXPECT_EQ(b.i2c.writesTo(SLVT, 0xAE),
                      (std::vector<std::pair<int, int>>{{0x20, c.b0}, {0x21, c.b1}, {0x22, c.b2}}))
                << c.ksps;
        else
            EXPECT_TRUE(b.i2c.writes().empty()) << c.ksps;
    }
    DemodBench b;
    EXPECT_EQ(kit_demod_dvbs_s2_SetSymbolRate(&b.demod, 27500), 3u);
    EXPECT_EQ(kit_demod_dvbs_s2_SetSymbolRate(nullptr, 27500), 1u);
}

TEST(KitDvbsS2Tune, LockAndSpectrumSense)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    uint32_t lock = 9;
    uint8_t inverted = 9;
    EXPECT_EQ(kit_demod_dvbs_s2_CheckTSLock(&b.demod, &lock), 3u);
    const kit_dvbs_s2_tune_param_t p = param(KIT_DTV_SYSTEM_DVBS2);
    ASSERT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 0u);
    for (uint8_t reg : {0x00, 0x03, 0x04, 0xFF}) {
        b.i2c.setReg(SLVT, 0xA0, 0x11, reg);
        EXPECT_EQ(value(kit_demod_dvbs_s2_CheckTSLock, &b.demod), (reg >> 2) & 1u) << int(reg);
    }
    EXPECT_EQ(kit_demod_dvbs_s2_CheckTSLock(&b.demod, nullptr), 1u);

    // The I/Q flag, turned over by a single-cable unit when the polarity says so.
    const struct {
        uint32_t flag;
        uint8_t singleCable, polarity, inverted;
    } cases[] = {{0, 0, 1, 0}, {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 1, 0}, {0, 1, 0, 0}, {1, 1, 0, 1}};
    for (const auto& c : cases) {
        b.demod.satIQInverted = c.flag;
        b.demod.singleCable = c.singleCable;
        b.demod.satIQPolarity = c.polarity;
        EXPECT_EQ(value(kit_demod_dvbs_s2_CheckIQInvert, &b.demod), c.inverted) << c.flag << int(c.singleCable) << int(c.polarity);
    }
    b.demod.state = KIT_DEMOD_STATE_SHUTDOWN;
    EXPECT_EQ(kit_demod_dvbs_s2_CheckIQInvert(&b.demod, &inverted), 3u);
}

TEST(KitIntegDvbsS2Tune, LockTimeFollowsTheSymbolRateAndPilots)
{
    // Never locked: the wait polls every 10 ms and gives up at the first poll past the limit;
    // pilot detection locked on a signal without pilots earns a second wait.
    const struct {
        kit_dtv_system_t system;
        uint32_t ksps;
        uint8_t sync;  // bank 0xA0 register 0x11: bit 0 pilot detection locked
        uint8_t pls;   // register 0x21: bit 0 pilots on
        uint64_t waitedMs;
    } cases[] = {
        {KIT_DTV_SYSTEM_DVBS2, 27500, 0x00, 0x00, 270},  {KIT_DTV_SYSTEM_DVBS, 27500, 0x00, 0x00, 270},
        {KIT_DTV_SYSTEM_ANY, 27500, 0x00, 0x00, 290},    {KIT_DTV_SYSTEM_DVBS2, 1000, 0x00, 0x00, 3160},
        {KIT_DTV_SYSTEM_DVBS2, 45000, 0x00, 0x00, 220},  {KIT_DTV_SYSTEM_DVBS2, 27500, 0x01, 0x00, 540},
        {KIT_DTV_SYSTEM_DVBS2, 27500, 0x01, 0x01, 270},  {KIT_DTV_SYSTEM_DVBS2, 27500, 0x00, 0x01, 270},
        {KIT_DTV_SYSTEM_DVBS2, 2000, 0x01, 0x00, 2 * 1660},
    };
    for (const auto& c : cases) {
        DemodBench b;
        FakeSatTuner tuner;
        kit_integ_t integ = integrationOf(b.demod, &tuner, nullptr);
        ASSERT_EQ(b.initialize(), 0u);
        b.i2c.setReg(SLVT, 0xA0, 0x11, c.sync);
        b.i2c.setReg(SLVT, 0xA0, 0x21, c.pls);
        const kit_dvbs_s2_tune_param_t p = param(c.system, c.ksps);
        const uint64_t start = b.board.clock().monotonicMs();
        EXPECT_EQ(kit_integ_dvbs_s2_Tune(&integ, &p), 5u);
        EXPECT_EQ(b.board.clock().monotonicMs() - start, c.waitedMs) << c.system << " " << c.ksps;
    }
}

TEST(KitIntegDvbsS2Tune, TunerThroughTheRepeaterThenLock)
{
    DemodBench b;
    FakeSatTuner tuner;
    kit_integ_t integ = integrationOf(b.demod, &tuner, nullptr);
    ASSERT_EQ(b.initialize(), 0u);
    b.i2c.setReg(SLVT, 0xA0, 0x11, 0x04);  // TS locked
    // A stop the kit answered before does not reach this tune.
    kit_integ_Cancel(&integ);
    ASSERT_EQ(kit_integ_CheckCancellation(&integ), 9u);
    const kit_dvbs_s2_tune_param_t p = param(KIT_DTV_SYSTEM_ANY, 22000, 1550000);
    const uint64_t start = b.board.clock().monotonicMs();
    ASSERT_EQ(kit_integ_dvbs_s2_Tune(&integ, &p), 0u);
    EXPECT_EQ(b.board.clock().monotonicMs(), start);
    EXPECT_EQ(kit_integ_CheckCancellation(&integ), 0u);
    // "Either" reaches the tuner as DVB-S.
    EXPECT_EQ(tuner.tunes, (std::vector<FakeSatTuner::Tune>{{1550000, KIT_DTV_SYSTEM_DVBS, 22000}}));
    std::vector<int> gate;
    for (const auto& w : b.i2c.writesTo(SLVX, 0))
        if (w.first == 0x08)
            gate.push_back(w.second);
    EXPECT_EQ(gate, (std::vector<int>{1, 0}));
    // Tune end: soft reset and TS output on, after the tuner.
    const std::vector<Step> tail(b.i2c.writes().end() - 2, b.i2c.writes().end());
    EXPECT_EQ(tail, (std::vector<Step>{W(SLVT, 0, 0xFE, 1), W(SLVT, 0, 0xC3, 0)}));

    // A failing tuner is returned with the repeater switched off all the same; a cancel
    // stops the wait at once.
    tuner.tuneResult = KIT_RESULT_ERROR_I2C;
    EXPECT_EQ(kit_integ_dvbs_s2_Tune(&integ, &p), 2u);
    EXPECT_EQ(b.i2c.reg(SLVX, 0, 0x08), 0);
    tuner.tuneResult = KIT_RESULT_OK;
    b.i2c.setReg(SLVT, 0xA0, 0x11, 0x00);
    tuner.onTune = [&](uint32_t) { kit_integ_Cancel(&integ); };
    EXPECT_EQ(kit_integ_dvbs_s2_Tune(&integ, &p), 9u);

    // Without a tuner the demodulator is still tuned and waited for.
    kit_integ_t bare = integrationOf(b.demod, nullptr, nullptr);
    b.i2c.setReg(SLVT, 0xA0, 0x11, 0x04);
    EXPECT_EQ(kit_integ_dvbs_s2_Tune(&bare, &p), 0u);

    kit_dvbs_s2_tune_param_t zero = p;
    zero.symbolRateKSps = 0;
    EXPECT_EQ(kit_integ_dvbs_s2_Tune(&integ, &zero), 1u);
    EXPECT_EQ(kit_integ_dvbs_s2_Tune(nullptr, &p), 1u);
    b.demod.state = KIT_DEMOD_STATE_SHUTDOWN;
    EXPECT_EQ(kit_integ_dvbs_s2_Tune(&integ, &p), 3u);
}

TEST(KitIntegDvbsS2Tune, RfLevelFromTheTunersAgcConversion)
{
    DemodBench b;
    FakeSatTuner tuner;
    kit_integ_t integ = integrationOf(b.demod, &tuner, nullptr);
    ASSERT_EQ(b.initialize(), 0u);
    int32_t level = 0;
    EXPECT_EQ(kit_integ_dvbs_s2_monitor_RFLevel(&integ, &level), 3u);
    const kit_dvbs_s2_tune_param_t p = param(KIT_DTV_SYSTEM_DVBS2);
    ASSERT_EQ(kit_demod_dvbs_s2_Tune(&b.demod, &p), 0u);
    b.i2c.setReg(SLVT, 0xA0, 0x1F, 0xE3);  // bits 4-0 only
    b.i2c.setReg(SLVT, 0xA0, 0x20, 0x45);
    uint32_t seen = 0;
    tuner.agcRule = [&](uint32_t agc) { return seen = agc, 45; };
    ASSERT_EQ(kit_integ_dvbs_s2_monitor_RFLevel(&integ, &level), 0u);
    EXPECT_EQ(std::make_pair(seen, level), std::make_pair(0x0345u, -450));
    tuner.tuner.AGCLevel2AGCdB = nullptr;
    EXPECT_EQ(kit_integ_dvbs_s2_monitor_RFLevel(&integ, &level), 1u);
    kit_integ_t bare = integrationOf(b.demod, nullptr, nullptr);
    EXPECT_EQ(kit_integ_dvbs_s2_monitor_RFLevel(&bare, &level), 1u);
}
