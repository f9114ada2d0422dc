// DVB-T2 in the simulated demodulator (system 0x02): the sync state climbing through L1-pre
// (profile detected) to lock, then the L1-post, in bank 0x20 with the OFDM parameters, SNR,
// MER, carrier offset, IF AGC and TS rate; the L1-pre and L1-post signalling, the data-PLP
// list and the record of the PLP presented in bank 0x22, as the channel is transmitted; the
// PLP selection of bank 0x23 choosing the PLP presented (a PLP the channel does not carry
// raises the data-PLP error); pre-LDPC, pre-BCH, frame and packet error counters over the
// windows the software writes (banks 0x20 and 0x24), the LDPC iterations; and constellation
// points of the presented PLP's grid with each carrier's MER (bank 0x21). The chip receives a channel only when its band setting
// is for the channel's width.
#pragma once

#include "OfdmStandard.h"

namespace platform::sim {

namespace dvbt2 {
constexpr uint8_t kBank = 0x20;
constexpr uint8_t kAnalysisBank = 0x21;
constexpr uint8_t kL1Bank = 0x22;
constexpr uint8_t kPlpBank = 0x23;
constexpr uint8_t kFecBank = 0x24;
constexpr uint8_t kSenseBank = 0x28;
constexpr uint8_t kProfileBank = 0x2E;
// Bank 0x20
constexpr uint8_t kSync = 0x10;          // bits 2-0 sync state, bit 4 early unlock, bit 5 TS lock
constexpr uint8_t kIfAgc = 0x26;
constexpr uint8_t kSnr = 0x28;
constexpr uint8_t kMer = 0x2C;
constexpr uint8_t kLdpcCount = 0x39;     // bit 4 of the first byte valid, 28-bit count
constexpr uint8_t kCarrierOffset = 0x4C; // 28-bit two's complement, 2^-30 of the sample rate
constexpr uint8_t kOfdm = 0x5C;          // five bytes
constexpr uint8_t kLdpcWindow = 0x6F;    // bits 3-0: 2^p FEC frames
constexpr uint8_t kBchWindow = 0x72;     // bits 3-0: 2^p FEC frames
constexpr uint8_t kFer = 0x75;           // bit 0 valid, 15-bit frame error count
constexpr uint8_t kTsRate = 0xE5;        // 29-bit: 25,165,824,000 / kbit/s
// Bank 0x22
constexpr uint8_t kL1Valid = 0x12;       // bit 0 L1-post valid; 0x13 bit 0 data-PLP error
constexpr uint8_t kL1Pre = 0x20;         // 37 bytes
constexpr uint8_t kL1Post = 0x45;        // 15 bytes
constexpr uint8_t kDataPlp = 0x54;       // 20 bytes of the PLP presented
constexpr uint8_t kPlpCount = 0x7F;      // then up to 128 ids from 0x80, the rest in bank 0x23
// Bank 0x23
constexpr uint8_t kPlpSelect = 0xAD;     // 0 automatic, 1 the id at 0xAF
constexpr uint8_t kPlpId = 0xAF;
// Bank 0x24
constexpr uint8_t kLdpcIterations = 0x16; // of the last frame (signalling "ldpcIterations", 4 by default)
constexpr uint8_t kBchCount = 0x40;      // bit 0 valid, 22-bit count
constexpr uint8_t kPerWindow = 0xDC;     // bits 3-0: 2^p packets
constexpr uint8_t kPer = 0xFA;           // bit 0 valid, 16-bit count
constexpr uint8_t kPacketErrors = 0xFD;  // bit 0 valid, 16-bit count since 0xFE-0xFF were cleared
// Bank 0x2E
constexpr uint8_t kProfile = 0x20;       // bit 1 detected, bit 0 lite
// Codes of the L1 signalling.
int fftCode(int fftSize);
int guardCode(const std::string& guard);
int modulationCode(Modulation m);
int codeRateCode(const std::string& rate);
} // namespace dvbt2

class Dvbt2Standard : public OfdmStandard {
public:
    const char* name() const override { return standard::kDvbT2; }
    uint8_t systemCode() const override { return cxd2856::kSystemDvbT2; }
    std::vector<uint8_t> banks() const override
    {
        return {dvbt2::kBank,    dvbt2::kAnalysisBank, dvbt2::kL1Bank,      dvbt2::kPlpBank,
                dvbt2::kFecBank, 0x25,                 dvbt2::kSenseBank,   dvbt2::kProfileBank};
    }
    void fillDefaults(SceneCarrier& carrier) const override;
    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;

    void onAcquisitionStart(DemodContext& chip) override;
    void onClock(DemodContext& chip) override;
    bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value) override;
    void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value) override;

    // The PLP the chip presents under the software's selection; *missing when the
    // selected id is not carried (the first PLP is presented then).
    static const DigitalPlp& presentedPlp(const DemodContext& chip, const DigitalChannel& d, bool* missing);

protected:
    uint8_t rateBank() const override { return dvbt2::kBank; }
    const std::vector<Band>& bands() const override;

private:
    void showSignalling(DemodContext& chip, const SceneCarrier& carrier, int sync, bool locked);
    void showLocked(DemodContext& chip, const SceneCarrier& carrier);
    void showCounters(DemodContext& chip, uint64_t lockUs);

    WindowedCounter ldpc_;
    WindowedCounter bch_;
    WindowedCounter fer_;
    WindowedCounter per_;
    ErrorCounter packets_;
    uint64_t packetsClearedUs_ = 0;
};

} // namespace platform::sim
