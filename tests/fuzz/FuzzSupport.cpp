#include "FuzzSupport.h"

#include "LeakSuppressions.h"

#include "platform/Platform.h"
#include "platform/sim/DefaultBoard.h"
#include "platform/sim/VirtualClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" const char* __lsan_default_suppressions() { return systemLibraryLeaks(); }

namespace fuzzsupport {

namespace {

struct World {
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<platform::sim::SimulatedBoard> board;
    std::unique_ptr<QTemporaryDir> dir;
};

// Never destroyed: at exit the engines' threads may still use the board and the
// application object. Only the working directory goes.
World& world()
{
    static World* w = new World;
    return *w;
}

// The harness works in a directory of its own, but the corpus, dictionary and artifact
// paths given on the command line mean the caller's: they are made absolute first, and
// crashes land where the caller runs.
void keepPathsOfTheCaller(int* argc, char*** argv)
{
    static std::vector<std::string> args;
    static std::vector<char*> pointers;
    const QDir caller = QDir::current();
    const auto absolute = [&](const std::string& path) {
        const bool folder = !path.empty() && path.back() == '/';
        return caller.absoluteFilePath(QString::fromStdString(path)).toStdString() + (folder ? "/" : "");
    };
    bool artifacts = false;
    for (int i = 0; i < *argc; ++i) {
        std::string arg = (*argv)[i];
        const size_t eq = arg.find('=');
        if (i > 0 && arg.rfind("-", 0) != 0) {
            arg = absolute(arg);
        } else if (arg.rfind("-", 0) == 0 && eq != std::string::npos) {
            const std::string flag = arg.substr(1, eq - 1);
            artifacts = artifacts || flag == "artifact_prefix";
            if (flag == "dict" || flag == "artifact_prefix" || flag == "exact_artifact_path" || flag == "merge_control_file"
                || flag == "features_dir")
                arg = "-" + flag + "=" + absolute(arg.substr(eq + 1));
        }
        args.push_back(arg);
    }
    if (!artifacts)
        args.push_back("-artifact_prefix=" + absolute("./"));
    for (std::string& a : args)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(args.size());
    *argv = pointers.data();
}

bool copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo& entry : source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString target = to + "/" + entry.fileName();
        if (entry.isDir() ? !copyTree(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

} // namespace

void start(int* argc, char*** argv)
{
    keepPathsOfTheCaller(argc, argv);
    World& w = world();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    w.app = std::make_unique<QCoreApplication>(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("CABLE VARNOK"));
    platform::sim::DefaultBoardOptions options;
    options.realTime = false;
    w.board = platform::sim::makeDefaultBoard(options);
    // Engine threads, if a harness starts them, sleep for real: only the harness moves time.
    if (platform::sim::VirtualClock* clock = w.board->virtualClock())
        clock->setBackgroundSleepsReal(true);
    platform::installBoard(w.board.get());
    const QString memory = QStringLiteral("/dev/shm");
    w.dir = QDir(memory).exists() ? std::make_unique<QTemporaryDir>(memory + "/varnok-fuzz-XXXXXX")
                                  : std::make_unique<QTemporaryDir>();
    if (!w.dir->isValid() || !copyTree(QStringLiteral(VARNOK_SOURCE_DIR "/data"), w.dir->path()))
        fail(QStringLiteral("no working directory"));
    QDir::setCurrent(w.dir->path());
    std::atexit([] { world().dir.reset(); });
}

platform::sim::SimulatedBoard& board() { return *world().board; }

void hostEngineThreads()
{
    std::atexit([] {
        if (platform::sim::VirtualClock* clock = board().virtualClock())
            clock->setBackgroundSleepsReal(false);
    });
}

QString workDir() { return world().dir->path(); }

void forgetRecords()
{
    board().shell().clear();
    board().log().clear();
}

void fail(const QString& what)
{
    std::fprintf(stderr, "oracle: %s\n", qPrintable(what));
    std::abort();
}

QByteArray Input::bytes(size_t n)
{
    n = std::min(n, size_);
    const QByteArray b(reinterpret_cast<const char*>(data_), static_cast<int>(n));
    data_ += n;
    size_ -= n;
    return b;
}

} // namespace fuzzsupport
