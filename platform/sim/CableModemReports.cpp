#include "CableModemReports.h"

#include <cmath>

namespace platform::sim {

namespace {

// Errors grow as the MER falls below what 256-QAM needs.
double preFecErrors(double merDb) { return merDb >= 32.0 ? 0.0 : std::pow(10.0, -(merDb - 4.0) / 4.0); }
double postFecErrors(double merDb) { return merDb >= 26.0 ? 0.0 : preFecErrors(merDb) / 100.0; }

bool receiverLocked(const ModemSession& session, const ModemChannel& c)
{
    return c.present && session.registrationStage() >= kModemPhySynchronized;
}

std::string modulationWord(int qamOrder) { return qamOrder == 4 ? "QPSK" : std::to_string(qamOrder) + "QAM"; }

// A standard normal value from two repeatable uniforms (Box-Muller).
double modemGaussian(uint32_t n)
{
    const double u1 = std::max(modemUniform(2 * n), 1e-12);
    const double u2 = modemUniform(2 * n + 1);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

} // namespace

double modemUniform(uint32_t n)
{
    // A 32-bit integer hash: neighbouring n give unrelated values.
    uint32_t x = n * 0x9E3779B1u + 0x7F4A7C15u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x / 4294967296.0;
}

std::vector<std::pair<double, double>> modemQamSymbols(int qamOrder, double merDb, int count, double outer,
                                                       uint32_t seed)
{
    const int levels = std::max(2, static_cast<int>(std::lround(std::sqrt(static_cast<double>(qamOrder)))));
    const double step = 2.0 * outer / (levels - 1);
    // Mean symbol energy of the grid, and per axis half the noise the MER leaves.
    const double es = 2.0 * (step / 2) * (step / 2) * (levels * levels - 1) / 3.0;
    const double sigma = std::sqrt(es / std::pow(10.0, merDb / 10.0) / 2.0);
    std::vector<std::pair<double, double>> symbols;
    for (int i = 0; i < count; ++i) {
        const uint32_t n = seed * 7919u + static_cast<uint32_t>(i) * 4u;
        const int li = static_cast<int>(modemUniform(n) * levels);
        const int lq = static_cast<int>(modemUniform(n + 1) * levels);
        symbols.emplace_back(-outer + li * step + sigma * modemGaussian(n + 2),
                             -outer + lq * step + sigma * modemGaussian(n + 3));
    }
    return symbols;
}

ModemChannel modemReceiverChannel(const ModemSession& session, int receiver)
{
    const std::vector<ModemChannel> group = session.downstreamGroup();
    if (receiver >= 0 && receiver < static_cast<int>(group.size()))
        return group[static_cast<size_t>(receiver)];
    ModemChannel none;
    none.present = false;
    return none;
}

std::string modemPhyReport(const ModemSession& session, int receiver)
{
    const ModemChannel c = modemReceiverChannel(session, receiver);
    const bool locked = receiverLocked(session, c);
    const char* lock = locked ? "YES" : "NO";
    const bool annexA = c.annex == 'A';
    // "power" closes the report: the instrument waits for that word.
    return "Current PHY status\n" + formatText("RF freq: %.2f\n", c.present ? c.centreHz / 1e6 : 0.0)
        + formatText("Qam mode : %d\n", c.qamOrder) + formatText("Annex: ANNEX-%c\n", c.annex)
        + formatText("MSE: %.1f\n", locked ? -c.merDb : 0.0) + "Energy backoff: 0.0\n"
        + formatText("interleaver depth I=%d, J=%d\n", annexA ? 12 : 128, annexA ? 17 : 1)
        + formatText("QAM Lock: %s\nFEC lock: %s\nMPEG lock: %s\n", lock, lock, lock)
        + formatText("Carrier offset (Hz): %.1f\n", locked ? 1200.0 : 0.0)
        + formatText("power dBmV: %.1f\n", c.present ? c.powerDbmv : 0.0);
}

std::string modemBerReport(const ModemSession& session, int receiver)
{
    const ModemChannel c = modemReceiverChannel(session, receiver);
    const bool locked = receiverLocked(session, c);
    const double pre = locked ? preFecErrors(c.merDb) : 0.0;
    const double post = locked ? postFecErrors(c.merDb) : 0.0;
    // No "1" may come between the heading and the data row, which starts with one.
    return formatText("Pre.BER Post.BER\n1 %d %g %g\n", locked ? 10 : 0, pre, post);
}

std::string modemUpstreamReport(const ModemSession& session)
{
    const bool ranged = session.registrationStage() >= kModemRanged;
    const std::vector<DocsisUpstream> scQam = session.plan().of(DocsisUpstream::Kind::ScQam);
    std::string lines[5] = {"Frequency:", "Symbol rate:", "modulation:", "power:", "Upstream:"};
    for (int i = 0; i < kModemUpstreamChannels; ++i) {
        const bool used = ranged && i < static_cast<int>(scQam.size());
        const DocsisUpstream u = used ? scQam[static_cast<size_t>(i)] : DocsisUpstream{};
        lines[0] += formatText(" %8.2f", used ? u.frequencyHz / 1e6 : 0.0);
        lines[1] += formatText(" %8d", used ? u.symbolRateKsym : 0);
        lines[2] += formatText(" %8s", used ? modulationWord(u.qamOrder).c_str() : "ERR");
        lines[3] += formatText(" %8.1f", used ? u.levelDbmv : -1.0);
        lines[4] += formatText(" %8d", used ? u.channelId : 0);
    }
    // The channel ids come last: the instrument waits for their label.
    std::string report;
    for (const std::string& line : lines)
        report += line + "\n";
    return report;
}

std::string modemIqDump(const ModemSession& session, int receiver)
{
    const ModemChannel c = modemReceiverChannel(session, receiver);
    if (!receiverLocked(session, c))
        return "No lock on receiver\n";
    std::string dump;
    int n = 0;
    for (const auto& [i, q] : modemQamSymbols(c.qamOrder, c.merDb, 64, 240.0, static_cast<uint32_t>(session.nowMs))) {
        const int pi = std::max(-256, std::min(255, static_cast<int>(std::lround(i))));
        const int pq = std::max(-256, std::min(255, static_cast<int>(std::lround(q))));
        dump += formatText("(%d,%d)%s", pi, pq, ++n % 8 == 0 ? "\n" : " ");
    }
    return dump;
}

std::string modemIpReport(const ModemSession& session)
{
    const bool leased = session.registrationStage() >= kModemDhcpDone;
    const DocsisServices s = session.plan().services;
    auto address = [leased](const std::string& a) { return leased ? a.c_str() : "0.0.0.0"; };
    return "CM IPv4 information:\n" + formatText(" IP Address = %s\n", address(s.modemIp))
        + formatText(" Subnet Mask = %s\n", address(s.mask)) + formatText(" Default Gateway = %s\n", address(s.gateway))
        + formatText(" DHCP Server = %s\n", address(s.dhcp)) + formatText(" LOG Server = %s\n", address(s.log))
        + formatText(" TFTP Server = %s\n", address(s.tftp)) + formatText(" ToD Server = %s\n", address(s.tod))
        + formatText(" Physical Address = %s\n", kModemMacAddress)
        + formatText(" Setting (*) CM TFTP Boot file: %s\n", leased ? s.configFile.c_str() : "---");
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
    return formatText("Filename in sector 1->%s\nFilename in sector 2->fw_2_9_8.bin\n", kModemFirmwareFile);
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
