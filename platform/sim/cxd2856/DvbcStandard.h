// DVB-C in the simulated demodulator (system 0x04), monitors in SLVT bank 0x40: lock
// flags, QAM order and spectrum sense, symbol rate, carrier offset, the SNR word, IF AGC,
// the pre-Reed-Solomon bit-error and packet-error counters over the windows the software
// writes, the packet-error count cleared by reading, and one constellation sample per read.
// The chip receives a carrier only when programmed for it: the IF word, and a band
// setting at least as wide as the carrier (symbol rate x 1.15).
#pragma once

#include "Constellation.h"
#include "DemodStandard.h"
#include "ErrorCounter.h"

namespace platform::sim {

namespace dvbc {
constexpr uint8_t kBank = 0x40;
// Bank 0x40
constexpr uint8_t kTsLock = 0x10;        // bit 5
constexpr uint8_t kCarrierOffset = 0x15; // 14-bit two's complement, 48 MHz / 2^14 steps
constexpr uint8_t kQam = 0x19;           // bits 2-0 QAM code, bit 7 spectrum inverted
constexpr uint8_t kSymbolRate = 0x1A;    // 12-bit integer part, 46875 / 16 sps steps
constexpr uint8_t kBandSetting = 0x26;   // four bytes per bandwidth
constexpr uint8_t kIqSample = 0x47;      // I, Q: signed 8-bit
constexpr uint8_t kIfAgc = 0x49;         // 12 bits
constexpr uint8_t kSnr = 0x4C;           // 13 bits
constexpr uint8_t kPerWindow = 0x5C;     // bits 4-0: window of 2^p packets
constexpr uint8_t kPerCount = 0x5D;      // bit 2 valid, then 18-bit count
constexpr uint8_t kPreRsWindow = 0x60;   // bits 4-0: window of 1632 x 2^p bits
constexpr uint8_t kPreRsCount = 0x62;    // bit 7 valid, 22-bit count
constexpr uint8_t kSync = 0x88;          // bit 0 AR lock, bit 1 unlock detected
constexpr uint8_t kSymbolRateFraction = 0x9B; // 32-bit signed fraction, then its shift
constexpr uint8_t kPacketErrors = 0xEA;  // 16-bit count since the last read, 0xEC bit 0 valid
// QAM codes of register 0x19, and the outermost ideal point in sample units.
int qamCode(Modulation m);
int sampleScale(Modulation m);
constexpr double kSymbolRateStepHz = 46875.0 / 16.0; // 2929.6875
constexpr double kPacketBits = 1632;                  // a 204-byte packet
} // namespace dvbc

class DvbcStandard : public DemodStandard {
public:
    const char* name() const override { return standard::kDvbC; }
    uint8_t systemCode() const override { return cxd2856::kSystemDvbC; }
    std::vector<uint8_t> banks() const override { return {dvbc::kBank}; }
    bool carries(const SceneCarrier& carrier) const override;
    void fillDefaults(SceneCarrier& carrier) const override;
    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;
    double nominalIfHz(const DemodContext& chip) const override;

    void onAcquisitionStart(DemodContext& chip) override;
    void onClock(DemodContext& chip) override;
    bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value) override;
    void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value) override;

    // Bandwidth in MHz of the band setting written (6, 7, 8), 0 for none of them.
    static int programmedBandwidthMhz(const DemodContext& chip);

protected:
    // J.83 Annex B shares these monitors: a behaviour of its own can derive from this one.
    // Bits of one transport packet, the unit of the pre-Reed-Solomon window.
    virtual double packetBits() const { return dvbc::kPacketBits; }
    void showLocked(DemodContext& chip, const SceneCarrier& carrier);
    void showCounters(DemodContext& chip, uint64_t lockUs);

    ConstellationSource constellation_;
    ErrorCounter preRs_;
    ErrorCounter per_;
    ErrorCounter packets_;
    uint64_t preRsWrittenUs_ = 0;
    uint64_t perWrittenUs_ = 0;
    uint64_t packetsReadUs_ = 0;
    double gridMerDb_ = 0;
};

} // namespace platform::sim
