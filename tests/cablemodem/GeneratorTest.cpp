// The upstream test generators against the simulated modem: the exact commands for each
// modulation, symbol rate and level (at and past the limits), the sweeps, the DOCSIS 3.1
// modem's restart into its production test mode after a real readiness check, what the
// modem then transmits, and the carrier switched off when the test is left.
#include "ModemTestSupport.h"

#include <gtest/gtest.h>

using namespace modemtest;
using Burst = platform::sim::ModemUpstreamBurst;

namespace {
const std::string kTest = "docsis/Production/Test/";

// A registered modem for the generators.
struct GeneratorBench : LinkedModem {
    explicit GeneratorBench(int model) : LinkedModem(model, nullptr, 15000) {}
    Burst burst() { return link.modem().upstreamBurst(); }
    // The 3.0 generator restarted from the settings and advanced to its next burst.
    int burst30(bool restart = true)
    {
        if (restart)
            engine->mesuraSweepGenerador(0);
        return until([&] { return engine->mesuraSweepGenerador(64); }, {0, -1});
    }
    // The 3.1 generator's first calls: readiness, then the restart into the production test mode.
    void enterTestMode31()
    {
        engine->mesuraSweepGenerador_31(0);
        engine->mesuraSweepGenerador_31(64);
        clearCommands();
    }
    // One set-up call of the 3.1 generator, stopped once the modem has taken it (or, when
    // a sweep, once it has been given frequencies more).
    void setUp31(int frequencies = 0)
    {
        QObject stopper;
        QObject::connect(engine, &MesuraCM::modemConfigurat, &stopper, [&] {
            if (frequencies == 0)
                engine->aturar();
        });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (frequencies > 0 && startingWith(commands(), kTest + "freq").size() >= static_cast<size_t>(frequencies))
                engine->aturar();
        });
        watch.start(0);
        engine->startPass();
        engine->mesuraSweepGenerador_31(64);
        engine->startPass();
    }
    // Leaving the generator for the next code switches the modem's carrier off with command.
    void expectOffOnLeaving(int nextCode, const std::string& command)
    {
        engine->setMesuraCM(nextCode);
        engine->runPass();
        link.pump();
        EXPECT_EQ(commands().back(), command);
        EXPECT_EQ(burst().kind, Burst::Kind::None);
    }
};

void expectBurst(const Burst& burst, Burst::Kind kind, double hz, const char* modulation, int ksps, double dbuv)
{
    EXPECT_EQ(burst.kind, kind);
    EXPECT_DOUBLE_EQ(burst.frequencyHz, hz);
    EXPECT_EQ(burst.modulation, modulation);
    EXPECT_EQ(burst.symbolRateKsps, ksps);
    EXPECT_DOUBLE_EQ(burst.levelDbuV, dbuv);
}
} // namespace

TEST(Generator30, BurstsFromTheSettingsSweepsAndLeaving)
{
    GeneratorBench b(kDocsis30);
    struct Row { int modulation, symbolRate, power; const char *command, *modulationName; int ksps; double dbuv; };
    const Row rows[] = {{0, 0, 1105, "upburst 0 40.0 2 0 10", "16QAM", 160, 110},
                        {2, 2, 1200, "upburst 0 40.0 4 2 0", "64QAM", 640, 120},
                        {6, 4, 599, "upburst 0 40.0 3 4 60", "32QAM", 2560, 60},
                        {8, 6, -50, "upburst 0 40.0 0 5 60", "QPSK", 5120, 60},
                        {-1, -1, 900, "upburst 0 40.0 0 0 30", "QPSK", 160, 90}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        setSettings({{"up_test_mode", 1}, {"up_test_freq_fix", 40000000}, {"rf_on", 1},
                     {"up_test_modulation", row.modulation}, {"up_test_symbolrate", row.symbolRate},
                     {"up_test_power", row.power}});
        b.emitted.clear();
        ASSERT_EQ(b.burst30(), 0);
        EXPECT_EQ(b.commands().back(), row.command);
        EXPECT_EQ(b.emitted.configured, 1);
        expectBurst(b.burst(), Burst::Kind::ScQam, 40e6, row.modulationName, row.ksps, row.dbuv);
        // Fixed: the burst stays set, and each pass says so again.
        EXPECT_EQ(b.engine->mesuraSweepGenerador(64), 0);
        EXPECT_EQ(b.emitted.configured, 2);
    }

    // Sweeps in 3 MHz steps, wrapping at the stop.
    for (int stop : {14000000, 13900000}) {
        setSettings({{"up_test_mode", 0}, {"up_test_start", 5000000}, {"up_test_stop", stop}, {"rf_on", 1},
                     {"up_test_modulation", 2}, {"up_test_symbolrate", 5}, {"up_test_power", 1000}});
        b.clearCommands();
        for (int burst = 0; burst < 5; ++burst)
            ASSERT_EQ(b.burst30(burst == 0), 0);
        Commands expected;
        const bool wraps = stop < 14000000;
        for (const char* mhz : {"5.0", "8.0", "11.0", wraps ? "5.0" : "14.0", wraps ? "8.0" : "5.0"})
            expected.push_back(std::string("upburst 0 ") + mhz + " 4 5 20");
        EXPECT_EQ(startingWith(b.commands(), "upburst"), expected) << stop;
    }

    // Leaving the test, once, or turning RF off stops the burst.
    setSettings({{"up_test_mode", 1}, {"up_test_freq_fix", 30000000}, {"rf_on", 1}, {"up_test_power", 1000}});
    b.emitted.clear();
    b.engine->setMesuraCM(QML_CM_UP_STREAM_GENERATOR);
    for (int pass = 0; pass < 100 && b.emitted.configured == 0; ++pass)
        b.engine->runPass();
    ASSERT_EQ(b.burst().kind, Burst::Kind::ScQam);
    b.expectOffOnLeaving(NO_MESURE, "burststop 0");
    b.engine->runPass();
    b.link.pump();
    EXPECT_EQ(count(b.commands(), "burststop 0"), 1);
    setSettings({{"rf_on", 0}});
    EXPECT_EQ(b.burst30(), 0);
    EXPECT_EQ(b.commands().back(), "burststop 0");

    // A silent modem: the generator gives up, and says so.
    silence(b.board());
    b.engine->mesuraSweepGenerador(0);
    EXPECT_EQ(b.link.runSteps([&] { return b.engine->mesuraSweepGenerador(64); }, 5000), -1);
}

TEST(Generator31, WaitsForTheCommandLineThenRestartsIntoTheProductionTestModeUnlessStopped)
{
    GeneratorBench b(kDocsis31);
    setSettings({{"up_test_docsis_mode", 1}});
    // A modem left in its shell is brought to its command line before anything is sent.
    b.link.modem().setMenu(false);
    b.engine->mesuraSweepGenerador_31(0);
    EXPECT_EQ(b.commands(), (Commands{"", "cli"}));
    b.clearCommands();
    uint64_t t0 = b.now();
    b.engine->mesuraSweepGenerador_31(64);
    EXPECT_EQ(b.commands(), (Commands{"", "system/startup/disable ", "reboot ", "", "system/startup/enable ", "exit ",
                                      "testmode ", "cli ", kTest + "testmode ", kTest + "UsOfdma"}));
    // The boot's 30 s, and the banner awaited in vain.
    EXPECT_GT(b.now() - t0, 85000u);
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    EXPECT_TRUE(b.link.modem().inMenu());
    EXPECT_EQ(b.burst().kind, Burst::Kind::None);

    // A stop during the restart leaves it to be done again: the rest goes out without its
    // waits, and the next call restarts again rather than setting up.
    b.engine->mesuraSweepGenerador_31(0);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (count(b.commands(), "reboot ") > 1)
            b.engine->aturar();
    });
    watch.start(0);
    t0 = b.now();
    b.engine->mesuraSweepGenerador_31(64);
    watch.stop();
    EXPECT_LT(b.now() - t0, 5000u);
    b.clearCommands();
    b.engine->startPass();
    b.engine->mesuraSweepGenerador_31(64);
    EXPECT_EQ(b.commands().at(1), "system/startup/disable ");

    // A silent modem: the readiness gives up after restarting it, its 40 s waited on the
    // board's clock rather than spun through, and nothing of the test mode is sent. (The
    // engine is stopped after many event rounds, so a loop that spins ends too.)
    silence(b.board());
    b.clearCommands();
    int rounds = 0;
    watch.disconnect();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (++rounds == 20000)
            b.engine->aturar();
    });
    watch.start(0);
    b.engine->startPass();
    t0 = b.now();
    b.engine->mesuraSweepGenerador_31(64);
    watch.stop();
    EXPECT_GT(b.now() - t0, 40000u);
    EXPECT_TRUE(startingWith(b.commands(), "system/").empty());
}

TEST(Generator31, ScQamCarriersAtAndPastTheLimitsAndTheSweep)
{
    GeneratorBench b(kDocsis31);
    setSettings({{"up_test_docsis_mode", 0}});
    b.enterTestMode31();
    struct Row {
        int modulation, symbolRate, power;
        Commands commands;
        const char* modulationName;
        int ksps;
        double dbuv;
    };
    const Row rows[] = {
        {0, 0, 450, {"modulation 0 3", "symb 0 1", "gain 0", "sdattn 0 15"}, "16QAM", 160, 45},
        {6, 2, 755, {"modulation 0 4", "symb 0 4", "sdattn 0 0", "gain 15"}, "32QAM", 640, 75},
        {2, 4, 1300, {"modulation 0 5", "symb 0 16", "sdattn 0 0", "gain 70"}, "64QAM", 2560, 130},
        // Past the limits: the level is held at 40 and 130 dBuV, the table's last rows taken.
        {99, 5, 390, {"modulation 0 5", "symb 0 32", "gain 0", "sdattn 0 20"}, "64QAM", 5120, 40},
        {-3, -1, 1500, {"modulation 0 5", "symb 0 32", "sdattn 0 0", "gain 70"}, "64QAM", 5120, 130}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.modulation << " " << row.symbolRate << " " << row.power);
        setSettings({{"up_test_mode", 1}, {"up_test_freq_fix", 42500000}, {"rf_on", 1},
                     {"up_test_modulation", row.modulation}, {"up_test_symbolrate", row.symbolRate},
                     {"up_test_power", row.power}});
        b.clearCommands();
        b.emitted.clear();
        b.setUp31();
        Commands expected = {"", "docsis/setDiplexer 1", kTest + "bmode 0 0", kTest + "upstream 0 1",
                             kTest + "cont 0 1"};
        for (const std::string& c : row.commands)
            expected.push_back(kTest + c);
        expected.insert(expected.end(), {kTest + "tcm 0 1", kTest + "freq 0 42.50"});
        EXPECT_EQ(b.commands(), expected);
        EXPECT_EQ(b.emitted.configured, 1);
        expectBurst(b.burst(), Burst::Kind::ScQam, 42.5e6, row.modulationName, row.ksps, row.dbuv);
    }

    // The sweep visits eleven frequencies; leaving switches the carrier off.
    setSettings({{"up_test_mode", 0}, {"up_test_start", 5000000}, {"up_test_stop", 65000000}, {"rf_on", 1},
                 {"up_test_power", 600}});
    b.clearCommands();
    b.emitted.clear();
    b.setUp31(12);
    Commands expected;
    for (const char* mhz : {"5.00", "11.00", "17.00", "23.00", "29.00", "35.00", "41.00", "47.00", "53.00", "59.00",
                            "65.00", "5.00"})
        expected.push_back(kTest + "freq 0 " + mhz);
    EXPECT_EQ(startingWith(b.commands(), kTest + "freq"), expected);
    EXPECT_EQ(b.emitted.configured, 1);
    EXPECT_EQ(b.burst().kind, Burst::Kind::ScQam);
    b.expectOffOnLeaving(NO_MESURE, kTest + "upstream 0 0");
}

TEST(Generator31, OfdmaBurstRfOffAndTheEnginesPasses)
{
    GeneratorBench b(kDocsis31);
    setSettings({{"up_test_docsis_mode", 1}, {"up_test_mode", 1}, {"up_test_freq_fix", 120000000}, {"rf_on", 1}});
    b.enterTestMode31();
    b.setUp31();
    const std::string o = kTest + "UsOfdma/";
    EXPECT_EQ(b.commands(),
              (Commands{"", "docsis/setDiplexer 2", o + "setTXProfileClear 0", o + "setTXProfileClear 1",
                        o + "setNotUsedClear 0", o + "setExcludedClear 0", o + "setPreambleLen 0 0xc0",
                        o + "setRandSeed 0 0x7ABCDE", o + "setNir 0 0x40", o + "setNfr 0 0x80",
                        o + "setSubcSpacing 0 1", o + "setMiniSlot 0 5 0 6 11", o + "setExcludedBand 0 0 1000",
                        o + "setExcludedBand 0 3096 1000", o + "setCenterFreqSubC0 0 120000000",
                        o + "setSymbolsInFrame 0 9", o + "setRollof 0 5", o + "setCyclicPrefix 0 6",
                        o + "applyUcd 0", o + "pllLockTxBurst 0 0", o + "cleanTestBurst",
                        o + "testBurstUcdParams 0 0 3 0 131", o + "startTestBurst 0 1 131 0 1"}));
    EXPECT_EQ(b.burst().kind, Burst::Kind::Ofdma);
    EXPECT_DOUBLE_EQ(b.burst().frequencyHz, 120e6);
    // The RF output switched off: the burst ends and none starts.
    setSettings({{"rf_on", 0}});
    b.clearCommands();
    b.setUp31();
    EXPECT_EQ(b.commands(), (Commands{"", "docsis/setDiplexer 2", o + "cleanTestBurst"}));
    EXPECT_EQ(b.burst().kind, Burst::Kind::None);
    EXPECT_EQ(b.emitted.configured, 2);

    // The engine's passes: readiness with the test mode forgotten, the restart, then one
    // OFDMA set-up per pass, each at the next centre of the sweep.
    setSettings({{"up_test_mode", 0}, {"up_test_start", 20000000}, {"up_test_stop", 40000000}, {"rf_on", 1}});
    b.clearCommands();
    b.emitted.clear();
    b.engine->setMesuraCM(QML_CM_UP_STREAM_GENERATOR_31);
    for (int pass = 0; pass < 5; ++pass)
        b.engine->runPass();
    EXPECT_EQ(startingWith(b.commands(), o + "setCenterFreqSubC0"),
              (Commands{o + "setCenterFreqSubC0 0 20000000", o + "setCenterFreqSubC0 0 22000000",
                        o + "setCenterFreqSubC0 0 24000000"}));
    EXPECT_EQ(b.emitted.configured, 3);
    EXPECT_EQ(b.burst().kind, Burst::Kind::Ofdma);
    b.expectOffOnLeaving(QML_CM_NO_MEASURE, o + "cleanTestBurst");
}
