// The DOCSIS 3.0 report decoders on the modem's literal texts, on truncated and garbled
// ones and on an empty reply; the query machines against the simulated modem.
#include "ModemTestSupport.h"

#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace modemtest;

namespace {
constexpr double U = UNMEASURED;

// The modem's reply, collected as the accumulator takes it in.
void received(const QString& text)
{
    getStringBufferTrames();
    takeInReplyPart(text);
}

PhyChannel& record(int i) { return GetPhyPointer()[i]; }

// frequency, modulation, annex, mse, energy backoff, I, J, the three locks, carrier
// offset, power, symbol rate.
std::vector<double> phyFields(const PhyChannel& p)
{
    return {double(p.frequency), double(p.modulation), double(p.annex), double(p.mse), double(p.energyBackoff),
            double(p.interleaverI), double(p.interleaverJ), double(p.qamLock), double(p.fecLock),
            double(p.mpegLock), p.carrierOffset, double(p.power), double(p.symbolRate)};
}

// value, kind, bound flag of both BERs
std::vector<double> berFields(const PhyChannel& p)
{
    return {p.preBer, double(p.preBerKind), double(p.preBerBound), p.postBer, double(p.postBerKind),
            double(p.postBerBound)};
}

void setChannel(int i, int qamOrder, int symbolRate)
{
    record(i).modulation = qamOrder;
    record(i).symbolRate = symbolRate;
}

void writeEquipmentFile(bool oclaro)
{
    QDir().mkpath("calibracion");
    QFile file("calibracion/SOFTWARE.XML");
    file.open(QIODevice::WriteOnly);
    file.write(QString("<SOFTWARE><OCLARO type=\"bool\">%1</OCLARO></SOFTWARE>").arg(oclaro).toLatin1());
}

const QString kPhyReport = "phy 2\r\nCurrent PHY status\r\nRF freq: 602.75\r\nQam mode : 64\r\nAnnex: ANNEX-B\r\n"
                           "MSE: -35.5\r\nEnergy backoff: 0.5\r\ninterleaver depth I=128, J=1\r\nQAM Lock: YES\r\n"
                           "FEC lock: YES\r\nMPEG lock: NO\r\nCarrier offset (Hz): -1250.5\r\npower dBmV: -2.45\r\n"
                           "mainMenu>";
QString annexReport(const char* annex)
{
    return QString("Current PHY status\nRF freq 610\nQam mode : 256\nAnnex: %1\nMSE: 0\nEnergy backoff: 0\n"
                   "interleaver x I=12, J=17\nQAM Lock: YES\nFEC x YES\nMPEG x YES\nCarrier offset x 0\npower x 0\n")
        .arg(annex);
}
} // namespace

TEST(PhyDecoder30, LiteralZeroTruncatedGarbledAndMissingReports)
{
    testsupport::LogCapture log;
    const std::vector<double> cleared = {U, U, U, U, U, U, U, 0, 0, 0, U, U, U};
    const struct { QString text; int result; std::vector<double> fields; } cases[] = {
        // Whole MHz; mse 5 + 10 x -35.5 - 40; power truncated toward zero; Annex B 64-QAM.
        {kPhyReport, 1, {602000000, 64, 1, -390, 10, 128, 1, 1, 1, 0, -1250.5, -24, 5057}},
        {annexReport("ANNEX-A"), 1, {610000000, 256, 0, 5 - 40, 5, 12, 17, 1, 1, 1, 0, 0, 6952}},
        {annexReport("ANNEX-C"), 1, {610000000, 256, 2, 5 - 40, 5, 12, 17, 1, 1, 1, 0, 0, U}},
        // A receiver without a channel: the frequency alone is read.
        {"Current PHY status\nRF freq: 0.00\nQam mode : 256\nAnnex: ANNEX-A\npower dBmV: 3.0\n", 1,
         {0, U, U, U, U, U, U, 0, 0, 0, U, U, U}},
        // Cut after the MSE line: what came is kept, the rest stays cleared.
        {"Current PHY status\nRF freq: 618.00\nQam mode : 256\nAnnex: ANNEX-A\nMSE: -38.0", 1,
         {618000000, 256, 0, -415, U, U, U, 0, 0, 0, U, U, U}},
        // Numbers that do not read or do not fit are not taken.
        {"Current PHY status\nRF freq: 1e30\nQam mode : 256\n", 1, {0, U, U, U, U, U, U, 0, 0, 0, U, U, U}},
        {"Current PHY status\nRF freq: 626.00\nQam mode : x\nAnnex: ?\nMSE: 9e300\nEnergy backoff: nan\n"
         "interleaver depth I=, J=\nQAM Lock:\n",
         1, {626000000, U, U, U, U, U, U, 0, 0, 0, U, U, U}},
        {"", 0, cleared},
        {"RF freq: 602.00\nQam mode : 256\n", 0, cleared},
    };
    for (const auto& c : cases) {
        record(5).frequency = 1;
        received(c.text);
        EXPECT_EQ(decodeDownStream(5), c.result) << c.text.toStdString();
        EXPECT_EQ(phyFields(record(5)), c.fields) << c.text.toStdString();
        EXPECT_STREQ(GetBufferTrames(), ""); // the report was taken out
    }
    EXPECT_EQ(log.count("Error null decodeDownStream num 5"), 2);
    received(kPhyReport);
    decodeDownStream(2);
    EXPECT_EQ(GetModemMeasuresModulation_Down(), MODEM_MOD_64QAM);
    EXPECT_EQ(GetModemMeasuresDocsisType(), 1);
    EXPECT_EQ(GetModemMeasuresEsNo_Down(), 390 | 0x800000);
    EXPECT_EQ(GetModemMeasuresInterleaver_j(), 1);
    EXPECT_EQ(GetModemMeasuresOffset(), -1250);
    EXPECT_EQ(GetModemMeasuresSR(), 5057);
    for (int outside : {8, -1}) { // eight receivers
        received(kPhyReport);
        EXPECT_EQ(decodeDownStream(outside), 0);
    }
}

TEST(BerDecoder30, ReadingsBoundsAndWhatIsNotAReport)
{
    testsupport::ScopedWorkDir dir;
    writeEquipmentFile(false);
    // No error seen: the bound 1 / (symbol rate x 3000 x bits of the channel's QAM order).
    setChannel(0, 256, 5361);
    received("berstatus 0 3\r\nPre.BER Post.BER\r\n1 1000 2.5e-6 0\r\nmainMenu>");
    EXPECT_EQ(decodeBer(0), 1);
    EXPECT_EQ(berFields(record(0)), (std::vector<double>{2.5e-6, 0, 0, 1.0 / (5361.0 * 3000 * 8), 2, 1}));
    setChannel(1, 64, 5057);
    received("Pre.BER Post.BER\n1 1000 0 3e-7\n");
    EXPECT_EQ(decodeBer(1), 1);
    EXPECT_EQ(berFields(record(1)), (std::vector<double>{1.0 / (5057.0 * 3000 * 6), 2, 1, 3e-7, 0, 0}));
    // A measured value after a bound is no longer marked as one.
    received("Pre.BER Post.BER\n1 1000 4e-7 3e-7\n");
    decodeBer(1);
    EXPECT_EQ(berFields(record(1)), (std::vector<double>{4e-7, 0, 0, 3e-7, 0, 0}));

    // Without a valid symbol rate or QAM order there is no bound to give.
    const std::pair<int, int> invalid[] = {{256, 0}, {256, UNMEASURED}, {256, -5}, {UNMEASURED, 6952}, {100, 6952}};
    for (auto [order, rate] : invalid) {
        setChannel(2, order, rate);
        received("Pre.BER Post.BER\n1 1000 0 0\n");
        EXPECT_EQ(decodeBer(2), 1);
        EXPECT_EQ(berFields(record(2)), (std::vector<double>{U, 3, 0, U, 3, 0})) << order << " " << rate;
    }
    // A missing or unreadable report leaves no earlier reading behind.
    for (const char* text : {"", "Pre.BER Post.BER\n", "Pre.BER Post.BER\n1 1000 abc 0\n", "Pre.BER\n1 1000 2e-6",
                             "1 1000 2e-6 0\n"}) {
        setChannel(3, 256, 6952);
        received("Pre.BER Post.BER\n1 1000 0 3e-7\n");
        decodeBer(3);
        received(text);
        EXPECT_EQ(decodeBer(3), 0) << text;
        EXPECT_EQ(berFields(record(3)), (std::vector<double>{U, 0, 0, U, 0, 0})) << text;
    }
}

// The equipment file is read once a process.
TEST(BerDecoder30, TheOpticalModuleCapsAHighBound)
{
    testsupport::ScopedWorkDir dir;
    writeEquipmentFile(true);
    setChannel(0, 256, 6952); // bound 5.99e-9
    setChannel(1, 256, 8000); // bound 5.2e-9: below the cap
    for (int i : {0, 1}) {
        received("Pre.BER Post.BER\n1 10 0 0\n");
        decodeBer(i);
    }
    EXPECT_DOUBLE_EQ(record(0).preBer, 1e-9);
    EXPECT_EQ(record(0).preBerKind, 2);
    EXPECT_DOUBLE_EQ(record(1).preBer, 1.0 / (8000.0 * 3000 * 8));
}

TEST(UpstreamDecoder30, FourColumnsIntoTheFourRecords)
{
    auto fields = [](const UpsChannel& u) {
        return std::vector<int>{u.frequency, u.modulation, u.symbolRate, u.power, u.bandwidth, u.uci};
    };
    const int u = UNMEASURED;
    InicialitzarMesuresUpstream();
    received("upshow\r\nFrequency:      36.50     30.10     20.00      0.00\r\n"
             "Symbol rate:     5120      2560      1280         0\r\n"
             "modulation:     64QAM    128QAM      QPSK     16QAM\r\n"
             "power:           45.5      44.0      -1.0      40.0\r\n"
             "Upstream:           1       100         3         4\r\nmainMenu>");
    EXPECT_EQ(decodeUpStream(), 1);
    const UpsChannel* ups = GetUpsPointer();
    EXPECT_EQ(fields(ups[0]), (std::vector<int>{36500000, MODEM_MOD_64QAM, 5120, 445, 6400000, 1}));
    EXPECT_EQ(fields(ups[1]), (std::vector<int>{30100000, MODEM_MOD_128QAM, 2560, 430, 3200000, u})); // id > 99
    EXPECT_EQ(fields(ups[2]), (std::vector<int>{u, u, 0, u, u, u})); // power -1.0 clears it
    EXPECT_EQ(fields(ups[3]), (std::vector<int>{0, MODEM_MOD_16QAM, 0, 390, u, 4}));

    // Without the id line the powers are not applied either, yet the report counts.
    InicialitzarMesuresUpstream();
    received("Frequency: 36.5 0 0 0\nSymbol rate: 5120 0 0 0\nmodulation: ERR 8QAM 1024QAM 256QAM\n"
             "power: 45.5 -1.0 -1.0 -1.0\n");
    EXPECT_EQ(decodeUpStream(), 1);
    EXPECT_EQ(fields(ups[0]), (std::vector<int>{36500000, u, 5120, u, 6400000, u}));
    // An unknown word leaves the code.
    EXPECT_EQ((std::vector<int>{ups[1].modulation, ups[2].modulation, ups[3].modulation}),
              (std::vector<int>{MODEM_MOD_8QAM, u, MODEM_MOD_256QAM}));

    for (const char* text :
         {"", "Frequency 36.5 0 0 0\n", "Frequency: 36.5 0 0\nSymbol rate: 1 2 3 4\n",
          "Frequency: 1 2 3 4\nSymbol rate: 1 2 3 4\nmodulation: QPSK QPSK\n",
          "Frequency: 1 2 3 4\nSymbol rate: 1 2 3 4\nmodulation: A B C D\n", "Frequency: a b c d\n"}) {
        received(text);
        EXPECT_EQ(decodeUpStream(), 0) << text;
    }
}

TEST(IdentityDecoders30, IpMacFirmwareVersionAndMode)
{
    auto addresses = [] {
        return std::vector<int>{GetModemMeasuresIp_CableModem(), GetModemMeasuresIp_Netmask(),
                                GetModemMeasuresIp_Gateway(), GetModemMeasuresIp_DHCP(), GetModemMeasuresIp_TFTP()};
    };
    InicialitzarMesuresIp();
    received("ip\r\nCM IPv4 information:\r\n IP Address = 10.1.2.3\r\n Subnet Mask = 255.255.255.0\r\n"
             " Default Gateway = 10.1.2.1\r\n DHCP Server = 10.0.0.1\r\n TFTP Server = 10.0.0.2\r\n"
             " Physical Address = 00:1A:2B:3C:4D:5E\r\n Setting (*) CM TFTP Boot file: cm_config.cfg\r\nmainMenu>");
    EXPECT_EQ(decodeIP(), 1);
    EXPECT_EQ(addresses(), (std::vector<int>{0x0A010203, int(0xFFFFFF00), 0x0A010201, 0x0A000001, 0x0A000002}));
    EXPECT_STREQ(GetModemMeasuresIpConfigFile(), "cm_config.cfg");
    EXPECT_STREQ(GetModemMeasuresIp_CableModem_Mac(), "00:1A:2B:3C:4D:5E");
    // A label missing from the next report, or with an empty value, stores nothing read:
    // neither the earlier value nor the next line.
    for (const char* text : {"CM IPv4 information:\n IP Address = 10.9.9.9\n",
                             "CM IPv4 information:\n IP Address = 10.9.9.9\n Subnet Mask =\n Physical Address =\n"
                             " Setting (*) CM TFTP Boot file:\n DHCP Server =\nmainMenu>"}) {
        received(text);
        EXPECT_EQ(decodeIP(), 1);
        EXPECT_EQ(addresses(), (std::vector<int>{0x0A090909, 0, 0, 0, 0})) << text;
        EXPECT_STREQ(GetModemMeasuresIpConfigFile(), "") << text;
        EXPECT_STREQ(GetModemMeasuresIp_CableModem_Mac(), "") << text;
    }

    char mac[MODEM_MAC_TEXT_SIZE] = "unchanged";
    received("macaddr\r\nCM Current MAC address = 00-11-22-aa-BB-cc\r\nmainMenu>");
    EXPECT_EQ(decodificaAddressCMACPx26(mac), 0);
    EXPECT_STREQ(mac, "00:11:22:aa:BB:cc");
    for (const char* text : {"", "CM Current MAC address =", "CM Current MAC address = 00-11-22\r\nmainMenu>"}) {
        received(text);
        EXPECT_EQ(decodificaAddressCMACPx26(mac), -1) << text;
        EXPECT_STREQ(mac, "00:11:22:aa:BB:cc");
    }

    char firmware[MODEM_FIRMWARE_TEXT_SIZE];
    const std::pair<const char*, const char*> names[] = {
        {"dir\r\nFilename in sector 1->fw_3_0_1.bin\r\nFilename in sector 2->old.bin\r\n", "fw_3_0_1"},
        {"Filename in sector 1->a_very_long_firmware_name_without_extension\r\n", "a_very_long_firmware_nam"},
        {"Filename in sector 1->short\r\nnext.line\r\n", "short"},
        {"", ""}};
    for (const auto& [text, name] : names) {
        received(text);
        EXPECT_EQ(decodeCMFirmVersionPx37(firmware), 0);
        EXPECT_STREQ(firmware, name);
    }

    char version[MODEM_VERSION_TEXT_SIZE] = "";
    received("Software version V1.2.3\r\n");
    EXPECT_EQ(decodificaCableModemVersion(version), 1);
    EXPECT_STREQ(version, "V1.2.3");
    received("Hardware version 2\r\n");
    EXPECT_EQ(decodificaCableModemVersion(version), 0);

    received("docsis/docsismode\r\nDOCSIS 3.1\r\nmainMenu>");
    EXPECT_EQ(DecodeDocsisMode(), 1);
    EXPECT_EQ(GetDocsisMode(), 3);
    for (const char* text : {"", "DOCSIS mode unknown\n", "docsis 3.0\n"}) {
        received(text);
        EXPECT_EQ(DecodeDocsisMode(), 0) << text;
    }
    EXPECT_EQ(GetModemMeasuresDocsisVersion(), 31);
}

TEST(QueryMachines30, EachAsksForItsReportFillsItsStoreAndFailsOnSilence)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    link.clock().advanceMs(30000); // registered: the upstream channels are in use
    link.modem().clearCommands();
    InicialitzarMesuresUpstream();
    EXPECT_EQ(decodificaUpstream(0), 100);
    EXPECT_EQ(link.runSteps([] { return decodificaUpstream(64); }), 0);
    EXPECT_EQ((std::vector<int>{GetUpsPointer()[0].frequency, GetUpsPointer()[1].uci, GetUpsPointer()[2].frequency}),
              (std::vector<int>{36500000, 2, UNMEASURED}));
    decodifica_MAC(0);
    EXPECT_EQ(link.runSteps([] { return decodifica_MAC(64); }), 0);
    EXPECT_STREQ(GetAddressCMAC(), "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(ScreensVariables::getInstance()->getScreensVariables().value("cm_MAC").toString(), "00:1A:2B:3C:4D:5E");
    decodifica_VesionFirmware(0);
    EXPECT_EQ(link.runSteps([] { return decodifica_VesionFirmware(64); }), 0);
    EXPECT_STREQ(GetModemMeasures_CableModem_FW(), "fw_3_0_1");
    EXPECT_EQ(decodifica_VesionFirmware(64), 0); // done stays done until restarted
    EXPECT_EQ(DecodificaDocsisMode(0), 0);
    EXPECT_EQ(link.runSteps([] { return DecodificaDocsisMode(64); }), 0);
    EXPECT_EQ(GetModemMeasuresDocsisVersion(), 30);
    EXPECT_EQ(link.modem().commands(), (Commands{"", "upshow", "", "macaddr", "", "dir", "", "docsis/docsismode"}));

    silence(link.board());
    uint64_t t0 = link.clock().monotonicMs();
    decodificaUpstream(0);
    EXPECT_EQ(link.runSteps([] { return decodificaUpstream(64); }), -1);
    EXPECT_EQ(link.clock().monotonicMs() - t0, 30200u); // failed past 30 s, said on the next call
    EXPECT_EQ(decodificaUpstream(64), -1);
    // The mode query gives up after 2 s without the prompt, then starts over.
    DecodificaDocsisMode(0);
    t0 = link.clock().monotonicMs();
    EXPECT_EQ(link.runSteps([] { return DecodificaDocsisMode(64); }), -1);
    EXPECT_EQ(link.clock().monotonicMs() - t0, 2200u);
    EXPECT_EQ(DecodificaDocsisMode(64), 100);
}
