#include "Dvbc2Standard.h"

#include "ChannelResponse.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

namespace {
constexpr uint8_t kSyncBank = 0x20;
constexpr uint8_t kIqBank = 0x21;
constexpr uint8_t kListBank = 0x22;
constexpr uint8_t kListBank2 = 0x23;
constexpr uint8_t kErrorBank = 0x24;
constexpr uint8_t kSenseBank = 0x28;
constexpr uint8_t kTuneBank = 0x50;
constexpr uint8_t kL1Bank = 0x52;
// Bank 0x50: what the software names, and when it applies it.
constexpr uint8_t kSliceWord = 0x7A;
constexpr uint8_t kView = 0x7D;
constexpr uint8_t kSliceId = 0x7E;
constexpr uint8_t kPlpId = 0x7F;
constexpr uint8_t kApply = 0x87;
// The layer-1 data need this long after each preset or selection.
constexpr uint64_t kLayerOneUs = 30000;
// How far the tuner may be from a data slice for its transport stream.
constexpr double kSliceCaptureHz = 500e3;

struct BandWords {
    int mhz;
    uint8_t bytes[2]; // bank 0x50 registers 0xEC-0xED
    double nominalIfHz;
    uint8_t trl;      // top byte of the nominal sampling-rate word
    double clockHz;   // elementary clock, the unit of the carrier offset
};
constexpr BandWords kBands[] = {
    {6, {0x1B, 0x70}, 3.7e6, 0x1C, 48e6 / 7},
    {8, {0x14, 0xA0}, 4.9e6, 0x15, 64e6 / 7},
};

const BandWords* bandWords(int mhz)
{
    for (const BandWords& b : kBands)
        if (b.mhz == mhz)
            return &b;
    return nullptr;
}

// The outermost ideal point of a PLP constellation in sample units, by modulation code.
int sampleScale(int code)
{
    switch (code) {
    case 1: return 242;
    case 2: return 276;
    case 4: return 305;
    case 5: return 315;
    default: return 295;
    }
}

// LDPC information bits of a frame (the BCH block) by code-rate code 1..5.
double bchBlock(bool longFrame, int rateCode)
{
    static const double shortFrames[] = {10800, 11880, 12600, 13320, 14400};
    static const double longFrames[] = {43200, 48600, 51840, 54000, 58320};
    const int i = std::clamp(rateCode, 1, 5) - 1;
    return longFrame ? longFrames[i] : shortFrames[i];
}

double fraction(const std::string& rate)
{
    const size_t slash = rate.find('/');
    if (slash == std::string::npos)
        return 0.75;
    return std::stod(rate.substr(0, slash)) / std::stod(rate.substr(slash + 1));
}

bool longFrames(const SceneCarrier& c)
{
    const auto it = c.digital.signalling.find("shortFrames");
    return it == c.digital.signalling.end() || it->second == 0;
}

void setTwosComplement(DemodContext& chip, uint8_t bank, uint8_t reg, int bytes, int bits, long value)
{
    chip.setSlvtWord(bank, reg, bytes, uint32_t(value) & ((1u << bits) - 1));
}

// The id list of the layer-1 view: the first 128 in bank 0x22, the rest in bank 0x23.
void showList(DemodContext& chip, const std::vector<int>& ids)
{
    for (int i = 0; i < 255; ++i) {
        const uint8_t v = i < int(ids.size()) ? uint8_t(ids[size_t(i)]) : 0;
        if (i < 128)
            chip.setSlvt(kListBank, uint8_t(0x80 + i), v);
        else
            chip.setSlvt(kListBank2, uint8_t(0x10 + i - 128), v);
    }
}
} // namespace

int Dvbc2Standard::programmedBandwidthMhz(const DemodContext& chip)
{
    for (const BandWords& b : kBands)
        if (chip.slvt(kTuneBank, 0xEC) == b.bytes[0] && chip.slvt(kTuneBank, 0xED) == b.bytes[1])
            return b.mhz;
    return 0;
}

void Dvbc2Standard::fillDefaults(SceneCarrier& carrier) const
{
    DigitalChannel& d = carrier.digital;
    if (d.modulation == Modulation::Unknown)
        d.modulation = d.plps.empty() || d.plps.front().modulation == Modulation::Unknown ? Modulation::Qam256
                                                                                          : d.plps.front().modulation;
    if (d.guardInterval.empty())
        d.guardInterval = "1/128";
    if (d.preBer < 0)
        d.preBer = uncodedBer(d.modulation, carrier.merDb);
    LockTimeline& t = d.timeline;
    if (t.demodLockMs == 0)
        t.demodLockMs = 120;
    if (t.tsLockMs == 0)
        t.tsLockMs = 250;
    if (t.unlockMs == 0)
        t.unlockMs = 400;
}

bool Dvbc2Standard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    const C2System system = C2System::of(carrier);
    if (programmedBandwidthMhz(chip) != system.tuningBandwidthMhz())
        return false;
    // The tuner inside the system, and the IF where the chip was told to look.
    const double rf = carrier.frequencyHz - chip.tunedFrequencyHz();
    const bool pathInverts = chip.spectrumInverted() != carrier.digital.spectrumInverted;
    const double ifError = chip.carrierOffsetHz() - (pathInverts ? -rf : rf);
    return std::abs(rf) <= carrier.bandwidthHz / 2 && std::abs(ifError) <= kSliceCaptureHz;
}

double Dvbc2Standard::nominalIfHz(const DemodContext& chip) const
{
    const BandWords* b = bandWords(programmedBandwidthMhz(chip));
    return b ? b->nominalIfHz : 4.9e6;
}

const DigitalPlp* Dvbc2Standard::selectedPlp(const DemodContext& chip, const C2System& system) const
{
    const C2Slice* slice = system.slice(chip.slvt(kTuneBank, kSliceId));
    const DigitalPlp* plp = system.plp(chip.slvt(kTuneBank, kSliceId), chip.slvt(kTuneBank, kPlpId));
    if (!slice || !plp)
        return nullptr;
    const long word = long(chip.slvtWord(kTuneBank, kSliceWord, 3));
    const bool inWindow = std::labs(word - long(system.sliceWord(*slice))) <= dvbc2::kHalfWindowCarriers;
    const bool tunedNear = std::abs(system.sliceFrequencyHz(*slice) - chip.tunedFrequencyHz()) <= kSliceCaptureHz;
    return inWindow && tunedNear ? plp : nullptr;
}

bool Dvbc2Standard::streamSelected(const DemodContext& chip) const
{
    const SceneCarrier* in = chip.input();
    return in && carries(*in) && selectedPlp(chip, C2System::of(*in));
}

void Dvbc2Standard::onAcquisitionStart(DemodContext& chip)
{
    constellation_.reseed(chip.random()());
    appliedUs_ = chip.nowUs();
    packetsClearedUs_ = chip.nowUs();
}

void Dvbc2Standard::onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
{
    const uint64_t now = chip.nowUs();
    if (bank == kTuneBank && reg == kApply && (value & 0x01))
        appliedUs_ = now;
    else if (bank == kSyncBank && reg == 0x6F)
        preLdpcWrittenUs_ = now;
    else if (bank == kSyncBank && reg == 0x72)
        bchWrittenUs_ = now;
    else if (bank == kErrorBank && reg == 0xDC)
        perWrittenUs_ = now;
    else if (bank == kErrorBank && (reg == 0xFE || reg == 0xFF))
        packetsClearedUs_ = now; // the software clears the errored-packet count
}

void Dvbc2Standard::onClock(DemodContext& chip)
{
    const uint64_t now = chip.nowUs();
    const Acquisition& acq = chip.acquisition();
    const SceneCarrier* in = chip.input() && carries(*chip.input()) ? chip.input() : nullptr;
    const C2System system = in ? C2System::of(*in) : C2System{};
    const bool frame = in && acq.demodLocked(now);
    const DigitalPlp* plp = frame ? selectedPlp(chip, system) : nullptr;
    const bool ts = plp && acq.tsLocked(now);

    // Sync state 0, 2, 4 on the way to 6 (frame found, layer-1 signalling read).
    const uint64_t elapsed = acq.elapsedMs(now);
    const uint64_t lockMs = acq.timeline().demodLockMs;
    const bool receiving = in && acq.receivable();
    int sync = 0;
    if (frame)
        sync = 6;
    else if (receiving && elapsed * 5 >= lockMs * 3)
        sync = 4;
    else if (receiving && elapsed * 5 >= lockMs)
        sync = 2;
    chip.setSlvt(kSyncBank, 0x10, uint8_t(sync | (ts ? 0x20 : 0) | (acq.unlockDetected(now) ? 0x10 : 0)));

    // The sampling rate tracked from the band's nominal one; the signal keeps to it.
    const BandWords* band = bandWords(programmedBandwidthMhz(chip));
    for (int i = 0; i < 5; ++i)
        chip.setSlvt(kSyncBank, uint8_t(0x52 + i), band && i == 0 ? band->trl : 0);
    const double level = chip.input() ? chip.input()->levelDbuV : 0;
    chip.setSlvtWord(kSyncBank, 0x26, 2, uint32_t(std::clamp(2048.0 + (60.0 - level) * 40.0, 0.0, 4095.0)));
    if (frame) {
        showQuality(chip, *in, system);
    } else {
        for (uint8_t reg : {0x28, 0x29, 0x2C, 0x2D, 0x4C, 0x4D, 0x4E, 0x4F})
            chip.setSlvt(kSyncBank, reg, 0);
    }
    const bool layerOneAfterApply = now >= appliedUs_ + kLayerOneUs;
    showTuneLayerOne(chip, system, receiving && sync >= 4 && layerOneAfterApply);
    showLayerOnePart2(chip, system, frame && layerOneAfterApply);
    chip.setSlvt(kL1Bank, 0x15, ts && longFrames(*in) ? 0x10 : 0x00);
    chip.setSlvt(kL1Bank, 0x16, ts ? uint8_t(dvbc2::modulationCode(plp->modulation) << 4 | dvbc2::codeRateCode(plp->codeRate)) : 0);
    int64_t iterations = 4;
    if (in && in->digital.signalling.count("ldpcIterations"))
        iterations = in->digital.signalling.at("ldpcIterations");
    chip.setSlvt(kErrorBank, 0x16, ts ? uint8_t(iterations) : 0);
    showCounters(chip, in, ts ? plp : nullptr, ts ? acq.stageUs(acq.timeline().tsLockMs) : 0);
}

void Dvbc2Standard::showQuality(DemodContext& chip, const SceneCarrier& carrier, const C2System& system)
{
    const double mer = carrier.merDb;
    chip.setSlvtWord(kSyncBank, 0x2C, 2, uint32_t(std::clamp(std::lround(std::pow(10.0, (mer + 6.021) / 10)), 1L, 65535L)));
    const double r = std::pow(10.0, (mer - 38.4) / 10);
    chip.setSlvtWord(kSyncBank, 0x28, 2, uint32_t(std::clamp(std::lround(55000 * r / (1 + r)), 1L, 51441L)));

    // The offset the chip sees is the IF's error: the data slice word takes up the rest.
    const BandWords* band = bandWords(system.tuningBandwidthMhz());
    const double rf = carrier.frequencyHz - chip.tunedFrequencyHz();
    const bool pathInverts = chip.spectrumInverted() != carrier.digital.spectrumInverted;
    const double ifError = chip.carrierOffsetHz() - (pathInverts ? -rf : rf);
    setTwosComplement(chip, kSyncBank, 0x4C, 4, 28, std::lround(-ifError * 1073741824.0 / band->clockHz));
    chip.setSlvt(kSenseBank, 0xE6, chip.spectrumInverted() ? 0x01 : 0x00);

    const Modulation m = carrier.digital.modulation;
    if (gridModulation_ != m || gridMerDb_ != mer) {
        constellation_.setGrid(ConstellationGrid::of(m), mer);
        gridModulation_ = m;
        gridMerDb_ = mer;
    }
}

void Dvbc2Standard::showTuneLayerOne(DemodContext& chip, const C2System& system, bool ready)
{
    uint8_t l1[23] = {0};
    const C2Slice* slice = system.slice(chip.slvt(kTuneBank, kSliceId));
    if (!slice && !system.slices().empty())
        slice = &system.slices().front();
    if (ready && slice) {
        l1[0] = 0x01;
        l1[1] = system.shortGuard() ? 0x10 : 0x00;
        // The window centres on the data slice: its position in fours of carriers.
        const int half = dvbc2::kHalfWindowCarriers / 4;
        l1[2] = uint8_t(half >> 8);
        l1[3] = uint8_t(half);
        const long windowStart = long(system.sliceWord(*slice)) - dvbc2::kHalfWindowCarriers;
        int shown = 0;
        for (const C2Notch& n : system.notches()) {
            const long start = long(system.startWord()) + long(n.start) * system.pilotSpacing() - windowStart;
            const long end = start + long(n.width) * system.pilotSpacing();
            if (shown == 3 || end < 0 || start > dvbc2::kWindowCarriers)
                continue;
            const long s = std::clamp(start / 4, 0L, long(dvbc2::kWindowCarriers / 4));
            const long e = std::clamp((end + 3) / 4, 0L, long(dvbc2::kWindowCarriers / 4));
            uint8_t* b = &l1[0x1B - 0x14 + 4 * shown];
            b[0] = uint8_t(s >> 8), b[1] = uint8_t(s), b[2] = uint8_t(e >> 8), b[3] = uint8_t(e);
            l1[0x27 - 0x14] |= uint8_t(0x04 >> shown);
            ++shown;
        }
    }
    for (int i = 0; i < 23; ++i)
        chip.setSlvt(kTuneBank, uint8_t(0x14 + i), l1[i]);
}

void Dvbc2Standard::showLayerOnePart2(DemodContext& chip, const C2System& system, bool ready)
{
    chip.setSlvt(kL1Bank, 0x1F, ready ? 0x01 : 0x00);
    chip.setSlvt(kTuneBank, 0xC4, ready ? 0x01 : 0x00);
    const size_t notches = std::min<size_t>(system.notches().size(), 15);
    const uint32_t start = system.startWord();
    const uint8_t header[15] = {uint8_t(system.networkId() >> 8), uint8_t(system.networkId()),
                                uint8_t(system.systemId() >> 8), uint8_t(system.systemId()),
                                uint8_t(start >> 16), uint8_t(start >> 8), uint8_t(start),
                                uint8_t(system.bandwidthPilots() >> 8), uint8_t(system.bandwidthPilots()),
                                uint8_t(system.shortGuard() ? 1 : 0), 0x01, 0xC0, // frame of 448 symbols
                                0, uint8_t(system.slices().size()), uint8_t(notches)};
    for (int i = 0; i < 15; ++i)
        chip.setSlvt(kL1Bank, uint8_t(0x20 + i), header[i]);
    for (size_t i = 0; i < 15; ++i) {
        const C2Notch n = i < notches ? system.notches()[i] : C2Notch{};
        const uint8_t bytes[5] = {uint8_t((n.start >> 8) & 0x3F), uint8_t(n.start), uint8_t((n.width >> 8) & 0x01),
                                  uint8_t(n.width), 0};
        for (int k = 0; k < 5; ++k)
            chip.setSlvt(kL1Bank, uint8_t(0x4D + 5 * i + k), bytes[k]);
    }

    // What the view names: the list of data slices, or one slice (and one of its PLPs).
    const int view = chip.slvt(kTuneBank, kView) & 0x03;
    const C2Slice* slice = system.slice(chip.slvt(kTuneBank, kSliceId));
    std::vector<int> ids;
    if (view == 0) {
        for (const C2Slice& s : system.slices())
            ids.push_back(s.id);
    } else if (slice) {
        for (const DigitalPlp& p : slice->plps)
            ids.push_back(p.id);
    }
    showList(chip, ids);
    uint8_t sliceBytes[13] = {0};
    if (view != 0 && slice) {
        const int edge = dvbc2::kHalfWindowCarriers / system.pilotSpacing() - 1;
        // Offsets in pilot spacings: 9 bits at the 1/64 spacing, 8 at 1/128.
        const uint16_t mask = system.shortGuard() ? 0x1FF : 0xFF;
        const uint16_t left = uint16_t(-edge) & mask, right = uint16_t(edge) & mask;
        const uint8_t bytes[13] = {uint8_t(slice->id), uint8_t((slice->tunePosition >> 8) & 0x3F),
                                   uint8_t(slice->tunePosition), uint8_t(left >> 8), uint8_t(left),
                                   uint8_t(right >> 8), uint8_t(right), 0, 0, 0, 0, 0, uint8_t(slice->plps.size())};
        std::copy(bytes, bytes + 13, sliceBytes);
    }
    for (int i = 0; i < 13; ++i)
        chip.setSlvt(kL1Bank, uint8_t(0x2F + i), sliceBytes[i]);
    uint8_t plpBytes[16] = {0};
    const DigitalPlp* plp = view == 2 && slice ? system.plp(slice->id, chip.slvt(kTuneBank, kPlpId)) : nullptr;
    if (plp) {
        int streamId = 1;
        if (chip.input() && chip.input()->digital.signalling.count("transportStreamId"))
            streamId = int(chip.input()->digital.signalling.at("transportStreamId"));
        const uint8_t bytes[16] = {uint8_t(plp->id), 0, 2, 3, 0, 0, 0, uint8_t(chip.input() && longFrames(*chip.input())),
                                   uint8_t(dvbc2::modulationCode(plp->modulation)), uint8_t(dvbc2::codeRateCode(plp->codeRate)),
                                   0, uint8_t(streamId >> 8), uint8_t(streamId), uint8_t(system.networkId() >> 8),
                                   uint8_t(system.networkId()), 0};
        std::copy(bytes, bytes + 16, plpBytes);
    }
    for (int i = 0; i < 16; ++i)
        chip.setSlvt(kL1Bank, uint8_t(0x3C + i), plpBytes[i]);
}

void Dvbc2Standard::showCounters(DemodContext& chip, const SceneCarrier* carrier, const DigitalPlp* plp, uint64_t lockUs)
{
    const uint64_t now = chip.nowUs();
    const bool counting = carrier && plp && lockUs;
    const C2System system = carrier ? C2System::of(*carrier) : C2System{};
    const bool longFrame = carrier && longFrames(*carrier);
    const double frameBits = longFrame ? 64800 : 16200;
    const int rate = plp ? dvbc2::codeRateCode(plp->codeRate) : 1;
    // Cells per second of the 4K symbol with its guard, times the bits of a cell.
    const double symbolUs = (1e6 / std::max(1.0, system.carrierSpacingHz())) * (system.shortGuard() ? 65.0 / 64 : 129.0 / 128);
    const double bitRate = counting ? dvbc2::kWindowCarriers / (symbolUs * 1e-6) * bitsPerSymbol(plp->modulation) : 0;
    const double payloadRate = plp ? bitRate * fraction(plp->codeRate) : 0;

    auto show = [&](ErrorCounter& c, double errorRate, double unitsPerSecond, double window, uint64_t writtenUs) {
        c.setRate(counting ? errorRate : 0, unitsPerSecond);
        c.setWindow(window);
        c.restart(std::max(lockUs, writtenUs));
        return std::make_pair(counting && c.valid(now), c.windowCount(now));
    };
    const int ldpcExp = chip.slvt(kSyncBank, 0x6F) & 0x0F;
    const auto ldpc = show(preLdpc_, carrier ? carrier->digital.preBer : 0, bitRate, frameBits * (1u << ldpcExp), preLdpcWrittenUs_);
    chip.setSlvtWord(kSyncBank, 0x39, 4, ldpc.first ? uint32_t(0x10000000 | std::min<uint64_t>(ldpc.second, 0x0FFFFFFF)) : 0);

    const int bchExp = chip.slvt(kSyncBank, 0x72) & 0x0F;
    const auto bch = show(preBch_, carrier ? carrier->digital.postBer : 0, payloadRate, bchBlock(longFrame, rate) * (1u << bchExp), bchWrittenUs_);
    chip.setSlvtWord(kErrorBank, 0x40, 4, bch.first ? uint32_t(0x01000000 | std::min<uint64_t>(bch.second, 0x3FFFFF)) : 0);
    const auto fer = show(frames_, carrier ? carrier->digital.packetErrorRate : 0, bitRate / frameBits, double(1u << bchExp), bchWrittenUs_);
    chip.setSlvtWord(kSyncBank, 0x75, 3, fer.first ? uint32_t(0x010000 | std::min<uint64_t>(fer.second, 0x7FFF)) : 0);

    const double packetRate = payloadRate / 1504;
    const int perExp = chip.slvt(kErrorBank, 0xDC) & 0x0F;
    const auto per = show(per_, carrier ? carrier->digital.packetErrorRate : 0, packetRate, double(1u << perExp), perWrittenUs_);
    chip.setSlvtWord(kErrorBank, 0xFA, 3, per.first ? uint32_t(0x010000 | std::min<uint64_t>(per.second, 0xFFFF)) : 0);

    packets_.setRate(counting ? carrier->digital.packetErrorRate : 0, packetRate);
    packets_.restart(lockUs);
    const uint64_t errored = counting ? packets_.errorsBetween(std::max(lockUs, packetsClearedUs_), now) : 0;
    chip.setSlvtWord(kErrorBank, 0xFD, 3, counting ? uint32_t(0x010000 | std::min<uint64_t>(errored, 0xFFFF)) : 0);
}

bool Dvbc2Standard::onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
{
    if (bank != kIqBank || reg != 0x9B)
        return false;
    // A fresh sample at every read of the first byte, ready while the frame is held.
    const uint64_t now = chip.nowUs();
    if (readChannelResponse(chip, bank, value, chip.acquisition().demodLocked(now)))
        return true;
    if (!chip.acquisition().demodLocked(now) || constellation_.grid().empty()) {
        *value = 0;
        return true;
    }
    const int code = dvbc2::modulationCode(gridModulation_);
    const IqPoint p = constellation_.next().received * (sampleScale(code) / std::max(1.0, constellation_.grid().peakAxis()));
    setTwosComplement(chip, kIqBank, 0x9C, 2, 14, std::clamp(std::lround(p.real()), -8192L, 8191L));
    setTwosComplement(chip, kIqBank, 0x9E, 2, 14, std::clamp(std::lround(p.imag()), -8192L, 8191L));
    *value = 0x40;
    return true;
}

} // namespace platform::sim
