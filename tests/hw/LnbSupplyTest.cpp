// The TPS65233 LNB supply driver: the registers after each setter, the bus errors, and no
// guessed write after a failed read. Also the driver kit's LNB-controller record.
#include "ChipModels.h"
#include "SimBoardFixture.h"
#include "hw/DrvTPS65233.h"
#include "hw/intersil_tps65233.h"

#include <gtest/gtest.h>

using platform::sim::ChipModels;
using testsupport::LogCapture;
using testsupport::ScopedBoard;

namespace {

const platform::sim::Device kSupply = platform::sim::Device::i2c(0x61);

struct LnbBoard {
    ScopedBoard board;
    ChipModels chips = platform::sim::installChipModels(*board);
    // Register writes: a pointer byte and data (a lone pointer byte only starts a read).
    int writes()
    {
        int n = 0;
        for (const auto& t : board->log().entries("i2c-write"))
            n += t.bytes.size() > 1;
        return n;
    }
};

} // namespace

TEST(TPS65233, InitWritesBothRegistersAndResetsTheState)
{
    LnbBoard b;
    KxlDrvLibError e{99, 9, "old"};
    DrvTPS65233_Init(&e);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(e.text, nullptr);
    auto w = b.board->log().entries("i2c-write");
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].device, "0x61");
    EXPECT_EQ(w[0].bytes, (std::vector<uint8_t>{0x00, 0xA0}));
    EXPECT_EQ(w[1].bytes, (std::vector<uint8_t>{0x01, 0x0E}));
    DrvTPS65233_State s = DrvTPS65233_GetState();
    EXPECT_EQ(s.currentLimit, 3u);
    EXPECT_EQ(s.tone, 0);
    EXPECT_EQ(s.output, 0);
    EXPECT_EQ(s.voltageCode, 0u);
    EXPECT_EQ(s.overCurrent, 0u);
    EXPECT_EQ(b.chips.lnbSupply->currentLimitCode(), 3);
    EXPECT_DOUBLE_EQ(b.chips.lnbSupply->outputVolts(), 0.0);
}

TEST(TPS65233, RegistersAfterEachSetter)
{
    LnbBoard b;
    KxlDrvLibError e{};
    DrvTPS65233_Init(&e);
    auto& lnb = *b.chips.lnbSupply;
    const struct {
        void (*call)(KxlDrvLibError*);
        uint8_t reg0, reg1;
    } steps[] = {
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_max_current(r, 1); }, 0xA0, 0x0A},
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_voltage(r, 4); }, 0xA4, 0x0A},
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_internal_tone_enable(r, 1); }, 0xB4, 0x0A},
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_output_enable(r, 2); }, 0xBC, 0x0A},
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_voltage(r, 15); }, 0xBF, 0x0A},
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_internal_tone_enable(r, 0); }, 0xAF, 0x0A},
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_output_enable(r, 0); }, 0xA7, 0x0A},
        {[](KxlDrvLibError* r) { DrvTPS65233_HW_set_max_current(r, 6); }, 0xA7, 0x0C},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        steps[i].call(&e);
        EXPECT_EQ(e.code, 0u) << i;
        EXPECT_EQ(lnb.reg(0), steps[i].reg0) << i;
        EXPECT_EQ(lnb.reg(1), steps[i].reg1) << i;
    }
    EXPECT_EQ(lnb.unmarkedControlWrites(), 0);
    DrvTPS65233_State s = DrvTPS65233_GetState();
    EXPECT_EQ(s.voltageCode, 7u);
    EXPECT_EQ(s.tone, 0);
    EXPECT_EQ(s.output, 0);
    EXPECT_EQ(s.currentLimit, 2u);
}

TEST(TPS65233, OutputVoltageOnTheDish)
{
    LnbBoard b;
    KxlDrvLibError e{};
    DrvTPS65233_Init(&e);
    DrvTPS65233_HW_set_output_enable(&e, 1);
    EXPECT_DOUBLE_EQ(b.chips.lnbSupply->outputVolts(), 13.0);
    DrvTPS65233_HW_set_voltage(&e, LNB_VOLTAGE_18_0);
    EXPECT_DOUBLE_EQ(b.chips.lnbSupply->outputVolts(), 18.0);
    DrvTPS65233_HW_set_voltage(&e, LNB_VOLTAGE_19_8);
    EXPECT_DOUBLE_EQ(b.chips.lnbSupply->outputVolts(), 19.8);
    DrvTPS65233_HW_set_internal_tone_enable(&e, 1);
    EXPECT_TRUE(b.chips.lnbSupply->toneEnabled());
}

TEST(TPS65233, WriteMarkOnEveryControlWrite)
{
    LnbBoard b; // no Init: register 0 reads 0x00
    KxlDrvLibError e{};
    DrvTPS65233_HW_set_voltage(&e, 1);
    EXPECT_EQ(b.chips.lnbSupply->reg(0), 0x81);
    DrvTPS65233_HW_set_max_current(&e, 3);
    EXPECT_EQ(b.chips.lnbSupply->reg(1), 0x06); // register 1 carries no mark
    EXPECT_EQ(b.chips.lnbSupply->controlWrites(), 1);
    EXPECT_EQ(b.chips.lnbSupply->unmarkedControlWrites(), 0);
}

TEST(TPS65233, FailedReadWritesNothing)
{
    LnbBoard b;
    KxlDrvLibError e{};
    DrvTPS65233_Init(&e);
    DrvTPS65233_HW_set_voltage(&e, 4);
    b.board->faults().fail(kSupply, platform::sim::kRead);
    LogCapture log;
    const int before = b.writes();
    void (*setters[])(KxlDrvLibError*) = {
        [](KxlDrvLibError* r) { DrvTPS65233_HW_set_voltage(r, 7); },
        [](KxlDrvLibError* r) { DrvTPS65233_HW_set_internal_tone_enable(r, 1); },
        [](KxlDrvLibError* r) { DrvTPS65233_HW_set_output_enable(r, 1); },
        [](KxlDrvLibError* r) { DrvTPS65233_HW_set_max_current(r, 0); },
    };
    for (auto set : setters) {
        KxlDrvLibError r{};
        set(&r);
        EXPECT_EQ(r.code, 1u);
        EXPECT_STREQ(r.text, "[DrvTPS65233_HW_set_output_enable] i2c error.");
    }
    EXPECT_EQ(b.writes(), before);
    EXPECT_EQ(b.chips.lnbSupply->reg(0), 0xA4);
    EXPECT_FALSE(b.chips.lnbSupply->outputEnabled());
    EXPECT_EQ(DrvTPS65233_GetState().voltageCode, 4u);
    EXPECT_EQ(DrvTPS65233_GetState().output, 0);
    EXPECT_TRUE(log.contains("LNB-> Funtion DrvTPS65233_HW_set_output_enable RegAddress:0x00 I2C_Address:0x61"));

    // A NAK on the read alone (the sub-address write went through) also writes nothing.
    b.board->faults().fail(kSupply, platform::sim::kRead, false);
    b.board->faults().nakTransfer(2);
    DrvTPS65233_HW_set_output_enable(&e, 1);
    EXPECT_EQ(e.code, 1u);
    EXPECT_FALSE(b.chips.lnbSupply->outputEnabled());
    EXPECT_EQ(b.writes(), before);
}

TEST(TPS65233, FailedWriteKeepsTheOldState)
{
    LnbBoard b;
    KxlDrvLibError e{};
    DrvTPS65233_Init(&e);
    b.board->faults().fail(kSupply, platform::sim::kWrite);
    DrvTPS65233_HW_set_output_enable(&e, 1);
    EXPECT_EQ(e.code, 1u);
    EXPECT_EQ(DrvTPS65233_GetState().output, 0);
    DrvTPS65233_Init(&e);
    EXPECT_EQ(e.code, 1u);
    EXPECT_STREQ(e.text, "[DrvTPS65233_HW_Open] i2c error.");
    // A later success reports ok: each call is its own operation.
    b.board->faults().fail(kSupply, platform::sim::kWrite, false);
    DrvTPS65233_HW_set_output_enable(&e, 1);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(DrvTPS65233_GetState().output, 1);
    DrvTPS65233_HW_set_output_enable(nullptr, 0); // no record: still done
    EXPECT_FALSE(b.chips.lnbSupply->outputEnabled());
}

TEST(IntersilTps65233, CreateFillsTheRecord)
{
    kit_lnbc_t lnbc;
    int link = 0;
    auto* i2c = reinterpret_cast<kit_i2c_t*>(&link);
    EXPECT_EQ(intersil_tps65233_Create(nullptr, 0x10, i2c), 1u);
    EXPECT_EQ(intersil_tps65233_Create(&lnbc, 0x10, nullptr), 1u);
    ASSERT_EQ(intersil_tps65233_Create(&lnbc, 0x10, i2c), 0u);
    EXPECT_EQ(lnbc.i2cAddress, 0x10);
    EXPECT_EQ(lnbc.i2c, i2c);
    EXPECT_EQ(lnbc.state, 2u);
    EXPECT_EQ(lnbc.voltage, 0u);
    EXPECT_EQ(lnbc.tone, 2u);
    EXPECT_EQ(lnbc.transmitMode, 0u);
    EXPECT_EQ(lnbc.config[0], 0u);
    EXPECT_EQ(lnbc.config[1], 0u);
    EXPECT_EQ(lnbc.config[2], 10u);
    EXPECT_EQ(lnbc.user, nullptr);
}

TEST(IntersilTps65233, OperationsOnlyKeepValues)
{
    ScopedBoard board;
    kit_lnbc_t lnbc;
    int link = 0;
    ASSERT_EQ(intersil_tps65233_Create(&lnbc, 0x61, reinterpret_cast<kit_i2c_t*>(&link)), 0u);
    EXPECT_EQ(lnbc.SetVoltage(&lnbc, 1), 0u);
    EXPECT_EQ(lnbc.voltage, 1u);
    EXPECT_EQ(lnbc.SetVoltage(&lnbc, 3), 1u);
    EXPECT_EQ(lnbc.voltage, 1u);
    EXPECT_EQ(lnbc.SetTone(&lnbc, 1), 0u);
    EXPECT_EQ(lnbc.SetTransmitMode(&lnbc, 4), 0u);
    EXPECT_EQ(lnbc.SetConfig(&lnbc, 2, 20), 0u);
    EXPECT_EQ(lnbc.config[2], 20u);
    EXPECT_EQ(lnbc.SetConfig(&lnbc, 3, 20), 1u);

    EXPECT_EQ(lnbc.WakeUp(&lnbc), 0u); // already active
    EXPECT_EQ(lnbc.Sleep(&lnbc), 0u);
    EXPECT_EQ(lnbc.state, 1u);
    EXPECT_EQ(lnbc.Sleep(&lnbc), 0u);
    EXPECT_EQ(lnbc.state, 1u);
    EXPECT_EQ(lnbc.WakeUp(&lnbc), 0u);
    EXPECT_EQ(lnbc.state, 2u);

    EXPECT_EQ(lnbc.Initialize(&lnbc), 0u);
    EXPECT_EQ(lnbc.state, 1u);
    EXPECT_EQ(lnbc.voltage, 0u);
    EXPECT_EQ(lnbc.tone, 2u);
    EXPECT_EQ(lnbc.transmitMode, 0u);
    EXPECT_EQ(lnbc.config[2], 10u);

    // Any state other than sleep or active refuses everything but Initialize.
    lnbc.state = 0;
    EXPECT_EQ(lnbc.SetVoltage(&lnbc, 0), 3u);
    EXPECT_EQ(lnbc.SetTone(&lnbc, 0), 3u);
    EXPECT_EQ(lnbc.SetTransmitMode(&lnbc, 0), 3u);
    EXPECT_EQ(lnbc.Sleep(&lnbc), 3u);
    EXPECT_EQ(lnbc.WakeUp(&lnbc), 3u);
    EXPECT_EQ(lnbc.SetVoltage(nullptr, 0), 1u);
    // Nothing reached the bus.
    EXPECT_EQ(board->i2cTransferCount(), 0);
}
