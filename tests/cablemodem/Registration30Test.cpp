// DOCSIS 3.0 ranging (code 62) and registration (code 61, and the stand-alone machines)
// run by the engine's passes on the simulated modem and the typical cable scene, in
// virtual time: the states they walk through to OPERATIONAL, what they report, what a
// modem that sticks, never gets an address or never finds a channel ends with, and stops.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include "RfScene.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace modemtest;

namespace {
MesuraCM* engine() { return MesuraCM::getInstance(); }

// The screens choose a test on a channel; the engine's passes run it.
void choose(unsigned hz, int code)
{
    ScreensVariables::getInstance()->setValue("frequency", hz);
    engine()->init(hz, code);
}

// Runs passes until done() or the limit of passes.
template <typename Done>
int passesUntil(Done done, int limit = 400)
{
    int passes = 0;
    while (!done() && passes < limit) {
        engine()->runPass();
        ++passes;
    }
    return passes;
}

int count(const Commands& commands, const std::string& command)
{
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

platform::sim::DocsisServices otherServices()
{
    platform::sim::DocsisServices s;
    s.modemIp = "172.16.5.20";
    s.mask = "255.255.0.0";
    s.gateway = "172.16.0.1";
    s.dhcp = "172.16.0.2";
    s.tftp = "172.16.0.3";
    return s;
}
} // namespace

TEST(Ranging30, SetsUpTunesThenReadsChannelZeroItsBerAndTheUpstreamRoundAfterRound)
{
    LinkedModem m;
    EngineSignals s;
    choose(610000000, QML_CM_RANGING);
    engine()->runPass();
    EXPECT_EQ(m.commands(), (Commands{"", "rangemode 1", "dhcpmode 0", "register 0", "go 610.00"}));
    ASSERT_EQ(s.phy.size(), 1);
    EXPECT_EQ(s.phy[0], newTuneMap30());
    EXPECT_EQ(s.status, QStringList{"Start Ranging CM"});

    passesUntil([&] { return s.ups.size() >= 2; });
    ASSERT_EQ(s.ups.size(), 2);
    // Ranged, never further: DHCP is off.
    EXPECT_EQ(m.link.modem().registrationWord(), "RANGING_COMPLETE");
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RANGING_COMPLETE);
    const QVariantMap channel0 = s.phy.back();
    EXPECT_EQ(channel0["index"].toInt(), 0);
    EXPECT_EQ(channel0["freq"].toInt(), 610000000);
    EXPECT_EQ(channel0["sr"].toInt(), 6952);
    EXPECT_EQ(channel0["pre_range"].toInt(), 2); // a clean channel: the bound
    EXPECT_EQ(s.ups.back().size(), 2);
    EXPECT_TRUE(s.status.contains(""));          // a round done
    const Commands commands = m.commands();
    // Tuned by the set-up, and once more by the readiness machine, which had not tuned there yet.
    EXPECT_EQ(count(commands, "go 610.00"), 2);
    EXPECT_GE(count(commands, "berstatus 0 3"), 2);
    EXPECT_EQ(count(commands, "phy 1"), 0);       // channel 0 only
}

TEST(Ranging30, WhileOnlySynchronisedItReadsChannelZeroAndPollsAgain)
{
    LinkedModem m;
    EngineSignals s;
    stickState(m.link.board(), "PHY_SYNCHRONIZED");
    choose(602000000, QML_CM_RANGING);
    passesUntil([&] { return count(m.commands(), "berstatus 0 3") >= 3; });
    EXPECT_GE(count(m.commands(), "berstatus 0 3"), 3);
    EXPECT_EQ(count(m.commands(), "upshow"), 0);
    EXPECT_TRUE(s.ups.isEmpty());
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RANGING_IN_PROGRESS);
}

TEST(Ranging30, ANewFrequencyOrCodeSetsUpAgainAndAStopEndsThePass)
{
    LinkedModem m;
    EngineSignals s;
    choose(602000000, QML_CM_RANGING);
    passesUntil([&] { return !s.ups.isEmpty(); });
    const int phyBefore = s.phy.size();
    m.link.clock().advanceMs(5000); // past the tuning's pacing
    m.link.modem().clearCommands();
    choose(618000000, QML_CM_RANGING);
    engine()->runPass();
    EXPECT_EQ(count(m.commands(), "go 618.00"), 1);
    EXPECT_EQ(s.phy[phyBefore], newTuneMap30());

    // A pass of another code (idle too) in between: set up again on the same frequency.
    engine()->setMesuraCM(NO_MESURE);
    engine()->runPass();
    m.link.clock().advanceMs(5000);
    m.link.modem().clearCommands();
    engine()->setMesuraCM(QML_CM_RANGING);
    engine()->runPass();
    EXPECT_EQ(count(m.commands(), "go 618.00"), 1);

    // A stop: the pass that follows idles.
    engine()->aturar();
    m.link.modem().clearCommands();
    engine()->runPass();
    EXPECT_TRUE(m.commands().empty());
}

TEST(Registration30, ReachesOperationalAndReportsTheScenesAddressesThenStopsItself)
{
    auto scene = std::make_shared<platform::sim::RfScene>();
    platform::sim::RfScene::typicalCableNetwork(*scene);
    platform::sim::DocsisPlan plan;
    plan.services = otherServices();
    scene->setDocsisPlan(plan);
    LinkedModem m(kDocsis30, scene);
    // Ranged before the sweep reaches the upstream.
    m.link.modem().setStateStepMs(500);
    EngineSignals s;
    choose(602000000, QML_CM_REGISTER_ON_CHANNEL);
    const uint64_t t0 = m.now();
    engine()->runPass();
    EXPECT_LT(m.now() - t0, 60000u);

    EXPECT_EQ(engine()->measureCode(), NO_MESURE); // over by itself
    EXPECT_EQ(m.link.modem().registrationWord(), "OPERATIONAL");
    EXPECT_EQ(s.status, (QStringList{"Start Registering CM", "Decoding UP/DOWN CM", "Getting IP CM", ""}));
    ASSERT_EQ(s.phy.size(), 1 + PHY_CHANNELS);
    EXPECT_EQ(s.phy[0], newTuneMap30());
    EXPECT_EQ(s.phy[1]["freq"].toInt(), 602000000);
    EXPECT_EQ(s.ups.size(), 1);
    ASSERT_EQ(s.ip.size(), 1);
    EXPECT_EQ(s.ip[0], (QVariantMap{{"ip", "172.016.005.020"},
                                    {"mask", "255.255.000.000"},
                                    {"gateway", "172.016.000.001"},
                                    {"dhcp", "172.016.000.002"},
                                    {"tftp", "172.016.000.003"},
                                    {"mac", "00:1A:2B:3C:4D:5E"}}));
    const Commands commands = m.commands();
    EXPECT_EQ(count(commands, "docsis/ip"), 1);
    for (const char* c : {"rangemode 1", "dhcpmode 1", "register 1", "go 602.00"})
        EXPECT_EQ(count(commands, c), 1) << c;
}

TEST(Registration30, AModemThatNeverGetsAnAddressIsNeverReportedAndTheReportGivesUp)
{
    LinkedModem m;
    failModem(m.link.board(), platform::sim::kModemDhcpRegister);
    EngineSignals s;
    choose(602000000, QML_CM_REGISTER_ON_CHANNEL);
    MesuraCM* e = passingEngine();
    EXPECT_EQ(e->procesRegistre_CM_30(), 0); // channels decoded while DHCP is under way
    const uint64_t t0 = m.now();
    EXPECT_EQ(e->decodificaIpCableModemRegistrat_CM_30(), -200);
    EXPECT_GE(m.now() - t0, 30000u);
    EXPECT_LT(m.now() - t0, 35000u);
    EXPECT_EQ(m.link.modem().registrationWord(), "DHCPV4_IN_PROGRESS");
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(count(m.commands(), "docsis/ip"), 0);
    EXPECT_NE(GetModemStatus(), MODEM_STATUS_REGISTERED);
    EXPECT_EQ(e->measureCode(), QML_CM_REGISTER_ON_CHANNEL); // not over: the next pass tries again
}

TEST(Registration30, AModemThatNeverFindsAChannelGivesUpAfter45Seconds)
{
    LinkedModem m;
    failModem(m.link.board(), platform::sim::kModemDownstreamRegister);
    EngineSignals s;
    choose(602000000, QML_CM_REGISTER_ON_CHANNEL);
    testsupport::LogCapture log;
    engine()->runPass();
    EXPECT_TRUE(log.contains("salimos por tiempo mesura_on_channel_registrat_31_kk"));
    EXPECT_EQ(s.phy, QList<QVariantMap>{newTuneMap30()});
    EXPECT_EQ(s.status, QStringList{"Start Registering CM"});
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(engine()->measureCode(), QML_CM_REGISTER_ON_CHANNEL);
}

TEST(Registration30, AModemStuckBeforeRegisteringHasItsReportReadButNeverEmittedUntilStopped)
{
    LinkedModem m;
    stickState(m.link.board(), "CONFIG_FILE_DOWNLOAD_COMPLETE");
    EngineSignals s;
    MesuraCM* e = passingEngine();
    // An earlier registration's addresses are not this one's.
    SetModemMeasuresIp_CableModem("10.9.9.9");
    m.stopAt(m.now() + 60000);
    EXPECT_EQ(e->decodificaIpCableModemRegistrat_CM_30(), -1);
    EXPECT_EQ(count(m.commands(), "docsis/ip"), 1);
    EXPECT_GT(count(m.commands(), "doc/cms"), 20);
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(s.status, QStringList{"Getting IP CM"});
    // The report was read (at a modem with its addresses).
    EXPECT_EQ(GetModemMeasuresIp_CableModem(), static_cast<int>(IP2int("10.1.2.3")));
}

TEST(Registration30, AStopEndsRegistrationAndItsReportWithinOnePoll)
{
    LinkedModem m;
    failModem(m.link.board(), platform::sim::kModemDownstreamRegister);
    EngineSignals s;
    choose(602000000, QML_CM_REGISTER_ON_CHANNEL);
    const uint64_t stop = m.now() + 20000;
    m.stopAt(stop);
    MesuraCM* e = passingEngine();
    EXPECT_EQ(e->procesRegistre_CM_30(), -1);
    // The poll under way (a second's pause and the state report) and no more.
    EXPECT_LE(m.now() - stop, 3200u);
    // The report stops at once, with the addresses of an earlier registration dropped.
    SetModemMeasuresIp_CableModem("10.9.9.9");
    EXPECT_EQ(e->decodificaIpCableModemRegistrat_CM_30(), -1);
    EXPECT_EQ(GetModemMeasuresIp_CableModem(), 0);
    EXPECT_EQ(s.status, (QStringList{"Getting IP CM"}));
}
