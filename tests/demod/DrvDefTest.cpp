// Standard definitions: every standard's durations, counts, rates, tables and translations,
// at the standards' own points and past the end of each table.
#include "demod/DrvDefDVBC.h"
#include "demod/DrvDefDVBC2.h"
#include "demod/DrvDefDVBS.h"
#include "demod/DrvDefDVBS2.h"
#include "demod/DrvDefDVBT.h"
#include "demod/DrvDefDVBT2.h"
#include "demod/DrvDefISDBT.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

namespace {

using Fn = std::function<uint32_t(uint32_t)>;

// Expects f(i) == values[i] for every index, and `otherwise` just past them.
void expectRow(const Fn& f, std::vector<uint32_t> values, uint32_t otherwise, const char* what)
{
    for (uint32_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(f(i), values[i]) << what << " " << i;
    EXPECT_EQ(f(static_cast<uint32_t>(values.size())), otherwise) << what << " beyond";
}

// Expects f(in) == out for every pair.
void expectMap(const Fn& f, std::vector<std::pair<uint32_t, uint32_t>> pairs, const char* what)
{
    for (const auto& [in, out] : pairs)
        EXPECT_EQ(f(in), out) << what << " " << in;
}

// f(first, i) as a row over i.
Fn with(uint32_t (*f)(uint32_t, uint32_t), uint32_t first)
{
    return [f, first](uint32_t i) { return f(first, i); };
}

// The elementary clock (Hz) and period (s) by bandwidth id.
void expectClocks(double (*clock)(uint32_t), double (*period)(uint32_t),
                  std::vector<std::tuple<uint32_t, double, double>> rows)
{
    for (const auto& [bw, hz, s] : rows) {
        EXPECT_NEAR(clock(bw), hz, 1e-4) << bw;
        EXPECT_NEAR(period(bw), s, 1e-14) << bw;
    }
}

constexpr double k8 = 9142857.1429, k8s = 1.09375e-7; // 64/7 MHz, the 8 MHz clock

} // namespace

TEST(DrvDefDVBT, DimensionsRatesAndClock)
{
    expectMap(DRVDEFDVBT_get_bw_hz_from_id, {{5, 5000000}, {6, 6000000}, {7, 7000000}, {2, 8000000}, {17, 8000000}}, "bw");
    expectMap(DRVDEFDVBT_get_bw_id_from_hz, {{5000000, 5}, {7000000, 7}, {1700000, 8}}, "bw id");
    expectRow(DRVDEFDVBT_get_num_carrier, {1705, 6817, 3409}, 6817, "carriers");
    expectMap(DRVDEFDVBT_get_bits_per_carrier, {{1, 2}, {6, 4}, {8, 6}, {0, 6}}, "bits");
    const struct {
        uint32_t bw, mode, guard, tu, tgi, ts;
    } durations[] = {
        {8, 1, 0, 896000, 224000, 1120000}, {6, 0, 2, 298666, 18666, 317332},
        {3, 0, 9, 224000, 56000, 280000},   {4, 7, 1, 896000, 112000, 1008000},
    };
    for (const auto& c : durations)
        EXPECT_EQ((std::vector<uint32_t>{DRVDEFDVBT_get_tu(c.bw, c.mode), DRVDEFDVBT_get_tgi(c.bw, c.mode, c.guard),
                                         DRVDEFDVBT_get_ts(c.bw, c.mode, c.guard)}),
                  (std::vector<uint32_t>{c.tu, c.tgi, c.ts}))
            << c.bw << "/" << c.mode;

    // 8 MHz, 8k, 1/4, 64QAM: 6048 carriers x 6 bits every 1.12 ms.
    EXPECT_EQ(DRVDEFDVBT_get_bitrate_before_viberbi(8, 1, 0, 8), 32400000u);
    EXPECT_EQ(DRVDEFDVBT_get_bitrate_before_viberbi(8, 0, 3, 1), 13090909u);
    const struct {
        uint32_t constellation, hierarchy, hp, lp, lpStream, rate;
    } rates[] = {
        {8, 0, 5, 3, 1, 21600000}, // 2/3, the LP arguments ignored
        {8, 1, 3, 6, 0, 5400000},  // HP: the QPSK third at 1/2
        {8, 2, 3, 6, 1, 16200000}, // LP: the other two thirds at 3/4
    };
    for (const auto& c : rates)
        EXPECT_EQ(DRVDEFDVBT_get_bitrate_after_viberbi(8, 1, 0, c.constellation, c.hierarchy, c.hp, c.lp, c.lpStream),
                  c.rate);
    EXPECT_EQ(DRVDEFDVBT_get_packet_rate(8, 1, 0, 8, 0, 5, 0, 0), 13235u);
    expectClocks(DRVDEFDVBT_get_elementary_clock, DRVDEFDVBT_get_elementary_period,
                 {{2, 2285714.2857, 4.375e-7}, {6, 6857142.8571, 1.4583333e-7}, {8, k8, k8s}, {1, k8, k8s}});
}

TEST(DrvDefDVBT, PilotAndTpsTablesHaveTheStandardsStructureAndAreSearched)
{
    // 8k sets are the 2k set repeated at 0, 1704, 3408 and 5112; 4k stops at 3408.
    const struct {
        const uint16_t* (*get)(uint32_t, uint32_t*);
        uint32_t counts[3]; // 2k, 8k, 4k
        uint32_t last[3];
    } tables[] = {
        {DRVDEFDVBT_get_cp_indexs, {45, 177, 89}, {1704, 6816, 3408}},
        {DRVDEFDVBT_get_tps_indexs, {17, 68, 34}, {1687, 6799, 3391}},
    };
    for (const auto& t : tables) {
        uint32_t counts[3];
        const uint16_t* table = nullptr;
        for (uint32_t mode = 0; mode < 3; ++mode) {
            table = t.get(mode, &counts[mode]);
            EXPECT_EQ(counts[mode], t.counts[mode]) << mode;
            EXPECT_EQ(table[counts[mode] - 1], t.last[mode]) << mode;
        }
        uint32_t untouched = 1234;
        EXPECT_EQ(t.get(5, &untouched), table);
        EXPECT_EQ(untouched, 1234u);
        std::set<uint32_t> repeated;
        for (uint32_t i = 0; i < counts[0]; ++i)
            for (uint32_t shift : {0u, 1704u, 3408u, 5112u})
                repeated.insert(table[i] + shift);
        EXPECT_EQ(std::set<uint32_t>(table, table + counts[1]), repeated);
        for (uint32_t i = 1; i < counts[1]; ++i)
            EXPECT_LT(table[i - 1], table[i]);
    }

    // 0 data, 1 TPS, 2 pilot (before a multiple of 3), 3 scattered.
    expectMap(DRVDEFDVBT_get_carrier_type, {{0, 2}, {34, 1}, {3, 3}, {1, 0}, {48, 2}, {6816, 2}}, "type");
    EXPECT_TRUE(DRVDEFDVBT_is_sp_carrier(9) && DRVDEFDVBT_is_data_carrier(35) && DRVDEFDVBT_is_tps_carrier(50));
    EXPECT_FALSE(DRVDEFDVBT_is_sp_carrier(34) || DRVDEFDVBT_is_data_carrier(50) || DRVDEFDVBT_is_cp_carrier(50));
    uint32_t i = 99;
    EXPECT_TRUE(DRVDEFDVBT_get_tps_carrier_index(6799, &i));
    EXPECT_EQ(i, 67u);
    const uint16_t t[] = {10, 20, 30};
    const struct {
        int32_t count;
        uint32_t value, index;
        bool found;
    } searches[] = {{3, 10, 0, true}, {3, 30, 2, true}, {3, 25, 2, false}, {3, 31, 0, false}, {0, 10, 0, false}};
    for (const auto& c : searches) {
        i = 99;
        EXPECT_EQ(DRVDEFDVBT_search_data(t, c.count, c.value, &i) != 0, c.found) << c.value;
        EXPECT_EQ(i, c.index) << c.value;
    }
}

TEST(DrvDefDVBT2, CountsSizesDurationsAndFecRate)
{
    expectMap(DRVDEFDVBT2_get_bw_hz_from_id, {{5, 5000000}, {7, 7000000}, {10, 10000000}, {17, 1700000}, {2, 8000000}},
              "bw");
    for (uint32_t id : {5u, 10u, 17u})
        EXPECT_EQ(DRVDEFDVBT2_get_bw_id_from_hz(DRVDEFDVBT2_get_bw_hz_from_id(id)), id);
    EXPECT_EQ(DRVDEFDVBT2_get_bw_id_from_hz(1234), 8u);
    // Each table at its last entry and past it.
    expectMap(DRVDEFDVBT2_get_num_carrier, {{8, 27841}, {9, 27265}}, "carriers");
    expectMap(DRVDEFDVBT2_get_bits_per_symbol, {{3, 8}, {4, 8}}, "bits");
    expectMap(DRVDEFDVBT2_get_pilots_separation, {{7, 6}, {8, 6}}, "pilots");
    expectMap(DRVDEFDVBT2_get_num_p2_per_frame, {{3, 16}, {7, 1}}, "P2");
    expectMap(DRVDEFDVBT2_translate_gi, {{6, 6}, {7, 4}}, "guard");
    expectMap(DRVDEFDVBT2_translate_constellation, {{3, 10}, {4, 8}}, "constellation");
    expectMap(DRVDEFDVBT2_translate_coderate, {{7, 2}, {8, 5}}, "code rate");
    expectMap(DRVDEFDVBT2_get_fecframe_size, {{0, 16200}, {1, 64800}}, "frame");
    // K_ldpc / K_bch: 2/5 is the last rate, then 1/2 again.
    expectMap(with(DRVDEFDVBT2_get_fecframe_size_afterldpc, 0), {{7, 6480}, {8, 7200}}, "short K_ldpc");
    expectMap(with(DRVDEFDVBT2_get_fecframe_size_afterbch, 1), {{5, 53840}, {8, 32208}}, "normal K_bch");

    expectRow(with(DRVDEFDVBT2_get_tu, 8), {224000, 896000, 448000, 112000, 896000, 1792000, 1792000, 3584000, 3584000},
              3584000, "Tu");
    expectMap([](uint32_t bw) { return DRVDEFDVBT2_get_tu(bw, 0); }, {{17, 1109984}, {6, 298666}, {2, 224000}},
              "Tu by bandwidth");
    EXPECT_EQ(DRVDEFDVBT2_get_tu(10, 1), 716800u);
    expectRow([](uint32_t g) { return DRVDEFDVBT2_get_tgi(8, 1, g); },
              {224000, 112000, 56000, 28000, 7000, 133000, 66500}, 7000, "Tgi");
    EXPECT_EQ(DRVDEFDVBT2_get_ts(8, 1, 3), 924000u);
    // P1 (the 2k Tu) + (2 P2 + 60 data) symbols of 924 us.
    EXPECT_EQ(DRVDEFDVBT2_get_frame_time(8, 1, 3, 60), 57512000u);

    const uint32_t fields[] = {0xFFFFFF, 3}, low[] = {0x0FFFFF, 2};
    EXPECT_EQ(DRVDEFDVBT2_get_fef_length(0, 1, fields), 0x4FFFFFu);
    EXPECT_EQ(DRVDEFDVBT2_get_fef_length(2, 0, fields), 0x4FFFFFu);
    EXPECT_EQ(DRVDEFDVBT2_get_fef_length(2, 1, fields), 0x4FFFFFu + 0xC00000u);
    EXPECT_EQ(DRVDEFDVBT2_get_fef_length(2, 1, low), 0x8FFFFFu);
    EXPECT_DOUBLE_EQ(DRVDEFDVBT2_get_ratio_t2frame_fef(100, 0, 5), 1.0);
    EXPECT_DOUBLE_EQ(DRVDEFDVBT2_get_ratio_t2frame_fef(100, 2, 0), 1.0);
    EXPECT_DOUBLE_EQ(DRVDEFDVBT2_get_ratio_t2frame_fef(100, 4, 40), 100.0 / 110.0);
    expectClocks(DRVDEFDVBT2_get_elementary_clock, DRVDEFDVBT2_get_elementary_period,
                 {{5, 5714285.7143, 1.75e-7}, {8, k8, k8s}, {10, 11428571.4286, 8.75e-8},
                  {17, 1845070.4225, 5.4198473e-7}, {3, k8, k8s}});

    // 10 FEC blocks per 57.512 ms frame; a FEF of 1000 periods (109 ns each) after every
    // frame takes its share of the time away.
    EXPECT_NEAR(DRVDEFDVBT2_get_fecrate(8, 1, 3, 60, 10, 0, 0), 10 / 0.057512, 1e-9);
    EXPECT_NEAR(DRVDEFDVBT2_get_fecrate(8, 1, 3, 60, 10, 1, 1000), 10 / 0.057621, 1e-9);
    EXPECT_NEAR(DRVDEFDVBT2_get_fecrate(8, 1, 3, 60, 10, 2, 1000), 10 / (0.057512 + 0.0000545), 1e-9);
}

TEST(DrvDefDVBC2, DurationsSizesAndTranslations)
{
    expectMap(DRVDEFDVBC2_get_bw_hz_from_id, {{6, 6000000}, {7, 8000000}}, "bw");
    expectMap(DRVDEFDVBC2_get_bw_id_from_hz, {{6000000, 6}, {7000000, 8}}, "bw id");
    EXPECT_EQ(DRVDEFDVBC2_get_num_carrier(), 3409u);
    expectClocks(DRVDEFDVBC2_get_elementary_clock, DRVDEFDVBC2_get_elementary_period,
                 {{6, 6857142.8571, 1.4583333e-7}, {8, k8, k8s}, {5, k8, k8s}});
    expectMap(DRVDEFDVBC2_get_tu, {{6, 597333}, {8, 448000}}, "Tu");
    expectMap([](uint32_t g) { return DRVDEFDVBC2_get_tgi(8, g); }, {{7, 7000}, {4, 3500}}, "Tgi");
    EXPECT_EQ(DRVDEFDVBC2_get_ts(6, 7), 597333u + 9333u);
    expectMap(DRVDEFDVBC2_get_pilots_separation, {{7, 12}, {4, 24}}, "pilots");
    expectMap(DRVDEFDVBC2_get_bits_per_symbol, {{0, 6}, {5, 12}, {6, 6}}, "bits");
    expectMap(DRVDEFDVBC2_translate_constellation, {{1, 6}, {5, 12}, {6, 10}}, "constellation");
    expectMap(DRVDEFDVBC2_translate_gi, {{0, 4}, {1, 7}, {9, 7}}, "guard");
    EXPECT_EQ(DRVDEFDVBC2_translate_coderate(0, 5), 11u);
    expectRow(with(DRVDEFDVBC2_translate_coderate, 1), {5, 5, 6, 7, 8, 12}, 5, "rates");
    expectMap(DRVDEFDVBC2_get_fecframe_size, {{1, 64800}, {0, 16200}, {2, 16200}}, "frame");
    // Code rates 2..5 are 3/4, 4/5, 5/6 and the highest; anything else 2/3.
    expectMap(with(DRVDEFDVBC2_get_fecframe_size_afterldpc, 0), {{5, 14400}, {6, 10800}}, "short K_ldpc");
    expectMap(with(DRVDEFDVBC2_get_fecframe_size_afterbch, 1), {{2, 48408}, {6, 43040}}, "normal K_bch");
}

TEST(DrvDefISDBT, DurationsRatesAndSegments)
{
    expectMap(DRVDEFISDBT_get_bw_id_from_hz, {{7000000, 7}, {8000000, 8}, {5000000, 6}}, "bw id");
    expectRow(DRVDEFISDBT_get_num_data_carrier, {1248, 4992, 2496}, 4992, "data carriers");
    expectMap(DRVDEFISDBT_get_bits_per_carrier, {{0, 2}, {6, 4}, {9, 6}}, "bits");
    expectMap([](uint32_t bw) { return DRVDEFISDBT_get_tu(bw, 0); }, {{8, 189000}, {7, 216000}, {5, 252000}}, "Tu");
    EXPECT_EQ(DRVDEFISDBT_get_tu(6, 1), 1008000u);
    EXPECT_EQ(DRVDEFISDBT_get_tgi(6, 1, 0), 252000u);
    EXPECT_EQ(DRVDEFISDBT_get_ts(6, 1, 1), 1134000u);
    // Mode 3, 1/8, 64QAM 3/4 on 12 segments: with the 188/204 of Reed-Solomon this is the
    // familiar 16.85 Mbit/s.
    EXPECT_EQ(DRVDEFISDBT_get_bitrate_before_viberbi(6, 1, 1, 8, 12), 24380952u);
    EXPECT_EQ(DRVDEFISDBT_get_bitrate_after_viberbi(6, 1, 1, 8, 12, 6) * 188ull / 204, 16851540u);

    expectRow(DRVDEFISDBT_get_segment_position, {6, 5, 7, 4, 8, 3, 9, 2, 10, 1, 11, 0, 12}, 0, "positions");
    // Segments, first and last position, first and last carrier of each layer.
    const struct {
        uint32_t a, b, c;
        uint32_t spans[3][5];
    } layouts[] = {
        {1, 7, 5, {{1, 6, 6, 648, 755}, {7, 2, 9, 216, 1079}, {5, 0, 12, 0, 1403}}},
        {5, 10, 3, {{5, 4, 8, 432, 971}, {8, 0, 12, 0, 1403}, {0, 0, 0, 0, 0}}},
    };
    for (const auto& l : layouts) {
        t_isdbt_layer_span spans[3];
        EXPECT_EQ(DRVDEFISDBT_get_carriers_distribution(0, l.a, l.b, l.c, spans), 108u);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ((std::vector<uint32_t>{spans[k].segments, spans[k].first_position, spans[k].last_position,
                                             spans[k].first_carrier, spans[k].last_carrier}),
                      std::vector<uint32_t>(l.spans[k], l.spans[k] + 5))
                << l.a << "/" << l.b << "/" << l.c << " layer " << k;
    }
}

TEST(DrvDefCableAndSatellite, BitsRatesAndBandwidth)
{
    expectRow([](uint32_t c) { return DRVDEFDVBC_get_bits_per_symbol(c + 5); }, {6, 4, 5, 6, 7, 8}, 6, "bits");
    EXPECT_EQ(DRVDEFDVBC_get_bitrate_before_reed_solomon(8, 6900000), 41400000u);
    EXPECT_EQ(DRVDEFDVBS_get_bitrate_before_reed_solomon(8, 27500000), 55000000u);
    EXPECT_EQ(DRVDEFDVBS2_get_bitrate_before_reed_solomon(3, 27500000), 55000000u);
    EXPECT_EQ(DRVDEFDVBS2_get_bits_per_symbol(), 2u);
    for (const auto& [symbolRate, bw] : {std::pair<uint32_t, uint32_t>{6900000, 7935000}, {0, 0}}) {
        EXPECT_EQ(DRVDEFDVBC_calculate_bw(symbolRate), bw) << symbolRate;
        EXPECT_EQ(DRVDEFDVBS_calculate_bw(symbolRate), bw) << symbolRate;
        EXPECT_EQ(DRVDEFDVBS2_calculate_bw(symbolRate), bw) << symbolRate;
    }
}
