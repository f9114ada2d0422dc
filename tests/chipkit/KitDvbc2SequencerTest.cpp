// The DVB-C2 tune sequencer and channel search, stepped as the integration layer steps them,
// against a scripted chip: state walks, tuner moves, the notch arithmetic, bad layer-1 bytes,
// time-outs, early unlock and a tune abandoned half-way.
#include "Dvbc2Stepper.h"
#include "KitTrail.h"

#include <gtest/gtest.h>

using namespace kittest;

namespace {

constexpr uint32_t kCentre = 474000;  // carrier word 212352 at 8 MHz
constexpr int kNeverMs = 1 << 30;

// What the chip does in these tests: the layer-1 ready bit falls at every preset or soft reset
// and comes back l1DelayMs later; the sync register reads syncAfterTuneEnd once a tune end has
// switched the output on.
struct ScriptedChip {
    FakeKitI2c& i2c;
    uint64_t (*now)();
    int l1DelayMs = 30;
    uint8_t syncAfterTuneEnd = 0x26;
    size_t seen = 0;
    uint64_t l1ReadyAt = 0;

    void operator()()
    {
        const auto& w = i2c.writes();
        for (; seen < w.size(); ++seen) {
            const Step& s = w[seen];
            const bool preset = s.port == SLVT && s.bank == 0x50 && s.reg == 0x87;
            const bool reset = s.port == SLVT && s.bank == 0x00 && s.reg == 0xFE;
            if (preset || reset) {
                i2c.setReg(SLVT, 0x50, 0x14, 0x00);
                l1ReadyAt = now() + static_cast<uint64_t>(l1DelayMs);
            }
            if (s.port == SLVT && s.bank == 0x00 && s.reg == 0xC3 && s.value == 0x00)
                i2c.setReg(SLVT, 0x20, 0x10, syncAfterTuneEnd);
        }
        if (l1ReadyAt && now() >= l1ReadyAt)
            i2c.setReg(SLVT, 0x50, 0x14, 0x01);
    }
};

uint64_t nowMs() { return boardMs(); }

// A C2 system around the centre: start word 209952 (24-carrier pilots), the data slice at
// tuning position 100 (word 212352), its position 426 in the block, and one notch (700..760)
// above it.
struct NotchedChannel : DemodBench {
    ScriptedChip chip{i2c, nowMs};
    Dvbc2Stepper driver{demod, [this] { chip(); }};
    kit_dvbc2_tune_param_t param{kCentre, KIT_DTV_BW_8_MHZ, 3, 7, 1, 0};

    NotchedChannel()
    {
        initialize();
        setBytes(i2c, 0x52, 0x24, {0x03, 0x34, 0x20});
        setBytes(i2c, 0x52, 0x30, {0x00, 0x64});
        l1(0x15, {0x00, 0x01, 0xAA});
        notch(0, 700, 760);
        l1(0x27, {0x04});
        setBytes(i2c, 0x20, 0x52, {0x15, 0x00, 0x12, 0x34, 0x56});
        setBytes(i2c, 0x28, 0xE6, {0x01});
    }
    void l1(int reg, std::initializer_list<int> values) { setBytes(i2c, 0x50, reg, values); }
    void notch(int j, int start, int end)
    {
        l1(0x1B + 4 * j, {start >> 8, start & 0xFF, end >> 8, end & 0xFF});
    }
};

} // namespace

TEST(KitDvbc2Sequencer, NotchArithmeticByLayerOneBytes)
{
    const struct {
        const char* what;
        std::vector<std::array<int, 2>> notches;
        int enables, dxBit;
        uint32_t adjusted;
        int aciIndex, aciWord, offset;
    } cases[] = {
        {"above", {{700, 760}}, 0x04, 0, 212040, 3, 612, 4992}, {"below", {{100, 200}}, 0x04, 0, 212760, 3, 591, -6528},
        {"both sides", {{100, 200}, {700, 760}}, 0x06, 0, 212448, 3, 560, -1536},
        {"the whole block", {{0, 852}}, 0x04, 0, 214056, 0, 200, -27264},
        {"the whole block, edges inside", {{0, 852}}, 0x1C, 0, 214056, 0, 200, -27264},
        {"12-carrier pilots", {{700, 760}}, 0x04, 0x10, 210840, 3, 612, 4992},
    };
    for (const auto& k : cases) {
        NotchedChannel c;
        for (size_t j = 0; j < k.notches.size(); ++j)
            c.notch(static_cast<int>(j), k.notches[j][0], k.notches[j][1]);
        c.l1(0x27, {k.enables});
        c.l1(0x15, {k.dxBit});
        ASSERT_EQ(c.driver.run(c.param), 0u) << k.what;
        const kit_dvbc2_tune_seq_t& s = c.driver.seq;
        EXPECT_EQ(c.driver.walk(), (std::vector<uint32_t>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})) << k.what;
        EXPECT_EQ(std::make_tuple(s.adjustedWord, int(s.aciFilterIndex), int(s.aciWord), int(int16_t(s.offsetWord)),
                                  int(c.i2c.reg(SLVT, 0x2A, 0x20))),
                  std::make_tuple(k.adjusted, k.aciIndex, k.aciWord, k.offset,
                                  std::array<int, 4>{0x03, 0x0B, 0x08, 0x16}[k.aciIndex]))
            << k.what;
    }
}

TEST(KitDvbc2Sequencer, LayerOneBytesItCannotComputeWith)
{
    const struct {
        const char* what;
        std::array<int, 2> notch;
        int startHigh;
        kit_result_t result;
        uint32_t stopsIn;
    } cases[] = {
        {"notch ending before it starts", {760, 700}, 0x03, 10, 6}, {"notch beyond the block", {700, 853}, 0x03, 10, 6},
        {"base word beyond 24 bits", {700, 760}, 0xFF, 1, 4},
    };
    for (const auto& k : cases) {
        NotchedChannel c;
        c.notch(0, k.notch[0], k.notch[1]);
        setBytes(c.i2c, 0x52, 0x24, {k.startHigh, 0xFF, 0xFF});
        EXPECT_EQ(c.driver.run(c.param), k.result) << k.what;
        EXPECT_EQ(c.driver.states.back(), k.stopsIn) << k.what;
    }
    // A notch that is not enabled is not looked at.
    NotchedChannel c;
    c.notch(1, 900, 100);
    EXPECT_EQ(c.driver.run(c.param), 0u);
}

TEST(KitDvbc2Sequencer, LayerOneTimeOutsEarlyUnlockAndTheLockWait)
{
    // No layer-1 data in any of the three rounds: 2 s from the round's start, result 5.
    for (uint32_t round : {3u, 5u, 7u}) {
        NotchedChannel c;
        uint32_t last = 99;
        uint64_t roundStart = 0;
        // The preset or reset of the step before the round never brings the data back.
        c.driver.beforeStep = [&] {
            c.chip.l1DelayMs = last + 1 == round ? kNeverMs : 30;
            c.chip();
            last = c.driver.seq.state;
            if (last == round && !roundStart)
                roundStart = nowMs();
        };
        EXPECT_EQ(c.driver.run(c.param), 5u) << round;
        const std::vector<uint32_t> walk = c.driver.walk();
        ASSERT_GE(walk.size(), 2u);
        EXPECT_EQ(std::make_tuple(walk[walk.size() - 2], walk.back(), c.driver.seq.running), std::make_tuple(round, 12u, 0));
        EXPECT_NEAR(double(nowMs() - roundStart), 2020, 20) << round;
    }

    // Early unlock while the layer-1 data is awaited.
    NotchedChannel u;
    u.chip.l1DelayMs = kNeverMs;
    u.driver.beforeStep = [&u] {
        u.chip();
        if (u.driver.seq.state == KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT)
            u.i2c.setReg(SLVT, 0x20, 0x10, 0x10);
    };
    EXPECT_EQ(u.driver.run(u.param), 6u);
    EXPECT_EQ(u.driver.walk(), (std::vector<uint32_t>{0, 2, 3, 12}));

    // The lock wait: a TS lock, or in scan mode the demodulator lock only; unlock; time-out;
    // a sync state the chip does not have.
    const struct {
        uint8_t sync, scan;
        kit_result_t result;
    } locks[] = {{0x26, 0, 0}, {0x06, 1, 0}, {0x06, 0, 5}, {0x16, 0, 6}, {0x00, 1, 5}, {0x07, 0, 4}};
    for (const auto& l : locks) {
        DemodBench b;
        ASSERT_EQ(b.initialize(), 0u);
        b.demod.scanMode = l.scan;
        ScriptedChip chip{b.i2c, nowMs};
        chip.syncAfterTuneEnd = l.sync;
        Dvbc2Stepper d{b.demod, [&] { chip(); }};
        const uint64_t start = nowMs();
        EXPECT_EQ(d.run({kCentre, KIT_DTV_BW_8_MHZ, 0, 0, 0, 0}), l.result) << int(l.sync);
        if (l.result == 5) {
            EXPECT_NEAR(double(nowMs() - start), 2010, 10);
        }
        // In scan mode the preset stays for the search that set it.
        const auto& w = b.i2c.writes();
        EXPECT_EQ(std::find(w.begin(), w.end(), W(SLVT, 0x27, 0xF4, 0x02)) == w.end(), l.scan == 1) << int(l.sync);
    }
}

TEST(KitDvbc2Sequencer, ACancelledTuneLeavesAHandleTheNextTuneCanUse)
{
    NotchedChannel c;
    c.chip.l1DelayMs = kNeverMs;
    int rounds = 0;
    c.driver.cancel = [&] { return c.driver.seq.state == KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT && ++rounds == 5; };
    EXPECT_EQ(c.driver.run(c.param), 9u);
    EXPECT_EQ(c.demod.state, KIT_DEMOD_STATE_ACTIVE);

    // The next tune retunes (no wake-up), releases the abandoned preset and locks.
    c.chip.l1DelayMs = 30;
    c.i2c.clearLog();
    c.chip.seen = 0;
    Dvbc2Stepper next{c.demod, [&c] { c.chip(); }};
    EXPECT_EQ(next.run({kCentre, KIT_DTV_BW_8_MHZ, 0, 0, 0, 0}), 0u);
    const auto& w = c.i2c.writes();
    ASSERT_FALSE(w.empty());
    // The preset's offset word released and the widest filter back.
    EXPECT_EQ(std::make_tuple(next.walk(), w.front(), std::count(w.begin(), w.end(), W(SLVX, 0, 0x17, 0x05)),
                              c.i2c.reg(SLVT, 0x50, 0x6B), c.i2c.reg(SLVT, 0x2A, 0x20)),
              std::make_tuple(std::vector<uint32_t>{0, 1, 10, 11, 12}, W(SLVT, 0, 0xC3, 1), 0, 0, 0x16));

    // Steps need a handle asleep or active, and a state the sequencer has.
    kit_dvbc2_tune_seq_t seq{};
    ASSERT_EQ(kit_demod_dvbc2_InitTuneSeq(&c.demod, &c.param, &seq), 0u);
    seq.state = 13;
    EXPECT_EQ(kit_demod_dvbc2_TuneSeq(&c.demod, &seq), 1u);
    c.demod.state = KIT_DEMOD_STATE_SHUTDOWN;
    EXPECT_EQ(kit_demod_dvbc2_InitTuneSeq(&c.demod, &c.param, &seq), 3u);
    EXPECT_EQ(kit_demod_dvbc2_TuneSeq(&c.demod, &seq), 3u);
}

TEST(KitDvbc2Search, DataSlicesAndPlpsOfOneFrequency)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    FakeKitI2c& f = b.i2c;
    for (auto [bank, reg, v] : {std::array<int, 3>{0x20, 0x10, 0x06}, {0x52, 0x1F, 0x01}, {0x50, 0xC4, 0x01}})
        f.setReg(SLVT, uint8_t(bank), uint8_t(reg), uint8_t(v));
    setBytes(f, 0x52, 0x20, {0, 1, 0, 2, 0x03, 0x34, 0x20, 0x00, 0x8E, 0x00, 0x00, 0x10, 0x01, 0x02, 0x01});
    setBytes(f, 0x52, 0x4D, {0x00, 0x0A, 0x00, 0x05, 0x00});
    // The layer-1 view follows the selection: the data-slice list, or one slice and its PLPs.
    auto present = [&f] {
        const int view = f.reg(SLVT, 0x50, 0x7D) & 0x03;
        const int id = f.reg(SLVT, 0x50, 0x7E);
        if (view == 0) {
            setBytes(f, 0x22, 0x80, {7, 9});
        } else if (id == 7) {
            setBytes(f, 0x52, 0x2F, {7, 0x00, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2});
            setBytes(f, 0x22, 0x80, {1, 2});
        } else {
            setBytes(f, 0x52, 0x2F, {9, 0x00, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
            setBytes(f, 0x22, 0x80, {5});
        }
    };
    kit_dvbc2_get_tune_params_seq_t seq;
    ASSERT_EQ(kit_demod_dvbc2_InitGetTuneParamsSeq(&b.demod, kCentre, KIT_DTV_BW_8_MHZ, &seq), 0u);
    std::vector<uint32_t> moves;
    while (seq.running) {
        present();
        seq.currentTimeMs = static_cast<uint32_t>(nowMs());
        ASSERT_EQ(kit_demod_dvbc2_GetTuneParamsSeq(&b.demod, &seq), 0u);
        if (seq.tunerRetune)
            moves.push_back(seq.retuneFreqKHz), seq.tunerRetune = 0;
        ASSERT_EQ(seq.waitMs, 0u);
    }
    std::vector<std::array<uint32_t, 5>> found;  // kHz, bandwidth, data slice, PLP, notch
    for (uint32_t i = 0; i < seq.entryCount; ++i) {
        const kit_dvbc2_tune_param_t& e = seq.entries[i];
        found.push_back({e.centerFreqKHz, e.bandwidth, e.dataSliceId, e.dataPlpId, e.isNotch});
    }
    // A notch near slice 9; the next frequency past the system's 142 pilot spacings.
    EXPECT_EQ(std::make_tuple(seq.result, moves, found, seq.nextFreqKHz, freezeReleased(f)),
              std::make_tuple(0u, std::vector<uint32_t>{kCentre},
                              std::vector<std::array<uint32_t, 5>>{{474000, 8, 7, 1, 0}, {474000, 8, 7, 2, 0}, {469714, 8, 9, 5, 1}},
                              480250u, true));

    // Nothing at a frequency: the lock wait gives up after 2 s and the search steps on.
    DemodBench e;
    ASSERT_EQ(e.initialize(), 0u);
    ASSERT_EQ(kit_demod_dvbc2_InitGetTuneParamsSeq(&e.demod, kCentre, KIT_DTV_BW_6_MHZ, &seq), 0u);
    const uint64_t start = nowMs();
    while (seq.running) {
        seq.currentTimeMs = static_cast<uint32_t>(nowMs());
        ASSERT_EQ(kit_demod_dvbc2_GetTuneParamsSeq(&e.demod, &seq), 0u);
        kit_stopwatch_t sw{};
        kit_stopwatch_sleep(&sw, seq.waitMs);
        seq.waitMs = 0;
    }
    EXPECT_EQ(std::make_tuple(seq.result, seq.entryCount, seq.nextFreqKHz), std::make_tuple(5u, 0u, kCentre + 1500));
    EXPECT_GE(nowMs() - start, 2000u);
    EXPECT_EQ(kit_demod_dvbc2_InitGetTuneParamsSeq(&e.demod, 0, KIT_DTV_BW_6_MHZ, &seq), 1u);
    EXPECT_EQ(kit_demod_dvbc2_InitGetTuneParamsSeq(&e.demod, kCentre, KIT_DTV_BW_7_MHZ, &seq), 8u);
}
