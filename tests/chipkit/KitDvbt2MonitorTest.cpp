// The DVB-T2 monitors on the fake register files: signalling decoding, the data-PLP list at its
// capacity, error rates at their windows and beyond 32 bits, rates, quality, offsets and the
// analysis monitors.
#include "TerrBench.h"
#include "chipkit/kit_demod_dvbc2.h"
#include "chipkit/kit_demod_dvbt2.h"
#include "chipkit/kit_demod_dvbt2_monitor.h"

#include <gtest/gtest.h>

#include <array>

using namespace kittest;

namespace {

struct T2Bench : TerrBench {
    T2Bench()
    {
        activeOn(KIT_DTV_SYSTEM_DVBT2, KIT_DTV_BW_8_MHZ);
        set(SLVT, 0x20, 0x10, {0x26});  // synchronised, TS locked
        set(SLVT, 0x22, 0x12, {0x01});  // L1-post valid
        set(SLVT, 0x2E, 0x20, {0x02});  // base profile detected
    }
};

// An L1-pre with every field distinct: SISO, extended carriers, 8K, mixed, PP8.
const std::vector<int> kL1Pre = {0x00, 0x01, 0x00, 0x03, 0x01, 0x04, 0x02, 0x01, 0x00, 0x00, 0x01, 0x23, 0x45,
                                 0x02, 0x00, 0x10, 0x07, 0x5A, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x02, 0x0F,
                                 0xFF, 0x05, 0x01, 0x03, 0x02, 0x02, 0xB0, 0xDE, 0xAD, 0xBE, 0xEF};

} // namespace

TEST(KitDvbt2Monitor, L1PreFieldsAndFftModes)
{
    T2Bench b;
    b.set(SLVT, 0x22, 0x20, kL1Pre);
    kit_dvbt2_l1pre_t pre = value(kit_demod_dvbt2_monitor_L1Pre, &b.demod);
    EXPECT_FALSE(b.frozen());
    EXPECT_EQ((std::vector<uint32_t>{pre.type, pre.bwExt, pre.s1, pre.s2, pre.mixed, pre.fftMode, pre.l1Rep, pre.gi,
                                     pre.papr, pre.mod, pre.cr, pre.fec, pre.l1PostSize, pre.l1PostInfoSize, pre.pp,
                                     pre.txIdAvailability, pre.cellId, pre.networkId, pre.sysId, pre.numFrames,
                                     pre.numSymbols, pre.regen, pre.postExt, pre.numRfFreqs, pre.rfIdx, pre.t2Version,
                                     pre.l1PostScrambled, pre.t2BaseLite, pre.crc32}),
              (std::vector<uint32_t>{0, 1, 0, 3, 1, 1, 1, 4, 2, 1, 0, 0, 0x12345, 0x20010, 7, 0x5A, 0x1234, 0x5678,
                                     0x9ABC, 2, 0xFFF, 5, 1, 3, 2, 10, 1, 1, 0xDEADBEEF}));

    // FFT size from S2 >> 1 (profile, code, size): the lite profile has no 32K and no 5 or 7 codes.
    for (auto [profile, code, fft] : {std::array<int, 3>{0, 3, 3}, {0, 7, 5}, {1, 3, 4}, {1, 5, -1}, {1, 7, -1}}) {
        b.set(SLVT, 0x2E, 0x20, {0x02 | profile});
        b.set(SLVT, 0x22, 0x23, {code << 1});
        pre.fftMode = 9;
        EXPECT_EQ(std::make_pair(kit_demod_dvbt2_monitor_L1Pre(&b.demod, &pre), pre.fftMode),
                  std::make_pair(fft < 0 ? 4u : 0u, uint32_t(fft < 0 ? 9 : fft))) << profile << code;
    }
    b.set(SLVT, 0x2E, 0x20, {0x00});  // profile not detected yet
    EXPECT_EQ(kit_demod_dvbt2_monitor_L1Pre(&b.demod, &pre), 4u);
    b.set(SLVT, 0x20, 0x10, {0x04});
    EXPECT_EQ(kit_demod_dvbt2_monitor_L1Pre(&b.demod, &pre), 4u);
    EXPECT_FALSE(b.frozen());
}

TEST(KitDvbt2Monitor, PlpPostOfdmHeaderDecoding)
{
    T2Bench b;
    b.set(SLVT, 0x22, 0x54, {5, 0xF9, 3, 1, 2, 7, 9, 3, 2, 1, 1, 0x02, 0x10, 1, 3, 1, 1, 0x92, 0x3B, 0});
    kit_dvbt2_plp_t plp = value(kit_demod_dvbt2_monitor_ActivePLP, &b.demod, KIT_DVBT2_PLP_DATA);
    EXPECT_EQ((std::vector<uint32_t>{plp.id, plp.type, plp.payload, plp.ff, plp.firstRfIdx, plp.firstFrmIdx,
                                     plp.groupId, plp.constell, plp.plpCr, plp.rot, plp.fec, plp.numBlocksMax,
                                     plp.frmInt, plp.tilLen, plp.tilType, plp.inBandAFlag, plp.inBandBFlag, plp.rsvd,
                                     plp.plpMode, plp.staticFlag, plp.staticPaddingFlag}),
              (std::vector<uint32_t>{5, 1, 3, 1, 2, 7, 9, 2, 3, 1, 1, 0x210, 1, 3, 1, 1, 1, 0x123, 2, 1, 1}));
    // The common PLP sits 0x13 further on; a frame interval of 0 means there is none.
    EXPECT_EQ(kit_demod_dvbt2_monitor_ActivePLP(&b.demod, KIT_DVBT2_PLP_COMMON, &plp), 4u);
    b.set(SLVT, 0x22, 0x67, {0, 1, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0x80, 0x00});
    plp = value(kit_demod_dvbt2_monitor_ActivePLP, &b.demod, KIT_DVBT2_PLP_COMMON);
    EXPECT_EQ(std::make_tuple(plp.constell, plp.inBandAFlag, plp.inBandBFlag), std::make_tuple(3u, uint8_t(1), uint8_t(1)));

    b.set(SLVT, 0x22, 0x45, {0x81, 0x02, 2, 0xF3, 0x44, 0xF1, 0x01, 0x02, 0x03, 0x04, 0xF5, 0x0A, 0x0B, 0x0C, 9});
    const kit_dvbt2_l1post_t post = value(kit_demod_dvbt2_monitor_L1Post, &b.demod);
    EXPECT_EQ((std::vector<uint32_t>{post.subSlicesPerFrame, post.numPLPs, post.numAux, post.rfIdx, post.freq,
                                     post.fefType, post.fefLength, post.fefInterval}),
              (std::vector<uint32_t>{0x0102, 2, 3, 1, 0x01020304, 5, 0x0A0B0C, 9}));

    b.set(SLVT, 0x20, 0x5C, {0x34, 0x52, 0x13, 0x01, 0x02});
    const kit_dvbt2_ofdm_t ofdm = value(kit_demod_dvbt2_monitor_OFDM, &b.demod);
    EXPECT_EQ((std::vector<uint32_t>{ofdm.mixed, ofdm.isMiso, ofdm.mode, ofdm.gi, ofdm.pp, ofdm.bwExt, ofdm.papr,
                                     ofdm.numSymbols}),
              (std::vector<uint32_t>{1, 1, 4, 5, 2, 1, 3, 0x0102}));

    // Baseband header: normal mode, then high-efficiency mode.
    std::vector<int> bb = {1, 0xF5, 0x42, 0, 0, 0x12, 0x34, 0x05, 0xE0, 0x47, 0, 0, 0, 0, 1, 2, 3};
    b.set(SLVT, 0x24, 0x92, bb);
    kit_dvbt2_bbheader_t h = value(kit_demod_dvbt2_monitor_BBHeader, &b.demod, KIT_DVBT2_PLP_DATA);
    EXPECT_EQ((std::vector<uint32_t>{h.streamInput, h.isSingleInputStream, h.issyIndicator, h.nullPacketDeletion, h.ext,
                                     h.inputStreamIdentifier, h.dataFieldLength, h.userPacketLength, h.syncByte,
                                     h.plpMode}),
              (std::vector<uint32_t>{3, 1, 0, 1, 1, 0x42, 0x1234, 1504, 0x47, 1}));
    bb[4] = 1;
    b.set(SLVT, 0x24, 0xA8, bb);
    h = value(kit_demod_dvbt2_monitor_BBHeader, &b.demod, KIT_DVBT2_PLP_COMMON);
    EXPECT_EQ((std::vector<uint32_t>{h.userPacketLength, h.issy, h.plpMode}), (std::vector<uint32_t>{0, 0x010203, 2}));
    b.set(SLVT, 0x20, 0x10, {0x06});  // no TS lock
    EXPECT_EQ(kit_demod_dvbt2_monitor_BBHeader(&b.demod, KIT_DVBT2_PLP_DATA, &h), 4u);

    b.set(SLVT, 0x22, 0x3F, {0x02, 0x80});
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_Version, &b.demod), 10u);
    // A set change flag is cleared by reading it.
    b.set(SLVT, 0x22, 0x15, {0x01});
    b.i2c.clearLog();
    EXPECT_EQ(value(kit_demod_dvbt2_monitor_L1Change, &b.demod), 1);
    EXPECT_EQ(b.regWrites(0x22), (std::vector<std::pair<int, int>>{{0x16, 1}}));
    EXPECT_FALSE(b.frozen());
}

TEST(KitDvbt2Monitor, DataPlpListNeverPassesItsCapacity)
{
    T2Bench b;
    for (int i = 0; i < 128; ++i)
        b.set(SLVT, 0x22, 0x80 + i, {i});
    for (int i = 0; i < 127; ++i)
        b.set(SLVT, 0x23, 0x10 + i, {128 + i});
    for (int n : {1, 128, 200, 255}) {
        b.set(SLVT, 0x22, 0x7F, {n});
        uint8_t ids[KIT_DVBT2_DATA_PLP_MAX + 4];
        std::fill(std::begin(ids), std::end(ids), 0xEE);
        EXPECT_EQ(value(kit_demod_dvbt2_monitor_DataPLPs, &b.demod, ids), n);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(ids[i], i) << n;
        for (size_t i = n; i < sizeof ids; ++i)
            ASSERT_EQ(ids[i], 0xEE) << n;  // nothing past the count
        EXPECT_FALSE(b.frozen());
    }
    // The fake refuses reads longer than the binding carries: 128 ids and more come in pieces.
    uint8_t c2[255];
    ASSERT_EQ(kit_demod_dvbc2_ReadL1IdList(&b.demod, c2, 255), 0u);
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(c2[i], i);
    uint8_t count = 0;
    EXPECT_EQ(kit_demod_dvbt2_monitor_DataPLPs(&b.demod, nullptr, &count), 0u);  // the count alone
    EXPECT_EQ(count, 255);
    b.set(SLVT, 0x22, 0x7F, {0});
    EXPECT_EQ(kit_demod_dvbt2_monitor_DataPLPs(&b.demod, nullptr, &count), 10u);
    b.set(SLVT, 0x22, 0x12, {0});
    EXPECT_EQ(kit_demod_dvbt2_monitor_DataPLPs(&b.demod, nullptr, &count), 4u);
    EXPECT_FALSE(b.frozen());
}

TEST(KitDvbt2Monitor, ErrorRatesAtTheirWindowsAndBeyond32Bits)
{
    const Monitor ldpc = monitor(kit_demod_dvbt2_monitor_PreLDPCBER), bch = monitor(kit_demod_dvbt2_monitor_PreBCHBER),
                  fer = monitor(kit_demod_dvbt2_monitor_PostBCHFER), per = monitor(kit_demod_dvbt2_monitor_PER),
                  packets = monitor(kit_demod_dvbt2_monitor_PacketErrorNumber);
    auto ldpcOf = [](std::vector<int> count, int p, int fec) {
        return std::vector<Bytes>{{0x20, 0x39, count}, {0x20, 0x6F, {p}}, {0x22, 0x5E, {fec}}};
    };
    auto bchOf = [](std::vector<int> count, int fec, int rate, int p) {
        return std::vector<Bytes>{{0x24, 0x40, count}, {0x22, 0x5E, {fec}}, {0x22, 0x5B, {rate}}, {0x20, 0x72, {p}}};
    };
    const Reading rows[] = {
        {ldpcOf({0x10, 0, 0x3F, 0x48}, 0, 0), ldpc, 0, 10000000},  // 16200 of 16200 {ldpcOf({0x10, 0, 0x3F, 0x49}, 0, 0), ldpc, 4, 0},
        {ldpcOf({0x1F, 0xFF, 0xFF, 0xFF}, 15, 1), ldpc, 0, 1264198},  // 2^28 x 10^7
        {ldpcOf({0x10, 0, 0, 1}, 0, 2), ldpc, 10, 0},
        {bchOf({1, 0, 0x19, 0x50}, 0, 7, 0), bch, 0, 1000000000},  // full, 2/5 short
        {bchOf({1, 0, 0x19, 0x51}, 0, 7, 0), bch, 4, 0},
        {bchOf({1, 0x3F, 0xFF, 0xFF}, 1, 0, 15), bch, 0, 3950616},  // 2^22 x 10^9
        {bchOf({1, 0, 0, 1}, 3, 0, 0), bch, 10, 0},
        {{{0x20, 0x75, {1, 0, 1}}, {0x20, 0x72, {10}}}, fer, 0, 977},  // 1 of 1024
        {{{0x20, 0x75, {1, 0x04, 0x01}}, {0x20, 0x72, {10}}}, fer, 4, 0},
        {{{0x24, 0xFA, {1, 0x80, 0x00}}, {0x24, 0xDC, {15}}}, per, 0, 1000000},
        {{{0x24, 0xFA, {1, 0xFF, 0xFF}}, {0x24, 0xDC, {15}}}, per, 4, 0},
        {{{0x24, 0xFD, {1, 0x12, 0x34}}}, packets, 0, 0x1234}, {{{0x24, 0xFD, {0, 0x12, 0x34}}}, packets, 4, 0},
    };
    for (const Reading& row : rows) {
        T2Bench b;
        expectReadings(b, {row});
    }
}

TEST(KitDvbt2Monitor, TsRateSnrAndAverages)
{
    T2Bench b;
    const Monitor rate = monitor(kit_demod_dvbt2_monitor_TSRate), snr = monitor(kit_demod_dvbt2_monitor_SNR),
                  averagedSnr = monitor(kit_demod_dvbt2_monitor_AveragedSNR),
                  averagedBer = monitor(kit_demod_dvbt2_monitor_AveragedPreBCHBER);
    std::vector<Reading> rows = {
        {{{0x20, 0xE5, {0x00, 0x03, 0x47, 0xAE}}}, rate, 0, 117073},  // 214958
        // ISSY correction: the stream runs 1000 / 1000000 slower than nominal.
        {{{0x24, 0x90, {0x01}}, {0x25, 0xB2, {0x00, 0x0F, 0x42, 0x40, 0x00, 0x0F, 0x3E, 0x58}}}, rate, 0, 117073 - 117},
        {{{0x25, 0xB6, {0x00, 0x0F, 0x42, 0x40}}}, rate, 4, 0},  // a = b
        {{{0x20, 0xE5, {0x00, 0x03, 0x47, 0xAD}}}, rate, 4, 0},
        // History: SNR entries up to the first invalid one.
        {{}, averagedSnr, 4, 0},
        {{{0x02, 0x30, {1, 0x0B, 0xB8, 1, 0x0B, 0xBA, 0, 0xFF, 0xFF, 1, 0xFF, 0xFF}}}, averagedSnr, 0, 26900},  // 3001
        // Pre-BCH history (normal 2/3: 43200-bit blocks): 100 errors over 2^2 blocks, 50 over
        // 2^4, then an invalid entry; per-entry periods, then one period for all (2^3).
        {{{0x22, 0x5E, {1}}, {0x22, 0x5B, {2}}, {0x20, 0x72, {3}}, {0x20, 0x7C, {0x01, 0x00}},
          {0x02, 0x10, {0x80, 0, 100, 2, 0x80, 0, 50, 4, 0x00, 0, 9, 0}}},
         averagedBer, 0, 173611},  // 150 / (43200 x 4 x 5)
        {{{0x20, 0x7C, {0x00, 0x00}}}, averagedBer, 0, 217014},  // 150 / (43200 x 8 x 2)
        {{{0x20, 0x7C, {0x00, 0x01}}}, averagedBer, 4, 0},
    };
    for (auto [v, value] : {std::pair{1, -9000}, {3000, 26900}, {10876, 40000}, {20000, 40000}, {0, 0}})
        rows.push_back({{{0x20, 0x28, {v >> 8, v & 0xFF}}}, snr, v ? 0u : 4u, value});
    // The MER in fixed point: demodulator lock is enough, TS lock is not needed; not before it.
    const Monitor mer = monitor(kit_demod_dvbt2_adv_monitor_MER);
    for (auto [sync, v, result, value] : {std::array<int, 4>{0x26, 0x0FA0, 0, 29979}, {0x06, 1000, 0, 23979},
                                          {0x26, 0xFFFF, 0, 42079}, {0x26, 0, 4, 0}, {0x25, 0x0FA0, 4, 0}, {0x07, 0x0FA0, 4, 0}})
        rows.push_back({{{0x20, 0x10, {sync}}, {0x20, 0x2C, {v >> 8, v & 0xFF}}}, mer, kit_result_t(result), value});
    expectReadings(b, rows);
}

TEST(KitDvbt2Monitor, QualityAtTheRulesPoints)
{
    // 64-QAM 2/3 needs 16.2 dB.
    const struct {
        uint32_t qam, rate, ber;
        int32_t snr;
        kit_result_t result;
        uint8_t quality;
    } cases[] = {
        {2, 2, 99, 19200, 0, 100},  {2, 2, 100, 19200, 0, 40}, {2, 2, 100000, 19200, 0, 40}, {2, 2, 100001, 19200, 0, 0},
        {2, 2, 0, 16200, 0, 50},    {2, 2, 0, 13199, 0, 0},    {3, 5, 0, 28100, 0, 100},     {4, 0, 0, 30000, 10, 77},
        {0, 8, 0, 30000, 10, 77},
    };
    for (const auto& c : cases) {
        uint8_t q = 77;
        EXPECT_EQ(kit_demod_dvbt2_CalcQuality(c.qam, c.rate, c.ber, c.snr, &q), c.result) << c.ber << " " << c.snr;
        EXPECT_EQ(q, c.quality) << c.ber << " " << c.snr;
    }

    // Through the chip: 64-QAM 2/3, no pre-BCH errors, SNR 32 dB; 26.9 dB is 3 dB above the
    // 20.8 dB that 256-QAM 2/3 needs; then the BER not ready.
    T2Bench b;
    const Monitor quality = monitor(kit_demod_dvbt2_monitor_Quality);
    expectReadings(b, {
        {{{0x22, 0x5B, {2, 2}}, {0x22, 0x5E, {1}}, {0x24, 0x40, {1, 0, 0, 0}}, {0x20, 0x28, {0x18, 0x9C}}}, quality, 0, 100},
        {{{0x20, 0x28, {0x0B, 0xB8}}, {0x22, 0x5C, {3}}}, quality, 0, 100}, {{{0x24, 0x40, {0}}}, quality, 4, 0},
    });
}

TEST(KitDvbt2Monitor, CarrierAndSamplingOffsets)
{
    T2Bench b;
    const Monitor offset = monitor(kit_demod_dvbt2_monitor_CarrierOffset);
    const struct {
        kit_dtv_bandwidth_t bw;
        uint32_t x;
        uint32_t inverted;
        kit_result_t result;
        int32_t offset;
    } cases[] = {
        {8, 940, 0, 0, -8}, {8, 0x0FFFFC54, 0, 0, 8}, {1, 582, 0, 0, -1}, {8, 940, 1, 0, 8},
        {7, 0x07FFFFFF, 0, 0, -999493}, {2, 940, 0, 3, 0},
    };
    for (const auto& c : cases) {
        b.demod.bandwidth = c.bw;
        b.demod.ifSpectrumInverted = c.inverted;
        const std::vector<int> word = {int(c.x >> 24), int(c.x >> 16) & 0xFF, int(c.x >> 8) & 0xFF, int(c.x) & 0xFF};
        expectReadings(b, {{{{0x20, 0x4C, word}}, offset, c.result, c.offset}});
    }

    // Nominal word 0x15 00000000 gives the divisor 451.
    b.demod.bandwidth = KIT_DTV_BW_8_MHZ;
    const Monitor sampling = monitor(kit_demod_dvbt2_monitor_SamplingOffset);
    auto words = [](std::vector<int> tracked, std::vector<int> nominal) {
        return std::vector<Bytes>{{0x20, 0x52, tracked}, {0x20, 0x9F, nominal}};
    };
    expectReadings(b, {
        {words({0x15, 0, 0, 0x10, 0}, {0x15, 0, 0, 0, 0}), sampling, 0, 5},
        {words({0x15, 0, 0, 0, 0}, {0x15, 0, 0, 0x10, 0}), sampling, 0, -5},
        {words({0x16, 0, 0, 0x10, 0}, {0x15, 0, 0, 0, 0}), sampling, 0, 4761609},  // one wrap ahead
        {words({0x17, 0, 0, 0, 0}, {0x15, 0, 0, 0, 0}), sampling, 4, 0},
        {words({0x00, 0, 0, 0x10, 0}, {0x00, 0, 0, 0, 0}), sampling, 4, 0},  // no nominal rate
    });
}

TEST(KitDvbt2Monitor, AnalysisRangesPointsAndTimeOut)
{
    T2Bench b;
    b.set(SLVT, 0x22, 0x54, {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1});   // data PLP 64-QAM, 64800-bit frames
    b.set(SLVT, 0x22, 0x67, {0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1});  // common PLP 256-QAM, 16200
    b.set(SLVT, 0x22, 0x20, kL1Pre);                               // SISO, extended, 8K
    b.set(SLVT, 0x20, 0x5C, {0x04});                               // OFDM 16K
    const struct {
        uint8_t tap;
        kit_result_t result;
        uint32_t max;
    } taps[] = {{0, 0, 10799}, {1, 0, 2024}, {2, 0, 6912}, {3, 0, 0x12344}, {4, 0, 16383}, {5, 10, 0}};
    for (const auto& t : taps) {
        b.i2c.clearLog();
        uint32_t min = 9, max = 0;
        EXPECT_EQ(kit_demod_dvbt2_adv_SetConstellationTap(&b.demod, t.tap, &min, &max), t.result) << int(t.tap);
        EXPECT_EQ(std::make_pair(min, max), std::make_pair(t.result ? 9u : 0u, t.max)) << int(t.tap);
        EXPECT_EQ(b.regWrites(0x21).empty(), t.result != 0);
        EXPECT_FALSE(b.frozen());
    }
    // MISO, PP4, normal carriers, tone reservation: data cells less the reserved ones.
    std::vector<int> miso = kL1Pre;
    miso[1] = 0, miso[2] = 1, miso[6] = 2, miso[16] = 3;
    b.set(SLVT, 0x22, 0x20, miso);
    uint32_t min = 0, max = 0;
    ASSERT_EQ(kit_demod_dvbt2_adv_SetConstellationTap(&b.demod, 2, &min, &max), 0u);
    EXPECT_EQ(max, 6498u - 72u);
    miso[16] = 5;  // PP6 does not exist in 8K
    b.set(SLVT, 0x22, 0x20, miso);
    EXPECT_EQ(kit_demod_dvbt2_adv_SetConstellationTap(&b.demod, 2, &min, &max), 10u);

    // Points: index, trigger, then the ready bit; 10-bit fields, 14-bit for the FFT output tap.
    b.i2c.clearLog();
    b.set(SLVT, 0x21, 0x97, {0});
    b.set(SLVT, 0x21, 0x9B, {0x40, 0x02, 0x00, 0x01, 0xFF});
    int32_t i = 0, q = 0;
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_Constellation(&b.demod, 0x1234, &i, &q), 0u);
    EXPECT_EQ(b.regWrites(0x21), (std::vector<std::pair<int, int>>{{0x98, 0x12}, {0x99, 0x34}, {0x9A, 1}}));
    EXPECT_EQ(std::make_pair(i, q), std::make_pair(-512, 511));
    b.set(SLVT, 0x21, 0x97, {4});
    b.set(SLVT, 0x21, 0x9B, {0x40, 0x20, 0x00, 0x1F, 0xFF});
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_Constellation(&b.demod, 0, &i, &q), 0u);
    EXPECT_EQ(std::make_pair(i, q), std::make_pair(-8192, 8191));
    b.set(SLVT, 0x21, 0x97, {5});
    EXPECT_EQ(kit_demod_dvbt2_adv_monitor_Constellation(&b.demod, 0, &i, &q), 10u);

    b.set(SLVT, 0x21, 0x9B, {0x40, 0, 0, 0, 1, 0x03, 0xE8});
    EXPECT_EQ(value(kit_demod_dvbt2_adv_monitor_ChannelSpectrum, &b.demod, 0), 20969);  // 10 log10(1000) - 9.031 dB
    // Word 2^12 + 1000 / 2, power its top 30 bits: 1149.
    EXPECT_EQ(value(kit_demod_dvbt2_adv_monitor_DelayProfile, &b.demod, 0), 6418);
    b.set(SLVT, 0x21, 0x9B, {0x40, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(value(kit_demod_dvbt2_adv_monitor_DelayProfile, &b.demod, 0), -50000);

    // Never ready: 60 polls 10 ms apart, then "time-out".
    b.set(SLVT, 0x21, 0x97, {0});
    b.set(SLVT, 0x21, 0x9B, {0x00});
    b.i2c.clearLog();
    const int before = b.i2c.accesses();
    EXPECT_EQ(kit_demod_dvbt2_adv_monitor_Constellation(&b.demod, 0, &i, &q), 5u);
    EXPECT_EQ(b.i2c.trail().back(), Wait(600));
    EXPECT_EQ(b.i2c.accesses() - before, 2 + 3 + 60);  // tap read, index and trigger, polls

    // The delay profile's span is the chip's own and not published.
    b.i2c.clearLog();
    int32_t d0 = 0, d1 = 0;
    EXPECT_EQ(kit_demod_dvbt2_adv_SetDelayProfile(&b.demod, 1, 0, &min, &max, &d0, &d1), 8u);
    EXPECT_TRUE(b.i2c.writes().empty());
    EXPECT_EQ(kit_demod_dvbt2_adv_SetDelayProfile(&b.demod, 0, 1, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(b.regWrites(0x21), (std::vector<std::pair<int, int>>{{0xC3, 0}, {0xC4, 1}}));
    int32_t levels[2] = {0, 0}, delays[2];
    EXPECT_EQ(kit_demod_dvbt2_adv_monitor_DelayProfileCalculate(&b.demod, 0, 0, 1, levels, delays, 2, &d0, &d1), 8u);
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbt2_adv_SetChannelSpectrum(&b.demod, 0, 3, nullptr, nullptr), 0u);
    EXPECT_EQ(b.regWrites(0x21), (std::vector<std::pair<int, int>>{{0x97, 0}}));
    b.set(SLVT, 0x24, 0x16, {17});
    EXPECT_EQ(value(kit_demod_dvbt2_adv_monitor_LDPCIter, &b.demod), 17u);
}
