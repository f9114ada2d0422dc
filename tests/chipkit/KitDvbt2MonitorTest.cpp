// The DVB-T2 monitor set on the fake register files: L1-pre, L1-post, PLP, OFDM and
// baseband-header decoding, the data-PLP list at its capacity, error rates at the edge of
// their windows and far beyond 32 bits, TS rate, quality at the rule's points, SNR and the
// averaged readings, offsets, the analysis monitors, and the freeze released on every path.
#include "TerrBench.h"
#include "chipkit/kit_demod_dvbt2.h"
#include "chipkit/kit_demod_dvbt2_monitor.h"

#include <gtest/gtest.h>

#include <functional>

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
    kit_dvbt2_l1pre_t pre = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_L1Pre(&b.demod, &pre), 0u);
    EXPECT_FALSE(b.frozen());
    const uint32_t got[] = {pre.type,       pre.bwExt,          pre.s1,         pre.s2,        pre.mixed,
                            pre.fftMode,    pre.l1Rep,          pre.gi,         pre.papr,      pre.mod,
                            pre.cr,         pre.fec,            pre.l1PostSize, pre.l1PostInfoSize,
                            pre.pp,         pre.txIdAvailability, pre.cellId,   pre.networkId, pre.sysId,
                            pre.numFrames,  pre.numSymbols,     pre.regen,      pre.postExt,   pre.numRfFreqs,
                            pre.rfIdx,      pre.t2Version,      pre.l1PostScrambled, pre.t2BaseLite, pre.crc32};
    const uint32_t want[] = {0, 1, 0, 3, 1, 1, 1, 4, 2, 1, 0, 0, 0x12345, 0x20010, 7, 0x5A, 0x1234, 0x5678,
                             0x9ABC, 2, 0xFFF, 5, 1, 3, 2, 10, 1, 1, 0xDEADBEEF};
    for (size_t i = 0; i < sizeof want / sizeof want[0]; ++i)
        EXPECT_EQ(got[i], want[i]) << "field " << i;

    // FFT size from S2 >> 1: the lite profile has no 32K and no 5 or 7 codes.
    const int base[8] = {0, 1, 2, 3, 4, 5, 1, 5};
    const int lite[8] = {0, 1, 2, 4, 4, -1, 1, -1};
    for (int profile = 0; profile < 2; ++profile) {
        b.set(SLVT, 0x2E, 0x20, {0x02 | profile});
        for (int code = 0; code < 8; ++code) {
            b.set(SLVT, 0x22, 0x23, {code << 1});
            const int want = profile ? lite[code] : base[code];
            EXPECT_EQ(kit_demod_dvbt2_monitor_L1Pre(&b.demod, &pre), want < 0 ? 4u : 0u) << profile << code;
            if (want >= 0) {
                EXPECT_EQ(pre.fftMode, static_cast<uint32_t>(want));
            }
        }
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
    kit_dvbt2_plp_t plp = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_ActivePLP(&b.demod, KIT_DVBT2_PLP_DATA, &plp), 0u);
    const uint32_t got[] = {plp.id,     plp.type,   plp.payload,    plp.ff,       plp.firstRfIdx, plp.firstFrmIdx,
                            plp.groupId, plp.constell, plp.plpCr,   plp.rot,      plp.fec,        plp.numBlocksMax,
                            plp.frmInt, plp.tilLen, plp.tilType,    plp.inBandAFlag, plp.inBandBFlag, plp.rsvd,
                            plp.plpMode, plp.staticFlag, plp.staticPaddingFlag};
    const uint32_t want[] = {5, 1, 3, 1, 2, 7, 9, 2, 3, 1, 1, 0x210, 1, 3, 1, 1, 1, 0x123, 2, 1, 1};
    for (size_t i = 0; i < sizeof want / sizeof want[0]; ++i)
        EXPECT_EQ(got[i], want[i]) << "field " << i;
    // The common PLP sits 0x13 further on; a frame interval of 0 means there is none.
    EXPECT_EQ(kit_demod_dvbt2_monitor_ActivePLP(&b.demod, KIT_DVBT2_PLP_COMMON, &plp), 4u);
    b.set(SLVT, 0x22, 0x67, {0, 1, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0x80, 0x00});
    ASSERT_EQ(kit_demod_dvbt2_monitor_ActivePLP(&b.demod, KIT_DVBT2_PLP_COMMON, &plp), 0u);
    EXPECT_EQ(plp.constell, 3u);
    EXPECT_EQ(plp.inBandAFlag, 1);
    EXPECT_EQ(plp.inBandBFlag, 1);

    b.set(SLVT, 0x22, 0x45, {0x81, 0x02, 2, 0xF3, 0x44, 0xF1, 0x01, 0x02, 0x03, 0x04, 0xF5, 0x0A, 0x0B, 0x0C, 9});
    kit_dvbt2_l1post_t post = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_L1Post(&b.demod, &post), 0u);
    EXPECT_EQ(post.subSlicesPerFrame, 0x0102);
    EXPECT_EQ(post.numPLPs, 2);
    EXPECT_EQ(post.numAux, 3);
    EXPECT_EQ(post.rfIdx, 1);
    EXPECT_EQ(post.freq, 0x01020304u);
    EXPECT_EQ(post.fefType, 5);
    EXPECT_EQ(post.fefLength, 0x0A0B0Cu);
    EXPECT_EQ(post.fefInterval, 9);

    b.set(SLVT, 0x20, 0x5C, {0x34, 0x52, 0x13, 0x01, 0x02});
    kit_dvbt2_ofdm_t ofdm = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_OFDM(&b.demod, &ofdm), 0u);
    EXPECT_EQ(ofdm.mixed, 1);
    EXPECT_EQ(ofdm.isMiso, 1);
    EXPECT_EQ(ofdm.mode, 4u);
    EXPECT_EQ(ofdm.gi, 5u);
    EXPECT_EQ(ofdm.pp, 2u);
    EXPECT_EQ(ofdm.bwExt, 1);
    EXPECT_EQ(ofdm.papr, 3u);
    EXPECT_EQ(ofdm.numSymbols, 0x0102);

    // Baseband header: normal mode, then high-efficiency mode.
    std::vector<int> bb = {1, 0xF5, 0x42, 0, 0, 0x12, 0x34, 0x05, 0xE0, 0x47, 0, 0, 0, 0, 1, 2, 3};
    b.set(SLVT, 0x24, 0x92, bb);
    kit_dvbt2_bbheader_t h = {};
    ASSERT_EQ(kit_demod_dvbt2_monitor_BBHeader(&b.demod, KIT_DVBT2_PLP_DATA, &h), 0u);
    EXPECT_EQ(h.streamInput, 3u);
    EXPECT_EQ(h.isSingleInputStream, 1);
    EXPECT_EQ(h.issyIndicator, 0);
    EXPECT_EQ(h.nullPacketDeletion, 1);
    EXPECT_EQ(h.ext, 1);
    EXPECT_EQ(h.inputStreamIdentifier, 0x42);
    EXPECT_EQ(h.dataFieldLength, 0x1234);
    EXPECT_EQ(h.userPacketLength, 1504);
    EXPECT_EQ(h.syncByte, 0x47);
    EXPECT_EQ(h.plpMode, 1u);
    bb[4] = 1;
    b.set(SLVT, 0x24, 0xA8, bb);
    ASSERT_EQ(kit_demod_dvbt2_monitor_BBHeader(&b.demod, KIT_DVBT2_PLP_COMMON, &h), 0u);
    EXPECT_EQ(h.userPacketLength, 0);
    EXPECT_EQ(h.issy, 0x010203u);
    EXPECT_EQ(h.plpMode, 2u);
    b.set(SLVT, 0x20, 0x10, {0x06});  // no TS lock
    EXPECT_EQ(kit_demod_dvbt2_monitor_BBHeader(&b.demod, KIT_DVBT2_PLP_DATA, &h), 4u);

    uint32_t version = 0;
    b.set(SLVT, 0x22, 0x3F, {0x02, 0x80});
    ASSERT_EQ(kit_demod_dvbt2_monitor_Version(&b.demod, &version), 0u);
    EXPECT_EQ(version, 10u);
    // A set change flag is cleared by reading it.
    uint8_t changed = 0;
    b.set(SLVT, 0x22, 0x15, {0x01});
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_dvbt2_monitor_L1Change(&b.demod, &changed), 0u);
    EXPECT_EQ(changed, 1);
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
        uint8_t count = 0;
        ASSERT_EQ(kit_demod_dvbt2_monitor_DataPLPs(&b.demod, ids, &count), 0u) << n;
        EXPECT_EQ(count, n);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(ids[i], i) << n;
        for (size_t i = n; i < sizeof ids; ++i)
            ASSERT_EQ(ids[i], 0xEE) << n;  // nothing past the count
        EXPECT_FALSE(b.frozen());
    }
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
    using Monitor = std::function<kit_result_t(kit_demod_t*, uint32_t*)>;
    const struct {
        const char* name;
        Monitor read;
        std::vector<std::pair<int, std::vector<int>>> regs;  // bank << 8 | reg, bytes
        kit_result_t result;
        uint32_t value;
    } cases[] = {
        {"ldpc 81/16200", kit_demod_dvbt2_monitor_PreLDPCBER,
         {{0x2039, {0x10, 0, 0, 81}}, {0x206F, {0}}, {0x225E, {0}}}, 0, 50000},
        {"ldpc full", kit_demod_dvbt2_monitor_PreLDPCBER,
         {{0x2039, {0x10, 0, 0x3F, 0x48}}, {0x206F, {0}}, {0x225E, {0}}}, 0, 10000000},
        {"ldpc over", kit_demod_dvbt2_monitor_PreLDPCBER,
         {{0x2039, {0x10, 0, 0x3F, 0x49}}, {0x206F, {0}}, {0x225E, {0}}}, 4, 0},
        {"ldpc 2^28 x 10^7", kit_demod_dvbt2_monitor_PreLDPCBER,
         {{0x2039, {0x1F, 0xFF, 0xFF, 0xFF}}, {0x206F, {15}}, {0x225E, {1}}}, 0, 1264198},
        {"ldpc invalid", kit_demod_dvbt2_monitor_PreLDPCBER,
         {{0x2039, {0x00, 0, 0, 1}}, {0x206F, {0}}, {0x225E, {1}}}, 4, 0},
        {"ldpc fec 2", kit_demod_dvbt2_monitor_PreLDPCBER,
         {{0x2039, {0x10, 0, 0, 1}}, {0x206F, {0}}, {0x225E, {2}}}, 10, 0},
        {"bch 1/43200", kit_demod_dvbt2_monitor_PreBCHBER,
         {{0x2440, {1, 0, 0, 1}}, {0x225E, {1}}, {0x225B, {2}}, {0x2072, {0}}}, 0, 23148},
        {"bch full 2/5 short", kit_demod_dvbt2_monitor_PreBCHBER,
         {{0x2440, {1, 0, 0x19, 0x50}}, {0x225E, {0}}, {0x225B, {7}}, {0x2072, {0}}}, 0, 1000000000},
        {"bch over", kit_demod_dvbt2_monitor_PreBCHBER,
         {{0x2440, {1, 0, 0x19, 0x51}}, {0x225E, {0}}, {0x225B, {7}}, {0x2072, {0}}}, 4, 0},
        {"bch 2^22 x 10^9", kit_demod_dvbt2_monitor_PreBCHBER,
         {{0x2440, {1, 0x3F, 0xFF, 0xFF}}, {0x225E, {1}}, {0x225B, {0}}, {0x2072, {15}}}, 0, 3950616},
        {"bch fec 3", kit_demod_dvbt2_monitor_PreBCHBER,
         {{0x2440, {1, 0, 0, 1}}, {0x225E, {3}}, {0x225B, {0}}, {0x2072, {0}}}, 10, 0},
        {"fer 1/1024", kit_demod_dvbt2_monitor_PostBCHFER, {{0x2075, {1, 0, 1}}, {0x2072, {10}}}, 0, 977},
        {"fer over", kit_demod_dvbt2_monitor_PostBCHFER, {{0x2075, {1, 0x04, 0x01}}, {0x2072, {10}}}, 4, 0},
        {"fer invalid", kit_demod_dvbt2_monitor_PostBCHFER, {{0x2075, {0, 0, 1}}, {0x2072, {10}}}, 4, 0},
        {"per 1/16", kit_demod_dvbt2_monitor_PER, {{0x24FA, {1, 0, 1}}, {0x24DC, {4}}}, 0, 62500},
        {"per full", kit_demod_dvbt2_monitor_PER, {{0x24FA, {1, 0x80, 0x00}}, {0x24DC, {15}}}, 0, 1000000},
        {"per over", kit_demod_dvbt2_monitor_PER, {{0x24FA, {1, 0xFF, 0xFF}}, {0x24DC, {15}}}, 4, 0},
        {"packets", kit_demod_dvbt2_monitor_PacketErrorNumber, {{0x24FD, {1, 0x12, 0x34}}}, 0, 0x1234},
        {"packets invalid", kit_demod_dvbt2_monitor_PacketErrorNumber, {{0x24FD, {0, 0x12, 0x34}}}, 4, 0},
    };
    for (const auto& c : cases) {
        T2Bench b;
        for (const auto& r : c.regs)
            b.set(SLVT, r.first >> 8, r.first & 0xFF, r.second);
        uint32_t value = 0;
        EXPECT_EQ(c.read(&b.demod, &value), c.result) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        EXPECT_FALSE(b.frozen()) << c.name;
    }
}

TEST(KitDvbt2Monitor, TsRateSnrAndAverages)
{
    T2Bench b;
    uint32_t rate = 0;
    b.set(SLVT, 0x20, 0xE5, {0x00, 0x03, 0x47, 0xAE});  // 214958
    ASSERT_EQ(kit_demod_dvbt2_monitor_TSRate(&b.demod, &rate), 0u);
    EXPECT_EQ(rate, 117073u);
    // ISSY correction: the stream runs 1000 / 1000000 slower than nominal.
    b.set(SLVT, 0x24, 0x90, {0x01});
    b.set(SLVT, 0x25, 0xB2, {0x00, 0x0F, 0x42, 0x40, 0x00, 0x0F, 0x3E, 0x58});
    ASSERT_EQ(kit_demod_dvbt2_monitor_TSRate(&b.demod, &rate), 0u);
    EXPECT_EQ(rate, 117073u - 117u);
    b.set(SLVT, 0x25, 0xB6, {0x00, 0x0F, 0x42, 0x40});  // a = b
    EXPECT_EQ(kit_demod_dvbt2_monitor_TSRate(&b.demod, &rate), 4u);
    b.set(SLVT, 0x20, 0xE5, {0x00, 0x03, 0x47, 0xAD});
    EXPECT_EQ(kit_demod_dvbt2_monitor_TSRate(&b.demod, &rate), 4u);
    EXPECT_FALSE(b.frozen());

    const struct {
        int v;
        kit_result_t result;
        int32_t snr;
    } snrs[] = {{1, 0, -9000}, {3000, 0, 26900}, {6300, 0, 32000}, {10876, 0, 40000}, {20000, 0, 40000}, {0, 4, 7}};
    for (const auto& s : snrs) {
        b.set(SLVT, 0x20, 0x28, {s.v >> 8, s.v & 0xFF});
        int32_t snr = 7;
        EXPECT_EQ(kit_demod_dvbt2_monitor_SNR(&b.demod, &snr), s.result) << s.v;
        EXPECT_EQ(snr, s.snr) << s.v;
    }

    // History: SNR entries up to the first invalid one.
    int32_t snr = 0;
    EXPECT_EQ(kit_demod_dvbt2_monitor_AveragedSNR(&b.demod, &snr), 4u);
    b.set(SLVT, 0x02, 0x30, {1, 0x0B, 0xB8, 1, 0x0B, 0xBA, 0, 0xFF, 0xFF, 1, 0xFF, 0xFF});
    ASSERT_EQ(kit_demod_dvbt2_monitor_AveragedSNR(&b.demod, &snr), 0u);
    EXPECT_EQ(snr, 26900);  // mean 3001

    // Pre-BCH history (normal 2/3: 43200-bit blocks): 100 errors over 2^2 blocks, 50 over
    // 2^4, then an invalid entry.
    b.set(SLVT, 0x22, 0x5E, {1});
    b.set(SLVT, 0x22, 0x5B, {2});
    b.set(SLVT, 0x20, 0x72, {3});
    b.set(SLVT, 0x02, 0x10, {0x80, 0, 100, 2, 0x80, 0, 50, 4, 0x00, 0, 9, 0});
    uint32_t ber = 0;
    b.set(SLVT, 0x20, 0x7C, {0x01, 0x00});  // per-entry periods
    ASSERT_EQ(kit_demod_dvbt2_monitor_AveragedPreBCHBER(&b.demod, &ber), 0u);
    EXPECT_EQ(ber, 173611u);  // 150 / (43200 x 4 x 5)
    b.set(SLVT, 0x20, 0x7C, {0x00, 0x00});  // one period for all: 2^3
    ASSERT_EQ(kit_demod_dvbt2_monitor_AveragedPreBCHBER(&b.demod, &ber), 0u);
    EXPECT_EQ(ber, 217014u);  // 150 / (43200 x 8 x 2)
    b.set(SLVT, 0x20, 0x7C, {0x00, 0x01});
    EXPECT_EQ(kit_demod_dvbt2_monitor_AveragedPreBCHBER(&b.demod, &ber), 4u);
    EXPECT_FALSE(b.frozen());
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
        {2, 2, 99, 19200, 0, 100},   {2, 2, 100, 19200, 0, 40},   {2, 2, 100000, 19200, 0, 40},
        {2, 2, 100001, 19200, 0, 0}, {2, 2, 200000, 19201, 0, 100}, {2, 2, 0, 16200, 0, 50},
        {2, 2, 0, 13200, 0, 0},      {2, 2, 0, 13199, 0, 0},       {0, 6, 0, 1300, 0, 50},
        {3, 5, 0, 28100, 0, 100},    {4, 0, 0, 30000, 10, 77},     {0, 8, 0, 30000, 10, 77},
    };
    for (const auto& c : cases) {
        uint8_t q = 77;
        EXPECT_EQ(kit_demod_dvbt2_CalcQuality(c.qam, c.rate, c.ber, c.snr, &q), c.result) << c.ber << " " << c.snr;
        EXPECT_EQ(q, c.quality) << c.ber << " " << c.snr;
    }

    // Through the chip: 64-QAM 2/3, no pre-BCH errors, SNR 32 dB.
    T2Bench b;
    b.set(SLVT, 0x22, 0x5B, {2, 2});
    b.set(SLVT, 0x22, 0x5E, {1});
    b.set(SLVT, 0x24, 0x40, {1, 0, 0, 0});
    b.set(SLVT, 0x20, 0x28, {0x18, 0x9C});
    uint8_t q = 0;
    ASSERT_EQ(kit_demod_dvbt2_monitor_Quality(&b.demod, &q), 0u);
    EXPECT_EQ(q, 100);
    b.set(SLVT, 0x20, 0x28, {0x0B, 0xB8});  // 26.9 dB: rel above 3 dB still
    b.set(SLVT, 0x22, 0x5C, {3});           // 256-QAM 2/3 needs 20.8 dB
    ASSERT_EQ(kit_demod_dvbt2_monitor_Quality(&b.demod, &q), 0u);
    EXPECT_EQ(q, 100);
    b.set(SLVT, 0x24, 0x40, {0});  // BER not ready
    EXPECT_EQ(kit_demod_dvbt2_monitor_Quality(&b.demod, &q), 4u);
}

TEST(KitDvbt2Monitor, CarrierAndSamplingOffsets)
{
    const struct {
        kit_dtv_bandwidth_t bw;
        uint32_t x;
        uint32_t inverted;
        kit_result_t result;
        int32_t offset;
    } cases[] = {
        {8, 940, 0, 0, -8},          {6, 940, 0, 0, -6},  {8, 0x0FFFFC54, 0, 0, 8}, {1, 582, 0, 0, -1},
        {8, 940, 1, 0, 8},           {7, 0x07FFFFFF, 0, 0, -999493}, {2, 940, 0, 3, 7},
    };
    for (const auto& c : cases) {
        T2Bench b;
        b.demod.bandwidth = c.bw;
        b.demod.ifSpectrumInverted = c.inverted;
        b.set(SLVT, 0x20, 0x4C, {int(c.x >> 24), int(c.x >> 16) & 0xFF, int(c.x >> 8) & 0xFF, int(c.x) & 0xFF});
        int32_t offset = 7;
        EXPECT_EQ(kit_demod_dvbt2_monitor_CarrierOffset(&b.demod, &offset), c.result) << c.x;
        EXPECT_EQ(offset, c.offset) << c.x;
    }

    // Nominal word 0x15 00000000 gives the divisor 451.
    const struct {
        std::vector<int> tracked, nominal;
        kit_result_t result;
        int32_t offset;
    } samplings[] = {
        {{0x15, 0, 0, 0x10, 0}, {0x15, 0, 0, 0, 0}, 0, 5},
        {{0x15, 0, 0, 0, 0}, {0x15, 0, 0, 0x10, 0}, 0, -5},
        {{0x16, 0, 0, 0x10, 0}, {0x15, 0, 0, 0, 0}, 0, 4761609},  // one wrap ahead
        {{0x17, 0, 0, 0, 0}, {0x15, 0, 0, 0, 0}, 4, 7},
        {{0x00, 0, 0, 0x10, 0}, {0x00, 0, 0, 0, 0}, 4, 7},  // no nominal rate
    };
    for (const auto& s : samplings) {
        T2Bench b;
        b.set(SLVT, 0x20, 0x52, s.tracked);
        b.set(SLVT, 0x20, 0x9F, s.nominal);
        int32_t ppm = 7;
        EXPECT_EQ(kit_demod_dvbt2_monitor_SamplingOffset(&b.demod, &ppm), s.result);
        EXPECT_EQ(ppm, s.offset);
        EXPECT_FALSE(b.frozen());
    }
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
        EXPECT_EQ(max, t.max) << int(t.tap);
        EXPECT_EQ(min, t.result ? 9u : 0u);
        EXPECT_EQ(b.regWrites(0x21).empty(), t.result != 0);
        EXPECT_FALSE(b.frozen());
    }
    // MISO, PP4, normal carriers, tone reservation: data cells less the reserved ones.
    std::vector<int> miso = kL1Pre;
    miso[1] = 0;
    miso[2] = 1;
    miso[6] = 2;
    miso[16] = 3;
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
    EXPECT_EQ(i, -512);
    EXPECT_EQ(q, 511);
    b.set(SLVT, 0x21, 0x97, {4});
    b.set(SLVT, 0x21, 0x9B, {0x40, 0x20, 0x00, 0x1F, 0xFF});
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_Constellation(&b.demod, 0, &i, &q), 0u);
    EXPECT_EQ(i, -8192);
    EXPECT_EQ(q, 8191);
    b.set(SLVT, 0x21, 0x97, {5});
    EXPECT_EQ(kit_demod_dvbt2_adv_monitor_Constellation(&b.demod, 0, &i, &q), 10u);

    b.set(SLVT, 0x21, 0x9B, {0x40, 0, 0, 0, 1, 0x03, 0xE8});
    int32_t power = 0;
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_ChannelSpectrum(&b.demod, 0, &power), 0u);
    EXPECT_EQ(power, 20969);  // 10 log10(1000) - 9.031 dB
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_DelayProfile(&b.demod, 0, &power), 0u);
    EXPECT_EQ(power, 6418);  // word 2^12 + 1000 / 2, power its top 30 bits: 1149
    b.set(SLVT, 0x21, 0x9B, {0x40, 0, 0, 0, 0, 0, 0});
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_DelayProfile(&b.demod, 0, &power), 0u);
    EXPECT_EQ(power, -50000);

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
    uint32_t iterations = 0;
    ASSERT_EQ(kit_demod_dvbt2_adv_monitor_LDPCIter(&b.demod, &iterations), 0u);
    EXPECT_EQ(iterations, 17u);
}

TEST(KitDvbt2Monitor, NotReadyAndFailuresLeaveTheFreezeReleased)
{
    using Call = std::function<kit_result_t(kit_demod_t*)>;
    uint32_t u = 0;
    int32_t s = 0;
    uint8_t c = 0;
    kit_dvbt2_ofdm_t ofdm;
    kit_dvbt2_l1pre_t pre;
    kit_dvbt2_l1post_t post;
    kit_dvbt2_plp_t plp;
    const std::vector<std::pair<const char*, Call>> calls = {
        {"offset", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_CarrierOffset(d, &s); }},
        {"version", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_Version(d, &u); }},
        {"ofdm", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_OFDM(d, &ofdm); }},
        {"plps", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_DataPLPs(d, nullptr, &c); }},
        {"plp", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_ActivePLP(d, KIT_DVBT2_PLP_DATA, &plp); }},
        {"change", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_L1Change(d, &c); }},
        {"post", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_L1Post(d, &post); }},
        {"pre", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_L1Pre(d, &pre); }},
        {"inband", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_InBandBTSRate(d, KIT_DVBT2_PLP_DATA, &u); }},
        {"sense", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_SpectrumSense(d, &u); }},
        {"snr", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_SNR(d, &s); }},
        {"tsrate", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_TSRate(d, &u); }},
        {"qam", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_QAM(d, KIT_DVBT2_PLP_COMMON, &u); }},
        {"rate", [&](kit_demod_t* d) { return kit_demod_dvbt2_monitor_CodeRate(d, KIT_DVBT2_PLP_DATA, &u); }},
        {"mer", [&](kit_demod_t* d) { return kit_demod_dvbt2_adv_monitor_MER(d, &s); }},
    };
    for (const auto& call : calls) {
        T2Bench b;
        b.set(SLVT, 0x20, 0x10, {0x04});  // sync state 4, no TS lock
        b.set(SLVT, 0x22, 0x12, {0x00});  // no L1-post
        EXPECT_EQ(call.second(&b.demod), 4u) << call.first;
        EXPECT_FALSE(b.frozen()) << call.first;
        T2Bench f;
        f.i2c.failRegister(SLVT, 0x22, 0x12);
        f.i2c.failRegister(SLVT, 0x20, 0x10);
        EXPECT_EQ(call.second(&f.demod), 2u) << call.first;
        EXPECT_FALSE(f.frozen()) << call.first;
        f.activeOn(KIT_DTV_SYSTEM_DVBT, KIT_DTV_BW_8_MHZ);
        EXPECT_EQ(call.second(&f.demod), 3u) << call.first;
        EXPECT_TRUE(f.i2c.writes().empty()) << call.first;
    }
}
