// DOCSIS 3.1 registration and ranging (codes 71, 74, 70, 75) on the simulated 3.1 modem
// and the typical cable scene, in virtual time: the set-up each sends, the reports that
// follow each accepted state once the modem is OPERATIONAL or ranged, and a modem that
// never finds its channel, is only ranged, or is stopped while it settles.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"

#include "CableModemBoard.h"
#include "RfScene.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace modemtest;

namespace {
int count(const Commands& commands, const std::string& command)
{
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

// The commands from the first of a sequence on, as the modem received them.
Commands from(const Commands& commands, const std::string& first, size_t n)
{
    const auto at = std::find(commands.begin(), commands.end(), first);
    return at == commands.end() ? Commands{} : Commands(at, at + std::min<size_t>(n, commands.end() - at));
}

struct Modem31 : LinkedModem {
    Modem31() : LinkedModem(kDocsis31) { passingEngine()->setFrequency(602000000); }
    MesuraCM* engine() { return passingEngine(); }
};
} // namespace

TEST(Registration31, OnTheChannelItReachesOperationalAndReportsTheScenesNetwork)
{
    Modem31 m;
    EngineSignals s;
    const uint64_t stop = m.now() + 90000;
    m.stopAt(stop);
    m.engine()->mesura_on_channel_registrat_31();
    // Over at the next look at the stop: the state poll under way skips its reports.
    EXPECT_LT(m.now() - stop, 3500u);
    EXPECT_EQ(m.link.modem().registrationWord(), "OPERATIONAL");
    EXPECT_EQ(from(m.commands(), "docsis/setDiplexer 1", 5),
              (Commands{"docsis/setDiplexer 1", "docsis/dhcpmode 1", "docsis/rangemode 1", "docsis/findds 1",
                        "docsis/General/tune 602.00"}));
    for (const char* text : {"Start Registering CM", "Registering decoding DOWN", "Registering decoding UP", "Getting IP CM"})
        EXPECT_TRUE(s.status.contains(text)) << text;

    // Downstream: the bonding group's SC-QAM channels and the OFDM channel.
    const std::vector<platform::sim::SceneCarrier> scQam = m.scene->blocksOf("DOCSIS30");
    ASSERT_GE(s.phy31.size(), static_cast<int>(scQam.size()));
    const QVariantMap last = s.phy31.last();
    EXPECT_EQ(last["index"], 3);
    EXPECT_EQ(last["rf_frequency"], QString::number(scQam[3].frequencyHz / 1e6, 'f', 3));
    EXPECT_EQ(last["power"], QString::number(scQam[3].levelDbuV - 60, 'f', 1));
    ASSERT_FALSE(s.downOfdm31.isEmpty());
    const QVariantMap ofdm = s.downOfdm31.last()[0].toMap();
    const platform::sim::ModemOfdmChannel o = platform::sim::sceneModemNetwork(m.scene).ofdm()[0];
    EXPECT_EQ(ofdm["plc_freq"], QString::number(o.centreHz));
    EXPECT_NEAR(ofdm["power"].toDouble(), o.powerDbmv, 0.05);
    // Upstream: the head end's SC-QAM and OFDMA channels.
    ASSERT_FALSE(s.upsBonding31.isEmpty());
    EXPECT_EQ(s.upsBonding31.last().size(), 2);
    ASSERT_FALSE(s.upsOfdm31.isEmpty());
    EXPECT_EQ(s.upsOfdm31.last().size(), 1);
    // And the head end's addresses.
    ASSERT_FALSE(s.ip.isEmpty());
    const platform::sim::DocsisServices services = m.scene->docsisPlan().services;
    EXPECT_EQ(s.ip.last()["ip"], QString::fromStdString(services.modemIp));
    EXPECT_EQ(s.ip.last()["gateway"], QString::fromStdString(services.gateway));
    // Reported again and again while registered.
    EXPECT_GT(count(m.commands(), "docsis/ipcable"), 3);
}

TEST(Registration31, WithTheModemsOwnSearchNoTuneIsSent)
{
    Modem31 m;
    EngineSignals s;
    m.stopAt(m.now() + 60000);
    m.engine()->mesura_on_channel_registrat_31_signal_31();
    ASSERT_FALSE(s.dadesIq.isEmpty());
    EXPECT_EQ(s.dadesIq.first(), (QVariantMap{{"locked", false}}));
    EXPECT_EQ(from(m.commands(), "docsis/setDiplexer 2", 4),
              (Commands{"docsis/setDiplexer 2", "docsis/dhcpmode 1", "docsis/rangemode 1", "docsis/findds 1"}));
    const Commands c = m.commands();
    EXPECT_TRUE(std::none_of(c.begin(), c.end(), [](const std::string& x) { return x.rfind("docsis/General/tune", 0) == 0; }));
    EXPECT_FALSE(s.ip.isEmpty());
    EXPECT_FALSE(s.downOfdm31.isEmpty());
}

TEST(Registration31, AModemOnlyRangedGetsItsTablesButNoAddressReport)
{
    Modem31 m;
    stickState(m.link.board(), "RANGING_COMPLETE");
    EngineSignals s;
    m.stopAt(m.now() + 60000);
    m.engine()->mesura_on_channel_registrat_31();
    EXPECT_FALSE(s.phy31.isEmpty());
    EXPECT_FALSE(s.upsBonding31.isEmpty());
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(count(m.commands(), "docsis/ipcable"), 0);
    EXPECT_FALSE(s.status.contains("Getting IP CM"));
}

TEST(Registration31, WithoutAChannelEachMissRestartsTheScreenAndAMinuteEndsTheProcedure)
{
    Modem31 m;
    failModem(m.link.board(), platform::sim::kModemDownstreamRegister);
    EngineSignals s;
    const uint64_t t0 = m.now();
    m.engine()->mesura_on_channel_registrat_31();
    // Ended by itself: the set-up, 12 s of settling, then a minute of missed polls.
    EXPECT_GT(m.now() - t0, 72000u);
    EXPECT_LT(m.now() - t0, 95000u);
    EXPECT_GT(s.restarts, 10);
    EXPECT_EQ(s.status.count("Start Registering CM"), s.restarts + 1);
    EXPECT_TRUE(s.phy31.isEmpty());
    EXPECT_TRUE(s.ip.isEmpty());
}

TEST(Registration31, AStopWhileTheModemSettlesEndsTheProcedureWhenTheSettleEnds)
{
    Modem31 m;
    EngineSignals s;
    m.stopAt(m.now() + 1000);
    m.engine()->mesura_on_channel_registrat_31();
    // The tune went out and nothing after it: no state was asked for.
    EXPECT_EQ(m.commands().back(), "docsis/General/tune 602.00");
    EXPECT_EQ(s.restarts, 0);
}

TEST(Ranging31, OnTheChannelItRangesAndReportsChannelZeroAndTheUpstream)
{
    Modem31 m;
    EngineSignals s;
    m.stopAt(m.now() + 60000);
    m.engine()->mesura_ranging_31();
    EXPECT_EQ(m.link.modem().registrationWord(), "RANGING_COMPLETE"); // no DHCP asked for
    EXPECT_EQ(s.dadesIq.first(), (QVariantMap{{"locked", false}}));
    EXPECT_EQ(from(m.commands(), "docsis/setDiplexer 1", 5),
              (Commands{"docsis/setDiplexer 1", "docsis/dhcpmode 0", "docsis/rangemode 1", "docsis/findds 1",
                        "docsis/General/tune 602.00"}));
    ASSERT_FALSE(s.phy31.isEmpty());
    EXPECT_EQ(s.phy31.last()["index"], 0);
    EXPECT_EQ(s.phy31.last()["rf_frequency"], "602.000");
    EXPECT_EQ(s.phy31.last()["pre_range"], "eUnderRange");
    ASSERT_FALSE(s.upsBonding31.isEmpty());
    EXPECT_EQ(s.upsBonding31.last()[0].toMap()["uci"], "1");
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(s.restarts, 0);
}

TEST(Ranging31, WithTheModemsOwnSearchItReportsTheOfdmChannelAndTheUpstream)
{
    Modem31 m;
    EngineSignals s;
    m.stopAt(m.now() + 60000);
    m.engine()->mesura_ranging_31_signal_31();
    const Commands c = m.commands();
    EXPECT_EQ(count(c, "docsis/Debug/clearNvramDsUsFreqDb"), 1);
    EXPECT_EQ(from(c, "docsis/setDiplexer 2", 4),
              (Commands{"docsis/setDiplexer 2", "docsis/dhcpmode 0", "docsis/rangemode 1", "docsis/findds 1"}));
    EXPECT_TRUE(std::none_of(c.begin(), c.end(), [](const std::string& x) { return x.rfind("docsis/General/tune", 0) == 0; }));
    for (const char* text : {"Start Ranging CM", "Ranging decoding DOWN", "Ranging decoding UP"})
        EXPECT_TRUE(s.status.contains(text)) << text;
    ASSERT_FALSE(s.dades31.isEmpty());
    const platform::sim::ModemOfdmChannel o = platform::sim::sceneModemNetwork(m.scene).ofdm()[0];
    EXPECT_NEAR(s.dades31.last()["pwr_avg"].toDouble(), o.powerDbmv, 0.5);
    EXPECT_NEAR(s.dades31.last()["mer_avg"].toDouble(), o.merDb, 0.5);
    EXPECT_FALSE(s.upsOfdm31.isEmpty());
}

TEST(Ranging31, TheSecondOfdmChannelAskedForWhenThereIsNoneGivesNoDownstreamReport)
{
    Modem31 m;
    ScreensVariables::getInstance()->setValue("cable_modem_ofdm_ds", 1);
    EngineSignals s;
    m.stopAt(m.now() + 60000);
    m.engine()->mesura_ranging_31_signal_31();
    EXPECT_GT(count(m.commands(), "docsis/General/dsOfdmInfo 1 "), 0);
    EXPECT_TRUE(s.dades31.isEmpty());
    // The upstream report still runs.
    EXPECT_FALSE(s.upsBonding31.isEmpty());
}
