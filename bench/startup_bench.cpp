// Start-up to the first frame and peak memory of the instrument, beside a minimal Qt Quick
// application built from the same tree and libraries, printed as ratios. Each sample is a
// fresh process (the instrument's singletons are built once per process): this program
// starts itself with "--child instrument" or "--child minimal", and the child reports when
// its first frame is on screen and exits.
#include "startup.h"
#include "qtquick2applicationviewer.h"

#include "DefaultBoard.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QQuickView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Tells the parent that the first frame is out, then ends the process at once.
void reportFirstFrame(int fd)
{
    const char ok = '1';
    if (::write(fd, &ok, 1) != 1)
        std::_Exit(2);
    std::_Exit(0);
}

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

int runInstrument(int argc, char** argv, int fd)
{
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    StartUp::setApplicationIdentity();
    auto board = platform::sim::makeDefaultBoard();
    platform::installBoard(board.get());
    QTemporaryDir dir;
    seedWorkingDirectory(QStringLiteral(VARNOK_SOURCE_DIR "/data"), dir.path());
    QDir::setCurrent(dir.path());
    StartUp::Options options;
    options.remotePort = 0; // a running instrument keeps its own
    StartUp startUp(options);
    startUp.run();
    QObject::connect(startUp.mainView(), &QQuickWindow::frameSwapped, [fd] { reportFirstFrame(fd); });
    return app.exec();
}

int runMinimal(int argc, char** argv, int fd)
{
    qInstallMessageHandler(quiet);
    QGuiApplication app(argc, argv);
    QQuickView view;
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(800, 480);
    view.setSource(QUrl(QStringLiteral("qrc:///bench/minimal.qml")));
    QObject::connect(&view, &QQuickWindow::frameSwapped, [fd] { reportFirstFrame(fd); });
    view.show();
    return app.exec();
}

struct Sample {
    double seconds = 0;
    long peakKb = 0;
};

// Starts one child and waits for its first frame and its end.
bool sampleChild(const char* mode, Sample* out)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        ::execl("/proc/self/exe", "startup_bench", "--child", mode, fd.c_str(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    ::close(pipeFds[1]);
    char byte = 0;
    const bool framed = ::read(pipeFds[0], &byte, 1) == 1;
    const auto framedAt = std::chrono::steady_clock::now();
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    out->seconds = std::chrono::duration<double>(framedAt - start).count();
    out->peakKb = usage.ru_maxrss;
    return framed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<Sample>& samples(int which)
{
    static std::vector<Sample> s[2];
    return s[which];
}

void firstFrame(benchmark::State& state, const char* mode, int which)
{
    for (auto _ : state) {
        Sample s;
        if (!sampleChild(mode, &s)) {
            state.SkipWithError("the child did not show a frame");
            return;
        }
        state.SetIterationTime(s.seconds);
        samples(which).push_back(s);
    }
    long peak = 0;
    for (const Sample& s : samples(which))
        peak = std::max(peak, s.peakKb);
    state.counters["peak_kB"] = static_cast<double>(peak);
}

template <typename T, typename F>
double median(const std::vector<T>& values, F field)
{
    std::vector<double> v;
    for (const T& x : values)
        v.push_back(field(x));
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0) {
        if (!std::getenv("DISPLAY")) {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("QT_QUICK_BACKEND", "software", 1);
        }
        const int fd = std::atoi(argv[3]);
        int childArgc = 1;
        return std::strcmp(argv[2], "instrument") == 0 ? runInstrument(childArgc, argv, fd)
                                                       : runMinimal(childArgc, argv, fd);
    }
    benchmark::RegisterBenchmark("FirstFrame/minimal_qt_quick", firstFrame, "minimal", 0)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::RegisterBenchmark("FirstFrame/instrument", firstFrame, "instrument", 1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(10);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto& minimal = samples(0);
    const auto& instrument = samples(1);
    if (minimal.empty() || instrument.empty())
        return 0;
    auto time = [](const Sample& s) { return s.seconds; };
    auto memory = [](const Sample& s) { return static_cast<double>(s.peakKb); };
    std::printf("start-up to first frame: instrument %.1f ms, minimal %.1f ms, ratio %.2f\n",
                median(instrument, time) * 1e3, median(minimal, time) * 1e3,
                median(instrument, time) / median(minimal, time));
    std::printf("peak memory: instrument %.0f kB, minimal %.0f kB, ratio %.2f\n", median(instrument, memory),
                median(minimal, memory), median(instrument, memory) / median(minimal, memory));
    return 0;
}
