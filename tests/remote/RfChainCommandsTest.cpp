// "*CIRCUIT", "*FILTER", "*?TEMPERATURE", "*?CONVERT" and "*CALIBRATION" on the simulated
// measuring chain: the exact answer to every line, and what it did to the board (routing and
// filter lines, converter channels read, calibration tables), or that a refused line did nothing.
#include "RfCommandBench.h"

#include "rf/mesuraRF.h"
#include "store/screensvariables.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>

using namespace remotetest;

TEST(RoutingCommands, CircuitAndFilterAreSelectedByNameAndReported)
{
    RfCommandBench b;
    EXPECT_EQ(b.ask("*?CIRCUIT\r"), nak()); // nothing selected since start
    // The routing lines RF_OPTIC (169), DOCSIS (7), DW (17), UP (198), EXT_CM (160); the filter
    // lines F2 (23) and F3 (22). A parameter on a query changes nothing.
    const struct {
        const char* line;
        std::vector<std::string> writes;
        const char* query;
        const char* reply;
    } rows[] = {
        {"*CIRCUIT CIRCUIT=CABLE_OPTIC\r", {"169=1", "7=0", "160=0"}, "*?CIRCUIT CIRCUIT=CABLE_RF\r",
         "*CIRCUIT CIRCUIT=CABLE_OPTIC"},
        {"*CIRCUIT CIRCUIT={EXT_CM_UP}\r", {"169=0", "7=1", "17=0", "198=1", "160=1"}, "*?CIRCUIT\r",
         "*CIRCUIT CIRCUIT=EXT_CM_UP"},
        {"*CIRCUIT,CIRCUIT= CABLE_RF\n", {"169=0", "7=0", "17=0", "198=0", "160=0"}, "*?CIRCUIT\r",
         "*CIRCUIT CIRCUIT=CABLE_RF"},
        {"*CIRCUIT CIRCUIT=EXT_CM_UP X=1\r", {"169=0", "7=1", "17=0", "198=1", "160=1"}, "*?CIRCUIT\r",
         "*CIRCUIT CIRCUIT=EXT_CM_UP"},
        {"*CIRCUIT CIRCUIT=EXT_CM_UP\r", {}, "*?CIRCUIT\r", "*CIRCUIT CIRCUIT=EXT_CM_UP"}, // in force already
        {"*FILTER FILTER=FILTER_WIDE\r", {"23=0", "22=1"}, "*?FILTER FILTER=FILTER_NARROW\r", "*FILTER FILTER=FILTER_WIDE"},
        {"*FILTER FILTER={FILTER_NARROW}\r", {"23=1", "22=0"}, "*?FILTER\r", "*FILTER FILTER=FILTER_NARROW"},
        {"*FILTER\r", {}, "*?FILTER\r", "*FILTER FILTER=FILTER_NARROW"}, // no FILTER=: nothing changes
        {"*FILTER,FILTER=FILTER_WIDE,X=1\n", {"23=0", "22=1"}, "*?FILTER\r", "*FILTER FILTER=FILTER_WIDE"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        b.clearLog();
        EXPECT_EQ(b.ask(r.line), ack());
        EXPECT_EQ(b.lineWrites(), r.writes);
        EXPECT_EQ(b.transactions(), r.writes.size());
        EXPECT_EQ(b.ask(r.query), ack(r.reply));
    }
    EXPECT_DOUBLE_EQ(b.frontEnd->filterBandwidthHz(), 2500000.0);

    std::vector<QByteArray> refused = {"*CIRCUIT\r", "*CIRCUIT CIRCUIT=\r", "*CIRCUIT CIRCUIT=cable_rf\r",
                                       "*CIRCUIT CIRCUIT=3\r", "*CIRCUIT CIRCUIT=CABLE_RFX\r", "*CIRCUIT CABLE_RF\r",
                                       "*FILTER FILTER=\r", "*FILTER FILTER=157500\r", "*FILTER FILTER=filter_wide\r",
                                       "*FILTER FILTER=FILTER_WIDEX\r"};
    for (const QByteArray& key : {QByteArray("*CIRCUIT CIRCUIT="), QByteArray("*FILTER FILTER=")})
        for (const QByteArray& line : hostile(key))
            refused.push_back(line);
    b.clearLog();
    for (const QByteArray& line : refused)
        EXPECT_EQ(b.ask(line), nak()) << line.left(40).toStdString();
    EXPECT_EQ(b.transactions(), 0u);
    EXPECT_EQ(b.ask("*?CIRCUIT\r"), ack("*CIRCUIT CIRCUIT=EXT_CM_UP"));
    EXPECT_EQ(b.ask("*?FILTER\r"), ack("*FILTER FILTER=FILTER_WIDE"));
}

TEST(TemperatureCommand, PrintsTheStoredTemperatureWithSixDecimals)
{
    RfCommandBench b;
    EXPECT_EQ(b.ask("*?TEMPERATURE\r"), ack("*TEMPERATURE Temperature=25.000000")); // before any reading
    setTemperaturaC(-3.5f);
    EXPECT_EQ(b.ask("*?TEMPERATURE\r"), ack("*TEMPERATURE Temperature=-3.500000"));
    setTemperaturaC(36.6f); // the float as it widens
    EXPECT_EQ(b.ask("*?TEMPERATURE Temperature=1\r"), ack("*TEMPERATURE Temperature=36.599998"));
    EXPECT_EQ(b.ask("*TEMPERATURE\r"), nak()); // no set key
    EXPECT_EQ(b.transactions(), 0u);
}

TEST(ConverterCommand, AveragesAHundredReadingsAndConvertsEachPort)
{
    RfCommandBench b;
    auto& adc = *b.chips.converter;
    // What one reading of a channel costs the converter.
    const int start = adc.conversionCount(0);
    getLecturaConversorRF(0);
    const int perReading = adc.conversionCount(0) - start;
    const struct {
        const char* port;
        int channel; // the one the port reads
        int raw;
        const char* reply;
    } rows[] = {
        {"VBAT", 0, 4000, "VBAT=4000 V=8.060"},
        {"V_LNB", 5, 2200, "V_LNB=2200 V=14.000"}, // 14.317 V cut to whole volts
        {"V_LNB", 5, 2036, "V_LNB=2036 V=0.000"},
        {"V_LNB", 5, 2000, "V_LNB=2000 V=-3.000"},
        {"I_LNB", 4, 1000, "I_LNB=1000 I=140.934"},
        {"HUM", 6, 1234, "HUM=1234"},
        {"RF_POWER", 3, 2000, "RF_POWER=2000 dBuV=50.000"}, // the power meter's line: 0.25 per step
        {"+3V3", 8, 3600, "+3V3=3600 V=3.300"},
        {"+5V0", 9, 3831, "+5V0=3831 V=4.999"},
        {"+1V0", 11, 2000, "+1V0=2000 V=1.000"},
        {"14", 14, 4095, "14=4095"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.port);
        adc.setChannelValue(r.channel, r.raw);
        const int before = adc.conversionCount(r.channel);
        EXPECT_EQ(b.ask(QByteArray("*?CONVERT PORT_AD=") + r.port + "\r"), ack(QByteArray("*CONVERT ") + r.reply));
        EXPECT_EQ(adc.conversionCount(r.channel) - before, 100 * perReading);
    }

    // The average is truncated: 99 999 over 100 readings is 999.
    auto n = std::make_shared<int>(0);
    adc.setChannelFunction(13, [n](uint64_t) { return (*n)++ == 0 ? 999 : 1000; });
    EXPECT_EQ(b.ask("*?CONVERT PORT_AD=13\r"), ack("*CONVERT 13=999"));

    // Unknown ports read nothing.
    setDetector(DETECTOR_POWER_METER);
    const int conversions = adc.conversionCount();
    std::vector<QByteArray> refused = {"*?CONVERT\r", "*?CONVERT PORT_AD=\r", "*?CONVERT PORT_AD=vbat\r",
                                       "*?CONVERT PORT_AD=15\r", "*?CONVERT PORT_AD=01\r", "*?CONVERT PORT_AD=0x1\r",
                                       "*?CONVERT PORT_AD=-1\r", "*CONVERT PORT_AD=VBAT\r"}; // no set key
    for (const QByteArray& line : hostile("*?CONVERT PORT_AD="))
        refused.push_back(line);
    for (const QByteArray& line : refused)
        EXPECT_EQ(b.ask(line), nak()) << line.left(40).toStdString();
    EXPECT_EQ(adc.conversionCount(), conversions);
    EXPECT_EQ(getDetector(), DETECTOR_POWER_METER);
}

TEST(ConverterCommand, LevelAndOpticalPortsUseTheirOwnDetectorsAndRestoreTheSelection)
{
    RfCommandBench b;
    auto& adc = *b.chips.converter;
    ASSERT_EQ(b.ask("*ATTEN ATTEN=20\r"), ack());
    // The peak detector's line gives 0.2 dB per step, the attenuation is added back, and the
    // unit's files hold no corrections.
    adc.setChannelValue(2, 2500);
    setDetector(DETECTOR_POWER_METER);
    b.clearLog();
    EXPECT_EQ(b.ask("*?CONVERT PORT_AD=PK_LEVEL\r"), ack("*CONVERT PK_LEVEL=2500 dBuV=70.000"));
    // The track-and-hold is released before each of the 100 readings, each the largest of 20.
    std::vector<std::string> track;
    for (int i = 0; i < 100; ++i)
        track.insert(track.end(), {"19=0", "19=1"});
    EXPECT_EQ(b.lineWrites(), track);
    const int start = adc.conversionCount(2);
    getLecturaConversorRF(2);
    EXPECT_EQ(start, 100 * (adc.conversionCount(2) - start)); // 100 readings of the largest of 20
    EXPECT_EQ(getDetector(), DETECTOR_POWER_METER);

    // The optical meter's value comes from its own acquisition; the reply keeps the average.
    adc.clearChannel(7);
    b.scene->setOpticalPowerDbm(-10.0);
    setDetector(DETECTOR_PEAK_MEAN);
    EXPECT_EQ(b.ask("*?CONVERT PORT_AD=OPM\r"), ack("*CONVERT OPM=2000 dBm=-10.050"));
    EXPECT_EQ(b.ask("*?CONVERT PORT_AD=RF_POWER\r").left(20), ack("*CONVERT RF_POWER=").left(20));
    EXPECT_EQ(getDetector(), DETECTOR_PEAK_MEAN);
}

TEST(CalibrationCommand, ReloadsEachFilePresentAndRefusesOnlyAFileThatCannotBeRead)
{
    RfCommandBench b;
    ASSERT_DOUBLE_EQ(getPendentPeak(), 0.2);
    const QString cal0 = rftest::cal0("<RECTA><PEAK><SLOPE>%1</SLOPE><OFFSET>5</OFFSET></PEAK></RECTA>", "",
                                      "serial_number=\"VK27000001\"");
    rftest::writeCalibrationFile("CAL_0.XML", cal0.arg("0.3"));
    // Without the bare keyword nothing is read, and the line is accepted.
    for (const char* line : {"*CALIBRATION\r", "*CALIBRATION RESET_FILE_CALIBRATION=1\r"}) {
        EXPECT_EQ(b.ask(line), ack()) << line;
        EXPECT_DOUBLE_EQ(getPendentPeak(), 0.2);
    }
    EXPECT_EQ(b.ask("*?CALIBRATION RESET_FILE_CALIBRATION\r"), nak());

    // Each row changes the files, reloads, and reads the peak line in force.
    const struct {
        const char* name;
        std::function<void()> files;
        QByteArray answer;
        double slope;
    } rows[] = {
        // A unit without an optical file still reloads its RF file.
        {"CAL_FO missing", [] { QFile::rename("calibracion/CAL_FO.XML", "calibracion/CAL_FO.bak"); }, ack(), 0.3},
        {"CAL_0 damaged", [] { rftest::writeCalibrationFile("CAL_0.XML", "<CALIBRATION><CABLE>"); }, nak(), 0.3},
        {"CAL_0 missing", [] { QFile::remove("calibracion/CAL_0.XML"); }, ack(), 0.3},
        {"both again",
         [&] {
             rftest::writeCalibrationFile("CAL_0.XML", cal0.arg("0.4"));
             QFile::rename("calibracion/CAL_FO.bak", "calibracion/CAL_FO.XML");
         },
         ack(), 0.4},
        {"CAL_FO damaged", [&] {
             rftest::writeCalibrationFile("CAL_0.XML", cal0.arg("0.5"));
             rftest::writeCalibrationFile("CAL_FO.XML", "<CALIBRATION>");
         },
         nak(), 0.5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        r.files();
        EXPECT_EQ(b.ask("*CALIBRATION RESET_FILE_CALIBRATION\r\n"), r.answer);
        EXPECT_DOUBLE_EQ(getPendentPeak(), r.slope);
    }
    EXPECT_EQ(ScreensVariables::getInstance()->getScreensVariablesSerialNumber(), "VK27000001");
}
