#include "Dvbc2System.h"

#include <cmath>
#include <string>

namespace platform::sim {

namespace {
int64_t entry(const SceneCarrier& c, const std::string& key, int64_t fallback)
{
    const auto it = c.digital.signalling.find(key);
    return it != c.digital.signalling.end() ? it->second : fallback;
}
} // namespace

int dvbc2::modulationCode(Modulation m)
{
    switch (m) {
    case Modulation::Qam16: return 1;
    case Modulation::Qam64: return 2;
    case Modulation::Qam256: return 3;
    case Modulation::Qam1024: return 4;
    case Modulation::Qam4096: return 5;
    default: return 0;
    }
}

int dvbc2::codeRateCode(const std::string& rate)
{
    const char* rates[] = {"2/3", "3/4", "4/5", "5/6"};
    for (int i = 0; i < 4; ++i)
        if (rate == rates[i])
            return i + 1;
    return rate == "8/9" || rate == "9/10" ? 5 : 0;
}

C2System C2System::of(const SceneCarrier& carrier)
{
    C2System s;
    s.tuningMhz_ = entry(carrier, "tuningBandwidthMHz", 8) == 6 ? 6 : 8;
    // Carrier spacing: the 4K symbol's useful part is 448 us at 8 MHz, 597.3 us at 6 MHz.
    s.spacingHz_ = s.tuningMhz_ == 6 ? 1e6 / 597.333333 : 1e6 / 448.0;
    s.dx_ = carrier.digital.guardInterval == "1/64" ? 12 : 24;
    const double start = (carrier.frequencyHz - carrier.bandwidthHz / 2) / s.spacingHz_;
    s.startWord_ = uint32_t(std::floor(start / s.dx_)) * uint32_t(s.dx_);
    s.bandwidthPilots_ = int(std::lround(carrier.bandwidthHz / s.spacingHz_ / s.dx_));
    s.networkId_ = int(entry(carrier, "networkId", 0x3001));
    s.systemId_ = int(entry(carrier, "c2SystemId", 1));

    std::vector<DigitalPlp> plps = carrier.digital.plps;
    if (plps.empty())
        plps.push_back(DigitalPlp{1, Modulation::Unknown, "", 0});
    for (DigitalPlp& p : plps) {
        if (p.modulation == Modulation::Unknown)
            p.modulation = carrier.digital.modulation != Modulation::Unknown ? carrier.digital.modulation
                                                                               : Modulation::Qam256;
        if (p.codeRate.empty())
            p.codeRate = carrier.digital.codeRate.empty() ? "3/4" : carrier.digital.codeRate;
        C2Slice* slice = nullptr;
        for (C2Slice& existing : s.slices_)
            if (existing.id == p.dataSlice)
                slice = &existing;
        if (!slice) {
            C2Slice fresh;
            fresh.id = p.dataSlice;
            const double hz = carrier.frequencyHz + entry(carrier, "dataSlice" + std::to_string(p.dataSlice) + "OffsetKHz", 0) * 1e3;
            fresh.tunePosition = int(std::lround((hz / s.spacingHz_ - s.startWord_) / s.dx_));
            s.slices_.push_back(fresh);
            slice = &s.slices_.back();
        }
        slice->plps.push_back(p);
    }
    for (int n = 0; n < 15; ++n) {
        const std::string key = "notch" + std::to_string(n);
        if (carrier.digital.signalling.count(key + "Start"))
            s.notches_.push_back(C2Notch{int(entry(carrier, key + "Start", 0)), int(entry(carrier, key + "Width", 0))});
    }
    return s;
}

const C2Slice* C2System::slice(int id) const
{
    for (const C2Slice& s : slices_)
        if (s.id == id)
            return &s;
    return nullptr;
}

const DigitalPlp* C2System::plp(int sliceId, int plpId) const
{
    const C2Slice* s = slice(sliceId);
    if (!s)
        return nullptr;
    for (const DigitalPlp& p : s->plps)
        if (p.id == plpId)
            return &p;
    return nullptr;
}

uint32_t C2System::word(double frequencyHz) const
{
    return uint32_t(std::lround(frequencyHz / spacingHz_));
}

} // namespace platform::sim
