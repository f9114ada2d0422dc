// The simulated front end: a path the unit would never set passes no signal, and the
// supply rails reach their converter channels.
#include "RfTestBench.h"

#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

using rftest::CalibratedBench;

TEST(SimulatedFrontEnd, InconsistentPathsPassNoSignal)
{
    CalibratedBench b;
    b.scene->addCw(1000e6, 60.0);
    b.scene->addCw(600e6, 60.0);
    setAtenuador(0, true);
    sintonitzar(1000000000u);
    ASSERT_TRUE(b.frontEnd->effectiveFrequencyHz().has_value());
    EXPECT_NEAR(b.frontEnd->detectorLevelDbuV(), 60.0, 0.1);
    // The LO in standby where the band needs it.
    b.lo.standby(true);
    EXPECT_FALSE(b.frontEnd->effectiveFrequencyHz().has_value());
    mesuraNivellEspectreFast(1000000000u); // same band: nothing rewritten
    EXPECT_EQ(getNivellConversor(), 0);
    b.lo.standby(false);
    // A wrong band line.
    setGpio_SUB(true);
    EXPECT_EQ(b.frontEnd->bandFromLines(), -1);
    EXPECT_FALSE(b.frontEnd->effectiveFrequencyHz().has_value());
    setGpio_SUB(false);
    // The LO set for another band.
    b.lo.programaFreqPilot(4);
    b.lo.rf_output_enable(true);
    EXPECT_FALSE(b.frontEnd->effectiveFrequencyHz().has_value());
    // The LO left running in a straight band.
    sintonitzar(600000000u);
    ASSERT_TRUE(b.frontEnd->effectiveFrequencyHz().has_value());
    b.lo.rf_output_enable(true);
    EXPECT_FALSE(b.frontEnd->effectiveFrequencyHz().has_value());
}

TEST(SimulatedFrontEnd, BatteryRailsAndThePoweredLnbReachTheirChannels)
{
    CalibratedBench b;
    b.frontEnd->supplies().set({8.06, 3.3, 5.22, 1.8, 0.95});
    b.scene->setInputVoltage(12.0);
    b.scene->setLnbLoadMa(140.934);
    b.chips.lnbSupply->setReg(0, 0xAC); // 18 V, output on
    // Each channel through its divider, in 0.5 mV steps; 1 and 12 to 14 are not connected.
    const int expected[15] = {4000, 0, -1, -1, 1000, 2242, -1, -1, 3600, 4000, 3600, 1900, 0, 0, 0};
    for (int ch = 0; ch < 15; ++ch) {
        if (expected[ch] < 0)
            continue;
        EXPECT_EQ(getLecturaConversorRF(ch), expected[ch]) << ch;
    }
    b.chips.lnbSupply->setReg(0, 0xA4); // output off: the input's own 12 V, no current
    EXPECT_EQ(getLecturaConversorRF(5), 2036 + 137);
    EXPECT_EQ(getLecturaConversorRF(4), 0);
}
