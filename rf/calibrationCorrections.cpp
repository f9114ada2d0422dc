#include "calibrationTables.h"

#include "chainState.h"
#include "ifFilters.h"
#include "levelConversion.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxAttenuation = 70;
constexpr double kIntegrationOffset = 50.0;

// Raw steps and attenuations below 0 would wrap as unsigned keys.
unsigned int asKey(int value) { return static_cast<unsigned int>(std::max(value, 0)); }

double linearity(int steps, bool peak)
{
    const rfcal::CorrectionSet& set = rfcal::selectedSet();
    if (!(peak ? set.markLinearityPeak : set.markLinearityAverage))
        return 0;
    return 10.0 * calculaValueCorrecio(asKey(steps), peak ? set.linearityPeak : set.linearityAverage);
}

// The map key of an attenuation in the set's spelling: "00".."70" for CABLE, "0".."70" for DOCSIS.
QString attText(int k, bool cable) { return cable ? QStringLiteral("%1").arg(k, 2, 10, QChar('0')) : QString::number(k); }

// Finds the frequency-response list for an attenuation: the key itself, then downward to
// 10, then upward from the key to 70.
const QList<calibration_point>* findFrequencyList(const rfcal::CorrectionSet& set, int att, bool cable)
{
    const int tens = att / 10;
    const int k = tens * 10;
    QList<int> order{k};
    if (tens > 0)
        for (int d = k - 10; d >= 10; d -= 10)
            order << d;
    if (tens <= 7)
        for (int u = k; u <= kMaxAttenuation; u += 10)
            order << u;
    for (int key : order) {
        auto it = set.frequencyMap.constFind(attText(key, cable));
        if (it != set.frequencyMap.constEnd())
            return &it.value();
    }
    return nullptr;
}

double line(const calibration_temp_point& p, double T) { return (T * p.slope + p.offset) * 10.0; }

} // namespace

double calculaValueCorrecio(unsigned int x, const QList<calibration_point>& list)
{
    if (list.isEmpty())
        return 0;
    if (x <= list.first().key)
        return list.first().value;
    if (x >= list.last().key)
        return list.last().value;
    for (int i = 1; i < list.size(); ++i) {
        const calibration_point& p = list[i];
        if (p.key < x)
            continue;
        if (p.key == x)
            return p.value;
        const calibration_point& q = list[i - 1];
        return q.value + (p.value - q.value) * (static_cast<double>(x) - q.key) / (static_cast<double>(p.key) - q.key);
    }
    return list.last().value;
}

double calculaCorrecioLinealitatPEAK(int steps) { return linearity(steps, true); }

double calculaCorrecioLinealitatAVERAGE(int steps) { return linearity(steps, false); }

double calculaCorrecioLinealitat(int steps, int detector)
{
    if (detector == DETECTOR_PEAK_MAX)
        return std::trunc(calculaCorrecioLinealitatPEAK(steps));
    if (detector == DETECTOR_PEAK_MEAN)
        return std::trunc(calculaCorrecioLinealitatAVERAGE(steps));
    return 0;
}

int getCorrecioAtenuadordBuV(int att) { return 10 * std::clamp(att, 0, kMaxAttenuation); }

double calculaCorrecioOffsetAtenuadors(unsigned int, int att)
{
    const rfcal::CorrectionSet& set = rfcal::selectedSet();
    if (!set.markOffsetAtt)
        return 0;
    return 10.0 * calculaValueCorrecio(asKey(att), set.offsetAtt);
}

double calculaCorrecioFrequencia(unsigned int f, int att)
{
    const bool cable = getCalibracioCable();
    rfcal::CorrectionSet& set = rfcal::selectedSet();
    if (!set.markFrequency)
        return 0;
    if (!set.singleList && att != set.lastLookupAtt) {
        set.lastLookupAtt = att;
        if (const QList<calibration_point>* found = findFrequencyList(set, att, cable))
            set.frequencyWorking = *found;
        else
            qDebug() << " error lista no encontrada";
    }
    return 10.0 * calculaValueCorrecio(f, set.frequencyWorking);
}

double calculaCorrecioTemperatura(double T)
{
    const QList<calibration_temp_point>& list = rfcal::tables().temperature;
    if (list.isEmpty())
        return 0;
    if (list.size() == 1)
        return line(list.first(), T);
    if (T < list.first().temperature || T > list.last().temperature)
        return line(list.last(), T);
    if (T == list.first().temperature)
        return 0;
    // Inside the table: the entry whose successor is the first at or above T.
    for (int i = 0; i + 1 < list.size(); ++i)
        if (T <= list[i + 1].temperature)
            return line(list[i], T);
    return line(list.last(), T);
}

double getFactorCorrecioTemperatura()
{
    rfcal::CalibrationTables& t = rfcal::tables();
    if (!t.markTemperature) {
        t.cachedFactor = 0;
        return 0;
    }
    const double T = getTemperaturaC();
    if (T != t.cachedTemperature) {
        t.cachedTemperature = T;
        t.cachedFactor = calculaCorrecioTemperatura(T);
    }
    return t.cachedFactor;
}

double addDigitalChannelIntegration(double bandwidth)
{
    // A channel without a bandwidth has nothing to integrate (log10 would give -inf).
    if (!(bandwidth > 0))
        return 0;
    return 100.0 * std::log10(bandwidth / FILTER_NARROW);
}

QList<QVariant> inicialitzarCorreccionsFinestra(QList<QVariant> points, int att)
{
    for (QVariant& v : points) {
        QVariantMap point = v.toMap();
        point.insert(QStringLiteral("correccio"), corregirDependentFrequencia(point.value("frequency").toUInt(), att));
        const double bandwidth = point.value("bandwidth").toDouble();
        const bool digital = point.value("type").toString() == QLatin1String("DIGITAL");
        point.insert(QStringLiteral("addIntegration"),
                     digital && bandwidth > 0 ? addDigitalChannelIntegration(bandwidth) - kIntegrationOffset : 0.0);
        v = point;
    }
    return points;
}
