#include "SatellitePowerScan.h"

#include <algorithm>
#include <cmath>

namespace platform::sim::satellite {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kNoiseReferenceHz = 157500.0;

double linear(double db) { return std::pow(10.0, db / 10.0); }

// Raised-cosine power spectrum of a carrier of the given symbol rate, 1 in its flat part.
double raisedCosine(double offsetHz, double symbolRateBd, double alpha)
{
    const double x = std::abs(offsetHz) / symbolRateBd;
    if (x <= (1 - alpha) / 2)
        return 1;
    if (x >= (1 + alpha) / 2)
        return 0;
    return 0.5 * (1 + std::cos(kPi / alpha * (x - (1 - alpha) / 2)));
}
} // namespace

double Filter::noiseBandwidthHz() const
{
    return bin ? hz : hz * std::sqrt(2 * kPi);
}

double Filter::lineResponse(double offsetHz) const
{
    if (bin)
        return offsetHz >= -hz / 2 && offsetHz < hz / 2 ? 1 : 0;
    return std::exp(-offsetHz * offsetHz / (2 * hz * hz));
}

bool isSatellite(const SceneCarrier& carrier)
{
    return carrier.standard == standard::kDvbS || carrier.standard == standard::kDvbS2;
}

double rollOff(const SceneCarrier& carrier)
{
    const auto it = carrier.digital.signalling.find("rolloff%");
    return it != carrier.digital.signalling.end() && it->second > 0 ? it->second / 100.0 : kDefaultRollOff;
}

double powerOverNoise(const std::vector<SceneCarrier>& scene, double noiseFloorDbuV, double frequencyHz,
                      const Filter& filter)
{
    const double resolutionHz = filter.noiseBandwidthHz();
    const double noise = linear(noiseFloorDbuV) / kNoiseReferenceHz * resolutionHz;
    double power = 0;
    for (const SceneCarrier& c : scene) {
        const double offset = frequencyHz - c.frequencyHz;
        const double total = linear(c.levelDbuV);
        switch (c.kind) {
        case SceneCarrier::Kind::Cw:
        case SceneCarrier::Kind::Analogue:
            power += total * filter.lineResponse(offset);
            break;
        case SceneCarrier::Kind::Digital:
        case SceneCarrier::Kind::Ofdm:
            if (isSatellite(c)) {
                const double alpha = rollOff(c);
                const double rate =
                    c.digital.symbolRateBd > 0 ? c.digital.symbolRateBd : c.bandwidthHz / (1 + alpha);
                if (rate > 0)
                    power += total / rate * raisedCosine(offset, rate, alpha) * resolutionHz;
            } else if (c.bandwidthHz > 0 && std::abs(offset) <= c.bandwidthHz / 2) {
                power += total / c.bandwidthHz * resolutionHz;
            }
            break;
        }
    }
    return noise > 0 ? power / noise : 0;
}

uint16_t rawPower(const std::vector<SceneCarrier>& scene, double noiseFloorDbuV, double frequencyHz,
                  const Filter& filter)
{
    const double raw = kNoiseRaw * (1 + powerOverNoise(scene, noiseFloorDbuV, frequencyHz, filter));
    return uint16_t(std::clamp(std::lround(raw), 1L, 4095L));
}

} // namespace platform::sim::satellite
