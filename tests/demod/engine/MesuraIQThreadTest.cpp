// The constellation engine's thread: stop and restart, the hand-over that never shows a map of
// earlier settings, a new setting ending a pause, and the end of the worker when the
// application quits.
#include "IqBench.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using iqtest::IqBench;

namespace {

constexpr unsigned int kIsdbtHz = 850000000u;

// Waits in real time without processing events, so nothing the worker hands over is shown.
bool waitUnshown(IqBench& b, size_t handed)
{
    for (int i = 0; i < 20000 && b.handedCount() < handed; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return b.handedCount() >= handed;
}

TEST(MesuraIQThread, NothingIsShownAfterAStopNotEvenWhatWasHandedOverBefore)
{
    IqBench b;
    b.iq->initAutomatic(kIsdbtHz, 4, 0);
    // Two maps wait for the engine's thread, which has not run yet.
    ASSERT_TRUE(waitUnshown(b, 2));
    b.iq->aturar();
    EXPECT_FALSE(b.iq->isNonStopMesures());
    const size_t handed = b.handedCount();
    const uint64_t stoppedAt = b.nowMs();
    b.waitFor([] { return false; }, 300);
    EXPECT_TRUE(b.shown.empty());
    // Idle: the worker hands over nothing more, however long it waits.
    EXPECT_EQ(b.handedCount(), handed);
    EXPECT_GE(b.nowMs() - stoppedAt, 1000u);

    // The settings come back as they were.
    b.iq->restatMesureIQ();
    ASSERT_TRUE(b.waitFor([&] { return b.shown.size() >= 3; }));
    const auto after = b.handed();
    EXPECT_EQ(after[after.size() - 1].ms - after[after.size() - 2].ms, 1000u);
}

TEST(MesuraIQThread, ANewSettingEndsThePauseAtOnce)
{
    IqBench b;
    // Time at ten times the real pace, so the new setting surely comes during the pause.
    b.board.clock().setScale(10);
    b.iq->initAutomatic(kIsdbtHz, 4, 0);
    ASSERT_TRUE(b.waitFor([&] { return b.handedCount() >= 2; }));
    const uint64_t second = b.handed()[1].ms;
    b.iq->initAutomatic(kIsdbtHz, 4, 0);
    ASSERT_TRUE(b.waitFor([&] { return b.handedCount() >= 3; }));
    // The pause in progress ended at its next slice, and the new pass began there.
    EXPECT_LT(b.handed()[2].ms - second, 500u);
}

TEST(MesuraIQThread, TheWorkerEndsWhenTheApplicationQuits)
{
    IqBench b;
    b.iq->initAutomatic(kIsdbtHz, 4, 0);
    ASSERT_TRUE(b.waitFor([&] { return b.handedCount() >= 1; }));
    QTimer::singleShot(50, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    EXPECT_TRUE(b.iq->isFinished());
    const size_t handed = b.handedCount();
    b.waitFor([] { return false; }, 200);
    EXPECT_EQ(b.handedCount(), handed);
}

} // namespace
