// Adjustment data of the demodulator driver: blobs of every standard loaded into their
// sections, and every rejected blob (header, version, delay, MER, BER, constellation and
// link-margin fields, the reader's own failure, no buffer) leaving the defaults with its error.
#include "AdjustmentBlob.h"

#include "demod/DrvCXD2856_adjust.h"
#include "demod/DrvCXD2856_default.h"
#include "demod/embedded_rtos.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

namespace {

// The blob the reader hands out, how often it was asked and with what capacity.
struct Reader {
    std::vector<uint8_t> blob;
    KxlDrvLibError answer{};
    int calls = 0;
    uint32_t capacity = 0;
};

Reader& reader()
{
    static Reader r;
    return r;
}

KxlDrvLibError* readBlob(KxlDrvLibError* err, uint8_t* buffer, uint32_t capacity)
{
    Reader& r = reader();
    ++r.calls;
    r.capacity = capacity;
    std::memset(buffer, 0, capacity);
    std::memcpy(buffer, r.blob.data(), std::min<size_t>(r.blob.size(), capacity));
    *err = r.answer;
    return err;
}

// A MER table in a slot of n pairs: maximum, points, the end marker, padding.
void merSlot(AdjustmentBlob& b, int n, uint16_t maximum, std::vector<std::pair<uint16_t, uint16_t>> points)
{
    b.u16(maximum);
    points.emplace_back(0xFFFF, 0);
    points.resize(n, {0, 0});
    for (const auto& p : points)
        b.u16(p.first).u16(p.second);
}

void berSlot(AdjustmentBlob& b, std::vector<std::pair<uint16_t, uint16_t>> entries)
{
    entries.emplace_back(0xFFFF, 0);
    entries.resize(20, {0, 0});
    for (const auto& e : entries)
        b.u16(e.first).u16(e.second);
}

void linkMargin(AdjustmentBlob& b, int n, int16_t first)
{
    for (int i = 0; i < n; ++i)
        b.s16(static_cast<int16_t>(first + i));
}

// One constellation-MER configuration with 8 level and 3 segment slots (80 bytes).
void constellationSlot(AdjustmentBlob& b, int16_t maximum, int32_t firstLevel100)
{
    b.u8(2).s32(-firstLevel100).s32(firstLevel100);
    for (int i = 2; i < 8; ++i)
        b.s32(0);
    b.s16(maximum).s32(1).s32(10000000).u8(1);
    b.s32(100).s32(0).s32(0);
    b.s32(0).s32(0).s32(0).s32(0).s32(0).s32(0);
}

AdjustmentBlob header(uint8_t head = 0x5B, uint8_t version = 16, uint16_t delay = 250)
{
    AdjustmentBlob b;
    b.u8(head).u8(version).u16(delay);
    return b;
}

// Valid blobs of each standard.
AdjustmentBlob dvbcBlob(uint16_t merMax = 480, int16_t lm = 100, uint16_t berKey = 300)
{
    AdjustmentBlob b = header();
    for (int i = 0; i < 5; ++i)
        merSlot(b, 32, merMax, {{400, 420}, {100, 90}});
    linkMargin(b, 5, lm);
    for (int i = 0; i < 5; ++i)
        berSlot(b, {{berKey, 250}, {0, 100}});
    return b;
}

AdjustmentBlob dvbtBlob(int16_t configMax = 320)
{
    AdjustmentBlob b = header();
    for (int i = 0; i < 42; ++i)
        constellationSlot(b, configMax, 15000);
    for (int i = 0; i < 6; ++i)
        merSlot(b, 20, 450, {{300, 310}, {0, 0}});
    linkMargin(b, 15, 10);
    return b;
}

AdjustmentBlob dvbt2Blob()
{
    AdjustmentBlob b = header();
    for (int i = 0; i < 30; ++i)
        merSlot(b, 20, 390, {{390, 395}, {200, 200}});
    linkMargin(b, 128, -50);
    return b;
}

AdjustmentBlob dvbc2Blob()
{
    AdjustmentBlob b = header();
    merSlot(b, 20, 410, {{350, 360}});
    merSlot(b, 20, 420, {{360, 370}});
    linkMargin(b, 26, 1);
    return b;
}

AdjustmentBlob annexbBlob()
{
    AdjustmentBlob b = header();
    merSlot(b, 32, 430, {{380, 400}});
    merSlot(b, 32, 440, {{390, 410}});
    linkMargin(b, 2, 150);
    berSlot(b, {{200, 300}});
    berSlot(b, {{210, 310}});
    return b;
}

AdjustmentBlob isdbtBlob()
{
    AdjustmentBlob b = header();
    merSlot(b, 20, 460, {{300, 330}});
    merSlot(b, 20, 470, {{310, 340}});
    linkMargin(b, 20, 5);
    return b;
}

struct Adjust : ::testing::Test {
    Adjust() : pp(std::make_unique<st_t_plugplag_CXD2856>()) { reader() = Reader{}; }
    ~Adjust() override { EMBEDDEDRTOS_fail_allocations(0); }

    KxlDrvLibError update(eDrvCXD2856_pp_section section, const AdjustmentBlob* blob)
    {
        if (blob)
            reader().blob.assign(blob->data(), blob->data() + blob->size());
        KxlDrvLibError e{1, 1, "stale"};
        DrvCXD2856_update_adjustments(&e, section, blob ? readBlob : nullptr, pp.get());
        return e;
    }

    std::unique_ptr<st_t_plugplag_CXD2856> pp;
};

} // namespace

TEST_F(Adjust, ValidBlobsFillTheirSectionsAndKeepTheFlagsTheBlobDoesNotCarry)
{
    struct Case {
        eDrvCXD2856_pp_section section;
        AdjustmentBlob blob;
        size_t end;
        uint32_t capacity;
    };
    const std::vector<Case> cases = {
        {DRVCXD2856_PP_DVBT, dvbtBlob(), 3886, 65535},  {DRVCXD2856_PP_DVBT2, dvbt2Blob(), 2720, 5480},
        {DRVCXD2856_PP_DVBC, dvbcBlob(), 1064, 3036},   {DRVCXD2856_PP_DVBC2, dvbc2Blob(), 220, 1356},
        {DRVCXD2856_PP_ANNEXB, annexbBlob(), 428, 3036}, {DRVCXD2856_PP_ISDBT, isdbtBlob(), 208, 65535},
    };
    const uint32_t before = EMBEDDEDRTOS_blocks_in_use();
    for (const Case& c : cases) {
        EXPECT_EQ(c.blob.size(), c.end) << c.section;
        EXPECT_EQ(update(c.section, &c.blob).code, 0u) << c.section;
        EXPECT_EQ(reader().capacity, c.capacity) << c.section;
        EXPECT_EQ(std::make_tuple(pp->common.poweron_delay_ms, pp->common.ts_flag), std::make_tuple(250, 1u));
        EXPECT_EQ(EMBEDDEDRTOS_blocks_in_use(), before) << "the buffer is freed";
    }
    const st_t_plugplag_CXD2856& r = *pp;
    EXPECT_FLOAT_EQ(r.dvbt.mer_constellation[17].levels[1], 150.0f);
    EXPECT_EQ(std::make_tuple(r.dvbt.mer_constellation[17].maximum_mer, r.dvbt.mer_constellation[17].point_count),
              std::make_tuple(320, 2u)) << "the calibration points stay the defaults'";
    EXPECT_EQ(std::make_tuple(r.dvbt.mer_table[3].maximum, r.dvbt.linkmargin[14], r.dvbt2.mer_table[29].points[0].real),
              std::make_tuple(450, 24, 395));
    EXPECT_EQ(r.dvbt2.linkmargin[127], -50 + 127);
    EXPECT_EQ(std::make_tuple(r.dvbc.mer_table[4].maximum, r.dvbc.mer_table[4].count, r.dvbc.linkmargin[2]),
              std::make_tuple(480, 2u, 102));
    EXPECT_FLOAT_EQ(r.dvbc.ber_table[3].entries[0].factor, 2.5f);
    EXPECT_EQ(std::make_tuple(r.dvbc2.mer_table[1].points[0].real, r.dvbc2.linkmargin[25], r.annexb.linkmargin[1],
                              r.annexb.ber_table[1].entries[0].key),
              std::make_tuple(370, 26, 151, 210));
    EXPECT_EQ(r.isdbt.mer_table[1].maximum, 470) << "6 MHz 4k";
    EXPECT_EQ(r.isdbt.mer_table[2].count, 2u) << "the places the blob does not carry keep the defaults";
    EXPECT_EQ(r.isdbt.linkmargin[19], 24);
}

TEST_F(Adjust, RejectedBlobsLeaveTheDefaultsAndTheirError)
{
    auto withByte = [](AdjustmentBlob b, size_t at, uint8_t v) { return b.set(at, v); };
    struct Case {
        const char* what;
        eDrvCXD2856_pp_section section;
        AdjustmentBlob blob;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"header 0x5A", DRVCXD2856_PP_DVBC, withByte(dvbcBlob(), 0, 0x5A), DRVCXD2856_TEXT_PP_HEADER},
        {"header 0x5A and delay 7000 ms: the first error wins", DRVCXD2856_PP_DVBC,
         withByte(withByte(withByte(dvbcBlob(), 0, 0x5A), 2, 7000 & 0xFF), 3, 7000 >> 8), DRVCXD2856_TEXT_PP_HEADER},
        {"version 15", DRVCXD2856_PP_DVBC, withByte(dvbcBlob(), 1, 15), DRVCXD2856_TEXT_PP_VERSION},
        {"delay 6000 ms", DRVCXD2856_PP_DVBC,
         withByte(withByte(dvbcBlob(), 2, 6000 & 0xFF), 3, 6000 >> 8), DRVCXD2856_TEXT_PP_DELAY},
        {"MER maximum 501", DRVCXD2856_PP_DVBC, dvbcBlob(501), MEASURE_MER_TEXT_FORMAT},
        {"BER key 601", DRVCXD2856_PP_DVBC, dvbcBlob(480, 100, 601), MEASURE_BER_TEXT_FORMAT},
        {"link margin -1001", DRVCXD2856_PP_DVBC, dvbcBlob(480, -1001), DRVCXD2856_TEXT_PP_LINKMARGIN},
        {"link margin 1001", DRVCXD2856_PP_DVBC, dvbcBlob(480, 997), DRVCXD2856_TEXT_PP_LINKMARGIN},
        {"constellation maximum 1001", DRVCXD2856_PP_DVBT, dvbtBlob(1001), MEASURE_MER_CONSTELLATION_TEXT_FORMAT},
    };
    for (const Case& c : cases) {
        pp = std::make_unique<st_t_plugplag_CXD2856>();
        const KxlDrvLibError e = update(c.section, &c.blob);
        EXPECT_EQ(std::make_tuple(e.code, e.argument), std::make_tuple(26u, 2u)) << c.what;
        EXPECT_STREQ(e.text, c.text) << c.what;
        EXPECT_EQ(pp->common.poweron_delay_ms, 600) << c.what;
        EXPECT_EQ(pp->dvbc.linkmargin[2], c.section == DRVCXD2856_PP_DVBC ? 245 : 0) << c.what;
        EXPECT_EQ(pp->dvbt.mer_constellation[17].maximum_mer, c.section == DRVCXD2856_PP_DVBT ? 350 : 0) << c.what;
    }
}

TEST_F(Adjust, TheReadersFailureAndAMissingBufferKeepTheirOwnError)
{
    const AdjustmentBlob blob = dvbcBlob();
    reader().answer = {20, 1, "reader: no blob"};
    KxlDrvLibError e = update(DRVCXD2856_PP_DVBC, &blob);
    EXPECT_STREQ(e.text, "reader: no blob");
    EXPECT_EQ(pp->dvbc.mer_table[4].maximum, 500) << "defaults";

    struct Case {
        eDrvCXD2856_pp_section section;
        const char* text;
    };
    for (const Case& c : {Case{DRVCXD2856_PP_DVBC, "[CXD2856]->Heap error."},
                          Case{DRVCXD2856_PP_DVBT2, "[CXD2856] Heap error"},
                          Case{DRVCXD2856_PP_DVBC2, "[CXD2856]->Heap Error."}}) {
        reader() = Reader{};
        EMBEDDEDRTOS_fail_allocations(1);
        e = update(c.section, &blob);
        EXPECT_EQ(e.code, 10u);
        EXPECT_STREQ(e.text, c.text);
        EXPECT_EQ(std::make_tuple(reader().calls, pp->common.poweron_delay_ms), std::make_tuple(0, 600))
            << "no buffer, no reader";
    }
}
