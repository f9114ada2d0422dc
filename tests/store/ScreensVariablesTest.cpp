// The settings file: every value type survives the file, every write sits inside the
// root file system's remount brackets, and a bad or missing file never costs the user
// what they had.
#include "StoreTestSupport.h"

#include "store/screensvariables.h"
#include "store/storefile.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

using namespace storetest;

namespace {
const QString kFile = "screenVariables.XML";
} // namespace

TEST(ScreensVariablesFile, EveryValueTypeRoundTripsExactlyAndASaveReplacesTheFile)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    QCoreApplication::setApplicationName("CABLE VARNOK");
    board.clock().setWallTimeUs(1761912000LL * 1000000); // 2025-10-31 12:00 UTC
    ScreensVariables* sv = ScreensVariables::getInstance();
    QVariantMap written{
        {"an_int", -7},       {"int_limit", INT_MIN},     {"a_uint", 4000000000u},
        {"a_double", 0.1},    {"tiny", -1e-300},          {"a_bool", true},
        {"off", false},       {"markup", "<a & b> \"q\" 'x' ]]>"},
        {"units", QString::fromUtf8("dBµV → dBμV")},      {"empty", QString()},
        {"lines", "a\r\nb\tc\n"},                         {"bad key", "kept"},
        {"VALUE", 3},         {"CHANNEL_VARIABLES", 7},   // named like the file's own section
        {"unsafe", QString("ab") + QChar(0x01) + "c" + QChar(0xD800)},
    };
    sv->setChannelIndexes({2, 5, 1, 3});
    sv->setScreensVariables(written);

    const QString text = readText(kFile);
    for (const char* element :
         {"<a_uint type=\"uint\">4000000000</a_uint>", "<int_limit type=\"int\">-2147483648</int_limit>",
          "<a_double type=\"double\">0.1</a_double>", "<tiny type=\"double\">-1e-300</tiny>",
          "<a_bool type=\"bool\">true</a_bool>", "<markup type=\"QString\">&lt;a &amp; b&gt;",
          "<units type=\"QString\">dBµV → dBμV</units>", "<VALUE name=\"bad key\" type=\"QString\">kept</VALUE>",
          "<VALUE name=\"VALUE\" type=\"int\">3</VALUE>", "<VALUE name=\"CHANNEL_VARIABLES\" type=\"int\">7</VALUE>"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(element))) << element << "\n" << text.toStdString();
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SCREEN_VARIABLES "
                                "date=\"2025-10-31T12:00:00\" equipment=\"CABLE VARNOK\">\n"));
    // The channel selection comes after every key.
    EXPECT_EQ(rootOf(kFile).lastChildElement().tagName(), "CHANNEL_VARIABLES");

    sv->setValue("an_int", 99);
    ASSERT_TRUE(sv->carregaVariables());
    written["unsafe"] = "abc"; // what XML cannot hold is left out
    const QVariantMap read = sv->getScreensVariables();
    ASSERT_EQ(read.keys(), written.keys());
    for (auto it = written.constBegin(); it != written.constEnd(); ++it) {
        EXPECT_EQ(read.value(it.key()), it.value()) << it.key().toStdString();
        EXPECT_EQ(read.value(it.key()).type(), it.value().type()) << it.key().toStdString();
    }
    EXPECT_EQ(sv->channelIndexes(), (ScreensVariables::ChannelIndexes{2, 5, 1, 3}));

    // A save replaces the file inside the remount brackets: a second name for the old file
    // sees it change only if the save writes into it, and what the file holds when each
    // command runs tells where the write happened.
    ASSERT_EQ(::link("screenVariables.XML", "old-link"), 0);
    const QByteArray old = readBytes(kFile);
    QStringList seen;
    board->shell().addResponder([&](const std::string& line, std::string*, int*) {
        seen.append(QString::fromStdString(line) + " @ " + (readText(kFile).contains("NEW") ? "new" : "old"));
        return false;
    });
    sv->setValue("screen", "NEW");
    sv->guardaVariables();
    EXPECT_EQ(seen, QStringList({"mount -o remount,rw / @ old", "sync @ new", "mount -o remount,ro / @ new"}));
    EXPECT_EQ(readBytes("old-link"), old);
    EXPECT_EQ(QDir(".").entryList(QDir::Files, QDir::Name), QStringList({"old-link", kFile}));
}

TEST(ScreensVariablesMap, SetScreensVariablesSavesRestartsPowerOffKeepsTheFileTypesAndHeldSavesWait)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("screenVariables.XML"));
    ScreensVariables* sv = ScreensVariables::getInstance();
    int powerOff = -1, powerOffSignals = 0, changes = 0;
    QObject context;
    QObject::connect(sv, &ScreensVariables::autoPowerOffChanged, &context, [&](int s) { powerOff = s, ++powerOffSignals; });
    QObject::connect(sv, &ScreensVariables::screensVariablesChanged, &context, [&] { ++changes; });

    // QML hands numbers back as int or double, whatever the key held; nothing is rounded away
    // to keep a type.
    QVariantMap map = sv->getScreensVariables();
    map["autoPowerOff"] = 600;
    map["frequency"] = 2500000000.0;
    map["span"] = 20000000;
    map["scan_threshold_min"] = 45.0;
    map["reference_level"] = 10.5;
    map["frecuencia_habilitada"] = 0;
    map["serial_number"] = 1234;
    map["new_key"] = 7;
    sv->setScreensVariables(map);
    EXPECT_EQ(powerOff, 600);
    EXPECT_EQ(changes, 1);
    const QString text = readText(kFile);
    for (const char* element :
         {"<frequency type=\"uint\">2500000000</frequency>", "<span type=\"uint\">20000000</span>",
          "<scan_threshold_min type=\"int\">45</scan_threshold_min>", "<reference_level type=\"double\">10.5</reference_level>",
          "<frecuencia_habilitada type=\"bool\">false</frecuencia_habilitada>",
          "<serial_number type=\"QString\">1234</serial_number>", "<new_key type=\"int\">7</new_key>"})
        EXPECT_TRUE(text.contains(element)) << element;

    // The same map again: no change, but the file is saved and the power-off restarted.
    board->shell().clear();
    sv->setScreensVariables(sv->getScreensVariables());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(powerOffSignals, 2);
    EXPECT_EQ(commands(board.board()), remountBrackets());
    // A map without the key restarts the power-off with 0 (disabled).
    sv->setScreensVariables({{"screen", "EXIT"}});
    EXPECT_EQ(powerOff, 0);

    // The serial number and modem address wait for the next save; while saves are held, the
    // map and its signals go on and the file and the remount wait; one save at the release.
    board->shell().clear();
    const QByteArray before = readBytes(kFile);
    sv->setScreensVariablesSerialNumber("AB1234");
    sv->setCM_MAC("00-11-22-33-44-55");
    sv->holdSaves();
    map = sv->getScreensVariables();
    for (const char* screen : {"FIRST", "SECOND"}) {
        map["screen"] = screen;
        sv->setScreensVariables(map);
    }
    sv->guardaVariables();
    EXPECT_EQ(powerOffSignals, 5);
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_EQ(readBytes(kFile), before);
    sv->releaseSaves();
    EXPECT_EQ(commands(board.board()), remountBrackets());
    EXPECT_EQ(readText(kFile).count(QRegularExpression("<screen type=\"QString\">SECOND</screen>|"
                                                       "<serial_number type=\"QString\">AB1234</serial_number>|"
                                                       "<cm_MAC type=\"QString\">00-11-22-33-44-55</cm_MAC>")),
              3);
    // Released, saves are immediate again; a release with no save due writes nothing.
    board->shell().clear();
    sv->releaseSaves();
    sv->holdSaves();
    sv->releaseSaves();
    EXPECT_TRUE(commands(board.board()).empty());
    sv->guardaVariables();
    EXPECT_EQ(commands(board.board()), remountBrackets());
}

TEST(ScreensVariablesFile, AMissingFileGivesTheDefaultSettingsFile)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    ScreensVariables* sv = ScreensVariables::getInstance();
    EXPECT_TRUE(log.contains("screenVariables.XML does not exist"));
    EXPECT_TRUE(commands(board.board()).empty());

    // The defaults are the shipped file's values with their types.
    QVariantMap asRead, shipped;
    const QVariantMap values = sv->getScreensVariables();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        asRead.insert(it.key(), storefile::typeName(it.value()) + ":" + storefile::valueText(it.value()));
    const QDomElement root = rootOf(ScopedWorkDir::sourcePath("data/screenVariables.XML"));
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.tagName() != "CHANNEL_VARIABLES")
            shipped.insert(e.tagName(), e.attribute("type") + ":" + e.text());
    EXPECT_EQ(asRead, shipped);
}
