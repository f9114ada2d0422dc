// The spectrum sweep: carrier levels of a full-band sweep on the simulated network, the
// reading each screen takes per point, the central point and its channel power, the power
// meters' immediate readings, and how quickly a stop request ends a sweep.
#include "EngineTestBench.h"

#include "rf/mesuraRF.h"
#include "store/channelslist.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>


using rftest::EngineBench;
using rftest::point;
using rftest::points;
using rftest::tuned;

namespace {

constexpr unsigned int kFirst = 5000000u;
constexpr unsigned int kStep = 6750000u; // 400 points up to 2698.25 MHz
unsigned int at(int i) { return kFirst + kStep * static_cast<unsigned int>(i); }

// Conversions of the peak detector per tuning, in tuning order.
std::vector<int> conversionsPerTuning(const std::vector<unsigned int>& detector)
{
    std::vector<int> out;
    unsigned int last = 0;
    for (unsigned int f : detector) {
        if (out.empty() || f != last)
            out.push_back(0);
        ++out.back();
        last = f;
    }
    return out;
}

int powerOf(const QVariantList& list, int i) { return list.at(i).toMap().value("power").toInt(); }

} // namespace

TEST(SpectrumSweep, FullBandSweepReadsEveryCarrierAtItsFrequency)
{
    EngineBench b;
    b.scene->setNoiseFloor(5.0);
    b.scene->addAnalogue(at(3), 70.0, 5.5e6, 57.0);   // band 0, up-converted
    b.scene->addAnalogue(at(20), 75.0, 5.5e6, 62.0);  // band 1
    b.scene->addDigital(at(70), 8e6, 68.0, "DVB-C");  // band 2
    b.scene->addDigital(at(160), 8e6, 64.0, "DVB-C"); // band 3, down-converted
    b.scene->addCw(at(300), 72.0);                    // band 5
    b.scene->addOfdm(at(380), 96e6, 70.0, "DOCSIS31"); // band 6
    QVariantList list = points(kFirst, kStep, 400);
    list[70] = point(at(70), "DIGITAL", 8000000);
    b.engine->setListaFrequencyMeasures(list);
    b.settings({{"span", 2695000000u}, {"frequency", at(70)}});
    b.engine->setFilter(FILTER_NARROW);
    QSignalSpy channelPower(b.engine, &Measures::channelPowerChanged);

    const QVariantList swept = b.sweepOnce();
    ASSERT_EQ(swept.size(), 400);
    for (auto [i, level] : {std::pair{3, 700}, {20, 750}, {300, 720}})
        EXPECT_NEAR(powerOf(swept, i), level, 5) << i;
    // A block shows the share of its power inside the 157.5 kHz filter, and the peak
    // detector's one reading catches its envelope 5 dB above that.
    for (int i : {70, 160, 380})
        EXPECT_NEAR(powerOf(swept, i), 10 * b.scene->powerInFilterDbuV(at(i), 157500) + 50, 5) << i;
    EXPECT_NEAR(powerOf(swept, 70), 680 - 171 + 50, 5);

    // The central point is the digital block: its channel power is the block's level.
    ASSERT_EQ(channelPower.count(), 1);
    EXPECT_NEAR(channelPower.at(0).at(0).toInt(), 680, 5);
    EXPECT_EQ(b.engine->channelPower(), channelPower.at(0).at(0).toInt());
    // The powers travel only in the signal.
    EXPECT_FALSE(b.engine->listaFrequencyMeasures().at(70).toMap().contains("power"));
}

// The modem's channel scan, RF and optical, on the typical network with the shipped plan:
// every channel the network carries reads its level there (an analogue one its vision
// carrier's, a digital one its power), each within 1 dB.
TEST(SpectrumSweep, TheModemsScanReadsEveryChannelOfThePlanAtTheNetworksLevel)
{
    EngineBench b;
    platform::sim::RfScene::typicalCableNetwork(*b.scene);
    ASSERT_TRUE(b.dir.seedFromData("channelPlans"));
    ASSERT_TRUE(Channelslist::getInstance()->carregaChannelPlan("EUROPE"));
    const QVariantList channels = Channelslist::getInstance()->currentChannelList();
    ASSERT_EQ(channels.size(), 98);
    // The points as the scan builds them: an analogue channel at its vision carrier.
    QVariantList list;
    for (const QVariant& c : channels) {
        QVariantMap p = c.toMap();
        if (p.value("type") == "ANALOG")
            p.insert("frequency", p.value("frequency").toUInt() + 1250000u - p.value("bandwidth").toUInt() / 2);
        list << point(p.value("frequency").toUInt(), qPrintable(p.value("type").toString()),
                      p.value("bandwidth").toInt());
    }
    // What the network holds at each point (0.1 dBµV): a vision carrier there, or a block
    // as wide as the channel centred there.
    auto held = [&](const QVariantMap& p) {
        const double f = p.value("frequency").toDouble();
        for (const platform::sim::SceneCarrier& c : b.scene->carriers()) {
            const bool vision = c.kind == platform::sim::SceneCarrier::Kind::Analogue;
            if (std::fabs(c.frequencyHz - f) < 1000 && (vision || c.bandwidthHz == p.value("bandwidth").toDouble()))
                return static_cast<int>(10 * (c.levelDbuV + b.scene->tiltDbPerGhz() * (f - 100e6) / 1e9));
        }
        return 0;
    };
    for (auto [screen, circuit] : {std::pair{"SCAN_CM", "DOCSIS_RF"}, {"SCAN_CM_OPTICAL", "DOCSIS_OPTIC"}}) {
        SCOPED_TRACE(screen);
        b.settings({{"screen", screen}, {"circuit", circuit}, {"frequency", 602000000u}});
        b.engine->setFilter(FILTER_NARROW); // as the scan screen selects it
        b.engine->setListaFrequencyMeasures(list);
        const QVariantList swept = b.sweepOnce();
        ASSERT_EQ(swept.size(), list.size());
        int analogue = 0, digital = 0;
        for (int i = 0; i < swept.size(); ++i) {
            const int expected = held(list[i].toMap());
            if (expected == 0)
                continue;
            (list[i].toMap().value("type") == "ANALOG" ? analogue : digital)++;
            EXPECT_NEAR(powerOf(swept, i), expected, 10) << list[i].toMap().value("frequency").toUInt();
        }
        // The 27 PAL channels, and the blocks of the plan's digital channels as wide as they (the
        // DOCSIS 3.0 one at 602 MHz, the central point, and the OFDM block among them).
        EXPECT_EQ(std::make_pair(analogue, digital), std::make_pair(27, 70));
    }
}

TEST(SpectrumSweep, EachScreenTakesItsReadingPerPoint)
{
    EngineBench b;
    b.scene->addDigital(420e6, 8e6, 70.0, "DVB-C");
    b.watchDetector();

    // A scan of 399 points: 10 acquisitions per point, 50 for the central one, and the
    // channel-integration correction on the digital points.
    b.settings({{"screen", "SCAN_RF"}, {"frequency", 400000000u}});
    QVariantList list = points(300000000u, 500000u, 399);
    list[240] = point(420000000u, "DIGITAL", 8000000);
    b.engine->setListaFrequencyMeasures(list);
    const int integrated = powerOf(b.sweepOnce(), 240);
    std::vector<int> perPoint = conversionsPerTuning(b.detector);
    ASSERT_EQ(perPoint.size(), 399u);
    EXPECT_EQ(std::make_tuple(perPoint[0], perPoint[200], perPoint[398]), std::make_tuple(10 * 21, 50 * 21, 10 * 21));

    // 401 points: one fast acquisition each but for the central point, no integration.
    list.insert(0, point(299500000u));
    list.append(point(499500000u));
    b.engine->setListaFrequencyMeasures(list);
    b.watchDetector();
    const int plain = powerOf(b.sweepOnce(), 241);
    perPoint = conversionsPerTuning(b.detector);
    ASSERT_EQ(perPoint.size(), 401u);
    EXPECT_EQ(std::make_tuple(perPoint[0], perPoint[201], perPoint[400]), std::make_tuple(21, 50 * 21, 21));
    EXPECT_EQ(integrated - plain, 121); // 10 log(8 MHz / 157.5 kHz) - 5 dB

    // Upstream: one acquisition per point, the central one included.
    b.settings({{"screen", "UPSTREAM_RF"}});
    b.engine->setListaFrequencyMeasures(points(20000000u, 1000000u, 30));
    b.watchDetector();
    ASSERT_EQ(b.sweepOnce().size(), 30);
    EXPECT_EQ(conversionsPerTuning(b.detector), std::vector<int>(30, 21));
}

TEST(SpectrumSweep, TiltScreensReadPilotsLongAndHaveNoCentralPoint)
{
    EngineBench b;
    b.settings({{"screen", "TILT_DOWNSTREAM_RF"}, {"reference_level", 0}, {"reference_level_scan", 30},
                {"frequency", 402000000u}});
    QVariantList list = points(400000000u, 1000000u, 5);
    for (int i : {1, 3}) {
        QVariantMap p = list[i].toMap();
        p.insert("tilt_freq", true);
        list[i] = p;
    }
    b.engine->setListaFrequencyMeasures(list);
    QSignalSpy channelPower(b.engine, &Measures::channelPowerChanged);
    b.watchDetector();
    ASSERT_EQ(b.sweepOnce().size(), 5);
    EXPECT_EQ(conversionsPerTuning(b.detector), (std::vector<int>{21, 100 * 21, 21, 100 * 21, 21}));
    // Never moved onto the tuned frequency.
    EXPECT_EQ(std::make_tuple(getAtenuador(), channelPower.count(), b.tunings()[2]), std::make_tuple(30, 0, 402000000u));
}

TEST(SpectrumSweep, CentralPointChoiceAndAnAnalogueOnesChannelPower)
{
    EngineBench b;
    QVariantList list = points(500000000u, 1000000u, 5);

    // The tuned frequency below every point: not the first point but the middle one, moved
    // onto the tuned frequency outside scan screens.
    b.settings({{"frequency", 450000000u}});
    QVariantList work = list;
    EXPECT_EQ(b.engine->freqCentralEnLlista(&work), 2);
    EXPECT_EQ(work[2].toMap().value("frequency"), QVariant(450000000.0f));
    b.settings({{"screen", "SCAN_RF"}});
    work = list;
    EXPECT_EQ(b.engine->freqCentralEnLlista(&work), 2);
    EXPECT_EQ(work, list);

    // Equal distances keep the earlier point.
    for (auto [f, central] : {std::pair{502500000u, 2}, {503400000u, 3}}) {
        b.settings({{"frequency", f}});
        EXPECT_EQ(b.engine->freqCentralEnLlista(&work), central) << f;
    }

    testsupport::LogCapture log;
    QVariantList empty;
    EXPECT_EQ(b.engine->freqCentralEnLlista(&empty), 0);
    EXPECT_TRUE(log.contains("freqCentralEnLlista error llista vacia"));

    // An analogue central point reports its level as the channel power.
    b.settings({{"screen", "SPECTRUM_ANALYZER_RF"}});
    b.scene->addCw(402000000.0, 65.0);
    b.engine->setFilter(FILTER_NARROW);
    list = points(400000000u, 1000000u, 5);
    list[2] = point(402000000u, "ANALOG", 7000000);
    b.engine->setListaFrequencyMeasures(list);
    b.settings({{"frequency", 402000000u}});
    QSignalSpy channelPower(b.engine, &Measures::channelPowerChanged);
    b.watchDetector();
    const QVariantList swept = b.sweepOnce();
    EXPECT_EQ(b.tunings().size(), 5u); // no slices
    ASSERT_EQ(channelPower.count(), 1);
    EXPECT_EQ(channelPower.at(0).at(0).toInt(), powerOf(swept, 2));
    EXPECT_NEAR(channelPower.at(0).at(0).toInt(), 650, 5);
}

TEST(SpectrumSweep, EmptyListsFailedReadingsAndThePowerMeters)
{
    EngineBench b;
    QSignalSpy lists(b.engine, &Measures::listaFrequencyMeasuresChanged);
    QSignalSpy total(b.engine, &Measures::totalPowerChanged);
    EXPECT_EQ(b.engine->mesuraSpectrum(0), -1);
    // Outside a run the resting stop flag ends a sweep after its first point.
    b.engine->setListaFrequencyMeasures(rftest::points(400000000u, 1000000u, 3));
    b.watchDetector();
    EXPECT_EQ(b.engine->mesuraSpectrum(0), -1);
    EXPECT_EQ(std::make_tuple(b.tunings().size(), lists.count()), std::make_tuple(size_t{1}, 0));
    b.engine->setListaFrequencyMeasures({});

    // Immediate readings: the mean of 100 conversions through the meters' lines.
    b.chips.converter->setChannelValue(3, 3000);
    b.chips.converter->setChannelValue(7, 2650);
    EXPECT_EQ(b.engine->getMesuraTotalPower(), 750);
    EXPECT_EQ(b.engine->getMesuraTotalOpticPower(), 265 + 787); // -3.5 dBm as the remote query prints it
    EXPECT_EQ(total.count(), 0); // read, not shown

    b.engine->setListaFrequencyMeasures(points(400000000u, 1000000u, 3));
    b.engine->clearPowerListaFrequencyMeasures();
    for (const QVariant& p : b.engine->listaFrequencyMeasures())
        EXPECT_EQ(p.toMap().value("power"), QVariant(0));
}

TEST(SpectrumSweep, AConstellationScreenWithoutPointsWaitsBetweenItsPolls)
{
    EngineBench b;
    b.settings({{"frecuencia_habilitada", "true"}, {"freq_demod_digital_system", "DVB-C"}});
    b.engine->setListaFrequencyMeasures({});
    const uint64_t start = b.board.clock().monotonicMs();
    // Each empty pass sleeps on the clock: time moves on instead of a processor spinning. The
    // run is stopped once a second of it has gone, or after a minute of a spinning loop.
    QElapsedTimer real;
    real.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, b.engine, [&] {
        if (b.board.clock().monotonicMs() - start >= 1000u || real.elapsed() > 60000)
            b.engine->stopMeasures();
    });
    watch.start(10);
    b.run(SPECTRUM_CONST_IQ);
    EXPECT_GE(b.board.clock().monotonicMs() - start, 1000u);
}

TEST(SpectrumSweep, AStopEndsTheSweepWithinOnePointAndTheChannelPowerWithinOneSlice)
{
    EngineBench b;
    b.engine->setListaFrequencyMeasures(points(kFirst, kStep, 400));
    QSignalSpy lists(b.engine, &Measures::listaFrequencyMeasuresChanged);
    QSignalSpy stopped(b.engine, &Measures::mesuraIsStoped);
    b.watchDetector();
    b.afterConversion = [&](int) {
        if (b.tunings().size() == 10)
            b.engine->stopMeasures();
    };
    b.run(SPECTRUM);
    EXPECT_EQ(std::make_tuple(b.tunings().size(), lists.count(), stopped.count()), std::make_tuple(size_t{10}, 0, 1));

    // A stop during the central channel power ends it within one slice.
    lists.clear();
    b.engine->setFilter(FILTER_NARROW);
    QVariantList list = points(470000000u, 1000000u, 9);
    list[4] = point(474000000u, "DIGITAL", 8000000);
    b.engine->setListaFrequencyMeasures(list);
    QSignalSpy channelPower(b.engine, &Measures::channelPowerChanged);
    b.watchDetector();
    // Points 0 to 4, then the slices of the channel: stop while the fifth slice is read.
    b.afterConversion = [&](int) {
        if (b.tunings().size() == 5 + 5)
            b.engine->stopMeasures();
    };
    b.run(SPECTRUM);
    // The chain is left as the sweep had it.
    EXPECT_EQ(std::make_tuple(b.tunings().size(), channelPower.count(), lists.count(), b.engine->channelPower(),
                              b.engine->getFilter(), getAtenuador()),
              std::make_tuple(size_t{10}, 0, 0, UNMEASURED, FILTER_NARROW, 20));
}
