// The simulated board behaves as the unit's kernel and buses do where the instrument
// relies on it, and the virtual clock makes long waits free.
#include "SimBoardFixture.h"

#include "common/Clock.h"
#include "hw/GPIOClass.h"
#include "hw/delay.h"
#include "hw/i2cControl.h"
#include "hw/spidevice.h"
#include "ChipModels.h"
#include "PseudoTerminal.h"

#include <QDateTime>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <tuple>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using platform::sim::Device;
using platform::sim::RegisterI2cModel;
using platform::sim::SimulatedBoard;
using testsupport::LogCapture;
using testsupport::ScopedBoard;

TEST(GpioModel, RejectsWhatSysfsRejectsInputsFollowTheOutsideAndOutputsAreLogged)
{
    ScopedBoard board;
    LogCapture log;
    GPIOClass line("165");

    // An unexported line has no files.
    EXPECT_EQ(line.setval_gpio("1"), -1);
    EXPECT_TRUE(log.contains(" OPERATION FAILED: Unable to set the value of GPIO"));
    EXPECT_EQ(line.setdir_gpio("out"), -1);
    EXPECT_TRUE(log.contains(" OPERATION FAILED: Unable to set direction of GPIO"));

    ASSERT_EQ(line.export_gpio(), 0);
    // Exporting twice is EBUSY on Linux.
    EXPECT_EQ(line.export_gpio(), -1);
    EXPECT_TRUE(log.contains(" OPERATION FAILED: Unable to export GPIO"));

    // A fresh line is an input: writing a value is refused.
    EXPECT_EQ((std::vector<int>{line.setval_gpio("1"), line.setdir_gpio("sideways"), line.setdir_gpio("high"),
                                board->gpio().level(165), line.setval_gpio("0"), board->gpio().level(165),
                                line.setval_gpio("x"), line.unexport_gpio(), line.unexport_gpio()}),
              (std::vector<int>{-1, -1, 0, 1, 0, 0, -1, 0, -1}));

    // An export the board fails reaches the caller.
    board->faults().fail(Device::gpio(170), platform::sim::kOpen);
    GPIOClass other("170");
    EXPECT_EQ(other.export_gpio(), -1);
    board->faults().fail(Device::gpio(170), platform::sim::kOpen, false);
    EXPECT_EQ(other.export_gpio(), 0);

    // An input reads what the outside drives; an output is heard by listeners and logged.
    board->log().clear();
    GPIOClass key("50");
    ASSERT_EQ(key.export_gpio(), 0);
    ASSERT_EQ(key.setdir_gpio("in"), 0);
    std::string before, after;
    key.getval_gpio(before);
    board->gpio().setExternalLevel(50, 1);
    ASSERT_EQ(key.getval_gpio(after), 0);
    EXPECT_EQ(before + after, "01");
    int heard = -1;
    board->gpio().addListener([&](int line, int value) {
        if (line == 7)
            heard = value;
    });
    GPIOClass out("7");
    out.export_gpio();
    out.setdir_gpio("low");
    out.setval_gpio("1");
    EXPECT_EQ(heard, 1);
    std::vector<std::string> writes;
    for (const auto& t : board->log().entriesWithPrefix("gpio"))
        writes.push_back(t.kind + " " + t.device + " " + t.text);
    EXPECT_EQ(writes, (std::vector<std::string>{"gpio-export 50 ", "gpio-direction 50 in", "gpio-export 7 ",
                                                "gpio-direction 7 low", "gpio-value 7 1"}));
}

namespace {
struct EchoRegisters : RegisterI2cModel {
    int writes = 0;
    void regWrite(unsigned a, uint32_t v) override
    {
        ++writes;
        RegisterI2cModel::regWrite(a, v);
    }
};

std::vector<int> readAt(int address, unsigned char reg, int n)
{
    unsigned char r[4] = {};
    if (i2cEnviar(address, &reg, 1) != 0 || i2cRebre(address, r, n) != 0)
        return {};
    return std::vector<int>(r, r + n);
}
} // namespace

TEST(I2cBus, RegisterPointerNaksRegisterFaultsAndBankedPorts)
{
    ScopedBoard board;
    auto chip = std::make_shared<EchoRegisters>();
    board->attachI2c(0x48, chip);

    const unsigned char w[] = {0x10, 0xAB, 0xCD};
    ASSERT_EQ(i2cEnviar(0x48, w, 3), 0);
    EXPECT_EQ(readAt(0x48, 0x10, 2), (std::vector<int>{0xAB, 0xCD}));
    EXPECT_EQ(board->log().entries("i2c-read").front().device, "0x48");
    // Nobody at an address: NAK.
    const unsigned char p[] = {0x10};
    EXPECT_EQ(i2cEnviar(0x49, p, 1), -1);
    unsigned char r[3] = {};
    board->faults().fail(Device::i2c(0x48));
    EXPECT_EQ(i2cRebre(0x48, r, 2), -1);
    board->faults().fail(Device::i2c(0x48), platform::sim::kEveryAccess, false);

    // The third transfer from now fails, the others pass.
    board->faults().nakTransfer(3);
    EXPECT_EQ((std::vector<int>{i2cEnviar(0x48, p, 1), i2cRebre(0x48, r, 1), i2cRebre(0x48, r, 1),
                                i2cRebre(0x48, r, 1)}),
              (std::vector<int>{0, 0, -1, 0}));

    // A failing register NAKs at its byte: the bytes before it were taken.
    const Device dev = Device::i2c(0x48);
    chip->writes = 0;
    board->faults().failRegister(dev, 0x11);
    const unsigned char w4[] = {0x10, 0x01, 0x02, 0x03};
    EXPECT_EQ(i2cEnviar(0x48, w4, 4), -1);
    EXPECT_EQ(std::make_tuple(chip->reg(0x10), chip->reg(0x12)), std::make_tuple(0x01u, 0x00u));
    board->faults().failRegister(dev, 0x11, false);

    // A stuck register reads its value whatever is written; its neighbours read through.
    board->faults().stickRegister(dev, 0x11, 0x5A);
    ASSERT_EQ(i2cEnviar(0x48, w4, 4), 0);
    EXPECT_EQ(chip->reg(0x11), 0x02);
    EXPECT_EQ(readAt(0x48, 0x10, 3), (std::vector<int>{0x01, 0x5A, 0x03}));
    board->faults().unstickRegister(dev, 0x11);
    EXPECT_EQ(readAt(0x48, 0x11, 1), std::vector<int>{0x02});

    // Reads alone refused: the write still lands.
    board->faults().fail(dev, platform::sim::kRead);
    EXPECT_EQ((std::vector<int>{i2cEnviar(0x48, w4, 2), i2cRebre(0x48, r, 1)}), (std::vector<int>{0, -1}));
    EXPECT_EQ(chip->writes, 5); // the refused byte never reached the chip

    // A banked port keeps its bank and counts within it; register 0x00 reads the bank, and
    // a fault names the register with its bank.
    auto port = std::make_shared<RegisterI2cModel>(RegisterI2cModel::Layout{256, true});
    board->attachI2c(0x6C, port);
    const unsigned char select[] = {0x00, 0x40}, wb[] = {0x88, 0x01, 0x02};
    ASSERT_EQ(i2cEnviar(0x6C, select, 2), 0);
    ASSERT_EQ(i2cEnviar(0x6C, wb, 3), 0);
    EXPECT_EQ(std::make_tuple(port->bank(), port->reg(platform::sim::bankedRegister(0x40, 0x88)),
                              port->reg(platform::sim::bankedRegister(0x40, 0x89)), port->reg(0x88)),
              std::make_tuple(0x40, 0x01u, 0x02u, 0x00u));
    board->faults().stickRegister(Device::i2c(0x6C), platform::sim::bankedRegister(0x40, 0x89), 0x7E);
    EXPECT_EQ(readAt(0x6C, 0x88, 2), (std::vector<int>{0x01, 0x7E}));
    EXPECT_EQ(readAt(0x6C, 0x00, 1), std::vector<int>{0x40});
}

namespace {
struct LastWord : platform::sim::SpiModel {
    std::vector<uint8_t> last;
    int spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len) override
    {
        last.assign(tx, tx + len);
        for (size_t i = 0; i < len; ++i)
            rx[i] = static_cast<uint8_t>(~tx[i]);
        return 0;
    }
};
} // namespace

TEST(SpiBus, TransfersReachTheModelOfTheNode)
{
    ScopedBoard board;
    auto model = std::make_shared<LastWord>();
    board->attachSpi("/dev/spidev4.1", model);
    SpiDevice dev("/dev/spidev4.1");
    EXPECT_EQ(dev.open(), 0);
    uint8_t tx[2] = {0x28, 0x01}, rx[2] = {};
    ASSERT_EQ(dev.transfer(tx, rx, 2), 0);
    EXPECT_EQ(model->last, (std::vector<uint8_t>{0x28, 0x01}));
    EXPECT_EQ(rx[0], 0xD7);

    SpiDevice missing("/dev/spidev9.9");
    board->faults().fail(Device::spi("/dev/spidev4.1"), platform::sim::kOpen);
    EXPECT_EQ((std::vector<int>{missing.open(), missing.transfer(tx, rx, 2), dev.open()}),
              (std::vector<int>{-1, -1, -1}));
}

// Long waits move only board time and keep processing events; a wall step leaves the
// monotonic clock alone. A model answering in real time holds board time while it has work in
// hand: instant time waits for it before it moves, scaled time stands still.
TEST(VirtualClock, LongWaitsMoveOnlyBoardTimeAndWaitForABusyPeer)
{
    ScopedBoard board;
    auto& clk = board.clock();
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    uint64_t mono = clk.monotonicUs();
    delay(85000);
    EXPECT_EQ(std::make_tuple(clk.monotonicUs() - mono, fired), std::make_tuple(uint64_t{85000000}, true));
    clk.setWallTimeUs(0);
    EXPECT_EQ(clk.monotonicUs(), mono + 85000000);
    // A wait begun inside a millisecond still lasts all of its milliseconds.
    clk.advanceUs(700);
    mono = clk.monotonicUs();
    delay(14);
    EXPECT_EQ(clk.monotonicUs() - mono, 14000u);

    std::atomic<bool> busy{true};
    std::atomic<int> moved{0};
    const int peer = clk.attachPeer({[&] { return busy.load(); }, [&] { ++moved; }});
    std::thread peerWork([&] {
        QThread::msleep(30);
        busy = false;
    });
    clk.sleepMs(100);
    EXPECT_FALSE(busy.load()); // the sleep waited for the peer
    peerWork.join();
    clk.setScale(1000.0);
    busy = true;
    const uint64_t held = clk.monotonicUs();
    QThread::msleep(20);
    EXPECT_EQ(clk.monotonicUs(), held);
    busy = false;
    clk.setScale(0);
    clk.detachPeer(peer);
    clk.advanceMs(5);
    EXPECT_EQ(moved.load(), 3); // the sleep and the scale changes told it; the last advance did not
}

// Scaled time runs while the code under test waits, and stands while it works: a thread of it
// between two of its sleeps, or a test's hold. A thread blocked on others, or gone, holds
// nothing.
TEST(VirtualClock, ScaledTimeRunsOnlyWhileTheCodeUnderTestWaits)
{
    ScopedBoard board;
    auto& clk = board.clock();
    clk.setScale(1000.0);
    const auto ranDuringAPause = [&] {
        const uint64_t before = clk.monotonicUs();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return clk.monotonicUs() - before;
    };
    EXPECT_GE(ranDuringAPause(), 20000000u);
    clk.hold();
    EXPECT_EQ(ranDuringAPause(), 0u);
    clk.release();

    std::promise<void> atWork, waiting, worked, waited;
    std::thread worker([&] {
        clk.sleepMs(1);
        atWork.set_value();
        worked.get_future().wait(); // blocked without telling the clock: at work for it
        {
            common::WaitingForOthers forTheTest;
            waiting.set_value();
            waited.get_future().wait();
        }
    });
    atWork.get_future().wait();
    EXPECT_EQ(ranDuringAPause(), 0u);
    worked.set_value();
    waiting.get_future().wait();
    EXPECT_GT(ranDuringAPause(), 0u);
    waited.set_value();
    worker.join();
    EXPECT_GT(ranDuringAPause(), 0u);
    clk.setScale(0);
}

TEST(TransactionLog, KeepsTheLatestEntriesOnly)
{
    platform::sim::TransactionLog log;
    EXPECT_EQ(log.capacity(), platform::sim::TransactionLog::kDefaultCapacity);
    log.setCapacity(3);
    for (int i = 0; i < 5; ++i) {
        platform::sim::Transaction t;
        t.kind = i % 2 ? "spi" : "gpio-value";
        t.device = std::to_string(i);
        log.append(t);
    }
    std::string kept;
    for (const auto& t : log.entries())
        kept += t.device;
    EXPECT_EQ(std::make_tuple(kept, log.entries("spi").size(), log.dropped()), std::make_tuple("234", size_t{1}, size_t{2}));
    log.setCapacity(1);
    EXPECT_EQ(std::make_tuple(log.entries().front().device, log.dropped()), std::make_tuple(std::string("4"), size_t{4}));
    log.clear();
    EXPECT_EQ(std::make_tuple(log.size(), log.dropped(), log.capacity()), std::make_tuple(size_t{0}, size_t{0}, size_t{1}));
}

TEST(ShellRecorder, RecordsRunsNothingAndAnswersAsTheUnitsShell)
{
    ScopedBoard board;
    bool halted = false;
    board->shell().setHaltHook([&](const std::string&) { halted = true; });
    EXPECT_EQ(platform::board().runShell("/bin/sh -c \"halt & \"").exitCode, 0);
    EXPECT_TRUE(halted);
    // The recorder never executes: a file a real command would create does not appear.
    platform::board().runShell("touch /tmp/varnok-should-not-exist");
    const std::vector<std::string> argv = {"date", "-s", "x; touch /tmp/varnok-should-not-exist \"$(id)\""};
    EXPECT_EQ(platform::board().runProgram(argv, 1000).exitCode, 1); // not a date
    EXPECT_NE(::access("/tmp/varnok-should-not-exist", F_OK), 0);
    EXPECT_EQ(board->shell().commandLines(),
              (std::vector<std::string>{"/bin/sh -c \"halt & \"", "touch /tmp/varnok-should-not-exist",
                                        "date -s x; touch /tmp/varnok-should-not-exist \"$(id)\""}));
    EXPECT_EQ(board->shell().programs(), std::vector<std::vector<std::string>>{argv});
    // Plain and through the Launcher's "/bin/sh -c", commands get the answers of their scripts.
    EXPECT_EQ(platform::board().launchProcess("uname -r", 1000).output, "5.4.0-sim\n");
    EXPECT_EQ(platform::board().launchProcess("/bin/sh -c \"uname -r \"", 1000).output, "5.4.0-sim\n");
    EXPECT_EQ(platform::board()
                  .launchProcess("/bin/sh -c \"cat /etc/*release | grep PRETTY_NAME= | cut -d '=' -f2 \"", 1000)
                  .output,
              "\"SimLinux 1.0\"\n");
    board->shell().setRunTime("ts_calibrate", 5000);
    const auto killed = platform::board().runProgram({"ts_calibrate"}, 1000);
    EXPECT_EQ(std::make_tuple(killed.timedOut, killed.exitCode, board.clock().monotonicMs()),
              std::make_tuple(true, -1, uint64_t{1000}));
}

TEST(ShellRecorder, DateSetsTheBoardsWallTimeAndHwclockTheClockChip)
{
    ScopedBoard board;
    auto rtc = platform::sim::installChipModels(*board).realTimeClock;
    const int64_t start = board->clock().wallTimeUs();
    const struct {
        const char* text;
        const char* utc; // the wall time afterwards, or null when date refuses the text
    } rows[] = {
        {"2026-03-05 10:30:15", "2026-03-05T10:30:15Z"},
        {"2027-12-31 23:59", "2027-12-31T23:59:00Z"},
        {"2026.07.01-08:00:01", "2026-07-01T08:00:01Z"},
        {"2026-02-28", "2026-02-28T00:00:00Z"},
        {"12:34:56", "2026-02-28T12:34:56Z"}, // today's date kept
        {"2026-02-30 10:00", nullptr},
        {"1969-12-31 23:59:59", nullptr},
        {"25:00", nullptr},
        {"tomorrow", nullptr},
        {"", nullptr},
    };
    int64_t expected = start;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        const auto result = platform::board().runProgram({"date", "-s", r.text}, 1000);
        EXPECT_EQ(result.exitCode, r.utc ? 0 : 1);
        if (r.utc)
            expected = QDateTime::fromString(r.utc, Qt::ISODate).toMSecsSinceEpoch() * 1000;
        EXPECT_EQ(board->clock().wallTimeUs(), expected);
    }
    EXPECT_EQ(platform::board().runProgram({"hwclock", "-w"}, 1000).exitCode, 0);
    const platform::sim::ClockDateTime t = rtc->dateTime();
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second, t.weekday}),
              std::vector<int>({2026, 2, 28, 12, 34, 56, 6}));
    // A year the chip cannot hold is refused, and the chip keeps its time.
    EXPECT_EQ(platform::board().runProgram({"date", "-s", "2068-01-01"}, 1000).exitCode, 0);
    EXPECT_EQ(platform::board().runProgram({"hwclock", "-w"}, 1000).exitCode, 1);
    EXPECT_EQ(rtc->dateTime().year, 2026);
}

TEST(SimulatedBoard, PlatformFilesAndSerialPathsToAPseudoTerminalCarryingBytesBothWays)
{
    ScopedBoard board;
    std::string route;
    ASSERT_EQ(platform::board().readFile("/proc/net/route", &route), 0);
    EXPECT_NE(route.find("eth0"), std::string::npos);
    EXPECT_EQ(platform::board().writeFile("/sys/class/nothing/here", "1"), -1);
    EXPECT_EQ(platform::board().writeFile("/etc/resolv.conf", "nameserver 8.8.8.8\n"), 0);
    EXPECT_EQ(board->file("/etc/resolv.conf"), "nameserver 8.8.8.8\n");

    EXPECT_EQ(::access(platform::board().serialDevicePath("/dev/ttymxc2").c_str(), F_OK), -1);
    platform::sim::PseudoTerminal pty;
    ASSERT_TRUE(pty.isOpen());
    board->attachSerial("/dev/ttymxc2", pty.slavePath());
    EXPECT_EQ(platform::board().serialDevicePath("/dev/ttymxc2"), pty.slavePath());
    int fd = ::open(platform::board().serialDevicePath("/dev/ttymxc2").c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "cli\r", 4), 4);
    std::string got;
    while (got.size() < 4 && pty.readMaster(&got, 1000) > 0) {
    }
    EXPECT_EQ(got, "cli\r");
    pty.writeMaster("mainMenu>");
    char buf[16] = {};
    ssize_t n = ::read(fd, buf, sizeof buf);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), "mainMenu>");
    ::close(fd);
    board->faults().fail(Device::serial("/dev/ttymxc2"), platform::sim::kOpen);
    EXPECT_NE(platform::board().serialDevicePath("/dev/ttymxc2"), pty.slavePath());
}
