// The start-up on the simulated board, without windows on screen: its steps in the order
// the subsystems need, the published names, the splash progress, the registered types,
// and the restart code.
#include "BadXml.h"
#include "FrameHarness.h"
#include "SimBoardFixture.h"

#include "DefaultBoard.h"
#include "periodicfunctions.h"
#include "qtquick2applicationviewer.h"
#include "software.h"
#include "startup.h"

#include "remote/remoteRequests.h"
#include "remote/socketCalibrate.h"
#include "store/screensvariables.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;
using testsupport::unitBoard;

namespace {
// Without windows, and on a free port: a running instrument keeps its own.
StartUp::Options headless() { return StartUp::Options{false, 0}; }

const QStringList kContextNames = {"translator", "periodicFunctions", "variables", "shot",
                                   "networkInterface", "channels", "software", "appVariables",
                                   "measuresSpectrum", "measuresIQ", "measuresCM", "loggers", "wr_file"};

struct StartUpTest : ::testing::Test {
    ScopedBoard board{unitBoard()};
    ScopedWorkDir dir;
    void SetUp() override
    {
        board.hostEngineThreads(); // start-up creates the measurement engine
        ASSERT_TRUE(dir.seedFromData("calibracion"));
        StartUp::setApplicationIdentity();
    }
};
} // namespace

TEST_F(StartUpTest, StepsRunInTheOrderTheSubsystemsNeed)
{
    LogCapture log;
    StartUp startUp(headless());
    startUp.run();
    const QStringList steps = startUp.steps();
    const QStringList before = {"textFile", "hardware", "hardwareModel", "periodicFunctions", "splash", "font",
                                "style", "translator", "screenshot", "remoteServer", "cursor", "keyBeep",
                                "timers", "progress 0.1", "qmlTypes", "progress 0.3"};
    ASSERT_GE(steps.size(), before.size());
    EXPECT_EQ(steps.mid(0, before.size()), before);
    EXPECT_EQ(steps.mid(steps.size() - 2), QStringList({"closeSplash", "mainView"}));
    EXPECT_EQ(startUp.splashProgress(), QList<double>({0.1, 0.3, 0.4, 0.6, 0.8, 1.0}));
    // The fixed synthesizer's 24-bit latches: R counter, control, then, after its power-up
    // pause, the N counter that starts the loop.
    std::vector<platform::sim::Transaction> latches;
    for (const auto& t : board->log().entries("spi"))
        if (t.device == "/dev/spidev4.0" && t.bytes.size() == 3)
            latches.push_back(t);
    ASSERT_EQ(latches.size(), 3u);
    EXPECT_EQ(latches[2].bytes, (std::vector<uint8_t>{0x00, 0x64, 0x02}));
    EXPECT_GE(latches[2].timeUs - latches[1].timeUs, 10000u);
    // The splash of the compact models and of the others, both in the resources.
    EXPECT_NE(StartUp::splashImage(1), StartUp::splashImage(2));
    for (int model : {0, 1, 2, 3}) {
        EXPECT_EQ(StartUp::splashImage(model), StartUp::splashImage(model < 2 ? 0 : 3)) << model;
        EXPECT_FALSE(QImage(StartUp::splashImage(model).replace("qrc:///", ":/")).isNull()) << model;
    }

    // Every published name is one of the thirteen, in their order, before the screens load.
    const QStringList published = startUp.publishedNames();
    int last = -1;
    for (const QString& name : published) {
        const int at = kContextNames.indexOf(name);
        EXPECT_GT(at, last) << name.toStdString();
        last = at;
        EXPECT_LT(steps.indexOf("context " + name), steps.indexOf("mainView"));
    }
    for (const char* own : {"translator", "periodicFunctions", "variables", "shot", "networkInterface", "software",
                            "appVariables", "measuresSpectrum", "measuresIQ", "wr_file"})
        EXPECT_TRUE(published.contains(own)) << own;
    for (const QString& name : published)
        EXPECT_TRUE(startUp.mainView()->rootContext()->contextProperty(name).isValid()) << name.toStdString();

    QQuickItem* root = startUp.mainView()->rootObject();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->property("date_compilation").toString() + " " + root->property("currentScreen").toString(),
              "2025-10-31 MAIN_MENU");
    // Without a window there is no first frame to wait for: the first screen is saved at once.
    const std::vector<std::string> lines = board->shell().commandLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "sync"), 1);
    // The simulated unit runs on mains with a charged pack.
    QObject* battery = root->findChild<QObject*>("battery");
    ASSERT_NE(battery, nullptr);
    EXPECT_EQ(battery->property("text").toString(), "AC BAT 90%");
    EXPECT_NE(battery->property("color").value<QColor>(), QColor("red"));
    EXPECT_EQ(ScreensVariables::getInstance()->getModelHardware(), 3);
    EXPECT_EQ(QGuiApplication::font().family(), "DejaVu Sans");
    for (const platform::sim::Transaction& t : board->log().entries())
        EXPECT_FALSE(t.failed) << platform::sim::TransactionLog::describe(t);
    EXPECT_EQ(Software::getInstance()->getEquipmentName(), "CABLE VARNOK"); // the shipped file
    EXPECT_TRUE(startUp.remoteServer()->isListening());
    EXPECT_NE(startUp.remoteServer()->serverPort(), 1234);
    EXPECT_FALSE(log.contains("Remote control is OFF"));
    for (const QString& line : log.lines())
        EXPECT_FALSE(line.contains("qrc:/")) << line.toStdString();
}

TEST_F(StartUpTest, ATakenRemotePortIsReportedAndTheInstrumentRunsOn)
{
    EXPECT_EQ(StartUp::Options().remotePort, 1234);
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::Any, 0));
    LogCapture log;
    StartUp startUp(StartUp::Options{false, other.serverPort()});
    startUp.run();
    EXPECT_FALSE(startUp.remoteServer()->isListening());
    EXPECT_EQ(log.count(QStringLiteral("Remote control is OFF: TCP port %1 is taken").arg(other.serverPort())), 1);
    ASSERT_NE(startUp.mainView()->rootObject(), nullptr);
    EXPECT_EQ(startUp.mainView()->rootObject()->property("currentScreen").toString(), "MAIN_MENU");
}

TEST_F(StartUpTest, RegisteredTypesAreUsableFromQml)
{
    StartUp startUp(headless());
    startUp.run();
    QQmlEngine* engine = startUp.mainView()->engine();
    QQmlComponent c(engine);
    c.setData("import QtQuick 2.15\nimport ScreenShot 1.0\nimport Launcher 1.0\nimport MyQMLEnums 13.37\n"
              "Item { property int selected: Style.BOTON_SELECTED\n"
              "  property var shot: ScreenShot {}\n  property var launcher: Launcher {}\n"
              "  property string answer: launcher.launch('uname -r') }\n",
              QUrl("qrc:///qml/code/TypesProbe.qml"));
    std::unique_ptr<QObject> probe(c.create());
    ASSERT_TRUE(probe) << c.errorString().toStdString();
    EXPECT_EQ(probe->property("selected").toInt(), 1);
    EXPECT_EQ(probe->property("answer").toString(), "5.4.0-sim\n");
}

TEST_F(StartUpTest, RestartCodeRunsTheRestartScriptOtherCodesOnlyEnd)
{
    StartUp startUp(headless());
    startUp.run();
    board->shell().clear();
    EXPECT_FALSE(startUp.finish(0));
    EXPECT_TRUE(board->shell().commandLines().empty());
    EXPECT_TRUE(startUp.finish(1337));
    EXPECT_EQ(board->shell().commandLines(), std::vector<std::string>{"/root/llamada_aplicacion.sh &"});
    EXPECT_TRUE(board->shell().commands()[0].viaShell);
}

TEST_F(StartUpTest, RemoteRequestsReachTheScreensAndARestartEndsTheLoopWithItsCode)
{
    StartUp startUp(headless());
    startUp.run();
    PeriodicFunctions* periodic = PeriodicFunctions::getInstance();
    RemoteRequests* requests = RemoteRequests::getInstance();
    QSignalSpy home(periodic, &PeriodicFunctions::menuButtoPush);
    QSignalSpy test(periodic, &PeriodicFunctions::testScreen);
    QSignalSpy photo(periodic, &PeriodicFunctions::takeFoto);
    emit requests->goToHome();
    emit requests->goToTestScreen();
    emit requests->takePhoto();
    EXPECT_EQ(std::vector<int>({home.count(), test.count(), photo.count()}), std::vector<int>({1, 1, 1}));
    // The application's loop ends with the code (a loop of the test's stands in for it).
    QEventLoop loop;
    QTimer::singleShot(0, requests, [requests] { emit requests->restartApplication(1337); });
    EXPECT_EQ(loop.exec(), 1337);
}

// The main menu shows the instrument's serial number, the one the remote control reads and
// sets, as soon as it is set; the shipped files give the unit one number.
TEST_F(StartUpTest, TheMainMenuShowsTheSerialNumberTheRemoteControlSets)
{
    StartUp startUp(headless());
    startUp.run();
    const auto shown = [&] {
        for (QQuickItem* item : startUp.mainView()->rootObject()->findChildren<QQuickItem*>())
            if (item->inherits("QQuickText") && item->property("text").toString().contains("S/N"))
                return item->property("text").toString();
        return QString();
    };
    const QString shipped = ScreensVariables::getInstance()->getScreensVariablesSerialNumber();
    EXPECT_EQ(shipped, "VK26000123"); // the calibration file's
    EXPECT_EQ(Software::readFile(Software::filePath()).value("serial_number"), shipped);
    QFile defaults(ScreensVariables::defaultsFileName());
    ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
    EXPECT_TRUE(defaults.readAll().contains("<serial_number type=\"QString\">" + shipped.toLatin1() + "</"));
    EXPECT_EQ(shown(), "CABLE VARNOK   S/N " + shipped);

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, startUp.remoteServer()->serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.state() == QAbstractSocket::ConnectedState; }));
    peer.write("*SERIAL SERIALNUMBER=AB1234\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown().endsWith("AB1234"); }));
    EXPECT_EQ(shown(), "CABLE VARNOK   S/N AB1234");
}

TEST_F(StartUpTest, StoredLanguageIsInstalled)
{
    ScreensVariables::getInstance()->setValue("language", "es");
    StartUp startUp(headless());
    startUp.run();
    EXPECT_EQ(startUp.mainView()->rootContext()->contextProperty("translator").value<QObject*>()->property("language"),
              "es");
    EXPECT_EQ(QCoreApplication::translate("screens", "MAIN MENU"), QString::fromUtf8("MENÚ PRINCIPAL"));
}

TEST_F(StartUpTest, StartsWithEveryFileItReadsNestedTwentyFiveThousandLevelsDeep)
{
    // The factory's files are said to be damaged and stay; the files the instrument saves go
    // aside, so that no save writes over them; defaults stand in for all. (A damaged CAL_0.XML
    // keeps the optical file from being read at all.)
    const struct {
        const char* path;
        const char* root;
        bool keptAside;
    } files[] = {
        {"screenVariables.XML", "SCREEN_VARIABLES", true},
        {"channelPlans/EUROPE.XML", "CHANNEL_PLAN", true},
        {"calibracion/CAL_0.XML", "CALIBRATION", false},
        {"calibracion/SOFTWARE.XML", "SOFTWARE", false},
    };
    QDir().mkpath("channelPlans");
    for (const auto& f : files) {
        QFile file(f.path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(testsupport::deeplyNested(f.root));
    }
    LogCapture log;
    StartUp startUp(headless());
    startUp.run();
    EXPECT_EQ(startUp.steps().last(), "mainView");
    EXPECT_EQ(log.count("nests elements deeper than 32 levels"), 4) << log.lines().join("\n").toStdString();
    for (const auto& f : files) {
        SCOPED_TRACE(f.path);
        const QString path = f.path;
        EXPECT_TRUE(log.contains(path + " nests elements deeper than 32 levels (line 2) - "));
        QFile kept(f.keptAside ? path + ".bad" : path);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), testsupport::deeplyNested(f.root));
    }
    EXPECT_EQ(ScreensVariables::getInstance()->getScreensVariables().value("screen"), "MAIN_MENU");
}
