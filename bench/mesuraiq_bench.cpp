// The constellation engine on the simulated board with the real clock.
// - Time to the first locked map of a manual measurement, per standard, against the waits the
//   hardware and the driver impose on that lock (every sleep of the run, counted by the clock
//   itself): lock_ratio = wall / waits, target <= 1.1. Beside it, against the simulated chip's
//   own time from the start of its acquisition to transport-stream lock: chip_ratio = wall /
//   chip_lock_ms. No target: every sleep the lock sequence makes counts as a wait above, so
//   only this figure shows a wait the sequence could have spared.
// - Processor time of the engine's thread while an automatic search finds nothing, as a share
//   of one core: cpu_share, target < 0.05 (its waits sleep).
// --brief runs every case once, as CI does.
#include "ChipModels.h"
#include "Cxd2858Model.h"
#include "RfFrontEndModel.h"
#include "SimulatedBoard.h"
#include "cxd2856/Cxd2856Model.h"

#include "engines/mesuraiq.h"
#include "hw/ADF4350.h"
#include "hw/MAX11337.h"
#include "platform/RealClock.h"
#include "rf/mesuraRF.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>
#include <pthread.h>
#include <time.h>

namespace {

using namespace platform::sim;

// Lets queued calls run, without spinning beside the engine's thread.
void serveEvents()
{
    QCoreApplication::processEvents();
    QThread::msleep(1);
}

// The real clock, counting what is slept on it.
class CountingClock : public platform::RealClock {
public:
    void sleepUs(uint64_t us) override
    {
        slept_ += us;
        RealClock::sleepUs(us);
    }
    uint64_t sleptUs() const { return slept_.load(); }

private:
    std::atomic<uint64_t> slept_{0};
};

// The board, the chips in front of the demodulator and the measuring chain, on the given scene.
struct Rig {
    CountingClock* clock;
    std::unique_ptr<SimulatedBoard> board;
    std::shared_ptr<Cxd2856Model> demod;
    std::unique_ptr<ADF4350> lo;
    std::unique_ptr<MAX11337> adc;

    explicit Rig(bool typical)
    {
        // Any earlier rig's board is still installed: its chips go before the new board comes.
        auto counting = std::make_unique<CountingClock>();
        clock = counting.get();
        board = std::make_unique<SimulatedBoard>(std::move(counting));
        installChipModels(*board);
        auto scene = std::make_shared<RfScene>();
        if (typical)
            RfScene::typicalCableNetwork(*scene);
        auto frontEnd = installRfFrontEnd(*board, scene);
        demod = installCxd2856(*board, scene);
        installCxd2858(*board, demod, scene, frontEnd);
        platform::installBoard(board.get());
        lo = std::make_unique<ADF4350>();
        adc = std::make_unique<MAX11337>();
        setInitMesuraRF(lo.get(), adc.get());
    }
    // The engine's thread stops before the board goes.
    ~Rig()
    {
        MesuraIQ::getInstance()->stopEngine();
        lo.reset();
        adc.reset();
        platform::installBoard(nullptr);
    }
};

struct Channel {
    const char* name;
    int system;
    unsigned int hz;
};
// One channel of each standard on the typical network.
const Channel kChannels[] = {{"DVB-C", 0, 474000000u},  {"J83B", 1, 873000000u},   {"DVB-T", 2, 834000000u},
                             {"DVB-T2", 3, 842000000u}, {"ISDB-T", 4, 850000000u}, {"DVB-S", 5, 1150000000u},
                             {"DVB-S2", 6, 1450000000u}, {"DVB-C2", 7, 866000000u}};

void TimeToFirstLockedMap(benchmark::State& state)
{
    const Channel& c = kChannels[state.range(0)];
    state.SetLabel(c.name);
    Rig rig(true);
    MesuraIQ* iq = MesuraIQ::getInstance();
    double wallUs = 0, waitsUs = 0, chipLockMs = 0;
    for (auto _ : state) {
        std::atomic<bool> locked{false};
        std::atomic<int64_t> lockedNs{0};
        std::atomic<uint64_t> lockedSlept{0};
        std::atomic<uint32_t> chipLock{0};
        QElapsedTimer t;
        const auto connection = QObject::connect(
            iq, &MesuraIQ::mapReady, iq,
            [&](const QVariantMap& map, quint64) {
                if (!locked && map.value(QStringLiteral("locked")).toInt() == 1) {
                    lockedNs = t.nsecsElapsed();
                    lockedSlept = rig.clock->sleptUs();
                    chipLock = rig.demod->tsLockTimeMs();
                    locked = true;
                }
            },
            Qt::DirectConnection);
        sintonitzar(c.hz);
        iq->start();
        const uint64_t slept = rig.clock->sleptUs();
        t.start();
        iq->initManual(c.hz, c.system, 0);
        while (!locked && t.elapsed() < 120000)
            serveEvents();
        iq->stopEngine();
        QObject::disconnect(connection);
        QCoreApplication::processEvents();
        if (!locked || chipLock == 0) {
            state.SkipWithError(!locked ? "no lock" : "the chip reports no lock time");
            return;
        }
        wallUs += static_cast<double>(lockedNs.load()) / 1000.0;
        waitsUs += static_cast<double>(lockedSlept.load() - slept);
        chipLockMs += chipLock.load();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["wall_ms"] = wallUs / n / 1000.0;
    state.counters["waits_ms"] = waitsUs / n / 1000.0;
    state.counters["lock_ratio"] = wallUs / waitsUs;
    state.counters["chip_lock_ms"] = chipLockMs / n;
    state.counters["chip_ratio"] = wallUs / 1000.0 / chipLockMs;
}

double threadCpuSeconds(pthread_t thread)
{
    clockid_t id;
    timespec ts{};
    if (pthread_getcpuclockid(thread, &id) != 0 || clock_gettime(id, &ts) != 0)
        return 0;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void UnlockedAutomaticSearchCpu(benchmark::State& state)
{
    Rig rig(false);
    MesuraIQ* iq = MesuraIQ::getInstance();
    std::atomic<bool> seen{false};
    pthread_t worker{};
    const auto connection = QObject::connect(
        iq, &MesuraIQ::mapReady, iq,
        [&](const QVariantMap&, quint64) {
            if (!seen) {
                worker = pthread_self();
                seen = true;
            }
        },
        Qt::DirectConnection);
    sintonitzar(474000000u);
    iq->start();
    iq->initAutomatic(474000000u, 0, 0);
    QElapsedTimer t;
    t.start();
    while (!seen && t.elapsed() < 10000)
        serveEvents();
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double before = threadCpuSeconds(worker);
        QElapsedTimer window;
        window.start();
        while (window.elapsed() < state.range(0))
            serveEvents();
        cpu += threadCpuSeconds(worker) - before;
        wall += static_cast<double>(window.nsecsElapsed()) / 1e9;
    }
    QObject::disconnect(connection);
    state.counters["cpu_share"] = cpu / wall;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    // --brief: each case once, and a shorter processor window.
    std::vector<char*> args;
    bool brief = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--brief") == 0)
            brief = true;
        else
            args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    for (int c = 0; c < 8; ++c)
        benchmark::RegisterBenchmark("TimeToFirstLockedMap", TimeToFirstLockedMap)
            ->Arg(c)
            ->Iterations(brief ? 1 : 3)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    benchmark::RegisterBenchmark("UnlockedAutomaticSearchCpu", UnlockedAutomaticSearchCpu)
        ->Arg(brief ? 1500 : 5000)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&n, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
