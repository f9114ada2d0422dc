// The cable-modem screens in the frame: each loads without a warning and lays out cleanly
// in every language; a user reaches each from the main menu and back by touch, and the
// tests start and stop with their measure codes in the engine; what the engine reports
// shows in the tables, bars and fields as the screens convert it.
#include "FrameHarness.h"
#include "ScreenLayout.h"
#include "SimBoardFixture.h"

#include "cablemodem/engine/mesuraCM.h"
#include "store/screensvariables.h"

#include <QQmlExpression>
#include <QQuickItem>
#include <gtest/gtest.h>

using apptest::FrameHarness;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
const QStringList kLanguages = {"en", "es", "fr", "de"};

struct ScreensTest : ::testing::Test {
    ScopedBoard board;
    ScopedWorkDir dir;
    void SetUp() override { ASSERT_TRUE(dir.seedFromData("calibracion") && dir.seedFromData("screenVariables.XML")); }
};

QStringList screenIds(FrameHarness& frame)
{
    QQmlExpression e(qmlContext(frame.root()), frame.root(), "Pantalles.screenIds()");
    return e.evaluate().toStringList();
}

QStringList faultsShown(FrameHarness& frame, const QString& what)
{
    frame.wait(250); // a dialog's opening animation
    QStringList faults = apptest::layoutFaults(frame.view()->contentItem());
    for (QString& f : faults)
        f.prepend(what + ": ");
    return faults;
}

// The screen as it opens, its configuration menu, each dialog of the menu and the keyboard
// a dialog opens.
QStringList faultsOfScreenAndDialogs(FrameHarness& frame)
{
    QStringList faults = faultsShown(frame, "screen");
    const int entries = frame.evaluateInPage("typeof topBar === 'undefined' || !topBar.menuEntries ? 0 : topBar.menuEntries.length").toInt();
    for (int i = 0; i < entries; ++i) {
        frame.click("menuButton");
        if (i == 0)
            faults << faultsShown(frame, "menu");
        const QString entry = frame.item("menuEntry" + QString::number(i))->property("text").toString();
        frame.click("menuEntry" + QString::number(i));
        faults << faultsShown(frame, entry);
        if (frame.click("value")) {
            faults << faultsShown(frame, entry + " keyboard");
            frame.click("key_CANCEL");
        }
        if (!frame.click("dialogCancel"))
            frame.click("dialogDone");
    }
    return faults;
}
} // namespace

TEST_F(ScreensTest, EveryScreenLaysOutCleanlyInEveryLanguage)
{
    FrameHarness frame({false, true});
    for (const QString& language : kLanguages) {
        ASSERT_TRUE(frame.selectLanguage(language)) << language.toStdString();
        for (const QString& id : screenIds(frame)) {
            frame.call("loadScreen", id);
            ASSERT_EQ(frame.currentScreen(), id);
            const QStringList faults = faultsOfScreenAndDialogs(frame);
            EXPECT_TRUE(faults.isEmpty()) << language.toStdString() << " " << id.toStdString() << ":\n"
                                          << faults.join("\n").toStdString();
        }
    }
    EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString();
}
