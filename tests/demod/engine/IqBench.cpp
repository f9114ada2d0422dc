#include "IqBench.h"

#include "rf/mesuraRF.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <thread>

namespace iqtest {

IqBench::IqBench(bool typical)
{
    if (typical)
        platform::sim::RfScene::typicalCableNetwork(*scene);
    setInitMesuraRF(&lo, &adc);
    iq = MesuraIQ::getInstance();
    shownConnection_ =
        QObject::connect(iq, &MesuraIQ::s_send_dades_iq, iq, [this](const QVariantMap& m) { shown.push_back(m); });
    handedConnection_ = QObject::connect(
        iq, &MesuraIQ::mapReady, iq,
        [this](const QVariantMap& m, quint64) {
            std::lock_guard<std::mutex> lock(mutex_);
            handed_.push_back({board.clock().monotonicMs(), m});
        },
        Qt::DirectConnection);
    iq->start();
}

IqBench::~IqBench()
{
    iq->stopEngine();
    QObject::disconnect(shownConnection_);
    QObject::disconnect(handedConnection_);
    // Maps still queued for the engine's thread are dropped there.
    QCoreApplication::processEvents();
}

void IqBench::tune(unsigned int hz) { sintonitzar(hz); }

std::vector<Handed> IqBench::handed()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return handed_;
}

size_t IqBench::handedCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return handed_.size();
}

bool IqBench::waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    // A sleep between looks leaves the processor to the engine's worker on a busy machine.
    while (!done() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

QVariantMap IqBench::waitForShown(const std::function<bool(const QVariantMap&)>& match, int timeoutMs)
{
    size_t seen = 0;
    QVariantMap found;
    waitFor(
        [&] {
            for (; seen < shown.size(); ++seen)
                if (match(shown[seen])) {
                    found = shown[seen];
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

} // namespace iqtest
