// The simulated front end: a path the unit would never set passes no signal, the
// time-driven converter channels (mains and hum), the beats of analogue channels, and the
// default board's cable network read through the chain with the shipped calibration.
#include "RfTestBench.h"

#include "rf/calibrations.h"
#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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

namespace {

// The spread (highest less lowest) of n readings of a channel, each 0.5 ms of board time.
int spread(int channel, int n)
{
    int lowest = 4096, highest = 0;
    for (int i = 0; i < n; ++i) {
        const int v = getLecturaConversorRF(channel);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    return highest - lowest;
}

} // namespace

TEST(SimulatedFrontEnd, MainsAndHumFollowTheScene)
{
    CalibratedBench b;
    // A quasi-square wave dwells at its peaks: most samples lie there (56.6 V: 648 steps).
    b.scene->setInputVoltage(0, 40.0, 50.0, platform::sim::MainsShape::QuasiSquare);
    int atPeaks = 0;
    for (int i = 0; i < 400; ++i)
        atPeaks += std::abs(getLecturaConversorRF(5) - 2036) >= 640;
    EXPECT_GT(atPeaks, 200);
    EXPECT_NEAR(b.scene->inputVoltsAt(0.005), 56.57, 0.01); // a quarter period of 50 Hz

    // The hum ripples the carrier the detector sees, not the noise beside it; with nothing
    // tuned nothing ripples.
    b.scene->setNoiseFloor(10.0);
    b.scene->addCw(500e6, 60.0);
    b.scene->setHumPercent(1.8);
    b.scene->setInputVoltage(0, 0, 60.0);
    b.scene->setLnbLoadMa(150.0);
    setAtenuador(20, true);
    sintonitzar(500000000u);
    EXPECT_GT(spread(6, 400), 30);
    EXPECT_NEAR(b.scene->humDeviationAt(1.0 / 240), 0.9, 1e-9);
    sintonitzar(502000000u);
    EXPECT_LE(spread(6, 400), 1);
    setGpio_SUB(true);
    EXPECT_EQ(spread(6, 100), 0);
    EXPECT_EQ(getLecturaConversorRF(4), 0); // the LNB supply is off
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

TEST(SimulatedFrontEnd, AnalogueChannelsCarryTheirBeats)
{
    CalibratedBench b;
    using platform::sim::SceneBeat;
    b.scene->setNoiseFloor(-20.0);
    b.scene->addAnalogue(175.25e6, 72.0, 5.5e6, 59.0);
    EXPECT_TRUE(b.scene->setDistortion(175.25e6 + 500, -45.0, {{-0.75e6, -38.0}, {1.25e6, -40.0}}));
    EXPECT_FALSE(b.scene->setDistortion(176.25e6, -45.0, {}));
    EXPECT_FALSE(b.scene->removeVisionCarrier(182.25e6));
    const double totalBefore = b.scene->totalPowerDbuV();
    setAtenuador(0, true);
    auto level = [&](unsigned int f) {
        mesuraNivellEspectre(f, 0, 0);
        return getMesuraNivell();
    };
    const struct {
        unsigned int f;
        int level;
    } beside[] = {{175250000u, 720}, {174500000u, 340}, {176500000u, 320}, {180750000u, 590}, {177000000u, 0}};
    for (const auto& c : beside)
        EXPECT_NEAR(level(c.f), c.level, 2) << c.f;
    // The triple beat under the vision carrier shows when the carrier is switched off.
    ASSERT_TRUE(b.scene->removeVisionCarrier(175.25e6));
    EXPECT_NEAR(level(175250000u), 270, 2);
    EXPECT_NEAR(level(180750000u), 590, 2);
    EXPECT_LT(b.scene->totalPowerDbuV(), totalBefore - 1.0);
    b.scene->removeVisionCarrier(175.25e6, false);
    EXPECT_NEAR(level(175250000u), 720, 2);
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
