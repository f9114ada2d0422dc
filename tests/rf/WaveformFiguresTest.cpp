// The figures of the windowed converter channels at their limits: the hum's moving means,
// the voltage's mean, spread and mains frequency, and what empty or short windows give.
#include "engines/analogueGeometry.h"
#include "engines/waveformFigures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>

using rfengine::Samples;

namespace {

// n samples of dc + amplitude · sin(2π hz t) steps, one every periodUs from t = 0.
Samples sine(int n, double hz, double dc, double amplitude, uint64_t periodUs = 500)
{
    Samples s;
    for (int i = 0; i < n; ++i) {
        const uint64_t t = 1000000u + periodUs * static_cast<uint64_t>(i);
        s.values.push_back(static_cast<int>(std::lround(dc + amplitude * std::sin(2 * M_PI * hz * (t - 1000000u) / 1e6 + 0.3))));
        s.timesUs.push_back(t);
    }
    return s;
}

} // namespace

TEST(WaveformFigures, HumIsTheSpreadOfFifteenSampleMeans)
{
    const auto steps = [](int zeros, int highs) {
        std::vector<int> v(static_cast<size_t>(zeros), 0);
        v.insert(v.end(), static_cast<size_t>(highs), 150);
        return v;
    };
    const struct {
        std::vector<int> samples;
        float hum;
    } cases[] = {
        {{}, static_cast<float>(UNMEASURED)},
        {steps(15, 0), static_cast<float>(UNMEASURED)},
        {steps(16, 0), 0.0f},
        {steps(15, 1), 0.0f},          // the one mean starts at sample 0
        {steps(15, 16), 150 * 0.036f}, // the mean of samples 15 to 29 is the last taken
        {steps(15, 15), 140 * 0.036f}, // the last window (samples 15 to 29) is not taken
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(rfengine::humPercent(c.samples), c.hum) << c.samples.size();
    // A 50 Hz ripple of 22.2 steps peak to peak sampled every 0.5 ms: the means pass 78.5 % of it.
    EXPECT_NEAR(rfengine::humPercent(sine(1920, 50, 2048, 11.1).values), 22.2 * 0.785 * 0.036, 0.04);
}

TEST(WaveformFigures, VoltageMeanSpreadAndMainsFrequency)
{
    const Samples none;
    const rfengine::InputVoltage empty = rfengine::inputVoltage(none);
    EXPECT_EQ(std::make_tuple(empty.dc, empty.ac, empty.hz), std::make_tuple(UNMEASURED, UNMEASURED, UNMEASURED));
    Samples mismatched = sine(10, 50, 2036, 100);
    mismatched.timesUs.pop_back();
    EXPECT_EQ(rfengine::inputVoltage(mismatched).dc, UNMEASURED);

    const struct {
        Samples samples;
        int dc, ac, hz;
    } cases[] = {
        {sine(1, 50, 2136, 0), 87, 0, 0},       // one sample: one run, 0 Hz
        {sine(2000, 50, 2036, 0), 0, 0, 0},     // constant: one run
        {sine(2000, 50, 2035, 0), 0, 0, 0},     // -0.873: truncated toward zero
        {sine(2000, 50, 1936, 0), -87, 0, 0},
        {sine(2000, 50, 2036, 324), 0, 199, 50}, // 648 steps peak to peak
        {sine(2000, 60, 2036, 324), 0, 199, 60},
        {sine(2000, 100, 2311.4, 8), 240, 4, 100}, // a DC supply's ripple
        // The sample cap cut the window to half a second, or a slow converter stretched it.
        {sine(1000, 50, 2036, 324), 0, 199, 50},
        {sine(500, 50, 2036, 324, 2000), 0, 199, 50},
        {sine(9, 50, 2036, 324, 2500), 8, 191, 50}, // two crossings, one half period apart
    };
    for (const auto& c : cases) {
        const rfengine::InputVoltage v = rfengine::inputVoltage(c.samples);
        EXPECT_TRUE(v.dc == c.dc && std::abs(v.ac - c.ac) <= 1 && v.hz == c.hz)
            << c.samples.values.size() << " at " << c.hz << ": " << v.dc << " " << v.ac << " " << v.hz;
    }
}

TEST(AnalogueGeometry, CarriersAreValidatedIn64Bits)
{
    const struct {
        QVariantMap channel;
        unsigned int video;
    } channels[] = {
        {{{"frequency", 177500000u}, {"bandwidth", 7000000}}, 175250000u},
        {{{"frequency", 474000000u}, {"bandwidth", 8000000}}, 471250000u},
        {{{"frequency", 474000000u}, {"bandwidth", 0}}, 0u},
        {{{"frequency", 474000000u}, {"bandwidth", -8000000}}, 0u},
        {{{"frequency", 474000000u}, {"bandwidth", 192000001}}, 0u},
        {{{"frequency", 1000000u}, {"bandwidth", 8000000}}, 0u},     // below 0 Hz
        {{{"frequency", 4294967295u}, {"bandwidth", 2000000}}, 0u}, // beyond 32 bits
        {{{"frequency", -5}, {"bandwidth", 8000000}}, 0u},
        {{{"bandwidth", 8000000}}, 0u},
    };
    for (const auto& c : channels)
        EXPECT_EQ(rfengine::videoCarrier(c.channel), c.video) << c.channel.value("frequency").toLongLong();

    const std::tuple<qint64, double, unsigned int> offsets[] = {
        {175250000, 5.5, 180750000u}, {175250000, -5.5, 169750000u}, {4294000000LL, 5.5, 0u},
        {1000000, -5.5, 0u},          {175250000, 1e12, 0u},         {175250000, NAN, 0u}};
    for (auto [f, mhz, carrier] : offsets)
        EXPECT_EQ(rfengine::carrierOffset(f, mhz), carrier) << f << " " << mhz;
    EXPECT_EQ(std::make_tuple(rfengine::tunableFrequency(UINT_MAX),
                              rfengine::tunableFrequency(static_cast<qint64>(UINT_MAX) + 1), rfengine::tunableFrequency(0)),
              std::make_tuple(UINT_MAX, 0u, 0u));
}
