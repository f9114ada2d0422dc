// DVB-S and DVB-S2 in the simulated demodulator: two behaviours, DVB-S (system 0x0A) and
// DVB-S2 (0x0B, which with bank 0x00 register 0x2D set takes either). A carrier locks when the
// tuner is within the capture range (1 MHz or 15 % of its rate) and its symbol rate lies within
// 2 % of the programmed one, or, in the search configuration, within the ratio range around it.
// Once locked the chip shows timing and TS lock, pilot detection, the symbol rate, carrier
// offset, C/N (the chip's calibration at its known rows), PLS code or DVB-S code rate, BB
// header, error counters over the windows the software writes, the packets in error since
// they were last read, and constellation samples.
// Its spectrum engine sweeps or measures single points of the scene's satellite spectrum.
#pragma once

#include "Constellation.h"
#include "DemodStandard.h"
#include "ErrorCounter.h"

#include <array>

namespace platform::sim {

namespace sat {
// Bank 0xA0 unless named.
constexpr uint8_t kBank = 0xA0;
constexpr uint8_t kTimingLock = 0x10;  // bit 0
constexpr uint8_t kSync = 0x11;        // bit 2 TS lock, bit 0 pilot detection locked
constexpr uint8_t kIfAgc = 0x1F;       // 13 bits
constexpr uint8_t kPls = 0x21;         // MODCOD << 2 | pilots on
constexpr uint8_t kCsFinished = 0x40;
constexpr uint8_t kCarrierOffset = 0x45; // 21 bits
constexpr uint8_t kBbHeader = 0x49;
constexpr uint8_t kMode = 0x50;        // bit 4 high sampling rate, bits 1-0 0 S2 / 1 S
constexpr uint8_t kSinglePower = 0x52;
constexpr uint8_t kEngineStart = 0x54;
constexpr uint8_t kEngineAck = 0x55;
constexpr uint8_t kEngineOn = 0x56;
constexpr uint8_t kCfFine = 0xCA;      // 21 bits, the negated offset
constexpr uint8_t kEngineInverted = 0xD7;
constexpr uint8_t kCnrBank = 0xA1;     // 0x10: valid, then 13 bits
constexpr uint8_t kConstellationBank = 0xAA;
constexpr uint8_t kSpectrumBank = 0xAB; // 0x40.. one result, 0x44 read end, 0xF1.. span, 0xF9 mode
constexpr uint8_t kSearchBank = 0xAE;  // 0x10 search finished, 0x20.. rate word, 0x24 search, 0x28.. ratios
constexpr uint8_t kRateBank = 0xAF;    // 0x38.. 27-bit rate
constexpr uint8_t kDvbsBank = 0xB1;    // 0x10 code rate, 0x3E / 0x5D sense
constexpr uint8_t kLdpcBank = 0xB2;
constexpr uint8_t kPerBank = 0xB8;
constexpr uint8_t kPacketBank = 0x40;  // 0xEA.. 16-bit count since read, 0xEC bit 0 valid
constexpr uint8_t kPacketErrors = 0xEA;
// The MODCOD of a DVB-S2 carrier (signalling "modcod", else from modulation and code rate);
// 0 for what the chip does not demodulate.
int modcod(const SceneCarrier& carrier);
// The chip's C/N register value for a C/N in dB.
uint32_t cnrRegister(bool dvbs2, double cnDb);
} // namespace sat

class SatelliteStandard : public DemodStandard {
public:
    explicit SatelliteStandard(bool dvbs2) : dvbs2_(dvbs2) {}

    const char* name() const override;
    uint8_t systemCode() const override;
    std::vector<uint8_t> banks() const override;
    bool carries(const SceneCarrier& carrier) const override;
    void fillDefaults(SceneCarrier& carrier) const override;
    // The real check is the rate-dependent one in receivable.
    double captureRangeHz() const override { return 25e6; }
    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;
    // Zero IF.
    double programmedIfHz(const DemodContext&) const override { return 0; }
    double nominalIfHz(const DemodContext&) const override { return 0; }

    void onAcquisitionStart(DemodContext& chip) override;
    void onClock(DemodContext& chip) override;
    bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value) override;
    void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value) override;

    // The rate the software programmed, in symbols per second.
    static double programmedRateBd(const DemodContext& chip);

private:
    bool locked(const DemodContext& chip) const;
    void showLocked(DemodContext& chip, const SceneCarrier& carrier);
    void showCounters(DemodContext& chip);
    void startEngine(DemodContext& chip);
    void showEngine(DemodContext& chip);

    bool dvbs2_;
    ConstellationSource constellation_;
    Modulation gridModulation_ = Modulation::Unknown;
    double gridCnDb_ = -1;
    // Counters: pre-Viterbi, pre-RS and packets (DVB-S); pre-LDPC, pre-BCH, frames and
    // packets (DVB-S2).
    std::array<ErrorCounter, 4> counters_;
    ErrorCounter packets_;
    uint64_t packetsReadUs_ = 0;
    std::array<uint64_t, 4> windowWrittenUs_{};
    // The spectrum engine.
    bool engineRunning_ = false;
    bool sweep_ = false;
    uint64_t engineDoneUs_ = 0;
    std::vector<std::pair<int, uint16_t>> results_; // offset in clock / 2048 steps, raw power
    size_t resultIndex_ = 0;
    uint16_t singlePower_ = 0;
};

} // namespace platform::sim
