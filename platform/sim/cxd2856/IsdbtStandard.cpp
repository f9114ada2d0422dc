#include "IsdbtStandard.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

using namespace isdbt;

namespace {
const std::vector<const char*> kCodeRates = {"1/2", "2/3", "3/4", "5/6", "7/8"};
const std::vector<const char*> kGuards = {"1/32", "1/16", "1/8", "1/4"};
constexpr double kPacketBits = 1632; // a 204-byte packet

const std::vector<OfdmStandard::Band> kBands = {
    {6e6, {0x17, 0xA0, 0x00, 0x00, 0x00}, 3.55e6},
    {7e6, {0x14, 0x40, 0x00, 0x00, 0x00}, 4.15e6},
    {8e6, {0x11, 0xB8, 0x00, 0x00, 0x00}, 4.75e6},
};

// Mode 1, 2, 3 from the FFT size.
int aribMode(int fftSize) { return fftSize == 2048 ? 1 : fftSize == 4096 ? 2 : 3; }

// The layer with the most segments: the one constellation and MER describe.
const DigitalLayer& mainLayer(const DigitalChannel& d)
{
    return *std::max_element(d.layers.begin(), d.layers.end(),
                             [](const DigitalLayer& a, const DigitalLayer& b) { return a.segments < b.segments; });
}

// The outermost ideal point in sample units; the chip shows the constellation mirrored.
double sampleScale(Modulation m)
{
    return m == Modulation::Qam16 ? -180 : m == Modulation::Qam64 ? -205 : -190;
}

// Bits per second into the Reed-Solomon decoder of one layer.
double layerBits(const SceneCarrier& c, const DigitalLayer& layer)
{
    const DigitalChannel& d = c.digital;
    const int mode = aribMode(d.fftSize);
    const double usefulSymbol = 252e-6 * (1 << (mode - 1)) * 6e6 / c.bandwidthHz;
    const double symbol = usefulSymbol * (1 + ofdm::fraction(d.guardInterval, 1.0 / 8));
    const double dataCarriers = 96.0 * (1 << (mode - 1)) * layer.segments;
    return dataCarriers * bitsPerSymbol(layer.modulation) / symbol * ofdm::fraction(layer.codeRate, 2.0 / 3);
}

// Fields of the TMCC as one bit stream, most significant bit first.
struct BitWriter {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(13, 0);
    int position = 0;
    void put(uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i, ++position)
            if ((value >> i) & 1)
                bytes[position / 8] |= uint8_t(0x80 >> (position % 8));
    }
};
} // namespace

int isdbt::modulationCode(Modulation m)
{
    switch (m) {
    case Modulation::Dqpsk:
        return 0;
    case Modulation::Qpsk:
        return 1;
    case Modulation::Qam16:
        return 2;
    case Modulation::Qam64:
        return 3;
    default:
        return -1;
    }
}

int isdbt::codeRateCode(const std::string& rate) { return ofdm::indexOf(rate, kCodeRates); }

const std::vector<OfdmStandard::Band>& IsdbtStandard::bands() const { return kBands; }

void IsdbtStandard::fillDefaults(SceneCarrier& carrier) const
{
    DigitalChannel& d = carrier.digital;
    if (d.modulation == Modulation::Unknown)
        d.modulation = Modulation::Qam64;
    if (d.codeRate.empty())
        d.codeRate = "3/4";
    if (d.fftSize == 0)
        d.fftSize = 8192;
    if (d.guardInterval.empty())
        d.guardInterval = "1/8";
    if (d.layers.empty()) {
        // One-segment service in layer A, the rest in layer B.
        d.layers.push_back(DigitalLayer{1, Modulation::Qpsk, "2/3", 2});
        d.layers.push_back(DigitalLayer{12, d.modulation, d.codeRate, 2});
    }
    if (d.preBer < 0)
        d.preBer = 0;
    LockTimeline& t = d.timeline;
    if (t.demodLockMs == 0)
        t.demodLockMs = 200;
    if (t.tsLockMs == 0)
        t.tsLockMs = 300;
    if (t.unlockMs == 0)
        t.unlockMs = 400;
}

bool IsdbtStandard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    const DigitalChannel& d = carrier.digital;
    int segments = 0;
    bool coded = ofdm::indexOf(d.guardInterval, kGuards) >= 0 && !d.layers.empty() && d.layers.size() <= 3;
    for (const DigitalLayer& layer : d.layers) {
        coded = coded && modulationCode(layer.modulation) >= 0 && codeRateCode(layer.codeRate) >= 0;
        segments += layer.segments;
    }
    return coded && segments == 13 && OfdmStandard::receivable(chip, carrier);
}

std::vector<uint8_t> IsdbtStandard::tmccBytes(const DigitalChannel& d)
{
    BitWriter w;
    w.put(0, 2);  // ISDB-T
    w.put(15, 4); // no parameter switch announced
    w.put(0, 1);  // no emergency warning
    // The current parameters, then the next ones: the same, as nothing is switched.
    for (int group = 0; group < 2; ++group) {
        const bool partial = d.layers.size() > 1 && d.layers.front().segments == 1;
        w.put(partial ? 1 : 0, 1);
        for (size_t i = 0; i < 3; ++i) {
            if (i < d.layers.size()) {
                const DigitalLayer& l = d.layers[i];
                w.put(uint32_t(modulationCode(l.modulation)), 3);
                w.put(uint32_t(codeRateCode(l.codeRate)), 3);
                w.put(uint32_t(l.interleave), 3);
                w.put(uint32_t(l.segments), 4);
            } else {
                w.put(0x1FFF, 13); // an unused layer: all ones
            }
        }
    }
    return w.bytes;
}

void IsdbtStandard::onAcquisitionStart(DemodContext& chip)
{
    constellation_.reseed(chip.random()());
    packetsReadUs_ = chip.nowUs();
}

void IsdbtStandard::onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
{
    (void)value;
    if (bank == kBank && (reg == kPacketWindow || reg == kPacketWindow + 1))
        for (int i = 0; i < 3; ++i)
            preRs_[i].windowWrittenUs = per_[i].windowWrittenUs = chip.nowUs();
}

void IsdbtStandard::onClock(DemodContext& chip)
{
    const uint64_t now = chip.nowUs();
    const Acquisition& acq = chip.acquisition();
    const bool locked = acq.demodLocked(now) && chip.input();
    const bool ts = acq.tsLocked(now);
    chip.setSlvt(kBank, kSync, uint8_t((ts ? 0x01 : 0) | (locked ? 0x02 : 0) | (acq.unlockDetected(now) ? 0x10 : 0)));
    chip.setSlvtWord(kBank, kIfAgc, 2, ifAgcWord(chip));
    if (locked) {
        showLocked(chip, *chip.input());
    } else {
        clearLockedMonitors(chip, kBank, kTmcc, 13);
    }
    showCounters(chip, ts ? acq.stageUs(acq.timeline().tsLockMs) : 0);
}

void IsdbtStandard::showLocked(DemodContext& chip, const SceneCarrier& carrier)
{
    const DigitalChannel& d = carrier.digital;
    const std::vector<uint8_t> tmcc = tmccBytes(d);
    for (int i = 0; i < 13; ++i)
        chip.setSlvt(kBank, uint8_t(kTmcc + i), tmcc[i]);
    chip.setSlvt(kBank, kModeGuard,
                 uint8_t((aribMode(d.fftSize) - 1) << 2 | ofdm::indexOf(d.guardInterval, kGuards)));
    chip.setSlvt(kBank, kSense, chip.spectrumInverted() ? 1 : 0);
    chip.setSlvtWord(kBank, kSnr, 2, ofdm::logWord(carrier.merDb, 9.031));
    chip.setSlvtWord(kBank, kMer, 2, ofdm::logWord(carrier.merDb, 14.171));
    const double sampleRate = 512e6 / 63 * carrier.bandwidthHz / 6e6;
    chip.setSlvtWord(kBank, kCarrierOffset, 4,
                     ofdm::twos(std::lround(-chip.carrierOffsetHz() * 268435456.0 / sampleRate), 29));
    trackNominalRate(chip);
    useGrid(mainLayer(d).modulation, carrier.merDb);
}

void IsdbtStandard::showCounters(DemodContext& chip, uint64_t lockUs)
{
    const uint64_t now = chip.nowUs();
    const SceneCarrier* in = chip.input();
    const bool counting = lockUs && in;
    const uint32_t window = chip.slvtWord(kBank, kPacketWindow, 2) & 0x7FFF;
    for (size_t i = 0; i < 3; ++i) {
        const bool present = counting && i < in->digital.layers.size();
        const double bits = present ? layerBits(*in, in->digital.layers[i]) : 0;
        const double per = counting ? in->digital.packetErrorRate : 0;
        bool valid = false;
        const uint64_t errors
            = preRs_[i].update(counting ? in->digital.preBer : 0, bits, kPacketBits * window, lockUs, now, &valid);
        chip.setSlvtWord(kBank, uint8_t(kPreRsCounts + 3 * i), 3, uint32_t(std::min<uint64_t>(errors, 0x7FFFFF)));
        const uint64_t packets = per_[i].update(per, bits / kPacketBits, window, lockUs, now, &valid);
        chip.setSlvtWord(kBank, uint8_t(kPerCounts + 2 * i), 2, uint32_t(std::min<uint64_t>(packets, 0xFFFF)));
        packets_[i].setRate(per, bits / kPacketBits);
        packets_[i].restart(lockUs);
    }
}

bool IsdbtStandard::onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
{
    const uint64_t now = chip.nowUs();
    const bool locked = chip.acquisition().demodLocked(now) && chip.input();
    if (bank == kAnalysisBank) {
        const Modulation m = locked ? mainLayer(chip.input()->digital).modulation : Modulation::Unknown;
        return readPoint(chip, bank, reg, value, sampleScale(m), locked);
    }
    if (bank == kBank && reg == kPacketErrors) {
        const bool valid = chip.acquisition().tsLocked(now);
        chip.setSlvt(kBank, kPacketErrors, valid ? 1 : 0);
        for (int i = 0; i < 3; ++i) {
            const uint64_t count = valid ? packets_[i].errorsBetween(packetsReadUs_, now) : 0;
            chip.setSlvtWord(kBank, uint8_t(kPacketErrors + 1 + 2 * i), 2, uint32_t(std::min<uint64_t>(count, 0xFFFF)));
        }
    } else if (bank == kBank && reg == kPacketErrors + 6) {
        packetsReadUs_ = now; // reading the counts clears them
    }
    return false;
}

} // namespace platform::sim
