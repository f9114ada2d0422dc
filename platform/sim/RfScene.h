// The signal on the instrument's inputs: carriers over a noise floor, with tilt, hum, an
// input voltage and the optical power. Tests and the default board speak physics to it
// (add a carrier, set the noise floor); the front-end model asks it for the power inside
// a filter. Levels in dBµV (75 Ω), optical power in dBm. Safe to use from any thread.
#pragma once

#include "DigitalChannel.h"
#include "DocsisPlan.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform::sim {

// A distortion product of an analogue channel: a beat offsetHz from its vision carrier,
// levelDbc relative to that carrier's level.
struct SceneBeat {
    double offsetHz;
    double levelDbc;
};

// Shape of the mains on the RF input: the grid's sine, or the quasi-square wave of a
// cable network's remote power supplies.
enum class MainsShape { Sine, QuasiSquare };

struct SceneCarrier {
    enum class Kind {
        Cw,       // one unmodulated line
        Analogue, // an analogue TV channel: vision carrier plus sound carrier
        Digital,  // a single-carrier digital block (DVB-C, J.83B ...), flat over its bandwidth
        Ofdm,     // an OFDM block (DVB-T/T2/C2, DOCSIS 3.1), flat over its bandwidth
    };
    Kind kind = Kind::Cw;
    double frequencyHz = 0;  // CW line, vision carrier, or the centre of a block
    double levelDbuV = 0;    // line or vision carrier level; total power of a block
    double bandwidthHz = 0;  // blocks only
    std::string standard;    // "PAL", "DVB-C", "J83B", "DVB-T2", "DOCSIS31" ... (DigitalChannel.h)
    double soundOffsetHz = 0; // analogue: sound carrier above the vision carrier
    double soundLevelDbuV = 0;
    // Analogue: the network's distortion around the vision carrier. The composite triple
    // beat lies under the vision carrier and shows once that carrier is switched off at the
    // head-end; the composite second-order beats lie beside it.
    static constexpr double kNoBeat = -200.0;
    double ctbDbc = kNoBeat;
    std::vector<SceneBeat> cso;
    bool visionRemoved = false;
    double merDb = 0;         // digital quality, for the demodulator models
    DigitalChannel digital;   // what a demodulator finds in a digital block
};

class RfScene {
public:
    // Narrow IF filter of the instrument; also the reference bandwidth of the noise floor.
    static constexpr double kNoiseReferenceHz = 157500.0;

    void clear();
    void addCw(double frequencyHz, double levelDbuV);
    // Vision carrier at frequencyHz, sound carrier soundOffsetHz above it.
    void addAnalogue(double visionHz, double visionDbuV, double soundOffsetHz, double soundDbuV,
                     const std::string& standard = "PAL");
    // Blocks, with what a demodulator finds in them (DigitalChannel.h).
    void addDigital(double centreHz, double bandwidthHz, double levelDbuV, const std::string& standard,
                    double merDb = 38.0, const DigitalChannel& digital = {});
    void addOfdm(double centreHz, double bandwidthHz, double levelDbuV, const std::string& standard,
                 double merDb = 40.0, const DigitalChannel& digital = {});
    // A DVB-S or DVB-S2 carrier at its frequency after the LNB, as wide as its symbol rate
    // and roll-off (signalling "rolloff%", 35 by default) make it, its level set so that it
    // stands cnDb above the noise floor as it is now (measured in the symbol rate).
    void addSatellite(double centreHz, double symbolRateBd, const std::string& standard, double cnDb,
                      DigitalChannel digital = {});
    void add(const SceneCarrier& carrier);
    // Distortion of the analogue channel whose vision carrier is at visionHz (within 1 kHz);
    // false when there is no such channel.
    bool setDistortion(double visionHz, double ctbDbc, const std::vector<SceneBeat>& cso);
    // Switches that vision carrier off (or on again); its sound carrier and beats stay.
    bool removeVisionCarrier(double visionHz, bool removed = true);
    std::vector<SceneCarrier> carriers() const;
    // The digital and OFDM blocks whose standard begins with standardPrefix, lowest first,
    // each with its level as it reaches the input (tilt applied).
    std::vector<SceneCarrier> blocksOf(const std::string& standardPrefix) const;
    // The block nearest frequencyHz among those whose band holds it (the lower one of two as
    // near), tilt applied; none when it lies in no block. A demodulator asks on every register
    // access: only the block found is copied.
    std::optional<SceneCarrier> blockAt(double frequencyHz) const;

    // Noise density in dBµV per 157.5 kHz.
    void setNoiseFloor(double dbuvPer157k5);
    double noiseFloor() const;
    // Level change per GHz above referenceHz (a cable's tilt), applied to every carrier.
    void setTilt(double dbPerGhz, double referenceHz = 0);
    double tiltDbPerGhz() const;
    // Hum: peak-to-peak amplitude modulation of every carrier in percent, at the mains
    // frequency.
    void setHumPercent(double percent);
    double humPercent() const;
    // Voltage on the RF input: DC volts, and AC at acHz, the mains frequency (a DC supply's
    // ripple is its AC part). The AC is given as a sine's RMS, its peak over root 2, whatever
    // the shape: what the instrument's peak-to-peak reading reports.
    void setInputVoltage(double dcVolts, double acVoltsRms = 0, double acHz = 50,
                         MainsShape shape = MainsShape::Sine);
    void inputVoltage(double* dcVolts, double* acVoltsRms, double* acHz) const;
    // The waveforms at a time of the board's monotonic clock, in seconds: the input voltage
    // in volts, and the hum's deviation of a carrier's amplitude in percent (± half the hum).
    double inputVoltsAt(double seconds) const;
    double humDeviationAt(double seconds) const;
    // Current drawn from the LNB supply while its output is on.
    void setLnbLoadMa(double mA);
    double lnbLoadMa() const;
    void setOpticalPowerDbm(double dBm);
    double opticalPowerDbm() const;
    // The DOCSIS head end behind the cable (DocsisPlan.h); the typical one by default.
    void setDocsisPlan(const DocsisPlan& plan);
    DocsisPlan docsisPlan() const;

    // Power inside an IF filter of the given bandwidth centred at frequencyHz: lines through
    // a bell-shaped response (-3 dB at the filter edges), blocks by their share of the
    // window, plus the noise. The digital blocks and the noise are noise-like: their
    // envelope wanders about their mean power, and envelopeGain (linear) gives the power
    // they show at a moment when it stands that far from the mean (1: the mean power).
    double powerInFilterDbuV(double frequencyHz, double filterBandwidthHz, double envelopeGain = 1.0) const;
    // The share of that power the carriers and their beats give, the rest being noise (0 to 1).
    double carrierShareInFilter(double frequencyHz, double filterBandwidthHz) const;
    // Total power of everything on the input, 5 MHz to 2.7 GHz.
    double totalPowerDbuV() const;

    // A cable network as the standard European channel plan lays it out: PAL channels from
    // S2 to S20 with their beats, DVB-C (64-QAM, then 256-QAM) from S21 to E69 with a DOCSIS
    // 3.0 bonding group of four channels at 602 to 626 MHz and terrestrial retransmissions at
    // 834 (DVB-T), 842 (DVB-T2, two PLPs) and 850 MHz (ISDB-T, 6 MHz), and above the plan a
    // DVB-C2 system (866 MHz), a J.83 Annex B channel (873 MHz) and a DOCSIS 3.1 OFDM block;
    // above the cable band a satellite IF with a DVB-S (1150 MHz) and a DVB-S2 (1450 MHz) carrier.
    static void typicalCableNetwork(RfScene& scene);

private:
    template <class F>
    auto locked(F f) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return f();
    }
    double tiltedLocked(double levelDbuV, double frequencyHz) const;
    // Linear powers inside the filter: the lines (CW, analogue carriers and their beats),
    // the digital blocks, the noise.
    struct FilterPowers {
        double lines = 0;
        double blocks = 0;
        double noise = 0;
    };
    FilterPowers inFilterLocked(double frequencyHz, double filterBandwidthHz) const;
    SceneCarrier* analogueAtLocked(double visionHz);

    mutable std::mutex mutex_;
    std::vector<SceneCarrier> carriers_;
    double noiseFloor_ = -10.0;
    double tiltDbPerGhz_ = 0;
    double tiltReferenceHz_ = 0;
    double humPercent_ = 0;
    double dcVolts_ = 0;
    double acVolts_ = 0;
    double acHz_ = 50;
    MainsShape mainsShape_ = MainsShape::Sine;
    double lnbMa_ = 0;
    double opticalDbm_ = -40.0;
    DocsisPlan docsisPlan_;
};

} // namespace platform::sim
