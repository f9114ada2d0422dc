// The housekeeping: keys are heard within two polls and once per press, the auto
// power-off and the critical battery halt the unit exactly once and run nothing, the fan
// follows temperature and modem, and battery, temperature and LNB go through the RF chain.
#include "SimBoardFixture.h"

#include "FrontPanel.h"
#include "periodicfunctions.h"

#include "Tmp100Model.h"
#include "Tps65233Model.h"

#include "cablemodem/cableModen.h"
#include "common/BoardWiring.h"
#include "hw/ADF4350.h"
#include "hw/MAX11337.h"
#include "engines/measures.h"
#include "rf/mesuraRF.h"
#include "store/screensvariables.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::sim::FrontPanelKey;
using platform::sim::setKeyPressed;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;
using testsupport::unitBoard;

namespace {
struct Housekeeping : ::testing::Test {
    ScopedBoard board{unitBoard()};
    ScopedWorkDir dir;
    PeriodicFunctions* pf = PeriodicFunctions::getInstance();
    // Powering off switches the LNB supply through the measurement engine.
    void SetUp() override { board.hostEngineThreads(); }

    int halts()
    {
        int n = 0;
        for (const auto& c : board->shell().commands())
            if (c.commandLine == PeriodicFunctions::kPowerOffCommand && !c.viaShell)
                ++n;
        return n;
    }
};
} // namespace

TEST_F(Housekeeping, KeyPressIsHeardWithinTwoPollsOncePerPressAndTheTimerPollsEvery100Ms)
{
    QSignalSpy menu(pf, &PeriodicFunctions::menuButtoPush);
    QSignalSpy power(pf, &PeriodicFunctions::powerOFF_ButtonPush);
    pf->tick();
    // Pressed, held for five polls, let go and pressed again: two presses.
    for (bool down : {true, true, true, true, true, true, true, false, true}) {
        setKeyPressed(*board, FrontPanelKey::Menu, down);
        pf->tick();
    }
    EXPECT_EQ(menu.count(), 2);
    EXPECT_EQ(power.count(), 0);

    // The timer polls the keys every 100 ms; a busy machine fires it late.
    pf->startTimers();
    setKeyPressed(*board, FrontPanelKey::Power, true);
    EXPECT_TRUE(power.wait(10000));
    EXPECT_EQ(power.count(), 1);
    // The key lines are inputs; the fan an output that starts off.
    EXPECT_FALSE(board->gpio().isOutput(wiring::gpio::KEY_POWER));
    EXPECT_TRUE(board->gpio().isOutput(wiring::gpio::FAN));
    EXPECT_EQ(board->gpio().level(wiring::gpio::FAN), 0);
}

TEST_F(Housekeeping, KeyBeepPlaysTheClickThroughTheShellWithItsPathQuoted)
{
    // A temporary folder whose name the shell would otherwise split and run.
    QTemporaryDir base;
    const QString tmp = base.path() + "/it's a $(touch pwned);dir";
    ASSERT_TRUE(QDir().mkpath(tmp));
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.toLocal8Bit());
    pf->setKeyBeep(true);
    qputenv("TMPDIR", previous);
    setKeyPressed(*board, FrontPanelKey::Power, true);
    pf->tick();
    ASSERT_EQ(board->shell().commandLines().size(), 1u);
    const std::string quoted = "'" + base.path().toStdString() + "/it'\\''s a $(touch pwned);dir/varnok_key_beep.wav'";
    EXPECT_EQ(board->shell().commandLines()[0], "aplay -q " + quoted + " &");
}

// The compact models have no MENU key, and their fan does not run for the modem.
TEST(HousekeepingCompact, NoMenuKeyAndNoFanForTheModem)
{
    ScopedBoard board{unitBoard(1)};
    ScopedWorkDir dir;
    PeriodicFunctions* pf = PeriodicFunctions::getInstance();
    QSignalSpy menu(pf, &PeriodicFunctions::menuButtoPush);
    setKeyPressed(*board, FrontPanelKey::Menu, true);
    pf->tick();
    pf->tick();
    EXPECT_EQ(menu.count(), 0);
    EXPECT_FALSE(board->gpio().isExported(wiring::gpio::KEY_MENU));
    pf->updateTemperature(25.0f, true);
    EXPECT_EQ(board->gpio().level(wiring::gpio::FAN), 0);
}

TEST_F(Housekeeping, PowerOffRecordsHaltOnceAndRunsNothing)
{
    pf->powerOff();
    pf->powerOff();
    EXPECT_EQ(halts(), 1);
    EXPECT_EQ(board->shell().commandLines(), std::vector<std::string>{"/bin/sh -c \"halt & \""});
    auto launches = board->log().entries("launch");
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_FALSE(launches[0].failed);
}

// Below one second the delay is off; every save of the settings restarts it with the
// stored value, and it expires on the board's clock to the millisecond.
TEST_F(Housekeeping, AutoPowerOffExpiresOnTheBoardClock)
{
    pf->restartAutoPowerOff(0);
    EXPECT_FALSE(pf->autoPowerOffArmed());
    pf->restartAutoPowerOff(-5);
    board.clock().advanceMs(24 * 3600 * 1000ULL);
    pf->tick();
    EXPECT_EQ(halts(), 0);

    QVariantMap settings = ScreensVariables::getInstance()->getScreensVariables();
    settings["autoPowerOff"] = 30;
    ScreensVariables::getInstance()->setScreensVariables(settings);
    board.clock().advanceMs(20000);
    ScreensVariables::getInstance()->setScreensVariables(settings);
    board.clock().advanceMs(29999);
    pf->tick();
    EXPECT_EQ(halts(), 0);
    board.clock().advanceMs(1);
    pf->tick();
    pf->tick();
    EXPECT_EQ(halts(), 1);
}

TEST_F(Housekeeping, FanFollowsTemperatureWithHysteresisAndThePoweredModem)
{
    const struct {
        std::optional<float> celsius;
        bool modemOn;
        int fan;
    } rows[] = {{44.9f, false, 0}, {45.0f, false, 1}, {40.0f, false, 1}, {39.9f, false, 0},
                {25.0f, true, 1},  {std::nullopt, false, 0}};
    for (const auto& r : rows) {
        pf->updateTemperature(r.celsius, r.modemOn);
        EXPECT_EQ(board->gpio().level(wiring::gpio::FAN), r.fan) << r.celsius.value_or(-99) << " " << r.modemOn;
    }
    EXPECT_FALSE(pf->temperatureKnown());
    // Only changes reach the line.
    const int writes = board->gpio().writeCount(wiring::gpio::FAN);
    pf->updateTemperature(30.0f, false);
    EXPECT_EQ(board->gpio().writeCount(wiring::gpio::FAN), writes);

    // The fan reads whether the modem is powered.
    for (bool on : {true, false}) {
        on ? power_ON_CableModem() : power_OFF_CableModem();
        pf->temperatureEquip();
        EXPECT_EQ(board->gpio().level(wiring::gpio::FAN), on ? 1 : 0);
    }
}

TEST_F(Housekeeping, BatteryLevelAndCriticalPowerOff)
{
    // raw steps for a pack voltage: V / (0.0005 * 4.03)
    auto raw = [](double volts) { return static_cast<int>(volts / PeriodicFunctions::kBatteryVoltsPerStep + 0.5); };
    pf->batteryEquip(); // mains connected, as the default board has it
    // On mains an empty pack does not switch the unit off.
    const std::pair<int, int> levels[] = {{raw(8.4), 100}, {raw(7.4), 50}, {raw(9.0), 100}, {-1, -1},
                                          {raw(6.0), 0},   {raw(6.0), 0}};
    for (const auto& [reading, level] : levels) {
        pf->updateBattery(reading);
        EXPECT_EQ(pf->batteryLevel(), level) << reading;
    }
    EXPECT_EQ(halts(), 0);

    platform::sim::setMainsConnected(*board, false);
    pf->batteryEquip();
    EXPECT_FALSE(pf->mainsConnected());
    // One low reading is a load peak; a good one in between starts the count again.
    for (double volts : {6.0, 6.5, 6.0})
        pf->updateBattery(raw(volts));
    EXPECT_EQ(halts(), 0);
    pf->updateBattery(raw(6.0));
    EXPECT_EQ(halts(), 1);
}

TEST_F(Housekeeping, PresenceOfChargerRj45AndUsb)
{
    platform::sim::setCharging(*board, true);
    board->setFile("/sys/class/net/eth0/operstate", "down\n");
    pf->housekeeping();
    EXPECT_EQ(std::vector<bool>({pf->charging(), pf->mainsConnected(), pf->rj45Connected(), pf->usbPresent()}),
              std::vector<bool>({true, true, false, false}));
    QSignalSpy changed(pf, &PeriodicFunctions::equipStatusChanged);
    board->setFile("/sys/class/net/eth0/operstate", "up\n");
    board->setFile("/dev/sdb1", "");
    pf->housekeeping();
    EXPECT_TRUE(pf->rj45Connected() && pf->usbPresent());
    EXPECT_GE(changed.count(), 1);
}

TEST_F(Housekeeping, BatteryTemperatureAndLnbGoThroughTheMeasuringChain)
{
    ADF4350 lo;
    MAX11337 adc;
    setInitMesuraRF(&lo, &adc);
    auto sensor = std::dynamic_pointer_cast<platform::sim::Tmp100Model>(board->i2cModel(wiring::kTemperatureAddress));
    auto lnb = std::dynamic_pointer_cast<platform::sim::Tps65233Model>(board->i2cModel(wiring::kLnbSupplyAddress));
    ASSERT_TRUE(sensor && lnb);

    // The simulated unit starts with a charged pack.
    pf->batteryEquip();
    EXPECT_EQ(pf->batteryLevel(), 90);
    platform::sim::setBatteryVolts(*board, 7.4);
    pf->batteryEquip();
    EXPECT_EQ(pf->batteryLevel(), 50);

    sensor->setTemperatureC(31.5);
    pf->temperatureEquip();
    EXPECT_FLOAT_EQ(getTemperaturaC(), 31.5f);

    Measures::getInstance()->setActivaLNB(true);
    ASSERT_TRUE(lnb->outputEnabled());
    pf->powerOff();
    EXPECT_FALSE(lnb->outputEnabled());
}
