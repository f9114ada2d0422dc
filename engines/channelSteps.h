// What the logger and channel-plan runs share: the state of their step machines (one
// channel per step), and the small decisions they both make on a channel record.
#pragma once

#include <QVariantList>
#include <QVariantMap>

namespace rfengine {

struct ChannelSteps {
    QVariantList channels; // the active channels to measure, in plan order
    QVariantList results;  // the result maps produced so far
    int phase = 0;         // 0: clear the spectrum powers; 1: measure channels
    unsigned int tuningFrequency = 0;
};

// The records of source whose "active" is "ON".
QVariantList activeChannels(const QVariantList& source);
// Where a channel is read: its vision carrier when it is "ANALOG", else its centre; 0 when
// the record places it nowhere the tuner can go.
unsigned int channelTuningFrequency(const QVariantMap& channel);
// Whether a reading clears the level the settings ask for (thresholdDbuV in whole dBµV),
// allowing for the channel's integration gain and 3 dB; an unmeasured level never does.
bool levelClearsThreshold(int level, int thresholdDbuV, double integrationGain);
// Whether a channel power counts as a signal: measured and above the threshold.
bool powerClearsThreshold(int power, int thresholdDbuV);
// The MER of a constellation result in dB: the number its "mer" text shows, a bound
// (">46") taken as its value; UNMEASURED when the text shows none ("---").
double merOfConstellation(const QVariantMap& dades);

} // namespace rfengine
