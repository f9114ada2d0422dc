// What the simulated cable modem answers: its session state (command line or shell,
// automatic start, registration modes, tuned channel) and one table of the command
// lines it knows with the reply each gives. Reply texts end their lines with "\n";
// the model adds the prompt and converts line ends.
#pragma once

#include "CableModemGenerator.h"
#include "CableModemPath.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::sim {

// What the network offers the modem at a frequency; the RF scene can supply it.
struct ModemChannel {
    bool present = true;
    double powerDbmv = 3.5;
    double merDb = 38.5;
    uint32_t centreHz = 0; // 0: wherever the modem is tuned (602 MHz before any tune)
    uint32_t widthHz = 0;  // spacing of a bonding group; 0: no further channel is bonded
    int qamOrder = 256;
    char annex = 'A';
};
constexpr int kModemDownstreamReceivers = 8;
constexpr int kModemUpstreamChannels = 4;
using ModemChannelSource = std::function<ModemChannel(uint32_t frequencyHz)>;

// The registration words of the "doc/cms" report, in the order registration passes them,
// and the stages they name.
extern const char* const kModemRegistrationWords[];
enum ModemStage {
    kModemNotSynchronized,
    kModemPhySynchronized,
    kModemRanging,
    kModemRanged,
    kModemDhcp,
    kModemDhcpDone,
    kModemConfigDone,
    kModemOperational,
};

struct ModemSession {
    // Board time now, in milliseconds; set by the model before each command.
    uint64_t nowMs = 0;
    bool menu = true;        // the command line ("mainMenu>") runs; else the shell ("#")
    bool autoStart = true;   // the command line starts by itself after a boot
    bool rebootRequested = false;
    ModemJob job;             // a command still printing (a ping, a route trace)
    ModemPath path = ModemPath::typical();
    ModemFlows flows;
    ModemGenerator generator; // the production test mode and its carrier
    int rangeMode = 1;
    int dhcpMode = 1;
    int registerMode = 1;
    uint32_t tunedHz = 0;    // 0: the channel found at boot
    bool downstreamDropped = false;
    uint64_t syncStartMs = 0;
    uint64_t stateStepMs = 2000;
    bool forwardingDisabled = false;
    std::string stuckWord;   // when set, "doc/cms" always reports it
    bool docsis31 = true;    // which report the DOCSIS mode query gives
    bool burstOn = false;
    std::string burstSettings;
    ModemChannelSource channels;

    // The modem starts looking for its downstream again (boot, tune, "findds 1").
    void startSync(uint32_t frequencyHz);
    std::string registrationWord() const;
    // How far registration has gone: an index into kModemRegistrationWords.
    int registrationStage() const;
    ModemChannel channel() const;
    // The downstream channels bonded, the tuned one first: contiguous channels of the
    // network upwards from it, at most one per receiver.
    std::vector<ModemChannel> downstreamGroup() const;
};

using ModemArgs = std::vector<std::string>;
enum class ModemWhere { Menu, Shell, Anywhere };

struct ModemCommandRule {
    const char* command;   // the first word of the line
    ModemWhere where;
    std::function<std::string(ModemSession&, const ModemArgs&)> reply;
};

// The rule for a command word in the session's state, or null (the command is not found).
// A word with the "docsis/" menu path finds the rule of the bare word too.
const ModemCommandRule* findModemCommand(const std::string& command, const ModemSession& session);
const std::vector<ModemCommandRule>& cableModemCommands();
// The commands of the path tests (CableModemPath.cpp) and of the upstream generators
// (CableModemGenerator.cpp), looked up after the main table.
const std::vector<ModemCommandRule>& modemPathCommands();
const std::vector<ModemCommandRule>& modemGeneratorCommands();

} // namespace platform::sim
