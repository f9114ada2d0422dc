// The TMP100 driver reads degrees Celsius at the resolution it selects.
#include "ChipBench.h"
#include "hw/tmp100.h"

#include <gtest/gtest.h>

TEST(TMP100, TwelveBitReadingsAcrossTheRangeAndFailedReadsLeaveTheValue)
{
    hwtest::ChipBench b;
    auto& sensor = *b.chips.temperature;
    float c = 0;
    // Power-up resolution is 9 bits: half degrees.
    sensor.setTemperatureC(36.6);
    ASSERT_EQ(tmp100_ReadTemperature(&c), 0);
    EXPECT_FLOAT_EQ(c, 36.5f);

    ASSERT_EQ(tmp100_Initialize(), 0);
    EXPECT_EQ(std::make_tuple(b.last("i2c-write"), sensor.configuration()), std::make_tuple(hwtest::Bytes{0x01, 0x60}, 0x60));
    const std::pair<double, float> cases[] = {
        {36.6, 36.5625f}, {-0.01, -0.0625f}, {127.99, 127.9375f}, {150.0, 127.9375f}, {-55.0, -55.0f}};
    for (const auto& [set, read] : cases) {
        sensor.setTemperatureC(set);
        ASSERT_EQ(tmp100_ReadTemperature(&c), 0);
        EXPECT_FLOAT_EQ(c, read) << set;
    }
    EXPECT_EQ(b.last("i2c-write"), hwtest::Bytes{0x00});

    testsupport::LogCapture log;
    b.board->faults().fail(platform::sim::Device::i2c(0x48), platform::sim::kRead);
    c = 21.0f;
    EXPECT_EQ(tmp100_ReadTemperature(&c), -1);
    EXPECT_FLOAT_EQ(c, 21.0f);
    EXPECT_TRUE(log.contains("TMP100-> Funtion tmp100_ReadTemperature RegAddress:0x00 I2C_Address:0x48"));
    EXPECT_EQ(tmp100_ReadTemperature(nullptr), -1);
    b.board->faults().fail(platform::sim::Device::i2c(0x48));
    EXPECT_EQ(tmp100_Initialize(), -1);
}
