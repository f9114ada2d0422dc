#include "bandTuning.h"

#include "chainStateRecord.h"
#include "frontEndLines.h"
#include "frontEndSequencer.h"

#include "common/Clock.h"
#include "common/embedded_timers.h"
#include "hw/delay.h"
#include "hw/drvMAX3543.h"

#include <algorithm>
#include <cstdint>

namespace {

enum class Conversion { Up, Direct, Down };

struct Band {
    uint32_t fromHz;
    bool sub, super, super2, hi;
    Conversion conversion;
    int pilot;          // ADF4350 pilot set; unused for the direct bands
    int64_t loHz;
    int oscillatorWaitMs;
};

constexpr Band kBands[] = {
    {5000000u, true, false, false, true, Conversion::Up, 0, 195000000, 1},
    {90000000u, false, false, false, true, Conversion::Direct, 0, 0, 1},
    {345000000u, false, false, false, true, Conversion::Direct, 0, 0, 1},
    {900000000u, false, true, false, true, Conversion::Down, 3, 1600000000, 5},
    {1350000000u, false, true, false, false, Conversion::Down, 4, 2050000000, 1},
    {1800000000u, false, true, true, true, Conversion::Down, 5, 2500000000, 1},
    {2250000000u, false, true, true, false, Conversion::Down, 6, 2950000000, 1},
};
constexpr int kBandCount = static_cast<int>(sizeof kBands / sizeof kBands[0]);

constexpr int kPathSettleMs = 14;
constexpr uint64_t kLockWaitMs = 10;
constexpr int kStatusSearching = 6;
// One status read takes about this long on the bus; the pause keeps the poll from
// hammering the tuner and lets a simulated clock move.
constexpr uint64_t kLockPollPauseUs = 100;
constexpr unsigned int kTunerStepHz = 10000;

void switchBand(unsigned int f)
{
    rfchain::ChainState& st = rfchain::state();
    const int band = getBandaTreball(f);
    if (band == st.bandProgrammed)
        return;
    if (band >= 0 && band < kBandCount) {
        const Band& b = kBands[band];
        rfchain::writeLine(rfchain::SUB, b.sub);
        rfchain::writeLine(rfchain::SUPER, b.super);
        rfchain::writeLine(rfchain::SUPER2, b.super2);
        rfchain::writeLine(rfchain::HI, b.hi);
        ADF4350* lo = rfchain::frontEnd().localOscillator;
        if (b.conversion == Conversion::Direct) {
            delay(b.oscillatorWaitMs);
            if (lo)
                lo->standby(true);
        } else {
            if (lo)
                lo->programaFreqPilot(b.pilot);
            delay(b.oscillatorWaitMs);
            if (lo)
                lo->rf_output_enable(true);
        }
    }
    delay(kPathSettleMs);
    st.bandProgrammed = band;
}

} // namespace

int getBandaTreball(unsigned int f)
{
    if (f < kBands[0].fromHz)
        return -1;
    int band = 0;
    while (band + 1 < kBandCount && f >= kBands[band + 1].fromHz)
        ++band;
    return band;
}

unsigned int getFrequencyTreballTuner(unsigned int f)
{
    const int band = getBandaTreball(f);
    if (band < 0)
        return f;
    const Band& b = kBands[band];
    const int64_t in = std::min(f, FREQ_MAX_INSTRUMENT_HZ);
    switch (b.conversion) {
    case Conversion::Up:
        return static_cast<unsigned int>(in + b.loHz);
    case Conversion::Down:
        return static_cast<unsigned int>(b.loHz - in);
    case Conversion::Direct:
        break;
    }
    return static_cast<unsigned int>(in);
}

int programaTuner(unsigned int f)
{
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    const unsigned int tuner = getFrequencyTreballTuner(f) / kTunerStepHz * kTunerStepHz;
    max3543_SetRfFreqHz(tuner);
    int status = max3543LockDetect();
    // The reads keep to a grid from the first one: a late wake-up (a timer's overshoot, a
    // busy processor) shortens the next pause instead of adding to every one after it.
    common::Clock& clock = common::clock();
    const uint64_t gridUs = clock.monotonicUs();
    while (status == kStatusSearching && EMBEDDEDTIMERS_GeticksInMs() - start < kLockWaitMs) {
        clock.sleepUs(kLockPollPauseUs - (clock.monotonicUs() - gridUs) % kLockPollPauseUs);
        status = max3543LockDetect();
    }
    return status;
}

int convertirBanda(unsigned int f)
{
    rfchain::runSequence(rfchain::Request::Tune, [f] { switchBand(f); });
    return 0;
}

int sintonitzar(unsigned int f)
{
    rfchain::runSequence(rfchain::Request::Tune, [f] {
        programaTuner(f);
        switchBand(f);
    });
    return 0;
}
