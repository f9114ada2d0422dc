// The DOCSIS 3.1 report decoders and the constellation point decoders of both generations
// on the modem's texts: the cases the reports are read by, truncated and garbled texts,
// and CRLF against LF line ends (which must decode alike).
#include "ModemTestSupport.h"

#include "cablemodem/modemConstellation.h"
#include "cablemodem/modemDecoders31.h"
#include "cablemodem/modemStores.h"

#include <gtest/gtest.h>

using namespace modemtest;

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

// The keys a BER line adds: both readings and, unless bare, whether each is a bound.
QVariantMap berKeys(const QString& pre, const QString& post, bool bare = false)
{
    QVariantMap m{{"pre_ber", pre}, {"postber", post}};
    if (!bare) {
        m.insert("prebersym", pre.startsWith('<') ? 1 : 0);
        m.insert("pre_range", pre.startsWith('<') ? "eUnderRange" : "eInRange");
        m.insert("postbersym", post.startsWith('<') ? 1 : 0);
        m.insert("post_range", post.startsWith('<') ? "eUnderRange" : "eInRange");
    }
    return m;
}

std::vector<int> indexes(const QVariantList& list)
{
    std::vector<int> out;
    for (const QVariant& v : list)
        out.push_back(v.toMap()["index"].toInt());
    return out;
}

std::vector<std::pair<int, int>> pairs(const ConstellationPoints& p)
{
    std::vector<std::pair<int, int>> out;
    for (int n = 0; n < p.i.size(); ++n)
        out.emplace_back(p.i[n].toInt(), p.q[n].toInt());
    return out;
}
} // namespace

TEST(BerStatus31, ModulationOrdersReadingsBoundsAndUnreadableColumns)
{
    const struct { const char* text; int order, bits; } modulations[] = {
        {"QPSK", 4, 2},      {"8 QAM", 8, 3},     {"QAM 16", 16, 4},   {"32QAM", 32, 5},
        {"QAM 64", 64, 6},   {"128 QAM", 128, 7}, {"QAM 128", 128, 7}, {"QAM 256", 256, 8},
        {"4096 QAM", 4096, 8}, {"QAM 1616", 0, 8}, {"", 0, 8},         {"QAM", 0, 8}};
    for (const auto& c : modulations) {
        EXPECT_EQ(qamOrderOfText(c.text), c.order) << c.text;
        EXPECT_EQ(bitsPerSymbolOfText(c.text), c.bits) << c.text;
        EXPECT_EQ(MesuraCM::getInstance()->getBitsSymbol_from_string(c.text), c.bits) << c.text;
    }

    const struct { const char* line; QVariantMap phy; QVariantMap added; } cases[] = {
        // 0 is no error seen: the bound over 6 x 5361 x 3000 bits.
        {"3 602000000 38.5 0 1.5e-07 0 0 10", phy("5361", "QAM 64"), berKeys("< 1.04e-08", "1.5e-07")},
        {"3 602000000 38.5 0 0 0 0 10", phy("6952", "QAM 256"), berKeys("< 5.99e-09", "< 5.99e-09")},
        {"3 602000000 38.5 0 2e-5 0 0 10", phy("5361", "8 QAM"), berKeys("< 2.07e-08", "2e-5")},
        // 128-QAM is 7 bits, not the 3 of an "8" inside it.
        {"3 602000000 38.5 0 2e-5 0 0 10", phy("5361", "128 QAM"), berKeys("< 8.88e-09", "2e-5")},
        // No symbol rate: no bound, never "< inf".
        {"3 602000000 38.5 0 0 0 0 10", phy("0", "QAM 256"), berKeys("---", "---")},
        {"3 602000000 38.5 0 0 0 0 10", phy("", "QAM 256"), berKeys("---", "---")},
        {"3 602000000 38.5 x 0 0 0 10", phy("6952", "QAM 256"), berKeys("---", "---", true)},
        // Lines that are not the report: other mode, other column count, a leading blank.
        {"4 602000000 38.5 0 0 0 0 10", phy("6952", "QAM 256"), {}},
        {"3 602000000 38.5 0 0 0 0", phy("6952", "QAM 256"), {}},
        {" 3 602000000 38.5 0 0 0 0 10", phy("6952", "QAM 256"), {}},
        {"3 602000000 38.5 0 0 0 0 10 11", phy("6952", "QAM 256"), {}},
    };
    const QString header = "docsis/Debug/berstatus 0 3\nMode Frequency MSE PreBER PostBER Corr Uncorr Total\n";
    for (const auto& c : cases) {
        QVariantMap expected = c.phy;
        expected.insert(c.added);
        EXPECT_EQ(bothEndings(header + c.line + "\nmainMenu>", [&](const QString& r) { return berStatus31(r, c.phy); }),
                  expected)
            << c.line;
    }
    // Without the prompt (cut short) or the heading nothing is read; a later line wins.
    EXPECT_EQ(berStatus31(header + "3 1 2 0 0 0 0 10\n", phy("6952", "")), phy("6952", ""));
    EXPECT_EQ(berStatus31("3 1 2 0 0 0 0 10\nmainMenu>", phy("6952", "")), phy("6952", ""));
    EXPECT_EQ(berStatus31(header + "3 1 2 5e-6 0 0 0 10\n3 1 2 7e-6 0 0 0 10\nmainMenu>", phy("6952", ""))["pre_ber"],
              "7e-6");
}

TEST(Identity31, VendorLabelsIpBlockAndList)
{
    const QString vendor = "docsis/vendor\nModel Name: CM-SIM\nVendor Name: SIMULATED\nSerial Number: SIM000001\n"
                           "Hardware Version: 1.0\nSoftware Version: fw 3.0.1\nS/W Build Date: Jan 1 2025\n"
                           "RF MAC Address: 00:1A:2B:3C:4D:5E\nLAN MAC Address: 00:1A:2B:3C:4D:5F\n"
                           "Modem LAN IP: 192.168.100.1\nModem LAN MASK: 255.255.255.0\nmainMenu>";
    EXPECT_EQ(bothEndings(vendor, vendorInformation31),
              (QVariantMap{{"modelname", "CM-SIM"}, {"vendorname", "SIMULATED"}, {"serialnumber", "SIM000001"},
                           {"hardwareversion", "1.0"}, {"softwareversion", "fw3.0.1"}, {"s/wbuilddate", "Jan12025"},
                           {"rfmacaddress", "00:1A:2B:3C:4D:5E"}, {"lanmacaddress", "00:1A:2B:3C:4D:5F"},
                           {"modemlanip", "192.168.100.1"}, {"modemlanmask", "255.255.255.0"}}));
    // An empty value is no value, never the lines after it; labels match case-sensitively.
    EXPECT_EQ(bothEndings("Model Name:\nVendor Name: SIMULATED\nModem LAN Mask: 255.0.0.0\nmainMenu>",
                          vendorInformation31),
              (QVariantMap{{"vendorname", "SIMULATED"}}));
    EXPECT_EQ(vendorInformation31(""), QVariantMap());

    const QString block = "docsis/ipcable\nCM IPv4 information:\n IP Address = 10.1.2.3\n Subnet Mask = 255.255.255.0\n"
                          " Default Gateway = 10.1.2.1\n DHCP Server = 10.0.0.1\n LOG Server = 0.0.0.0\n"
                          " TFTP Server = 10.0.0.2\n ToD Server = 10.0.0.3\n Physical Address = 00:1A:2B:3C:4D:5E\n"
                          "mainMenu>";
    EXPECT_EQ(bothEndings(block, ipInformation31),
              (QVariantMap{{"ip", "10.1.2.3"}, {"mask", "255.255.255.0"}, {"gateway", "10.1.2.1"}, {"dhcp", "10.0.0.1"},
                           {"log", "0.0.0.0"}, {"tftp", "10.0.0.2"}, {"tod", "10.0.0.3"},
                           {"PhysicalAddress", " 00:1A:2B:3C:4D:5E"}}));
    const struct { QString text; QVariantMap map; } ips[] = {
        // Empty values are no values, never the lines after them.
        {"CM IPv4 information:\n IP Address =\n Subnet Mask =\n DHCP Server = 10.0.0.1\n Physical Address =\nmainMenu>",
         {{"dhcp", "10.0.0.1"}, {"PhysicalAddress", ""}}},
        // The TFTP and ToD labels end in a blank.
        {"CM IPv4 information:\n TFTP Server =10.0.0.2\n ToD Server =10.0.0.3\nmainMenu>", {{"PhysicalAddress", ""}}},
        // Without the block or its prompt: the physical address alone (empty when absent).
        {" IP Address = 10.1.2.3\nmainMenu>", {{"PhysicalAddress", ""}}},
        {"CM IPv4 information:\n IP Address = 10.1.2.3\n", {{"PhysicalAddress", ""}}},
    };
    for (const auto& c : ips)
        EXPECT_EQ(bothEndings(c.text, ipInformation31), c.map) << c.text.toStdString();

    EXPECT_EQ(bothEndings(block, ipList31),
              (QVariantMap{{"ip", " 10.1.2.3"}, {"mask", " 255.255.255.0"}, {"gateway", " 10.1.2.1"},
                           {"dhcp", " 10.0.0.1"}, {"log", " 0.0.0.0"}, {"tftp", " 10.0.0.2"}, {"tod", " 10.0.0.3"}}));
    QString six = block;
    six.remove(" ToD Server = 10.0.0.3\n").remove(" Physical Address = 00:1A:2B:3C:4D:5E\n");
    EXPECT_EQ(ipList31(six), QVariantMap());
}

TEST(ChannelReports31, PhyStatusUpstreamStatusAndTable)
{
    const QString report = "docsis/phystatus 2\nDownstream channel 2\nCh Enabled: YES\nRF frequency: 618.000 MHz\n"
                           "QAM Lock: YES\nFEC Sync: YES\nMPEG Sync: NO\nAnnex: ANNEX-B\nMSE: 38.5 dB\n"
                           "Qam mode :   QAM  256\ninterleaver mode: I=128, J=1\nCarrier offset is 1200 Hz\n"
                           "Reported power is 9.3 dBmv\nmainMenu>";
    EXPECT_EQ(bothEndings(report, [](const QString& r) { return phyStatus31(r, 2); }),
              (QVariantMap{{"index", 2}, {"uci", 3}, {"ch_enabled", " YES"}, {"rf_frequency", "618.000"},
                           {"qam_lock", " YES"}, {"fec_sync", " YES"}, {"mpeg_sync", " NO"}, {"annex", " ANNEX-B"},
                           {"mse", " 38.5 "}, {"modulation", "QAM 256"}, {"interleaver", " I=128, J=1"},
                           {"f_offset", "1200 "}, {"power", "9.3"}, {"sr", "5361"}, {"quadres_const", 16}}));
    const struct { const char *annex, *modulation, *sr; int grid; } grids[] = {
        {"ANNEX-A", "QAM 64", "6952", 8}, {"ANNEX-B", "QAM 64", "5057", 8},     {"ANNEX-B", "QAM 128", "5361", 12},
        {"ANNEX-B", "QAM 32", "5361", 6}, {"ANNEX-A", "QAM 1024", "6952", 4}, {"", "", "5361", 4}};
    for (const auto& c : grids) {
        const QVariantMap m = phyStatus31(QString("Annex: %1\nQam mode : %2\n").arg(c.annex, c.modulation), 0);
        EXPECT_EQ(m["sr"], c.sr) << c.modulation;
        EXPECT_EQ(m["quadres_const"], c.grid) << c.modulation;
    }
    EXPECT_EQ(phyStatus31("", 0)["power"], ""); // labels missing: empty texts

    // The upstream status: the SC-QAM section with a state row, then the OFDMA one.
    auto scQam = [](const QString& state, const QString& sr = "5120 | 5120 | 0 | 0 | 0 | 0 | 0 | 0") {
        return "SC QAM CHANNELS INFO\nSTATE       : " + state + "\nUpstream    : 1 | 2 | 0 | 0 | 0 | 0 | 0 | 0\n"
            + "Frquency    : 36.50 | 30.10 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00 | 0.00\nSymbol rate : " + sr
            + "\nrep power   : 45.5 | 44.0 | 0.0 | 0.0 | 0.0 | 0.0 | 0.0 | 0.0\n"
            + "modulation  : 64QAM | 64QAM | NONE | NONE | NONE | NONE | NONE | NONE\n";
    };
    const QString ofdma = "OFDMA CHANNELS INFO\nPower           : ON ON\nSTATE           : OPERATE IDLE\n"
                          "Center Freq SC0 : 44.00  50.00\nif Speed(bit/s) : 100000000 0\nrep power       : 42.0 41.0\n"
                          "BW (sc's*fft)   : 20.00 10.00\nFFT SIZE        : 2K 4K\nmainMenu>";
    const QString two = scQam(" OPERATE | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE") + ofdma;
    const UpstreamStatus31 s = upstreamStatus31(two);
    const UpstreamStatus31 c = upstreamStatus31(crlf(two));
    EXPECT_EQ(c.ofdma, s.ofdma);
    EXPECT_EQ(c.scQam, s.scQam);
    // Channel 1 is on but not operating.
    ASSERT_EQ(s.ofdma.size(), 1);
    EXPECT_EQ(s.ofdma[0].toMap(), (QVariantMap{{"index", 0}, {"uci", 1}, {"freq", "44.00"}, {"sr", "100000000"},
                                               {"power", "42.0"}, {"bw", "20.00"}, {"mod", "2K"}}));
    ASSERT_EQ(s.scQam.size(), 2);
    EXPECT_EQ(s.scQam[1].toMap(), (QVariantMap{{"index", 1}, {"uci", "2"}, {"freq", "30.10"}, {"sr", "5120"},
                                               {"power", "44.0"}, {"mod", "64QAM"}, {"bw", 6400000.0}}));
    const struct { QString reply; std::vector<int> ofdma; std::vector<int> scQam; } cases[] = {
        // No OFDMA heading: the SC-QAM section is empty too.
        {scQam("OPERATE | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE"), {}, {}},
        // Case matters; a ninth column (a trailing separator) drops the row.
        {scQam("operate | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE") + ofdma, {0}, {1}},
        {scQam("OPERATE | OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | x") + ofdma, {0}, {}},
        {scQam("OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | OPERATE") + ofdma, {0}, {0, 7}},
        // A power row of another count turns the OFDMA channels off; a missing state row
        // leaves the power row's verdict.
        {scQam("IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE") + QString(ofdma).replace("ON ON", "ON"),
         {},
         {}},
        {QString(ofdma).remove("STATE           : OPERATE IDLE\n"), {0, 1}, {}},
        {"garbage | OPERATE\nmainMenu>", {}, {}},
    };
    for (const auto& c : cases) {
        const UpstreamStatus31 r = upstreamStatus31(c.reply);
        EXPECT_EQ(indexes(r.ofdma), c.ofdma) << c.reply.toStdString();
        EXPECT_EQ(indexes(r.scQam), c.scQam) << c.reply.toStdString();
    }
    // A symbol rate that is no whole number gives no width.
    const UpstreamStatus31 odd = upstreamStatus31(
        scQam("OPERATE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE | IDLE", "51.2 | 0 | 0 | 0 | 0 | 0 | 0 | 0") + ofdma);
    ASSERT_EQ(odd.scQam.size(), 1);
    EXPECT_EQ(odd.scQam[0].toMap()["bw"], QVariant(0.0));

    // The transmitter's table: the store only with every row.
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

TEST(OfdmReports31, DownstreamStatusInformationBandwidthStateAndProfileRows)
{
    const QString head =
        "docsis/Debug/dsstatus\n|  Receiver # | Frequency | Lock | Mod | Annex | Power | MER | DCID | P | B |\n";
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
    EXPECT_EQ(s.ofdm, (QList<QVariantMap>{{{"index", "0"}, {"uci", 1}, {"freq", "882000000"}, {"locked", "YES"},
                                           {"power", "13.3"}, {"mer_att", "41.0"}}}));
    // Without "OFDM CHANNELS" both tables are the whole text: an SC-QAM line never passes
    // the OFDM test ("YES" is no frequency).
    const DownstreamStatus31 whole = downstreamStatus31(head + rows);
    EXPECT_EQ(whole.scQamChannels, (QList<int>{0, 2}));
    EXPECT_TRUE(whole.ofdm.isEmpty());
    EXPECT_TRUE(downstreamStatus31(QString(ofdm).replace("| YES | 4K", "| NO | 4K")).ofdm.isEmpty());
    EXPECT_TRUE(downstreamStatus31("| 1 | 602000000 | YES |\nmainMenu>").scQamChannels.isEmpty());

    const QString info = "docsis/General/dsOfdmInfo 0\nOFDM channel 0 is locked!\nFFT Size: 4K\n"
                         "Subcarrier Spacing: 50 KHz\n"
                         "First Active Subcarrier: 148, 600000000 Hz\nLast Active Subcarrier: 3947, 789950000 Hz\n"
                         "Total Active Channel Power: 5.3 dBmV\nAverage RxMER(dB): 38.6\n"
                         "Frequency of PLC: 693 000 000 Hz\nAverage PLCMER(dB): 40.2\nPLC power: 4.9 dBmV\n"
                         "Time Interleave Depth: 16\nNCP Modulation: 16 QAM\nmainMenu>";
    EXPECT_EQ(bothEndings(info, ofdmInfo31),
              (QVariantMap{{"bandwidth", "189950000"}, {"n_subcarriers", " 4K"}, {"mod", " 4K"},
                           {"subcarrier_freq", " 50 "}, {"pwr_avg", " 5.3 "}, {"mer_avg", " 38.6"},
                           {"plc_freq", "693000000"}, {"plc_mer", " 40.2"}, {"plc_pwr", " 4.9 "},
                           {"time_interleave", " 16"}, {"plc_mod", "16 QAM"}, {"first_active_subcarrier", "148"},
                           {"last_active_subcarrier", "3947"}, {"active_carriers", "148 - 3947"}, {"ncp_mod", "16"}}));
    const struct { const char *first, *last, *width; } widths[] = {
        {" 148, 100 ", " 3947, 250 ", "150"}, {"1,4294967295", "2,4294967295", "0"},
        // A last subcarrier below the first gives no width, not a wrapped one.
        {"3947,250", "148,100", ""}, {"148", "3947,250", ""}, {"1,2,3", "3947,250", ""},
        {"148,abc", "3947,250", ""}, {"148,-5", "3947,250", ""}};
    for (const auto& w : widths) {
        EXPECT_EQ(ofdmBandwidthText(w.first, w.last), w.width) << w.first << " " << w.last;
        EXPECT_EQ(MesuraCM::getInstance()->calculoBandwidthOFDM_3_1(w.first, w.last), w.width);
    }

    const std::pair<const char*, int> unlocked[] = {{"OFDM channel 1 unlock!\nmainMenu>", 1},
                                                    {"OFDM channel 0  un lock !", 0}};
    for (const auto& [text, channel] : unlocked)
        EXPECT_TRUE(ofdmChannelUnlocked(text, channel)) << text;
    EXPECT_FALSE(ofdmChannelUnlocked("OFDM channel 0 is locked!", 0));
    EXPECT_FALSE(ofdmChannelUnlocked("OFDM channel 1 unlock!", 0));
    EXPECT_FALSE(ofdmChannelUnlocked("", 0));

    const struct { const char* row; bool valid; const char* corrected; const char* uncorrectable; } profiles[] = {
        {" | 16QAM | LOCKED | 100 | NONE | 17 |", true, "0", "17"},
        {" | 4096QAM | UNLOCKED | 100 | 3 | NONE |", true, "3", "0"},
        {" | NONE | NA | 0 | 0 | 0 |", false, "", ""},
        {" | 16QAM | LOCKED | 100 | NONE |", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& r : profiles) {
        QString corrected;
        QString uncorrectable;
        EXPECT_EQ(profileCodewords31(r.row, &corrected, &uncorrectable), r.valid) << r.row;
        EXPECT_EQ(corrected, r.corrected) << r.row;
        EXPECT_EQ(uncorrectable, r.uncorrectable) << r.row;
    }
}

TEST(ConstellationPoints, DumpTunerAndOfdmScaling)
{
    auto dump = [](const QString& first, int groups) {
        QString text = "iqdump 0 1\n" + first;
        for (int n = 1; n < groups; ++n)
            text += " (0,0)";
        return iqDump30(text + "\nmainMenu>");
    };
    const IqDump30 full = dump("(-256,255) (-1,0)", 63);
    EXPECT_TRUE(full.found);
    EXPECT_EQ(full.fields, 128);
    ASSERT_EQ(full.i.size(), 64);
    using Points = std::vector<std::pair<int, int>>;
    const Points points = pairs(full);
    EXPECT_EQ(Points(points.begin(), points.begin() + 3), (Points{{0, 255}, {127, 128}, {128, 128}}));
    // A group read in part is left out (its number still counts); one off the grid too.
    const IqDump30 odd = dump("(12) (x,3) (-300,0)", 62);
    EXPECT_EQ(odd.fields, 1 + 0 + 2 + 61 * 2);
    EXPECT_EQ(odd.i.size(), 61);
    const IqDump30 shortDump = dump("(1,1)", 62);
    EXPECT_TRUE(shortDump.found);
    EXPECT_EQ(shortDump.fields, -1);
    EXPECT_TRUE(shortDump.i.isEmpty());
    const IqDump30 none = iqDump30("No lock on receiver\nmainMenu>");
    EXPECT_FALSE(none.found);
    EXPECT_EQ(none.fields, -1);

    EXPECT_EQ(pairs(tunerConstellation31("(-256,255,0) (300,-20,x) (10,20) (a,5,0) (-1,0,7)\nmainMenu>")),
              (Points{{0, 255}, {127, 128}}));
    // A group without its closing parenthesis ends the list.
    EXPECT_EQ(pairs(tunerConstellation31("(1,1,0) (2,2,0")).size(), 1u);
    EXPECT_TRUE(tunerConstellation31("").i.isEmpty());
    const QString ofdm = "constDisplay 0 200 0\nOFDM channel 0 is locked!\nModulation Type : 4096 QAM\n"
                         "-10000 , 10000\n0,0\n5000,-5000\r\n10100,0\n7,x\n1,2,3\nmainMenu>";
    EXPECT_EQ(pairs(ofdmConstellation31(ofdm)), (Points{{0, 0}, {127, 127}, {191, 191}}));
    EXPECT_EQ(ofdmPointI(10000), 255);
    EXPECT_EQ(ofdmPointQ(-10000), 255);
}
