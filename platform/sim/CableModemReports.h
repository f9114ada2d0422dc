// The report texts of the simulated cable modem: the DOCSIS 3.0 PHY, BER, upstream and
// constellation reports, the IP, identity and mode reports, built from the session's
// registration state and what the network offers. Lines end with "\n"; the model adds the
// prompt.
#pragma once

#include "CableModemReplies.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace platform::sim {

// The modem's addresses as its reports print them.
constexpr const char* kModemMacAddress = "00:1A:2B:3C:4D:5E";
constexpr const char* kModemFirmwareFile = "fw_3_0_1.bin";

// "phy N": the receiver's channel, or a zero frequency for a receiver with none.
std::string modemPhyReport(const ModemSession& session, int receiver);
// "berstatus N 3": errors before and after the FEC, none on a clean channel.
std::string modemBerReport(const ModemSession& session, int receiver);
// "upshow": four upstream columns, the head end's SC-QAM channels in use once ranging is
// complete.
std::string modemUpstreamReport(const ModemSession& session);
// "iqdump N 1": 64 received symbols "(I,Q)" of the receiver's channel, -256..255 each.
std::string modemIqDump(const ModemSession& session, int receiver);
// "ip", "ipcable": the addresses, all zero before DHCP has completed.
std::string modemIpReport(const ModemSession& session);
std::string modemMacReport();
std::string modemFirmwareReport();
std::string modemDocsisModeReport(const ModemSession& session);
std::string modemVendorReport();

// Helpers of both generations' reports.
// The receiver's channel of the bonding group, or one not present.
ModemChannel modemReceiverChannel(const ModemSession& session, int receiver);
// count received symbols of a square QAM with the given order: the ideal points spread over
// +-outer, with the noise of the MER added (repeatable: the seed picks the sequence).
std::vector<std::pair<double, double>> modemQamSymbols(int qamOrder, double merDb, int count, double outer,
                                                       uint32_t seed);
// Repeatable noise: a deterministic value of n, uniform in [0, 1).
double modemUniform(uint32_t n);

template <typename... Args>
std::string formatText(const char* pattern, Args... args)
{
    // Report lines are short; a longer one is cut.
    char text[512];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

} // namespace platform::sim
