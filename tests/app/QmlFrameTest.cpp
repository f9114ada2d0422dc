// The QML frame (every screen loading without a warning is the layout test's and the
// display test's): a screen change is recorded in the settings before the engines re-read
// them, the measurement calls reach the engines in order, and the keys move between screens.
#include "FrameHarness.h"
#include "SimBoardFixture.h"

#include "FrontPanelKeyboard.h"
#include "periodicfunctions.h"

#include "store/screensvariables.h"

#include <QTest>
#include <gtest/gtest.h>

using apptest::FrameHarness;
using apptest::savedSettings;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
struct FrameTest : ::testing::Test {
    ScopedBoard board{testsupport::unitBoard()};
    ScopedWorkDir dir;
    void SetUp() override { ASSERT_TRUE(dir.seedFromData("calibracion")); }
};
} // namespace

TEST_F(FrameTest, ScreenChangeIsSavedBeforeTheEngineRereadsIt)
{
    FrameHarness frame;
    frame.journal.clear();
    board->shell().clear();
    frame.call("loadScreen", "EXIT");

    EXPECT_EQ(savedSettings().value("screen").toString(), "EXIT");
    // The exit screen stops every engine on entry; the frame then tells the RF engine.
    EXPECT_EQ(frame.journal.last(), "measuresSpectrum.setVariablesQML saved screen=EXIT");
    EXPECT_EQ(board->shell().commandLines(),
              (std::vector<std::string>{"mount -o remount,rw /", "sync", "mount -o remount,ro /"}));
    EXPECT_EQ(frame.root()->property("previousScreen").toString(), "MAIN_MENU");
    // Started again, the frame does not start on the exit screen it stored.
    EXPECT_EQ(FrameHarness().currentScreen(), "MAIN_MENU");

    // An id that names no screen leads home instead of to an empty page.
    frame.call("loadScreen", "NO_SUCH_SCREEN");
    EXPECT_EQ(frame.currentScreen(), "MAIN_MENU");
    EXPECT_EQ(savedSettings().value("screen").toString(), "MAIN_MENU");
}

TEST_F(FrameTest, ChangeMesuraStopsAllThenSelectsResetsAndStarts)
{
    FrameHarness frame;
    frame.journal.clear();
    frame.call("change_mesura", 13);
    EXPECT_EQ(frame.journal,
              QStringList({"measuresSpectrum.stopMeasures", "measuresIQ.aturar", "measuresCM.aturar",
                           "measuresSpectrum.changeTipusMesure(13)", "measuresIQ.restatMesureIQ",
                           "measuresSpectrum.mesuraIsStarted"}));
    frame.journal.clear();
    frame.call("stop_mesura");
    EXPECT_EQ(frame.journal,
              QStringList({"measuresSpectrum.stopMeasures", "measuresIQ.aturar", "measuresCM.aturar"}));
    EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString();
}

// The computer's keys reach the frame through the front panel and the key poll: POWER
// leads to the exit screen, stopping the engines; MENU home, and at home changes nothing.
TEST_F(FrameTest, MenuKeyGoesHomeAndPowerKeyToExit)
{
    FrameHarness frame;
    platform::sim::FrontPanelKeyboard keys(*board, 0);
    frame.view()->installEventFilter(&keys);
    PeriodicFunctions* pf = PeriodicFunctions::getInstance();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* screen;
        bool stops; // the engines
    } rows[] = {{Qt::Key_F12, Qt::NoModifier, "EXIT", true},
                {Qt::Key_F1, Qt::NoModifier, "MAIN_MENU", true},
                {Qt::Key_Escape, Qt::NoModifier, "MAIN_MENU", false},
                {Qt::Key_P, Qt::ControlModifier, "EXIT", true}};
    for (const auto& r : rows) {
        frame.journal.clear();
        QTest::keyPress(frame.view(), r.key, r.modifiers);
        pf->tick();
        QTest::keyRelease(frame.view(), r.key, r.modifiers);
        pf->tick();
        EXPECT_EQ(frame.currentScreen(), r.screen) << r.key;
        EXPECT_EQ(frame.journal.value(0), r.stops ? "measuresSpectrum.stopMeasures" : "") << r.key;
    }
    // The test screen is not part of this build; the screen stays.
    pf->enviarSignalTestScreen();
    EXPECT_EQ(frame.currentScreen(), "EXIT");
    EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString();
}

TEST_F(FrameTest, ExitScreenYesPowersOffAndNoGoesHome)
{
    board.hostEngineThreads(); // powering off switches the LNB off through the measurement engine
    FrameHarness frame;
    frame.call("loadScreen", "EXIT");
    const QPoint yes(280, 268), no(520, 268);
    QTest::mouseClick(frame.view(), Qt::LeftButton, Qt::NoModifier, no);
    EXPECT_EQ(frame.currentScreen(), "MAIN_MENU");
    EXPECT_FALSE(board->shell().sawCommandContaining("halt"));

    frame.call("loadScreen", "EXIT");
    QTest::mouseClick(frame.view(), Qt::LeftButton, Qt::NoModifier, yes);
    EXPECT_TRUE(board->shell().sawCommandContaining("halt"));
    EXPECT_EQ(frame.evaluateInPage("page.switchingOff").toBool(), true);
    EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString();
}
