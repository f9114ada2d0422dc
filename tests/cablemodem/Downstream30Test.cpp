// The DOCSIS 3.0 downstream decoder and the up/down sweep on the simulated modem and the
// typical cable scene: what each channel's map carries, each receiver emitted once, a
// failed exchange ending the sweep, and the maps the stores give.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include "RfScene.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace modemtest;

namespace {
MesuraCM* engine() { return MesuraCM::getInstance(); }

// A level in dBmV as the modem prints it (one decimal), in the store's tenths.
int tenthsOfPrinted(double dbmv)
{
    const double printed = std::round(dbmv * 10) / 10;
    return static_cast<int>(printed * 10 + (printed > 0 ? 1e-6 : -1e-6));
}
} // namespace

TEST(DownstreamSweep30, EmitsEveryReceiverOnceWithTheScenesChannelsThenTheUpstream)
{
    LinkedModem m;
    m.link.clock().advanceMs(20000); // registered on the bonding group
    EngineSignals s;
    MesuraCM* e = passingEngine();
    EXPECT_EQ(e->decodificaUpDownSencer(0), 100);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaUpDownSencer(64); }), 0);
    // Stays done until restarted.
    EXPECT_EQ(e->decodificaUpDownSencer(64), 0);

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
        EXPECT_EQ(p["freq"].toInt(), static_cast<int>(docsis[i].frequencyHz)) << i;
        EXPECT_EQ(p["power"].toInt(), tenthsOfPrinted(docsis[i].levelDbuV - 60)) << i;
        EXPECT_EQ(p["mse"].toInt(), static_cast<int>(5 + 10 * -docsis[i].merDb - 40)) << i;
        EXPECT_EQ(p["mod"].toInt(), 256);
        EXPECT_EQ(p["annex"].toInt(), 0);
        EXPECT_EQ(p["sr"].toInt(), 6952);
        EXPECT_TRUE(p["qamlock"].toBool() && p["feclock"].toBool() && p["mpeglock"].toBool());
        EXPECT_DOUBLE_EQ(p["offset"].toDouble(), 1200.0);
        EXPECT_EQ(p.size(), 21);
    }
    ASSERT_EQ(s.ups.size(), 1);
    const QVariantList ups = s.ups[0];
    ASSERT_EQ(ups.size(), 2);
    const platform::sim::DocsisPlan plan;
    for (int i = 0; i < 2; ++i) {
        const QVariantMap u = ups[i].toMap();
        EXPECT_EQ(u["index"].toInt(), i);
        EXPECT_EQ(u["frequency_bw"].toInt(), static_cast<int>(plan.upstreams[i].frequencyHz));
        EXPECT_EQ(u["uci"].toInt(), plan.upstreams[i].channelId);
        EXPECT_EQ(u["power"].toInt(), static_cast<int>(10 * plan.upstreams[i].levelDbmv - 10));
        EXPECT_EQ(u["sr"].toInt(), 5120);
        EXPECT_EQ(u["bw"].toInt(), 6400000);
        EXPECT_EQ(u["mod"].toInt(), MODEM_MOD_64QAM);
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
}

TEST(DownstreamSweep30, AFailedExchangeEndsTheSweepWithoutSkippingOrRepeatingAChannel)
{
    LinkedModem m;
    m.link.clock().advanceMs(20000);
    EngineSignals s;
    // From the second channel's report on, the modem's replies are noise.
    QObject::connect(engine(), &MesuraCM::phyChanged, [&m](const QVariantMap& p) {
        if (p["index"].toInt() == 1)
            failModem(m.link.board(), platform::sim::kModemLineRegister);
    });
    MesuraCM* e = passingEngine();
    e->decodificaUpDownSencer(0);
    const uint64_t t0 = m.now();
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaUpDownSencer(64); }), -1);
    // The third channel's prompt was awaited 5 s, no longer.
    EXPECT_LT(m.now() - t0, 8000u);
    ASSERT_EQ(s.phy.size(), 2);
    EXPECT_EQ(s.phy[0]["index"].toInt(), 0);
    EXPECT_EQ(s.phy[1]["index"].toInt(), 1);
    EXPECT_TRUE(s.ups.isEmpty());
    // Failed until restarted.
    EXPECT_EQ(e->decodificaUpDownSencer(64), -1);
}

TEST(Downstream30, TheDecoderEmitsItsChannelUntilRestartedAndStartsOverAfterATimeOut)
{
    LinkedModem m;
    m.link.clock().advanceMs(20000);
    EngineSignals s;
    MesuraCM* e = passingEngine();
    e->decodificaDownstream(0, 2);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaDownstream(64, 7); }), 0);
    EXPECT_EQ(e->decodificaDownstream(64, 7), 0);
    ASSERT_EQ(s.phy.size(), 2);
    EXPECT_EQ(s.phy[1], s.phy[0]);
    EXPECT_EQ(s.phy[0]["freq"].toInt(), 618000000);

    silence(m.link.board());
    e->decodificaDownstream(0, 3);
    m.link.modem().clearCommands();
    const uint64_t t0 = m.now();
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaDownstream(64, 3); }), -1);
    // The time-out seen after 5 s, answered on the next step.
    EXPECT_EQ(m.now() - t0, 5200u);
    // Started over at channel 0: the next report asked for is channel 0's.
    silence(m.link.board(), false);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaDownstream(64, 3); }), 0);
    EXPECT_EQ(m.commands(), (Commands{"", "", "phy 0", "docsis/docsismode"}));
}

TEST(DecodeSequence30, SweepsAndClearsTheRegistrationMeasuresThenAgainOnTheNextAdvance)
{
    LinkedModem m;
    m.link.clock().advanceMs(20000);
    EngineSignals s;
    MesuraCM* e = passingEngine();
    SetModemStatus(0);
    SetMesuresRegistre30(0, 55);
    EXPECT_EQ(e->decodificaUpDownSencer_30(0), 100);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_STARTING);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_START);
    EXPECT_EQ(GetMesuresRegistre30(0), UNMEASURED);
    EXPECT_EQ(e->decodificaUpDownSencer_30(64), MODEM_STEP_STAGE_DONE);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_SWEEP);
    EXPECT_EQ(m.link.runSteps([e] { return e->decodificaUpDownSencer_30(64); }, 2000, 100), MODEM_STEP_STAGE_DONE);
    EXPECT_EQ(GetModemProcess(), MODEM_PROCESS_STATE);
    EXPECT_EQ(e->decodificaUpDownSencer_30(64), 0);
    EXPECT_EQ(s.phy.size(), PHY_CHANNELS);
    // The next advance sweeps again.
    EXPECT_EQ(e->decodificaUpDownSencer_30(64), MODEM_STEP_STAGE_DONE);
}

TEST(Maps30, ChannelUpstreamAndAddressMapsFromTheStores)
{
    InicialitzarMesuresDownstream();
    PhyChannel& p = GetPhyPointer()[3];
    p.frequency = 610000000;
    p.mse = -415;
    p.preBer = 2.5e-6;
    p.preBerKind = 0;
    p.postBerBound = 1;
    p.qamLock = 1;
    const QVariantMap map = phyChannelMap30(3);
    EXPECT_EQ(map["index"], QVariant(3));
    EXPECT_EQ(map["freq"], QVariant(610000000));
    EXPECT_EQ(map["mse"], QVariant(-415));
    EXPECT_EQ(map["preber"], QVariant(2.5e-6));
    EXPECT_EQ(map["pre_range"], QVariant(0));
    EXPECT_EQ(map["post_range"], QVariant(3));
    EXPECT_EQ(map["postbersym"], QVariant(1));
    EXPECT_EQ(map["qamlock"], QVariant(true));
    EXPECT_EQ(map["feclock"], QVariant(false));
    EXPECT_TRUE(phyChannelMap30(-1).isEmpty());
    EXPECT_TRUE(phyChannelMap30(PHY_CHANNELS).isEmpty());
    EXPECT_EQ(newTuneMap30(), (QVariantMap{{"freq", 0}}));

    const UpsChannel rows[UPS_CHANNELS] = {
        {36500000, 2, 5120, 445, 6400000, 1},
        {0, 2, 5120, 430, 6400000, 2},                  // no frequency
        {30100000, 2, 5120, UNMEASURED, 6400000, 3},     // no power
        {UNMEASURED, UNMEASURED, 0, UNMEASURED, UNMEASURED, UNMEASURED},
    };
    std::copy(std::begin(rows), std::end(rows), GetUpsPointer());
    auto indexes = [](const QVariantList& list) {
        std::vector<int> out;
        for (const QVariant& v : list)
            out.push_back(v.toMap()["index"].toInt());
        return out;
    };
    EXPECT_EQ(indexes(upstreamChannelList30(false)), (std::vector<int>{0, 2}));
    EXPECT_EQ(indexes(upstreamChannelList30(true)), (std::vector<int>{0}));

    InicialitzarMesuresIp();
    SetModemMeasuresIp_CableModem("10.1.2.3");
    SetModemMeasuresIp_TFTP("192.168.0.10");
    SetModemMeasuresIp_CableModem_Mac("00:1A:2B:3C:4D:5E");
    EXPECT_EQ(ipInformation30(), (QVariantMap{{"ip", "010.001.002.003"},
                                              {"tftp", "192.168.000.010"},
                                              {"dhcp", "000.000.000.000"},
                                              {"gateway", "000.000.000.000"},
                                              {"mask", "000.000.000.000"},
                                              {"mac", "00:1A:2B:3C:4D:5E"}}));
}
