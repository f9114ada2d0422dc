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
    const uint64_t end = clk.monotonicMs() + static_cast<uint64_t>(std::max(ms, 0));
    for (;;) {
        if (canProcessEvents())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        const uint64_t now = clk.monotonicMs();
        if (now >= end)
            break;
        const uint64_t slice = std::min(end - now, kSliceMs);
        if (!clk.isVirtual() && canProcessEvents() && QThread::currentThread()->eventDispatcher()) {
            // Sleep in the event loop, so events are handled as they arrive.
            QEventLoop loop;
            QTimer::singleShot(static_cast<int>(slice), Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::AllEvents);
        } else {
            clk.sleepMs(slice);
        }
    }
}
