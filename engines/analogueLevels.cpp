// The carrier levels of an analogue channel: vision and sound carriers, and the composite
// triple and second-order beats (CTB, CSO) measured against the vision carrier.
#include "measures.h"

#include "analogueGeometry.h"

#include "rf/mesuraRF.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kCsoMarkers = 4;
constexpr int kLevelCeiling = 99999;
// Beats are read 10 dB below the attenuation that ranged the carrier.
constexpr int kCtbAttenuationStep = 10;
// The screens show the second-order beats 10 dB further down than read.
constexpr int kCsoOffset = 100;

int withFrequencyCorrection(int level, unsigned int frequency)
{
    return static_cast<int>(level + corregirDependentFrequencia(frequency, getAtenuador()));
}

} // namespace

unsigned int Measures::getFrequencyAudio()
{
    const unsigned int video = rfengine::videoCarrier(channel_);
    if (video == 0)
        return 0;
    return rfengine::carrierOffset(video, channel_.value(QStringLiteral("freqAudio")).toDouble());
}

void Measures::mesura_demod_analog()
{
    const int saved = getAtenuador();
    const unsigned int fv = variables_.value(QStringLiteral("frequency")).toUInt();
    const unsigned int fa = rfengine::carrierOffset(fv, channel_.value(QStringLiteral("freqAudio")).toDouble());
    int video = UNMEASURED;
    int audio = UNMEASURED;
    mesura_demod_analog_generica(fv, fa, &video, &audio);
    emit v_a_carriersChanged(video, audio);
    setAtenuador(saved, true);
}

void Measures::mesura_demod_analog_generica(unsigned int fVideo, unsigned int fAudio, int* video, int* audio)
{
    setAtenuador(0, true);
    mesuraAutoRangeLevel(fVideo, video);
    if (mesuraNivellScanMarker(fVideo, 0, 0) != 0)
        return;
    *video = withFrequencyCorrection(getMesuraNivell(), fVideo);

    *audio = UNMEASURED;
    if (fAudio == 0)
        return;
    setAtenuador(0, true);
    // An unmeasured level takes no correction: it would no longer read as unmeasured.
    if (mesuraAutoRangeLevel(fAudio, audio) == 0)
        *audio = withFrequencyCorrection(*audio, fAudio);
}

void Measures::mesuraVideoCarrier_CTB_CSO(int, int)
{
    const unsigned int f = getFrequencyHz();
    const bool inChannel = variables_.value(QStringLiteral("ctb_in_channel")).toBool();

    int level = UNMEASURED;
    const int r = mesuraAutoRangeLevel(f, &level);
    if (r == -1)
        setMesuraNivell(UNMEASURED);
    else if (r == 0)
        setMesuraNivell(level);

    // The level every beat is measured against. In the channel the carrier is switched off
    // to read the beat under it: the highest level and attenuation seen while it was on
    // stand for it, and only readings that succeeded may raise them.
    int carrier = UNMEASURED;
    unsigned int fCtb = f;
    if (!inChannel) {
        fCtb = variables_.value(QStringLiteral("ctb_frequency")).toUInt();
        ctbCarrierLevel_ = r == 0 ? level : UNMEASURED;
        carrier = ctbCarrierLevel_;
    } else {
        if (r == 0) {
            ctbCarrierLevel_ = std::max(ctbCarrierLevel_, level);
            ctbAttenuation_ = std::max(ctbAttenuation_, getAtenuador());
        }
        setAtenuador(ctbAttenuation_ - kCtbAttenuationStep, true);
        if (!variables_.value(QStringLiteral("ctb_carrier_removed")).toBool())
            return;
        if (ctbCarrierLevel_ > 0)
            carrier = ctbCarrierLevel_;
    }

    // Without a carrier level no beat has a ratio, and a beat with no frequency is not read.
    // A triple beat whose reading failed counts as the ceiling (a marker's has no key).
    QVariantMap values;
    if (carrier != UNMEASURED && fCtb != 0) {
        int beat = kLevelCeiling;
        if (mesuraAutoRangeLevel_fix_proba(fCtb, &beat) != 0)
            beat = kLevelCeiling;
        values.insert(QStringLiteral("CTB_power"), std::abs(carrier - std::min(beat, kLevelCeiling)));
    }

    int lowest = kLevelCeiling;
    int highest = 0;
    bool anyMarker = false;
    for (int n = 1; n <= kCsoMarkers && carrier != UNMEASURED; ++n) {
        const qint64 offset = variables_.value(QStringLiteral("cso_marker%1").arg(n)).toInt();
        const unsigned int fn = rfengine::tunableFrequency(f + offset);
        int marker = 0;
        if (fn == 0 || mesuraAutoRangeLevel_fix_proba(fn, &marker) != 0)
            continue;
        values.insert(QStringLiteral("CSO_%1_power").arg(n), std::abs(carrier - marker) + kCsoOffset);
        lowest = std::min(lowest, marker);
        highest = std::max(highest, marker);
        anyMarker = true;
    }
    if (anyMarker) {
        values.insert(QStringLiteral("CSO_max_power"), std::abs(carrier - highest) + kCsoOffset);
        values.insert(QStringLiteral("CSO_min_power"), std::abs(carrier - lowest) + kCsoOffset);
    }
    emit ctb_cso_Changed(values);
}
