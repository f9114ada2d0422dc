#include "SatelliteStandard.h"

#include "SatellitePowerScan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace platform::sim {

using namespace sat;

namespace {

constexpr double kHighClockHz = 96e6;
constexpr double kLowClockHz = 64e6;
constexpr double kRateWordPerKsps = 16384.0 / 1000.0;
constexpr double kRateTolerance = 0.02;
constexpr double kCaptureMinHz = 1e6;
constexpr double kCaptureFraction = 0.15;
constexpr uint64_t kSearchUs = 30000;  // the chip's symbol-rate search
constexpr uint64_t kSweepUs = 5000;
constexpr uint64_t kSingleUs = 2000;
constexpr double kPreViterbiWindowBits = 1e6;
constexpr double kSampleRadius = 256;

enum Counter { kPreInner, kPreOuter, kFrames, kPackets };

const std::map<std::string, int> kDvbsCodeRates = {{"1/2", 0}, {"2/3", 1}, {"3/4", 2}, {"5/6", 3}, {"7/8", 4}};
const std::map<std::string, int> kQpskModcods = {{"1/4", 1}, {"1/3", 2}, {"2/5", 3}, {"1/2", 4},
                                                 {"3/5", 5}, {"2/3", 6}, {"3/4", 7}, {"4/5", 8},
                                                 {"5/6", 9}, {"8/9", 10}, {"9/10", 11}};
const std::map<std::string, int> k8pskModcods = {{"3/5", 12}, {"2/3", 13}, {"3/4", 14},
                                                 {"5/6", 15}, {"8/9", 16}, {"9/10", 17}};

// Kbch of the normal frame by code rate (EN 302 307).
const std::map<std::string, uint32_t> kKbch = {{"1/4", 16008}, {"1/3", 21408}, {"2/5", 25728}, {"1/2", 32208},
                                               {"3/5", 38688}, {"2/3", 43040}, {"3/4", 48408}, {"4/5", 51648},
                                               {"5/6", 53840}, {"8/9", 57472}, {"9/10", 58192}};

double codeRateValue(const std::string& codeRate)
{
    const size_t slash = codeRate.find('/');
    if (slash == std::string::npos)
        return 0.75;
    return std::stod(codeRate.substr(0, slash)) / std::stod(codeRate.substr(slash + 1));
}

// The chip's C/N calibration where it is known: register value, C/N in dB x 1000.
struct CnRow {
    double reg, cnr;
};
constexpr CnRow kDvbsRows[] = {{830, 0},    {825, 100},   {819, 200},   {617, 3000},  {487, 5000},  {204, 10000},
                               {65, 15000}, {23, 19500},  {22, 19700},  {21, 19900},  {20, 20000}};
constexpr CnRow kDvbs2Rows[] = {{1455, 0},   {1431, 100},  {1406, 200},  {846, 3000},  {566, 5000},  {198, 10000},
                                {65, 15000}, {23, 19500},  {22, 19700},  {21, 19900},  {20, 20000}};

int32_t signExtend(uint32_t value, int bits)
{
    const uint32_t sign = 1u << (bits - 1);
    return int32_t((value ^ sign) - sign);
}

uint32_t twosComplement(int64_t value, int bits)
{
    return uint32_t(value) & ((1u << bits) - 1);
}

} // namespace

int sat::modcod(const SceneCarrier& carrier)
{
    const auto forced = carrier.digital.signalling.find("modcod");
    if (forced != carrier.digital.signalling.end())
        return int(forced->second);
    const auto& table = carrier.digital.modulation == Modulation::Psk8 ? k8pskModcods : kQpskModcods;
    if (carrier.digital.modulation != Modulation::Qpsk && carrier.digital.modulation != Modulation::Psk8)
        return 0;
    const auto it = table.find(carrier.digital.codeRate);
    return it == table.end() ? 0 : it->second;
}

uint32_t sat::cnrRegister(bool dvbs2, double cnDb)
{
    const CnRow* rows = dvbs2 ? kDvbs2Rows : kDvbsRows;
    const size_t count = dvbs2 ? std::size(kDvbs2Rows) : std::size(kDvbsRows);
    const double x = std::clamp(cnDb * 1000, 0.0, 20000.0);
    for (size_t i = 1; i < count; ++i) {
        if (x > rows[i].cnr)
            continue;
        const CnRow& a = rows[i - 1];
        const CnRow& b = rows[i];
        return uint32_t(std::lround(a.reg - (x - a.cnr) / (b.cnr - a.cnr) * (a.reg - b.reg)));
    }
    return uint32_t(rows[count - 1].reg);
}

const char* SatelliteStandard::name() const
{
    return dvbs2_ ? standard::kDvbS2 : standard::kDvbS;
}

uint8_t SatelliteStandard::systemCode() const
{
    return dvbs2_ ? cxd2856::kSystemDvbS2 : cxd2856::kSystemDvbS;
}

std::vector<uint8_t> SatelliteStandard::banks() const
{
    return {kBank,     kCnrBank,  0xA3,     kConstellationBank, kSpectrumBank, kSearchBank,
            kRateBank, kDvbsBank, kLdpcBank, kPerBank,           kPacketBank};
}

bool SatelliteStandard::carries(const SceneCarrier& carrier) const
{
    // DVB-S reaches the DVB-S2 behaviour when it is told to take either.
    return carrier.standard == standard::kDvbS || (dvbs2_ && carrier.standard == standard::kDvbS2);
}

void SatelliteStandard::fillDefaults(SceneCarrier& carrier) const
{
    DigitalChannel& d = carrier.digital;
    if (d.symbolRateBd <= 0)
        d.symbolRateBd = carrier.bandwidthHz > 0 ? carrier.bandwidthHz / (1 + satellite::rollOff(carrier)) : 27.5e6;
    if (d.modulation == Modulation::Unknown)
        d.modulation = Modulation::Qpsk;
    if (d.codeRate.empty())
        d.codeRate = "3/4";
    if (d.preBer < 0)
        d.preBer = uncodedBer(d.modulation, carrier.merDb) / 100;
    LockTimeline& t = d.timeline;
    if (t.demodLockMs == 0)
        t.demodLockMs = uint32_t(kSearchUs / 1000);
    // Timing first, then some thousands of symbols to the frame and TS lock.
    if (t.tsLockMs == 0)
        t.tsLockMs = t.demodLockMs + 20 + uint32_t(std::ceil(1e9 / d.symbolRateBd));
    if (t.unlockMs == 0)
        t.unlockMs = LockTimeline::kNever;
}

double SatelliteStandard::programmedRateBd(const DemodContext& chip)
{
    return (chip.slvtWord(kSearchBank, 0x20, 3) & 0xFFFFF) / kRateWordPerKsps * 1000.0;
}

bool SatelliteStandard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    if (carrier.standard == standard::kDvbS && dvbs2_ && !(chip.slvt(0x00, 0x2D) & 1))
        return false;
    const DigitalChannel& d = carrier.digital;
    if (carrier.standard == standard::kDvbS ? d.modulation != Modulation::Qpsk : modcod(carrier) == 0)
        return false;
    if (std::abs(chip.carrierOffsetHz()) > std::max(kCaptureMinHz, kCaptureFraction * d.symbolRateBd))
        return false;
    const double programmed = programmedRateBd(chip);
    double low = programmed, high = programmed;
    if (chip.slvt(kSearchBank, 0x24) & 1) {
        // The search configuration: the chip's own search within the ratio range.
        low = programmed * (chip.slvtWord(kSearchBank, 0x2A, 2) & 0x3FF) / 1024.0;
        high = programmed * (1024 + (chip.slvtWord(kSearchBank, 0x28, 2) & 0x3FF)) / 1024.0;
    }
    return d.symbolRateBd >= low * (1 - kRateTolerance) && d.symbolRateBd <= high * (1 + kRateTolerance);
}

bool SatelliteStandard::locked(const DemodContext& chip) const
{
    return chip.input() && chip.acquisition().demodLocked(chip.nowUs());
}

void SatelliteStandard::onAcquisitionStart(DemodContext& chip)
{
    constellation_.reseed(chip.random()());
    gridCnDb_ = -1;
    packetsReadUs_ = chip.nowUs();
}

void SatelliteStandard::onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
{
    const uint64_t now = chip.nowUs();
    if (bank == kBank && reg == kEngineStart && (value & 1)) {
        startEngine(chip);
    } else if (bank == kBank && reg == kEngineAck && (value & 1)) {
        if (sweep_)
            ++resultIndex_;
        else
            engineRunning_ = false;
    } else if (bank == kBank && reg == 0xBA) {
        windowWrittenUs_[kPackets] = windowWrittenUs_[kPreOuter] = now;
    } else if (bank == kBank && reg == 0xBC) {
        windowWrittenUs_[kPreOuter] = windowWrittenUs_[kFrames] = now;
    } else if (bank == kBank && reg == 0x7A) {
        windowWrittenUs_[kPreInner] = now;
    }
}

void SatelliteStandard::startEngine(DemodContext& chip)
{
    const double tuned = chip.tunedFrequencyHz();
    const std::vector<SceneCarrier> scene = chip.scene();
    const double floor = chip.noiseFloorDbuV();
    // An engine told the path inverts the spectrum looks at mirrored offsets.
    const double sense = (chip.slvt(kBank, kEngineInverted) & 1) ? -1 : 1;
    engineRunning_ = (chip.slvt(kBank, kEngineOn) & 1) != 0;
    sweep_ = chip.slvt(kSpectrumBank, 0xF9) == 0;
    results_.clear();
    resultIndex_ = 0;
    if (sweep_) {
        const int low = signExtend(chip.slvtWord(kSpectrumBank, 0xF1, 2) & 0x7FF, 11);
        const int high = signExtend(chip.slvtWord(kSpectrumBank, 0xF3, 2) & 0x7FF, 11);
        const int step = int(chip.slvtWord(kSpectrumBank, 0xF5, 2) & 0x3FF);
        const double stepHz = step * kHighClockHz / 2048;
        for (int offset = low; step > 0 && offset <= high; offset += step) {
            const double f = tuned + sense * offset * kHighClockHz / 2048;
            results_.emplace_back(offset, satellite::rawPower(scene, floor, f, {true, stepHz}));
        }
        engineDoneUs_ = chip.nowUs() + kSweepUs;
    } else {
        const int32_t w = signExtend(chip.slvtWord(kBank, kCfFine, 3) & 0x1FFFFF, 21);
        const double offsetHz = -double(w) * kLowClockHz / 1048576.0;
        singlePower_ = satellite::rawPower(scene, floor, tuned + sense * offsetHz,
                                           {false, satellite::kSinglePointSigmaHz});
        engineDoneUs_ = chip.nowUs() + kSingleUs;
    }
}

void SatelliteStandard::showEngine(DemodContext& chip)
{
    const bool done = engineRunning_ && (chip.slvt(kBank, kEngineOn) & 1) && chip.nowUs() >= engineDoneUs_;
    chip.setSlvt(kBank, kCsFinished, done ? 1 : 0);
    chip.setSlvtWord(kBank, kSinglePower, 2, done && !sweep_ ? singlePower_ : 0);
    const bool readEnd = !done || !sweep_ || resultIndex_ >= results_.size();
    chip.setSlvt(kSpectrumBank, 0x44, readEnd ? 1 : 0);
    if (!readEnd) {
        const auto& r = results_[resultIndex_];
        chip.setSlvtWord(kSpectrumBank, 0x40, 2, twosComplement(r.first, 11));
        chip.setSlvtWord(kSpectrumBank, 0x42, 2, r.second);
    }
}

void SatelliteStandard::onClock(DemodContext& chip)
{
    const uint64_t now = chip.nowUs();
    const Acquisition& acq = chip.acquisition();
    const SceneCarrier* in = chip.input();
    chip.setSlvt(kSearchBank, 0x10, acq.started() && now >= acq.startUs() + kSearchUs ? 1 : 0);
    const bool timing = locked(chip);
    const bool ts = in && acq.tsLocked(now);
    const bool s2 = in && in->standard == standard::kDvbS2;
    chip.setSlvt(kBank, kTimingLock, timing ? 1 : 0);
    chip.setSlvt(kBank, kSync, uint8_t((ts ? 0x04 : 0) | (timing && s2 ? 0x01 : 0)));
    // More gain (a higher word) for a weaker input.
    const double level = in ? in->levelDbuV : 20;
    chip.setSlvtWord(kBank, kIfAgc, 2, uint32_t(std::clamp(4096.0 + (60.0 - level) * 40.0, 0.0, 8191.0)));
    const bool highRate = (chip.slvt(0x00, 0x24) & 1) || (in && in->digital.symbolRateBd > 20e6);
    chip.setSlvt(kBank, kMode, uint8_t((highRate ? 0x10 : 0) | (s2 || !in ? 0 : 1)));
    if (timing) {
        showLocked(chip, *in);
    } else {
        chip.setSlvt(kBank, kPls, 0);
        chip.setSlvt(kCnrBank, 0x10, 0);
        chip.setSlvt(kDvbsBank, 0x10, 0);
        chip.setSlvt(kConstellationBank, 0x10, 0);
    }
    showCounters(chip);
    showEngine(chip);
}

void SatelliteStandard::showLocked(DemodContext& chip, const SceneCarrier& carrier)
{
    const DigitalChannel& d = carrier.digital;
    const bool s2 = carrier.standard == standard::kDvbS2;
    const bool highRate = chip.slvt(kBank, kMode) & 0x10;

    // Symbol rate: N x 1000 / (65536 - v), N the sampling clock x 2^15.
    const double n = (highRate ? kHighClockHz : kLowClockHz) * 32768.0;
    const int64_t v = 65536 - std::llround(n / d.symbolRateBd);
    chip.setSlvtWord(kRateBank, 0x38, 4, twosComplement(v, 27));

    // Carrier offset: -(offset) x 2^20 / clock in the 21-bit register.
    const double clock = highRate ? kHighClockHz : kLowClockHz;
    const int64_t w = std::llround(-chip.carrierOffsetHz() * 1048576.0 / clock);
    chip.setSlvtWord(kBank, kCarrierOffset, 3, twosComplement(w, 21));

    const uint32_t cnr = cnrRegister(s2, carrier.merDb);
    chip.setSlvtWord(kCnrBank, 0x10, 3, 0x010000 | cnr);

    const bool inverted = chip.spectrumInverted();
    if (s2) {
        chip.setSlvt(kBank, kPls, uint8_t(modcod(carrier) << 2 | (d.pilots ? 1 : 0)));
        chip.setSlvt(kSpectrumBank, 0x23, inverted ? 1 : 0);
        // BB header: transport stream, single stream, constant coding, the roll-off, then
        // ISI, user packet length, data field length and the sync byte.
        const double alpha = satellite::rollOff(carrier);
        const uint8_t ro = alpha < 0.22 ? 2 : alpha < 0.3 ? 1 : 0;
        const auto kbch = kKbch.find(d.codeRate);
        const uint32_t dfl = (kbch == kKbch.end() ? 48408 : kbch->second) - 80;
        const uint8_t header[7] = {uint8_t(0xF0 | ro), 0, 0x05, 0xE0, uint8_t(dfl >> 8), uint8_t(dfl), 0x47};
        for (int i = 0; i < 7; ++i)
            chip.setSlvt(kBank, uint8_t(kBbHeader + i), header[i]);
    } else {
        const auto cr = kDvbsCodeRates.find(d.codeRate);
        chip.setSlvt(kDvbsBank, 0x10, uint8_t(0x80 | (cr == kDvbsCodeRates.end() ? 2 : cr->second)));
        chip.setSlvt(kDvbsBank, 0x3E, inverted ? 1 : 0);
        chip.setSlvt(kDvbsBank, 0x5D, inverted ? 1 : 0);
    }
    if (gridModulation_ != d.modulation || gridCnDb_ != carrier.merDb) {
        constellation_.setGrid(ConstellationGrid::of(d.modulation), carrier.merDb);
        gridModulation_ = d.modulation;
        gridCnDb_ = carrier.merDb;
    }
}

void SatelliteStandard::showCounters(DemodContext& chip)
{
    const uint64_t now = chip.nowUs();
    const SceneCarrier* in = chip.input();
    const Acquisition& acq = chip.acquisition();
    const bool counting = in && acq.tsLocked(now);
    const uint64_t lockUs = counting ? acq.stageUs(acq.timeline().tsLockMs) : 0;
    const bool s2 = in && in->standard == standard::kDvbS2;
    const DigitalChannel d = in ? in->digital : DigitalChannel{};
    const double codeRate = codeRateValue(d.codeRate);
    const double codedBits = counting ? d.symbolRateBd * bitsPerSymbol(d.modulation) : 0;
    const double dataBits = codedBits * codeRate;
    const int pPackets = chip.slvt(kBank, 0xBA) & 0x0F;
    const int pBch = chip.slvt(kBank, 0xBC) & 0x0F;
    const int pLdpc = chip.slvt(kBank, 0x7A) & 0x0F;
    const double innerBer = in ? uncodedBer(d.modulation, in->merDb) : 0;

    // The packets in error since they were last read (bank 0x40, as the cable standards).
    packets_.setRate(counting ? d.packetErrorRate : 0, dataBits / (s2 ? 1504 : 1632));
    packets_.restart(lockUs);

    auto run = [&](Counter c, double rate, double unitsPerSecond, double window) {
        ErrorCounter& e = counters_[c];
        e.setRate(counting ? rate : 0, unitsPerSecond);
        e.setWindow(window);
        e.restart(std::max(lockUs, windowWrittenUs_[c]));
        return counting && e.valid(now) ? e.windowCount(now) : uint64_t(0);
    };
    auto valid = [&](Counter c) { return counting && counters_[c].valid(now); };
    if (!s2) {
        const uint64_t inner = run(kPreInner, innerBer, codedBits, kPreViterbiWindowBits);
        chip.setSlvt(kBank, 0x35, valid(kPreInner) ? 1 : 0);
        chip.setSlvtWord(kBank, 0x36, 3, uint32_t(std::min<uint64_t>(inner, 0x3FFFFF)));
        chip.setSlvtWord(kBank, 0x3D, 3, valid(kPreInner) ? uint32_t(kPreViterbiWindowBits) : 0);
        const uint64_t outer = run(kPreOuter, d.preBer, dataBits, 65280.0 * (1 << pPackets));
        const uint64_t packets = run(kPackets, d.packetErrorRate, dataBits / 1632, 8.0 * (1 << pPackets));
        chip.setSlvt(kBank, 0x25, valid(kPreOuter) ? 1 : 0);
        chip.setSlvtWord(kBank, 0x26, 3, uint32_t(std::min<uint64_t>(outer, 0xFFFFFF)));
        chip.setSlvtWord(kBank, 0x2C, 3, uint32_t(std::min<uint64_t>(packets, 0x3FFFF)));
        return;
    }
    const uint64_t inner = run(kPreInner, innerBer, codedBits, 64800.0 * (1 << pLdpc));
    chip.setSlvt(kLdpcBank, 0x30, valid(kPreInner) ? 1 : 0);
    chip.setSlvtWord(kLdpcBank, 0x31, 4, uint32_t(std::min<uint64_t>(inner, 0x0FFFFFFF)));
    const uint64_t outer = run(kPreOuter, d.preBer, dataBits, 64800.0 * codeRate * (1 << pBch));
    const uint64_t frames = run(kFrames, d.packetErrorRate, codedBits / 64800, double(1 << pBch));
    chip.setSlvt(kBank, 0x2F, valid(kPreOuter) && valid(kFrames) ? 1 : 0);
    chip.setSlvtWord(kBank, 0x30, 3, uint32_t(std::min<uint64_t>(outer, 0x7FFFFF)));
    chip.setSlvtWord(kBank, 0x33, 2, uint32_t(std::min<uint64_t>(frames, 0xFFFF)));
    const uint64_t packets = run(kPackets, d.packetErrorRate, dataBits / 1504, double(1 << pPackets));
    chip.setSlvt(kPerBank, 0x26, valid(kPackets) ? 1 : 0);
    chip.setSlvtWord(kPerBank, 0x27, 2, uint32_t(std::min<uint64_t>(packets, 0xFFFF)));
}

bool SatelliteStandard::onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
{
    if (bank == kPacketBank && reg == kPacketErrors) {
        const uint64_t now = chip.nowUs();
        const bool valid = chip.input() && chip.acquisition().tsLocked(now);
        const uint64_t count = valid ? packets_.errorsBetween(packetsReadUs_, now) : 0;
        chip.setSlvtWord(kPacketBank, kPacketErrors, 3, uint32_t(std::min<uint64_t>(count, 0xFFFF) << 8 | (valid ? 1 : 0)));
        return false;
    }
    if (bank == kPacketBank && reg == kPacketErrors + 2) {
        packetsReadUs_ = chip.nowUs(); // reading the count clears it
        return false;
    }
    if (bank != kConstellationBank || reg != 0x10)
        return false;
    // A fresh sample at every read of the first byte; the other two wait in their registers.
    if (!locked(chip) || constellation_.grid().empty()) {
        *value = 0;
        return true;
    }
    const double scale = kSampleRadius / std::sqrt(constellation_.grid().averagePower());
    const IqPoint p = constellation_.next().received * scale;
    const uint32_t i = twosComplement(std::clamp(std::lround(p.real()), -512L, 511L), 10);
    const uint32_t q = twosComplement(std::clamp(std::lround(p.imag()), -512L, 511L), 10);
    chip.setSlvt(bank, 0x11, uint8_t(i));
    chip.setSlvt(bank, 0x12, uint8_t(q));
    *value = uint8_t(0x80 | (i >> 8) << 4 | (q >> 8));
    return true;
}

} // namespace platform::sim
