// What a digital channel of the RF scene carries beyond its level: the parameters a
// demodulator model presents once it locks (symbol rate, modulation, code rate, error
// rates, signalling, PLPs, how fast it locks). Fields left at their defaults take the
// standard's usual values, filled in by the standard's demodulator behaviour, so scenes
// built only for levels keep working.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform::sim {

// The standard names a scene carrier gives in SceneCarrier::standard.
namespace standard {
constexpr const char* kDvbC = "DVB-C";
constexpr const char* kJ83B = "J83B";
constexpr const char* kDvbC2 = "DVB-C2";
constexpr const char* kDvbT = "DVB-T";
constexpr const char* kDvbT2 = "DVB-T2";
constexpr const char* kIsdbT = "ISDB-T";
constexpr const char* kDvbS = "DVB-S";
constexpr const char* kDvbS2 = "DVB-S2";
// DOCSIS 3.0 downstream channels of the typical network are J.83 Annex A, which a DVB-C
// demodulator receives.
constexpr const char* kDocsis30 = "DOCSIS30";
} // namespace standard

enum class Modulation {
    Unknown, // the standard's usual one
    Qpsk,
    Dqpsk,
    Psk8,
    Apsk16,
    Apsk32,
    Qam16,
    Qam32,
    Qam64,
    Qam128,
    Qam256,
    Qam1024,
    Qam4096,
};

int bitsPerSymbol(Modulation m);
const char* modulationName(Modulation m);

// Times from the start of an acquisition (the demodulator's soft reset). 0 takes the
// standard's own value; kNever keeps that stage from ever coming.
struct LockTimeline {
    static constexpr uint32_t kNever = 0xFFFFFFFFu;
    uint32_t demodLockMs = 0; // carrier and symbol recovery (AR lock, sync state locked)
    uint32_t tsLockMs = 0;    // transport stream lock
    uint32_t unlockMs = 0;    // no receivable signal: the chip gives up ("unlock detected")
};

// One physical-layer pipe (DVB-T2, DVB-C2) or data slice member.
struct DigitalPlp {
    int id = 0;
    Modulation modulation = Modulation::Unknown;
    std::string codeRate; // "2/3"; empty: the standard's usual
    int dataSlice = 0;    // DVB-C2 only
};

// One hierarchical layer of an ISDB-T channel: its segments of the 13 and how they are coded.
struct DigitalLayer {
    int segments = 0;
    Modulation modulation = Modulation::Unknown;
    std::string codeRate; // "3/4"
    int interleave = 0;   // the TMCC's time-interleaving code, 0..3
};

struct DigitalChannel {
    double symbolRateBd = 0;      // single-carrier standards; 0: the standard's usual
    Modulation modulation = Modulation::Unknown;
    std::string codeRate;         // "3/4"; empty: the standard's usual
    // Bit error ratio before the outer decoder (Reed-Solomon or BCH); negative: follows from
    // the MER and the modulation.
    double preBer = -1;
    double postBer = 0;           // after the inner decoder
    double packetErrorRate = 0;   // transport packets in error after all decoding
    bool spectrumInverted = false; // as transmitted
    int fftSize = 0;              // OFDM: 2048, 8192 ...; 0: the standard's usual
    std::string guardInterval;    // OFDM: "1/8"
    bool pilots = false;          // DVB-S2
    std::vector<DigitalPlp> plps; // DVB-T2, DVB-C2
    std::vector<DigitalLayer> layers; // ISDB-T: layers A, B and C in order
    LockTimeline timeline;
    // Whatever else a standard's signalling needs ("cellId", "hierarchy", "rolloff%" ...),
    // named by the standard's behaviour that reads it.
    std::map<std::string, int64_t> signalling;
};

} // namespace platform::sim
