// The TPS65233 LNB supply driver: the registers after each setter, the bus errors, and no
// guessed write after a failed read. Also the driver kit's LNB-controller record.
#include "ChipBench.h"
#include "hw/DrvTPS65233.h"
#include "hw/intersil_tps65233.h"

#include <gtest/gtest.h>

#include <tuple>

using hwtest::ChipBench;
using hwtest::Wire;

namespace {

const platform::sim::Device kSupply = platform::sim::Device::i2c(0x61);

// voltage code, tone, output, current limit, over-current
std::tuple<unsigned, int, int, unsigned, unsigned> state()
{
    const DrvTPS65233_State s = DrvTPS65233_GetState();
    return {s.voltageCode, s.tone, s.output, s.currentLimit, s.overCurrent};
}

enum Setter { Current, Voltage, Tone, Output };
void set(KxlDrvLibError* e, Setter setter, unsigned value)
{
    switch (setter) {
    case Current: return DrvTPS65233_HW_set_max_current(e, value);
    case Voltage: return DrvTPS65233_HW_set_voltage(e, value);
    case Tone: return DrvTPS65233_HW_set_internal_tone_enable(e, static_cast<unsigned char>(value));
    case Output: return DrvTPS65233_HW_set_output_enable(e, static_cast<unsigned char>(value));
    }
}

} // namespace

TEST(TPS65233, TheRegistersAfterEachSetterAndTheVoltsOnTheDish)
{
    ChipBench b;
    auto& lnb = *b.chips.lnbSupply;
    KxlDrvLibError e{99, 9, "old"};
    // Before Init register 0 reads 0x00: every control write still carries the write mark,
    // register 1 none.
    set(&e, Voltage, 1);
    set(&e, Current, 3);
    EXPECT_EQ(std::make_tuple(lnb.reg(0), lnb.reg(1), lnb.controlWrites()), std::make_tuple(0x81, 0x06, 1));
    b.clearLog();
    DrvTPS65233_Init(&e);
    EXPECT_EQ(std::make_tuple(e.code, e.text, lnb.currentLimitCode()), std::make_tuple(0u, nullptr, 3));
    EXPECT_EQ(b.wire("i2c-write"), (Wire{"i2c-write 0x61 00 A0", "i2c-write 0x61 01 0E"}));
    EXPECT_EQ(state(), std::make_tuple(0u, 0, 0, 3u, 0u));

    const struct {
        Setter setter;
        unsigned value;
        uint8_t reg0, reg1;
        double volts;
    } steps[] = {
        {Current, 1, 0xA0, 0x0A, 0.0}, {Voltage, 4, 0xA4, 0x0A, 0.0},  {Tone, 1, 0xB4, 0x0A, 0.0},
        {Output, 2, 0xBC, 0x0A, 18.0}, {Voltage, LNB_VOLTAGE_19_8, 0xBF, 0x0A, 19.8},
        {Voltage, 0, 0xB8, 0x0A, 13.0}, {Voltage, 15, 0xBF, 0x0A, 19.8}, {Tone, 0, 0xAF, 0x0A, 19.8},
        {Output, 0, 0xA7, 0x0A, 0.0},  {Current, 6, 0xA7, 0x0C, 0.0},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        set(&e, steps[i].setter, steps[i].value);
        EXPECT_EQ(std::make_tuple(e.code, lnb.reg(0), lnb.reg(1), lnb.outputVolts(), lnb.toneEnabled()),
                  std::make_tuple(0u, steps[i].reg0, steps[i].reg1, steps[i].volts, (steps[i].reg0 & 0x10) != 0)) << i;
    }
    EXPECT_EQ(std::make_tuple(lnb.unmarkedControlWrites(), state()), std::make_tuple(0, std::make_tuple(7u, 0, 0, 2u, 0u)));
}

TEST(TPS65233, BusFailuresWriteNothingGuessedAndKeepTheState)
{
    ChipBench b;
    KxlDrvLibError e{};
    DrvTPS65233_Init(&e);
    DrvTPS65233_HW_set_voltage(&e, 4);
    // Register writes: a pointer byte and data (a lone pointer byte only starts a read).
    const auto registerWrites = [&] {
        int n = 0;
        for (const auto& bytes : b.bytes("i2c-write"))
            n += bytes.size() > 1;
        return n;
    };
    const int before = registerWrites();
    b.board->faults().fail(kSupply, platform::sim::kRead);
    testsupport::LogCapture log;
    for (Setter setter : {Voltage, Tone, Output, Current}) {
        KxlDrvLibError r{};
        set(&r, setter, 1);
        EXPECT_EQ(r.code, 1u);
        EXPECT_STREQ(r.text, "[DrvTPS65233_HW_set_output_enable] i2c error.");
    }
    EXPECT_TRUE(log.contains("LNB-> Funtion DrvTPS65233_HW_set_output_enable RegAddress:0x00 I2C_Address:0x61"));
    b.board->faults().fail(kSupply, platform::sim::kRead, false);
    EXPECT_EQ(std::make_tuple(registerWrites(), b.chips.lnbSupply->reg(0), b.chips.lnbSupply->outputEnabled(), state()),
              std::make_tuple(before, 0xA4, false, std::make_tuple(4u, 0, 0, 3u, 0u)));

    // A failed write keeps the old state; a later success reports ok: each call is its own operation.
    b.board->faults().fail(kSupply, platform::sim::kWrite);
    DrvTPS65233_HW_set_output_enable(&e, 1);
    EXPECT_EQ(std::make_tuple(e.code, DrvTPS65233_GetState().output), std::make_tuple(1u, 0));
    DrvTPS65233_Init(&e);
    EXPECT_STREQ(e.text, "[DrvTPS65233_HW_Open] i2c error.");
    b.board->faults().fail(kSupply, platform::sim::kWrite, false);
    DrvTPS65233_HW_set_output_enable(&e, 1);
    EXPECT_EQ(std::make_tuple(e.code, DrvTPS65233_GetState().output), std::make_tuple(0u, 1));
    DrvTPS65233_HW_set_output_enable(nullptr, 0); // no record: still done
    EXPECT_FALSE(b.chips.lnbSupply->outputEnabled());
}

TEST(IntersilTps65233, TheRecordKeepsValuesAndRefusesOutsideSleepAndActive)
{
    testsupport::ScopedBoard board;
    kit_lnbc_t lnbc;
    int link = 0;
    auto* i2c = reinterpret_cast<kit_i2c_t*>(&link);
    // state, voltage, tone, transmit mode, config[0..2]
    auto record = [&] {
        return std::vector<uint32_t>{lnbc.state, lnbc.voltage, lnbc.tone, lnbc.transmitMode,
                                     lnbc.config[0], lnbc.config[1], lnbc.config[2]};
    };
    EXPECT_EQ(intersil_tps65233_Create(nullptr, 0x10, i2c), 1u);
    EXPECT_EQ(intersil_tps65233_Create(&lnbc, 0x10, nullptr), 1u);
    ASSERT_EQ(intersil_tps65233_Create(&lnbc, 0x61, i2c), 0u);
    EXPECT_EQ(std::make_tuple(lnbc.i2cAddress, lnbc.i2c, lnbc.user), std::make_tuple(0x61, i2c, nullptr));
    EXPECT_EQ(record(), (std::vector<uint32_t>{2, 0, 2, 0, 0, 0, 10}));

    // The last voltage and config item are refused; waking an active one is no change.
    EXPECT_EQ((std::vector<uint32_t>{lnbc.SetVoltage(&lnbc, 1), lnbc.SetVoltage(&lnbc, 3), lnbc.SetTone(&lnbc, 1),
                                     lnbc.SetTransmitMode(&lnbc, 4), lnbc.SetConfig(&lnbc, 2, 20),
                                     lnbc.SetConfig(&lnbc, 3, 20), lnbc.WakeUp(&lnbc)}),
              (std::vector<uint32_t>{0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(record(), (std::vector<uint32_t>{2, 1, 1, 4, 0, 0, 20}));
    EXPECT_EQ((std::vector<uint32_t>{lnbc.Sleep(&lnbc), lnbc.Sleep(&lnbc), lnbc.state, lnbc.WakeUp(&lnbc), lnbc.state}),
              (std::vector<uint32_t>{0, 0, 1, 0, 2}));
    EXPECT_EQ(lnbc.Initialize(&lnbc), 0u);
    EXPECT_EQ(record(), (std::vector<uint32_t>{1, 0, 2, 0, 0, 0, 10}));

    // Any state other than sleep or active refuses everything but Initialize.
    lnbc.state = 0;
    EXPECT_EQ((std::vector<uint32_t>{lnbc.SetVoltage(&lnbc, 0), lnbc.SetTone(&lnbc, 0), lnbc.SetTransmitMode(&lnbc, 0),
                                     lnbc.Sleep(&lnbc), lnbc.WakeUp(&lnbc), lnbc.SetVoltage(nullptr, 0)}),
              (std::vector<uint32_t>{3, 3, 3, 3, 3, 1}));
    // Nothing reached the bus.
    EXPECT_EQ(board->i2cTransferCount(), 0);
}
