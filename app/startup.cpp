#include "startup.h"

#include "networkinterface.h"
#include "periodicfunctions.h"
#include "qtquick2applicationviewer.h"
#include "screenshot.h"
#include "styleclass.h"
#include "translation.h"
#include "wrfile.h"

#include "services/hardware.h"
#include "services/launcher.h"
#include "services/software.h"
#include "engines/mesuraCM.h"
#include "engines/mesuraiq.h"
#include "hw/ADF4350.h"
#include "hw/ADF4360.h"
#include "hw/MAX11337.h"
#include "hw/drvMAX3543.h"
#include "hw/tmp100.h"
#include "platform/Platform.h"
#include "remote/remoteRequests.h"
#include "remote/socketCalibrate.h"
#include "engines/measures.h"
#include "rf/calibrations.h"
#include "rf/frontEndSetup.h"
#include "store/channelslist.h"
#include "store/loggerlist.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDebug>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QResource>
#include <QTimer>

#include <future>

// QT_LOGGING_RULES="varnok.startup.debug=false" silences the start-up's steps.
Q_LOGGING_CATEGORY(startupLog, "varnok.startup")

StartUp::StartUp() : StartUp(Options()) {}

StartUp::StartUp(const Options& options) : options_(options)
{
    // The font system's first use reads the system's whole font configuration and lists its
    // fonts. Asked for here, on a thread of its own, with the screens' font registered once it
    // is ready, that passes beside the start-up's steps up to the main view, the first to draw
    // text (the font system serialises its users, so none of them runs two at a time).
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        projectFont_ = std::async(std::launch::async, [] {
            QGuiApplication::font();
            QFontDatabase().families();
            return registerProjectFont();
        });
}

// A start-up that ends before the main view's first frame leaves no save held.
StartUp::~StartUp() { releaseSaves(); }

void StartUp::setApplicationIdentity()
{
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3").arg(10).arg(2).arg(14));
    QCoreApplication::setOrganizationName(QStringLiteral("KORVEL TEST & MEASUREMENT SLU"));
    QCoreApplication::setApplicationName(QStringLiteral("CABLE VARNOK"));
}

void StartUp::step(const QString& name)
{
    steps_ << name;
    qCDebug(startupLog) << "Start-up:" << name;
}

void StartUp::run()
{
    step("textFile");
    wrFile_ = std::make_unique<WrFile>();
    initHardware();
    prepareViews();
    storeHardwareModel();
    // The channel plan is read beside the splash; its step takes it over.
    Channelslist::readAhead();
    step("periodicFunctions");
    PeriodicFunctions::getInstance();
    showSplash();
    loadFontStyleAndLanguage();
    startServices();

    setProgress(0.1);
    registerQmlTypes();
    setProgress(0.3);
    publishContextProperties();
    // The font, then what is left of the synthesizer's power-up pause (little or nothing by
    // now, the steps since the hardware having passed inside it); its last latch goes out
    // before the screens load and before the event loop lets a remote command reach the front
    // end.
    takeUpProjectFont();
    fixedSynthesizer_->finishInit();

    step("closeSplash");
    splash_->close();
    splash_.reset();
    splashPage_.reset();
    loadMainView();
}

void StartUp::initHardware()
{
    step("hardware");
    // The I2C bus is opened by its first transfer; the front end comes up in the unit's order.
    fixedSynthesizer_ = std::make_unique<ADF4360>();
    // Its power-up pause passes while the start-up goes on; the last latch follows the
    // published objects.
    fixedSynthesizer_->beginInit();
    localOscillator_ = std::make_unique<ADF4350>();
    localOscillator_->programaFreqPilot(0);
    converter_ = std::make_unique<MAX11337>();
    setInitMesuraRF(localOscillator_.get(), converter_.get());
    // The calibration is read beside the start-up; the measurement engine takes it over.
    Calibrations::readAhead();
    max3543_Initialize();
    tmp100_Initialize();
}

void StartUp::storeHardwareModel()
{
    step("hardwareModel");
    ScreensVariables::getInstance()->setValue(QStringLiteral("hardware_model"),
                                              HardwareModel::getInstance()->getModelHardware());
}

QString StartUp::splashImage(int hardwareModel)
{
    const bool compact = hardwareModel == HardwareModel::HW_MODEL_MINI_COMPLETE
        || hardwareModel == HardwareModel::HW_MODEL_MINI_CABLE;
    return compact ? QStringLiteral("qrc:///images/images/splash_mini.png")
                   : QStringLiteral("qrc:///images/images/splash_cable.png");
}

// The splash's page is built, and its view shown, once the engine's loader thread has the
// page compiled (the first page also imports the Qt Quick module); the start-up goes on
// meanwhile instead of waiting for it.
void StartUp::showSplash()
{
    step("splash");
    if (splashPage_->isLoading())
        connect(splashPage_.get(), &QQmlComponent::statusChanged, this, &StartUp::buildSplash);
    else
        buildSplash();
    if (options_.showWindows)
        QCoreApplication::processEvents();
}

void StartUp::buildSplash()
{
    if (!splash_ || splashPage_->isLoading())
        return;
    QObject* page = nullptr;
    if (splashPage_->isReady())
        page = splashPage_->createWithInitialProperties(
            {{QStringLiteral("startImage"), splashImage(HardwareModel::getInstance()->getModelHardware())},
             {QStringLiteral("progress"), progress_.isEmpty() ? 0.0 : progress_.last()}});
    // The view reports the page's errors as warnings.
    splash_->setContent(splashPage_->url(), splashPage_.get(), page);
    if (options_.showWindows)
        splash_->showExpanded();
}

// The QML engine is made once, here, right after the hardware has begun to come up (the
// fixed synthesizer's power-up pause runs from there); the splash and then the main view use
// it. Its loader thread imports the Qt Quick module and compiles the splash, then the main
// view's pages, meanwhile. The two views are made, and the pages asked for, before that
// starts: each needs the QML type registry, which the import holds while it registers the
// module's types.
void StartUp::prepareViews()
{
    engine_ = std::make_unique<QQmlEngine>();
    splash_ = std::make_unique<QtQuick2ApplicationViewer>(engine_.get());
    splash_->setFrameless();
    mainView_ = std::make_unique<QtQuick2ApplicationViewer>(engine_.get());
    splashPage_ = compileAhead(kSplashQml);
    precompiled_.push_back(compileAhead(kMainQml));
    precompiled_.push_back(compileAhead(kHomeQml));
}

// Compiling a view is most of its cost; the engine's loader thread does it beside the steps
// before the view is shown, which then only builds its objects. The screens' own QML types
// are registered later: these pages import none of them.
std::unique_ptr<QQmlComponent> StartUp::compileAhead(const char* page)
{
    return std::make_unique<QQmlComponent>(engine_.get(), QUrl(QString::fromLatin1(page)),
                                           QQmlComponent::Asynchronous);
}

void StartUp::setProgress(double progress)
{
    step(QStringLiteral("progress %1").arg(progress));
    progress_ << progress;
    if (QQuickItem* root = splash_->rootObject())
        root->setProperty("progress", progress);
    // The splash repaints; a remote peer's connection and commands wait for the event loop,
    // so that none meets a front end before its last latch or makes a native object before
    // its turn.
    if (options_.showWindows)
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

void StartUp::loadFontStyleAndLanguage()
{
    // The font is loaded on the font system's own thread (see the constructor) and taken up
    // before the main view.
    step("font");

    step("style");
    // The screens use Qt Quick Controls 1, whose style is chosen before its first import.
    qputenv("QT_QUICK_CONTROLS_1_STYLE", "Base");

    step("translator");
    translator_ = std::make_unique<Translation>();
    translator_->setEngine(mainView_->engine());
    const QString stored = ScreensVariables::getInstance()->getScreensVariables().value("language").toString();
    if (stored.isEmpty() || !translator_->selectLanguage(stored))
        translator_->selectLanguage(QStringLiteral("en"));
}

void StartUp::startServices()
{
    step("screenshot");
    shot_ = std::make_unique<ScreenShot>();
    shot_->setWindow(mainView_.get());

    step("remoteServer");
    // Lives for the program's lifetime, as the unit's does.
    remoteServer_ = new SocketCalibrate(options_.remotePort, true, nullptr);
    if (!remoteServer_->isListening())
        qCritical().noquote() << QStringLiteral(
                                     "*** Remote control is OFF: TCP port %1 is taken (is another instrument "
                                     "running?). This instrument runs on without remote control. ***")
                                     .arg(options_.remotePort);
    // What remote commands ask of the shell: the screens hear it as from the keys, and a
    // restart ends the event loop with its code.
    RemoteRequests* requests = RemoteRequests::getInstance();
    PeriodicFunctions* periodic = PeriodicFunctions::getInstance();
    QObject::connect(requests, &RemoteRequests::goToHome, periodic, &PeriodicFunctions::enviarSignalBotonHome);
    QObject::connect(requests, &RemoteRequests::goToTestScreen, periodic, &PeriodicFunctions::enviarSignalTestScreen);
    QObject::connect(requests, &RemoteRequests::takePhoto, periodic, &PeriodicFunctions::enviarSignalTakeFoto);
    QObject::connect(requests, &RemoteRequests::restartApplication, periodic, [](int code) { QCoreApplication::exit(code); });

    step("cursor");
#ifdef VARNOK_BOARD_LINUX
    // A touch screen has no pointer to show; on a PC the mouse stands in for the finger.
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
#endif

    step("keyBeep");
    PeriodicFunctions::getInstance()->setKeyBeep(
        ScreensVariables::getInstance()->getScreensVariables().value("key_beep").toBool());

    step("timers");
    PeriodicFunctions::getInstance()->startTimers();
}

void StartUp::registerQmlTypes()
{
    step("qmlTypes");
    registerTypes();
}

namespace {
// The type sizes of the home screen's texts, as its theme gives them (fontSmall,
// fontStatus, fontHeading in bold, fontTitle).
struct HomeScreenType {
    int pixelSize;
    bool bold;
};
constexpr HomeScreenType kHomeScreenTypes[] = {{14, false}, {15, false}, {22, true}, {26, false}};
} // namespace

void StartUp::takeUpProjectFont() { takeUpFont(projectFont_.valid() ? projectFont_.get() : registerProjectFont()); }

void StartUp::useProjectFont() { takeUpFont(registerProjectFont()); }

QStringList StartUp::registerProjectFont()
{
    // The font is stored uncompressed in the binary: handed over as it lies there, it is
    // neither copied at registration nor read again when the first text needs it.
    const QResource font(QStringLiteral(":/fonts/fonts/europe.ttf"));
    return QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFontFromData(font.uncompressedData()));
}

void StartUp::takeUpFont(const QStringList& families)
{
    if (families.isEmpty()) {
        qCDebug(startupLog) << "Font :/fonts/fonts/europe.ttf not loaded";
        return;
    }
    QGuiApplication::setFont(QFont(families.first()));
    // Every text compares its font with the application's, so the first screen would load the
    // application font's engine, and one more for each type size and weight of its texts;
    // loaded here, they are ready when the main view draws.
    QFontInfo(QGuiApplication::font()).weight();
    for (const HomeScreenType& type : kHomeScreenTypes) {
        QFont font = QGuiApplication::font();
        font.setPixelSize(type.pixelSize);
        font.setBold(type.bold);
        QFontMetrics(font).height();
    }
}

void StartUp::registerTypes()
{
    qmlRegisterType<ScreenShot>("ScreenShot", 1, 0, "ScreenShot");
    qmlRegisterType<Launcher>("Launcher", 1, 0, "Launcher");
    qmlRegisterType<StyleClass>("MyQMLEnums", 13, 37, "Style");
}

void StartUp::publish(const QString& name, QObject* object)
{
    publish(name, QVariant::fromValue(object));
}

void StartUp::publish(const QString& name, const QVariant& value)
{
    step("context " + name);
    published_ << name;
    mainView_->rootContext()->setContextProperty(name, value);
}

// The thirteen names in their order, with the splash progress between them.
void StartUp::publishContextProperties()
{
    publish("translator", translator_.get());
    publish("periodicFunctions", PeriodicFunctions::getInstance());
    publish("variables", ScreensVariables::getInstance()->getScreensVariables());
    publish("shot", shot_.get());
    setProgress(0.4);
    publish("networkInterface", NetworkInterface::getInstance());
    publish("channels", Channelslist::getInstance());
    publish("software", Software::getInstance());
    publish("appVariables", ScreensVariables::getInstance());
    setProgress(0.6);
    publish("measuresSpectrum", Measures::getInstance());
    publish("measuresIQ", MesuraIQ::getInstance());
    setProgress(0.8);
    publish("measuresCM", MesuraCM::getInstance());
    publish("loggers", Loggerlist::getInstance());
    publish("wr_file", wrFile_.get());
    setProgress(1.0);
}

// The first screen's settings save, with its disk sync, is kept out of the way of the main
// view's first frame: it follows that frame (or a few seconds at most, should no frame come).
void StartUp::loadMainView()
{
    step("mainView");
    ScreensVariables::getInstance()->holdSaves();
    mainView_->setInitialProperties({{QStringLiteral("date_compilation"), QString(kCompilationDate)}});
    mainView_->setMainQmlFile(QUrl(kMainQml));
    precompiled_.clear();
    if (!options_.showWindows) {
        releaseSaves();
        return;
    }
    firstFrame_ = connect(mainView_.get(), &QQuickWindow::frameSwapped, this, &StartUp::releaseSaves,
                          Qt::QueuedConnection);
    QTimer::singleShot(options_.saveAfterFirstFrameAtMostMs, this, &StartUp::releaseSaves);
    mainView_->showExpanded();
}

void StartUp::releaseSaves()
{
    disconnect(firstFrame_);
    ScreensVariables::getInstance()->releaseSaves();
}

bool StartUp::finish(int exitCode)
{
    releaseSaves();
    if (splash_)
        splash_->close();
    if (mainView_)
        mainView_->close();
    if (exitCode != kRestartCode)
        return false;
    qCDebug(startupLog) << "Restarting";
    platform::board().runShell(kRestartCommand);
    return true;
}
