// What the cable network's DOCSIS head end gives a modem besides the downstream signals on
// the cable: the upstream channels it assigns (5 to 85 MHz, sent by the modem, so never on
// the instrument's input) with the levels it asks for, whether it forwards the modem's
// traffic, and the addresses its servers hand out. The defaults are the typical network's.
#pragma once

#include <string>
#include <vector>

namespace platform::sim {

struct DocsisUpstream {
    enum class Kind { ScQam, Ofdma };
    Kind kind = Kind::ScQam;
    double frequencyHz = 0;   // SC-QAM: the centre; OFDMA: subcarrier 0
    double bandwidthHz = 0;   // SC-QAM: symbol rate x 1.25; OFDMA: occupied width
    int symbolRateKsym = 0;   // SC-QAM only
    int qamOrder = 64;        // SC-QAM only
    int fftSize = 2048;       // OFDMA only
    double speedBitsPerS = 0; // OFDMA only
    double levelDbmv = 0;     // transmit level the head end asks for
    int channelId = 0;
};

struct DocsisServices {
    std::string modemIp = "10.1.2.3";
    std::string mask = "255.255.255.0";
    std::string gateway = "10.1.2.1";
    std::string dhcp = "10.0.0.1";
    std::string tftp = "10.0.0.2";
    std::string tod = "10.0.0.3";
    std::string log = "0.0.0.0";
    std::string configFile = "cm_config.cfg";
};

struct DocsisPlan {
    // Two SC-QAM upstream channels of a bonding group and one OFDMA channel above them.
    std::vector<DocsisUpstream> upstreams = {
        {DocsisUpstream::Kind::ScQam, 36.5e6, 6.4e6, 5120, 64, 0, 0, 45.5, 1},
        {DocsisUpstream::Kind::ScQam, 30.1e6, 6.4e6, 5120, 64, 0, 0, 44.0, 2},
        {DocsisUpstream::Kind::Ofdma, 44.0e6, 20.0e6, 0, 0, 2048, 100e6, 42.0, 9},
    };
    bool forwardingDisabled = false;
    DocsisServices services;

    std::vector<DocsisUpstream> of(DocsisUpstream::Kind kind) const
    {
        std::vector<DocsisUpstream> out;
        for (const DocsisUpstream& u : upstreams) {
            if (u.kind == kind)
                out.push_back(u);
        }
        return out;
    }
};

} // namespace platform::sim
