// Ticks and waits of the driver library run on the board's monotonic clock.
#include "SimBoardFixture.h"
#include "common/DebugSink.h"
#include "common/embedded_timers.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::ScopedBoard;

TEST(EmbeddedTimers, DelaysWaitExactlyOnTheVirtualClock)
{
    ScopedBoard board;
    const uint64_t t0 = EMBEDDEDTIMERS_GeticksInMs();
    EMBEDDEDTIMERS_delayms(1000);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs() - t0, 1000u);
    EMBEDDEDTIMERS_HUGE_delayms(0);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs() - t0, 1000u);

    // A count beyond 16 bits is cut to its low 16 bits: 65536 waits nothing, 65537 one ms.
    uint32_t tooLong = 65536;
    EMBEDDEDTIMERS_delayms(static_cast<uint16_t>(tooLong));
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs() - t0, 1000u);
    tooLong = 65537;
    EMBEDDEDTIMERS_code_delayms(static_cast<uint16_t>(tooLong));
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs() - t0, 1001u);

    const uint64_t u0 = EMBEDDEDTIMERS_GeticksInUs();
    EMBEDDEDTIMERS_code_delayus(250);
    EMBEDDEDTIMERS_HUGE_delayus(750);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInUs() - u0, 1000u);

    // 50 days of uptime (more milliseconds than 32 bits hold), 0.4 ms into the millisecond: the
    // wait ends on a millisecond boundary, and "date -s" a year back moves neither tick nor wait.
    board.clock().advanceUs(50ULL * 86400 * 1000000 + 400);
    const uint64_t t1 = EMBEDDEDTIMERS_GeticksInMs();
    EXPECT_EQ(EMBEDDEDTIMERS_HUGE_delayms(3), static_cast<uint32_t>(t1 + 3));
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInUs() % 1000, 0u);
    board.clock().setWallTimeUs(board.clock().wallTimeUs() - 365LL * 86400 * 1000000);
    EMBEDDEDTIMERS_delayms(20);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs(), t1 + 23);
}

TEST(EmbeddedTimers, WithoutAClockTheWaitsReturnAtOnce)
{
    static std::string heard;
    DebugSink_install([](const char* text) { heard += text; });
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs(), 0u);
    EXPECT_EQ(heard, "clock gettime");
    EXPECT_EQ(EMBEDDEDTIMERS_delayms(100), 0u);
    EXPECT_EQ(EMBEDDEDTIMERS_HUGE_delayus(100), 0u);
    DebugSink_install(nullptr);
}
