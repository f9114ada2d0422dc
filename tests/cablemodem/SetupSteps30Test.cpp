// The DOCSIS 3.0 tuning and upstream burst machines: the exact command lines they send
// to the simulated modem, their results and their time-outs.
#include "ModemTestSupport.h"

#include "cablemodem/modemSteps30.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

using namespace modemtest;

namespace {
Commands firstCommands(ModemLink& link, size_t n)
{
    Commands all = link.modem().commands();
    all.resize(std::min(n, all.size()));
    return all;
}

void setUpstreamSettings(int rfOn, int modulation, int symbolRate, int powerTenths)
{
    QVariantMap settings = ScreensVariables::getInstance()->getScreensVariables();
    settings["rf_on"] = rfOn;
    settings["up_test_modulation"] = modulation;
    settings["up_test_symbolrate"] = symbolRate;
    settings["up_test_power"] = powerTenths;
    ScreensVariables::getInstance()->setScreensVariables(settings);
}
} // namespace

TEST(Tuning30, AFrequencyChangeSetsTheModesTunesAndFollowsRegistration)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    link.modem().clearCommands();

    EXPECT_EQ(sintonitzaFrequenciaCableModem(4, 1, 602000000), 100);
    link.pump();
    EXPECT_EQ(link.modem().commands(), Commands{""});
    int level = link.runSteps([] { return sintonitzaFrequenciaCableModem(64, 1, 602000000); });
    EXPECT_EQ(firstCommands(link, 7),
              (Commands{"", "rangemode 1", "dhcpmode 1", "register 1", "go 602.00", "", ""}));
    EXPECT_EQ(link.modem().commands().at(7), "doc/cms");
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_TUNING);
    EXPECT_EQ(level, 2000);

    // The registration state rises with board time until the modem is operational.
    int last = level;
    for (int i = 0; i < 40 && last != 40000; ++i) {
        link.clock().advanceMs(1000);
        level = link.runSteps([] { return sintonitzaFrequenciaCableModem(64, 1, 602000000); }, 200, 100);
        if (level == -100)
            continue;
        ASSERT_GE(level, last);
        last = level;
    }
    EXPECT_EQ(last, 40000);
}

TEST(Tuning30, WithoutAFrequencyChangeNoGoIsSentAndModeTwoStopsRanging)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    link.modem().clearCommands();
    sintonitzaFrequenciaCableModem(0, 2, 602000000);
    link.runSteps([] { return sintonitzaFrequenciaCableModem(64, 2, 602000000); });
    // After the registration command: a prompt check, then the state report's own.
    EXPECT_EQ(firstCommands(link, 7),
              (Commands{"", "rangemode 0", "dhcpmode 0", "register 0", "", "", "doc/cms"}));
}

TEST(Tuning30, NoChannelForMoreThan20SecondsFailsTheTuning)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    failModem(link.board(), platform::sim::kModemDownstreamRegister);
    sintonitzaFrequenciaCableModem(4, 0, 610000000);
    EXPECT_EQ(link.runSteps([] { return sintonitzaFrequenciaCableModem(64, 0, 610000000); }), 2000);
    const uint64_t t0 = link.clock().monotonicMs();
    int r = 2000;
    while (r != -1 && link.clock().monotonicMs() - t0 < 60000)
        r = link.runSteps([] { return sintonitzaFrequenciaCableModem(64, 0, 610000000); }, 300);
    EXPECT_EQ(r, -1);
    const uint64_t took = link.clock().monotonicMs() - t0;
    EXPECT_GT(took, 20000u);
    EXPECT_LT(took, 32000u);
}

TEST(Tuning30, ASilentModemFailsAfterTheStepTimeOut)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    silence(link.board());
    const uint64_t t0 = link.clock().monotonicMs();
    sintonitzaFrequenciaCableModem(4, 1, 602000000);
    EXPECT_EQ(link.runSteps([] { return sintonitzaFrequenciaCableModem(64, 1, 602000000); }), -1);
    // Past 12 s the step fails, and the next pass says so.
    EXPECT_EQ(link.clock().monotonicMs() - t0, 12200u);
}

TEST(UpstreamBurst30, SendsTheBurstCommandFromTheSettings)
{
    testsupport::ScopedWorkDir dir;
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    setUpstreamSettings(1, 9, 3, 1105);
    link.modem().clearCommands();

    EXPECT_EQ(mesuraSendUpstream(4, 40e6), 100);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RES);
    EXPECT_EQ(mesuraSendUpstream(15, 40e6), MODEM_STEP_STAGE_DONE);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_STARTING);
    EXPECT_EQ(link.runSteps([] { return mesuraSendUpstream(64, 40e6); }), MODEM_STEP_STAGE_DONE);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_UPSTREAM_SETUP);
    EXPECT_EQ(link.runSteps([] { return mesuraSendUpstream(64, 40e6); }), MODEM_STEP_STAGE_DONE);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_UPSTREAM_READY);
    EXPECT_EQ(mesuraSendUpstream(64, 40e6), 0);
    EXPECT_EQ(GetInicialitzat(), 1);
    // Modulation 9 is out of range (0); power 110.5 dBuV truncates to 110: gain 10.
    EXPECT_EQ(link.modem().commands().back(), "upburst 0 40.0 0 3 10");

    EXPECT_EQ(mesuraSendUpstream(7, 40e6), -1);
    EXPECT_EQ(mesuraSendUpstream(64, 40e6), 0);
}

TEST(UpstreamBurst30, RfOffStopsTheBurstAndASilentModemFails)
{
    testsupport::ScopedWorkDir dir;
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    setUpstreamSettings(0, 2, 1, 800);
    // A finished stage is busy to the caller.
    auto advance = [] {
        const int r = mesuraSendUpstream(64, 20e6);
        return r == MODEM_STEP_STAGE_DONE ? 100 : r;
    };
    mesuraSendUpstream(0, 20e6);
    mesuraSendUpstream(15, 20e6);
    EXPECT_EQ(link.runSteps(advance), 0);
    EXPECT_EQ(link.modem().commands().back(), "burststop 0");

    mesuraSendUpstream(0, 20e6);
    mesuraSendUpstream(15, 20e6);
    silence(link.board());
    link.modem().setMenu(true);
    EXPECT_EQ(link.runSteps(advance, 5000), -1);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RES);
    EXPECT_EQ(GetInicialitzat(), 0);
}
