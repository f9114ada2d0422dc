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

class MesuraCM;

namespace platform::sim {
class CableModemModel;
class RfScene;
} // namespace platform::sim

namespace modemtest {

constexpr int kDocsis30 = 2;
constexpr int kDocsis31 = 3;

// Command lines as the modem received them.
using Commands = std::vector<std::string>;

// The engine with its non-stop flag set, as during one of its passes.
MesuraCM* passingEngine();

// The unit's strapping for the hardware model and the modem on its serial line (finding
// its channels in the scene, when given one).
std::shared_ptr<platform::sim::CableModemModel> installModem(platform::sim::SimulatedBoard& board, int hardwareModel,
                                                             std::shared_ptr<const platform::sim::RfScene> scene = nullptr);

// The modem's faults, in the board's fault table: silent (it hears, but its answers are
// lost), replies as noise, registration stuck at a state word, or a failing part of
// registration (CableModemReplies.h).
void silence(platform::sim::SimulatedBoard& board, bool on = true);
void stickState(platform::sim::SimulatedBoard& board, const std::string& word);
void failModem(platform::sim::SimulatedBoard& board, unsigned modemRegister, bool on = true);

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

#include "CableModemBoard.h"
#include "cablemodem/handlerCableModem.h"
#include "cablemodem/modemExchange.h"

#include <QTimer>

namespace modemtest {

// The instrument's side of the modem link on a board with the simulated modem, driven
// from the test's thread: pump() does what the serial reader and the hand-over do,
// after the modem has answered. While it lives, every pass of the event loop (so every
// wait of the code under test) pumps.
class ModemLink {
public:
    explicit ModemLink(int hardwareModel = kDocsis31, std::shared_ptr<const platform::sim::RfScene> scene = nullptr);
    ~ModemLink();
    platform::sim::SimulatedBoard& board() { return *board_; }
    platform::sim::VirtualClock& clock() { return board_.clock(); }
    platform::sim::CableModemModel& modem() { return *modem_; }
    SerialPort& port() { return *port_; }
    HandlerCableModem& handler() { return *handler_; }

    // Powers the modem and lets board time pass until it has booted.
    void powerAndBoot();
    void pump();
    // Reads frames as they come for a while of real time, without waiting for the
    // modem to finish first (so a reply in bursts arrives as several frames).
    int pumpLive(int realMs);
    // Calls step(64)-style code until it answers something other than 100, pumping and
    // letting 100 ms of board time pass between calls; at most maxCalls calls.
    template <typename Step>
    int runSteps(Step step, int maxCalls = 2000, int busy = 100);
    // One call, the hand-over, then 100 ms of board time.
    template <typename Step>
    int stepOnce(Step step)
    {
        const int r = step();
        pump();
        clock().advanceMs(100);
        return r;
    }
    void setAutoPump(bool on);

    QMutex mutex;
    QWaitCondition condition;

private:
    testsupport::ScopedBoard board_;
    std::shared_ptr<platform::sim::CableModemModel> modem_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<HandlerCableModem> handler_;
    QTimer pumpTimer_;
};

template <typename Step>
int ModemLink::runSteps(Step step, int maxCalls, int busy)
{
    int r = busy;
    for (int i = 0; i < maxCalls && r == busy; ++i) {
        r = step();
        pump();
        if (r == busy)
            clock().advanceMs(100);
    }
    return r;
}

} // namespace modemtest

#include <QList>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace modemtest {

// Everything the engine emits while the recorder lives (the engine's tests run on the
// test's thread, so the signals arrive as they are emitted).
struct EngineSignals {
    EngineSignals();
    ~EngineSignals();
    QList<QVariantMap> phy, phy31, ip, information, dades31, dadesIq;
    QList<QVariantList> ups, upsOfdm31, upsBonding31, downOfdm31;
    QList<QVariantMap> pings;
    QList<QVariantList> hops;
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

// A booted modem at its command line, linked and pumping on every wait, its 3.0 tuning
// pacing under way for 5 s already (so the test's first tune goes out), the network of
// the typical cable scene (or the one given) behind it.
struct LinkedModem {
    explicit LinkedModem(int hardwareModel = kDocsis30,
                         std::shared_ptr<platform::sim::RfScene> scene = nullptr);
    uint64_t now() { return link.clock().monotonicMs(); }
    Commands commands() { return link.modem().commands(); }
    // The engine's test stops (aturar) once board time reaches ms, checked on every pass of
    // the event loop, so within the wait under way.
    void stopAt(uint64_t ms);
    std::shared_ptr<platform::sim::RfScene> scene;
    ModemLink link;

private:
    QTimer stopTimer_;
};

} // namespace modemtest
