// The measurement engine: what its construction sets up, the dispatch of every type code,
// the loop's start, stop and restart through the 100 ms supervisor (never a new loop inside
// the one it replaces), and the settings other subsystems hand it.
#include "EngineTestBench.h"

#include "engines/mesuraCM.h"
#include "engines/mesuraiq.h"
#include "hw/DrvTPS65233.h"
#include "engines/measuresState.h"
#include "rf/mesuraRF.h"
#include "store/screensvariables.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using rftest::EngineBench;
using testsupport::LogCapture;

namespace {

std::vector<std::vector<uint8_t>> registerWrites(testsupport::ScopedBoard& board, const std::string& address)
{
    std::vector<std::vector<uint8_t>> out;
    for (const auto& t : board->log().entries("i2c-write"))
        if (t.device == address && t.bytes.size() == 2)
            out.push_back(t.bytes);
    return out;
}

uint64_t nowMs(EngineBench& b) { return b.board.clock().monotonicMs(); }

// Waits (processing events, real time) until the predicate holds; false after timeoutMs.
template <class Predicate>
bool waitFor(Predicate done, int timeoutMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

TEST(MeasuresEngine, ConstructionSetsUpLnbCalibrationThreadsAndModemAttenuator)
{
    rftest::CalibratedBench b;
    b.board.hostEngineThreads();
    ScreensVariables::getInstance()->setScreensVariablesSerialNumber("none");
    ScreensVariables::getInstance()->setValue("cable_modem_ATT", true);
    Measures* engine = Measures::getInstance();

    // Init (0xA0, 0x0E), then current limit 1, 13 V, tone on, output off, tone off.
    EXPECT_EQ(registerWrites(b.board, "0x61"), (std::vector<std::vector<uint8_t>>{
                                                   {0x00, 0xA0}, {0x01, 0x0E}, {0x01, 0x0A}, {0x00, 0xA0},
                                                   {0x00, 0xB0}, {0x00, 0xB0}, {0x00, 0xA0}}));
    EXPECT_FALSE(b.chips.lnbSupply->outputEnabled());
    // The calibration load stores the file's serial number.
    EXPECT_EQ(ScreensVariables::getInstance()->getScreensVariablesSerialNumber(), "VK26000123");
    EXPECT_TRUE(MesuraIQ::getInstance()->isRunning());
    EXPECT_TRUE(MesuraCM::getInstance()->isRunning());
    // The stored modem attenuator choice drives its line (active low).
    EXPECT_EQ(b.lineWrites().back(), "3=0");
    EXPECT_EQ(std::make_tuple(engine->channelPower(), engine->getTipusMesure()), std::make_tuple(UNMEASURED, SPECTRUM));
}

TEST(MeasuresEngine, NoMeasureAndUnsupportedCodesStopAfterOneIdleWait)
{
    EngineBench b;
    QSignalSpy stopped(b.engine, &Measures::mesuraIsStoped);
    for (int code : {99, 4, 5, 6, 7, 10, 15, 16, 17, 18, 60, 69, 76, 1, 21, -3}) {
        LogCapture log;
        const uint64_t start = nowMs(b);
        b.run(code);
        EXPECT_EQ(log.count("Tilt: 3 "), code == 99 ? 0 : 1) << code;
        EXPECT_EQ(b.engine->getTipusMesure(), NO_MESURE) << code;
        EXPECT_EQ(nowMs(b) - start, 100u) << code;
        EXPECT_FALSE(b.engine->isMeasuring());
    }
    EXPECT_EQ(stopped.count(), 16);
}

TEST(MeasuresEngine, SpectrumTiltConstellationAndPowerMeterRuns)
{
    EngineBench b;
    b.scene->addCw(474e6, 70.0);
    b.scene->setOpticalPowerDbm(-3.5);
    b.engine->setFilter(FILTER_NARROW);
    b.engine->setListaFrequencyMeasures(rftest::points(470000000u, 2000000u, 5));
    QSignalSpy lists(b.engine, &Measures::listaFrequencyMeasuresChanged);
    QSignalSpy total(b.engine, &Measures::totalPowerChanged);
    QSignalSpy optical(b.engine, &Measures::totalOpticalPowerChanged);
    QObject::connect(b.engine, &Measures::listaFrequencyMeasuresChanged, b.engine, &Measures::stopMeasures);

    b.run(SPECTRUM);
    b.run(TILT);
    EXPECT_EQ(lists.count(), 2);
    lists.clear();
    // The stop comes after the sweep, so the pass ends before its power readings.
    EXPECT_EQ(total.count(), 0);

    QObject::connect(b.engine, &Measures::totalOpticalPowerChanged, b.engine, &Measures::stopMeasures);
    b.run(OPTICAL_POWER_METER);
    EXPECT_EQ(lists.count(), 0);
    EXPECT_EQ(std::make_tuple(total.count(), optical.count()), std::make_tuple(1, 1));
    EXPECT_NEAR(b.engine->totalOpticalPower(), -35 + 1087, 1); // the optical line's own offset
    EXPECT_NEAR(b.engine->totalPower(), 10 * b.scene->totalPowerDbuV(), 2);

    b.engine->setFilter(FILTER_WIDE);
    b.run(SPECTRUM_CONST_IQ);
    EXPECT_EQ(lists.count(), 1);
    EXPECT_EQ(b.engine->getFilter(), FILTER_NARROW);
    EXPECT_EQ(getSpan(), 10000000u);
}

TEST(MeasuresEngine, SupervisorRestartsOnceInTheSelectedType)
{
    EngineBench b;
    QSignalSpy stopped(b.engine, &Measures::mesuraIsStoped);
    b.engine->changeTipusMesure(NO_MESURE);
    b.engine->mesuraIsStarted();
    b.engine->mesuraIsStarted();
    ASSERT_TRUE(stopped.wait(10000));
    // Nothing restarts the loop again: the supervisor stopped when it restarted it.
    EXPECT_FALSE(stopped.wait(400));
    EXPECT_EQ(stopped.count(), 1);
}

TEST(MeasuresEngine, ChangeOfTypeDuringASweepRestartsOnlyAfterTheOldLoopReturned)
{
    EngineBench b;
    b.engine->setFilter(FILTER_NARROW);
    b.engine->setListaFrequencyMeasures(rftest::points(100000000u, 5000000u, 40));
    // A screen asks for another measurement while a sweep is running.
    int sweeps = 0;
    QObject::connect(b.engine, &Measures::listaFrequencyMeasuresChanged, b.engine, [&] {
        if (++sweeps == 2) {
            b.engine->changeTipusMesure(NO_MESURE);
            b.engine->mesuraIsStarted();
        }
    });
    std::vector<std::pair<int, bool>> stops; // type, loop still on the stack
    QObject::connect(b.engine, &Measures::mesuraIsStoped, b.engine,
                     [&] { stops.push_back({b.engine->getTipusMesure(), b.engine->isMeasuring()}); });

    b.engine->changeTipusMesure(SPECTRUM);
    b.engine->mesuraIsStarted();
    ASSERT_TRUE(waitFor([&] { return stops.size() >= 2; }));
    EXPECT_FALSE(waitFor([&] { return stops.size() >= 3; }, 400));
    EXPECT_EQ(sweeps, 2);
    EXPECT_EQ(stops, (std::vector<std::pair<int, bool>>{{NO_MESURE, false}, {NO_MESURE, false}}));
}

TEST(MeasuresEngine, NewSettingsEndThePassAndTheNextPassUsesThem)
{
    EngineBench b;
    b.engine->setFilter(FILTER_NARROW);
    b.engine->setListaFrequencyMeasures(rftest::points(400000000u, 1000000u, 10));
    QSignalSpy stopped(b.engine, &Measures::mesuraIsStoped);
    std::vector<int> attenuations;
    QObject::connect(b.engine, &Measures::listaFrequencyMeasuresChanged, b.engine, [&] {
        attenuations.push_back(getAtenuador());
        b.engine->stopMeasures();
    });
    // A screen hands over a new reference level while the first sweep reads its third point.
    b.watchDetector();
    bool handed = false;
    b.afterConversion = [&](int) {
        if (!handed && b.detector.back() == 402000000u) {
            handed = true;
            QTimer::singleShot(0, b.engine, [&] { b.settings({{"reference_level", 35}}); });
        }
    };
    b.run(SPECTRUM);
    // The first sweep ended unsent; the next one ran at the new attenuation.
    EXPECT_EQ(attenuations, std::vector<int>{35});
    EXPECT_EQ(b.tunings().size(), 3u + 10u);
    EXPECT_EQ(stopped.count(), 1);
}

TEST(MeasuresEngine, PointListIsReplacedOnlyWhenItDiffersFilterWidthsAndRawReadings)
{
    EngineBench b;
    const QVariantList first = rftest::points(100000000u, 1000000u, 3);
    b.engine->setListaFrequencyMeasures(first);
    const QVariantList stored = b.engine->listaFrequencyMeasures();
    b.engine->setListaFrequencyMeasures(rftest::points(100000000u, 1000000u, 3));
    // Equal: the stored list is the very same (shared) data.
    EXPECT_TRUE(b.engine->listaFrequencyMeasures().at(0).constData() == stored.at(0).constData());
    b.engine->setListaFrequencyMeasures(rftest::points(100000000u, 2000000u, 3));
    EXPECT_EQ(b.engine->listaFrequencyMeasures().at(1).toMap().value("frequency").toUInt(), 102000000u);

    // Any filter width but the narrow one selects the wide filter.
    for (int filter : {2500000, 0, -5, 157500}) {
        b.clearLog();
        b.engine->setFilter(filter);
        const bool narrow = filter == 157500;
        EXPECT_EQ(b.engine->getFilter(), narrow ? FILTER_NARROW : FILTER_WIDE);
        EXPECT_EQ(b.lineWrites(), narrow ? (std::vector<std::string>{"23=1", "22=0"})
                                         : (std::vector<std::string>{"23=0", "22=1"}));
    }

    // Raw readings.
    for (int ch = 0; ch <= 10; ++ch)
        b.chips.converter->setChannelValue(ch, 100 * ch + 7);
    b.chips.converter->setChannelValue(1, 2500);
    b.chips.converter->setChannelValue(2, 3000);
    EXPECT_EQ(b.engine->lecturaVBAT(), 7);
    b.clearLog();
    setDetector(DETECTOR_POWER_METER);
    const QVariantList readings = b.engine->lesturesAD().toList();
    // Channels 0 to 10 raw, then channel 1 and 2 as whole dBµV at 0 dB.
    const QVariantList expected = {7, 2500, 3000, 307, 407, 507, 607, 707, 807, 907, 1007, 50, 60};
    EXPECT_EQ(readings, expected);
    EXPECT_EQ(b.lineWrites(), (std::vector<std::string>{"19=0", "19=1"})); // the track reset
}

TEST(MeasuresEngine, LnbVoltageAndToneLeaveTheOutputAlone)
{
    EngineBench b;
    auto& lnb = *b.chips.lnbSupply;
    b.engine->setActivaLNB(true);
    // Each call's register-0 writes, from the state the rows before left: bit 7 the write
    // mark, bit 4 the tone, bit 3 the output, bits 0-2 the voltage code.
    const struct {
        bool tone;
        int volts;
        std::vector<uint8_t> writes;
    } rows[] = {
        {false, 18, {0xAC, 0xBC, 0xAC}}, // code 4, through the tone, which ends off
        {true, 0, {0xA8, 0xB8}},         // any other value: 13 V only, then the tone
        {true, 13, {0xB8, 0xB8, 0xB8}},
        {false, 19, {0xB8, 0xA8}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.volts);
        b.clearLog();
        b.engine->setLNB(r.tone, r.volts);
        std::vector<uint8_t> reg0;
        for (const auto& w : registerWrites(b.board, "0x61"))
            if (w[0] == 0x00)
                reg0.push_back(w[1]);
        EXPECT_EQ(reg0, r.writes);
        EXPECT_EQ(std::make_tuple(lnb.toneEnabled(), lnb.outputEnabled()), std::make_tuple(r.tone, true));
    }
    b.engine->setLNB(false, 18);
    EXPECT_DOUBLE_EQ(lnb.outputVolts(), 18.0);
    EXPECT_EQ(DrvTPS65233_GetState().voltageCode, 4u);
}

TEST(MeasuresEngine, AttenuatorClampAndTunerOptions)
{
    EngineBench b;
    b.engine->setAtt(99);
    EXPECT_EQ(getAtenuador(), 70);
    EXPECT_DOUBLE_EQ(b.frontEnd->attenuationDb(), 70.0);

    b.engine->sintonizaFerquency(1000000000u);
    const struct {
        std::function<void()> option;
        int r0b;  // register 0x0B as composed and written
        int rfifd; // register 0x0C bits 0-1
    } options[] = {
        {[&] { b.engine->vDiode(2); }, 0x43, 2}, // the start-up options besides: WPDA 4, NPDA 3
        {[&] { b.engine->wpda(5); }, 0x53, 2},
        {[&] { b.engine->npda(6); }, 0x56, 2},
        {[&] { b.engine->dWPD(true); }, 0xD6, 2},
        {[&] { b.engine->dNPD(true); }, 0xFE, 2},
        {[&] { b.engine->dWPD(false); }, 0x7E, 2},
    };
    for (const auto& o : options) {
        b.clearLog();
        o.option();
        EXPECT_EQ(std::make_tuple(b.engine->getRegisterR0B(), b.chips.tuner->reg(0x0B), b.chips.tuner->reg(0x0C) & 3),
                  std::make_tuple(o.r0b, o.r0b, o.rfifd));
        // Initialised from its first configuration register, then tuned back.
        std::vector<uint8_t> starts;
        for (const auto& t : b.board->log().entries("i2c-write"))
            if (t.device == "0x63" && t.bytes.size() > 1)
                starts.push_back(t.bytes[0]);
        EXPECT_TRUE(starts.size() >= 2 && starts.front() == 0x05 && starts.back() == 0x00) << o.r0b;
        EXPECT_EQ(b.chips.tuner->tunedFrequencyHz(), 600000000u);
    }
    EXPECT_EQ(b.engine->getWPDA(), 5);
    EXPECT_EQ(b.engine->getNPDA(), 6);
}

TEST(MeasuresEngine, DebugMeasurementKeepsItsFirstListAndAtLeast40dB)
{
    EngineBench b;
    QSignalSpy messages(b.engine, &Measures::message);
    EXPECT_EQ(b.engine->mesuraDBG(0), -1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.at(0).at(0).toString(), "No DBG");
    // The first call took the empty list for good.
    b.engine->setListaFrequencyMeasures(rftest::points(300000000u, 8000000u, 2));
    EXPECT_EQ(b.engine->mesuraDBG(0), -1);
    EXPECT_EQ(messages.count(), 2);
}

TEST(MeasuresEngine, DebugMeasurementRangesEachPointAndReportsItsPower)
{
    EngineBench b;
    b.scene->addDigital(306e6, 8e6, 70.0, "DVB-C");
    b.engine->setListaFrequencyMeasures({rftest::point(306000000u, "DIGITAL", 8000000)});
    b.engine->set_stop_mesures(false);
    QSignalSpy lists(b.engine, &Measures::listaFrequencyMeasuresChanged);
    EXPECT_EQ(b.engine->mesuraDBG(0), 0);
    ASSERT_EQ(lists.count(), 1);
    EXPECT_NEAR(lists.at(0).at(0).toList().at(0).toMap().value("power").toInt(), 700, 10);
    EXPECT_GE(getAtenuador(), 40); // 70 dBµV ranges to 30 dB; the floor keeps 40
    b.engine->set_stop_mesures(true);
    EXPECT_EQ(b.engine->mesuraDBG(0), -1);
}
