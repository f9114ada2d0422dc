// Start-up to the main view's first frame, and peak memory, of the instrument beside a bare
// Qt Quick application. Each side is a program of its own: startup_instrument is the
// instrument's own main() built to end at the main view's first frame, bare_quick_app
// (bench/bare) shows one small QML view and ends at its first frame. The two run in
// turn, in alternating order, so a drift of the machine's speed hits both alike; the ratio
// is taken pair by pair. Each instrument run gets a fresh working directory seeded from
// data/, prepared before its timing starts.
//
// Targets: the median time ratio at most 1.35 offscreen (no DISPLAY), 1.5 under a virtual X
// display (xvfb-run); the instrument's peak memory at most 15 MiB above the bare one's.
// --pairs=N sets the number of pairs (20; CI runs one).
#include "ChildProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using benchchild::Finished;

void seedWorkingDirectory(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
    }
}

bool g_failed = false;

struct Pairs {
    std::vector<double> bareMs, instrumentMs, ratios, extraMiB;
};

void StartUpBesideBareQtQuick(benchmark::State& state)
{
    const std::string folder = benchchild::ownFolder();
    const std::vector<std::string> bare = {folder + "/bare_quick_app"};
    const std::vector<std::string> instrument = {folder + "/startup_instrument"};
    Pairs pairs;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        seedWorkingDirectory(QStringLiteral(VARNOK_SOURCE_DIR "/data"), dir.path());
        const bool bareFirst = pairs.ratios.size() % 2 == 0;
        Finished b, i;
        if (bareFirst)
            b = benchchild::runToEnd(bare);
        i = benchchild::runToEnd(instrument, dir.path().toStdString());
        if (!bareFirst)
            b = benchchild::runToEnd(bare);
        state.ResumeTiming();
        if (!b.ok || !i.ok) {
            g_failed = true;
            state.SkipWithError(!b.ok ? "the bare application did not show a frame"
                                      : "the instrument did not show its main view");
            return;
        }
        state.SetIterationTime(i.seconds);
        pairs.bareMs.push_back(b.seconds * 1e3);
        pairs.instrumentMs.push_back(i.seconds * 1e3);
        pairs.ratios.push_back(i.seconds / b.seconds);
        pairs.extraMiB.push_back(static_cast<double>(i.peakKb - b.peakKb) / 1024.0);
    }
    state.counters["bare_ms"] = benchchild::median(pairs.bareMs);
    state.counters["instrument_ms"] = benchchild::median(pairs.instrumentMs);
    state.counters["ratio"] = benchchild::median(pairs.ratios);
    state.counters["peak_extra_MiB"] = benchchild::median(pairs.extraMiB);
    const bool display = std::getenv("DISPLAY") != nullptr;
    std::printf("start-up to first frame (%s): instrument %.1f ms, bare Qt Quick %.1f ms, ratio %.2f "
                "(target <= %s); peak memory %+.1f MiB beside the bare one (target <= +15)\n",
                display ? "display" : "offscreen", benchchild::median(pairs.instrumentMs),
                benchchild::median(pairs.bareMs), benchchild::median(pairs.ratios), display ? "1.5" : "1.35",
                benchchild::median(pairs.extraMiB));
}

int takePairs(int* argc, char** argv)
{
    int pairs = 20;
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp(argv[i], "--pairs=", 8) == 0) {
            pairs = std::max(1, std::atoi(argv[i] + 8));
            for (int j = i; j + 1 < *argc; ++j)
                argv[j] = argv[j + 1];
            --*argc;
            break;
        }
    }
    return pairs;
}

} // namespace

int main(int argc, char** argv)
{
    const int pairs = takePairs(&argc, argv);
    if (!std::getenv("DISPLAY")) {
        // Both sides run headless alike; the offscreen platform renders with the software
        // back end (no OpenGL context there).
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("QT_QUICK_BACKEND", "software", 1);
    }
    benchmark::RegisterBenchmark("StartUpBesideBareQtQuick", StartUpBesideBareQtQuick)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(pairs);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return g_failed ? 1 : 0;
}
