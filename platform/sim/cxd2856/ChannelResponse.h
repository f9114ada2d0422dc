// The channel response the terrestrial demodulators' analysis unit measures in its
// channel-response mode (bank 0x11 or 0x21, register 0xC3 = 1): one power word per point of
// the delay axis, the direct path at point 0, the scene carrier's echoes where its signalling
// puts them ("echo<n>Point" and "echo<n>Db", n = 0..3, the level below the direct path), and
// a floor as far below the direct path as the carrier's MER.
#pragma once

#include "DemodStandard.h"

#include <cstdint>

namespace platform::sim {

namespace channelresponse {
constexpr uint8_t kMode = 0xC3;  // bit 0: channel response instead of points
constexpr uint32_t kDirectPathWord = 1u << 20;
} // namespace channelresponse

// The power word of one point; 0 without a carrier.
uint32_t channelResponseWord(const SceneCarrier* carrier, uint32_t point, std::mt19937& random);

// Answers a read of 0x9B in the analysis bank while it is in channel-response mode: the word
// of the point written at 0x98-0x99, split over bytes 1-6, ready (bit 6 of byte 0) while
// locked. False when the bank is not in that mode.
bool readChannelResponse(DemodContext& chip, uint8_t bank, uint8_t* value, bool locked);

} // namespace platform::sim
