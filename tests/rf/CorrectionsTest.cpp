// The corrections computed from the calibration tables: interpolation, the frequency-
// response list search by set, attenuator offsets, temperature and channel integration.
#include "RfTestBench.h"

#include "rf/calibracionRF.h"
#include "rf/calibrations.h"
#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

#include <tuple>

using rftest::cal0;
using rftest::writeCalibrationFile;
using testsupport::LogCapture;
using testsupport::ScopedWorkDir;

namespace {

void load(const QString& cable, const QString& docsis = QString())
{
    writeCalibrationFile("CAL_0.XML", cal0(cable, docsis));
    Calibrations::getInstance()->loadCalibracion();
}

QString frequencyList(const char* att, double value, bool first = false)
{
    return QStringLiteral("<FREQUENCY att=\"%1\"%2><CORRECTION freq=\"100000000\">%3</CORRECTION></FREQUENCY>")
        .arg(att, first ? " enabled=\"ON\"" : "")
        .arg(value);
}

} // namespace

TEST(Corrections, InterpolationInsideAndFlatOutside)
{
    const QList<calibration_point> list{{100000000u, 1.0}, {200000000u, 3.0}, {400000000u, -1.0}};
    for (auto [f, value] : {std::pair{150000000u, 2.0}, {50000000u, 1.0}, {100000000u, 1.0}, {200000000u, 3.0},
                            {300000000u, 1.0}, {4000000000u, -1.0}})
        EXPECT_DOUBLE_EQ(calculaValueCorrecio(f, list), value) << f;
    EXPECT_DOUBLE_EQ(calculaValueCorrecio(5u, {}), 0.0);

    ScopedWorkDir dir;
    load("<FREQUENCY att=\"00\" enabled=\"ON\"><CORRECTION freq=\"100000000\">1.0</CORRECTION>"
         "<CORRECTION freq=\"200000000\">3.0</CORRECTION></FREQUENCY>");
    for (auto [f, value] : {std::pair{150000000u, 20.0}, {50000000u, 10.0}, {300000000u, 30.0}})
        EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(f, 0), value) << f;
}

TEST(Corrections, FrequencyListSearchByTextKeyOfEachSet)
{
    ScopedWorkDir dir;
    const QString cable = frequencyList("00", 0.5, true) + frequencyList("40", 4.0);
    // The DOCSIS set of a file that wrote the CABLE spelling.
    const QString docsis = frequencyList("00", 0.7, true) + frequencyList("05", 4.4);
    load(cable, docsis);
    LogCapture log;
    // 20: "20", "10" down, then "20", "30", "40" up; 70: down to "40".
    for (auto [att, value] : {std::pair{20, 40.0}, {5, 5.0}, {45, 40.0}, {70, 40.0}})
        EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(100000000u, att), value) << att;
    EXPECT_FALSE(log.contains("error lista no encontrada"));

    setCalibracioCable(false);
    // DOCSIS asks for "0", "10" ... "70": none is in this file, so the working list (the
    // file's last FREQUENCY) stays.
    // The same attenuation again neither searches nor prints.
    for (auto [att, said] : {std::pair{5, 1}, {5, 1}, {40, 2}}) {
        EXPECT_NEAR(calculaCorrecioFrequencia(100000000u, att), 44.0, 1e-4);
        EXPECT_EQ(log.count(" error lista no encontrada"), said) << att;
    }
    // Each set remembers its own last lookup.
    setCalibracioCable(true);
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(100000000u, 45), 40.0);
}

TEST(Corrections, SingleListServesEveryAttenuationAndMarksOffGiveZero)
{
    ScopedWorkDir dir;
    load(frequencyList("60", 2.5, true));
    LogCapture log;
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(100000000u, 0), 25.0);
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(100000000u, 33), 25.0);
    EXPECT_TRUE(log.lines().isEmpty());
    load("<FREQUENCY att=\"00\"><CORRECTION freq=\"1\">3</CORRECTION></FREQUENCY>"
         "<OFFSETATT><FREQUENCY><CORRECTION att=\"0\">2</CORRECTION></FREQUENCY></OFFSETATT>"
         "<LINEALITY><PEAK><CORRECTION dB=\"1\"><MOSTRES>1</MOSTRES><VALOR>3</VALOR></CORRECTION></PEAK></LINEALITY>");
    EXPECT_EQ(std::make_tuple(calculaCorrecioFrequencia(1u, 0), calculaCorrecioOffsetAtenuadors(1u, 0),
                              calculaCorrecioLinealitatPEAK(1)),
              std::make_tuple(0.0, 0.0, 0.0));
}

TEST(Corrections, AttenuatorValueAndOffsetsBySet)
{
    for (auto [att, value] : {std::pair{-3, 0}, {0, 0}, {45, 450}, {75, 700}})
        EXPECT_EQ(getCorrecioAtenuadordBuV(att), value) << att;

    ScopedWorkDir dir;
    const QString offsets = "<OFFSETATT enabled=\"ON\"><FREQUENCY><CORRECTION att=\"0\">0.2</CORRECTION>"
                            "<CORRECTION att=\"20\">%1</CORRECTION><CORRECTION att=\"70\">-0.6</CORRECTION>"
                            "</FREQUENCY></OFFSETATT>";
    load(offsets.arg("1.0"), offsets.arg("3.0"));
    // -10: no wrap to a huge key.
    for (auto [att, value] : {std::pair{10, 6.0}, {20, 10.0}, {90, -6.0}, {-10, 2.0}})
        EXPECT_NEAR(calculaCorrecioOffsetAtenuadors(0u, att), value, 1e-5) << att;
    setCalibracioCable(false);
    EXPECT_NEAR(calculaCorrecioOffsetAtenuadors(0u, 20), 30.0, 1e-5);
    EXPECT_NEAR(corregirDependentFrequencia(0u, 20), 30.0, 1e-5);
}

TEST(Corrections, LinearityTruncatedByDetector)
{
    ScopedWorkDir dir;
    const QString lin = "<LINEALITY><PEAK enabled=\"ON\"><CORRECTION dB=\"1\"><MOSTRES>1000</MOSTRES><VALOR>0</VALOR>"
                        "</CORRECTION><CORRECTION dB=\"2\"><MOSTRES>2000</MOSTRES><VALOR>-1.0</VALOR></CORRECTION></PEAK>"
                        "<AVERAGE enabled=\"ON\"><CORRECTION><MOSTRES>1000</MOSTRES><VALOR>0.37</VALOR></CORRECTION>"
                        "</AVERAGE></LINEALITY>";
    load(lin);
    // Steps below 0 read as 0.
    for (auto [steps, value] : {std::pair{1500, -5.0}, {1250, -2.5}, {-40, 0.0}})
        EXPECT_NEAR(calculaCorrecioLinealitatPEAK(steps), value, 1e-9) << steps;
    // Truncated toward zero, by detector.
    for (auto [detector, value] : {std::pair{0, -2.0}, {1, 3.0}, {2, 0.0}, {14, 0.0}})
        EXPECT_DOUBLE_EQ(calculaCorrecioLinealitat(1250, detector), value) << detector;
}

TEST(Corrections, TemperatureFactorWithTheMarkOnAndOff)
{
    ScopedWorkDir dir;
    const QString one = "<TEMPERATURE enabled=\"%1\"><CORRECTION temp=\"25\"><SLOPE>0.02</SLOPE><OFFSET>-0.5</OFFSET>"
                        "</CORRECTION></TEMPERATURE>";
    load(one.arg("ON"));
    setTemperaturaC(30.0f);
    EXPECT_NEAR(getFactorCorrecioTemperatura(), 1.0, 1e-9);
    setTemperaturaC(25.0f);
    EXPECT_DOUBLE_EQ(getFactorCorrecioTemperatura(), 0.0);
    EXPECT_NEAR(calculaCorrecioTemperatura(20.0), -1.0, 1e-9);
    load(one.arg("OFF"));
    setTemperaturaC(30.0f);
    EXPECT_DOUBLE_EQ(getFactorCorrecioTemperatura(), 0.0);

    // Several entries: below the first and above the last the last line; inside, the line
    // of the entry whose successor is the first at or above T.
    load("<TEMPERATURE enabled=\"ON\"><CORRECTION temp=\"0\"><SLOPE>0</SLOPE><OFFSET>1</OFFSET></CORRECTION>"
         "<CORRECTION temp=\"20\"><SLOPE>0</SLOPE><OFFSET>2</OFFSET></CORRECTION>"
         "<CORRECTION temp=\"40\"><SLOPE>0</SLOPE><OFFSET>3</OFFSET></CORRECTION></TEMPERATURE>");
    // The list is 0, 0, 20, 40.
    for (auto [t, value] : {std::pair{-5, 30.0}, {45, 30.0}, {0, 0.0}, {10, 10.0}, {20, 10.0}, {30, 20.0}, {40, 20.0}})
        EXPECT_DOUBLE_EQ(calculaCorrecioTemperatura(t), value) << t;
}

TEST(Corrections, IntegrationOfDigitalPointsInTheWindow)
{
    EXPECT_NEAR(addDigitalChannelIntegration(8000000), 170.58, 0.005);
    for (int bandwidth : {157500, 0, -5})
        EXPECT_DOUBLE_EQ(addDigitalChannelIntegration(bandwidth), 0.0) << bandwidth;

    ScopedWorkDir dir;
    load(frequencyList("00", 1.5, true));
    const QList<QVariant> points{
        QVariantMap{{"frequency", 100000000u}, {"type", "DIGITAL"}, {"bandwidth", 8000000}},
        QVariantMap{{"frequency", 100000000u}, {"type", "ANALOG"}, {"bandwidth", 7000000}},
        QVariantMap{{"frequency", 100000000u}, {"type", "digital"}, {"bandwidth", 8000000}},
        QVariantMap{{"frequency", 100000000u}, {"type", "DIGITAL"}},
        QVariantMap{{"frequency", 100000000u}, {"type", "DIGITAL"}, {"bandwidth", 0}},
    };
    const QList<QVariant> out = inicialitzarCorreccionsFinestra(points, 0);
    ASSERT_EQ(out.size(), 5);
    EXPECT_NEAR(out[0].toMap().value("addIntegration").toDouble(), 120.58, 0.005);
    EXPECT_DOUBLE_EQ(out[0].toMap().value("correccio").toDouble(), 15.0);
    for (int i = 1; i < 5; ++i)
        EXPECT_DOUBLE_EQ(out[i].toMap().value("addIntegration").toDouble(), 0.0) << i;
    EXPECT_EQ(out[1].toMap().value("type").toString(), "ANALOG"); // the rest of the point stays
}
