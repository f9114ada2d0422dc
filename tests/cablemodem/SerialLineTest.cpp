// The modem's serial line and power: the reader's frames (bursts, the 12000-byte cut, the
// hand-over wait and its release, a close under the reader), the line's termios set-up, a
// command on a full line cut by a signal, and the power sequences: the order of the reset
// and supply lines, the waits between them, the line at the model's speed and the status
// they leave.
#include "ModemTestSupport.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/syscall.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace modemtest;
using testsupport::LogCapture;

TEST(SerialReader, BurstsAreFramesCutAt12000AndANulEndsTheText)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    EXPECT_FALSE(f.port().takeFrame());
    // The kernel passes what the master wrote on to the slave's side in its own time, later
    // on a busy machine: the reader looks once all of it waits there.
    const auto written = [&f](const std::string& text) {
        const int before = f.terminal().unreadBySlave();
        f.terminal().writeMaster(text);
        QElapsedTimer t;
        t.start();
        while (f.terminal().unreadBySlave() < before + static_cast<int>(text.size()) && t.elapsed() < 10000)
            QThread::msleep(1);
    };
    auto frameAfter = [&](const std::string& text) {
        written(text);
        EXPECT_TRUE(f.port().takeFrame()) << text;
        return f.port().getTrama();
    };
    EXPECT_EQ(frameAfter("CM status is OPERATIONAL\r\nmainMenu>"), "CM status is OPERATIONAL\r\nmainMenu>");
    EXPECT_EQ(frameAfter(std::string("abc\0def\n", 8)), "abc");
    // Two bursts both waiting when the reader looks: one frame.
    written("first\n");
    EXPECT_EQ(frameAfter("second\n"), "first\nsecond\n");

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

TEST(SerialReader, TheReaderWaitsForTheHandOverAndItsDestructorReleasesIt)
{
    testsupport::ScopedBoard board;
    platform::sim::PseudoTerminal terminal;
    board->attachSerial(portName, terminal.slavePath());
    board.clock().setScale(1000);
    QMutex mutex;
    QWaitCondition condition;
    auto port = std::make_unique<SerialPort>(&mutex, &condition);
    std::atomic<int> frames{0};
    QObject::connect(port.get(), &SerialPort::RS232Received, port.get(), [&] { ++frames; }, Qt::DirectConnection);
    ASSERT_EQ(port->initPort(B115200, portName), 0);
    port->start();
    auto waitFor = [&frames](int n) {
        QElapsedTimer t;
        t.start();
        while (frames < n && t.elapsed() < 20000)
            QThread::msleep(1);
        return frames.load();
    };
    terminal.writeMaster("one\n");
    ASSERT_EQ(waitFor(1), 1);
    // Nobody takes the frame in: the reader keeps waiting and reads nothing more.
    terminal.writeMaster("two\n");
    QThread::msleep(50);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(port->getTrama(), "one\n");
    {
        QMutexLocker lock(&mutex);
        condition.wakeAll();
    }
    EXPECT_EQ(waitFor(2), 2);
    // Still waiting on the second frame: the destructor releases and ends it.
    QElapsedTimer t;
    t.start();
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

TEST(SerialLine, OpensRaw8N1WithoutFlowControlAndWritesOnlyWhileOpen)
{
    PortFixture f(kDocsis30);
    EXPECT_EQ(f.port().SendPort("early\r"), 0);
    ASSERT_EQ(f.port().initPort(B38400, portName), 0);
    int fd = ::open(f.terminal().slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    struct termios tio;
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL | HUPCL), static_cast<tcflag_t>(CREAD | CLOCAL | HUPCL));
    EXPECT_FALSE(tio.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS));
    EXPECT_FALSE(tio.c_iflag & (IGNBRK | IXON | IXOFF | IXANY));
    EXPECT_EQ(tio.c_lflag, 0u);
    EXPECT_EQ(tio.c_oflag, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 1);

    EXPECT_EQ(f.port().SendPort("doc/cms\r"), 8);
    EXPECT_EQ(f.port().SendCommand("\r", 0), 0);
    f.port().closePort();
    EXPECT_EQ(f.port().SendPort("late\r"), 0);
    EXPECT_EQ(f.written(), "doc/cms\r\r");
}

namespace {
std::atomic<int>& signalsTaken()
{
    static std::atomic<int> count{0};
    return count;
}

// Whether a thread of this process sleeps in poll(), where a write waits for room on a
// line that refused it: its state in /proc is 'S' and the call it is in is poll.
bool waitingInPoll(pid_t thread)
{
    const std::string task = "/proc/self/task/" + std::to_string(thread);
    std::ifstream stat(task + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t name = line.rfind(") ");
    if (name == std::string::npos || line.compare(name + 2, 1, "S") != 0)
        return false;
    std::ifstream syscall(task + "/syscall");
    long number = -1;
    if (!(syscall >> number))
        return false;
#ifdef SYS_poll
    if (number == SYS_poll)
        return true;
#endif
    return number == SYS_ppoll;
}
} // namespace

// A command the line cannot take, since what went before fills it and the line is held
// stopped (as flow control holds it: the kernel gives it no room whatever it moves to the
// modem's side meanwhile), and a signal whose handler does not restart calls while it
// waits for room: once the line goes on, it leaves whole, after what was waiting.
TEST(SerialLine, ACommandOnAFullLineCutByASignalLeavesWhole)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    const int filler = ::open(f.terminal().slavePath().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(filler, 0);
    std::string waiting;
    const std::string chunk(512, 'f');
    for (ssize_t n; (n = ::write(filler, chunk.data(), chunk.size())) > 0;)
        waiting.append(chunk, 0, static_cast<size_t>(n));
    const bool stopped = ::tcflow(filler, TCOOFF) == 0;
    const auto goOn = [&] {
        ::tcflow(filler, TCOON);
        ::close(filler);
    };
    if (!stopped || waiting.empty()) {
        goOn();
        FAIL() << "the line could not be filled and held stopped: " << waiting.size() << " bytes queued";
    }
    signalsTaken() = 0;
    struct sigaction cut = {}, before = {};
    cut.sa_handler = [](int) { ++signalsTaken(); };
    ASSERT_EQ(::sigaction(SIGUSR1, &cut, &before), 0);

    const std::string command = "docsis/docsismode\r";
    std::atomic<pid_t> writer{0};
    std::atomic<bool> returned{false};
    int sent = -1;
    std::thread writing([&] {
        writer = static_cast<pid_t>(::syscall(SYS_gettid));
        sent = f.port().SendPort(command.c_str());
        returned = true;
    });
    const auto waitingForRoom = [&] { return writer != 0 && waitingInPoll(writer); };
    // The writer can only wait for room, or give up once its own wait runs out.
    const bool waitedBefore = QTest::qWaitFor([&] { return returned || waitingForRoom(); }, 10000) && !returned;
    if (waitedBefore)
        ::pthread_kill(writing.native_handle(), SIGUSR1);
    // Taken while it waited, and waiting again.
    const bool waitedAfter =
        waitedBefore
        && QTest::qWaitFor([&] { return returned || (signalsTaken() == 1 && waitingForRoom()); }, 10000)
        && !returned;
    goOn();
    std::string got;
    while (got.size() < waiting.size() + command.size() && f.terminal().readMaster(&got, 10000) > 0) {
    }
    writing.join();
    ::sigaction(SIGUSR1, &before, nullptr);
    EXPECT_TRUE(waitedBefore) << "the command never waited for room";
    EXPECT_TRUE(waitedAfter) << "the command did not wait again after the signal";
    EXPECT_EQ(signalsTaken(), waitedBefore ? 1 : 0);
    EXPECT_EQ(sent, static_cast<int>(command.size()));
    EXPECT_TRUE(got == waiting + command) << got.size() << " bytes of " << waiting.size() + command.size();
}

namespace {
std::vector<std::string> onLines(int baud) { return {"170=1", "2=1", "open " + std::to_string(baud), "170=0"}; }
const std::vector<std::string> kOffLines = {"170=1", "close", "2=0"};
using Lines = std::vector<std::pair<std::string, uint64_t>>;

// The lines an action drives, with their board times from its start.
template <typename Action>
Lines linesOf(platform::sim::SimulatedBoard& board, Action action)
{
    board.log().clear();
    const uint64_t t0 = board.virtualClock()->monotonicMs();
    action();
    auto lines = lineWrites(board);
    for (auto& line : lines)
        line.second -= t0;
    return lines;
}
} // namespace

// The hardware model is read once a process: one model per test.
class ModemPowerOfModel : public ::testing::TestWithParam<std::pair<int, int>> {};
INSTANTIATE_TEST_SUITE_P(Models, ModemPowerOfModel, ::testing::Values(std::make_pair(kDocsis31, 115200),
                                                                      std::make_pair(kDocsis30, 38400)));

TEST_P(ModemPowerOfModel, OnAndOffDriveTheLinesInOrderWithTheirWaits)
{
    const auto [model, baud] = GetParam();
    PortFixture f(model);
    // Set up: the three lines exported low, the modem off.
    for (int line : {170, 171, 2}) {
        EXPECT_TRUE(f.board().gpio().isExported(line) && f.board().gpio().isOutput(line)) << line;
        EXPECT_EQ(f.board().gpio().level(line), 0) << line;
    }
    EXPECT_FALSE(is_CableModem_ON());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);

    LogCapture log;
    EXPECT_EQ(linesOf(f.board(), power_ON_CableModem),
              (Lines{{"170=1", 0}, {"2=1", 10}, {"open " + std::to_string(baud), 110}, {"170=0", 210}}));
    EXPECT_TRUE(log.contains(QString("velocitat %1").arg(baud)));
    EXPECT_EQ(f.board().serialBaud(portName), baud);
    EXPECT_TRUE(f.port().isOpenFD());
    EXPECT_TRUE(MesuraCM::getInstance()->isCableModem_ON());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_STARTING);

    EXPECT_EQ(linesOf(f.board(), power_OFF_CableModem), (Lines{{"170=1", 0}, {"close", 100}, {"2=0", 110}}));
    EXPECT_FALSE(f.port().isOpenFD());
    EXPECT_FALSE(f.board().serialIsOpen(portName));
    EXPECT_FALSE(is_CableModem_ON());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
}

TEST(ModemPower, RepeatedRequestsChangeNothingAndOneMadeWhileOffWaitsRunsAfterIt)
{
    PortFixture f;
    Lap lap(f.clock());
    power_ON_CableModem();
    SetModemStatusPower(MODEM_STATUS_POWER_ON);
    lap();
    EXPECT_TRUE(linesOf(f.board(), power_ON_CableModem).empty()) << testsupport::dumpLog(f.board());
    EXPECT_EQ(lap(), 0u);
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    power_OFF_CableModem();
    SetModemStatusPower(MODEM_STATUS_STARTING);
    EXPECT_TRUE(linesOf(f.board(), power_OFF_CableModem).empty());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);

}

TEST(ModemPower, AFailedOpenIsNotReportedAsStartingAndOffStillCutsTheSupply)
{
    PortFixture f;
    const platform::sim::Device line = platform::sim::Device::serial(portName);
    f.board().faults().fail(line, platform::sim::kOpen);
    LogCapture log;
    EXPECT_EQ(f.port().initPort(B115200, portName), -1);
    EXPECT_FALSE(f.board().serialIsOpen(portName));
    power_ON_CableModem();
    EXPECT_EQ(log.count("SerialPort InitPort error Open"), 2);
    EXPECT_FALSE(f.port().isOpenFD());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
    // Powered all the same: the fan must keep running and off must cut the supply.
    EXPECT_TRUE(is_CableModem_ON());
    EXPECT_EQ(f.board().gpio().level(2), 1);
    EXPECT_EQ(linesOf(f.board(), power_OFF_CableModem), (Lines{{"170=1", 0}, {"2=0", 110}}));
    EXPECT_FALSE(is_CableModem_ON());
    // The next try opens the line.
    f.board().faults().fail(line, platform::sim::kOpen, false);
    power_ON_CableModem();
    EXPECT_TRUE(f.port().isOpenFD());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_STARTING);
}

TEST(ModemPower, SequencesFromTwoThreadsNeverInterleave)
{
    PortFixture f;
    f.board().log().clear();
    auto cycle = [] {
        for (int i = 0; i < 10; ++i) {
            power_ON_CableModem();
            power_OFF_CableModem();
        }
    };
    QThread* other = QThread::create(cycle);
    other->start();
    cycle();
    other->wait();
    delete other;

    // Every sequence appears whole: on is 4 entries from "170=1" to "170=0", off 3.
    const auto texts = lineWriteTexts(f.board());
    const std::vector<std::string> on = onLines(115200);
    int ons = 0;
    for (size_t i = 0; i < texts.size();) {
        const bool isOn = i + 1 < texts.size() && texts[i + 1] == "2=1";
        const auto& seq = isOn ? on : kOffLines;
        ASSERT_LE(i + seq.size(), texts.size());
        ASSERT_EQ(std::vector<std::string>(texts.begin() + i, texts.begin() + i + seq.size()), seq) << "at " << i;
        ons += isOn;
        i += seq.size();
    }
    EXPECT_GE(ons, 1);
    EXPECT_FALSE(is_CableModem_ON());
}

TEST(ModemPower, ARoutingChangeBeforeTheEngineStartsStillPowersTheModem)
{
    testsupport::ScopedBoard board;
    platform::sim::PseudoTerminal terminal;
    board->attachSerial(portName, terminal.slavePath());
    power_ON_CableModem();
    EXPECT_EQ(board->gpio().level(2), 1);
    EXPECT_EQ(board->gpio().level(170), 0);
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF); // no line to talk on yet

    QMutex mutex;
    QWaitCondition condition;
    SerialPort port(&mutex, &condition);
    setInitModem(&port);
    EXPECT_TRUE(is_CableModem_ON());
    EXPECT_EQ(board->gpio().level(2), 1);
    power_OFF_CableModem();
    EXPECT_EQ(board->gpio().level(2), 0);
    power_ON_CableModem();
    EXPECT_TRUE(port.isOpenFD());
    power_OFF_CableModem();
    forgetSerialPortCableModem(&port);
}
