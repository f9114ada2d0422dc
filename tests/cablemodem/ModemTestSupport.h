// Shared set-up of the cable-modem tests: a simulated board of a given hardware model
// with a pseudo-terminal behind the modem's serial device, and the module's serial
// port registered with its lines.
#pragma once

#include "SimBoardFixture.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/serialPort.h"

#include "DefaultBoard.h"
#include "FrontPanel.h"
#include "PseudoTerminal.h"

#include <QMutex>
#include <QWaitCondition>

#include <memory>
#include <string>
#include <vector>

namespace modemtest {

constexpr int kDocsis30 = 2;
constexpr int kDocsis31 = 3;

// The GPIO value writes of the board's log as "line=value" texts, with their times.
struct LineWrite {
    std::string what;
    uint64_t timeMs;
};
std::vector<LineWrite> lineWrites(platform::sim::SimulatedBoard& board);
std::vector<std::string> lineWriteTexts(platform::sim::SimulatedBoard& board);

class PortFixture {
public:
    explicit PortFixture(int hardwareModel = kDocsis31, bool attachTerminal = true);
    ~PortFixture();
    platform::sim::SimulatedBoard& board() { return *board_; }
    platform::sim::VirtualClock& clock() { return board_.clock(); }
    SerialPort& port() { return *port_; }
    platform::sim::PseudoTerminal& terminal() { return terminal_; }
    // Everything the instrument wrote to the line so far (waits briefly for it).
    std::string written(int timeoutMs = 50);

    QMutex mutex;
    QWaitCondition condition;

private:
    testsupport::ScopedBoard board_;
    platform::sim::PseudoTerminal terminal_;
    std::unique_ptr<SerialPort> port_;
};

} // namespace modemtest
