// The DOCSIS 3.1 reports, information test and channel parameter loads on the simulated
// 3.1 modem registered on the typical cable scene, in both of its line endings: what the
// engine emits agrees with the scene's channels, levels, upstreams and addresses.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemStores.h"

#include "RfScene.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace modemtest;

namespace {
// The modem registered (past OPERATIONAL) with the given line ending.
struct Registered31 : LinkedModem {
    explicit Registered31(const std::string& lineEnd) : LinkedModem(kDocsis31)
    {
        link.modem().setLineEnd(lineEnd);
        link.clock().advanceMs(30000);
        link.modem().clearCommands();
    }
    // A level as the modem prints it, with one decimal.
    static QString printed(double value) { return QString::number(value, 'f', 1); }
    // The reply of a command, as a test reads it after the exchange.
    QString reply(const char* command)
    {
        EXPECT_EQ(passingEngine()->envia_cadena_modem(command, "mainMenu>", 3000), 1) << command;
        return getStringBufferTrames();
    }
};

class Reports31 : public ::testing::TestWithParam<std::string> {};
} // namespace

TEST_P(Reports31, ChannelLoadWithBerAgreesWithTheScene)
{
    Registered31 m(GetParam());
    EngineSignals s;
    passingEngine()->load_IQ_params(1);
    ASSERT_EQ(s.phy31.size(), 1);
    const QVariantMap p = s.phy31[0];
    const platform::sim::SceneCarrier c = m.scene->blocksOf("DOCSIS30")[1];
    EXPECT_EQ(p["index"], 1);
    EXPECT_EQ(p["uci"], 2);
    EXPECT_EQ(p["rf_frequency"], QString::number(c.frequencyHz / 1e6, 'f', 3));
    EXPECT_EQ(p["power"], Registered31::printed(c.levelDbuV - 60));
    EXPECT_EQ(p["mse"].toString().trimmed(), Registered31::printed(c.merDb));
    EXPECT_EQ(p["modulation"], "QAM 256");
    EXPECT_EQ(p["sr"], "6952");
    EXPECT_EQ(p["quadres_const"], 16);
    // A clean channel: no error seen, the bound of 8 x 6952 x 3000 bits.
    EXPECT_EQ(p["pre_ber"], "< 5.99e-09");
    EXPECT_EQ(p["postbersym"], 1);
    EXPECT_EQ(m.commands(), (Commands{"docsis/phystatus 1", "docsis/Debug/berstatus 1 3"}));

    // Channels the modem does not have are not asked for.
    m.link.modem().clearCommands();
    EXPECT_TRUE(passingEngine()->load_phy_params(-1).isEmpty());
    EXPECT_TRUE(passingEngine()->load_phy_params(32).isEmpty());
    EXPECT_EQ(passingEngine()->decodeBe_3_1(-1, {{"sr", "6952"}}), (QVariantMap{{"sr", "6952"}}));
    EXPECT_TRUE(m.commands().empty());
}

TEST_P(Reports31, IdentityAndAddressesOfTheHeadEnd)
{
    Registered31 m(GetParam());
    EngineSignals s;
    passingEngine()->decodeVendor_3_1();
    ASSERT_EQ(s.information.size(), 1);
    EXPECT_EQ(s.information[0].size(), 10);
    EXPECT_EQ(s.information[0]["rfmacaddress"], "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(s.information[0]["softwareversion"], "fw_3_0_1");

    const platform::sim::DocsisServices services = m.scene->docsisPlan().services;
    const QString reply = m.reply("docsis/ipcable\r");
    passingEngine()->decodeIP_list_31(reply);
    ASSERT_EQ(s.ip.size(), 1);
    EXPECT_EQ(s.ip[0]["ip"], QString::fromStdString(services.modemIp));
    EXPECT_EQ(s.ip[0]["gateway"], QString::fromStdString(services.gateway));
    EXPECT_EQ(s.ip[0]["mask"], QString::fromStdString(services.mask));
    EXPECT_EQ(s.ip[0]["dhcp"], QString::fromStdString(services.dhcp));
    EXPECT_EQ(s.ip[0]["tftp"], QString::fromStdString(services.tftp));
    EXPECT_EQ(s.ip[0]["tod"], QString::fromStdString(services.tod));
    // The list load of the same reply gives the same addresses.
    takeInReplyPart(reply);
    passingEngine()->load_IP_list();
    ASSERT_EQ(s.ip.size(), 2);
    EXPECT_EQ(s.ip[1]["ip"].toString().trimmed(), QString::fromStdString(services.modemIp));
    EXPECT_EQ(s.ip[1]["tod"].toString().trimmed(), QString::fromStdString(services.tod));
}

TEST_P(Reports31, UpstreamStatusAndTableAgreeWithTheHeadEndsPlan)
{
    Registered31 m(GetParam());
    EngineSignals s;
    const QString reply = m.reply("docsis/Debug/usstatus\r");
    passingEngine()->decodeUsstatus_3_1(reply);
    const platform::sim::DocsisPlan plan = m.scene->docsisPlan();
    const auto scQam = plan.of(platform::sim::DocsisUpstream::Kind::ScQam);
    const auto ofdma = plan.of(platform::sim::DocsisUpstream::Kind::Ofdma);
    ASSERT_EQ(s.upsOfdm31.size(), 1);
    ASSERT_EQ(s.upsOfdm31[0].size(), 1);
    const QVariantMap o = s.upsOfdm31[0][0].toMap();
    EXPECT_EQ(o["freq"], QString::number(ofdma[0].frequencyHz / 1e6, 'f', 2));
    EXPECT_EQ(o["bw"], QString::number(ofdma[0].bandwidthHz / 1e6, 'f', 2));
    EXPECT_EQ(o["sr"], QString::number(ofdma[0].speedBitsPerS, 'f', 0));
    EXPECT_EQ(o["power"], Registered31::printed(ofdma[0].levelDbmv));
    EXPECT_EQ(o["mod"], "2K");
    ASSERT_EQ(s.upsBonding31.size(), 1);
    ASSERT_EQ(s.upsBonding31[0].size(), static_cast<int>(scQam.size()));
    for (int k = 0; k < static_cast<int>(scQam.size()); ++k) {
        const QVariantMap u = s.upsBonding31[0][k].toMap();
        EXPECT_EQ(u["freq"], QString::number(scQam[k].frequencyHz / 1e6, 'f', 2));
        EXPECT_EQ(u["uci"], QString::number(scQam[k].channelId));
        EXPECT_EQ(u["bw"], scQam[k].bandwidthHz);
        EXPECT_EQ(u["power"], Registered31::printed(scQam[k].levelDbmv));
    }
    // The transmitter's table in the same reply says the same.
    takeInReplyPart(reply);
    passingEngine()->load_Ups_params();
    ASSERT_EQ(s.ups.size(), 1);
    ASSERT_EQ(s.ups[0].size(), static_cast<int>(scQam.size()));
    EXPECT_EQ(s.ups[0][1].toMap()["frequency_bw"], s.upsBonding31[0][1].toMap()["freq"]);
    EXPECT_EQ(GetUps31Pointer()[0].fields[4], QString::number(scQam[0].channelId));
}

TEST_P(Reports31, DownstreamStatusReportsEveryLockedChannelWithItsAnalysis)
{
    Registered31 m(GetParam());
    EngineSignals s;
    passingEngine()->decodeDsstatus_3_1(m.reply("docsis/Debug/dsstatus\r"));
    const std::vector<platform::sim::SceneCarrier> scQam = m.scene->blocksOf("DOCSIS30");
    ASSERT_EQ(s.phy31.size(), static_cast<int>(scQam.size()));
    for (int i = 0; i < s.phy31.size(); ++i) {
        EXPECT_EQ(s.phy31[i]["index"], i);
        EXPECT_EQ(s.phy31[i]["rf_frequency"], QString::number(scQam[i].frequencyHz / 1e6, 'f', 3));
    }
    const platform::sim::SceneCarrier ofdm = m.scene->blocksOf("DOCSIS31")[0];
    ASSERT_EQ(s.downOfdm31.size(), 1);
    ASSERT_EQ(s.downOfdm31[0].size(), 1);
    const QVariantMap row = s.downOfdm31[0][0].toMap();
    EXPECT_EQ(row["index"], "0");
    EXPECT_EQ(row["uci"], 1);
    EXPECT_EQ(row["locked"], "YES");
    EXPECT_EQ(row["plc_freq"], QString::number(ofdm.frequencyHz, 'f', 0));
    EXPECT_EQ(row["active_profiles"], "A,B,C");
    EXPECT_NEAR(row["power"].toDouble(), ofdm.levelDbuV - 60, 0.05);
    EXPECT_NEAR(row["mer_att"].toDouble(), ofdm.merDb, 0.5);
    // Each asked for once, as the modem received it (a blank before the return).
    const Commands c = m.commands();
    EXPECT_EQ(std::count(c.begin(), c.end(), "docsis/General/dsOfdmInfo 0 "), 1);
    EXPECT_EQ(std::count(c.begin(), c.end(), "docsis/Fw/ds_phy/status/dsProfInfo 0 "), 1);
}

TEST_P(Reports31, AnUnlockedOfdmChannelIsNotListedAndItsAnalysisIsNotAskedFor)
{
    Registered31 m(GetParam());
    failModem(m.link.board(), platform::sim::kModemOfdmRegister);
    EngineSignals s;
    passingEngine()->decodeDsstatus_3_1(m.reply("docsis/Debug/dsstatus\r"));
    EXPECT_TRUE(s.downOfdm31.isEmpty());
    EXPECT_EQ(s.phy31.size(), 4);
    EXPECT_TRUE(passingEngine()->decodeDsOfdmInfo_3_1(0).isEmpty());
    EXPECT_TRUE(passingEngine()->decodeDsProfInfo_3_1(0).isEmpty());
    m.link.modem().clearCommands();
    EXPECT_TRUE(passingEngine()->decodeDsOfdmInfo_3_1(2).isEmpty());
    EXPECT_TRUE(m.commands().empty());
}

INSTANTIATE_TEST_SUITE_P(LineEnds, Reports31, ::testing::Values(std::string("\r\n"), std::string("\n")),
                         [](const auto& info) { return info.param == "\n" ? "Lf" : "CrLf"; });

TEST(Information, DocsisThreeOneReadsTheVendorReportEachPass)
{
    Registered31 m("\r\n");
    EngineSignals s;
    MesuraCM* e = MesuraCM::getInstance();
    e->init(0, QML_CM_MAC_INFORMATION);
    e->runPass();
    e->runPass();
    EXPECT_EQ(s.information.size(), 2);
    EXPECT_EQ(s.information[0]["modelname"], "CM-SIM");
}

TEST(Information, DocsisThreeZeroReadsTheMacAndFirmware)
{
    LinkedModem m(kDocsis30);
    EngineSignals s;
    MesuraCM* e = MesuraCM::getInstance();
    e->init(0, QML_CM_MAC_INFORMATION);
    for (int i = 0; i < 200 && s.information.isEmpty(); ++i)
        e->runPass();
    ASSERT_EQ(s.information.size(), 1);
    EXPECT_EQ(s.information[0], (QVariantMap{{"cm_mac", "00:1A:2B:3C:4D:5E"}, {"cm_firm_version", "fw_3_0_1"}}));
    const Commands c = m.commands();
    EXPECT_NE(std::find(c.begin(), c.end(), "macaddr"), c.end());
    EXPECT_NE(std::find(c.begin(), c.end(), "dir"), c.end());
}
