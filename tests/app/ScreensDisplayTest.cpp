// On a display (CI runs these under xvfb-run): the whole instrument starts in its window
// and every screen renders an 800x480 frame in each language, with no QML warning and
// nothing laid out wrong in the screen, its menu, its dialogs and their keyboard; each
// frame is kept in the build folder's artifacts/screenshots (<SCREEN>.png in English,
// <SCREEN>_<language>.png in the others) to be checked by eye.
#include "FrameHarness.h"
#include "ScreenLayout.h"
#include "SimBoardFixture.h"

#include "qtquick2applicationviewer.h"
#include "startup.h"

#include "engines/measures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;
using testsupport::unitBoard;

namespace {
constexpr int kSweepMs = 700;

// A frame that shows something: more than a few colours, and most pixels not all one.
bool looksDrawn(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            ++counts[image.pixel(x, y)];
    int most = 0;
    for (int n : counts)
        most = std::max(most, n);
    return counts.size() > 12 && most < 0.95 * (image.width() / 2) * (image.height() / 2);
}

// The frames a window swaps, counted on the test's thread: the threaded render loop swaps
// them on its own, where a signal spy's list would be written while the test reads it.
class SwappedFrames : public QObject {
public:
    explicit SwappedFrames(QQuickWindow* window)
    {
        connect(window, &QQuickWindow::frameSwapped, this, [this] { ++count_; });
    }
    int count() const { return count_; }
    bool wait(int ms) { return QTest::qWaitFor([this] { return count_ > 0; }, ms); }

private:
    int count_ = 0;
};
} // namespace

// One language per case, so the four run side by side (the instance's name makes them
// display tests).
struct InEachLanguage : ::testing::TestWithParam<const char*> {};

TEST_P(InEachLanguage, EveryScreenItsMenuAndDialogsRenderAndLayOutCleanlyAndAreCaptured)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs a display: run under xvfb-run";
    const QString language = GetParam();
    ScopedBoard board{unitBoard()};
    board.hostEngineThreads();
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion") && dir.seedFromData("screenVariables.XML")
                && dir.seedFromData("channelPlans"));
    StartUp::setApplicationIdentity();
    StartUp startUp(StartUp::Options{true, 0});
    QStringList warnings;
    startUp.run();
    QObject::connect(startUp.mainView()->engine(), &QQmlEngine::warnings, [&](const QList<QQmlError>& errors) {
        for (const QQmlError& e : errors)
            warnings << e.toString();
    });
    QQuickItem* root = startUp.mainView()->rootObject();
    QQmlContext* context = startUp.mainView()->rootContext();
    QObject* shot = context->contextProperty("shot").value<QObject*>();
    QObject* translator = context->contextProperty("translator").value<QObject*>();
    const QString keep = QStringLiteral(VARNOK_SCREENSHOTS_DIR);
    ASSERT_TRUE(QDir().mkpath(keep));
    const QStringList screens = QQmlExpression(qmlContext(root), root, "Pantalles.screenIds()").evaluate().toStringList();
    bool selected = false;
    QMetaObject::invokeMethod(translator, "selectLanguage", Q_RETURN_ARG(bool, selected), Q_ARG(QString, language));
    ASSERT_TRUE(selected);
    for (const QString& screen : screens) {
        SCOPED_TRACE(screen.toStdString());
        SwappedFrames frame(startUp.mainView());
        QMetaObject::invokeMethod(root, "loadScreen", Q_ARG(QVariant, screen));
        // The RF engine's sweeps run inside the event loop until the measurement
        // changes: a sweep or two is drawn, then the engine idles for the capture.
        QTimer::singleShot(kSweepMs, [] { Measures::getInstance()->changeTipusMesure(NO_MESURE); });
        QTest::qWait(kSweepMs + 200);
        ASSERT_TRUE(frame.count() > 0 || frame.wait(60000));
        QString path;
        QMetaObject::invokeMethod(shot, "shootScreen", Q_RETURN_ARG(QString, path), Q_ARG(QString, screen),
                                  Q_ARG(QQuickItem*, nullptr));
        ASSERT_FALSE(path.isEmpty());
        const QImage image(path);
        EXPECT_EQ(image.size(), QSize(800, 480));
        EXPECT_TRUE(looksDrawn(image));
        EXPECT_TRUE(image.save(keep + "/" + screen + (language == QLatin1String("en") ? "" : "_" + language) + ".png"));
        const QStringList faults = apptest::screenAndDialogFaults(startUp.mainView());
        EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
    }
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(DisplayScreens, InEachLanguage, ::testing::Values("en", "es", "fr", "de"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// The first screen's settings save (with its disk sync) follows the main view's first frame
// instead of delaying it; the file then holds the screen shown.
TEST(DisplayScreens, TheFirstScreensSaveFollowsTheMainViewsFirstFrame)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs a display: run under xvfb-run";
    ScopedBoard board{unitBoard()};
    board.hostEngineThreads();
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion"));
    StartUp::setApplicationIdentity();
    const auto syncs = [&] {
        const std::vector<std::string> lines = board->shell().commandLines();
        return std::count(lines.begin(), lines.end(), "sync");
    };
    // The bound on the wait for the first frame is the instrument's guard against a frame that
    // never comes; a busy machine may draw the first one later than the unit does.
    constexpr int kFirstFrameWithinMs = 120000;
    // Read where the frame is swapped (the render thread, maybe), before anything it queues;
    // it outlives the window, whose render thread may swap one more frame as the test ends.
    std::atomic<long> atFirstFrame{-1};
    StartUp startUp(StartUp::Options{true, 0, kFirstFrameWithinMs});
    startUp.run();
    EXPECT_EQ(syncs(), 0);
    QObject::connect(startUp.mainView(), &QQuickWindow::frameSwapped, [&] {
        if (atFirstFrame < 0)
            atFirstFrame = syncs();
    });
    SwappedFrames shown(startUp.mainView());
    ASSERT_TRUE(shown.wait(kFirstFrameWithinMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(atFirstFrame.load(), 0);
    EXPECT_EQ(syncs(), 1);
    QFile file("screenVariables.XML");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<screen type=\"QString\">MAIN_MENU</screen>"));
}

// The screenshot key of a toolbar, touched as a finger would, saves the screen as a PNG
// in the screen's own folder.
TEST(DisplayScreens, TheScreenshotKeySavesTheScreen)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs a display: run under xvfb-run";
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion") && dir.seedFromData("screenVariables.XML"));
    apptest::FrameHarness frame({false, true});
    frame.call("loadScreen", "REGISTERING_31");
    QQuickItem* camera = nullptr;
    for (QQuickItem* item : frame.view()->contentItem()->findChildren<QQuickItem*>())
        if (QString(item->metaObject()->className()).startsWith("BotonToolbarCamara"))
            camera = item;
    ASSERT_NE(camera, nullptr);
    frame.clickAt(camera->mapToScene(QPointF(camera->width() / 2, camera->height() / 2)).toPoint());
    const QDir folder("screenshots/REGISTERING_31");
    frame.waitUntil([&] { return !folder.entryList({"*.png"}).isEmpty(); });
    const QStringList saved = folder.entryList({"*.png"});
    ASSERT_EQ(saved.size(), 1);
    const QImage image("screenshots/REGISTERING_31/" + saved.first());
    EXPECT_EQ(image.size(), QSize(800, 480));
    EXPECT_TRUE(looksDrawn(image));
}
