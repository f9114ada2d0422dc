// The modem's power sequences: the order of the reset and supply lines, the waits
// between them, the serial line at the model's speed, and the status they leave.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"

#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace modemtest;
using testsupport::LogCapture;

namespace {
const std::vector<std::string> kOnLines = {"170=1", "2=1", "open 115200", "170=0"};
const std::vector<std::string> kOffLines = {"170=1", "close", "2=0"};
} // namespace

TEST(ModemPower, SetUpExportsTheThreeLinesLowAndLeavesTheModemOff)
{
    PortFixture f;
    for (int line : {170, 171, 2}) {
        EXPECT_TRUE(f.board().gpio().isExported(line)) << line;
        EXPECT_TRUE(f.board().gpio().isOutput(line)) << line;
        EXPECT_EQ(f.board().gpio().level(line), 0) << line;
    }
    EXPECT_FALSE(is_CableModem_ON());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
}

TEST(ModemPower, OnAndOffDriveTheLinesInOrderWithTheirWaits)
{
    PortFixture f(kDocsis31);
    LogCapture log;
    f.board().log().clear();
    const uint64_t t0 = f.clock().monotonicMs();
    power_ON_CableModem();

    auto on = lineWrites(f.board());
    ASSERT_EQ(lineWriteTexts(f.board()), kOnLines) << testsupport::dumpLog(f.board());
    EXPECT_EQ(on[0].timeMs, t0);
    EXPECT_EQ(on[1].timeMs, t0 + 10);
    EXPECT_EQ(on[2].timeMs, t0 + 110);
    EXPECT_EQ(on[3].timeMs, t0 + 210);
    EXPECT_TRUE(log.contains("velocitat 115200"));
    EXPECT_TRUE(f.port().isOpenFD());
    EXPECT_TRUE(is_CableModem_ON());
    EXPECT_TRUE(MesuraCM::getInstance()->isCableModem_ON());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_STARTING);
    EXPECT_EQ(f.board().serialBaud(portName), 115200);

    f.board().log().clear();
    const uint64_t t1 = f.clock().monotonicMs();
    power_OFF_CableModem();
    auto off = lineWrites(f.board());
    ASSERT_EQ(lineWriteTexts(f.board()), kOffLines) << testsupport::dumpLog(f.board());
    EXPECT_EQ(off[0].timeMs, t1);
    EXPECT_EQ(off[1].timeMs, t1 + 100);
    EXPECT_EQ(off[2].timeMs, t1 + 110);
    EXPECT_FALSE(f.port().isOpenFD());
    EXPECT_FALSE(is_CableModem_ON());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
    EXPECT_FALSE(f.board().serialIsOpen(portName));
}

TEST(ModemPower, TheDocsis30ModelRunsTheLineAt38400)
{
    PortFixture f(kDocsis30);
    LogCapture log;
    power_ON_CableModem();
    EXPECT_TRUE(log.contains("velocitat 38400"));
    EXPECT_EQ(f.board().serialBaud(portName), 38400);
}

TEST(ModemPower, RepeatedRequestsChangeNothing)
{
    PortFixture f;
    power_ON_CableModem();
    SetModemStatusPower(MODEM_STATUS_POWER_ON);
    f.board().log().clear();
    const uint64_t t = f.clock().monotonicMs();
    power_ON_CableModem();
    EXPECT_EQ(f.board().log().size(), 0u) << testsupport::dumpLog(f.board());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_ON);
    EXPECT_EQ(f.clock().monotonicMs(), t);

    power_OFF_CableModem();
    f.board().log().clear();
    SetModemStatusPower(MODEM_STATUS_STARTING);
    power_OFF_CableModem();
    EXPECT_EQ(f.board().log().size(), 0u);
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
}

TEST(ModemPower, AFailedOpenIsNotReportedAsStartingAndOffStillCutsTheSupply)
{
    PortFixture f;
    f.board().faults().fail(platform::sim::Device::serial(portName), platform::sim::kOpen);
    LogCapture log;
    power_ON_CableModem();
    EXPECT_TRUE(log.contains("SerialPort InitPort error Open"));
    EXPECT_FALSE(f.port().isOpenFD());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_POWER_OFF);
    // Powered all the same: the fan must keep running and off must cut the supply.
    EXPECT_TRUE(is_CableModem_ON());
    EXPECT_EQ(f.board().gpio().level(2), 1);

    f.board().log().clear();
    power_OFF_CableModem();
    EXPECT_EQ(lineWriteTexts(f.board()), (std::vector<std::string>{"170=1", "2=0"}));
    EXPECT_FALSE(is_CableModem_ON());

    // The next try opens the line.
    f.board().faults().fail(platform::sim::Device::serial(portName), platform::sim::kOpen, false);
    power_ON_CableModem();
    EXPECT_TRUE(f.port().isOpenFD());
    EXPECT_EQ(GetModemStatusPower(), MODEM_STATUS_STARTING);
}

TEST(ModemPower, ARequestMadeWhileOffWaitsRunsAfterIt)
{
    PortFixture f;
    power_ON_CableModem();
    f.board().log().clear();
    // The off sequence processes events while it waits; a routing change arriving then
    // must not interleave with it.
    QTimer::singleShot(0, [] { power_ON_CableModem(); });
    power_OFF_CableModem();
    std::vector<std::string> expected = kOffLines;
    expected.insert(expected.end(), kOnLines.begin(), kOnLines.end());
    EXPECT_EQ(lineWriteTexts(f.board()), expected) << testsupport::dumpLog(f.board());
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
    auto texts = lineWriteTexts(f.board());
    size_t i = 0;
    int ons = 0;
    while (i < texts.size()) {
        const bool isOn = i + 1 < texts.size() && texts[i + 1] == "2=1";
        const auto& seq = isOn ? kOnLines : kOffLines;
        ASSERT_LE(i + seq.size(), texts.size());
        for (size_t k = 0; k < seq.size(); ++k)
            ASSERT_EQ(texts[i + k], seq[k]) << "at " << i + k;
        ons += isOn;
        i += seq.size();
    }
    EXPECT_GE(ons, 1);
    EXPECT_FALSE(is_CableModem_ON());
}

TEST(SerialLine, OpensRaw8N1WithoutFlowControl)
{
    PortFixture f(kDocsis30);
    ASSERT_EQ(f.port().initPort(B38400, portName), 0);
    int fd = ::open(f.terminal().slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    struct termios tio;
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(tio.c_cflag & CREAD);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_TRUE(tio.c_cflag & HUPCL);
    EXPECT_FALSE(tio.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS));
    EXPECT_FALSE(tio.c_iflag & (IGNBRK | IXON | IXOFF | IXANY));
    EXPECT_EQ(tio.c_lflag, 0u);
    EXPECT_EQ(tio.c_oflag, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 1);
}

TEST(SerialLine, WritesReachTheLineOnlyWhileOpen)
{
    PortFixture f;
    EXPECT_EQ(f.port().SendPort("early\r"), 0);
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    EXPECT_EQ(f.port().SendPort("doc/cms\r"), 8);
    EXPECT_EQ(f.port().SendCommand("\r", 0), 0);
    f.port().closePort();
    EXPECT_EQ(f.port().SendPort("late\r"), 0);
    EXPECT_EQ(f.written(), "doc/cms\r\r");
}

TEST(SerialLine, AnOpenFailureLeavesThePortClosed)
{
    PortFixture f(kDocsis31, false);
    LogCapture log;
    EXPECT_EQ(f.port().initPort(B115200, portName), -1);
    EXPECT_FALSE(f.port().isOpenFD());
    EXPECT_TRUE(log.contains("SerialPort InitPort error Open"));
    EXPECT_FALSE(f.board().serialIsOpen(portName));
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
