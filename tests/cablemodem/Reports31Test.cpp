// The DOCSIS 3.1 reports, information test and channel parameter loads on the simulated
// 3.1 modem registered on the typical cable scene, in both of its line endings: what the
// engine emits agrees with the scene's channels, levels, upstreams and addresses.
#include "ModemTestSupport.h"

#include "cablemodem/modemStores.h"

#include <gtest/gtest.h>

using namespace modemtest;

namespace {
// A level as the modem prints it, with one decimal.
QString printed(double value) { return QString::number(value, 'f', 1); }

// The reply of a command, as a test reads it after the exchange.
QString reply(const char* command)
{
    EXPECT_EQ(passingEngine()->envia_cadena_modem(command, "mainMenu>", 3000), 1) << command;
    return getStringBufferTrames();
}

class Reports31 : public ::testing::TestWithParam<std::string> {};
INSTANTIATE_TEST_SUITE_P(LineEnds, Reports31, ::testing::Values(std::string("\r\n"), std::string("\n")),
                         [](const auto& info) { return info.param == "\n" ? "Lf" : "CrLf"; });
} // namespace

TEST_P(Reports31, EveryReportAgreesWithTheScene)
{
    LinkedModem m(kDocsis31, nullptr, 25000, GetParam()); // registered
    EngineSignals& s = m.emitted;
    MesuraCM* e = passingEngine();

    // An SC-QAM channel with its BER; channels the modem does not have are not asked for.
    e->load_IQ_params(1);
    ASSERT_EQ(s.phy31.size(), 1);
    const platform::sim::SceneCarrier c = m.scene->blocksOf("DOCSIS30")[1];
    const QVariantMap p = s.phy31[0];
    EXPECT_EQ((QVariantList{p["index"], p["uci"], p["rf_frequency"], p["power"], p["mse"].toString().trimmed(),
                            p["modulation"], p["sr"], p["quadres_const"]}),
              (QVariantList{1, 2, QString::number(c.frequencyHz / 1e6, 'f', 3), printed(receivedDbmv(c)),
                            printed(c.merDb), "QAM 256", "6952", 16}));
    // A clean channel: no error seen, the bound of 8 x 6952 x 3000 bits.
    EXPECT_EQ(p["pre_ber"], "< 5.99e-09");
    EXPECT_EQ(p["postbersym"], 1);
    EXPECT_TRUE(e->load_phy_params(-1).isEmpty());
    EXPECT_TRUE(e->load_phy_params(32).isEmpty());
    EXPECT_EQ(e->decodeBe_3_1(-1, {{"sr", "6952"}}), (QVariantMap{{"sr", "6952"}}));
    EXPECT_EQ(m.commands(), (Commands{"docsis/phystatus 1", "docsis/Debug/berstatus 1 3"}));

    // Identity (each pass of the information test) and addresses of the head end.
    s.clear();
    e->init(0, QML_CM_MAC_INFORMATION);
    e->runPass();
    e->runPass();
    ASSERT_EQ(s.information.size(), 2);
    EXPECT_EQ(s.information[0].size(), 10);
    EXPECT_EQ(s.information[0]["modelname"], "CM-SIM");
    EXPECT_EQ(s.information[0]["rfmacaddress"], "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(s.information[0]["softwareversion"], "fw_3_0_1");
    const platform::sim::DocsisServices services = m.scene->docsisPlan().services;
    const QString ips = reply("docsis/ipcable\r");
    passingEngine()->decodeIP_list_31(ips);
    // The list load of the same reply gives the same addresses.
    takeInReplyPart(ips);
    e->load_IP_list();
    ASSERT_EQ(s.ip.size(), 2);
    const std::pair<const char*, std::string> addresses[] = {
        {"ip", services.modemIp}, {"gateway", services.gateway}, {"mask", services.mask},
        {"dhcp", services.dhcp},  {"tftp", services.tftp},       {"tod", services.tod}};
    for (const auto& [key, address] : addresses) {
        EXPECT_EQ(s.ip[0][key], QString::fromStdString(address)) << key;
        EXPECT_EQ(s.ip[1][key].toString().trimmed(), QString::fromStdString(address)) << key;
    }

    // The upstream status, and the transmitter's table in the same reply.
    const QString us = reply("docsis/Debug/usstatus\r");
    e->decodeUsstatus_3_1(us);
    takeInReplyPart(us);
    e->load_Ups_params();
    const platform::sim::DocsisPlan plan = m.scene->docsisPlan();
    const auto scQam = plan.of(platform::sim::DocsisUpstream::Kind::ScQam);
    const auto ofdma = plan.of(platform::sim::DocsisUpstream::Kind::Ofdma);
    ASSERT_EQ(s.upsOfdm31.size(), 1);
    ASSERT_EQ(s.upsOfdm31[0].size(), 1);
    const QVariantMap o = s.upsOfdm31[0][0].toMap();
    EXPECT_EQ((QVariantList{o["freq"], o["bw"], o["sr"], o["power"], o["mod"]}),
              (QVariantList{QString::number(ofdma[0].frequencyHz / 1e6, 'f', 2),
                            QString::number(ofdma[0].bandwidthHz / 1e6, 'f', 2),
                            QString::number(ofdma[0].speedBitsPerS, 'f', 0), printed(ofdma[0].levelDbmv), "2K"}));
    ASSERT_EQ(s.upsBonding31.size(), 1);
    ASSERT_EQ(s.upsBonding31[0].size(), static_cast<int>(scQam.size()));
    ASSERT_EQ(s.ups.size(), 1);
    ASSERT_EQ(s.ups[0].size(), static_cast<int>(scQam.size()));
    for (int k = 0; k < static_cast<int>(scQam.size()); ++k) {
        const QVariantMap u = s.upsBonding31[0][k].toMap();
        const QString freq = QString::number(scQam[k].frequencyHz / 1e6, 'f', 2);
        EXPECT_EQ((QVariantList{u["freq"], u["uci"], u["bw"], u["power"], s.ups[0][k].toMap()["frequency_bw"]}),
                  (QVariantList{freq, QString::number(scQam[k].channelId), scQam[k].bandwidthHz,
                                printed(scQam[k].levelDbmv), freq}));
    }
    EXPECT_EQ(GetUps31Pointer()[0].fields[4], QString::number(scQam[0].channelId));

    // The downstream status: every locked channel, the OFDM one with its analysis, each
    // asked for once (as the modem received it, a blank before the return).
    s.clear();
    m.clearCommands();
    e->decodeDsstatus_3_1(reply("docsis/Debug/dsstatus\r"));
    const std::vector<platform::sim::SceneCarrier> channels = m.scene->blocksOf("DOCSIS30");
    ASSERT_EQ(s.phy31.size(), static_cast<int>(channels.size()));
    for (int i = 0; i < s.phy31.size(); ++i) {
        EXPECT_EQ(s.phy31[i]["index"], i);
        EXPECT_EQ(s.phy31[i]["rf_frequency"], QString::number(channels[i].frequencyHz / 1e6, 'f', 3));
    }
    const platform::sim::SceneCarrier ofdm = m.scene->blocksOf("DOCSIS31")[0];
    ASSERT_EQ(s.downOfdm31.size(), 1);
    ASSERT_EQ(s.downOfdm31[0].size(), 1);
    const QVariantMap row = s.downOfdm31[0][0].toMap();
    EXPECT_EQ((QVariantList{row["index"], row["uci"], row["locked"], row["plc_freq"], row["active_profiles"]}),
              (QVariantList{"0", 1, "YES", QString::number(ofdm.frequencyHz, 'f', 0), "A,B,C"}));
    EXPECT_NEAR(row["power"].toDouble(), receivedDbmv(ofdm), 0.05);
    EXPECT_NEAR(row["mer_att"].toDouble(), ofdm.merDb, 0.5);
    EXPECT_EQ(count(m.commands(), "docsis/General/dsOfdmInfo 0 "), 1);
    EXPECT_EQ(count(m.commands(), "docsis/Fw/ds_phy/status/dsProfInfo 0 "), 1);

    // An unlocked OFDM channel is not listed and its analysis is not asked for.
    failModem(m.board(), platform::sim::kModemOfdmRegister);
    s.clear();
    e->decodeDsstatus_3_1(reply("docsis/Debug/dsstatus\r"));
    EXPECT_TRUE(s.downOfdm31.isEmpty());
    EXPECT_EQ(s.phy31.size(), 4);
    EXPECT_TRUE(e->decodeDsOfdmInfo_3_1(0).isEmpty());
    EXPECT_TRUE(e->decodeDsProfInfo_3_1(0).isEmpty());
    m.clearCommands();
    EXPECT_TRUE(e->decodeDsOfdmInfo_3_1(2).isEmpty());
    EXPECT_TRUE(m.commands().empty());
}
