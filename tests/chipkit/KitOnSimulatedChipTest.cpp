// The kit's life cycle on the simulated demodulator over the board's bus: the chip the
// kit powers up, configures, shuts down and wakes is the one the later standards run on.
#include "KitOnChip.h"

#include "chipkit/kit_demod_config.h"

#include <gtest/gtest.h>

using kittest::KitOnChip;
using kittest::value;

TEST(KitOnSimulatedChip, ConfigurationSurvivesShutdownOnlyThroughTheReplay)
{
    KitOnChip k;
    ASSERT_EQ(kit_demod_Initialize(&k.demod), KIT_RESULT_OK);
    EXPECT_EQ(k.demod.state, KIT_DEMOD_STATE_SLEEP);
    EXPECT_EQ(k.demod.chipId, 0x90u);
    EXPECT_TRUE(k.chip->powered());
    EXPECT_EQ(k.chip->slvxRegister(0, 0x1A), 1);

    // The PER window exponent (bank 0x40 register 0x5C) is a saved configuration item.
    ASSERT_EQ(kit_demod_SetConfig(&k.demod, 32, 11), KIT_RESULT_OK);
    EXPECT_EQ(k.chip->slvtRegister(0x40, 0x5C), 11);

    ASSERT_EQ(kit_demod_Shutdown(&k.demod), KIT_RESULT_OK);
    EXPECT_FALSE(k.chip->powered());
    EXPECT_EQ(k.chip->slvtRegister(0x40, 0x5C), 0) << "the reset cleared it";
    EXPECT_EQ(value(kit_demod_ChipID, &k.demod), 0x90u);

    ASSERT_EQ(kit_demod_Sleep(&k.demod), KIT_RESULT_OK);
    EXPECT_TRUE(k.chip->powered());
    EXPECT_EQ(k.chip->slvtRegister(0x40, 0x5C), 11) << "the replay restored it";
    EXPECT_TRUE(k.freezeReleased());

    // An id the kit does not know ends in the invalid state.
    k.chip->setChipId(0x92);
    EXPECT_EQ(kit_demod_Initialize(&k.demod), KIT_RESULT_ERROR_NOSUPPORT);
    EXPECT_EQ(k.demod.state, KIT_DEMOD_STATE_INVALID);
}
