// Files as a careless user or an attacker leaves them: every damaged settings, plan or logger
// file is kept aside and the store falls back, nesting is bounded before a DOM is built, a
// value that does not read as its type never turns into a silent 0, and what a save cut
// short left behind is cleared at the next start.
#include "BadXml.h"
#include "StoreTestSupport.h"

#include "store/channelslist.h"
#include "store/loggerlist.h"
#include "store/screensvariables.h"
#include "store/storefile.h"

#include <QDir>
#include <QFileInfo>

#include <functional>
#include <thread>

using namespace storetest;

TEST(StoreFiles, EveryDamagedFileIsKeptAsideAndTheStoreFallsBack)
{
    ScopedBoard board;
    const struct {
        const char* root;
        QString path;
        std::function<bool()> loads; // true when the file was taken
    } stores[] = {
        {"SCREEN_VARIABLES", "screenVariables.XML",
         [] {
             const bool loaded = ScreensVariables::getInstance()->carregaVariables();
             // The defaults are in force instead.
             EXPECT_EQ(ScreensVariables::getInstance()->getScreensVariables().value("screen"), "MAIN_MENU");
             return loaded;
         }},
        {"CHANNEL_PLAN", "channelPlans/MINE.XML", [] { return Channelslist::getInstance()->carregaChannelPlan("MINE"); }},
        {"DATALOGGER", "loggers/SCAN_RF/Logger00.XML",
         [] { return !Loggerlist::getInstance()->carregaLogger("SCAN_RF", "Logger00.XML").isEmpty(); }},
    };
    for (const auto& store : stores) {
        std::vector<testsupport::BadXml> files = testsupport::damagedFiles(store.root);
        files.push_back({"a second root", "<" + QByteArray(store.root) + "/><" + QByteArray(store.root) + "/>"});
        for (const testsupport::BadXml& bad : files) {
            SCOPED_TRACE(store.path.toStdString() + ": " + bad.name);
            ScopedWorkDir dir;
            QDir().mkpath(QFileInfo(store.path).path());
            writeText(store.path, bad.content);
            board->shell().clear();
            LogCapture log;
            EXPECT_FALSE(store.loads());
            EXPECT_TRUE(log.contains("it is kept as " + store.path + ".bad")) << log.lines().join("\n").toStdString();
            EXPECT_EQ(readBytes(store.path + ".bad"), bad.content);
            EXPECT_FALSE(QFileInfo::exists(store.path));
            EXPECT_EQ(commands(board.board()), remountBrackets());
            // A second one does not overwrite the first kept aside.
            writeText(store.path, bad.content);
            EXPECT_FALSE(store.loads());
            EXPECT_EQ(readBytes(store.path + ".bad.1"), bad.content);
        }
    }
}

TEST(StoreFiles, AFileOfTheSizeBoundIsReadAndOneByteMoreIsRefusedUnread)
{
    ScopedBoard board;
    // One channel, then blanks up to the size.
    const QByteArray channel = "<CHANNEL><name type=\"QString\">E21</name><frequency type=\"uint\">474000000"
                               "</frequency><bandwidth type=\"uint\">8000000</bandwidth></CHANNEL>";
    for (qint64 size : {storefile::kMaxFileBytes, storefile::kMaxFileBytes + 1}) {
        ScopedWorkDir dir;
        QDir().mkpath("channelPlans");
        QByteArray text = testsupport::wellFormedOfSize("CHANNEL_PLAN", int(size));
        writeText("channelPlans/BIG.XML", text.replace(text.indexOf("> ") + 1, channel.size(), channel));
        LogCapture log;
        const bool read = size == storefile::kMaxFileBytes;
        EXPECT_EQ(Channelslist::getInstance()->carregaChannelPlan("BIG"), read) << size;
        EXPECT_EQ(Channelslist::getInstance()->channelList().size(), read ? 1 : 0);
        EXPECT_EQ(log.contains("File channelPlans/BIG.XML is larger than 4194304 bytes - it is kept as "
                               "channelPlans/BIG.XML.bad"), !read);
    }
}

TEST(StoreFiles, NestingUpToTheBoundIsReadAndOneLevelMoreIsNot)
{
    for (int depth : {storefile::kMaxXmlDepth, storefile::kMaxXmlDepth + 1}) {
        SCOPED_TRACE(depth);
        QDomDocument doc;
        QString problem;
        const bool read = storefile::parseXml(testsupport::deeplyNested("ROOT", depth - 1), &doc, &problem);
        EXPECT_EQ(read, depth <= storefile::kMaxXmlDepth);
        EXPECT_EQ(problem.startsWith("nests elements deeper than 32 levels"), !read) << problem.toStdString();
        EXPECT_EQ(doc.documentElement().tagName(), read ? "ROOT" : "");
    }
}

TEST(StoreFiles, EachTypeReadsOnlyItsOwnTexts)
{
    const struct {
        const char* type;
        const char* text;
        bool reads;
        QVariant value;
    } rows[] = {
        {"int", " -42\n", true, -42},     {"int", "42a", false, 0},          {"int", "2147483648", false, 0},
        {"uint", "4294967295", true, 4294967295u}, {"uint", "-1", false, 0u}, {"double", "2.5e3", true, 2500.0},
        {"double", "1,5", false, 0.0},    {"bool", "true", true, true},      {"bool", "0", true, false},
        {"bool", "false", true, false},   {"bool", "1", true, true},         {"bool", "TRUE", false, false},
        {"QString", " any text ", true, " any text "}, {"unknown", "12", true, "12"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.type) + " '" + row.text + "'");
        bool ok = !row.reads;
        const QVariant value = storefile::valueFromText(row.type, row.text, &ok);
        EXPECT_EQ(ok, row.reads);
        EXPECT_EQ(value, row.value);
    }
}

TEST(ScreensVariablesFile, AValueThatDoesNotReadAsItsTypeKeepsTheFileAsideAndNamesTheKey)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("screenVariables.XML"));
    const QString file = ScreensVariables::fileName();
    QByteArray text = readBytes(file);
    const QByteArray defaultFrequency = rootOf(file).firstChildElement("frequency").text().toLatin1();
    text.replace("<frequency type=\"uint\">" + defaultFrequency, "<frequency type=\"uint\">474 MHz");
    text.replace("<screen type=\"QString\">MAIN_MENU", "<screen type=\"QString\">EXIT");
    text.replace("<autoPowerOff type=\"int\">0", "<autoPowerOff type=\"int\">ten");
    writeText(file, text);

    LogCapture log;
    ScreensVariables* sv = ScreensVariables::getInstance();
    EXPECT_TRUE(log.contains("holds values that do not read as their type: autoPowerOff, frequency"));
    EXPECT_EQ(readBytes(file + ".bad"), text);
    // The readable values stay; the unreadable ones take their defaults, never a silent 0.
    const QVariantMap values = sv->getScreensVariables();
    EXPECT_EQ(values.value("screen"), "EXIT");
    EXPECT_EQ(values.value("frequency"), defaultFrequency.toUInt());
    EXPECT_EQ(values.value("autoPowerOff"), 0);

    // The next save writes a fresh file; the user's text stays in the kept one.
    sv->guardaVariables();
    EXPECT_TRUE(readText(file).contains("<frequency type=\"uint\">" + defaultFrequency + "</frequency>"));
    EXPECT_EQ(readBytes(file + ".bad"), text);
}

TEST(StoreFiles, WhatSavesCutShortLeftIsRemovedAtTheNextStart)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("screenVariables.XML"));
    ASSERT_TRUE(dir.seedFromData("channelPlans"));
    QDir().mkpath("loggers/SCAN_RF");
    // A save names its temporary file after its file with six letters, where the file
    // system has no unnamed temporary files.
    const QStringList leftovers = {"screenVariables.XML.AbCdEf", "channelPlans/EUROPE.XML.qWeRtY",
                                   "channelPlans/NEW.XML.ZZzZZZ", "loggers/SCAN_RF/Logger07.XML.HgFeDc"};
    // Kept: other names, and copies someone made (suffixes that read as words).
    const QStringList kept = {"screenVariables.XML.bad", "screenVariables.XML.bad.1", "screenVariables.XML.Ab1dEf",
                              "screenVariables.XML.AbCdEfG", "notes.txt.AbCdEf", "loggers/SCAN_RF/Logger00.XML",
                              "loggers/SCAN_RF/Other.XML.AbCdEf", "channelPlans/EUROPE.XML.backup",
                              "screenVariables.XML.BACKUP", "screenVariables.XML.Backup"};
    for (const QString& f : leftovers + kept)
        writeText(f, "<SCREEN_VARIABLES><frequen");

    LogCapture log;
    ScreensVariables::getInstance();
    Channelslist::getInstance();
    Loggerlist::getInstance();
    for (const QString& f : leftovers) {
        EXPECT_FALSE(QFileInfo::exists(f)) << f.toStdString();
        EXPECT_TRUE(log.contains("Removed " + f + " left by a save that did not finish")) << f.toStdString();
    }
    for (const QString& f : kept)
        EXPECT_TRUE(QFileInfo::exists(f)) << f.toStdString();
    // One write bracket per folder that held any.
    const std::vector<std::string> bracket = remountBrackets();
    std::vector<std::string> brackets = bracket;
    brackets.insert(brackets.end(), bracket.begin(), bracket.end());
    brackets.insert(brackets.end(), bracket.begin(), bracket.end());
    EXPECT_EQ(commands(board.board()), brackets);
}

TEST(StoreFiles, OverlappingWriteBracketsShareOneReadWritePeriod)
{
    ScopedBoard board;
    // A second thread's whole save falls inside the first's bracket: the root goes back to
    // read-only only when the last one leaves, never under the other's write.
    storefile::enterWritableRoot();
    std::thread other([] { storefile::withWritableRoot([] { return storefile::withWritableRoot([] { return true; }); }); });
    other.join();
    EXPECT_EQ(commands(board.board()), std::vector<std::string>{"mount -o remount,rw /"});
    storefile::leaveWritableRoot();
    storefile::leaveWritableRoot(); // an unmatched leave changes nothing
    EXPECT_EQ(commands(board.board()), remountBrackets());
}
