#include "SimBoardFixture.h"

#include "DefaultBoard.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

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

static bool copyRecursively(const QString& from, const QString& to)
{
    QFileInfo info(from);
    if (info.isDir()) {
        QDir().mkpath(to);
        QDir dir(from);
        for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            if (!copyRecursively(from + "/" + entry, to + "/" + entry))
                return false;
        }
        return true;
    }
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    return QFile::copy(from, to);
}

bool ScopedWorkDir::seedFromData(const QString& relativePath)
{
    return copyRecursively(sourcePath("data/" + relativePath), dir_.path() + "/" + relativePath);
}

namespace {
QMutex& captureMutex()
{
    static QMutex m;
    return m;
}
QStringList& captured()
{
    static QStringList lines;
    return lines;
}
QtMessageHandler& previousHandler()
{
    static QtMessageHandler h = nullptr;
    return h;
}
void captureHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
{
    {
        QMutexLocker lock(&captureMutex());
        captured().append(msg);
    }
    if (std::getenv("VARNOK_TEST_VERBOSE") && previousHandler())
        previousHandler()(type, ctx, msg);
}
} // namespace

LogCapture::LogCapture()
{
    clear();
    previousHandler() = qInstallMessageHandler(captureHandler);
}

LogCapture::~LogCapture() { qInstallMessageHandler(previousHandler()); }

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&captureMutex());
    return captured();
}

bool LogCapture::contains(const QString& fragment) const { return count(fragment) > 0; }

int LogCapture::count(const QString& fragment) const
{
    QMutexLocker lock(&captureMutex());
    int n = 0;
    for (const QString& l : captured())
        if (l.contains(fragment))
            ++n;
    return n;
}

void LogCapture::clear()
{
    QMutexLocker lock(&captureMutex());
    captured().clear();
}

std::string dumpLog(platform::sim::SimulatedBoard& board) { return board.log().describeAll(); }

} // namespace testsupport
