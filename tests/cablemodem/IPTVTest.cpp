// The IPTV path test against the simulated modem and its network: the rtPS flow and trace
// commands, each hop's latency, jitter and lost probes, the end at the target, at 30 hops, at
// an unreachable network or a quiet modem, and the passes that set the test up.
#include "PathTestSupport.h"

#include "cablemodem/modemPathTests.h"
#include "cablemodem/modemStores.h"

#include <gtest/gtest.h>

using namespace modemtest;

namespace {
constexpr int kTarget = 0x0A000009; // 10.0.0.9

struct Hop {
    QString ip;
    int ltcy, jitter, perduts;
};

std::vector<Hop> hopsOf(const QVariantList& list)
{
    std::vector<Hop> hops;
    for (const QVariant& v : list) {
        const QVariantMap m = v.toMap();
        hops.push_back({m["ip"].toString(), m["ltcy"].toInt(), m["jitter"].toInt(), m["perduts"].toInt()});
    }
    return hops;
}

bool operator==(const Hop& a, const Hop& b)
{
    return a.ip == b.ip && a.ltcy == b.ltcy && a.jitter == b.jitter && a.perduts == b.perduts;
}

void PrintTo(const Hop& h, std::ostream* out)
{
    *out << h.ip.toStdString() << " " << h.ltcy << "/" << h.jitter << "/" << h.perduts;
}

int runTrace(PathBench& b)
{
    b.engine->mesurarTraceRPTS(0);
    return b.until([&] { return b.engine->mesurarTraceRPTS(64); }, {MODEM_STEP_PATH_DONE});
}

// The IPTV machine run from its start to its end (0).
int runIPTV(PathBench& b)
{
    b.engine->mesuraOnChannelIPTV(72);
    return b.until([&] { return b.engine->mesuraOnChannelIPTV(64); }, {0, -1});
}
} // namespace

class IPTVOnModel : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(IPTV, IPTVOnModel, ::testing::Values(kDocsis31, kDocsis30));

TEST_P(IPTVOnModel, TraceOverAnRtpsFlowEndsAtTheTarget)
{
    PathBench b(GetParam());
    const bool rtps = GetParam() == kDocsis31;
    b.engine->initIPTV(kTarget, 5000, rtps ? 1 : 0);
    ASSERT_EQ(runIPTV(b), 0);
    const std::string path = rtps ? "docsis/" : "";
    // The state, the interrupt and the prompt, the flow and the trace.
    Commands expected = {"", "doc/cms", "^C", ""};
    if (rtps)
        expected.push_back("docsis/rtps 5000");
    expected.push_back(path + "tracert 010.000.000.009" + (rtps ? " rtps" : ""));
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

TEST(IPTV, LostProbesAndThePartsExampleHop)
{
    PathBench b;
    platform::sim::ModemPath path;
    path.routers = {{"192.168.100.1", 12, 3, 0}, {"10.2.0.1", 30, 0, 34}, {"10.2.0.2", 40, 6, 67}};
    path.destination = {"", 50, 0, 0};
    b.link.modem().setPath(path);
    b.engine->initIPTV(kTarget, 5000, 0);
    ASSERT_EQ(runTrace(b), MODEM_STEP_PATH_DONE);
    ASSERT_EQ(b.emitted.hops.size(), 1);
    // One probe lost of three, then two: no jitter from a single probe.
    EXPECT_EQ(hopsOf(b.emitted.hops[0]), (std::vector<Hop>{{"192.168.100.1", 60, 15, 0},
                                                           {"10.2.0.1", 150, 0, 1},
                                                           {"10.2.0.2", 200, UNMEASURED, 2},
                                                           {"10.0.0.9", 250, 0, 0}}));
}

TEST(IPTV, AnUnreachableTargetStopsTheTraceAtThirtyHops)
{
    PathBench b;
    platform::sim::ModemPath path = platform::sim::ModemPath::typical();
    path.destination.lossPercent = 100;
    b.link.modem().setPath(path);
    b.engine->initIPTV(kTarget, 5000, 0);
    ASSERT_EQ(runTrace(b), MODEM_STEP_PATH_DONE);
    ASSERT_EQ(b.emitted.hops.size(), 1);
    const std::vector<Hop> hops = hopsOf(b.emitted.hops[0]);
    ASSERT_EQ(hops.size(), 30u);
    EXPECT_EQ(hops[2], (Hop{"172.16.8.1", 70, 15, 0}));
    for (size_t i = 3; i < hops.size(); ++i)
        EXPECT_EQ(hops[i], (Hop{"---.---.---.---", UNMEASURED, UNMEASURED, 3})) << i;
    // The trace still running is interrupted.
    b.link.pump();
    EXPECT_EQ(b.commands().back(), "^C");
    EXPECT_EQ(b.engine->mesurarTraceRPTS(64), 0);
}

TEST(IPTV, NoNetworkOrAQuietModemEndsTheTrace)
{
    PathBench b(kDocsis31, false);
    b.engine->initIPTV(kTarget, 5000, 0);
    // Not registered: the modem has no route; nothing was found, nothing is sent.
    EXPECT_EQ(runTrace(b), MODEM_STEP_PATH_DONE);
    EXPECT_TRUE(b.emitted.hops.isEmpty());
    b.link.pump();
    EXPECT_EQ(b.commands().back(), "^C");

    // Registered, but the first hop takes longer than two minutes to answer.
    b.link.clock().advanceMs(20000);
    platform::sim::ModemPath slow;
    slow.routers = {{"10.1.2.1", 130000, 0, 0}};
    b.link.modem().setPath(slow);
    b.engine->mesurarTraceRPTS(0);
    const uint64_t t0 = b.link.clock().monotonicMs();
    EXPECT_EQ(b.until([&] { return b.engine->mesurarTraceRPTS(64); }, {MODEM_STEP_PATH_TAKEN}), MODEM_STEP_PATH_TAKEN);
    EXPECT_GT(b.link.clock().monotonicMs() - t0, 120000u);
    EXPECT_LT(b.link.clock().monotonicMs() - t0, 125000u);
    EXPECT_EQ(GetModemProcess(), 1719);
    EXPECT_EQ(b.engine->mesurarTraceRPTS(64), MODEM_STEP_PATH_DONE);
    EXPECT_TRUE(b.emitted.hops.isEmpty());
    b.link.pump();
    EXPECT_EQ(b.commands().back(), "^C");
}

TEST(IPTV, PassesSetUpRunAndStopTheTest)
{
    PathBench b;
    setSettings({{"frequency", 602000000}});
    b.engine->initIPTV(kTarget, 5000, 1);
    b.engine->init(602000000, QML_CM_IP_TV);
    for (int pass = 0; pass < 200 && b.engine->measureCode() == QML_CM_IP_TV; ++pass)
        b.engine->runPass();
    EXPECT_EQ(b.engine->measureCode(), NO_MESURE);
    EXPECT_EQ(b.emitted.status.first(), "Start IPTV process");
    EXPECT_EQ(b.emitted.status.last(), "");
    ASSERT_EQ(b.emitted.hops.size(), 1);
    EXPECT_EQ(b.emitted.hops[0].size(), 4);

    b.emitted.status.clear();
    b.emitted.hops.clear();
    stickState(b.link.board(), "DHCPV4_IN_PROGRESS");
    b.engine->init(602000000, QML_CM_IP_TV);
    b.engine->runPass();
    EXPECT_EQ(b.engine->measureCode(), NO_MESURE);
    EXPECT_EQ(b.emitted.status, QStringList{"CM NO OPERATIONAL"});
    EXPECT_EQ(b.emitted.hops, QList<QVariantList>{QVariantList()});
}
