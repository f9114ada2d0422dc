// The settings file: every value type survives the file, every write sits inside the
// root file system's remount brackets, and a bad or missing file never costs the user
// what they had.
#include "SimBoardFixture.h"
#include "StoreTestSupport.h"

#include "store/screensvariables.h"
#include "store/storefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

using namespace storetest;
using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
const QString kFile = "screenVariables.XML";

QVariantMap dataFileValues()
{
    QVariantMap values;
    const QDomElement root = rootOf(ScopedWorkDir::sourcePath("data/screenVariables.XML"));
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.tagName() != "CHANNEL_VARIABLES")
            values.insert(e.tagName(), e.attribute("type") + ":" + e.text());
    return values;
}
} // namespace

TEST(ScreensVariablesFile, EveryValueTypeRoundTripsExactly)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    QCoreApplication::setApplicationName("CABLE VARNOK");
    board.clock().setWallTimeUs(1761912000LL * 1000000); // 2025-10-31 12:00 UTC
    ScreensVariables* sv = ScreensVariables::getInstance();

    const QVariantMap written{
        {"an_int", -7},
        {"int_limit", INT_MIN},
        {"a_uint", 4000000000u},
        {"a_double", 0.1},
        {"tiny", -1e-300},
        {"a_bool", true},
        {"off", false},
        {"markup", "<a & b> \"q\" 'x' ]]>"},
        {"units", QString::fromUtf8("dBµV → dBμV")},
        {"empty", QString()},
        {"lines", "a\r\nb\tc\n"},
        {"bad key", "kept"},
        {"VALUE", 3},
    };
    sv->setScreensVariables(written);

    const QString text = readText(kFile);
    EXPECT_TRUE(text.contains("<a_uint type=\"uint\">4000000000</a_uint>")) << text.toStdString();
    EXPECT_TRUE(text.contains("<int_limit type=\"int\">-2147483648</int_limit>"));
    EXPECT_TRUE(text.contains("<a_double type=\"double\">0.1</a_double>"));
    EXPECT_TRUE(text.contains("<tiny type=\"double\">-1e-300</tiny>"));
    EXPECT_TRUE(text.contains("<a_bool type=\"bool\">true</a_bool>"));
    EXPECT_TRUE(text.contains("<markup type=\"QString\">&lt;a &amp; b&gt;"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("<units type=\"QString\">dBµV → dBμV</units>")));
    EXPECT_TRUE(text.contains("<VALUE name=\"bad key\" type=\"QString\">kept</VALUE>"));
    EXPECT_TRUE(text.contains("<VALUE name=\"VALUE\" type=\"int\">3</VALUE>"));

    const QDomElement root = rootOf(kFile);
    EXPECT_EQ(root.tagName(), "SCREEN_VARIABLES");
    EXPECT_EQ(root.attribute("equipment"), "CABLE VARNOK");
    EXPECT_EQ(root.attribute("date"),
              QDateTime::fromMSecsSinceEpoch(1761912000LL * 1000).toString(Qt::ISODate));
    // The channel selection comes after every key.
    EXPECT_EQ(root.lastChildElement().tagName(), "CHANNEL_VARIABLES");
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        EXPECT_TRUE(e.hasAttribute("type") || e.tagName() == "CHANNEL_VARIABLES") << e.tagName().toStdString();

    sv->setValue("an_int", 99);
    ASSERT_TRUE(sv->carregaVariables());
    const QVariantMap read = sv->getScreensVariables();
    ASSERT_EQ(read.keys(), written.keys());
    for (auto it = written.constBegin(); it != written.constEnd(); ++it) {
        EXPECT_EQ(read.value(it.key()), it.value()) << it.key().toStdString();
        EXPECT_EQ(read.value(it.key()).type(), it.value().type()) << it.key().toStdString();
    }
}

TEST(ScreensVariablesFile, TextsThatXmlCannotHoldDoNotSpoilTheFile)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    ScreensVariables* sv = ScreensVariables::getInstance();
    sv->setScreensVariables({{"name", QString("ab") + QChar(0x01) + "c" + QChar(0xD800)}, {"a", 1}});

    ASSERT_TRUE(sv->carregaVariables());
    EXPECT_EQ(sv->getScreensVariables().value("name").toString(), "abc");
    EXPECT_EQ(sv->getScreensVariables().value("a").toInt(), 1);
    EXPECT_TRUE(log.contains("Characters that XML cannot hold"));
}

TEST(ScreensVariablesFile, ASettingNamedLikeTheFilesOwnSectionSurvivesASaveBesideIt)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ScreensVariables* sv = ScreensVariables::getInstance();
    sv->setChannelIndexes({2, 5, 1, 3});
    sv->setScreensVariables({{"CHANNEL_VARIABLES", 7}, {"VALUE", "v"}, {"a", 1}});
    ASSERT_TRUE(sv->carregaVariables());
    EXPECT_EQ(sv->getScreensVariables(), (QVariantMap{{"CHANNEL_VARIABLES", 7}, {"VALUE", "v"}, {"a", 1}}));
    EXPECT_EQ(sv->channelIndexes(), (ScreensVariables::ChannelIndexes{2, 5, 1, 3}));
    EXPECT_TRUE(readText(kFile).contains("<VALUE name=\"CHANNEL_VARIABLES\" type=\"int\">7</VALUE>"));
}

TEST(ScreensVariablesFile, EveryWriteIsInsideTheRemountBracketsInOrder)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeText(kFile, "<SCREEN_VARIABLES><screen type=\"QString\">OLD</screen></SCREEN_VARIABLES>");
    ScreensVariables* sv = ScreensVariables::getInstance();
    ASSERT_EQ(sv->getScreensVariables().value("screen").toString(), "OLD");

    // What the file holds when each command runs tells where the write happened.
    QStringList seen;
    board->shell().addResponder([&](const std::string& line, std::string*, int*) {
        seen.append(QString::fromStdString(line) + " @ " + (readText(kFile).contains("NEW") ? "new" : "old"));
        return false;
    });
    QVariantMap map = sv->getScreensVariables();
    map["screen"] = "NEW";
    sv->setScreensVariables(map);
    EXPECT_EQ(seen, QStringList({"mount -o remount,rw / @ old", "sync @ new", "mount -o remount,ro / @ new"}));

    seen.clear();
    sv->guardaVariables();
    EXPECT_EQ(seen.size(), 3);
    EXPECT_EQ(commands(board.board()).size(), 6u);
}

TEST(ScreensVariablesFile, ASaveReplacesTheFileInsteadOfRewritingIt)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeText(kFile, "<SCREEN_VARIABLES><screen type=\"QString\">OLD</screen></SCREEN_VARIABLES>");
    // A second name for the old file sees it change only if the save writes into it.
    ASSERT_EQ(::link("screenVariables.XML", "old-link"), 0);
    ScreensVariables* sv = ScreensVariables::getInstance();
    sv->setValue("screen", "NEW");
    sv->guardaVariables();
    EXPECT_TRUE(readText(kFile).contains("NEW"));
    EXPECT_EQ(readText("old-link"), "<SCREEN_VARIABLES><screen type=\"QString\">OLD</screen></SCREEN_VARIABLES>");
    EXPECT_EQ(QDir(".").entryList(QDir::Files, QDir::Name), QStringList({"old-link", kFile}));
}

TEST(ScreensVariablesMap, SetScreensVariablesSavesRestartsPowerOffAndKeepsTheFileTypes)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("screenVariables.XML"));
    ScreensVariables* sv = ScreensVariables::getInstance();
    int powerOff = -1;
    int powerOffSignals = 0;
    int changes = 0;
    QObject::connect(sv, &ScreensVariables::autoPowerOffChanged, [&](int s) { powerOff = s, ++powerOffSignals; });
    QObject::connect(sv, &ScreensVariables::screensVariablesChanged, [&] { ++changes; });

    // QML hands numbers back as int or double, whatever the key held.
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
    EXPECT_TRUE(text.contains("<frequency type=\"uint\">2500000000</frequency>")) << text.toStdString();
    EXPECT_TRUE(text.contains("<span type=\"uint\">20000000</span>"));
    EXPECT_TRUE(text.contains("<scan_threshold_min type=\"int\">45</scan_threshold_min>"));
    EXPECT_TRUE(text.contains("<frecuencia_habilitada type=\"bool\">false</frecuencia_habilitada>"));
    EXPECT_TRUE(text.contains("<serial_number type=\"QString\">1234</serial_number>"));
    EXPECT_TRUE(text.contains("<new_key type=\"int\">7</new_key>"));
    // Nothing is rounded away to keep a type.
    EXPECT_TRUE(text.contains("<reference_level type=\"double\">10.5</reference_level>"));
    EXPECT_EQ(sv->getScreensVariablesFrequency(), 2500000000u);

    // The same map again: no change, but the file is saved and the power-off restarted.
    board->shell().clear();
    sv->setScreensVariables(sv->getScreensVariables());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(powerOffSignals, 2);
    EXPECT_EQ(commands(board.board()), remountBrackets());

    // A map without the key restarts the power-off with 0 (disabled).
    sv->setScreensVariables({{"screen", "EXIT"}});
    EXPECT_EQ(powerOff, 0);
    EXPECT_EQ(sv->getScreensVariables().keys(), QStringList({"screen"}));
}

TEST(ScreensVariablesMap, MissingOrNonNumericKeysReadAsZeroOrEmpty)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeText(kFile, "<SCREEN_VARIABLES><hardware_model type=\"QString\">abc</hardware_model></SCREEN_VARIABLES>");
    ScreensVariables* sv = ScreensVariables::getInstance();
    EXPECT_EQ(sv->getModelHardware(), 0);
    EXPECT_EQ(sv->getScreensVariablesFrequency(), 0u);
    EXPECT_EQ(sv->getScreensVariablesSerialNumber(), QString());
    sv->setValue("hardware_model", 3);
    EXPECT_EQ(sv->getModelHardware(), 3);
}

TEST(ScreensVariablesMap, SerialNumberAndModemMacAreHeldUntilTheNextSave)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("screenVariables.XML"));
    const QByteArray before = readBytes(kFile);
    ScreensVariables* sv = ScreensVariables::getInstance();
    sv->setScreensVariablesSerialNumber("AB1234");
    sv->setCM_MAC("00-11-22-33-44-55");
    EXPECT_EQ(sv->getScreensVariablesSerialNumber(), "AB1234");
    EXPECT_EQ(sv->getScreensVariables().value("cm_MAC").toString(), "00-11-22-33-44-55");
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_EQ(readBytes(kFile), before);

    sv->guardaVariables();
    EXPECT_TRUE(readText(kFile).contains("<serial_number type=\"QString\">AB1234</serial_number>"));
    EXPECT_TRUE(readText(kFile).contains("<cm_MAC type=\"QString\">00-11-22-33-44-55</cm_MAC>"));
}

TEST(ScreensVariablesMap, HeldSavesWriteOnceAtTheReleaseWithTheLatestValues)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("screenVariables.XML"));
    const QByteArray before = readBytes(kFile);
    ScreensVariables* sv = ScreensVariables::getInstance();
    int powerOffSignals = 0;
    QObject::connect(sv, &ScreensVariables::autoPowerOffChanged, [&](int) { ++powerOffSignals; });

    // While held, the map and its signals go on; the file and the remount wait.
    sv->holdSaves();
    QVariantMap map = sv->getScreensVariables();
    map["screen"] = "FIRST";
    sv->setScreensVariables(map);
    map["screen"] = "SECOND";
    sv->setScreensVariables(map);
    sv->guardaVariables();
    EXPECT_EQ(sv->getScreensVariables().value("screen").toString(), "SECOND");
    EXPECT_EQ(powerOffSignals, 2);
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_EQ(readBytes(kFile), before);

    sv->releaseSaves();
    EXPECT_EQ(commands(board.board()), remountBrackets());
    EXPECT_TRUE(readText(kFile).contains("<screen type=\"QString\">SECOND</screen>"));

    // Released, saves are immediate again; a release with no save due writes nothing.
    board->shell().clear();
    sv->releaseSaves();
    sv->holdSaves();
    sv->releaseSaves();
    EXPECT_TRUE(commands(board.board()).empty());
    sv->guardaVariables();
    EXPECT_EQ(commands(board.board()), remountBrackets());
}

TEST(ScreensVariablesFile, AMalformedFileGivesTheDefaultsAndIsKeptAside)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    const QByteArray torn = "<?xml version=\"1.0\"?>\n<SCREEN_VARIABLES>\n    <frequency type=\"uint\">47400";
    writeText(kFile, torn);
    ScreensVariables* sv = ScreensVariables::getInstance();

    EXPECT_EQ(sv->getScreensVariables().value("screen").toString(), "MAIN_MENU");
    EXPECT_EQ(sv->getModelHardware(), 3);
    EXPECT_TRUE(log.contains("screenVariables.XML is not valid XML")) << log.lines().join("\n").toStdString();
    EXPECT_TRUE(log.contains("kept as screenVariables.XML.bad"));
    EXPECT_EQ(readBytes("screenVariables.XML.bad"), torn);
    EXPECT_FALSE(QFileInfo::exists(kFile));
    EXPECT_EQ(commands(board.board()), remountBrackets());

    // Saving writes a fresh file and leaves the kept one alone.
    sv->guardaVariables();
    EXPECT_TRUE(readText(kFile).contains("MAIN_MENU"));
    EXPECT_EQ(readBytes("screenVariables.XML.bad"), torn);

    // An empty file (a save cut short by the old firmware) is bad too; the first kept
    // file is not overwritten.
    writeText(kFile, "");
    EXPECT_FALSE(sv->carregaVariables());
    EXPECT_EQ(readBytes("screenVariables.XML.bad"), torn);
    EXPECT_TRUE(QFileInfo::exists("screenVariables.XML.bad.1"));
}

TEST(ScreensVariablesFile, AMissingFileGivesTheDefaultSettingsFile)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    ScreensVariables* sv = ScreensVariables::getInstance();
    EXPECT_TRUE(log.contains("screenVariables.XML does not exist"));
    EXPECT_TRUE(commands(board.board()).empty());

    QVariantMap asRead;
    const QVariantMap values = sv->getScreensVariables();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        asRead.insert(it.key(), storefile::typeName(it.value()) + ":" + storefile::valueText(it.value()));
    EXPECT_EQ(asRead, dataFileValues());
}

TEST(DefaultSettingsFile, HoldsTheKeysTheSubsystemsReadWithTheirTypes)
{
    const QVariantMap values = dataFileValues();
    EXPECT_GE(values.size(), 60);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const QString type = it.value().toString().section(':', 0, 0);
        EXPECT_TRUE(QStringList({"int", "uint", "double", "bool", "QString"}).contains(type)) << it.key().toStdString();
    }
    const QVariantMap expected{
        {"screen", "QString:MAIN_MENU"},
        {"circuit", "QString:CABLE_RF"},
        {"hardware_model", "int:3"},
        {"current_units", QString::fromUtf8("QString:dB\u03bcV")},
        {"autoPowerOff", "int:0"},
        {"cable_modem_ofdm_ds", "int:0"},
        {"up_test_mode", "int:0"},
        {"frecuencia_habilitada", "bool:true"},
    };
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        EXPECT_EQ(values.value(it.key()), it.value()) << it.key().toStdString();
    for (const char* key : {"frequency", "span", "ctb_frequency", "up_test_start", "up_test_stop", "up_test_freq_fix"})
        EXPECT_TRUE(values.value(key).toString().startsWith("uint:")) << key;
    for (const char* key : {"language", "serial_number", "software_version", "logger_type", "scan_system_selected"})
        EXPECT_TRUE(values.value(key).toString().startsWith("QString:")) << key;
    for (const char* key : {"logger_measure_BER", "logger_measure_accuracy", "scan_auto_system", "cable_modem_ATT"})
        EXPECT_TRUE(values.value(key).toString().startsWith("bool:")) << key;
}
