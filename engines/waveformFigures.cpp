#include "waveformFigures.h"

#include <algorithm>
#include <cmath>

namespace rfengine {

namespace {

constexpr int kHumMeanLength = 15;
constexpr double kHumPercentPerStep = 0.036;
constexpr int kVoltageZeroSteps = 2036;
constexpr double kDcDecivoltsPerStep = 87.3 / 100;
constexpr double kAcDecivoltsPerStep = 30.86 / 100;

} // namespace

float humPercent(const std::vector<int>& samples)
{
    const int n = static_cast<int>(samples.size());
    if (n <= kHumMeanLength)
        return static_cast<float>(UNMEASURED);
    int highest = 0;
    int lowest = 0;
    // The means that start at samples 0 to n - 16, as the hum detector's filter takes them.
    for (int start = 0; start + kHumMeanLength < n; ++start) {
        int sum = 0;
        for (int j = 0; j < kHumMeanLength; ++j)
            sum += samples[static_cast<size_t>(start + j)];
        const int mean = sum / kHumMeanLength;
        highest = start == 0 ? mean : std::max(highest, mean);
        lowest = start == 0 ? mean : std::min(lowest, mean);
    }
    return static_cast<float>((highest - lowest) * kHumPercentPerStep);
}

InputVoltage inputVoltage(const Samples& samples)
{
    InputVoltage out;
    const std::vector<int>& v = samples.values;
    if (v.empty() || samples.timesUs.size() != v.size())
        return out;
    long long sum = 0;
    for (int x : v)
        sum += x;
    const int mean = static_cast<int>(sum / static_cast<long long>(v.size()));
    const auto [lowest, highest] = std::minmax_element(v.begin(), v.end());
    out.dc = static_cast<int>((mean - kVoltageZeroSteps) * kDcDecivoltsPerStep);
    out.ac = static_cast<int>((*highest - *lowest) * kAcDecivoltsPerStep);

    // A new run starts where a sample falls on the other side of the mean (below it, or at
    // or above it): that sample's time is the crossing's.
    int crossings = 0;
    uint64_t first = 0, last = 0;
    for (size_t i = 1; i < v.size(); ++i) {
        if ((v[i] < mean) == (v[i - 1] < mean))
            continue;
        if (crossings++ == 0)
            first = samples.timesUs[i];
        last = samples.timesUs[i];
    }
    out.hz = 0;
    if (crossings >= 2 && last > first)
        out.hz = static_cast<int>(std::lround((crossings - 1) * 1e6 / (2.0 * static_cast<double>(last - first))));
    return out;
}

} // namespace rfengine
