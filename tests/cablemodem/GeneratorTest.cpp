// The upstream test generators against the simulated modem: the exact commands for each
// modulation, symbol rate and level (at and past the limits), the sweeps, the DOCSIS 3.1
// modem's restart into its production test mode after a real readiness check, what the
// modem then transmits, and the carrier switched off when the test is left.
#include "PathTestSupport.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace modemtest;
using Burst = platform::sim::ModemUpstreamBurst;

namespace {

const std::string kTest = "docsis/Production/Test/";

Commands startingWith(const Commands& all, const std::string& prefix)
{
    Commands out;
    for (const std::string& c : all) {
        if (c.rfind(prefix, 0) == 0)
            out.push_back(c);
    }
    return out;
}

// The 3.0 generator restarted from the settings and advanced to its first burst.
int firstBurst30(PathBench& b)
{
    b.engine->mesuraSweepGenerador(0);
    return b.until([&] { return b.engine->mesuraSweepGenerador(64); }, {0, -1});
}

// The 3.1 generator's first calls: readiness, then the restart into the production test mode.
void enterTestMode31(PathBench& b)
{
    b.engine->mesuraSweepGenerador_31(0);
    b.engine->mesuraSweepGenerador_31(64);
    b.link.modem().clearCommands();
}

// One set-up call of the 3.1 generator, stopped once the modem has taken it (or, when a
// sweep, once it has been given frequencies more).
void setUp31(PathBench& b, int frequencies = 0)
{
    QObject stopper;
    QObject::connect(b.engine, &MesuraCM::modemConfigurat, &stopper, [&] {
        if (frequencies == 0)
            b.engine->aturar();
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (frequencies > 0 && startingWith(b.commands(), kTest + "freq").size() >= static_cast<size_t>(frequencies))
            b.engine->aturar();
    });
    watch.start(0);
    b.engine->startPass();
    b.engine->mesuraSweepGenerador_31(64);
    b.engine->startPass();
}

// Leaving the generator for the next code switches the modem's carrier off with command.
void expectOffOnLeaving(PathBench& b, int nextCode, const std::string& command)
{
    b.engine->setMesuraCM(nextCode);
    b.engine->runPass();
    b.link.pump();
    EXPECT_EQ(b.commands().back(), command);
    EXPECT_EQ(b.link.modem().upstreamBurst().kind, Burst::Kind::None);
}

} // namespace

struct Burst30Row {
    int modulation, symbolRate, power;
    const char* command;
    const char* modulationName;
    int rateKsps;
    double levelDbuV;
};
void PrintTo(const Burst30Row& r, std::ostream* out) { *out << r.command; }
class Generator30Bursts : public ::testing::TestWithParam<Burst30Row> {};
INSTANTIATE_TEST_SUITE_P(
    Generator30, Generator30Bursts,
    ::testing::Values(Burst30Row{0, 0, 1105, "upburst 0 40.0 2 0 10", "16QAM", 160, 110},
                      Burst30Row{1, 1, 600, "upburst 0 40.0 0 1 60", "QPSK", 320, 60},
                      Burst30Row{2, 2, 1200, "upburst 0 40.0 4 2 0", "64QAM", 640, 120},
                      Burst30Row{5, 3, 800, "upburst 0 40.0 0 3 40", "QPSK", 1280, 80},
                      Burst30Row{6, 4, 599, "upburst 0 40.0 3 4 60", "32QAM", 2560, 60},
                      Burst30Row{7, 5, 1300, "upburst 0 40.0 1 5 0", "8QAM", 5120, 120},
                      Burst30Row{8, 6, -50, "upburst 0 40.0 0 5 60", "QPSK", 5120, 60},
                      Burst30Row{-1, -1, 900, "upburst 0 40.0 0 0 30", "QPSK", 160, 90}));

TEST_P(Generator30Bursts, CommandAndTransmittedSignal)
{
    const Burst30Row row = GetParam();
    PathBench b(kDocsis30);
    setSettings({{"up_test_mode", 1}, {"up_test_freq_fix", 40000000}, {"rf_on", 1},
                 {"up_test_modulation", row.modulation}, {"up_test_symbolrate", row.symbolRate},
                 {"up_test_power", row.power}});
    ASSERT_EQ(firstBurst30(b), 0);
    EXPECT_EQ(b.commands().back(), row.command);
    EXPECT_EQ(b.emitted.configured, 1);
    const Burst burst = b.link.modem().upstreamBurst();
    EXPECT_EQ(burst.kind, Burst::Kind::ScQam);
    EXPECT_DOUBLE_EQ(burst.frequencyHz, 40e6);
    EXPECT_EQ(burst.modulation, row.modulationName);
    EXPECT_EQ(burst.symbolRateKsps, row.rateKsps);
    EXPECT_DOUBLE_EQ(burst.levelDbuV, row.levelDbuV);
    // Fixed: the burst stays set, and each pass says so again.
    EXPECT_EQ(b.engine->mesuraSweepGenerador(64), 0);
    EXPECT_EQ(b.emitted.configured, 2);
}

TEST(Generator30, SweepsInThreeMegahertzStepsAndWrapsAtTheStop)
{
    PathBench b(kDocsis30);
    for (int stop : {14000000, 13900000}) {
        setSettings({{"up_test_mode", 0}, {"up_test_start", 5000000}, {"up_test_stop", stop}, {"rf_on", 1},
                     {"up_test_modulation", 2}, {"up_test_symbolrate", 5}, {"up_test_power", 1000}});
        b.link.modem().clearCommands();
        b.engine->mesuraSweepGenerador(0);
        for (int burst = 0; burst < 5; ++burst)
            ASSERT_EQ(b.until([&] { return b.engine->mesuraSweepGenerador(64); }, {0, -1}), 0);
        const Commands expected = stop == 14000000
            ? Commands{"upburst 0 5.0 4 5 20", "upburst 0 8.0 4 5 20", "upburst 0 11.0 4 5 20",
                       "upburst 0 14.0 4 5 20", "upburst 0 5.0 4 5 20"}
            : Commands{"upburst 0 5.0 4 5 20", "upburst 0 8.0 4 5 20", "upburst 0 11.0 4 5 20",
                       "upburst 0 5.0 4 5 20", "upburst 0 8.0 4 5 20"};
        EXPECT_EQ(startingWith(b.commands(), "upburst"), expected) << stop;
    }
}

TEST(Generator30, LeavingTheTestOrTurningRfOffStopsTheBurst)
{
    PathBench b(kDocsis30);
    setSettings({{"up_test_mode", 1}, {"up_test_freq_fix", 30000000}, {"rf_on", 1}, {"up_test_power", 1000}});
    b.engine->setMesuraCM(QML_CM_UP_STREAM_GENERATOR);
    for (int pass = 0; pass < 100 && b.emitted.configured == 0; ++pass)
        b.engine->runPass();
    ASSERT_EQ(b.link.modem().upstreamBurst().kind, Burst::Kind::ScQam);
    expectOffOnLeaving(b, NO_MESURE, "burststop 0");
    // Only once.
    b.engine->runPass();
    b.link.pump();
    const Commands after = b.commands();
    EXPECT_EQ(std::count(after.begin(), after.end(), "burststop 0"), 1);

    setSettings({{"rf_on", 0}});
    EXPECT_EQ(firstBurst30(b), 0);
    EXPECT_EQ(b.commands().back(), "burststop 0");
}

TEST(Generator31, WaitsForTheCommandLineThenRestartsIntoTheProductionTestMode)
{
    PathBench b;
    setSettings({{"up_test_docsis_mode", 1}});
    // A modem left in its shell is brought to its command line before anything is sent.
    b.link.modem().setMenu(false);
    b.engine->mesuraSweepGenerador_31(0);
    EXPECT_EQ(b.commands(), (Commands{"", "cli"}));
    b.link.modem().clearCommands();
    const uint64_t t0 = b.link.clock().monotonicMs();
    b.engine->mesuraSweepGenerador_31(64);
    EXPECT_EQ(b.commands(), (Commands{"", "system/startup/disable ", "reboot ", "", "system/startup/enable ", "exit ",
                                      "testmode ", "cli ", kTest + "testmode ", kTest + "UsOfdma"}));
    // The boot's 30 s, and the banner awaited in vain.
    EXPECT_GT(b.link.clock().monotonicMs() - t0, 85000u);
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    EXPECT_TRUE(b.link.modem().inMenu());
    EXPECT_EQ(b.link.modem().upstreamBurst().kind, Burst::Kind::None);
}

TEST(Generator31, AStopDuringTheRestartLeavesItToBeDoneAgain)
{
    PathBench b;
    b.engine->mesuraSweepGenerador_31(0);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const Commands c = b.commands();
        if (std::find(c.begin(), c.end(), "reboot ") != c.end())
            b.engine->aturar();
    });
    watch.start(0);
    const uint64_t t0 = b.link.clock().monotonicMs();
    b.engine->mesuraSweepGenerador_31(64);
    watch.stop();
    // The rest of the restart goes out without its waits.
    EXPECT_LT(b.link.clock().monotonicMs() - t0, 5000u);
    b.link.modem().clearCommands();
    b.engine->startPass();
    b.engine->mesuraSweepGenerador_31(64);
    // Not in the test mode: the restart comes again rather than a set-up.
    EXPECT_EQ(b.commands().at(1), "system/startup/disable ");
}

struct ScQamRow {
    int modulation, symbolRate, power;
    Commands commands;
    const char* modulationName;
    int rateKsps;
    double levelDbuV;
};
void PrintTo(const ScQamRow& r, std::ostream* out) { *out << r.modulation << " " << r.symbolRate << " " << r.power; }
class Generator31ScQam : public ::testing::TestWithParam<ScQamRow> {};
INSTANTIATE_TEST_SUITE_P(
    Generator31, Generator31ScQam,
    ::testing::Values(
        ScQamRow{0, 0, 450, {"modulation 0 3", "symb 0 1", "gain 0", "sdattn 0 15"}, "16QAM", 160, 45},
        ScQamRow{5, 1, 600, {"modulation 0 1", "symb 0 2", "gain 0", "sdattn 0 0"}, "QPSK", 320, 60},
        ScQamRow{6, 2, 755, {"modulation 0 4", "symb 0 4", "sdattn 0 0", "gain 15"}, "32QAM", 640, 75},
        ScQamRow{7, 3, 400, {"modulation 0 2", "symb 0 8", "gain 0", "sdattn 0 20"}, "8QAM", 1280, 40},
        ScQamRow{2, 4, 1300, {"modulation 0 5", "symb 0 16", "sdattn 0 0", "gain 70"}, "64QAM", 2560, 130},
        // Past the limits: the level is held at 40 and 130 dBuV, the table's last rows taken.
        ScQamRow{99, 5, 390, {"modulation 0 5", "symb 0 32", "gain 0", "sdattn 0 20"}, "64QAM", 5120, 40},
        ScQamRow{-3, -1, 1500, {"modulation 0 5", "symb 0 32", "sdattn 0 0", "gain 70"}, "64QAM", 5120, 130}));

TEST_P(Generator31ScQam, CommandsAndTransmittedCarrier)
{
    const ScQamRow row = GetParam();
    PathBench b;
    setSettings({{"up_test_docsis_mode", 0}, {"up_test_mode", 1}, {"up_test_freq_fix", 42500000}, {"rf_on", 1},
                 {"up_test_modulation", row.modulation}, {"up_test_symbolrate", row.symbolRate},
                 {"up_test_power", row.power}});
    enterTestMode31(b);
    setUp31(b);
    Commands expected = {"", "docsis/setDiplexer 1", kTest + "bmode 0 0", kTest + "upstream 0 1", kTest + "cont 0 1"};
    for (const std::string& c : row.commands)
        expected.push_back(kTest + c);
    expected.push_back(kTest + "tcm 0 1");
    expected.push_back(kTest + "freq 0 42.50");
    EXPECT_EQ(b.commands(), expected);
    EXPECT_EQ(b.emitted.configured, 1);
    const Burst burst = b.link.modem().upstreamBurst();
    EXPECT_EQ(burst.kind, Burst::Kind::ScQam);
    EXPECT_DOUBLE_EQ(burst.frequencyHz, 42.5e6);
    EXPECT_EQ(burst.modulation, row.modulationName);
    EXPECT_EQ(burst.symbolRateKsps, row.rateKsps);
    EXPECT_DOUBLE_EQ(burst.levelDbuV, row.levelDbuV);
}

TEST(Generator31, ScQamSweepVisitsElevenFrequenciesAndLeavingSwitchesTheCarrierOff)
{
    PathBench b;
    setSettings({{"up_test_docsis_mode", 0}, {"up_test_mode", 0}, {"up_test_start", 5000000},
                 {"up_test_stop", 65000000}, {"rf_on", 1}, {"up_test_power", 600}});
    enterTestMode31(b);
    setUp31(b, 12);
    Commands expected;
    for (const char* mhz : {"5.00", "11.00", "17.00", "23.00", "29.00", "35.00", "41.00", "47.00", "53.00", "59.00",
                            "65.00", "5.00"})
        expected.push_back(kTest + "freq 0 " + mhz);
    EXPECT_EQ(startingWith(b.commands(), kTest + "freq"), expected);
    EXPECT_EQ(b.emitted.configured, 1);
    EXPECT_EQ(b.link.modem().upstreamBurst().kind, Burst::Kind::ScQam);

    expectOffOnLeaving(b, NO_MESURE, kTest + "upstream 0 0");
}

TEST(Generator31, OfdmaBurstAtItsCentreAndRfOff)
{
    PathBench b;
    setSettings({{"up_test_docsis_mode", 1}, {"up_test_mode", 1}, {"up_test_freq_fix", 120000000}, {"rf_on", 1}});
    enterTestMode31(b);
    setUp31(b);
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
    Burst burst = b.link.modem().upstreamBurst();
    EXPECT_EQ(burst.kind, Burst::Kind::Ofdma);
    EXPECT_DOUBLE_EQ(burst.frequencyHz, 120e6);

    // The RF output switched off: the burst ends and none starts.
    setSettings({{"rf_on", 0}});
    b.link.modem().clearCommands();
    setUp31(b);
    EXPECT_EQ(b.commands(), (Commands{"", "docsis/setDiplexer 2", o + "cleanTestBurst"}));
    EXPECT_EQ(b.link.modem().upstreamBurst().kind, Burst::Kind::None);
    EXPECT_EQ(b.emitted.configured, 2);
}

TEST(Generator31, EnginePassesRestartAfterAnIdlePassAndSwitchTheBurstOffOnLeaving)
{
    PathBench b;
    setSettings({{"up_test_docsis_mode", 1}, {"up_test_mode", 0}, {"up_test_start", 20000000},
                 {"up_test_stop", 40000000}, {"rf_on", 1}});
    b.engine->setMesuraCM(QML_CM_UP_STREAM_GENERATOR_31);
    b.engine->runPass(); // readiness, test mode forgotten
    b.engine->runPass(); // restart into the test mode
    for (int pass = 0; pass < 3; ++pass)
        b.engine->runPass(); // one OFDMA set-up per pass, each at the next centre
    const Commands centres = startingWith(b.commands(), kTest + "UsOfdma/setCenterFreqSubC0");
    EXPECT_EQ(centres, (Commands{kTest + "UsOfdma/setCenterFreqSubC0 0 20000000",
                                 kTest + "UsOfdma/setCenterFreqSubC0 0 22000000",
                                 kTest + "UsOfdma/setCenterFreqSubC0 0 24000000"}));
    EXPECT_EQ(b.emitted.configured, 3);
    EXPECT_EQ(b.link.modem().upstreamBurst().kind, Burst::Kind::Ofdma);

    expectOffOnLeaving(b, QML_CM_NO_MEASURE, kTest + "UsOfdma/cleanTestBurst");

    // Back after an idle pass: the test mode is entered afresh.
    b.link.modem().clearCommands();
    b.engine->setMesuraCM(QML_CM_UP_STREAM_GENERATOR_31);
    b.engine->runPass();
    b.engine->runPass();
    EXPECT_EQ(b.commands().at(2), "system/startup/disable ");
}
