// The DVB-C2 PLP record decoder on an image built field by field from its format (EN 302 769),
// and the arithmetic of the operation families: data-slice frequencies, offsets in kHz, symbol-rate
// rounding, link-margin places, constellation, echo and channel-response scales.
#include "demod/DrvCXD2856.h"
#include "demod/DrvCXD2856_family.h"
#include "demod/DrvCXD2856_samples.h"
#include "demod/DrvDefCodes.h"

#include "chipkit/kit_demod_dvbc2.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// A record with the compiled adjustment defaults, as after an update without a reader.
struct Record {
    Record()
    {
        KxlDrvLibError e{};
        s.plugplag = &pp;
        for (auto section : {DRVCXD2856_PP_DVBT, DRVCXD2856_PP_DVBT2, DRVCXD2856_PP_DVBC, DRVCXD2856_PP_DVBC2,
                             DRVCXD2856_PP_ANNEXB, DRVCXD2856_PP_ISDBT})
            DrvCXD2856_update_adjustments(&e, section, nullptr, &pp);
    }
    st_t_plugplag_CXD2856 pp{};
    st_t_data_CXD2856 s{};
};

} // namespace

TEST(DrvCXD2856Signalling, C2PlpRecordFields)
{
    // PLP_ID 9, BUNDLED 1, TYPE 2, PAYLOAD 3, START 0x1ABC, FEC 1, MOD 4 (1024QAM), COD 5,
    // REPROCESSING 0, TSID 0x0101, ONID 0x2202.
    const uint8_t plpBytes[KIT_DVBC2_PLP_BYTES] = {9, 1, 2, 3, 0x1A, 0xBC, 0, 1, 4, 5, 0, 0x01, 0x01, 0x22, 0x02, 0};
    kit_dvbc2_plp_t plp{};
    kit_demod_dvbc2_DecodePLP(plpBytes, &plp);
    EXPECT_EQ(std::make_tuple(plp.id, plp.bundled, plp.type, plp.payloadType, plp.start, plp.fecType, plp.modulation,
                              plp.codeRate, plp.transportStreamId, plp.originalNetworkId),
              std::make_tuple(9, 1, 2, 3, 0x1ABC, 1, 4, 5, 0x0101, 0x2202));
}

TEST(DrvCXD2856Signalling, FrequencyAndRateArithmetic)
{
    // Data-slice positions in carriers from 0 Hz, 64-bit all the way.
    EXPECT_EQ(DrvCXD2856_dvbc2_position_khz(8, 448), 1000u);
    EXPECT_EQ(DrvCXD2856_dvbc2_position_khz(8, 0xFFFFFE + 24ull * 0x3FFF), 38326799u);
    EXPECT_EQ(DrvCXD2856_dvbc2_position_khz(6, 0xFFFFFE + 24ull * 0x3FFF), 28745099u);
    // Hz to kHz: half up, then truncated toward zero.
    for (auto c : {std::pair<int32_t, int32_t>{-1499, 0}, {-1501, -1}, {499, 0}, {500, 1}})
        EXPECT_EQ(drvcxd2856::toKHz(c.first), c.second) << c.first;
    EXPECT_EQ(drvcxd2856::ifWord(4900000), 1712674u);
    EXPECT_EQ(drvcxd2856::ifWord(-1), 0u);

    // Symbol rates rounded to whole kBd.
    Record r;
    uint8_t flag = 0;
    for (auto c : {std::pair<uint32_t, uint32_t>{6874499, 6874000}, {6874500, 6875000}, {0, 0}, {5056941, 5057000}}) {
        r.s.dvbc.symbol_rate = {1, c.first};
        r.s.annexb.symbol_rate = {0, c.first};
        EXPECT_EQ(std::make_tuple(DrvCXD2856_m_dvbc_get_symbol_rate(&flag, &r.s), flag), std::make_tuple(c.second, uint8_t(1)));
        EXPECT_EQ(std::make_tuple(DrvCXD2856_m_annexb_get_symbol_rate(&flag, &r.s), flag), std::make_tuple(c.second, uint8_t(0)));
    }
}

TEST(DrvCXD2856Signalling, LinkMarginTakesTheRequiredMerOfTheModulationReceived)
{
    Record r;
    st_t_data_CXD2856& s = r.s;
    const auto& pp = r.pp;
    const struct {
        const char* what;
        std::function<void()> set;
        std::function<uint32_t(uint32_t*, int32_t*)> get;
        int16_t required;
        bool lockTested;
    } cases[] = {
        {"DVB-T 64QAM 2/3 HP",
         [&] { s.dvbt.constellation = eCONST_64QAM, s.dvbt.hp_code_rate = eCR_2_3, s.dvbt.hierarchy = 0; },
         [&](uint32_t* st, int32_t* lm) { return DrvCXD2856_m_dvbt_get_lm(st, lm, &s); }, pp.dvbt.linkmargin[11], true},
        {"DVB-T2 256QAM 2/3 64K rotated",
         [&] { s.dvbt2.plp_constellation = 3, s.dvbt2.plp_code_rate = 2, s.dvbt2.fec_frame = 1, s.dvbt2.plp_rotation = 1; },
         [&](uint32_t* st, int32_t* lm) { return DrvCXD2856_m_dvbt2_get_lm(st, lm, &s); }, pp.dvbt2.linkmargin[115], true},
        {"DVB-C2 1024QAM highest 64K", [&] { s.dvbc2.plp_constellation = 4, s.dvbc2.plp_code_rate = 5, s.dvbc2.fec_type = 1; },
         [&](uint32_t* st, int32_t* lm) { return DrvCXD2856_m_dvbc2_get_lm(st, lm, &s); }, pp.dvbc2.linkmargin[21], true},
        {"DVB-C 128QAM", [&] { s.dvbc.constellation.value = eCONST_128QAM; },
         [&](uint32_t* st, int32_t* lm) { return DrvCXD2856_m_dvbc_get_lm(st, lm, &s); }, pp.dvbc.linkmargin[3], true},
        {"J.83B 256QAM", [&] { s.annexb.constellation.value = eCONST_256QAM; },
         [&](uint32_t* st, int32_t* lm) { return DrvCXD2856_m_annexb_get_lm(st, lm, &s); }, pp.annexb.linkmargin[1], true},
        {"ISDB-T DQPSK 3/4", [&] { s.isdbt.tmcc.layer[0].constellation = eCONST_DQPSK, s.isdbt.tmcc.layer[0].code_rate = eCR_3_4; },
         [&](uint32_t* st, int32_t* lm) { return DrvCXD2856_m_isdbt_get_lm(st, lm, &s); }, pp.isdbt.linkmargin[7], false},
    };
    for (const auto& c : cases) {
        c.set();
        for (const bool locked : {true, false}) {
            const uint32_t status = locked ? 12 : 0;
            s.dvbt.status = s.dvbt2.status = s.dvbc2.status = s.dvbc.status = s.annexb.status = s.isdbt.status = status;
            s.dvbt.mer = s.dvbt2.m.mer = s.dvbc2.m.mer = s.dvbc.mer = s.annexb.mer = s.isdbt.mer = {0, {}};
            s.dvbt.mer.value.s32 = s.dvbt2.m.mer.value.s32 = s.dvbc2.m.mer.value.s32 = 300;
            s.dvbc.mer.value.s32 = s.annexb.mer.value.s32 = s.isdbt.mer.value.s32 = 300;
            s.ticks = 77;
            uint32_t st = 9;
            int32_t lm = 0;
            EXPECT_EQ(c.get(&st, &lm), 77u) << c.what;
            EXPECT_EQ(std::make_tuple(lm, st), std::make_tuple(300 - c.required, !locked && c.lockTested ? 3u : 0u)) << c.what;
        }
    }
}

TEST(DrvCXD2856Signalling, ConstellationScalesPerStandardAndModulation)
{
    Record r;
    st_t_data_CXD2856& s = r.s;
    KxlDrvLibError e{};
    int16_t i = 0, q = 0;
    const struct {
        std::function<void()> set;
        std::function<void()> get;
        int16_t i, q;
    } cases[] = {
        {[&] { s.dvbt.constellation = eCONST_64QAM; }, [&] { DrvCXD2856_m_dvbt_get_iq_top_right(&e, &i, &q, &s); }, 206, 206},
        {[&] { s.dvbt2.plp_constellation = 0, s.dvbt2.plp_rotation = 1; }, [&] { DrvCXD2856_m_dvbt2_get_iq_top_right(&e, &i, &q, &s); }, 104, 364},
        {[&] { s.dvbt2.plp_constellation = 3, s.dvbt2.plp_rotation = 1; }, [&] { DrvCXD2856_m_dvbt2_get_iq_top_right(&e, &i, &q, &s); }, 278, 318},
        {[&] { s.dvbc.constellation.value = eCONST_128QAM; }, [&] { DrvCXD2856_m_dvbc_get_iq_top_right(&e, &i, &q, &s); }, 62, 62},
        {[&] { s.annexb.constellation.value = eCONST_64QAM; }, [&] { DrvCXD2856_m_annexb_get_iq_top_right(&e, &i, &q, &s); }, 55, 55},
        {[&] { s.dvbc2.plp_constellation = 4; }, [&] { DrvCXD2856_m_dvbc2_get_iq_top_right(&e, &i, &q, &s); }, 305, 305},
        {[] {}, [&] { DrvCXD2856_dvbs_get_iq_top_right(&e, &i, &q); }, 180, 180},
        // ISDB-T samples come mirrored through the centre.
        {[&] { s.isdbt.tmcc.layer[0].constellation = eCONST_64QAM; }, [&] { DrvCXD2856_m_isdbt_get_iq_top_right(&e, &i, &q, &s); }, -205, -205},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        cases[k].set();
        cases[k].get();
        EXPECT_EQ(std::make_tuple(i, q), std::make_tuple(cases[k].i, cases[k].q)) << k;
    }
}

TEST(DrvCXD2856Signalling, EchoAndChannelResponseScales)
{
    Record r;
    st_t_data_CXD2856& s = r.s;
    // DVB-T 8 MHz 8k 1/4: Tg 224 us gives (246400 / 50000 + 1) x 500; 1/32 stays at 1500.
    s.dvbt.bw.value = 8, s.dvbt.mode.value = eFFT_8K, s.dvbt.guard.value = eGI_1_4;
    EXPECT_EQ(std::make_tuple(DrvCXD2856_m_dvbt_get_echoes_scale(&s), DrvCXD2856_m_dvbt_get_tg(&s)),
              std::make_tuple(2500, 2240u));
    s.dvbt.guard.value = eGI_1_32;
    EXPECT_EQ(DrvCXD2856_m_dvbt_get_echoes_scale(&s), 1500);
    // DVB-T2 has no floor: 32K 1/128 at 8 MHz is Tg 28 us.
    s.dvbt2.bw.value = 8, s.dvbt2.fft_mode = eFFT_32K, s.dvbt2.guard = eGI_1_128;
    EXPECT_EQ(DrvCXD2856_m_dvbt2_get_echoes_scale(&s), 500);
    for (auto c : {std::tuple<uint32_t, uint32_t, int32_t>{8, 1, 400}, {6, 0, 300}}) {
        s.dvbc2.bw.value = std::get<0>(c), s.dvbc2.guard = std::get<1>(c);
        EXPECT_EQ(DrvCXD2856_m_dvbc2_get_echoes_scale(&s), std::get<2>(c));
    }

    KxlDrvLibError e{};
    uint32_t first = 9, last = 0;
    float step = 0;
    DrvCXD2856_m_dvbt_get_channelresponse_scale(&e, 0, &first, &last, &step, &s);
    EXPECT_EQ(std::make_tuple(first, last), std::make_tuple(0u, 2047u));
    EXPECT_FLOAT_EQ(step, float((896000 + 1.5) / 3 / 2048 / 100));
    DrvCXD2856_m_dvbt_get_channelresponse_scale(&e, 1, &first, &last, &step, &s);
    EXPECT_EQ(last, 255u);
    s.isdbt.bw.value = 6, s.isdbt.mode = eFFT_4K;
    DrvCXD2856_m_isdbt_get_channelresponse_scale(&e, 0, &first, &last, &step, &s);
    EXPECT_EQ(last, 1023u);
    // DVB-T2 by FFT size and pilot pattern, the first table for an extended carrier mode.
    struct T2 {
        uint32_t fft, pp, ext, decimate, last;
    };
    for (const T2& c : {T2{eFFT_8K, 1, 0, 0, 1023}, T2{eFFT_8K, 1, 1, 0, 0}, T2{eFFT_16K, 0, 0, 1, 255},
                        T2{eFFT_8K_EXT, 7, 1, 0, 511}, T2{eFFT_1K, 9, 0, 0, 0}}) {
        s.dvbt2.fft_mode = c.fft, s.dvbt2.pilot_pattern = c.pp, s.dvbt2.bw_extended = c.ext;
        DrvCXD2856_m_dvbt2_get_channelresponse_scale(&e, c.decimate, &first, &last, &step, &s);
        EXPECT_EQ(last, c.last) << c.fft << " PP" << c.pp + 1;
    }
    s.dvbc2.bw.value = 8, s.dvbc2.guard = 0;
    DrvCXD2856_m_dvbc2_get_channelresponse_scale(&e, 1, &first, &last, &step, &s);
    EXPECT_EQ(last, 63u);
    EXPECT_FLOAT_EQ(step, float((448000 + 12.0) / 24 / 64 / 100));
}

TEST(DrvCXD2856Signalling, ChannelResponseWordAndLevel)
{
    using drvcxd2856::channelResponseLevel;
    using drvcxd2856::channelResponseWord;
    // Ten bits at 22, ten at 12, the 13-bit field's upper twelve below.
    const uint8_t bytes[7] = {0x40, 0x02, 0x01, 0x01, 0x00, 0x1F, 0xFE};
    EXPECT_EQ(channelResponseWord(bytes), (0x201u << 22) | (0x100u << 12) | 0xFFFu);
    // No response, and a word that is not positive as a signed value: no level.
    for (auto c : {std::pair<uint32_t, int>{1 << 20, 301}, {1024, 0}, {1, -301}, {0, -350}, {0x80000000u, -350},
                   {0x7FFFFFFFu, 632}})
        EXPECT_EQ(channelResponseLevel(c.first), c.second) << c.first;
}
