// Front-end start-up and input routing: exported lines and directions in order, the line
// writes and modem power steps of every mode and mode change, the calibration set.
#include "RfTestBench.h"

#include "rf/mesuraRF.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/serialPort.h"

#include "FrontPanel.h"
#include "PseudoTerminal.h"

#include <QMutex>
#include <QTimer>
#include <QWaitCondition>
#include <gtest/gtest.h>

#include <tuple>

using rftest::RfBench;

namespace {

// The chain with the modem's lines and serial port registered, as the engines set them up.
struct RoutingBench : RfBench {
    platform::sim::PseudoTerminal terminal;
    QMutex mutex;
    QWaitCondition condition;
    std::unique_ptr<SerialPort> port;

    RoutingBench()
    {
        platform::sim::installFrontPanel(*board, platform::sim::DefaultBoardOptions{});
        board->attachSerial(portName, terminal.slavePath());
        port = std::make_unique<SerialPort>(&mutex, &condition);
        setInitModem(port.get());
        clearLog();
    }
    ~RoutingBench()
    {
        forgetSerialPortCableModem(port.get());
        if (port->isOpenFD())
            port->closePort();
    }

    // Line writes, serial opens and closes, each with its time in ms from t0.
    std::vector<std::string> steps(uint64_t t0Us) const
    {
        std::vector<std::string> out;
        for (const auto& t : const_cast<testsupport::ScopedBoard&>(board)->log().entries()) {
            const std::string at = "@" + std::to_string((t.timeUs - t0Us) / 1000);
            if (t.kind == "gpio-value")
                out.push_back(t.device + "=" + t.text + at);
            else if (t.kind == "serial-open")
                out.push_back("open" + at);
            else if (t.kind == "serial-close")
                out.push_back("close" + at);
        }
        return out;
    }
    std::vector<std::string> change(int mode)
    {
        clearLog();
        const uint64_t t0 = nowUs();
        EXPECT_EQ(setModeCircuit(mode), 0);
        return steps(t0);
    }
};

using Steps = std::vector<std::string>;

} // namespace

TEST(FrontEndSetup, ExportsEveryLineWithItsDirectionInOrderAndOpensBothAttenuators)
{
    RfBench b(false);
    setInitMesuraRF(&b.lo, &b.adc);
    std::vector<std::string> seen;
    for (const auto& t : b.board->log().entries()) {
        if (t.kind == "gpio-export")
            seen.push_back("export " + t.device);
        else if (t.kind == "gpio-direction")
            seen.push_back(t.device + " " + t.text);
        else if (t.kind == "spi")
            seen.push_back("spi " + t.device);
    }
    const std::vector<std::string> expected = {
        "export 165", "165 low",  "export 169", "169 low",  "export 7",   "7 high",   "export 17",
        "17 high",    "export 198", "198 low", "export 16", "16 low",    "export 199", "199 low",
        "export 14",  "14 low",   "export 6",   "6 high",   "export 19",  "19 low",   "export 15",
        "15 high",    "export 23", "23 low",    "export 22", "22 low",    "export 201", "201 low",
        "export 167", "167 low",  "export 160", "160 low",  "export 3",   "3 high",   "spi /dev/spidev4.1",
        "spi /dev/spidev0.1",
    };
    EXPECT_EQ(seen, expected);
    // No value writes, no band or routing choice yet, both attenuators at 0 dB.
    EXPECT_TRUE(b.lineWrites().empty());
    EXPECT_EQ(std::make_tuple(getModeCircuit(), getBandaProgramada(), getAtenuador()), std::make_tuple(-1, -1, -1));
    EXPECT_EQ(b.spiWrites("/dev/spidev4.1"), (std::vector<std::vector<uint8_t>>{{0x00}}));
}

TEST(CircuitRouting, EveryModeChangeWritesItsLinesAndSwitchesTheModemInOrderOnceOnly)
{
    RoutingBench b;
    // The first mode after start-up runs; the modem is already off, so only lines.
    EXPECT_EQ(b.change(CABLE_RF), (Steps{"169=0@0", "7=0@0", "17=0@0", "198=0@0", "160=0@0"}));
    EXPECT_TRUE(getCalibracioCable());
    // DOCSIS_RF: routing lines, then the modem powers up, then the rest.
    EXPECT_EQ(b.change(DOCSIS_RF), (Steps{"169=0@0", "7=1@0", "170=1@0", "2=1@10", "open@110", "170=0@210",
                                          "17=1@210", "198=0@210", "160=0@210"}));
    EXPECT_FALSE(getCalibracioCable());
    EXPECT_TRUE(b.board->serialIsOpen(portName));
    // Between two modem-on modes the modem is left running.
    EXPECT_EQ(b.change(EXT_CM_DW), (Steps{"169=0@0", "7=1@0", "17=1@0", "198=0@0", "160=1@0"}));
    EXPECT_FALSE(getCalibracioCable());
    EXPECT_EQ(b.change(CABLE_OPTIC), (Steps{"170=1@0", "close@100", "2=0@110", "169=1@110", "7=0@110", "160=0@110"}));
    EXPECT_FALSE(b.board->serialIsOpen(portName));

    // Repeating a mode writes nothing and keeps the modem and the calibration set.
    setModeCircuit(EXT_CM_DW);
    EXPECT_TRUE(b.change(EXT_CM_DW).empty());
    EXPECT_TRUE(b.board->serialIsOpen(portName));
    EXPECT_FALSE(getCalibracioCable());

    // An unknown mode number drives CABLE_RF but is stored as given.
    EXPECT_EQ(b.change(7), (Steps{"170=1@0", "close@100", "2=0@110", "169=0@110", "7=0@110", "17=0@110", "198=0@110",
                                  "160=0@110"}));
    EXPECT_EQ(getModeCircuit(), 7);
    EXPECT_TRUE(getCalibracioCable());
}

TEST(CircuitRouting, NamesAreExactAndAnythingElseSelectsDocsisRf)
{
    RoutingBench b;
    const std::pair<const char*, int> names[] = {
        {"CABLE_RF", 0},  {"DOCSIS_ANALYZER_UP", 1}, {"DOCSIS_RF", 2},   {"EXT_CM_DW", 3},
        {"EXT_CM_UP", 4}, {"DOCSIS_OPTIC", 5},       {"CABLE_OPTIC", 6}, {"cable_rf", 2},
        {"", 2},          {"CABLE_RF ", 2},
    };
    for (const auto& [name, mode] : names) {
        setModeCircuit(CABLE_RF == mode ? 6 : 0);
        EXPECT_EQ(setModeCircuitString(QString::fromLatin1(name)), 0);
        EXPECT_EQ(getModeCircuit(), mode) << name;
    }
    // The fallback powers the modem, as the DOCSIS_RF screen does.
    EXPECT_TRUE(b.board->serialIsOpen(portName));
}

TEST(CircuitRouting, RequestArrivingDuringAModemPowerDownRunsAfterItLastOneWins)
{
    RoutingBench b;
    setModeCircuit(DOCSIS_RF);
    b.chips.tuner->setSettleTimeUs(0);
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        setModeCircuitString("CABLE_RF");
        sintonitzar(1000000000u);
    });
    setModeCircuit(CABLE_OPTIC);
    EXPECT_TRUE(ran);
    EXPECT_EQ(std::make_tuple(getModeCircuit(), b.board->gpio().level(169), b.board->gpio().level(7),
                              getBandaProgramada(), b.frontEnd->bandFromLines()),
              std::make_tuple(CABLE_RF, 0, 0, 3, 3));
}
