// The simulated front end: a path the unit would never set passes no signal, the
// time-driven converter channels, and the default board's cable network read through
// the chain with the shipped calibration.
#include "RfTestBench.h"

#include "rf/calibrations.h"
#include "rf/mesuraRF.h"


#include <gtest/gtest.h>

#include <algorithm>

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

TEST(SimulatedFrontEnd, TimeDrivenChannelsFollowTheScene)
{
    CalibratedBench b;
    b.scene->setInputVoltage(12.0, 2.0, 50.0);
    b.scene->setHumPercent(1.8);
    b.scene->setLnbLoadMa(150.0);
    int lowest5 = 4096, highest5 = 0, lowest6 = 4096, highest6 = 0;
    long sum5 = 0;
    const int n = 400; // each reading costs 0.5 ms of board time: 200 ms, ten 50 Hz periods
    for (int i = 0; i < n; ++i) {
        const int v5 = getLecturaConversorRF(5), v6 = getLecturaConversorRF(6);
        sum5 += v5;
        lowest5 = std::min(lowest5, v5);
        highest5 = std::max(highest5, v5);
        lowest6 = std::min(lowest6, v6);
        highest6 = std::max(highest6, v6);
    }
    // The engine's formulas give the scene back: DC (mean - 2036) × 0.873, AC (max - min)
    // × 0.3086, both in 0.1 V; hum (max - min) × 0.036 %.
    EXPECT_NEAR((static_cast<double>(sum5) / n - 2036) * 0.873, 120.0, 3.0);
    EXPECT_NEAR((highest5 - lowest5) * 0.3086, 20.0, 1.0);
    EXPECT_NEAR((highest6 - lowest6) * 0.036, 1.8, 0.1);
    EXPECT_EQ(getLecturaConversorRF(4), 0); // the LNB supply is off
}

TEST(SimulatedFrontEnd, DefaultBoardCarriesTheStandardPlansNetwork)
{
    testsupport::ScopedBoard board(testsupport::unitBoard());
    testsupport::ScopedWorkDir dir;
    dir.seedFromData("calibracion");
    ADF4350 lo;
    MAX11337 adc;
    setInitMesuraRF(&lo, &adc);
    Calibrations::getInstance()->loadCalibracion();
    setGpio_F2(true);
    setGpio_F3(false);
    setAtenuador(20, true);
    // E5: PAL, vision carrier 2.25 MHz below the 177.5 MHz centre, 72 dBµV + 0.3 dB tilt.
    mesuraNivellEspectre(175250000u, 0, 0);
    EXPECT_NEAR(getMesuraNivell(), 723, 5);
    // E21: DVB-C 8 MHz at 66 dBµV + 1.5 dB tilt, 17.1 dB of it in the narrow filter.
    mesuraNivellEspectre(474000000u, 0, 0);
    EXPECT_NEAR(getMesuraNivell(), 504, 5);
    int optical = 0;
    mesuraOpticalPowerMeter(&optical);
    EXPECT_NEAR(optical - 1087.5, -20.0, 1.0);
}
