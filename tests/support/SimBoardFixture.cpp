#include "SimBoardFixture.h"

#include "DefaultBoard.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <cstdlib>

namespace testsupport {

namespace {
// The clock of the board that hosts the engines' threads, once its test is over.
platform::sim::VirtualClock*& engineClock()
{
    static platform::sim::VirtualClock* clock = nullptr;
    return clock;
}
} // namespace

void stopEngineThreads()
{
    // Their waits run on that clock: they must move time again, or a stop would wait on a
    // clock that nobody advances.
    if (platform::sim::VirtualClock* clock = engineClock())
        clock->setBackgroundSleepsReal(false);
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, "aboutToQuit", Qt::DirectConnection);
}

std::unique_ptr<platform::sim::SimulatedBoard> unitBoard(int hardwareModel)
{
    platform::sim::DefaultBoardOptions options;
    options.realTime = false;
    options.hardwareModel = hardwareModel;
    return platform::sim::makeDefaultBoard(options);
}

ScopedBoard::ScopedBoard() : ScopedBoard(std::make_unique<platform::sim::SimulatedBoard>()) {}

ScopedBoard::ScopedBoard(std::unique_ptr<platform::sim::SimulatedBoard> board) : board_(std::move(board))
{
    platform::installBoard(board_.get());
}

ScopedBoard::~ScopedBoard()
{
    if (hostsEngineThreads_) {
        // The engines' threads run on until the program stops them (stopEngineThreads).
        engineClock() = board_->virtualClock();
        // Still reachable through the installed pointer, so not a leak.
        board_.release();
        return;
    }
    platform::installBoard(nullptr);
}

void ScopedBoard::hostEngineThreads()
{
    hostsEngineThreads_ = true;
    if (platform::sim::VirtualClock* clock = board_->virtualClock())
        clock->setBackgroundSleepsReal(true);
}

ScopedWorkDir::ScopedWorkDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }

ScopedWorkDir::~ScopedWorkDir() { QDir::setCurrent(previous_); }

QString ScopedWorkDir::sourcePath(const QString& relativePath)
{
    return QString::fromUtf8(VARNOK_SOURCE_DIR) + "/" + relativePath;
}

bool ScopedWorkDir::seedFromData(const QString& relativePath)
{
    const QString from = sourcePath("data/" + relativePath), to = dir_.path() + "/" + relativePath;
    QStringList files{from};
    if (QFileInfo(from).isDir()) {
        files.clear();
        for (QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next();
    }
    for (const QString& file : files) {
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(file, target))
            return false;
    }
    return true;
}

namespace {
struct Captured {
    QMutex mutex;
    QStringList lines;
    QtMessageHandler previous = nullptr;
};
Captured& captured()
{
    static Captured c;
    return c;
}
void captureHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
{
    {
        QMutexLocker lock(&captured().mutex);
        captured().lines.append(msg);
    }
    if (std::getenv("VARNOK_TEST_VERBOSE") && captured().previous)
        captured().previous(type, ctx, msg);
}
} // namespace

LogCapture::LogCapture()
{
    clear();
    captured().previous = qInstallMessageHandler(captureHandler);
}

LogCapture::~LogCapture() { qInstallMessageHandler(captured().previous); }

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&captured().mutex);
    return captured().lines;
}

bool LogCapture::contains(const QString& fragment) const { return count(fragment) > 0; }

int LogCapture::count(const QString& fragment) const
{
    const QStringList all = lines();
    return static_cast<int>(std::count_if(all.begin(), all.end(), [&](const QString& l) { return l.contains(fragment); }));
}

void LogCapture::clear()
{
    QMutexLocker lock(&captured().mutex);
    captured().lines.clear();
}

std::string dumpLog(platform::sim::SimulatedBoard& board) { return board.log().describeAll(); }

} // namespace testsupport
