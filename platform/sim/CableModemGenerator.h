// The simulated cable modem's upstream transmitter: the DOCSIS 3.1 modem's production test
// mode with its SC-QAM test carrier and OFDMA test burst, and what the modem puts on the
// upstream, read as physics (frequency, level, symbol rate, modulation) whichever modem and
// command set it.
#pragma once

#include <cstdint>
#include <string>

namespace platform::sim {

struct ModemSession;

// The production test settings as the modem keeps them (DOCSIS 3.1).
struct ModemGenerator {
    bool testMode = false;       // the shell's "testmode" has started it
    bool upstreamOn = false;     // SC-QAM: channel 0 transmits
    bool continuous = false;
    int modulation = 0;          // 1 QPSK, 2 8QAM, 3 16QAM, 4 32QAM, 5 64QAM
    int symbolUnits = 0;         // units of 160 ksym/s
    int gainDb = 0;
    int attenuationDb = 0;
    double frequencyMhz = 0;
    bool ofdmaOn = false;        // the OFDMA test burst runs
    uint64_t ofdmaSubcarrier0Hz = 0;
};

// What the modem transmits on the upstream now.
struct ModemUpstreamBurst {
    enum class Kind { None, ScQam, Ofdma };
    Kind kind = Kind::None;
    double frequencyHz = 0;  // SC-QAM: the carrier; OFDMA: subcarrier 0
    double levelDbuV = 0;    // SC-QAM
    int symbolRateKsps = 0;  // SC-QAM
    std::string modulation;  // SC-QAM: "QPSK", "8QAM", "16QAM", "32QAM", "64QAM"
};
ModemUpstreamBurst modemUpstreamBurst(const ModemSession& session);

// A boot ends the test mode and any transmission.
void resetTransmitterAtBoot(ModemSession& session);

} // namespace platform::sim
