// Constellation samples for the demodulator models: the ideal points of a modulation and
// received points with white Gaussian noise at a chosen MER, drawn from a seeded
// generator so that a test sees the same samples on every run. Points are in grid
// units: square and cross QAM on odd integers (±1, ±3 ...), PSK on a circle through
// (1, 1), APSK on rings whose radii the caller gives. A standard scales them to its
// register units with peakAxis() (the chip's "outermost point" scale).
#pragma once

#include "platform/sim/DigitalChannel.h"

#include <complex>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace platform::sim {

using IqPoint = std::complex<double>;

class ConstellationGrid {
public:
    ConstellationGrid() = default;
    // QPSK, DQPSK, 8PSK and every QAM; APSK needs its rings (apsk()), other values give
    // an empty grid.
    static ConstellationGrid of(Modulation m);
    // Rings from the inside out as {points on the ring, radius}; the first point of each
    // ring sits at pi / points (as DVB-S2 places them).
    static ConstellationGrid apsk(const std::vector<std::pair<int, double>>& rings);

    const std::vector<IqPoint>& points() const { return points_; }
    bool empty() const { return points_.empty(); }
    double averagePower() const;
    // The largest |I| or |Q| of an ideal point.
    double peakAxis() const;
    IqPoint nearest(IqPoint p) const;

private:
    std::vector<IqPoint> points_;
};

// Uniform symbols of a grid plus complex Gaussian noise whose power is the grid's mean
// power divided by the MER.
class ConstellationSource {
public:
    struct Sample {
        IqPoint ideal;
        IqPoint received;
    };

    explicit ConstellationSource(uint32_t seed = 1) : random_(seed) {}
    void reseed(uint32_t seed) { random_.seed(seed); }
    void setGrid(ConstellationGrid grid, double merDb);
    const ConstellationGrid& grid() const { return grid_; }
    Sample next();
    // Zero-mean, unit-variance Gaussian value (Box-Muller on the generator's own bits, so
    // that the sequence is the same with any standard library).
    double gaussian();

    // The MER of received samples against their ideal points, in dB.
    static double merDb(const std::vector<Sample>& samples);

private:
    double uniform(); // (0, 1)

    std::mt19937 random_;
    ConstellationGrid grid_;
    double noiseSigma_ = 0; // per axis
    bool hasSpare_ = false;
    double spare_ = 0;
};

// Bit error ratio of a modulation in white Gaussian noise at the given MER, before any
// decoding (Gray-coded QAM and PSK; 0 for what it does not cover). Scenes that leave the
// error ratio open get this.
double uncodedBer(Modulation m, double merDb);

} // namespace platform::sim
