// DOCSIS 3.0 ranging (code 62), registration (code 61) and the stand-alone registration
// machines with their driver, run on the simulated modem and the typical cable scene in
// virtual time: the states they walk through to OPERATIONAL, what they report, what a
// modem that sticks, loses its channel, never gets an address or never finds a channel
// ends with, and stops.
#include "ModemTestSupport.h"

#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

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
void passesUntil(const std::function<bool()>& done, int limit = 400)
{
    for (int passes = 0; !done() && passes < limit; ++passes)
        engine()->runPass();
}

// Calls step with 100 ms of board time after each call until it answers one of results.
int stepUntil(LinkedModem& m, const std::function<int()>& step, std::initializer_list<int> results,
              int maxCalls = 1000)
{
    return m.until([&] {
        const int r = step();
        m.link.pump();
        m.link.clock().advanceMs(100);
        return r;
    }, results, maxCalls);
}

// The stand-alone driver's first pass sets the modem up on the channel; the second registers.
MesuraCM* setUpOn(unsigned hz)
{
    ScreensVariables::getInstance()->setValue("frequency", hz);
    passingEngine()->mesura_on_channel_registrat();
    return passingEngine();
}
} // namespace

TEST(Ranging30, SetsUpTunesThenReadsChannelZeroItsBerAndTheUpstreamUntilANewChoiceOrAStop)
{
    LinkedModem m;
    EngineSignals& s = m.emitted;
    choose(610000000, QML_CM_RANGING);
    engine()->runPass();
    EXPECT_EQ(m.commands(), (Commands{"", "rangemode 1", "dhcpmode 0", "register 0", "go 610.00"}));
    EXPECT_EQ(s.phy, QList<QVariantMap>{newTuneMap30()});
    EXPECT_EQ(s.status, QStringList{"Start Ranging CM"});
    passesUntil([&] { return s.ups.size() >= 2; });
    ASSERT_EQ(s.ups.size(), 2);
    // Ranged, never further: DHCP is off.
    EXPECT_EQ(m.link.modem().registrationWord(), "RANGING_COMPLETE");
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RANGING_COMPLETE);
    const QVariantMap channel0 = s.phy.back();
    EXPECT_EQ((std::vector<int>{channel0["index"].toInt(), channel0["freq"].toInt(), channel0["sr"].toInt(),
                                channel0["pre_range"].toInt()}),
              (std::vector<int>{0, 610000000, 6952, 2})); // a clean channel: the bound
    EXPECT_EQ(s.ups.back().size(), 2);
    EXPECT_TRUE(s.status.contains("")); // a round done
    // Tuned by the set-up, and once more by the readiness machine, which had not tuned there yet.
    EXPECT_EQ(count(m.commands(), "go 610.00"), 2);
    EXPECT_GE(count(m.commands(), "berstatus 0 3"), 2);
    EXPECT_EQ(count(m.commands(), "phy 1"), 0); // channel 0 only

    // A stop: the pass that follows idles.
    engine()->aturar();
    m.link.clock().advanceMs(5000); // past the tuning's pacing
    m.clearCommands();
    engine()->runPass();
    EXPECT_TRUE(m.commands().empty());

    // While only synchronised it reads channel 0 and polls again, never the upstream.
    stickState(m.board(), "PHY_SYNCHRONIZED");
    s.clear();
    choose(602000000, QML_CM_RANGING);
    passesUntil([&] { return count(m.commands(), "berstatus 0 3") >= 3; });
    EXPECT_GE(count(m.commands(), "berstatus 0 3"), 3);
    EXPECT_EQ(count(m.commands(), "upshow"), 0);
    EXPECT_TRUE(s.ups.isEmpty());
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RANGING_IN_PROGRESS);
}

TEST(Registration30, ReachesOperationalAndReportsTheScenesAddressesThenStopsItself)
{
    auto scene = std::make_shared<platform::sim::RfScene>();
    platform::sim::RfScene::typicalCableNetwork(*scene);
    platform::sim::DocsisPlan plan;
    plan.services.modemIp = "172.16.5.20";
    plan.services.mask = "255.255.0.0";
    plan.services.gateway = "172.16.0.1";
    plan.services.dhcp = "172.16.0.2";
    plan.services.tftp = "172.16.0.3";
    scene->setDocsisPlan(plan);
    LinkedModem m(kDocsis30, scene);
    m.link.modem().setStateStepMs(500); // ranged before the sweep reaches the upstream
    EngineSignals& s = m.emitted;
    choose(602000000, QML_CM_REGISTER_ON_CHANNEL);
    m.lap();
    engine()->runPass();
    EXPECT_LT(m.lap(), 60000u);
    EXPECT_EQ(engine()->measureCode(), NO_MESURE); // over by itself
    EXPECT_EQ(m.link.modem().registrationWord(), "OPERATIONAL");
    EXPECT_EQ(s.status, (QStringList{"Start Registering CM", "Decoding UP/DOWN CM", "Getting IP CM", ""}));
    ASSERT_EQ(s.phy.size(), 1 + PHY_CHANNELS);
    EXPECT_EQ(s.phy[0], newTuneMap30());
    EXPECT_EQ(s.phy[1]["freq"].toInt(), 602000000);
    EXPECT_EQ(s.ups.size(), 1);
    EXPECT_EQ(s.ip, (QList<QVariantMap>{{{"ip", "172.016.005.020"}, {"mask", "255.255.000.000"},
                                         {"gateway", "172.016.000.001"}, {"dhcp", "172.016.000.002"},
                                         {"tftp", "172.016.000.003"}, {"mac", "00:1A:2B:3C:4D:5E"}}}));
    for (const char* c : {"docsis/ip", "rangemode 1", "dhcpmode 1", "register 1", "go 602.00"})
        EXPECT_EQ(count(m.commands(), c), 1) << c;
}

TEST(Registration30, AModemThatNeverGetsAnAddressIsNeverReportedAndTheReportGivesUp)
{
    LinkedModem m;
    failModem(m.board(), platform::sim::kModemDhcpRegister);
    choose(602000000, QML_CM_REGISTER_ON_CHANNEL);
    MesuraCM* e = passingEngine();
    EXPECT_EQ(e->procesRegistre_CM_30(), 0); // channels decoded while DHCP is under way
    m.lap();
    EXPECT_EQ(e->decodificaIpCableModemRegistrat_CM_30(), -200);
    const uint64_t took = m.lap();
    EXPECT_GE(took, 30000u);
    EXPECT_LT(took, 35000u);
    EXPECT_EQ(m.link.modem().registrationWord(), "DHCPV4_IN_PROGRESS");
    EXPECT_TRUE(m.emitted.ip.isEmpty());
    EXPECT_EQ(count(m.commands(), "docsis/ip"), 0);
    EXPECT_NE(GetModemStatus(), MODEM_STATUS_REGISTERED);
    EXPECT_EQ(e->measureCode(), QML_CM_REGISTER_ON_CHANNEL); // not over: the next pass tries again
}

TEST(Registration30, AModemThatNeverFindsAChannelGivesUpAfter45SecondsAndAStopEndsIt)
{
    LinkedModem m;
    failModem(m.board(), platform::sim::kModemDownstreamRegister);
    EngineSignals& s = m.emitted;
    choose(602000000, QML_CM_REGISTER_ON_CHANNEL);
    testsupport::LogCapture log;
    engine()->runPass();
    EXPECT_TRUE(log.contains("salimos por tiempo mesura_on_channel_registrat_31_kk"));
    EXPECT_EQ(s.phy, QList<QVariantMap>{newTuneMap30()});
    // Never synchronised: nothing to register on at that frequency.
    EXPECT_EQ(s.status, (QStringList{"Start Registering CM",
                                     "No SC-QAM channel at 602.00 MHz\nChange the frequency on RANGING"}));
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(engine()->measureCode(), QML_CM_REGISTER_ON_CHANNEL);

    // A stop ends registration within one poll: the second's pause and the state report;
    // the report then stops at once, with the addresses of an earlier registration dropped.
    m.run([] { EXPECT_EQ(passingEngine()->procesRegistre_CM_30(), -1); }, 20000);
    EXPECT_LE(m.lap(), 20000u + 3200u);
    SetModemMeasuresIp_CableModem("10.9.9.9");
    EXPECT_EQ(engine()->decodificaIpCableModemRegistrat_CM_30(), -1);
    EXPECT_EQ(GetModemMeasuresIp_CableModem(), 0);
    EXPECT_EQ(s.status, (QStringList{"Getting IP CM"}));
}

TEST(OnChannel30, ARegisteredModemGoesStraightToItsAddressesAndTheReportMachineGivesUpWhenStuck)
{
    LinkedModem m(kDocsis30, nullptr, 25000);
    MesuraCM* e = passingEngine();
    e->setFrequency(602000000);
    EXPECT_EQ(e->mesuraOnChannelRegistrat(4), 100);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_STARTING);
    EXPECT_EQ(m.link.runSteps([e] { return e->mesuraOnChannelRegistrat(64); }, 500, 100), MODEM_STEP_REGISTERED);
    EXPECT_EQ(m.link.runSteps([e] { return e->mesuraOnChannelRegistrat(64); }, 500, MODEM_STEP_REGISTERED), 100);
    EXPECT_EQ(stepUntil(m, [e] { return e->mesuraOnChannelRegistrat(64); }, {0}, 500), 0);
    EXPECT_EQ(count(m.commands(), "go 602.00"), 0); // not tuned: registered already
    ASSERT_EQ(m.emitted.ip.size(), 1);
    EXPECT_EQ(m.emitted.ip[0]["dhcp"], "010.000.000.001");

    // The report machine on its own: the report, then the state until registered.
    m.clearCommands();
    m.emitted.clear();
    e->decodificaIpCableModemRegistrat(0);
    std::vector<int> answers;
    EXPECT_EQ(stepUntil(m, [&] {
        const int r = e->decodificaIpCableModemRegistrat(64);
        if (answers.empty() || answers.back() != r)
            answers.push_back(r);
        return r;
    }, {0, -1}, 500), 0);
    EXPECT_EQ(std::count(answers.begin(), answers.end(), MODEM_STEP_REGISTERED), 1);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_IP);
    ASSERT_EQ(m.emitted.ip.size(), 1);
    EXPECT_EQ(m.emitted.ip[0]["tftp"], "010.000.000.002");
    EXPECT_EQ(from(m.commands(), "", 4), (Commands{"", "docsis/ip", "", "doc/cms"}));
    // Stuck short of registration: given up 30 s after the report.
    stickState(m.board(), "DHCPV4_COMPLETE");
    e->decodificaIpCableModemRegistrat(0);
    testsupport::LogCapture log;
    m.lap();
    EXPECT_EQ(stepUntil(m, [e] { return e->decodificaIpCableModemRegistrat(64); }, {-100}, 2000), -100);
    EXPECT_GT(m.lap(), 32000u);
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
    stepUntil(m, [e] {
        const int r = e->procesRegistre30(64);
        return GetModemStatus() == MODEM_STATUS_RANGING_IN_PROGRESS ? 0 : r;
    }, {0});
    ASSERT_EQ(GetModemStatus(), MODEM_STATUS_RANGING_IN_PROGRESS);
    stickState(m.board(), "NOT_SYNCHRONIZED");
    SetMesuresRegistre30(0, 55);
    EXPECT_EQ(stepUntil(m, [e] { return e->procesRegistre30(64); }, {MODEM_STEP_REPORTED}), MODEM_STEP_REPORTED);
    // The registration measures reset, and the machine back at its start.
    EXPECT_EQ(GetMesuresRegistre30(0), UNMEASURED);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_STARTING);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_START);
    EXPECT_FALSE(statuses.contains(MODEM_STATUS_REGISTERED));
}
