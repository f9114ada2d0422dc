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
}

TEST(EmbeddedTimers, WaitsEndOnAMillisecondBoundaryOnASixtyFourBitTickThatDateStepsDoNotMove)
{
    ScopedBoard board;
    // 50 days of uptime (more milliseconds than 32 bits hold), 0.4 ms into the millisecond.
    board.clock().advanceUs(50ULL * 86400 * 1000000 + 400);
    const uint64_t t0 = EMBEDDEDTIMERS_GeticksInMs();
    EXPECT_GT(t0, 0xFFFFFFFFull);
    EXPECT_EQ(EMBEDDEDTIMERS_HUGE_delayms(3), static_cast<uint32_t>(t0 + 3));
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInUs() % 1000, 0u);
    // "date -s" a year back, then a year forward: the tick and every wait ignore both.
    board.clock().setWallTimeUs(board.clock().wallTimeUs() - 365LL * 86400 * 1000000);
    EMBEDDEDTIMERS_delayms(20);
    board.clock().setWallTimeUs(board.clock().wallTimeUs() + 730LL * 86400 * 1000000);
    EMBEDDEDTIMERS_delayms(20);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs(), t0 + 43);
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
