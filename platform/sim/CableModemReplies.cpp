#include "CableModemReplies.h"

#include "CableModemReports.h"

#include <cstdio>
#include <cstdlib>

namespace platform::sim {

const char* const kModemRegistrationWords[] = {
    "NOT_SYNCHRONIZED",  "PHY_SYNCHRONIZED", "RANGING_IN_PROGRESS",          "RANGING_COMPLETE",
    "DHCPV4_IN_PROGRESS", "DHCPV4_COMPLETE", "CONFIG_FILE_DOWNLOAD_COMPLETE", "OPERATIONAL",
};

namespace {

int argInt(const ModemArgs& args, size_t i, int otherwise = 0)
{
    return i < args.size() ? std::atoi(args[i].c_str()) : otherwise;
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

} // namespace

void ModemSession::startSync(uint32_t frequencyHz)
{
    tunedHz = frequencyHz;
    downstreamDropped = false;
    syncStartMs = nowMs;
}

ModemChannel ModemSession::channel() const { return channels ? channels(tunedHz) : ModemChannel{}; }

int ModemSession::registrationStage() const
{
    if (!stuckWord.empty()) {
        if (stuckWord == "FORWARDING_DISABLED")
            return kModemOperational;
        for (int stage = kModemNotSynchronized; stage <= kModemOperational; ++stage) {
            if (stuckWord == kModemRegistrationWords[stage])
                return stage;
        }
        return kModemNotSynchronized;
    }
    if (downstreamDropped || !channel().present)
        return kModemNotSynchronized;
    // One stage per step of board time, as far as the modes let registration go.
    const int stage = static_cast<int>((nowMs - syncStartMs) / stateStepMs);
    int limit = kModemOperational;
    if (rangeMode == 0)
        limit = kModemPhySynchronized;
    else if (dhcpMode == 0)
        limit = kModemRanged;
    else if (registerMode == 0)
        limit = kModemConfigDone;
    return stage > limit ? limit : stage;
}

std::string ModemSession::registrationWord() const
{
    if (!stuckWord.empty())
        return stuckWord;
    const int stage = registrationStage();
    if (stage == kModemOperational && forwardingDisabled)
        return "FORWARDING_DISABLED";
    return kModemRegistrationWords[stage];
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
    while (channels && group.back().widthHz != 0 && group.size() < kModemDownstreamReceivers) {
        ModemChannel next = channels(group.back().centreHz + group.back().widthHz);
        if (!next.present || next.centreHz == 0)
            break;
        group.push_back(next);
    }
    return group;
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
             return std::string("CableModemCLI\nType help or ? for list of commands\n");
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
        {"findds", ModemWhere::Menu,
         [](S& s, const A& a) {
             if (argInt(a, 0) == 0)
                 s.downstreamDropped = true;
             else
                 s.startSync(s.tunedHz);
             return std::string();
         }},
        {"docsis/General/rem", ModemWhere::Menu,
         [](S& s, const A&) {
             s.downstreamDropped = true;
             return std::string();
         }},
        {"rangemode", ModemWhere::Menu, [](S& s, const A& a) { return setMode(&s.rangeMode, a); }},
        {"dhcpmode", ModemWhere::Menu, [](S& s, const A& a) { return setMode(&s.dhcpMode, a); }},
        {"register", ModemWhere::Menu, [](S& s, const A& a) { return setMode(&s.registerMode, a); }},
        {"go", ModemWhere::Menu,
         [](S& s, const A& a) {
             const double mhz = a.empty() ? 0.0 : std::atof(a[0].c_str());
             s.startSync(static_cast<uint32_t>(mhz * 1e6 + 0.5));
             return std::string("Tuning...\npcd: Rule DOCSIS_SNMPAGENT: Success\n");
         }},
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
        {"macaddr", ModemWhere::Menu, [](S&, const A&) { return modemMacReport(); }},
        {"dir", ModemWhere::Menu, [](S&, const A&) { return modemFirmwareReport(); }},
        {"ip", ModemWhere::Menu, ipReport},
        {"ipcable", ModemWhere::Menu, ipReport},
        {"docsismode", ModemWhere::Menu, docsisModeReport},
        {"Debug/GetDocsisMode", ModemWhere::Menu, docsisModeReport},
        {"doc/vendor", ModemWhere::Menu, vendorReport},
        {"vendor", ModemWhere::Menu, vendorReport},
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
    if (session.menu && command.compare(0, path.size(), path) == 0)
        return find(command.substr(path.size()));
    return nullptr;
}

} // namespace platform::sim
