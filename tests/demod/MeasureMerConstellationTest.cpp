// The constellation MER object: nearest levels, sigma calibration, windows, steps and the
// configuration and its loader.
#include "AdjustmentBlob.h"
#include "demod/measure_mer_constellation.h"

#include <gtest/gtest.h>

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

TEST(MeasureMerConstellation, PointsOnTheGridAndOffIt)
{
    const t_mer_constellation_config c = defaults();
    const struct {
        const char* what;
        int16_t i, q, i2, q2;
        int n, others;
        uint32_t status;
        int32_t mer;
    } cases[] = {
        // Signal 128 and noise 2 x 0.01 per point: 100 log10(6400) = 380.6.
        {"on level 8", 8, 8, 0, 0, 50, 0, 0, 381},
        // 56^2 + 24^2 over 0.02 is 52.7 dB, above the maximum 40.0 dB.
        {"on a corner", -56, 24, 0, 0, 50, 0, 1, 400},
        // One unit off on both axes: noise 2 x (1 + 1) / 2 per point, 128 / 2.
        {"one off", 9, 9, 0, 0, 50, 0, 0, 181},
        {"half on, half off", 8, 8, 9, 9, 25, 25, 0, 210},
        {"one point", 9, 7, 0, 0, 1, 0, 0, 181},
    };
    for (const auto& k : cases) {
        Constellation m;
        const MeasureResult r = m.feed(&c, k.i, k.q, k.n, k.i2, k.q2, k.others);
        EXPECT_EQ(r.status, k.status) << k.what;
        EXPECT_EQ(r.value.s32, k.mer) << k.what;
    }
}

TEST(MeasureMerConstellation, SigmaCalibrationAndNoiseLimits)
{
    t_mer_constellation_config c = defaults();
    c.segment_count = 2;
    c.segments[0] = {2.0f, 1.0f, 0.5f};
    c.segments[1] = {1.0f, 0.0f, 0.0f};
    const struct {
        const char* what;
        uint32_t segments;
        float t0, noiseMin, noiseMax;
        int16_t at;
        uint32_t status;
        int32_t mer;
    } cases[] = {
        {"first segment: 1 + 2p", 2, 0.5f, 1e-6f, 1e5f, 9, 0, 133},
        {"second segment, clamped up to the minimum", 2, 0.5f, 1e-6f, 1e5f, 8, 1, 400},
        {"no segment reached: the minimum", 1, 5.0f, 0.5f, 1e5f, 9, 0, 211},
        {"minimum above maximum: the maximum wins", 1, 5.0f, 10.0f, 1.0f, 9, 0, 181},
    };
    for (const auto& k : cases) {
        c.segment_count = k.segments;
        c.segments[0].threshold = k.t0;
        c.noise_minimum = k.noiseMin;
        c.noise_maximum = k.noiseMax;
        Constellation m;
        const MeasureResult r = m.feed(&c, k.at, k.at);
        EXPECT_EQ(r.status, k.status) << k.what;
        EXPECT_EQ(r.value.s32, k.mer) << k.what;
    }
}

TEST(MeasureMerConstellation, NearestLevelTieGoesToTheFirst)
{
    t_mer_constellation_config c = defaults(2);
    c.levels[0] = -10;
    c.levels[1] = 6;
    // I = -2 is 8 from both: -10 wins, signal 100 + 36 over noise 2 x 32 (33), not 36 + 36 (5).
    Constellation m;
    EXPECT_EQ(m.feed(&c, -2, 6).value.s32, 33);
}

TEST(MeasureMerConstellation, NoSignalGivesTheMinimum)
{
    t_mer_constellation_config none = defaults();
    none.level_count = 0;
    Constellation a;
    MeasureResult r = a.feed(&none, 8, 8);
    EXPECT_EQ(r.status, 2u);
    EXPECT_EQ(r.value.s32, 0);
    Constellation b;
    r = b.feed(nullptr, 8, 8);
    EXPECT_EQ(r.status, 2u);
    EXPECT_EQ(r.value.s32, 0);
    // Zero levels: the signal power of every point is 0.
    t_mer_constellation_config zero = defaults(1);
    zero.levels[0] = 0;
    Constellation c;
    EXPECT_EQ(c.feed(&zero, 3, -3).status, 2u);
    // Nothing measured yet and no batch: no value.
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_process(&r, &c.object, nullptr, nullptr, 0, &zero)->status, 2u);
    Constellation d;
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_process(&r, &d.object, nullptr, nullptr, 0, &zero)->status, 3u);
}

TEST(MeasureMerConstellation, CalibrationPointsOfTheConfiguration)
{
    t_mer_constellation_config c = defaults();
    c.point_count = 2;
    c.points[0] = {400, 380};
    c.points[1] = {0, 0};
    Constellation m;
    EXPECT_EQ(m.feed(&c, 8, 8).value.s32, 362); // 381 x 380 / 400, rounded
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
    EXPECT_EQ(m.feed(&c, 9, 9).value.s32, 181);
}

TEST(MeasureMerConstellation, CreationRestartAndFixedResults)
{
    KxlDrvLibError err;
    MEASURE_MER_CONSTELLATION_create_with(&err, nullptr, &MEASURE_MER_CONSTELLATION_PARAMS_DVBT);
    EXPECT_EQ(err.code, 34u);
    EXPECT_STREQ(err.text, "[MEASURE_MER_CONSTELLATION_create]->Null pointer.");

    const t_mer_constellation_config c = defaults();
    t_measure_mer_constellation bare{};
    MEASURE_MER_CONSTELLATION_create(&err, &bare, 0x80000000u, 3, 1, 20, 2, 10, 30, 15);
    EXPECT_EQ(err.code, 10u);
    EXPECT_EQ(err.argument, 0u);
    EXPECT_EQ(bare.ring.capacity, 0);
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
    EXPECT_EQ(m.object.ring.count, 0);
    EXPECT_EQ(m.object.track.restart, 1);
    MEASURE_MER_CONSTELLATION_get_noise_power(&m.object, &signal, &noise);
    EXPECT_EQ(signal, 0.0f);

    EXPECT_EQ(MEASURE_MER_CONSTELLATION_unlocked(&r, &m.object)->status, 3u);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_min(&r, &m.object)->status, 2u);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_max(&r, &c)->value.s32, 400);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_max(&r, nullptr)->value.s32, 500);
    EXPECT_EQ(r.status, 1u);
}

TEST(MeasureMerConstellation, DefaultLevels)
{
    const struct {
        uint32_t n;
        std::vector<float> levels;
    } cases[] = {
        {2, {-8, 8}},
        {4, {-24, -8, 8, 24}},
        {8, {-56, -40, -24, -8, 8, 24, 40, 56}},
        {9, {-56, -40, -24, -8, 8, 24, 40, 56}}, // eight at most
    };
    for (const auto& k : cases) {
        const t_mer_constellation_config c = defaults(k.n);
        ASSERT_EQ(c.level_count, k.levels.size()) << k.n;
        for (size_t i = 0; i < k.levels.size(); ++i)
            EXPECT_EQ(c.levels[i], k.levels[i]) << k.n << " " << i;
    }
    const t_mer_constellation_config c = defaults(2);
    EXPECT_EQ(c.maximum_mer, 400);
    EXPECT_EQ(c.upper_limit, 400);
    EXPECT_EQ(c.minimum_mer, 0);
    EXPECT_EQ(c.segment_count, 0u);
    EXPECT_FLOAT_EQ(c.noise_minimum, 1e-6f);
    EXPECT_FLOAT_EQ(c.noise_maximum, 100000.0f);
    EXPECT_EQ(c.segments[3].slope, 1.0f);
    EXPECT_EQ(c.point_count, 0u);
}

TEST(MeasureMerConstellation, LoaderReadsEightyBytes)
{
    const AdjustmentBlob blob = blobOf(RawConfig{});
    t_mer_constellation_config c = defaults(8);
    c.point_count = 1; // not part of the record: kept
    KxlDrvLibError err;
    KxlDrvLib_error_ok(&err);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_load_config(8, 3, &c, blob.data(), &err), blob.data() + 80);
    EXPECT_EQ(err.code, 0u);
    EXPECT_EQ(c.level_count, 2u);
    EXPECT_FLOAT_EQ(c.levels[0], -137.2f);
    EXPECT_FLOAT_EQ(c.levels[1], 137.2f);
    EXPECT_EQ(c.maximum_mer, 350);
    EXPECT_EQ(c.upper_limit, 350);
    EXPECT_EQ(c.lower_limit, 0);
    EXPECT_FLOAT_EQ(c.noise_minimum, 1.0f);
    EXPECT_FLOAT_EQ(c.noise_maximum, 100000.0f);
    EXPECT_EQ(c.segment_count, 2u);
    EXPECT_FLOAT_EQ(c.segments[0].slope, 1.33f);
    EXPECT_FLOAT_EQ(c.segments[0].offset, -50.0f);
    EXPECT_FLOAT_EQ(c.segments[0].threshold, 150.0f);
    EXPECT_FLOAT_EQ(c.segments[1].offset, -34.43f);
    EXPECT_EQ(c.segments[3].slope, 1.0f); // no slot for it in the record
    EXPECT_EQ(c.point_count, 1u);

    // More level slots than levels: the slot is read whole.
    AdjustmentBlob wide;
    wide.u8(8);
    for (int i = 0; i < 10; ++i)
        wide.s32(100 * i);
    wide.s16(400).s32(0).s32(100).u8(0);
    KxlDrvLib_error_ok(&err);
    EXPECT_EQ(MEASURE_MER_CONSTELLATION_load_config(10, 0, &c, wide.data(), &err), wide.data() + wide.size());
    EXPECT_EQ(err.code, 0u);
    EXPECT_FLOAT_EQ(c.levels[7], 7.0f);
}

TEST(MeasureMerConstellation, LoaderClampsEveryField)
{
    const struct {
        const char* what;
        void (*spoil)(RawConfig&);
        bool (*check)(const t_mer_constellation_config&);
    } cases[] = {
        {"level count 9", [](RawConfig& r) { r.levelCount = 9; },
         [](const t_mer_constellation_config& c) { return c.level_count == 8; }},
        {"level above 10000", [](RawConfig& r) { r.levels[1] = 1000001; },
         [](const t_mer_constellation_config& c) { return c.levels[1] == 10000.0f; }},
        {"maximum above 1000", [](RawConfig& r) { r.maximum = 1200; },
         [](const t_mer_constellation_config& c) { return c.maximum_mer == 1000 && c.upper_limit == 1000; }},
        {"negative maximum", [](RawConfig& r) { r.maximum = -5; },
         [](const t_mer_constellation_config& c) { return c.maximum_mer == 0; }},
        {"negative noise minimum", [](RawConfig& r) { r.noiseMin = -1; },
         [](const t_mer_constellation_config& c) { return c.noise_minimum == 0.0f; }},
        {"noise maximum above 100000", [](RawConfig& r) { r.noiseMax = 10000001; },
         [](const t_mer_constellation_config& c) { return c.noise_maximum == 100000.0f; }},
        {"segment count 5", [](RawConfig& r) { r.segmentCount = 5; },
         [](const t_mer_constellation_config& c) { return c.segment_count == 4; }},
        {"slope below -10000", [](RawConfig& r) { r.segments[0][0] = -1000001; },
         [](const t_mer_constellation_config& c) { return c.segments[0].slope == -10000.0f; }},
        {"negative threshold", [](RawConfig& r) { r.segments[2][2] = -100; },
         [](const t_mer_constellation_config& c) { return c.segments[2].threshold == 0.0f; }},
    };
    for (const auto& k : cases) {
        RawConfig raw;
        k.spoil(raw);
        const AdjustmentBlob blob = blobOf(raw);
        t_mer_constellation_config c = defaults();
        KxlDrvLibError err;
        KxlDrvLib_error_ok(&err);
        EXPECT_EQ(MEASURE_MER_CONSTELLATION_load_config(8, 3, &c, blob.data(), &err), blob.data() + 80) << k.what;
        EXPECT_EQ(err.code, 26u) << k.what;
        EXPECT_EQ(err.argument, 2u) << k.what;
        EXPECT_STREQ(err.text, "[MEASURE_MER_CONSTELLATION_load_config]->Format error.") << k.what;
        EXPECT_TRUE(k.check(c)) << k.what;
    }
    // The first error in the record wins.
    RawConfig raw;
    raw.levelCount = 200;
    const AdjustmentBlob blob = blobOf(raw);
    t_mer_constellation_config c = defaults();
    KxlDrvLibError err{20, 1, "bus"};
    MEASURE_MER_CONSTELLATION_load_config(8, 3, &c, blob.data(), &err);
    EXPECT_STREQ(err.text, "bus");
}
