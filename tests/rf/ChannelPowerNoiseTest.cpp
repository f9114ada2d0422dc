// Channel power and carrier-to-noise: where they tune, what they read on the simulated
// network, what bad widths get, the max-hold filters at their limits, and the single
// readings and name tables beside them.
#include "EngineTestBench.h"

#include "engines/measuresState.h"
#include "rf/mesuraRF.h"

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>

using rftest::CalibratedBench;
using rftest::EngineBench;
using rftest::tuned;

namespace {

constexpr unsigned int kCentre = 474000000u;

std::vector<unsigned int> tunedList(std::vector<unsigned int> frequencies)
{
    for (unsigned int& f : frequencies)
        f = tuned(f);
    return frequencies;
}

std::vector<unsigned int> slicesFrom(unsigned int first, int n)
{
    std::vector<unsigned int> out;
    for (int k = 0; k < n; ++k)
        out.push_back(first + 157500u * static_cast<unsigned int>(k));
    return tunedList(out);
}

int channelPower(EngineBench& b, unsigned int f, int bandwidth)
{
    int p = -1;
    EXPECT_EQ(b.engine->mesuraIntegracio(f, bandwidth, &p), 0);
    return p;
}

} // namespace

TEST(ChannelPower, SlicesAre157k5ApartAroundTheChannel)
{
    EngineBench b;
    const struct {
        int bandwidth;
        std::vector<unsigned int> slices;
    } cases[] = {
        {100000, {kCentre}},
        {157500, {kCentre}},
        {315000, tunedList({kCentre - 157500u, kCentre})},
        {472500, tunedList({kCentre - 157500u, kCentre, kCentre + 157500u})},
        {8000000, slicesFrom(kCentre - 3937500u, 50)},
    };
    for (const auto& c : cases) {
        b.watchDetector();
        channelPower(b, kCentre, c.bandwidth);
        EXPECT_EQ(b.tunings(), c.slices) << c.bandwidth;
    }
}

TEST(ChannelPower, AnEightMegahertzBlockReadsItsTotalLevelAndTheChainIsRestored)
{
    EngineBench b;
    b.scene->setNoiseFloor(10.0);
    b.scene->addDigital(kCentre, 8e6, 66.0, "DVB-C");
    setAtenuador(20, true);
    setDetector(DETECTOR_PEAK_MEAN);
    b.engine->setFilter(FILTER_WIDE);
    b.clearLog();
    EXPECT_NEAR(channelPower(b, kCentre, 8000000), 660, 5);
    EXPECT_EQ(std::make_tuple(getAtenuador(), getDetector(), b.engine->getFilter()),
              std::make_tuple(20, DETECTOR_PEAK_MEAN, FILTER_WIDE));
    // The narrow filter first; put back: the filter, then the attenuation (its pad line last).
    const auto lines = b.lineWrites();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ((std::vector<std::string>{lines[0], lines[1], lines.end()[-3], lines.end()[-2], lines.end()[-1]}),
              (std::vector<std::string>{"23=1", "22=0", "23=0", "22=1", "15=1"}));

    // Nothing on the input at 0 dB: 50 slices of 0 dBµV over the sum's start of 1.0.
    b.scene->clear();
    b.scene->setNoiseFloor(-80.0);
    setAtenuador(0, true);
    EXPECT_EQ(channelPower(b, kCentre, 8000000), 170); // 100 log10(51)
}

TEST(ChannelPower, WidthsNoChannelCanHaveAreUnmeasuredWithoutTuning)
{
    EngineBench b;
    b.watchDetector();
    const int tunes = b.chips.tuner->tuneCount();
    for (int bandwidth : {0, -1, -8000000, 192000001, INT_MAX})
        EXPECT_EQ(channelPower(b, kCentre, bandwidth), UNMEASURED) << bandwidth;
    EXPECT_EQ(b.chips.tuner->tuneCount(), tunes);
    EXPECT_TRUE(b.detector.empty());
}

TEST(ChannelPower, TheWidestChannelIsMeasuredAndEventsKeepFlowing)
{
    EngineBench b;
    b.scene->addOfdm(1000e6, 192e6, 75.0, "DOCSIS31");
    b.watchDetector();
    // An event posted while the second slice is read runs right after that slice.
    size_t tuningsWhenHandled = 0;
    bool posted = false;
    b.afterConversion = [&](int) {
        if (!posted && b.tunings().size() == 2) {
            posted = true;
            QTimer::singleShot(0, b.engine, [&] { tuningsWhenHandled = b.tunings().size(); });
        }
    };
    EXPECT_NEAR(channelPower(b, 1000000000u, 192000000), 750, 5);
    EXPECT_EQ(b.tunings().size(), 1219u);
    EXPECT_EQ(tuningsWhenHandled, 2u);
}

TEST(CarrierToNoise, NoiseFrequenciesOfAnalogueAndDigitalChannels)
{
    EngineBench b;
    int cn = 0;

    // Analogue: the vision carrier, then 40 points below the sound carrier, 30 above and 50
    // below the vision carrier.
    const unsigned int vision = 175250000u, sound = vision + 5500000u;
    std::vector<unsigned int> expected{vision};
    for (unsigned int f = sound - 850000u; f <= sound - 460000u; f += 10000u)
        expected.push_back(f);
    for (unsigned int f = vision + 3200000u; f >= vision + 2910000u; f -= 10000u)
        expected.push_back(f);
    for (unsigned int f = vision - 1200000u; f >= vision - 1690000u; f -= 10000u)
        expected.push_back(f);
    ASSERT_EQ(expected.size(), 121u);
    b.watchDetector();
    ASSERT_EQ(mesuraCarrierNoise(0, sound, vision, &cn), 0);
    EXPECT_EQ(b.tunings(), expected);

    // Digital: the edges and ten pairs 157.5 kHz further out, ascending.
    expected = {kCentre};
    std::vector<unsigned int> noise;
    for (unsigned int i = 0; i <= 10; ++i) {
        noise.push_back(kCentre - 4000000u - i * 157500u);
        noise.push_back(kCentre + 4000000u + i * 157500u);
    }
    std::sort(noise.begin(), noise.end());
    for (unsigned int f : tunedList(noise))
        expected.push_back(f);
    b.watchDetector();
    ASSERT_EQ(mesuraCarrierNoise(kCentre - 4000000u, kCentre + 4000000u, kCentre, &cn), 0);
    EXPECT_EQ(b.tunings(), expected);
}

TEST(CarrierToNoise, RatiosOnTheSimulatedNetwork)
{
    EngineBench b;
    int cn = 0;
    // A digital block whose density is 40 dB above the noise floor.
    b.scene->setNoiseFloor(10.0);
    b.scene->addDigital(kCentre, 8e6, 50.0 + 10.0 * std::log10(8e6 / 157500.0), "DVB-C");
    ASSERT_EQ(mesuraCarrierNoise(kCentre - 4000000u, kCentre + 4000000u, kCentre, &cn), 0);
    EXPECT_NEAR(cn, 400, 10);

    // Analogue: 40 dB less the 11 dB correction from 90 MHz on, 9 dB below; the smallest
    // reading of the noise's envelope lies half a dB under its power.
    for (auto [vision, expected] : {std::pair{90000000u, 295}, {89999999u, 315}}) {
        b.scene->clear();
        b.scene->setNoiseFloor(30.0);
        b.scene->addAnalogue(vision, 70.0, 5.5e6, 57.0);
        ASSERT_EQ(mesuraCarrierNoise(0, vision + 5500000u, vision, &cn), 0);
        EXPECT_NEAR(cn, expected, 3) << vision;
    }

    // A carrier weaker than the noise gives 0, not a negative ratio.
    b.scene->clear();
    b.scene->setNoiseFloor(10.0);
    b.scene->addCw(kCentre - 250000.0, 60.0);
    b.scene->addCw(kCentre + 250000.0, 60.0);
    ASSERT_EQ(mesuraCarrierNoise(kCentre - 250000u, kCentre + 250000u, kCentre, &cn), 0);
    EXPECT_EQ(cn, 0);
}

TEST(CarrierToNoise, EdgesThatMeetCrossOrSpanTooWideMeasureNothing)
{
    EngineBench b;
    b.watchDetector();
    int cn = 12345;
    const unsigned int edges[][2] = {
        {kCentre, kCentre}, {kCentre + 1, kCentre}, {kCentre - 96000001u, kCentre + 96000000u}, {1, UINT_MAX}};
    for (const auto& e : edges)
        EXPECT_EQ(mesuraCarrierNoise(e[0], e[1], kCentre, &cn), -1);
    EXPECT_EQ(cn, 12345);
    EXPECT_TRUE(b.detector.empty());

    // A channel record with a negative width never reaches the tuner either.
    QSignalSpy shown(b.engine, &Measures::carrierNoiseChanged);
    b.engine->setVariablesChannel({{"type", "DIGITAL"}, {"frequency", kCentre}, {"bandwidth", -8000000}});
    b.engine->mesura_noise();
    EXPECT_EQ(b.engine->carrierNoise(), UNMEASURED);
    EXPECT_EQ(shown.count(), 0);
    EXPECT_TRUE(b.detector.empty());
}

TEST(CarrierToNoise, TheDigitalStepPutsTheChainBack)
{
    EngineBench b;
    b.scene->setNoiseFloor(10.0);
    b.scene->addDigital(kCentre, 8e6, 50.0 + 10.0 * std::log10(8e6 / 157500.0), "DVB-C");
    b.settings({{"frequency", kCentre}});
    b.engine->setFilter(FILTER_WIDE);
    setAtenuador(33, true);
    QSignalSpy shown(b.engine, &Measures::carrierNoiseChanged);

    b.engine->setVariablesChannel({{"type", "DIGITAL"}, {"frequency", kCentre}, {"bandwidth", 8000000}, {"system", "D3.1"}});
    b.clearLog();
    b.engine->mesura_noise();
    // Put back: the attenuation (its pad line), then the filter.
    const auto lines = b.lineWrites();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"15=1", "23=0", "22=1"}));
    ASSERT_EQ(shown.count(), 1);
    const int ratio = b.engine->carrierNoise();
    EXPECT_NEAR(ratio, 420, 10); // DOCSIS 3.1 adds 2.0 dB
    EXPECT_EQ(shown.at(0).at(0).toString(), QString::number(ratio / 10.0, 'f', 1));

}

TEST(MaxHold, CarrierToNoiseHoldsADropOf20dBOver20ValuesIntegration4dBOver8)
{
    EngineBench b;
    auto filter = [&](int v) {
        b.engine->filtroCarrierNoise(&v);
        return v;
    };
    // 20.0 dB down is held, 20.1 dB restarts the hold.
    EXPECT_EQ((std::vector<int>{filter(300), filter(100), filter(99), filter(150)}),
              (std::vector<int>{300, 300, 99, 150}));

    rfengine::state().carreir_noise_maxim_List.clear();
    EXPECT_EQ(filter(500), 500);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(filter(450), 500);
    EXPECT_EQ(filter(450), 450); // the 500 has left the last 20

    // Each start of the loop forgets the history.
    EXPECT_EQ(filter(480), 480);
    b.run(NO_MESURE);
    EXPECT_EQ(filter(470), 470);

    // The integration's hold restarts at a drop of 4.1 dB, over 8 values.
    auto integration = [&](int v) {
        b.engine->filtroIntegracio(&v);
        return v;
    };
    EXPECT_EQ((std::vector<int>{integration(300), integration(260), integration(259)}),
              (std::vector<int>{300, 300, 259}));
    rfengine::state().integration_maxim_List.clear();
    EXPECT_EQ(integration(500), 500);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(integration(480), 500);
    EXPECT_EQ(integration(480), 480);
}

TEST(LevelPrimitives, SliceLevelIsTheLargestTenSampleMeanRangedReadingsAndNoiseAttenuation)
{
    CalibratedBench b;
    setAtenuador(10, true);
    int n = 0;
    // Samples 0, 10, 20 ... 480, and a spike on the 50th that no mean includes.
    b.chips.converter->setChannelFunction(2, [&](uint64_t) {
        const int i = n++;
        return i == 49 ? 4000 : 10 * i;
    });
    int level = 0;
    mesuraLevel_integracio_filtrar_amb_maxims(&level);
    EXPECT_EQ(level, 87 + 100); // mean of 390..480 = 435 steps, 0.2 per step, plus 10 dB
    EXPECT_EQ(getMaximMostres(1), 50);
    EXPECT_EQ(getMaximMostres(0), 150);

    // Ranged readings and the noise attenuation.
    b.chips.converter->clearChannel(2);
    b.scene->addCw(kCentre, 70.0);
    setAtenuador(0, true);
    EXPECT_EQ(mesuraAutoRangeLevel(kCentre, &level), 0);
    EXPECT_NEAR(level, 700, 3);
    EXPECT_EQ(getAtenuador(), 20); // 50.0 dBµV at the detector, inside the window

    setAtenuador(10, true);
    setDetector(DETECTOR_PEAK_MAX);
    EXPECT_EQ(mesuraAutoRangeLevel_fix_proba(kCentre, &level), 0);
    EXPECT_NEAR(level, 700, 3);
    EXPECT_EQ(std::make_tuple(getAtenuador(), getDetector()), std::make_tuple(10, DETECTOR_PEAK_MEAN));

    // The vision-to-sound difference is held between 10 and 30 dB.
    for (auto [sound, expected] : {std::pair{830, 130}, {1200, 300}, {600, 100}}) {
        int diff = 0, audio = 0;
        EXPECT_EQ(mesuraAudioVideo(kCentre, sound, &diff, &audio), 0);
        EXPECT_NEAR(diff, expected, 3) << sound;
    }
    EXPECT_EQ(getDetector(), DETECTOR_PEAK_MEAN);

    for (auto [in, att] : {std::pair{600, 0}, {609, 0}, {610, 1}, {1000, 40}, {1300, 70}, {1500, 70}, {-100, 0}}) {
        EXPECT_EQ(fixarAtenuadorsSoroll(in), 0);
        EXPECT_EQ(getAtenuador(), att) << in;
    }
}

TEST(LevelPrimitives, StandardNamesAndAnEmptyPowerSum)
{
    EXPECT_EQ(SystemToInt("ITU J83.B"), 1);
    EXPECT_EQ(SystemToInt("DVB-C2"), 7);
    EXPECT_EQ(SystemToInt("dvb-c2"), 0);

    int power = 0;
    int levels[] = {600, 600};
    calculaIntegracioPotenciaCanal(levels, 2, &power, 5);
    EXPECT_EQ(power, 635); // two equal slices: 3 dB more, plus the 0.5 dB given
    // No entries: no logarithm of an empty sum.
    calculaIntegracioPotenciaCanal(levels, 0, &power, 0);
    EXPECT_EQ(power, UNMEASURED);
}
