// The serial reader: bursts as frames, the 12000-byte cut, the hand-over wait and its
// release, and a close under the reader.
#include "ModemTestSupport.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <cstring>
#include <termios.h>
#include <thread>

using namespace modemtest;

TEST(SerialReader, ABurstIsOneFrameAndALongOneIsCutAt12000)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    EXPECT_FALSE(f.port().takeFrame());

    f.terminal().writeMaster("CM status is OPERATIONAL\r\nmainMenu>");
    QThread::msleep(5);
    ASSERT_TRUE(f.port().takeFrame());
    EXPECT_EQ(f.port().getTrama(), "CM status is OPERATIONAL\r\nmainMenu>");

    // Two bursts with a gap: two frames.
    f.terminal().writeMaster("first\n");
    QThread::msleep(5);
    f.terminal().writeMaster("second\n");
    QThread::msleep(5);
    ASSERT_TRUE(f.port().takeFrame());
    EXPECT_EQ(f.port().getTrama(), "first\nsecond\n"); // both were waiting: one burst
    f.terminal().writeMaster("third\n");
    ASSERT_TRUE(f.port().takeFrame());
    EXPECT_EQ(f.port().getTrama(), "third\n");

    // More than the buffer holds: no frame is longer than 12000 bytes and none is lost.
    std::string big(15000, 'x');
    big.back() = 'z';
    std::thread writer([&] { f.terminal().writeMaster(big); });
    QString all;
    int longest = 0;
    QElapsedTimer t;
    t.start();
    while (all.size() < 15000 && t.elapsed() < 20000) {
        if (f.port().takeFrame()) {
            longest = std::max(longest, static_cast<int>(f.port().getTrama().size()));
            all += f.port().getTrama();
        }
    }
    writer.join();
    EXPECT_EQ(all.size(), 15000);
    EXPECT_LE(longest, 12000);
    EXPECT_TRUE(all.endsWith('z'));
}

TEST(SerialReader, ANulByteEndsTheFrameText)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    f.terminal().writeMaster(std::string("abc\0def\n", 8));
    QThread::msleep(5);
    ASSERT_TRUE(f.port().takeFrame());
    EXPECT_EQ(f.port().getTrama(), "abc");
}

TEST(SerialReader, TheReaderWaitsForTheHandOverAndItsDestructorReleasesIt)
{
    testsupport::ScopedBoard board;
    platform::sim::PseudoTerminal terminal;
    board->attachSerial(portName, terminal.slavePath());
    board.clock().setScale(1000);
    QMutex mutex;
    QWaitCondition condition;
    auto port = std::make_unique<SerialPort>(&mutex, &condition);
    int frames = 0;
    QObject::connect(port.get(), &SerialPort::RS232Received, port.get(), [&] { ++frames; },
                     Qt::DirectConnection);
    ASSERT_EQ(port->initPort(B115200, portName), 0);
    port->start();
    terminal.writeMaster("one\n");
    QElapsedTimer t;
    t.start();
    while (frames == 0 && t.elapsed() < 20000)
        QThread::msleep(1);
    ASSERT_EQ(frames, 1);
    // Nobody takes the frame in: the reader keeps waiting and reads nothing more.
    terminal.writeMaster("two\n");
    QThread::msleep(50);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(port->getTrama(), "one\n");
    {
        QMutexLocker lock(&mutex);
        condition.wakeAll();
    }
    t.restart();
    while (frames == 1 && t.elapsed() < 20000)
        QThread::msleep(1);
    EXPECT_EQ(frames, 2);

    // Still waiting on the second frame: the destructor releases and ends it.
    t.restart();
    port.reset();
    EXPECT_LT(t.elapsed(), 10000); // released, not left hanging
    board.clock().setScale(0);
}

TEST(SerialReader, ClosingUnderAReadingThreadIsSafe)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop)
            f.port().takeFrame();
    });
    std::thread writer([&] {
        for (int i = 0; i < 200 && !stop; ++i)
            f.terminal().writeMaster("data\n");
    });
    for (int i = 0; i < 20; ++i) {
        f.port().closePort();
        EXPECT_EQ(f.port().SendPort("x"), 0);
        ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    }
    stop = true;
    writer.join();
    reader.join();
    EXPECT_TRUE(f.port().isOpenFD());
}
