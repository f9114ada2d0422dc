// The spectrum sweep over the screen's point list, the channel power of its central point,
// the total RF and optical power, and the runs made of sweeps.
#include "measures.h"
#include "measuresState.h"

#include "engines/mesuraiq.h"
#include "hw/delay.h"
#include "rf/mesuraRF.h"

#include <QDebug>

#include <cmath>

namespace {

constexpr unsigned int kNarrowSpanHz = 100000000u;
constexpr unsigned int kConstellationSpanHz = 10000000u;
// A constellation screen without points to sweep waits this long between its polls.
constexpr int kEmptySweepWaitMs = 100;

const QString kFrequency = QStringLiteral("frequency");
const QString kPower = QStringLiteral("power");

// The fast mean of a meter's channel through its calibration line (tenths).
int meterReading(int channel, double slope, double offset)
{
    return static_cast<int>(adquisicio_media_rapida(channel) * slope + offset);
}

// A power-meter reading kept only when it succeeded.
bool readMeter(int (*reading)(int*), void (*store)(int))
{
    int value = 0;
    if (reading(&value) != 0)
        return false;
    store(value);
    return true;
}

} // namespace

void Measures::setValuesMesuraSpectrum()
{
    setNivellConversor(UNMEASURED);
    setMesuraNivell(UNMEASURED);
    setMesuraSumPower(UNMEASURED);
    setSpan(variables_.value(QStringLiteral("span")).toUInt());
    setDetector(DETECTOR_PEAK_MAX);
    const char* reference = InReferenceLevelScanScreen() ? "reference_level_scan" : "reference_level";
    setAtenuador(variables_.value(QLatin1String(reference)).toInt(), true);
    rfengine::state().frequencyEquip = variables_.value(kFrequency).toUInt();
    setFrequencyHz(rfengine::state().frequencyEquip);
    setCircuit(variables_.value(QStringLiteral("circuit")).toString());
}

int Measures::freqCentralEnLlista(QVariantList* list)
{
    if (list->isEmpty()) {
        qDebug() << "freqCentralEnLlista error llista vacia";
        return 0;
    }
    const float f0 = variables_.value(kFrequency).toFloat();
    auto distance = [&](int i) { return std::fabs(list->at(i).toMap().value(kFrequency).toFloat() - f0); };
    float best = distance(0);
    int index = 0;
    bool found = false;
    for (int i = 0; i < list->size(); ++i) {
        const float d = distance(i);
        if (d < best) {
            best = d;
            index = i;
            found = true;
        }
    }
    if (!found)
        index = list->size() / 2;
    if (!InScanScreen()) {
        QVariantMap point = list->at(index).toMap();
        point.insert(kFrequency, f0);
        (*list)[index] = point;
    }
    return index;
}

int Measures::mesuraSpectrum(int)
{
    QVariantList list = inicialitzarCorreccionsFinestra(listaFrequencyMeasures_, getAtenuador());
    const bool tilt = InTiltScreen();
    // Even a sweep with no points leaves no central level behind from the one before.
    centralLevel_ = UNMEASURED;
    if (list.isEmpty())
        return -1;
    const int central = tilt ? -1 : freqCentralEnLlista(&list);
    const int narrow = getSpan() <= kNarrowSpanHz ? 1 : 0;

    const int count = list.size();
    const bool upstream = InUpsStreamScreen();
    const bool scan = InScanScreen();
    const bool integrated = scan && count < POINTS_FREQUENCY_SPECTRUM_FULL;
    for (int i = 0; i < count; ++i) {
        QVariantMap point = list.at(i).toMap();
        const unsigned int f = point.value(kFrequency).toUInt();
        const bool pilot = tilt && point.value(QStringLiteral("tilt_freq")).toBool();

        int r;
        if (upstream)
            r = mesuraNivellEspectre(f, 0, narrow);
        else if (pilot)
            r = mesuraNivellScanTilt(f, 0, narrow);
        else if (i == central && scan)
            r = mesuraNivellScanMarker(f, 0, narrow);
        else if (integrated)
            r = mesuraNivellScan(f, 0, narrow);
        else
            r = mesuraNivellEspectreFast(f);
        if (r != 0)
            return -1;

        int level = getMesuraNivell() + point.value(QStringLiteral("correccio")).toInt();
        if (integrated)
            level += point.value(QStringLiteral("addIntegration")).toInt();

        if (i == central) {
            int cp = level;
            if (point.value(QStringLiteral("type")).toString() == QLatin1String("DIGITAL")) {
                mesuraIntegracio(f, point.value(QStringLiteral("bandwidth")).toInt(), &cp);
                // A channel power cut short by a stop or new settings is not a result.
                if (exitRequestedNow())
                    return -1;
            }
            emit channelPowerChanged(cp);
            channelPower_ = cp;
            centralLevel_ = level;
        }
        point.insert(kPower, level);
        list[i] = point;
        if (isExitMesures())
            return -1;
    }
    emit listaFrequencyMeasuresChanged(list);
    return 0;
}

void Measures::clearPowerListaFrequencyMeasures()
{
    for (QVariant& v : listaFrequencyMeasures_) {
        QVariantMap point = v.toMap();
        point.insert(kPower, 0);
        v = point;
    }
}

void Measures::mesuraTotalPower()
{
    if (readMeter(mesuraPowerMeter, setMesuraSumPower))
        emit totalPowerChanged();
}

void Measures::mesuraTotalOpticPower()
{
    if (readMeter(mesuraOpticalPowerMeter, setMesuraOpticalSumPower))
        emit totalOpticalPowerChanged();
}

int Measures::totalPower() { return getMesuraSumPower(); }

int Measures::totalOpticalPower() { return getMesuraOpticalSumPower(); }

int Measures::getMesuraTotalPower() { return meterReading(3, getPendentPowerMeter(), getOffsetPowerMeter()); }

int Measures::getMesuraTotalOpticPower()
{
    return meterReading(7, getPendentOpticalPowerMeter(), getOffsetOpticalPowerMeter());
}

void Measures::mesura_spectrum()
{
    setValuesMesuraSpectrum();
    if (!isExitMesures())
        mesuraSpectrum(64);
    if (!isExitMesures())
        mesuraTotalPower();
    if (!isExitMesures())
        mesuraTotalOpticPower();
}

void Measures::mesura_optical_power_meter()
{
    setValuesMesuraSpectrum();
    if (!isExitMesures())
        mesuraTotalPower();
    if (!isExitMesures())
        mesuraTotalOpticPower();
}

void Measures::mesura_const_iq()
{
    if (variables_.value(QStringLiteral("frecuencia_habilitada")).toString() != QLatin1String("false")) {
        MesuraIQ::getInstance()->initManual(variables_.value(kFrequency).toUInt(),
                                            SystemToInt(variables_.value("freq_demod_digital_system").toString()), 0);
    } else {
        MesuraIQ::getInstance()->initManual(channel_.value(kFrequency).toUInt(),
                                            SystemToInt(channel_.value(QStringLiteral("system")).toString()),
                                            channel_.value(QStringLiteral("symbol_rate")).toString().toInt());
    }
    setValuesMesuraSpectrum();
    setFilter(FILTER_NARROW);
    setSpan(kConstellationSpanHz);
    while (!isExitMesures()) {
        // With no point to read the sweep comes back at once, and the poll returns at once when
        // no event is pending: wait instead of spinning.
        if (mesuraSpectrum(0) != 0 && listaFrequencyMeasures_.isEmpty())
            delay(kEmptySweepWaitMs);
    }
}
