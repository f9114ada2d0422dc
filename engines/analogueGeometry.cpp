#include "analogueGeometry.h"

#include "rf/levelPrimitives.h"

#include <cmath>
#include <limits>

namespace rfengine {

namespace {
constexpr qint64 kVisionAboveEdgeHz = 1250000;
// No offset of a carrier within a channel comes near this; it keeps the sum exact in 64 bits.
constexpr double kLargestOffsetMHz = 1e5;
} // namespace

unsigned int tunableFrequency(qint64 hz)
{
    if (hz <= 0 || hz > static_cast<qint64>(std::numeric_limits<unsigned int>::max()))
        return 0;
    return static_cast<unsigned int>(hz);
}

unsigned int carrierOffset(qint64 baseHz, double offsetMHz)
{
    if (!std::isfinite(offsetMHz) || std::fabs(offsetMHz) > kLargestOffsetMHz)
        return 0;
    return tunableFrequency(baseHz + static_cast<qint64>(offsetMHz * 1000000.0));
}

unsigned int videoCarrier(const QVariantMap& channel)
{
    const qint64 bandwidth = channel.value(QStringLiteral("bandwidth")).toLongLong();
    if (bandwidth <= 0 || bandwidth > kMaxChannelBandwidthHz)
        return 0;
    return tunableFrequency(channel.value(QStringLiteral("frequency")).toLongLong() + kVisionAboveEdgeHz - bandwidth / 2);
}

} // namespace rfengine
