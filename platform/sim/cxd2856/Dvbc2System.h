// A DVB-C2 system as the simulated demodulator sees it in a scene carrier: its carrier
// spacing and pilot spacing, where it starts on the chip's carrier count, its data slices
// (each with a tuning position and its PLPs) and its notches, all in the units of the
// layer-1 signalling. A scene describes them with the carrier's PLPs (their data slices)
// and these signalling entries:
//   "tuningBandwidthMHz"        6 or 8 (default 8): the chip's tuning window
//   "dataSlice<id>OffsetKHz"    a data slice's tuning frequency from the carrier's centre
//   "notch<n>Start", "notch<n>Width"  notch n (0..14) in pilot spacings from the start
//   "networkId", "c2SystemId"
#pragma once

#include "platform/sim/RfScene.h"

#include <cstdint>
#include <vector>

namespace platform::sim {

namespace dvbc2 {
// Codes of the layer-1 signalling (and the chip's PLP registers).
int modulationCode(Modulation m); // 16QAM 1 ... 4096QAM 5, 0 for others
int codeRateCode(const std::string& rate); // 2/3 1, 3/4 2, 4/5 3, 5/6 4, 8/9 or 9/10 5, else 0
constexpr int kHalfWindowCarriers = 1704; // half the chip's tuning window
constexpr int kWindowCarriers = 3408;
} // namespace dvbc2

struct C2Slice {
    int id = 0;
    int tunePosition = 0; // pilot spacings from the system's start
    std::vector<DigitalPlp> plps;
};

struct C2Notch {
    int start = 0; // pilot spacings from the system's start
    int width = 0;
};

class C2System {
public:
    // The system a carrier describes, its PLPs' modulation and code rate filled in.
    static C2System of(const SceneCarrier& carrier);

    int tuningBandwidthMhz() const { return tuningMhz_; }
    double carrierSpacingHz() const { return spacingHz_; }
    int pilotSpacing() const { return dx_; }
    bool shortGuard() const { return dx_ == 12; } // 1/64 against 1/128
    uint32_t startWord() const { return startWord_; }
    int bandwidthPilots() const { return bandwidthPilots_; }
    const std::vector<C2Slice>& slices() const { return slices_; }
    const std::vector<C2Notch>& notches() const { return notches_; }
    int networkId() const { return networkId_; }
    int systemId() const { return systemId_; }

    const C2Slice* slice(int id) const;
    const DigitalPlp* plp(int sliceId, int plpId) const;
    // Carrier words (carriers from 0 Hz) of a data slice, and its tuning frequency.
    uint32_t sliceWord(const C2Slice& s) const { return startWord_ + uint32_t(s.tunePosition * dx_); }
    double sliceFrequencyHz(const C2Slice& s) const { return sliceWord(s) * spacingHz_; }
    uint32_t word(double frequencyHz) const;

private:
    int tuningMhz_ = 8;
    double spacingHz_ = 0;
    int dx_ = 24;
    uint32_t startWord_ = 0;
    int bandwidthPilots_ = 0;
    std::vector<C2Slice> slices_;
    std::vector<C2Notch> notches_;
    int networkId_ = 0;
    int systemId_ = 0;
};

} // namespace platform::sim
