// The BER object over its sequences: settling, constant rates, error-free runs towards the
// bound, steps, correction tables and their loader, creation and re-creation.
#include "AdjustmentBlob.h"
#include "demod/measure_ber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Ber {
    t_measure_ber object{};
    KxlDrvLibError err{};
    explicit Ber(const t_measure_ber_params& p) { MEASURE_BER_create_with(&err, &object, &p); }
    ~Ber() { MEASURE_BER_destroy(&object); }
    MeasureResult feed(uint32_t errors, uint32_t bits, const t_ber_correction_table* table = nullptr,
                       int32_t key = 300)
    {
        MeasureResult r;
        MEASURE_BER_process(&r, &object, errors, bits, key, table);
        return r;
    }
};

void expectResult(const MeasureResult& r, uint32_t status, double value, int call)
{
    EXPECT_EQ(r.status, status) << "call " << call;
    EXPECT_NEAR(r.value.f32, value, value * 1e-5) << "call " << call;
}

t_ber_correction_table table(std::initializer_list<t_ber_correction_entry> entries)
{
    t_ber_correction_table t{};
    for (const auto& e : entries)
        t.entries[t.count++] = e;
    return t;
}

} // namespace

TEST(MeasureBer, SettleCallsReportTheMaximumAndStoreNothing)
{
    Ber b(MEASURE_BER_PARAMS_DVBT_CBER); // settle 2
    for (int call = 1; call <= 2; ++call) {
        expectResult(b.feed(500, 1000000), eRANGE_above, 0.1, call);
        EXPECT_EQ(b.object.ring.count, 0);
        EXPECT_EQ(MEASURE_BER_counter(&b.object), static_cast<uint32_t>(call));
    }
    expectResult(b.feed(500, 1000000), eRANGE_valid, 5e-4, 3);
    EXPECT_EQ(b.object.ring.count, 1);
}

TEST(MeasureBer, ConstantRateGivesTheSameValueOnEveryCall)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    b.feed(100, 1000000);
    for (int call = 2; call <= 150; ++call) // past the ring's 100 entries
        expectResult(b.feed(100, 1000000), eRANGE_valid, 1e-4, call);
}

TEST(MeasureBer, ErrorFreeRunsApproachTheBoundDecadeByDecade)
{
    // Threshold 4: the bound is 10^ceil(log10(4 / bits counted)), down to the minimum 1e-9.
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    b.feed(0, 100000000);
    const struct {
        int entries;
        double bound;
    } steps[] = {{1, 1e-7}, {3, 1e-7}, {4, 1e-8}, {39, 1e-8}, {40, 1e-9}, {41, 1e-9}, {60, 1e-9}};
    int held = 0;
    for (const auto& s : steps) {
        MeasureResult r{};
        while (held < s.entries) {
            r = b.feed(0, 100000000);
            ++held;
        }
        expectResult(r, eRANGE_below, s.bound, held);
    }
}

TEST(MeasureBer, BoundBelowTheMinimumIsClampedToIt)
{
    Ber b(MEASURE_BER_PARAMS_DVBT_CBER); // threshold 10, minimum 1e-7, settle 2
    b.feed(0, 0);
    b.feed(0, 0);
    expectResult(b.feed(0, 100000000), eRANGE_below, 1e-7, 3);
    expectResult(b.feed(0, UINT32_MAX), eRANGE_below, 1e-7, 4);
}

TEST(MeasureBer, FallToNoErrorsCutsTheHistoryAndFollowsAtOnce)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    for (int i = 0; i < 21; ++i)
        b.feed(1000, 1000000); // 1e-3
    // The newest window alone carries fifteen thresholds' worth of bits at the new decade
    // without errors: history cut to it, the decade below the old level as a bound.
    expectResult(b.feed(0, 1000000), eRANGE_below, 1e-4, 1);
    EXPECT_EQ(b.object.ring.count, 1);
    EXPECT_EQ(b.object.smoothing.restart, 1);
    expectResult(b.feed(0, 1000000), eRANGE_below, 1e-5, 2);
    b.feed(0, 1000000);
    expectResult(b.feed(0, 1000000), eRANGE_below, 1e-6, 4);
}

TEST(MeasureBer, FallToALowerRateSettlesOnTheNewRate)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    for (int i = 0; i < 21; ++i)
        b.feed(1000, 10000000); // 1e-4
    const double expected[] = {1e-5, 1e-6, 1e-6, 1e-7, 1e-7, 1e-7};
    const uint32_t status[] = {eRANGE_below, eRANGE_below, eRANGE_below, eRANGE_valid, eRANGE_valid, eRANGE_valid};
    for (int i = 0; i < 6; ++i)
        expectResult(b.feed(1, 10000000), status[i], expected[i], i + 1); // 1e-7
}

TEST(MeasureBer, RiseShortensTheWindowAndTheValueClimbs)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    for (int i = 0; i < 21; ++i)
        b.feed(1, 1000000); // 1e-6
    float previous = b.feed(1, 1000000).value.f32;
    EXPECT_FLOAT_EQ(previous, 1e-6f);
    for (int i = 0; i < 40; ++i) {
        const MeasureResult r = b.feed(1000, 1000000);
        EXPECT_EQ(r.status, eRANGE_valid);
        EXPECT_GT(r.value.f32, previous);
        previous = r.value.f32;
    }
    EXPECT_GT(previous, 8.5e-4f);
    EXPECT_LT(previous, 1e-3f);
}

TEST(MeasureBer, AboveTheMaximumGivesTheMaximum)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    b.feed(0, 0);
    expectResult(b.feed(500000, 1000000), eRANGE_above, 0.1, 2);
}

TEST(MeasureBer, CorrectionFactorScalesTheErrors)
{
    const t_ber_correction_table halve = table({{2.0f, 600}, {2.0f, 0}});
    Ber plain(MEASURE_BER_PARAMS_DVBC_CBER);
    Ber corrected(MEASURE_BER_PARAMS_DVBC_CBER);
    for (int call = 1; call <= 10; ++call) {
        const MeasureResult p = plain.feed(200, 1000000);
        const MeasureResult c = corrected.feed(200, 1000000, &halve);
        if (call > 1) {
            EXPECT_FLOAT_EQ(p.value.f32, 2e-4f);
            EXPECT_FLOAT_EQ(c.value.f32, 1e-4f);
        }
    }
}

TEST(MeasureBer, FactorInterpolatesBetweenKeys)
{
    const t_ber_correction_table t = table({{1.0f, 400}, {3.0f, 200}});
    const struct {
        int32_t key;
        float factor;
    } cases[] = {{500, 1.0f}, {400, 1.0f}, {300, 2.0f}, {250, 2.5f}, {201, 2.99f}, {200, 3.0f}, {100, 3.0f},
                 {-5, 3.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(MEASURE_BER_get_factor(c.key, &t), c.factor, 1e-5) << c.key;

    const t_ber_correction_table wild = table({{5000.0f, 300}, {0.0f, 100}});
    EXPECT_FLOAT_EQ(MEASURE_BER_get_factor(400, &wild), 1000.0f);
    EXPECT_FLOAT_EQ(MEASURE_BER_get_factor(50, &wild), 1e-12f);
    // No table, an empty one, and equal keys.
    EXPECT_FLOAT_EQ(MEASURE_BER_get_factor(300, nullptr), 1.0f);
    const t_ber_correction_table empty{};
    EXPECT_FLOAT_EQ(MEASURE_BER_get_factor(300, &empty), 1.0f);
    const t_ber_correction_table flat = table({{2.0f, 300}, {4.0f, 300}});
    EXPECT_FLOAT_EQ(MEASURE_BER_get_factor(250, &flat), 4.0f);
    EXPECT_FLOAT_EQ(MEASURE_BER_get_factor(350, &flat), 2.0f);

    t_ber_correction_table def;
    MEASURE_BER_default_table(&def);
    EXPECT_EQ(def.count, 2u);
    EXPECT_EQ(def.entries[0].key, 1000);
    EXPECT_EQ(def.entries[1].key, 0);
    for (int32_t key : {-100, 0, 350, 1000, 2000})
        EXPECT_FLOAT_EQ(MEASURE_BER_get_factor(key, &def), 1.0f);
}

TEST(MeasureBer, LoaderReadsTheWholeSlot)
{
    AdjustmentBlob blob;
    blob.pairs({{500, 150}, {300, 20000}, {0, 1}, {0xFFFF, 0}, {700, 0}, {0x1234, 0x5678}});
    t_ber_correction_table t;
    std::memset(&t, 0x5A, sizeof t);
    KxlDrvLibError err;
    KxlDrvLib_error_ok(&err);
    EXPECT_EQ(MEASURE_BER_load_table(&t, 6, blob.data(), &err), blob.data() + 24);
    EXPECT_EQ(err.code, 0u);
    ASSERT_EQ(t.count, 3u);
    EXPECT_FLOAT_EQ(t.entries[0].factor, 1.5f);
    EXPECT_EQ(t.entries[0].key, 500);
    EXPECT_FLOAT_EQ(t.entries[1].factor, 200.0f);
    EXPECT_FLOAT_EQ(t.entries[2].factor, 0.01f);
    for (int i = 3; i < 6; ++i) { // marker and everything after it stored empty, unchecked
        EXPECT_EQ(t.entries[i].key, 0) << i;
        EXPECT_EQ(t.entries[i].factor, 0.0f) << i;
    }
}

TEST(MeasureBer, LoaderFormatErrors)
{
    const struct {
        const char* what;
        std::vector<std::pair<uint16_t, uint16_t>> pairs;
        uint32_t count;
    } cases[] = {
        {"key above 600", {{601, 100}, {0xFFFF, 0}}, 1},
        {"factor 0", {{500, 0}, {0xFFFF, 0}}, 1},
        {"factor above 20000", {{500, 20001}, {0xFFFF, 0}}, 1},
        {"end key with a factor", {{500, 100}, {0xFFFF, 5}, {0xFFFF, 0}}, 2},
        {"keys not descending", {{300, 100}, {300, 200}, {0xFFFF, 0}}, 2},
        {"keys rising", {{200, 100}, {300, 200}, {0xFFFF, 0}}, 2},
        {"no end marker", {{500, 100}, {400, 100}, {300, 100}}, 3},
    };
    for (const auto& c : cases) {
        AdjustmentBlob blob;
        for (const auto& p : c.pairs)
            blob.u16(p.first).u16(p.second);
        t_ber_correction_table t{};
        KxlDrvLibError err;
        KxlDrvLib_error_ok(&err);
        const int32_t n = static_cast<int32_t>(c.pairs.size());
        EXPECT_EQ(MEASURE_BER_load_table(&t, n, blob.data(), &err), blob.data() + 4 * n) << c.what;
        EXPECT_EQ(err.code, 26u) << c.what;
        EXPECT_EQ(err.argument, 2u) << c.what;
        EXPECT_STREQ(err.text, "[MEASURE_BER_load_table]->Format error") << c.what;
        EXPECT_EQ(t.count, c.count) << c.what;
    }
    // A bad pair is kept as read; the first error in the record wins.
    AdjustmentBlob blob;
    blob.pairs({{601, 250}, {0xFFFF, 0}});
    t_ber_correction_table t{};
    KxlDrvLibError err{20, 1, "earlier"};
    MEASURE_BER_load_table(&t, 2, blob.data(), &err);
    EXPECT_EQ(t.entries[0].key, 601);
    EXPECT_FLOAT_EQ(t.entries[0].factor, 2.5f);
    EXPECT_STREQ(err.text, "earlier");
    // No slot at all: nothing read, an empty table, an error.
    KxlDrvLib_error_ok(&err);
    EXPECT_EQ(MEASURE_BER_load_table(&t, 0, blob.data(), &err), blob.data());
    EXPECT_EQ(t.count, 0u);
    EXPECT_EQ(err.code, 26u);
}

TEST(MeasureBer, LoaderConsumesASlotLargerThanTheTable)
{
    AdjustmentBlob blob;
    for (int i = 0; i < 35; ++i)
        blob.u16(static_cast<uint16_t>(600 - 10 * i)).u16(100);
    blob.pairs({{0xFFFF, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});
    t_ber_correction_table t{};
    KxlDrvLibError err;
    KxlDrvLib_error_ok(&err);
    EXPECT_EQ(MEASURE_BER_load_table(&t, 40, blob.data(), &err), blob.data() + 160);
    EXPECT_EQ(err.code, 0u);
    EXPECT_EQ(t.count, 32u);
    EXPECT_EQ(t.entries[31].key, 290);
}

TEST(MeasureBer, CreateFailuresAndRecreation)
{
    KxlDrvLibError err;
    MEASURE_BER_create_with(&err, nullptr, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(err.code, 34u);
    EXPECT_EQ(err.argument, 0u);

    // A ring that cannot be had: code 10, capacity 0, and the object still answers.
    t_measure_ber b{};
    MEASURE_BER_create(&err, &b, 0x80000000u, 200, 4, 8, 1, 2, 3, 1, 0.1f, 1e-9f, 20.0f);
    EXPECT_EQ(err.code, 10u);
    EXPECT_EQ(err.argument, 0u);
    EXPECT_EQ(b.ring.capacity, 0);
    MeasureResult r;
    for (int call = 1; call <= 5; ++call) {
        MEASURE_BER_process(&r, &b, 10, 1000000, 300, nullptr);
        EXPECT_EQ(r.status, eRANGE_above);
        EXPECT_FLOAT_EQ(r.value.f32, 0.1f);
    }
    EXPECT_EQ(MEASURE_BER_counter(&b), 5u);

    // Created again, as every pass of the constellation engine does: the same size keeps
    // its storage, another size replaces it (the sanitizer's leak check sees the rest).
    MEASURE_BER_create_with(&err, &b, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(err.code, 0u);
    void* storage = b.ring.entries;
    MEASURE_BER_process(&r, &b, 10, 1000000, 300, nullptr);
    MEASURE_BER_process(&r, &b, 10, 1000000, 300, nullptr);
    MEASURE_BER_create_with(&err, &b, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(b.ring.entries, storage);
    EXPECT_EQ(b.ring.count, 0);
    EXPECT_EQ(MEASURE_BER_counter(&b), 0u);
    MEASURE_BER_create_with(&err, &b, &MEASURE_BER_PARAMS_DVBT2_LDPC);
    EXPECT_EQ(b.ring.capacity, 400);
    MEASURE_BER_destroy(&b);
    EXPECT_EQ(b.ring.entries, nullptr);

    // Storage left over by other fields is never taken for a ring of ours.
    t_measure_ber stray;
    std::memset(&stray, 0xAB, sizeof stray);
    MEASURE_BER_create_with(&err, &stray, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(err.code, 0u);
    EXPECT_EQ(stray.ring.capacity, 100);
    MEASURE_BER_destroy(&stray);
}

TEST(MeasureBer, WindowWithoutBitsRepeatsTheLastResult)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    // Before the task has programmed its window it passes 0 bits: the call still counts, so
    // the counter reaches 1 and the window gets programmed.
    expectResult(b.feed(0, 0), eRANGE_above, 0.1, 1);
    EXPECT_EQ(MEASURE_BER_counter(&b.object), 1u);
    expectResult(b.feed(7, 0), eRANGE_above, 0.1, 2);
    expectResult(b.feed(100, 1000000), eRANGE_valid, 1e-4, 3);
    const MeasureResult r = b.feed(50, 0);
    expectResult(r, eRANGE_valid, 1e-4, 4);
    EXPECT_EQ(b.object.ring.count, 1);
    EXPECT_TRUE(std::isfinite(r.value.f32));
}

TEST(MeasureBer, RestartAndFixedResults)
{
    Ber b(MEASURE_BER_PARAMS_DVBT_VBER);
    for (int i = 0; i < 5; ++i)
        b.feed(10, 1000000);
    MEASURE_BER_restart(&b.object);
    EXPECT_EQ(b.object.ring.count, 0);
    EXPECT_EQ(MEASURE_BER_counter(&b.object), 0u);
    expectResult(b.feed(10, 1000000), eRANGE_above, 0.1, 1); // settles again

    MeasureResult r;
    expectResult(*MEASURE_BER_unlocked(&r, &b.object), eRANGE_above, 0.1, 0);
    expectResult(*MEASURE_BER_max(&r, &b.object), eRANGE_above, 0.1, 0);
    expectResult(*MEASURE_BER_min(&r, &b.object), eRANGE_below, 1e-10, 0);
}

TEST(MeasureBer, PlainRatioAndStabilizationTime)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    MeasureResult r;
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 30, 1000000), eRANGE_valid, 3e-5, 1);
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 30, 1000000), eRANGE_valid, 3e-5, 2);
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 900000, 1000000), eRANGE_above, 0.1, 3);
    MEASURE_BER_restart(&b.object);
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 0, 1000000), eRANGE_below, 1e-9, 4);

    // 4 errors at 1e-6 with 1e6 bits per 400 ms window: 1.6 s, rounded to 2 s.
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 1000000, 1e-6f), 2000u);
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 1000000, 1e-5f), 0u);
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 0, 1e-6f), UINT32_MAX);
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 1000000, 0.0f), UINT32_MAX);
}

TEST(MeasureBer, SmoothingFilterSnapsAfterLargeJumps)
{
    t_ber_smoothing s = MEASURE_BER_SMOOTHING_ISDBT_CBER; // restart, 0.75/0.25, ratio 10, limit 3
    EXPECT_DOUBLE_EQ(MEASURE_BER_smooth(&s, 1e-4, 1e-8), 1e-4);
    EXPECT_EQ(s.restart, 0);
    EXPECT_NEAR(MEASURE_BER_smooth(&s, 2e-4, 1e-8), 1.25e-4, 1e-9); // small change: blended
    // A ratio of 1e5 over the threshold 10 counts trunc(log10(1e4)) = 3 jumps: the limit.
    s = {0, 1e-6f, 0.75f, 0.25f, 10.0f, 3, 0};
    EXPECT_DOUBLE_EQ(MEASURE_BER_smoothing_filter(&s, 1e-1, 1e-8), 1e-1);
    EXPECT_EQ(s.step_counter, 0);
    // A ratio of 500 counts one jump and keeps blending; the counter survives small changes.
    s = {0, 1e-6f, 0.75f, 0.25f, 10.0f, 3, 0};
    MEASURE_BER_smoothing_filter(&s, 5e-4, 1e-8);
    EXPECT_EQ(s.step_counter, 1);
    EXPECT_NEAR(s.smoothed, 0.75e-6 + 1.25e-4, 1e-9);
    MEASURE_BER_smoothing_filter(&s, s.smoothed, 1e-8);
    EXPECT_EQ(s.step_counter, 1);
}
