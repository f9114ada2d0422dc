// The PCF85263 driver: BCD registers in and out of a broken-down time, the year offset
// and month base, range checks, the weekday, and the alarm-1 set-up.
#include "ChipModels.h"
#include "SimBoardFixture.h"
#include "hw/drvPCF85263.h"

#include <gtest/gtest.h>

#include <cstring>

using platform::sim::ChipModels;
using platform::sim::ClockDateTime;
using testsupport::LogCapture;
using testsupport::ScopedBoard;

namespace {

const platform::sim::Device kClockChip = platform::sim::Device::i2c(0x51);

struct tm makeTime(int year, int month0, int day, int hour, int minute, int second)
{
    struct tm t;
    std::memset(&t, 0, sizeof t);
    t.tm_year = year - 1900;
    t.tm_mon = month0;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

struct ClockBoard {
    ScopedBoard board;
    ChipModels chips = platform::sim::installChipModels(*board);
};

} // namespace

TEST(PCF85263, SetWritesBcdWithYearOffsetMonthBaseAndWeekday)
{
    ClockBoard b;
    struct tm t = makeTime(2026, 2, 15, 13, 45, 30);
    t.tm_wday = 5; // ignored: 2026-03-15 is a Sunday
    ASSERT_EQ(up_rtc_settime_kk(&t), 0);
    auto w = b.board->log().entries("i2c-write");
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].device, "0x51");
    EXPECT_EQ(w[0].bytes, (std::vector<uint8_t>{0x00, 0x00, 0x30, 0x45, 0x13, 0x15, 0x00, 0x03, 0x58}));
    ClockDateTime d = b.chips.realTimeClock->dateTime();
    EXPECT_EQ(d.year, 2026);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 15);
    EXPECT_EQ(d.weekday, 0);
}

TEST(PCF85263, RoundTripThroughSetAndGet)
{
    ClockBoard b;
    const struct tm cases[] = {
        makeTime(1968, 0, 1, 0, 0, 0),    makeTime(1968, 1, 29, 12, 0, 0), makeTime(2000, 1, 29, 23, 59, 59),
        makeTime(2026, 11, 31, 23, 59, 59), makeTime(2067, 11, 31, 9, 8, 7), makeTime(2024, 6, 4, 1, 2, 3),
    };
    for (const struct tm& in : cases) {
        struct tm copy = in;
        ASSERT_EQ(up_rtc_settime_kk(&copy), 0) << in.tm_year;
        struct tm out;
        std::memset(&out, 0x55, sizeof out);
        ASSERT_EQ(up_rtc_getdatetime(&out), 0);
        EXPECT_EQ(out.tm_year, in.tm_year);
        EXPECT_EQ(out.tm_mon, in.tm_mon);
        EXPECT_EQ(out.tm_mday, in.tm_mday);
        EXPECT_EQ(out.tm_hour, in.tm_hour);
        EXPECT_EQ(out.tm_min, in.tm_min);
        EXPECT_EQ(out.tm_sec, in.tm_sec);
        // The weekday the C library gives for the same date.
        struct tm ref = in;
        timegm(&ref);
        EXPECT_EQ(out.tm_wday, ref.tm_wday) << in.tm_year + 1900 << "-" << in.tm_mon + 1 << "-" << in.tm_mday;
        EXPECT_EQ(out.tm_yday, 0);
        EXPECT_EQ(out.tm_isdst, 0);
    }
    // The get reads the seven registers from seconds in one transfer.
    EXPECT_EQ(b.board->log().entries("i2c-write").back().bytes, std::vector<uint8_t>{0x01});
    EXPECT_EQ(b.board->log().entries("i2c-read").back().bytes.size(), 7u);
}

TEST(PCF85263, OutOfRangeFieldsWriteNothing)
{
    ClockBoard b;
    LogCapture log;
    const struct tm bad[] = {
        makeTime(2026, 0, 1, 0, 0, 60),  makeTime(2026, 0, 1, 0, 60, 0), makeTime(2026, 0, 1, 24, 0, 0),
        makeTime(2026, 0, 0, 0, 0, 0),   makeTime(2026, 0, 32, 0, 0, 0), makeTime(2026, 12, 1, 0, 0, 0),
        makeTime(2026, -1, 1, 0, 0, 0),  makeTime(2027, 1, 29, 0, 0, 0), makeTime(2026, 3, 31, 0, 0, 0),
        makeTime(1967, 11, 31, 0, 0, 0), makeTime(2068, 0, 1, 0, 0, 0),  makeTime(2026, 0, 1, -1, 0, 0),
    };
    for (const struct tm& t : bad) {
        struct tm copy = t;
        EXPECT_EQ(up_rtc_settime_kk(&copy), -1) << t.tm_year << " " << t.tm_mon << " " << t.tm_mday;
    }
    EXPECT_EQ(up_rtc_settime_kk(nullptr), -1);
    EXPECT_EQ(b.board->i2cTransferCount(), 0);
    EXPECT_TRUE(log.contains("RTC-> Funtion up_rtc_settime_kk"));
    EXPECT_EQ(b.chips.realTimeClock->dateTime().year, 2026);
}

TEST(PCF85263, ChipCarriesTimeForward)
{
    ClockBoard b;
    b.chips.realTimeClock->setDateTime(ClockDateTime{2026, 12, 31, 23, 59, 58, 0});
    struct tm out;
    // Frozen until told otherwise.
    b.board.clock().advanceMs(5000);
    ASSERT_EQ(up_rtc_getdatetime(&out), 0);
    EXPECT_EQ(out.tm_sec, 58);
    b.chips.realTimeClock->advanceSeconds(2);
    ASSERT_EQ(up_rtc_getdatetime(&out), 0);
    EXPECT_EQ(out.tm_year, 127);
    EXPECT_EQ(out.tm_mon, 0);
    EXPECT_EQ(out.tm_mday, 1);
    EXPECT_EQ(out.tm_hour, 0);
    EXPECT_EQ(out.tm_sec, 0);
    EXPECT_EQ(out.tm_wday, 5); // 2027-01-01 is a Friday

    // Following the board's wall clock: a 90 s wait shows as 90 s, and a write restarts the count.
    b.chips.realTimeClock->followWallClock(true);
    b.board.clock().advanceMs(90500);
    ASSERT_EQ(up_rtc_getdatetime(&out), 0);
    EXPECT_EQ(out.tm_min, 1);
    EXPECT_EQ(out.tm_sec, 30);
    struct tm set = makeTime(2030, 5, 30, 8, 0, 0);
    ASSERT_EQ(up_rtc_settime_kk(&set), 0);
    b.board.clock().advanceMs(999);
    ASSERT_EQ(up_rtc_getdatetime(&out), 0);
    EXPECT_EQ(out.tm_sec, 0);
    b.board.clock().advanceMs(1);
    ASSERT_EQ(up_rtc_getdatetime(&out), 0);
    EXPECT_EQ(out.tm_sec, 1);
}

TEST(PCF85263, FailedReadGivesZeroedTime)
{
    ClockBoard b;
    b.board->faults().fail(kClockChip, platform::sim::kRead);
    struct tm out;
    std::memset(&out, 0x55, sizeof out);
    EXPECT_EQ(up_rtc_getdatetime(&out), -1);
    EXPECT_EQ(out.tm_year, 0);
    EXPECT_EQ(out.tm_mday, 0);
    EXPECT_EQ(up_rtc_getdatetime(nullptr), -1);
    b.board->faults().fail(kClockChip, platform::sim::kRead, false);
    b.board->faults().fail(kClockChip);
    struct tm t = makeTime(2026, 0, 1, 0, 0, 0);
    EXPECT_EQ(up_rtc_settime_kk(&t), -1);
}

TEST(PCF85263, AlarmOneSetUpWritesAndReadsBackEachRegister)
{
    ClockBoard b;
    LogCapture log;
    ASSERT_EQ(up_rtc_activat_alarm1_kk(0x1F), 0);
    auto bus = b.board->log().entriesWithPrefix("i2c");
    ASSERT_EQ(bus.size(), 12u) << testsupport::dumpLog(*b.board);
    const std::vector<uint8_t> writes[] = {{0x10, 0x1F}, {0x29, 0x50}, {0x2B, 0x20}, {0x27, 0x02}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bus[3 * i].bytes, writes[i]) << i;
        EXPECT_EQ(bus[3 * i + 1].bytes, std::vector<uint8_t>{writes[i][0]}) << i;
        EXPECT_EQ(bus[3 * i + 2].kind, "i2c-read");
        EXPECT_EQ(bus[3 * i + 2].bytes, std::vector<uint8_t>{writes[i][1]}) << i;
    }
    EXPECT_EQ(b.chips.realTimeClock->reg(0x10), 0x1F);
    EXPECT_TRUE(log.contains("RTC-> Funtion up_rtc_activat_alarm1_kk RegAddress:0x10 I2C_Address:0x51 read back 0x1F"));
    EXPECT_TRUE(log.contains("RegAddress:0x27 I2C_Address:0x51 read back 0x02"));

    b.board->faults().nakTransfer(1);
    EXPECT_EQ(up_rtc_activat_alarm1_kk(0x01), -1);
    // The later registers are still written.
    EXPECT_EQ(b.chips.realTimeClock->reg(0x10), 0x1F);
    EXPECT_EQ(b.chips.realTimeClock->reg(0x29), 0x50);
}
