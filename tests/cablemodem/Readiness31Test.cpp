// DOCSIS 3.1 readiness against the simulated modem: the command line answering, a
// shell that gets "cli" and its automatic start enabled, silence that ends in a power
// cycle, garbage, state words, and the three threads of the link in scaled time.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace modemtest;

TEST(ModemReady31, AnAnsweringCommandLineIsReady)
{
    ModemLink link;
    link.setAutoPump(true);
    link.powerAndBoot();
    link.modem().clearCommands();
    passingEngine()->getModemReady_31();
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    EXPECT_EQ(link.modem().commands(), Commands{""});
    EXPECT_EQ(passingEngine()->isModemReady_31(), 0);
}

TEST(ModemReady31, AShellGetsTheCommandLineAndItsAutomaticStart)
{
    ModemLink link;
    link.setAutoPump(true);
    link.modem().setAutoStart(false);
    link.powerAndBoot();
    ASSERT_FALSE(link.modem().inMenu());
    link.modem().clearCommands();
    passingEngine()->getModemReady_31();
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    // The prompt that ends the new boot is the answer awaited.
    EXPECT_EQ(link.modem().commands(),
              (Commands{"", "cli", "system/startup/show", "system/startup/enable", "reboot"}));
    EXPECT_TRUE(link.modem().inMenu());

    // Booted again, it starts its command line by itself.
    link.modem().clearCommands();
    EXPECT_EQ(passingEngine()->isModemReady_31(), 0);
    EXPECT_EQ(link.modem().commands(), Commands{""});
}

TEST(ModemReady31, OneShotTestOnAShellStartsTheCommandLine)
{
    ModemLink link;
    link.setAutoPump(true);
    link.modem().setAutoStart(false);
    link.powerAndBoot();
    EXPECT_EQ(passingEngine()->isModemReady_31(), 100);
    EXPECT_TRUE(link.modem().inMenu());
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
    const uint64_t took = link.clock().monotonicMs() - t0;
    // 22 misses of 600 ms, the power cycle and the 85 s start-up wait.
    EXPECT_EQ(took, 22 * 600u + 110u + 210u + 85000u);
    auto lines = lineWriteTexts(link.board());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "2=1"), 1);
    // Stopped without an answer: not reported as a ready command line.
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
}

TEST(ModemReady31, GarbageWithoutLineEndsIsNeitherReadyNorAShell)
{
    ModemLink link;
    link.setAutoPump(true);
    link.powerAndBoot();
    failModem(link.board(), platform::sim::kModemLineRegister);
    const uint64_t t0 = link.clock().monotonicMs();
    EXPECT_EQ(passingEngine()->isModemReady_31(), 100);
    EXPECT_EQ(link.clock().monotonicMs() - t0, 2200u);
    EXPECT_EQ(getStringBufferTrames(), "");
    EXPECT_LE(link.handler().pendingText().size(), 12000);
}

TEST(ModemReady31, AFailedStartUpIsNotReportedReady)
{
    ModemLink link;
    link.board().faults().fail(platform::sim::Device::serial(portName), platform::sim::kOpen);
    power_ON_CableModem();
    passingEngine()->waitCableModem_ON();
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
    link.board().faults().fail(platform::sim::Device::serial(portName), platform::sim::kOpen, false);
    passingEngine()->resetCableModem_3_1();
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemState31, DroppingTheDownstreamWaitsForNotSynchronized)
{
    ModemLink link;
    link.setAutoPump(true);
    link.powerAndBoot();
    link.clock().advanceMs(60000);
    EXPECT_TRUE(passingEngine()->findStatusCableModem_3_1({"RANGING_COMPLETE", "OPERATIONAL"}));
    EXPECT_FALSE(passingEngine()->findStatusCableModem_3_1({"NOT_SYNCHRONIZED"}));
    link.modem().clearCommands();
    const uint64_t t0 = link.clock().monotonicMs();
    passingEngine()->set_CM_for_Reset_OFDM();
    EXPECT_EQ(link.modem().commands(),
              (Commands{"docsis/findds 0", "docsis/General/rem 0", "doc/cms"}));
    EXPECT_LT(link.clock().monotonicMs() - t0, 7000u);
    EXPECT_EQ(link.modem().registrationWord(), "NOT_SYNCHRONIZED");
}

TEST(ModemState31, OutsideTheMenuTheReportIsNotFoundAndReadinessFollows)
{
    ModemLink link;
    link.setAutoPump(true);
    link.powerAndBoot();
    link.modem().setMenu(false);
    EXPECT_FALSE(passingEngine()->findStatusCableModem_3_1({"OPERATIONAL"}));
    EXPECT_TRUE(link.modem().inMenu());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
}

TEST(ModemLinkThreads, ReaderEngineAndGuiInScaledTime)
{
    testsupport::ScopedBoard board;
    auto modem = installModem(*board, kDocsis31);
    board.clock().setScale(20);
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
