#include "DvbtStandard.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

using namespace dvbt;

namespace {
const std::vector<const char*> kCodeRates = {"1/2", "2/3", "3/4", "5/6", "7/8"};
const std::vector<const char*> kGuards = {"1/32", "1/16", "1/8", "1/4"};
constexpr double kPacketBits = 1632; // a 204-byte packet

// The software's band settings: nominal-rate words, and the IF of its default IF words.
const std::vector<OfdmStandard::Band> kBands = {
    {5e6, {0x21, 0x99, 0x99, 0x99, 0x99}, 3.6e6},
    {6e6, {0x1C, 0x00, 0x00, 0x00, 0x00}, 3.6e6},
    {7e6, {0x18, 0x00, 0x00, 0x00, 0x00}, 4.2e6},
    {8e6, {0x15, 0x00, 0x00, 0x00, 0x00}, 4.8e6},
};

// The outermost ideal point of each constellation in sample units.
double sampleScale(Modulation m)
{
    return m == Modulation::Qpsk ? 135 : m == Modulation::Qam16 ? 180 : 206;
}

// Bits per second into the Viterbi decoder and out of it, and 204-byte packets per second.
struct Rates {
    double channelBits = 0;
    double decodedBits = 0;
    double packets = 0;
};

Rates ratesOf(const SceneCarrier& c)
{
    const DigitalChannel& d = c.digital;
    const double symbol = d.fftSize / (c.bandwidthHz * 8 / 7) * (1 + ofdm::fraction(d.guardInterval, 0.25));
    const double dataCarriers = d.fftSize == 2048 ? 1512 : d.fftSize == 4096 ? 3024 : 6048;
    Rates r;
    r.channelBits = dataCarriers * bitsPerSymbol(d.modulation) / symbol;
    r.decodedBits = r.channelBits * ofdm::fraction(d.codeRate, 2.0 / 3);
    r.packets = r.decodedBits / kPacketBits;
    return r;
}
} // namespace

int dvbt::constellationCode(Modulation m)
{
    return m == Modulation::Qpsk ? 0 : m == Modulation::Qam16 ? 1 : m == Modulation::Qam64 ? 2 : -1;
}

int dvbt::codeRateCode(const std::string& rate) { return ofdm::indexOf(rate, kCodeRates); }

int dvbt::guardCode(const std::string& guard) { return ofdm::indexOf(guard, kGuards); }

int dvbt::modeCode(int fftSize) { return fftSize == 2048 ? 0 : fftSize == 4096 ? 2 : 1; }

const std::vector<OfdmStandard::Band>& DvbtStandard::bands() const { return kBands; }

void DvbtStandard::fillDefaults(SceneCarrier& carrier) const
{
    DigitalChannel& d = carrier.digital;
    if (d.modulation == Modulation::Unknown)
        d.modulation = Modulation::Qam64;
    if (d.codeRate.empty())
        d.codeRate = "2/3";
    if (d.fftSize == 0)
        d.fftSize = 8192;
    if (d.guardInterval.empty())
        d.guardInterval = "1/4";
    if (d.preBer < 0)
        d.preBer = 0; // the Viterbi decoder clears what the channel leaves at a usable MER
    LockTimeline& t = d.timeline;
    if (t.demodLockMs == 0)
        t.demodLockMs = 120;
    if (t.tsLockMs == 0)
        t.tsLockMs = 200;
    if (t.unlockMs == 0)
        t.unlockMs = 300;
}

bool DvbtStandard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    const DigitalChannel& d = carrier.digital;
    return constellationCode(d.modulation) >= 0 && codeRateCode(d.codeRate) >= 0 && guardCode(d.guardInterval) >= 0
        && OfdmStandard::receivable(chip, carrier);
}

void DvbtStandard::onAcquisitionStart(DemodContext& chip)
{
    constellation_.reseed(chip.random()());
    packetsReadUs_ = chip.nowUs();
}

void DvbtStandard::onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
{
    (void)value;
    if (bank != kBank)
        return;
    // A new window restarts its counter.
    if (reg == kPreRsWindow)
        preRs_.windowWrittenUs = chip.nowUs();
    else if (reg == kViterbiWindow)
        viterbi_.windowWrittenUs = chip.nowUs();
    else if (reg == kPerWindow)
        per_.windowWrittenUs = chip.nowUs();
}

void DvbtStandard::onClock(DemodContext& chip)
{
    const uint64_t now = chip.nowUs();
    const Acquisition& acq = chip.acquisition();
    const bool ts = acq.tsLocked(now);
    chip.setSlvt(kBank, kSync,
                 uint8_t(syncState(chip) | (acq.unlockDetected(now) ? 0x10 : 0) | (ts ? 0x20 : 0)));
    chip.setSlvtWord(kBank, kIfAgc, 2, ifAgcWord(chip));
    if (acq.demodLocked(now) && chip.input()) {
        showLocked(chip, *chip.input());
    } else {
        clearLockedMonitors(chip, kBank, kTps, 7);
    }
    showCounters(chip, ts ? acq.stageUs(acq.timeline().tsLockMs) : 0);
}

void DvbtStandard::showLocked(DemodContext& chip, const SceneCarrier& carrier)
{
    const DigitalChannel& d = carrier.digital;
    const int constellation = constellationCode(d.modulation);
    const int rate = codeRateCode(d.codeRate);
    const int guard = guardCode(d.guardInterval);
    const int mode = modeCode(d.fftSize);
    const int cellId = int(d.signalling.count("cellId") ? d.signalling.at("cellId") : 0);
    const uint8_t tps[7] = {uint8_t(constellation << 6 | rate), uint8_t(rate << 5 | guard << 3 | mode << 1),
                            0x1F, // frame 0, the length indicator of a TPS without cell id extension
                            uint8_t(cellId >> 8), uint8_t(cellId), 0, 0};
    for (int i = 0; i < 7; ++i)
        chip.setSlvt(kBank, uint8_t(kTps + i), tps[i]);
    chip.setSlvt(kBank, kModeGuard, uint8_t(mode << 2 | guard));
    chip.setSlvt(kBank, kSense, chip.spectrumInverted() ? 1 : 0);
    chip.setSlvtWord(kBank, kSnr, 2, ofdm::ratioWord(carrier.merDb, 28.5, 5350, 4996));
    chip.setSlvtWord(kBank, kMer, 2, ofdm::logWord(carrier.merDb, 11.711));
    const double sampleRate = carrier.bandwidthHz * 8 / 7;
    chip.setSlvtWord(kBank, kCarrierOffset, 4,
                     ofdm::twos(std::lround(-chip.carrierOffsetHz() * 268435456.0 / sampleRate), 29));
    trackNominalRate(chip);
    useGrid(d.modulation, carrier.merDb);
}

void DvbtStandard::showCounters(DemodContext& chip, uint64_t lockUs)
{
    const uint64_t now = chip.nowUs();
    const SceneCarrier* in = chip.input();
    const Rates r = lockUs && in ? ratesOf(*in) : Rates{};
    const double merDb = in ? in->merDb : 0;
    const Modulation m = in ? in->digital.modulation : Modulation::Unknown;
    bool valid = false;

    const int vp = chip.slvt(kBank, kViterbiWindow) & 0x07;
    const uint64_t viterbi = viterbi_.update(uncodedBer(m, merDb), r.channelBits, vp == 0 ? 256 : 4096.0 * (1 << vp),
                                             lockUs, now, &valid);
    chip.setSlvt(kBank, kViterbiValid, valid ? 1 : 0);
    chip.setSlvtWord(kBank, kViterbiCount, 2, uint32_t(std::min<uint64_t>(viterbi, 0xFFFF)));

    const int rp = chip.slvt(kBank, kPreRsWindow) & 0x1F;
    const uint64_t preRs = preRs_.update(in ? in->digital.preBer : 0, r.decodedBits, kPacketBits * double(1u << rp),
                                         lockUs, now, &valid);
    chip.setSlvtWord(kBank, kPreRsCount, 3, valid ? uint32_t(std::min<uint64_t>(preRs, 0x3FFFFF)) | 0x800000 : 0);

    const int pp = chip.slvt(kBank, kPerWindow) & 0x0F;
    const uint64_t per
        = per_.update(in ? in->digital.packetErrorRate : 0, r.packets, double(1u << pp), lockUs, now, &valid);
    chip.setSlvt(kBank, kPer, valid ? 1 : 0);
    chip.setSlvtWord(kBank, kPer + 1, 2, uint32_t(std::min<uint64_t>(per, 0xFFFF)));

    packets_.setRate(in ? in->digital.packetErrorRate : 0, r.packets);
    packets_.restart(lockUs);
}

bool DvbtStandard::onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
{
    const uint64_t now = chip.nowUs();
    if (bank == kAnalysisBank) {
        const Modulation m = chip.input() ? chip.input()->digital.modulation : Modulation::Unknown;
        return readPoint(chip, bank, reg, value, sampleScale(m), chip.acquisition().demodLocked(now), 0x1FFF);
    }
    if (reg == kPacketErrors) {
        const bool valid = chip.acquisition().tsLocked(now);
        const uint64_t count = valid ? packets_.errorsBetween(packetsReadUs_, now) : 0;
        chip.setSlvtWord(kBank, kPacketErrors, 3, uint32_t(std::min<uint64_t>(count, 0xFFFF) << 8 | (valid ? 1 : 0)));
    } else if (reg == kPacketErrors + 2) {
        packetsReadUs_ = now; // reading the count clears it
    }
    return false;
}

} // namespace platform::sim
