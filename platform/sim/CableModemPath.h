// The IP network behind the simulated cable modem, as its ping and route trace see it: the
// routers on the way out of the cable network and the destination, each with a round trip,
// a jitter and a loss, and an outage in which nothing answers. Also the output of a command
// that keeps printing for a while (a ping, a trace): text due at board times, the prompt
// after the last.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace platform::sim {

struct ModemHop {
    std::string address;    // dotted, as the modem prints it
    double delayMs = 1.0;   // round trip from the modem
    double jitterMs = 0.0;  // successive probes take delay, delay + jitter, delay - jitter, ...
    double lossPercent = 0; // spread evenly: 50 loses every second probe
};

struct ModemPath {
    // Nearest first. A trace to one of them ends there; pings to one answer as it does.
    std::vector<ModemHop> routers;
    // Any other address asked for answers as this hop, one hop beyond the routers.
    ModemHop destination;
    // From outageAfterMs after a ping or trace starts, nothing answers for outageMs.
    uint64_t outageAfterMs = 0;
    uint64_t outageMs = 0;

    // A cable network's way out: the head end's gateway, two routers and a destination.
    static ModemPath typical();
    // The hops a trace to address passes, the destination (named address) last.
    std::vector<ModemHop> routeTo(const std::string& address) const;
    // The round trip of probe n sent to hop at sentMs after the start, or a negative value
    // when it is lost.
    double probe(const ModemHop& hop, int n, uint64_t sentMs) const;
};

// The service flows the modem was asked for, as it keeps them.
struct ModemFlows {
    std::string ugs;  // "ugs" arguments, empty when none
    std::string rtps; // "rtps" arguments, empty when none
};

// The output of a command still running.
struct ModemJob {
    struct Line {
        uint64_t atMs;
        std::string text;
    };
    std::deque<Line> lines;
    bool running() const { return !lines.empty(); }
    // The text due by nowMs, taken out.
    std::string takeDue(uint64_t nowMs);
    bool due(uint64_t nowMs) const { return running() && lines.front().atMs <= nowMs; }
};

} // namespace platform::sim
