// The stand-alone DOCSIS 3.0 registration machines and their driver on the simulated modem:
// registration on the channel through its states to OPERATIONAL, the sweep, the IP report
// read in the modem's "docsis" menu, and what lost synchronisation, a DHCP that never
// answers and a network without the channel end with.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace modemtest;

namespace {
int count(const Commands& commands, const std::string& command)
{
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

// The driver's first pass sets the modem up on the channel; the second registers.
MesuraCM* setUpOn(unsigned hz)
{
    ScreensVariables::getInstance()->setValue("frequency", hz);
    MesuraCM* e = passingEngine();
    e->mesura_on_channel_registrat();
    return passingEngine();
}
} // namespace

TEST(OnChannel30, RegistersSweepsReadsTheAddressesInTheDocsisMenuAndStopsItself)
{
    LinkedModem m;
    EngineSignals s;
    StatusTrail statuses;
    MesuraCM* e = setUpOn(610000000);
    EXPECT_EQ(m.commands(), (Commands{"", "rangemode 1", "dhcpmode 1", "register 1", "go 610.00"}));
    EXPECT_EQ(s.phy, QList<QVariantMap>{newTuneMap30()});

    e->mesura_on_channel_registrat();
    EXPECT_EQ(e->measureCode(), NO_MESURE);
    EXPECT_EQ(m.link.modem().registrationWord(), "OPERATIONAL");
    for (int status : {MODEM_STATUS_STARTING, MODEM_STATUS_TUNING, MODEM_STATUS_REGISTERED})
        EXPECT_TRUE(statuses.contains(status)) << status;
    EXPECT_EQ(statuses.trail.back(), MODEM_STATUS_REGISTERED);
    // Channels from 610 MHz up: three of the bonding group.
    ASSERT_EQ(s.phy.size(), 1 + PHY_CHANNELS);
    EXPECT_EQ(s.phy[1]["freq"].toInt(), 610000000);
    EXPECT_EQ(s.phy[3]["freq"].toInt(), 626000000);
    EXPECT_EQ(s.phy[4]["freq"].toInt(), 0);
    ASSERT_EQ(s.ip.size(), 1);
    EXPECT_EQ(s.ip[0]["ip"], "010.001.002.003");
    EXPECT_EQ(s.ip[0]["gateway"], "010.001.002.001");
    EXPECT_EQ(s.ip[0]["mac"], "00:1A:2B:3C:4D:5E");
    // The report is read in the modem's own menu, left again before the state is asked.
    const Commands c = m.commands();
    const auto menu = std::find(c.begin(), c.end(), "docsis");
    ASSERT_NE(menu, c.end());
    EXPECT_EQ(Commands(menu, menu + 4), (Commands{"docsis", "ip", "exit", ""}));
    EXPECT_TRUE(m.link.modem().inMenu());
}

TEST(OnChannel30, AModemRegisteredAlreadyGoesStraightToItsAddresses)
{
    LinkedModem m;
    m.link.clock().advanceMs(30000);
    EngineSignals s;
    MesuraCM* e = passingEngine();
    e->setFrequency(602000000);
    EXPECT_EQ(e->mesuraOnChannelRegistrat(4), 100);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_STARTING);
    EXPECT_EQ(m.link.runSteps([e] { return e->mesuraOnChannelRegistrat(64); }, 500, 100), MODEM_STEP_REGISTERED);
    EXPECT_EQ(m.link.runSteps([e] { return e->mesuraOnChannelRegistrat(64); }, 500, MODEM_STEP_REGISTERED), 100);
    int r = 100;
    for (int i = 0; i < 500 && r != 0; ++i)
        r = m.link.stepOnce([e] { return e->mesuraOnChannelRegistrat(64); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(count(m.commands(), "go 602.00"), 0); // not tuned: registered already
    ASSERT_EQ(s.ip.size(), 1);
    EXPECT_EQ(s.ip[0]["dhcp"], "010.000.000.001");
}

TEST(OnChannel30, TheIpReportMachineReadsTheReportAndEmitsItOnceRegistered)
{
    LinkedModem m;
    m.link.clock().advanceMs(30000);
    EngineSignals s;
    MesuraCM* e = passingEngine();
    e->decodificaIpCableModemRegistrat(0);
    int r = 100;
    std::vector<int> answers;
    for (int i = 0; i < 500 && r != 0 && r != -1; ++i) {
        r = m.link.stepOnce([e] { return e->decodificaIpCableModemRegistrat(64); });
        if (answers.empty() || answers.back() != r)
            answers.push_back(r);
    }
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(std::find(answers.begin(), answers.end(), MODEM_STEP_REGISTERED) != answers.end());
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_IP);
    ASSERT_EQ(s.ip.size(), 1);
    EXPECT_EQ(s.ip[0]["tftp"], "010.000.000.002");
    const Commands c = m.commands();
    EXPECT_EQ(Commands(c.begin(), c.begin() + 4), (Commands{"", "docsis/ip", "", "doc/cms"}));

    // Stuck short of registration: given up 30 s after the report.
    stickState(m.link.board(), "DHCPV4_COMPLETE");
    e->decodificaIpCableModemRegistrat(0);
    testsupport::LogCapture log;
    r = 100;
    const uint64_t t0 = m.now();
    for (int i = 0; i < 2000 && r != -100; ++i)
        r = m.link.stepOnce([e] { return e->decodificaIpCableModemRegistrat(64); });
    EXPECT_EQ(r, -100);
    EXPECT_GT(m.now() - t0, 32000u);
    EXPECT_EQ(e->decodificaIpCableModemRegistrat(64), -1);
    EXPECT_TRUE(log.contains("decodificaIpCableModemRegistrat: 1003"));
}

TEST(OnChannel30, LostSynchronisationAfterProgressStartsRegistrationOver)
{
    LinkedModem m;
    StatusTrail statuses;
    MesuraCM* e = setUpOn(602000000);
    e->procesRegistre30(0);
    // On its way: ranging.
    int r = 100;
    for (int i = 0; i < 1000 && GetModemStatus() != MODEM_STATUS_RANGING_IN_PROGRESS; ++i)
        r = m.link.stepOnce([e] { return e->procesRegistre30(64); });
    ASSERT_EQ(GetModemStatus(), MODEM_STATUS_RANGING_IN_PROGRESS) << r;
    stickState(m.link.board(), "NOT_SYNCHRONIZED");
    SetMesuresRegistre30(0, 55);
    for (int i = 0; i < 1000 && r != MODEM_STEP_REPORTED; ++i)
        r = m.link.stepOnce([e] { return e->procesRegistre30(64); });
    EXPECT_EQ(r, MODEM_STEP_REPORTED);
    // The registration measures reset, and the machine back at its start.
    EXPECT_EQ(GetMesuresRegistre30(0), UNMEASURED);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_STARTING);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_START);
    EXPECT_FALSE(statuses.contains(MODEM_STATUS_REGISTERED));
}

TEST(OnChannel30, ADhcpThatNeverAnswersIsNeverRegisteredAndAStopEndsTheDriver)
{
    LinkedModem m;
    failModem(m.link.board(), platform::sim::kModemDhcpRegister);
    EngineSignals s;
    StatusTrail statuses;
    MesuraCM* e = setUpOn(602000000);
    const uint64_t stop = m.now() + 120000;
    m.stopAt(stop);
    e->mesura_on_channel_registrat();
    EXPECT_LT(m.now() - stop, 1000u);
    EXPECT_EQ(m.link.modem().registrationWord(), "DHCPV4_IN_PROGRESS");
    EXPECT_TRUE(statuses.contains(MODEM_STATUS_DHCPV4_IN_PROGRESS));
    EXPECT_FALSE(statuses.contains(MODEM_STATUS_REGISTERED));
    EXPECT_TRUE(s.ip.isEmpty());
}

TEST(OnChannel30, NoChannelFailsTheRegistrationAndTheDriverRestartsTheModem)
{
    LinkedModem m;
    failModem(m.link.board(), platform::sim::kModemDownstreamRegister);
    EngineSignals s;
    StatusTrail statuses;
    MesuraCM* e = setUpOn(602000000);
    m.link.board().log().clear();
    e->mesura_on_channel_registrat();
    // Powered off and on again, then waited for.
    const std::vector<std::string> lines = lineWriteTexts(m.link.board());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "2=0"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "2=1"), lines.end());
    EXPECT_FALSE(statuses.contains(MODEM_STATUS_REGISTERED));
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(s.phy, QList<QVariantMap>{newTuneMap30()});
}
