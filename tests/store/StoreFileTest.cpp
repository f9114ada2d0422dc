// The store's file primitives: a save that dies half way, by a killed process or a failing
// write, leaves the old file whole; shell words quoted; the record reader that loads channel
// plans as a stream reads every record as the document reader does.
#include "StoreTestSupport.h"

#include "store/storefile.h"

#include <QDir>
#include <QFileDevice>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace storetest;

namespace {
const QByteArray kOld = "<PLAN><old type=\"int\">1</old></PLAN>\n";
} // namespace

TEST(SafeSave, AProcessKilledInTheMiddleOfASaveLeavesTheOldFile)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeText("plan.XML", kOld);
    const QByteArray content(400 * 1024, 'n');

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

TEST(RecordReader, ReadsEachRecordAsTheDocumentReaderDoes)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeText("plan.XML", "<?xml version=\"1.0\"?>\n<PLAN date=\"x\">\n"
                          " <ROW><f type=\"uint\"> 4294967295 </f><n type=\"int\">-7</n><d type=\"double\">1.5</d>"
                          "<b type=\"bool\">1</b><s type=\"QString\"> a &amp; b </s><blank type=\"QString\">   </blank>"
                          "<VALUE name=\"bad key\" type=\"QString\">kept</VALUE><VALUE type=\"int\">3</VALUE>"
                          "<nested type=\"QString\">x<i>y</i>z</nested><untyped>9</untyped></ROW>\n"
                          " <OTHER><f type=\"int\">1</f></OTHER>\n <ROW/>\n</PLAN>\n");
    QList<QVariantMap> records;
    ASSERT_EQ(storefile::loadRecords("plan.XML", "PLAN", "ROW", &records), storefile::LoadResult::Loaded);
    ASSERT_EQ(records.size(), 2);
    const QDomElement first = rootOf("plan.XML").firstChildElement("ROW");
    EXPECT_EQ(records[0], storefile::readValues(first));
    EXPECT_EQ(records[0], (QVariantMap{{"f", 4294967295u}, {"n", -7}, {"d", 1.5}, {"b", true}, {"s", " a & b "},
                                       {"blank", QString()}, {"bad key", "kept"}, {"VALUE", 3}, {"nested", "xyz"},
                                       {"untyped", "9"}}));
    EXPECT_TRUE(records[1].isEmpty());
}

