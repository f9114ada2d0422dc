// The DVB-S/S2 monitors on the fake register files: each decoding at its values and limits, the
// C/N curves, error rates past 32 bits, which system each monitor answers for, and the freeze
// released on every way out.
#include "KitTrail.h"
#include "chipkit/kit_demod_dvbs_s2.h"
#include "chipkit/kit_demod_dvbs_s2_monitor.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace kittest;

namespace {

constexpr uint8_t A0 = 0xA0;

struct Sat : DemodBench {
    explicit Sat(kit_dtv_system_t system = KIT_DTV_SYSTEM_DVBS2)
    {
        EXPECT_EQ(initialize(), 0u);
        const kit_dvbs_s2_tune_param_t p = {system, 1200000, 27500};
        EXPECT_EQ(kit_demod_dvbs_s2_Tune(&demod, &p), 0u);
        i2c.clearLog();
    }
    void set(uint8_t bank, uint8_t reg, std::initializer_list<uint8_t> bytes)
    {
        for (uint8_t b : bytes)
            i2c.setReg(SLVT, bank, reg++, b);
    }
    // TS locked, timing recovered; detected is the system found under "either" (reg 0x50).
    void lock(kit_dtv_system_t detected = KIT_DTV_SYSTEM_DVBS2, bool highRate = true)
    {
        set(A0, 0x10, {0x01, 0x04});
        set(A0, 0x50, {uint8_t((highRate ? 0x10 : 0) | (detected == KIT_DTV_SYSTEM_DVBS ? 1 : 0))});
    }
    // Every freeze the monitors took was released, and none is held.
    ::testing::AssertionResult freezeBalanced() const
    {
        int taken = 0, released = 0, last = 0;
        for (const Step& s : i2c.writes())
            if (s.port == SLVT && s.reg == 0x01)
                (s.value ? taken : released)++, last = s.value;
        if (taken == released && last == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << taken << " freezes, " << released << " releases";
    }
};

} // namespace

TEST(KitDvbsS2Monitor, CarrierOffsetRoundsAwayFromZeroAndFollowsTheSense)
{
    const struct {
        bool highRate;
        uint32_t word;  // 21-bit register value
        uint32_t iqFlag;
        int32_t kHz;
    } cases[] = {
        {true, 4096, 0, -375}, {true, 2048, 0, -188}, {true, 0x1FF800, 0, 188}, {false, 2048, 0, -125},
        {true, 4096, 1, 375},  {true, 0x100000, 0, 96000},  // the most negative word
    };
    const Monitor offset = monitor(kit_demod_dvbs_s2_monitor_CarrierOffset);
    for (const auto& c : cases) {
        Sat s;
        s.lock(KIT_DTV_SYSTEM_DVBS2, c.highRate);
        s.demod.satIQInverted = c.iqFlag;
        expectReadings(s, {{{{A0, 0x45, {int(c.word >> 16), int(c.word >> 8) & 0xFF, int(c.word) & 0xFF}}}, offset, 0, c.kHz}});
        EXPECT_TRUE(s.freezeBalanced());
    }
    Sat s;  // no TS lock, then no timing lock
    expectReadings(s, {{{}, offset, 4, 0}, {{{A0, 0x11, {0x04}}}, offset, 4, 0}});
    EXPECT_TRUE(s.freezeBalanced());
}

TEST(KitDvbsS2Monitor, SymbolRateDecoding)
{
    const struct {
        bool highRate;
        uint8_t b[4];
        kit_result_t result;
        uint32_t sps;
    } cases[] = {
        {true, {0x07, 0xFF, 0x41, 0x2A}, 0, 27500026},  {true, {0, 0, 0, 0}, 0, 48000000},
        {false, {0, 0, 0, 0}, 0, 32000000},             {true, {0x00, 0x00, 0xFA, 0x32}, 0, 2116909825},
        {true, {0x00, 0x00, 0xFA, 0x33}, 4, 0},         // 64,051
        {true, {0x06, 0x01, 0x00, 0x02}, 0, 93750},     // d = 33,554,430
        {true, {0x06, 0x01, 0x00, 0x01}, 4, 0},         // d one more
        {true, {0xFF, 0xFF, 0x41, 0x2A}, 0, 27500026},  // bits above the 27 ignored
    };
    const Monitor rate = monitor(kit_demod_dvbs_s2_monitor_SymbolRate);
    for (const auto& c : cases) {
        Sat s;
        s.lock(KIT_DTV_SYSTEM_DVBS2, c.highRate);
        expectReadings(s, {{{{0xAF, 0x38, {c.b[0], c.b[1], c.b[2], c.b[3]}}}, rate, c.result, c.sps}});
        EXPECT_TRUE(s.freezeBalanced());
    }
    Sat s;
    expectReadings(s, {{{}, rate, 4, 0}});
}

TEST(KitDvbsS2Monitor, CnrAtTheKnownRowsBetweenThemAndBeyond)
{
    // The rows the chip's curves are known by give their values exactly; between two rows the
    // C/N is interpolated; outside them it is clamped.
    const struct {
        kit_dtv_system_t system;
        uint32_t reg;
        int32_t cnr;
    } cases[] = {
        {KIT_DTV_SYSTEM_DVBS, 830, 0},     {KIT_DTV_SYSTEM_DVBS, 829, 20},    {KIT_DTV_SYSTEM_DVBS, 21, 19900},
        {KIT_DTV_SYSTEM_DVBS, 20, 20000},  {KIT_DTV_SYSTEM_DVBS2, 1455, 0},   {KIT_DTV_SYSTEM_DVBS2, 1431, 100},
        {KIT_DTV_SYSTEM_DVBS2, 20, 20000}, {KIT_DTV_SYSTEM_DVBS, 0, 20000},
    };
    for (const auto& c : cases) {
        for (kit_dtv_system_t tuned : {c.system, kit_dtv_system_t(KIT_DTV_SYSTEM_ANY)}) {
            Sat s(tuned);
            s.lock(c.system);
            s.set(0xA1, 0x10, {0x01, uint8_t(0xE0 | (c.reg >> 8)), uint8_t(c.reg)});
            EXPECT_EQ(value(kit_demod_dvbs_s2_monitor_CNR, &s.demod), c.cnr) << c.system << " " << c.reg;
        }
    }
    Sat s;
    int32_t cnr = 0;
    s.set(0xA1, 0x10, {0x00, 0x00, 0xCC});
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_CNR(&s.demod, &cnr), 4u);
    Sat any(KIT_DTV_SYSTEM_ANY);
    any.set(0xA1, 0x10, {0x01, 0x00, 0xCC});
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_CNR(&any.demod, &cnr), 4u);  // "either" unresolved without TS lock
    any.lock();
    any.set(A0, 0x50, {0x12});  // system code 2: neither
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_CNR(&any.demod, &cnr), 4u);
    EXPECT_TRUE(any.freezeBalanced());
}

TEST(KitDvbsS2Monitor, PacketErrorRateOverTheWindow)
{
    const struct {
        kit_dtv_system_t system;
        uint8_t p;
        uint32_t errors;
        kit_result_t result;
        uint32_t per;
    } cases[] = {
        {KIT_DTV_SYSTEM_DVBS2, 0, 1, 0, 1000000}, {KIT_DTV_SYSTEM_DVBS2, 0, 2, 4, 0},
        {KIT_DTV_SYSTEM_DVBS2, 15, 1, 0, 31},  // 30.5 rounds up
        {KIT_DTV_SYSTEM_DVBS, 0, 8, 0, 1000000},  {KIT_DTV_SYSTEM_DVBS, 0, 9, 4, 0},
        {KIT_DTV_SYSTEM_DVBS, 15, 0x3FFFF, 0, 999996},
    };
    const Monitor per = monitor(kit_demod_dvbs_s2_monitor_PER);
    for (const auto& c : cases) {
        Sat s(c.system);
        s.lock(c.system);
        const int e = static_cast<int>(c.errors);
        const std::vector<Bytes> errors =
            c.system == KIT_DTV_SYSTEM_DVBS
                ? std::vector<Bytes>{{A0, 0x25, {0x01}}, {A0, 0x2C, {0xFC | e >> 16, (e >> 8) & 0xFF, e & 0xFF}}}
                : std::vector<Bytes>{{0xB8, 0x26, {0x01, e >> 8, e & 0xFF}}};
        s.set(A0, 0xBA, {uint8_t(0xF0 | c.p)});
        expectReadings(s, {{errors, per, c.result, c.per}});
        EXPECT_TRUE(s.freezeBalanced());
    }
    Sat s;
    expectReadings(s, {{{}, per, 4, 0}});  // not valid yet
}

TEST(KitDvbsS2Monitor, BitErrorRatesIn64Bits)
{
    const Monitor viterbi = monitor(kit_demod_dvbs_monitor_PreViterbiBER), rs = monitor(kit_demod_dvbs_monitor_PreRSBER),
                  ldpc = monitor(kit_demod_dvbs2_monitor_PreLDPCBER), bch = monitor(kit_demod_dvbs2_monitor_PreBCHBER),
                  fer = monitor(kit_demod_dvbs2_monitor_PostBCHFER);
    // The count from reg on, and the window exponent p at periodReg.
    auto at = [](int bank, int reg, std::vector<int> count, int periodReg = 0, int p = 0) {
        std::vector<Bytes> out{{bank, reg, count}};
        if (periodReg)
            out.push_back({A0, periodReg, {p}});
        return out;
    };
    Sat s(KIT_DTV_SYSTEM_DVBS);
    s.lock(KIT_DTV_SYSTEM_DVBS);
    s.set(A0, 0x21, {0x1C});  // QPSK 3/4
    expectReadings(s, {
        {at(A0, 0x35, {1, 0, 0, 10, 0, 0, 0, 0, 0, 0x27, 0x10}), viterbi, 0, 10000},  // 1e-3
        {at(A0, 0x35, {1, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0}), viterbi, 4, 0},            // no bits
        {at(A0, 0x35, {1, 0, 0, 11, 0, 0, 0, 0, 0, 0, 10}), viterbi, 4, 0},           // more errors than bits
        {at(A0, 0x25, {1, 0x00, 0xFF, 0x00}, 0xBA, 0), rs, 0, 10000000},  // the window full
        {at(A0, 0x25, {1, 0x00, 0xFF, 0x01}, 0xBA, 0), rs, 4, 0},
        {at(A0, 0x25, {1, 0xFF, 0xFF, 0xFF}, 0xBA, 15), rs, 0, 78431},     // the largest count
        {at(A0, 0x25, {0, 0, 0, 1}, 0xBA, 0), rs, 4, 0},                   // not valid
    });
    Sat s2(KIT_DTV_SYSTEM_DVBS2);
    s2.lock(KIT_DTV_SYSTEM_DVBS2);
    s2.set(A0, 0x21, {0x1C});
    expectReadings(s2, {
        {at(0xB2, 0x30, {1, 0, 0, 0, 81}, 0x7A, 0), ldpc, 0, 12500},
        {at(0xB2, 0x30, {1, 0, 0, 0xFD, 0x21}, 0x7A, 0), ldpc, 4, 0},  // beyond the frame
        {at(0xB2, 0x30, {1, 0xFF, 0xFF, 0xFF, 0xFF}, 0x7A, 15), ldpc, 0, 1264198},
        {at(A0, 0x2F, {1, 0, 0, 1}, 0xBC, 0), bch, 0, 20576},  // 3/4
        {at(A0, 0x2F, {1, 0xFF, 0xFF, 0xFF}, 0xBC, 15), bch, 0, 5267489},
        {at(A0, 0x2F, {1, 0, 0, 0, 0, 1}, 0xBC, 0), fer, 0, 1000000},
        {at(A0, 0x2F, {1, 0, 0, 0, 0, 2}, 0xBC, 0), fer, 4, 0},  // beyond the window
        {at(A0, 0x2F, {1, 0, 0, 0, 0, 1}, 0xBC, 15), fer, 0, 31},  // 1 in 2^15
    });
}

TEST(KitDvbsS2Monitor, EachMonitorAnswersForItsSystem)
{
    // A DVB-S monitor refuses DVB-S2 ("wrong state") and, under "either", a DVB-S2 signal ("not
    // ready"); the DVB-S2 ones the other way round.
    using Read = kit_result_t (*)(kit_demod_t*, uint32_t*);
    const std::pair<Read, kit_dtv_system_t> reads[] = {
        {kit_demod_dvbs_monitor_PreViterbiBER, KIT_DTV_SYSTEM_DVBS}, {kit_demod_dvbs_monitor_PreRSBER, KIT_DTV_SYSTEM_DVBS},
        {[](kit_demod_t* d, uint32_t* v) { return kit_demod_dvbs_monitor_CodeRate(d, v); }, KIT_DTV_SYSTEM_DVBS},
        {kit_demod_dvbs2_monitor_PreLDPCBER, KIT_DTV_SYSTEM_DVBS2}, {kit_demod_dvbs2_monitor_PreBCHBER, KIT_DTV_SYSTEM_DVBS2},
        {kit_demod_dvbs2_monitor_PostBCHFER, KIT_DTV_SYSTEM_DVBS2}};
    for (const auto& [read, own] : reads) {
        const kit_dtv_system_t other = own == KIT_DTV_SYSTEM_DVBS ? KIT_DTV_SYSTEM_DVBS2 : KIT_DTV_SYSTEM_DVBS;
        uint32_t v = 0;
        Sat s(other), any(KIT_DTV_SYSTEM_ANY);
        s.lock(other);
        any.lock(other);
        EXPECT_EQ(std::make_pair(read(&s.demod, &v), read(&any.demod, &v)), std::make_pair(3u, 4u)) << own;
        EXPECT_TRUE(any.freezeBalanced());
    }
    // With "either" and a DVB-S signal the PLS code is "not ready" and the code rate is read.
    Sat any(KIT_DTV_SYSTEM_ANY);
    any.lock(KIT_DTV_SYSTEM_DVBS);
    any.set(0xB1, 0x10, {0x82});
    kit_dvbs2_plscode_t pls;
    kit_dvbs_coderate_t cr = 9;
    EXPECT_EQ(kit_demod_dvbs2_monitor_PLSCode(&any.demod, &pls), 4u);
    EXPECT_EQ(value(kit_demod_dvbs_monitor_CodeRate, &any.demod), KIT_DVBS_CODERATE_3_4);
    for (uint8_t bad : {0x02, 0x85, 0x87}) {
        any.set(0xB1, 0x10, {bad});
        EXPECT_EQ(kit_demod_dvbs_monitor_CodeRate(&any.demod, &cr), 4u) << int(bad);
    }
    EXPECT_TRUE(any.freezeBalanced());

    // Nothing answers asleep or on a terrestrial system.
    Sat asleep;
    ASSERT_EQ(kit_demod_dvbs_s2_Sleep(&asleep.demod), 0u);
    uint8_t lock = 0;
    uint32_t v = 0;
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_SyncStat(&asleep.demod, &lock), 3u);
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_PER(&asleep.demod, &v), 3u);
    asleep.demod.state = KIT_DEMOD_STATE_ACTIVE;
    asleep.demod.system = KIT_DTV_SYSTEM_DVBT;
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_SymbolRate(&asleep.demod, &v), 3u);
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_SyncStat(nullptr, &lock), 1u);
    EXPECT_EQ(kit_demod_dvbs_s2_monitor_SyncStat(&asleep.demod, nullptr), 1u);
}

TEST(KitDvbsS2Monitor, PlsCodeTable)
{
    const struct {
        uint8_t modcod;
        kit_dvbs2_modulation_t modulation;
        kit_dvbs2_coderate_t codeRate;
    } cases[] = {
        {0, 8, 14}, {1, 0, 0}, {11, 0, 10}, {12, 1, 4}, {17, 1, 10}, {18, 8, 14}, {28, 8, 14}, {29, 4, 11}, {31, 6, 13},
    };
    for (const auto& c : cases) {
        for (uint8_t pilots : {0, 1}) {
            Sat s;
            s.lock();
            s.set(A0, 0x21, {uint8_t(0x80 | c.modcod << 2 | 0x02 | pilots)});
            const kit_dvbs2_plscode_t pls = value(kit_demod_dvbs2_monitor_PLSCode, &s.demod);
            EXPECT_EQ(std::make_tuple(pls.modulation, pls.codeRate, pls.isPilotOn, pls.isShortFrame),
                      std::make_tuple(c.modulation, c.codeRate, pilots, 0))
                << int(c.modcod);
        }
    }
    Sat s;
    kit_dvbs2_plscode_t pls;
    EXPECT_EQ(kit_demod_dvbs2_monitor_PLSCode(&s.demod, &pls), 4u);  // no TS lock
    EXPECT_TRUE(s.freezeBalanced());
}

TEST(KitDvbsS2Monitor, SignallingAndTransportRate)
{
    Sat s;
    s.lock();
    s.set(A0, 0x49, {0xF1, 0x07, 0x05, 0xE0, 0xEA, 0x60, 0x47});
    const kit_dvbs2_bbheader_t h = value(kit_demod_dvbs2_monitor_BBHeader, &s.demod);
    EXPECT_EQ((std::vector<uint32_t>{h.streamInput, h.isSingleInputStream, h.isConstantCodingModulation,
                                     h.issyIndicator, h.nullPacketDeletion, h.rollOff, h.inputStreamIdentifier,
                                     h.userPacketLength, h.dataFieldLength, h.syncByte}),
              (std::vector<uint32_t>{3, 1, 1, 0, 0, 1, 7, 1504, 60000, 0x47}));
    expectReadings(s, {{{}, monitor(kit_demod_dvbs2_monitor_Rolloff), 0, 1}});

    uint8_t pilotLocked = 9, pilotOn = 9;
    s.set(A0, 0x11, {0x05});
    s.set(A0, 0x21, {0x1D});
    ASSERT_EQ(kit_demod_dvbs_s2_monitor_Pilot(&s.demod, &pilotLocked, &pilotOn), 0u);
    EXPECT_EQ(std::make_pair(pilotLocked, pilotOn), std::make_pair(uint8_t(1), uint8_t(1)));

    // TS rate from the symbol rate (27,500,026 sps) and the code rate.
    const struct {
        kit_dtv_system_t system;
        uint8_t pls;   // DVB-S2: MODCOD << 2 | pilots
        uint8_t dvbsCodeRate;
        kit_result_t result;
        uint32_t kbps;
    } rates[] = {
        {KIT_DTV_SYSTEM_DVBS, 0, 0x82, 0, 38015},        // 3/4
        {KIT_DTV_SYSTEM_DVBS2, 7 << 2, 0, 0, 40906},     // QPSK 3/4
        {KIT_DTV_SYSTEM_DVBS2, 13 << 2 | 1, 0, 0, 53231},  // 8PSK 2/3, pilots
        {KIT_DTV_SYSTEM_DVBS2, 1 << 2, 0, 10, 0},        // QPSK 1/4: no table
        {KIT_DTV_SYSTEM_DVBS2, 29 << 2, 0, 10, 0},
    };
    for (const auto& r : rates) {
        Sat t(r.system);
        t.lock(r.system);
        expectReadings(t, {{{{0xAF, 0x38, {0x07, 0xFF, 0x41, 0x2A}}, {A0, 0x21, {r.pls}}, {0xB1, 0x10, {r.dvbsCodeRate}}},
                            monitor(kit_demod_dvbs_s2_monitor_TSRate), r.result, r.kbps}});
        EXPECT_TRUE(t.freezeBalanced());
    }

    // Scan information: only the lock flag when unlocked.
    Sat scan(KIT_DTV_SYSTEM_ANY);
    uint8_t lock = 9;
    int32_t offset = 12345;
    kit_dtv_system_t system = 77;
    ASSERT_EQ(kit_demod_dvbs_s2_monitor_ScanInfo(&scan.demod, &lock, &offset, &system), 0u);
    EXPECT_EQ(std::make_tuple(lock, offset, system), std::make_tuple(uint8_t(0), 12345, 77u));
    scan.lock(KIT_DTV_SYSTEM_DVBS);
    scan.set(A0, 0x45, {0x00, 0x10, 0x00});
    ASSERT_EQ(kit_demod_dvbs_s2_monitor_ScanInfo(&scan.demod, &lock, &offset, &system), 0u);
    EXPECT_EQ(std::make_tuple(lock, offset, system), std::make_tuple(uint8_t(1), -375, kit_dtv_system_t(KIT_DTV_SYSTEM_DVBS)));
    EXPECT_TRUE(scan.freezeBalanced());
}

TEST(KitDvbsS2Monitor, ConstellationSamples)
{
    Sat s;
    s.lock();
    ASSERT_EQ(kit_demod_dvbs2_adv_SetConstellationSymbol(&s.demod, 5), 0u);
    s.set(0xAA, 0x10, {0xB0, 0xFF, 0xC8});
    int16_t i = 0, q = 0;
    ASSERT_EQ(kit_demod_dvbs_s2_adv_monitor_Constellation(&s.demod, &i, &q), 0u);
    // The symbol selection is kept.
    EXPECT_EQ(std::make_tuple(i, q, s.i2c.reg(SLVT, 0xAA, 0x20)), std::make_tuple(-1, 200, 0x45));

    Sat dvbs(KIT_DTV_SYSTEM_DVBS);
    dvbs.lock(KIT_DTV_SYSTEM_DVBS);
    dvbs.set(0xAA, 0x20, {0x07});
    dvbs.set(0xAA, 0x10, {0x0F, 0x12, 0x34});  // no sample ready
    const uint64_t start = dvbs.board.clock().monotonicMs();
    EXPECT_EQ(kit_demod_dvbs_s2_adv_monitor_Constellation(&dvbs.demod, &i, &q), 5u);
    EXPECT_EQ(std::make_tuple(dvbs.board.clock().monotonicMs() - start, dvbs.i2c.reg(SLVT, 0xAA, 0x20)), std::make_tuple(100u, 0x40));

    Sat unlocked;
    EXPECT_EQ(kit_demod_dvbs_s2_adv_monitor_Constellation(&unlocked.demod, &i, &q), 4u);
}
