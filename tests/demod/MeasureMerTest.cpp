// The sampled MER object: calibration and limits, batch trimming, steps and smoothing, the
// table loader and the shared-history variant.
#include "AdjustmentBlob.h"
#include "demod/measure_mer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

t_mer_calibration_table curve(uint16_t maximum, std::initializer_list<t_mer_point> points)
{
    t_mer_calibration_table t{};
    t.maximum = maximum;
    t.upper_limit = maximum;
    for (const auto& p : points)
        t.points[t.count++] = p;
    return t;
}

struct Mer {
    t_measure_mer object{};
    explicit Mer(const t_measure_mer_params& p)
    {
        KxlDrvLibError err;
        MEASURE_MER_create_with(&err, &object, &p);
    }
    ~Mer() { MEASURE_MER_destroy(&object); }
    MeasureResult feed(std::vector<int32_t> samples, const t_mer_calibration_table* table = nullptr)
    {
        MeasureResult r;
        MEASURE_MER_process(&r, &object, samples.data(), static_cast<int32_t>(samples.size()), table);
        return r;
    }
};

} // namespace

TEST(MeasureMer, CalibrationAtAndBetweenPoints)
{
    const t_mer_calibration_table t = curve(450, {{400, 420}, {300, 300}, {200, 180}, {0, 0}});
    const struct {
        int32_t measured;
        uint32_t status;
        int32_t real;
    } cases[] = {
        {450, 0, 480}, // above the first point: along the first segment
        {400, 0, 420}, {303, 0, 304}, {302, 0, 302}, {300, 0, 300}, {250, 0, 240},
        {200, 0, 180}, {100, 0, 90},  {1, 0, 1},     {0, 2, 0},     {-7, 2, 0},
    };
    for (const auto& c : cases) {
        MeasureResult r;
        MEASURE_MER_calibrate(&r, c.measured, 0, &t);
        EXPECT_EQ(r.status, c.status) << c.measured;
        EXPECT_EQ(r.value.s32, c.real) << c.measured;
    }
    MeasureResult r;
    MEASURE_MER_calibrate(&r, 420, 1, &t); // 444, under the maximum 450
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.value.s32, 444);
    MEASURE_MER_calibrate(&r, 450, 1, &t); // 480 clamps
    EXPECT_EQ(r.status, 1u);
    EXPECT_EQ(r.value.s32, 450);

    // No table or an empty one: no calibration. Equal first points stay finite.
    MEASURE_MER_calibrate(&r, 777, 1, nullptr);
    EXPECT_EQ(r.value.s32, 777);
    const t_mer_calibration_table empty{};
    MEASURE_MER_calibrate(&r, 777, 1, &empty);
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.value.s32, 777);
    const t_mer_calibration_table flat = curve(500, {{300, 310}, {300, 200}, {0, 0}});
    MEASURE_MER_calibrate(&r, 400, 0, &flat);
    EXPECT_EQ(r.value.s32, 200);
}

TEST(MeasureMer, DefaultTableAndLimits)
{
    t_mer_calibration_table def;
    MEASURE_MER_default_table(&def);
    MeasureResult r;
    EXPECT_EQ(MEASURE_MER_calibrate(&r, 350, 0, &def)->value.s32, 350);
    Mer m(MEASURE_MER_PARAMS_DVBC);
    r = m.feed({350}, &def);
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.value.s32, 350);

    const struct {
        int32_t status, value;
        uint32_t outStatus;
        int32_t out;
    } cases[] = {
        {0, 520, 1, 500}, {0, 500, 0, 500}, {0, 0, 0, 0}, {0, -10, 2, 0}, {3, 250, 3, 250},
    };
    for (const auto& c : cases) {
        MEASURE_MER_limit(&r, c.status, c.value, &def);
        EXPECT_EQ(r.status, c.outStatus) << c.value;
        EXPECT_EQ(r.value.s32, c.out) << c.value;
    }
    // Display limits inside the table's range.
    t_mer_calibration_table narrow = def;
    narrow.lower_limit = 100;
    narrow.upper_limit = 400;
    EXPECT_EQ(MEASURE_MER_limit(&r, 0, 50, &narrow)->status, 2u);
    EXPECT_EQ(MEASURE_MER_limit(&r, 0, 450, &narrow)->status, 1u);
    EXPECT_EQ(r.value.s32, 450);
    EXPECT_EQ(MEASURE_MER_limit(&r, 0, 250, &narrow)->status, 0u);
    // No table, or an empty one, leaves the pair alone.
    const t_mer_calibration_table empty{};
    EXPECT_EQ(MEASURE_MER_limit(&r, 0, -40, &empty)->value.s32, -40);
    EXPECT_EQ(MEASURE_MER_limit(&r, 2, 900, nullptr)->status, 2u);

    EXPECT_EQ(MEASURE_MER_max(&r, &narrow)->value.s32, 500);
    EXPECT_EQ(r.status, 1u);
    EXPECT_EQ(MEASURE_MER_max(&r, nullptr)->value.s32, 500);
    EXPECT_EQ(MEASURE_MER_min(&r)->status, 2u);
    EXPECT_EQ(MEASURE_MER_unlocked(&r, &m.object)->status, 3u);
}

TEST(MeasureMer, BatchOfNineIsTrimmedAndOfEightIsNot)
{
    Mer nine(MEASURE_MER_PARAMS_DVBC);
    EXPECT_EQ(nine.feed({300, 300, 300, 300, 300, 300, 300, 500, 180}).value.s32, 300);
    Mer eight(MEASURE_MER_PARAMS_DVBC);
    EXPECT_EQ(eight.feed({300, 300, 300, 300, 300, 300, 500, 180}).value.s32, 310);
    // Samples are calibrated before they are averaged.
    const t_mer_calibration_table half = curve(500, {{500, 250}, {0, 0}});
    Mer calibrated(MEASURE_MER_PARAMS_DVBC);
    EXPECT_EQ(calibrated.feed({400, 200}, &half).value.s32, 150);
}

TEST(MeasureMer, ConstantInputIsConstantFromTheFirstCall)
{
    Mer m(MEASURE_MER_PARAMS_DVBT2);
    for (int call = 0; call < 200; ++call)
        ASSERT_EQ(m.feed({287, 288, 286}).value.s32, 287) << call;
}

TEST(MeasureMer, SustainedDropJumpsToTheShortMean)
{
    // Short window 4, step threshold 20 over 4 calls, jump threshold 30 over 2 calls.
    Mer m(MEASURE_MER_PARAMS_ISDBT);
    for (int call = 0; call < 10; ++call)
        ASSERT_EQ(m.feed({300}).value.s32, 300);
    const int32_t expected[] = {300, 298, 296, 284, 200, 200, 200};
    for (int32_t e : expected)
        EXPECT_EQ(m.feed({200}).value.s32, e);
    EXPECT_EQ(m.object.ring.count, 7); // cut to the short window on the fourth call, then grew
}

TEST(MeasureMer, ShortDipIsSmoothedAway)
{
    // Two calls at 200 among 300s: the step counter also counts the way back up, so the
    // history is cut while the dip is still in the short window; the smoothing keeps the
    // display near 300 all the same.
    Mer m(MEASURE_MER_PARAMS_ISDBT);
    for (int call = 0; call < 10; ++call)
        m.feed({300});
    EXPECT_EQ(m.feed({200}).value.s32, 300);
    EXPECT_EQ(m.feed({200}).value.s32, 298);
    int32_t lowest = 300;
    int32_t v = 0;
    for (int call = 0; call < 40; ++call) {
        v = m.feed({300}).value.s32;
        lowest = std::min(lowest, v);
        EXPECT_LE(v, 300);
    }
    EXPECT_EQ(lowest, 285);
    EXPECT_EQ(v, 299);
}

TEST(MeasureMer, WithoutHistoryEachBatchStandsAlone)
{
    t_measure_mer m{};
    KxlDrvLibError err;
    MEASURE_MER_create(&err, &m, 0x80000000u, 7, 1, 20, 2, 10, 20, 4);
    EXPECT_EQ(err.code, 10u);
    EXPECT_EQ(err.argument, 0u);
    EXPECT_STREQ(err.text, "[MEASURE_MER_create]->Heap error");
    EXPECT_EQ(m.ring.capacity, 0);
    const int32_t samples[] = {320, 330};
    MeasureResult r;
    EXPECT_EQ(MEASURE_MER_process(&r, &m, samples, 2, nullptr)->value.s32, 325);
    EXPECT_EQ(MEASURE_MER_process(&r, &m, samples, 0, nullptr)->status, 3u);

    MEASURE_MER_create_with(&err, nullptr, &MEASURE_MER_PARAMS_DVBC);
    EXPECT_EQ(err.code, 34u);
    EXPECT_STREQ(err.text, "[MEASURE_MER_create]->Null pointer error");

    // An empty history with no batch has nothing to say.
    Mer fresh(MEASURE_MER_PARAMS_DVBC2);
    EXPECT_EQ(MEASURE_MER_process(&r, &fresh.object, nullptr, 0, nullptr)->status, 3u);
    // Re-creation reuses the ring; restart empties it and restarts the smoothing.
    void* storage = fresh.object.ring.entries;
    fresh.feed({300});
    MEASURE_MER_create_with(&err, &fresh.object, &MEASURE_MER_PARAMS_DVBC2);
    EXPECT_EQ(fresh.object.ring.entries, storage);
    EXPECT_EQ(fresh.object.ring.count, 0);
    fresh.feed({300});
    MEASURE_MER_restart(&fresh.object);
    EXPECT_EQ(fresh.object.ring.count, 0);
    EXPECT_EQ(fresh.feed({250}).value.s32, 250);
}

TEST(MeasureMer, LoaderReadsTheSlotAndChecksIt)
{
    AdjustmentBlob blob;
    blob.u16(450).pairs({{380, 400}, {300, 310}, {0, 0}, {0xFFFF, 0}, {999, 999}});
    t_mer_calibration_table t;
    std::memset(&t, 0x33, sizeof t);
    KxlDrvLibError err;
    KxlDrvLib_error_ok(&err);
    EXPECT_EQ(MEASURE_MER_load_table(&t, 5, blob.data(), &err), blob.data() + 2 + 4 * 5);
    EXPECT_EQ(err.code, 0u);
    EXPECT_EQ(t.count, 3u);
    EXPECT_EQ(t.maximum, 450);
    EXPECT_EQ(t.lower_limit, 0);
    EXPECT_EQ(t.upper_limit, 450);
    EXPECT_EQ(t.points[1].measured, 300);
    EXPECT_EQ(t.points[1].real, 310);
    EXPECT_EQ(t.points[4].measured, 0);

    const struct {
        const char* what;
        uint16_t maximum;
        std::vector<std::pair<uint16_t, uint16_t>> pairs;
        uint16_t keptMaximum;
    } bad[] = {
        {"maximum above 500", 501, {{400, 400}, {0xFFFF, 0}}, 500},
        {"measured above 500", 500, {{501, 400}, {0xFFFF, 0}}, 500},
        {"real above 500", 500, {{400, 501}, {0xFFFF, 0}}, 500},
        {"not descending", 500, {{300, 300}, {300, 200}, {0xFFFF, 0}}, 500},
        {"no end marker", 500, {{400, 400}, {300, 300}}, 500},
    };
    for (const auto& c : bad) {
        AdjustmentBlob b;
        b.u16(c.maximum);
        for (const auto& p : c.pairs)
            b.u16(p.first).u16(p.second);
        KxlDrvLib_error_ok(&err);
        const int32_t n = static_cast<int32_t>(c.pairs.size());
        EXPECT_EQ(MEASURE_MER_load_table(&t, n, b.data(), &err), b.data() + b.size()) << c.what;
        EXPECT_EQ(err.code, 26u) << c.what;
        EXPECT_EQ(err.argument, 2u) << c.what;
        EXPECT_STREQ(err.text, "[MEASURE_MER_load_table]->Format error") << c.what;
        EXPECT_EQ(t.maximum, c.keptMaximum) << c.what;
    }
    // A bad pair before the marker stays as read.
    EXPECT_EQ(t.points[0].measured, 400);

    // A slot larger than the table: read whole, 32 points kept.
    AdjustmentBlob big;
    big.u16(500);
    for (int i = 0; i < 40; ++i)
        big.u16(static_cast<uint16_t>(480 - 10 * i)).u16(static_cast<uint16_t>(480 - 10 * i));
    big.u16(0xFFFF).u16(0);
    KxlDrvLib_error_ok(&err);
    EXPECT_EQ(MEASURE_MER_load_table(&t, 41, big.data(), &err), big.data() + 2 + 41 * 4);
    EXPECT_EQ(err.code, 0u);
    EXPECT_EQ(t.count, 32u);
    EXPECT_EQ(t.points[31].measured, 170);
}

TEST(MeasureMer, SharedHistoryVariantReportsTheSixthSmallest)
{
    // One history of ten values, zero at start: the result turns once five batches are in.
    t_mer_calibration_table def;
    MEASURE_MER_default_table(&def);
    const int32_t samples[] = {400};
    MeasureResult r;
    for (int call = 1; call <= 4; ++call)
        EXPECT_EQ(MEASURE_MER_process_T2(&r, 0, samples, 1, &def)->value.s32, 0) << call;
    EXPECT_EQ(MEASURE_MER_process_T2(&r, 0, samples, 1, &def)->value.s32, 400);
    EXPECT_EQ(r.status, 0u);
}
