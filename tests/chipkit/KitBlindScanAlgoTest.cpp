// The satellite searches' lists and tools (the search itself runs on the simulated chip): pools
// that run out hard, candidates clipped to the rates asked for, candidate lists merged, pruned
// and ordered, and the spectrum engine's register encodings.
#include "KitTrail.h"
#include "chipkit/kit_demod_dvbs_s2_blindscan.h"
#include "chipkit/kit_demod_dvbs_s2_blindscan_algo.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace kittest;

namespace {

using Power = kit_demod_dvbs_s2_blindscan_power_t;
using Data = kit_demod_dvbs_s2_blindscan_data_t;

struct Pools {
    explicit Pools(uint32_t power = 4000, uint32_t data = 4000) : powerPool(power), dataPool(data)
    {
        EXPECT_EQ(kit_demod_dvbs_s2_blindscan_StorageInit(&storage, powerPool.data(), power, dataPool.data(), data),
                  0u);
    }
    // A spectrum sampled every step kHz from from to to by the given shape.
    void spectrum(uint32_t from, uint32_t to, uint32_t step, const std::function<int32_t(uint32_t)>& shape)
    {
        Power* tail = &power;
        for (uint32_t f = from; f <= to; f += step) {
            Power* e = nullptr;
            ASSERT_EQ(kit_demod_dvbs_s2_blindscan_AllocPower(&storage, &e), 0u);
            e->freqKHz = f;
            e->power = shape(f);
            tail->next = e;
            tail = e;
        }
    }
    void add(Data& list, uint32_t f, uint32_t rate, uint32_t min = 0, uint32_t max = 0)
    {
        ASSERT_EQ(kit_demod_dvbs_s2_blindscan_AppendData(&storage, &list, f, rate, min, max), 0u);
    }
    static std::vector<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>> entries(const Data& list)
    {
        std::vector<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>> out;
        for (const Data* e = list.next; e; e = e->next)
            out.emplace_back(e->freqKHz, e->symbolRateKSps, e->minSymbolRateKSps, e->maxSymbolRateKSps);
        return out;
    }
    static std::vector<uint32_t> frequencies(const Data& list)
    {
        std::vector<uint32_t> out;
        for (const Data* e = list.next; e; e = e->next)
            out.push_back(e->freqKHz);
        return out;
    }

    std::vector<Power> powerPool;
    std::vector<Data> dataPool;
    kit_demod_dvbs_s2_blindscan_storage_t storage;
    Power power{};
};

using Entries = std::vector<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>>;

// A flat-topped carrier of two steps: 200 across top, 100 across the skirt, 0 elsewhere.
std::function<int32_t(uint32_t)> carrier(uint32_t centre, uint32_t top, uint32_t skirt)
{
    return [=](uint32_t f) {
        const int64_t d = int64_t(f) - centre;
        if (d >= -int64_t(top) / 2 && d < int64_t(top) / 2)
            return 200;
        if (d >= -int64_t(skirt) / 2 && d < int64_t(skirt) / 2)
            return 100;
        return 0;
    };
}

} // namespace

TEST(KitBlindScanPools, RunningOutIsAHardFailure)
{
    Pools p(3, 2);
    Power* e[4] = {};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(kit_demod_dvbs_s2_blindscan_AllocPower(&p.storage, &e[i]), 0u);
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_AllocPower(&p.storage, &e[3]), 11u);
    EXPECT_EQ(p.storage.powerUsed, 3u);
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_FreePower(&p.storage, e[1]), 0u);
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_AllocPower(&p.storage, &e[3]), 0u);
    EXPECT_EQ(e[3], e[1]) << "the entry given back is taken first";
    EXPECT_EQ(p.storage.powerMaxUsed, 3u);

    Data list{};
    p.add(list, 1, 0);
    p.add(list, 2, 0);
    Data* d = nullptr;
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_AllocData(&p.storage, &d), 11u);
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_AppendData(&p.storage, &list, 3, 0, 0, 0), 11u);
    EXPECT_EQ(Pools::frequencies(list), (std::vector<uint32_t>{1, 2}));
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_ClearDataList(&p.storage, &list), 0u);
    EXPECT_EQ(std::make_tuple(list.next, p.storage.dataUsed, p.storage.dataMaxUsed), std::make_tuple(nullptr, 0u, 2u));
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_FreeData(&p.storage, &p.dataPool[0]), 11u) << "nothing in use";
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_FreeData(&p.storage, nullptr), 10u);
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_FreePower(&p.storage, nullptr), 1u);
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_StorageInit(&p.storage, nullptr, 1, p.dataPool.data(), 1), 1u);
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_StorageInit(&p.storage, p.powerPool.data(), 0, p.dataPool.data(), 1), 1u);
}

TEST(KitBlindScanAlgo, MergingAndPruning)
{
    Pools p;
    // Same place, a range covering a's minimum merges into it (the estimate the middle); one
    // 3 MHz away stays.
    Data cands{};
    p.add(cands, 1200000, 0, 10000, 16000);
    p.add(cands, 1200000, 0, 8000, 11000);
    p.add(cands, 1203000, 0, 10000, 16000);
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_algo_delete_duplicated_area(&p.storage, &cands, 1000), 0u);
    EXPECT_EQ(Pools::entries(cands), (Entries{{1200000, 12000, 8000, 16000}, {1203000, 13000, 10000, 16000}}));

    // Duplicates: the first drops an entry a later one repeats (frequency and rate), the
    // second keeps the first of each frequency; a point strictly inside a detected channel goes.
    Data dup{}, dup2{}, detected{};
    for (auto e : {std::pair<uint32_t, uint32_t>{1, 10}, {2, 20}, {1, 10}, {1, 11}}) {
        p.add(dup, e.first, e.second);
        p.add(dup2, e.first, e.second);
    }
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate(&p.storage, &dup), 0u);
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate2(&p.storage, &dup2), 0u);
    EXPECT_EQ(std::make_pair(Pools::entries(dup), Pools::entries(dup2)),
              std::make_pair(Entries{{2, 20, 0, 0}, {1, 10, 0, 0}, {1, 11, 0, 0}}, Entries{{1, 10, 0, 0}, {2, 20, 0, 0}}));
    p.add(detected, 1200000, 20000);
    Data points{};
    for (uint32_t f : {1190000u, 1190001u, 1210000u})
        p.add(points, f, 0);
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_algo_ReduceCandidate(&p.storage, &points, &detected), 0u);
    EXPECT_EQ(Pools::frequencies(points), (std::vector<uint32_t>{1190000, 1210000}));
}

TEST(KitBlindScanAlgo, CandidateRangesAreClippedAndEstimated)
{
    // Between 20,000 and 30,000 ksps the estimate leans into that span.
    const struct {
        uint32_t top, skirt;
        uint32_t minRate, maxRate;
        Entries candidates;
    } cases[] = {
        {10000, 15000, 12000, 20000, {{1200000, 14000, 12000, 16000}}},
        {10000, 15000, 17000, 20000, {}},                                  // clipped to nothing
        {16000, 24000, 5000, 45000, {{1200000, 22800, 16800, 25600}}},  // (max + 20000) / 2
        {26000, 28000, 20000, 45000, {{1200000, 25000, 20000, 41600}}},  // covers 20,000 to 30,000
    };
    for (const auto& c : cases) {
        Pools p;
        p.spectrum(1100000, 1300000, 500, carrier(1200000, c.top, c.skirt));
        Data out{};
        ASSERT_EQ(kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(&p.storage, &p.power, 100, c.minRate, c.maxRate,
                                                                   1000, &out),
                  0u);
        EXPECT_EQ(Pools::entries(out), c.candidates) << c.top << " " << c.skirt;
    }
}

TEST(KitBlindScanEngine, RegisterEncodings)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    // +-10 MHz in 500 kHz steps at 96 MHz: -213.3 truncated, 213.3 and 10.7 rounded up.
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_PS_SET(&b.demod, -10000, 10000, 500, 96000), 0u);
    EXPECT_EQ(b.i2c.writesTo(SLVT, 0xAB), (std::vector<std::pair<int, int>>{
                                              {0xF1, 0x07}, {0xF2, 0x2B}, {0xF3, 0x00}, {0xF4, 0xD6}, {0xF5, 0x00},
                                              {0xF6, 0x0B}}));
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_PS_SET(&b.demod, -50000, 50000, 500, 96000), 7u);

    const struct {
        int32_t kHz;
        kit_result_t result;
        int b0, b1, b2;
    } fine[] = {
        {0, 0, 0, 0, 0},      {1000, 0, 0x1F, 0xC0, 0x00}, {-1000, 0, 0x00, 0x40, 0x00},
        {1, 0, 0x1F, 0xFF, 0xF0},  // 16.384 rounds to 16
        {64000, 0, 0x10, 0x00, 0x00}, {-64000, 7, 0, 0, 0}, {64001, 7, 0, 0, 0},
    };
    for (const auto& f : fine) {
        b.i2c.clearLog();
        EXPECT_EQ(kit_demod_dvbs_s2_blindscan_SetCFFine(&b.demod, f.kHz), f.result) << f.kHz;
        if (f.result == 0) {
            EXPECT_EQ(b.i2c.writesTo(SLVT, 0xA0),
                      (std::vector<std::pair<int, int>>{{0xCA, f.b0}, {0xCB, f.b1}, {0xCC, f.b2}}))
                << f.kHz;
        }
    }
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_SetSymbolRateRatio(&b.demod, 700, 1023), 0u);
    EXPECT_EQ(b.i2c.writesTo(SLVT, 0xAE),
              (std::vector<std::pair<int, int>>{{0x28, 0x03}, {0x29, 0xFF}, {0x2A, 0x02}, {0x2B, 0xBC}}));
    EXPECT_EQ(kit_demod_dvbs_s2_blindscan_SetSymbolRateRatio(&b.demod, 1024, 0), 1u);

    setBytes(b.i2c, 0xAB, 0x40, {0xF7, 0x2B, 0xF1, 0x23});
    int32_t offset = 0;
    uint32_t power = 0;
    ASSERT_EQ(kit_demod_dvbs_s2_blindscan_GetCSINFO(&b.demod, &offset, &power), 0u);
    EXPECT_EQ(std::make_tuple(offset, power), std::make_tuple(-213, 0x123u));
    setBytes(b.i2c, 0xA0, 0x52, {0xFA, 0xBC});
    EXPECT_EQ(value(kit_demod_dvbs_s2_blindscan_GetPSPow, &b.demod), 0xABC);
}
