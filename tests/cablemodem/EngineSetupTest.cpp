// The engine's modem set-up commands and queries against the simulated modem (the exact
// command lines, their pauses and time-outs), the paced 3.0 tuning, the walk over the
// registration records, and the result calculations at their limits.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemStores.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

using namespace modemtest;

namespace {
// A booted modem answering at its command line, the link pumping on every wait.
struct ReadyModem {
    explicit ReadyModem(int hardwareModel = kDocsis30) : link(hardwareModel)
    {
        link.setAutoPump(true);
        link.powerAndBoot();
        link.modem().setMenu(true);
        link.modem().clearCommands();
    }
    uint64_t now() { return link.clock().monotonicMs(); }
    Commands commands() { return link.modem().commands(); }
    ModemLink link;
};
} // namespace

TEST(EngineSetup, DownstreamAnalysisSetUpPausesBeforeEachCommand)
{
    ReadyModem m;
    uint64_t t0 = m.now();
    passingEngine()->set_CM_for_DS_ANALYSIS();
    EXPECT_EQ(m.commands(), (Commands{"docsis/dhcpmode 0", "docsis/rangemode 0", "docsis/findds 1"}));
    // 200 ms, then the prompt within the first 100 ms slice, three times.
    EXPECT_EQ(m.now() - t0, 900u);

    silence(m.link.board());
    t0 = m.now();
    passingEngine()->set_CM_for_DS_ANALYSIS();
    EXPECT_EQ(m.now() - t0, 3 * (200u + 5100u));
}

TEST(EngineSetup, LoggerAndDebugOptionSequences)
{
    ReadyModem m;
    passingEngine()->enableModemLogger();
    EXPECT_EQ(m.commands(),
              (Commands{"logger/AllModulesConfig 1 0", "logger/ModuleConfig 1 23 1", "logger/ModuleConfig 1 26 1",
                        "logger/AllDebugModulesConfig 1 0", "logger/ModuleConfig 1 13 1", "logger/ModuleConfig 1 15 1",
                        "logger/ModuleConfig 1 18 1", "logger/ModuleConfig 1 21 1", "logger/DebugModulesConfig 1 13 1",
                        "logger/DebugModulesConfig 1 15 1", "logger/DebugModulesConfig 1 21 1",
                        "logger/ComponentConfig 1 1", "logger/list", "logger/enable"}));
    m.link.modem().clearCommands();
    EXPECT_EQ(passingEngine()->set_CM_to_2_0_aux(7), 0);
    EXPECT_EQ(m.commands(),
              (Commands{"docsis/Debug/SetDebugOption 3 1", "docsis/Debug/SetDebugOption 42 1",
                        "docsis/Debug/SetDebugOption 43 1", "docsis/Debug/SetDebugOption 46 1"}));
}

TEST(EngineSetup, SingleReportQueries)
{
    ReadyModem m;
    SetDocsisMode(0);
    EXPECT_TRUE(passingEngine()->decodificaDocsisMode_30());
    EXPECT_EQ(GetDocsisMode(), 3);
    EXPECT_EQ(GetModemMeasuresDocsisVersion(), 30);
    EXPECT_EQ(passingEngine()->decodificaDocsisMode_31(), 1);
    EXPECT_EQ(passingEngine()->vendedor_aux(0), 0);
    EXPECT_EQ(m.commands(), (Commands{"docsis/docsismode", "docsis/Debug/GetDocsisMode", "doc/vendor"}));

    silence(m.link.board());
    SetDocsisMode(0);
    uint64_t t0 = m.now();
    EXPECT_FALSE(passingEngine()->decodificaDocsisMode_30());
    EXPECT_EQ(GetDocsisMode(), 0);
    EXPECT_EQ(m.now() - t0, 2100u);
    t0 = m.now();
    EXPECT_EQ(passingEngine()->vendedor_aux(0), 0);
    EXPECT_EQ(m.now() - t0, 30100u);
}

TEST(EngineSetup, BerQueryOfADownstreamChannel)
{
    testsupport::ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion"));
    ReadyModem m;
    m.link.clock().advanceMs(10000); // synchronised: a clean channel shows no errors
    PhyChannel& p = GetPhyPointer()[0];
    p.modulation = 256;
    p.symbolRate = 6952;
    EXPECT_EQ(passingEngine()->decodificaBer(0), 0);
    EXPECT_EQ(m.commands(), Commands{"berstatus 0 3"});
    EXPECT_DOUBLE_EQ(p.preBer, 1.0 / (6952.0 * 3000 * 8));
    EXPECT_EQ(p.postBerKind, 2);

    silence(m.link.board());
    const uint64_t t0 = m.now();
    EXPECT_EQ(passingEngine()->decodificaBer(0), -1);
    EXPECT_EQ(m.now() - t0, 5100u);
}

TEST(EngineSetup, TuningIsPacedToOnceEveryFiveSeconds)
{
    ReadyModem m;
    // The first call only starts the pacing.
    EXPECT_EQ(passingEngine()->sintonizarTuner30(0), 0);
    m.link.clock().advanceMs(4999);
    EXPECT_EQ(passingEngine()->sintonizarTuner30(602000000), 0);
    EXPECT_TRUE(m.commands().empty());
    m.link.clock().advanceMs(1);
    EXPECT_EQ(passingEngine()->sintonizarTuner30(602000000), 1);
    EXPECT_EQ(m.commands(), Commands{"go 602.00"});
    EXPECT_EQ(passingEngine()->sintonizarTuner30(610000000), 0);
    EXPECT_EQ(m.commands().size(), 1u);

    m.link.clock().advanceMs(5000);
    silence(m.link.board());
    const uint64_t t0 = m.now();
    EXPECT_EQ(passingEngine()->sintonizarTuner30(618000000), 0);
    EXPECT_EQ(m.now() - t0, 12100u);
    EXPECT_EQ(m.commands().back(), "go 618.00");
}

TEST(EngineSetup, AStopEndsAWaitForTheModemWithinOneSlice)
{
    ReadyModem m;
    passingEngine()->sintonizarTuner30(0);
    m.link.clock().advanceMs(5000);
    silence(m.link.board());
    QTimer::singleShot(0, [] { MesuraCM::getInstance()->aturar(); });
    const uint64_t t0 = m.now();
    EXPECT_EQ(MesuraCM::getInstance()->sintonizarTuner30(602000000), 0);
    EXPECT_EQ(m.now() - t0, 100u);
}

TEST(EngineSetup, WalkOverTheRegistrationRecords)
{
    InicialitzarMesuresDownstream();
    const int frequencies[PHY_CHANNELS] = {602000000, 0, UNMEASURED, 0, 0, 0, 0, 0};
    for (int i = 0; i < PHY_CHANNELS; ++i) {
        GetPhyPointer()[i].frequency = frequencies[i];
        SetMesuresRegistre30(i, 55);
    }
    MesuraCM* e = MesuraCM::getInstance();
    EXPECT_EQ(e->procesMesuraRegistre30(0), 100);
    std::vector<int> answers;
    for (int r = 100; r == 100 && answers.size() < 50;)
        answers.push_back(r = e->procesMesuraRegistre30(64));
    // Two steps for each record with a frequency, one for each without, 0 at the last.
    EXPECT_EQ(answers.size(), 2u + 1u + 2u + 5u);
    EXPECT_EQ(answers.back(), 0);
    const int expected[PHY_CHANNELS] = {55, UNMEASURED, 55, UNMEASURED, UNMEASURED, UNMEASURED, UNMEASURED, UNMEASURED};
    for (int i = 0; i < PHY_CHANNELS; ++i)
        EXPECT_EQ(GetMesuresRegistre30(i), expected[i]) << i;
}

TEST(EngineCalculations, BitsPerSymbolOfAModulationText)
{
    MesuraCM* e = MesuraCM::getInstance();
    const struct {
        const char* text;
        int bits;
    } cases[] = {{"QPSK", 2},     {"8 QAM", 3},     {"16 QAM", 4}, {"QAM 32", 5},   {"QAM 64", 6},
                 {"QAM 128", 7},  {"128 QAM", 7},   {"QAM 256", 8}, {"4096 QAM", 8}, {"", 8}};
    for (const auto& c : cases)
        EXPECT_EQ(e->getBitsSymbol_from_string(c.text), c.bits) << c.text;
}

TEST(EngineCalculations, RunningStandardDeviationAndPercentile)
{
    MesuraCM* e = MesuraCM::getInstance();
    EXPECT_EQ(e->CalculStdDevMer(true, 30), 0);
    EXPECT_EQ(e->CalculPctlMer(true, 76), 0);
    EXPECT_EQ(e->CalculPctlMer(false, 30), 30);
    EXPECT_FLOAT_EQ(e->CalculStdDevMer(false, 25), 2.5f);
    EXPECT_EQ(e->CalculPctlMer(false, 25), 30);
    EXPECT_FLOAT_EQ(e->CalculStdDevMer(false, 35), static_cast<float>(std::sqrt(50.0 / 3)));
    EXPECT_EQ(e->CalculPctlMer(false, 35), 35);

    // A full window keeps its smallest values: a smaller one replaces the largest.
    EXPECT_EQ(e->CalculPctlMer(true, 2), 0);
    EXPECT_EQ(e->CalculPctlMer(false, 40), 40);
    EXPECT_EQ(e->CalculPctlMer(false, 38), 40);
    EXPECT_EQ(e->CalculPctlMer(false, 45), 40);
    EXPECT_EQ(e->CalculPctlMer(false, 36), 38);
    // Over 200 is refused and the old length kept.
    EXPECT_EQ(e->CalculPctlMer(true, 201), -1);
    EXPECT_EQ(e->CalculPctlMer(false, 41), 41);
    EXPECT_EQ(e->CalculPctlMer(false, 37), 41);
    EXPECT_EQ(e->CalculPctlMer(false, 42), 41);
    // An empty window never stores and has nothing to give.
    EXPECT_EQ(e->CalculPctlMer(true, 0), 0);
    EXPECT_EQ(e->CalculPctlMer(false, 30), -2147483648.0f);
    EXPECT_EQ(e->CalculPctlMer(false, -1e30f), -2147483648.0f);
}

TEST(EngineCalculations, SpreadAndOfdmBandwidth)
{
    MesuraCM* e = MesuraCM::getInstance();
    EXPECT_EQ(e->CalculICFR(true, 0), 0);
    EXPECT_EQ(e->CalculICFR(false, 1.5f), 0);
    EXPECT_EQ(e->CalculICFR(false, -0.5f), 2);
    EXPECT_EQ(e->CalculICFR(false, 1.0f), 2);

    EXPECT_EQ(e->calculoBandwidthOFDM_3_1("148,100", "3947,250"), "150");
    EXPECT_EQ(e->calculoBandwidthOFDM_3_1(" 148, 600000000 ", " 3947, 789950000 "), "189950000");
    EXPECT_EQ(e->calculoBandwidthOFDM_3_1("148", "3947,250"), "");
    EXPECT_EQ(e->calculoBandwidthOFDM_3_1("1,2,3", "3947,250"), "");
    EXPECT_EQ(e->calculoBandwidthOFDM_3_1("148,abc", "3947,250"), "");
    EXPECT_EQ(e->calculoBandwidthOFDM_3_1("148,-5", "3947,250"), "");
    // A last subcarrier below the first gives no width, not a wrapped one.
    EXPECT_EQ(e->calculoBandwidthOFDM_3_1("3947,250", "148,100"), "");
    EXPECT_EQ(e->calculoBandwidthOFDM_3_1("1,4294967295", "2,4294967295"), "0");
}
