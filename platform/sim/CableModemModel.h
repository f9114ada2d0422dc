// The simulated embedded cable modem: a peer on the master side of a pseudo-terminal,
// powered by the modem's supply and reset lines, that boots, runs its shell or its
// command line and answers from the reply table in board time. Like the board's chips,
// its line face only decodes (bytes into command lines), the reply table holds every
// effect a command has, faults come from the board's one table (CableModemReplies.h says
// how they name the modem) and tests speak to it through the network it sees. Tests can
// also make it echo, end its lines otherwise or split its replies into several bursts.
#pragma once

#include "CableModemReplies.h"
#include "PseudoTerminal.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform::sim {

class SimulatedBoard;

struct CableModemOptions {
    uint64_t bootMs = 3000;     // board time from power (out of reset) to the last boot line
    bool autoStart = true;      // the command line starts by itself after a boot
    bool docsis31 = true;       // the DOCSIS 3.1 modem, else the 3.0 one
    std::string lineEnd = "\r\n";
};

class CableModemModel {
public:
    CableModemModel(SimulatedBoard& board, const CableModemOptions& options = {});
    ~CableModemModel();
    CableModemModel(const CableModemModel&) = delete;
    CableModemModel& operator=(const CableModemModel&) = delete;

    const std::string& slavePath() const { return terminal_.slavePath(); }

    // State as the modem sees it.
    bool powered() const;
    bool booted() const;
    bool inMenu() const;
    std::string registrationWord() const;
    // Every command line received while booted, in order, without its "\r"; an interrupt
    // (ETX) as "^C".
    std::vector<std::string> commands() const;
    void clearCommands();

    // The device the board's faults name the modem by.
    static Device device();
    // Bytes on the line now, beside the modem's own answers, as a reply that comes in pieces
    // brings them; returns once the instrument's side can read all of them (false when that
    // takes over ten seconds of real time).
    bool say(const std::string& bytes);

    // Behaviour knobs.
    void setEcho(bool echo);
    void setLineEnd(const std::string& lineEnd);
    void setAutoStart(bool autoStart);
    void setMenu(bool menu);
    void setStateStepMs(uint64_t ms);
    // What the network offers the modem (its channels, the head end).
    void setNetwork(const ModemNetwork& network);
    // Writes text to the line as the modem would, unprompted.
    void sendRaw(const std::string& text);

    // The IP network behind the modem, as its pings and route traces find it.
    void setPath(const ModemPath& path);
    ModemFlows flows() const;
    // What the modem transmits on the upstream now; nothing while it is off.
    ModemUpstreamBurst upstreamBurst() const;

    // Waits (real time, at most timeoutMs) until the modem has taken in everything sent
    // to it and written everything it had to say. True when it got there.
    bool settle(int timeoutMs = 1000);
    // How many times its thread has looked at the line: it looks only when woken by input,
    // by a power or reset line, by text to send, or by a deadline of its own (its boot).
    uint64_t passes() const { return passes_.load(); }
    // Its thread sleeps with nothing due: only input or a wake-up ends that sleep.
    bool sleepsUntilWoken() const { return sleepsUntilWoken_.load(); }

private:
    void run();
    // Blocks until input, a wake-up, or the next deadline in board time.
    void waitForWork();
    int realMsUntil(uint64_t boardMs) const;
    void wake();
    // Work in hand that board time must wait for (see VirtualClock::Peer); lock-free,
    // since it is asked from inside clock readings.
    bool busy() const;
    void onLine(int line, int value);
    void handleInput(const std::string& bytes);
    void handleCommand(const std::string& line);
    void checkBoot();
    // The text of a running command that has come due; the prompt after its last.
    void releaseDueOutput();
    void queueOutput(const std::string& text);
    std::string withLineEnds(const std::string& text) const;
    std::string prompt() const;
    uint64_t nowMs() const;

    SimulatedBoard& board_;
    CableModemOptions options_;
    PseudoTerminal terminal_;
    int listenerId_ = 0;

    std::mutex ioMutex_;
    mutable std::mutex mutex_;
    bool supplyOn_ = false;
    bool inReset_ = true;
    bool booted_ = false;
    uint64_t bootAtMs_ = 0;
    bool booting_ = false;
    ModemSession session_;
    std::string inputLine_;
    std::vector<std::string> commands_;
    std::vector<std::string> pendingOutput_;
    bool echo_ = false;

    std::atomic<bool> running_{true};
    std::atomic<bool> working_{false};
    std::atomic<bool> owesOutput_{false};
    std::atomic<uint64_t> passes_{0};
    std::atomic<bool> sleepsUntilWoken_{false};
    int wakeFd_ = -1;
    int peerId_ = 0;
    std::thread thread_;
};

} // namespace platform::sim
