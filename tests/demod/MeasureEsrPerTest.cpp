// Errored-seconds ratio over its 20 s window and the packet-error accumulator, timed on the
// board's virtual clock.
#include "SimBoardFixture.h"

#include "common/embedded_timers.h"
#include "demod/measure_esr.h"
#include "demod/measure_per.h"

#include <gtest/gtest.h>

#include <tuple>

using testsupport::ScopedBoard;

namespace {

struct Esr {
    ScopedBoard board;
    t_measure_esr object{};
    KxlDrvLibError err{};
    Esr()
    {
        MEASURE_ESR_create(&err, &object, MEASURE_ESR_RING_T2C2, MEASURE_ESR_WINDOW_S_T2C2, MEASURE_ESR_SETTLE_T2C2);
    }
    ~Esr() { MEASURE_ESR_destroy(&object); }
    // One counting interval as the task times it: the stopwatch gives its length and restarts.
    t_esr_result interval(uint32_t errors, uint64_t ms = 1000)
    {
        board.clock().advanceMs(ms);
        const uint32_t length = MEASURE_ESR_get_stopwatch(&object);
        MEASURE_ESR_start_stopwatch(&object);
        t_esr_result r;
        MEASURE_ESR_process(&r, &object, errors, length);
        return r;
    }
};

void expectEsr(const t_esr_result& r, float esr, uint32_t status, uint32_t seconds, int call)
{
    EXPECT_FLOAT_EQ(r.esr, esr) << "call " << call;
    EXPECT_EQ(std::make_tuple(r.status, r.seconds), std::make_tuple(status, seconds)) << "call " << call;
}

} // namespace

TEST(MeasureEsr, ErroredSecondsOverTwentySeconds)
{
    Esr e;
    expectEsr(e.interval(3), 0.0f, 3, 0, 0); // settle call: nothing stored
    // Below one second covered there is no value; while the window fills the ratio is over
    // the whole window and a lower bound; from 20 s on the errored second slides out.
    expectEsr(e.interval(9, 600), 0.0f, 3, 0, 1);
    expectEsr(e.interval(0, 400), 5.0f, 1, 1, 2);
    for (int second = 2; second <= 19; ++second)
        e.interval(0);
    expectEsr(e.interval(0), 5.0f, 0, 20, 20);
    expectEsr(e.interval(0), 0.0f, 0, 20, 21);
}

TEST(MeasureEsr, PartSecondsRoundToWholeErroredSeconds)
{
    const struct {
        uint64_t erroredMs;
        float esr;
    } cases[] = {{1400, 5.0f}, {1600, 10.0f}, {400, 0.0f}, {20000, 100.0f}};
    for (const auto& c : cases) {
        Esr e;
        e.interval(0);
        e.interval(1, c.erroredMs);
        t_esr_result r{};
        for (uint64_t covered = c.erroredMs; covered < 20000; covered += 1000)
            r = e.interval(0, 20000 - covered >= 1000 ? 1000 : 20000 - covered);
        if (c.erroredMs >= 20000)
            MEASURE_ESR_process(&r, &e.object, 0, 0);
        EXPECT_FLOAT_EQ(r.esr, c.esr) << c.erroredMs;
        EXPECT_EQ(r.status, 0u) << c.erroredMs;
    }
}

TEST(MeasureEsr, RestartCreationAndStopwatch)
{
    Esr e;
    e.board.clock().advanceMs(1234);
    EXPECT_EQ(MEASURE_ESR_get_stopwatch(&e.object), 1234u);
    for (int i = 0; i < 5; ++i)
        e.interval(1);
    MEASURE_ESR_restart(&e.object);
    expectEsr(e.interval(1), 0.0f, 3, 0, 1); // settles again
    expectEsr(e.interval(1), 5.0f, 1, 1, 2);
    t_esr_result r;
    expectEsr(*MEASURE_ESR_unlocked(&r, &e.object), 0.0f, 3, 0, 0);

    // Created again: the ring is reused, the history emptied.
    void* storage = e.object.ring.entries;
    MEASURE_ESR_create(&e.err, &e.object, 200, 20, 1);
    EXPECT_EQ(e.object.ring.entries, storage);
    EXPECT_EQ(e.object.ring.count, 0);

    KxlDrvLibError err;
    MEASURE_ESR_create(&err, nullptr, 200, 20, 1);
    EXPECT_EQ(err.code, 34u);
    EXPECT_STREQ(err.text, "[MEASURE_ESR_create]->Null pointer error.");
    t_measure_esr bare{};
    MEASURE_ESR_create(&err, &bare, 0x80000000u, 20, 0);
    EXPECT_EQ(std::make_tuple(err.code, err.argument), std::make_tuple(10u, 0u));
    EXPECT_STREQ(err.text, "[MEASURE_ESR_create]->Heap error.");
    for (int i = 0; i < 30; ++i) // no ring, no time covered: never a value
        expectEsr(*MEASURE_ESR_process(&r, &bare, 1, 1000), 0.0f, 3, 0, i);
}

TEST(MeasurePer, SettleAccumulateAndSaturate)
{
    ScopedBoard board;
    t_measure_per p;
    KxlDrvLibError err;
    MEASURE_PER_create(&err, &p, MEASURE_PER_SETTLE_T2C2);
    EXPECT_EQ(err.code, 0u);
    t_per_result r;
    MEASURE_PER_process(&r, &p, 50, 0, 400); // settle call: nothing added
    MEASURE_PER_process(&r, &p, 50, 0, 400);
    MEASURE_PER_process(&r, &p, 25, 0, 600);
    EXPECT_EQ(std::make_tuple(r.errors, r.overflow, r.time), std::make_tuple(75u, 0u, 1000u));

    p.errors = 0xFFFFFFF0u;
    MEASURE_PER_process(&r, &p, 0x0F, 0, 1); // exactly at the top: no overflow yet
    EXPECT_EQ(std::make_tuple(r.errors, r.overflow), std::make_tuple(0xFFFFFFFFu, 0u));
    MEASURE_PER_process(&r, &p, 1, 0, 1);
    EXPECT_EQ(std::make_tuple(r.errors, r.overflow), std::make_tuple(0xFFFFFFFFu, 1u));
    MEASURE_PER_process(&r, &p, 0, 0, 1); // the flag belongs to one call
    EXPECT_EQ(std::make_tuple(r.overflow, r.time), std::make_tuple(0u, 1003u));

    p.time = UINT64_MAX - 5;
    MEASURE_PER_process(&r, &p, 0, 0, 100);
    EXPECT_EQ(r.time, UINT64_MAX);

    MEASURE_PER_resest(&p);
    MEASURE_PER_process(&r, &p, 9, 0, 9);
    EXPECT_EQ(r.errors, 0u); // settles again after a reset
    EXPECT_EQ(MEASURE_PER_unlocked(&r, &p)->time, 0u);

    // The standards that never create theirs start from zero, settle 0.
    t_measure_per plain{};
    MEASURE_PER_resest(&plain);
    EXPECT_EQ(MEASURE_PER_process(&r, &plain, 3, 0, 400)->errors, 3u);

    MEASURE_PER_create(&err, nullptr, 1);
    EXPECT_STREQ(err.text, "[MEASURE_PER_create]->Null pointer error.");
}

TEST(MeasurePer, StopwatchOnTheVirtualClock)
{
    ScopedBoard board;
    t_measure_per p{};
    MEASURE_PER_restart(&p);
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    board.clock().advanceMs(400);
    EXPECT_EQ(MEASURE_PER_get_elapsed_time(EMBEDDEDTIMERS_GeticksInMs(), &p), 400u);
    EXPECT_EQ(MEASURE_PER_set_stopwatch_current_ticks(&p), 400u);
    EXPECT_EQ(p.stopwatch, start + 400);
    EXPECT_EQ(MEASURE_PER_set_stopwatch(start + 1000, &p), 600u);
    EXPECT_EQ(MEASURE_PER_get_elapsed_time(start + 900, &p), 0u); // before the stopwatch
}
