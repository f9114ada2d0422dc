#include "CableModemReplies.h"

#include <cstdio>
#include <cstdlib>

namespace platform::sim {

const char* const kModemRegistrationWords[] = {
    "NOT_SYNCHRONIZED",  "PHY_SYNCHRONIZED", "RANGING_IN_PROGRESS",          "RANGING_COMPLETE",
    "DHCPV4_IN_PROGRESS", "DHCPV4_COMPLETE", "CONFIG_FILE_DOWNLOAD_COMPLETE", "OPERATIONAL",
};

namespace {

enum Stage { kNotSync, kPhySync, kRanging, kRanged, kDhcp, kDhcpDone, kConfigDone, kOperational };

int argInt(const ModemArgs& args, size_t i, int otherwise = 0)
{
    return i < args.size() ? std::atoi(args[i].c_str()) : otherwise;
}

std::string setMode(int* mode, const ModemArgs& args)
{
    *mode = argInt(args, 0, *mode);
    return "";
}

} // namespace

void ModemSession::startSync(uint32_t frequencyHz)
{
    tunedHz = frequencyHz;
    downstreamDropped = false;
    syncStartMs = nowMs;
}

ModemChannel ModemSession::channel() const { return channels ? channels(tunedHz) : ModemChannel{}; }

std::string ModemSession::registrationWord() const
{
    if (!stuckWord.empty())
        return stuckWord;
    if (downstreamDropped || !channel().present)
        return kModemRegistrationWords[kNotSync];
    // One stage per step of board time, as far as the modes let registration go.
    int stage = static_cast<int>((nowMs - syncStartMs) / stateStepMs);
    int limit = kOperational;
    if (rangeMode == 0)
        limit = kPhySync;
    else if (dhcpMode == 0)
        limit = kRanged;
    else if (registerMode == 0)
        limit = kConfigDone;
    if (stage > limit)
        stage = limit;
    if (stage == kOperational && forwardingDisabled)
        return "FORWARDING_DISABLED";
    return kModemRegistrationWords[stage];
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
    };
    return table;
}

const ModemCommandRule* findModemCommand(const std::string& command, const ModemSession& session)
{
    auto find = [&](const std::string& word) -> const ModemCommandRule* {
        for (const ModemCommandRule& rule : cableModemCommands()) {
            if (word != rule.command)
                continue;
            if (rule.where == ModemWhere::Anywhere || (rule.where == ModemWhere::Menu) == session.menu)
                return &rule;
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
