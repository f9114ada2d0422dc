// DOCSIS 3.1 registration and ranging (codes 71, 74, 70, 75) on the simulated modem and the
// typical cable scene: the set-up each sends, the reports that follow each accepted state,
// and a modem that never finds its channel or is stopped while it settles.
#include "ModemTestSupport.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

using namespace modemtest;

namespace {
struct Modem31 : LinkedModem {
    Modem31() : LinkedModem(kDocsis31) { passingEngine()->setFrequency(602000000); }
    bool tuned() { return !startingWith(commands(), "docsis/General/tune").empty(); }
    Commands setUp(int diplexer, int n)
    {
        return from(commands(), "docsis/setDiplexer " + std::to_string(diplexer), n);
    }
};
} // namespace

TEST(Registration31, OnTheChannelItReachesOperationalAndReportsTheScenesNetworkUnlessStoppedWhileItSettles)
{
    Modem31 m;
    EngineSignals& s = m.emitted;
    // Stopped while the modem settles: over when the settle ends, the tune the last command.
    m.run([] { passingEngine()->mesura_on_channel_registrat_31(); }, 1000);
    EXPECT_EQ(m.commands().back(), "docsis/General/tune 602.00");
    EXPECT_EQ(s.restarts, 0);
    // A stopped test's steps tell nothing: the screen that follows is not this test's.
    EXPECT_TRUE(s.status.isEmpty()) << s.status.join(", ").toStdString();

    m.run([] { passingEngine()->mesura_on_channel_registrat_31(); }, 90000);
    // Over at the next look at the stop: the state poll under way skips its reports.
    EXPECT_LT(m.lap(), 90000u + 3500u);
    EXPECT_EQ(m.link.modem().registrationWord(), "OPERATIONAL");
    EXPECT_EQ(m.setUp(1, 5), (Commands{"docsis/setDiplexer 1", "docsis/dhcpmode 1", "docsis/rangemode 1",
                                       "docsis/findds 1", "docsis/General/tune 602.00"}));
    for (const char* text :
         {"Start Registering CM", "Registering decoding DOWN", "Registering decoding UP", "Getting IP CM"})
        EXPECT_TRUE(s.status.contains(text)) << text;
    // Downstream: the bonding group's SC-QAM channels and the OFDM channel.
    const std::vector<platform::sim::SceneCarrier> scQam = m.scene->blocksOf("DOCSIS30");
    ASSERT_GE(s.phy31.size(), static_cast<int>(scQam.size()));
    const QVariantMap last = s.phy31.last();
    EXPECT_EQ((QVariantList{last["index"], last["rf_frequency"], last["power"]}),
              (QVariantList{3, QString::number(scQam[3].frequencyHz / 1e6, 'f', 3),
                            QString::number(receivedDbmv(scQam[3]), 'f', 1)}));
    ASSERT_FALSE(s.downOfdm31.isEmpty());
    const QVariantMap ofdm = s.downOfdm31.last()[0].toMap();
    const platform::sim::ModemOfdmChannel o = platform::sim::sceneModemNetwork(m.scene).ofdm()[0];
    EXPECT_EQ(ofdm["plc_freq"], QString::number(o.centreHz));
    EXPECT_NEAR(ofdm["power"].toDouble(), o.powerDbmv, 0.05);
    // Upstream: the head end's SC-QAM and OFDMA channels, and its addresses, reported again
    // and again while registered.
    ASSERT_FALSE(s.upsBonding31.isEmpty() || s.upsOfdm31.isEmpty() || s.ip.isEmpty());
    EXPECT_EQ(s.upsBonding31.last().size(), 2);
    EXPECT_EQ(s.upsOfdm31.last().size(), 1);
    const platform::sim::DocsisServices services = m.scene->docsisPlan().services;
    EXPECT_EQ(s.ip.last()["ip"], QString::fromStdString(services.modemIp));
    EXPECT_EQ(s.ip.last()["gateway"], QString::fromStdString(services.gateway));
    EXPECT_GT(count(m.commands(), "docsis/ipcable"), 3);

    // The modem's own search (code 74): no tune is sent; the constellation screen busy (the
    // map it is told holds the last OFDM figures too).
    m.run([] { passingEngine()->mesura_on_channel_registrat_31_signal_31(); }, 60000);
    EXPECT_EQ(s.dadesIq.value(0).value("locked"), QVariant(false));
    EXPECT_EQ(m.setUp(2, 4),
              (Commands{"docsis/setDiplexer 2", "docsis/dhcpmode 1", "docsis/rangemode 1", "docsis/findds 1"}));
    EXPECT_FALSE(m.tuned());
    EXPECT_FALSE(s.ip.isEmpty());
    EXPECT_FALSE(s.downOfdm31.isEmpty());
}

TEST(Registration31, WithoutAChannelEachMissRestartsTheScreenAndAMinuteEndsTheProcedure)
{
    Modem31 m;
    failModem(m.board(), platform::sim::kModemDownstreamRegister);
    m.run([] { passingEngine()->mesura_on_channel_registrat_31(); });
    // Ended by itself: the set-up, 12 s of settling, then a minute of missed polls.
    const uint64_t took = m.lap();
    EXPECT_GT(took, 72000u);
    EXPECT_LT(took, 95000u);
    EXPECT_GT(m.emitted.restarts, 10);
    EXPECT_EQ(m.emitted.status.count("Start Registering CM"), m.emitted.restarts + 1);
    EXPECT_TRUE(m.emitted.phy31.isEmpty());
    EXPECT_TRUE(m.emitted.ip.isEmpty());
}

TEST(Ranging31, OnTheChannelAndWithTheModemsOwnSearchWithOneOrTwoOfdmChannels)
{
    Modem31 m;
    EngineSignals& s = m.emitted;
    m.run([] { passingEngine()->mesura_ranging_31(); }, 60000);
    EXPECT_EQ(m.link.modem().registrationWord(), "RANGING_COMPLETE"); // no DHCP asked for
    EXPECT_EQ(s.dadesIq.value(0), (QVariantMap{{"locked", false}}));
    EXPECT_EQ(m.setUp(1, 5), (Commands{"docsis/setDiplexer 1", "docsis/dhcpmode 0", "docsis/rangemode 1",
                                       "docsis/findds 1", "docsis/General/tune 602.00"}));
    ASSERT_FALSE(s.phy31.isEmpty() || s.upsBonding31.isEmpty());
    EXPECT_EQ((QVariantList{s.phy31.last()["index"], s.phy31.last()["rf_frequency"], s.phy31.last()["pre_range"],
                            s.upsBonding31.last()[0].toMap()["uci"]}),
              (QVariantList{0, "602.000", "eUnderRange", "1"}));
    EXPECT_TRUE(s.ip.isEmpty());
    EXPECT_EQ(s.restarts, 0);

    // The modem's own search: the OFDM channel and the upstream reported.
    m.run([] { passingEngine()->mesura_ranging_31_signal_31(); }, 60000);
    EXPECT_EQ(count(m.commands(), "docsis/Debug/clearNvramDsUsFreqDb"), 1);
    EXPECT_EQ(m.setUp(2, 4),
              (Commands{"docsis/setDiplexer 2", "docsis/dhcpmode 0", "docsis/rangemode 1", "docsis/findds 1"}));
    EXPECT_FALSE(m.tuned());
    for (const char* text : {"Start Ranging CM", "Ranging decoding DOWN", "Ranging decoding UP"})
        EXPECT_TRUE(s.status.contains(text)) << text;
    ASSERT_FALSE(s.dades31.isEmpty());
    const platform::sim::ModemOfdmChannel o = platform::sim::sceneModemNetwork(m.scene).ofdm()[0];
    EXPECT_NEAR(s.dades31.last()["pwr_avg"].toDouble(), o.powerDbmv, 0.5);
    EXPECT_NEAR(s.dades31.last()["mer_avg"].toDouble(), o.merDb, 0.5);
    EXPECT_FALSE(s.upsOfdm31.isEmpty());

    // The second OFDM channel asked for when there is none: no downstream report, the
    // upstream report all the same.
    ScreensVariables::getInstance()->setValue("cable_modem_ofdm_ds", 1);
    m.run([] { passingEngine()->mesura_ranging_31_signal_31(); }, 60000);
    EXPECT_GT(count(m.commands(), "docsis/General/dsOfdmInfo 1 "), 0);
    EXPECT_TRUE(s.dades31.isEmpty());
    EXPECT_FALSE(s.upsBonding31.isEmpty());
}

// Tuned where the network has no SC-QAM channel (the OFDM block), the modem never
// synchronises: when the minute runs out the ranging says why, and says it from the start
// of each try there until a channel is found.
TEST(Ranging31, WhereTheModemFindsNoScQamChannelItSaysSo)
{
    Modem31 m;
    const QString noChannel = "No SC-QAM channel at 930.00 MHz";
    passingEngine()->setFrequency(930000000);
    m.run([] { passingEngine()->mesura_ranging_31(); });
    EXPECT_LT(m.lap(), 95000u);
    EXPECT_EQ(m.emitted.status, (QStringList{"Start Ranging CM", noChannel}));
    EXPECT_TRUE(m.emitted.phy31.isEmpty());
    m.run([] { passingEngine()->mesura_ranging_31(); }, 20000);
    EXPECT_EQ(m.emitted.status, QStringList{noChannel});
    passingEngine()->setFrequency(602000000);
    m.run([] { passingEngine()->mesura_ranging_31(); }, 30000);
    EXPECT_EQ(m.emitted.status.value(0), "Start Ranging CM");
    EXPECT_FALSE(m.emitted.phy31.isEmpty());
    m.run([] { passingEngine()->mesura_ranging_31(); }, 20000);
    EXPECT_FALSE(m.emitted.status.contains("No SC-QAM channel at 602.00 MHz"));
}
