#include "Dvbt2Standard.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

using namespace dvbt2;

namespace {
const std::vector<const char*> kCodeRates = {"1/2", "3/5", "2/3", "3/4", "4/5", "5/6", "1/3", "2/5"};
const std::vector<const char*> kGuards = {"1/32", "1/16", "1/8", "1/4", "1/128", "19/128", "19/256"};
constexpr double kFecFrameBits = 64800; // every PLP here uses normal frames
constexpr double kTsPacketBits = 1504;  // 188 bytes

const std::vector<OfdmStandard::Band> kBands = {
    {1.7e6, {0x1A, 0x03, 0xE8, 0x8C, 0xB3}, 3.5e6},
    {5e6, {0x21, 0x99, 0x99, 0x99, 0x99}, 3.6e6},
    {6e6, {0x1C, 0x00, 0x00, 0x00, 0x00}, 3.6e6},
    {7e6, {0x18, 0x00, 0x00, 0x00, 0x00}, 4.2e6},
    {8e6, {0x15, 0x00, 0x00, 0x00, 0x00}, 4.8e6},
};

// The outermost ideal point of each constellation in sample units (no rotation).
double sampleScale(Modulation m)
{
    switch (m) {
    case Modulation::Qpsk:
        return 248;
    case Modulation::Qam16:
        return 272;
    case Modulation::Qam64:
        return 286;
    default:
        return 296;
    }
}

int64_t signalled(const DigitalChannel& d, const char* key, int64_t fallback)
{
    const auto it = d.signalling.find(key);
    return it == d.signalling.end() ? fallback : it->second;
}

double sampleRateHz(double bandwidthHz)
{
    // 1.7 MHz channels run at 131/71 MHz, the others at 8/7 of their width.
    return bandwidthHz < 2e6 ? 131e6 / 71 : bandwidthHz * 8 / 7;
}

// Rates of the PLP presented: LDPC input bits, BCH input bits, FEC frames and TS packets
// per second, the PLPs sharing the cells equally.
struct Rates {
    double ldpcBits = 0;
    double bchBits = 0;
    double frames = 0;
    double packets = 0;
};

Rates ratesOf(const SceneCarrier& c, const DigitalPlp& plp)
{
    const DigitalChannel& d = c.digital;
    const double symbol = d.fftSize / sampleRateHz(c.bandwidthHz) * (1 + ofdm::fraction(d.guardInterval, 1.0 / 128));
    const double dataCells = 0.75 * d.fftSize; // what pilots and unused carriers leave
    Rates r;
    r.ldpcBits = dataCells / symbol * bitsPerSymbol(plp.modulation) / double(std::max<size_t>(d.plps.size(), 1));
    r.bchBits = r.ldpcBits * ofdm::fraction(plp.codeRate, 2.0 / 3);
    r.frames = r.ldpcBits / kFecFrameBits;
    r.packets = r.bchBits / kTsPacketBits;
    return r;
}
} // namespace

int dvbt2::fftCode(int fftSize)
{
    switch (fftSize) {
    case 1024:
        return 3;
    case 2048:
        return 0;
    case 4096:
        return 2;
    case 8192:
        return 1;
    case 16384:
        return 4;
    default:
        return 5;
    }
}

int dvbt2::guardCode(const std::string& guard) { return ofdm::indexOf(guard, kGuards); }

int dvbt2::modulationCode(Modulation m)
{
    switch (m) {
    case Modulation::Qpsk:
        return 0;
    case Modulation::Qam16:
        return 1;
    case Modulation::Qam64:
        return 2;
    case Modulation::Qam256:
        return 3;
    default:
        return -1;
    }
}

int dvbt2::codeRateCode(const std::string& rate) { return ofdm::indexOf(rate, kCodeRates); }

const std::vector<OfdmStandard::Band>& Dvbt2Standard::bands() const { return kBands; }

void Dvbt2Standard::fillDefaults(SceneCarrier& carrier) const
{
    DigitalChannel& d = carrier.digital;
    if (d.modulation == Modulation::Unknown)
        d.modulation = Modulation::Qam256;
    if (d.codeRate.empty())
        d.codeRate = "2/3";
    if (d.fftSize == 0)
        d.fftSize = 32768;
    if (d.guardInterval.empty())
        d.guardInterval = "1/128";
    if (d.plps.empty())
        d.plps.push_back(DigitalPlp{0, d.modulation, d.codeRate, 0});
    for (DigitalPlp& plp : d.plps) {
        if (plp.modulation == Modulation::Unknown)
            plp.modulation = d.modulation;
        if (plp.codeRate.empty())
            plp.codeRate = d.codeRate;
    }
    if (d.preBer < 0)
        d.preBer = 0; // the LDPC decoder clears what the channel leaves at a usable MER
    LockTimeline& t = d.timeline;
    if (t.demodLockMs == 0)
        t.demodLockMs = 300;
    if (t.tsLockMs == 0)
        t.tsLockMs = 450;
    if (t.unlockMs == 0)
        t.unlockMs = 500;
}

bool Dvbt2Standard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    const DigitalChannel& d = carrier.digital;
    bool coded = guardCode(d.guardInterval) >= 0 && !d.plps.empty();
    for (const DigitalPlp& plp : d.plps)
        coded = coded && modulationCode(plp.modulation) >= 0 && codeRateCode(plp.codeRate) >= 0;
    return coded && OfdmStandard::receivable(chip, carrier);
}

const DigitalPlp& Dvbt2Standard::presentedPlp(const DemodContext& chip, const DigitalChannel& d, bool* missing)
{
    *missing = false;
    if (chip.slvt(kPlpBank, kPlpSelect) & 0x01) {
        const int wanted = chip.slvt(kPlpBank, kPlpId);
        for (const DigitalPlp& plp : d.plps)
            if (plp.id == wanted)
                return plp;
        *missing = true;
    }
    return d.plps.front();
}

void Dvbt2Standard::onAcquisitionStart(DemodContext& chip)
{
    constellation_.reseed(chip.random()());
    packetsClearedUs_ = chip.nowUs();
}

void Dvbt2Standard::onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
{
    (void)value;
    const uint64_t now = chip.nowUs();
    if (bank == kBank && reg == kLdpcWindow) {
        ldpc_.windowWrittenUs = now;
    } else if (bank == kBank && reg == kBchWindow) {
        bch_.windowWrittenUs = now;
        fer_.windowWrittenUs = now;
    } else if (bank == kFecBank && reg == kPerWindow) {
        per_.windowWrittenUs = now;
    } else if (bank == kFecBank && reg == kPacketErrors + 2 && value == 0
               && chip.slvt(kFecBank, kPacketErrors + 1) == 0) {
        packetsClearedUs_ = now; // 00 00 to 0xFE-0xFF clears the count
    }
}

void Dvbt2Standard::onClock(DemodContext& chip)
{
    const uint64_t now = chip.nowUs();
    const Acquisition& acq = chip.acquisition();
    const int sync = syncState(chip);
    const bool ts = acq.tsLocked(now);
    chip.setSlvt(kBank, kSync, uint8_t(sync | (acq.unlockDetected(now) ? 0x10 : 0) | (ts ? 0x20 : 0)));
    chip.setSlvtWord(kBank, kIfAgc, 2, ifAgcWord(chip));
    const SceneCarrier* in = chip.input();
    const bool locked = acq.demodLocked(now) && in;
    if (in && acq.receivable())
        showSignalling(chip, *in, sync, locked);
    else
        showSignalling(chip, SceneCarrier{}, 0, false);
    if (locked)
        showLocked(chip, *in);
    else
        chip.setSlvt(kFecBank, kLdpcIterations, 0);
    showCounters(chip, ts ? acq.stageUs(acq.timeline().tsLockMs) : 0);
}

void Dvbt2Standard::showSignalling(DemodContext& chip, const SceneCarrier& carrier, int sync, bool locked)
{
    const DigitalChannel& d = carrier.digital;
    // The profile shows once the preamble is found, the L1-pre from sync state 5, the
    // L1-post and PLPs with the lock.
    const bool lite = signalled(d, "lite", 0) != 0;
    chip.setSlvt(kProfileBank, kProfile, sync >= 3 ? uint8_t(0x02 | (lite ? 1 : 0)) : 0);
    uint8_t pre[37] = {};
    if (sync >= 5) {
        const int fft = fftCode(d.fftSize);
        const uint32_t postSize = 2000, postInfo = 1600;
        const int cellId = int(signalled(d, "cellId", 0));
        const int networkId = int(signalled(d, "networkId", 0x3001));
        const int systemId = int(signalled(d, "t2SystemId", 0x8001));
        const int symbols = int(signalled(d, "symbols", 60));
        const uint8_t bytes[37] = {
            0x00, 0x00, uint8_t(lite ? 3 : 0), uint8_t(fft << 1), 0x00, uint8_t(guardCode(d.guardInterval)), 0x00,
            0x03, 0x00, 0x00, uint8_t(postSize >> 16), uint8_t(postSize >> 8), uint8_t(postSize),
            uint8_t(postInfo >> 16), uint8_t(postInfo >> 8), uint8_t(postInfo),
            uint8_t(signalled(d, "pilotPattern", 7) - 1), 0x00, uint8_t(cellId >> 8), uint8_t(cellId),
            uint8_t(networkId >> 8), uint8_t(networkId), uint8_t(systemId >> 8), uint8_t(systemId), 2,
            uint8_t(symbols >> 8 & 0x0F), uint8_t(symbols), 0, 0, 1, 0,
            0x00, uint8_t(0x80 | (lite ? 0x10 : 0)), // T2 version 2
            0, 0, 0, 0};
        std::copy(bytes, bytes + 37, pre);
    }
    for (int i = 0; i < 37; ++i)
        chip.setSlvt(kL1Bank, uint8_t(kL1Pre + i), pre[i]);

    bool missing = false;
    const DigitalPlp* plp = locked ? &presentedPlp(chip, d, &missing) : nullptr;
    chip.setSlvt(kL1Bank, kL1Valid, locked ? 1 : 0);
    chip.setSlvt(kL1Bank, kL1Valid + 1, missing ? 1 : 0);
    uint8_t post[15] = {};
    uint8_t record[20] = {};
    if (plp) {
        const uint32_t freq = uint32_t(carrier.frequencyHz);
        const uint8_t p[15] = {0x00, 0x01, uint8_t(d.plps.size()), 0, 0, 0, uint8_t(freq >> 24), uint8_t(freq >> 16),
                               uint8_t(freq >> 8), uint8_t(freq), 0, 0, 0, 0, 0};
        std::copy(p, p + 15, post);
        // Data PLP of type 1 carrying a TS, normal frames, one frame interval, rotated
        // constellation, normal mode.
        const uint8_t r[20] = {uint8_t(plp->id), 1, 3, 0, 0, 0, 1, uint8_t(codeRateCode(plp->codeRate)),
                               uint8_t(modulationCode(plp->modulation)), 1, 1, 0, 100, 1, 3, 0, 0, 0x00, 0x04, 0};
        std::copy(r, r + 20, record);
    }
    for (int i = 0; i < 15; ++i)
        chip.setSlvt(kL1Bank, uint8_t(kL1Post + i), post[i]);
    for (int i = 0; i < 20; ++i)
        chip.setSlvt(kL1Bank, uint8_t(kDataPlp + i), record[i]);
    // No common PLP: its record (from 0x67, after the data PLP's) stays empty.
    for (int i = 1; i < 20; ++i)
        chip.setSlvt(kL1Bank, uint8_t(0x67 + i), 0);
    const size_t count = plp ? std::min<size_t>(d.plps.size(), 255) : 0;
    chip.setSlvt(kL1Bank, kPlpCount, uint8_t(count));
    for (size_t i = 0; i < count; ++i) {
        if (i < 128)
            chip.setSlvt(kL1Bank, uint8_t(0x80 + i), uint8_t(d.plps[i].id));
        else
            chip.setSlvt(kPlpBank, uint8_t(0x10 + i - 128), uint8_t(d.plps[i].id));
    }
}

void Dvbt2Standard::showLocked(DemodContext& chip, const SceneCarrier& carrier)
{
    const DigitalChannel& d = carrier.digital;
    const uint8_t ofdm[5] = {uint8_t(fftCode(d.fftSize)),
                             uint8_t(guardCode(d.guardInterval) << 4 | (signalled(d, "pilotPattern", 7) - 1)), 0,
                             uint8_t(signalled(d, "symbols", 60) >> 8), uint8_t(signalled(d, "symbols", 60))};
    for (int i = 0; i < 5; ++i)
        chip.setSlvt(kBank, uint8_t(kOfdm + i), ofdm[i]);
    chip.setSlvtWord(kBank, kSnr, 2, ofdm::ratioWord(carrier.merDb, 32.0, 12600, 10876));
    chip.setSlvtWord(kBank, kMer, 2, ofdm::logWord(carrier.merDb, 6.021));
    chip.setSlvtWord(kBank, kCarrierOffset, 4,
                     ofdm::twos(std::lround(-chip.carrierOffsetHz() * 1073741824.0 / sampleRateHz(carrier.bandwidthHz)),
                                28));
    chip.setSlvt(kSenseBank, 0xE6, chip.spectrumInverted() ? 1 : 0);
    chip.setSlvt(kFecBank, kLdpcIterations, uint8_t(signalled(d, "ldpcIterations", 4)));
    trackNominalRate(chip);
    bool missing = false;
    const DigitalPlp& plp = presentedPlp(chip, d, &missing);
    const double kbps = ratesOf(carrier, plp).packets * kTsPacketBits / 1000;
    chip.setSlvtWord(kBank, kTsRate, 4, kbps > 0 ? uint32_t(std::lround(25165824000.0 / kbps)) & 0x1FFFFFFF : 0);
    useGrid(plp.modulation, carrier.merDb);
}

void Dvbt2Standard::showCounters(DemodContext& chip, uint64_t lockUs)
{
    const uint64_t now = chip.nowUs();
    const SceneCarrier* in = chip.input();
    bool missing = false;
    const bool counting = lockUs && in;
    const DigitalPlp plp = counting ? presentedPlp(chip, in->digital, &missing) : DigitalPlp{};
    const Rates r = counting ? ratesOf(*in, plp) : Rates{};
    bool valid = false;

    const int lp = chip.slvt(kBank, kLdpcWindow) & 0x0F;
    const uint64_t ldpc = ldpc_.update(counting ? uncodedBer(plp.modulation, in->merDb) : 0, r.ldpcBits,
                                       kFecFrameBits * double(1u << lp), lockUs, now, &valid);
    chip.setSlvtWord(kBank, kLdpcCount, 4, valid ? uint32_t(std::min<uint64_t>(ldpc, 0x0FFFFFFF)) | 0x10000000 : 0);

    const int bp = chip.slvt(kBank, kBchWindow) & 0x0F;
    const double bchBlock = kFecFrameBits * ofdm::fraction(plp.codeRate, 2.0 / 3);
    const uint64_t bch
        = bch_.update(counting ? in->digital.preBer : 0, r.bchBits, bchBlock * double(1u << bp), lockUs, now, &valid);
    chip.setSlvtWord(kFecBank, kBchCount, 4, valid ? uint32_t(std::min<uint64_t>(bch, 0x3FFFFF)) | 0x01000000 : 0);

    const uint64_t fer = fer_.update(counting ? in->digital.packetErrorRate : 0, r.frames, double(1u << bp), lockUs,
                                     now, &valid);
    chip.setSlvtWord(kBank, kFer, 3, valid ? uint32_t(std::min<uint64_t>(fer, 0x7FFF)) | 0x010000 : 0);

    const int pp = chip.slvt(kFecBank, kPerWindow) & 0x0F;
    const uint64_t per = per_.update(counting ? in->digital.packetErrorRate : 0, r.packets, double(1u << pp), lockUs,
                                     now, &valid);
    chip.setSlvtWord(kFecBank, kPer, 3, valid ? uint32_t(std::min<uint64_t>(per, 0xFFFF)) | 0x010000 : 0);

    packets_.setRate(counting ? in->digital.packetErrorRate : 0, r.packets);
    packets_.restart(lockUs);
}

bool Dvbt2Standard::onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
{
    const uint64_t now = chip.nowUs();
    const bool locked = chip.acquisition().demodLocked(now) && chip.input();
    if (bank == kAnalysisBank) {
        bool missing = false;
        const Modulation m = locked ? presentedPlp(chip, chip.input()->digital, &missing).modulation
                                    : Modulation::Unknown;
        return readPoint(chip, bank, reg, value, sampleScale(m), locked);
    }
    if (bank == kFecBank && reg == kPacketErrors) {
        const bool valid = chip.acquisition().tsLocked(now);
        const uint64_t count = valid ? packets_.errorsBetween(packetsClearedUs_, now) : 0;
        chip.setSlvtWord(kFecBank, kPacketErrors, 3,
                         uint32_t((valid ? 0x010000 : 0) | std::min<uint64_t>(count, 0xFFFF)));
    }
    return false;
}

} // namespace platform::sim
