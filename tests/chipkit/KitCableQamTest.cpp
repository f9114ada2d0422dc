// DVB-C and J.83 Annex B on the fake register files: tune trails from sleep, retunes that
// touch only the band, sleep trails, lock checks against the lock-register combinations in and
// out of scan mode, and every monitor at its values and limits, with the freeze released on
// every path.
#include "KitTrail.h"
#include "chipkit/kit_demod_dvbc.h"
#include "chipkit/kit_demod_dvbc_monitor.h"
#include "chipkit/kit_demod_j83b.h"
#include "chipkit/kit_demod_j83b_monitor.h"
#include "chipkit/kit_demod_output.h"

#include <gtest/gtest.h>

using namespace kittest;

namespace {

const std::vector<Step> kDvbcBand8 = [] {
    std::vector<Step> s = bytes(0x10, 0xA6, {0x29, 0x9A, 0x28, 0x9E, 0x2F, 0xB9, 0x27, 0xA5, 0x28, 0xA9, 0x2B, 0xB0, 0x08, 0xD6});
    append(s, bytes(0x10, 0xB6, {0x1A, 0x22, 0x22}));
    s.push_back(W(SLVT, 0x11, 0xA3, 0x00));
    append(s, bytes(0x40, 0x26, {0x09, 0x9A, 0x00, 0xEE}));
    return s;
}();

const std::vector<Step> kDvbcBand6 = [] {
    std::vector<Step> s = bytes(0x10, 0xA6, {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28, 0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8});
    append(s, bytes(0x10, 0xB6, {0x13, 0xBB, 0xBC}));
    s.push_back(W(SLVT, 0x11, 0xA3, 0x14));
    append(s, bytes(0x40, 0x26, {0x07, 0x33, 0x00, 0xEE}));
    return s;
}();

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
        const kit_result_t r = system == KIT_DTV_SYSTEM_J83B ? j83bTune(&demod, KIT_DTV_BW_J83B_50)
                                                             : dvbcTune(&demod, KIT_DTV_BW_8_MHZ);
        EXPECT_EQ(r, 0u);
        i2c.setReg(SLVT, 0x40, 0x88, reg88);
        i2c.setReg(SLVT, 0x40, 0x10, reg10);
        i2c.clearLog();
    }
    void set(int bank, int reg, std::initializer_list<int> values) { setBytes(i2c, bank, reg, values); }
    bool released() const { return freezeReleased(i2c); }
};

} // namespace

TEST(KitDvbcTune, FromSleepRetuneAndSleepTrails)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_8_MHZ), 0u);
    std::vector<Step> expected = writesOf([](kit_demod_t* d) { kit_demod_SetTSClockModeAndFreq(d, 3); });
    append(expected, {W(SLVX, 0, 0x17, 0x04), W(SLVT, 0, 0xA9, 0), W(SLVT, 0, 0x2C, 1), W(SLVT, 0, 0x4B, 0x74),
                      W(SLVT, 0, 0x49, 0), W(SLVX, 0, 0x18, 0), W(SLVT, 0x11, 0x6A, 0x48), W(SLVT, 0x10, 0xA5, 1),
                      W(SLVT, 0x11, 0x33, 0), W(SLVT, 0x11, 0x34, 3), W(SLVT, 0x11, 0x35, 0x3B),
                      W(SLVT, 0x48, 0x2C, 3), W(SLVT, 0, 0xCE, 1), W(SLVT, 0, 0xCF, 1)});
    append(expected, kDvbcBand8);
    append(expected, {W(SLVT, 0, 0x80, 0x08), W(SLVT, 0, 0x81, 0x00)});
    EXPECT_EQ(b.i2c.trail(), expected);
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_ACTIVE);
    EXPECT_EQ(b.demod.system, KIT_DTV_SYSTEM_DVBC);

    // While active only the band changes, behind the TS output switched off.
    b.i2c.clearLog();
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_6_MHZ), 0u);
    expected = {W(SLVT, 0, 0xC3, 1)};
    append(expected, kDvbcBand6);
    EXPECT_EQ(b.i2c.trail(), expected);
    EXPECT_EQ(b.demod.bandwidth, KIT_DTV_BW_6_MHZ);
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_ACTIVE);

    // 7 MHz uses the 8 MHz filter with its own band words; no filter flag, no coefficients.
    b.demod.tunerFilter = 0;
    b.i2c.clearLog();
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_7_MHZ), 0u);
    expected = {W(SLVT, 0, 0xC3, 1)};
    append(expected, bytes(0x10, 0xB6, {0x1A, 0x22, 0x22}));
    expected.push_back(W(SLVT, 0x11, 0xA3, 0x00));
    append(expected, bytes(0x40, 0x26, {0x08, 0x66, 0x00, 0xEE}));
    EXPECT_EQ(b.i2c.trail(), expected);

    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Sleep(&b.demod), 0u);
    EXPECT_EQ(b.i2c.trail(),
              (std::vector<Step>{W(SLVT, 0, 0xC3, 1), W(SLVT, 0, 0x80, 0x1F), W(SLVT, 0, 0x81, 0xFF),
                                 W(SLVT, 0x11, 0xA3, 0), W(SLVT, 0x48, 0x2C, 1), W(SLVX, 0, 0x18, 1),
                                 W(SLVT, 0, 0x49, 0x33), W(SLVT, 0, 0x4B, 0x21), W(SLVT, 0, 0xFE, 1),
                                 W(SLVT, 0, 0x2C, 0), W(SLVT, 0, 0xA9, 0), W(SLVX, 0, 0x17, 1)}));
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_SLEEP);
    EXPECT_EQ(b.demod.system, 0u);
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
    EXPECT_EQ(b.i2c.accesses(), initialized);
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_SLEEP);

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
        EXPECT_EQ(f.demod.state, KIT_DEMOD_STATE_INVALID) << n;
        EXPECT_EQ(f.i2c.accesses(), before + n) << "stops at the failure";
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
    std::vector<Step> expected = writesOf([](kit_demod_t* d) { kit_demod_SetTSClockModeAndFreq(d, 11); });
    append(expected, {W(SLVX, 0, 0x17, 0x08), W(SLVT, 0, 0xA9, 0), W(SLVT, 0, 0x2C, 1), W(SLVT, 0, 0x4B, 0x74),
                      W(SLVT, 0, 0x49, 0), W(SLVX, 0, 0x18, 0), W(SLVT, 0x11, 0x6A, 0x48), W(SLVT, 0x10, 0xA5, 1),
                      W(SLVT, 0x40, 0x21, 0x04), W(SLVT, 0x40, 0xB3, 0x05), W(SLVT, 0x40, 0x1E, 0x80),
                      W(SLVT, 0x40, 0x8E, 0x58), W(SLVT, 0x41, 0xCF, 0x99), W(SLVT, 0x11, 0xA3, 0x14),
                      W(SLVT, 0x11, 0x33, 0), W(SLVT, 0x11, 0x34, 3), W(SLVT, 0x11, 0x35, 0x3B),
                      W(SLVT, 0, 0xCE, 1), W(SLVT, 0, 0xCF, 1)});
    append(expected, bytes(0x10, 0xA6, {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28, 0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8}));
    append(expected, bytes(0x10, 0xB6, {0x13, 0xBB, 0xBC}));
    expected.push_back(W(SLVT, 0x40, 0x14, 0x14));
    append(expected, bytes(0x40, 0x26, {0x07, 0x26, 0x06, 0xBE}));
    append(expected, {W(SLVT, 0, 0x80, 0x08), W(SLVT, 0, 0x81, 0x00)});
    EXPECT_EQ(b.i2c.trail(), expected);
    EXPECT_EQ(b.demod.system, KIT_DTV_SYSTEM_J83B);

    b.i2c.clearLog();
    ASSERT_EQ(j83bTune(&b.demod, KIT_DTV_BW_J83B_51), 0u);
    expected = {W(SLVT, 0, 0xC3, 1)};
    append(expected, bytes(0x10, 0xB6, {0x14, 0x00, 0x00}));
    expected.push_back(W(SLVT, 0x40, 0x14, 0x10));
    append(expected, bytes(0x40, 0x26, {0x07, 0x77, 0x07, 0x77}));
    EXPECT_EQ(b.i2c.trail(), expected);

    // Over to DVB-C: J.83 Annex B sleeps first, then DVB-C wakes.
    b.i2c.clearLog();
    ASSERT_EQ(dvbcTune(&b.demod, KIT_DTV_BW_8_MHZ), 0u);
    const std::vector<Step> j83bSleep = {
        W(SLVT, 0, 0xC3, 1),       W(SLVT, 0, 0x80, 0x1F),    W(SLVT, 0, 0x81, 0xFF),    W(SLVT, 0x11, 0xA3, 0),
        W(SLVT, 0x40, 0x21, 0),    W(SLVT, 0x40, 0xC3, 0),    W(SLVT, 0x40, 0xB3, 2),    W(SLVT, 0x40, 0x1E, 0),
        W(SLVT, 0x40, 0x8E, 0x0E), W(SLVT, 0x41, 0xCF, 0x77), W(SLVT, 0x40, 0x14, 0x1F), W(SLVT, 0x40, 0x26, 0x09),
        W(SLVT, 0x40, 0x27, 0x9A), W(SLVT, 0x40, 0x28, 0x00), W(SLVT, 0x40, 0x29, 0xEE), W(SLVX, 0, 0x18, 1),
        W(SLVT, 0, 0x49, 0x33),    W(SLVT, 0, 0x4B, 0x21),    W(SLVT, 0, 0xFE, 1),       W(SLVT, 0, 0x2C, 0),
        W(SLVT, 0, 0xA9, 0),       W(SLVX, 0, 0x17, 1)};
    const std::vector<Step> writes = b.i2c.writes();
    ASSERT_GT(writes.size(), j83bSleep.size());
    EXPECT_EQ(std::vector<Step>(writes.begin(), writes.begin() + j83bSleep.size()), j83bSleep);
    EXPECT_EQ(b.demod.system, KIT_DTV_SYSTEM_DVBC);
    EXPECT_EQ(b.i2c.reg(SLVX, 0, 0x17), 0x04);
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
            kit_demod_lock_result_t lock = 99;
            ASSERT_EQ(check(&b.demod, &lock), 0u);
            EXPECT_EQ(lock, c.lock) << sys << " " << int(c.reg88) << " " << int(c.reg10) << " " << int(c.scan);
        }
        EXPECT_TRUE(b.i2c.writes().empty());
        auto other = sys == KIT_DTV_SYSTEM_DVBC ? kit_demod_j83b_CheckTSLock : kit_demod_dvbc_CheckTSLock;
        kit_demod_lock_result_t lock = 0;
        EXPECT_EQ(other(&b.demod, &lock), 3u);
        EXPECT_EQ(check(&b.demod, nullptr), 1u);
        b.i2c.failRegister(SLVT, 0x40, 0x10);
        EXPECT_EQ(check(&b.demod, &lock), 2u);
    }
}

TEST(KitCableQamMonitor, ValuesAndLimits)
{
    Locked b(KIT_DTV_SYSTEM_DVBC);
    kit_demod_t* d = &b.demod;
    uint32_t u = 0;
    int32_t s = 0;

    b.set(0x40, 0x5C, {0x0A, 0x04, 0x00, 0x05});
    ASSERT_EQ(kit_demod_dvbc_monitor_PER(d, &u), 0u);
    EXPECT_EQ(u, 4883u);
    b.set(0x40, 0x5C, {0x00, 0x04, 0x00, 0x01});
    ASSERT_EQ(kit_demod_dvbc_monitor_PER(d, &u), 0u);
    EXPECT_EQ(u, 1000000u);
    b.set(0x40, 0x5C, {0x12, 0x07, 0xFF, 0xFF});  // 2^18 - 1 errors in 2^18 packets
    ASSERT_EQ(kit_demod_dvbc_monitor_PER(d, &u), 0u);
    EXPECT_EQ(u, 999996u);
    b.set(0x40, 0x5C, {0x00, 0x04, 0x00, 0x02});
    EXPECT_EQ(kit_demod_dvbc_monitor_PER(d, &u), 4u);
    b.set(0x40, 0x5C, {0x0A, 0x00, 0x00, 0x05});
    EXPECT_EQ(kit_demod_dvbc_monitor_PER(d, &u), 4u);

    struct Rate {
        std::initializer_list<int> coarse, fine;
        uint32_t sps;
    };
    const Rate rates[] = {
        {{0x09, 0x33}, {0x00, 0x33, 0x34, 0x98, 0x00}, 6900000},
        {{0x09, 0x33}, {0xFF, 0xCC, 0xCB, 0x68, 0x00}, 6898828},  // the same fine term, negative
        {{0x09, 0x33}, {0x00, 0x33, 0x34, 0x98, 0x03}, 6899487},  // coarser scale
        {{0xF9, 0x33}, {0x80, 0x00, 0x00, 0x00, 0x00}, 6524414},  // the most negative term: no 32-bit wrap
        {{0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00}, 0},
    };
    for (const Rate& r : rates) {
        b.set(0x40, 0x1A, r.coarse);
        b.set(0x40, 0x9B, r.fine);
        ASSERT_EQ(kit_demod_dvbc_monitor_SymbolRate(d, &u), 0u);
        EXPECT_EQ(u, r.sps);
    }

    struct Snr {
        int qam, x;
        kit_result_t result;
        int32_t snr;
    };
    const Snr snrs[] = {
        {2, 1000, 0, 30296}, {4, 1000, 0, 30296}, {0, 50, 0, 49866},  {1, 1000, 0, 26191},
        {3, 10, 0, 49775},   {2, 0x1FFF, 0, 10346}, {2, 0, 4, 0},     {5, 1000, 4, 0},
    };
    for (const Snr& c : snrs) {
        b.set(0x40, 0x19, {c.qam});
        b.set(0x40, 0x4C, {c.x >> 8 | 0xE0, c.x & 0xFF});  // the top bits are not the value's
        s = -1;
        EXPECT_EQ(kit_demod_dvbc_monitor_SNR(d, &s), c.result) << c.qam << " " << c.x;
        if (c.result == 0) {
            EXPECT_EQ(s, c.snr) << c.qam << " " << c.x;
        }
        EXPECT_TRUE(b.released());
    }

    struct Ber {
        std::initializer_list<int> count;
        int exponent;
        kit_result_t result;
        uint32_t ber;
    };
    const Ber bers[] = {
        {{0x80, 0x06, 0x60}, 0, 0, 10000000},   {{0x80, 0x06, 0x61}, 0, 4, 0},
        {{0x80, 0x00, 0x64}, 3, 0, 76593},      {{0xBF, 0xFF, 0xFF}, 12, 0, 6274508},
        {{0x00, 0x00, 0x01}, 3, 4, 0},          {{0x80, 0x00, 0x00}, 0x1F, 0, 0},
    };
    for (const Ber& c : bers) {
        b.set(0x40, 0x62, c.count);
        b.set(0x40, 0x60, {c.exponent | 0xE0});
        EXPECT_EQ(kit_demod_dvbc_monitor_PreRSBER(d, &u), c.result);
        if (c.result == 0) {
            EXPECT_EQ(u, c.ber);
        }
    }

    b.set(0x40, 0x15, {0xE0, 0x00});  // -8192 steps of 48 MHz / 2^14
    ASSERT_EQ(kit_demod_dvbc_monitor_CarrierOffset(d, &s), 0u);
    EXPECT_EQ(s, -24000);
    b.set(0x40, 0x15, {0x3F, 0xFF});  // -1 step: truncated towards zero
    ASSERT_EQ(kit_demod_dvbc_monitor_CarrierOffset(d, &s), 0u);
    EXPECT_EQ(s, -2);
    b.set(0x40, 0x15, {0x00, 0x64});
    ASSERT_EQ(kit_demod_dvbc_monitor_CarrierOffset(d, &s), 0u);
    EXPECT_EQ(s, 292);
    b.demod.ifSpectrumInverted = 1;
    ASSERT_EQ(kit_demod_dvbc_monitor_CarrierOffset(d, &s), 0u);
    EXPECT_EQ(s, -292);

    uint8_t sense = 9;
    kit_scqam_constellation_t qam = 9;
    b.set(0x40, 0x19, {0x84});
    ASSERT_EQ(kit_demod_dvbc_monitor_SpectrumSense(d, &sense), 0u);
    EXPECT_EQ(sense, 0);  // inverted by the IF
    b.demod.ifSpectrumInverted = 0;
    ASSERT_EQ(kit_demod_dvbc_monitor_SpectrumSense(d, &sense), 0u);
    EXPECT_EQ(sense, 1);
    ASSERT_EQ(kit_demod_dvbc_monitor_QAM(d, &qam), 0u);
    EXPECT_EQ(qam, KIT_SCQAM_256QAM);

    b.set(0x40, 0xEA, {0x01, 0x02, 0x01});
    ASSERT_EQ(kit_demod_dvbc_monitor_PacketErrorNumber(d, &u), 0u);
    EXPECT_EQ(u, 258u);
    b.set(0x40, 0xEC, {0x00});
    EXPECT_EQ(kit_demod_dvbc_monitor_PacketErrorNumber(d, &u), 4u);

    b.set(0x40, 0x49, {0xFA, 0xBC});
    ASSERT_EQ(kit_demod_dvbc_monitor_IFAGCOut(d, &u), 0u);
    EXPECT_EQ(u, 0xABCu);
    int8_t i = 0, q = 0;
    b.set(0x40, 0x47, {0x80, 0x7F});
    ASSERT_EQ(kit_demod_dvbc_adv_monitor_Constellation(d, &i, &q), 0u);
    EXPECT_EQ(i, -128);
    EXPECT_EQ(q, 127);
    uint8_t ar = 0, ts = 0, unlock = 0;
    b.set(0x40, 0x88, {0x03});
    ASSERT_EQ(kit_demod_dvbc_monitor_SyncStat(d, &ar, &ts, &unlock), 0u);
    EXPECT_EQ(ar + 2 * ts + 4 * unlock, 7);
}

TEST(KitCableQamMonitor, NotReadyWhenUnlockedAndTheFreezeAlwaysLetGo)
{
    using Monitor = std::function<kit_result_t(kit_demod_t*)>;
    uint32_t u = 0;
    int32_t s = 0;
    uint8_t b8 = 0;
    kit_scqam_constellation_t qam = 0;
    const std::vector<std::pair<const char*, Monitor>> frozen = {
        {"QAM", [&](kit_demod_t* d) { return kit_demod_dvbc_monitor_QAM(d, &qam); }},
        {"SpectrumSense", [&](kit_demod_t* d) { return kit_demod_dvbc_monitor_SpectrumSense(d, &b8); }},
        {"SymbolRate", [&](kit_demod_t* d) { return kit_demod_dvbc_monitor_SymbolRate(d, &u); }},
        {"CarrierOffset", [&](kit_demod_t* d) { return kit_demod_dvbc_monitor_CarrierOffset(d, &s); }},
        {"SNR", [&](kit_demod_t* d) { return kit_demod_dvbc_monitor_SNR(d, &s); }},
        {"J83B SNR", [&](kit_demod_t* d) { return kit_demod_j83b_monitor_SNR(d, &s); }},
        {"J83B SymbolRate", [&](kit_demod_t* d) { return kit_demod_j83b_monitor_SymbolRate(d, &u); }},
    };
    for (const auto& m : frozen) {
        const kit_dtv_system_t sys = std::string(m.first).rfind("J83B", 0) == 0 ? KIT_DTV_SYSTEM_J83B
                                                                                : KIT_DTV_SYSTEM_DVBC;
        Locked b(sys, 0x00, 0x00);
        b.set(0x40, 0x4C, {0x03, 0xE8});
        b.set(0x40, 0x19, {0x02});
        EXPECT_EQ(m.second(&b.demod), 4u) << m.first;
        EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0x01, 1), W(SLVT, 0x40, 0x01, 0)})) << m.first;
        b.set(0x40, 0x88, {0x01});
        EXPECT_EQ(m.second(&b.demod), 0u) << m.first;
        b.i2c.failRegister(SLVT, 0x40, 0x88);
        EXPECT_EQ(m.second(&b.demod), 2u) << m.first;
        EXPECT_TRUE(b.released()) << m.first;
        b.i2c.clearFaults();
        b.i2c.failAccess(1);  // the freeze itself: still let go
        EXPECT_EQ(m.second(&b.demod), 2u) << m.first;
        EXPECT_TRUE(b.released()) << m.first;
        b.demod.system = sys == KIT_DTV_SYSTEM_DVBC ? KIT_DTV_SYSTEM_J83B : KIT_DTV_SYSTEM_DVBC;
        b.i2c.clearLog();
        EXPECT_EQ(m.second(&b.demod), 3u) << m.first;
        EXPECT_TRUE(b.i2c.writes().empty());
    }
    // The counters have valid flags of their own, clear while unlocked.
    Locked b(KIT_DTV_SYSTEM_DVBC, 0x00, 0x00);
    EXPECT_EQ(kit_demod_dvbc_monitor_PER(&b.demod, &u), 4u);
    EXPECT_EQ(kit_demod_dvbc_monitor_PreRSBER(&b.demod, &u), 4u);
    EXPECT_EQ(kit_demod_dvbc_monitor_PacketErrorNumber(&b.demod, &u), 4u);
    EXPECT_EQ(kit_demod_dvbc_monitor_QAM(&b.demod, nullptr), 1u);
    b.demod.state = KIT_DEMOD_STATE_SLEEP;
    EXPECT_EQ(kit_demod_dvbc_monitor_PER(&b.demod, &u), 3u);
}

TEST(KitJ83bMonitor, ItsOwnMonitors)
{
    Locked b(KIT_DTV_SYSTEM_J83B);
    kit_demod_t* d = &b.demod;
    uint32_t u = 0;
    int32_t s = 0;

    // SNR: 64QAM and 256QAM only, whatever the noise register says.
    for (int qam = 0; qam <= 5; ++qam) {
        b.set(0x40, 0x19, {qam});
        b.set(0x40, 0x4C, {0x03, 0xE8});
        const bool carried = qam == 2 || qam == 4;
        EXPECT_EQ(kit_demod_j83b_monitor_SNR(d, &s), carried ? 0u : 4u) << qam;
        if (carried) {
            EXPECT_EQ(s, 30296);
        }
    }

    // Pre-RS BER over 188-byte packets.
    b.set(0x40, 0x62, {0x80, 0x05, 0xE0});
    b.set(0x40, 0x60, {0x00});
    ASSERT_EQ(kit_demod_j83b_monitor_PreRSBER(d, &u), 0u);
    EXPECT_EQ(u, 10000000u);
    b.set(0x40, 0x64, {0xE1});
    EXPECT_EQ(kit_demod_j83b_monitor_PreRSBER(d, &u), 4u);
    b.set(0x40, 0x62, {0x80, 0x03, 0xE8});
    b.set(0x40, 0x60, {0x02});
    ASSERT_EQ(kit_demod_j83b_monitor_PreRSBER(d, &u), 0u);
    EXPECT_EQ(u, 1662234u);

    // Spectrum sense from bank 0x80, valid flag first, no AR lock needed.
    uint8_t sense = 9;
    b.set(0x40, 0x88, {0x00});
    b.set(0x80, 0x50, {0x01});
    b.set(0x80, 0x55, {0xFF});
    ASSERT_EQ(kit_demod_j83b_monitor_SpectrumSense(d, &sense), 0u);
    EXPECT_EQ(sense, 1);
    b.demod.ifSpectrumInverted = 1;
    ASSERT_EQ(kit_demod_j83b_monitor_SpectrumSense(d, &sense), 0u);
    EXPECT_EQ(sense, 0);
    b.set(0x80, 0x50, {0xFE});
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_j83b_monitor_SpectrumSense(d, &sense), 4u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0x80, 0x01, 1), W(SLVT, 0x80, 0x01, 0)}));
    b.set(0x40, 0x88, {0x01});

    // Sampling offset against the nominal rate of band and QAM, signed both ways.
    struct Offset {
        kit_dtv_bandwidth_t band;
        int qam, coarse;
        kit_result_t result;
        int32_t offset;
    };
    const Offset offsets[] = {
        {KIT_DTV_BW_J83B_50, 2, 1726, 0, 5932},  // 5056641 sps, slower than 5056941
        {KIT_DTV_BW_J83B_50, 2, 1727, 0, -51988},  // 5059570 sps, faster
        {KIT_DTV_BW_J83B_51, 2, 1726, 4, 0},
        {KIT_DTV_BW_J83B_50, 0, 1726, 4, 0},
    };
    b.set(0x40, 0x9B, {0, 0, 0, 0, 0});
    for (const Offset& c : offsets) {
        b.demod.bandwidth = c.band;
        b.set(0x40, 0x19, {c.qam});
        b.set(0x40, 0x1A, {c.coarse >> 8, c.coarse & 0xFF});
        EXPECT_EQ(kit_demod_j83b_monitor_SamplingOffset(d, &s), c.result) << c.coarse;
        if (c.result == 0) {
            EXPECT_EQ(s, c.offset);
        }
        EXPECT_TRUE(b.released());
    }
    b.demod.bandwidth = KIT_DTV_BW_J83B_51;
    b.set(0x40, 0x19, {4});
    b.set(0x40, 0x1A, {0x07, 0x77});  // 1911 coarse steps: 5598633 sps
    ASSERT_EQ(kit_demod_j83b_monitor_SamplingOffset(d, &s), 0u);
    EXPECT_EQ(s, 24411);

    uint8_t code = 0;
    b.set(0x80, 0x53, {0x01, 0xF5});
    ASSERT_EQ(kit_demod_j83b_monitor_Interleave(d, &code), 0u);
    EXPECT_EQ(code, 5);
    b.set(0x80, 0x53, {0x00});
    EXPECT_EQ(kit_demod_j83b_monitor_Interleave(d, &code), 4u);

    // The shared monitors read the same registers on J.83 Annex B, and refuse DVB-C's.
    b.set(0x40, 0x5C, {0x0A, 0x04, 0x00, 0x05});
    ASSERT_EQ(kit_demod_j83b_monitor_PER(d, &u), 0u);
    EXPECT_EQ(u, 4883u);
    EXPECT_EQ(kit_demod_dvbc_monitor_PER(d, &u), 3u);
    EXPECT_EQ(kit_demod_j83b_monitor_Interleave(d, nullptr), 1u);
}
