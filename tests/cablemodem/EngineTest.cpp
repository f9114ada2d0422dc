// The cable-modem engine: its guarded parameters and stops, the dispatch of every measure
// code, the restart of the step machines at the next pass, the start-up that leaves a
// modem alone unless it is fitted and powered, and the engine's thread end to end with the
// simulated modem: power-up through the input routing while the screens poll the status,
// then a DOCSIS 3.0 downstream analysis that fills the stores with the scene's channels.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemStores.h"

#include "hw/delay.h"
#include "rf/circuitRouting.h"

#include "RfScene.h"
#include "VirtualClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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

TEST(Engine, ParametersTakenByTheScreens)
{
    MesuraCM* e = engine();
    e->startPass();
    EXPECT_EQ(e->init(602000000, QML_CM_IQ_31), 0);
    EXPECT_EQ(e->frequency(), 602000000u);
    EXPECT_EQ(e->measureCode(), 72);
    EXPECT_FALSE(e->isNonStopMesures());

    // 69 chooses no test and keeps the channel; any other code takes the new one.
    e->startPass();
    e->init(700000000, QML_CM_NO_MEASURE);
    EXPECT_EQ(e->frequency(), 602000000u);
    EXPECT_EQ(e->measureCode(), 69);
    EXPECT_FALSE(e->isNonStopMesures());
    e->init(650000000, NO_MESURE);
    EXPECT_EQ(e->frequency(), 650000000u);

    for (int stopping : {0, 1}) {
        e->startPass();
        stopping ? e->aturar() : e->setMesuraCM(QML_CM_RANGING_31_SIGNAL_31);
        EXPECT_EQ(e->measureCode(), stopping ? 99 : 75);
        EXPECT_EQ(e->frequency(), 650000000u);
        EXPECT_FALSE(e->isNonStopMesures());
    }

    e->initVoIP(0x0A000001, 160, 10, 200, 20000, 1, 800, "G729A+VAD", 1);
    EXPECT_EQ(getTraceIPAddress(), 0x0A000001);
    const MesuraCM::VoIPParams v = e->voipParams();
    EXPECT_EQ((std::vector<int>{v.length, v.ping_number, v.grantsize, v.nom_grant, v.gr_per_int, v.tol_grant}),
              (std::vector<int>{160, 10, 200, 20000, 1, 800}));
    EXPECT_EQ(v.codec, "G729A+VAD");
    EXPECT_TRUE(v.ugs_enabled);
    e->initIPTV(0x0A000002, 5000, 0);
    EXPECT_EQ(getTraceIPAddress(), 0x0A000002);
    EXPECT_EQ(e->iptvParams().nom_poll, 5000);
    EXPECT_FALSE(e->iptvParams().rtps_enabled);
}

TEST(Engine, CodesWithoutATestIdleThePass)
{
    testsupport::ScopedBoard board;
    testsupport::LogCapture log;
    MesuraCM* e = engine();
    for (int idle : {0, 67, 68, 69, 99, 1000, -1}) {
        e->setMesuraCM(idle);
        log.clear();
        const uint64_t t0 = board.clock().monotonicMs();
        e->runPass();
        EXPECT_TRUE(log.lines().isEmpty()) << idle;
        EXPECT_EQ(board.clock().monotonicMs() - t0, 1000u) << idle;
    }
}

TEST(Engine, InitRestartsTheStepMachinesAtTheNextPassSetMesuraDoesNot)
{
    ModemLink link(kDocsis30);
    link.setAutoPump(true);
    link.powerAndBoot();
    link.modem().setMenu(true);
    MesuraCM* e = engine();
    GetModemReady(0);
    GetModemReady(64); // asks for the prompt
    link.pump();
    link.modem().clearCommands();

    e->setMesuraCM(NO_MESURE);
    e->runPass();
    EXPECT_EQ(GetModemReady(64), 100); // takes the prompt that came: mid-way still
    link.pump();
    EXPECT_TRUE(link.modem().commands().empty());

    e->init(602000000, NO_MESURE);
    e->runPass();
    EXPECT_EQ(GetModemReady(64), 100); // restarted: asks again
    link.pump();
    EXPECT_EQ(link.modem().commands(), Commands{""});
}

TEST(Engine, StartUpLeavesAModemThatIsOffAlone)
{
    ModemLink link(kDocsis30);
    link.board().log().clear();
    const uint64_t t0 = link.clock().monotonicMs();
    engine()->bringUpModem();
    EXPECT_EQ(link.clock().monotonicMs() - t0, 0u);
    // Neither polled nor power-cycled, nor reported ready.
    EXPECT_TRUE(lineWriteTexts(link.board()).empty());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
}

TEST(Engine, StartUpLeavesAModemOfAModelWithoutOneAlone)
{
    ModemLink link(1); // a compact model: no modem is fitted
    link.setAutoPump(true);
    link.powerAndBoot();
    link.modem().clearCommands();
    link.board().log().clear();
    engine()->bringUpModem();
    EXPECT_TRUE(link.modem().commands().empty());
    EXPECT_TRUE(lineWriteTexts(link.board()).empty());
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
    EXPECT_EQ(link.modem().commands(), Commands{""});
    // The pass that follows idles: code 99.
    engine()->runPass();
    EXPECT_EQ(link.modem().commands(), Commands{""});
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

TEST(EngineThread, PowerUpThroughTheRoutingThenADownstreamAnalysisOfTheScene)
{
    testsupport::ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion"));
    testsupport::ScopedBoard board;
    auto scene = std::make_shared<platform::sim::RfScene>();
    platform::sim::RfScene::typicalCableNetwork(*scene);
    auto modem = installModem(*board, kDocsis30, scene);
    board.clock().setScale(50);
    MesuraCM* e = engine();
    EngineRunning running;
    QThread::msleep(50);

    // The routing powers the modem from the GUI thread; the engine then waits 40 s for
    // it while the status bar keeps polling.
    const uint64_t poweredAt = board.clock().monotonicMs();
    setModeCircuit(DOCSIS_RF);
    std::vector<int> seen;
    QElapsedTimer slowest;
    qint64 slowestMs = 0;
    ASSERT_TRUE(waitReal([&] {
        slowest.start();
        const int status = e->getModemStatus_31();
        slowestMs = std::max(slowestMs, slowest.elapsed());
        if (seen.empty() || seen.back() != status)
            seen.push_back(status);
        return status == MODEM_STATUS_POWER_ON;
    }));
    EXPECT_EQ(seen, (std::vector<int>{MODEM_STATUS_STARTING, MODEM_STATUS_POWER_ON}));
    EXPECT_GE(board.clock().monotonicMs() - poweredAt, 40000u);
    EXPECT_LT(slowestMs, 50); // the poll never waits for the engine

    // The engine idles (no code chosen); the analysis runs here, on the link it owns.
    GetModemReady(0);
    int r = 100;
    // One step per pass, as the tests advance it, with the hand-over running between.
    for (int i = 0; i < 500 && r != 0 && r != -1; ++i) {
        r = GetModemReady(64);
        delay(100);
    }
    ASSERT_EQ(r, 0) << ::testing::PrintToString(modem->commands());
    e->startPass();
    ASSERT_EQ(e->sintonizarTuner30(602000000), 1);
    delay(15000); // registration goes past ranging and DHCP
    InicialitzarMesuresDownstream();
    InicialitzarMesuresUpstream();
    for (int i = 0; i < PHY_CHANNELS; ++i) {
        ASSERT_EQ(e->envia_cadena_modem(QString("phy %1\r").arg(i), "power", 5000), 1) << i;
        ASSERT_EQ(decodeDownStream(i), 1) << i;
        if (i < 4) {
            EXPECT_EQ(e->decodificaBer(i), 0) << i;
        }
    }
    decodificaUpstream(0);
    for (r = 100; r == 100;) {
        r = decodificaUpstream(64);
        delay(100);
    }
    EXPECT_EQ(r, 0);
    e->procesMesuraRegistre30(0);
    while (e->procesMesuraRegistre30(64) == 100) {
    }

    const std::vector<platform::sim::SceneCarrier> docsis = scene->blocksOf("DOCSIS30");
    ASSERT_EQ(docsis.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const PhyChannel& p = GetPhyPointer()[i];
        EXPECT_EQ(p.frequency, static_cast<int>(docsis[i].frequencyHz)) << i;
        // The level in dBmV with one decimal, as the modem prints it, in tenths.
        const double dbmv = std::round((docsis[i].levelDbuV - 60) * 10) / 10;
        EXPECT_EQ(p.power, static_cast<int>(dbmv * 10 + (dbmv > 0 ? 1e-6 : -1e-6))) << i;
        EXPECT_EQ(p.mse, static_cast<int>(5 + 10 * -docsis[i].merDb - 40)) << i;
        EXPECT_EQ(p.modulation, 256);
        EXPECT_EQ(p.annex, 0);
        EXPECT_EQ(p.symbolRate, 6952);
        EXPECT_EQ(p.qamLock + p.fecLock + p.mpegLock, 3);
        EXPECT_DOUBLE_EQ(p.preBer, 1.0 / (6952.0 * 3000 * 8));
        EXPECT_EQ(p.preBerKind, 2);
        EXPECT_NE(GetMesuresRegistre30(i), UNMEASURED);
    }
    for (int i = 4; i < PHY_CHANNELS; ++i) {
        EXPECT_EQ(GetPhyPointer()[i].frequency, 0) << i;
        EXPECT_EQ(GetMesuresRegistre30(i), UNMEASURED) << i;
    }
    EXPECT_EQ(GetUpsPointer()[0].frequency, 36500000);
    EXPECT_EQ(GetUpsPointer()[1].uci, 2);
}
