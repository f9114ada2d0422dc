// J.83 Annex B in the simulated demodulator (system 0x08): the DVB-C blocks of the chip with
// 188-byte packets, 64QAM and 256QAM only, and two band settings (50 and 51) each made for
// its nominal symbol rates. Bank 0x40 as DVB-C; bank 0x80 adds the spectrum sense and the
// interleave code, each behind a valid flag that rises with AR lock.
#pragma once

#include "DvbcStandard.h"

namespace platform::sim {

namespace j83b {
constexpr uint8_t kBank = 0x80;
// Bank 0x80
constexpr uint8_t kSenseValid = 0x50;     // bit 0
constexpr uint8_t kInterleaveValid = 0x53; // bit 0, then the code in 0x54 bits 3-0
constexpr uint8_t kSense = 0x55;          // bit 0
// Bank 0x40
constexpr uint8_t kBandMode = 0x14;       // 0x14 for band 50, 0x10 for band 51
constexpr double kPacketBits = 1504;       // a 188-byte packet
// Symbol rates the band settings are made for.
constexpr double kRate64Qam = 5056941;
constexpr double kRate256Qam = 5360537;
constexpr double kRate256QamBand51 = 5600000;
} // namespace j83b

class J83bStandard : public DvbcStandard {
public:
    const char* name() const override { return standard::kJ83B; }
    uint8_t systemCode() const override { return cxd2856::kSystemJ83B; }
    std::vector<uint8_t> banks() const override { return {dvbc::kBank, j83b::kBank}; }
    bool carries(const SceneCarrier& carrier) const override { return carrier.standard == standard::kJ83B; }
    void fillDefaults(SceneCarrier& carrier) const override;
    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;
    double nominalIfHz(const DemodContext& chip) const override;

    void onClock(DemodContext& chip) override;
    bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value) override;
    void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value) override;

    // The band setting written (50 or 51), 0 for neither.
    static int programmedBand(const DemodContext& chip);

protected:
    double packetBits() const override { return j83b::kPacketBits; }
};

} // namespace platform::sim
