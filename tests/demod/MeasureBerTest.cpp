// The BER object over its sequences: settling, constant rates, error-free runs towards the
// bound, falls and rises, correction tables and their loader, creation and re-creation.
#include "AdjustmentBlob.h"
#include "demod/measure_ber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

struct Ber {
    t_measure_ber object{};
    KxlDrvLibError err{};
    explicit Ber(const t_measure_ber_params& p) { MEASURE_BER_create_with(&err, &object, &p); }
    ~Ber() { MEASURE_BER_destroy(&object); }
    MeasureResult feed(uint32_t errors, uint32_t bits, const t_ber_correction_table* table = nullptr)
    {
        MeasureResult r;
        MEASURE_BER_process(&r, &object, errors, bits, 300, table);
        return r;
    }
};

void expectResult(const MeasureResult& r, uint32_t status, double value)
{
    EXPECT_EQ(r.status, status);
    EXPECT_NEAR(r.value.f32, value, value * 1e-5);
}

t_ber_correction_table table(std::initializer_list<t_ber_correction_entry> entries)
{
    t_ber_correction_table t{};
    for (const auto& e : entries)
        t.entries[t.count++] = e;
    return t;
}

constexpr uint32_t kAny = 9; // a run whose results are not checked
constexpr uint32_t A = eRANGE_above, V = eRANGE_valid, B = eRANGE_below;

} // namespace

TEST(MeasureBer, SequencesOfWindows)
{
    // calls of (errors, bits), each call expected to give status and value.
    struct Run {
        uint32_t errors, bits;
        int calls;
        uint32_t status;
        double value;
    };
    struct Case {
        const char* what;
        const t_measure_ber_params& params;
        std::vector<Run> runs;
    };
    const t_ber_correction_table halve = table({{2.0f, 600}, {2.0f, 0}});
    const Case cases[] = {
        // DVB-T CBER settles over 2 calls, which report the maximum and store nothing.
        {"settle", MEASURE_BER_PARAMS_DVBT_CBER, {{500, 1000000, 2, A, 0.1}, {100, 1000000, 1, V, 1e-4}}},
        // Threshold 4: the bound is 10^ceil(log10(4 / bits counted)), down to the minimum 1e-9.
        {"error-free", MEASURE_BER_PARAMS_DVBC_CBER,
         {{0, 100000000, 1, kAny, 0}, {0, 100000000, 3, B, 1e-7}, {0, 100000000, 36, B, 1e-8}, {0, 100000000, 21, B, 1e-9}}},
        {"bound clamped to the minimum 1e-7", MEASURE_BER_PARAMS_DVBT_CBER,
         {{0, 0, 2, kAny, 0}, {0, 100000000, 1, B, 1e-7}, {0, UINT32_MAX, 1, B, 1e-7}}},
        // The newest window alone carries fifteen thresholds' worth of bits at the new decade
        // without errors: the history is cut to it, the decade below the old level a bound.
        {"fall to no errors", MEASURE_BER_PARAMS_DVBC_CBER,
         {{1000, 1000000, 21, kAny, 0}, {0, 1000000, 1, B, 1e-4}, {0, 1000000, 1, B, 1e-5}, {0, 1000000, 1, kAny, 0},
          {0, 1000000, 1, B, 1e-6}}},
        {"above the maximum", MEASURE_BER_PARAMS_DVBC_CBER, {{0, 0, 1, kAny, 0}, {500000, 1000000, 1, A, 0.1}}},
        // Before the task has programmed its window it passes 0 bits: the call still counts,
        // and a window without bits later repeats the last result.
        {"windows without bits", MEASURE_BER_PARAMS_DVBC_CBER,
         {{0, 0, 1, A, 0.1}, {7, 0, 1, A, 0.1}, {100, 1000000, 1, V, 1e-4}, {50, 0, 1, V, 1e-4}, {100, 1000000, 1, V, 1e-4}}},
    };
    for (const Case& c : cases) {
        Ber b(c.params);
        int call = 0;
        for (const Run& r : c.runs) {
            for (int k = 0; k < r.calls; ++k) {
                SCOPED_TRACE(testing::Message() << c.what << ", call " << ++call);
                const MeasureResult got = b.feed(r.errors, r.bits);
                if (r.status != kAny)
                    expectResult(got, r.status, r.value);
            }
        }
    }

    // A correction factor scales the errors.
    Ber corrected(MEASURE_BER_PARAMS_DVBC_CBER);
    corrected.feed(200, 1000000, &halve);
    for (int call = 2; call <= 10; ++call)
        EXPECT_FLOAT_EQ(corrected.feed(200, 1000000, &halve).value.f32, 1e-4f);
}

TEST(MeasureBer, FactorInterpolatesBetweenKeys)
{
    const t_ber_correction_table t = table({{1.0f, 400}, {3.0f, 200}});
    const t_ber_correction_table wild = table({{5000.0f, 300}, {0.0f, 100}});
    const t_ber_correction_table flat = table({{2.0f, 300}, {4.0f, 300}});
    const t_ber_correction_table empty{};
    t_ber_correction_table def;
    MEASURE_BER_default_table(&def);
    const struct {
        const t_ber_correction_table* table;
        int32_t key;
        float factor;
    } cases[] = {
        {&t, 500, 1.0f},       {&t, 400, 1.0f},     {&t, 250, 2.5f},     {&t, 200, 3.0f},  {&t, -5, 3.0f},
        {&wild, 400, 1000.0f}, {&wild, 50, 1e-12f}, // clamped
        {nullptr, 300, 1.0f},  {&empty, 300, 1.0f}, {&flat, 250, 4.0f},  {&def, 350, 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(MEASURE_BER_get_factor(c.key, c.table), c.factor, c.factor * 1e-5) << c.key;
    EXPECT_EQ(def.count, 2u);
}

TEST(MeasureBer, LoaderReadsTheWholeSlotAndChecksIt)
{
    using Pairs = std::vector<std::pair<uint16_t, uint16_t>>;
    Pairs many;
    for (int i = 0; i < 35; ++i)
        many.emplace_back(600 - 10 * i, 100);
    many.insert(many.end(), {{0xFFFF, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});
    const struct {
        const char* what;
        Pairs pairs;
        uint32_t count, code;
    } cases[] = {
        // Factors in hundredths; the marker and everything after it stored empty, unchecked.
        {"valid", {{500, 150}, {300, 20000}, {0, 1}, {0xFFFF, 0}, {700, 0}, {0x1234, 0x5678}}, 3, 0},
        {"a slot larger than the table", many, 32, 0},
        {"key above 600", {{601, 100}, {0xFFFF, 0}}, 1, 26},
        {"factor 0", {{500, 0}, {0xFFFF, 0}}, 1, 26},
        {"end key with a factor", {{500, 100}, {0xFFFF, 5}, {0xFFFF, 0}}, 2, 26},
        {"keys not descending", {{300, 100}, {300, 200}, {0xFFFF, 0}}, 2, 26},
        {"no end marker", {{500, 100}, {400, 100}, {300, 100}}, 3, 26},
        {"no slot at all", {}, 0, 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AdjustmentBlob blob;
        for (const auto& p : c.pairs)
            blob.u16(p.first).u16(p.second);
        t_ber_correction_table t;
        std::memset(&t, 0x5A, sizeof t);
        KxlDrvLibError err{};
        const int32_t n = static_cast<int32_t>(c.pairs.size());
        EXPECT_EQ(MEASURE_BER_load_table(&t, n, blob.data(), &err), blob.data() + 4 * n);
        EXPECT_EQ(std::make_tuple(err.code, t.count, err.argument), std::make_tuple(c.code, c.count, c.code ? 2u : 0u));
        EXPECT_STREQ(err.text, c.code ? "[MEASURE_BER_load_table]->Format error" : nullptr);
    }
}

TEST(MeasureBer, CreateFailuresRecreationRestartAndFixedResults)
{
    KxlDrvLibError err;
    MEASURE_BER_create_with(&err, nullptr, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(std::make_tuple(err.code, err.argument), std::make_tuple(34u, 0u));

    // A ring that cannot be had: code 10, capacity 0, and the object still answers.
    t_measure_ber b{};
    MEASURE_BER_create(&err, &b, 0x80000000u, 200, 4, 8, 1, 2, 3, 1, 0.1f, 1e-9f, 20.0f);
    EXPECT_EQ(std::make_tuple(err.code, err.argument, b.ring.capacity), std::make_tuple(10u, 0u, 0));
    MeasureResult r;
    for (int call = 1; call <= 5; ++call)
        expectResult(*MEASURE_BER_process(&r, &b, 10, 1000000, 300, nullptr), A, 0.1);
    EXPECT_EQ(MEASURE_BER_counter(&b), 5u);

    // Created again, as every pass of the constellation engine does: the same size keeps
    // its storage, another size replaces it (the sanitizer's leak check sees the rest).
    MEASURE_BER_create_with(&err, &b, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(err.code, 0u);
    void* storage = b.ring.entries;
    MEASURE_BER_process(&r, &b, 10, 1000000, 300, nullptr);
    MEASURE_BER_process(&r, &b, 10, 1000000, 300, nullptr);
    MEASURE_BER_create_with(&err, &b, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(std::make_tuple(b.ring.entries, MEASURE_BER_counter(&b)), std::make_tuple(storage, 0u));
    expectResult(*MEASURE_BER_process(&r, &b, 30, 1000000, 300, nullptr), A, 0.1); // settles again
    MEASURE_BER_create_with(&err, &b, &MEASURE_BER_PARAMS_DVBT2_LDPC);
    EXPECT_EQ(b.ring.capacity, 400);
    MEASURE_BER_destroy(&b);
    EXPECT_EQ(b.ring.entries, nullptr);

    // Storage left over by other fields is never taken for a ring of ours.
    t_measure_ber stray;
    std::memset(&stray, 0xAB, sizeof stray);
    MEASURE_BER_create_with(&err, &stray, &MEASURE_BER_PARAMS_DVBC_CBER);
    EXPECT_EQ(std::make_tuple(err.code, stray.ring.capacity), std::make_tuple(0u, 100));
    MEASURE_BER_destroy(&stray);

    Ber v(MEASURE_BER_PARAMS_DVBT_VBER);
    for (int i = 0; i < 5; ++i)
        v.feed(10, 1000000);
    MEASURE_BER_restart(&v.object);
    EXPECT_EQ(MEASURE_BER_counter(&v.object), 0u);
    expectResult(v.feed(10, 1000000), A, 0.1); // settles again
    expectResult(v.feed(20, 1000000), V, 2e-5); // nothing of before the restart
    expectResult(*MEASURE_BER_unlocked(&r, &v.object), A, 0.1);
    expectResult(*MEASURE_BER_max(&r, &v.object), A, 0.1);
    expectResult(*MEASURE_BER_min(&r, &v.object), B, 1e-10);
}

TEST(MeasureBer, PlainRatioStabilizationTimeAndSmoothing)
{
    Ber b(MEASURE_BER_PARAMS_DVBC_CBER);
    MeasureResult r;
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 30, 1000000), V, 3e-5);
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 30, 1000000), V, 3e-5);
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 900000, 1000000), A, 0.1);
    MEASURE_BER_restart(&b.object);
    expectResult(*MEASURE_BER_calculate(&r, &b.object, 0, 1000000), B, 1e-9);

    // 4 errors at 1e-6 with 1e6 bits per 400 ms window: 1.6 s, rounded to 2 s.
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 1000000, 1e-6f), 2000u);
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 1000000, 1e-5f), 0u);
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 0, 1e-6f), UINT32_MAX);
    EXPECT_EQ(MEASURE_BER_stabilization_time(&b.object, 400, 1000000, 0.0f), UINT32_MAX);

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
