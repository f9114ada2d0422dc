// The simulated unit's front panel as a user meets it: a charged battery that tests can
// drain, and the computer's keys that press the MENU and POWER lines long enough for the
// key poll to see them.
#include "SimBoardFixture.h"

#include "FrontPanelKeyboard.h"

#include "common/BoardWiring.h"
#include "hw/MAX11337.h"

#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

using platform::sim::FrontPanelKey;
using platform::sim::FrontPanelKeyboard;
using testsupport::ScopedBoard;
using testsupport::unitBoard;

namespace {
// The pack's voltage as the instrument reads it: converter steps x 0.5 mV x 4.03.
double batteryVolts() { return MAX11337().getLecturaConversorAD(0) * 0.0005 * 4.03; }

bool key(QObject& window, QEvent::Type type, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         bool autoRepeat = false)
{
    QKeyEvent event(type, qtKey, modifiers, QString(), autoRepeat);
    return QCoreApplication::sendEvent(&window, &event) && event.isAccepted();
}

int line(ScopedBoard& board, FrontPanelKey k)
{
    return board->gpio().level(k == FrontPanelKey::Menu ? wiring::gpio::KEY_MENU : wiring::gpio::KEY_POWER);
}
} // namespace

TEST(FrontPanel, TheBatteryStartsChargedAndDrainsOnRequest)
{
    ScopedBoard board{unitBoard()};
    EXPECT_NEAR(batteryVolts(), platform::sim::kChargedBatteryVolts, 0.002);
    // Above what 12 bits hold the reading saturates, as the unit's does.
    for (double volts : {7.4, 0.0, 8.4}) {
        ASSERT_TRUE(platform::sim::setBatteryVolts(*board, volts));
        EXPECT_NEAR(batteryVolts(), std::min(volts, 4095 * 0.0005 * 4.03), 0.002) << volts;
    }

    ScopedBoard bare;
    EXPECT_FALSE(platform::sim::setBatteryVolts(*bare, 8.0));
}

TEST(FrontPanel, KeyboardKeysStandForMenuAndPower)
{
    const struct {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        std::optional<FrontPanelKey> panel;
    } rows[] = {
        {Qt::Key_F1, Qt::NoModifier, FrontPanelKey::Menu},   {Qt::Key_Escape, Qt::NoModifier, FrontPanelKey::Menu},
        {Qt::Key_F12, Qt::NoModifier, FrontPanelKey::Power}, {Qt::Key_P, Qt::ControlModifier, FrontPanelKey::Power},
        {Qt::Key_P, Qt::NoModifier, std::nullopt},           {Qt::Key_P, Qt::ShiftModifier, std::nullopt},
        {Qt::Key_Home, Qt::NoModifier, std::nullopt},        {Qt::Key_F2, Qt::NoModifier, std::nullopt},
    };
    ScopedBoard board{unitBoard()};
    for (const auto& r : rows) {
        EXPECT_EQ(FrontPanelKeyboard::panelKey(r.qtKey, r.modifiers), r.panel) << r.qtKey;
        // A panel key is taken from the screens; any other key reaches them.
        FrontPanelKeyboard keys(*board, 0);
        QObject window;
        window.installEventFilter(&keys);
        EXPECT_EQ(key(window, QEvent::KeyPress, r.qtKey, r.modifiers), r.panel.has_value()) << r.qtKey;
        if (r.panel) {
            EXPECT_EQ(line(board, *r.panel), wiring::gpio::KEY_PRESSED_LEVEL) << r.qtKey;
            key(window, QEvent::KeyRelease, r.qtKey); // Ctrl already let go
            EXPECT_NE(line(board, *r.panel), wiring::gpio::KEY_PRESSED_LEVEL) << r.qtKey;
        }
    }
}

TEST(FrontPanel, AQuickTapIsHeldForTheHoldTimeAndRepeatsChangeNothing)
{
    ScopedBoard board{unitBoard()};
    FrontPanelKeyboard keys(*board, 40);
    QObject window;
    window.installEventFilter(&keys);
    const int pressed = wiring::gpio::KEY_PRESSED_LEVEL;

    key(window, QEvent::KeyPress, Qt::Key_F12);
    key(window, QEvent::KeyRelease, Qt::Key_F12);
    EXPECT_EQ(line(board, FrontPanelKey::Power), pressed);
    EXPECT_NE(line(board, FrontPanelKey::Menu), pressed);
    // Let go once the hold is over, however late a busy machine fires its timer.
    EXPECT_TRUE(QTest::qWaitFor([&] { return line(board, FrontPanelKey::Power) != pressed; }, 10000));

    // A new press within the hold time is not cut short by the first one's release.
    key(window, QEvent::KeyPress, Qt::Key_F1);
    key(window, QEvent::KeyRelease, Qt::Key_F1);
    key(window, QEvent::KeyPress, Qt::Key_Escape);
    QTest::qWait(80);
    EXPECT_EQ(line(board, FrontPanelKey::Menu), pressed);
    // The keyboard's auto-repeat neither releases nor presses again.
    key(window, QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, true);
    key(window, QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, true);
    EXPECT_EQ(line(board, FrontPanelKey::Menu), pressed);
    key(window, QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return line(board, FrontPanelKey::Menu) != pressed; }, 10000));
}
