#include "CableModemReports.h"

#include <cmath>
#include <cstdio>

namespace platform::sim {

namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char text[512];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

struct UpstreamChannel {
    double frequencyMhz;
    int symbolRate;
    const char* modulation;
    double powerDbmv;
    int id;
};

// The CMTS gives the modem two upstream channels once ranging is complete.
const UpstreamChannel kUpstreamInUse[kModemUpstreamChannels] = {
    {36.5, 5120, "64QAM", 45.5, 1},
    {30.1, 5120, "64QAM", 44.0, 2},
    {0.0, 0, "ERR", -1.0, 0},
    {0.0, 0, "ERR", -1.0, 0},
};
const UpstreamChannel kUpstreamIdle = {0.0, 0, "ERR", -1.0, 0};

// Errors grow as the MER falls below what 256-QAM needs.
double preFecErrors(double merDb) { return merDb >= 32.0 ? 0.0 : std::pow(10.0, -(merDb - 4.0) / 4.0); }
double postFecErrors(double merDb) { return merDb >= 26.0 ? 0.0 : preFecErrors(merDb) / 100.0; }

ModemChannel receiverChannel(const ModemSession& session, int receiver)
{
    const std::vector<ModemChannel> group = session.downstreamGroup();
    if (receiver >= 0 && receiver < static_cast<int>(group.size()))
        return group[static_cast<size_t>(receiver)];
    ModemChannel none;
    none.present = false;
    return none;
}

} // namespace

std::string modemPhyReport(const ModemSession& session, int receiver)
{
    const ModemChannel c = receiverChannel(session, receiver);
    const bool locked = c.present && session.registrationStage() >= kModemPhySynchronized;
    const char* lock = locked ? "YES" : "NO";
    const bool annexA = c.annex == 'A';
    // "power" closes the report: the instrument waits for that word.
    return "Current PHY status\n"
        + format("RF freq: %.2f\n", c.present ? c.centreHz / 1e6 : 0.0)
        + format("Qam mode : %d\n", c.qamOrder) + format("Annex: ANNEX-%c\n", c.annex)
        + format("MSE: %.1f\n", locked ? -c.merDb : 0.0) + "Energy backoff: 0.0\n"
        + format("interleaver depth I=%d, J=%d\n", annexA ? 12 : 128, annexA ? 17 : 1)
        + format("QAM Lock: %s\nFEC lock: %s\nMPEG lock: %s\n", lock, lock, lock)
        + format("Carrier offset (Hz): %.1f\n", locked ? 1200.0 : 0.0)
        + format("power dBmV: %.1f\n", c.present ? c.powerDbmv : 0.0);
}

std::string modemBerReport(const ModemSession& session, int receiver)
{
    const ModemChannel c = receiverChannel(session, receiver);
    const bool locked = c.present && session.registrationStage() >= kModemPhySynchronized;
    const double pre = locked ? preFecErrors(c.merDb) : 0.0;
    const double post = locked ? postFecErrors(c.merDb) : 0.0;
    // No "1" may come between the heading and the data row, which starts with one.
    return format("Pre.BER Post.BER\n1 %d %g %g\n", locked ? 10 : 0, pre, post);
}

std::string modemUpstreamReport(const ModemSession& session)
{
    const bool ranged = session.registrationStage() >= kModemRanged;
    std::string lines[5] = {"Frequency:", "Symbol rate:", "modulation:", "power:", "Upstream:"};
    for (int i = 0; i < kModemUpstreamChannels; ++i) {
        const UpstreamChannel& u = ranged ? kUpstreamInUse[i] : kUpstreamIdle;
        lines[0] += format(" %8.2f", u.frequencyMhz);
        lines[1] += format(" %8d", u.symbolRate);
        lines[2] += format(" %8s", u.modulation);
        lines[3] += format(" %8.1f", u.powerDbmv);
        lines[4] += format(" %8d", u.id);
    }
    // The channel ids come last: the instrument waits for their label.
    std::string report;
    for (const std::string& line : lines)
        report += line + "\n";
    return report;
}

std::string modemIpReport(const ModemSession& session)
{
    const bool leased = session.registrationStage() >= kModemDhcpDone;
    auto address = [leased](const char* a) { return leased ? a : "0.0.0.0"; };
    return "CM IPv4 information:\n" + format(" IP Address = %s\n", address("10.1.2.3"))
        + format(" Subnet Mask = %s\n", address("255.255.255.0"))
        + format(" Default Gateway = %s\n", address("10.1.2.1"))
        + format(" DHCP Server = %s\n", address("10.0.0.1")) + " LOG Server = 0.0.0.0\n"
        + format(" TFTP Server = %s\n", address("10.0.0.2")) + format(" ToD Server = %s\n", address("10.0.0.3"))
        + format(" Physical Address = %s\n", kModemMacAddress)
        + format(" Setting (*) CM TFTP Boot file: %s\n", leased ? "cm_config.cfg" : "---");
}

std::string modemMacReport()
{
    std::string dashed = kModemMacAddress;
    for (char& c : dashed) {
        if (c == ':')
            c = '-';
    }
    return "CM Current MAC address = " + dashed + "\n";
}

std::string modemFirmwareReport()
{
    return format("Filename in sector 1->%s\nFilename in sector 2->fw_2_9_8.bin\n", kModemFirmwareFile);
}

std::string modemDocsisModeReport(const ModemSession& session)
{
    return session.docsis31 ? "DOCSIS 3.1\n" : "DOCSIS 3.0\n";
}

std::string modemVendorReport()
{
    return std::string("Model Name: CM-SIM\nVendor Name: SIMULATED\nSerial Number: SIM000001\n")
        + "Hardware Version: 1.0\nSoftware Version: fw_3_0_1\nS/W Build Date: Jan 1 2025\n"
        + "RF MAC Address: " + kModemMacAddress + "\nLAN MAC Address: 00:1A:2B:3C:4D:5F\n"
        + "Modem LAN IP: 192.168.100.1\nModem LAN MASK: 255.255.255.0\n";
}

} // namespace platform::sim
