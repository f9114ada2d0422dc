// Ticks and waits of the driver library run on the board's monotonic clock.
#include "SimBoardFixture.h"
#include "common/DebugSink.h"
#include "common/embedded_timers.h"
#include "demod/embedded_rtos.h"

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

TEST(EmbeddedTimers, WaitEndsOnAMillisecondBoundary)
{
    ScopedBoard board;
    board.clock().advanceUs(400); // 0.4 ms into the current millisecond
    const uint64_t t0 = EMBEDDEDTIMERS_GeticksInMs();
    const uint32_t last = EMBEDDEDTIMERS_HUGE_delayms(3);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs(), t0 + 3);
    EXPECT_EQ(last, static_cast<uint32_t>(t0 + 3));
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInUs() % 1000, 0u);
}

TEST(EmbeddedTimers, DateStepDoesNotMoveTheTick)
{
    ScopedBoard board;
    board.clock().advanceMs(5000);
    const uint64_t t0 = EMBEDDEDTIMERS_GeticksInMs();
    // "date -s" a year back, then a year forward: the tick and every wait ignore both.
    board.clock().setWallTimeUs(board.clock().wallTimeUs() - 365LL * 86400 * 1000000);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs(), t0);
    EMBEDDEDTIMERS_delayms(20);
    board.clock().setWallTimeUs(board.clock().wallTimeUs() + 730LL * 86400 * 1000000);
    EMBEDDEDTIMERS_delayms(20);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs(), t0 + 40);
}

TEST(EmbeddedTimers, TickIsSixtyFourBit)
{
    ScopedBoard board;
    // 50 days of uptime: more milliseconds than 32 bits hold.
    board.clock().advanceMs(50ULL * 86400 * 1000);
    const uint64_t t0 = EMBEDDEDTIMERS_GeticksInMs();
    EXPECT_GT(t0, 0xFFFFFFFFull);
    EMBEDDEDTIMERS_delayms(10);
    EXPECT_EQ(EMBEDDEDTIMERS_GeticksInMs() - t0, 10u);
    EXPECT_GT(EMBEDDEDTIMERS_GeticksInUs(), 0xFFFFFFFFull * 1000);
}

TEST(EmbeddedRtos, HeapAndEmptySchedulerLock)
{
    void* p = EMBEDDEDRTOS_malloc(64);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(EMBEDDEDRTOS_free(p), 0);
    EXPECT_EQ(EMBEDDEDRTOS_free(nullptr), 0);
    EXPECT_EQ(EMBEDDEDRTOS_schedulerlock(), 0u);
    EXPECT_EQ(EMBEDDEDRTOS_schedulerunlock(), 0u);
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
