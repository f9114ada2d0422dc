// The demodulator's DiSEqC engine (SLVT bank 0xBB), whatever standard runs: a start sends
// the programmed message(s) and tone burst on the 22 kHz line at DiSEqC speed (a byte of
// nine bits of 1.5 ms), the status going 1 (idle before sending), 2 (sending), 3 (waiting
// for a reply) and 0 over the board's time; a peer on the line (the test's outdoor unit)
// sees every sending and may answer it.
#pragma once

#include "DemodStandard.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace platform::sim {

namespace diseqc {
constexpr uint8_t kBank = 0xBB;
constexpr uint8_t kStatus = 0x10;
constexpr uint8_t kReplyStatus = 0x11; // 8: reply received
constexpr uint8_t kReplyLength = 0x12;
constexpr uint8_t kReplyData = 0x13;
constexpr uint8_t kStart = 0x32;
constexpr uint8_t kTone = 0x36;
constexpr uint8_t kReplyReceived = 0x08;
constexpr uint8_t kReplyTimedOut = 0x01;
constexpr uint8_t kReplyRefused = 0x02; // framing byte outside the reply mask
} // namespace diseqc

// One start of the engine as the line saw it.
struct DiseqcSending {
    std::vector<uint8_t> message;
    int repeats = 0;
    std::vector<uint8_t> message2;
    int repeats2 = 0;
    int toneBurst = 0;       // 0 none, 1 or 2
    bool replyExpected = false;
    uint64_t startUs = 0;
};

class DiseqcBlock {
public:
    // Answers a message sent on the line; no value: no reply.
    using Peer = std::function<std::optional<std::vector<uint8_t>>(const std::vector<uint8_t>& message)>;

    void setPeer(Peer peer) { peer_ = std::move(peer); }
    const std::vector<DiseqcSending>& sendings() const { return sendings_; }
    // The continuous tone, while the engine is on.
    bool toneOn(const DemodContext& chip) const;

    void onWrite(DemodContext& chip, uint8_t reg, uint8_t value);
    // Brings the status and the reply registers up to now before a read.
    void onRead(DemodContext& chip, uint8_t reg);

private:
    static bool enabled(const DemodContext& chip);
    void start(DemodContext& chip);

    Peer peer_;
    std::vector<DiseqcSending> sendings_;
    bool busy_ = false;
    uint64_t sendingUs_ = 0;  // status 2 from here
    uint64_t waitingUs_ = 0;  // status 3 from here
    uint64_t endUs_ = 0;      // status 0 from here
    std::optional<std::vector<uint8_t>> reply_;
};

} // namespace platform::sim
