// The converter channels read over a one-second window of board time (the hum detector and
// the input-voltage divider), and the LNB supply's current.
#include "measures.h"

#include "waveformFigures.h"

#include "common/BoardWiring.h"
#include "common/Clock.h"
#include "rf/mesuraRF.h"

namespace {

constexpr uint64_t kWindowUs = 1000000;
constexpr int kHumSamples = 4001;
constexpr int kVoltageSamples = 5000;
// Between the start of the hum window and its first sample.
constexpr int kHumSettleMs = 40;
constexpr double kLnbVoltsPerStep = 0.00050012214;
constexpr double kLnbMaPerVolt = 281.8;

} // namespace

bool Measures::sampleWindow(int channel, int maxSamples, uint64_t startUs, rfengine::Samples* out)
{
    common::Clock& clock = common::clock();
    while (clock.monotonicUs() - startUs < kWindowUs) {
        if (readingInterrupted())
            return false;
        if (static_cast<int>(out->values.size()) >= maxSamples)
            break;
        const uint64_t at = clock.monotonicUs();
        const int value = getLecturaConversorRF(channel);
        // A converter that fails takes no time to fail: waiting out the window would spin.
        if (value < 0)
            break;
        out->values.push_back(value);
        out->timesUs.push_back(at);
    }
    return true;
}

int Measures::mesuraHum()
{
    const uint64_t start = common::clock().monotonicUs();
    if (waitOrExit(kHumSettleMs))
        return 0;
    rfengine::Samples samples;
    if (!sampleWindow(wiring::max11337::kHumChannel, kHumSamples, start, &samples))
        return 0;
    hum_ = rfengine::humPercent(samples.values);
    emit humChanged();
    return 0;
}

int Measures::mesuraVIn()
{
    rfengine::Samples samples;
    if (!sampleWindow(wiring::max11337::kInputVoltageChannel, kVoltageSamples, common::clock().monotonicUs(),
                      &samples))
        return 0;
    const rfengine::InputVoltage v = rfengine::inputVoltage(samples);
    voltageDC_ = v.dc;
    voltageAC_ = v.ac;
    inputFrequency_ = v.hz;
    emit voltageInChanged();
    return 0;
}

void Measures::mesuraLNB_mA()
{
    const int raw = getLecturaConversorRF(wiring::max11337::kLnbCurrentChannel);
    // A failed conversion is no current.
    if (raw < 0)
        return;
    emit lnb_mA_Changed(static_cast<float>(raw * kLnbVoltsPerStep * kLnbMaPerVolt));
}
