// The PCF85263 driver: BCD registers in and out of a broken-down time, the year offset
// and month base, range checks, the weekday, and the alarm-1 set-up.
#include "ChipBench.h"
#include "hw/drvPCF85263.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

using hwtest::ChipBench;
using hwtest::Wire;
using platform::sim::ClockDateTime;

namespace {

const platform::sim::Device kClockChip = platform::sim::Device::i2c(0x51);

struct tm makeTime(int year, int month0, int day, int hour, int minute, int second)
{
    struct tm t{};
    t.tm_year = year - 1900, t.tm_mon = month0, t.tm_mday = day, t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second;
    return t;
}

// "2026-03-15 13:45:30 w0 y0 d0": the fields, the weekday, the day of the year and DST.
std::string text(const struct tm& t)
{
    char s[64];
    std::snprintf(s, sizeof s, "%04d-%02d-%02d %02d:%02d:%02d w%d y%d d%d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday, t.tm_yday, t.tm_isdst);
    return s;
}

std::string readBack()
{
    struct tm out;
    std::memset(&out, 0x55, sizeof out);
    EXPECT_EQ(up_rtc_getdatetime(&out), 0);
    return text(out);
}

} // namespace

TEST(PCF85263, OutOfRangeFieldsAndFailuresWriteNothing)
{
    ChipBench b;
    testsupport::LogCapture log;
    const struct tm bad[] = {
        makeTime(2026, 0, 1, 0, 0, 60),  makeTime(2026, 0, 1, 0, 60, 0), makeTime(2026, 0, 1, 24, 0, 0),
        makeTime(2026, 0, 0, 0, 0, 0),   makeTime(2026, 0, 32, 0, 0, 0), makeTime(2026, 12, 1, 0, 0, 0),
        makeTime(2026, -1, 1, 0, 0, 0),  makeTime(2027, 1, 29, 0, 0, 0), makeTime(2026, 3, 31, 0, 0, 0),
        makeTime(1967, 11, 31, 0, 0, 0), makeTime(2068, 0, 1, 0, 0, 0),  makeTime(2026, 0, 1, -1, 0, 0),
        makeTime(2026, 0, 1, 0, -1, 0),  makeTime(2026, 0, 1, 0, 0, -1), makeTime(2026, 0, -1, 0, 0, 0),
        makeTime(1899, 0, 1, 0, 0, 0),
    };
    for (const struct tm& t : bad) {
        struct tm copy = t;
        EXPECT_EQ(up_rtc_settime_kk(&copy), -1) << text(t);
    }
    for (int year : {INT_MIN, INT_MAX}) {
        struct tm t = makeTime(2026, 0, 1, 0, 0, 0);
        t.tm_year = year;
        EXPECT_EQ(up_rtc_settime_kk(&t), -1) << year;
    }
    EXPECT_EQ(up_rtc_settime_kk(nullptr), -1);
    EXPECT_EQ(b.board->i2cTransferCount(), 0);
    // The first and last years the chip holds; the weekday the C library gives for the date.
    for (struct tm t : {makeTime(1968, 0, 1, 0, 0, 0), makeTime(2067, 11, 31, 23, 59, 59)}) {
        ASSERT_EQ(up_rtc_settime_kk(&t), 0);
        timegm(&t);
        t.tm_yday = 0;
        EXPECT_EQ(readBack(), text(t));
    }
    EXPECT_TRUE(log.contains("RTC-> Funtion up_rtc_settime_kk"));

    // A failed read gives a zeroed time, a failed write -1.
    b.board->faults().fail(kClockChip, platform::sim::kRead);
    struct tm out;
    std::memset(&out, 0x55, sizeof out);
    EXPECT_EQ(up_rtc_getdatetime(&out), -1);
    EXPECT_EQ(text(out), "1900-01-00 00:00:00 w0 y0 d0");
    EXPECT_EQ(up_rtc_getdatetime(nullptr), -1);
    b.board->faults().fail(kClockChip, platform::sim::kRead, false);
    b.board->faults().fail(kClockChip);
    struct tm t = makeTime(2026, 0, 1, 0, 0, 0);
    EXPECT_EQ(up_rtc_settime_kk(&t), -1);
}

TEST(PCF85263, ChipCarriesTimeForward)
{
    ChipBench b;
    auto& chip = *b.chips.realTimeClock;
    chip.setDateTime(ClockDateTime{2026, 12, 31, 23, 59, 58, 0});
    // Frozen until told otherwise.
    b.board.clock().advanceMs(5000);
    EXPECT_EQ(readBack(), "2026-12-31 23:59:58 w4 y0 d0");
    chip.advanceSeconds(2);
    EXPECT_EQ(readBack(), "2027-01-01 00:00:00 w5 y0 d0");

    // Following the board's time: a 90 s wait shows as 90 s, and a write restarts the count.
    chip.followBoardTime(true);
    b.board.clock().advanceMs(90500);
    EXPECT_EQ(readBack(), "2027-01-01 00:01:30 w5 y0 d0");
    struct tm set = makeTime(2030, 5, 30, 8, 0, 0);
    set.tm_wday = 5; // ignored: a Sunday
    b.clearLog();
    ASSERT_EQ(up_rtc_settime_kk(&set), 0);
    // BCD from the hundredths, the year counted from 1968 and the month from 1.
    EXPECT_EQ(b.wire("i2c-write"), (Wire{"i2c-write 0x51 00 00 00 00 08 30 00 06 62"}));
    b.board.clock().advanceMs(999);
    EXPECT_EQ(readBack(), "2030-06-30 08:00:00 w0 y0 d0");
    b.board.clock().advanceMs(1);
    EXPECT_EQ(readBack(), "2030-06-30 08:00:01 w0 y0 d0");
    // The get reads the seven registers from seconds in one transfer.
    EXPECT_EQ(std::make_tuple(b.last("i2c-write"), b.last("i2c-read").size()), std::make_tuple(hwtest::Bytes{0x01}, size_t{7}));
}

// The registers hold two BCD digits whatever the model is given: a year outside the chip's
// hundred wraps into it, a field out of its range carries, and time run back across the
// base year shows as the count would (the weekday is the one written, then counted).
TEST(PCF85263, ModelKeepsEveryRegisterInItsDigits)
{
    ChipBench b;
    auto& chip = *b.chips.realTimeClock;
    const struct {
        ClockDateTime set;
        long advance;
        const char* read;
    } rows[] = {
        {{1967, 12, 31, 23, 59, 59, 0}, 0, "2067-12-31 23:59:59 w0 y0 d0"},
        {{2067, 12, 31, 23, 59, 59, 0}, 0, "2067-12-31 23:59:59 w6 y0 d0"},
        {{2068, 1, 1, 0, 0, 0, 0}, 0, "1968-01-01 00:00:00 w0 y0 d0"},
        {{2026, 1, 1, 0, 0, -1, 0}, 0, "2025-12-31 23:59:59 w3 y0 d0"},
        {{2026, 3, 1, -1, -1, 0, 0}, 0, "2026-02-28 22:59:00 w6 y0 d0"},
        {{1968, 1, 1, 0, 0, 0, 0}, -1, "2067-12-31 23:59:59 w0 y0 d0"},
        {{1968, 1, 1, 0, 0, 0, 0}, -3652L * 86400, "2058-01-01 00:00:00 w3 y0 d0"}, // to 1958
    };
    for (const auto& r : rows) {
        chip.setDateTime(r.set);
        chip.advanceSeconds(r.advance);
        EXPECT_EQ(readBack(), r.read) << r.set.year << " " << r.advance;
    }
}

TEST(PCF85263, AlarmOneSetUpWritesAndReadsBackEachRegister)
{
    ChipBench b;
    testsupport::LogCapture log;
    ASSERT_EQ(up_rtc_activat_alarm1_kk(0x1F), 0);
    Wire expected;
    for (const char* w : {"10 1F", "29 50", "2B 20", "27 02"})
        expected.insert(expected.end(), {std::string("i2c-write 0x51 ") + w,
                                         "i2c-write 0x51 " + std::string(w, 2), "i2c-read 0x51 " + std::string(w + 3)});
    EXPECT_EQ(b.wire("i2c"), expected);
    EXPECT_TRUE(log.contains("RTC-> Funtion up_rtc_activat_alarm1_kk RegAddress:0x10 I2C_Address:0x51 read back 0x1F"));

    // A failure is reported, and the later registers are still written.
    b.board->faults().nakTransfer(1);
    EXPECT_EQ(up_rtc_activat_alarm1_kk(0x01), -1);
    EXPECT_EQ(std::make_pair(b.chips.realTimeClock->reg(0x10), b.chips.realTimeClock->reg(0x29)),
              std::make_pair(uint8_t{0x1F}, uint8_t{0x50}));
}
