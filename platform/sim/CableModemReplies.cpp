#include "CableModemReplies.h"

#include "CableModemReports.h"
#include "CableModemReports31.h"

#include <algorithm>
#include <cstdlib>

namespace platform::sim {

const std::vector<ModemStateWord> kModemStateWords = {
    {"NOT_SYNCHRONIZED", kModemNotSynchronized},
    {"PHY_SYNCHRONIZED", kModemPhySynchronized},
    {"DS_TOPOLOGY_RESOLUTION_IN_PROGRESS", kModemDsTopology},
    {"US_PARAMETERS_ACQUIRED", kModemUsParameters},
    {"RANGING_IN_PROGRESS", kModemRanging},
    {"RANGING_COMPLETE", kModemRanged},
    {"DHCPV4_IN_PROGRESS", kModemDhcp},
    {"DHCPV4_COMPLETE", kModemDhcpDone},
    {"CONFIG_FILE_DOWNLOAD_COMPLETE", kModemConfigDone},
    {"REGISTRATION_IN_PROGRESS", kModemRegistering},
    {"REGISTRATION_COMPLETE", kModemRegistered},
    {"OPERATIONAL", kModemOperational},
    {"TOD_ESTABLISHED", kModemConfigDone},
    {"FORWARDING_DISABLED", kModemOperational},
};

int modemStateWordIndex(const std::string& word)
{
    for (size_t i = 0; i < kModemStateWords.size(); ++i) {
        if (word == kModemStateWords[i].word)
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

// The stages each generation passes, one per step of board time.
const std::vector<ModemStage> kSequence30 = {
    kModemNotSynchronized, kModemPhySynchronized, kModemRanging,    kModemRanged,
    kModemDhcp,            kModemDhcpDone,        kModemConfigDone, kModemOperational,
};
const std::vector<ModemStage> kSequence31 = {
    kModemNotSynchronized, kModemPhySynchronized, kModemDsTopology, kModemUsParameters, kModemRanging,
    kModemRanged,          kModemDhcp,            kModemRegistering, kModemRegistered,   kModemOperational,
};

int argInt(const ModemArgs& args, size_t i, int otherwise = 0)
{
    return i < args.size() ? std::atoi(args[i].c_str()) : otherwise;
}

uint32_t argMhzToHz(const ModemArgs& args)
{
    const double mhz = args.empty() ? 0.0 : std::atof(args[0].c_str());
    return mhz > 0 ? static_cast<uint32_t>(mhz * 1e6 + 0.5) : 0;
}

std::string setMode(int* mode, const ModemArgs& args)
{
    *mode = argInt(args, 0, *mode);
    return "";
}

// Set-up commands the modem takes without a word back.
std::string acknowledge(ModemSession&, const ModemArgs&) { return ""; }
std::string ipReport(ModemSession& s, const ModemArgs&) { return modemIpReport(s); }
std::string vendorReport(ModemSession&, const ModemArgs&) { return modemVendorReport(); }
std::string docsisModeReport(ModemSession& s, const ModemArgs&) { return modemDocsisModeReport(s); }
std::string dropDownstream(ModemSession& s, const ModemArgs&)
{
    s.downstreamDropped = true;
    return "";
}

} // namespace

void ModemSession::startSync(uint32_t frequencyHz)
{
    tunedHz = frequencyHz;
    downstreamDropped = false;
    syncStartMs = nowMs;
}

bool ModemSession::failing(ModemRegister reg) const { return faults && faults->refusesRegister(device, reg); }

std::optional<uint32_t> ModemSession::stuck(ModemRegister reg) const
{
    return faults ? faults->stuckValue(device, reg) : std::nullopt;
}

ModemChannel ModemSession::channel() const
{
    if (failing(kModemDownstreamRegister)) {
        ModemChannel none;
        none.present = false;
        return none;
    }
    return network.downstream ? network.downstream(tunedHz) : ModemChannel{};
}

std::vector<ModemOfdmChannel> ModemSession::ofdmChannels() const
{
    return network.ofdm ? network.ofdm() : std::vector<ModemOfdmChannel>{};
}

DocsisPlan ModemSession::plan() const { return network.plan ? network.plan() : DocsisPlan{}; }

ModemStage ModemSession::registrationStage() const
{
    if (const std::optional<uint32_t> word = stuck(kModemStateRegister))
        return *word < kModemStateWords.size() ? kModemStateWords[*word].stage : kModemNotSynchronized;
    if (downstreamDropped || !channel().present)
        return kModemNotSynchronized;
    // As far as the modes (and a DHCP that never answers) let registration go.
    ModemStage limit = kModemOperational;
    if (rangeMode == 0)
        limit = kModemPhySynchronized;
    else if (dhcpMode == 0)
        limit = kModemRanged;
    else if (registerMode == 0)
        limit = kModemConfigDone;
    if (failing(kModemDhcpRegister))
        limit = std::min(limit, kModemDhcp);
    // One stage of the sequence per step of board time.
    const std::vector<ModemStage>& sequence = docsis31 ? kSequence31 : kSequence30;
    size_t i = std::min<uint64_t>((nowMs - syncStartMs) / stateStepMs, sequence.size() - 1);
    while (i > 0 && sequence[i] > limit)
        --i;
    return sequence[i];
}

std::string ModemSession::registrationWord() const
{
    if (const std::optional<uint32_t> word = stuck(kModemStateRegister))
        return *word < kModemStateWords.size() ? kModemStateWords[*word].word : "UNKNOWN";
    const ModemStage stage = registrationStage();
    if (stage == kModemOperational && plan().forwardingDisabled)
        return "FORWARDING_DISABLED";
    return kModemStateWords[stage].word;
}

std::vector<ModemChannel> ModemSession::downstreamGroup() const
{
    std::vector<ModemChannel> group;
    ModemChannel first = channel();
    if (!first.present)
        return group;
    if (first.centreHz == 0)
        first.centreHz = tunedHz != 0 ? tunedHz : 602000000u;
    group.push_back(first);
    // The head end bonds its whole group of side-by-side channels, whichever of them the
    // modem synchronised on: the neighbours below that one as well as those above it.
    std::vector<ModemChannel> others;
    for (const bool above : {false, true}) {
        ModemChannel from = first;
        while (network.downstream && from.widthHz != 0 && 1 + others.size() < kModemDownstreamReceivers) {
            if (!above && from.centreHz <= from.widthHz)
                break;
            const ModemChannel next =
                network.downstream(above ? from.centreHz + from.widthHz : from.centreHz - from.widthHz);
            if (!next.present || next.centreHz == 0 || next.centreHz == from.centreHz)
                break;
            others.push_back(next);
            from = next;
        }
    }
    std::sort(others.begin(), others.end(),
              [](const ModemChannel& a, const ModemChannel& b) { return a.centreHz < b.centreHz; });
    group.insert(group.end(), others.begin(), others.end());
    return group;
}

bool ModemSession::ofdmLocked(int index) const
{
    return docsis31 && index >= 0 && index < static_cast<int>(ofdmChannels().size())
        && registrationStage() >= kModemPhySynchronized && !failing(kModemOfdmRegister);
}

// command, where it is understood, and what the modem answers (before its prompt).
const std::vector<ModemCommandRule>& cableModemCommands()
{
    using S = ModemSession;
    using A = ModemArgs;
    static const std::vector<ModemCommandRule> table = {
        {"", ModemWhere::Anywhere, [](S&, const A&) { return std::string(); }},
        {"cli", ModemWhere::Shell,
         [](S& s, const A&) {
             s.menu = true;
             s.subMenu.clear();
             return std::string("CableModemCLI\nType help or ? for list of commands\n");
         }},
        {"docsis", ModemWhere::Menu,
         [](S& s, const A&) {
             s.subMenu = "docsis";
             return std::string();
         }},
        // Up from a sub-menu; from the main menu out of the command line into the shell
        // (where the production test mode starts).
        {"exit", ModemWhere::Menu,
         [](S& s, const A&) {
             if (s.subMenu.empty())
                 s.menu = false;
             s.subMenu.clear();
             return std::string();
         }},
        {"system/startup/show", ModemWhere::Menu,
         [](S& s, const A&) { return std::string("Automatic startup: ") + (s.autoStart ? "Enabled" : "Disabled") + "\n"; }},
        {"system/startup/enable", ModemWhere::Menu,
         [](S& s, const A&) {
             s.autoStart = true;
             return std::string("Automatic startup enabled\n");
         }},
        {"system/startup/disable", ModemWhere::Menu,
         [](S& s, const A&) {
             s.autoStart = false;
             return std::string("Automatic startup disabled\n");
         }},
        {"reboot", ModemWhere::Menu,
         [](S& s, const A&) {
             s.rebootRequested = true;
             return std::string("reboot_request\n");
         }},
        {"doc/cms", ModemWhere::Menu, [](S& s, const A&) { return "CM status is " + s.registrationWord() + "\n"; }},
        // 1: the modem looks for a downstream by itself; 0: it stops looking.
        {"findds", ModemWhere::Menu,
         [](S& s, const A& a) {
             if (argInt(a, 0) == 0)
                 s.downstreamDropped = true;
             else
                 s.startSync(0);
             return std::string();
         }},
        {"General/rem", ModemWhere::Menu, dropDownstream},
        {"rangemode", ModemWhere::Menu, [](S& s, const A& a) { return setMode(&s.rangeMode, a); }},
        {"dhcpmode", ModemWhere::Menu, [](S& s, const A& a) { return setMode(&s.dhcpMode, a); }},
        {"register", ModemWhere::Menu, [](S& s, const A& a) { return setMode(&s.registerMode, a); }},
        {"setDiplexer", ModemWhere::Menu, [](S& s, const A& a) { return setMode(&s.diplexer, a); }},
        {"go", ModemWhere::Menu,
         [](S& s, const A& a) {
             s.startSync(argMhzToHz(a));
             return std::string("Tuning...\npcd: Rule DOCSIS_SNMPAGENT: Success\n");
         }},
        {"General/tune", ModemWhere::Menu,
         [](S& s, const A& a) {
             s.startSync(argMhzToHz(a));
             return std::string("Tuning...\n");
         }},
        {"Debug/clearNvramDsUsFreqDb", ModemWhere::Menu,
         [](S&, const A&) { return std::string("Frequency database cleared\n"); }},
        {"upburst", ModemWhere::Menu,
         [](S& s, const A& a) {
             s.burstOn = true;
             s.burstSettings.clear();
             for (const auto& w : a)
                 s.burstSettings += (s.burstSettings.empty() ? "" : " ") + w;
             return std::string();
         }},
        {"burststop", ModemWhere::Menu,
         [](S& s, const A&) {
             s.burstOn = false;
             return std::string();
         }},
        {"phy", ModemWhere::Menu, [](S& s, const A& a) { return modemPhyReport(s, argInt(a, 0)); }},
        {"berstatus", ModemWhere::Menu, [](S& s, const A& a) { return modemBerReport(s, argInt(a, 0)); }},
        {"upshow", ModemWhere::Menu, [](S& s, const A&) { return modemUpstreamReport(s); }},
        {"iqdump", ModemWhere::Menu, [](S& s, const A& a) { return modemIqDump(s, argInt(a, 0)); }},
        {"macaddr", ModemWhere::Menu, [](S&, const A&) { return modemMacReport(); }},
        {"dir", ModemWhere::Menu, [](S&, const A&) { return modemFirmwareReport(); }},
        {"ip", ModemWhere::Menu, ipReport},
        {"ipcable", ModemWhere::Menu, ipReport},
        {"docsismode", ModemWhere::Menu, docsisModeReport},
        {"Debug/GetDocsisMode", ModemWhere::Menu, docsisModeReport},
        {"doc/vendor", ModemWhere::Menu, vendorReport},
        {"vendor", ModemWhere::Menu, vendorReport},
        {"Debug/usstatus", ModemWhere::Menu, [](S& s, const A&) { return modemUpstreamStatus31(s); }},
        {"Debug/dsstatus", ModemWhere::Menu, [](S& s, const A&) { return modemDownstreamStatus31(s); }},
        {"phystatus", ModemWhere::Menu, [](S& s, const A& a) { return modemPhyStatus31(s, argInt(a, 0, -1)); }},
        {"Debug/berstatus", ModemWhere::Menu, [](S& s, const A& a) { return modemBerStatus31(s, argInt(a, 0, -1)); }},
        {"General/dsOfdmInfo", ModemWhere::Menu,
         [](S& s, const A& a) { return modemOfdmInfo31(s, argInt(a, 0, -1)); }},
        {"Fw/ds_phy/status/dsProfInfo", ModemWhere::Menu,
         [](S& s, const A& a) { return modemOfdmProfiles31(s, argInt(a, 0, -1)); }},
        {"Fw/ds_phy/status/getMerRes", ModemWhere::Menu,
         [](S& s, const A& a) { return modemOfdmMer31(s, argInt(a, 0, -1), argInt(a, 1, -1), argInt(a, 2, -1)); }},
        {"Fw/ds_phy/status/getFreqResp", ModemWhere::Menu,
         [](S& s, const A& a) { return modemOfdmResponse31(s, argInt(a, 0, -1)); }},
        {"Fw/ds_phy/status/constDisplay", ModemWhere::Menu,
         [](S& s, const A& a) { return modemOfdmConstellation31(s, argInt(a, 0, -1), argInt(a, 1, 0)); }},
        {"Production/Test/Tuner/IQconstellation", ModemWhere::Menu,
         [](S& s, const A& a) { return modemTunerConstellation31(s, argInt(a, 0, -1)); }},
        {"Debug/SetDebugOption", ModemWhere::Menu, acknowledge},
        {"logger/AllModulesConfig", ModemWhere::Menu, acknowledge},
        {"logger/ModuleConfig", ModemWhere::Menu, acknowledge},
        {"logger/AllDebugModulesConfig", ModemWhere::Menu, acknowledge},
        {"logger/DebugModulesConfig", ModemWhere::Menu, acknowledge},
        {"logger/ComponentConfig", ModemWhere::Menu, acknowledge},
        {"logger/list", ModemWhere::Menu, [](S&, const A&) { return std::string("Logger modules: 13 15 18 21 23 26\n"); }},
        {"logger/enable", ModemWhere::Menu, acknowledge},
    };
    return table;
}

const ModemCommandRule* findModemCommand(const std::string& command, const ModemSession& session)
{
    auto find = [&](const std::string& word) -> const ModemCommandRule* {
        for (const auto* table : {&cableModemCommands(), &modemPathCommands(), &modemGeneratorCommands()}) {
            for (const ModemCommandRule& rule : *table) {
                if (word != rule.command)
                    continue;
                if (rule.where == ModemWhere::Anywhere || (rule.where == ModemWhere::Menu) == session.menu)
                    return &rule;
            }
        }
        return nullptr;
    };
    if (const ModemCommandRule* rule = find(command))
        return rule;
    const std::string path = "docsis/";
    if (session.menu && session.subMenu.empty() && command.compare(0, path.size(), path) == 0)
        return find(command.substr(path.size()));
    return nullptr;
}

} // namespace platform::sim
