// The sampled MER object: calibration and limits, batch trimming, steps and smoothing, the
// table loader and the shared-history variant.
#include "AdjustmentBlob.h"
#include "demod/measure_mer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
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
    int32_t feed(std::vector<int32_t> samples, const t_mer_calibration_table* table = nullptr)
    {
        MeasureResult r;
        MEASURE_MER_process(&r, &object, samples.data(), static_cast<int32_t>(samples.size()), table);
        return r.value.s32;
    }
};

} // namespace

TEST(MeasureMer, CalibrationAndLimits)
{
    const t_mer_calibration_table t = curve(450, {{400, 420}, {300, 300}, {200, 180}, {0, 0}});
    const t_mer_calibration_table empty{};
    // Equal first points stay finite.
    const t_mer_calibration_table flat = curve(500, {{300, 310}, {300, 200}, {0, 0}});
    t_mer_calibration_table def;
    MEASURE_MER_default_table(&def);
    const struct {
        const t_mer_calibration_table* table;
        int32_t measured;
        uint8_t clamp;
        uint32_t status;
        int32_t real;
    } calibrations[] = {
        {&t, 450, 0, 0, 480}, // above the first point: along the first segment
        {&t, 400, 0, 0, 420}, {&t, 303, 0, 0, 304}, {&t, 250, 0, 0, 240}, {&t, 1, 0, 0, 1}, {&t, 0, 0, 2, 0},
        {&t, 420, 1, 0, 444}, // under the maximum 450
        {&t, 450, 1, 1, 450}, // 480 clamps
        {nullptr, 777, 1, 0, 777}, {&empty, 777, 1, 0, 777}, {&flat, 400, 0, 0, 200}, {&def, 350, 0, 0, 350},
    };
    MeasureResult r;
    for (const auto& c : calibrations) {
        MEASURE_MER_calibrate(&r, c.measured, c.clamp, c.table);
        EXPECT_EQ(std::make_tuple(r.status, r.value.s32), std::make_tuple(c.status, c.real)) << c.measured;
    }

    // Display limits inside the table's range; no table, or an empty one, leaves the pair alone.
    t_mer_calibration_table narrow = def;
    narrow.lower_limit = 100;
    narrow.upper_limit = 400;
    const struct {
        const t_mer_calibration_table* table;
        int32_t status, value;
        uint32_t outStatus;
        int32_t out;
    } limits[] = {
        {&def, 0, 520, 1, 500},   {&def, 0, 500, 0, 500},    {&def, 0, -10, 2, 0}, {&def, 3, 250, 3, 250},
        {&narrow, 0, 50, 2, 50},  {&narrow, 0, 450, 1, 450}, {&empty, 0, -40, 0, -40}, {nullptr, 2, 900, 2, 900},
    };
    for (const auto& c : limits) {
        MEASURE_MER_limit(&r, c.status, c.value, c.table);
        EXPECT_EQ(std::make_tuple(r.status, r.value.s32), std::make_tuple(c.outStatus, c.out)) << c.value;
    }
    MEASURE_MER_max(&r, &narrow);
    EXPECT_EQ(std::make_tuple(r.status, r.value.s32), std::make_tuple(1u, 500));
    EXPECT_EQ(MEASURE_MER_max(&r, nullptr)->value.s32, 500);
    EXPECT_EQ(MEASURE_MER_min(&r)->status, 2u);
}

TEST(MeasureMer, BatchesStepsAndSmoothing)
{
    // A batch of nine is trimmed of its extremes, one of eight is not; samples are calibrated
    // before they are averaged.
    const t_mer_calibration_table half = curve(500, {{500, 250}, {0, 0}});
    t_mer_calibration_table def;
    MEASURE_MER_default_table(&def);
    EXPECT_EQ(Mer(MEASURE_MER_PARAMS_DVBC).feed({300, 300, 300, 300, 300, 300, 300, 500, 180}), 300);
    EXPECT_EQ(Mer(MEASURE_MER_PARAMS_DVBC).feed({300, 300, 300, 300, 300, 300, 500, 180}), 310);
    EXPECT_EQ(Mer(MEASURE_MER_PARAMS_DVBC).feed({400, 200}, &half), 150);
    EXPECT_EQ(Mer(MEASURE_MER_PARAMS_DVBC).feed({350}, &def), 350);

    // ISDB-T: short window 4, step threshold 20 over 4 calls, jump threshold 30 over 2 calls.
    // A sustained drop jumps to the short mean on the fourth call.
    Mer drop(MEASURE_MER_PARAMS_ISDBT);
    for (int call = 0; call < 10; ++call)
        ASSERT_EQ(drop.feed({300}), 300);
    for (int32_t e : {300, 298, 296, 284, 200, 200, 200})
        EXPECT_EQ(drop.feed({200}), e);
    EXPECT_EQ(drop.object.ring.count, 7); // cut to the short window on the fourth call, then grew

}

TEST(MeasureMer, CreationRestartAndWithoutHistory)
{
    t_measure_mer m{};
    KxlDrvLibError err;
    MEASURE_MER_create(&err, &m, 0x80000000u, 7, 1, 20, 2, 10, 20, 4);
    EXPECT_EQ(std::make_tuple(err.code, err.argument, m.ring.capacity), std::make_tuple(10u, 0u, 0));
    EXPECT_STREQ(err.text, "[MEASURE_MER_create]->Heap error");
    // Without history each batch stands alone.
    const int32_t samples[] = {320, 330};
    MeasureResult r;
    EXPECT_EQ(MEASURE_MER_process(&r, &m, samples, 2, nullptr)->value.s32, 325);
    EXPECT_EQ(MEASURE_MER_process(&r, &m, samples, 0, nullptr)->status, 3u);

    MEASURE_MER_create_with(&err, nullptr, &MEASURE_MER_PARAMS_DVBC);
    EXPECT_STREQ(err.text, "[MEASURE_MER_create]->Null pointer error");

    // An empty history with no batch has nothing to say.
    Mer fresh(MEASURE_MER_PARAMS_DVBC2);
    EXPECT_EQ(MEASURE_MER_process(&r, &fresh.object, nullptr, 0, nullptr)->status, 3u);
    EXPECT_EQ(MEASURE_MER_unlocked(&r, &fresh.object)->status, 3u);
    // Re-creation reuses the ring; restart empties it and restarts the smoothing.
    void* storage = fresh.object.ring.entries;
    fresh.feed({300});
    MEASURE_MER_create_with(&err, &fresh.object, &MEASURE_MER_PARAMS_DVBC2);
    EXPECT_EQ(std::make_tuple(fresh.object.ring.entries, fresh.object.ring.count), std::make_tuple(storage, 0));
    fresh.feed({300});
    MEASURE_MER_restart(&fresh.object);
    EXPECT_EQ(fresh.feed({250}), 250);

    // The shared-history variant: one history of ten values, zero at start: the sixth
    // smallest turns once five batches are in.
    t_mer_calibration_table def;
    MEASURE_MER_default_table(&def);
    const int32_t four[] = {400};
    for (int call = 1; call <= 4; ++call)
        EXPECT_EQ(MEASURE_MER_process_T2(&r, 0, four, 1, &def)->value.s32, 0) << call;
    MEASURE_MER_process_T2(&r, 0, four, 1, &def);
    EXPECT_EQ(std::make_tuple(r.status, r.value.s32), std::make_tuple(0u, 400));
}

TEST(MeasureMer, LoaderReadsTheSlotAndChecksIt)
{
    using Pairs = std::vector<std::pair<uint16_t, uint16_t>>;
    Pairs many;
    for (int i = 0; i < 40; ++i)
        many.emplace_back(480 - 10 * i, 480 - 10 * i);
    many.emplace_back(0xFFFF, 0);
    const struct {
        const char* what;
        uint16_t maximum;
        Pairs pairs;
        uint32_t code, count;
        uint16_t keptMaximum;
    } cases[] = {
        {"valid", 450, {{380, 400}, {300, 310}, {0, 0}, {0xFFFF, 0}, {999, 999}}, 0, 3, 450},
        {"a slot larger than the table: 32 points kept", 500, many, 0, 32, 500},
        {"maximum above 500", 501, {{400, 400}, {0xFFFF, 0}}, 26, 1, 500},
        {"real above 500", 500, {{400, 501}, {0xFFFF, 0}}, 26, 1, 500},
        {"not descending", 500, {{300, 300}, {300, 200}, {0xFFFF, 0}}, 26, 2, 500},
        {"no end marker", 500, {{400, 400}, {300, 300}}, 26, 2, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AdjustmentBlob b;
        b.u16(c.maximum);
        for (const auto& p : c.pairs)
            b.u16(p.first).u16(p.second);
        t_mer_calibration_table t;
        std::memset(&t, 0x33, sizeof t);
        KxlDrvLibError err{};
        EXPECT_EQ(MEASURE_MER_load_table(&t, int32_t(c.pairs.size()), b.data(), &err), b.data() + b.size());
        EXPECT_EQ(std::make_tuple(err.code, t.count, t.maximum), std::make_tuple(c.code, c.count, c.keptMaximum));
        // A bad pair before the marker stays as read.
        EXPECT_EQ(t.points[0].measured, c.pairs[0].first);
        if (c.code) {
            EXPECT_EQ(err.argument, 2u);
            EXPECT_STREQ(err.text, "[MEASURE_MER_load_table]->Format error");
        } else {
            EXPECT_EQ(std::make_tuple(t.lower_limit, t.upper_limit, t.points[1].real),
                      std::make_tuple(0, c.maximum, c.pairs[1].second));
            if (c.count < 32) {
                EXPECT_EQ(t.points[c.count + 1].measured, 0) << "the marker and after it stored empty";
            }
        }
    }
}
