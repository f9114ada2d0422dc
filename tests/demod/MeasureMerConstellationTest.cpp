// The constellation MER object: nearest levels, sigma calibration, windows, steps and the
// configuration and its loader.
#include "AdjustmentBlob.h"
#include "demod/measure_mer_constellation.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

t_mer_constellation_config defaults(uint32_t levels = 8)
{
    t_mer_constellation_config c;
    MEASURE_MER_CONSTELLATION_default_config(&c, levels);
    return c;
}

struct Constellation {
    t_measure_mer_constellation object{};
    Constellation()
    {
        KxlDrvLibError err;
        MEASURE_MER_CONSTELLATION_create_with(&err, &object, &MEASURE_MER_CONSTELLATION_PARAMS_DVBT);
    }
    ~Constellation() { MEASURE_MER_CONSTELLATION_destroy(&object); }
    // A batch of n points at (i, q), then `others` points at (i2, q2).
    MeasureResult feed(const t_mer_constellation_config* config, int16_t i, int16_t q, int n = 50, int16_t i2 = 0,
                       int16_t q2 = 0, int others = 0)
    {
        std::vector<int16_t> is(n, i), qs(n, q);
        is.insert(is.end(), others, i2);
        qs.insert(qs.end(), others, q2);
        MeasureResult r;
        MEASURE_MER_CONSTELLATION_process(&r, &object, is.data(), qs.data(), static_cast<int32_t>(is.size()), config);
        return r;
    }
};

struct RawConfig {
    uint8_t levelCount = 2;
    int32_t levels[8] = {-13720, 13720};
    int16_t maximum = 350;
    int32_t noiseMin = 100;
    int32_t noiseMax = 10000000;
    uint8_t segmentCount = 2;
    int32_t segments[3][3] = {{133, -5000, 15000}, {123, -3443, 0}, {0, 0, 0}};
};

AdjustmentBlob blobOf(const RawConfig& raw)
{
    AdjustmentBlob b;
    b.u8(raw.levelCount);
    for (int32_t level : raw.levels)
        b.s32(level);
    b.s16(raw.maximum).s32(raw.noiseMin).s32(raw.noiseMax).u8(raw.segmentCount);
    for (const auto& s : raw.segments)
        b.s32(s[0]).s32(s[1]).s32(s[2]);
    return b;
}

} // namespace

TEST(MeasureMerConstellation, BatchesOfPointsAgainstTheirConfiguration)
{
    const t_mer_constellation_config grid = defaults();
    // -10 and 6: I = -2 is 8 from both.
    t_mer_constellation_config tie = defaults(2);
    tie.levels[0] = -10;
    tie.levels[1] = 6;
    t_mer_constellation_config none = defaults();
    none.level_count = 0;
    t_mer_constellation_config zero = defaults(1);
    zero.levels[0] = 0;
    t_mer_constellation_config points = defaults();
    points.point_count = 2;
    points.points[0] = {400, 380};
    points.points[1] = {0, 0};
    // Sigma calibration: 1 + 2p up to 0.5, then p.
    t_mer_constellation_config sigma = defaults();
    sigma.segments[0] = {2.0f, 1.0f, 0.5f};
    sigma.segments[1] = {1.0f, 0.0f, 0.0f};
    const auto withSigma = [&](uint32_t segments, float t0, float noiseMin, float noiseMax) {
        t_mer_constellation_config c = sigma;
        c.segment_count = segments;
        c.segments[0].threshold = t0;
        c.noise_minimum = noiseMin;
        c.noise_maximum = noiseMax;
        return c;
    };
    const t_mer_constellation_config first = withSigma(2, 0.5f, 1e-6f, 1e5f);
    const t_mer_constellation_config reachedNone = withSigma(1, 5.0f, 0.5f, 1e5f);
    const t_mer_constellation_config crossed = withSigma(1, 5.0f, 10.0f, 1.0f);
    const struct {
        const char* what;
        const t_mer_constellation_config* config;
        int16_t i, q;
        int n;
        int16_t i2, q2;
        int others;
        uint32_t status;
        int32_t mer;
    } cases[] = {
        // Signal 128 and noise 2 x 0.01 per point: 100 log10(6400) = 380.6.
        {"on level 8", &grid, 8, 8, 50, 0, 0, 0, 0, 381},
        // 56^2 + 24^2 over 0.02 is 52.7 dB, above the maximum 40.0 dB.
        {"on a corner", &grid, -56, 24, 50, 0, 0, 0, 1, 400},
        // -10 wins: signal 100 + 36 over noise 2 x 32 (33), not 36 + 36 (5).
        {"a tie goes to the first level", &tie, -2, 6, 50, 0, 0, 0, 0, 33},
        {"no levels", &none, 8, 8, 50, 0, 0, 0, 2, 0},
        {"zero levels: no signal power", &zero, 3, -3, 50, 0, 0, 0, 2, 0},
        {"calibration points: 381 x 380 / 400", &points, 8, 8, 50, 0, 0, 0, 0, 362},
        {"first segment", &first, 9, 9, 50, 0, 0, 0, 0, 133},
        {"no segment reached: the minimum", &reachedNone, 9, 9, 50, 0, 0, 0, 0, 211},
        {"minimum above maximum: the maximum wins", &crossed, 9, 9, 50, 0, 0, 0, 0, 181},
    };
    for (const auto& k : cases) {
        Constellation m;
        const MeasureResult r = m.feed(k.config, k.i, k.q, k.n, k.i2, k.q2, k.others);
        EXPECT_EQ(std::make_tuple(r.status, r.value.s32), std::make_tuple(k.status, k.mer)) << k.what;
    }
    // No batch: the last value's status, or nothing measured yet.
    Constellation c;
    MeasureResult r;
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_process(&r, &c.object, nullptr, nullptr, 0, &zero)->status, 3u);
    c.feed(&zero, 3, -3);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_process(&r, &c.object, nullptr, nullptr, 0, &zero)->status, 2u);
}

TEST(MeasureMerConstellation, SustainedDropJumpsAfterTheStepCount)
{
    const t_mer_constellation_config c = defaults();
    Constellation m;
    for (int call = 0; call < 20; ++call)
        ASSERT_EQ(m.feed(&c, 8, 8).value.s32, 381);
    // The long window drops its worst entry, so the first noisy batch does not show; then
    // the value sinks with the smoothing until the fifteenth call in a row with a long-to-
    // short difference above 3.0 dB cuts the history to the short window.
    int32_t previous = m.feed(&c, 9, 9).value.s32;
    EXPECT_EQ(previous, 381);
    for (int call = 2; call <= 15; ++call) {
        const int32_t v = m.feed(&c, 9, 9).value.s32;
        EXPECT_LT(v, previous) << call;
        EXPECT_GT(v, 200) << call;
        previous = v;
    }
    EXPECT_EQ(m.feed(&c, 9, 9).value.s32, 181);
    EXPECT_EQ(m.object.ring.count, 10);
}

TEST(MeasureMerConstellation, CreationRestartAndFixedResults)
{
    KxlDrvLibError err;
    MEASURE_MER_CONSTELLATION_create_with(&err, nullptr, &MEASURE_MER_CONSTELLATION_PARAMS_DVBT);
    EXPECT_STREQ(err.text, "[MEASURE_MER_CONSTELLATION_create]->Null pointer.");

    const t_mer_constellation_config c = defaults();
    t_measure_mer_constellation bare{};
    MEASURE_MER_CONSTELLATION_create(&err, &bare, 0x80000000u, 3, 1, 20, 2, 10, 30, 15);
    EXPECT_EQ(std::make_tuple(err.code, err.argument, bare.ring.capacity), std::make_tuple(10u, 0u, 0));
    const int16_t i[] = {8, 9}, q[] = {8, 9};
    MeasureResult r;
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_process(&r, &bare, i, q, 1, &c)->value.s32, 381);

    Constellation m;
    for (int call = 0; call < 5; ++call)
        m.feed(&c, 8, 8);
    // Five equal batches of signal 6400 and noise 1: the best and worst are left out and the
    // three others divided by all five.
    float signal = 0, noise = 0;
    MEASURE_MER_CONSTELLATION_get_noise_power(&m.object, &signal, &noise);
    EXPECT_FLOAT_EQ(signal, 3840.0f);
    EXPECT_FLOAT_EQ(noise, 0.6f);
    MEASURE_MER_CONSTELLATION_restart(&m.object);
    EXPECT_EQ(m.object.track.restart, 1);
    MEASURE_MER_CONSTELLATION_get_noise_power(&m.object, &signal, &noise);
    EXPECT_EQ(signal, 0.0f) << "an empty history";

    EXPECT_EQ(MEASURE_MER_CONSTELLATION_unlocked(&r, &m.object)->status, 3u);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_min(&r, &m.object)->status, 2u);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_max(&r, &c)->value.s32, 400);
    MEASURE_MER_CONSTELLATION_max(&r, nullptr);
    EXPECT_EQ(std::make_tuple(r.status, r.value.s32), std::make_tuple(1u, 500));
}

TEST(MeasureMerConstellation, LoaderReadsEightyBytesAndClampsEveryField)
{
    const AdjustmentBlob blob = blobOf(RawConfig{});
    t_mer_constellation_config c = defaults(8);
    c.point_count = 1; // not part of the record: kept
    KxlDrvLibError err{};
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_load_config(8, 3, &c, blob.data(), &err), blob.data() + 80);
    EXPECT_EQ(err.code, 0u);
    // The segment with no slot in the record keeps its default slope.
    EXPECT_EQ((std::vector<float>{float(c.level_count), float(c.maximum_mer), float(c.point_count), c.levels[1],
                                  c.noise_minimum, c.segments[0].slope, c.segments[1].offset, c.segments[3].slope}),
              (std::vector<float>{2, 350, 1, 137.2f, 1.0f, 1.33f, -34.43f, 1.0f}));

    // Each field out of its range is clamped and reported; the first error in the record wins.
    using Config = t_mer_constellation_config;
    const struct {
        void (*spoil)(RawConfig&);
        float (*field)(const Config&);
        float clamped;
    } cases[] = {
        {[](RawConfig& r) { r.levelCount = 9; }, [](const Config& k) { return float(k.level_count); }, 8},
        {[](RawConfig& r) { r.maximum = 1200; }, [](const Config& k) { return float(k.upper_limit); }, 1000},
        {[](RawConfig& r) { r.noiseMin = -1; }, [](const Config& k) { return k.noise_minimum; }, 0},
        {[](RawConfig& r) { r.noiseMax = 10000001; }, [](const Config& k) { return k.noise_maximum; }, 100000},
        {[](RawConfig& r) { r.segments[0][0] = -1000001; }, [](const Config& k) { return k.segments[0].slope; }, -10000},
        {[](RawConfig& r) { r.segments[2][2] = -100; }, [](const Config& k) { return k.segments[2].threshold; }, 0},
    };
    for (const auto& k : cases) {
        RawConfig raw;
        k.spoil(raw);
        const AdjustmentBlob spoilt = blobOf(raw);
        c = defaults();
        err = {};
        EXPECT_EQ(MEASURE_MER_CONSTELLATION_load_config(8, 3, &c, spoilt.data(), &err), spoilt.data() + 80);
        EXPECT_EQ(std::make_tuple(err.code, err.argument, k.field(c)), std::make_tuple(26u, 2u, k.clamped)) << k.clamped;
        EXPECT_STREQ(err.text, "[MEASURE_MER_CONSTELLATION_load_config]->Format error.");
    }
    err = {20, 1, "bus"};
    MEASURE_MER_CONSTELLATION_load_config(8, 3, &c, blobOf(RawConfig{9}).data(), &err);
    EXPECT_STREQ(err.text, "bus");
}
