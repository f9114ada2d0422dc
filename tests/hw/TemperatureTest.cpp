// The TMP100 driver reads degrees Celsius at the resolution it selects.
#include "ChipModels.h"
#include "SimBoardFixture.h"
#include "hw/tmp100.h"

#include <gtest/gtest.h>

using testsupport::LogCapture;
using testsupport::ScopedBoard;

TEST(TMP100, TwelveBitReadingsAcrossTheRange)
{
    ScopedBoard board;
    auto chips = platform::sim::installChipModels(*board);
    auto& sensor = *chips.temperature;
    float c = 0;
    // Power-up resolution is 9 bits: half degrees.
    sensor.setTemperatureC(36.6);
    ASSERT_EQ(tmp100_ReadTemperature(&c), 0);
    EXPECT_FLOAT_EQ(c, 36.5f);

    ASSERT_EQ(tmp100_Initialize(), 0);
    EXPECT_EQ(board->log().entries("i2c-write").back().bytes, (std::vector<uint8_t>{0x01, 0x60}));
    EXPECT_EQ(sensor.configuration(), 0x60);
    const struct {
        double set;
        float read;
    } cases[] = {{36.6, 36.5625f}, {-3.5, -3.5f}, {-0.01, -0.0625f}, {0.0, 0.0f},
                 {127.99, 127.9375f}, {150.0, 127.9375f}, {-55.0, -55.0f}};
    for (const auto& k : cases) {
        sensor.setTemperatureC(k.set);
        ASSERT_EQ(tmp100_ReadTemperature(&c), 0);
        EXPECT_FLOAT_EQ(c, k.read) << k.set;
    }
    EXPECT_EQ(board->log().entries("i2c-write").back().bytes, std::vector<uint8_t>{0x00});
}

TEST(TMP100, FailedReadLeavesTheValue)
{
    ScopedBoard board;
    auto chips = platform::sim::installChipModels(*board);
    LogCapture log;
    board->faults().fail(platform::sim::Device::i2c(0x48), platform::sim::kRead);
    float c = 21.0f;
    EXPECT_EQ(tmp100_ReadTemperature(&c), -1);
    EXPECT_FLOAT_EQ(c, 21.0f);
    EXPECT_TRUE(log.contains("TMP100-> Funtion tmp100_ReadTemperature RegAddress:0x00 I2C_Address:0x48"));
    EXPECT_EQ(tmp100_ReadTemperature(nullptr), -1);
    board->faults().fail(platform::sim::Device::i2c(0x48));
    EXPECT_EQ(tmp100_Initialize(), -1);
}
