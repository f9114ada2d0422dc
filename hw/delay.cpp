#include "delay.h"

#include "common/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {
constexpr uint64_t kSliceMs = 100;

bool canProcessEvents() { return QCoreApplication::instance() != nullptr; }
} // namespace

void delay(int ms)
{
    common::Clock& clk = common::clock();
    // Kept in microseconds: a start taken in whole milliseconds would cut up to one of them
    // off the wait, and a settling time must never come short.
    const uint64_t end = clk.monotonicUs() + static_cast<uint64_t>(std::max(ms, 0)) * 1000;
    for (;;) {
        if (canProcessEvents())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        const uint64_t now = clk.monotonicUs();
        if (now >= end)
            break;
        const uint64_t leftUs = std::min(end - now, kSliceMs * 1000);
        if (leftUs >= 1000 && !clk.isVirtual() && canProcessEvents() && QThread::currentThread()->eventDispatcher()) {
            // Sleep in the event loop, so events are handled as they arrive; its timers count
            // whole milliseconds, and the clock sleeps what is left below one.
            QEventLoop loop;
            QTimer::singleShot(static_cast<int>(leftUs / 1000), Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::AllEvents);
        } else {
            clk.sleepUs(leftUs);
        }
    }
}
