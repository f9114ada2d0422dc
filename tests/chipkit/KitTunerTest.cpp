// The tuner driver on a fake of its register file: initialise, tune, shift and sleep trails for
// the program's flags and systems, frequency limits and band switch points, chip and status
// errors, a failure half-way through a transition, and the RSSI arithmetic.
#include "DemodBench.h"
#include "FakeTunerI2c.h"
#include "SimBoardFixture.h"
#include "chipkit/kit_cxd2858.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kittest::tuner;
using kittest::value;

namespace {

constexpr uint32_t kProgramFlags = 0x4000;        // the program's default: drive code 4
constexpr uint32_t kExternalXtalFlags = 0x80004000u;
constexpr uint32_t kOscOffFlags = 0x40004000;     // oscillator off while asleep
constexpr uint32_t kF1Is2 = 2u << 22;

struct TunerBench {
    testsupport::ScopedBoard board;
    FakeTunerI2c i2c;
    kit_cxd2858_t tuner;

    explicit TunerBench(uint32_t flags = kProgramFlags, uint32_t xtal = KIT_CXD2858_XTAL_24000KHZ)
    {
        std::memset(&tuner, 0xEE, sizeof tuner);
        kit_cxd2858_Create(&tuner, xtal, FakeTunerI2c::kAddress, i2c.table(), flags);
        i2c.setReg(0x19, 0xA7);
    }
    kit_result_t initialize()
    {
        const kit_result_t r = kit_cxd2858_Initialize(&tuner);
        i2c.clearLog();
        return r;
    }
    // The 17-byte block of the last terrestrial tune or shift.
    std::vector<uint8_t> terrBlock() const { return lastWriteTo(0x68); }
    std::vector<uint8_t> satBlock() const { return lastWriteTo(0x04, 18); }
    std::vector<uint8_t> lastWriteTo(int reg, size_t length = 0) const
    {
        const auto w = i2c.writes();
        for (auto it = w.rbegin(); it != w.rend(); ++it)
            if (it->reg == reg && (length == 0 || it->bytes.size() == length))
                return it->bytes;
        return {};
    }
};

std::vector<Step> cat(std::initializer_list<std::vector<Step>> parts)
{
    std::vector<Step> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const std::vector<Step> kTuneEnd = {W(0x88, 0x00), W(0x87, 0xC0)};
const std::vector<Step> kOscOn = {W(0x82, 0x9F), W(0x84, 0x83), Wait(10), W(0x82, 0x84)};
const std::vector<Step> kOscOff = {W(0x84, 0x00), W(0x82, 0x00)};
// Leaving the terrestrial half with F1 = 0; register 0x67 read back for the masked write.
const std::vector<Step> kTerFin = {W(0x74, 0x02), R(0x67), W(0x67, 0x00), W(0x5E, {0x15, 0x00, 0x00}),
                                   W(0x88, 0x00), W(0x87, 0xC0)};
const std::vector<Step> kSatFin = {W(0x15, 0x02), W(0x43, 7), W(0x0C, {0x14, 0x00, 0x00}),
                                   W(0x01, 0x00), W(0x05, 0x00), W(0x04, 0xC0)};

std::vector<Step> startUpTrail(std::vector<uint8_t> xtalBlock)
{
    std::vector<uint8_t> block = {0x00, 0x00, 0xC4, 0x40, 0x10, 0x00, 0x45, 0x75, 0x07, 0x1C, 0x3F, 0x02, 0x10,
                                  0x20, 0x0A, 0x00};
    block.insert(block.begin(), xtalBlock.begin(), xtalBlock.end());
    return {R(0x7F),        W(0x01, 0x00),         W(0x67, 0x00), W(0x43, 7),    W(0x5E, {0x15, 0x00, 0x00}),
            W(0x0C, 0x14),  W(0x99, {0x7A, 0x01}), W(0x81, block), W(0x9B, 0x00), Wait(10),
            R(0x1A),        W(0x17, {0x90, 0x06}), Wait(1),       R(0x19),       W(0x95, 0x0A),
            W(0x74, 0x02),  W(0x88, 0x00),         W(0x87, 0xC0), W(0x80, 0x01), W(0x41, {0x07, 0x00})};
}

} // namespace

TEST(KitTunerCreate, FieldsAndForbiddenCombinations)
{
    kit_cxd2858_t x;
    FakeTunerI2c f;
    const struct {
        uint32_t xtal, flags;
        kit_result_t result;
        uint8_t drive, load;
    } cases[] = {
        {0, kProgramFlags, 0, 4, 51}, {1, kProgramFlags, 0, 4, 38},      {2, kProgramFlags, 0, 4, 38},
        {3, kProgramFlags, 8, 0, 0},  {3, kExternalXtalFlags, 0, 0, 0},  {0, 0xC0000000u, 8, 0, 0},
        {4, kExternalXtalFlags, 8, 0, 0} /* beyond every crystal column */, {5, kProgramFlags, 8, 0, 0},
    };
    for (const auto& c : cases) {
        std::memset(&x, 0, sizeof x);
        EXPECT_EQ(kit_cxd2858_Create(&x, c.xtal, 0xC0, f.table(), c.flags), c.result) << c.xtal;
        EXPECT_EQ(std::make_pair(x.xtalDrive, x.xtalLoad), std::make_pair(c.drive, c.load)) << c.xtal;
    }
    EXPECT_EQ(kit_cxd2858_Create(nullptr, 2, 0xC0, f.table(), 0), 1u);
    EXPECT_EQ(kit_cxd2858_Create(&x, 2, 0xC0, nullptr, 0), 1u);
    EXPECT_EQ(f.accesses(), 0);
    x.i2c = nullptr;
    EXPECT_EQ(kit_cxd2858_Initialize(&x), 1u);
    EXPECT_EQ(kit_cxd2858_Sleep(nullptr), 1u);
}

TEST(KitTunerInitialize, StartUpTrailsForTheProgramsFlags)
{
    // The oscillator left to the board: no drive or load of the driver's own; off while asleep
    // with a 16 MHz crystal: switched off at the end.
    const struct {
        uint32_t flags, xtal;
        std::vector<Step> trail;
    } cases[] = {{kProgramFlags, KIT_CXD2858_XTAL_24000KHZ, startUpTrail({0x18, 0x84, 0xA6, 0x83})},
                 {kExternalXtalFlags, KIT_CXD2858_XTAL_24000KHZ, startUpTrail({0x18, 0x00, 0x00, 0x83})},
                 {kOscOffFlags, KIT_CXD2858_XTAL_16000KHZ, cat({startUpTrail({0x10, 0x84, 0xB3, 0x83}), kOscOff})}};
    for (const auto& c : cases) {
        TunerBench b(c.flags, c.xtal);
        ASSERT_EQ(kit_cxd2858_Initialize(&b.tuner), 0u);
        EXPECT_EQ(std::make_tuple(b.i2c.trail(), b.tuner.state), std::make_tuple(c.trail, KIT_CXD2858_STATE_SLEEP));
    }
}

TEST(KitTunerInitialize, ChipAndStatusErrors)
{
    for (uint8_t id : {0x10, 0x8A, 0x00, 0x20, 0xF1}) {
        TunerBench b;
        b.i2c.setReg(0x7F, id);
        const bool known = (id >> 4) == 1 || (id >> 4) == 8;
        EXPECT_EQ(kit_cxd2858_Initialize(&b.tuner), known ? 0u : 8u) << int(id);
        if (!known) {  // nothing written, nothing claimed
            EXPECT_TRUE(b.i2c.writes().empty());
            EXPECT_EQ(b.tuner.state, KIT_CXD2858_STATE_UNKNOWN);
        }
    }
    TunerBench s;
    s.i2c.setReg(0x1A, 0x01);
    EXPECT_EQ(std::make_tuple(kit_cxd2858_Initialize(&s.tuner), s.tuner.state), std::make_tuple(4u, KIT_CXD2858_STATE_INVALID));

    for (uint32_t flags : {kProgramFlags | (3u << 22), kProgramFlags | (3u << 20), 0x5000u}) {
        TunerBench b(flags);
        EXPECT_EQ(kit_cxd2858_Initialize(&b.tuner), 8u) << std::hex << flags;
    }

    // A failed transfer anywhere: 2, and after the first write the state says nothing is
    // known; a second initialise recovers.
    TunerBench count;
    ASSERT_EQ(kit_cxd2858_Initialize(&count.tuner), 0u);
    const int accesses = count.i2c.accesses();
    for (int n = 1; n <= accesses; ++n) {
        TunerBench b;
        b.i2c.failAccess(n);
        EXPECT_EQ(kit_cxd2858_Initialize(&b.tuner), 2u) << n;
        EXPECT_EQ(b.tuner.state, n == 1 ? KIT_CXD2858_STATE_UNKNOWN : KIT_CXD2858_STATE_INVALID) << n;
        EXPECT_EQ(kit_cxd2858_Initialize(&b.tuner), 0u) << n;
    }
}

TEST(KitTunerTerrestrial, CableTuneFromSleepAndItsEnd)
{
    TunerBench b;
    ASSERT_EQ(b.initialize(), 0u);
    b.i2c.setReg(0x67, 0x03);
    ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, 474000, 24), 0u);
    const std::vector<Step> expected = {
        W(0x01, 0x00), W(0x74, 0x02), W(0x87, {0xC4, 0x40}), W(0x91, {0x16, 0x26}), W(0x9C, {0x00, 0x00}),
        W(0x5E, {0xEE, 0x02, 0x1E, 0x67, 0x18, 0x1C, 0x78, 0x08, 0x1C}), R(0x67), W(0x67, 0x01),
        W(0x68, {0x00, 0x84, 0x00, 0x02, 0x21, 0x02, 0x1E, 0x1D, 0x90, 0x3B, 0x07, 0xFF, 0x01, 0xD9, 0x0F, 0x24,
                 0x87}),
    };
    EXPECT_EQ(b.i2c.trail(), expected);
    EXPECT_EQ(std::make_tuple(b.tuner.state, b.tuner.frequencyKHz, b.tuner.system),
              std::make_tuple(KIT_CXD2858_STATE_TERR, 474000u, 24u));
    b.i2c.clearLog();
    EXPECT_EQ(kit_cxd2858_terr_TuneEnd(&b.tuner), 0u);
    EXPECT_EQ(b.i2c.trail(), kTuneEnd);

    TunerBench s;  // created, never initialised
    EXPECT_EQ((std::vector<kit_result_t>{kit_cxd2858_terr_TuneEnd(&s.tuner), kit_cxd2858_terr_Tune(&s.tuner, 474000, 24),
                                         kit_cxd2858_Sleep(&s.tuner), kit_cxd2858_RFFilterConfig(&s.tuner, 1, 2)}),
              std::vector<kit_result_t>(4, 3));
    EXPECT_EQ(s.i2c.accesses(), 0);
}

TEST(KitTunerTerrestrial, BlockBytesBySystemGroupFlagsAndCrystal)
{
    const struct {
        uint32_t flags, xtal, system, kHz;
        std::vector<uint8_t> r9c, filter;  // 0x9C.., bytes 4-8 of the 0x5E block
        uint8_t byte0, byte10, byte13;
    } cases[] = {
        // DVB-T 8 MHz, plain and with the alternative filter (20.5 MHz crystal)
        {kProgramFlags, 2, 17, 666000, {0x00, 0x00}, {0x03, 0xB4, 0x78, 0x08, 0x30}, 0, 0x0A, 0x99},
        {kProgramFlags | (1u << 28), 1, 17, 666000, {0x90, 0x00}, {0x02, 0x2C, 0x1E, 0x02, 0x24}, 0, 0x0A, 0x99},
        // the cable group ignores the alternative filter
        {kProgramFlags | (1u << 28), 0, 23, 306000, {0x00, 0x00}, {0x10, 0x1C, 0x78, 0x08, 0x1C}, 0, 0x04, 0xD9},
        // analogue: system 8 marks byte 10, bit 19 fills byte 0, the block switches at 464,001
        {kProgramFlags | (1u << 19), 2, 8, 464000, {0x00, 0x00}, {0x30, 0x38, 0x78, 0x08, 0x1C}, 1, 0xC7, 0xD9},
        {kProgramFlags | (1u << 19), 2, 8, 464001, {0x00, 0x00}, {0x0C, 0xB4, 0x78, 0x08, 0x3C}, 1, 0xC7,
         0xD9},
        {kProgramFlags | (1u << 18), 0, 2, 1000, {0x00, 0x00}, {0x20, 0x38, 0x78, 0x08, 0x1C}, 0, 0x80, 0xD9},
        {kProgramFlags | (1u << 18), 0, 14, 1000, {0x00, 0x00}, {0x02, 0xB4, 0x78, 0x08, 0x30}, 1, 0x00, 0x99},
    };
    for (const auto& c : cases) {
        TunerBench b(c.flags, c.xtal);
        ASSERT_EQ(b.initialize(), 0u);
        ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, c.kHz, c.system), 0u) << c.system;
        const auto w = b.i2c.writes();
        EXPECT_EQ(w[3], W(0x91, c.system == 23 ? std::vector<uint8_t>{0x16, 0x26} : std::vector<uint8_t>{0x10, 0x20}));
        EXPECT_EQ(w[4], W(0x9C, c.r9c)) << c.system;
        EXPECT_EQ(std::vector<uint8_t>(w[5].bytes.begin() + 4, w[5].bytes.end()), c.filter) << c.system;
        const auto block = b.terrBlock();
        EXPECT_EQ(std::make_tuple(block[0], block[10], block[13]), std::make_tuple(c.byte0, c.byte10, c.byte13))
            << c.system;
    }
}

TEST(KitTunerTerrestrial, BandColumnsSwitchAfter172And464MHz)
{
    // A table whose band columns all differ shows which one each frequency takes.
    kit_cxd2858_terr_param_t rows[KIT_CXD2858_TERR_PARAM_ROWS];
    std::memcpy(rows, g_terr_param_table, sizeof rows);
    for (uint8_t band = 0; band < 3; ++band) {
        rows[14].c2to4[band] = uint8_t(1 + band);
        rows[14].c5to7[band] = uint8_t(5 + band);
    }
    rows[14].c0 = 0x3;
    const struct {
        uint32_t kHz;
        uint8_t band;
    } cases[] = {{1000, 0}, {172000, 0}, {172001, 1}, {464000, 1}, {464001, 2}, {0xFFFFF, 2}};
    for (const auto& c : cases) {
        TunerBench b;
        ASSERT_EQ(b.initialize(), 0u);
        b.tuner.terrParamTable = rows;
        ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, c.kHz, 14), 0u);
        const auto block = b.terrBlock();
        EXPECT_EQ(std::make_tuple(block[1], block[3], block[4]), std::make_tuple(0x38, 1 + c.band, 0x25 + c.band))
            << c.kHz;
        EXPECT_EQ(block[8] | block[9] << 8 | (block[10] & 0x0F) << 16, static_cast<int>(c.kHz));
    }
}

TEST(KitTunerTerrestrial, LimitsAreCheckedBeforeAnyRegister)
{
    const struct {
        uint32_t kHz, system;
        kit_result_t result;
    } cases[] = {
        {999, 17, 7},     {1000, 17, 0},     {1048575, 17, 0}, {1048576, 17, 7},  // 20-bit frequency field
        {474000, 0, 1},   {474000, 29, 1},  {474000, 28, 0},  {474000, 1, 0},
    };
    for (const auto& c : cases) {
        TunerBench b;
        ASSERT_EQ(b.initialize(), 0u);
        const int before = b.i2c.accesses();
        EXPECT_EQ(kit_cxd2858_terr_Tune(&b.tuner, c.kHz, c.system), c.result) << c.kHz << " " << c.system;
        if (c.result != 0) {
            EXPECT_EQ(std::make_tuple(b.i2c.accesses(), b.tuner.state), std::make_tuple(before, KIT_CXD2858_STATE_SLEEP));
        }
    }
}

TEST(KitTunerSatellite, TuneFromTheTerrestrialHalfThenSleep)
{
    TunerBench b(kOscOffFlags);
    ASSERT_EQ(b.initialize(), 0u);
    ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, 474000, 24), 0u);
    EXPECT_EQ(b.i2c.trail()[0], W(0x82, 0x9F));  // woken from sleep first
    b.i2c.clearLog();
    ASSERT_EQ(kit_cxd2858_sat_Tune(&b.tuner, 1500000, 31, 27500), 0u);
    const std::vector<Step> expected = cat({
        kTerFin,
        {W(0x15, 0x02), W(0x43, 6), W(0x6A, {0x00, 0x00}), W(0x75, 0x99), W(0x9D, 0x00), W(0x61, 7), W(0x01, 0x01),
         W(0x04, {0xC4, 0x40, 0x03, 0x00, 0xB4, 0x78, 0x08, 0x30, 0xFF, 0x02, 0x1E, 22, 0xD8, 0xB8, 0x05, 0xFF, 0x00,
                  0x01}),
         Wait(10), W(0x05, 0x00), W(0x04, 0xC0)},
    });
    EXPECT_EQ(b.i2c.trail(), expected);
    EXPECT_EQ(std::make_tuple(b.tuner.state, b.tuner.frequencyKHz, b.tuner.symbolRateKSps, b.tuner.system),
              std::make_tuple(KIT_CXD2858_STATE_SAT, 1500000u, 27500u, 31u));
    int32_t rssi = 0;
    EXPECT_EQ(std::make_pair(kit_cxd2858_ReadRssi(&b.tuner, nullptr), kit_cxd2858_ReadRssi(&b.tuner, &rssi)), std::make_pair(1u, 3u));

    b.i2c.clearLog();
    ASSERT_EQ(kit_cxd2858_Sleep(&b.tuner), 0u);
    EXPECT_EQ(b.i2c.trail(), cat({kSatFin, kOscOff}));
    EXPECT_EQ(std::make_tuple(b.tuner.state, b.tuner.frequencyKHz + b.tuner.system + b.tuner.symbolRateKSps),
              std::make_tuple(KIT_CXD2858_STATE_SLEEP, 0u));
    b.i2c.clearLog();
    EXPECT_EQ(kit_cxd2858_Sleep(&b.tuner), 0u);  // asleep already: no bus traffic
    EXPECT_TRUE(b.i2c.trail().empty());

    // And back: the satellite half is left before the terrestrial tune.
    ASSERT_EQ(kit_cxd2858_sat_Tune(&b.tuner, 1500000, 30, 27500), 0u);
    b.i2c.clearLog();
    ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, 474000, 24), 0u);
    const auto t = b.i2c.trail();
    EXPECT_EQ(std::vector<Step>(t.begin(), t.begin() + 7), cat({kSatFin, {W(0x01, 0x00)}}));
}

TEST(KitTunerSatellite, FrequencyStepsCutOffAndLimits)
{
    const struct {
        uint32_t kHz, system, rate;
        kit_result_t result;
        uint32_t recordedKHz, recordedRate;
        uint8_t cutoff;
    } cases[] = {
        {1000001, 30, 30000, 0, 1000000, 30000, 26}, {1000002, 30, 60000, 0, 1000004, 60000, 36},
        {950000, 29, 1000, 0, 950000, 28860, 22},    {950000, 31, 10000, 0, 950000, 10000, 11},
        {950000, 31, 10001, 0, 950000, 10001, 12},   {500000, 31, 4001, 0, 500000, 4001, 5},
        {2500000, 30, 27500, 0, 2500000, 27500, 24},
        {499999, 30, 27500, 7, 0, 0, 0},             {2500001, 30, 27500, 7, 0, 0, 0},
        {1500000, 28, 27500, 1, 0, 0, 0},            {1500000, 32, 27500, 1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        TunerBench b;
        ASSERT_EQ(b.initialize(), 0u);
        EXPECT_EQ(kit_cxd2858_sat_Tune(&b.tuner, c.kHz, c.system, c.rate), c.result) << c.kHz;
        if (c.result != 0) {
            EXPECT_TRUE(b.i2c.trail().empty());
            continue;
        }
        EXPECT_EQ(std::make_pair(b.tuner.frequencyKHz, b.tuner.symbolRateKSps),
                  std::make_pair(c.recordedKHz, c.recordedRate)) << c.kHz;
        const auto block = b.satBlock();
        EXPECT_EQ(block[11], c.cutoff) << c.kHz << " " << c.rate;
        EXPECT_EQ(block[12] | block[13] << 8 | block[14] << 16, static_cast<int>((c.kHz + 2) / 4)) << c.kHz;
    }
}

TEST(KitTunerSatellite, FlagsCrystalAndFreesatInTheBlock)
{
    const struct {
        uint32_t flags, xtal;
        bool freesat;
        std::vector<uint8_t> bytes2to8;
        uint8_t byte16, r43;
    } cases[] = {
        {kProgramFlags, 1, false, {0x02, 0x00, 0x8C, 0x78, 0x08, 0x30, 0xFF}, 0, 6},
        {kProgramFlags, 1, true, {0x02, 0x00, 0x18, 0x78, 0x08, 0x30, 0xFF}, 0, 6},
        {kProgramFlags | (1u << 28), 1, true, {0x02, 0x80, 0x58, 0x1E, 0x02, 0x24, 0xFF}, 0, 6},
        {kExternalXtalFlags | (1u << 28), 3, false, {0x05, 0x80, 0x70, 0x1E, 0x02, 0x24, 0xFF}, 0, 6},
        {kProgramFlags | (1u << 27) | (1u << 17), 2, false, {0x03, 0x00, 0xB4, 0x78, 0x08, 0x30, 0xFE}, 1, 4},
        {kProgramFlags | kF1Is2, 2, false, {0x03, 0x00, 0xB4, 0x78, 0x08, 0x30, 0xEF}, 0, 6},
    };
    for (const auto& c : cases) {
        TunerBench b(c.flags, c.xtal);
        ASSERT_EQ(b.initialize(), 0u);
        EXPECT_EQ(kit_cxd2858_SetFreesatMode(&b.tuner, c.freesat ? 7 : 0), 0u);
        EXPECT_EQ(b.tuner.isFreesatMode, c.freesat ? 1 : 0);
        ASSERT_EQ(kit_cxd2858_sat_Tune(&b.tuner, 1500000, 30, 27500), 0u);
        const auto block = b.satBlock();
        EXPECT_EQ(std::vector<uint8_t>(block.begin() + 2, block.begin() + 9), c.bytes2to8) << std::hex << c.flags;
        EXPECT_EQ(block[16], c.byte16);
        EXPECT_EQ(b.i2c.writes()[1], W(0x43, c.r43));
    }
}

TEST(KitTunerShift, WithinEachHalf)
{
    TunerBench b;
    ASSERT_EQ(b.initialize(), 0u);
    EXPECT_EQ(kit_cxd2858_ShiftFRF(&b.tuner, 474000), 3u);
    ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, 474000, 24), 0u);
    b.i2c.clearLog();
    ASSERT_EQ(kit_cxd2858_ShiftFRF(&b.tuner, 482000), 0u);
    auto t = b.i2c.trail();
    EXPECT_EQ(std::vector<Step>(t.begin(), t.begin() + 2), (std::vector<Step>{W(0x01, 0x00), W(0x87, {0xC4, 0x40})}))
        << "a shift keeps 0x74";
    const auto block = b.terrBlock();
    EXPECT_EQ(std::make_tuple(t[4].bytes[3], block[11], block[8] | block[9] << 8 | (block[10] & 0x0F) << 16, b.tuner.frequencyKHz),
              std::make_tuple(0x45, 0x8F, 482000, 482000u));
    EXPECT_EQ(std::vector<Step>(t.end() - 3, t.end()), cat({{Wait(10)}, kTuneEnd}));
    EXPECT_EQ(kit_cxd2858_ShiftFRF(&b.tuner, 1048576), 7u);

    ASSERT_EQ(kit_cxd2858_sat_Tune(&b.tuner, 1500000, 30, 27500), 0u);
    b.i2c.clearLog();
    ASSERT_EQ(kit_cxd2858_ShiftFRF(&b.tuner, 1600001), 0u);
    t = b.i2c.trail();
    EXPECT_EQ(std::make_tuple(t[4], b.satBlock()[15], b.tuner.frequencyKHz), std::make_tuple(W(0x61, 5), 0x8F, 1600001u));
    EXPECT_EQ(std::vector<Step>(t.end() - 3, t.end()), (std::vector<Step>{Wait(10), W(0x05, 0x00), W(0x04, 0xC0)}));
    EXPECT_EQ(kit_cxd2858_ShiftFRF(&b.tuner, 2500001), 7u);
}

TEST(KitTunerTransitions, AFailureHalfWayLeavesTheStateInvalidUntilInitialize)
{
    const struct {
        uint8_t failing;
        bool fromSat;
        kit_result_t (*op)(kit_cxd2858_t*);
    } cases[] = {
        {0x68, true, [](kit_cxd2858_t* t) { return kit_cxd2858_terr_Tune(t, 474000, 24); }},
        {0x5E, false, [](kit_cxd2858_t* t) { return kit_cxd2858_sat_Tune(t, 1500000, 30, 27500); }},
        {0x04, true, kit_cxd2858_Sleep}, {0x87, false, kit_cxd2858_terr_TuneEnd},
        {0x68, false, [](kit_cxd2858_t* t) { return kit_cxd2858_ShiftFRF(t, 482000); }},
    };
    for (const auto& c : cases) {
        TunerBench b;
        ASSERT_EQ(b.initialize(), 0u);
        ASSERT_EQ(c.fromSat ? kit_cxd2858_sat_Tune(&b.tuner, 1500000, 30, 27500)
                            : kit_cxd2858_terr_Tune(&b.tuner, 474000, 24),
                  0u);
        b.i2c.failRegister(c.failing);
        EXPECT_EQ(c.op(&b.tuner), 2u) << int(c.failing);
        EXPECT_EQ(std::make_tuple(b.tuner.state, b.tuner.frequencyKHz + b.tuner.system), std::make_tuple(KIT_CXD2858_STATE_INVALID, 0u));
        b.i2c.clearFaults();
        const int before = b.i2c.accesses();
        EXPECT_EQ((std::vector<kit_result_t>{kit_cxd2858_terr_Tune(&b.tuner, 474000, 24), kit_cxd2858_sat_Tune(&b.tuner, 1500000, 30, 27500),
                                             kit_cxd2858_Sleep(&b.tuner), kit_cxd2858_RFFilterConfig(&b.tuner, 1, 2)}),
                  std::vector<kit_result_t>(4, 3));
        EXPECT_EQ(b.i2c.accesses(), before);
        EXPECT_EQ(kit_cxd2858_Initialize(&b.tuner), 0u);
        EXPECT_EQ(kit_cxd2858_terr_Tune(&b.tuner, 474000, 24), 0u);
    }
}

TEST(KitTunerRssi, TrailAndArithmetic)
{
    const struct {
        uint32_t kHz;
        uint8_t a, b, gain;
        int32_t rssi;
    } cases[] = {
        {474000, 30, 50, 0x05, -6899}, {65000, 72, 0, 0x0F, -6391}, {800000, 250, 0, 0x00, 3783},
        {172000, 0, 0, 0x00, -7949},   {172001, 36, 0, 0x00, -6229}, {1000, 200, 0, 0x13, 364},
    };
    for (const auto& c : cases) {
        TunerBench b;
        ASSERT_EQ(b.initialize(), 0u);
        ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, c.kHz, 17), 0u);
        b.i2c.setDetector(0x05, c.a);
        b.i2c.setDetector(0x03, c.b);
        b.i2c.setReg(0x69, c.gain);
        b.i2c.clearLog();
        EXPECT_EQ(value(kit_cxd2858_ReadRssi, &b.tuner), c.rssi) << c.kHz;
        EXPECT_EQ(b.i2c.trail(), cat({{W(0x87, {0xC4, 0x41}), W(0x59, {0x05, 0x01}), R(0x5B), W(0x59, {0x03, 0x01}),
                                       R(0x5B), W(0x59, 0x04)},
                                      kTuneEnd,
                                      {R(0x69)}}));
    }
}

TEST(KitTunerSmallOperations, PortsFilterAndExternalControl)
{
    TunerBench b(kOscOffFlags);
    ASSERT_EQ(b.initialize(), 0u);
    EXPECT_EQ((std::vector<kit_result_t>{kit_cxd2858_SetGPO(&b.tuner, 0, 5), kit_cxd2858_SetGPO(&b.tuner, 1, 0), kit_cxd2858_SetGPO(&b.tuner, 2, 1)}),
              (std::vector<kit_result_t>{0, 0, 1}));
    b.i2c.setReg(0x86, 0x01);
    b.i2c.setReg(0x4B, 0xFB);
    b.i2c.setReg(0x67, 0x80);
    EXPECT_EQ(kit_cxd2858_SetRfExtCtrl(&b.tuner, 9), 0u);
    EXPECT_EQ(value(kit_cxd2858_GetGPI1, &b.tuner), 1);
    EXPECT_EQ(kit_cxd2858_GetGPI1(&b.tuner, nullptr), 1u);
    EXPECT_EQ(b.i2c.trail(), (std::vector<Step>{W(0x85, 0x01), W(0x86, 0x00), R(0x67), W(0x67, 0x81), R(0x86),
                                                W(0x86, 0x11), R(0x4B)}));

    // Asleep with the oscillator off: woken for the filter words and switched off again.
    b.i2c.clearLog();
    ASSERT_EQ(kit_cxd2858_RFFilterConfig(&b.tuner, 0x12, 0x34), 0u);
    EXPECT_EQ(b.i2c.trail(), cat({kOscOn,
                                  {W(0x87, {0xC4, 0x40}), W(0x16, {0x12, 0x49, 0x03}), Wait(1),
                                   W(0x16, {0x34, 0x4B, 0x03}), Wait(1)},
                                  kTuneEnd, kOscOff}));
    EXPECT_EQ(b.tuner.state, KIT_CXD2858_STATE_SLEEP);
    ASSERT_EQ(kit_cxd2858_terr_Tune(&b.tuner, 474000, 24), 0u);
    b.i2c.clearLog();
    ASSERT_EQ(kit_cxd2858_RFFilterConfig(&b.tuner, 0x12, 0x34), 0u);
    EXPECT_EQ(std::make_tuple(b.i2c.trail().front(), b.i2c.trail().size()), std::make_tuple(W(0x87, {0xC4, 0x40}), size_t(7)))
        << "active: the oscillator is running";
}
