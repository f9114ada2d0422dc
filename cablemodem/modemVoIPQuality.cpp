#include "modemVoIPQuality.h"

#include "modemStores.h"

#include <algorithm>
#include <cmath>

namespace {

struct CodecRow {
    const char* name;
    VoIPCodec codec;
};
// Equipment impairment and packet-loss robustness of the codecs the VoIP screen offers.
const CodecRow kCodecs[] = {
    {"G711+PLC", {0, 25.1f}},
    {"G711", {0, 4.3f}},
    {"G7231+VAD", {15, 16.1f}},
    {"G729A+VAD", {11, 19.0f}},
};
const VoIPCodec kOtherCodec = {5, 10.0f}; // GSM EFR

constexpr float kBasicRating = 93.2f;
constexpr int kDelayKneeMs = 100;

// The impairment of a one-way delay of 100 ms or more.
float delayImpairment(int delayMs)
{
    if (delayMs < kDelayKneeMs)
        return 0;
    const float x = std::log2(static_cast<float>(delayMs) / kDelayKneeMs);
    const float sixth = 1.0f / 6.0f;
    return 25.0f * (std::pow(1.0f + std::pow(x, 6.0f), sixth) - 3.0f * std::pow(1.0f + std::pow(x / 3.0f, 6.0f), sixth)
                    + 2.0f);
}

} // namespace

VoIPCodec voipCodec(const QString& name)
{
    for (const CodecRow& row : kCodecs) {
        if (name == QLatin1String(row.name))
            return row.codec;
    }
    return kOtherCodec;
}

VoIPQuality voipQuality(int latencyMs, int jitterMs, const QString& codec, int lossPercent)
{
    const VoIPCodec c = voipCodec(codec);
    const int loss = std::clamp(lossPercent, 0, 100);
    const float ieEff = static_cast<float>(c.ie) + static_cast<float>((95 - c.ie) * loss) / (loss + c.bpl);
    const float idd = delayImpairment(latencyMs + 2 * jitterMs);
    // Beyond 0 and 100 the MOS polynomial turns back; the scale ends there.
    const float r = std::clamp(kBasicRating - ieEff - idd, 0.0f, 100.0f);
    const float mos = 1.0f + 0.035f * r + r * (r - 60.0f) * (100.0f - r) * 7e-6f;
    return {r, mos};
}

int CalculaMOS(int latencyMs, int jitterMs, const QString& codec, int lossPercent)
{
    const VoIPQuality q = voipQuality(latencyMs, jitterMs, codec, lossPercent);
    SetVoIPRvalue(static_cast<int>(q.r * 10 + 0.5f));
    SetVoIPMOS(static_cast<int>(q.mos * 100 + 0.5f));
    return 0;
}
