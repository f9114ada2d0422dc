// The registration-state report and the DOCSIS 3.0 readiness and restart machines
// against the simulated modem: each state word, a ready modem, a shell, silence.
#include "ModemTestSupport.h"

#include "cablemodem/modemStores.h"
#include "hw/GPIOClass.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace modemtest;

namespace {
int readState(ModemLink& link, int timeoutMs = 5000)
{
    GetCMStatus(0, timeoutMs);
    return link.runSteps([&] { return GetCMStatus(64, timeoutMs); }, 200);
}
} // namespace

TEST(SimulatedModem, BootsOnlyPoweredAndOutOfReset)
{
    ModemLink link;
    EXPECT_FALSE(link.modem().powered());
    power_ON_CableModem();
    EXPECT_TRUE(link.modem().powered());
    link.clock().advanceMs(2900);
    link.pump();
    EXPECT_FALSE(link.modem().booted());
    link.clock().advanceMs(100);
    link.pump();
    EXPECT_TRUE(link.modem().booted());
    const QString text = getStringBufferTrames();
    EXPECT_TRUE(text.contains("pcd: Rule HT_APP_LASTRULE: Success.")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("mainMenu>")) << text.toStdString();

    // Held in reset it stops at once, and answers nothing.
    GPIOClass("170").setval_gpio("1");
    EXPECT_FALSE(link.modem().powered());
    EXPECT_FALSE(link.modem().booted());
    power_OFF_CableModem();
    EXPECT_FALSE(link.modem().powered());
}

TEST(ModemStateReport, EachStateWordGivesItsLevel)
{
    ModemLink link;
    link.powerAndBoot();
    const std::pair<const char*, int> words[] = {
        {"OPERATIONAL", 40000},
        {"PHY_SYNCHRONIZED", 5000},
        {"DS_TOPOLOGY_RESOLUTION_IN_PROGRESS", 6000},
        {"RANGING_IN_PROGRESS", 10000},
        {"RANGING_COMPLETE", 15000},
        {"DHCPV4_IN_PROGRESS", 20000},
        {"DHCPV4_COMPLETE", 25000},
        {"CONFIG_FILE_DOWNLOAD_COMPLETE", 35000},
        {"NOT_SYNCHRONIZED", 2000},
        {"FORWARDING_DISABLED", 40000},
        {"TOD_ESTABLISHED", -100},
    };
    for (const auto& [word, level] : words) {
        stickState(link.board(), word);
        EXPECT_EQ(readState(link), level) << word;
    }
    stickState(link.board(), "OPERATIONAL");
    readState(link);
    EXPECT_EQ(GetInternet(), 1);
    stickState(link.board(), "FORWARDING_DISABLED");
    readState(link);
    EXPECT_EQ(GetInternet(), 0);

    link.modem().clearCommands();
    readState(link);
    EXPECT_EQ(link.modem().commands(), (std::vector<std::string>{"", "doc/cms"}));
    // The earlier word of the table wins.
    EXPECT_EQ(cmStateLevel("CM status is RANGING_COMPLETE DHCPV4_IN_PROGRESS"), 15000);
}

TEST(ModemStateReport, FollowsRegistrationOverBoardTimeAndGivesUpOnSilence)
{
    ModemLink link;
    link.powerAndBoot();
    link.modem().setStateStepMs(60000);
    EXPECT_EQ(readState(link), 2000);
    link.clock().advanceMs(60000);
    EXPECT_EQ(readState(link), 5000);

    silence(link.board());
    const uint64_t t0 = link.clock().monotonicMs();
    EXPECT_EQ(readState(link, 5000), -100);
    EXPECT_LE(link.clock().monotonicMs() - t0, 5300u);
}

TEST(ModemStateReport, ReassemblesAReplyInBurstsAndIgnoresTheEcho)
{
    ModemLink link;
    link.powerAndBoot();
    stickState(link.board(), "OPERATIONAL");
    link.modem().setEcho(true);
    link.modem().setBursts(4);
    GetCMStatus(0, 5000);
    int r = 100;
    int frames = 0;
    for (int i = 0; i < 20 && r == 100; ++i) {
        r = GetCMStatus(64, 5000);
        frames += link.pumpLive(30);
        link.clock().advanceMs(100);
    }
    EXPECT_EQ(r, 40000);
    EXPECT_GE(frames, 6);
}

TEST(ModemReady30, AReadyModemAnswersAtOnce)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    EXPECT_EQ(GetModemReady(0), 0);
    EXPECT_EQ(link.runSteps([] { return GetModemReady(64); }), 0);
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemReady30, AShellPromptStartsTheCommandLine)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    ASSERT_FALSE(link.modem().inMenu());
    GetModemReady(0);
    EXPECT_EQ(link.runSteps([] { return GetModemReady(64); }), MODEM_STEP_RESTARTING);
    EXPECT_EQ(GetModemEnReset(), 1);
    EXPECT_EQ(link.runSteps([] { return GetModemReady(64); }), 0);
    EXPECT_TRUE(link.modem().inMenu());
    EXPECT_EQ(GetModemEnReset(), 0);
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemReady30, ASilentModemIsPowerCycledAndTheMachineFails)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    silence(link.board());
    link.board().log().clear();
    GetModemReady(0);
    const uint64_t t0 = link.clock().monotonicMs();
    EXPECT_EQ(link.runSteps([] { return GetModemReady(64); }, 5000), -1);
    const uint64_t took = link.clock().monotonicMs() - t0;
    // 21 misses of 500 ms, the power cycle, 40 s for the boot line, 2 s for the shell.
    EXPECT_GT(took, 21 * 500u + 40000u + 2000u);
    EXPECT_LT(took, 21 * 800u + 42000u + 3000u);
    auto lines = lineWriteTexts(link.board());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "close"), 1);
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RES);
    EXPECT_EQ(GetModemEnReset(), 0);
    EXPECT_NE(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemReady30, ARestartWaitsForTheLastBootLine)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().clearCommands();
    EXPECT_EQ(ResetModem(4), 100);
    EXPECT_EQ(link.runSteps([] { return ResetModem(64); }), 0);
    EXPECT_EQ(link.modem().commands(), (std::vector<std::string>{"", "cli"}));
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemReady30, ReadyAndTunedReachesTheWantedLevelAndRemembersTheChannel)
{
    ModemLink link(kDocsis30);
    link.powerAndBoot();
    link.modem().setMenu(true);
    link.modem().setStateStepMs(1000);
    link.modem().clearCommands();
    auto advance = [] {
        const int r = ProcesModemReady(64, 1, 602000000, 15000);
        // Levels below the wanted one and finished stages are busy to the caller.
        return (r > 0 && r < 15000) || r == MODEM_STEP_STAGE_DONE ? 100 : r;
    };
    EXPECT_EQ(ProcesModemReady(0, 1, 602000000, 15000), 0);
    const int level = link.runSteps(advance, 3000);
    EXPECT_GE(level, 15000);
    EXPECT_LE(level, 40000);
    EXPECT_EQ(ProcesModemReady(64, 1, 602000000, 15000), 0);
    const auto commands = link.modem().commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "go 602.00"), 1);

    // The same channel again: no new tuning, only the state report.
    link.modem().clearCommands();
    ProcesModemReady(0, 1, 602000000, 15000);
    EXPECT_EQ(link.runSteps(advance, 3000), 0);
    const auto again = link.modem().commands();
    EXPECT_EQ(std::count(again.begin(), again.end(), "go 602.00"), 0);
    EXPECT_GE(std::count(again.begin(), again.end(), "doc/cms"), 1);
}
