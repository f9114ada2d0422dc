// A save that dies half way, by a killed process or a failing write, leaves the old
// file whole.
#include "SimBoardFixture.h"
#include "StoreTestSupport.h"

#include "store/storefile.h"

#include <QDir>
#include <QFileDevice>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace storetest;
using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
const QByteArray kOld = "<PLAN><old type=\"int\">1</old></PLAN>\n";

QByteArray bigContent()
{
    QByteArray content;
    for (int i = 0; i < 20000; ++i)
        content += "<new type=\"int\">" + QByteArray::number(i) + "</new>\n";
    return content;
}
} // namespace

TEST(SafeSave, AProcessKilledInTheMiddleOfASaveLeavesTheOldFile)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeText("plan.XML", kOld);
    const QByteArray content = bigContent();

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        storefile::withWritableRoot([&] {
            return storefile::saveReplacing("plan.XML", [&](QIODevice& device) {
                device.write(content.left(content.size() / 2));
                static_cast<QFileDevice&>(device).flush();
                ::raise(SIGKILL);
                return true;
            });
        });
        ::_exit(0); // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);

    // The half-written data went to a temporary file (unnamed, or named after the plan
    // with a suffix), never into the plan.
    EXPECT_EQ(readBytes("plan.XML"), kOld);
    for (const QString& file : QDir(".").entryList(QDir::Files))
        EXPECT_TRUE(file == "plan.XML" || file.startsWith("plan.XML.")) << file.toStdString();

    // The next save completes normally.
    EXPECT_TRUE(storefile::saveReplacing("plan.XML", [&](QIODevice& device) {
        return device.write(content) == content.size();
    }));
    EXPECT_EQ(readBytes("plan.XML"), content);
}

TEST(SafeSave, AFailingWriteLeavesTheOldFileAndNoTemporaryFile)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    writeText("plan.XML", kOld);

    EXPECT_FALSE(storefile::withWritableRoot([] {
        return storefile::saveReplacing("plan.XML", [](QIODevice& device) {
            device.write("<PLAN><tor");
            return false;
        });
    }));
    EXPECT_EQ(readBytes("plan.XML"), kOld);
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList({"plan.XML"}));
    EXPECT_TRUE(log.contains("Failed to write file"));
    // The brackets close even when the write fails.
    EXPECT_EQ(commands(board.board()), remountBrackets());

    // A folder that cannot be made (a file stands in its place) is a failure too.
    writeText("loggers", "not a folder");
    EXPECT_FALSE(storefile::saveReplacing("loggers/SCAN_RF/Logger00.XML", [](QIODevice&) { return true; }));
    EXPECT_TRUE(log.contains("Failed to create the folder"));
}

TEST(SafeSave, ShellWordsAreQuoted)
{
    EXPECT_EQ(storefile::shellQuoted("/root/loggers/A B/Logger00.XML"), "'/root/loggers/A B/Logger00.XML'");
    EXPECT_EQ(storefile::shellQuoted("it's; rm -rf /"), "'it'\\''s; rm -rf /'");
}
