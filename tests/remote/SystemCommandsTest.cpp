// The identity and system commands over a loopback connection on the simulated board: each
// line's exact answer, and what it did (the programs the board recorded, the settings file,
// the clock chip's and the LNB supply's registers, the requests to the application shell),
// or that a refused line did nothing at all.
#include "RemoteTestSupport.h"
#include "SimBoardFixture.h"

#include "ChipModels.h"

#include "common/BoardWiring.h"
#include "hw/DrvTPS65233.h"
#include "hw/GPIOClass.h"
#include "remote/remoteRequests.h"
#include "store/screensvariables.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace remotetest;
using platform::sim::Device;
using Programs = std::vector<std::vector<std::string>>;

namespace {

struct SystemBench {
    testsupport::ScopedBoard board;
    platform::sim::ChipModels chips = platform::sim::installChipModels(*board);
    testsupport::ScopedWorkDir dir;
    ProbeServer server{nullptr};
    Peer peer{server.serverPort()};

    SystemBench() { board->shell().clear(); }
    QByteArray ask(const QByteArray& line) { return peer.ask(line); }
    Programs programs() { return board->shell().programs(); }
    size_t commandCount() { return board->shell().commands().size(); }
    ScreensVariables& settings() { return *ScreensVariables::getInstance(); }
};

} // namespace

TEST(IdentityCommands, NameModelAndVersions)
{
    SystemBench b;
    const struct {
        int model;
        const char* id;
    } models[] = {{1, "?.?.CV001M.?"}, {2, "?.?.CV030A.?"}, {3, "?.?.CV031A.?"}, {-1, "?.?.CV001M.?"}};
    for (const auto& m : models) {
        b.settings().setValue("hardware_model", m.model);
        EXPECT_EQ(b.ask("*?NAM\r"), ack("*NAM ?.?.CV001A.?")) << m.model;
        EXPECT_EQ(b.ask("*?ID\r"), ack(QByteArray("*ID ") + m.id)) << m.model;
    }
    // A longer query header that begins with "*?NAM" gets the text without a header.
    EXPECT_EQ(b.ask("*?NAME X\r"), ack("?.?.CV001A.?"));
    for (const char* line : {"*NAM\r", "*ID\r", "*VERSION\r", "*?IX\r"})
        EXPECT_EQ(b.ask(line), nak()) << line;

    b.settings().setValue("software_version", "1.2.3");
    EXPECT_EQ(b.ask("*?VERSION\r"), ack("*VERSION  SW_V=1.2.3  OS=SimLinux 1.0  KER=5.4.0-sim\n"));
    const std::vector<std::string> programs = {
        "/bin/sh -c \"cat /etc/*release | grep PRETTY_NAME= | grep PRETTY_NAME= | cut -d '=' -f2 \"",
        "/bin/sh -c \"uname -r \""};
    EXPECT_EQ(b.board->shell().commandLines(), programs);
    EXPECT_FALSE(b.board->shell().commands().at(0).viaShell);
}

TEST(SystemPrograms, RunOnlyWithValuesCheckedAndTheRootWritableOnlyMeanwhile)
{
    SystemBench b;
    const std::vector<std::string> rw = {"mount", "-o", "remount,rw", "/"};
    const std::vector<std::string> ro = {"mount", "-o", "remount,ro", "/"};
    const std::vector<std::string> hwclock = {"hwclock", "-w"};
    const Programs calibration = {rw, {"ts_calibrate"}, {"sync"}, ro};
    auto date = [](const char* text) { return std::vector<std::string>{"date", "-s", text}; };
    const struct {
        QByteArray line;
        bool accepted;
        Programs programs;
        const char* fails = nullptr; // a program that fails this time
    } rows[] = {
        {"*SYSTEM\r", true, {}},
        {"*SYSTEM SYSTEM_FILE=READ_ONLY\r", true, {ro}},
        {"*SYSTEM SYSTEM_DATE={2026-03-05 10:30:15} SYSTEM_FILE=WRITE\r", true, {rw, date("2026-03-05 10:30:15"), hwclock}},
        {"*SYSTEM,SYSTEM_DATE=12:00\r", true, {date("12:00"), hwclock}},
        // An empty date changes nothing and keeps nothing else on the line from running.
        {"*SYSTEM SYSTEM_FILE=READ_ONLY SYSTEM_DATE=\r", true, {ro}},
        {"*SYSTEM SYSTEM_DATE=,SYSTEM_FILE=WRITE\r", true, {rw}},
        {"*SYSTEM SYSTEM_DATE={}\r", true, {}},
        // The date program refuses it: the hardware clock is left alone.
        {"*SYSTEM SYSTEM_DATE={2026-02-30 10:00}\r", false, {date("2026-02-30 10:00")}},
        {"*SYSTEM SYSTEM_FILE=write SYSTEM_DATE={2026-03-05 10:30}\r", false, {}},
        {"*SYSTEM SYSTEM_DATE={2026-03-05 10:30\r", false, {}},
        {"*SYSTEM SYSTEM_DATE=-s\r", false, {}},
        {"*SYSTEM SYSTEM_FILE=READ_ONLY SYSTEM_DATE={12:00;1}\r", false, {}}, // checked before anything runs
        {"*SYSTEM SYSTEM_DATE={" + QByteArray(65, '1') + "}\r", false, {}},
        {"*?SYSTEM SYSTEM_FILE=READ_ONLY\r", false, {}},
        // A remount that fails ends the line.
        {"*SYSTEM SYSTEM_FILE=WRITE SYSTEM_DATE=13:00\r", false, {rw}, "mount -o remount,rw /"},
        // Touch calibration inside the writable bracket, which closes also when it fails.
        {"*EQUIP CALIBRATE_TOUCH\r", true, calibration},
        {"*EQUIP CALIBRATE_TOUCH TAKE_FOTO\r", false, calibration, "ts_calibrate"},
        {"*EQUIP CALIBRATE_TOUCH\r", false, {rw}, "mount -o remount,rw /"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line.toStdString());
        b.board->shell().clear();
        if (r.fails)
            b.board->shell().setReply(r.fails, "", 1);
        EXPECT_EQ(b.ask(r.line), r.accepted ? ack() : nak());
        EXPECT_EQ(b.programs(), r.programs);
        EXPECT_EQ(b.commandCount(), r.programs.size()); // nothing else, nothing through a shell
        if (r.fails)
            b.board->shell().setReply(r.fails, "", 0);
    }
    b.board->shell().clear();
    for (const QByteArray& line : hostile("*SYSTEM SYSTEM_DATE="))
        EXPECT_EQ(b.ask(line), nak()) << line.left(40).toStdString();
    EXPECT_EQ(b.commandCount(), 0u);

    // The clocks hold what the last accepted date set: 12:00 on 2026-03-05.
    const platform::sim::ClockDateTime t = b.chips.realTimeClock->dateTime();
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
              std::vector<int>({2026, 3, 5, 12, 0, 0}));
    EXPECT_EQ(b.board->clock().wallTimeUs() / 1000000, 1772712000); // 2026-03-05T12:00:00Z
}

TEST(SerialAndPathCommands, SerialNumbersArePrintableAndSavedThePathIsTheWorkingDirectory)
{
    SystemBench b;
    const QString file = ScreensVariables::fileName();
    const QByteArray z32(32, 'Z');
    // Each line, its answer, and the number saved (none: the file is not written).
    const struct {
        QByteArray line;
        QByteArray answer;
        QByteArray saved;
    } rows[] = {
        {"*SERIAL SERIALNUMBER={a\"b;$(x)'<&>}\r", ack(), "a\"b;$(x)'<&>"}, // printable: kept as it is
        {"*SERIAL SERIALNUMBER=" + z32 + "\r", ack(), z32},
        {"*SERIAL SERIALNUMBER=" + QByteArray(33, 'Y') + "\r", nak(), nullptr},
        {"*SERIAL SERIALNUMBER=\r", nak(), nullptr},
        {"*SERIAL SERIALNUMBER={AB\r", nak(), nullptr},
        {"*SERIAL SERIALNUMBER={A\x01" "B}\r", nak(), nullptr},
        {"*SERIAL SERIALNUMBER=\xC3\x91U\r", nak(), nullptr},
        {"*SERIAL\r", ack(), nullptr}, // nothing to set
    };
    QByteArray held;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line.left(40).toStdString());
        QFile::remove(file);
        EXPECT_EQ(b.ask(r.line), r.answer);
        EXPECT_EQ(QFile::exists(file), !r.saved.isNull());
        if (!r.saved.isNull()) {
            // What the query reports is what the file gives back.
            held = r.saved;
            b.settings().setScreensVariablesSerialNumber("changed");
            EXPECT_TRUE(b.settings().carregaVariables());
        }
        EXPECT_EQ(b.ask("*?SERIAL X=1\r"), ack("*SERIAL " + held));
    }
    b.settings().setScreensVariablesSerialNumber("");
    EXPECT_EQ(b.ask("*?SERIAL\r"), ack()); // nothing to report: no reply line

    b.board->shell().clear();
    EXPECT_EQ(b.ask("*?PATH\r"), ack("*PATH " + QDir::currentPath().toUtf8() + "\n"));
    EXPECT_EQ(b.board->shell().commandLines(), std::vector<std::string>{"pwd"});
    // A path in UTF-8 goes out as its bytes.
    b.board->shell().setWorkingDirectory("/opt/\xC3\xB1" "and\xC3\xBA");
    EXPECT_EQ(b.ask("*?PATH\r"), ack("*PATH /opt/\xC3\xB1" "and\xC3\xBA\n"));
    EXPECT_EQ(b.ask("*PATH\r"), nak());
}

TEST(EquipCommand, DoesTheFirstActionItsLineCarries)
{
    SystemBench b;
    GPIOClass fan(std::to_string(wiring::gpio::FAN));
    ASSERT_EQ(fan.export_gpio(), 0);
    ASSERT_EQ(fan.setdir_gpio("low"), 0);
    RemoteRequests* requests = RemoteRequests::getInstance();
    QSignalSpy home(requests, &RemoteRequests::goToHome);
    QSignalSpy test(requests, &RemoteRequests::goToTestScreen);
    QSignalSpy photo(requests, &RemoteRequests::takePhoto);
    // A restart is asked for only once its answer has left.
    int restarts = 0;
    QObject context;
    QObject::connect(requests, &RemoteRequests::restartApplication, &context, [&](int code) {
        EXPECT_EQ(code, 1337);
        EXPECT_EQ(b.server.remotes.at(0)->bytesToWrite(), 0);
        ++restarts;
    });
    auto& rtc = *b.chips.realTimeClock;
    auto clock = [&rtc] {
        const platform::sim::ClockDateTime t = rtc.dateTime();
        return std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second};
    };
    const std::vector<int> start = clock();
    const struct {
        QByteArray line;
        bool accepted;
        std::vector<int> requests; // home, test screen, photo, restart so far
        int fan;
        std::vector<int> time; // the clock chip afterwards (empty: as it was)
    } rows[] = {
        {"*EQUIP VENTILADO=ON TAKE_FOTO\r", true, {0, 0, 0, 0}, 1, {}}, // the fan comes first
        {"*EQUIP VENTILADO=on\r", false, {0, 0, 0, 0}, 1, {}},
        {"*EQUIP VENTILADO=on TAKE_FOTO\r", true, {0, 0, 1, 0}, 1, {}},  // a refused value passes on
        {"*EQUIP VENTILADO=OFF\r", true, {0, 0, 1, 0}, 0, {}},
        {"*EQUIP GO_TO_SCREEN=SCREEN_HOME\r", true, {1, 0, 1, 0}, 0, {}},
        {"*EQUIP GO_TO_SCREEN=SCREEN_TEST\r", true, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP GO_TO_SCREEN=SCREEN_MENU\r", false, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP RELOJ_ALARMA=10:30:00:5:2:2026:7\r", true, {1, 1, 1, 0}, 0, {2026, 3, 5, 10, 30, 0}},
        {"*EQUIP SET_TIME_ALARMA=23:59:59:31:11:2067\r", true, {1, 1, 1, 0}, 0, {2067, 12, 31, 23, 59, 59}},
        {"*EQUIP RELOJ_ALARMA=0:0:0:29:1:2028\r", true, {1, 1, 1, 0}, 0, {2028, 2, 29, 0, 0, 0}},
        {"*EQUIP RELOJ_ALARMA=10:30:00:5:11\r", false, {1, 1, 1, 0}, 0, {}},      // five fields
        {"*EQUIP RELOJ_ALARMA=10:xx:00:5:2:2026\r", true, {1, 1, 1, 0}, 0, {2026, 3, 5, 10, 0, 0}}, // no number: 0
        {"*EQUIP RELOJ_ALARMA=24:00:00:5:2:2026\r", false, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP RELOJ_ALARMA=10:00:00:29:1:2026\r", false, {1, 1, 1, 0}, 0, {}}, // no 29 February
        {"*EQUIP RELOJ_ALARMA=10:00:00:5:12:2026\r", false, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP RELOJ_ALARMA=10:00:00:5:2:2068\r", false, {1, 1, 1, 0}, 0, {}},  // beyond the chip's years
        {"*EQUIP RELOJ_ALARMA=-1:00:00:5:2:2026\r", false, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP RELOJ_ALARMA=10:00:00:5:2:-2147483648\r", false, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP\r", false, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP FOO=1 BAR\r", false, {1, 1, 1, 0}, 0, {}},
        {"*EQUIP VENTILADO=ON RESET_APP\r", true, {1, 1, 1, 1}, 0, {}}, // the restart comes first
        {"*?EQUIP RESET_APP\r", false, {1, 1, 1, 1}, 0, {}},
    };
    std::vector<int> time = clock();
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line.toStdString());
        EXPECT_EQ(b.ask(r.line), r.accepted ? ack() : nak());
        EXPECT_EQ(std::vector<int>({home.count(), test.count(), photo.count(), restarts}), r.requests);
        EXPECT_EQ(b.board->gpio().level(wiring::gpio::FAN), r.fan);
        if (!r.time.empty())
            time = r.time;
        EXPECT_EQ(clock(), time);
    }
    EXPECT_NE(time, start);
    for (const QByteArray& line : hostile("*EQUIP VENTILADO="))
        EXPECT_EQ(b.ask(line), nak()) << line.left(40).toStdString();
    EXPECT_EQ(b.commandCount(), 0u); // nothing of this reached a program

    // A fan line that cannot be written is a failure, not a success.
    ASSERT_EQ(fan.unexport_gpio(), 0);
    EXPECT_EQ(b.ask("*EQUIP VENTILADO=ON\r"), nak());
}

TEST(EquipCommand, AlarmEnablesAndTheClockReadOut)
{
    SystemBench b;
    auto& rtc = *b.chips.realTimeClock;
    namespace w = wiring::pcf85263;
    const struct {
        const char* line;
        bool accepted;
        int mask; // register 0x10 afterwards
    } rows[] = {
        {"*EQUIP SET_ALARMA=1:1:0:0:0\r", true, 0x03},      {"*EQUIP SET_ALARMA=0:1:1:1:1\r", true, 0x1E},
        {"*EQUIP SET_ALARMA=1:0:0:0:1:1:1\r", true, 0x11},  {"*EQUIP SET_ALARMA=1:1:1:1\r", false, 0x11},
        {"*EQUIP SET_ALARMA=\r", false, 0x11},
        // Only a field of 1 enables its comparison; one that is no number counts as 0.
        {"*EQUIP SET_ALARMA=2:1:1:1:1\r", true, 0x1E},      {"*EQUIP SET_ALARMA=1:x:1:1:-1\r", true, 0x0D},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        EXPECT_EQ(b.ask(r.line), r.accepted ? ack() : nak());
        EXPECT_EQ(rtc.reg(w::kAlarmEnables), r.mask);
    }
    EXPECT_EQ(std::vector<int>({rtc.reg(w::kIntAEnable), rtc.reg(w::kFlags), rtc.reg(w::kPinIo)}),
              std::vector<int>({0x50, 0x20, 0x02}));
    // A minute that is no number goes to the chip as 0: the time registers from 0x00 on the
    // wire, 10:00:00 on Thursday 5 March 2026 (years counted from 1968).
    b.board->log().clear();
    EXPECT_EQ(b.ask("*EQUIP RELOJ_ALARMA=10:xx:00:5:2:2026\r"), ack());
    const auto writes = b.board->log().entries("i2c-write");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].device, "0x51");
    EXPECT_EQ(writes[0].bytes, (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x00, 0x10, 0x05, 0x04, 0x03, 0x58}));

    rtc.setDateTime({2026, 3, 7, 9, 5, 3, 0});
    EXPECT_EQ(b.ask("*?EQUIP GET_RELOJ_ALARMA\r"), ack("*EQUIP GET_RELOJ_ALARMA=9:5:3:7:2:2026"));
    // The read-out sent back sets the same time.
    rtc.setDateTime({2030, 1, 1, 0, 0, 0, 0});
    EXPECT_EQ(b.ask("*EQUIP RELOJ_ALARMA=9:5:3:7:2:2026\r"), ack());
    EXPECT_EQ(b.ask("*?EQUIP X,GET_RELOJ_ALARMA\r"), ack("*EQUIP GET_RELOJ_ALARMA=9:5:3:7:2:2026"));
    EXPECT_EQ(b.ask("*?EQUIP\r"), nak());
    EXPECT_EQ(b.ask("*?EQUIP GET_RELOJ_ALARMA=1\r"), nak());
    // A clock that does not answer is not read as midnight.
    b.board->faults().fail(Device::i2c(wiring::kClockAddress));
    EXPECT_EQ(b.ask("*?EQUIP GET_RELOJ_ALARMA\r"), nak());
    EXPECT_EQ(b.ask("*EQUIP RELOJ_ALARMA=9:5:3:7:2:2026\r"), nak());
    EXPECT_EQ(b.ask("*EQUIP SET_ALARMA=1:1:0:0:0\r"), nak());
}

// The clock chip counts the board's time on its own: a system date the hardware clock
// refused to copy moves nothing on it, not even ten years back from a date the chip holds
// near its first year; a date it took is the chip's.
TEST(EquipCommand, TheClockChipKeepsItsTimeWhileOnlyTheSystemDateMoves)
{
    SystemBench b;
    b.chips.realTimeClock->followBoardTime(true);
    const struct {
        const char* line;
        QByteArray answer;
    } rows[] = {
        {"*SYSTEM SYSTEM_DATE=2100-01-01\r", nak()}, // the chip holds no such year
        {"*EQUIP SET_TIME_ALARMA=0:0:0:1:0:1968\r", ack()},
        {"*SYSTEM SYSTEM_DATE=2090-01-01\r", nak()},
        {"*?EQUIP GET_RELOJ_ALARMA\r", ack("*EQUIP GET_RELOJ_ALARMA=0:0:0:1:0:1968")},
        {"*SYSTEM SYSTEM_DATE={1970-06-30 12:00:00}\r", ack()},
        {"*?EQUIP GET_RELOJ_ALARMA\r", ack("*EQUIP GET_RELOJ_ALARMA=12:0:0:30:5:1970")},
    };
    for (const auto& r : rows)
        EXPECT_EQ(b.ask(r.line), r.answer) << r.line;
}

TEST(LnbCommand, SetsOneSupplySettingPerLineAndRefusesWhatTheBusDidNotTake)
{
    SystemBench b;
    KxlDrvLibError e{};
    DrvTPS65233_Init(&e);
    auto& lnb = *b.chips.lnbSupply;
    const struct {
        const char* line;
        bool accepted;
        int reg0; // control register afterwards: bit 7 mark, 4 tone, 3 output, 0-2 voltage code
    } rows[] = {
        {"*LNB LNB_VOLT=18.0V\r", true, 0xA4}, {"*LNB LNB_VOLT=18V\r", false, 0xA4}, {"*LNB LNB_VOLT=ON\r", true, 0xA1},
        {"*LNB LNB_VOLT=19.8V LNB_ACTIVATE=ON\r", true, 0xA7}, // only the voltage
        {"*LNB LNB_22KHZ=18.0V\r", true, 0xB7},                 // number 4: tone on
        {"*LNB LNB_22KHZ=13.0V\r", true, 0xA7},
        {"*LNB LNB_VOLT=on LNB_ACTIVATE=ON\r", true, 0xAF},     // a refused value passes on
        {"*LNB LNB_ACTIVATE=OFF\r", true, 0xA7},  {"*LNB LNB_VOLT=13.0V,LNB_22KHZ=ON\r", true, 0xA0},
        {"*LNB LNB_VOLT={14.2V}\r", true, 0xA3}, {"*LNB\r", false, 0xA3}, {"*LNB LNB_VOLT=\r", false, 0xA3},
        {"*?LNB LNB_VOLT=13.0V\r", false, 0xA3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        const int writes = lnb.controlWrites();
        EXPECT_EQ(b.ask(r.line), r.accepted ? ack() : nak());
        EXPECT_EQ(lnb.reg(0), r.reg0);
        EXPECT_EQ(lnb.controlWrites() - writes, r.accepted ? 1 : 0);
    }
    for (const QByteArray& line : hostile("*LNB LNB_VOLT="))
        EXPECT_EQ(b.ask(line), nak()) << line.left(40).toStdString();
    EXPECT_EQ(lnb.reg(0), 0xA3);

    // The supply does not answer: NAK, and the driver keeps what the chip last took.
    b.board->faults().fail(Device::i2c(wiring::kLnbSupplyAddress));
    EXPECT_EQ(b.ask("*LNB LNB_ACTIVATE=ON\r"), nak());
    EXPECT_EQ(DrvTPS65233_GetState().output, 0);
    b.board->faults().fail(Device::i2c(wiring::kLnbSupplyAddress), platform::sim::kEveryAccess, false);
    EXPECT_EQ(b.ask("*LNB LNB_ACTIVATE=ON\r"), ack());
    EXPECT_DOUBLE_EQ(lnb.outputVolts(), 14.2);
}

TEST(JsonCommand, AnswersTheIdentityRecordFieldByField)
{
    SystemBench b;
    b.settings().setValue("hardware_model", 3);
    b.settings().setScreensVariablesSerialNumber("AB1234");
    const QByteArray expected =
        "*JSON AUTH=["
        "{\"id\":\"EI_NAME\",\"label\":\"Name\",\"show\":true,\"value\":\"Quenova\"},"
        "{\"id\":\"EI_SN\",\"label\":\"SN\",\"show\":true,\"value\":\"AB1234\"},"
        "{\"id\":\"EI_PROVIDER\",\"label\":\"Provider\",\"show\":false,\"value\":\"KORVEL TEST & MEASUREMENT SLU\"},"
        "{\"id\":\"EI_USER\",\"label\":\"User\",\"show\":\"false\",\"value\":\"\"},"
        "{\"id\":\"EI_RELEASE\",\"label\":\"Release\",\"show\":false,\"value\":\"10.0.6\"},"
        "{\"id\":\"EI_COMPANY\",\"label\":\"Company\",\"show\":false,\"value\":\"none\"},"
        "{\"fields\":\"[{\\\"id\\\": \\\"TV_TAB_NAME\\\",\\\"label\\\": \\\"TV Parameters\\\"}, "
        "{\\\"id\\\": \\\"SP_TAB_NAME\\\",\\\"label\\\": \\\"Measurements and Spectrum\\\"}, "
        "{ \\\"id\\\": \\\"HIDE_TV\\\", \\\"label\\\": \\\"Hide TV monitor\\\"}]\",\"id\":\"appearance\"},"
        "{\"fields\":["
        "{\"id\":\"PAL\",\"label\":\"PAL\",\"type\":\"ANALOG\"},{\"id\":\"NTSC\",\"label\":\"NTSC\",\"type\":\"ANALOG\"},"
        "{\"id\":\"SECAM\",\"label\":\"SECAM\",\"type\":\"ANALOG\"},{\"id\":\"DVB-T\",\"label\":\"DVB-T\",\"type\":\"DIGITAL\"},"
        "{\"id\":\"DVB-C\",\"label\":\"DVB-C\",\"type\":\"DIGITAL\"},"
        "{\"id\":\"ITU J83.B\",\"label\":\"QAM(J83B)\",\"type\":\"DIGITAL\"},"
        "{\"id\":\"DVB-C2\",\"label\":\"DVB-C2\",\"type\":\"DIGITAL\"},{\"id\":\"ISDB-T\",\"label\":\"ISDB-T\",\"type\":\"DIGITAL\"},"
        "{\"id\":\"DVB-S2\",\"label\":\"DVB-S2\",\"type\":\"DIGITAL\"},{\"id\":\"DVB-S\",\"label\":\"DVB-S\",\"type\":\"DIGITAL\"},"
        "{\"id\":\"D3.1\",\"label\":\"D3.1\",\"type\":\"DIGITAL\"}"
        "],\"id\":\"Signals\"}]";
    EXPECT_EQ(b.ask("*?JSON\r"), ack(expected));
    EXPECT_EQ(b.ask("*?JSON A=1 B\r"), ack(expected)); // parameters change nothing
    EXPECT_EQ(b.commandCount(), 0u);                    // and nothing is remounted

    // The record is valid JSON whatever the serial number holds; names by hardware model.
    b.settings().setScreensVariablesSerialNumber("A\"B\\C");
    for (const auto& [model, name] : {std::pair(1, "Sulvani"), {2, "Baltrix"}, {7, "Hadrelo"}}) {
        b.settings().setValue("hardware_model", model);
        const QByteArray answer = b.ask("*?JSON\r");
        const QByteArray record = answer.mid(13, answer.size() - 13 - 2); // between "AUTH=" and CR, XON
        QJsonParseError error;
        const QJsonArray objects = QJsonDocument::fromJson(record, &error).array();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << answer.toStdString();
        EXPECT_EQ(objects[0].toObject().value("value").toString(), name);
        EXPECT_EQ(objects[1].toObject().value("value").toString(), "A\"B\\C");
    }
    EXPECT_EQ(b.ask("*JSON\r"), nak());
}
