// DVB-C2 in the simulated demodulator (system 0x05). The chip finds the C2 frame of the
// system around the tuned frequency (sync state rising to 6), reads its layer-1 signalling
// after every preset the software writes, and delivers a transport stream once told a data
// slice and PLP the system carries, near where it is tuned. It presents:
//   bank 0x20  sync state, TS lock, early unlock (0x10); IF AGC (0x26); SNR (0x28); MER
//              (0x2C); pre-LDPC errors (0x39) over 0x6F's window; frame errors after BCH
//              (0x75) over 0x72's; carrier offset (0x4C); the tracked sampling rate (0x52)
//   bank 0x21  constellation samples (0x9B, bit 6 ready, 14-bit I and Q), or the channel
//              response at the point written (0x98) while 0xC3 = 1
//   bank 0x22/0x23  the id list of the layer-1 view (data slices, or a slice's PLPs)
//   bank 0x24  LDPC iterations (0x16, signalling "ldpcIterations", 4 by default);
//              pre-BCH errors (0x40) over 0x20 0x72's window; PER (0xFA) over 0xDC's;
//              errored packets (0xFD) until cleared
//   bank 0x28  spectrum sense (0xE6)
//   bank 0x50  the layer-1 bytes the tune sequencer reads (0x14-0x2A, 0x14 bit 0 ready);
//              the data slice and PLP the software names (0x7A-0x7F, applied by 0x87);
//              layer-1 part 2 ready (0xC4 bit 0); the band words (0xEC-0xED)
//   bank 0x52  the received PLP's FEC frame, modulation and code rate (0x15-0x16);
//              layer-1 part 2 ready (0x1F bit 0); its header (0x20), the selected data
//              slice (0x2F) and PLP (0x3C), the notch list (0x4D) and its tail (0x98)
#pragma once

#include "Constellation.h"
#include "DemodStandard.h"
#include "Dvbc2System.h"
#include "ErrorCounter.h"

namespace platform::sim {

class Dvbc2Standard : public DemodStandard {
public:
    const char* name() const override { return standard::kDvbC2; }
    uint8_t systemCode() const override { return cxd2856::kSystemDvbC2; }
    std::vector<uint8_t> banks() const override { return {0x20, 0x21, 0x22, 0x23, 0x24, 0x28, 0x50, 0x52}; }
    void fillDefaults(SceneCarrier& carrier) const override;
    // The system is wider than the window: the core's coarse check lets any tuning inside
    // it through, and receivable() looks closer.
    double captureRangeHz() const override { return 4e6; }
    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;
    double nominalIfHz(const DemodContext& chip) const override;
    bool streamSelected(const DemodContext& chip) const override;

    void onAcquisitionStart(DemodContext& chip) override;
    void onClock(DemodContext& chip) override;
    bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value) override;
    void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value) override;

    // The tuning bandwidth the band words say (6 or 8), 0 for neither.
    static int programmedBandwidthMhz(const DemodContext& chip);

private:
    // The data slice and PLP named at bank 0x50 0x7A-0x7F, when the system has them and the
    // chip is tuned near that slice.
    const DigitalPlp* selectedPlp(const DemodContext& chip, const C2System& system) const;
    void showQuality(DemodContext& chip, const SceneCarrier& carrier, const C2System& system);
    void showTuneLayerOne(DemodContext& chip, const C2System& system, bool ready);
    void showLayerOnePart2(DemodContext& chip, const C2System& system, bool ready);
    void showCounters(DemodContext& chip, const SceneCarrier* carrier, const DigitalPlp* plp, uint64_t lockUs);

    ConstellationSource constellation_;
    Modulation gridModulation_ = Modulation::Unknown;
    double gridMerDb_ = 0;
    ErrorCounter preLdpc_;
    ErrorCounter preBch_;
    ErrorCounter frames_;
    ErrorCounter per_;
    ErrorCounter packets_;
    uint64_t appliedUs_ = 0;      // the last preset or selection the software applied
    uint64_t preLdpcWrittenUs_ = 0;
    uint64_t bchWrittenUs_ = 0;
    uint64_t perWrittenUs_ = 0;
    uint64_t packetsClearedUs_ = 0;
};

} // namespace platform::sim
