// The simulated modem's thread costs nothing while nothing happens: it looks at its line
// only when woken by what the instrument writes, by its supply and reset lines or by its
// own boot deadline, and board time waits for the answer it owes.
#include "ModemTestSupport.h"

#include "CableModemModel.h"
#include "cablemodem/modemExchange.h"

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
    for (int i = 0; i < 1000 && modem.passes() == 0; ++i) // its first look at the line
        QThread::msleep(1);
    EXPECT_TRUE(quietFor(60)); // unpowered

    link.powerAndBoot();
    EXPECT_TRUE(modem.booted());
    const uint64_t booted = modem.passes();
    EXPECT_TRUE(quietFor(60)); // booted, idle

    // A command wakes it; its answer is there by the end of the sleep that follows.
    sendCommandCableModem("\r");
    link.clock().sleepMs(100);
    link.pump();
    EXPECT_NE(getStringBufferTrames().indexOf("mainMenu>"), -1);
    EXPECT_GT(modem.passes(), booted);
    EXPECT_TRUE(quietFor(60));
}
