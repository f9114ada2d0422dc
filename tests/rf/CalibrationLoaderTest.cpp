// The calibration loader: the simulated unit's files, partial, malformed and missing files,
// reloads, and the rules the stored files rely on (text keys, rounding, doubled entries).
#include "BadXml.h"
#include "RfTestBench.h"

#include "rf/calibrationTables.h"
#include "rf/calibrations.h"
#include "rf/mesuraRF.h"

#include "store/screensvariables.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using rftest::cal0;
using rftest::opticalLine;
using rftest::writeCalibrationFile;
using testsupport::LogCapture;
using testsupport::ScopedWorkDir;

namespace {

void load() { Calibrations::getInstance()->loadCalibracion(); }
QString path(const char* name) { return QDir::currentPath() + "/calibracion/" + name; }
QString serial() { return ScreensVariables::getInstance()->getScreensVariablesSerialNumber(); }
std::vector<unsigned int> keys(const QList<calibration_point>& list)
{
    std::vector<unsigned int> out;
    for (const auto& p : list)
        out.push_back(p.key);
    return out;
}
// The peak line's slope, the 1310 nm optical offset and the serial number: what a load changes.
using InForce = std::tuple<double, double, QString>;
std::tuple<double, double, double, double> optical()
{
    return {getPendentOpticalPowerMeter(), getOffsetOpticalPowerMeter(), getPendentOpticalPowerMeter_l_1310(),
            getOffsetOpticalPowerMeter_l_1310()};
}
InForce inForce() { return {getPendentPeak(), getOffsetOpticalPowerMeter_l_1310(), serial()}; }
QString peakRow(const char* dB, const char* mostres)
{
    return QStringLiteral("<CORRECTION dB=\"%1\"><MOSTRES>%2</MOSTRES><VALOR>0.5</VALOR></CORRECTION>").arg(dB, mostres);
}

} // namespace

TEST(CalibrationLoader, TheSimulatedUnitsFilesFillEveryTable)
{
    ScopedWorkDir dir;
    dir.seedFromData("calibracion");
    load();
    EXPECT_EQ(std::make_tuple(getPendentPeak(), getOffsetPeak(), getPendentPowerMeter(), getPendentOpticalPowerMeter(),
                              getOffsetOpticalPowerMeter(), getOffsetOpticalPowerMeter_l_1310(), getOptimasContesIQ()),
              std::make_tuple(0.2, 0.0, 0.25, 0.1, 787.5, 787.5, 3150));
    EXPECT_TRUE(isCorrecioFrequenciaCable() && isCorrecioOffsetAtenuadorsCable() && isCorrecioTemperatura()
                && isCorrecioPWR());
    EXPECT_EQ(inForce(), (InForce{0.2, 787.5, "VK26000123"}));
    const auto& t = rfcal::tables();
    EXPECT_EQ(t.cable.frequencyMap.keys(), (QStringList{"00", "10", "20", "30", "40", "50", "60", "70"}));
    EXPECT_EQ(t.docsis.frequencyMap.keys(), (QStringList{"0", "10", "20", "30", "40", "50", "60", "70"}));
    // The first attenuator-offset and temperature entries go in twice.
    EXPECT_EQ(keys(t.cable.offsetAtt), (std::vector<unsigned int>{0, 0, 10, 20, 30, 40, 50, 60, 70}));
    EXPECT_EQ(t.temperature.size(), 2);
}

TEST(CalibrationLoader, OptimumCountRoundingMarksTextKeysAndDoubledEntries)
{
    ScopedWorkDir dir;
    const QString linearity = "<LINEALITY><PEAK enabled=\"ON\">" + peakRow("58", "2900") + peakRow("60", "3000")
        + peakRow("70", "2899.6") + "</PEAK><AVERAGE enabled=\"on\">" + peakRow("0", "-7") + "</AVERAGE></LINEALITY>";
    writeCalibrationFile("CAL_0.XML", cal0(linearity, linearity));
    load();
    const auto& t = rfcal::tables();
    // MOSTRES 2899.6: rounded under CABLE, truncated under DOCSIS; negative steps become 0.
    EXPECT_EQ(keys(t.cable.linearityPeak), (std::vector<unsigned int>{2900, 3000, 2900}));
    EXPECT_EQ(keys(t.docsis.linearityPeak), (std::vector<unsigned int>{2900, 3000, 2899}));
    EXPECT_EQ(keys(t.cable.linearityAverage), (std::vector<unsigned int>{0}));
    EXPECT_FALSE(t.cable.markLinearityAverage); // "on" is not "ON"

    // A count the 12-bit converter cannot reach keeps the one in force.
    const QString far = "<LINEALITY><PEAK>" + peakRow("58", "1000") + peakRow("60", "3900") + "</PEAK></LINEALITY>";
    writeCalibrationFile("CAL_0.XML", cal0(far));
    load();
    EXPECT_EQ(getOptimasContesIQ(), 3150);

    // Frequency texts, a single list and the doubled temperature entry.
    const QString cable = "<FREQUENCY att=\"30\" enabled=\"ON\"><CORRECTION freq=\"100000000\">1.5</CORRECTION>"
                          "<CORRECTION>2</CORRECTION></FREQUENCY>"
                          "<TEMPERATURE enabled=\"ON\"><CORRECTION temp=\"25\"><SLOPE>0.02</SLOPE>"
                          "<OFFSET>-0.5</OFFSET></CORRECTION></TEMPERATURE>";
    writeCalibrationFile("CAL_0.XML", cal0(cable, "<FREQUENCY att=\"0\"/><FREQUENCY att=\"10\"/>"));
    load();
    EXPECT_TRUE(t.cable.singleList && !t.docsis.singleList);
    EXPECT_EQ(keys(t.cable.frequencyMap.value("30")), (std::vector<unsigned int>{100000000u, 0u})); // no "freq": 0
    ASSERT_EQ(t.temperature.size(), 2);
    EXPECT_EQ(std::make_tuple(t.temperature[0].temperature, t.temperature[1].temperature, t.temperature[1].slope),
              std::make_tuple(25.0, 25.0, 0.02));
    // Sections without any CORRECTION give one entry of empty values; a missing "att" is
    // -500, clamped to the key 0.
    EXPECT_EQ(keys(t.cable.offsetAtt), std::vector<unsigned int>{0});
    EXPECT_EQ(t.docsis.offsetAtt.size(), 1);
}

TEST(CalibrationLoader, OpticalLinesFromBothFilesAndAMissingOpticalFileKeepsThem)
{
    ScopedWorkDir dir;
    writeCalibrationFile("CAL_0.XML", cal0("<OPWR>" + opticalLine(1550, "0.1", "-1200") + opticalLine(1310, "0.3", "-50")
                                           + "</OPWR>"));
    LogCapture log;
    load();
    EXPECT_TRUE(log.lines().contains("File " + path("CAL_FO.XML") + " does not exist"));
    // Missing CAL_FO.XML: the lines read from CAL_0.XML stay.
    EXPECT_EQ(optical(), std::make_tuple(0.1, -112.5, 0.3, 1037.5));

    // A CAL_FO.XML replaces what it holds and leaves the rest.
    writeCalibrationFile("CAL_FO.XML", "<CALIBRATION><OPWR>" + opticalLine(1550, "0.2", "-1000") + "</OPWR></CALIBRATION>");
    load();
    EXPECT_EQ(optical(), std::make_tuple(0.2, 87.5, 0.3, 1037.5));
    // A CAL_0.XML without OPWR keeps the optical lines in force.
    writeCalibrationFile("CAL_0.XML", cal0(""));
    load();
    EXPECT_EQ(optical(), std::make_tuple(0.2, 87.5, 0.3, 1037.5));
}

TEST(CalibrationLoader, MissingAndUnopenableFiles)
{
    ScopedWorkDir dir;
    {
        // Nothing at start-up: the message, the unit's serial number kept, zero lines, marks off.
        LogCapture log;
        ScreensVariables::getInstance()->setScreensVariablesSerialNumber("OLD");
        load();
        EXPECT_TRUE(log.lines().contains("File " + path("CAL_0.XML") + " does not exist"));
        EXPECT_TRUE(log.lines().contains("File " + path("CAL_FO.XML") + " does not exist"));
        // Never a valid-looking 108.7 dBm on the optical meter.
        EXPECT_EQ(inForce(), (InForce{0.0, 0.0, "OLD"}));
        EXPECT_DOUBLE_EQ(getOffsetOpticalPowerMeter(), 0.0);
        EXPECT_FALSE(isCorrecioTemperatura());
        EXPECT_EQ(getOptimasContesIQ(), 3100);
    }
    dir.seedFromData("calibracion");
    load();
    // A folder where the file should be cannot be opened.
    rftest::removeCalibrationFile("CAL_0.XML");
    QDir().mkpath("calibracion/CAL_0.XML");
    LogCapture log;
    load();
    EXPECT_EQ(log.lines(), QStringList{"Failed to open file " + path("CAL_0.XML")});
    EXPECT_DOUBLE_EQ(getPendentPeak(), 0.2);
}

TEST(CalibrationLoader, ReloadReplacesTheTablesWholeKeepsThemWhileTheFileIsMissingAndForgetsTheCache)
{
    ScopedWorkDir dir;
    const QString two = "<FREQUENCY att=\"00\" enabled=\"ON\"><CORRECTION freq=\"1\">1</CORRECTION></FREQUENCY>"
                        "<FREQUENCY att=\"40\"><CORRECTION freq=\"1\">4</CORRECTION></FREQUENCY>"
                        "<RECTA><PEAK><SLOPE>0.3</SLOPE><OFFSET>5</OFFSET></PEAK></RECTA>";
    writeCalibrationFile("CAL_0.XML", cal0(two, "", "serial_number=\"A1\""));
    load();
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(1, 45), 40.0);
    // The new file lacks "40": its entry does not survive, and the lookup searches again.
    writeCalibrationFile("CAL_0.XML", cal0("<FREQUENCY att=\"00\" enabled=\"ON\"><CORRECTION freq=\"1\">2</CORRECTION>"
                                           "</FREQUENCY><FREQUENCY att=\"70\"/>",
                                           "", "serial_number=\"A2\""));
    load();
    EXPECT_EQ(rfcal::tables().cable.frequencyMap.keys(), (QStringList{"00", "70"}));
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(1, 45), 0.0); // "70", an empty list
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(1, 5), 20.0);
    EXPECT_EQ(serial(), "A2");

    // The file briefly missing: the calibration in force stays, and the log says so.
    rftest::removeCalibrationFile("CAL_0.XML");
    LogCapture log;
    load();
    EXPECT_TRUE(log.lines().contains("File " + path("CAL_0.XML") + " does not exist"));
    EXPECT_TRUE(log.contains("keeping the calibration in force"));
    EXPECT_EQ(inForce(), (InForce{0.0, 0.0, "A2"}));
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(1, 5), 20.0);

    // Every load forgets the cached lookup and the temperature factor.
    const QString temp = "<TEMPERATURE enabled=\"ON\"><CORRECTION temp=\"25\"><SLOPE>%1</SLOPE><OFFSET>0</OFFSET>"
                         "</CORRECTION></TEMPERATURE><FREQUENCY att=\"00\" enabled=\"ON\"><CORRECTION freq=\"1\">%2"
                         "</CORRECTION></FREQUENCY><FREQUENCY att=\"10\"/>";
    writeCalibrationFile("CAL_0.XML", cal0(temp.arg("0.1", "1")));
    load();
    setTemperaturaC(35.0f);
    EXPECT_DOUBLE_EQ(getFactorCorrecioTemperatura(), 35.0);
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(1, 0), 10.0);
    writeCalibrationFile("CAL_0.XML", cal0(temp.arg("0.2", "3")));
    load();
    EXPECT_DOUBLE_EQ(getFactorCorrecioTemperatura(), 70.0);
    EXPECT_DOUBLE_EQ(calculaCorrecioFrequencia(1, 0), 30.0);
}

TEST(CalibrationLoader, AReloadTakesEachFilePresentAndFailsOnlyForOneThatCannotBeRead)
{
    ScopedWorkDir dir;
    const QString other = cal0("<RECTA><PEAK><SLOPE>0.3</SLOPE><OFFSET>5</OFFSET></PEAK></RECTA>"
                               "<OPWR>" + opticalLine(1310, "0.2", "-100") + "</OPWR>",
                               "", "serial_number=\"B7\"");
    const QString otherOptical = "<CALIBRATION><OPWR>" + opticalLine(1310, "0.3", "-50") + "</OPWR></CALIBRATION>";
    // Each row starts from the simulated unit's tables and puts each file as it says: a
    // file that cannot be read never replaces what it holds, nor does CAL_0.XML's optical
    // line replace that of an unreadable CAL_FO.XML.
    const struct {
        const char* name;
        const char* cal0; // null: the file is removed; "dir": a folder stands there
        const char* optical;
        bool read;
        InForce after;
    } rows[] = {
        {"both", "ok", "ok", true, {0.3, 1037.5, "B7"}},
        {"CAL_0 missing", nullptr, "ok", true, {0.2, 1037.5, "VK26000123"}},
        {"CAL_FO missing", "ok", nullptr, true, {0.3, 987.5, "B7"}},
        {"both missing", nullptr, nullptr, true, {0.2, 787.5, "VK26000123"}},
        {"CAL_0 malformed", "<CALIBRATION><CABLE>", "ok", false, {0.2, 1037.5, "VK26000123"}},
        {"CAL_FO malformed", "ok", "<CALIBRATION>", false, {0.3, 787.5, "B7"}},
        {"CAL_0 unopenable", "dir", "ok", false, {0.2, 1037.5, "VK26000123"}},
        {"CAL_FO unopenable", "ok", "dir", false, {0.3, 787.5, "B7"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        QDir("calibracion").removeRecursively();
        dir.seedFromData("calibracion");
        load();
        QDir("calibracion").removeRecursively();
        QDir().mkpath("calibracion");
        auto put = [](const char* name, const char* text, const QString& good) {
            if (!text)
                return;
            if (QString(text) == "dir")
                QDir().mkpath(QString("calibracion/") + name);
            else
                writeCalibrationFile(name, QString(text) == "ok" ? good : QString(text));
        };
        put("CAL_0.XML", r.cal0, other);
        put("CAL_FO.XML", r.optical, otherOptical);
        EXPECT_EQ(Calibrations::getInstance()->loadCalibracion(), r.read);
        EXPECT_EQ(inForce(), r.after);
    }
    // A file without a serial number keeps the unit's.
    QDir("calibracion").removeRecursively();
    writeCalibrationFile("CAL_0.XML", cal0(""));
    EXPECT_TRUE(Calibrations::getInstance()->loadCalibracion());
    EXPECT_EQ(serial(), "B7");
}

TEST(CalibrationLoader, NumbersThatAreNotFiniteOrOutOfRangeAreRefusedWithWhatTheyWouldReplace)
{
    ScopedWorkDir dir;
    dir.seedFromData("calibracion");
    load();
    const auto& t = rfcal::tables();
    // Each row replaces the simulated unit's CAL_0.XML; what a refused number would have
    // replaced stays as that file had it.
    const struct {
        const char* name;
        QString cable;
        std::function<bool()> holds;
    } rows[] = {
        {"peak slope 1e300", "<RECTA><PEAK><SLOPE>1e300</SLOPE><OFFSET>5</OFFSET></PEAK></RECTA>",
         [&] { return t.peak.slope == 0.2 && t.peak.offset == 0; }},
        {"peak offset inf", "<RECTA><PEAK><SLOPE>0.3</SLOPE><OFFSET>inf</OFFSET></PEAK></RECTA>",
         [&] { return t.peak.slope == 0.2; }},
        {"average slope nan", "<RECTA><AVERAGE><SLOPE>nan</SLOPE><OFFSET>1</OFFSET></AVERAGE></RECTA>",
         [&] { return t.average.slope == 0.2 && t.average.offset == 0; }},
        {"power meter -1e400", "<PWR enabled=\"ON\"><SLOPE>-1e400</SLOPE><OFFSET>0</OFFSET></PWR>",
         [&] { return t.powerMeter.slope == 0.25 && t.markPowerMeter; }},
        {"just beyond the bound", "<RECTA><PEAK><SLOPE>100000.5</SLOPE><OFFSET>0</OFFSET></PEAK></RECTA>",
         [&] { return t.peak.slope == 0.2; }},
        {"a dB of 1e300",
         "<LINEALITY><PEAK enabled=\"ON\">" + peakRow("58", "2900") + peakRow("60", "3000") + peakRow("1e300", "3100")
             + "</PEAK></LINEALITY>",
         [&] { return getOptimasContesIQ() == 3150 && t.cable.linearityPeak.size() == 3; }},
        {"a linearity value of 1e300",
         "<LINEALITY><PEAK enabled=\"ON\"><CORRECTION><MOSTRES>1</MOSTRES><VALOR>1e300</VALOR></CORRECTION>"
         "<CORRECTION><MOSTRES>2</MOSTRES><VALOR>0.5</VALOR></CORRECTION></PEAK></LINEALITY>",
         [&] { return keys(t.cable.linearityPeak) == std::vector<unsigned>{2}; }},
        {"a frequency correction beyond float",
         "<FREQUENCY att=\"00\" enabled=\"ON\"><CORRECTION freq=\"1\">1e39</CORRECTION>"
         "<CORRECTION freq=\"2\">3</CORRECTION></FREQUENCY>",
         [&] { return keys(t.cable.frequencyMap.value("00")) == std::vector<unsigned>{2}; }},
        {"a temperature of 1e300",
         "<TEMPERATURE enabled=\"ON\"><CORRECTION temp=\"1e300\"><SLOPE>1</SLOPE><OFFSET>1</OFFSET></CORRECTION>"
         "</TEMPERATURE>",
         [&] { return t.temperature.size() == 1 && t.temperature[0].temperature == -500.0; }},
        {"an attenuator offset of -inf",
         "<OFFSETATT enabled=\"ON\"><FREQUENCY><CORRECTION att=\"0\">-inf</CORRECTION>"
         "<CORRECTION att=\"10\">2</CORRECTION></FREQUENCY></OFFSETATT>",
         [&] { return keys(t.cable.offsetAtt) == std::vector<unsigned>{10, 10}; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dir.seedFromData("calibracion/CAL_0.XML");
        load();
        LogCapture log;
        writeCalibrationFile("CAL_0.XML", cal0(row.cable));
        load();
        EXPECT_TRUE(row.holds());
        EXPECT_EQ(log.count("holds a number that is not finite or is out of range"), 1)
            << log.lines().join("\n").toStdString();
    }
    // The bound itself is a number like any other; readings from the largest lines stay ints.
    writeCalibrationFile("CAL_0.XML", cal0("<RECTA><PEAK><SLOPE>100000</SLOPE><OFFSET>-100000</OFFSET></PEAK></RECTA>"));
    load();
    EXPECT_DOUBLE_EQ(t.peak.slope, 100000.0);
    EXPECT_DOUBLE_EQ(t.peak.offset, -100000.0);

    // The optical file: the line in force stays.
    writeCalibrationFile("CAL_FO.XML", "<CALIBRATION><OPWR>" + opticalLine(1550, "1e300", "0") + opticalLine(1310, "0.3", "0")
                                           + "</OPWR></CALIBRATION>");
    Calibrations::getInstance()->loadCalibracion_FO();
    EXPECT_DOUBLE_EQ(getPendentOpticalPowerMeter_l_1550(), 0.1);
    EXPECT_DOUBLE_EQ(getOffsetOpticalPowerMeter_l_1550(), 787.5);
    EXPECT_DOUBLE_EQ(getPendentOpticalPowerMeter_l_1310(), 0.3);
}

TEST(CalibrationLoader, ADamagedFileIsLoggedKeepsTheCalibrationInForceAndStaysWhereItIs)
{
    for (const char* name : {"CAL_0.XML", "CAL_FO.XML"}) {
        for (const testsupport::BadXml& bad : testsupport::damagedFiles("CALIBRATION")) {
            SCOPED_TRACE(std::string(name) + ": " + bad.name);
            ScopedWorkDir dir;
            dir.seedFromData("calibracion");
            load();
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bad.content);
            file.close();
            LogCapture log;
            load();
            EXPECT_EQ(log.count("File " + path(name) + " "), 1) << log.lines().join("\n").toStdString();
            EXPECT_TRUE(log.contains("the calibration in force is kept"));
            EXPECT_DOUBLE_EQ(getPendentPeak(), 0.2);
            EXPECT_DOUBLE_EQ(getOffsetOpticalPowerMeter(), 787.5);
            EXPECT_EQ(serial(), "VK26000123");
            EXPECT_TRUE(QFile::exists(path(name)));
        }
    }
}
