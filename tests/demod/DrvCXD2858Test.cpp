// The driver library's CXD2858 tuner on the simulated board, behind the simulated
// demodulator's gate: every signal type and bandwidth to its tuner system, IF and filter, the
// band edges, the crystal codes, power on and off, the heap states, the host callbacks, and no
// access to the tuner while the gate is shut.
#include "Cxd2856Bench.h"
#include "platform/sim/Cxd2858Model.h"

#include "chipkit/kit_demod.h"
#include "demod/DrvCXD2856_gate.h"
#include "demod/DrvCXD2858.h"
#include "hw/DrvI2c.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace platform::sim;
using testsupport::Cxd2856Bench;

namespace {

constexpr uint8_t kTuner8 = 0xC0;

KxlDrvLibError ok()
{
    KxlDrvLibError e;
    KxlDrvLib_error_ok(&e);
    return e;
}

// The demodulator on the board, its static driver state bound and initialised, and the tuner
// behind its gate, initialised as the constellation engine does it.
struct TunerBench : Cxd2856Bench {
    TunerBench() : tuner(installCxd2858(*board, chip, scene))
    {
        // Each bench starts from the zero states a fresh process has.
        *DrvCXD2856_state() = st_t_data_CXD2856{};
        *DrvCXD2858_state() = st_t_data_CXD2858{};
        DrvI2c_LinkAndInit();
        KxlDrvLibError e;
        DrvI2cMux_LinkAndInit(&e);
        st_t_data_CXD2856* d = DrvCXD2856_state();
        d->i2c_context.handle = 0xFFFFFFFF;
        DrvCXD2856_i2c_init(&d->i2c, &d->i2c_context);
        const kit_demod_create_param_t param = {1, 0xD8, KIT_DEMOD_TUNER_I2C_REPEATER};
        kit_demod_Create(&d->demod, &param, &d->i2c);
        EXPECT_EQ(kit_demod_Initialize(&d->demod), KIT_RESULT_OK);
        init();
    }
    void init()
    {
        KxlDrvLibError e = ok();
        DrvCXD2858_init(&e, nullptr, nullptr, DrvCXD2856_opengate, DrvCXD2856_closegate, 0, kTuner8, 0xFFFFFFFF);
        EXPECT_EQ(e.code, 0u);
    }
    KxlDrvLibError poweron()
    {
        KxlDrvLibError e = ok();
        return *DrvCXD2858_poweron(&e);
    }
    st_t_data_CXD2858& s() { return *DrvCXD2858_state(); }
    int tunerTransfers()
    {
        int n = 0;
        for (const auto& t : board->log().entriesWithPrefix("i2c"))
            n += t.device == "0x60";
        return n;
    }

    std::shared_ptr<Cxd2858Model> tuner;
};

struct Translation {
    eSIGNAL_TYPE type;
    uint32_t bandwidthHz;
    eCOLOR_SYSTEM colour;
    eANL_STD standard;
    uint32_t system;
    uint32_t ifHz;
    uint32_t usedHz;
};

// Every row of the translation, at the edges of its bandwidth classes.
const std::vector<Translation> kTranslations = {
    {1, 6000000, 0, 0, 23, 3700000, 6000000}, {1, 6000001, 0, 0, 24, 4900000, 8000000},
    {0, 5000000, 0, 0, 14, 3600000, 6000000}, {0, 5000001, 0, 0, 15, 3900000, 6000000},
    {255, 0, 0, 0, 14, 3600000, 6000000},     {8, 8000000, 0, 0, 18, 3500000, 1700000},
    {9, 1700000, 0, 0, 18, 3500000, 1700000}, {9, 1700001, 0, 0, 19, 3600000, 6000000},
    {9, 7000000, 0, 0, 21, 4200000, 7000000}, {9, 7000001, 0, 0, 22, 4800000, 8000000},
    {10, 8000000, 0, 0, 13, 4750000, 8000000}, {12, 6000001, 0, 0, 26, 4900000, 8000000},
    // Analogue: colour system and standard pick the row.
    {3, 8000000, 2, 2, 6, 5100000, 8000000}, {3, 8000000, 0, 3, 5, 5100000, 8000000},
    {3, 8000000, 3, 9, 2, 4000000, 6000000}, {3, 7000000, 2, 3, 4, 5050000, 7000000},
    {3, 7000001, 2, 3, 4, 4550000, 8000000}, {3, 6000000, 1, 6, 4, 5050000, 7000000},
};

} // namespace

TEST(DrvCXD2858, EverySignalTypeAndBandwidthReachesTheTunerAsItsSystemAndIf)
{
    TunerBench b;
    ASSERT_EQ(b.poweron().code, 0u);
    for (const auto& t : kTranslations) {
        SCOPED_TRACE(testing::Message() << "type " << t.type << " bandwidth " << t.bandwidthHz << " colour "
                                        << t.colour << " standard " << t.standard);
        KxlDrvLibError e = ok();
        DrvCXD2858_write_ter_cfg(&e, t.type, t.bandwidthHz, t.colour, t.standard, 474000000);
        // Colour and standard are kept for analogue signals only; the gate is shut after the call.
        const uint32_t tunedKHz = t.type == 3 ? 474000 - (t.usedHz / 2 - 1250000) / 1000 : 474000;
        EXPECT_EQ(std::make_tuple(e.code, b.s().tuner.system, DrvCXD2858_get_ter_if_frequency(), DrvCXD2858_get_ter_bw(),
                                  DrvCXD2858_get_ter_closest_bw(t.type, t.bandwidthHz, t.colour, t.standard),
                                  b.tuner->tunedFrequencyHz().value_or(0), b.chip->tunerGateOpen(), b.s().color_system),
                  std::make_tuple(0u, t.system, t.ifHz, t.usedHz, t.usedHz, tunedKHz * 1000.0, false,
                                  t.type == 3 ? t.colour : 0u));
    }
    EXPECT_EQ(b.tuner->gateViolations(), 0);
}

TEST(DrvCXD2858, FrequenciesOutsideTheBandsAreTunedAtTheEdgeAndTheTerrestrialOnesReported)
{
    TunerBench b;
    ASSERT_EQ(b.poweron().code, 0u);
    KxlDrvLibError e = ok();
    DrvCXD2858_write_ter_cfg(&e, 1, 8000000, 0, 0, 474000000);
    // The stored type and bandwidth stay (system 24).
    for (const auto& [hz, tunedKHz, code] : {std::tuple<uint32_t, uint32_t, uint32_t>{41999999, 42000, 13}, {42000000, 42000, 0},
                                             {880000000, 880000, 0}, {880000001, 880000, 13}}) {
        e = ok();
        DrvCXD2858_write_ter_frequency(&e, hz);
        EXPECT_EQ(std::make_tuple(e.code, b.s().tuner.system, DrvCXD2858_get_ter_frequency(),
                                  DrvCXD2858_is_ter_frequency_in_range(hz) != 0),
                  std::make_tuple(code, 24u, tunedKHz * 1000, code == 0)) << hz;
        EXPECT_STREQ(e.text, code ? DRVCXD2858_TEXT_OUT_OF_BAND : nullptr);
    }
    uint32_t max = 0, min = 0;
    DrvCXD2858_get_ter_maxmin_frequency(&max, &min);
    EXPECT_EQ(std::make_tuple(max, min), std::make_tuple(880000000u, 42000000u));
    for (const auto& [hz, tunedKHz] : {std::pair<uint32_t, uint32_t>{800000000, 950000}, {2200000000u, 2150000}}) {
        e = ok();
        DrvCXD2858_write_sat_frequency(&e, hz);
        EXPECT_EQ(std::make_tuple(e.code, DrvCXD2858_get_sat_frequency()), std::make_tuple(0u, tunedKHz * 1000)) << hz;
    }
    // The satellite tune takes the system of its type and the frequency the tuner went to (its 4 kHz step).
    DrvCXD2858_write_sat_cfg(&e, 7, 30000000, 1000001000);
    EXPECT_EQ(std::make_tuple(e.code, b.s().tuner.system, b.s().tuner.symbolRateKSps, DrvCXD2858_get_sat_frequency()),
              std::make_tuple(0u, 31u, 30000u, 1000000000u));
    EXPECT_EQ(b.tuner->half(), Cxd2858Model::Half::Satellite);
    DrvCXD2858_get_sat_maxmin_frequency(&max, &min);
    EXPECT_EQ(std::make_tuple(max, min), std::make_tuple(2150000000u, 950000000u));
    EXPECT_TRUE(DrvCXD2858_is_sat_frequency_in_range(2150000000u));
    EXPECT_FALSE(DrvCXD2858_is_sat_frequency_in_range(949999999));
    EXPECT_EQ(b.tuner->gateViolations(), 0);
}

TEST(DrvCXD2858, TheTuneEndsFiftyMillisecondsAfterTheTuneAndInsideOneGateBracket)
{
    TunerBench b;
    ASSERT_EQ(b.poweron().code, 0u);
    b.board->log().clear();
    KxlDrvLibError e = ok();
    DrvCXD2858_write_ter_cfg(&e, 12, 8000000, 0, 0, 650000000);
    // Gate writes on SLVX (0x1A path, 0x08 repeater) and the tuner's transfers, in order.
    std::string trail;
    uint64_t blockUs = 0, endUs = 0;
    for (const auto& t : b.board->log().entries("i2c-write")) {
        if (t.device == "0x6E" && t.bytes.size() == 2 && (t.bytes[0] == 0x1A || t.bytes[0] == 0x08))
            trail += (t.bytes[0] == 0x1A ? "path" : "repeater") + std::string(t.bytes[1] ? "+ " : "- ");
        if (t.device == "0x60" && (trail.empty() || trail.back() != '.'))
            trail += "tuner.";
        blockUs = t.device == "0x60" && t.bytes[0] == 0x68 ? t.timeUs : blockUs;
        endUs = t.device == "0x60" && t.bytes == std::vector<uint8_t>{0x87, 0xC0} ? t.timeUs : endUs;
    }
    EXPECT_EQ(std::make_tuple(e.code, trail), std::make_tuple(0u, std::string("path+ repeater+ tuner.repeater- path- ")));
    EXPECT_GE(endUs - blockUs, 50000u);
}

TEST(DrvCXD2858, WithoutTheGateEveryTunerAccessIsRefusedAndReportedAsABusError)
{
    TunerBench b;
    KxlDrvLibError e = ok();
    DrvCXD2858_init(&e, nullptr, nullptr, nullptr, nullptr, 0, kTuner8, 0xFFFFFFFF);
    e = b.poweron();
    EXPECT_EQ(e.code, uint32_t(KxlDrvLib_code_i2c));
    EXPECT_STREQ(e.text, DRVI2CMUX_TEXT_READ_ERROR) << "the binding's record before the translated result";
    EXPECT_GT(b.tuner->gateViolations(), 0) << "the simulated tuner sees what the software cannot";
    EXPECT_EQ(b.s().powered, 0) << "a tuner that did not come up is created again next time";
}

TEST(DrvCXD2858, CrystalFrequenciesGiveTheirCodesAndAnUnknownOneRunsOnTwentyFourMegahertz)
{
    const struct {
        uint32_t hz, tunerFlag, code, flags, error;
    } cases[] = {
        {16000000, 1, 0, 0x4000, 0}, {24000000, 1, 2, 0x4000, 0}, {41000000, 0, 3, 0x80004000u, 0},
        {41000000, 1, 0, 0, 13},  // the tuner drives no 41 MHz crystal itself: not created
        {25000000, 1, 2, 0x4000, 2}, {0, 0, 2, 0x80004000u, 2},
    };
    for (const auto& c : cases) {
        TunerBench b;
        b.s().pnp->xtal_hz = c.hz;
        b.s().pnp->tuner_flag = c.tunerFlag;
        const KxlDrvLibError e = b.poweron();
        EXPECT_EQ(e.code, c.error) << c.hz;
        if (c.error == 13) {
            EXPECT_EQ(b.s().tuner.i2c, nullptr) << c.hz;
            continue;
        }
        EXPECT_EQ(std::make_tuple(b.s().tuner.xtalCode, b.s().tuner.flags, b.tuner->gateViolations()),
                  std::make_tuple(c.code, c.flags, 0)) << c.hz;
        if (c.error == 2) {  // the tuner came up on the 24 MHz code
            EXPECT_STREQ(e.text, DRVCXD2858_TEXT_XTAL);
            EXPECT_EQ(std::make_tuple(b.s().powered, b.tuner->half()), std::make_tuple(1, Cxd2858Model::Half::Sleep));
        }
    }
}

TEST(DrvCXD2858, InitWritesTheDefaultsAndForgetsThePowerOn)
{
    TunerBench b;
    st_t_data_CXD2858& s = b.s();
    s.pnp->ter_max_hz = 1;
    s.ter_frequency = 1;
    s.powered = 1;
    b.init();
    EXPECT_EQ(std::make_tuple(s.pnp->ter_max_hz, s.ter_signal_type, s.ter_frequency, s.sat_frequency, s.powered),
              std::make_tuple(880000000u, 255u, 650000000u, 1500000000u, 0));

    KxlDrvLibError e = ok();
    st_t_data_CXD2858 bare{};
    EXPECT_STREQ(DrvCXD2858_m_init(&e, nullptr, nullptr, nullptr, nullptr, 0, kTuner8, 0, &bare)->text,
                 DRVCXD2858_TEXT_NULL_PNP);
    EXPECT_EQ(DrvCXD2858_m_poweron(&e, nullptr)->code, 26u);
    EXPECT_EQ(DrvCXD2858_m_write_ter_frequency(&e, 1, nullptr)->code, 26u);
}

TEST(DrvCXD2858, PowerOnOnceUntilTheNextInitAndPowerOffLeavesItPowered)
{
    TunerBench b;
    ASSERT_EQ(b.poweron().code, 0u);
    b.board->log().clear();
    EXPECT_EQ(b.poweron().code, 0u);
    EXPECT_EQ(b.tunerTransfers(), 0) << "no second create";

    KxlDrvLibError e = ok();
    DrvCXD2858_write_ter_cfg(&e, 1, 8000000, 0, 0, 474000000);
    DrvCXD2858_poweroff(&e);
    EXPECT_EQ(std::make_tuple(e.code, b.tuner->half(), b.s().powered), std::make_tuple(0u, Cxd2858Model::Half::Sleep, 1));

    // After an init the next power-off powers on first.
    b.init();
    b.board->log().clear();
    DrvCXD2858_poweroff(&e);
    EXPECT_EQ(std::make_tuple(e.code, b.tunerTransfers() > 10, b.tuner->gateViolations()), std::make_tuple(0u, true, 0));
}

TEST(DrvCXD2858, TheTunerDriversResultsAsTheLibraryReportsThem)
{
    {
        TunerBench b; // a tune before any power-on: there is no tuner object yet
        KxlDrvLibError e = ok();
        DrvCXD2858_write_ter_cfg(&e, 1, 8000000, 0, 0, 474000000);
        EXPECT_EQ(std::make_tuple(e.code, e.argument), std::make_tuple(26u, 0u));
    }
    {
        TunerBench b; // a chip the driver does not know, then a tune of the tuner left uninitialised
        b.tuner->setChipId(0x30);
        KxlDrvLibError e = b.poweron();
        EXPECT_EQ(std::make_tuple(e.code, e.argument, b.s().powered), std::make_tuple(13u, 0u, 0));
        e = ok();
        DrvCXD2858_write_ter_cfg(&e, 1, 8000000, 0, 0, 474000000);
        EXPECT_EQ(std::make_tuple(e.code, e.argument), std::make_tuple(1u, 0u));
    }
    {
        TunerBench b; // a chip that does not come up
        b.board->faults().stickRegister(Device::i2c(0x60), 0x1A, 1);
        const KxlDrvLibError e = b.poweron();
        EXPECT_EQ(std::make_tuple(e.code, e.argument), std::make_tuple(1u, 1u));
    }
    {
        TunerBench b; // a band the tuner itself refuses
        ASSERT_EQ(b.poweron().code, 0u);
        b.s().pnp->ter_max_hz = 1300000000;
        KxlDrvLibError e = ok();
        DrvCXD2858_write_ter_cfg(&e, 1, 8000000, 0, 0, 1250000000);
        EXPECT_EQ(std::make_tuple(e.code, e.text), std::make_tuple(13u, nullptr));
    }
}

TEST(DrvCXD2858, PowerHandlersRunAroundTheTunerAndAnUnfinishedOneIsWaitedFor)
{
    TunerBench b;
    testsupport::LogCapture log;
    static int calls;
    static uint8_t answer;
    calls = 0;
    answer = 0;
    auto handler = [](KxlDrvLibError* err, uint8_t* done) {
        ++calls;
        *done = answer;
        return KxlDrvLib_error_ok(err);
    };
    KxlDrvLibError e = ok();
    DrvCXD2858_init(&e, handler, handler, DrvCXD2856_opengate, DrvCXD2856_closegate, 0, kTuner8, 0xFFFFFFFF);
    const uint64_t before = b.board.clock().monotonicUs();
    EXPECT_EQ(b.poweron().code, 0u);
    EXPECT_GE(b.board.clock().monotonicUs() - before, 500000u);
    EXPECT_EQ(std::make_tuple(calls, log.contains("Handler!=NULL")), std::make_tuple(1, true));
    DrvCXD2858_poweroff(&e);
    EXPECT_EQ(calls, 2);

    // A handler's failure is the operation's first error.
    auto failing = [](KxlDrvLibError* err, uint8_t*) {
        return KxlDrvLib_error_set(KxlDrvLib_error_ok(err), 20, 0, "handler");
    };
    DrvCXD2858_init(&e, failing, nullptr, DrvCXD2856_opengate, DrvCXD2856_closegate, 0, kTuner8, 0xFFFFFFFF);
    EXPECT_STREQ(b.poweron().text, "handler");
    EXPECT_EQ(b.s().powered, 1) << "the tuner itself came up";
}

TEST(DrvCXD2858, HeapStatesOpenAndClose)
{
    KxlDrvLibError e = ok();
    st_t_data_CXD2858* h = nullptr;
    DrvCXD2858_m_open(&e, nullptr, nullptr, nullptr, nullptr, 0, kTuner8, 5, &h);
    ASSERT_TRUE(h && h->pnp);
    EXPECT_EQ(std::make_tuple(e.code, h->pnp->xtal_hz, h->i2c_context.handle), std::make_tuple(0u, 24000000u, 5u));
    EXPECT_EQ(std::make_tuple(DrvCXD2858_m_close(&e, &h)->code, h), std::make_tuple(0u, nullptr));

    EXPECT_STREQ(DrvCXD2858_m_close(&e, nullptr)->text, DRVCXD2858_TEXT_NULL_STATE);
    EXPECT_EQ(DrvCXD2858_m_close(&e, &h)->code, 34u);
    st_t_data_CXD2858 foreign{};
    st_t_data_CXD2858* f = &foreign;
    EXPECT_EQ(DrvCXD2858_m_close(&e, &f)->code, 11u);
    EXPECT_EQ(f, &foreign);
}
