// Where the carriers of an analogue channel lie: the vision carrier 1.25 MHz above the
// channel's lower edge, the sound carrier "freqAudio" MHz above a vision carrier. Computed
// in 64 bits from the channel record; 0 where the record gives no frequency the tuner
// could take (a width of 0 or below, a sum that leaves the unsigned range).
#pragma once

#include <QVariantMap>

namespace rfengine {

// The frequency when the tuner can take it, else 0.
unsigned int tunableFrequency(qint64 hz);
// baseHz + offsetMHz × 10^6 (truncated to whole Hz), or 0.
unsigned int carrierOffset(qint64 baseHz, double offsetMHz);
// The vision carrier from the channel's "frequency" and "bandwidth", or 0.
unsigned int videoCarrier(const QVariantMap& channel);

} // namespace rfengine
