// The driver library's glue to the kit on the simulated demodulator: the frames the I2C
// binding puts on the bus (bank writes saved, lengths refused whole), its sticky error and
// results, the kit-result translation, the null tuner and the order of the tuner gate.
#include "Cxd2856Bench.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_i2c.h"
#include "demod/DrvCXD2856_dummy_tuner.h"
#include "demod/DrvCXD2856_gate.h"
#include "demod/DrvCXD2856_i2c.h"
#include "demod/DrvCXD2856_kit_result.h"
#include "demod/DrvLibI2cBinding.h"
#include "hw/DrvI2c.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

using testsupport::Cxd2856Bench;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint8_t T = 0xD8; // SLVT, 8-bit form
constexpr uint8_t X = 0xDC; // SLVX

struct Frame {
    std::string kind; // "i2c-write" or "i2c-read"
    std::string device;
    Bytes bytes;
    bool operator==(const Frame& o) const { return kind == o.kind && device == o.device && bytes == o.bytes; }
};

std::ostream& operator<<(std::ostream& os, const Frame& f)
{
    os << f.kind << ' ' << f.device << " [";
    for (uint8_t b : f.bytes)
        os << ' ' << std::hex << int(b);
    return os << " ]";
}

Frame W(uint8_t address8, Bytes bytes)
{
    char name[8];
    std::snprintf(name, sizeof name, "0x%02X", address8 >> 1);
    return {"i2c-write", name, std::move(bytes)};
}

struct Glue : Cxd2856Bench {
    Glue()
    {
        DrvI2c_LinkAndInit();
        KxlDrvLibError e;
        DrvI2cMux_LinkAndInit(&e);
        context.handle = 0xFFFFFFFF;
        EXPECT_EQ(DrvCXD2856_i2c_init(&i2c, &context), KIT_RESULT_OK);
        powerUp();
        board->log().clear();
    }
    std::vector<Frame> frames()
    {
        std::vector<Frame> out;
        for (const auto& t : board->log().entriesWithPrefix("i2c"))
            out.push_back({t.kind, t.device, t.bytes});
        return out;
    }
    kit_result_t bank(uint8_t address, uint8_t b) { return i2c.WriteOneRegister(&i2c, address, 0x00, b); }

    kit_i2c_t i2c{};
    t_DrvCXD2856_i2c_context context{};
};

} // namespace

TEST(DrvCXD2856I2c, InitForgetsBothBanksAndNullsAreRefused)
{
    kit_i2c_t table{};
    t_DrvCXD2856_i2c_context c{0x10, 0x20, 7, {20, 1, "old"}};
    ASSERT_EQ(DrvCXD2856_i2c_init(&table, &c), KIT_RESULT_OK);
    EXPECT_EQ(std::make_tuple(c.bank_bit2_clear, c.bank_bit2_set, c.handle, c.error.code),
              std::make_tuple(0xFF, 0xFF, 7u, 0u));
    uint8_t b = 0;
    kit_i2c_t unbound{};
    EXPECT_EQ((std::vector<kit_result_t>{DrvCXD2856_i2c_init(nullptr, &c), DrvCXD2856_i2c_init(&table, nullptr),
                                         DrvCXD2856_i2c_read(&unbound, T, &b, 1, 3), DrvCXD2856_i2c_write(nullptr, T, &b, 1, 3),
                                         DrvCXD2856_i2c_read_registers(nullptr, T, 0, &b, 1),
                                         DrvCXD2856_i2c_write_register(&unbound, T, 0, 1)}),
              std::vector<kit_result_t>(6, KIT_RESULT_ERROR_ARG));
}

TEST(DrvCXD2856I2c, BankWritesGoOutOnlyWhenThePortChangesBank)
{
    Glue g;
    // Each step: a bank write through the binding and the frames it must put on the bus.
    const struct {
        uint8_t address, bank;
        std::vector<Frame> frames;
    } steps[] = {
        {T, 0x10, {W(T, {0x00, 0x10})}}, {T, 0x10, {}}, {X, 0x10, {W(X, {0x00, 0x10})}}, {T, 0x40, {W(T, {0x00, 0x40})}},
        {X, 0x10, {}}, {T, 0xFF, {W(T, {0x00, 0xFF})}}, {T, 0xFF, {W(T, {0x00, 0xFF})}},
    };
    for (const auto& s : steps) {
        g.board->log().clear();
        EXPECT_EQ(g.bank(s.address, s.bank), KIT_RESULT_OK);
        EXPECT_EQ(g.frames(), s.frames) << int(s.address) << " " << int(s.bank);
    }

    // A failed bank write leaves no bank believed: the chip still has 0x40, so a write of 0x40
    // must go out rather than be skipped; the first error sticks.
    g.board->faults().nakTransfer(1);
    EXPECT_EQ(g.bank(T, 0x20), KIT_RESULT_ERROR_I2C);
    g.board->log().clear();
    ASSERT_EQ(g.bank(T, 0x40), KIT_RESULT_OK);
    EXPECT_EQ(g.frames(), (std::vector<Frame>{W(T, {0x00, 0x40})}));
    g.board->faults().nakTransfer(1);
    uint8_t b;
    EXPECT_EQ(g.i2c.ReadRegister(&g.i2c, T, 0x01, &b, 1), KIT_RESULT_ERROR_I2C);
    EXPECT_EQ(std::make_tuple(std::string(g.context.error.text), g.context.bank_bit2_clear),
              std::make_tuple(std::string(DRVI2CMUX_TEXT_WRITE_ERROR), 0xFF));
    KxlDrvLibError held{26, 2, "held"};
    DrvCXD2856_i2c_get_error(&g.i2c, &held);
    EXPECT_STREQ(held.text, "held") << "an error already held is not replaced";
    DrvCXD2856_i2c_clear_error(&g.i2c);
    EXPECT_EQ(g.context.error.code, 0u);
}

TEST(DrvCXD2856I2c, ReadsAndRawWritesAreTheFramesTheKitAsksFor)
{
    Glue g;
    ASSERT_EQ(g.bank(X, 0x00), KIT_RESULT_OK);
    g.board->log().clear();
    uint8_t id = 0, value = 0;
    const uint8_t raw[] = {0x1A, 0x01};
    ASSERT_EQ(g.i2c.ReadRegister(&g.i2c, X, 0xFD, &id, 1), KIT_RESULT_OK);
    ASSERT_EQ(g.i2c.Write(&g.i2c, X, raw, 2, KIT_I2C_MODE_COMPLETE), KIT_RESULT_OK);
    ASSERT_EQ(g.i2c.Read(&g.i2c, X, &value, 1, KIT_I2C_MODE_COMPLETE), KIT_RESULT_OK);
    EXPECT_EQ(id, 0x90);
    EXPECT_EQ(g.frames(), (std::vector<Frame>{W(X, {0xFD}), {"i2c-read", "0x6E", {0x90}}, W(X, {0x1A, 0x01}),
                                              {"i2c-read", "0x6E", {0x00}}}))
        << "the raw read goes on from register 0x1B";

    // A raw write at the bank register moves the bank behind the cache's back.
    const uint8_t rawBank[] = {0x00, 0x00};
    ASSERT_EQ(g.i2c.Write(&g.i2c, X, rawBank, 2, KIT_I2C_MODE_COMPLETE), KIT_RESULT_OK);
    g.board->log().clear();
    ASSERT_EQ(g.bank(X, 0x00), KIT_RESULT_OK);
    EXPECT_EQ(g.frames(), (std::vector<Frame>{W(X, {0x00, 0x00})}));
}

TEST(DrvCXD2856I2c, LengthsAboveTheCapAreRefusedWholeWithNoTraffic)
{
    const struct {
        const char* what;
        bool write, raw;
        uint32_t length;
        kit_result_t result;
        size_t busBytes; // of the one frame; 0: nothing on the bus
    } cases[] = {
        {"raw write of 100", true, true, 100, KIT_RESULT_OK, 100},
        {"raw write of 101", true, true, 101, KIT_RESULT_ERROR_ARG, 0},
        {"raw write of a negative length", true, true, uint32_t(-1), KIT_RESULT_ERROR_ARG, 0},
        {"register write of 100", true, false, 100, KIT_RESULT_OK, 101},
        {"register write of 101", true, false, 101, KIT_RESULT_ERROR_ARG, 0},
        {"register read of 101", false, false, 101, KIT_RESULT_ERROR_ARG, 0},
        {"raw read of a negative length", false, true, uint32_t(-5), KIT_RESULT_ERROR_ARG, 0},
    };
    for (const auto& c : cases) {
        Glue g;
        ASSERT_EQ(g.bank(T, 0x10), KIT_RESULT_OK);
        g.board->log().clear();
        Bytes buffer(256, 0x5A);
        kit_result_t r;
        if (c.write)
            r = c.raw ? g.i2c.Write(&g.i2c, T, buffer.data(), c.length, 3)
                      : g.i2c.WriteRegister(&g.i2c, T, 0x20, buffer.data(), c.length);
        else
            r = c.raw ? g.i2c.Read(&g.i2c, T, buffer.data(), c.length, 3)
                      : g.i2c.ReadRegister(&g.i2c, T, 0x20, buffer.data(), c.length);
        EXPECT_EQ(r, c.result) << c.what;
        const auto f = g.frames();
        EXPECT_EQ(std::make_tuple(f.empty() ? 0 : f.back().bytes.size(), g.context.error.code),
                  std::make_tuple(c.busBytes, c.busBytes ? 0u : uint32_t(KxlDrvLib_code_format))) << c.what;
        EXPECT_STREQ(g.context.error.text, c.busBytes ? nullptr : DRVLIB_I2C_TEXT_LENGTH) << c.what;
    }
}

TEST(DrvCXD2856KitResult, TranslationTable)
{
    const struct {
        kit_result_t kit;
        uint32_t code, argument;
        const char* text;
    } rows[] = {
        {0, 0, 9, "kept"}, {1, 26, 0, DRVCXD2856_TEXT_ARG}, {2, 20, 1, DRVCXD2856_TEXT_I2C},
        {3, 1, 0, DRVCXD2856_TEXT_SW_STATE}, {6, 0, 9, "kept"}, {7, 13, 0, DRVCXD2856_TEXT_RANGE},
        {8, 26, 0, DRVCXD2856_TEXT_NOSUPPORT}, {10, 1, 0, DRVCXD2856_TEXT_OTHER},
        {11, 13, 0, DRVCXD2856_TEXT_OVERFLOW}, {12, 0, 9, "kept"}, {0xFFFFFFFF, 1, 0, DRVCXD2856_TEXT_OTHER},
    };
    for (const auto& r : rows) {
        KxlDrvLibError e{0, 9, "kept"};
        EXPECT_EQ(std::make_tuple(DrvCXD2856_translate_kit_result(r.kit, &e), e.code, e.argument),
                  std::make_tuple(r.code, r.code, r.argument)) << r.kit;
        EXPECT_STREQ(e.text, r.text) << r.kit;
    }
    EXPECT_EQ(DrvCXD2856_translate_kit_result(2, nullptr), 20u);
}

TEST(DrvCXD2856DummyTuner, RecordsWhatTheKitAskedAndTouchesNothing)
{
    kit_tuner_terr_cable_t tuner;
    std::memset(&tuner, 0xA5, sizeof tuner);
    KxlDrvLibError e;
    KxlDrvLib_error_ok(&e);
    ASSERT_EQ(DrvCXD2856_dummy_tuner_create(&tuner, &e), KIT_RESULT_OK);
    // An empty slot is skipped by the integration layer.
    EXPECT_EQ(std::make_tuple(tuner.tunerData[0] | tuner.tunerData[1] | tuner.tunerData[2] | tuner.user, tuner.ReadRFLevel),
              std::make_tuple(0u, nullptr));

    EXPECT_EQ(tuner.Tune(&tuner, 474000, KIT_DTV_SYSTEM_DVBT, KIT_DTV_BW_8_MHZ), KIT_RESULT_OK);
    tuner.tunerData[1] = 5;
    tuner.user = 6;
    EXPECT_EQ(tuner.Initialize(&tuner), KIT_RESULT_OK);
    EXPECT_EQ(tuner.tunerData[1] | tuner.user, 0u);
    EXPECT_EQ(std::make_tuple(tuner.frequencyKHz, tuner.system, tuner.bandwidth),
              std::make_tuple(474000u, uint32_t(KIT_DTV_SYSTEM_DVBT), uint32_t(KIT_DTV_BW_8_MHZ)))
        << "initialise clears only the tuner's own words";
    EXPECT_EQ(tuner.Sleep(&tuner) | tuner.Shutdown(&tuner), KIT_RESULT_OK);

    EXPECT_EQ(std::make_tuple(DrvCXD2856_dummy_tuner_create(nullptr, &e), e.code),
              std::make_tuple(KIT_RESULT_ERROR_ARG, uint32_t(KxlDrvLib_code_null)));
    KxlDrvLibError held{20, 1, "held"};
    EXPECT_EQ(DrvCXD2856_dummy_tuner_create(nullptr, &held), KIT_RESULT_ERROR_ARG);
    EXPECT_STREQ(held.text, "held");
    EXPECT_EQ(DrvCXD2856_dummy_tuner_create(&tuner, nullptr), KIT_RESULT_ERROR_ARG);
}

TEST(DrvCXD2856Gate, OpensPathThenRepeaterAndClosesTheOtherWayRound)
{
    Glue g;
    st_t_data_CXD2856* s = DrvCXD2856_state();
    ASSERT_EQ(DrvCXD2856_i2c_init(&s->i2c, &s->i2c_context), KIT_RESULT_OK);
    const kit_demod_create_param_t param = {1, T, KIT_DEMOD_TUNER_I2C_REPEATER};
    ASSERT_EQ(kit_demod_Create(&s->demod, &param, &s->i2c), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_Initialize(&s->demod), KIT_RESULT_OK);
    s->i2c_context.error = {20, 1, "stale"};
    g.board->log().clear();

    KxlDrvLibError e{13, 0, "ignored"};
    DrvCXD2856_opengate(&e, 0);
    // Opening clears the demodulator's sticky error; SLVX is on bank 0 since the initialise,
    // so no bank frame goes out.
    EXPECT_EQ(std::make_tuple(e.code, s->i2c_context.error.code, g.frames()),
              std::make_tuple(0u, 0u, std::vector<Frame>{W(X, {0x1A, 0x01}), W(X, {0x08, 0x01})}));
    g.board->log().clear();
    DrvCXD2856_closegate(&e, 0);
    EXPECT_EQ(std::make_tuple(e.code, g.frames()), std::make_tuple(0u, std::vector<Frame>{W(X, {0x08, 0x00}), W(X, {0x1A, 0x00})}));

    // A gate that cannot move still reports ok: the tuner's own access shows the failure; the
    // error is left for the next burst to clear.
    g.board->faults().fail(platform::sim::Device::i2c(0x6E));
    DrvCXD2856_opengate(&e, 0);
    EXPECT_EQ(std::make_tuple(e.code, s->i2c_context.error.code), std::make_tuple(0u, 20u));
    EXPECT_EQ(DrvCXD2856_m_opengate(&e, nullptr)->code, 0u);
}
