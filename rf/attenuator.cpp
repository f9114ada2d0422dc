#include "attenuator.h"

#include "calibracionRF.h"
#include "chainStateRecord.h"
#include "frontEndLines.h"
#include "levelConversion.h"

#include "common/BoardWiring.h"
#include "hw/delay.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kMaxAttenuation = 70;
constexpr int kWindowLow = 370;  // 37.0 dBµV at the detector
constexpr int kWindowHigh = 500; // 50.0 dBµV
constexpr int kJumpLimit = 200;
constexpr int kRangingReadings = 9;
constexpr int kIqReadings = 70;
constexpr int kIqTolerance = 50;
using wiring::max11337::kPeakChannel;

struct Split {
    bool bypassPad; // ATT0 "1": the 20 dB pad is out
    int a;
    int b;
};

Split split(int a)
{
    if (a < 10)
        return {true, a, 0};
    if (a < 20)
        return {true, a - 10, 10};
    if (a < 40)
        return {true, a - 20, 20};
    if (a < kMaxAttenuation)
        return {false, a - 40, 20};
    return {false, 20, 30};
}

int detectorChannel(int detector)
{
    switch (detector) {
    case DETECTOR_PEAK_MEAN:
        return MAX11337::kPeakMean;
    case DETECTOR_POWER_METER:
        return wiring::max11337::kPowerMeterChannel;
    case DETECTOR_OPTICAL_METER:
        return wiring::max11337::kOpticalChannel;
    default:
        return kPeakChannel;
    }
}

int acquire()
{
    const int raw = getLecturaConversorRF(detectorChannel(getDetector()));
    setNivellConversor(raw);
    return raw;
}

// n burst conversions of a channel, each kept to its 12 data bits.
std::vector<int> burst(int channel, int n)
{
    MAX11337* adc = rfchain::frontEnd().converter;
    std::vector<unsigned long> frames(static_cast<size_t>(n), 0);
    std::vector<int> values;
    if (!adc)
        return values;
    const int got = adc->getArrayValue(channel, n, frames.data());
    for (int i = 0; i < got; ++i)
        values.push_back(static_cast<int>(frames[static_cast<size_t>(i)] & wiring::max11337::kDataMask));
    return values;
}

} // namespace

int setAtenuador(int a, bool force)
{
    a = std::clamp(a, 0, kMaxAttenuation);
    rfchain::ChainState& st = rfchain::state();
    if (!force && a == st.attenuation)
        return 0;
    const Split s = split(a);
    rfchain::writeLine(rfchain::ATT0, s.bypassPad);
    rfchain::FrontEnd& fe = rfchain::frontEnd();
    if (fe.attA)
        fe.attA->setValue(static_cast<unsigned char>(s.a));
    if (fe.attB)
        fe.attB->setValue(static_cast<unsigned char>(s.b));
    st.attenuation = a;
    return 0;
}

void nextAtenuador(int* a) { *a = std::min((*a / 10 + 1) * 10, kMaxAttenuation); }

void prevAtenuador(int* a) { *a = std::max((*a / 10 - 1) * 10, 0); }

int getValorSeguentAtt(int level)
{
    const int base = getAtenuador() / 10 * 10;
    if (level > kWindowHigh)
        return std::min(base + 10, kMaxAttenuation);
    if (level >= kWindowLow)
        return base;
    return std::max(base - 10, 0);
}

void ajustarAtenuador()
{
    const int saved = getDetector();
    setDetector(DETECTOR_PEAK_MAX);
    setAtenuador(getAtenuador(), true);
    // Never set before (-1) becomes 0 dB above; range from what the hardware has.
    int current = getAtenuador();
    int previous = 0;
    int level = 0;
    bool settled = false;
    for (int i = 0; i < kRangingReadings && !settled; ++i) {
        int raw = 0;
        adquisicio(0, &raw, 0);
        level = convertirPasosdBuV(raw);
        if (level <= kWindowHigh && current == 0) {
            settled = true;
        } else if (level >= kWindowLow && current == kMaxAttenuation) {
            setDetector(saved);
            return;
        } else if (level >= kWindowLow && level <= kWindowHigh) {
            settled = true;
        } else {
            current = getValorSeguentAtt(level);
            previous = level;
            setAtenuador(current, true);
        }
    }
    if (settled && std::abs(level - previous) > kJumpLimit) {
        nextAtenuador(&current);
        setAtenuador(current, true);
    }
    setDetector(saved);
}

int ajustarAtenuador_IQ()
{
    const int target = getOptimasContesIQ();
    int current = kMaxAttenuation;
    setAtenuador(current, true);
    int raw = 0;
    for (int i = 0; i < kIqReadings; ++i) {
        adquisicio(0, &raw, 0);
        const int d = target - raw;
        if (d >= -kIqTolerance && d <= kIqTolerance)
            return raw;
        if (d > kIqTolerance && current > 0)
            setAtenuador(--current, true);
        else if (d < -kIqTolerance && current < kMaxAttenuation)
            setAtenuador(++current, true);
    }
    return raw;
}

int getLecturaConversorRF(int channel)
{
    MAX11337* adc = rfchain::frontEnd().converter;
    return adc ? adc->getLecturaConversorAD(channel) : -1;
}

int adquisicio(int, int* raw, int)
{
    *raw = acquire();
    return *raw < 0 ? -1 : 0;
}

int adquisicio_fast(int* raw)
{
    *raw = acquire();
    return *raw < 0 ? -1 : 0;
}

int adquisicio_media(int n)
{
    if (n < 1)
        return 0;
    long long sum = 0;
    for (int i = 0; i < n; ++i)
        sum += acquire();
    return static_cast<int>(sum / n);
}

int adquisicio_minima(int n)
{
    int smallest = INT_MAX;
    for (int i = 0; i < n; ++i)
        smallest = std::min(smallest, acquire());
    return smallest;
}

int adquisicio_media_rapida(int channel)
{
    const std::vector<int> v = burst(channel, 100);
    long long sum = 0;
    for (int x : v)
        sum += x;
    return static_cast<int>(sum / 100);
}

int adquisicio_minima_rapida()
{
    const std::vector<int> v = burst(kPeakChannel, 100);
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

int adquisicio_maxima_rapida()
{
    const std::vector<int> v = burst(kPeakChannel, 50);
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

void programaTrack(int state)
{
    if (state == 0 || state == 1)
        rfchain::writeLine(rfchain::TRACK, state == 1);
}

void resetTrack()
{
    rfchain::writeLine(rfchain::TRACK, false);
    rfchain::writeLine(rfchain::TRACK, true);
}

void resetTrack(int ms)
{
    rfchain::writeLine(rfchain::TRACK, false);
    if (ms > 0)
        delay(ms);
    rfchain::writeLine(rfchain::TRACK, true);
}
