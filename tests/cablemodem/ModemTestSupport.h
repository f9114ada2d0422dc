// Shared benches of the cable-modem tests: the modem's serial line on a bare pseudo-terminal,
// the instrument's side of the link to the simulated modem driven from the test's thread,
// a booted modem on the typical cable scene, and what the engine tells the screens.
#pragma once

#include "SimBoardFixture.h"

#include "cablemodem/cableModen.h"
#include "engines/mesuraCM.h"
#include "cablemodem/handlerCableModem.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/serialPort.h"

#include "CableModemBoard.h"
#include "PseudoTerminal.h"
#include "RfScene.h"

#include <QTimer>
#include <QWaitCondition>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace modemtest {

constexpr int kDocsis30 = 2;
constexpr int kDocsis31 = 3;

// Command lines as the modem received them.
using Commands = std::vector<std::string>;
int count(const Commands& commands, const std::string& command);
Commands startingWith(const Commands& commands, const std::string& prefix);
// The n commands from the first of them on.
Commands from(const Commands& commands, const std::string& first, size_t n);

// A level in dBmV as the modem prints it (one decimal), in the stores' tenths.
int tenthsOfPrinted(double dbmv);
// The level in dBmV at which the modem receives a block of the scene (behind its splitter).
inline double receivedDbmv(const platform::sim::SceneCarrier& block)
{
    return block.levelDbuV - platform::sim::kModemInputLossDb - 60;
}

// The engine with its non-stop flag set, as during one of its passes.
MesuraCM* passingEngine();
void setSettings(const QVariantMap& values);
std::shared_ptr<platform::sim::CableModemModel>
installModem(platform::sim::SimulatedBoard& board, int hardwareModel,
             std::shared_ptr<const platform::sim::RfScene> scene = nullptr);

// The modem's faults, in the board's fault table: silent (it hears, but its answers are
// lost), registration stuck at a state word, or a failing part (CableModemReplies.h).
void silence(platform::sim::SimulatedBoard& board, bool on = true);
void stickState(platform::sim::SimulatedBoard& board, const std::string& word);
void failModem(platform::sim::SimulatedBoard& board, unsigned modemRegister, bool on = true);

// The board log's GPIO value writes and serial opens and closes ("170=1", "open 38400",
// "close"), with their board times.
std::vector<std::pair<std::string, uint64_t>> lineWrites(platform::sim::SimulatedBoard& board);
std::vector<std::string> lineWriteTexts(platform::sim::SimulatedBoard& board);

// Board time in ms since the last call (or since it was made).
class Lap {
public:
    explicit Lap(platform::sim::VirtualClock& clock) : clock_(clock), last_(clock.monotonicMs()) {}
    uint64_t operator()();

private:
    platform::sim::VirtualClock& clock_;
    uint64_t last_;
};

// The module's serial port on a board whose modem line is a bare pseudo-terminal.
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

// The instrument's side of the link to the simulated modem, driven from the test's thread:
// pump() does what the serial reader and the hand-over do, after the modem has answered.
// With auto-pump on, every pass of the event loop (so every wait of the code) pumps.
class ModemLink {
public:
    explicit ModemLink(int hardwareModel = kDocsis31, std::shared_ptr<const platform::sim::RfScene> scene = nullptr);
    ~ModemLink();
    platform::sim::SimulatedBoard& board() { return *board_; }
    platform::sim::VirtualClock& clock() { return board_.clock(); }
    platform::sim::CableModemModel& modem() { return *modem_; }
    HandlerCableModem& handler() { return *handler_; }
    // Powers the modem and lets board time pass until it has booted.
    void powerAndBoot();
    void pump();
    // The bytes on the line as the modem would say them, read off as one frame of their own.
    bool feed(const std::string& bytes);
    // Calls step until it answers other than busy, pumping and letting 100 ms of board time
    // pass after each busy answer; at most maxCalls calls.
    int runSteps(const std::function<int()>& step, int maxCalls = 2000, int busy = 100);
    void setAutoPump(bool on) { on ? pumpTimer_.start() : pumpTimer_.stop(); }

    QMutex mutex;
    QWaitCondition condition;

private:
    testsupport::ScopedBoard board_;
    std::shared_ptr<platform::sim::CableModemModel> modem_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<HandlerCableModem> handler_;
    QTimer pumpTimer_;
};

// Everything the engine emits while the recorder lives (the engine's tests run on the
// test's thread, so the signals arrive as they are emitted).
struct EngineSignals {
    EngineSignals();
    ~EngineSignals();
    void clear();
    QList<QVariantMap> phy, phy31, ip, information, dades31, dadesIq, pings;
    QList<QVariantList> ups, upsOfdm31, upsBonding31, downOfdm31, hops;
    QStringList status;
    int restarts = 0;
    int configured = 0;

private:
    QList<QMetaObject::Connection> connections_;
};

// The statuses the machines post, as they change (sampled on every wait).
struct StatusTrail {
    StatusTrail();
    bool contains(int status) const;
    std::vector<int> trail;

private:
    QTimer timer_;
};

// A booted modem at its command line (reported so), linked and pumping on every wait, its
// 3.0 tuning pacing under way for 5 s already (so the test's first tune goes out), the
// typical cable scene (or the one given) behind it, left registeringMs more of board time;
// what the engine emits from then on recorded, in a fresh working directory.
struct LinkedModem {
    explicit LinkedModem(int hardwareModel = kDocsis30, std::shared_ptr<platform::sim::RfScene> scene = nullptr,
                         uint64_t registeringMs = 0, const std::string& lineEnd = "\r\n");
    uint64_t now() { return link.clock().monotonicMs(); }
    Commands commands() { return link.modem().commands(); }
    void clearCommands() { link.modem().clearCommands(); }
    platform::sim::SimulatedBoard& board() { return link.board(); }
    // The engine's test stops (aturar) once board time reaches ms, checked on every pass of
    // the event loop, so within the wait under way.
    void stopAt(uint64_t ms);
    // Runs a test afresh (commands, signals and lap cleared), stopped after stopAfterMs of
    // board time unless 0.
    void run(const std::function<void()>& test, uint64_t stopAfterMs = 0);
    // Calls step until it answers one of results; the last answer.
    int until(const std::function<int()>& step, std::initializer_list<int> results, int maxCalls = 3000);

    testsupport::ScopedWorkDir dir;
    std::shared_ptr<platform::sim::RfScene> scene;
    ModemLink link;
    MesuraCM* engine;
    EngineSignals emitted;
    Lap lap;

private:
    QTimer stopTimer_;
};

} // namespace modemtest
