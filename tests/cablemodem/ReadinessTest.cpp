// The simulated modem's boot, the registration-state report, and readiness: the DOCSIS 3.0
// readiness, restart and tuned-readiness machines, the DOCSIS 3.1 readiness (a command line,
// a shell that gets "cli" and its automatic start, silence that ends in a power cycle,
// garbage), and the three threads of the link in scaled time.
#include "ModemTestSupport.h"

#include "cablemodem/modemStores.h"
#include "hw/GPIOClass.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace modemtest;

namespace {
int readState(ModemLink& link, int timeoutMs = 5000)
{
    GetCMStatus(0, timeoutMs);
    return link.runSteps([&] { return GetCMStatus(64, timeoutMs); }, 200);
}
} // namespace

TEST(ModemStateReport, BootWordsLevelsProgressBurstsSilenceAndReset)
{
    // The simulated modem boots only powered and out of reset, in 3 s.
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
    const QString boot = getStringBufferTrames();
    EXPECT_TRUE(boot.contains("pcd: Rule HT_APP_LASTRULE: Success.") && boot.endsWith("mainMenu>"))
        << boot.toStdString();

    link.modem().setStateStepMs(60000);
    EXPECT_EQ(readState(link), 2000);
    link.clock().advanceMs(60000);
    EXPECT_EQ(readState(link), 5000);
    link.modem().clearCommands();
    readState(link);
    EXPECT_EQ(link.modem().commands(), (Commands{"", "doc/cms"}));

    const std::pair<const char*, int> words[] = {
        {"OPERATIONAL", 40000},           {"PHY_SYNCHRONIZED", 5000},
        {"DS_TOPOLOGY_RESOLUTION_IN_PROGRESS", 6000}, {"RANGING_IN_PROGRESS", 10000},
        {"RANGING_COMPLETE", 15000},      {"DHCPV4_IN_PROGRESS", 20000},
        {"DHCPV4_COMPLETE", 25000},       {"CONFIG_FILE_DOWNLOAD_COMPLETE", 35000},
        {"NOT_SYNCHRONIZED", 2000},       {"FORWARDING_DISABLED", 40000},
        {"TOD_ESTABLISHED", -100},
    };
    for (const auto& [word, level] : words) {
        stickState(link.board(), word);
        EXPECT_EQ(readState(link), level) << word;
        if (level == 40000) {
            EXPECT_EQ(GetInternet(), std::string(word) == "OPERATIONAL" ? 1 : 0) << word;
        }
    }
    // The earlier word of the table wins.
    EXPECT_EQ(cmStateLevel("CM status is RANGING_COMPLETE DHCPV4_IN_PROGRESS"), 15000);

    // Replies that come in pieces, the echo first, are put together: each piece is on the line
    // alone (the modem's own answers silenced) and read off as a frame of its own.
    silence(link.board());
    const char* pieces[] = {"\r\n", "mainMe", "nu>",                                        // to "\r"
                            "doc/cms\r\n", "CM status is OPER", "ATIONAL\r\n", "mainMe", "nu>"}; // to "doc/cms"
    GetCMStatus(0, 5000);
    int r = GetCMStatus(64, 5000);
    for (const char* piece : pieces) {
        EXPECT_EQ(r, 100) << piece;
        ASSERT_TRUE(link.feed(piece)) << piece;
        r = GetCMStatus(64, 5000);
        link.clock().advanceMs(100);
    }
    EXPECT_EQ(r, 40000);

    Lap lap(link.clock());
    EXPECT_EQ(readState(link, 5000), -100);
    EXPECT_LE(lap(), 5300u);
    // Held in reset it stops at once.
    GPIOClass("170").setval_gpio("1");
    EXPECT_FALSE(link.modem().powered() || link.modem().booted());
}

TEST(ModemReady30, AShellIsRestartedIntoTheCommandLineAndARestartWaitsForTheLastBootLine)
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
    // A ready modem answers at once.
    EXPECT_EQ(GetModemReady(0), 0);
    EXPECT_EQ(link.runSteps([] { return GetModemReady(64); }), 0);

    link.modem().clearCommands();
    EXPECT_EQ(ResetModem(4), 100);
    EXPECT_EQ(link.runSteps([] { return ResetModem(64); }), 0);
    EXPECT_EQ(link.modem().commands(), (Commands{"", "cli"}));
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemReady30, ReadyAndTunedReachesTheWantedLevelThenASilentModemIsPowerCycled)
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
    EXPECT_EQ(count(link.modem().commands(), "go 602.00"), 1);

    silence(link.board());
    link.board().log().clear();
    GetModemReady(0);
    const uint64_t t0 = link.clock().monotonicMs();
    EXPECT_EQ(link.runSteps([] { return GetModemReady(64); }, 5000), -1);
    const uint64_t took = link.clock().monotonicMs() - t0;
    // 21 misses of 500 ms, the power cycle, 40 s for the boot line, 2 s for the shell.
    EXPECT_GT(took, 21 * 500u + 40000u + 2000u);
    EXPECT_LT(took, 21 * 800u + 42000u + 3000u);
    EXPECT_EQ(lineWriteTexts(link.board()), (std::vector<std::string>{"170=1", "close", "2=0", "170=1", "2=1",
                                                                      "open 38400", "170=0"}));
    EXPECT_EQ(GetModemStatus(), MODEM_STATUS_RES);
    EXPECT_EQ(GetModemEnReset(), 0);
    EXPECT_NE(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemReady31, AnsweringLineShellAndGarbage)
{
    ModemLink link;
    link.setAutoPump(true);
    link.modem().setAutoStart(false);
    link.powerAndBoot();
    ASSERT_FALSE(link.modem().inMenu());
    // A shell gets the command line and its automatic start; the prompt that ends the new
    // boot is the answer awaited.
    link.modem().clearCommands();
    passingEngine()->getModemReady_31();
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    EXPECT_EQ(link.modem().commands(),
              (Commands{"", "cli", "system/startup/show", "system/startup/enable", "reboot"}));
    EXPECT_TRUE(link.modem().inMenu());
    // Booted again, it starts its command line by itself, and answers at once.
    link.modem().clearCommands();
    EXPECT_EQ(passingEngine()->isModemReady_31(), 0);
    passingEngine()->getModemReady_31();
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    EXPECT_EQ(link.modem().commands(), (Commands{"", ""}));
    // The one-shot test on a shell starts the command line.
    link.modem().setMenu(false);
    EXPECT_EQ(passingEngine()->isModemReady_31(), 100);
    EXPECT_TRUE(link.modem().inMenu());

    // Garbage without line ends is neither ready nor a shell, and stays bounded.
    failModem(link.board(), platform::sim::kModemLineRegister);
    const uint64_t t0 = link.clock().monotonicMs();
    EXPECT_EQ(passingEngine()->isModemReady_31(), 100);
    EXPECT_EQ(link.clock().monotonicMs() - t0, 2200u);
    EXPECT_EQ(getStringBufferTrames(), "");
    EXPECT_LE(link.handler().pendingText().size(), 12000);
}

TEST(ModemReady31, ASilentModemIsPowerCycledAndAStopLeavesItUnready)
{
    ModemLink link;
    link.setAutoPump(true);
    link.powerAndBoot();
    silence(link.board());
    link.board().log().clear();
    // Stop once the modem has been switched on again.
    const int id = link.board().gpio().addListener([](int line, int value) {
        if (line == 2 && value == 1)
            MesuraCM::getInstance()->aturar();
    });
    const uint64_t t0 = link.clock().monotonicMs();
    passingEngine()->getModemReady_31();
    link.board().gpio().removeListener(id);
    // 22 misses of 600 ms, the power cycle and the 85 s start-up wait.
    EXPECT_EQ(link.clock().monotonicMs() - t0, 22 * 600u + 110u + 210u + 85000u);
    EXPECT_EQ(count(lineWriteTexts(link.board()), "2=1"), 1);
    // Stopped without an answer: not reported as a ready command line.
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
}

TEST(ModemState31, OutsideTheMenuReadinessFollowsAndDroppingTheDownstreamWaitsForNotSynchronized)
{
    ModemLink link;
    link.setAutoPump(true);
    link.powerAndBoot();
    link.modem().setMenu(false);
    EXPECT_FALSE(passingEngine()->findStatusCableModem_3_1({"OPERATIONAL"}));
    EXPECT_TRUE(link.modem().inMenu());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);

    link.clock().advanceMs(60000);
    EXPECT_TRUE(passingEngine()->findStatusCableModem_3_1({"RANGING_COMPLETE", "OPERATIONAL"}));
    EXPECT_FALSE(passingEngine()->findStatusCableModem_3_1({"NOT_SYNCHRONIZED"}));
    link.modem().clearCommands();
    const uint64_t t0 = link.clock().monotonicMs();
    passingEngine()->set_CM_for_Reset_OFDM();
    EXPECT_EQ(link.modem().commands(), (Commands{"docsis/findds 0", "docsis/General/rem 0", "doc/cms"}));
    EXPECT_LT(link.clock().monotonicMs() - t0, 7000u);
    EXPECT_EQ(link.modem().registrationWord(), "NOT_SYNCHRONIZED");
}

TEST(ModemLinkThreads, ReaderEngineAndGuiInScaledTime)
{
    testsupport::ScopedBoard board;
    auto modem = installModem(*board, kDocsis31);
    // The modem and the reader answer in real time while the exchanges count board time,
    // which stands still while an answer is on its way; a slow scale covers the rest.
    board.clock().setScale(5);
    MesuraCM* m = passingEngine();
    m->startModemLink();
    power_ON_CableModem();
    board.clock().advanceMs(3000);

    QElapsedTimer real;
    real.start();
    m->getModemReady_31();
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    stickState(*board, "OPERATIONAL");
    EXPECT_TRUE(m->findStatusCableModem_3_1({"OPERATIONAL"}));
    // Frames reach the accumulator at most once a second of board time: a blocking
    // exchange waits for the reader, not for the modem.
    EXPECT_EQ(m->envia_cadena_modem("doc/cms\r", "mainMenu>", 3000), 1);
    EXPECT_TRUE(getStringBufferTrames().contains("CM status is OPERATIONAL"));
    EXPECT_LT(real.elapsed(), 20000); // no hang: a handful of reader passes

    power_OFF_CableModem();
    m->stopModemLink();
    board.clock().setScale(0);
}
