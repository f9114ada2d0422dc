// DVB-C2 on the fake register files: tune, band-only retune and sleep trails, carrier words both
// ways, lock checks, and the monitors at their values and limits with the freeze released.
#include "KitTrail.h"
#include "chipkit/kit_demod_dvbc2.h"
#include "chipkit/kit_demod_dvbc2_monitor.h"
#include "chipkit/kit_demod_output.h"

#include <gtest/gtest.h>

using namespace kittest;

namespace {

kit_result_t tune(kit_demod_t* d, kit_dtv_bandwidth_t bw)
{
    const kit_dvbc2_tune_param_t p = {474000, bw, 1, 2, 0, 0};
    return kit_demod_dvbc2_Tune(d, &p);
}

std::vector<Step> band(kit_dtv_bandwidth_t bw)
{
    const bool six = bw == KIT_DTV_BW_6_MHZ;
    const int a = six ? 0x1B : 0x14, b = six ? 0x70 : 0xA0;
    return bytes(0x20, 0x9F, {six ? 0x1C : 0x15, 0, 0, 0, 0}) + std::vector<Step>{W(SLVT, 0x27, 0x7A, 0x00)} +
           (six ? bytes(0x10, 0xA6, {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28, 0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8})
                : bytes(0x10, 0xA6, {0x2F, 0xBA, 0x28, 0x9B, 0x28, 0x9D, 0x28, 0xA1, 0x29, 0xA5, 0x2A, 0xAC, 0x29, 0xB5})) +
           (six ? bytes(0x10, 0xB6, {0x13, 0xBB, 0xBC}) : bytes(0x10, 0xB6, {0x1A, 0x22, 0x22})) +
           std::vector<Step>{W(SLVT, 0x10, 0xD7, six ? 0x04 : 0x00), W(SLVT, 0x50, 0xEC, a), W(SLVT, 0x50, 0xED, b),
                             W(SLVT, 0x50, 0xEF, a), W(SLVT, 0x50, 0xF1, b)};
}

// The registers the chip's DVB-C2 core is woken with (values) and left with (rest).
std::vector<Step> coreSetting(bool wake)
{
    const auto v = [wake](int on, int off) { return wake ? on : off; };
    return std::vector<Step>{W(SLVT, 0x25, 0x6A, v(0, 2))} + bytes(0x25, 0x89, {v(0x0C, 0x07), v(0xD1, 0x61), v(0x40, 0x36)}) +
           std::vector<Step>{W(SLVT, 0x25, 0xCB, v(1, 5))} +
           bytes(0x25, 0xDC, {v(0x7B, 0x2E), v(0x00, 0xE0), v(0x7B, 0x2E), v(0x00, 0xE0)}) +
           std::vector<Step>{W(SLVT, 0x25, 0xE2, v(0x30, 0x2F)), W(SLVT, 0x25, 0xE5, v(0x30, 0x2F)), W(SLVT, 0x27, 0x20, v(1, 0)),
                             W(SLVT, 0x27, 0x35, v(1, 0)),       W(SLVT, 0x27, 0xD9, v(0x18, 0x19)), W(SLVT, 0x2A, 0x38, v(0, 4)),
                             W(SLVT, 0x2A, 0x78, v(0, 1)),       W(SLVT, 0x2A, 0x86, v(0x20, 0x08)), W(SLVT, 0x2A, 0x88, v(0x32, 0x14)),
                             W(SLVT, 0x2B, 0x11, v(0, 0x20)),    W(SLVT, 0x2B, 0x2B, v(0x10, 0)),   W(SLVT, 0x2D, 0x24, v(1, 0x89)),
                             W(SLVT, 0x2D, 0x25, v(1, 0x89))};
}

struct Active : DemodBench {
    explicit Active(uint8_t sync = 0x26)
    {
        initialize();
        EXPECT_EQ(tune(&demod, KIT_DTV_BW_8_MHZ), 0u);
        i2c.setReg(SLVT, 0x20, 0x10, sync);
        i2c.clearLog();
    }
    void set(int bank, int reg, std::initializer_list<int> values) { setBytes(i2c, bank, reg, values); }
};

} // namespace

TEST(KitDvbc2Tune, FromSleepRetuneAndSleepTrails)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    EXPECT_EQ(tune(&b.demod, KIT_DTV_BW_7_MHZ), 3u);
    EXPECT_TRUE(b.i2c.writes().empty());
    ASSERT_EQ(tune(&b.demod, KIT_DTV_BW_8_MHZ), 0u);
    EXPECT_EQ(b.i2c.trail(), (writesOf([](kit_demod_t* d) { kit_demod_SetTSClockModeAndFreq(d, 4); }) + coreWake(0x05) +
                              std::vector<Step>{W(SLVT, 0x11, 0x6A, 0x50), W(SLVT, 0x10, 0xA5, 1), W(SLVT, 0, 0xCE, 1),
                                                W(SLVT, 0, 0xCF, 1), W(SLVT, 0x20, 0xC2, 0)} +
                              coreSetting(true) + bytes(0x11, 0x33, {0x00, 0x03, 0x3B}) + band(KIT_DTV_BW_8_MHZ) +
                              std::vector<Step>{W(SLVT, 0, 0x80, 0x08), W(SLVT, 0, 0x81, 0x00)}));

    b.i2c.clearLog();
    ASSERT_EQ(tune(&b.demod, KIT_DTV_BW_6_MHZ), 0u);
    EXPECT_EQ(b.i2c.trail(), (std::vector<Step>{W(SLVT, 0, 0xC3, 1)} + band(KIT_DTV_BW_6_MHZ)));

    // With the TLV output the retune stops that output instead; without the filter flag no set.
    b.demod.tlvOutputDvbc2 = 1;
    b.demod.tunerFilter = 0;
    b.i2c.clearLog();
    ASSERT_EQ(tune(&b.demod, KIT_DTV_BW_8_MHZ), 0u);
    EXPECT_EQ(std::make_tuple(b.i2c.writes().front(), b.i2c.writesTo(SLVT, 0x10).size()),
              std::make_tuple(W(SLVT, 0x01, 0xC0, 1), size_t(4)));
    b.demod.tlvOutputDvbc2 = 0;

    // The sleep releases the preset on a chip whose 0x51 and 0x6F held 0.
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Sleep(&b.demod), 0u);
    EXPECT_EQ(b.i2c.trail(),
              (std::vector<Step>{W(SLVT, 0, 0xC3, 1), W(SLVT, 0, 0x80, 0x1F), W(SLVT, 0, 0x81, 0xFF), W(SLVT, 0x20, 0xC2, 0x11)} +
               coreSetting(false) + bytes(0x27, 0xF4, {0x02, 0x80}) + std::vector<Step>{W(SLVT, 0x27, 0x51, 0x40)} +
               bytes(0x27, 0x73, {0x07, 0x3F, 0x3F, 0x19}) + bytes(0x20, 0x9F, {0x15, 0, 0, 0, 0}) +
               std::vector<Step>{W(SLVT, 0x27, 0xC9, 0x07), W(SLVT, 0x20, 0xC2, 0x11)} +
               bytes(0x2A, 0x20, {0x16, 0xF0, 0x2B, 0xD8, 0x16, 0x16, 0xF0, 0x2C, 0xD8, 0x16}) +
               bytes(0x50, 0x6B, {0, 0, 0, 0, 0}) + coreSleep()));
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_SLEEP);
}

TEST(KitDvbc2Tune, CarrierWordsBothWays)
{
    const struct {
        kit_dtv_bandwidth_t bw;
        uint32_t kHz, word, back;
    } cases[] = {{8, 474000, 212352, 474000}, {8, 858000, 384384, 858000}, {6, 114000, 68100, 114006}, {8, 1, 0, 0}};
    for (const auto& c : cases) {
        const uint32_t w = value(kit_demod_dvbc2_CarrierWord, c.bw, c.kHz);
        EXPECT_EQ(std::make_tuple(w, value(kit_demod_dvbc2_CarrierWordFrequency, c.bw, w)), std::make_tuple(c.word, c.back));
    }
    uint32_t w = 0;
    EXPECT_EQ(kit_demod_dvbc2_CarrierWord(7, 474000, &w), 8u);
    EXPECT_EQ(kit_demod_dvbc2_CarrierWordFrequency(5, 1, &w), 8u);
    // Beyond what the chip's arithmetic holds: refused, never wrapped.
    EXPECT_EQ(kit_demod_dvbc2_CarrierWord(6, 2400000, &w), 1u);
    EXPECT_EQ(kit_demod_dvbc2_CarrierWord(6, 2396745, &w), 0u);
    EXPECT_EQ(kit_demod_dvbc2_CarrierWordFrequency(8, 0xFFFFFF, &w), 1u);
    EXPECT_EQ(value(kit_demod_dvbc2_CarrierWordFrequency, 8, 0xFFFFFE), 37449138u);
    EXPECT_EQ(kit_demod_dvbc2_CarrierWord(8, 1, nullptr), 1u);
}

TEST(KitDvbc2Lock, SyncStateCombinations)
{
    const struct {
        uint8_t reg;
        kit_result_t result;
        kit_demod_lock_result_t demodLock, tsLock;
    } cases[] = {{0x26, 0, 1, 1}, {0x06, 0, 1, 0}, {0x16, 0, 2, 2}, {0x25, 0, 0, 0}, {0x07, 4, 9, 9}, {0xC6, 0, 1, 0}};
    Active b;
    for (const auto& c : cases) {
        b.set(0x20, 0x10, {c.reg});
        for (uint8_t scan : {0, 1}) {
            b.demod.scanMode = scan;
            kit_demod_lock_result_t demodLock = 9, tsLock = 9;
            EXPECT_EQ(std::make_tuple(kit_demod_dvbc2_CheckDemodLock(&b.demod, &demodLock),
                                      kit_demod_dvbc2_CheckTSLock(&b.demod, &tsLock), demodLock, tsLock),
                      std::make_tuple(c.result, c.result, c.demodLock, c.tsLock)) << int(c.reg);
        }
    }
    kit_demod_lock_result_t lock = 0;
    EXPECT_EQ(kit_demod_dvbc2_CheckTSLock(&b.demod, nullptr), 1u);
    b.demod.system = KIT_DTV_SYSTEM_DVBC;
    EXPECT_EQ(kit_demod_dvbc2_CheckTSLock(&b.demod, &lock), 3u);
    b.demod.system = KIT_DTV_SYSTEM_DVBC2;

    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_dvbc2_SetPlpId(&b.demod, 7), 0u);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0x50, 0x7F, 7), W(SLVT, 0x50, 0x87, 1)}));
    b.demod.state = KIT_DEMOD_STATE_SLEEP;
    EXPECT_EQ(kit_demod_dvbc2_SetPlpId(&b.demod, 7), 3u);
}

TEST(KitDvbc2Monitor, QualityErrorRatesSignallingAndOffsetsAtTheirValuesAndLimits)
{
    Active b;
    kit_demod_t* d = &b.demod;
    const Monitor mer = monitor(kit_demod_dvbc2_adv_monitor_MER), snr = monitor(kit_demod_dvbc2_monitor_SNR),
                  per = monitor(kit_demod_dvbc2_monitor_PER), fer = monitor(kit_demod_dvbc2_monitor_PostBCHFER),
                  packets = monitor(kit_demod_dvbc2_monitor_PacketErrorNumber),
                  ldpc = monitor(kit_demod_dvbc2_monitor_PreLDPCBER), bch = monitor(kit_demod_dvbc2_monitor_PreBCHBER),
                  rate = monitor(kit_demod_dvbc2_monitor_TSRate), offset = monitor(kit_demod_dvbc2_monitor_CarrierOffset),
                  sense = monitor(kit_demod_dvbc2_monitor_SpectrumSense),
                  sampling = monitor(kit_demod_dvbc2_monitor_SamplingOffset);
    auto snrOf = [](int v) { return std::vector<Bytes>{{0x20, 0x28, {v >> 8, v & 0xFF}}}; };
    // Pre-LDPC BER: frame length from the FEC type; the largest count in 64 bits.
    auto ldpcOf = [](std::vector<int> count, int window, int fec) {
        return std::vector<Bytes>{{0x20, 0x39, count}, {0x20, 0x6F, {window}}, {0x52, 0x15, {fec}}};
    };
    // Pre-BCH BER: block size by code rate and frame; rate codes 0 and above 5 have none.
    auto bchOf = [](std::vector<int> count, int window, int frame, int codeRate) {
        return std::vector<Bytes>{{0x24, 0x40, count}, {0x20, 0x72, {window}}, {0x52, 0x15, {frame, codeRate}}};
    };
    auto samplingOf = [](std::vector<int> word) { return std::vector<Bytes>{{0x20, 0x9F, word}}; };
    expectReadings(b, {
        {{{0x20, 0x2C, {0x10, 0x00}}}, mer, 0, 30079}, {{{0x20, 0x2C, {0x00, 0x00}}}, mer, 4, 0},
        // SNR signed across its range: a weak estimate reads below 0 dB, never a wrapped value.
        {snrOf(27500), snr, 0, 38400}, {snrOf(55000), snr, 0, 50000}, {snrOf(1), snr, 0, -9000},
        {{{0x24, 0xFA, {0x01, 0x00, 0x03}}, {0x24, 0xDC, {0x0A}}}, per, 0, 2930},
        {{{0x24, 0xDC, {0xF0}}, {0x24, 0xFA, {0x01, 0x00, 0x01}}}, per, 0, 1000000},  // one packet: no rounding up
        {{{0x24, 0xFA, {0x01, 0x00, 0x02}}}, per, 4, 0}, {{{0x24, 0xFA, {0x00, 0x00, 0x00}}}, per, 4, 0},
        {{{0x20, 0x75, {0x01, 0xFF, 0xFF}}, {0x20, 0x72, {0x0F}}}, fer, 0, 999969},  // top bit not the count's
        {{{0x20, 0x72, {0x0E}}}, fer, 4, 0},
        {{{0x24, 0xFD, {0x01, 0x12, 0x34}}}, packets, 0, 0x1234}, {{{0x24, 0xFD, {0x00}}}, packets, 4, 0},
        {ldpcOf({0x10, 0x00, 0x3F, 0x48}, 0, 0x00), ldpc, 0, 10000000}, {ldpcOf({0x10, 0x00, 0x3F, 0x49}, 0, 0x00), ldpc, 4, 0},
        {ldpcOf({0x1F, 0xFF, 0xFF, 0xFF}, 15, 0x10), ldpc, 0, 1264198}, {ldpcOf({0x0F, 0xFF, 0xFF, 0xFF}, 15, 0x10), ldpc, 4, 0},
        {bchOf({0x01, 0x00, 0x2A, 0x30}, 0, 0x00, 1), bch, 0, 1000000000}, {bchOf({0x01, 0x00, 0x2A, 0x31}, 0, 0x00, 1), bch, 4, 0},
        {bchOf({0x01, 0xFF, 0xFF, 0xFF}, 15, 0x10, 5), bch, 0, 2194787}, {bchOf({0x01, 0x00, 0x00, 0x01}, 0, 0x00, 6), bch, 4, 0},
        // TS rate with and without the input-stream correction (1000000 and 999000).
        {{{0x20, 0xE5, {0x00, 0x03, 0x47, 0xAE}}, {0x24, 0x90, {0x00}}}, rate, 0, 117073},  // 214958
        {{{0x24, 0x90, {0x01}}, {0x25, 0xB2, {0x00, 0x0F, 0x42, 0x40, 0x00, 0x0F, 0x3E, 0x58}}}, rate, 0, 116956},
        {{{0x25, 0xB6, {0x00, 0x0F, 0x42, 0x40}}}, rate, 4, 0},
        {{{0x20, 0xE5, {0xE0, 0x03, 0x47, 0xAD}}}, rate, 4, 0},  // 214957 under bits the word does not hold
        {{{0x20, 0x10, {0x06}}, {0x20, 0xE5, {0x00, 0x03, 0x47, 0xAE}}, {0x24, 0x90, {0x00}}}, rate, 4, 0},  // no TS lock
        {{{0x20, 0x10, {0x26}}, {0x20, 0x4C, {0x00, 0x00, 0x03, 0xAC}}}, offset, 0, -8},  // 940
        {{{0x28, 0xE6, {0x01}}}, sense, 0, 1},
        // Sampling offset in 10^-8 of the 8 MHz nominal word, rounded away from zero.
        {samplingOf({0x15, 0x00, 0x01, 0x00, 0x00}), sampling, 0, 73}, {samplingOf({0x14, 0xFF, 0xFF, 0x00, 0x00}), sampling, 0, -73},
        {samplingOf({0x16, 0x00, 0x00, 0x00, 0x00}), sampling, 0, 4761605}, {samplingOf({0x17, 0, 0, 0, 0}), sampling, 4, 0},
    });
    b.demod.ifSpectrumInverted = 1;
    expectReadings(b, {
        {{}, offset, 0, 8}, {{}, sense, 0, 0},
        {{{0x20, 0x4C, {0xFF, 0x80, 0x00, 0x00}}}, offset, 0, -71392},  // -2^23, top nibble not the value's
    });

    // The received PLP's modulation and coding; the highest rate of a long frame reads 6.
    const auto plp = [](auto read, kit_dvbc2_plp_type_t type) {
        return monitorOf<uint8_t>([read, type](kit_demod_t* x, uint8_t* v) { return read(x, type, v); });
    };
    const Monitor dataQam = plp(kit_demod_dvbc2_monitor_QAM, KIT_DVBC2_PLP_DATA_NORMAL),
                  dataRate = plp(kit_demod_dvbc2_monitor_CodeRate, KIT_DVBC2_PLP_DATA_NORMAL),
                  groupedLength = plp(kit_demod_dvbc2_monitor_LDPCCodeLength, KIT_DVBC2_PLP_DATA_GROUPED),
                  commonQam = plp(kit_demod_dvbc2_monitor_QAM, KIT_DVBC2_PLP_COMMON),
                  commonRate = plp(kit_demod_dvbc2_monitor_CodeRate, KIT_DVBC2_PLP_COMMON);
    expectReadings(b, {
        {{{0x52, 0x15, {0x10, 0x35}}}, dataQam, 0, 3}, {{}, groupedLength, 0, 1},
        {{}, dataRate, 0, 6}, {{{0x52, 0x15, {0x00}}}, dataRate, 0, 5},
        {{{0x52, 0x17, {0x00, 0x10, 0x24}}}, commonQam, 4, 0},  // no common PLP
        {{{0x52, 0x17, {0x01}}}, commonQam, 0, 2}, {{}, commonRate, 0, 4}, {{{0x20, 0x10, {0x06}}}, dataQam, 4, 0},
    });
    uint8_t v = 0;
    EXPECT_EQ(kit_demod_dvbc2_monitor_QAM(d, 3, &v), 1u);
    b.set(0x20, 0x10, {0x26});

    // Guard interval from the notch tune's layer-1 copy, else from the layer-1 data once ready.
    const Monitor gi = monitor(kit_demod_dvbc2_monitor_GI);
    expectReadings(b, {{{{0x50, 0x6E, {0x01}}, {0x50, 0x55, {0x10}}}, gi, 0, KIT_DVBC2_GI_1_64},
                       {{{0x50, 0x6E, {0x00}}, {0x50, 0x15, {0x00}}}, gi, 4, 0},
                       {{{0x52, 0x1F, {0x01}}, {0x50, 0xC4, {0x01}}}, gi, 0, KIT_DVBC2_GI_1_128}});

    // Layer-1 part 2: header fields, the notch list, the reserved tone.
    kit_dvbc2_l1_part2_t l1 = {};
    b.set(0x52, 0x1F, {0x00});
    EXPECT_EQ(kit_demod_dvbc2_monitor_L1Data(d, &l1), 4u);
    b.set(0x52, 0x1F, {0x01});
    b.set(0x52, 0x20, {0x12, 0x34, 0x56, 0x78, 0x03, 0x34, 0x20, 0x00, 0x8E, 0xFD, 0xFE, 0x01, 0x07, 0x02, 0xF2});
    b.set(0x52, 0x4D, {0xC0, 0x0A, 0xFE, 0x05, 0xAA, 0x01, 0x00, 0x01, 0x00, 0x00});
    b.set(0x52, 0x98, {0x01, 0x00, 0x00});
    ASSERT_EQ(kit_demod_dvbc2_monitor_L1Data(d, &l1), 0u);
    EXPECT_EQ((std::vector<uint32_t>{l1.networkId, l1.c2SystemId, l1.startFrequency, l1.c2Bandwidth, l1.guardInterval,
                                     l1.frameLength, l1.changeCounter, l1.numDataSlices, l1.numNotches, l1.notches[0].start,
                                     l1.notches[0].width, l1.notches[1].start, l1.notches[1].width, l1.notches[2].width,
                                     l1.reservedTone}),
              (std::vector<uint32_t>{0x1234, 0x5678, 209952, 142, 1, 0x201, 7, 2, 2, 10, 5, 0x100, 0x100, 0, 1}));
    EXPECT_TRUE(freezeReleased(b.i2c));
}

TEST(KitDvbc2Monitor, FilteredMerAndCaptures)
{
    Active b;
    kit_demod_t* d = &b.demod;
    kit_dvbc2_mer_filter_t filter;
    ASSERT_EQ(kit_demod_dvbc2_adv_monitor_InitMERFilter(d, &filter), 0u);
    int32_t mer = 0;
    b.set(0x20, 0x2C, {0x10, 0x00});  // 30.079 dB
    b.i2c.clearLog();
    EXPECT_EQ(value(kit_demod_dvbc2_adv_monitor_FilteredMER, d, &filter), 30079);
    const auto flags = b.i2c.writesTo(SLVT, 0x20);
    EXPECT_EQ(std::make_pair(flags.front(), flags.back()), std::make_pair(std::make_pair(0x9D, 0x01), std::make_pair(0x9D, 0x14)));
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(kit_demod_dvbc2_adv_monitor_FilteredMER(d, &filter, &mer), 0u);
    b.set(0x20, 0x2C, {0x20, 0x00});  // 33.179 dB: the ninetieth read fills the long window
    ASSERT_EQ(kit_demod_dvbc2_adv_monitor_FilteredMER(d, &filter, &mer), 0u);
    // 30423 on average, halfway to the peak.
    EXPECT_EQ(std::make_tuple(mer, filter.shortWindow.count, filter.longWindow.count), std::make_tuple(31801, 1, 0));
    b.set(0x20, 0x2C, {0x00, 0x00});
    b.i2c.clearLog();
    EXPECT_EQ(kit_demod_dvbc2_adv_monitor_FilteredMER(d, &filter, &mer), 4u);
    EXPECT_EQ(b.i2c.writesTo(SLVT, 0x20).back(), std::make_pair(0x9D, 0x14));
    EXPECT_TRUE(freezeReleased(b.i2c));

    // Captures: the index written and triggered, the point read once ready.
    int16_t i = 0, q = 0;
    b.set(0x21, 0x9B, {0x40, 0xC2, 0x00, 0x01, 0xFF});  // the top bits are not the value's
    ASSERT_EQ(kit_demod_dvbc2_adv_SetConstellationTap(d, 1), 0u);
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_dvbc2_adv_monitor_Constellation(d, 0x1234, &i, &q), 0u);
    EXPECT_EQ(std::make_tuple(b.i2c.writesTo(SLVT, 0x21), i, q),
              std::make_tuple(std::vector<std::pair<int, int>>{{0x98, 0x12}, {0x99, 0x34}, {0x9A, 1}}, 0x200, 0x1FF));
    ASSERT_EQ(kit_demod_dvbc2_adv_SetConstellationTap(d, 4), 0u);
    b.set(0x21, 0x9B, {0x40, 0x20, 0x00, 0x1F, 0xFF});
    ASSERT_EQ(kit_demod_dvbc2_adv_monitor_Constellation(d, 0, &i, &q), 0u);
    EXPECT_EQ(std::make_tuple(i, q), std::make_tuple(-8192, 8191));
    EXPECT_EQ(kit_demod_dvbc2_adv_SetConstellationTap(d, 5), 1u);
    b.set(0x21, 0x97, {0x05});
    EXPECT_EQ(kit_demod_dvbc2_adv_monitor_Constellation(d, 0, &i, &q), 10u);
    EXPECT_EQ(kit_demod_dvbc2_adv_monitor_Constellation(d, 0x8000, &i, &q), 1u);

    b.set(0x21, 0x9B, {0x40, 0, 0, 0x3F, 0xFF, 0x10, 0x00});
    EXPECT_EQ(std::make_tuple(value(kit_demod_dvbc2_adv_monitor_ChannelSpectrum, d, 100),
                              value(kit_demod_dvbc2_adv_monitor_DelayProfile, d, 100)),
              std::make_tuple(27069, 66218));  // 30-bit power 0x3FFF1000
    b.set(0x21, 0x9B, {0x40, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(std::make_tuple(value(kit_demod_dvbc2_adv_monitor_ChannelSpectrum, d, 100),
                              value(kit_demod_dvbc2_adv_monitor_DelayProfile, d, 100)),
              std::make_tuple(-9031, -50000));

    // No point ready within 60 polls: time-out after 590 ms of waits.
    b.set(0x21, 0x9B, {0x00});
    const uint64_t before = b.board.clock().monotonicUs();
    EXPECT_EQ(kit_demod_dvbc2_adv_monitor_Constellation(d, 0, &i, &q), 5u);
    EXPECT_EQ(b.board.clock().monotonicUs() - before, 590000u);
    b.set(0x20, 0x10, {0x05});
    EXPECT_EQ(kit_demod_dvbc2_adv_monitor_Constellation(d, 0, &i, &q), 4u);

    ASSERT_EQ(kit_demod_dvbc2_adv_SetDelayProfile(d, 1, 1), 0u);
    EXPECT_EQ(std::make_tuple(b.i2c.writesTo(SLVT, 0x21).back(), b.i2c.reg(SLVT, 0x21, 0xC3)),
              std::make_tuple(std::make_pair(0xC4, 1), 1));
    EXPECT_EQ(kit_demod_dvbc2_adv_SetDelayProfile(d, 1, 2), 1u);
    int32_t levels[2] = {0, 0}, delays[2] = {7, 7};
    EXPECT_EQ(kit_demod_dvbc2_adv_monitor_DelayProfileCalculate(d, levels, delays, 2), 8u);
    EXPECT_EQ(delays[0], 7);
}

TEST(KitDvbc2Monitor, NotReadyWhenUnlockedAndTheFreezeAlwaysLetGo)
{
    int32_t s = 0;
    uint8_t v = 0;
    uint32_t u = 0;
    const std::function<kit_result_t(kit_demod_t*)> synced[] = {
        [&](kit_demod_t* d) { return kit_demod_dvbc2_adv_monitor_MER(d, &s); },
        [&](kit_demod_t* d) { return kit_demod_dvbc2_monitor_CarrierOffset(d, &s); },
        [&](kit_demod_t* d) { return kit_demod_dvbc2_monitor_CodeRate(d, 1, &v); },
    };
    for (const auto& read : synced) {
        Active b(0x05);
        b.set(0x20, 0x2C, {0x10, 0x00});
        b.set(0x20, 0x28, {0x10, 0x00});
        b.set(0x20, 0x9F, {0x15});
        b.set(0x20, 0xE5, {0x00, 0x03, 0x47, 0xAE});
        EXPECT_EQ(read(&b.demod), 4u);
        EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0x01, 1), W(SLVT, 0x20, 0x01, 0)}));
        b.set(0x20, 0x10, {0x26});
        EXPECT_EQ(read(&b.demod), 0u);
        b.i2c.failRegister(SLVT, 0x20, 0x10);
        EXPECT_EQ(read(&b.demod), 2u);
        EXPECT_TRUE(freezeReleased(b.i2c));
        b.i2c.clearFaults();
        b.set(0x20, 0x10, {0x07});
        EXPECT_EQ(read(&b.demod), 4u);
        EXPECT_TRUE(freezeReleased(b.i2c));
        b.demod.state = KIT_DEMOD_STATE_SLEEP;
        b.i2c.clearLog();
        EXPECT_EQ(read(&b.demod), 3u);
        EXPECT_TRUE(b.i2c.writes().empty());
    }
    // The counters carry valid flags of their own.
    Active b(0x00);
    for (auto read : {kit_demod_dvbc2_monitor_PER, kit_demod_dvbc2_monitor_PreBCHBER, kit_demod_dvbc2_monitor_PacketErrorNumber})
        EXPECT_EQ(read(&b.demod, &u), 4u);
    EXPECT_TRUE(freezeReleased(b.i2c));
    b.set(0x20, 0x26, {0xF1, 0x23});
    EXPECT_EQ(value(kit_demod_dvbc2_monitor_IFAGCOut, &b.demod), 0x123u);
}
