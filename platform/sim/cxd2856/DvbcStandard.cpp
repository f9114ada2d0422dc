#include "DvbcStandard.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

using namespace dvbc;

namespace {
struct BandSetting {
    int mhz;
    uint8_t bytes[4];
    double nominalIfHz; // the software's default IF word for this bandwidth
};
constexpr BandSetting kBandSettings[] = {
    {6, {0x07, 0x33, 0x00, 0xEE}, 3.7e6},
    {7, {0x08, 0x66, 0x00, 0xEE}, 4.9e6},
    {8, {0x09, 0x9A, 0x00, 0xEE}, 4.9e6},
};
constexpr double kRollOff = 1.15;
// A band setting still passes a carrier slightly wider than itself.
constexpr double kBandMargin = 1.05;

struct QamInfo {
    Modulation modulation;
    int code;
    int scale;
    // SNR word x from the MER: SNR(dB) = a - b ln x.
    double a;
    double b;
};
constexpr QamInfo kQams[] = {
    {Modulation::Qam16, 0, 49, 95.941, 9.5},  {Modulation::Qam32, 1, 58, 86.999, 8.8},
    {Modulation::Qam64, 2, 55, 95.941, 9.5},  {Modulation::Qam128, 3, 62, 86.999, 8.8},
    {Modulation::Qam256, 4, 58, 95.941, 9.5},
};

const QamInfo* qamInfo(Modulation m)
{
    for (const QamInfo& q : kQams)
        if (q.modulation == m)
            return &q;
    return nullptr;
}

const BandSetting* bandSetting(const DemodContext& chip)
{
    for (const BandSetting& b : kBandSettings)
        if (chip.slvtWord(kBank, kBandSetting, 4)
            == uint32_t(b.bytes[0] << 24 | b.bytes[1] << 16 | b.bytes[2] << 8 | b.bytes[3]))
            return &b;
    return nullptr;
}

uint8_t toSample(double value)
{
    return uint8_t(int8_t(std::clamp(std::lround(value), -128L, 127L)));
}
} // namespace

int dvbc::qamCode(Modulation m)
{
    const QamInfo* q = qamInfo(m);
    return q ? q->code : -1;
}

int dvbc::sampleScale(Modulation m)
{
    const QamInfo* q = qamInfo(m);
    return q ? q->scale : 55;
}

bool DvbcStandard::carries(const SceneCarrier& carrier) const
{
    return carrier.standard == standard::kDvbC || carrier.standard == standard::kDocsis30;
}

void DvbcStandard::fillDefaults(SceneCarrier& carrier) const
{
    DigitalChannel& d = carrier.digital;
    if (d.symbolRateBd <= 0)
        d.symbolRateBd = carrier.standard == standard::kDocsis30 ? 6952000 : 6900000;
    if (d.modulation == Modulation::Unknown)
        d.modulation = Modulation::Qam256;
    if (d.preBer < 0)
        d.preBer = uncodedBer(d.modulation, carrier.merDb);
    LockTimeline& t = d.timeline;
    if (t.demodLockMs == 0)
        t.demodLockMs = 50;
    if (t.tsLockMs == 0)
        t.tsLockMs = 150;
    if (t.unlockMs == 0)
        t.unlockMs = 300;
}

int DvbcStandard::programmedBandwidthMhz(const DemodContext& chip)
{
    const BandSetting* b = bandSetting(chip);
    return b ? b->mhz : 0;
}

bool DvbcStandard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    const int mhz = programmedBandwidthMhz(chip);
    return qamInfo(carrier.digital.modulation) && mhz > 0
        && carrier.digital.symbolRateBd * kRollOff <= mhz * 1e6 * kBandMargin;
}

double DvbcStandard::nominalIfHz(const DemodContext& chip) const
{
    const BandSetting* b = bandSetting(chip);
    return b ? b->nominalIfHz : 4.9e6;
}

void DvbcStandard::onAcquisitionStart(DemodContext& chip)
{
    constellation_.reseed(chip.random()());
    packetsReadUs_ = chip.nowUs();
}

void DvbcStandard::onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
{
    (void)bank, (void)value;
    // A new window restarts its counter.
    if (reg == kPreRsWindow)
        preRsWrittenUs_ = chip.nowUs();
    else if (reg == kPerWindow)
        perWrittenUs_ = chip.nowUs();
}

void DvbcStandard::onClock(DemodContext& chip)
{
    const uint64_t now = chip.nowUs();
    const Acquisition& acq = chip.acquisition();
    const bool ar = acq.demodLocked(now);
    chip.setSlvt(kBank, kSync, uint8_t((ar ? 0x01 : 0) | (acq.unlockDetected(now) ? 0x02 : 0)));
    const uint8_t ts = chip.slvt(kBank, kTsLock);
    chip.setSlvt(kBank, kTsLock, acq.tsLocked(now) ? ts | 0x20 : ts & ~0x20);
    // More gain (a higher word) for a weaker input; full gain with nothing there.
    const double level = chip.input() ? chip.input()->levelDbuV : 0;
    chip.setSlvtWord(kBank, kIfAgc, 2, uint32_t(std::clamp(2048.0 + (60.0 - level) * 40.0, 0.0, 4095.0)));
    if (ar && chip.input()) {
        showLocked(chip, *chip.input());
    } else {
        for (uint8_t reg : {kCarrierOffset, uint8_t(kCarrierOffset + 1), kQam, kSymbolRate, uint8_t(kSymbolRate + 1),
                            kSnr, uint8_t(kSnr + 1)})
            chip.setSlvt(kBank, reg, 0);
        chip.setSlvtWord(kBank, kSymbolRateFraction, 4, 0);
        chip.setSlvt(kBank, kSymbolRateFraction + 4, 0);
    }
    showCounters(chip, acq.tsLocked(now) ? acq.stageUs(acq.timeline().tsLockMs) : 0);
}

void DvbcStandard::showLocked(DemodContext& chip, const SceneCarrier& carrier)
{
    const DigitalChannel& d = carrier.digital;
    const QamInfo& q = *qamInfo(d.modulation);
    chip.setSlvt(kBank, kQam, uint8_t(q.code | (chip.spectrumInverted() ? 0x80 : 0)));

    const double steps = d.symbolRateBd / kSymbolRateStepHz;
    const double whole = std::floor(steps);
    chip.setSlvtWord(kBank, kSymbolRate, 2, uint32_t(whole) & 0x0FFF);
    chip.setSlvtWord(kBank, kSymbolRateFraction, 4, uint32_t(std::lround((steps - whole) * 16777216.0)));
    chip.setSlvt(kBank, kSymbolRateFraction + 4, 0); // fraction shift 0: 2^24

    const long offset = std::clamp(std::lround(chip.carrierOffsetHz() / kSymbolRateStepHz), -8192L, 8191L);
    chip.setSlvtWord(kBank, kCarrierOffset, 2, uint32_t(offset) & 0x3FFF);

    const double snrWord = std::clamp(std::exp((q.a - carrier.merDb) / q.b), 1.0, double(0x1FFF));
    chip.setSlvtWord(kBank, kSnr, 2, uint32_t(std::lround(snrWord)));

    if (constellation_.grid().points().size() != (size_t(1) << bitsPerSymbol(d.modulation))
        || gridMerDb_ != carrier.merDb) {
        constellation_.setGrid(ConstellationGrid::of(d.modulation), carrier.merDb);
        gridMerDb_ = carrier.merDb;
    }
}

void DvbcStandard::showCounters(DemodContext& chip, uint64_t lockUs)
{
    const uint64_t now = chip.nowUs();
    const SceneCarrier* in = chip.input();
    const bool counting = lockUs != 0 && in;
    const double bitRate = counting ? in->digital.symbolRateBd * bitsPerSymbol(in->digital.modulation) : 0;

    const int preRsExponent = chip.slvt(kBank, kPreRsWindow) & 0x1F;
    preRs_.setRate(counting ? in->digital.preBer : 0, bitRate);
    preRs_.setWindow(packetBits() * double(1u << preRsExponent));
    preRs_.restart(std::max(lockUs, preRsWrittenUs_));
    const bool preRsValid = counting && preRs_.valid(now);
    const uint32_t errors = uint32_t(std::min<uint64_t>(preRs_.windowCount(now), 0x3FFFFF));
    chip.setSlvtWord(kBank, kPreRsCount, 3, preRsValid ? (errors | 0x800000) : 0);

    const int perExponent = chip.slvt(kBank, kPerWindow) & 0x1F;
    per_.setRate(counting ? in->digital.packetErrorRate : 0, bitRate / packetBits());
    per_.setWindow(double(1u << perExponent));
    per_.restart(std::max(lockUs, perWrittenUs_));
    const bool perValid = counting && per_.valid(now);
    const uint32_t packets = uint32_t(std::min<uint64_t>(per_.windowCount(now), 0x3FFFF));
    chip.setSlvtWord(kBank, kPerCount, 3, perValid ? (packets | 0x40000) : 0);

    packets_.setRate(counting ? in->digital.packetErrorRate : 0, bitRate / packetBits());
    packets_.restart(lockUs);
}

bool DvbcStandard::onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
{
    (void)bank;
    const uint64_t now = chip.nowUs();
    const bool locked = chip.acquisition().demodLocked(now);
    switch (reg) {
    case kIqSample: {
        // A fresh sample at every read of I; Q waits in its register for the next byte.
        const Modulation m = chip.input() ? chip.input()->digital.modulation : Modulation::Unknown;
        const double scale = sampleScale(m) / std::max(1.0, constellation_.grid().peakAxis());
        IqPoint p;
        if (locked && !constellation_.grid().empty())
            p = constellation_.next().received * scale;
        else
            p = IqPoint(constellation_.gaussian(), constellation_.gaussian()) * 30.0;
        chip.setSlvt(kBank, kIqSample + 1, toSample(p.imag()));
        *value = toSample(p.real());
        return true;
    }
    case kPacketErrors: {
        const bool valid = chip.acquisition().tsLocked(now);
        const uint64_t count = valid ? packets_.errorsBetween(packetsReadUs_, now) : 0;
        chip.setSlvtWord(kBank, kPacketErrors, 3, uint32_t(std::min<uint64_t>(count, 0xFFFF) << 8 | (valid ? 1 : 0)));
        return false;
    }
    case kPacketErrors + 2:
        // Reading the count clears it.
        packetsReadUs_ = now;
        return false;
    default:
        return false;
    }
}

} // namespace platform::sim
