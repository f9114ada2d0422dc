// ISDB-T in the simulated demodulator (system 0x06), monitors in SLVT bank 0x60: the
// demodulator and TS lock and unlock flags, mode and guard, the TMCC of the channel's
// layers (current and next), spectrum sense, carrier offset, the SNR and MER words of the
// channel's MER, IF AGC, and per layer the pre-Reed-Solomon, packet-error-ratio and
// packet-error counts over the packet window the software writes; the tracked sampling
// rate in bank 0x10 and constellation points of the main layer's grid, mirrored as this
// chip shows them, in bank 0x11. The chip receives a channel only when its band setting is
// for the channel's width.
#pragma once

#include "OfdmStandard.h"

namespace platform::sim {

namespace isdbt {
constexpr uint8_t kBank = 0x60;
constexpr uint8_t kAnalysisBank = 0x11;
constexpr uint8_t kWarningBank = 0x61;
// Bank 0x60
constexpr uint8_t kSync = 0x10;           // bit 0 TS lock, bit 1 demodulator lock, bit 4 unlock
constexpr uint8_t kPreRsCounts = 0x16;    // three 23-bit counts, layers A, B, C
constexpr uint8_t kPerCounts = 0x1F;      // three 16-bit counts
constexpr uint8_t kIfAgc = 0x26;
constexpr uint8_t kSnr = 0x28;
constexpr uint8_t kMer = 0x2C;
constexpr uint8_t kTmcc = 0x32;           // 13 bytes
constexpr uint8_t kSense = 0x3F;
constexpr uint8_t kModeGuard = 0x40;      // bits 3-2 mode 1-3 as 0-2, bits 1-0 guard
constexpr uint8_t kCarrierOffset = 0x4C;  // 29-bit two's complement, 2^-28 of the sample rate
constexpr uint8_t kPacketWindow = 0x5B;   // 15-bit packet count of the measuring window
constexpr uint8_t kPacketErrors = 0xA1;   // bit 0 valid, then three 16-bit counts since they were read
// TMCC codes; -1 for what ISDB-T does not carry.
int modulationCode(Modulation m);
int codeRateCode(const std::string& rate);
} // namespace isdbt

class IsdbtStandard : public OfdmStandard {
public:
    const char* name() const override { return standard::kIsdbT; }
    uint8_t systemCode() const override { return cxd2856::kSystemIsdbT; }
    std::vector<uint8_t> banks() const override
    {
        return {isdbt::kBank, isdbt::kWarningBank, isdbt::kAnalysisBank, 0x10};
    }
    void fillDefaults(SceneCarrier& carrier) const override;
    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;

    void onAcquisitionStart(DemodContext& chip) override;
    void onClock(DemodContext& chip) override;
    bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value) override;
    void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value) override;

    // The 13 TMCC bytes of a channel.
    static std::vector<uint8_t> tmccBytes(const DigitalChannel& d);

protected:
    uint8_t rateBank() const override { return 0x10; }
    const std::vector<Band>& bands() const override;

private:
    void showLocked(DemodContext& chip, const SceneCarrier& carrier);
    void showCounters(DemodContext& chip, uint64_t lockUs);

    WindowedCounter preRs_[3];
    WindowedCounter per_[3];
    ErrorCounter packets_[3];
    uint64_t packetsReadUs_ = 0;
};

} // namespace platform::sim
