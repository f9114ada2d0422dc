#include "levelPrimitives.h"

#include "frontEndLines.h"
#include "ifFilters.h"
#include "mesuraRF.h"
#include "readingPoll.h"

#include "common/BoardWiring.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace rfchain {

namespace {
ReadingPoll& poll()
{
    static ReadingPoll p = nullptr;
    return p;
}
} // namespace

void setReadingPoll(ReadingPoll p) { poll() = p; }

bool readingInterrupted() { return poll() && poll()(); }

} // namespace rfchain

namespace {

constexpr int kBlockSamples = 50;
constexpr int kMeanLength = 10;
constexpr int kMeans = 40;
using wiring::max11337::kPeakChannel;

// Noise readings of an analogue channel, relative to the sound or the vision carrier.
struct NoiseRun {
    bool fromSound;
    int firstHz;
    int lastHz;
};
constexpr NoiseRun kAnalogueNoise[] = {
    {true, -850000, -460000},
    {false, 3200000, 2910000},
    {false, -1200000, -1690000},
};
constexpr int kNoiseStepHz = 10000;
constexpr unsigned int kAnalogueCorrectionEdgeHz = 90000000u;
constexpr int kCorrectionHigh = -110;
constexpr int kCorrectionLow = -90;
constexpr double kNoiseShare = 0.2; // of the bandwidth, on each side of a digital channel

constexpr int kNoiseLevelFloor = 600;
constexpr int kNoiseLevelTop = 1300;

std::vector<unsigned int> analogueNoiseFrequencies(unsigned int sound, unsigned int vision)
{
    std::vector<unsigned int> out;
    for (const NoiseRun& run : kAnalogueNoise) {
        const unsigned int base = run.fromSound ? sound : vision;
        const int step = run.lastHz > run.firstHz ? kNoiseStepHz : -kNoiseStepHz;
        for (int off = run.firstHz;; off += step) {
            out.push_back(base + static_cast<unsigned int>(off));
            if (off == run.lastHz)
                break;
        }
    }
    return out;
}

std::vector<unsigned int> digitalNoiseFrequencies(unsigned int fLow, unsigned int fHigh)
{
    const double k = std::max(kNoiseShare * (fHigh - fLow) / FILTER_NARROW, 1.0);
    std::vector<unsigned int> out;
    for (unsigned int i = 0; i < k; ++i) {
        out.push_back(fLow - i * FILTER_NARROW);
        out.push_back(fHigh + i * FILTER_NARROW);
    }
    std::sort(out.begin(), out.end());
    return out;
}

int corrected(int raw) { return static_cast<int>(corregirLecturadBuV(raw, getAtenuador())); }

// Tunes and takes one acquisition; the ranging step runs between the two.
template <class Prepare>
int rangedReading(unsigned int frequency, int* level, Prepare prepare)
{
    sintonitzar(frequency);
    prepare();
    int raw = 0;
    const int r = adquisicio(1, &raw, 0);
    if (r == -1) {
        *level = UNMEASURED;
        return -1;
    }
    if (r != 0)
        return 100;
    *level = corrected(raw);
    return 0;
}

} // namespace

int getMaximMostres(int mode) { return mode == 1 ? 50 : 150; }

void mesuraLevel_integracio_filtrar_amb_maxims(int* level)
{
    unsigned long frames[kBlockSamples] = {};
    if (MAX11337* adc = rfchain::frontEnd().converter)
        adc->getArrayValue(kPeakChannel, kBlockSamples, frames);
    int samples[kBlockSamples];
    for (int i = 0; i < kBlockSamples; ++i)
        samples[i] = static_cast<int>(frames[i] & wiring::max11337::kDataMask);
    int largest = INT_MIN;
    for (int start = 0; start < kMeans; ++start) {
        int sum = 0;
        for (int j = 0; j < kMeanLength; ++j)
            sum += samples[start + j];
        largest = std::max(largest, sum / kMeanLength);
    }
    *level = corrected(largest);
}

int mesuraCarrierNoise(unsigned int fLow, unsigned int fHigh, unsigned int fCarrier, int* cn)
{
    const bool analogue = fLow == 0 || fHigh == 0;
    std::vector<unsigned int> noiseFrequencies;
    int correction = 0;
    if (analogue) {
        correction = fCarrier >= kAnalogueCorrectionEdgeHz ? kCorrectionHigh : kCorrectionLow;
        noiseFrequencies = analogueNoiseFrequencies(fHigh, fCarrier);
    } else {
        // Edges that cross (a negative bandwidth come through unsigned arithmetic), meet or
        // lie wider apart than any channel would put the noise readings on the carrier or
        // send the tuner across the band thousands of times.
        if (fHigh <= fLow || fHigh - fLow > static_cast<unsigned int>(kMaxChannelBandwidthHz))
            return -1;
        noiseFrequencies = digitalNoiseFrequencies(fLow, fHigh);
    }

    setAtenuador(0, true);
    setDetector(DETECTOR_PEAK_MAX);
    int ranged = 0;
    mesuraAutoRangeLevel(fCarrier, &ranged);
    const int raw = adquisicio_media_rapida(kPeakChannel);
    if (raw == UNMEASURED)
        return -1;
    const int carrier = corrected(raw);

    fixarAtenuadorsSoroll(ranged + 60);
    int noiseRaw = INT_MAX;
    for (unsigned int f : noiseFrequencies) {
        sintonitzar(f);
        const int v = adquisicio_minima_rapida();
        if (v == UNMEASURED || rfchain::readingInterrupted())
            return -1;
        noiseRaw = std::min(noiseRaw, v);
    }
    const int noise = corrected(noiseRaw);

    const int d = carrier - noise;
    *cn = d < 0 ? 0 : d + correction;
    setCarrierNoise(*cn);
    return 0;
}

int fixarAtenuadorsSoroll(int level)
{
    int att = 0;
    if (level > kNoiseLevelFloor) {
        att = (level - kNoiseLevelFloor) / 10;
        if (level > kNoiseLevelTop)
            att += 2;
    }
    setAtenuador(att, true);
    return 0;
}

int mesuraAutoRangeLevel(unsigned int frequency, int* level)
{
    return rangedReading(frequency, level, [] { ajustarAtenuador(); });
}

int mesuraAutoRangeLevel_fix_proba(unsigned int frequency, int* level)
{
    return rangedReading(frequency, level, [] { setDetector(DETECTOR_PEAK_MEAN); });
}

int SystemToInt(const QString& name)
{
    static const QStringList kNames = {"DVB-C", "ITU J83.B", "DVB-T", "DVB-T2", "ISDB-T", "DVB-S", "DVB-S2", "DVB-C2"};
    return std::max(kNames.indexOf(name), 0);
}

int getArrayMean(int* values, int n)
{
    if (n < 1)
        return 0;
    long long sum = 0;
    for (int i = 0; i < n; ++i)
        sum += values[i];
    return static_cast<int>(sum / n);
}

int getIndexOfArrayMaximun(int* values, int n)
{
    int index = 0;
    int largest = 0;
    for (int i = 0; i < n; ++i) {
        if (values[i] > largest) {
            largest = values[i];
            index = i;
        }
    }
    return index;
}

void calculaIntegracioPotenciaCanal(int* values, int n, int* power, int add)
{
    constexpr int kNoSignal = -1200;
    // Without entries there is no sum whose logarithm could be taken.
    if (n < 1) {
        *power = UNMEASURED;
        return;
    }
    const int largest = *std::max_element(values, values + n);
    if (getArrayMean(values, n) < kNoSignal && largest < kNoSignal) {
        *power = UNMEASURED;
        return;
    }
    double sum = 0;
    for (int i = 0; i < n; ++i)
        sum += std::pow(10.0, values[i] / 100.0);
    *power = static_cast<int>(add + 100.0 * std::log10(sum));
}

int mesuraAudioVideo(unsigned int frequency, int video, int* diff, int* audio)
{
    constexpr int kLimit = 300;
    const int saved = getDetector();
    setDetector(DETECTOR_PEAK_MAX);
    const int r = mesuraAutoRangeLevel(frequency, audio);
    int result = 0;
    if (r == -1) {
        *audio = UNMEASURED;
        *diff = UNMEASURED;
        result = -1;
    } else if (r == 0) {
        int d = video - *audio;
        if (d < -kLimit || d > kLimit)
            d = kLimit;
        *diff = std::abs(d);
    } else {
        result = -1;
    }
    setDetector(saved);
    return result;
}

int old_fixarAtenuadorsSoroll(int level)
{
    static const struct {
        int upTo;
        int att;
    } kBands[] = {{800, 0}, {820, 2}, {840, 4}, {860, 5}, {880, 6}, {900, 10}};
    int att = -1;
    for (const auto& band : kBands) {
        if (level <= band.upTo) {
            att = band.att;
            break;
        }
    }
    if (att < 0)
        att = level > 1180 ? 40 : 10 + 2 * ((level - 881) / 20);
    setAtenuador(att, true);
    return 0;
}

QString modulation_to_string(int modulation)
{
    switch (modulation) {
    case 0:
        return QStringLiteral("QAM16");
    case 1:
        return QStringLiteral("QAM32");
    case 2:
        return QStringLiteral("QAM64");
    case 3:
        return QStringLiteral("QAM128");
    case 5:
        return QStringLiteral("QPSK");
    case 7:
        return QStringLiteral("QAM8");
    default:
        return QStringLiteral("QAM256");
    }
}

int modulation_to_int(const QString& modulation)
{
    static const struct {
        const char* name;
        int code;
    } kCodes[] = {{"QAM16", 0}, {"QAM32", 1}, {"QAM64", 2}, {"QAM128", 3}, {"QAM256", 4}, {"QPSK", 5}, {"QAM8", 7}};
    for (const auto& c : kCodes)
        if (modulation == QLatin1String(c.name))
            return c.code;
    return 4;
}

int getModeAnalDig()
{
    constexpr int kChannelMode = 33555001;
    return getModeCanalFrequencia() == kChannelMode ? 0 : getModeFrequencia();
}
