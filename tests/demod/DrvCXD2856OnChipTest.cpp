// The driver's kit calls on the simulated demodulator, through the driver library's own I2C
// binding: a bus error taking precedence over the kit's result in the packet-error rate of a
// locked cable channel, and the DiSEqC bench routine on the line.
#include "Cxd2856Bench.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_demod_config.h"
#include "chipkit/kit_demod_dvbc.h"
#include "demod/DrvCXD2856_diseqc_bench.h"
#include "demod/DrvCXD2856_kit_result.h"
#include "demod/DrvCXD2856_read_per.h"
#include "hw/DrvI2c.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace platform::sim;

namespace {

struct PerBench : testsupport::Cxd2856Bench {
    PerBench()
    {
        DrvI2c_LinkAndInit();
        KxlDrvLibError e;
        DrvI2cMux_LinkAndInit(&e);
        s = DrvCXD2856_state();
        *s = st_t_data_CXD2856{};
        s->i2c_context.handle = 0xFFFFFFFF;
        DrvCXD2856_i2c_init(&s->i2c, &s->i2c_context);
        const kit_demod_create_param_t param = {1, 0xD8, KIT_DEMOD_TUNER_I2C_REPEATER};
        kit_demod_Create(&s->demod, &param, &s->i2c);
        EXPECT_EQ(kit_demod_Initialize(&s->demod), KIT_RESULT_OK);
    }
    // A 256QAM channel with two errored packets in every 256, locked in DVB-C.
    void lockDvbc()
    {
        SceneCarrier c = testsupport::dvbcCarrier(474e6, Modulation::Qam256, 35);
        c.digital.packetErrorRate = 2.0 / 256;
        scene->add(c);
        chip->setTunedFrequencyHz(474e6);
        ASSERT_EQ(kit_demod_SetConfig(&s->demod, 32, 8), KIT_RESULT_OK); // a window of 256 packets
        const kit_dvbc_tune_param_t p = {474000, KIT_DTV_BW_8_MHZ};
        ASSERT_EQ(kit_demod_dvbc_Tune(&s->demod, &p), KIT_RESULT_OK);
        ASSERT_EQ(kit_demod_TuneEnd(&s->demod), KIT_RESULT_OK);
        advanceMs(2000);
        ASSERT_TRUE(chip->tsLocked());
    }
    st_t_data_CXD2856* s;
};

KxlDrvLibError ok()
{
    KxlDrvLibError e;
    KxlDrvLib_error_ok(&e);
    return e;
}

} // namespace

TEST(DrvCXD2856ReadPer, ABusErrorComesFirstAndAnEarlierErrorIsKept)
{
    PerBench b;
    b.lockDvbc();
    b.board->faults().nakTransfer(1);
    KxlDrvLibError e = ok();
    uint32_t per = 99;
    EXPECT_EQ(DrvCXD2856_dvbc_read_PER(&per, &e), 0);
    EXPECT_EQ(std::make_tuple(per, e.code, e.argument), std::make_tuple(0u, 20u, 0u))
        << "the binding's record, not the translated kit result";
    EXPECT_TRUE(b.freezeReleased());

    KxlDrvLibError held{13, 0, "held"};
    EXPECT_EQ(std::make_tuple(DrvCXD2856_dvbc_read_PER(&per, &held), per), std::make_tuple(uint8_t(1), 7813u));
    EXPECT_STREQ(held.text, "held");

    e = ok();
    EXPECT_EQ(DrvCXD2856_m_dvbc_read_PER(&per, &e, nullptr), 0);
    EXPECT_EQ(e.code, 26u);
}

TEST(DrvCXD2856DiseqcBench, SendsBothCommittedSwitchMessagesOnTheTwentyTwoKilohertzLine)
{
    PerBench b;
    testsupport::LogCapture log;
    KxlDrvLibError e = ok();
    DrvCXD2856_22KHz_enable(&e);
    const auto sent = b.chip->diseqcSendings();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, (std::vector<uint8_t>{0xE0, 0x00, 0x38, 0xF8}));
    EXPECT_EQ(sent[1].message, (std::vector<uint8_t>{0xE0, 0x00, 0x39, 0xF2}));
    EXPECT_EQ(std::make_tuple(e.code, sent[0].repeats, sent[1].message2.empty()), std::make_tuple(0u, 1, true));
    EXPECT_TRUE(log.contains("DiSEqC command data : 0xE0, 0x00, 0x39, 0xF2"));
    EXPECT_EQ(b.chip->slvtRegister(0xBB, 0x75), 0) << "DSQOUT polarity";
    EXPECT_EQ(b.chip->slvtRegister(0xBB, 0x36), 1) << "the tone on afterwards";
}

TEST(DrvCXD2856DiseqcBench, AFailingStepEndsItAndIsReported)
{
    PerBench b;
    ASSERT_EQ(kit_demod_Shutdown(&b.s->demod), KIT_RESULT_OK);
    KxlDrvLibError e = ok();
    DrvCXD2856_22KHz_enable(&e);
    EXPECT_STREQ(e.text, DRVCXD2856_TEXT_SW_STATE) << "the engine needs the demodulator awake";
    EXPECT_TRUE(b.chip->diseqcSendings().empty());

    PerBench awake;
    awake.board->faults().nakTransfer(3);
    e = ok();
    DrvCXD2856_22KHz_enable(&e);
    EXPECT_EQ(e.code, 20u);
    EXPECT_TRUE(awake.chip->diseqcSendings().empty());
    EXPECT_EQ(DrvCXD2856_m_22KHz_enable(&e, nullptr)->code, 26u);
}
