// Channel power by 157.5 kHz slices, the carrier-to-noise steps of the analogue runs and
// the logger, and the two max-hold filters.
#include "measures.h"
#include "measuresState.h"

#include "analogueGeometry.h"

#include "rf/mesuraRF.h"

#include <cmath>

namespace {

constexpr int kCarrierNoiseHistory = 20;
constexpr int kCarrierNoiseDrop = 200; // a drop of more than 20.0 dB restarts the hold
constexpr int kIntegrationHistory = 8;
constexpr int kIntegrationDrop = 41; // a drop of 4.1 dB or more restarts the hold
constexpr int kDocsis31Offset = 20;

// Detector, filter and attenuation of the chain, put back when a measurement is done, in
// the order the measurement gives.
class ChainSettings {
public:
    enum Order { DetectorFirst, AttenuationFirst };
    ChainSettings(Measures* engine, Order order)
        : engine_(engine), order_(order), detector_(getDetector()), filter_(engine->getFilter()),
          attenuation_(getAtenuador())
    {
    }
    ~ChainSettings()
    {
        if (order_ == DetectorFirst)
            setDetector(detector_);
        else
            setAtenuador(attenuation_, true);
        engine_->setFilter(filter_);
        if (order_ == DetectorFirst)
            setAtenuador(attenuation_, true);
        else
            setDetector(detector_);
    }

private:
    Measures* engine_;
    Order order_;
    int detector_;
    int filter_;
    int attenuation_;
};

// Appends v to the history and holds the maximum unless v dropped by dropLimit or more.
void maxHold(QList<int>& history, int maxEntries, int dropLimit, int* v)
{
    history.append(*v);
    int m = history.first();
    for (int x : history)
        m = std::max(m, x);
    if (history.size() > maxEntries)
        history.removeFirst();
    if (m - *v >= dropLimit)
        history.clear();
    else
        *v = m;
}

} // namespace

int Measures::mesuraIntegracio(unsigned int frequency, int bandwidth, int* power)
{
    // A channel without width has no power to sum; a negative width would turn into tens of
    // thousands of slices through the unsigned division, and none is wider than the widest block.
    if (bandwidth <= 0 || bandwidth > kMaxChannelBandwidthHz) {
        *power = UNMEASURED;
        return 0;
    }
    ChainSettings saved(this, ChainSettings::DetectorFirst);
    setFilter(FILTER_NARROW);
    const unsigned int slice = FILTER_NARROW;
    const unsigned int n = static_cast<unsigned int>(bandwidth) / slice;
    unsigned int first = frequency;
    if (n > 1)
        first = frequency - (n % 2 ? (n - 1) : n) * (slice / 2);
    const unsigned int slices = n > 1 ? n : 1;

    float sum = 1.0f;
    for (unsigned int k = 0; k < slices; ++k) {
        const unsigned int s = first + k * slice;
        sintonitzar(s);
        int level = 0;
        mesuraLevel_integracio_filtrar_amb_maxims(&level);
        level = static_cast<int>(level + corregirDependentFrequencia(s, getAtenuador()));
        sum += std::pow(10.0f, static_cast<float>(level) / 100.0f);
        if (readingInterrupted()) {
            *power = UNMEASURED;
            return 0;
        }
    }
    *power = static_cast<int>(100.0f * std::log10(sum));
    return 0;
}

void Measures::mesura_noise()
{
    ChainSettings saved(this, ChainSettings::AttenuationFirst);
    setFilter(FILTER_NARROW);
    setMesuraNivell(UNMEASURED);
    setCarrierNoise(UNMEASURED);
    setVideoAudio(UNMEASURED);

    const unsigned int f = variables_.value(QStringLiteral("frequency")).toUInt();
    int cn = 0;
    int r;
    if (channel_.value(QStringLiteral("type")).toString() != QLatin1String("DIGITAL")) {
        // A sound carrier the record cannot place leaves nothing to measure.
        const unsigned int fa = rfengine::carrierOffset(f, channel_.value(QStringLiteral("freqAudio")).toDouble());
        r = fa == 0 ? -1 : mesuraCarrierNoise(0, fa, f, &cn);
    } else {
        const unsigned int c = channel_.value(QStringLiteral("frequency")).toUInt();
        const unsigned int b = channel_.value(QStringLiteral("bandwidth")).toUInt();
        r = mesuraCarrierNoise(c - b / 2, c + b / 2, f, &cn);
    }
    // A failed measurement leaves no ratio to hold or to show.
    if (r != 0) {
        carrierNoise_ = UNMEASURED;
        return;
    }
    filtroCarrierNoise(&cn);
    carrierNoise_ = cn;
    if (channel_.value(QStringLiteral("system")).toString() == QLatin1String("D3.1"))
        carrierNoise_ += kDocsis31Offset;
    emit carrierNoiseChanged(QString::number(carrierNoise_ / 10.0, 'f', 1));
}

void Measures::mesura_noise_logger(unsigned int fVideo, unsigned int fAudio, int)
{
    ChainSettings saved(this, ChainSettings::AttenuationFirst);
    setFilter(FILTER_NARROW);
    setMesuraNivell(UNMEASURED);
    setCarrierNoise(UNMEASURED);
    setVideoAudio(UNMEASURED);
    int cn = 0;
    carrierNoise_ = mesuraCarrierNoise(0, fAudio, fVideo, &cn) == 0 ? cn : UNMEASURED;
}

void Measures::filtroCarrierNoise(int* value)
{
    maxHold(rfengine::state().carreir_noise_maxim_List, kCarrierNoiseHistory, kCarrierNoiseDrop + 1, value);
}

void Measures::filtroIntegracio(int* value)
{
    maxHold(rfengine::state().integration_maxim_List, kIntegrationHistory, kIntegrationDrop, value);
}
