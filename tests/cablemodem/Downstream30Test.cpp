// The DOCSIS 3.0 downstream decoder, the up/down sweep and the decode sequence, the tuning
// machine with the exact lines it sends, and the constellation test
// (code 60), on the simulated modem and the typical cable scene: what each channel's map
// carries, each receiver emitted once, failed exchanges and time-outs, the stores' maps.
#include "ModemTestSupport.h"

#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemSteps30.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

using namespace modemtest;

TEST(DownstreamSweep30, EveryReceiverOnceWithTheScenesChannelsThenTheUpstreamAndTheDecodeSequence)
{
    LinkedModem m(kDocsis30, nullptr, 15000); // registered on the bonding group
    EngineSignals& s = m.emitted;
    MesuraCM* e = passingEngine();
    EXPECT_EQ(e->decodificaUpDownSencer(0), 100);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaUpDownSencer(64); }), 0);
    EXPECT_EQ(e->decodificaUpDownSencer(64), 0); // stays done until restarted
    const std::vector<platform::sim::SceneCarrier> docsis = m.scene->blocksOf("DOCSIS30");
    ASSERT_EQ(docsis.size(), 4u);
    ASSERT_EQ(s.phy.size(), PHY_CHANNELS);
    for (int i = 0; i < PHY_CHANNELS; ++i) {
        const QVariantMap& p = s.phy[i];
        EXPECT_EQ(p["index"].toInt(), i);
        if (i >= 4) {
            EXPECT_EQ(p["freq"].toInt(), 0) << i; // a receiver without a channel
            continue;
        }
        EXPECT_EQ((std::vector<int>{p["freq"].toInt(), p["power"].toInt(), p["mse"].toInt(), p["mod"].toInt(),
                                    p["annex"].toInt(), p["sr"].toInt()}),
                  (std::vector<int>{static_cast<int>(docsis[i].frequencyHz), tenthsOfPrinted(receivedDbmv(docsis[i])),
                                    static_cast<int>(5 + 10 * -docsis[i].merDb - 40), 256, 0, 6952}))
            << i;
        EXPECT_TRUE(p["qamlock"].toBool() && p["feclock"].toBool() && p["mpeglock"].toBool());
        EXPECT_DOUBLE_EQ(p["offset"].toDouble(), 1200.0);
        EXPECT_EQ(p.size(), 21);
    }
    ASSERT_EQ(s.ups.size(), 1);
    ASSERT_EQ(s.ups[0].size(), 2);
    const platform::sim::DocsisPlan plan;
    for (int i = 0; i < 2; ++i) {
        const QVariantMap u = s.ups[0][i].toMap();
        EXPECT_EQ((std::vector<int>{u["index"].toInt(), u["frequency_bw"].toInt(), u["uci"].toInt(),
                                    u["power"].toInt(), u["sr"].toInt(), u["bw"].toInt(), u["mod"].toInt()}),
                  (std::vector<int>{i, static_cast<int>(plan.upstreams[i].frequencyHz), plan.upstreams[i].channelId,
                                    static_cast<int>(10 * plan.upstreams[i].levelDbmv - 10), 5120, 6400000,
                                    MODEM_MOD_64QAM}));
    }
    // Each receiver: the prompt, its report, the DOCSIS mode; then the upstream report.
    Commands expected;
    for (int i = 0; i < PHY_CHANNELS; ++i)
        expected.insert(expected.end(), {"", "phy " + std::to_string(i), "docsis/docsismode"});
    expected.insert(expected.end(), {"", "upshow"});
    EXPECT_EQ(m.commands(), expected);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(GetChannelRegistre30(i), 0) << i;
    EXPECT_EQ(GetGrupDocsisRegistre30(), 0);

    // The decode sequence clears the registration measures, sweeps, then again on the
    // next advance.
    s.clear();
    SetModemStatus(0);
    SetMesuresRegistre30(0, 55);
    EXPECT_EQ(e->decodificaUpDownSencer_30(0), 100);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_STARTING);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_START);
    EXPECT_EQ(GetMesuresRegistre30(0), UNMEASURED);
    EXPECT_EQ(e->decodificaUpDownSencer_30(64), MODEM_STEP_STAGE_DONE);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_SWEEP);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaUpDownSencer_30(64); }), MODEM_STEP_STAGE_DONE);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_STATE);
    EXPECT_EQ(e->decodificaUpDownSencer_30(64), 0);
    EXPECT_EQ(s.phy.size(), PHY_CHANNELS);
    EXPECT_EQ(e->decodificaUpDownSencer_30(64), MODEM_STEP_STAGE_DONE);

    // The single-channel decoder emits its channel until restarted ...
    s.clear();
    e->decodificaDownstream(0, 2);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaDownstream(64, 7); }), 0);
    EXPECT_EQ(e->decodificaDownstream(64, 7), 0);
    ASSERT_EQ(s.phy.size(), 2);
    EXPECT_EQ(s.phy[1], s.phy[0]);
    EXPECT_EQ(s.phy[0]["freq"].toInt(), 618000000);
    // ... and starts over at channel 0 after a time-out seen after 5 s, said on the next step.
    silence(m.board());
    e->decodificaDownstream(0, 3);
    m.clearCommands();
    const uint64_t t0 = m.now();
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaDownstream(64, 3); }), -1);
    EXPECT_EQ(m.now() - t0, 5200u);
    silence(m.board(), false);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaDownstream(64, 3); }), 0);
    EXPECT_EQ(m.commands(), (Commands{"", "", "phy 0", "docsis/docsismode"}));
}

TEST(DownstreamSweep30, AFailedExchangeEndsTheSweepWithoutSkippingOrRepeatingAChannel)
{
    LinkedModem m(kDocsis30, nullptr, 15000);
    // From the second channel's report on, the modem's replies are noise.
    QObject::connect(m.engine, &MesuraCM::phyChanged, [&m](const QVariantMap& p) {
        if (p["index"].toInt() == 1)
            failModem(m.board(), platform::sim::kModemLineRegister);
    });
    MesuraCM* e = passingEngine();
    e->decodificaUpDownSencer(0);
    const uint64_t t0 = m.now();
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaUpDownSencer(64); }), -1);
    EXPECT_LT(m.now() - t0, 8000u); // the third channel's prompt was awaited 5 s, no longer
    ASSERT_EQ(m.emitted.phy.size(), 2);
    EXPECT_EQ(m.emitted.phy[0]["index"].toInt(), 0);
    EXPECT_EQ(m.emitted.phy[1]["index"].toInt(), 1);
    EXPECT_TRUE(m.emitted.ups.isEmpty());
    EXPECT_EQ(e->decodificaUpDownSencer(64), -1); // failed until restarted
}

TEST(Maps30, ChannelUpstreamAndAddressMapsFromTheStores)
{
    InicialitzarMesuresDownstream();
    PhyChannel& p = GetPhyPointer()[3];
    p.frequency = 610000000;
    p.preBer = 2.5e-6;
    p.preBerKind = 0;
    p.postBerBound = 1;
    const QVariantMap map = phyChannelMap30(3);
    EXPECT_EQ((QVariantList{map["index"], map["preber"], map["pre_range"], map["post_range"], map["postbersym"]}),
              (QVariantList{3, 2.5e-6, 0, 3, 1}));
    EXPECT_TRUE(phyChannelMap30(-1).isEmpty());
    EXPECT_TRUE(phyChannelMap30(PHY_CHANNELS).isEmpty());

    const UpsChannel rows[UPS_CHANNELS] = {
        {36500000, 2, 5120, 445, 6400000, 1},
        {0, 2, 5120, 430, 6400000, 2},              // no frequency
        {30100000, 2, 5120, UNMEASURED, 6400000, 3}, // no power
        {UNMEASURED, UNMEASURED, 0, UNMEASURED, UNMEASURED, UNMEASURED},
    };
    std::copy(std::begin(rows), std::end(rows), GetUpsPointer());
    for (bool withIdAndPower : {false, true}) {
        std::vector<int> indexes;
        for (const QVariant& v : upstreamChannelList30(withIdAndPower))
            indexes.push_back(v.toMap()["index"].toInt());
        EXPECT_EQ(indexes, (withIdAndPower ? std::vector<int>{0} : std::vector<int>{0, 2}));
    }

    InicialitzarMesuresIp();
    SetModemMeasuresIp_CableModem("10.1.2.3");
    SetModemMeasuresIp_TFTP("192.168.0.10");
    SetModemMeasuresIp_CableModem_Mac("00:1A:2B:3C:4D:5E");
    EXPECT_EQ(ipInformation30(), (QVariantMap{{"ip", "010.001.002.003"}, {"tftp", "192.168.000.010"},
                                              {"dhcp", "000.000.000.000"}, {"gateway", "000.000.000.000"},
                                              {"mask", "000.000.000.000"}, {"mac", "00:1A:2B:3C:4D:5E"}}));
}

TEST(Tuning30, ModesTuningRegistrationProgressAndItsFailures)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    link.modem().clearCommands();
    auto tune = [&link](int mode, int hz, int maxCalls = 2000) {
        return link.runSteps([mode, hz] { return sintonitzaFrequenciaCableModem(64, mode, hz); }, maxCalls);
    };
    EXPECT_EQ(sintonitzaFrequenciaCableModem(4, 1, 602000000), 100);
    link.pump();
    EXPECT_EQ(link.modem().commands(), Commands{""});
    int level = tune(1, 602000000);
    // After the go, a prompt check and then the state report's own.
    EXPECT_EQ(link.modem().commands(),
              (Commands{"", "rangemode 1", "dhcpmode 1", "register 1", "go 602.00", "", "", "doc/cms"}));
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_TUNING);
    EXPECT_EQ(level, 2000);
    // The registration state rises with board time until the modem is operational.
    for (int i = 0, last = level; i < 40 && last != 40000; ++i) {
        link.clock().advanceMs(1000);
        level = tune(1, 602000000, 200);
        if (level == -100)
            continue;
        ASSERT_GE(level, last);
        last = level;
    }
    EXPECT_EQ(level, 40000);

    // Without a frequency change no go is sent; mode 2 stops ranging.
    link.modem().clearCommands();
    sintonitzaFrequenciaCableModem(0, 2, 602000000);
    tune(2, 602000000);
    EXPECT_EQ(from(link.modem().commands(), "", 7),
              (Commands{"", "rangemode 0", "dhcpmode 0", "register 0", "", "", "doc/cms"}));

    // No channel for more than 20 seconds fails the tuning.
    failModem(link.board(), platform::sim::kModemDownstreamRegister);
    sintonitzaFrequenciaCableModem(4, 0, 610000000);
    EXPECT_EQ(tune(0, 610000000), 2000);
    uint64_t t0 = link.clock().monotonicMs();
    for (int r = 2000; r != -1 && link.clock().monotonicMs() - t0 < 60000;)
        r = tune(0, 610000000, 300);
    EXPECT_GT(link.clock().monotonicMs() - t0, 20000u);
    EXPECT_LT(link.clock().monotonicMs() - t0, 32000u);

    // A silent modem: past 12 s the step fails, and the next pass says so.
    silence(link.board());
    t0 = link.clock().monotonicMs();
    sintonitzaFrequenciaCableModem(4, 1, 602000000);
    EXPECT_EQ(tune(1, 602000000), -1);
    EXPECT_EQ(link.clock().monotonicMs() - t0, 12200u);
}

TEST(Constellation30, TunesReportsTheChannelThenItsDump)
{
    LinkedModem m;
    EngineSignals& s = m.emitted;
    ScreensVariables::getInstance()->setValue("frequency", 610000000u);
    MesuraCM* e = MesuraCM::getInstance();
    e->init(610000000, QML_CM_IQ);
    e->runPass();
    EXPECT_EQ(m.commands(), (Commands{"", "rangemode 0", "dhcpmode 0", "register 0", "go 610.00"}));
    EXPECT_EQ(s.status, (QStringList{"Start CM IQ", "Stop CM IQ"}));
    for (int i = 0; i < 1000 && s.dadesIq.size() < 2; ++i)
        e->runPass();
    ASSERT_GE(s.dadesIq.size(), 2);
    EXPECT_EQ(s.dadesIq[0], (QVariantMap{{"locked", true}, {"modulation", "QAM 256"}, {"annex", "EURO DOCSIS"},
                                         {"mer", "-41"}, {"pre_ber", "<6.0E-09"}, {"post_ber", "<6.0E-09"},
                                         {"f_offset", "1200"}, {"interleaver", "I=12, J=17"}, {"quadres_const", 16}}));
    EXPECT_EQ(s.dadesIq[1]["locked"], true);
    EXPECT_EQ(s.dadesIq[1]["llista_i"].toList().size(), 64);
    EXPECT_EQ(s.dadesIq[1]["llista_q"].toList().size(), 64);
    EXPECT_GE(count(m.commands(), "iqdump 0 1"), 1);
    // Tuned by the set-up, and by the readiness machine, which had not tuned there yet;
    // passes that do not tune advance the machine, and the next round reads again, untuned.
    EXPECT_EQ(count(m.commands(), "go 610.00"), 2);
    for (int i = 0; i < 1000 && s.dadesIq.size() < 4; ++i)
        e->runPass();
    EXPECT_EQ(s.dadesIq.size(), 4);
    EXPECT_EQ(count(m.commands(), "go 610.00"), 2);
}
