// The default simulated board answers the start-up of the RF hardware on every chip, and
// a band-3 tune decodes to the input frequency on the models.
#include "ChipModels.h"
#include "SimBoardFixture.h"
#include "hw/ADF4350.h"
#include "hw/ADF4360.h"
#include "hw/DrvI2c.h"
#include "hw/DrvTPS65233.h"
#include "hw/MAX11337.h"
#include "hw/drvMAX3543.h"
#include "hw/tmp100.h"

#include <gtest/gtest.h>

using namespace platform::sim;

TEST(StartUp, DefaultBoardAnswersEveryChip)
{
    testsupport::ScopedBoard board(testsupport::unitBoard());
    // What start-up does: synthesizers, converter, tuner, then the driver library's link
    // and the LNB supply (the measurement engine's construction).
    ADF4360 fixed;
    ASSERT_EQ(fixed.init(), 0);
    ADF4350 lo;
    ASSERT_EQ(lo.programaFreqPilot(0), 0);
    MAX11337 adc;
    EXPECT_GT(adc.getLecturaConversorAD(0), 0); // the battery
    ASSERT_EQ(max3543_Initialize(), 0);
    ASSERT_EQ(tmp100_Initialize(), 0);
    EXPECT_EQ(DrvI2c_LinkAndInit(), 0);
    KxlDrvLibError e{};
    DrvI2cMux_LinkAndInit(&e);
    DrvTPS65233_Init(&e);
    EXPECT_EQ(e.code, 0u);
    for (const Transaction& t : board->log().entries())
        EXPECT_FALSE(t.failed) << TransactionLog::describe(t);

    // Band 3: LO 1600 MHz, tuner at 600 MHz, so 1000 MHz reaches the detector.
    auto synth = std::dynamic_pointer_cast<SynthesizerNodeModel>(board->spiModel("/dev/spidev4.0"));
    auto tuner = std::dynamic_pointer_cast<Max3543Model>(board->i2cModel(0x63));
    ASSERT_TRUE(synth && tuner);
    ASSERT_EQ(lo.programaFreqPilot(3), 0);
    ASSERT_EQ(lo.rf_output_enable(true), 0);
    ASSERT_EQ(max3543_SetRfFreqHz(600000000), 0);
    EXPECT_EQ(synth->adf4350().outputFrequencyHz() - tuner->tunedFrequencyHz(), 1000000000u);
    EXPECT_EQ(synth->adf4360().outputFrequencyHz(), 1600000000u);
}
