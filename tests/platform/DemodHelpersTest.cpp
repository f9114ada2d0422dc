// The shared helpers of the demodulator's standard behaviours: windowed error counters,
// constellation grids and noisy samples, uncoded error ratios.
#include "Constellation.h"
#include "ErrorCounter.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace platform::sim;

TEST(ErrorCounter, CountsEachWindowOnceItHasGoneBy)
{
    ErrorCounter counter;
    counter.setRate(1e-4, 10e6);      // 1000 errors per second
    counter.setWindow(1632 * 64);     // 104448 bits: 10.4448 ms, 10.4448 errors
    counter.restart(5000);
    EXPECT_EQ(counter.windowDurationUs(), 10445u);
    EXPECT_FALSE(counter.valid(5000 + 10444));
    EXPECT_EQ(counter.windowCount(5000 + 10444), 0u);
    EXPECT_TRUE(counter.valid(5000 + 10445));
    // Counts carry their fraction: 10 or 11, and exactly 10.4448 on average.
    uint64_t total = 0;
    for (uint64_t k = 1; k <= 1000; ++k)
        total += counter.windowCount(5000 + k * 10445);
    EXPECT_EQ(total, 10445u); // round(1000 x 10.4448)
    // The same rate between any two moments.
    EXPECT_EQ(counter.errorsBetween(5000, 5000 + 1000000), 1000u);
    EXPECT_EQ(counter.errorsBetween(0, 5000), 0u);
    EXPECT_EQ(counter.errorsBetween(5000 + 500, 5000 + 1500), 1u);

    // No rate, no window or no bit rate: never valid or zero.
    ErrorCounter idle;
    idle.setWindow(1000);
    idle.restart(0);
    EXPECT_FALSE(idle.valid(1000000000));
    idle.setRate(0.5, 1000);
    EXPECT_TRUE(idle.valid(1000000));
    EXPECT_EQ(idle.windowCount(1000000), 500u);
}

TEST(Constellation, GridsHaveTheirPointsAndScalesAndNoiseItsMer)
{
    struct Case {
        Modulation m;
        size_t points;
        double peak;
        double power;
    };
    for (const Case& c : {Case{Modulation::Qpsk, 4, 1, 2}, Case{Modulation::Psk8, 8, std::sqrt(2.0), 2},
                          Case{Modulation::Qam16, 16, 3, 10}, Case{Modulation::Qam32, 32, 5, 20},
                          Case{Modulation::Qam64, 64, 7, 42}, Case{Modulation::Qam128, 128, 11, 82},
                          Case{Modulation::Qam256, 256, 15, 170}, Case{Modulation::Qam4096, 4096, 63, 2730}}) {
        const ConstellationGrid g = ConstellationGrid::of(c.m);
        EXPECT_EQ(g.points().size(), c.points) << modulationName(c.m);
        EXPECT_NEAR(g.peakAxis(), c.peak, 1e-9) << modulationName(c.m);
        EXPECT_NEAR(g.averagePower(), c.power, 1e-9) << modulationName(c.m);
    }
    EXPECT_TRUE(ConstellationGrid::of(Modulation::Apsk16).empty());
    const ConstellationGrid apsk = ConstellationGrid::apsk({{4, 1.0}, {12, 2.7}});
    EXPECT_EQ(apsk.points().size(), 16u);
    EXPECT_NEAR(std::abs(apsk.points()[5]), 2.7, 1e-12);
    EXPECT_EQ(ConstellationGrid::of(Modulation::Qam64).nearest({2.2, -6.9}), IqPoint(3, -7));

    // Noise meets the target MER and repeats with the seed.
    for (Modulation m : {Modulation::Qpsk, Modulation::Psk8, Modulation::Qam64, Modulation::Qam256})
        for (double mer : {15.0, 25.0, 35.0}) {
            ConstellationSource source(3);
            source.setGrid(ConstellationGrid::of(m), mer);
            std::vector<ConstellationSource::Sample> samples;
            for (int i = 0; i < 20000; ++i)
                samples.push_back(source.next());
            EXPECT_NEAR(ConstellationSource::merDb(samples), mer, 0.1) << modulationName(m) << " " << mer;
        }
    ConstellationSource a(11), b(11);
    a.setGrid(ConstellationGrid::of(Modulation::Qam16), 20);
    b.setGrid(ConstellationGrid::of(Modulation::Qam16), 20);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(a.next().received, b.next().received);
}

TEST(Constellation, UncodedBitErrorRatios)
{
    // QPSK: Q(sqrt(SNR)); square QAM: (4/k)(1 - 1/sqrt(M)) Q(sqrt(3 SNR / (M - 1))).
    EXPECT_NEAR(uncodedBer(Modulation::Qpsk, 10), 7.827e-4, 1e-6);
    EXPECT_NEAR(uncodedBer(Modulation::Qam64, 20), 1.0 / 6 * 7 / 8 * 4 * 0.5 * std::erfc(std::sqrt(300.0 / 63) / std::sqrt(2.0)), 1e-12);
    EXPECT_LT(uncodedBer(Modulation::Qam256, 38), 1e-12);
    EXPECT_GT(uncodedBer(Modulation::Qam256, 20), uncodedBer(Modulation::Qam64, 20));
    EXPECT_EQ(uncodedBer(Modulation::Apsk16, 10), 0);
}
