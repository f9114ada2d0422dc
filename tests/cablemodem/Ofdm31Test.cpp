// The DOCSIS 3.1 downstream analysis on the simulated 3.1 modem and the typical cable
// scene: the per-subcarrier MER asked for in windows up to the last subcarrier, its
// deviation and 2nd percentile against the values the modem reported, the OFDM report
// (code 76) against the scene, the tuned SC-QAM report (code 72), and a modem whose OFDM
// channel never locks.
#include "ModemTestSupport.h"

#include "CableModemReports31.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace modemtest;

namespace {
struct Synchronised31 : LinkedModem {
    explicit Synchronised31(std::shared_ptr<platform::sim::RfScene> s = nullptr) : LinkedModem(kDocsis31, s, 30000) {}
    // The OFDM channel as the modem sees it.
    platform::sim::ModemOfdmChannel ofdm() const { return platform::sim::sceneModemNetwork(scene).ofdm()[0]; }
    platform::sim::ModemOfdmLayout layout() const { return platform::sim::modemOfdmLayout(ofdm()); }
    // The getMerRes windows asked for.
    Commands merWindows()
    {
        const std::string command = "docsis/Fw/ds_phy/status/getMerRes ";
        Commands out = startingWith(commands(), command);
        for (std::string& c : out)
            c.erase(0, command.size());
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
        mean += x / v.size();
    double variance = 0;
    for (double x : v)
        variance += (x - mean) * (x - mean) / v.size();
    std::sort(v.begin(), v.end());
    // The largest of the 2% lowest, when there are that many.
    const size_t window = std::max<size_t>(1, static_cast<size_t>(0.02 * (l - f)));
    return {std::sqrt(variance), window <= v.size() ? v[window - 1] : NAN};
}
} // namespace

TEST(Mer31, WindowsUpToTheLastSubcarrierDeviationAndPercentile)
{
    Synchronised31 m;
    MesuraCM* e = passingEngine();
    const int f = m.layout().first;
    const int l = m.layout().last;
    const struct { int first; int last; bool percentile; } cases[] = {
        // From below the active subcarriers: fewer values than the window holds, so no
        // percentile yet (never the empty window's figure). First: the map keeps an earlier
        // percentile until the pass replaces it.
        {148, f + 12, false},
        {f, l, true},
        {f, f + 12, true}, // twelve subcarriers: a window of one, the lowest of them
        {l - 300, l, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << " " << c.last);
        ASSERT_TRUE(e->decodeMer_3_1(0, QString::number(c.first), QString::number(c.last)));
        const auto [sigma, percentile] = expectedMerFigures(m.ofdm(), c.first, c.last);
        const QVariantMap figures = e->dades31();
        EXPECT_NEAR(figures["mer_sigma"].toDouble(), sigma, 0.006);
        EXPECT_EQ(figures.contains("mer_pctl"), c.percentile);
        if (c.percentile) {
            EXPECT_NEAR(figures["mer_pctl"].toDouble(), percentile, 0.006);
        }
    }

    // Windows of five hundred up to the last subcarrier.
    m.clearCommands();
    EXPECT_TRUE(e->decodeMer_3_1(0, "148", "3947"));
    EXPECT_EQ(m.merWindows(), (Commands{"0 148 648 ", "0 649 1149 ", "0 1150 1650 ", "0 1651 2151 ", "0 2152 2652 ",
                                        "0 2653 3153 ", "0 3154 3654 ", "0 3655 3947 "}));
    // 501 subcarriers from 100: the last one in a window of its own.
    m.clearCommands();
    e->decodeMer_3_1(0, "100", "601");
    EXPECT_EQ(m.merWindows(), (Commands{"0 100 600 ", "0 601 601 "}));
    m.clearCommands();
    for (const auto& [first, last] : std::vector<std::pair<const char*, const char*>>{
             {"0", "100"}, {"100", "8192"}, {"500", "500"}, {"600", "500"}, {"", "500"}, {"x", "y"}})
        EXPECT_FALSE(e->decodeMer_3_1(0, first, last)) << first << " " << last;
    EXPECT_TRUE(m.merWindows().empty());
}

TEST(Mer31, ValuesOutsideTwentyToFiftyOneAreNoSamples)
{
    auto scene = std::make_shared<platform::sim::RfScene>();
    platform::sim::RfScene::typicalCableNetwork(*scene);
    scene->clear();
    scene->addDigital(602e6, 8e6, 66.0, "DOCSIS30", 38.0);
    scene->addOfdm(930e6, 96e6, 70.0, "DOCSIS31", 55.0);
    Synchronised31 m(scene);
    const platform::sim::ModemOfdmLayout layout = m.layout();
    EXPECT_FALSE(passingEngine()->decodeMer_3_1(0, QString::number(layout.first), QString::number(layout.last)));
    EXPECT_FALSE(passingEngine()->dades31().contains("mer_sigma"));
    EXPECT_EQ(m.merWindows().size(), 4u);
}

TEST(Ofdm31, AnalysisOfTheScenesOfdmChannelThenTheTunedChannel)
{
    Synchronised31 m;
    EngineSignals& s = m.emitted;
    m.run([] { passingEngine()->mesura_cm_iq_31_signal_31(); }, 60000);
    // The pass under way ends at its next look at the stop: within the exchange or pause
    // under way, the rest of the pass skipped.
    EXPECT_LT(m.lap(), 60000u + 2500u);
    const platform::sim::ModemOfdmChannel ofdm = m.ofdm();
    const platform::sim::ModemOfdmLayout layout = m.layout();
    EXPECT_EQ(s.status.value(0), "DS demod process");
    EXPECT_EQ(s.dadesIq.value(0), (QVariantMap{{"locked", false}}));
    // The first full report of the channel (the last pass may have been cut by the stop).
    const auto full =
        std::find_if(s.dades31.begin(), s.dades31.end(), [](const QVariantMap& d) { return d.contains("ripple_rms"); });
    ASSERT_NE(full, s.dades31.end());
    const QVariantMap report = *full;
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
    EXPECT_EQ(s.dadesIq.last()["locked"], true);
    EXPECT_EQ(s.dadesIq.last()["llista_i"].toList().size(), 200);
    EXPECT_EQ(count(m.commands(), "docsis/Debug/clearNvramDsUsFreqDb"), 1);
    EXPECT_TRUE(startingWith(m.commands(), "docsis/General/tune").empty());

    // Code 72: the tuned channel with its BER and the tuner's constellation.
    passingEngine()->setFrequency(618000000);
    m.run([] { passingEngine()->mesura_cm_iq_31(); }, 45000);
    EXPECT_EQ(count(m.commands(), "docsis/General/tune 618.00"), 1);
    ASSERT_FALSE(s.phy31.isEmpty());
    EXPECT_EQ(s.phy31.last()["rf_frequency"], "618.000");
    EXPECT_EQ(s.phy31.last()["pre_ber"], "< 5.99e-09");
    ASSERT_FALSE(s.dadesIq.isEmpty());
    EXPECT_EQ(s.dadesIq.last()["locked"], true);
    const QVariantList i = s.dadesIq.last()["llista_i"].toList();
    EXPECT_GT(i.size(), 190);
    for (const QVariant& v : i)
        ASSERT_TRUE(v.toInt() >= 0 && v.toInt() <= 255);
}

TEST(Ofdm31, AnOfdmChannelThatNeverLocksIsNeverReported)
{
    Synchronised31 m;
    failModem(m.board(), platform::sim::kModemOfdmRegister);
    EngineSignals& s = m.emitted;
    m.run([] { passingEngine()->mesura_cm_iq_31_signal_31(); }, 60000);
    ASSERT_FALSE(s.dades31.isEmpty());
    for (const QVariantMap& d : s.dades31)
        EXPECT_TRUE(d.isEmpty());
    // Busy at the start; then each pass finds the modem synchronised without the channel,
    // and says so: no constellation is to be waited for.
    ASSERT_GE(s.dadesIq.size(), 2);
    EXPECT_EQ(s.dadesIq.first(), (QVariantMap{{"locked", false}}));
    for (const QVariantMap& d : s.dadesIq.mid(1))
        EXPECT_EQ(d, (QVariantMap{{"locked", false}, {"no_channel", true}}));
    EXPECT_EQ(s.status, QStringList{"DS demod process"});
    // Each pass asks for the information (the one cut by the stop perhaps not) and reports.
    const int asked = count(m.commands(), "docsis/General/dsOfdmInfo 0 ");
    EXPECT_GE(asked, s.dades31.size() - 1);
    EXPECT_LE(asked, s.dades31.size());
    EXPECT_TRUE(m.merWindows().empty());

}
