#include "Constellation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::sim {

namespace {
constexpr double kPi = 3.14159265358979323846;

// Odd levels -(side-1) .. (side-1) on each axis; cross constellations drop from each
// corner the square of cornerCut x cornerCut points.
std::vector<IqPoint> squareGrid(int side, int cornerCut)
{
    std::vector<IqPoint> points;
    const int limit = side - 1 - 2 * cornerCut; // largest coordinate allowed in both axes at once
    for (int i = -(side - 1); i <= side - 1; i += 2)
        for (int q = -(side - 1); q <= side - 1; q += 2)
            if (cornerCut == 0 || std::abs(i) <= limit || std::abs(q) <= limit)
                points.emplace_back(i, q);
    return points;
}

std::vector<IqPoint> circle(int count, double radius, double phase)
{
    std::vector<IqPoint> points;
    for (int k = 0; k < count; ++k)
        points.push_back(std::polar(radius, phase + 2 * kPi * k / count));
    return points;
}
} // namespace

ConstellationGrid ConstellationGrid::of(Modulation m)
{
    ConstellationGrid g;
    switch (m) {
    case Modulation::Qpsk:
    case Modulation::Dqpsk:
        g.points_ = squareGrid(2, 0);
        break;
    case Modulation::Psk8:
        g.points_ = circle(8, std::sqrt(2.0), kPi / 4);
        break;
    case Modulation::Qam16:
        g.points_ = squareGrid(4, 0);
        break;
    // Cross constellations: 32 = 6x6 less 4 corners, 128 = 12x12 less 16 corners.
    case Modulation::Qam32:
        g.points_ = squareGrid(6, 1);
        break;
    case Modulation::Qam64:
        g.points_ = squareGrid(8, 0);
        break;
    case Modulation::Qam128:
        g.points_ = squareGrid(12, 2);
        break;
    case Modulation::Qam256:
        g.points_ = squareGrid(16, 0);
        break;
    case Modulation::Qam1024:
        g.points_ = squareGrid(32, 0);
        break;
    case Modulation::Qam4096:
        g.points_ = squareGrid(64, 0);
        break;
    case Modulation::Apsk16:
    case Modulation::Apsk32:
    case Modulation::Unknown:
        break;
    }
    return g;
}

ConstellationGrid ConstellationGrid::apsk(const std::vector<std::pair<int, double>>& rings)
{
    ConstellationGrid g;
    for (const auto& ring : rings)
        for (const IqPoint& p : circle(ring.first, ring.second, kPi / ring.first))
            g.points_.push_back(p);
    return g;
}

double ConstellationGrid::averagePower() const
{
    if (points_.empty())
        return 0;
    double sum = 0;
    for (const IqPoint& p : points_)
        sum += std::norm(p);
    return sum / points_.size();
}

double ConstellationGrid::peakAxis() const
{
    double peak = 0;
    for (const IqPoint& p : points_)
        peak = std::max({peak, std::abs(p.real()), std::abs(p.imag())});
    return peak;
}

IqPoint ConstellationGrid::nearest(IqPoint p) const
{
    IqPoint best;
    double bestDistance = std::numeric_limits<double>::max();
    for (const IqPoint& candidate : points_) {
        const double d = std::norm(candidate - p);
        if (d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    }
    return best;
}

void ConstellationSource::setGrid(ConstellationGrid grid, double merDb)
{
    grid_ = std::move(grid);
    // Complex noise power = mean symbol power / MER, split over the two axes.
    noiseSigma_ = std::sqrt(grid_.averagePower() * std::pow(10.0, -merDb / 10.0) / 2.0);
}

double ConstellationSource::uniform()
{
    return (static_cast<double>(random_()) + 0.5) / 4294967296.0;
}

double ConstellationSource::gaussian()
{
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    const double radius = std::sqrt(-2.0 * std::log(uniform()));
    const double angle = 2 * kPi * uniform();
    spare_ = radius * std::sin(angle);
    hasSpare_ = true;
    return radius * std::cos(angle);
}

ConstellationSource::Sample ConstellationSource::next()
{
    if (grid_.empty())
        return {};
    const IqPoint ideal = grid_.points()[random_() % grid_.points().size()];
    const double i = gaussian() * noiseSigma_;
    const double q = gaussian() * noiseSigma_;
    return {ideal, ideal + IqPoint(i, q)};
}

double ConstellationSource::merDb(const std::vector<Sample>& samples)
{
    double signal = 0;
    double error = 0;
    for (const Sample& s : samples) {
        signal += std::norm(s.ideal);
        error += std::norm(s.received - s.ideal);
    }
    return error > 0 ? 10.0 * std::log10(signal / error) : std::numeric_limits<double>::infinity();
}

double uncodedBer(Modulation m, double merDb)
{
    const double snr = std::pow(10.0, merDb / 10.0);
    const int bits = bitsPerSymbol(m);
    auto q = [](double x) { return 0.5 * std::erfc(x / std::sqrt(2.0)); };
    switch (m) {
    case Modulation::Qpsk:
    case Modulation::Dqpsk:
    case Modulation::Psk8:
        return 2.0 / bits * q(std::sqrt(2.0 * snr) * std::sin(kPi / (1 << bits)));
    case Modulation::Qam16:
    case Modulation::Qam32:
    case Modulation::Qam64:
    case Modulation::Qam128:
    case Modulation::Qam256:
    case Modulation::Qam1024:
    case Modulation::Qam4096: {
        const double points = double(1 << bits);
        return 4.0 / bits * (1 - 1 / std::sqrt(points)) * q(std::sqrt(3 * snr / (points - 1)));
    }
    case Modulation::Apsk16:
    case Modulation::Apsk32:
    case Modulation::Unknown:
        break;
    }
    return 0;
}

} // namespace platform::sim
