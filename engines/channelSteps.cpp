#include "channelSteps.h"

#include "analogueGeometry.h"

#include "common/sharedValues.h"

namespace rfengine {

namespace {
// The margin a level reading gets below the threshold: the peak reading of a digital block
// falls short of its channel power by its integration gain, and by up to 3 dB more.
constexpr double kThresholdMargin = 30.0;
} // namespace

QVariantList activeChannels(const QVariantList& source)
{
    QVariantList out;
    for (const QVariant& v : source)
        if (v.toMap().value(QStringLiteral("active")).toString() == QLatin1String("ON"))
            out << v;
    return out;
}

unsigned int channelTuningFrequency(const QVariantMap& channel)
{
    if (channel.value(QStringLiteral("type")).toString() == QLatin1String("ANALOG"))
        return videoCarrier(channel);
    return tunableFrequency(channel.value(QStringLiteral("frequency")).toLongLong());
}

bool levelClearsThreshold(int level, int thresholdDbuV, double integrationGain)
{
    return level != UNMEASURED && level > thresholdDbuV * 10 - integrationGain - kThresholdMargin;
}

bool powerClearsThreshold(int power, int thresholdDbuV) { return power != UNMEASURED && power > thresholdDbuV * 10; }

double merOfConstellation(const QVariantMap& dades)
{
    QString text = dades.value(QStringLiteral("mer")).toString();
    if (text.startsWith(QLatin1Char('>')) || text.startsWith(QLatin1Char('<')))
        text.remove(0, 1);
    bool ok = false;
    const double mer = text.toDouble(&ok);
    return ok ? mer : UNMEASURED;
}

} // namespace rfengine
