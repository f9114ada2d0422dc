// The instrument's start-up between the application object and the event loop, in the
// order the subsystems build on each other, and what follows the loop: a restart for
// the code 1337, the end otherwise. Each step is recorded, so the order can be checked.
#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <future>
#include <memory>
#include <vector>

class ADF4350;
class ADF4360;
class MAX11337;

class QQmlComponent;
class QQmlEngine;
class QtQuick2ApplicationViewer;
class ScreenShot;
class SocketCalibrate;
class Translation;
class WrFile;

class StartUp : public QObject {
    Q_OBJECT
public:
    static constexpr int kRestartCode = 1337;
    static constexpr const char* kRestartCommand = "/root/llamada_aplicacion.sh &";
    static constexpr const char* kCompilationDate = "2025-10-31";
    static constexpr const char* kSplashQml = "qrc:///qml/code/splash.qml";
    static constexpr const char* kMainQml = "qrc:///qml/code/main.qml";
    // The screen main.qml shows when none is stored (pantalles.js's HOME).
    static constexpr const char* kHomeQml = "qrc:///qml/code/main_menu.qml";

    static constexpr unsigned short kRemotePort = 1234;
    // The settings save the first screen asks for waits for its first frame, this long at most.
    static constexpr int kSaveAfterFirstFrameAtMostMs = 5000;

    struct Options {
        // Tests run the whole start-up without putting windows on screen.
        bool showWindows = true;
        // Tests and benchmarks take a free port (0), never the instrument's own.
        unsigned short remotePort = kRemotePort;
        // A test of the first frame on a busy machine waits for it longer.
        int saveAfterFirstFrameAtMostMs = kSaveAfterFirstFrameAtMostMs;
    };

    StartUp();
    explicit StartUp(const Options& options);
    ~StartUp() override;

    // Version "10.2.14", organisation and application name; right after the
    // application object is made.
    static void setApplicationIdentity();
    // Everything up to the event loop.
    void run();
    // After the event loop: closes the windows and, for the restart code, starts the
    // restart script. True when the application is to start again.
    bool finish(int exitCode);

    QStringList steps() const { return steps_; }
    QStringList publishedNames() const { return published_; }
    QList<double> splashProgress() const { return progress_; }
    QtQuick2ApplicationViewer* mainView() const { return mainView_.get(); }
    // The remote command server (its port, whether it listens).
    SocketCalibrate* remoteServer() const { return remoteServer_; }
    // The start-up image of the splash for a hardware model.
    static QString splashImage(int hardwareModel);
    // The QML types the screens import (ScreenShot, Launcher, Style).
    static void registerTypes();
    // The screens' font, from the resource tree, as the application's.
    static void useProjectFont();
    // The screens' font registered with the font system (any thread): its families.
    static QStringList registerProjectFont();
    // The registered font's family made the application's (GUI thread).
    static void takeUpFont(const QStringList& families);

private:
    void step(const QString& name);
    void initHardware();
    void storeHardwareModel();
    void showSplash();
    void buildSplash();
    void prepareViews();
    std::unique_ptr<QQmlComponent> compileAhead(const char* page);
    void setProgress(double progress);
    void loadFontStyleAndLanguage();
    void takeUpProjectFont();
    void startServices();
    void registerQmlTypes();
    void publishContextProperties();
    void publish(const QString& name, QObject* object);
    void publish(const QString& name, const QVariant& value);
    void loadMainView();
    void releaseSaves();

    Options options_;
    QStringList steps_;
    QStringList published_;
    QList<double> progress_;
    // Declared before the views: the views' engines use them until they go.
    std::unique_ptr<WrFile> wrFile_;
    // The front end's synthesizer and converter live as long as the RF layer that uses them.
    std::unique_ptr<ADF4360> fixedSynthesizer_;
    std::unique_ptr<ADF4350> localOscillator_;
    std::unique_ptr<MAX11337> converter_;
    std::unique_ptr<Translation> translator_;
    std::unique_ptr<ScreenShot> shot_;
    // The splash and the main view share one engine, which outlives both.
    std::unique_ptr<QQmlEngine> engine_;
    // The splash's page and the main view's, compiled by the engine's loader thread while the
    // start-up goes on; the splash's is declared first, so that it outlives the view it is
    // shown in.
    std::unique_ptr<QQmlComponent> splashPage_;
    std::unique_ptr<QtQuick2ApplicationViewer> splash_;
    std::vector<std::unique_ptr<QQmlComponent>> precompiled_;
    std::unique_ptr<QtQuick2ApplicationViewer> mainView_;
    SocketCalibrate* remoteServer_ = nullptr;
    QMetaObject::Connection firstFrame_;
    // The font system set up, and the screens' font registered with it, beside the start-up's
    // steps (see the constructor): the font's families.
    std::future<QStringList> projectFont_;
};
