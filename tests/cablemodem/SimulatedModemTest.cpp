// The simulated modem's thread costs nothing while nothing happens: it looks at its line
// only when woken by what the instrument writes, by its supply and reset lines or by its
// own boot deadline, and board time waits for the answer it owes.
#include "ModemTestSupport.h"

#include "CableModemModel.h"
#include "cablemodem/modemExchange.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace modemtest;

TEST(SimulatedModem, ItsThreadSleepsUntilSomethingHappens)
{
    ModemLink link(kDocsis31);
    auto& modem = link.modem();
    const auto quietFor = [&](int realMs) {
        const uint64_t before = modem.passes();
        QThread::msleep(static_cast<unsigned long>(realMs));
        return modem.passes() == before;
    };
    // Once what woke it is dealt with, it sleeps with nothing due, and stays asleep; a thread
    // that polled never would.
    const auto fallsAsleep = [&] {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            if (modem.sleepsUntilWoken() && quietFor(60) && modem.sleepsUntilWoken())
                return true;
            QThread::msleep(1);
        }
        return false;
    };
    EXPECT_TRUE(fallsAsleep()); // unpowered

    link.powerAndBoot();
    EXPECT_TRUE(modem.booted());
    EXPECT_TRUE(fallsAsleep()); // booted, idle
    const uint64_t idle = modem.passes();

    // A command wakes it; its answer is there by the end of the sleep that follows.
    sendCommandCableModem("\r");
    link.clock().sleepMs(100);
    link.pump();
    EXPECT_NE(getStringBufferTrames().indexOf("mainMenu>"), -1);
    EXPECT_GT(modem.passes(), idle);
    EXPECT_TRUE(fallsAsleep());
}
