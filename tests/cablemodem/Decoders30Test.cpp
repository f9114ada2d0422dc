// The DOCSIS 3.0 report decoders on the modem's literal texts, on truncated and garbled
// ones and on an empty reply; the query machines against the simulated modem.
#include "ModemTestSupport.h"

#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace modemtest;

namespace {
// The modem's reply, collected as the accumulator takes it in.
void received(const char* text)
{
    getStringBufferTrames();
    takeInReplyPart(QString::fromLatin1(text));
}

const char kPhyReport[] = "phy 2\r\n"
                          "Current PHY status\r\n"
                          "RF freq: 602.75\r\n"
                          "Qam mode : 64\r\n"
                          "Annex: ANNEX-B\r\n"
                          "MSE: -35.5\r\n"
                          "Energy backoff: 0.5\r\n"
                          "interleaver depth I=128, J=1\r\n"
                          "QAM Lock: YES\r\n"
                          "FEC lock: YES\r\n"
                          "MPEG lock: NO\r\n"
                          "Carrier offset (Hz): -1250.5\r\n"
                          "power dBmV: 3.5\r\n"
                          "mainMenu>";

const char kUpstreamReport[] = "upshow\r\n"
                               "Frequency:      36.50     30.10     20.00      0.00\r\n"
                               "Symbol rate:     5120      2560      1280         0\r\n"
                               "modulation:     64QAM    128QAM      QPSK     16QAM\r\n"
                               "power:           45.5      44.0      -1.0      40.0\r\n"
                               "Upstream:           1       100         3         4\r\n"
                               "mainMenu>";

const char kIpReport[] = "ip\r\nCM IPv4 information:\r\n"
                         " IP Address = 10.1.2.3\r\n Subnet Mask = 255.255.255.0\r\n"
                         " Default Gateway = 10.1.2.1\r\n DHCP Server = 10.0.0.1\r\n LOG Server = 0.0.0.0\r\n"
                         " TFTP Server = 10.0.0.2\r\n ToD Server = 10.0.0.3\r\n"
                         " Physical Address = 00:1A:2B:3C:4D:5E\r\n"
                         " Setting (*) CM TFTP Boot file: cm_config.cfg\r\nmainMenu>";

PhyChannel& record(int i) { return GetPhyPointer()[i]; }

void expectCleared(const PhyChannel& p, bool frequencyToo)
{
    if (frequencyToo)
        EXPECT_EQ(p.frequency, UNMEASURED);
    EXPECT_EQ(p.modulation, UNMEASURED);
    EXPECT_EQ(p.annex, UNMEASURED);
    EXPECT_EQ(p.mse, UNMEASURED);
    EXPECT_EQ(p.energyBackoff, UNMEASURED);
    EXPECT_EQ(p.interleaverI, UNMEASURED);
    EXPECT_EQ(p.power, UNMEASURED);
    EXPECT_EQ(p.symbolRate, UNMEASURED);
    EXPECT_EQ(p.carrierOffset, UNMEASURED_DOUBLE);
    EXPECT_EQ(p.qamLock + p.fecLock + p.mpegLock, 0);
}

// A channel ready for a BER reading.
void setChannel(int i, int qamOrder, int symbolRate)
{
    record(i).modulation = qamOrder;
    record(i).symbolRate = symbolRate;
}
} // namespace

TEST(PhyDecoder30, ReadsEveryLabelOfTheReport)
{
    InicialitzarMesuresDownstream();
    received(kPhyReport);
    EXPECT_EQ(decodeDownStream(2), 1);
    const PhyChannel& p = record(2);
    EXPECT_EQ(p.frequency, 602000000); // whole MHz
    EXPECT_EQ(p.modulation, 64);
    EXPECT_EQ(GetModemMeasuresModulation_Down(), MODEM_MOD_64QAM);
    EXPECT_EQ(p.annex, 1);
    EXPECT_EQ(GetModemMeasuresDocsisType(), 1);
    EXPECT_EQ(p.mse, -390); // 5 - 355 - 40
    EXPECT_EQ(GetModemMeasuresEsNo_Down(), 390 | 0x800000);
    EXPECT_EQ(p.energyBackoff, 10);
    EXPECT_EQ(p.interleaverI, 128);
    EXPECT_EQ(p.interleaverJ, 1);
    EXPECT_EQ(GetModemMeasuresInterleaver_i(), 128);
    EXPECT_EQ(p.qamLock, 1);
    EXPECT_EQ(p.fecLock, 1);
    EXPECT_EQ(p.mpegLock, 0);
    EXPECT_DOUBLE_EQ(p.carrierOffset, -1250.5);
    EXPECT_EQ(GetModemMeasuresOffset(), -1250);
    EXPECT_EQ(p.power, 35);
    EXPECT_EQ(p.symbolRate, 5057); // Annex B, 64-QAM
    EXPECT_EQ(GetModemMeasuresSR(), 5057);
    EXPECT_STREQ(GetBufferTrames(), ""); // the report was taken out
}

TEST(PhyDecoder30, SymbolRateFollowsTheAnnex)
{
    const struct {
        const char* annex;
        int order;
        int rate;
    } cases[] = {{"ANNEX-A", 64, 6952}, {"ANNEX-B", 256, 5361}, {"ANNEX-C", 256, UNMEASURED}};
    for (const auto& c : cases) {
        const QByteArray text = QString("Current PHY status\nRF freq 610.00\nQam mode : %1\nAnnex: %2\nMSE: -38\n"
                                        "Energy backoff: 0\ninterleaver depth I=12, J=17\nQAM Lock: YES\n"
                                        "FEC lock: YES\nMPEG lock: YES\nCarrier offset kHz: 1.2\npower dBmV: -2.45\n")
                                    .arg(c.order)
                                    .arg(c.annex)
                                    .toLatin1();
        received(text.constData());
        EXPECT_EQ(decodeDownStream(0), 1);
        EXPECT_EQ(record(0).symbolRate, c.rate) << c.annex;
        EXPECT_EQ(record(0).power, -24) << c.annex; // toward zero
    }
}

TEST(PhyDecoder30, AZeroTruncatedOrGarbledReport)
{
    // A receiver without a channel: the frequency alone is read.
    received("Current PHY status\nRF freq: 0.00\nQam mode : 256\nAnnex: ANNEX-A\npower dBmV: 3.0\n");
    EXPECT_EQ(decodeDownStream(1), 1);
    EXPECT_EQ(record(1).frequency, 0);
    expectCleared(record(1), false);

    // Cut after the MSE line: what came is kept, the rest stays cleared.
    received("Current PHY status\nRF freq: 618.00\nQam mode : 256\nAnnex: ANNEX-A\nMSE: -38.0");
    EXPECT_EQ(decodeDownStream(3), 1);
    EXPECT_EQ(record(3).frequency, 618000000);
    EXPECT_EQ(record(3).modulation, 256);
    EXPECT_EQ(record(3).mse, -415);
    EXPECT_EQ(record(3).energyBackoff, UNMEASURED);
    EXPECT_EQ(record(3).symbolRate, UNMEASURED);
    EXPECT_EQ(record(3).qamLock, 0);

    // Numbers that are not numbers, or too large for the store, are not taken.
    received("Current PHY status\nRF freq: 1e30\nQam mode : 256\n");
    EXPECT_EQ(decodeDownStream(4), 1);
    EXPECT_EQ(record(4).frequency, 0);
    received("Current PHY status\nRF freq: 626.00\nQam mode : x\nAnnex: ?\nMSE: 9e300\nEnergy backoff: nan\n"
             "interleaver depth I=, J=\nQAM Lock:\n");
    EXPECT_EQ(decodeDownStream(5), 1);
    EXPECT_EQ(record(5).frequency, 626000000);
    expectCleared(record(5), false);
}

TEST(PhyDecoder30, NoReportClearsTheRecordAndSaysSo)
{
    testsupport::LogCapture log;
    record(6).frequency = 602000000;
    received("");
    EXPECT_EQ(decodeDownStream(6), 0);
    expectCleared(record(6), true);
    EXPECT_TRUE(log.contains("Error null decodeDownStream num 6"));
    received(kPhyReport);
    EXPECT_EQ(decodeDownStream(8), 0); // there are eight receivers
    EXPECT_EQ(decodeDownStream(-1), 0);
}

TEST(BerDecoder30, ReadingsAndTheBoundForNoErrors)
{
    testsupport::ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion")); // without the optical module
    setChannel(0, 256, 5361);
    received("berstatus 0 3\r\nPre.BER Post.BER\r\n1 1000 2.5e-6 0\r\nmainMenu>");
    EXPECT_EQ(decodeBer(0), 1);
    EXPECT_DOUBLE_EQ(record(0).preBer, 2.5e-6);
    EXPECT_EQ(record(0).preBerKind, 0);
    EXPECT_EQ(record(0).preBerBound, 0);
    EXPECT_DOUBLE_EQ(record(0).postBer, 1.0 / (5361.0 * 3000 * 8));
    EXPECT_EQ(record(0).postBerKind, 2);
    EXPECT_EQ(record(0).postBerBound, 1);

    // The bound counts the bits of the channel's own modulation: 6 for 64-QAM.
    setChannel(1, 64, 5057);
    received("Pre.BER Post.BER\n1 1000 0 0\n");
    EXPECT_EQ(decodeBer(1), 1);
    EXPECT_DOUBLE_EQ(record(1).preBer, 1.0 / (5057.0 * 3000 * 6));
    EXPECT_EQ(record(1).preBerKind, 2);

    // A measured value after a bound is no longer marked as one.
    received("Pre.BER Post.BER\n1 1000 3e-7 1e-9\n");
    EXPECT_EQ(decodeBer(1), 1);
    EXPECT_EQ(record(1).preBerBound, 0);
    EXPECT_EQ(record(1).postBerBound, 0);
    EXPECT_EQ(record(1).postBerKind, 0);
}

TEST(BerDecoder30, NoBoundWithoutAValidSymbolRateOrModulation)
{
    testsupport::ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion"));
    for (int rate : {0, UNMEASURED, -5}) {
        setChannel(2, 256, rate);
        received("Pre.BER Post.BER\n1 1000 0 0\n");
        EXPECT_EQ(decodeBer(2), 1);
        EXPECT_EQ(record(2).preBer, UNMEASURED_DOUBLE) << rate;
        EXPECT_EQ(record(2).preBerKind, 3);
        EXPECT_EQ(record(2).preBerBound, 0);
    }
    setChannel(2, UNMEASURED, 6952);
    received("Pre.BER Post.BER\n1 1000 0 0\n");
    EXPECT_EQ(decodeBer(2), 1);
    EXPECT_EQ(record(2).postBer, UNMEASURED_DOUBLE);
}

TEST(BerDecoder30, GarbledTruncatedOrEmptyLeavesTheRecord)
{
    setChannel(3, 256, 6952);
    record(3).preBer = 1e-5;
    record(3).preBerKind = 3;
    for (const char* text : {"", "Pre.BER Post.BER\n", "Pre.BER Post.BER\n1 1000 abc 0\n", "Pre.BER\n1 1000 2e-6",
                             "1 1000 2e-6 0\n"}) {
        received(text);
        EXPECT_EQ(decodeBer(3), 0) << text;
        EXPECT_EQ(record(3).preBer, 1e-5);
        EXPECT_EQ(record(3).preBerKind, 3);
    }
}

TEST(BerDecoder30, TheOpticalModuleCapsAHighBound)
{
    testsupport::ScopedWorkDir dir;
    QDir().mkpath("calibracion");
    QFile file("calibracion/SOFTWARE.XML");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<SOFTWARE><OCLARO type=\"bool\">true</OCLARO></SOFTWARE>");
    file.close();
    setChannel(0, 256, 6952); // bound 5.99e-9
    setChannel(1, 256, 8000); // bound 5.2e-9: below the cap
    received("Pre.BER Post.BER\n1 10 0 0\n");
    decodeBer(0);
    received("Pre.BER Post.BER\n1 10 0 0\n");
    decodeBer(1);
    EXPECT_DOUBLE_EQ(record(0).preBer, 1e-9);
    EXPECT_EQ(record(0).preBerKind, 2);
    EXPECT_DOUBLE_EQ(record(1).preBer, 1.0 / (8000.0 * 3000 * 8));
}

TEST(UpstreamDecoder30, FourColumnsIntoTheFourRecords)
{
    InicialitzarMesuresUpstream();
    received(kUpstreamReport);
    EXPECT_EQ(decodeUpStream(), 1);
    const UpsChannel* u = GetUpsPointer();
    EXPECT_EQ(u[0].frequency, 36500000);
    EXPECT_EQ(u[0].symbolRate, 5120);
    EXPECT_EQ(u[0].bandwidth, 6400000);
    EXPECT_EQ(u[0].modulation, MODEM_MOD_64QAM);
    EXPECT_EQ(u[0].power, 445);
    EXPECT_EQ(u[0].uci, 1);
    EXPECT_EQ(u[1].modulation, MODEM_MOD_128QAM);
    EXPECT_EQ(u[1].uci, UNMEASURED); // ids above 99
    EXPECT_EQ(u[1].power, 430);
    // A power of -1.0 clears its record only.
    EXPECT_EQ(u[2].frequency, UNMEASURED);
    EXPECT_EQ(u[2].modulation, UNMEASURED);
    EXPECT_EQ(u[2].symbolRate, 0);
    EXPECT_EQ(u[2].bandwidth, UNMEASURED);
    EXPECT_EQ(u[2].uci, UNMEASURED);
    EXPECT_EQ(u[3].frequency, 0);
    EXPECT_EQ(u[3].bandwidth, UNMEASURED); // no symbol rate, no bandwidth
    EXPECT_EQ(u[3].modulation, MODEM_MOD_16QAM);
    EXPECT_EQ(u[3].power, 390);
    EXPECT_EQ(u[3].uci, 4);
}

TEST(UpstreamDecoder30, MissingLinesAndWords)
{
    InicialitzarMesuresUpstream();
    // Without the id line the powers are not applied either, yet the report counts.
    received("Frequency: 36.5 0 0 0\nSymbol rate: 5120 0 0 0\nmodulation: ERR 8QAM 1024QAM 256QAM\n"
             "power: 45.5 -1.0 -1.0 -1.0\n");
    EXPECT_EQ(decodeUpStream(), 1);
    const UpsChannel* u = GetUpsPointer();
    EXPECT_EQ(u[0].frequency, 36500000);
    EXPECT_EQ(u[0].modulation, UNMEASURED);
    EXPECT_EQ(u[0].power, UNMEASURED);
    EXPECT_EQ(u[1].modulation, MODEM_MOD_8QAM);
    EXPECT_EQ(u[2].modulation, UNMEASURED); // an unknown word leaves the code
    EXPECT_EQ(u[3].modulation, MODEM_MOD_256QAM);

    for (const char* text :
         {"", "Frequency 36.5 0 0 0\n", "Frequency: 36.5 0 0\nSymbol rate: 1 2 3 4\n",
          "Frequency: 1 2 3 4\nSymbol rate: 1 2 3 4\nmodulation: QPSK QPSK\n",
          "Frequency: 1 2 3 4\nSymbol rate: 1 2 3 4\nmodulation: A B C D\n", "Frequency: a b c d\n"}) {
        received(text);
        EXPECT_EQ(decodeUpStream(), 0) << text;
    }
}

TEST(IpDecoder30, AddressesFileAndPhysicalAddress)
{
    InicialitzarMesuresIp();
    received(kIpReport);
    EXPECT_EQ(decodeIP(), 1);
    EXPECT_EQ(GetModemMeasuresIp_CableModem(), 0x0A010203);
    EXPECT_EQ(GetModemMeasuresIp_Netmask(), static_cast<int>(0xFFFFFF00));
    EXPECT_EQ(GetModemMeasuresIp_Gateway(), 0x0A010201);
    EXPECT_EQ(GetModemMeasuresIp_DHCP(), 0x0A000001);
    EXPECT_EQ(GetModemMeasuresIp_TFTP(), 0x0A000002);
    EXPECT_STREQ(GetModemMeasuresIpConfigFile(), "cm_config.cfg");
    EXPECT_STREQ(GetModemMeasuresIp_CableModem_Mac(), "00:1A:2B:3C:4D:5E");

    // Missing labels leave their stores as they were.
    InicialitzarMesuresIp();
    received("CM IPv4 information:\n IP Address = 10.9.9.9\n");
    EXPECT_EQ(decodeIP(), 1);
    EXPECT_EQ(GetModemMeasuresIp_CableModem(), 0x0A090909);
    EXPECT_EQ(GetModemMeasuresIp_TFTP(), 0);
    EXPECT_STREQ(GetModemMeasuresIpConfigFile(), "---");
    received("");
    EXPECT_EQ(decodeIP(), 1);
    EXPECT_EQ(GetModemMeasuresIp_CableModem(), 0x0A090909);
}

TEST(IdentityDecoders30, MacFirmwareVersionAndMode)
{
    char mac[MODEM_MAC_TEXT_SIZE] = "unchanged";
    received("macaddr\r\nCM Current MAC address = 00-11-22-aa-BB-cc\r\nmainMenu>");
    EXPECT_EQ(decodificaAddressCMACPx26(mac), 0);
    EXPECT_STREQ(mac, "00:11:22:aa:BB:cc");
    for (const char* text : {"", "CM Current MAC address =", "CM Current MAC address = 00-11-22\r\nmainMenu>"}) {
        char out[MODEM_MAC_TEXT_SIZE] = "unchanged";
        received(text);
        EXPECT_EQ(decodificaAddressCMACPx26(out), -1) << text;
        EXPECT_STREQ(out, "unchanged");
    }

    char firmware[MODEM_FIRMWARE_TEXT_SIZE] = "x";
    received("dir\r\nFilename in sector 1->fw_3_0_1.bin\r\nFilename in sector 2->old.bin\r\nmainMenu>");
    EXPECT_EQ(decodeCMFirmVersionPx37(firmware), 0);
    EXPECT_STREQ(firmware, "fw_3_0_1");
    received("Filename in sector 1->a_very_long_firmware_name_without_extension\r\n");
    decodeCMFirmVersionPx37(firmware);
    EXPECT_STREQ(firmware, "a_very_long_firmware_nam"); // 24 characters
    received("Filename in sector 1->short\r\nnext.line\r\n");
    decodeCMFirmVersionPx37(firmware);
    EXPECT_STREQ(firmware, "short");
    received("");
    EXPECT_EQ(decodeCMFirmVersionPx37(firmware), 0);
    EXPECT_STREQ(firmware, "");

    char version[MODEM_VERSION_TEXT_SIZE] = "";
    received("Software version V1.2.3\r\n");
    EXPECT_EQ(decodificaCableModemVersion(version), 1);
    EXPECT_STREQ(version, "V1.2.3");
    received("Hardware version 2\r\n");
    EXPECT_EQ(decodificaCableModemVersion(version), 0);

    received("docsis/docsismode\r\nDOCSIS 3.1\r\nmainMenu>");
    EXPECT_EQ(DecodeDocsisMode(), 1);
    EXPECT_EQ(GetDocsisMode(), 3);
    EXPECT_EQ(GetModemMeasuresDocsisVersion(), 31);
    for (const char* text : {"", "DOCSIS mode unknown\n", "docsis 3.0\n"}) {
        received(text);
        EXPECT_EQ(DecodeDocsisMode(), 0) << text;
        EXPECT_EQ(GetModemMeasuresDocsisVersion(), 31);
    }
}

TEST(QueryMachines30, EachAsksForItsReportAndFillsItsStore)
{
    testsupport::ScopedWorkDir dir;
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    link.clock().advanceMs(30000); // registered: the upstream channels are in use
    link.modem().clearCommands();
    InicialitzarMesuresUpstream();

    EXPECT_EQ(decodificaUpstream(0), 100);
    EXPECT_EQ(link.runSteps([] { return decodificaUpstream(64); }), 0);
    EXPECT_EQ(GetUpsPointer()[0].frequency, 36500000);
    EXPECT_EQ(GetUpsPointer()[1].uci, 2);
    EXPECT_EQ(GetUpsPointer()[2].frequency, UNMEASURED);

    decodifica_MAC(0);
    EXPECT_EQ(link.runSteps([] { return decodifica_MAC(64); }), 0);
    EXPECT_STREQ(GetAddressCMAC(), "00:1A:2B:3C:4D:5E");
    EXPECT_EQ(ScreensVariables::getInstance()->getScreensVariables().value("cm_MAC").toString(), "00:1A:2B:3C:4D:5E");

    decodifica_VesionFirmware(0);
    EXPECT_EQ(link.runSteps([] { return decodifica_VesionFirmware(64); }), 0);
    EXPECT_STREQ(GetModemMeasures_CableModem_FW(), "fw_3_0_1");
    // Done stays done until restarted.
    EXPECT_EQ(decodifica_VesionFirmware(64), 0);

    EXPECT_EQ(DecodificaDocsisMode(0), 0);
    EXPECT_EQ(link.runSteps([] { return DecodificaDocsisMode(64); }), 0);
    EXPECT_EQ(GetDocsisMode(), 3);
    EXPECT_EQ(GetModemMeasuresDocsisVersion(), 30);

    EXPECT_EQ(link.modem().commands(), (Commands{"", "upshow", "", "macaddr", "", "dir", "", "docsis/docsismode"}));
}

TEST(QueryMachines30, ASilentModemFailsAfterThePromptTimeOut)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setSilent(true);
    const uint64_t t0 = link.clock().monotonicMs();
    decodificaUpstream(0);
    EXPECT_EQ(link.runSteps([] { return decodificaUpstream(64); }), -1);
    EXPECT_EQ(link.clock().monotonicMs() - t0, 30200u);
    EXPECT_EQ(decodificaUpstream(64), -1);

    // The mode query gives up after 2 s without the prompt, then starts over.
    DecodificaDocsisMode(0);
    const uint64_t t1 = link.clock().monotonicMs();
    EXPECT_EQ(link.runSteps([] { return DecodificaDocsisMode(64); }), -1);
    EXPECT_EQ(link.clock().monotonicMs() - t1, 2200u);
    EXPECT_EQ(DecodificaDocsisMode(64), 100); // step 0 again: the prompt is asked for
}
