// The runs of the analogue-TV and service screens: analogue demodulation, spectrum with
// hum, sound FM and input voltage, and the stop-aware wait they share.
#include "measures.h"

#include "analogueGeometry.h"

#include "common/Clock.h"
#include "hw/delay.h"
#include "rf/mesuraRF.h"

#include <QDebug>

#include <algorithm>

namespace {

constexpr int kSliceMs = 100;
constexpr unsigned int kAnalogueSpanHz = 10000000u;
// A central level at or below 15.0 dBµV carries nothing to demodulate.
constexpr int kNoSignalLevel = 150;
// The hum detector settles on a newly tuned carrier.
constexpr int kHumTuneSettleMs = 500;

// The filter and span of the chain, put back when the run is done.
class FilterAndSpan {
public:
    explicit FilterAndSpan(Measures* engine) : engine_(engine), filter_(engine->getFilter()), span_(getSpan()) {}
    ~FilterAndSpan()
    {
        engine_->setFilter(filter_);
        setSpan(span_);
    }

private:
    Measures* engine_;
    int filter_;
    unsigned int span_;
};

} // namespace

bool Measures::waitOrExit(int ms)
{
    common::Clock& clock = common::clock();
    const uint64_t end = clock.monotonicMs() + static_cast<uint64_t>(std::max(ms, 0));
    for (;;) {
        if (readingInterrupted())
            return true;
        const uint64_t now = clock.monotonicMs();
        if (now >= end)
            return false;
        delay(static_cast<int>(std::min<uint64_t>(end - now, kSliceMs)));
    }
}

void Measures::mesura_analog()
{
    setValuesMesuraSpectrum();
    FilterAndSpan saved(this);
    setFilter(FILTER_NARROW);
    setSpan(kAnalogueSpanHz);

    if (!isExitMesures())
        mesuraSpectrum(0);
    // A sweep cut short by a stop or new settings found no carrier missing.
    if (exitRequestedNow())
        return;
    if (centralLevel_ == UNMEASURED || centralLevel_ <= kNoSignalLevel) {
        emit message(tr("No signal"));
        // With no points the sweep returns at once: the pass must not spin.
        waitOrExit(kSliceMs);
        return;
    }

    const bool ctbCso = variables_.value(QStringLiteral("ctb_cso_on")).toBool();
    if (ctbCso && !isExitMesures())
        mesuraVideoCarrier_CTB_CSO(0, 0);
    if (ctbCso && variables_.value(QStringLiteral("ctb_in_channel")).toBool())
        return;

    if (!isExitMesures())
        mesura_demod_analog();
    if (!isExitMesures())
        mesura_noise();

    unsigned int f = variables_.value(QStringLiteral("frequency")).toUInt();
    const bool byChannel = variables_.value(QStringLiteral("frecuencia_habilitada")).toString() == QLatin1String("false");
    if (byChannel && channel_.value(QStringLiteral("type")).toString() == QLatin1String("ANALOG"))
        f = getFrequencyAudio();
    // A channel record that places no sound carrier leaves no carrier to read the hum on.
    if (f == 0) {
        hum_ = static_cast<float>(UNMEASURED);
        emit humChanged();
        return;
    }
    sintonitzar(f);
    if (waitOrExit(kHumTuneSettleMs))
        return;
    if (!isExitMesures())
        mesuraHum();
}

void Measures::mesura_hum()
{
    setValuesMesuraSpectrum();
    // The sweeps are retried until one completes; an empty list has none to complete.
    if (!listaFrequencyMeasures_.isEmpty()) {
        mesuraSpectrum(0);
        do {
            if (isExitMesures())
                return;
        } while (mesuraSpectrum(64) != 0);
    }
    if (!isExitMesures())
        mesuraHum();
}

void Measures::mesura_fm()
{
    setValuesMesuraSpectrum();
    mesuraSpectrum(0);
    unsigned int f = variables_.value(QStringLiteral("frequency")).toUInt();
    qDebug() << "Frequency sum: " << f;
    if (variables_.value(QStringLiteral("frecuencia_habilitada")).toString() == QLatin1String("false")
        && channel_.value(QStringLiteral("type")).toString() == QLatin1String("ANALOG"))
        f = rfengine::carrierOffset(f, channel_.value(QStringLiteral("freqAudio")).toDouble());
    if (f != 0)
        sintonitzar(f);
    // The pass only holds the tuner there; it sleeps a slice at a time until it is to end.
    while (!isExitMesures())
        delay(kSliceMs);
}

void Measures::mesura_input_voltage()
{
    setModeCircuit(CABLE_RF);
    if (!isExitMesures())
        mesuraTotalPower();
    if (!isExitMesures())
        mesuraVIn();
    if (!isExitMesures())
        mesuraLNB_mA();
}
