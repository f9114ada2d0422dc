// The E-model's view of a voice path: the R value that delay, jitter and packet loss leave
// with a codec's impairments, and the mean opinion score (MOS) it gives. CalculaMOS keeps
// both in the VoIP stores.
#pragma once

#include <QString>

// The codec's equipment impairment and packet-loss robustness; a name the table lacks
// gets the last row's.
struct VoIPCodec {
    int ie;
    float bpl;
};
VoIPCodec voipCodec(const QString& name);

struct VoIPQuality {
    float r;   // 0 to 100
    float mos; // 1 to 4.5
};
// latency and jitter in whole milliseconds (one way), loss in whole percent (the loss
// a run measured is cut to its whole percent before it gets here).
VoIPQuality voipQuality(int latencyMs, int jitterMs, const QString& codec, int lossPercent);

// The R value x 10 and the MOS x 100, rounded, into the VoIP stores; 0.
int CalculaMOS(int latencyMs, int jitterMs, const QString& codec, int lossPercent);
