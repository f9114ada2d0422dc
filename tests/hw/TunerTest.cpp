// The MAX3543 tuner driver against its model: register frames, the decoded frequency,
// the lock status over time and failures.
#include "ChipBench.h"
#include "hw/drvMAX3543.h"

#include <gtest/gtest.h>

using hwtest::Bytes;
using hwtest::ChipBench;
using hwtest::Wire;

TEST(MAX3543, InitialiseWritesConfigurationWithTheOptionsAndTheLockStatusSettles)
{
    ChipBench b;
    auto& tuner = *b.chips.tuner;
    ASSERT_EQ(max3543_Initialize(), 0);
    EXPECT_EQ(b.wire("i2c-write"), (Wire{"i2c-write 0x63 05 00 00 00 01 01 00 43 91 00 80 00 00 00"}));
    // Options wait for the next initialisation; DNPD's 15 is placed from bit 3 and so covers
    // the WPDA field as well.
    setWpda(2);
    setNpda(5);
    setRfifd(3);
    setDWPD(true);
    EXPECT_EQ(tuner.reg(0x0B), 0x43);
    ASSERT_EQ(max3543_Initialize(), 0);
    EXPECT_EQ(std::make_tuple(getR0B(), tuner.reg(0x0B), tuner.reg(0x0C), getWpda()), std::make_tuple(0xA5, 0xA5, 0x93, 2));
    setDNPD(true);
    setDWPD(false);
    ASSERT_EQ(max3543_Initialize(), 0);
    EXPECT_EQ(getR0B(), 0x7D);

    // The status searches until the settle time has passed on the board's clock; each new
    // frequency starts the search again. It is read as register 18, one byte.
    tuner.setSettleTimeUs(3000);
    tuner.setLockedStatus(5);
    ASSERT_EQ(max3543_SetRfFreqHz(600000000), 0);
    b.board.clock().advanceUs(2999);
    const int searching = max3543LockDetect();
    b.board.clock().advanceUs(1);
    const int settled = max3543LockDetect();
    EXPECT_EQ(std::make_tuple(searching, settled, b.last("i2c-write")), std::make_tuple(6, 5, Bytes{0x12}));
    ASSERT_EQ(max3543_SetRfFreqHz(601000000), 0);
    EXPECT_EQ(std::make_tuple(max3543LockDetect(), tuner.tuneCount()), std::make_tuple(6, 2));
}

TEST(MAX3543, TuneFrameAndDecodedFrequency)
{
    ChipBench b;
    ASSERT_EQ(max3543_SetRfFreqHz(474000000), 0);
    // LO 510 MHz = VCO 2040 MHz / 4; 2040 / 16 = 127.5.
    EXPECT_EQ(b.last("i2c-write"), (Bytes{0x00, 0x7F, 0x28, 0x00, 0x00, 0x02}));
    EXPECT_EQ(b.chips.tuner->loFrequencyHz(), 510000000u);

    const struct {
        unsigned request;
        uint64_t tuned;
        int band;
    } cases[] = {
        {284999999, 285000000, 1}, {0, 0, 0}, {1234567, 1234500, 0}, {1234750, 1235000, 0}, {600000000, 600000000, 2},
        {109999500, 109999500, 0}, {110000000, 110000000, 1}, {899999750, 900000000, 2}, {3963999500u, 3963999500u, 2},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(max3543_SetRfFreqHz(c.request), 0) << c.request;
        EXPECT_EQ(std::make_tuple(b.chips.tuner->tunedFrequencyHz(), b.chips.tuner->rfBand()), std::make_tuple(c.tuned, c.band))
            << c.request;
    }

    // Out of range: refused without a transfer; bus failures reach every caller.
    b.clearLog();
    const int transfers = b.board->i2cTransferCount();
    testsupport::LogCapture log;
    EXPECT_EQ(max3543_SetRfFreqHz(3963999750u), -1);
    EXPECT_EQ(max3543_SetRfFreqHz(4294967295u), -1);
    EXPECT_EQ(b.board->i2cTransferCount(), transfers);
    EXPECT_TRUE(log.contains("TUNER-> Funtion max3543_SetRfFreqHz"));

    const platform::sim::Device tuner = platform::sim::Device::i2c(0x63);
    b.board->faults().fail(tuner, platform::sim::kRead);
    EXPECT_EQ(max3543LockDetect(), -1);
    EXPECT_TRUE(log.contains("TUNER-> Funtion max3543LockDetect RegAddress:0x12 I2C_Address:0x63"));
    b.board->faults().fail(tuner, platform::sim::kRead, false);
    b.board->faults().fail(tuner);
    EXPECT_EQ(max3543LockDetect(), -1);
    EXPECT_EQ(max3543_Initialize(), -1);
    const int tunes = b.chips.tuner->tuneCount();
    EXPECT_EQ(max3543_SetRfFreqHz(600000000), -1);
    EXPECT_EQ(b.chips.tuner->tuneCount(), tunes);
}
