// The DOCSIS 3.1 downstream analysis on the simulated 3.1 modem and the typical cable
// scene: the per-subcarrier MER asked for in windows up to the last subcarrier, its
// deviation and 2nd percentile against the values the modem reported, the OFDM report
// (code 76) against the scene, the tuned SC-QAM report (code 72), and a modem whose OFDM
// channel never locks.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"

#include "CableModemBoard.h"
#include "CableModemReports31.h"
#include "RfScene.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace modemtest;

namespace {
struct Synchronised31 : LinkedModem {
    explicit Synchronised31(std::shared_ptr<platform::sim::RfScene> s = nullptr) : LinkedModem(kDocsis31, s)
    {
        link.clock().advanceMs(30000);
        link.modem().clearCommands();
    }
    // The OFDM channel as the modem sees it.
    platform::sim::ModemOfdmChannel ofdm() const { return platform::sim::sceneModemNetwork(scene).ofdm()[0]; }
    // The getMerRes windows asked for.
    std::vector<std::string> merWindows()
    {
        std::vector<std::string> out;
        const std::string command = "docsis/Fw/ds_phy/status/getMerRes ";
        for (const std::string& c : commands()) {
            if (c.rfind(command, 0) == 0)
                out.push_back(c.substr(command.size()));
        }
        return out;
    }
};

// The deviation and 2nd percentile of the RxMER the modem printed for subcarriers f to l.
std::pair<double, double> expectedMerFigures(const platform::sim::ModemOfdmChannel& ofdm, int f, int l)
{
    const platform::sim::ModemOfdmLayout layout = platform::sim::modemOfdmLayout(ofdm);
    std::vector<double> v;
    for (int k = std::max(f, layout.first); k <= std::min(l, layout.last); ++k)
        v.push_back(std::round(platform::sim::modemSubcarrierMerDb(ofdm, k) * 100) / 100);
    double mean = 0;
    for (double x : v)
        mean += x;
    mean /= v.size();
    double variance = 0;
    for (double x : v)
        variance += (x - mean) * (x - mean);
    std::sort(v.begin(), v.end());
    // The largest of the 2% lowest, when there are that many.
    const size_t window = std::max<size_t>(1, static_cast<size_t>(0.02 * (l - f)));
    return {std::sqrt(variance / v.size()), window <= v.size() ? v[window - 1] : NAN};
}

MesuraCM* engine() { return passingEngine(); }
} // namespace

TEST(Mer31, WindowsOfFiveHundredUpToTheLastSubcarrier)
{
    Synchronised31 m;
    EXPECT_TRUE(engine()->decodeMer_3_1(0, "148", "3947"));
    EXPECT_EQ(m.merWindows(), (std::vector<std::string>{"0 148 648 ", "0 649 1149 ", "0 1150 1650 ", "0 1651 2151 ",
                                                        "0 2152 2652 ", "0 2653 3153 ", "0 3154 3654 ",
                                                        "0 3655 3947 "}));
    m.link.modem().clearCommands();
    // 501 subcarriers from 100: the last one in a window of its own.
    engine()->decodeMer_3_1(0, "100", "601");
    EXPECT_EQ(m.merWindows(), (std::vector<std::string>{"0 100 600 ", "0 601 601 "}));

    m.link.modem().clearCommands();
    for (const auto& [first, last] : std::vector<std::pair<const char*, const char*>>{
             {"0", "100"}, {"100", "8192"}, {"500", "500"}, {"600", "500"}, {"", "500"}, {"x", "y"}})
        EXPECT_FALSE(engine()->decodeMer_3_1(0, first, last)) << first << " " << last;
    EXPECT_TRUE(m.merWindows().empty());
}

TEST(Mer31, DeviationAndPercentileOfWhatTheModemReported)
{
    Synchronised31 m;
    MesuraCM* e = engine();
    const platform::sim::ModemOfdmLayout layout = platform::sim::modemOfdmLayout(m.ofdm());
    const int f = layout.first;
    const int l = layout.last;
    const struct {
        int first;
        int last;
        bool percentile;
    } cases[] = {
        // From below the active subcarriers: fewer values than the window holds, so no
        // percentile yet (never the empty window's figure).
        {148, f + 12, false},
        {f, l, true},
        // Twelve subcarriers: a window of one, the lowest of them.
        {f, f + 12, true},
        {l - 300, l, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(e->decodeMer_3_1(0, QString::number(c.first), QString::number(c.last))) << c.first;
        const auto [sigma, percentile] = expectedMerFigures(m.ofdm(), c.first, c.last);
        const QVariantMap figures = e->dades31();
        EXPECT_NEAR(figures["mer_sigma"].toDouble(), sigma, 0.006) << c.first << " " << c.last;
        EXPECT_EQ(figures.contains("mer_pctl"), c.percentile) << c.first << " " << c.last;
        if (c.percentile) {
            EXPECT_NEAR(figures["mer_pctl"].toDouble(), percentile, 0.006) << c.first << " " << c.last;
        }
    }
}

TEST(Mer31, ValuesOutsideTwentyToFiftyOneAreNoSamples)
{
    auto scene = std::make_shared<platform::sim::RfScene>();
    platform::sim::RfScene::typicalCableNetwork(*scene);
    scene->clear();
    scene->addDigital(602e6, 8e6, 66.0, "DOCSIS30", 38.0);
    scene->addOfdm(930e6, 96e6, 70.0, "DOCSIS31", 55.0);
    Synchronised31 m(scene);
    const platform::sim::ModemOfdmLayout layout = platform::sim::modemOfdmLayout(m.ofdm());
    EXPECT_FALSE(engine()->decodeMer_3_1(0, QString::number(layout.first), QString::number(layout.last)));
    EXPECT_FALSE(engine()->dades31().contains("mer_sigma"));
    EXPECT_EQ(m.merWindows().size(), 4u);
}

TEST(Ofdm31, AnalysisOfTheScenesOfdmChannel)
{
    Synchronised31 m;
    EngineSignals s;
    const uint64_t stop = m.now() + 60000;
    m.stopAt(stop);
    engine()->mesura_cm_iq_31_signal_31();
    // The pass under way ends at its next look at the stop: within the exchange or pause
    // under way, the rest of the pass skipped.
    EXPECT_LT(m.now() - stop, 2500u);
    const platform::sim::ModemOfdmChannel ofdm = m.ofdm();
    const platform::sim::ModemOfdmLayout layout = platform::sim::modemOfdmLayout(ofdm);

    EXPECT_EQ(s.status.first(), "DS demod process");
    ASSERT_FALSE(s.dadesIq.isEmpty());
    EXPECT_EQ(s.dadesIq.first(), (QVariantMap{{"locked", false}}));
    // The first full report of the channel (the last pass may have been cut by the stop).
    QVariantMap report;
    for (const QVariantMap& d : s.dades31) {
        if (report.isEmpty() && d.contains("ripple_rms"))
            report = d;
    }
    ASSERT_FALSE(report.isEmpty());
    EXPECT_NEAR(report["pwr_avg"].toDouble(), ofdm.powerDbmv, 0.5);
    EXPECT_NEAR(report["mer_avg"].toDouble(), ofdm.merDb, 0.5);
    const auto [sigma, percentile] = expectedMerFigures(ofdm, layout.first, layout.last);
    EXPECT_NEAR(report["mer_sigma"].toDouble(), sigma, 0.006);
    EXPECT_NEAR(report["mer_pctl"].toDouble(), percentile, 0.006);
    EXPECT_LT(report["mer_pctl"].toDouble(), ofdm.merDb);
    // The slope of the cable across the block: 4 dB per GHz over 96 MHz.
    EXPECT_EQ(report["icfr"], "0.38");
    EXPECT_EQ(report["ripple_rms"], "0.111");
    EXPECT_EQ(report["active_carriers"], QString("%1 - %2").arg(layout.first).arg(layout.last));
    EXPECT_EQ(report["bandwidth"], QString::number(layout.lastHz - layout.firstHz, 'f', 0));
    EXPECT_EQ(report["plc_freq"], QString::number(layout.plcHz, 'f', 0));
    for (const char* key : {"plc_ccwe", "plc_ucwe", "ncp_ucwe", "profileA_ccwe", "profileC_ucwe"})
        EXPECT_EQ(report[key], "0") << key;
    EXPECT_FALSE(report.contains("profileD_ccwe"));
    // The OFDM constellation: points with the channel's MER around 4096 points.
    const QVariantMap points = s.dadesIq.last();
    EXPECT_EQ(points["locked"], true);
    EXPECT_EQ(points["llista_i"].toList().size(), 200);
    const Commands c = m.commands();
    EXPECT_EQ(std::count(c.begin(), c.end(), "docsis/Debug/clearNvramDsUsFreqDb"), 1);
    EXPECT_TRUE(std::none_of(c.begin(), c.end(), [](const std::string& x) { return x.rfind("docsis/General/tune", 0) == 0; }));
}

TEST(Ofdm31, AnOfdmChannelThatNeverLocksIsNeverReported)
{
    Synchronised31 m;
    failModem(m.link.board(), platform::sim::kModemOfdmRegister);
    EngineSignals s;
    m.stopAt(m.now() + 60000);
    engine()->mesura_cm_iq_31_signal_31();
    ASSERT_FALSE(s.dades31.isEmpty());
    for (const QVariantMap& d : s.dades31)
        EXPECT_TRUE(d.isEmpty());
    EXPECT_EQ(s.dadesIq, (QList<QVariantMap>{QVariantMap{{"locked", false}}}));
    EXPECT_EQ(s.status, QStringList{"DS demod process"});
    const Commands c = m.commands();
    // Each pass asks for the information (the one cut by the stop perhaps not) and reports.
    const long asked = std::count(c.begin(), c.end(), "docsis/General/dsOfdmInfo 0 ");
    EXPECT_GE(asked, static_cast<long>(s.dades31.size()) - 1);
    EXPECT_LE(asked, static_cast<long>(s.dades31.size()));
    EXPECT_TRUE(m.merWindows().empty());
}

TEST(Ofdm31, TheTunedChannelWithItsBerAndTheTunersConstellation)
{
    Synchronised31 m;
    EngineSignals s;
    passingEngine()->setFrequency(618000000);
    m.stopAt(m.now() + 45000);
    engine()->mesura_cm_iq_31();
    const Commands c = m.commands();
    EXPECT_EQ(std::count(c.begin(), c.end(), "docsis/General/tune 618.00"), 1);
    ASSERT_FALSE(s.phy31.isEmpty());
    EXPECT_EQ(s.phy31.last()["rf_frequency"], "618.000");
    EXPECT_EQ(s.phy31.last()["pre_ber"], "< 5.99e-09");
    const QVariantMap iq = s.dadesIq.last();
    EXPECT_EQ(iq["locked"], true);
    const QVariantList i = iq["llista_i"].toList();
    EXPECT_GT(i.size(), 190);
    for (const QVariant& v : i)
        ASSERT_TRUE(v.toInt() >= 0 && v.toInt() <= 255);
}

TEST(Ofdm31, WithoutAChannelTheTestGivesUpAfterAMinuteWithoutSynchronisation)
{
    Synchronised31 m;
    failModem(m.link.board(), platform::sim::kModemDownstreamRegister);
    EngineSignals s;
    passingEngine()->setFrequency(618000000);
    const uint64_t t0 = m.now();
    engine()->mesura_cm_iq_31();
    // Readiness, the search reset, the set-up, the tune, 10 s, then 60 s of misses.
    EXPECT_GT(m.now() - t0, 70000u);
    EXPECT_LT(m.now() - t0, 90000u);
    EXPECT_EQ(s.dadesIq, (QList<QVariantMap>{QVariantMap{{"locked", false}}}));
    EXPECT_TRUE(s.phy31.isEmpty());
}
