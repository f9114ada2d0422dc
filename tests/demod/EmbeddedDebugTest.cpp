// The library's debug print and trace lines: exact formats, and bounded however long
// the input.
#include "SimBoardFixture.h"
#include "common/embedded_timers.h"
#include "demod/embedded_debug.h"
#include "demod/embedded_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::LogCapture;
using testsupport::ScopedBoard;

namespace {
QString lastLine(const LogCapture& log) { return log.lines().isEmpty() ? QString() : log.lines().last(); }
} // namespace

TEST(EmbeddedDebug, PrintfFormatsAndCutsAt223Characters)
{
    LogCapture log;
    EMBEDDEDDEBUG_string("plain text");
    EXPECT_EQ(lastLine(log), "plain text");
    EMBEDDEDDEBUG_printf("lock %d after %s", 12, "5 tries");
    EXPECT_EQ(lastLine(log), "lock 12 after 5 tries");

    const std::string longText(400, 'x');
    EMBEDDEDDEBUG_printf("%s", longText.c_str());
    EXPECT_EQ(lastLine(log), QString(223, 'x'));
    EMBEDDEDDEBUG_printf(nullptr);
    EMBEDDEDDEBUG_string(nullptr);
    EXPECT_EQ(log.lines().size(), 3);
}

TEST(EmbeddedTrace, LinesCarryTheElapsedMilliseconds)
{
    ScopedBoard board;
    LogCapture log;
    board.clock().advanceMs(1234);
    uint64_t start = 0;
    TRACE_init(&start, "tune %u", 474000u);
    EXPECT_EQ(start, 1234u);
    EXPECT_EQ(lastLine(log), "\r\tINIT LT   > tune 474000");
    const int before = log.lines().size();
    TRACE_init(&start, nullptr); // only takes the tick
    EXPECT_EQ(log.lines().size(), before);

    EMBEDDEDTIMERS_delayms(42);
    TRACE_printf(start, "locked=%d", 1);
    EXPECT_EQ(lastLine(log), "\r\tLT    42 > locked=1");

    const uint8_t bytes[] = {0x00, 0x10, 0xAB};
    TRACE_i2c(start, 0, 0xD8, bytes, 3);
    EXPECT_EQ(lastLine(log), "\r\t\r\tLT    42 > TX 00D8: 00,10,AB,");
    TRACE_i2c(start, 1, 0xDC, bytes, 1);
    EXPECT_EQ(lastLine(log), "\r\t\r\tLT    42 > RX 00DC: 00,");

    // However long the input, a line stays within 255 characters, with only whole byte groups.
    const std::string longText(1000, 'y');
    TRACE_init(&start, "%s", longText.c_str());
    EXPECT_EQ(lastLine(log).size(), 14 + 241);
    TRACE_printf(start, "%s", longText.c_str());
    EXPECT_EQ(lastLine(log).size(), 255);
    const std::vector<uint8_t> many(200, 0x5A);
    TRACE_i2c(start, 0, 0x1234, many.data(), static_cast<uint32_t>(many.size()));
    const int header = QString("\r\t\r\tLT     0 > TX 1234: ").size();
    EXPECT_EQ(lastLine(log).size(), header + 3 * ((255 - header) / 3));
    EXPECT_TRUE(lastLine(log).endsWith("5A,"));
}
