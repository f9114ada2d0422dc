// The cable-modem engine: its guarded parameters and stops, the dispatch of the codes
// without a test, the restart of the step machines at the next pass, the start-up that
// leaves a modem alone unless it is fitted and powered, its modem set-up commands and
// queries (the exact lines, their pauses and time-outs), the paced 3.0 tuning, the result
// calculations at their limits, and the engine's thread stopped from the screens and by
// the end of the application's loop.
#include "ModemTestSupport.h"

#include "cablemodem/modemStores.h"

#include "VirtualClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace modemtest;

namespace {
MesuraCM* engine() { return MesuraCM::getInstance(); }

// Processes the GUI thread's events (the frame hand-over) until done or realMs passed.
bool waitReal(const std::function<bool()>& done, int realMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > realMs)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return true;
}

// The engine's thread for the scope, stopped (with its link, and the modem switched off)
// before the board it runs on goes away, whatever the test's outcome.
struct EngineRunning {
    EngineRunning() { MesuraCM::getInstance()->start(); }
    ~EngineRunning()
    {
        MesuraCM::getInstance()->stopEngine();
        power_OFF_CableModem();
        if (platform::sim::VirtualClock* clock = dynamic_cast<platform::sim::VirtualClock*>(&common::clock()))
            clock->setScale(0);
    }
};
} // namespace

TEST(Engine, ParametersTakenByTheScreensAndCodesWithoutATest)
{
    testsupport::ScopedBoard board;
    MesuraCM* e = engine();
    // code, frequency, frequency kept: 69 chooses no test and keeps the channel; a stop and
    // a code set alone keep it too. Each ends the pass under way.
    const std::tuple<std::function<void()>, unsigned, int> choices[] = {
        {[e] { EXPECT_EQ(e->init(602000000, QML_CM_IQ_31), 0); }, 602000000, 72},
        {[e] { e->init(700000000, QML_CM_NO_MEASURE); }, 602000000, 69},
        {[e] { e->init(650000000, NO_MESURE); }, 650000000, 99},
        {[e] { e->setMesuraCM(QML_CM_RANGING_31_SIGNAL_31); }, 650000000, 75},
        {[e] { e->aturar(); }, 650000000, 99}};
    for (const auto& [choose, hz, code] : choices) {
        e->startPass();
        choose();
        EXPECT_EQ(e->frequency(), hz) << code;
        EXPECT_EQ(e->measureCode(), code);
        EXPECT_FALSE(e->isNonStopMesures()) << code;
    }
    e->runPass(); // the reset init asked for
    testsupport::LogCapture log;
    Lap lap(board.clock());
    for (int idle : {0, 67, 68, 69, 99, 1000, -1}) {
        e->setMesuraCM(idle);
        log.clear();
        lap();
        e->runPass();
        EXPECT_TRUE(log.lines().isEmpty()) << idle << " " << log.lines().join("|").toStdString();
        EXPECT_EQ(lap(), 1000u) << idle;
    }
}

// A model without a modem (powered all the same), and a 3.0 model whose modem is off.
class EngineStartUp : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Engine, EngineStartUp, ::testing::Values(1, kDocsis30));

TEST_P(EngineStartUp, LeavesAModemThatIsAbsentOrOffAlone)
{
    ModemLink link(GetParam());
    link.setAutoPump(true);
    if (GetParam() == 1)
        link.powerAndBoot();
    link.modem().clearCommands();
    link.board().log().clear();
    const uint64_t t0 = link.clock().monotonicMs();
    engine()->bringUpModem();
    EXPECT_EQ(link.clock().monotonicMs() - t0, 0u);
    // Neither polled nor power-cycled, nor reported ready.
    EXPECT_TRUE(link.modem().commands().empty());
    EXPECT_TRUE(lineWriteTexts(link.board()).empty());
    EXPECT_NE(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

// What a pass reports from the engine's thread reaches the screens' thread, unless the
// screens restarted the test before it arrived there: it belongs to the run before.
TEST(Engine, WhatAPassReportsIsDroppedOnceTheScreensRestartTheTest)
{
    testsupport::ScopedBoard board;
    MesuraCM* e = engine();
    EngineSignals emitted;
    const auto reportFromTheEnginesThread = [e](const QString& hop) {
        std::thread pass([e, hop] { e->EnviarDadesIPTV({hop}); });
        pass.join();
    };
    e->startPass();
    reportFromTheEnginesThread("first");
    EXPECT_TRUE(emitted.hops.isEmpty()); // on its way
    QCoreApplication::processEvents();
    reportFromTheEnginesThread("on its way at the restart");
    e->init(602000000, QML_CM_IP_TV);
    reportFromTheEnginesThread("said after the restart");
    QCoreApplication::processEvents();
    e->startPass();
    reportFromTheEnginesThread("next pass");
    QCoreApplication::processEvents();
    QStringList hops;
    for (const QVariantList& list : emitted.hops)
        hops << list.value(0).toString();
    EXPECT_EQ(hops, (QStringList{"first", "next pass"}));
}

TEST(Engine, StartUpWaitsForAPoweredModemAndAStopEndsItWithinOneSlice)
{
    ModemLink link(kDocsis31);
    link.setAutoPump(true);
    link.powerAndBoot();
    link.modem().clearCommands();
    engine()->bringUpModem();
    EXPECT_EQ(link.modem().commands(), Commands{""});
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);

    silence(link.board());
    link.modem().clearCommands();
    QTimer::singleShot(0, [] { MesuraCM::getInstance()->aturar(); });
    const uint64_t t0 = link.clock().monotonicMs();
    engine()->bringUpModem();
    EXPECT_EQ(link.clock().monotonicMs() - t0, 100u);
    // The pass that follows idles: code 99.
    engine()->runPass();
    EXPECT_EQ(link.modem().commands(), Commands{""});
}

TEST(EngineSetup, RestartsCommandsPausesTimeOutsAndStops)
{
    LinkedModem m(kDocsis30, nullptr, 5000); // synchronised: a clean channel shows no errors
    ASSERT_TRUE(m.dir.seedFromData("calibracion"));
    // init restarts the step machines at the next pass; setMesuraCM does not.
    GetModemReady(0);
    GetModemReady(64); // asks for the prompt
    m.link.pump();
    engine()->setMesuraCM(NO_MESURE);
    engine()->runPass();
    EXPECT_EQ(GetModemReady(64), 100); // takes the prompt that came: mid-way still
    engine()->init(602000000, NO_MESURE);
    engine()->runPass();
    EXPECT_EQ(GetModemReady(64), 100); // restarted: asks again
    m.link.pump();
    EXPECT_EQ(m.commands(), (Commands{"", ""}));
    m.clearCommands();

    PhyChannel& p = GetPhyPointer()[0];
    p.modulation = 256;
    p.symbolRate = 6952;
    EXPECT_EQ(passingEngine()->decodificaBer(0), 0);
    EXPECT_DOUBLE_EQ(p.preBer, 1.0 / (6952.0 * 3000 * 8));
    EXPECT_EQ(p.postBerKind, 2);
    SetDocsisMode(0);
    EXPECT_TRUE(passingEngine()->decodificaDocsisMode_30());
    EXPECT_EQ(GetDocsisMode(), 3);
    EXPECT_EQ(GetModemMeasuresDocsisVersion(), 30);
    EXPECT_EQ(passingEngine()->decodificaDocsisMode_31(), 1);
    EXPECT_EQ(passingEngine()->vendedor_aux(0), 0);
    EXPECT_EQ(passingEngine()->set_CM_to_2_0_aux(7), 0);
    passingEngine()->enableModemLogger();
    EXPECT_EQ(m.commands(),
              (Commands{"berstatus 0 3", "docsis/docsismode", "docsis/Debug/GetDocsisMode", "doc/vendor",
                        "docsis/Debug/SetDebugOption 3 1", "docsis/Debug/SetDebugOption 42 1",
                        "docsis/Debug/SetDebugOption 43 1", "docsis/Debug/SetDebugOption 46 1",
                        "logger/AllModulesConfig 1 0", "logger/ModuleConfig 1 23 1", "logger/ModuleConfig 1 26 1",
                        "logger/AllDebugModulesConfig 1 0", "logger/ModuleConfig 1 13 1", "logger/ModuleConfig 1 15 1",
                        "logger/ModuleConfig 1 18 1", "logger/ModuleConfig 1 21 1", "logger/DebugModulesConfig 1 13 1",
                        "logger/DebugModulesConfig 1 15 1", "logger/DebugModulesConfig 1 21 1",
                        "logger/ComponentConfig 1 1", "logger/list", "logger/enable"}));
    m.clearCommands();
    m.lap();
    passingEngine()->set_CM_for_DS_ANALYSIS();
    EXPECT_EQ(m.commands(), (Commands{"docsis/dhcpmode 0", "docsis/rangemode 0", "docsis/findds 1"}));
    EXPECT_EQ(m.lap(), 900u); // 200 ms, then the prompt within the first 100 ms slice, three times

    // Tuning is paced to once every five seconds (the bench's first call only started it).
    m.clearCommands();
    m.link.clock().advanceMs(5000);
    EXPECT_EQ(passingEngine()->sintonizarTuner30(602000000), 1);
    m.link.clock().advanceMs(4999);
    EXPECT_EQ(passingEngine()->sintonizarTuner30(610000000), 0);
    m.link.clock().advanceMs(1);
    EXPECT_EQ(passingEngine()->sintonizarTuner30(610000000), 1);
    EXPECT_EQ(m.commands(), (Commands{"go 602.00", "go 610.00"}));

    // A silent modem: each exchange given up after its own time.
    m.link.clock().advanceMs(5000);
    silence(m.board());
    m.lap();
    EXPECT_EQ(passingEngine()->sintonizarTuner30(618000000), 0);
    EXPECT_EQ(m.lap(), 12100u);
    EXPECT_EQ(m.commands().back(), "go 618.00");
    passingEngine()->set_CM_for_DS_ANALYSIS();
    EXPECT_EQ(m.lap(), 3 * (200u + 5100u));
    EXPECT_EQ(passingEngine()->decodificaBer(0), -1);
    EXPECT_EQ(m.lap(), 5100u);
    SetDocsisMode(0);
    EXPECT_FALSE(passingEngine()->decodificaDocsisMode_30());
    EXPECT_EQ(GetDocsisMode(), 0);
    EXPECT_EQ(m.lap(), 2100u);
    EXPECT_EQ(passingEngine()->vendedor_aux(0), 0);
    EXPECT_EQ(m.lap(), 30100u);
    // A stop ends a wait for the modem within one slice.
    m.link.clock().advanceMs(5000);
    QTimer::singleShot(0, [] { MesuraCM::getInstance()->aturar(); });
    m.lap();
    EXPECT_EQ(engine()->sintonizarTuner30(602000000), 0);
    EXPECT_EQ(m.lap(), 100u);
}

TEST(EngineCalculations, RegistrationWalkDeviationPercentileAndSpread)
{
    MesuraCM* e = engine();
    InicialitzarMesuresDownstream();
    const int frequencies[PHY_CHANNELS] = {602000000, 0, UNMEASURED, 0, 0, 0, 0, 0};
    for (int i = 0; i < PHY_CHANNELS; ++i) {
        GetPhyPointer()[i].frequency = frequencies[i];
        SetMesuresRegistre30(i, 55);
    }
    EXPECT_EQ(e->procesMesuraRegistre30(0), 100);
    std::vector<int> answers;
    for (int r = 100; r == 100 && answers.size() < 50;)
        answers.push_back(r = e->procesMesuraRegistre30(64));
    // Two steps for each record with a frequency, one for each without, 0 at the last.
    EXPECT_EQ(answers.size(), 2u + 1u + 2u + 5u);
    EXPECT_EQ(answers.back(), 0);
    for (int i = 0; i < PHY_CHANNELS; ++i)
        EXPECT_EQ(GetMesuresRegistre30(i), i == 0 || i == 2 ? 55 : UNMEASURED) << i;

    EXPECT_EQ(e->CalculStdDevMer(true, 30), 0);
    EXPECT_EQ(e->CalculPctlMer(true, 76), 0);
    EXPECT_EQ(e->CalculPctlMer(false, 30), 30);
    EXPECT_FLOAT_EQ(e->CalculStdDevMer(false, 25), 2.5f);
    EXPECT_EQ(e->CalculPctlMer(false, 25), 30);
    EXPECT_FLOAT_EQ(e->CalculStdDevMer(false, 35), static_cast<float>(std::sqrt(50.0 / 3)));
    EXPECT_EQ(e->CalculPctlMer(false, 35), 35);
    // A full window keeps its smallest values: a smaller one replaces the largest. Over 200
    // is refused and the old length kept; an empty window never stores and has nothing.
    const std::pair<float, float> steps[] = {{40, 40}, {38, 40}, {45, 40}, {36, 38}};
    EXPECT_EQ(e->CalculPctlMer(true, 2), 0);
    for (auto [mer, pctl] : steps)
        EXPECT_EQ(e->CalculPctlMer(false, mer), pctl) << mer;
    EXPECT_EQ(e->CalculPctlMer(true, 201), -1);
    for (auto [mer, pctl] : {std::pair<float, float>{41, 41}, {37, 41}, {42, 41}})
        EXPECT_EQ(e->CalculPctlMer(false, mer), pctl) << mer;
    EXPECT_EQ(e->CalculPctlMer(true, 0), 0);
    EXPECT_EQ(e->CalculPctlMer(false, 30), -2147483648.0f);
    EXPECT_EQ(e->CalculPctlMer(false, -1e30f), -2147483648.0f);

    EXPECT_EQ(e->CalculICFR(true, 0), 0);
    EXPECT_EQ(e->CalculICFR(false, 1.5f), 0);
    EXPECT_EQ(e->CalculICFR(false, -0.5f), 2);
    EXPECT_EQ(e->CalculICFR(false, 1.0f), 2);
}

TEST(EngineThread, AStopFromTheScreensEndsThePollingOfASilentModem)
{
    testsupport::ScopedBoard board;
    auto modem = installModem(*board, kDocsis31);
    MesuraCM* e = engine();
    e->startModemLink();
    power_ON_CableModem();
    board.clock().advanceMs(3000);
    ASSERT_TRUE(modem->settle());
    silence(*board);
    // The boot text, prompt included, is still on its way to the accumulator: take it in
    // and drop it, or the engine's first exchange would meet that prompt and call the
    // silent modem ready.
    QString boot;
    ASSERT_TRUE(waitReal([&] {
        boot += getStringBufferTrames();
        return boot.contains("mainMenu>");
    }));
    modem->clearCommands();
    board.clock().setScale(50);

    EngineRunning running;
    ASSERT_TRUE(waitReal([&] { return modem->commands().size() >= 3; }));
    e->aturar();
    const size_t polled = modem->commands().size();
    // The engine leaves the wait (while idle passes follow, some 15 s of board time): at
    // most the exchange under way, and one still on its way to the modem.
    waitReal([] { return false; }, 300);
    EXPECT_LE(modem->commands().size(), polled + 2);
    // The chosen code's pass runs: the VoIP test's set-up asks the modem again.
    const size_t idle = modem->commands().size();
    e->setMesuraCM(QML_CM_VO_IP);
    ASSERT_TRUE(waitReal([&] { return modem->commands().size() > idle; }));

    // The end of the application's loop stops the engine (before its board goes).
    QElapsedTimer stopping;
    stopping.start();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
    EXPECT_TRUE(e->isFinished());
    EXPECT_LT(stopping.elapsed(), 10000); // stopped, not left hanging
}
