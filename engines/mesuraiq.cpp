#include "mesuraiq.h"

#include "services/software.h"
#include "common/Clock.h"
#include "common/embedded_timers.h"
#include "demod/DrvCXD2856_core.h"
#include "hw/DrvI2c.h"
#include "rf/bandTuning.h"
#include "rf/chainState.h"

#include <QCoreApplication>
#include <QMutexLocker>

#include <algorithm>

namespace {
constexpr int kIdle = 100;
constexpr int kDvbS = 5, kDvbS2 = 6;
constexpr uint32_t kIdleMs = 1000;
// A routine that comes back sooner than this without a new setting (no chip, a chip that
// refuses the standard) is followed by a pause for the rest of it: the worker neither spins
// nor floods the screens with maps.
constexpr uint32_t kShortestRoutineMs = 1000;
constexpr uint32_t kPauseSliceMs = 50;
// Maps handed over and not yet passed on: the worker waits beyond this, so a receiver that
// falls behind (a blocked GUI thread, a test on a virtual clock) is never buried in maps.
constexpr int kMapsInFlight = 2;
} // namespace

MesuraIQ* MesuraIQ::getInstance()
{
    static MesuraIQ instance;
    return &instance;
}

MesuraIQ::MesuraIQ(QObject* parent) : QThread(parent)
{
    DrvI2c_LinkAndInit();
    KxlDrvLibError err;
    DrvI2cMux_LinkAndInit(&err);
    // The equipment file is read in this thread; the worker only asks for the option.
    Software::getInstance();
    connect(this, &MesuraIQ::mapReady, this, &MesuraIQ::deliver, Qt::QueuedConnection);
    // The board the worker drives goes away when the application's loop ends.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &MesuraIQ::stopEngine);
}

MesuraIQ::~MesuraIQ() { stopEngine(); }

// --- settings ------------------------------------------------------------------------------

void MesuraIQ::stopLocked()
{
    nonStop_ = false;
    ++generation_;
    // The search under way ends at its next poll instead of running out its time. The kit
    // keeps the stop through the tunes that start before the worker takes up the settings.
    DrvCXD2856_set_cancel_flag(1);
    changed_.wakeAll();
}

uint32_t MesuraIQ::workingFrequency(uint32_t freq, int sistema)
{
    return sistema == kDvbS || sistema == kDvbS2 ? freq : getFrequencyTreballTuner(freq);
}

void MesuraIQ::setFrecuencyKit(uint32_t freq) { current_.frequency = workingFrequency(freq, current_.system); }

void MesuraIQ::setVariablesKit(uint32_t freq, int sistema, int sr)
{
    current_.symbolRate = sr;
    current_.system = sistema;
    setFrecuencyKit(freq);
    stopLocked();
}

void MesuraIQ::aturar()
{
    QMutexLocker lock(&mutex_);
    saved_ = current_;
    current_.system = kIdle;
    current_.automatic = false;
    stopLocked();
}

int MesuraIQ::initManual(uint freq, int sistema, int sr)
{
    QMutexLocker lock(&mutex_);
    current_.automatic = false;
    setVariablesKit(freq, sistema, sr);
    return 0;
}

void MesuraIQ::initAutomatic(uint freq, int sistema, int sr)
{
    QMutexLocker lock(&mutex_);
    current_.automatic = true;
    setVariablesKit(freq, sistema, sr);
}

void MesuraIQ::setSystem(int sistema, int sr)
{
    const uint32_t freq = getFrequencyHz();
    QMutexLocker lock(&mutex_);
    setVariablesKit(freq, sistema, sr);
}

void MesuraIQ::restatMesureIQ()
{
    QMutexLocker lock(&mutex_);
    // The saved frequency is a working frequency already: it is not converted again.
    current_ = saved_;
    stopLocked();
}

bool MesuraIQ::isNonStopMesures()
{
    QMutexLocker lock(&mutex_);
    return nonStop_;
}

MesuraIQ::Settings MesuraIQ::settings()
{
    QMutexLocker lock(&mutex_);
    return current_;
}

void MesuraIQ::stopEngine()
{
    {
        QMutexLocker lock(&mutex_);
        quit_ = true;
        stopLocked();
    }
    wait();
    QMutexLocker lock(&mutex_);
    quit_ = false;
}

// --- emission ------------------------------------------------------------------------------

void MesuraIQ::emitMap()
{
    {
        QMutexLocker lock(&mutex_);
        while (inFlight_ >= kMapsInFlight && nonStop_) {
            common::WaitingForOthers forTheReceiver;
            changed_.wait(&mutex_);
        }
        if (!nonStop_)
            return;
        ++inFlight_;
    }
    emit mapReady(m_dades_iq, passGeneration_);
}

void MesuraIQ::deliver(const QVariantMap& map, quint64 generation)
{
    {
        QMutexLocker lock(&mutex_);
        --inFlight_;
        changed_.wakeAll();
        if (generation != generation_)
            return;
    }
    emit s_send_dades_iq(map);
}

// --- the worker ----------------------------------------------------------------------------

void MesuraIQ::pause(uint32_t ms)
{
    const uint64_t end = EMBEDDEDTIMERS_GeticksInMs() + ms;
    while (isNonStopMesures()) {
        const uint64_t now = EMBEDDEDTIMERS_GeticksInMs();
        if (now >= end)
            return;
        common::clock().sleepMs(std::min<uint64_t>(end - now, kPauseSliceMs));
    }
}

// The engine starts idle by its settings' first values, so a setting made before the worker
// runs is kept rather than stopped.
void MesuraIQ::run()
{
    for (;;) {
        Settings s;
        {
            QMutexLocker lock(&mutex_);
            if (quit_)
                return;
            nonStop_ = true;
            passGeneration_ = generation_;
            s = current_;
            // The stop that ended the last pass raised it; this pass may search again.
            DrvCXD2856_set_cancel_flag(0);
        }
        if (s.system != kIdle) {
            m_dades_iq = QVariantMap();
            emitMap();
        }
        ActualitzaPostBer(true, false, 0, 0);
        if (s.automatic)
            mesuraIQ_auto_kit();
        else if (s.system >= 0 && s.system <= 7)
            runRoutine(s.system);
        else
            pause(kIdleMs);
    }
}

void MesuraIQ::runRoutine(int sistema)
{
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    switch (sistema) {
    case 0: mesuraIQ_dvbc_kit(); break;
    case 1: mesuraIQ_annexb_kit(); break;
    case 2: mesuraIQ_dvbt_kit(); break;
    case 3: mesuraIQ_dvbt2_kit(); break;
    case 4: mesuraIQ_isdb_kit(); break;
    case kDvbS: mesuraIQ_dvbs_kit(); break;
    case kDvbS2: mesuraIQ_dvbs2_kit(); break;
    case 7: mesuraIQ_dvbc2_kit(); break;
    default: break;
    }
    const uint64_t took = EMBEDDEDTIMERS_GeticksInMs() - start;
    if (took < kShortestRoutineMs)
        pause(static_cast<uint32_t>(kShortestRoutineMs - took));
}

// --- the automatic search --------------------------------------------------------------------

void MesuraIQ::mesuraIQ_auto_kit()
{
    const int sistema = settings().system;
    if (sistema == kDvbS || sistema == kDvbS2)
        mesuraIQ_auto_kit_satellite();
    else
        mesuraIQ_auto_kit_terrestre();
}

void MesuraIQ::mesuraIQ_auto_kit_satellite() { searchStandards({kDvbS, kDvbS2}); }

// ISDB-T is never searched for.
void MesuraIQ::mesuraIQ_auto_kit_terrestre() { searchStandards({0, 1, 7, 2, 3}); }

void MesuraIQ::searchStandards(const QVector<int>& list)
{
    int position = list.indexOf(settings().system);
    if (position < 0) {
        pause(kIdleMs);
        return;
    }
    for (;;) {
        {
            // Tested and written together: a user's new choice made meanwhile is kept.
            QMutexLocker lock(&mutex_);
            if (!nonStop_)
                return;
            current_.system = list[position];
        }
        m_dades_iq = QVariantMap();
        emitMap();
        runRoutine(list[position]);
        position = (position + 1) % list.size();
    }
}

QString MesuraIQ::ActualitzaPostBer(bool reset, bool locked, uint32_t errors, uint32_t block)
{
    const PostBer ber = ::ActualitzaPostBer(postBer_, reset, errors, block, Software::getInstance()->getOclaro());
    return getStringBER(locked, ber.status, static_cast<float>(ber.value));
}
