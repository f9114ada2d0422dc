// DVB-C and J.83 Annex B on the fake register files: tune, band-only retune and sleep trails,
// lock checks in and out of scan mode, and every monitor at its values and limits, with the
// freeze released on every path.
#include "KitTrail.h"
#include "chipkit/kit_demod_dvbc.h"
#include "chipkit/kit_demod_dvbc_monitor.h"
#include "chipkit/kit_demod_j83b.h"
#include "chipkit/kit_demod_j83b_monitor.h"
#include "chipkit/kit_demod_output.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace kittest;

namespace {

const std::vector<int> kFilter6 = {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28, 0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8};
// Both standards wake with these after the core, and leave the TS output on behind them.
const std::vector<Step> kCableWake = {W(SLVT, 0x11, 0x6A, 0x48), W(SLVT, 0x10, 0xA5, 1)};
const std::vector<Step> kOutputOn = {W(SLVT, 0, 0x80, 0x08), W(SLVT, 0, 0x81, 0x00)};
const std::vector<Step> kOutputOff = {W(SLVT, 0, 0xC3, 1), W(SLVT, 0, 0x80, 0x1F), W(SLVT, 0, 0x81, 0xFF), W(SLVT, 0x11, 0xA3, 0)};

kit_result_t dvbcTune(kit_demod_t* d, kit_dtv_bandwidth_t bw)
{
    const kit_dvbc_tune_param_t p = {474000, bw};
    return kit_demod_dvbc_Tune(d, &p);
}

kit_result_t j83bTune(kit_demod_t* d, kit_dtv_bandwidth_t bw)
{
    const kit_j83b_tune_param_t p = {474000, bw};
    return kit_demod_j83b_Tune(d, &p);
}

// A bench active on system with the lock registers as given.
struct Locked : DemodBench {
    explicit Locked(kit_dtv_system_t system, uint8_t reg88 = 0x01, uint8_t reg10 = 0x20)
    {
        initialize();
        EXPECT_EQ(system == KIT_DTV_SYSTEM_J83B ? j83bTune(&demod, KIT_DTV_BW_J83B_50) : dvbcTune(&demod, KIT_DTV_BW_8_MHZ), 0u);
        i2c.setReg(SLVT, 0x40, 0x88, reg88);
        i2c.setReg(SLVT, 0x40, 0x10, reg10);
        i2c.clearLog();
    }
    void set(int bank, int reg, std::initializer_list<int> values) { setBytes(i2c, bank, reg, values); }
};

} // namespace

TEST(KitDvbcTune, FromSleepRetuneAndSleepTrails)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_8_MHZ), 0u);
    EXPECT_EQ(b.i2c.trail(),
              (writesOf([](kit_demod_t* d) { kit_demod_SetTSClockModeAndFreq(d, 3); }) + coreWake(0x04) + kCableWake +
                  std::vector<Step>{W(SLVT, 0x11, 0x33, 0), W(SLVT, 0x11, 0x34, 3), W(SLVT, 0x11, 0x35, 0x3B),
                                    W(SLVT, 0x48, 0x2C, 3), W(SLVT, 0, 0xCE, 1), W(SLVT, 0, 0xCF, 1)} +
                  bytes(0x10, 0xA6, {0x29, 0x9A, 0x28, 0x9E, 0x2F, 0xB9, 0x27, 0xA5, 0x28, 0xA9, 0x2B, 0xB0, 0x08, 0xD6}) +
                  bytes(0x10, 0xB6, {0x1A, 0x22, 0x22}) + std::vector<Step>{W(SLVT, 0x11, 0xA3, 0x00)} +
                  bytes(0x40, 0x26, {0x09, 0x9A, 0x00, 0xEE}) + kOutputOn));

    // While active only the band changes, behind the TS output switched off.
    b.i2c.clearLog();
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_6_MHZ), 0u);
    EXPECT_EQ(b.i2c.trail(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1)} + burst(SLVT, 0x10, 0xA6, kFilter6) +
                              bytes(0x10, 0xB6, {0x13, 0xBB, 0xBC}) + std::vector<Step>{W(SLVT, 0x11, 0xA3, 0x14)} +
                              bytes(0x40, 0x26, {0x07, 0x33, 0x00, 0xEE})));
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Sleep(&b.demod), 0u);
    EXPECT_EQ(b.i2c.trail(), (kOutputOff + std::vector<Step>{W(SLVT, 0x48, 0x2C, 1)} + coreSleep()));
    EXPECT_EQ(std::make_tuple(b.demod.state, b.demod.system), std::make_tuple(KIT_DEMOD_STATE_SLEEP, 0u));
}

TEST(KitDvbcTune, RefusalsAndFailuresHalfWay)
{
    DemodBench b;
    EXPECT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_8_MHZ), 3u);  // not initialised
    ASSERT_EQ(b.initialize(), 0u);
    const int initialized = b.i2c.accesses();
    for (kit_dtv_bandwidth_t bw : {5u, 9u, 50u})
        EXPECT_EQ(dvbcTune(&b.demod, bw), 3u) << bw;
    EXPECT_EQ(kit_demod_dvbc_Tune(&b.demod, nullptr), 1u);
    EXPECT_EQ(std::make_tuple(b.i2c.accesses(), b.demod.state), std::make_tuple(initialized, KIT_DEMOD_STATE_SLEEP));

    // Every transfer of the tune from sleep failing in turn: the bus result, and a handle
    // that nobody takes for asleep or working.
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_8_MHZ), 0u);
    const int accesses = b.i2c.accesses() - initialized;
    for (int n = 1; n <= accesses; ++n) {
        DemodBench f;
        ASSERT_EQ(f.initialize(), 0u);
        const int before = f.i2c.accesses();
        f.i2c.failAccess(n);
        EXPECT_EQ(dvbcTune(&f.demod, KIT_DTV_BW_8_MHZ), 2u) << n;
        // It stops at the failure.
        EXPECT_EQ(std::make_tuple(f.demod.state, f.i2c.accesses()), std::make_tuple(KIT_DEMOD_STATE_INVALID, before + n)) << n;
    }
}

TEST(KitJ83bTune, FromSleepRetuneSleepAndTheBandCheck)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    for (kit_dtv_bandwidth_t bw : {0u, 6u, 8u, 52u})
        EXPECT_EQ(j83bTune(&b.demod, bw), 1u) << bw;
    b.demod.state = KIT_DEMOD_STATE_UNKNOWN;
    const int initialized = b.i2c.accesses();
    EXPECT_EQ(j83bTune(&b.demod, 8), 1u);  // the band before the state
    EXPECT_EQ(b.i2c.accesses(), initialized);
    b.demod.state = KIT_DEMOD_STATE_SLEEP;

    ASSERT_EQ(j83bTune(&b.demod, KIT_DTV_BW_J83B_50), 0u);
    EXPECT_EQ(b.i2c.trail(),
              (writesOf([](kit_demod_t* d) { kit_demod_SetTSClockModeAndFreq(d, 11); }) + coreWake(0x08) + kCableWake +
                  std::vector<Step>{W(SLVT, 0x40, 0x21, 0x04), W(SLVT, 0x40, 0xB3, 0x05), W(SLVT, 0x40, 0x1E, 0x80),
                                    W(SLVT, 0x40, 0x8E, 0x58), W(SLVT, 0x41, 0xCF, 0x99), W(SLVT, 0x11, 0xA3, 0x14),
                                    W(SLVT, 0x11, 0x33, 0), W(SLVT, 0x11, 0x34, 3), W(SLVT, 0x11, 0x35, 0x3B),
                                    W(SLVT, 0, 0xCE, 1), W(SLVT, 0, 0xCF, 1)} +
                  burst(SLVT, 0x10, 0xA6, kFilter6) + bytes(0x10, 0xB6, {0x13, 0xBB, 0xBC}) +
                  std::vector<Step>{W(SLVT, 0x40, 0x14, 0x14)} + bytes(0x40, 0x26, {0x07, 0x26, 0x06, 0xBE}) + kOutputOn));

    b.i2c.clearLog();
    ASSERT_EQ(j83bTune(&b.demod, KIT_DTV_BW_J83B_51), 0u);
    EXPECT_EQ(b.i2c.trail(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1)} + bytes(0x10, 0xB6, {0x14, 0x00, 0x00}) +
                              std::vector<Step>{W(SLVT, 0x40, 0x14, 0x10)} + bytes(0x40, 0x26, {0x07, 0x77, 0x07, 0x77})));

    // Over to DVB-C: J.83 Annex B sleeps first, then DVB-C wakes.
    b.i2c.clearLog();
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_8_MHZ), 0u);
    const std::vector<Step> j83bSleep =
        kOutputOff +
        std::vector<Step>{W(SLVT, 0x40, 0x21, 0), W(SLVT, 0x40, 0xC3, 0), W(SLVT, 0x40, 0xB3, 2), W(SLVT, 0x40, 0x1E, 0),
                          W(SLVT, 0x40, 0x8E, 0x0E), W(SLVT, 0x41, 0xCF, 0x77), W(SLVT, 0x40, 0x14, 0x1F)} +
        bytes(0x40, 0x26, {0x09, 0x9A, 0x00, 0xEE}) + coreSleep();
    const std::vector<Step> writes = b.i2c.writes();
    ASSERT_GT(writes.size(), j83bSleep.size());
    EXPECT_EQ(std::vector<Step>(writes.begin(), writes.begin() + j83bSleep.size()), j83bSleep);
    EXPECT_EQ(std::make_tuple(b.demod.system, b.i2c.reg(SLVX, 0, 0x17)), std::make_tuple(KIT_DTV_SYSTEM_DVBC, 0x04));
}

TEST(KitCableQamLock, LockRegistersInAndOutOfScanMode)
{
    struct Case {
        uint8_t reg88, reg10, scan;
        kit_demod_lock_result_t lock;
    };
    const Case cases[] = {
        {0x01, 0x20, 0, 1}, {0x01, 0x00, 0, 0}, {0x00, 0x20, 0, 0}, {0x02, 0x00, 0, 0}, {0x03, 0x20, 0, 1},
        {0x02, 0x00, 1, 2}, {0x03, 0x20, 1, 2}, {0x01, 0x20, 1, 1}, {0x01, 0xDF, 1, 0}, {0xFC, 0xFF, 0, 0},
    };
    for (kit_dtv_system_t sys : {KIT_DTV_SYSTEM_DVBC, KIT_DTV_SYSTEM_J83B}) {
        Locked b(sys);
        auto check = sys == KIT_DTV_SYSTEM_DVBC ? kit_demod_dvbc_CheckTSLock : kit_demod_j83b_CheckTSLock;
        for (const Case& c : cases) {
            b.demod.scanMode = c.scan;
            b.set(0x40, 0x88, {c.reg88});
            b.set(0x40, 0x10, {c.reg10});
            EXPECT_EQ(value(check, &b.demod), c.lock) << sys << " " << int(c.reg88) << " " << int(c.reg10) << " " << int(c.scan);
        }
        EXPECT_TRUE(b.i2c.writes().empty());
        auto other = sys == KIT_DTV_SYSTEM_DVBC ? kit_demod_j83b_CheckTSLock : kit_demod_dvbc_CheckTSLock;
        kit_demod_lock_result_t lock = 0;
        EXPECT_EQ(std::make_pair(other(&b.demod, &lock), check(&b.demod, nullptr)), std::make_pair(3u, 1u));
        b.i2c.failRegister(SLVT, 0x40, 0x10);
        EXPECT_EQ(check(&b.demod, &lock), 2u);
    }
}

TEST(KitCableQamMonitor, ValuesAndLimits)
{
    Locked b(KIT_DTV_SYSTEM_DVBC);
    const Monitor per = monitor(kit_demod_dvbc_monitor_PER), rate = monitor(kit_demod_dvbc_monitor_SymbolRate),
                  snr = monitor(kit_demod_dvbc_monitor_SNR), ber = monitor(kit_demod_dvbc_monitor_PreRSBER),
                  offset = monitor(kit_demod_dvbc_monitor_CarrierOffset),
                  sense = monitor(kit_demod_dvbc_monitor_SpectrumSense), qam = monitor(kit_demod_dvbc_monitor_QAM),
                  packets = monitor(kit_demod_dvbc_monitor_PacketErrorNumber),
                  agc = monitor(kit_demod_dvbc_monitor_IFAGCOut);
    auto snrOf = [](int qamCode, int x) {  // the top bits of 0x4C are not the value's
        return std::vector<Bytes>{{0x40, 0x19, {qamCode}}, {0x40, 0x4C, {x >> 8 | 0xE0, x & 0xFF}}};
    };
    auto rateOf = [](std::vector<int> coarse, std::vector<int> fine) {
        return std::vector<Bytes>{{0x40, 0x1A, coarse}, {0x40, 0x9B, fine}};
    };
    auto berOf = [](std::vector<int> count, int exponent) {
        return std::vector<Bytes>{{0x40, 0x62, count}, {0x40, 0x60, {exponent | 0xE0}}};
    };
    expectReadings(b, {
        {{{0x40, 0x5C, {0x0A, 0x04, 0x00, 0x05}}}, per, 0, 4883}, {{{0x40, 0x5C, {0x00, 0x04, 0x00, 0x01}}}, per, 0, 1000000},
        {{{0x40, 0x5C, {0x12, 0x07, 0xFF, 0xFF}}}, per, 0, 999996},  // 2^18 - 1 errors in 2^18 packets
        {{{0x40, 0x5C, {0x00, 0x04, 0x00, 0x02}}}, per, 4, 0}, {{{0x40, 0x5C, {0x0A, 0x00, 0x00, 0x05}}}, per, 4, 0},
        {rateOf({0x09, 0x33}, {0x00, 0x33, 0x34, 0x98, 0x00}), rate, 0, 6900000},
        {rateOf({0x09, 0x33}, {0xFF, 0xCC, 0xCB, 0x68, 0x00}), rate, 0, 6898828},  // the same fine term, negative
        {rateOf({0x09, 0x33}, {0x00, 0x33, 0x34, 0x98, 0x03}), rate, 0, 6899487},  // coarser scale
        {rateOf({0xF9, 0x33}, {0x80, 0x00, 0x00, 0x00, 0x00}), rate, 0, 6524414},  // no 32-bit wrap
        {rateOf({0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00}), rate, 0, 0},
        {snrOf(2, 1000), snr, 0, 30296}, {snrOf(0, 50), snr, 0, 49866}, {snrOf(1, 1000), snr, 0, 26191},
        {snrOf(2, 0x1FFF), snr, 0, 10346}, {snrOf(2, 0), snr, 4, 0}, {snrOf(5, 1000), snr, 4, 0},
        {berOf({0x80, 0x06, 0x60}, 0), ber, 0, 10000000},  {berOf({0x80, 0x06, 0x61}, 0), ber, 4, 0},
        {berOf({0x80, 0x00, 0x64}, 3), ber, 0, 76593},     {berOf({0xBF, 0xFF, 0xFF}, 12), ber, 0, 6274508},
        {berOf({0x00, 0x00, 0x01}, 3), ber, 4, 0},         {berOf({0x80, 0x00, 0x00}, 0x1F), ber, 0, 0},
        {{{0x40, 0x15, {0xE0, 0x00}}}, offset, 0, -24000},  // -8192 steps of 48 MHz / 2^14
        {{{0x40, 0x15, {0x3F, 0xFF}}}, offset, 0, -2},      // -1 step: truncated towards zero
        {{{0x40, 0x15, {0x00, 0x64}}}, offset, 0, 292}, {{{0x40, 0x19, {0x84}}}, sense, 0, 1}, {{}, qam, 0, KIT_SCQAM_256QAM},
        {{{0x40, 0xEA, {0x01, 0x02, 0x01}}}, packets, 0, 258}, {{{0x40, 0xEC, {0x00}}}, packets, 4, 0},
        {{{0x40, 0x49, {0xFA, 0xBC}}}, agc, 0, 0xABC},
    });
    // The IF's inversion turns the offset and the sense over.
    b.demod.ifSpectrumInverted = 1;
    expectReadings(b, {{{}, offset, 0, -292}, {{}, sense, 0, 0}});

    int8_t i = 0, q = 0;
    b.set(0x40, 0x47, {0x80, 0x7F});
    ASSERT_EQ(kit_demod_dvbc_adv_monitor_Constellation(&b.demod, &i, &q), 0u);
    EXPECT_EQ(std::make_pair(i, q), std::make_pair(int8_t(-128), int8_t(127)));
    uint8_t ar = 0, ts = 0, unlock = 0;
    b.set(0x40, 0x88, {0x03});
    EXPECT_EQ(std::make_tuple(kit_demod_dvbc_monitor_SyncStat(&b.demod, &ar, &ts, &unlock), ar, ts, unlock),
              std::make_tuple(0u, 1, 1, 1));
}

TEST(KitCableQamMonitor, NotReadyWhenUnlockedAndTheFreezeAlwaysLetGo)
{
    using Monitor = std::function<kit_result_t(kit_demod_t*)>;
    uint32_t u = 0;
    int32_t s = 0;
    kit_scqam_constellation_t qam = 0;
    const std::vector<std::pair<kit_dtv_system_t, Monitor>> frozen = {
        {KIT_DTV_SYSTEM_DVBC, [&](kit_demod_t* d) { return kit_demod_dvbc_monitor_QAM(d, &qam); }},
        {KIT_DTV_SYSTEM_DVBC, [&](kit_demod_t* d) { return kit_demod_dvbc_monitor_CarrierOffset(d, &s); }},
        {KIT_DTV_SYSTEM_J83B, [&](kit_demod_t* d) { return kit_demod_j83b_monitor_SymbolRate(d, &u); }},
    };
    for (const auto& [sys, read] : frozen) {
        Locked b(sys, 0x00, 0x00);
        b.set(0x40, 0x4C, {0x03, 0xE8});
        b.set(0x40, 0x19, {0x02});
        EXPECT_EQ(read(&b.demod), 4u);
        EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0x01, 1), W(SLVT, 0x40, 0x01, 0)}));
        b.set(0x40, 0x88, {0x01});
        EXPECT_EQ(read(&b.demod), 0u);
        b.i2c.failRegister(SLVT, 0x40, 0x88);
        EXPECT_EQ(read(&b.demod), 2u);
        EXPECT_TRUE(freezeReleased(b.i2c));
        b.i2c.clearFaults();
        b.i2c.failAccess(1);  // the freeze itself: still let go
        EXPECT_EQ(read(&b.demod), 2u);
        EXPECT_TRUE(freezeReleased(b.i2c));
        b.demod.system = sys == KIT_DTV_SYSTEM_DVBC ? KIT_DTV_SYSTEM_J83B : KIT_DTV_SYSTEM_DVBC;
        b.i2c.clearLog();
        EXPECT_EQ(read(&b.demod), 3u);
        EXPECT_TRUE(b.i2c.writes().empty());
    }
    // The counters have valid flags of their own, clear while unlocked.
    Locked b(KIT_DTV_SYSTEM_DVBC, 0x00, 0x00);
    for (auto read : {kit_demod_dvbc_monitor_PER, kit_demod_dvbc_monitor_PreRSBER, kit_demod_dvbc_monitor_PacketErrorNumber})
        EXPECT_EQ(read(&b.demod, &u), 4u);
    EXPECT_EQ(kit_demod_dvbc_monitor_QAM(&b.demod, nullptr), 1u);
    b.demod.state = KIT_DEMOD_STATE_SLEEP;
    EXPECT_EQ(kit_demod_dvbc_monitor_PER(&b.demod, &u), 3u);
}

TEST(KitJ83bMonitor, ItsOwnMonitors)
{
    Locked b(KIT_DTV_SYSTEM_J83B);
    const Monitor snr = monitor(kit_demod_j83b_monitor_SNR), ber = monitor(kit_demod_j83b_monitor_PreRSBER),
                  sense = monitor(kit_demod_j83b_monitor_SpectrumSense),
                  sampling = monitor(kit_demod_j83b_monitor_SamplingOffset),
                  interleave = monitor(kit_demod_j83b_monitor_Interleave), per = monitor(kit_demod_j83b_monitor_PER);
    auto snrOf = [](int qam) { return std::vector<Bytes>{{0x40, 0x19, {qam}}, {0x40, 0x4C, {0x03, 0xE8}}}; };
    // Sampling offset against the nominal rate of band and QAM, signed both ways.
    auto coarse = [](int qam, int steps) {
        return std::vector<Bytes>{{0x40, 0x19, {qam}}, {0x40, 0x1A, {steps >> 8, steps & 0xFF}}, {0x40, 0x9B, {0, 0, 0, 0, 0}}};
    };
    // SNR: 64QAM and 256QAM only, whatever the noise register says.
    expectReadings(b, {
        {snrOf(0), snr, 4, 0}, {snrOf(1), snr, 4, 0}, {snrOf(2), snr, 0, 30296},
        {snrOf(3), snr, 4, 0}, {snrOf(4), snr, 0, 30296}, {snrOf(5), snr, 4, 0},
        // Pre-RS BER over 188-byte packets.
        {{{0x40, 0x62, {0x80, 0x05, 0xE0}}, {0x40, 0x60, {0x00}}}, ber, 0, 10000000}, {{{0x40, 0x64, {0xE1}}}, ber, 4, 0},
        {{{0x40, 0x62, {0x80, 0x03, 0xE8}}, {0x40, 0x60, {0x02}}}, ber, 0, 1662234},
        // Spectrum sense from bank 0x80, valid flag first, no AR lock needed.
        {{{0x40, 0x88, {0x00}}, {0x80, 0x50, {0x01}}, {0x80, 0x55, {0xFF}}}, sense, 0, 1},
        {{{0x80, 0x53, {0x01, 0xF5}}, {0x40, 0x88, {0x01}}}, interleave, 0, 5},
        {coarse(2, 1726), sampling, 0, 5932},     // 5056641 sps, slower than 5056941
        {coarse(2, 1727), sampling, 0, -51988},   // 5059570 sps, faster
        {coarse(0, 1726), sampling, 4, 0}, {coarse(4, 0x777), sampling, 0, -4441645},
        // The shared monitors read the same registers on J.83 Annex B.
        {{{0x40, 0x5C, {0x0A, 0x04, 0x00, 0x05}}}, per, 0, 4883},
    });
    b.demod.bandwidth = KIT_DTV_BW_J83B_51;
    b.demod.ifSpectrumInverted = 1;
    expectReadings(b, {
        {{}, sense, 0, 0}, {coarse(2, 1726), sampling, 4, 0},
        {coarse(4, 0x777), sampling, 0, 24411},  // 1911 coarse steps: 5598633 sps
        {{{0x80, 0x53, {0x00}}}, interleave, 4, 0},
    });
    b.set(0x80, 0x50, {0xFE});
    b.i2c.clearLog();
    uint8_t flag = 0;
    EXPECT_EQ(kit_demod_j83b_monitor_SpectrumSense(&b.demod, &flag), 4u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0x80, 0x01, 1), W(SLVT, 0x80, 0x01, 0)}));
    uint8_t ar = 0, ts = 0, unlock = 0;
    b.set(0x40, 0x88, {0x02});
    EXPECT_EQ(std::make_tuple(kit_demod_j83b_monitor_SyncStat(&b.demod, &ar, &ts, &unlock), ar, ts, unlock),
              std::make_tuple(0u, 0, 1, 1));
    uint32_t u = 0;
    EXPECT_EQ(kit_demod_dvbc_monitor_PER(&b.demod, &u), 3u);  // and refuse DVB-C's
    EXPECT_EQ(kit_demod_j83b_monitor_Interleave(&b.demod, nullptr), 1u);
}
