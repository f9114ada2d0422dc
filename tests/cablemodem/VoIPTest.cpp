// The VoIP test against the simulated modem and its network: the UGS flow and ping commands,
// the figures made of the ping times (delays, jitter, losses, a silent stretch), the MOS, the
// registration on the engine's channel, and the passes that set the test up and stop it.
#include "PathTestSupport.h"

#include "cablemodem/modemPathTests.h"
#include "cablemodem/modemStores.h"
#include "cablemodem/modemVoIPQuality.h"

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

// The VoIP machine run from its start to its end (0).
int runVoIP(PathBench& b)
{
    b.engine->mesuraOnChannelVoIP(72);
    return b.until([&] { return b.engine->mesuraOnChannelVoIP(64); }, {0, -1});
}
} // namespace

// The hardware model is read once a process: one model per test.
class VoIPOnModel : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(VoIP, VoIPOnModel, ::testing::Values(kDocsis31, kDocsis30));

TEST_P(VoIPOnModel, PingsOverAUgsFlowMakeTheFigures)
{
    {
        const int model = GetParam();
        PathBench b(model);
        b.link.modem().setPath(pathWith(24, 4, 0));
        b.engine->initVoIP(kTarget, 40, 3, 200, 20000, 1, 800, "G711", 1);
        ASSERT_EQ(runVoIP(b), 0) << ::testing::PrintToString(b.commands());
        const std::string path = model == kDocsis31 ? "docsis/" : "";
        // The registration state, the prompt, the flow and the pings.
        EXPECT_EQ(b.commands(),
                  (Commands{"", "doc/cms", "", path + "ugs 200 1 20000 800", path + "ping 010.000.000.009 3 40 ugs"}));
        EXPECT_EQ(b.link.modem().flows().ugs, "200 1 20000 800");
        // Round trips 24, 28 and 20 ms: one-way samples 12, 14 and 10.
        ASSERT_EQ(b.emitted.pings.size(), 1);
        const QVariantMap m = b.emitted.pings[0];
        EXPECT_DOUBLE_EQ(m["ip_LatencyMin"].toDouble(), 100.5);
        EXPECT_DOUBLE_EQ(m["ip_LatencyAvg"].toDouble(), 120.5);
        EXPECT_DOUBLE_EQ(m["ip_LatencyMax"].toDouble(), 140.5);
        EXPECT_DOUBLE_EQ(m["ip_JitterMin"].toDouble(), 0.5);
        EXPECT_NEAR(m["ip_JitterAvg"].toDouble(), 13.83, 0.01);
        EXPECT_DOUBLE_EQ(m["ip_JitterMax"].toDouble(), 20.5);
        EXPECT_EQ(m["ip_PLR"].toInt(), 0);
        // The E-model of a 12 ms latency and a 1 ms jitter.
        EXPECT_EQ(m["ip_R_VALUE"].toInt(), 932);
        EXPECT_EQ(m["ip_MOS"].toInt(), 441);
        EXPECT_EQ(GetPingsRebuts(), 3);
        EXPECT_TRUE(b.emitted.status.contains("Ping: 2 of 3"));
        EXPECT_EQ(GetModemStatus(), MODEM_STATUS_REGISTERED);
    }
}

struct LossRow {
    int pings;
    double loss;
    uint64_t outageAfterMs, outageMs;
    const char* command;
    int plr;
    int received;
    bool timeOut;
};
void PrintTo(const LossRow& row, std::ostream* out) { *out << row.command << " loss " << row.loss; }
class VoIPLosses : public ::testing::TestWithParam<LossRow> {};
INSTANTIATE_TEST_SUITE_P(
    VoIP, VoIPLosses,
    ::testing::Values(LossRow{4, 50, 0, 0, "docsis/ping 010.000.000.009 4 40", 500, 2, false},
                      LossRow{3, 34, 0, 0, "docsis/ping 010.000.000.009 3 40", 333, 2, false},
                      // Replies stop for more than 10 s: the ping is interrupted and the
                      // pings without an answer count as lost.
                      LossRow{20, 0, 5000, 20000, "docsis/ping 010.000.000.009 20 40", 750, 5, true},
                      // The count stays within what the sample table holds.
                      LossRow{0, 0, 0, 0, "docsis/ping 010.000.000.009 1 40", 0, 1, false}));

TEST_P(VoIPLosses, LossesGapsAndCounts)
{
    const LossRow row = GetParam();
    PathBench b;
    b.link.modem().setPath(pathWith(24, 4, row.loss, row.outageAfterMs, row.outageMs));
    b.engine->initVoIP(kTarget, 40, row.pings, 200, 20000, 1, 800, "G729A+VAD", 0);
    ASSERT_EQ(runVoIP(b), 0);
    const Commands c = b.commands();
    EXPECT_EQ(c.at(3), row.command);
    EXPECT_EQ(std::count(c.begin(), c.end(), "^C"), row.timeOut ? 1 : 0);
    EXPECT_EQ(b.emitted.status.contains("Time OUT"), row.timeOut);
    ASSERT_EQ(b.emitted.pings.size(), 1);
    EXPECT_EQ(b.emitted.pings[0]["ip_PLR"].toInt(), row.plr);
    EXPECT_EQ(GetVoIPPLR(), row.plr);
    EXPECT_EQ(GetPingsRebuts(), row.received);
}

TEST(VoIP, AllPingsLostLeaveTotalLossAndClearTheScreen)
{
    PathBench b;
    b.link.modem().setPath(pathWith(24, 4, 100));
    b.engine->initVoIP(kTarget, 40, 3, 200, 20000, 1, 800, "G711", 1);
    ASSERT_EQ(runVoIP(b), 0);
    EXPECT_EQ(GetVoIPPLR(), 1000);
    EXPECT_EQ(GetVoIPMOS(), UNMEASURED);
    ASSERT_EQ(b.emitted.pings.size(), 1);
    EXPECT_EQ(b.emitted.pings[0], (QVariantMap{{"reset", true}}));
}

TEST(VoIP, RegistersOnTheEnginesChannelNeverOnNothing)
{
    PathBench b(kDocsis31, false);
    b.engine->setFrequency(626000000);
    b.engine->initVoIP(kTarget, 40, 2, 200, 20000, 1, 800, "G711", 0);
    ASSERT_EQ(runVoIP(b), 0);
    const Commands c = b.commands();
    EXPECT_NE(std::find(c.begin(), c.end(), "go 626.00"), c.end());
    EXPECT_EQ(std::find(c.begin(), c.end(), "go 0.00"), c.end());
    // Without UGS no flow is asked for, and the ping has no "ugs".
    EXPECT_EQ(std::count_if(c.begin(), c.end(), [](const std::string& s) { return s.rfind("docsis/ugs", 0) == 0; }), 0);
    EXPECT_NE(std::find(c.begin(), c.end(), "docsis/ping 010.000.000.009 2 40"), c.end());
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_REGISTERED);
    EXPECT_EQ(b.emitted.pings.size(), 1);
}

TEST(VoIP, PingDisabledOnlyRegisters)
{
    PathBench b;
    b.engine->initVoIP(kTarget, 40, 3, 200, 20000, 1, 800, "G711", 1);
    b.engine->mesuraOnChannelVoIP(0);
    EXPECT_EQ(b.until([&] { return b.engine->mesuraOnChannelVoIP(64); }, {0, -1}), 0);
    EXPECT_EQ(b.commands(), (Commands{"", "doc/cms"}));
    EXPECT_TRUE(b.emitted.pings.isEmpty());
}

TEST(VoIP, PassesSetUpRunAndStopTheTest)
{
    PathBench b;
    b.link.modem().setPath(pathWith(24, 4, 0));
    setSettings({{"frequency", 602000000}});
    b.engine->initVoIP(kTarget, 40, 3, 200, 20000, 1, 800, "G711", 1);
    b.engine->init(602000000, QML_CM_VO_IP);
    for (int pass = 0; pass < 200 && b.engine->measureCode() == QML_CM_VO_IP; ++pass)
        b.engine->runPass();
    EXPECT_EQ(b.engine->measureCode(), NO_MESURE);
    EXPECT_EQ(b.emitted.status.first(), "Start VoIP process");
    EXPECT_EQ(b.emitted.status.last(), "");
    ASSERT_EQ(b.emitted.pings.size(), 1);
    EXPECT_EQ(b.emitted.pings[0]["ip_PLR"].toInt(), 0);

    // A modem out of service is not tested.
    b.emitted.status.clear();
    b.emitted.pings.clear();
    stickState(b.link.board(), "RANGING_COMPLETE");
    b.engine->init(602000000, QML_CM_VO_IP);
    b.engine->runPass();
    EXPECT_EQ(b.engine->measureCode(), NO_MESURE);
    EXPECT_EQ(b.emitted.status, QStringList{"CM NO OPERATIONAL"});
    EXPECT_EQ(b.emitted.pings, (QList<QVariantMap>{{{"reset", true}}}));
}
