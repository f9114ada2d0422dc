// DVB-T in the simulated demodulator (system 0x01), monitors in SLVT bank 0x10 and the
// analysis unit in bank 0x11: the sync state with TS lock and early unlock, TPS and
// mode/guard as the channel is transmitted (constellation, code rate, guard, FFT size,
// cell id), spectrum sense, carrier offset, the SNR and MER words of the channel's MER,
// IF AGC, the pre-Viterbi, pre-Reed-Solomon and packet-error counters over the windows the
// software writes, and constellation points of the channel's grid. The chip receives a
// channel only when its band setting is for the channel's width.
#pragma once

#include "OfdmStandard.h"

namespace platform::sim {

namespace dvbt {
constexpr uint8_t kBank = 0x10;
constexpr uint8_t kAnalysisBank = 0x11;
// Bank 0x10
constexpr uint8_t kSync = 0x10;           // bits 2-0 sync state, bit 4 early unlock, bit 5 TS lock
constexpr uint8_t kViterbiCount = 0x22;   // 16-bit pre-Viterbi error count
constexpr uint8_t kIfAgc = 0x26;          // 12 bits
constexpr uint8_t kSnr = 0x28;            // SNR word
constexpr uint8_t kMer = 0x2C;            // MER word
constexpr uint8_t kTps = 0x2F;            // seven TPS bytes
constexpr uint8_t kViterbiValid = 0x39;   // bit 0
constexpr uint8_t kSense = 0x3F;          // bit 0 spectrum inverted
constexpr uint8_t kModeGuard = 0x40;      // bits 3-2 mode, 1-0 guard
constexpr uint8_t kCarrierOffset = 0x4C;  // 29-bit two's complement, 2^-28 of the sample rate
constexpr uint8_t kPerWindow = 0x5C;      // bits 3-0: 2^p packets (the software's)
constexpr uint8_t kPer = 0x5D;            // bit 0 valid, then the 16-bit count
constexpr uint8_t kPreRsWindow = 0x60;    // bits 4-0: 1632 x 2^p bits
constexpr uint8_t kPreRsCount = 0x62;     // bit 7 valid, 22-bit count
constexpr uint8_t kViterbiWindow = 0x6F;  // bits 2-0: 256 bits for 0, else 4096 x 2^p
constexpr uint8_t kPacketErrors = 0xEA;   // 16-bit count, 0xEC bit 0 valid
// TPS codes.
int constellationCode(Modulation m);  // -1 for what DVB-T does not carry
int codeRateCode(const std::string& rate);
int guardCode(const std::string& guard);
int modeCode(int fftSize);
} // namespace dvbt

class DvbtStandard : public OfdmStandard {
public:
    const char* name() const override { return standard::kDvbT; }
    uint8_t systemCode() const override { return cxd2856::kSystemDvbT; }
    std::vector<uint8_t> banks() const override { return {dvbt::kBank, dvbt::kAnalysisBank}; }
    void fillDefaults(SceneCarrier& carrier) const override;
    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;

    void onAcquisitionStart(DemodContext& chip) override;
    void onClock(DemodContext& chip) override;
    bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value) override;
    void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value) override;

protected:
    uint8_t rateBank() const override { return dvbt::kBank; }
    const std::vector<Band>& bands() const override;

private:
    void showLocked(DemodContext& chip, const SceneCarrier& carrier);
    void showCounters(DemodContext& chip, uint64_t lockUs);

    WindowedCounter viterbi_;
    WindowedCounter preRs_;
    WindowedCounter per_;
    ErrorCounter packets_;
    uint64_t packetsReadUs_ = 0;
};

} // namespace platform::sim
