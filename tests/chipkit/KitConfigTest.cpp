// Configuration items (state and range errors, the register effect of each item class, bus and
// memory failures), the TS and TLV output clocks at their rows' ends, the data pins and the
// general-purpose pins.
#include "DemodBench.h"
#include "chipkit/kit_demod_config.h"
#include "chipkit/kit_demod_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

using namespace kittest;

namespace {

struct AsleepBench : DemodBench {
    AsleepBench() { EXPECT_EQ(initialize(), 0u); }
    void active() { kit_demod_FinishTransition(&demod, KIT_DTV_SYSTEM_DVBC, KIT_RESULT_OK); }
};

// The parallel rows of the TLV clock table: bank 0x01 0xC1, 0xCC and 0x00 0x33 bits 1-0, bank 0x56 0x83.
const uint8_t kParallelTlv[3][4] = {{0, 0, 0, 3}, {0, 0, 1, 4}, {0, 0, 2, 5}};

} // namespace

TEST(KitConfig, StateIdAndRangeErrorsChangeNothing)
{
    AsleepBench b;
    const std::vector<int> activeIds = {14, 17, 18, 19, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34,
                                        40, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58};
    b.active();
    for (uint32_t id = 0; id < KIT_DEMOD_CONFIG_COUNT; ++id) {
        const bool allowed = std::count(activeIds.begin(), activeIds.end(), static_cast<int>(id)) > 0;
        const uint32_t value = id == 14 ? 0 : 1;  // in range everywhere
        EXPECT_EQ(kit_demod_SetConfig(&b.demod, id, value), allowed ? 0u : 3u) << id;
    }
    EXPECT_EQ(kit_demod_SetConfig(&b.demod, 76, 0), 8u);

    AsleepBench s;
    const struct {
        uint32_t id, value;
        kit_result_t expected;
    } ranges[] = {
        {20, 0, 7},    {20, 6, 7},  {20, 5, 0},   {43, 0, 0},   {43, 6, 7},   {36, 0, 7},
        {36, 1, 0},    {36, 2795, 0}, {36, 2796, 7}, {36, 11453247, 7}, {38, 11453247, 7}, {39, 0, 7},
        {14, 4096, 0}, {14, 4097, 7}, {8, 32, 7},   {12, 8, 7},   {23, 3, 7},   {40, 3, 7},
        {46, 16, 7},   {50, 8, 7},  {11, 256, 7}, {54, 8, 7},   {72, 0, 7},   {73, 0, 0},
        {73, 6, 7},    {74, 3, 7},  {75, 0, 7},   {76, 0, 8},   {1000, 0, 8},
    };
    for (const auto& r : ranges) {
        s.i2c.clearLog();
        const auto* bytes = reinterpret_cast<const uint8_t*>(&s.demod);
        const std::vector<uint8_t> before(bytes, bytes + sizeof s.demod);
        EXPECT_EQ(kit_demod_SetConfig(&s.demod, r.id, r.value), r.expected) << r.id << " " << r.value;
        if (r.expected != 0) {
            EXPECT_TRUE(s.i2c.writes().empty()) << r.id;
            EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + sizeof s.demod), before) << r.id;
        }
    }
    for (kit_demod_state_t st : {KIT_DEMOD_STATE_UNKNOWN, KIT_DEMOD_STATE_SHUTDOWN, KIT_DEMOD_STATE_INVALID}) {
        s.demod.state = st;
        EXPECT_EQ(kit_demod_SetConfig(&s.demod, 24, 1), 3u) << st;
    }
    EXPECT_EQ(kit_demod_SetConfig(nullptr, 24, 1), 1u);
}

TEST(KitConfig, RegisterEffectOfEachItemClass)
{
    const struct {
        uint32_t id, value;
        std::vector<Step> writes;
    } cases[] = {
        {0, 0, {W(SLVT, 0x00, 0xC4, 0x80)}},  // cleared when set
        {1, 3, {W(SLVT, 0x00, 0xC4, 0x08)}},  // set when set
        {8, 0x15, {W(SLVT, 0x00, 0xC6, 0x15), W(SLVT, 0x60, 0x52, 0x15)}},  // the value, twice
        {14, 0x1A5, {W(SLVT, 0x00, 0xB7, 0x01), W(SLVT, 0x00, 0xB2, 0x01), W(SLVT, 0x00, 0xB3, 0xA5)}},
        {14, 4096, {W(SLVT, 0x00, 0xB7, 0x01), W(SLVT, 0x00, 0xB2, 0x10), W(SLVT, 0x00, 0xB3, 0x00)}},
        {18, 7, {W(SLVX, 0x00, 0x86, 0x0C)}},  // shifted into its field
        {23, 1, {W(SLVT, 0x10, 0xCD, 0x39)}},  // looked up
        {34, 0xFFFF, {W(SLVT, 0x60, 0x5B, 0x7F), W(SLVT, 0x60, 0x5C, 0xFF)}},
        {36, 1, {W(SLVT, 0x10, 0x82, 0x00), W(SLVT, 0x10, 0x83, 0x01)}},  // period words
        {36, 2795, {W(SLVT, 0x10, 0x82, 0x07), W(SLVT, 0x10, 0x83, 0xFF)}},
        {61, 2, {W(SLVT, 0x01, 0xC1, 0x00), W(SLVT, 0x01, 0xCF, 0x01)}},  // set when 2
        {71, 31, {W(SLVT, 0x01, 0xC6, 0x1F)}},
    };
    for (const auto& c : cases) {
        AsleepBench b;
        EXPECT_EQ(kit_demod_SetConfig(&b.demod, c.id, c.value), 0u) << c.id;
        EXPECT_EQ(b.i2c.writes(), c.writes) << c.id << " " << c.value;
        EXPECT_EQ(b.demod.savedRegisterCount, 1 + c.writes.size()) << c.id;
    }
    // Masked items keep the bits around them.
    AsleepBench m;
    m.i2c.setReg(SLVX, 0x00, 0x86, 0xFF);
    kit_demod_SetConfig(&m.demod, 18, 0);
    EXPECT_EQ(m.i2c.reg(SLVX, 0x00, 0x86), 0xF3);
}

TEST(KitConfig, BusAndMemoryFailures)
{
    AsleepBench b;
    b.i2c.failRegister(SLVT, 0xA0, 0xB9);
    EXPECT_EQ(kit_demod_SetConfig(&b.demod, 45, 1), 2u);
    b.i2c.clearFaults();
    for (int i = 1; i < KIT_DEMOD_SAVED_REGISTERS_MAX; ++i)
        kit_demod_SetAndSaveRegisterBits(&b.demod, 0xD8, 0x70, static_cast<uint8_t>(i), 0, 0xFF);
    EXPECT_EQ(kit_demod_SetConfig(&b.demod, 17, 1), 11u);  // the memory's own result
    EXPECT_EQ(kit_demod_SetConfig(&b.demod, 18, 1), 2u);   // these two only know bus failures
    EXPECT_EQ(kit_demod_SetConfig(&b.demod, 19, 1), 2u);
}

TEST(KitOutput, TsClockOfDvbcWithTheDefaults)
{
    AsleepBench b;
    b.i2c.setReg(SLVT, 0x00, 0xC4, 0x80);  // serial output
    ASSERT_EQ(kit_demod_SetTSClockModeAndFreq(&b.demod, KIT_DTV_SYSTEM_DVBC), 0u);
    // Terrestrial/cable rate 1 + 6 x row 1: row 7.
    EXPECT_EQ(b.i2c.writes(),
              (std::vector<Step>{W(SLVT, 0, 0xD3, 0), W(SLVT, 0, 0xDE, 0), W(SLVT, 0, 0xDA, 0), W(SLVT, 0, 0xC4, 0x81),
                                 W(SLVT, 0, 0xD1, 1), W(SLVT, 0, 0xD9, 8), W(SLVT, 0, 0x32, 0), W(SLVT, 0, 0x33, 1),
                                 W(SLVT, 0, 0x32, 1), W(SLVT, 0x10, 0x66, 1), W(SLVT, 0x40, 0x66, 1)}));
    EXPECT_EQ(b.demod.savedRegisterCount, 1);  // set up on every tune, not saved
    EXPECT_EQ(kit_demod_SetTSClockModeAndFreq(&b.demod, 0), 1u);
    EXPECT_EQ(kit_demod_SetTSClockModeAndFreq(&b.demod, 12), 1u);
    b.demod.state = KIT_DEMOD_STATE_SHUTDOWN;
    EXPECT_EQ(kit_demod_SetTSClockModeAndFreq(&b.demod, 3), 3u);
}

TEST(KitOutput, TsClockPerSystemAndOutput)
{
    AsleepBench b;
    // Per system and output: 0xD3, 0xDE, 0xDA bit 0, then 0xD9 and 0x33 in parallel mode.
    const struct {
        kit_dtv_system_t system;
        uint8_t gating, parallelClock, serial;
        uint8_t d3, de, da, d9, r33;
    } modes[] = {
        {KIT_DTV_SYSTEM_DVBT, 1, 0, 1, 1, 1, 0, 8, 1},
        {KIT_DTV_SYSTEM_ISDBT, 1, 0, 1, 1, 0, 0, 8, 1},  // row 7 of the serial table
        {KIT_DTV_SYSTEM_RESERVED10, 0, 0, 1, 1, 1, 0, 8, 1}, {KIT_DTV_SYSTEM_J83B, 1, 0, 1, 0, 0, 0, 8, 1},
        {KIT_DTV_SYSTEM_ISDBT, 0, 0, 0, 1, 0, 0, 8, 0}, {KIT_DTV_SYSTEM_ISDBT, 0, 0x20, 0, 0, 0, 1, 0x20, 0},
        {KIT_DTV_SYSTEM_RESERVED10, 0, 0x20, 0, 0, 1, 1, 0x20, 1}, {KIT_DTV_SYSTEM_DVBC, 1, 0x20, 0, 0, 1, 1, 0x20, 1},
    };
    for (const auto& m : modes) {
        b.demod.tsClockGating = m.gating;
        b.demod.parallelTsClock = m.parallelClock;
        b.demod.serialTsClockRow = 1;
        b.demod.serialTsRate = b.demod.satSerialTsRate = 1;
        b.i2c.setReg(SLVT, 0x00, 0xC4, m.serial ? 0x80 : 0x00);
        ASSERT_EQ(kit_demod_SetTSClockModeAndFreq(&b.demod, m.system), 0u);
        const uint8_t got[] = {b.i2c.reg(SLVT, 0, 0xD3), b.i2c.reg(SLVT, 0, 0xDE), b.i2c.reg(SLVT, 0, 0xDA),
                               b.i2c.reg(SLVT, 0, 0xD9), b.i2c.reg(SLVT, 0, 0x33)};
        const uint8_t want[] = {m.d3, m.de, m.da, m.d9, m.r33};
        EXPECT_EQ(std::vector<uint8_t>(got, got + 5), std::vector<uint8_t>(want, want + 5)) << m.system;
        EXPECT_EQ(b.i2c.reg(SLVT, 0x40, 0x66), m.gating && m.system <= 6 ? 0 : 1) << m.system;
    }
}

TEST(KitOutput, TlvClockTablesRowByRow)
{
    AsleepBench b;
    // Serial: the first and last rate of each clock row; 0xE7 clear for system 10.
    b.i2c.setReg(SLVT, 0x01, 0xC1, 0x80);
    for (auto [row, rate, c1, cc, r33, r83] : {std::array<int, 6>{0, 0, 3, 1, 0, 3}, {0, 5, 0, 2, 2, 5},
                                               {1, 0, 1, 1, 0, 3}, {1, 5, 2, 2, 2, 5}}) {
        b.demod.serialTlvClockRow = uint8_t(row);
        b.demod.tlvRateSerialSystem10 = uint32_t(rate);
        ASSERT_EQ(kit_demod_SetTLVClockModeAndFreq(&b.demod, KIT_DTV_SYSTEM_RESERVED10), 0u);
        EXPECT_EQ((std::vector<int>{b.i2c.reg(SLVT, 0x01, 0xC1), b.i2c.reg(SLVT, 0x01, 0xCC), b.i2c.reg(SLVT, 0, 0x33),
                                    b.i2c.reg(SLVT, 0x56, 0x83), b.i2c.reg(SLVT, 0x01, 0xE7)}),
                  (std::vector<int>{0x80 | c1, cc, r33, r83, 0x00})) << row << rate;
    }
    b.demod.tlvRateSerialDvbc2 = 5;
    ASSERT_EQ(kit_demod_SetTLVClockModeAndFreq(&b.demod, KIT_DTV_SYSTEM_DVBC2), 0u);
    EXPECT_EQ(std::make_pair(b.i2c.reg(SLVT, 0x56, 0x83), b.i2c.reg(SLVT, 0x01, 0xE7)), std::make_pair(uint8_t(5), uint8_t(1)));

    // Parallel: register 0xCF bit 0 clear takes row 1 whatever the selects say.
    const struct {
        kit_dtv_system_t system;
        uint8_t cf;
        int row;
    } parallel[] = {{KIT_DTV_SYSTEM_DVBC2, 0, 1}, {KIT_DTV_SYSTEM_RESERVED10, 0, 1}, {KIT_DTV_SYSTEM_DVBC2, 1, 2},
                    {KIT_DTV_SYSTEM_RESERVED10, 1, 1}};
    b.demod.tlvRateParallelDvbc2 = 2;
    b.demod.tlvRateParallelSystem10 = 1;
    for (const auto& p : parallel) {
        b.i2c.setReg(SLVT, 0x01, 0xC1, 0x00);
        b.i2c.setReg(SLVT, 0x01, 0xCF, p.cf);
        b.i2c.clearLog();
        ASSERT_EQ(kit_demod_SetTLVClockModeAndFreq(&b.demod, p.system), 0u);
        EXPECT_EQ(std::make_tuple(b.i2c.reg(SLVT, 0x56, 0x83), b.i2c.reg(SLVT, 0x00, 0x33)),
                  std::make_tuple(kParallelTlv[p.row][3], kParallelTlv[p.row][2]));
        EXPECT_TRUE(b.i2c.writesTo(SLVT, 0x01) == (std::vector<std::pair<int, int>>{{0xE7, 1}}));
    }
    EXPECT_EQ(kit_demod_SetTLVClockModeAndFreq(&b.demod, KIT_DTV_SYSTEM_DVBC), 1u);
}

TEST(KitOutput, DataPinsInUseGoHighImpedance)
{
    const struct {
        uint8_t a9, c1, cf, ea, c4, pins;
    } cases[] = {
        {0, 0, 0, 0, 0x80, 0x01}, {0, 0, 0, 0, 0x88, 0x80}, {0, 0, 0, 0, 0x08, 0xFF},
        {1, 0x80, 0, 0, 0, 0x01}, {1, 0x88, 0, 0, 0, 0x80}, {1, 0x00, 0, 0, 0, 0xFF},
        {1, 0x00, 1, 0x52, 0, 0x24},  // the TLV output's own pair of pins
    };
    for (const auto& c : cases) {
        AsleepBench b;
        for (auto [bank, reg, v] : {std::tuple{0x00, 0xA9, c.a9}, {0x01, 0xC1, c.c1}, {0x01, 0xCF, c.cf},
                                    {0x01, 0xEA, c.ea}, {0x00, 0xC4, c.c4}})
            b.i2c.setReg(SLVT, uint8_t(bank), uint8_t(reg), v);
        ASSERT_EQ(kit_demod_SetTSDataPinHiZ(&b.demod, 1), 0u);
        EXPECT_EQ(b.i2c.reg(SLVT, 0, 0x81), c.pins);
        b.i2c.setReg(SLVT, 0x00, 0x81, 0xFF);
        ASSERT_EQ(kit_demod_SetTSDataPinHiZ(&b.demod, 0), 0u);
        EXPECT_EQ(b.i2c.reg(SLVT, 0, 0x81), 0xFF & ~c.pins);
    }
}

TEST(KitOutput, GeneralPurposePins)
{
    AsleepBench b;
    kit_demod_t* d = &b.demod;
    EXPECT_EQ(kit_demod_GPIOSetConfig(d, 11, 1, 0), 1u);
    EXPECT_EQ(kit_demod_GPIOSetConfig(d, 0, 1, 4), 8u);
    EXPECT_EQ(kit_demod_GPIOSetConfig(d, 1, 1, 4), 8u);
    b.i2c.setReg(SLVX, 0, 0x82, 0x00);
    ASSERT_EQ(kit_demod_GPIOSetConfig(d, 1, 0, 3), 0u);  // disabled: released
    ASSERT_EQ(kit_demod_GPIOSetConfig(d, 2, 1, 1), 0u);  // mode 1 does not drive either
    ASSERT_EQ(kit_demod_GPIOSetConfig(d, 4, 1, 2), 0u);
    ASSERT_EQ(kit_demod_GPIOSetConfig(d, 5, 1, 4), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVX, 0, 0xA4, 0x03), W(SLVX, 0, 0x82, 0x02), W(SLVX, 0, 0xA5, 0x01),
                                                 W(SLVX, 0, 0x82, 0x06), W(SLVX, 0, 0xB3, 0x20), W(SLVT, 0, 0x81, 0x00),
                                                 W(SLVX, 0, 0xB4, 0x04), W(SLVT, 0, 0x81, 0x04)}));
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_GPIOWrite(d, 1, 1), 0u);
    ASSERT_EQ(kit_demod_GPIOWrite(d, 10, 7), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVX, 0, 0xA2, 0x02), W(SLVX, 0, 0xB2, 0x80)}));
    b.i2c.setReg(SLVX, 0, 0xA0, 0x04);
    b.i2c.setReg(SLVX, 0, 0xB0, 0x80);
    const std::pair<uint8_t, uint8_t> reads[] = {{0, 0}, {2, 1}, {3, 0}, {10, 1}};
    for (const auto& r : reads) {
        EXPECT_EQ(value(kit_demod_GPIORead, d, r.first), r.second) << int(r.first);
    }
    EXPECT_EQ(kit_demod_GPIORead(d, 2, nullptr), 1u);
    ASSERT_EQ(kit_demod_Shutdown(d), 0u);  // saved like the items, and allowed while down
    EXPECT_EQ(kit_demod_GPIOWrite(d, 0, 1), 0u);
    d->state = KIT_DEMOD_STATE_UNKNOWN;
    EXPECT_EQ(kit_demod_GPIOWrite(d, 0, 1), 3u);
}
