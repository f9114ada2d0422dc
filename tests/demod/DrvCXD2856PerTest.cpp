// The packet-error readers on the simulated demodulator, reached through the driver
// library's own I2C binding: the rate of a locked DVB-C channel, the kit's refusal for a
// standard that is not running, and a bus error taking precedence over the kit's result.
#include "Cxd2856Bench.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_demod_config.h"
#include "chipkit/kit_demod_dvbc.h"
#include "demod/DrvCXD2856_kit_result.h"
#include "demod/DrvCXD2856_read_per.h"
#include "hw/DrvI2c.h"

#include <gtest/gtest.h>

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

TEST(DrvCXD2856ReadPer, ALockedDvbcChannelGivesItsRate)
{
    PerBench b;
    b.lockDvbc();
    KxlDrvLibError e = ok();
    uint32_t per = 1;
    EXPECT_EQ(DrvCXD2856_dvbc_read_PER(&per, &e), 1);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(per, 7813u) << "2 packets in 256, x 10^6, rounded";
    EXPECT_TRUE(b.freezeReleased());
}

TEST(DrvCXD2856ReadPer, AStandardThatIsNotRunningIsTheKitsStateErrorAndNoValue)
{
    PerBench b;
    b.lockDvbc();
    struct Reader {
        const char* name;
        uint8_t (*read)(uint32_t*, KxlDrvLibError*);
    };
    for (const Reader& r : {Reader{"J.83B", DrvCXD2856_annexb_read_PER}, Reader{"DVB-C2", DrvCXD2856_dvbc2_read_PER}}) {
        KxlDrvLibError e = ok();
        uint32_t per = 99;
        EXPECT_EQ(r.read(&per, &e), 0) << r.name;
        EXPECT_EQ(per, 0u) << r.name;
        EXPECT_EQ(e.code, 1u) << r.name;
        EXPECT_STREQ(e.text, DRVCXD2856_TEXT_SW_STATE) << r.name;
    }
    // Sleeping, DVB-C is no longer running either.
    ASSERT_EQ(kit_demod_Sleep(&b.s->demod), KIT_RESULT_OK);
    KxlDrvLibError e = ok();
    uint32_t per = 99;
    EXPECT_EQ(DrvCXD2856_dvbc_read_PER(&per, &e), 0);
    EXPECT_EQ(e.code, 1u);
}

TEST(DrvCXD2856ReadPer, ABusErrorComesFirstAndAnEarlierErrorIsKept)
{
    PerBench b;
    b.lockDvbc();
    b.board->faults().nakTransfer(1);
    KxlDrvLibError e = ok();
    uint32_t per = 99;
    EXPECT_EQ(DrvCXD2856_dvbc_read_PER(&per, &e), 0);
    EXPECT_EQ(per, 0u);
    EXPECT_EQ(e.code, 20u);
    EXPECT_EQ(e.argument, 0u) << "the binding's record, not the translated kit result";
    EXPECT_TRUE(b.freezeReleased());

    KxlDrvLibError held{13, 0, "held"};
    EXPECT_EQ(DrvCXD2856_dvbc_read_PER(&per, &held), 1);
    EXPECT_EQ(per, 7813u);
    EXPECT_STREQ(held.text, "held");

    e = ok();
    EXPECT_EQ(DrvCXD2856_m_dvbc_read_PER(&per, &e, nullptr), 0);
    EXPECT_EQ(e.code, 26u);
}
