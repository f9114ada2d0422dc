// Level conversion and readings: the detector lines, clipping and corrections, the reading
// variants, and calibrated readings of the simulated scene end to end.
#include "RfTestBench.h"

#include "rf/calibrations.h"
#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using rftest::cal0;
using rftest::CalibratedBench;
using rftest::RfBench;
using rftest::writeCalibrationFile;
using testsupport::ScopedWorkDir;

namespace {

QString lines(const char* slope, const char* offset)
{
    return QStringLiteral("<RECTA><PEAK><SLOPE>%1</SLOPE><OFFSET>%2</OFFSET></PEAK></RECTA>"
                          "<PWR><SLOPE>0.5</SLOPE><OFFSET>10</OFFSET></PWR>")
        .arg(slope, offset);
}

void loadLines(const char* slope, const char* offset)
{
    writeCalibrationFile("CAL_0.XML", cal0(lines(slope, offset)));
    Calibrations::getInstance()->loadCalibracion();
}

int readAt(unsigned int f)
{
    EXPECT_EQ(mesuraNivellEspectre(f, 0, 0), 0);
    return getMesuraNivell();
}

} // namespace

TEST(LevelConversion, DetectorLinesClipAndCorrections)
{
    RfBench b;
    ScopedWorkDir dir;
    loadLines("0.05", "-20");
    // Toward zero; the mean uses the peak line too.
    for (auto [detector, steps, level] : {std::tuple{0, 2000, 80}, {0, 10, -19}, {1, 2000, 80}, {2, 2000, 1010},
                                          {5, 2000, -1000}}) {
        setDetector(detector);
        EXPECT_EQ(convertirPasosdBuV(steps), level) << detector;
    }

    loadLines("1", "0");
    setDetector(0);
    EXPECT_DOUBLE_EQ(corregirLecturadBuV(1500, 10), 1400.0); // clipped at 1300 before the 100
    EXPECT_DOUBLE_EQ(corregirLecturadBuV(1200, 75), 1900.0);
    EXPECT_DOUBLE_EQ(corregirIndependentFrequencia(1200, -4), 0.0);
}

TEST(LevelConversion, WithoutCalibrationTheLevelIsTheAttenuation)
{
    RfBench b;
    ScopedWorkDir dir;
    Calibrations::getInstance()->loadCalibracion();
    b.chips.converter->setChannelValue(2, 3000);
    setAtenuador(30, true);
    EXPECT_EQ(readAt(300000000u), 300);
}

TEST(LevelReadings, VariantsAcquireAndAverageAsSpecified)
{
    RfBench b;
    ScopedWorkDir dir;
    loadLines("1", "0");
    setAtenuador(0, true);
    int conversion = 0;
    // One acquisition takes 21 frames; the first acquisition reads 100, the rest 101.
    b.chips.converter->setChannelFunction(2, [&](uint64_t) { return conversion++ < 21 ? 100 : 101; });
    mesuraNivellScan(300000000u, 0, 0);
    EXPECT_EQ(getMesuraNivell(), 100);

    conversion = 0;
    b.chips.converter->setChannelFunction(2, [&](uint64_t) { return 200 + (conversion++ / 21) % 7; });
    mesuraNivellScanMarker(300000000u, 0, 0);
    EXPECT_EQ(getMesuraNivell(), 206);
    conversion = 0;
    mesuraNivellScanTilt(300000000u, 0, 0);
    EXPECT_EQ(getMesuraNivell(), 202); // (14 × 21 + 6 × 0..5 sums) / 100, integer
    setMesuraNivell(0);
    b.chips.converter->setChannelValue(2, 444);
    EXPECT_EQ(mesuraNivellEspectreFast(300000000u), 0);
    EXPECT_EQ(std::make_tuple(getMesuraNivell(), getNivellConversor()), std::make_tuple(444, 444));
}

TEST(LevelReadings, SceneCarrierReadsBackAcrossTheAttenuatorRangeAndInEveryBand)
{
    CalibratedBench b;
    b.frontEnd->setJitterSteps(2);
    b.scene->setNoiseFloor(-20.0);
    b.scene->addCw(300e6, 65.0);
    for (int att : {0, 10, 20, 30, 40}) {
        setAtenuador(att, false);
        EXPECT_NEAR(readAt(300000000u), 650, 5) << att << " dB";
    }
    const double freqs[] = {50e6, 120e6, 600e6, 1000e6, 1500e6, 2000e6, 2600e6};
    for (double f : freqs) {
        b.scene->clear();
        b.scene->addCw(f, 65.0);
        sintonitzar(static_cast<unsigned int>(f));
        ajustarAtenuador();
        EXPECT_NEAR(readAt(static_cast<unsigned int>(f)), 650, 5) << f << " Hz at " << getAtenuador() << " dB";
    }
}

TEST(LevelReadings, DigitalBlockAndFilterWidth)
{
    CalibratedBench b;
    b.scene->setNoiseFloor(-20.0);
    // 8 MHz at 80 dBµV: the narrow filter sees 157.5 kHz of it, 17.1 dB down. The peak
    // detector's largest of 20 conversions catches the block's envelope 5 dB above that
    // power; the channel power's means of 10 conversions read the power itself.
    b.scene->addDigital(474e6, 8e6, 80.0, "DVB-C");
    setAtenuador(20, true);
    const int narrow = readAt(474000000u);
    EXPECT_NEAR(narrow, 800 - 171 + 50, 5);
    int slice = 0;
    mesuraLevel_integracio_filtrar_amb_maxims(&slice);
    EXPECT_NEAR(slice, 800 - 171, 2);
    setGpio_F2(false);
    setGpio_F3(true);
    EXPECT_NEAR(readAt(474000000u), 800 - 51 + 50, 5); // 2.5 MHz: 5.05 dB down
    // No IF filter selected (both lines low, as at start-up): nothing reaches the detector.
    setGpio_F3(false);
    EXPECT_EQ(readAt(474000000u), 200);
}

TEST(LevelReadings, PeakHoldReadsAtTheGivenAttenuation)
{
    CalibratedBench b;
    // Peak hold prepares, then reads with the given attenuation.
    b.scene->addCw(300e6, 60.0);
    setDetector(2);
    EXPECT_EQ(mesuraNivellEspectreMantenintPic(4, 0, 10), 0);
    EXPECT_EQ(std::make_tuple(getAtenuador(), getDetector(), b.lineWrites().back()), std::make_tuple(10, 0, "19=0"));
    b.clearLog();
    EXPECT_EQ(mesuraNivellEspectreMantenintPic(0, 300000000u, 10), 0);
    EXPECT_NEAR(getMesuraNivell(), 600, 2);
    // Later readings do not restart the hold.
    mesuraNivellEspectreMantenintPic(0, 300000000u, 30);
    EXPECT_NEAR(getMesuraNivell(), 800, 2); // the att argument, not the 10 dB set
}
