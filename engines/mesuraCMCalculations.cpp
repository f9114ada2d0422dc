// The figures the DOCSIS 3.1 screens show, computed from the modem's per-subcarrier
// values and subcarrier ranges: running MER statistics, the response's spread, the OFDM
// bandwidth, and the bits per symbol of a modulation text.
#include "mesuraCM.h"

#include "cablemodem/modemDecoders31.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float kNoValue = -2147483648.0f;
constexpr int kPercentileWindow = 200;
} // namespace

int MesuraCM::getBitsSymbol_from_string(QString text) { return bitsPerSymbolOfText(text); }

float MesuraCM::CalculStdDevMer(bool reset, float mer)
{
    if (reset) {
        mer_.mean = mer;
        mer_.count = 1;
        mer_.deviation = 0;
        return 0;
    }
    const double n = mer_.count + 1.0;
    const double d = mer - mer_.mean;
    const double variance = mer_.count * mer_.deviation * mer_.deviation / n + mer_.count * d * d / (n * n);
    mer_.deviation = std::sqrt(variance);
    mer_.mean = (mer + mer_.count * mer_.mean) / n;
    ++mer_.count;
    return static_cast<float>(mer_.deviation);
}

float MesuraCM::CalculPctlMer(bool reset, float value)
{
    if (reset) {
        mer_.stored = 0;
        if (value > kPercentileWindow)
            return -1;
        mer_.size = std::max(0, static_cast<int>(value));
        std::fill(std::begin(mer_.window), std::end(mer_.window), kNoValue);
        return 0;
    }
    // The window keeps the smallest values seen; its largest is the percentile.
    const float* begin = mer_.window;
    const float* end = mer_.window + mer_.stored;
    const float* largest = std::max_element(begin, end);
    const float m = largest == end ? kNoValue : *largest;
    if (mer_.stored < mer_.size) {
        mer_.window[mer_.stored++] = value;
        return std::max(value, m);
    }
    if (largest == end || !(value < m))
        return m;
    mer_.window[largest - begin] = value;
    return *std::max_element(begin, end);
}

float MesuraCM::CalculICFR(bool reset, float value)
{
    if (reset) {
        mer_.largest = -2147483648.0;
        mer_.smallest = 2147483648.0;
        return 0;
    }
    mer_.smallest = std::min<double>(mer_.smallest, value);
    mer_.largest = std::max<double>(mer_.largest, value);
    return static_cast<float>(mer_.largest - mer_.smallest);
}

QString MesuraCM::calculoBandwidthOFDM_3_1(QString first, QString last) { return ofdmBandwidthText(first, last); }
