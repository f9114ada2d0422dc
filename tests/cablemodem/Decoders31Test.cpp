// The DOCSIS 3.1 report decoders on the modem's texts: the cases the reports are read by,
// truncated and garbled texts, and CRLF against LF line ends (which must decode alike).
#include "cablemodem/modemDecoders31.h"
#include "cablemodem/modemStores.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
QString crlf(QString text) { return text.replace("\n", " \r\n"); }

// Each case decoded in both line endings must give the same.
template <typename Decode>
auto bothEndings(const QString& lf, Decode decode)
{
    const auto a = decode(lf);
    EXPECT_EQ(decode(crlf(lf)), a) << lf.toStdString();
    return a;
}

QVariantMap phy(const QString& sr, const QString& modulation) { return {{"sr", sr}, {"modulation", modulation}}; }

const char kBerHeader[] = "docsis/Debug/berstatus 0 3\nMode Frequency MSE PreBER PostBER Corr Uncorr Total\n";
} // namespace

TEST(Modulation31, OrdersAreWholeNumbersOfTheText)
{
    const struct {
        const char* text;
        int order;
        int bits;
    } cases[] = {{"QPSK", 4, 2},       {"8 QAM", 8, 3},    {"QAM 16", 16, 4},  {"32QAM", 32, 5},   {"QAM 64", 64, 6},
                 {"128 QAM", 128, 7},  {"QAM 128", 128, 7}, {"QAM 256", 256, 8}, {"4096 QAM", 4096, 8},
                 {"QAM 1616", 0, 8},   {"", 0, 8},          {"QAM", 0, 8}};
    for (const auto& c : cases) {
        EXPECT_EQ(qamOrderOfText(c.text), c.order) << c.text;
        EXPECT_EQ(bitsPerSymbolOfText(c.text), c.bits) << c.text;
    }
}

TEST(BerStatus31, ReadingsBoundsAndUnreadableColumns)
{
    const struct {
        const char* line;
        QVariantMap phy;
        QVariantMap added; // keys the report adds
    } cases[] = {
        // 0 is no error seen: the bound over 6 x 5361 x 3000 bits.
        {"3 602000000 38.5 0 1.5e-07 0 0 10\n", phy("5361", "QAM 64"),
         {{"pre_ber", "< 1.04e-08"}, {"prebersym", 1}, {"pre_range", "eUnderRange"},
          {"postber", "1.5e-07"}, {"postbersym", 0}, {"post_range", "eInRange"}}},
        {"3 602000000 38.5 0 0 0 0 10\n", phy("6952", "QAM 256"),
         {{"pre_ber", "< 5.99e-09"}, {"prebersym", 1}, {"pre_range", "eUnderRange"},
          {"postber", "< 5.99e-09"}, {"postbersym", 1}, {"post_range", "eUnderRange"}}},
        {"3 602000000 38.5 0 2e-5 0 0 10\n", phy("5361", "8 QAM"),
         {{"pre_ber", "< 2.07e-08"}, {"prebersym", 1}, {"pre_range", "eUnderRange"},
          {"postber", "2e-5"}, {"postbersym", 0}, {"post_range", "eInRange"}}},
        // 128-QAM is 7 bits, not the 3 of an "8" inside it.
        {"3 602000000 38.5 0 2e-5 0 0 10\n", phy("5361", "128 QAM"),
         {{"pre_ber", "< 8.88e-09"}, {"prebersym", 1}, {"pre_range", "eUnderRange"},
          {"postber", "2e-5"}, {"postbersym", 0}, {"post_range", "eInRange"}}},
        // No symbol rate: no bound, never "< inf".
        {"3 602000000 38.5 0 0 0 0 10\n", phy("0", "QAM 256"),
         {{"pre_ber", "---"}, {"prebersym", 0}, {"pre_range", "eInRange"},
          {"postber", "---"}, {"postbersym", 0}, {"post_range", "eInRange"}}},
        {"3 602000000 38.5 0 0 0 0 10\n", phy("", "QAM 256"),
         {{"pre_ber", "---"}, {"prebersym", 0}, {"pre_range", "eInRange"},
          {"postber", "---"}, {"postbersym", 0}, {"post_range", "eInRange"}}},
        {"3 602000000 38.5 x 0 0 0 10\n", phy("6952", "QAM 256"), {{"pre_ber", "---"}, {"postber", "---"}}},
        // Lines that are not the report: other mode, other column count, a leading blank.
        {"4 602000000 38.5 0 0 0 0 10\n", phy("6952", "QAM 256"), {}},
        {"3 602000000 38.5 0 0 0 0\n", phy("6952", "QAM 256"), {}},
        {" 3 602000000 38.5 0 0 0 0 10\n", phy("6952", "QAM 256"), {}},
        {"3 602000000 38.5 0 0 0 0 10 11\n", phy("6952", "QAM 256"), {}},
    };
    for (const auto& c : cases) {
        const QString reply = QString(kBerHeader) + c.line + "mainMenu>";
        QVariantMap expected = c.phy;
        for (auto it = c.added.begin(); it != c.added.end(); ++it)
            expected.insert(it.key(), it.value());
        EXPECT_EQ(bothEndings(reply, [&](const QString& r) { return berStatus31(r, c.phy); }), expected) << c.line;
    }
    // Without the prompt (cut short) or the heading nothing is read; a later line wins.
    EXPECT_EQ(berStatus31(QString(kBerHeader) + "3 1 2 0 0 0 0 10\n", phy("6952", "")), phy("6952", ""));
    EXPECT_EQ(berStatus31("3 1 2 0 0 0 0 10\nmainMenu>", phy("6952", "")), phy("6952", ""));
    EXPECT_EQ(berStatus31(QString(kBerHeader) + "3 1 2 5e-6 0 0 0 10\n3 1 2 7e-6 0 0 0 10\nmainMenu>", phy("6952", ""))
                  .value("pre_ber"),
              "7e-6");
}

TEST(Identity31, VendorLabelsBecomeKeysWithoutBlanks)
{
    const QString full = "docsis/vendor\nModel Name: CM-SIM\nVendor Name: SIMULATED\nSerial Number: SIM000001\n"
                         "Hardware Version: 1.0\nSoftware Version: fw 3.0.1\nS/W Build Date: Jan 1 2025\n"
                         "RF MAC Address: 00:1A:2B:3C:4D:5E\nLAN MAC Address: 00:1A:2B:3C:4D:5F\n"
                         "Modem LAN IP: 192.168.100.1\nModem LAN MASK: 255.255.255.0\nmainMenu>";
    EXPECT_EQ(bothEndings(full, vendorInformation31),
              (QVariantMap{{"modelname", "CM-SIM"},
                           {"vendorname", "SIMULATED"},
                           {"serialnumber", "SIM000001"},
                           {"hardwareversion", "1.0"},
                           {"softwareversion", "fw3.0.1"},
                           {"s/wbuilddate", "Jan12025"},
                           {"rfmacaddress", "00:1A:2B:3C:4D:5E"},
                           {"lanmacaddress", "00:1A:2B:3C:4D:5F"},
                           {"modemlanip", "192.168.100.1"},
                           {"modemlanmask", "255.255.255.0"}}));
    EXPECT_EQ(vendorInformation31("RF MAC Address: 00:1A:2B:3C:4D:5E\nmainMenu>"),
              (QVariantMap{{"rfmacaddress", "00:1A:2B:3C:4D:5E"}}));
    // Labels match case-sensitively.
    EXPECT_EQ(vendorInformation31("Modem LAN Mask: 255.0.0.0\nmainMenu>"), QVariantMap());
    EXPECT_EQ(vendorInformation31(""), QVariantMap());
}

TEST(Identity31, IpBlockAddressesAndThePhysicalAddress)
{
    const QString block = "docsis/ipcable\nCM IPv4 information:\n IP Address = 10.1.2.3\n Subnet Mask = 255.255.255.0\n"
                          " Default Gateway = 10.1.2.1\n DHCP Server = 10.0.0.1\n LOG Server = 0.0.0.0\n"
                          " TFTP Server = 10.0.0.2\n ToD Server = 10.0.0.3\n Physical Address = 00:1A:2B:3C:4D:5E\n"
                          "mainMenu>";
    EXPECT_EQ(bothEndings(block, ipInformation31),
              (QVariantMap{{"ip", "10.1.2.3"},
                           {"mask", "255.255.255.0"},
                           {"gateway", "10.1.2.1"},
                           {"dhcp", "10.0.0.1"},
                           {"log", "0.0.0.0"},
                           {"tftp", "10.0.0.2"},
                           {"tod", "10.0.0.3"},
                           {"PhysicalAddress", " 00:1A:2B:3C:4D:5E"}}));
    // The TFTP and ToD labels end in a blank.
    QVariantMap tight = ipInformation31("CM IPv4 information:\n TFTP Server =10.0.0.2\n ToD Server =10.0.0.3\nmainMenu>");
    EXPECT_FALSE(tight.contains("tftp"));
    EXPECT_FALSE(tight.contains("tod"));
    // Without the block or its prompt: the physical address alone (empty when absent).
    EXPECT_EQ(ipInformation31(" IP Address = 10.1.2.3\nmainMenu>"), (QVariantMap{{"PhysicalAddress", ""}}));
    EXPECT_EQ(ipInformation31("CM IPv4 information:\n IP Address = 10.1.2.3\n"), (QVariantMap{{"PhysicalAddress", ""}}));

    EXPECT_EQ(bothEndings(block, ipList31),
              (QVariantMap{{"ip", " 10.1.2.3"},
                           {"mask", " 255.255.255.0"},
                           {"gateway", " 10.1.2.1"},
                           {"dhcp", " 10.0.0.1"},
                           {"log", " 0.0.0.0"},
                           {"tftp", " 10.0.0.2"},
                           {"tod", " 10.0.0.3"}}));
    QString six = block;
    six.replace(" ToD Server = 10.0.0.3\n", "").replace(" Physical Address = 00:1A:2B:3C:4D:5E\n", "");
    EXPECT_EQ(ipList31(six), QVariantMap());
}

TEST(PhyStatus31, LabelledTextsSymbolRateAndGrid)
{
    const QString report = "docsis/phystatus 2\nDownstream channel 2\nCh Enabled: YES\nRF frequency: 618.000 MHz\n"
                           "QAM Lock: YES\nFEC Sync: YES\nMPEG Sync: NO\nAnnex: ANNEX-B\nMSE: 38.5 dB\n"
                           "Qam mode :   QAM  256\ninterleaver mode: I=128, J=1\nCarrier offset is 1200 Hz\n"
                           "Reported power is 9.3 dBmv\nmainMenu>";
    EXPECT_EQ(bothEndings(report, [](const QString& r) { return phyStatus31(r, 2); }),
              (QVariantMap{{"index", 2},
                           {"uci", 3},
                           {"ch_enabled", " YES"},
                           {"rf_frequency", "618.000"},
                           {"qam_lock", " YES"},
                           {"fec_sync", " YES"},
                           {"mpeg_sync", " NO"},
                           {"annex", " ANNEX-B"},
                           {"mse", " 38.5 "},
                           {"modulation", "QAM 256"},
                           {"interleaver", " I=128, J=1"},
                           {"f_offset", "1200 "},
                           {"power", "9.3"},
                           {"sr", "5361"},
                           {"quadres_const", 16}}));
    const struct {
        const char* annex;
        const char* modulation;
        const char* sr;
        int grid;
    } cases[] = {{"ANNEX-A", "QAM 64", "6952", 8},  {"ANNEX-B", "QAM 64", "5057", 8}, {"ANNEX-B", "QAM 128", "5361", 12},
                 {"ANNEX-B", "QAM 32", "5361", 6},  {"ANNEX-A", "QAM 1024", "6952", 4}, {"", "", "5361", 4}};
    for (const auto& c : cases) {
        const QVariantMap m = phyStatus31(QString("Annex: %1\nQam mode : %2\n").arg(c.annex, c.modulation), 0);
        EXPECT_EQ(m["sr"], c.sr) << c.modulation;
        EXPECT_EQ(m["quadres_const"], c.grid) << c.modulation;
    }
    // Labels missing: empty texts.
    EXPECT_EQ(phyStatus31("", 0)["power"], "");
}

namespace {
// The SC-QAM section of the upstream status, with a state row and the value rows.
QString scQamSection(const QString& state, const QString& sr = "5120 | 5120 | 0 | 0 | 0 | 0 | 0 | 0")
{
    return "SC QAM CHANNELS INFO\nSTATE       : " + state + "\nUpstream    : 1 | 2 | 0 | 0 | 0 | 0 | 0 | 0\n"
        + "Frquency    : 36.50 | 30.10 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00\nSymbol rate : " + sr
        + "\nrep power   : 45.5 | 44.0 | 0.0 | 0.0 | 0.0 | 0.0 | 0.0 | 0.0\n"
        + "modulation  : 64QAM | 64QAM | NONE | NONE | NONE | NONE | NONE | NONE\n";
}
const char kOfdma[] = "OFDMA CHANNELS INFO\nPower           : ON ON\nSTATE           : OPERATE IDLE\n"
                      "Center Freq SC0 : 44.00  50.00\nif Speed(bit/s) : 100000000 0\nrep power       : 42.0 41.0\n"
                      "BW (sc's*fft)   : 20.00 10.00\nFFT SIZE        : 2K 4K\nmainMenu>";

std::vector<int> indexes(const QVariantList& list)
{
    std::vector<int> out;
    for (const QVariant& v : list)
        out.push_back(v.toMap()["index"].toInt());
    return out;
}
} // namespace

TEST(UpstreamStatus31, OperatingChannelsOfBothSections)
{
    const QString reply = scQamSection(" OPERATE | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE") + kOfdma;
    const UpstreamStatus31 s = upstreamStatus31(reply);
    const UpstreamStatus31 c = upstreamStatus31(crlf(reply));
    EXPECT_EQ(c.ofdma, s.ofdma);
    EXPECT_EQ(c.scQam, s.scQam);
    // Channel 1 is on but not operating.
    ASSERT_EQ(s.ofdma.size(), 1);
    EXPECT_EQ(s.ofdma[0].toMap(), (QVariantMap{{"index", 0}, {"uci", 1}, {"freq", "44.00"}, {"sr", "100000000"},
                                               {"power", "42.0"}, {"bw", "20.00"}, {"mod", "2K"}}));
    ASSERT_EQ(s.scQam.size(), 2);
    EXPECT_EQ(s.scQam[1].toMap(), (QVariantMap{{"index", 1}, {"uci", "2"}, {"freq", "30.10"}, {"sr", "5120"},
                                               {"power", "44.0"}, {"mod", "64QAM"}, {"bw", 6400000.0}}));

    const struct {
        QString reply;
        std::vector<int> ofdma;
        std::vector<int> scQam;
    } cases[] = {
        // No OFDMA heading: the SC-QAM section is empty too.
        {scQamSection("OPERATE | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE"), {}, {}},
        // Case matters; a ninth column (a trailing separator) drops the row.
        {scQamSection("operate | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE") + kOfdma, {0}, {1}},
        {scQamSection("OPERATE | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | x") + kOfdma, {0}, {}},
        {scQamSection("OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | OPERATE") + kOfdma, {0}, {0, 7}},
        // A power row of another count turns the OFDMA channels off; a missing state row
        // leaves the power row's verdict.
        {scQamSection("IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE") + QString(kOfdma).replace("ON ON", "ON"),
         {}, {}},
        {QString(kOfdma).replace("STATE           : OPERATE IDLE\n", ""), {0, 1}, {}},
        {"garbage | OPERATE\nmainMenu>", {}, {}},
    };
    for (const auto& c : cases) {
        const UpstreamStatus31 r = upstreamStatus31(c.reply);
        EXPECT_EQ(indexes(r.ofdma), c.ofdma) << c.reply.toStdString();
        EXPECT_EQ(indexes(r.scQam), c.scQam) << c.reply.toStdString();
    }
    // A symbol rate that is no whole number gives no width.
    const UpstreamStatus31 odd = upstreamStatus31(
        scQamSection("OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE", "51.2 | 0 | 0 | 0 | 0 | 0 | 0 | 0")
        + kOfdma);
    ASSERT_EQ(odd.scQam.size(), 1);
    EXPECT_EQ(odd.scQam[0].toMap()["bw"], QVariant(0.0));
}

TEST(UpstreamTable31, OperatingColumnsAndTheStoreOnlyWithEveryRow)
{
    const QString table = "| ch |0|1|2|3|4|5|6|7|\nSTATE | IDLE | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE |\n"
                          "Frquency | 36.50 | 30.10 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 |\n"
                          "Symbol rate | 5120 | 2560 | 0 | 0 | 0 | 0 | 0 | 0 |\n"
                          "modulation | 64QAM | 16QAM | NONE | NONE | NONE | NONE | NONE | NONE |\n"
                          "rep power 1_6 | 45.5 | 44.0 | 0.0 | 0.0 | 0.0 | 0.0 | 0.0 | 0.0 |\n"
                          "Upstream | 1 | 2 | 0 | 0 | 0 | 0 | 0 | 0 |\ndeltaPf: 0\nmainMenu>";
    EXPECT_EQ(bothEndings(table, upstreamTable31),
              (QVariantList{QVariantMap{{"index", 1}, {"frequency_bw", "30.10"}, {"mod", "16QAM"}, {"sr", "2560"},
                                        {"power", "44.0"}, {"uci", "2"}}}));
    EXPECT_EQ(GetUps31Pointer()[0].fields[0], "36.50");
    EXPECT_EQ(GetUps31Pointer()[1].fields[4], "2");
    // A missing row, no channel operating, or no table: nothing, the store left alone.
    GetUps31Pointer()[0].fields[0] = "kept";
    for (const QString& broken : {QString(table).replace("rep power 1_6", "rep power"),
                                  QString(table).replace("| OPERATE |", "| IDLE |"), QString(table).remove("deltaPf"),
                                  QString()}) {
        EXPECT_EQ(upstreamTable31(broken), QVariantList()) << broken.toStdString();
        EXPECT_EQ(GetUps31Pointer()[0].fields[0], "kept");
    }
}

TEST(DownstreamStatus31, LockedChannelsOfBothTables)
{
    const QString head = "docsis/Debug/dsstatus\n|  Receiver # | Frequency | Lock | Mod | Annex | Power | MER | DCID | P | B |\n";
    const QString rows = "|  1 | 602000000 | YES | 256QAM | A | 8.0 | 38.0 | 1 | YES | YES |\n"
                         "|  2 | 0 | NO | NONE | NA | 0.0 | 0.0 | NA | NO | NO |\n"
                         "|  3 | 618000000 | YES | 256QAM | A | 8.1 | 38.0 | 3 | NO | YES |\n"
                         "|  4 | 626000000 | YES | 256QAM | A | 8.1 | 38.0 | NA | NO | YES |\n"
                         "|  5 | 0 | YES | 256QAM | A | 8.1 | 38.0 | 5 | NO | YES |\n"
                         "| 0 | 602000000 | YES | 256QAM | A | 8.0 | 38.0 | 1 | YES | YES |\n"
                         "| 33 | 602000000 | YES | 256QAM | A | 8.0 | 38.0 | 1 | YES | YES |\n";
    const QString ofdm = "OFDM CHANNELS\n| Ch | DCID | Frequency | Lock | FFT | Prof | Power | PLC | MER | B |\n"
                         "|  0 | 33 | 882000000 | YES | 4K | A,B,C | 13.3 | 930000000 | 41.0 | YES |\n"
                         "|  1 | NA | 0 | NO | 4K | NA | 0.0 | 0 | 0.0 | NO |\nmainMenu>";
    const DownstreamStatus31 s = downstreamStatus31(head + rows + ofdm);
    const DownstreamStatus31 c = downstreamStatus31(crlf(head + rows + ofdm));
    EXPECT_EQ(c.scQamChannels, s.scQamChannels);
    EXPECT_EQ(c.ofdm, s.ofdm);
    // Receivers 1 and 3; none without a frequency or channel id, nor one the modem lacks.
    EXPECT_EQ(s.scQamChannels, (QList<int>{0, 2}));
    ASSERT_EQ(s.ofdm.size(), 1);
    EXPECT_EQ(s.ofdm[0], (QVariantMap{{"index", "0"}, {"uci", 1}, {"freq", "882000000"}, {"locked", "YES"},
                                      {"power", "13.3"}, {"mer_att", "41.0"}}));
    // Without "OFDM CHANNELS" both tables are the whole text: an SC-QAM line never passes
    // the OFDM test ("YES" is no frequency).
    const DownstreamStatus31 whole = downstreamStatus31(head + rows);
    EXPECT_EQ(whole.scQamChannels, (QList<int>{0, 2}));
    EXPECT_TRUE(whole.ofdm.isEmpty());
    EXPECT_TRUE(downstreamStatus31(QString(ofdm).replace("| YES | 4K", "| NO | 4K")).ofdm.isEmpty());
    EXPECT_TRUE(downstreamStatus31("| 1 | 602000000 | YES |\nmainMenu>").scQamChannels.isEmpty());
}

TEST(OfdmReports31, InformationBandwidthChannelStateAndProfileRows)
{
    const QString info = "docsis/General/dsOfdmInfo 0\nOFDM channel 0 is locked!\nFFT Size: 4K\nSubcarrier Spacing: 50 KHz\n"
                         "First Active Subcarrier: 148, 600000000 Hz\nLast Active Subcarrier: 3947, 789950000 Hz\n"
                         "Total Active Channel Power: 5.3 dBmV\nAverage RxMER(dB): 38.6\n"
                         "Frequency of PLC: 693 000 000 Hz\nAverage PLCMER(dB): 40.2\nPLC power: 4.9 dBmV\n"
                         "Time Interleave Depth: 16\nNCP Modulation: 16 QAM\nmainMenu>";
    EXPECT_EQ(bothEndings(info, ofdmInfo31),
              (QVariantMap{{"bandwidth", "189950000"},
                           {"n_subcarriers", " 4K"},
                           {"mod", " 4K"},
                           {"subcarrier_freq", " 50 "},
                           {"pwr_avg", " 5.3 "},
                           {"mer_avg", " 38.6"},
                           {"plc_freq", "693000000"},
                           {"plc_mer", " 40.2"},
                           {"plc_pwr", " 4.9 "},
                           {"time_interleave", " 16"},
                           {"plc_mod", "16 QAM"},
                           {"first_active_subcarrier", "148"},
                           {"last_active_subcarrier", "3947"},
                           {"active_carriers", "148 - 3947"},
                           {"ncp_mod", "16"}}));
    EXPECT_EQ(ofdmBandwidthText(" 148, 100 ", " 3947, 250 "), "150");
    EXPECT_EQ(ofdmBandwidthText("3947, 250", "148, 100"), "");
    EXPECT_EQ(ofdmBandwidthText("148", "3947, 250"), "");

    EXPECT_TRUE(ofdmChannelUnlocked("OFDM channel 1 unlock!\nmainMenu>", 1));
    EXPECT_TRUE(ofdmChannelUnlocked("OFDM channel 0  un lock !", 0));
    EXPECT_FALSE(ofdmChannelUnlocked("OFDM channel 0 is locked!", 0));
    EXPECT_FALSE(ofdmChannelUnlocked("OFDM channel 1 unlock!", 0));
    EXPECT_FALSE(ofdmChannelUnlocked("", 0));

    const struct {
        const char* row;
        bool valid;
        const char* corrected;
        const char* uncorrectable;
    } rows[] = {
        {" | 16QAM | LOCKED | 100 | NONE | 17 |", true, "0", "17"},
        {" | 4096QAM | UNLOCKED | 100 | 3 | NONE |", true, "3", "0"},
        {" | NONE | NA | 0 | 0 | 0 |", false, "", ""},
        {" | 16QAM | LOCKED | 100 | NONE |", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& r : rows) {
        QString corrected;
        QString uncorrectable;
        EXPECT_EQ(profileCodewords31(r.row, &corrected, &uncorrectable), r.valid) << r.row;
        EXPECT_EQ(corrected, r.corrected) << r.row;
        EXPECT_EQ(uncorrectable, r.uncorrectable) << r.row;
    }
}
