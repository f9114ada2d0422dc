// What the demodulator's spectrum engine measures on the satellite input: the power of the
// scene's carriers through a resolution filter at one frequency, over the scene's noise
// floor. A sweep's points are bins as wide as its step (a CW line counts whole in the bin it
// falls in); a single point looks through a bell-shaped filter (sigma 150 kHz). DVB-S/S2
// carriers have the raised-cosine shape of their roll-off, other blocks are flat. The engine
// reports a 12-bit linear power on a fixed scale: the noise floor reads 8, so a carrier 27 dB
// above it fills the register. The front end's gain is fixed; the IF AGC only tells the input
// level.
#pragma once

#include "platform/sim/RfScene.h"

#include <cstdint>
#include <vector>

namespace platform::sim {

namespace satellite {
constexpr double kSinglePointSigmaHz = 150e3;

// The resolution filter: a bin of width Hz, or a bell of sigma Hz.
struct Filter {
    bool bin;
    double hz;
    double noiseBandwidthHz() const;
    double lineResponse(double offsetHz) const;
};
constexpr double kNoiseRaw = 8.0;
constexpr double kDefaultRollOff = 0.35;

// Roll-off of a satellite carrier (signalling "rolloff%": 35, 25 or 20).
double rollOff(const SceneCarrier& carrier);
bool isSatellite(const SceneCarrier& carrier);
// Carrier power through the filter at frequencyHz, relative to the noise through it.
double powerOverNoise(const std::vector<SceneCarrier>& scene, double noiseFloorDbuV, double frequencyHz,
                      const Filter& filter);
// The engine's 12-bit reading there.
uint16_t rawPower(const std::vector<SceneCarrier>& scene, double noiseFloorDbuV, double frequencyHz,
                  const Filter& filter);
} // namespace satellite

} // namespace platform::sim
