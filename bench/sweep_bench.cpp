// Sweep overhead: a 400-point full-band spectrum sweep of the measurement engine on the
// simulated board with the real clock, against the waits the hardware imposes on the same
// sweep (band settling, tuner lock polls, converter time). Those waits are what a virtual
// clock counts as slept while it runs the identical sweep. The ratio wall / waits must stay
// at or below 1.04: the program's own work is negligible beside the hardware's.
//
// Memory of continuous sweeping: the same sweep again and again for --sweep-seconds (60;
// an hour for the real target), the resident memory read after a warm-up (a quarter of
// that, at most a minute) and at the end; the growth per measured point must be nil (flat).
// --brief runs each once, shortly (CI).
#include "ChipModels.h"
#include "RfFrontEndModel.h"
#include "SimulatedBoard.h"
#include "VirtualClock.h"

#include "engines/mesuraCM.h"
#include "hw/ADF4350.h"
#include "hw/MAX11337.h"
#include "platform/RealClock.h"
#include "engines/measures.h"
#include "rf/mesuraRF.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

using platform::sim::SimulatedBoard;

constexpr int kPoints = 400;
constexpr unsigned int kFirstHz = 5000000u;
constexpr unsigned int kStepHz = 6750000u; // up to 2698.25 MHz: every band of the front end

std::unique_ptr<SimulatedBoard> makeBoard(std::unique_ptr<common::Clock> clock)
{
    auto board = std::make_unique<SimulatedBoard>(std::move(clock));
    platform::sim::installChipModels(*board);
    auto scene = std::make_shared<platform::sim::RfScene>();
    platform::sim::RfScene::typicalCableNetwork(*scene);
    platform::sim::installRfFrontEnd(*board, scene);
    return board;
}

// Brings the chain up on the installed board and selects the narrow filter.
void bringUp(ADF4350* lo, MAX11337* adc)
{
    setInitMesuraRF(lo, adc);
    Measures::getInstance()->setFilter(FILTER_NARROW);
}

// One spectrum pass of the engine's loop, ended as soon as its sweep is out.
void sweepOnce()
{
    Measures* engine = Measures::getInstance();
    const auto connection = QObject::connect(engine, &Measures::listaFrequencyMeasuresChanged, engine,
                                             [engine] { engine->stopMeasures(); });
    engine->changeTipusMesure(SPECTRUM);
    engine->startMeasures();
    QObject::disconnect(connection);
}

double g_waitsUsPerSweep = 0;
bool g_brief = false;
double g_sweepSeconds = 60;

void FullBandSweep400(benchmark::State& state)
{
    double wallUs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        sweepOnce();
        wallUs += static_cast<double>(t.nsecsElapsed()) / 1000.0;
    }
    const double perSweep = wallUs / static_cast<double>(state.iterations());
    state.counters["waits_ms"] = g_waitsUsPerSweep / 1000.0;
    state.counters["wall_ms"] = perSweep / 1000.0;
    state.counters["overhead_ratio"] = perSweep / g_waitsUsPerSweep;
}

// Resident memory of the process, from the kernel's page count.
double residentMiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void ContinuousSweepMemory(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const auto sweepFor = [](double seconds) {
        int sweeps = 0;
        for (const auto until = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < until; ++sweeps)
            sweepOnce();
        return sweeps;
    };
    for (auto _ : state) {
        sweepFor(g_brief ? 0.0 : std::min(60.0, g_sweepSeconds / 4));
        const double before = residentMiB();
        const int sweeps = sweepFor(g_sweepSeconds);
        const double after = residentMiB();
        const double points = static_cast<double>(sweeps) * kPoints;
        state.counters["points"] = points;
        state.counters["rss_before_MiB"] = before;
        state.counters["rss_after_MiB"] = after;
        state.counters["growth_bytes_per_point"] = points > 0 ? (after - before) * 1024.0 * 1024.0 / points : 0;
        std::printf("continuous sweeping: %.0f points in %.0f s, resident memory %.1f -> %.1f MiB\n", points,
                    g_sweepSeconds, before, after);
    }
}

void takeOptions(int* argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strcmp(argv[i], "--brief") == 0)
            g_brief = true;
        else if (std::strncmp(argv[i], "--sweep-seconds=", 16) == 0)
            g_sweepSeconds = std::atof(argv[i] + 16);
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
    if (g_brief)
        g_sweepSeconds = 0.5;
}

} // namespace

int main(int argc, char** argv)
{
    takeOptions(&argc, argv);
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QDir().mkpath("calibracion");
    for (const char* name : {"CAL_0.XML", "CAL_FO.XML"})
        QFile::copy(QString(VARNOK_SOURCE_DIR) + "/data/calibracion/" + name, QString("calibracion/") + name);

    // The waits of one sweep, counted by a virtual clock. The engine's background threads
    // sleep for real there, so only the sweep's own waits count.
    auto counting = std::make_unique<platform::sim::VirtualClock>();
    platform::sim::VirtualClock* virtualClock = counting.get();
    virtualClock->setBackgroundSleepsReal(true);
    auto virtualBoard = makeBoard(std::move(counting));
    platform::installBoard(virtualBoard.get());
    ADF4350 lo;
    MAX11337 adc;
    ScreensVariables* settings = ScreensVariables::getInstance();
    for (auto [key, value] : {std::pair<const char*, QVariant>{"screen", "SPECTRUM_ANALYZER_RF"},
                              {"circuit", "CABLE_RF"}, {"span", 2695000000u}, {"reference_level", 20},
                              {"frequency", 474000000u}})
        settings->setValue(key, value);
    Measures* engine = Measures::getInstance();
    engine->setVariablesQML();
    QVariantList points;
    for (int i = 0; i < kPoints; ++i)
        points << QVariantMap{{"frequency", kFirstHz + kStepHz * static_cast<unsigned int>(i)}};
    engine->setListaFrequencyMeasures(points);
    bringUp(&lo, &adc);
    sweepOnce(); // from the last band back to the first, as every later sweep starts
    const uint64_t before = virtualClock->sleptUs();
    sweepOnce();
    g_waitsUsPerSweep = static_cast<double>(virtualClock->sleptUs() - before);

    // The same sweep with the real clock; the virtual board stays alive for the threads.
    auto realBoard = makeBoard(std::make_unique<platform::RealClock>());
    platform::installBoard(realBoard.get());
    // A background thread still in a wait on the virtual clock (the modem engine idles in
    // such waits) moves its time now, so that wait ends and the next one runs real time.
    virtualClock->setBackgroundSleepsReal(false);
    bringUp(&lo, &adc);
    sweepOnce();

    benchmark::RegisterBenchmark("FullBandSweep400", FullBandSweep400)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(g_brief ? 1 : 5);
    benchmark::RegisterBenchmark("ContinuousSweepMemory", ContinuousSweepMemory)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The modem engine's thread waits in the event loop's way; it ends before the
    // application object goes, as the instrument's does when its loop quits.
    MesuraCM::getInstance()->stopEngine();
    // The other engine threads live until exit and keep using the installed board.
    realBoard.release();
    return 0;
}
