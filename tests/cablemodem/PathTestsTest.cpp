// The VoIP and IPTV path tests against the simulated modem and its network: the UGS and
// rtPS flows, ping and trace commands, the figures made of the ping times (delays, jitter,
// losses, a silent stretch) and the MOS, each hop's latency, jitter and lost probes, the
// end of a trace at the target, at 30 hops, at an unreachable network or a quiet modem,
// the registration on the engine's channel, and the passes that set the tests up.
#include "ModemTestSupport.h"

#include "cablemodem/modemPathTests.h"
#include "cablemodem/modemStores.h"

#include <gtest/gtest.h>

using namespace modemtest;

namespace {
constexpr int kTarget = 0x0A000009; // 10.0.0.9

platform::sim::ModemPath pathWith(double delayMs, double jitterMs, double lossPercent, uint64_t outageAfterMs = 0,
                                  uint64_t outageMs = 0)
{
    platform::sim::ModemPath path = platform::sim::ModemPath::typical();
    path.destination = {"", delayMs, jitterMs, lossPercent};
    path.outageAfterMs = outageAfterMs;
    path.outageMs = outageMs;
    return path;
}

struct Hop {
    QString ip;
    int ltcy, jitter, perduts;
    bool operator==(const Hop& o) const
    {
        return ip == o.ip && ltcy == o.ltcy && jitter == o.jitter && perduts == o.perduts;
    }
};
void PrintTo(const Hop& h, std::ostream* out)
{
    *out << h.ip.toStdString() << " " << h.ltcy << "/" << h.jitter << "/" << h.perduts;
}

std::vector<Hop> hopsOf(const QVariantList& list)
{
    std::vector<Hop> hops;
    for (const QVariant& v : list) {
        const QVariantMap m = v.toMap();
        hops.push_back({m["ip"].toString(), m["ltcy"].toInt(), m["jitter"].toInt(), m["perduts"].toInt()});
    }
    return hops;
}

// A modem registered (or not yet) for the path tests.
struct PathBench : LinkedModem {
    explicit PathBench(int model = kDocsis31, bool registered = true)
        : LinkedModem(model, nullptr, registered ? 15000 : 0)
    {
    }
    // The VoIP and IPTV machines run from their start to their end (0), the trace to its end.
    int runVoIP()
    {
        engine->mesuraOnChannelVoIP(72);
        return until([&] { return engine->mesuraOnChannelVoIP(64); }, {0, -1});
    }
    int runIPTV()
    {
        engine->mesuraOnChannelIPTV(72);
        return until([&] { return engine->mesuraOnChannelIPTV(64); }, {0, -1});
    }
    int runTrace()
    {
        engine->mesurarTraceRPTS(0);
        return until([&] { return engine->mesurarTraceRPTS(64); }, {MODEM_STEP_PATH_DONE});
    }
    // The passes of a path test's code run until it is over.
    void passes(int code)
    {
        setSettings({{"frequency", 602000000}});
        engine->init(602000000, code);
        for (int pass = 0; pass < 200 && engine->measureCode() == code; ++pass)
            engine->runPass();
        EXPECT_EQ(engine->measureCode(), NO_MESURE);
    }
};
} // namespace

// The hardware model is read once a process: one model per test.
class PathTestsOnModel : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Models, PathTestsOnModel, ::testing::Values(kDocsis31, kDocsis30));

TEST_P(PathTestsOnModel, PingsOverAUgsFlowAndATraceOverAnRtpsFlow)
{
    const int model = GetParam();
    const std::string docsis = model == kDocsis31 ? "docsis/" : "";
    PathBench b(model);
    b.link.modem().setPath(pathWith(24, 4, 0));
    b.engine->initVoIP(kTarget, 40, 3, 200, 20000, 1, 800, "G711", 1);
    ASSERT_EQ(b.runVoIP(), 0) << ::testing::PrintToString(b.commands());
    // The registration state, the prompt, the flow and the pings.
    EXPECT_EQ(b.commands(),
              (Commands{"", "doc/cms", "", docsis + "ugs 200 1 20000 800", docsis + "ping 010.000.000.009 3 40 ugs"}));
    EXPECT_EQ(b.link.modem().flows().ugs, "200 1 20000 800");
    // Round trips 24, 28 and 20 ms: one-way samples 12, 14 and 10.
    ASSERT_EQ(b.emitted.pings.size(), 1);
    const QVariantMap m = b.emitted.pings[0];
    EXPECT_EQ((QVariantList{m["ip_LatencyMin"], m["ip_LatencyAvg"], m["ip_LatencyMax"], m["ip_JitterMin"],
                            m["ip_JitterMax"], m["ip_PLR"].toInt()}),
              (QVariantList{100.5, 120.5, 140.5, 0.5, 20.5, 0}));
    EXPECT_NEAR(m["ip_JitterAvg"].toDouble(), 13.83, 0.01);
    // The E-model of a 12 ms latency and a 1 ms jitter.
    EXPECT_EQ(m["ip_R_VALUE"].toInt(), 932);
    EXPECT_EQ(m["ip_MOS"].toInt(), 441);
    EXPECT_EQ(GetPingsRebuts(), 3);
    EXPECT_TRUE(b.emitted.status.contains("Ping: 2 of 3"));
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_REGISTERED);

    // The trace: the state, the interrupt and the prompt, the flow (3.1) and the trace.
    const bool rtps = model == kDocsis31;
    b.link.modem().setPath(platform::sim::ModemPath::typical());
    b.clearCommands();
    b.emitted.clear();
    b.engine->initIPTV(kTarget, 5000, rtps ? 1 : 0);
    ASSERT_EQ(b.runIPTV(), 0);
    Commands expected = {"", "doc/cms", "^C", ""};
    if (rtps)
        expected.push_back("docsis/rtps 5000");
    expected.push_back(docsis + "tracert 010.000.000.009" + (rtps ? " rtps" : ""));
    EXPECT_EQ(b.commands(), expected);
    EXPECT_EQ(b.link.modem().flows().rtps, rtps ? "5000" : "");
    // Probes of 4 +- 1, 9 +- 2, 14 +- 3 and 24 +- 4 ms: half the mean round trip and the
    // largest deviation, in tenths.
    ASSERT_EQ(b.emitted.hops.size(), 1);
    EXPECT_EQ(hopsOf(b.emitted.hops[0]), (std::vector<Hop>{{"10.1.2.1", 20, 5, 0},
                                                           {"172.16.0.1", 45, 10, 0},
                                                           {"172.16.8.1", 70, 15, 0},
                                                           {"10.0.0.9", 120, 20, 0}}));
    EXPECT_EQ(b.emitted.status, (QStringList{"Node: 1", "Node: 2", "Node: 3", "Node: 4"}));
    EXPECT_EQ(GetPingsRebuts(), 4);
    EXPECT_STREQ(GetNodesIPTV()[3].address, "10.0.0.9");
}

TEST(VoIP, LossesGapsCountsADisabledPingAndThePasses)
{
    PathBench b;
    struct Row {
        int pings;
        double loss;
        uint64_t outageAfterMs, outageMs;
        const char* command;
        int plr, received;
        bool timeOut;
        int r, mos; // UNMEASURED: no figures, the screen cleared
    };
    constexpr int kNone = UNMEASURED;
    const Row rows[] = {
        // The E-model takes the loss in whole percent: 2 of 3 lost is 33 %, not 33.3 %.
        {4, 50, 0, 0, "docsis/ping 010.000.000.009 4 40", 500, 2, false, 213, 129},
        {3, 34, 0, 0, "docsis/ping 010.000.000.009 3 40", 333, 2, false, 289, 156},
        // Replies stop for more than 10 s: the ping is interrupted and the run gives no
        // figures, whatever it took before.
        {20, 0, 5000, 20000, "docsis/ping 010.000.000.009 20 40", 1000, 0, true, kNone, kNone},
        // A silence shorter than the 10 s window only loses the pings it swallowed (8 of 20
        // is 40 %, even where the fraction's rounding would say 39.99).
        {20, 0, 5000, 8000, "docsis/ping 010.000.000.009 20 40", 400, 12, false, 253, 142},
        // The count stays within what the sample table holds.
        {0, 0, 0, 0, "docsis/ping 010.000.000.009 1 40", 0, 1, false, 822, 410},
        // All lost: total loss, no figures.
        {3, 100, 0, 0, "docsis/ping 010.000.000.009 3 40", 1000, 0, true, kNone, kNone},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.command << " loss " << row.loss << " outage " << row.outageMs);
        b.link.modem().setPath(pathWith(24, 4, row.loss, row.outageAfterMs, row.outageMs));
        b.clearCommands();
        b.emitted.clear();
        // Board time from the last reply taken to the time-out.
        uint64_t lastReplyMs = 0, timeOutMs = 0;
        auto watch = QObject::connect(b.engine, &MesuraCM::cm_status_information, [&](const QString& text) {
            (text == "Time OUT" ? timeOutMs : lastReplyMs) = b.now();
        });
        b.engine->initVoIP(kTarget, 40, row.pings, 200, 20000, 1, 800, "G729A+VAD", 0);
        ASSERT_EQ(b.runVoIP(), 0);
        QObject::disconnect(watch);
        EXPECT_EQ(b.commands().at(3), row.command);
        EXPECT_EQ(count(b.commands(), "^C"), row.timeOut ? 1 : 0);
        EXPECT_EQ(b.emitted.status.contains("Time OUT"), row.timeOut);
        if (row.outageMs > 0 && row.timeOut) {
            EXPECT_GE(timeOutMs - lastReplyMs, 10000u);
            EXPECT_LT(timeOutMs - lastReplyMs, 12000u);
        }
        ASSERT_EQ(b.emitted.pings.size(), 1);
        EXPECT_EQ(GetVoIPPLR(), row.plr);
        EXPECT_EQ(GetPingsRebuts(), row.received);
        EXPECT_EQ(GetVoIPRValue(), row.r);
        EXPECT_EQ(GetVoIPMOS(), row.mos);
        if (row.r == kNone)
            EXPECT_EQ(b.emitted.pings[0], (QVariantMap{{"reset", true}}));
        else
            EXPECT_EQ((std::vector<int>{b.emitted.pings[0]["ip_PLR"].toInt(), b.emitted.pings[0]["ip_R_VALUE"].toInt(),
                                        b.emitted.pings[0]["ip_MOS"].toInt()}),
                      (std::vector<int>{row.plr, row.r, row.mos}));
    }

    // The ping disabled: only the registration state.
    b.link.modem().setPath(pathWith(24, 4, 0));
    b.clearCommands();
    b.emitted.clear();
    b.engine->initVoIP(kTarget, 40, 3, 200, 20000, 1, 800, "G711", 1);
    b.engine->mesuraOnChannelVoIP(0);
    EXPECT_EQ(b.until([&] { return b.engine->mesuraOnChannelVoIP(64); }, {0, -1}), 0);
    EXPECT_EQ(b.commands(), (Commands{"", "doc/cms"}));
    EXPECT_TRUE(b.emitted.pings.isEmpty());

    // The passes set the test up, run it and stop it; a modem out of service is not tested.
    b.passes(QML_CM_VO_IP);
    EXPECT_EQ(b.emitted.status.first(), "Start VoIP process");
    EXPECT_EQ(b.emitted.status.last(), "");
    ASSERT_EQ(b.emitted.pings.size(), 1);
    EXPECT_EQ(b.emitted.pings[0]["ip_PLR"].toInt(), 0);
    b.emitted.clear();
    stickState(b.board(), "RANGING_COMPLETE");
    b.passes(QML_CM_VO_IP);
    EXPECT_EQ(b.emitted.status, (QStringList{"Waiting for CM registration", "CM NO OPERATIONAL"}));
    EXPECT_EQ(b.emitted.pings, (QList<QVariantMap>{{{"reset", true}}}));
}

TEST(VoIP, RegistersOnTheEnginesChannelNeverOnNothing)
{
    PathBench b(kDocsis31, false);
    b.engine->setFrequency(626000000);
    b.engine->initVoIP(kTarget, 40, 2, 200, 20000, 1, 800, "G711", 0);
    ASSERT_EQ(b.runVoIP(), 0);
    EXPECT_EQ(count(b.commands(), "go 626.00"), 1);
    EXPECT_EQ(count(b.commands(), "go 0.00"), 0);
    // Without UGS no flow is asked for, and the ping has no "ugs".
    EXPECT_TRUE(startingWith(b.commands(), "docsis/ugs").empty());
    EXPECT_EQ(count(b.commands(), "docsis/ping 010.000.000.009 2 40"), 1);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_REGISTERED);
    EXPECT_EQ(b.emitted.pings.size(), 1);
}

TEST(IPTV, LostProbesThirtyHopsAndThePasses)
{
    PathBench b;
    platform::sim::ModemPath path;
    path.routers = {{"192.168.100.1", 12, 3, 0}, {"10.2.0.1", 30, 0, 34}, {"10.2.0.2", 40, 6, 67}};
    path.destination = {"", 50, 0, 0};
    b.link.modem().setPath(path);
    b.engine->initIPTV(kTarget, 5000, 0);
    ASSERT_EQ(b.runTrace(), MODEM_STEP_PATH_DONE);
    ASSERT_EQ(b.emitted.hops.size(), 1);
    // One probe lost of three, then two: no jitter from a single probe.
    EXPECT_EQ(hopsOf(b.emitted.hops[0]), (std::vector<Hop>{{"192.168.100.1", 60, 15, 0},
                                                           {"10.2.0.1", 150, 0, 1},
                                                           {"10.2.0.2", 200, UNMEASURED, 2},
                                                           {"10.0.0.9", 250, 0, 0}}));

    // An unreachable target stops the trace at thirty hops, and the running trace is
    // interrupted.
    path = platform::sim::ModemPath::typical();
    path.destination.lossPercent = 100;
    b.link.modem().setPath(path);
    b.emitted.clear();
    ASSERT_EQ(b.runTrace(), MODEM_STEP_PATH_DONE);
    ASSERT_EQ(b.emitted.hops.size(), 1);
    const std::vector<Hop> hops = hopsOf(b.emitted.hops[0]);
    ASSERT_EQ(hops.size(), 30u);
    EXPECT_EQ(hops[2], (Hop{"172.16.8.1", 70, 15, 0}));
    for (size_t i = 3; i < hops.size(); ++i)
        EXPECT_EQ(hops[i], (Hop{"---.---.---.---", UNMEASURED, UNMEASURED, 3})) << i;
    b.link.pump();
    EXPECT_EQ(b.commands().back(), "^C");
    EXPECT_EQ(b.engine->mesurarTraceRPTS(64), 0);

}

TEST(IPTV, NoNetworkOrAQuietModemEndsTheTrace)
{
    PathBench b(kDocsis31, false);
    b.engine->initIPTV(kTarget, 5000, 0);
    // Not registered: the modem has no route; nothing was found, nothing is sent.
    EXPECT_EQ(b.runTrace(), MODEM_STEP_PATH_DONE);
    EXPECT_TRUE(b.emitted.hops.isEmpty());
    b.link.pump();
    EXPECT_EQ(b.commands().back(), "^C");

    // Registered, but the first hop takes longer than two minutes to answer.
    b.link.clock().advanceMs(20000);
    platform::sim::ModemPath slow;
    slow.routers = {{"10.1.2.1", 130000, 0, 0}};
    b.link.modem().setPath(slow);
    b.engine->mesurarTraceRPTS(0);
    const uint64_t t0 = b.now();
    EXPECT_EQ(b.until([&] { return b.engine->mesurarTraceRPTS(64); }, {MODEM_STEP_PATH_TAKEN}), MODEM_STEP_PATH_TAKEN);
    EXPECT_GT(b.now() - t0, 120000u);
    EXPECT_LT(b.now() - t0, 125000u);
    EXPECT_EQ(GetModemProcess(), 1719);
    EXPECT_EQ(b.engine->mesurarTraceRPTS(64), MODEM_STEP_PATH_DONE);
    EXPECT_TRUE(b.emitted.hops.isEmpty());
    b.link.pump();
    EXPECT_EQ(b.commands().back(), "^C");
}

