#include "RfFrontEndModel.h"

#include "common/BoardWiring.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

namespace {

// What the lines select: SUB, SUPER, SUPER2, HI and the LO the band needs (0: none).
struct BandPath {
    int sub, super, super2, hi;
    int band;
    uint64_t loHz;
    double lowHz, highHz; // input range the band's filters pass
};

constexpr BandPath kPaths[] = {
    {1, 0, 0, 1, 0, 195000000, 5e6, 90e6},
    {0, 0, 0, 1, 1, 0, 90e6, 900e6},
    {0, 1, 0, 1, 3, 1600000000, 900e6, 1350e6},
    {0, 1, 0, 0, 4, 2050000000, 1350e6, 1800e6},
    {0, 1, 1, 1, 5, 2500000000, 1800e6, 2250e6},
    {0, 1, 1, 0, 6, 2950000000, 2250e6, 2950e6},
};

// Below the converter's first step with any calibration the unit uses.
constexpr double kNoSignalDbuV = -60.0;

// The noise-like envelope's rise over its mean power, and how many conversion times apart.
constexpr double kEnvelopePeakDb = 5.0;
constexpr uint64_t kEnvelopePeriod = 20;

// The hum and voltage channels as the engine's formulas read them back.
constexpr double kHumStepsPerPercent = 1.0 / 0.036;
constexpr double kHumBase = 2048.0;
constexpr double kVoltageZero = 2036.0;
constexpr double kDcDecivoltsPerStep = 0.873;
constexpr double kLnbMaPerStep = 0.00050012214 * 281.8;
constexpr double kPi = 3.14159265358979323846;

// The unit's hum detector is trimmed so that the instrument reads the hum of a 50 Hz network
// right. The instrument smooths its readings with moving means of 15, taken one reading (two
// conversions) apart, and such a mean passes only part of a 50 Hz ripple.
double trimmedHumStepsPerPercent()
{
    constexpr double kTrimHz = 50.0;
    constexpr int kMeanLength = 15;
    const double x = kPi * kTrimHz * 2.0 * static_cast<double>(Max11337Model::kConversionUs) / 1e6;
    return kHumStepsPerPercent * kMeanLength * std::sin(x) / std::sin(kMeanLength * x);
}

int rawFromLine(double tenths, const DetectorLine& l)
{
    if (l.slope == 0)
        return 0;
    return static_cast<int>(std::lround((tenths - l.offset) / l.slope));
}

const BandPath* pathForBand(int band)
{
    for (const BandPath& p : kPaths)
        if (p.band == band)
            return &p;
    return nullptr;
}

} // namespace

RfFrontEndModel::RfFrontEndModel(SimulatedBoard& board, std::shared_ptr<RfScene> scene)
    : board_(board), scene_(std::move(scene))
{
    attA_ = std::dynamic_pointer_cast<Pe4312Model>(board.spiModel(wiring::kAttenuatorANode));
    attB_ = std::dynamic_pointer_cast<Pe4312Model>(board.spiModel(wiring::kAttenuatorBNode));
    synthesizers_ = std::dynamic_pointer_cast<SynthesizerNodeModel>(board.spiModel(wiring::kSynthesizerNode));
    tuner_ = std::dynamic_pointer_cast<Max3543Model>(board.i2cModel(wiring::kTunerAddress));
    lnbSupply_ = std::dynamic_pointer_cast<Tps65233Model>(board.i2cModel(wiring::kLnbSupplyAddress));
}

UnitCalibration RfFrontEndModel::calibration() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calibration_;
}

void RfFrontEndModel::setCalibration(const UnitCalibration& calibration)
{
    std::lock_guard<std::mutex> lock(mutex_);
    calibration_ = calibration;
}

int RfFrontEndModel::line(int gpio) const
{
    return board_.gpio().isExported(gpio) ? board_.gpio().level(gpio) : 0;
}

int RfFrontEndModel::bandFromLines() const
{
    namespace g = wiring::gpio;
    const int sub = line(g::SUB), super = line(g::SUPER), super2 = line(g::SUPER2), hi = line(g::HI);
    for (const BandPath& p : kPaths)
        if (p.sub == sub && p.super == super && p.super2 == super2 && p.hi == hi)
            return p.band;
    return -1;
}

std::optional<double> RfFrontEndModel::effectiveFrequencyHz() const
{
    if (!tuner_)
        return std::nullopt;
    const auto input = inputAtWorkingHz(static_cast<double>(tuner_->tunedFrequencyHz()));
    return input ? std::optional<double>(input->frequencyHz) : std::nullopt;
}

std::optional<RfFrontEndModel::PathInput> RfFrontEndModel::inputAtWorkingHz(double workingHz) const
{
    const BandPath* path = pathForBand(bandFromLines());
    if (!path)
        return std::nullopt;
    const bool loOn = synthesizers_ && synthesizers_->adf4350().rfOutputEnabled();
    const uint64_t lo = synthesizers_ ? synthesizers_->adf4350().outputFrequencyHz() : 0;
    double f = 0;
    if (path->loHz == 0) {
        if (loOn)
            return std::nullopt; // a running LO leaks into the straight path
        f = workingHz;
    } else {
        if (!loOn || lo != path->loHz)
            return std::nullopt;
        f = path->band == 0 ? workingHz - static_cast<double>(lo) : static_cast<double>(lo) - workingHz;
    }
    if (f < path->lowHz || f >= path->highHz)
        return std::nullopt;
    return PathInput{f, path->band >= 3};
}

double RfFrontEndModel::attenuationDb() const
{
    const double pad = line(wiring::gpio::ATT0) == 0 ? 20.0 : 0.0;
    return pad + (attA_ ? attA_->attenuationDb() : 0.0) + (attB_ ? attB_->attenuationDb() : 0.0);
}

double RfFrontEndModel::filterBandwidthHz() const
{
    const int f2 = line(wiring::gpio::F2), f3 = line(wiring::gpio::F3);
    if (f2 && !f3)
        return kNarrowFilterHz;
    if (!f2 && f3)
        return kWideFilterHz;
    return 0;
}

double RfFrontEndModel::detectorLevelDbuV(double envelopeGain) const
{
    const auto f = effectiveFrequencyHz();
    const double filter = filterBandwidthHz();
    if (!f || filter == 0)
        return kNoSignalDbuV;
    return scene_->powerInFilterDbuV(*f, filter, envelopeGain) - attenuationDb();
}

double RfFrontEndModel::envelopeGainAt(uint64_t monotonicUs)
{
    const double peak = std::pow(10.0, kEnvelopePeakDb / 10.0);
    if ((monotonicUs / Max11337Model::kConversionUs) % kEnvelopePeriod == 0)
        return peak;
    return (kEnvelopePeriod - peak) / (kEnvelopePeriod - 1);
}

int RfFrontEndModel::jitter()
{
    const int k = jitter_.load();
    if (k <= 0)
        return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    // xorshift: repeatable from run to run
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return static_cast<int>(random_ % static_cast<uint32_t>(2 * k + 1)) - k;
}

int RfFrontEndModel::humDetectorValue(double seconds) const
{
    // The detector follows the envelope of what the IF passes: the carriers there ripple with
    // the hum, the noise does not, and with nothing tuned nothing ripples.
    const auto f = effectiveFrequencyHz();
    const double filter = filterBandwidthHz();
    const double share = f && filter > 0 ? scene_->carrierShareInFilter(*f, filter) : 0.0;
    return static_cast<int>(
        std::lround(kHumBase + share * scene_->humDeviationAt(seconds) * trimmedHumStepsPerPercent()));
}

int RfFrontEndModel::converterValue(int channel, uint64_t monotonicUs)
{
    const UnitCalibration cal = calibration();
    const double t = static_cast<double>(monotonicUs) / 1e6;
    namespace w = wiring::max11337;
    switch (channel) {
    case w::kPeakChannel:
        return rawFromLine(detectorLevelDbuV(envelopeGainAt(monotonicUs)) * 10.0, cal.peak) + jitter();
    case w::kPowerMeterChannel:
        return rawFromLine(scene_->totalPowerDbuV() * 10.0, cal.powerMeter) + jitter();
    case w::kLnbCurrentChannel: {
        const bool on = lnbSupply_ && lnbSupply_->outputEnabled();
        return on ? static_cast<int>(std::lround(scene_->lnbLoadMa() / kLnbMaPerStep)) : 0;
    }
    case w::kInputVoltageChannel: {
        // A powered LNB supply drives the input itself.
        const bool lnb = lnbSupply_ && lnbSupply_->outputEnabled();
        const double volts = lnb ? lnbSupply_->outputVolts() : scene_->inputVoltsAt(t);
        return static_cast<int>(std::lround(kVoltageZero + volts * 10.0 / kDcDecivoltsPerStep));
    }
    case w::kHumChannel:
        return humDetectorValue(t);
    case w::kOpticalChannel:
        return rawFromLine(scene_->opticalPowerDbm() * 10.0, cal.optical) + jitter();
    default:
        return std::max(supplies_.converterValue(channel), 0);
    }
}

std::shared_ptr<RfFrontEndModel> installRfFrontEnd(SimulatedBoard& board, std::shared_ptr<RfScene> scene)
{
    auto model = std::make_shared<RfFrontEndModel>(board, std::move(scene));
    if (auto converter = std::dynamic_pointer_cast<Max11337Model>(board.spiModel(wiring::kConverterNode))) {
        std::weak_ptr<RfFrontEndModel> weak = model;
        converter->setSource([weak](int channel, uint64_t us) {
            auto m = weak.lock();
            return m ? m->converterValue(channel, us) : 0;
        });
    }
    board.keep(model);
    return model;
}

} // namespace platform::sim
