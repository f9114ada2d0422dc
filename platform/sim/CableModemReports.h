// The report texts of the simulated cable modem: the DOCSIS 3.0 PHY, BER and upstream
// reports, the IP, identity and mode reports, built from the session's registration state
// and the channels the network offers. Lines end with "\n"; the model adds the prompt.
#pragma once

#include "CableModemReplies.h"

#include <string>

namespace platform::sim {

// The modem's addresses as its reports print them.
constexpr const char* kModemMacAddress = "00:1A:2B:3C:4D:5E";
constexpr const char* kModemFirmwareFile = "fw_3_0_1.bin";

// "phy N": the receiver's channel, or a zero frequency for a receiver with none.
std::string modemPhyReport(const ModemSession& session, int receiver);
// "berstatus N 3": errors before and after the FEC, none on a clean channel.
std::string modemBerReport(const ModemSession& session, int receiver);
// "upshow": four upstream columns, two of them in use once ranging is complete.
std::string modemUpstreamReport(const ModemSession& session);
// "ip", "ipcable": the addresses, all zero before DHCP has completed.
std::string modemIpReport(const ModemSession& session);
std::string modemMacReport();
std::string modemFirmwareReport();
std::string modemDocsisModeReport(const ModemSession& session);
std::string modemVendorReport();

} // namespace platform::sim
