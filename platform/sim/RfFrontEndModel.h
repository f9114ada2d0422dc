// The analogue front end of the simulated board between the input and the converter.
// From the live state of the band lines, the local oscillator and the tuner it finds the
// input frequency that reaches the detector (band 0: tuner - LO; bands 1-2: tuner; bands
// 3-6: LO - tuner); a combination the unit would never set (a wrong line, the LO off where
// it is needed, running where it is not) passes no signal. The attenuation comes from the
// ATT0 pad and both step attenuators, the IF filter from F2/F3. The converter's channels
// answer from the scene through the inverse of the simulated unit's calibration lines, the
// input-voltage channel from the LNB supply while its output is on, and the battery and
// rail channels from the supply voltages.
#pragma once

#include "Max11337Model.h"
#include "Max3543Model.h"
#include "Pe4312Model.h"
#include "RfScene.h"
#include "SimulatedBoard.h"
#include "SupplyRails.h"
#include "SynthesizerNodeModel.h"
#include "Tps65233Model.h"

#include <atomic>
#include <memory>
#include <optional>

namespace platform::sim {

// A calibration line: reading (tenths) = raw × slope + offset.
struct DetectorLine {
    double slope;
    double offset;
};

// The lines of the simulated unit, as data/calibracion/ writes them.
struct UnitCalibration {
    DetectorLine peak{0.2, 0.0};      // tenths of a dBµV at the detector
    DetectorLine powerMeter{0.25, 0.0}; // tenths of a dBµV, total input power
    DetectorLine optical{0.1, -300.0};  // tenths of a dBm
};

class RfFrontEndModel {
public:
    static constexpr double kNarrowFilterHz = 157500.0;
    static constexpr double kWideFilterHz = 2500000.0;

    RfFrontEndModel(SimulatedBoard& board, std::shared_ptr<RfScene> scene);

    RfScene& scene() { return *scene_; }
    UnitCalibration calibration() const;
    void setCalibration(const UnitCalibration& calibration);
    // Each conversion of a level channel moves by up to ±steps (0: exact readings).
    void setJitterSteps(int steps) { jitter_ = steps; }

    // The input frequency at the detector, or none when the path is inconsistent.
    std::optional<double> effectiveFrequencyHz() const;
    // What the band path brings to a tuner working at workingHz (the MAX3543 or the
    // demodulator's tuner): the input frequency, and whether the conversion flips the
    // spectrum (the bands above the LO). None when the path is inconsistent.
    struct PathInput {
        double frequencyHz;
        bool spectrumInverted;
    };
    std::optional<PathInput> inputAtWorkingHz(double workingHz) const;
    // Working band the lines select (0..6, direct bands as 1), -1 when they select none.
    int bandFromLines() const;
    double attenuationDb() const;
    // 157500 or 2500000; 0 when F2/F3 select no filter (both low, as at start-up, or both high).
    double filterBandwidthHz() const;
    // Detector level in dBµV after the attenuator and the filter, with the envelope of the
    // noise-like signals (RfScene::powerInFilterDbuV) at the gain given.
    double detectorLevelDbuV(double envelopeGain = 1.0) const;
    // The peak detector follows the envelope of what the filter passes. A noise-like signal's
    // envelope (a digital block, the noise) rises well above its mean power now and then, so
    // the largest of several conversions reads above that mean while a mean of conversions
    // hardly does. Here it rises 5 dB above its mean once in every 20 conversion times and
    // lies a little below between, its mean power unchanged: the largest of 20 conversions
    // reads 5 dB above the mean power, a mean of 10 within a few hundredths of a dB of it.
    static double envelopeGainAt(uint64_t monotonicUs);

    // The battery and the supply rails the converter watches.
    SupplyRails& supplies() { return supplies_; }

    // The converter's answer for one channel at the given board time; 0 for the channels
    // that are not connected.
    int converterValue(int channel, uint64_t monotonicUs);

private:
    int line(int gpio) const;
    int humDetectorValue(double seconds) const;
    int jitter();

    SimulatedBoard& board_;
    std::shared_ptr<RfScene> scene_;
    std::shared_ptr<Pe4312Model> attA_;
    std::shared_ptr<Pe4312Model> attB_;
    std::shared_ptr<SynthesizerNodeModel> synthesizers_;
    std::shared_ptr<Max3543Model> tuner_;
    std::shared_ptr<Tps65233Model> lnbSupply_;
    mutable std::mutex mutex_;
    UnitCalibration calibration_;
    SupplyRails supplies_;
    std::atomic<int> jitter_{0};
    uint32_t random_ = 0x2545F491u;
};

// Puts the model between the board's chip models and its converter (installed before),
// with the given scene, and keeps it alive with the board.
std::shared_ptr<RfFrontEndModel> installRfFrontEnd(SimulatedBoard& board, std::shared_ptr<RfScene> scene);

} // namespace platform::sim
