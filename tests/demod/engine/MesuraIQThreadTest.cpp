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
    // Idle: the worker hands over nothing more, however long it waits (a second of its pauses).
    EXPECT_TRUE(b.waitFor([&] { return b.nowMs() - stoppedAt >= 1000u; }));
    EXPECT_TRUE(b.shown.empty());
    EXPECT_EQ(b.handedCount(), handed);

    // The settings come back as they were.
    b.iq->restatMesureIQ();
    ASSERT_TRUE(b.waitFor([&] { return b.shown.size() >= 3; }));
    const auto after = b.handed();
    EXPECT_EQ(after[after.size() - 1].ms - after[after.size() - 2].ms, 1000u);
}

TEST(MesuraIQThread, ANewSettingEndsThePauseAtOnce)
{
    IqBench b;
    // Time runs at ten times the real pace while the worker sleeps; from the second hand-over
    // until the new setting is made it stands, so the setting comes at the start of the
    // second pass's pause however long the test takes to make it.
    b.board.clock().setScale(10);
    int handed = 0;
    QObject::connect(
        b.iq, &MesuraIQ::mapReady, b.iq,
        [&](const QVariantMap&, quint64) {
            if (++handed == 2)
                b.board.clock().hold();
        },
        Qt::DirectConnection);
    b.iq->initAutomatic(kIsdbtHz, 4, 0);
    ASSERT_TRUE(b.waitFor([&] { return b.handedCount() >= 2; }));
    const uint64_t second = b.handed()[1].ms;
    b.iq->initAutomatic(kIsdbtHz, 4, 0);
    b.board.clock().release();
    ASSERT_TRUE(b.waitFor([&] { return b.handedCount() >= 3; }));
    // The pause (1 s) ended at the end of its first 50 ms slice, and the new pass began there.
    EXPECT_LE(b.handed()[2].ms - second, 50u);
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
