// The shared helpers of the demodulator's standard behaviours: constellation grids and
// noisy samples.
#include "Constellation.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace platform::sim;

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
