// Attenuator control and detector acquisition: the line and SPI words of each split, the
// 10 dB grid, automatic ranging against the simulated scene, and what each detector reads.
#include "RfTestBench.h"

#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

#include <tuple>

using rftest::CalibratedBench;
using rftest::RfBench;

namespace {

// ATT0 writes and attenuator words, in order.
std::vector<std::string> attenuatorWrites(RfBench& b)
{
    std::vector<std::string> out;
    for (const auto& t : b.board->log().entries()) {
        if (t.kind == "gpio-value" && t.device == "15")
            out.push_back("ATT0=" + t.text);
        else if (t.kind == "spi" && (t.device == "/dev/spidev4.1" || t.device == "/dev/spidev0.1"))
            out.push_back((t.device == "/dev/spidev4.1" ? "A=" : "B=") + std::to_string(t.bytes.at(0)));
    }
    return out;
}

std::vector<std::string> set(RfBench& b, int a, bool force)
{
    b.clearLog();
    EXPECT_EQ(setAtenuador(a, force), 0);
    return attenuatorWrites(b);
}

using Writes = std::vector<std::string>;

} // namespace

TEST(Attenuator, EachSplitWritesThePadThenBothStepAttenuators)
{
    RfBench b;
    // In order from start-up (-1 before): each split, then the clamp at the top, unforced
    // (nothing to write) and forced.
    const std::pair<int, Writes> rows[] = {
        {0, {"ATT0=1", "A=0", "B=0"}},    {7, {"ATT0=1", "A=14", "B=0"}},  {15, {"ATT0=1", "A=10", "B=20"}},
        {39, {"ATT0=1", "A=38", "B=40"}}, {40, {"ATT0=0", "A=0", "B=40"}}, {45, {"ATT0=0", "A=10", "B=40"}},
        {69, {"ATT0=0", "A=58", "B=40"}}, {70, {"ATT0=0", "A=40", "B=60"}}, {85, {}}};
    for (const auto& [a, writes] : rows)
        EXPECT_EQ(set(b, a, false), writes) << a;
    EXPECT_EQ(set(b, 85, true), (Writes{"ATT0=0", "A=40", "B=60"}));
    EXPECT_EQ(getAtenuador(), 70);
    EXPECT_EQ(set(b, -5, true), (Writes{"ATT0=1", "A=0", "B=0"}));
    EXPECT_EQ(getAtenuador(), 0);
    EXPECT_TRUE(set(b, -5, false).empty());
    // Every value lands on the board as the requested attenuation.
    for (int a = 0; a <= 70; ++a) {
        setAtenuador(a, false);
        EXPECT_DOUBLE_EQ(b.frontEnd->attenuationDb(), a) << a;
    }
}

TEST(Attenuator, GridStepsAndTheNextValueForALevel)
{
    const std::tuple<void (*)(int*), int, int> steps[] = {
        {nextAtenuador, 65, 70}, {nextAtenuador, 70, 70}, {nextAtenuador, 0, 10}, {nextAtenuador, 9, 10},
        {nextAtenuador, 10, 20}, {prevAtenuador, 65, 50}, {prevAtenuador, 5, 0},  {prevAtenuador, 0, 0},
        {prevAtenuador, 20, 10}};
    for (auto [step, in, out] : steps) {
        int a = in;
        step(&a);
        EXPECT_EQ(a, out) << in;
    }
    RfBench b;
    setAtenuador(35, true);
    for (auto [level, att] : {std::pair{600, 40}, {501, 40}, {500, 30}, {370, 30}, {300, 20}})
        EXPECT_EQ(getValorSeguentAtt(level), att) << level;
    setAtenuador(70, true);
    EXPECT_EQ(getValorSeguentAtt(900), 70);
    setAtenuador(3, true);
    EXPECT_EQ(getValorSeguentAtt(100), 0);
}

TEST(Ranging, FollowsTheSceneIntoTheWindowRestoresTheDetectorAndStopsAtBothEnds)
{
    CalibratedBench b;
    b.scene->addCw(300e6, 95.0);
    sintonitzar(300000000u);
    setDetector(DETECTOR_POWER_METER);
    setAtenuador(0, true);
    const int before = b.chips.converter->conversionCount(2);
    ajustarAtenuador();
    // 45.0 dBµV at the detector; each request of n conversions clocks n + 1 frames, and the
    // model counts each frame.
    EXPECT_EQ(std::make_tuple(getAtenuador(), b.chips.converter->conversionCount(2) - before, getDetector()),
              std::make_tuple(50, 6 * 21, DETECTOR_POWER_METER));

    // From the top: down in 10 dB steps; 30.0 dBµV with 0 dB: the first reading is 300 away
    // from the initial 0, one step up.
    for (auto [dbuv, from, to] : {std::tuple{65.0, 70, 20}, {30.0, 0, 10}}) {
        b.scene->clear();
        b.scene->addCw(300e6, dbuv);
        setAtenuador(from, true);
        ajustarAtenuador();
        EXPECT_EQ(getAtenuador(), to) << dbuv;
    }

    // 45.0 dBµV at the detector with 70 dB: returns at once, nothing changes.
    b.scene->clear();
    b.scene->addCw(300e6, 115.0);
    setAtenuador(70, true);
    b.clearLog();
    const int atTop = b.chips.converter->conversionCount(2);
    ajustarAtenuador();
    EXPECT_EQ(std::make_tuple(getAtenuador(), b.chips.converter->conversionCount(2) - atTop), std::make_tuple(70, 21));
    EXPECT_EQ(attenuatorWrites(b), (Writes{"ATT0=0", "A=40", "B=60"})); // the forced re-program only
}

TEST(Ranging, DemodulatorInputConvergesOnTheOptimumCount)
{
    CalibratedBench b;
    ASSERT_EQ(getOptimasContesIQ(), 3150); // 63.0 dBµV at the detector
    b.scene->addCw(300e6, 80.0);
    sintonitzar(300000000u);
    EXPECT_EQ(ajustarAtenuador_IQ(), 3100); // within 50 steps at 18 dB
    EXPECT_EQ(getAtenuador(), 18);

    // A signal that never comes near: 70 readings, down to 0 dB, the last reading returned.
    b.scene->clear();
    b.scene->setNoiseFloor(-30.0);
    const int before = b.chips.converter->conversionCount(2);
    EXPECT_EQ(ajustarAtenuador_IQ(), 0);
    EXPECT_EQ(std::make_tuple(b.chips.converter->conversionCount(2) - before, getAtenuador()), std::make_tuple(70 * 21, 0));
}

TEST(Acquisition, EachDetectorReadsItsChannelAndTheLargestAndMeanDiffer)
{
    CalibratedBench b;
    b.scene->addCw(300e6, 60.0); // 3000 steps with no attenuation
    sintonitzar(300000000u);
    setAtenuador(0, true);
    const struct {
        int detector;
        int channel;
        int conversions;
    } rows[] = {{0, 2, 21}, {1, 2, 6}, {2, 3, 2}, {14, 7, 2}, {5, 2, 21}}; // n + 1 frames
    for (const auto& r : rows) {
        setDetector(r.detector);
        const int before = b.chips.converter->conversionCount(r.channel);
        int raw = -1;
        EXPECT_EQ(adquisicio(7, &raw, 9), 0);
        EXPECT_EQ(b.chips.converter->conversionCount(r.channel) - before, r.conversions) << r.detector;
        EXPECT_EQ(getNivellConversor(), raw);
    }
    setDetector(0);
    int raw = 0;
    adquisicio_fast(&raw);
    EXPECT_EQ(raw, 3000);

    b.frontEnd->setJitterSteps(5);
    int largest = 0, mean = 0;
    for (int i = 0; i < 10; ++i) {
        setDetector(0);
        adquisicio(0, &raw, 0);
        largest += raw;
        setDetector(1);
        adquisicio(0, &raw, 0);
        mean += raw;
    }
    EXPECT_TRUE(largest > mean && largest >= 10 * 3000 && largest <= 10 * 3005) << largest << " " << mean;
    EXPECT_EQ(adquisicio_media(0), 0);
    EXPECT_EQ(adquisicio_minima(0), 2147483647);
}

TEST(Acquisition, BurstReadsKeepTheTwelveDataBitsAndTheTrackLine)
{
    CalibratedBench b;
    b.chips.converter->setChannelValue(3, 1234);
    b.chips.converter->setChannelValue(2, 4000);
    // The converter puts junk in the top 4 bits of every frame.
    EXPECT_EQ(std::make_tuple(adquisicio_media_rapida(3), adquisicio_minima_rapida(), adquisicio_maxima_rapida()),
              std::make_tuple(1234, 4000, 4000));
    int n = 0;
    b.chips.converter->setChannelFunction(2, [&](uint64_t) { return n++ == 37 ? 100 : 2000 + n; });
    EXPECT_EQ(std::make_tuple(adquisicio_minima_rapida(), getLecturaConversorRF(3), getLecturaConversorRF(42)),
              std::make_tuple(100, 1234, -1));

    // The track line.
    b.clearLog();
    programaTrack(1);
    programaTrack(0);
    programaTrack(2);
    resetTrack();
    EXPECT_EQ(b.lineWrites(), (std::vector<std::string>{"19=1", "19=0", "19=0", "19=1"}));
    b.clearLog();
    const uint64_t t0 = b.nowUs();
    resetTrack(5);
    EXPECT_EQ(b.lineWrites(), (std::vector<std::string>{"19=0", "19=1"}));
    EXPECT_EQ(b.board->log().entries("gpio-value")[1].timeUs - t0, 5000u);
}
