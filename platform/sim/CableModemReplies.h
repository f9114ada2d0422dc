// What the simulated cable modem answers: its session state (command line or shell, the
// menu it is in, automatic start, registration modes, tuned channel, how far registration
// has gone) and one table of the command lines it knows with the reply each gives. Every
// report is built from this one state and from the network the modem sees. Reply texts
// end their lines with "\n"; the model adds the prompt and converts line ends.
#pragma once

#include "CableModemGenerator.h"
#include "CableModemPath.h"
#include "DocsisPlan.h"
#include "Faults.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::sim {

// A single-carrier (SC-QAM) downstream channel the network offers at a frequency.
struct ModemChannel {
    bool present = true;
    double powerDbmv = 3.5;
    double merDb = 38.5;
    uint32_t centreHz = 0; // 0: wherever the modem is tuned (602 MHz before any tune)
    uint32_t widthHz = 0;  // spacing of a bonding group; 0: no further channel is bonded
    int qamOrder = 256;
    char annex = 'A';
};
// An OFDM downstream channel (DOCSIS 3.1): the block as it reaches the modem.
struct ModemOfdmChannel {
    uint32_t centreHz = 0;
    uint32_t bandwidthHz = 0;
    double powerDbmv = 0;    // total power of the block
    double merDb = 0;
    double tiltDbPerGhz = 0; // the cable's slope across the block
};
constexpr int kModemDownstreamReceivers = 8;
constexpr int kModemUpstreamChannels = 4;
using ModemChannelSource = std::function<ModemChannel(uint32_t frequencyHz)>;

// What the network offers the modem: the RF scene's (CableModemBoard.h) or, where a part
// is unset, a channel wherever the modem tunes, no OFDM channel and the typical head end.
struct ModemNetwork {
    ModemChannelSource downstream; // frequency 0: what the modem's own search finds
    std::function<std::vector<ModemOfdmChannel>()> ofdm;
    std::function<DocsisPlan()> plan;
};

// How far registration has gone, in the order of progress; each generation of modem passes
// the stages of its own sequence and names each by its word.
enum ModemStage {
    kModemNotSynchronized,
    kModemPhySynchronized,
    kModemDsTopology,
    kModemUsParameters,
    kModemRanging,
    kModemRanged,
    kModemDhcp,
    kModemDhcpDone,
    kModemConfigDone,
    kModemRegistering,
    kModemRegistered,
    kModemOperational,
};
// The words of the "doc/cms" report: one per stage (at the stage's index), then words the
// modem says only when stuck there, with the stage they stand for.
struct ModemStateWord {
    const char* word;
    ModemStage stage;
};
extern const std::vector<ModemStateWord> kModemStateWords;
// The index of a word in kModemStateWords, or -1.
int modemStateWordIndex(const std::string& word);

// The modem's state as the board's fault table (Faults.h) names it, on the device of the
// modem's serial line. stickRegister(kModemStateRegister, index of a kModemStateWords
// entry) keeps registration at that word; failRegister makes the downstream search, DHCP
// or the OFDM lock never succeed, or turns every reply into letters without line ends
// or prompt characters. Refusing kRead of the device silences the modem (it still hears
// and acts); refusing kWrite makes it deaf.
enum ModemRegister : unsigned {
    kModemStateRegister,
    kModemDownstreamRegister,
    kModemDhcpRegister,
    kModemOfdmRegister,
    kModemLineRegister,
};

struct ModemSession {
    // Board time now, in milliseconds; set by the model before each command.
    uint64_t nowMs = 0;
    bool menu = true;        // the command line runs; else the shell ("#")
    std::string subMenu;     // the menu under the main one ("docsis"), empty in the main one
    bool autoStart = true;   // the command line starts by itself after a boot
    bool rebootRequested = false;
    ModemJob job;             // a command still printing (a ping, a route trace)
    ModemPath path = ModemPath::typical();
    ModemFlows flows;
    ModemGenerator generator; // the production test mode and its carrier
    int rangeMode = 1;
    int dhcpMode = 1;
    int registerMode = 1;
    int diplexer = 1;
    uint32_t tunedHz = 0;    // 0: the channel the modem's own search finds
    bool downstreamDropped = false;
    uint64_t syncStartMs = 0;
    uint64_t stateStepMs = 2000;
    bool docsis31 = true;    // the DOCSIS 3.1 modem, else the 3.0 one
    bool burstOn = false;
    std::string burstSettings;
    ModemNetwork network;
    const Faults* faults = nullptr;
    Device device{Device::Kind::Serial, {}};

    // The modem starts looking for its downstream again (boot, tune, "findds 1").
    void startSync(uint32_t frequencyHz);
    std::string registrationWord() const;
    ModemStage registrationStage() const;
    ModemChannel channel() const;
    // The downstream channels bonded, at most one per receiver: the one the modem
    // synchronised on (its primary) first, then the network's other channels side by side
    // with it, below and above, in frequency order.
    std::vector<ModemChannel> downstreamGroup() const;
    std::vector<ModemOfdmChannel> ofdmChannels() const;
    // The OFDM channel of that index is locked (DOCSIS 3.1 modem, synchronised).
    bool ofdmLocked(int index) const;
    DocsisPlan plan() const;
    // The board's faults on the modem's registers.
    bool failing(ModemRegister reg) const;
    std::optional<uint32_t> stuck(ModemRegister reg) const;
};

using ModemArgs = std::vector<std::string>;
enum class ModemWhere { Menu, Shell, Anywhere };

struct ModemCommandRule {
    const char* command;   // the first word of the line
    ModemWhere where;
    std::function<std::string(ModemSession&, const ModemArgs&)> reply;
};

// The rule for a command word in the session's state, or null (the command is not found).
// In the main menu a word with the "docsis/" menu path finds the rule of the bare word;
// in the "docsis" sub-menu the bare word does.
const ModemCommandRule* findModemCommand(const std::string& command, const ModemSession& session);
const std::vector<ModemCommandRule>& cableModemCommands();
// The commands of the path tests (CableModemPath.cpp) and of the upstream generators
// (CableModemGenerator.cpp), looked up after the main table.
const std::vector<ModemCommandRule>& modemPathCommands();
const std::vector<ModemCommandRule>& modemGeneratorCommands();

} // namespace platform::sim
