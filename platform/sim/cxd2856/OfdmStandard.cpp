#include "OfdmStandard.h"

#include "ChannelResponse.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::sim {

double ofdm::fraction(const std::string& text, double fallback)
{
    const size_t slash = text.find('/');
    if (slash == std::string::npos)
        return fallback;
    const double num = std::atof(text.substr(0, slash).c_str());
    const double den = std::atof(text.substr(slash + 1).c_str());
    return num > 0 && den > 0 ? num / den : fallback;
}

int ofdm::indexOf(const std::string& text, const std::vector<const char*>& names)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (text == names[i])
            return int(i);
    return -1;
}

uint32_t ofdm::logWord(double db, double offsetDb, uint32_t maximum)
{
    const double w = std::pow(10.0, (db + offsetDb) / 10.0);
    return uint32_t(std::clamp(std::lround(w), 1L, long(maximum)));
}

uint32_t ofdm::ratioWord(double db, double offsetDb, double total, uint32_t cap)
{
    const double r = std::pow(10.0, (db - offsetDb) / 10.0);
    return uint32_t(std::clamp(std::lround(total * r / (1 + r)), 1L, long(cap)));
}

uint32_t ofdm::twos(long value, int bits)
{
    const long limit = 1L << (bits - 1);
    return uint32_t(std::clamp(value, -limit, limit - 1)) & ((1u << bits) - 1);
}

uint64_t WindowedCounter::update(double rate, double unitsPerSecond, double windowUnits, uint64_t lockUs,
                                 uint64_t nowUs, bool* valid)
{
    counter.setRate(rate, unitsPerSecond);
    counter.setWindow(windowUnits);
    counter.restart(std::max(lockUs, windowWrittenUs));
    *valid = lockUs != 0 && counter.valid(nowUs);
    return *valid ? counter.windowCount(nowUs) : 0;
}

double OfdmStandard::programmedBandwidthHz(const DemodContext& chip) const
{
    for (const Band& b : bands()) {
        bool same = true;
        for (int i = 0; i < 5; ++i)
            same = same && chip.slvt(rateBank(), uint8_t(0x9F + i)) == b.rate[i];
        if (same)
            return b.bandwidthHz;
    }
    return 0;
}

bool OfdmStandard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    // An OFDM demodulator set for another width finds neither its pilots nor its guard.
    const double programmed = programmedBandwidthHz(chip);
    return programmed > 0 && std::abs(programmed - carrier.bandwidthHz) < 0.05e6;
}

double OfdmStandard::nominalIfHz(const DemodContext& chip) const
{
    const double programmed = programmedBandwidthHz(chip);
    for (const Band& b : bands())
        if (b.bandwidthHz == programmed)
            return b.nominalIfHz;
    return bands().back().nominalIfHz;
}

int OfdmStandard::syncState(const DemodContext& chip)
{
    const Acquisition& acq = chip.acquisition();
    if (!acq.started())
        return 0;
    const uint64_t now = chip.nowUs();
    const uint32_t lockMs = std::max<uint32_t>(acq.timeline().demodLockMs, 1);
    const int climbing = int(std::min<uint64_t>(6 * acq.elapsedMs(now) / lockMs, 5));
    if (!acq.receivable())
        return std::min(climbing, 2);  // symbol timing found, nothing beyond
    return acq.demodLocked(now) ? ofdm::kSyncLocked : climbing;
}

uint32_t OfdmStandard::ifAgcWord(const DemodContext& chip)
{
    const double level = chip.input() ? chip.input()->levelDbuV : 0;
    return uint32_t(std::clamp(2048.0 + (60.0 - level) * 40.0, 0.0, 4095.0));
}

void OfdmStandard::clearLockedMonitors(DemodContext& chip, uint8_t bank, uint8_t signalling, int signallingBytes)
{
    for (int i = 0; i < signallingBytes; ++i)
        chip.setSlvt(bank, uint8_t(signalling + i), 0);
    chip.setSlvtWord(bank, 0x28, 2, 0);
    chip.setSlvtWord(bank, 0x2C, 2, 0);
    chip.setSlvt(bank, 0x3F, 0);
    chip.setSlvt(bank, 0x40, 0);
    chip.setSlvtWord(bank, 0x4C, 4, 0);
}

void OfdmStandard::trackNominalRate(DemodContext& chip) const
{
    for (int i = 0; i < 5; ++i)
        chip.setSlvt(rateBank(), uint8_t(0x52 + i), chip.slvt(rateBank(), uint8_t(0x9F + i)));
}

void OfdmStandard::useGrid(Modulation m, double merDb)
{
    if (m != gridModulation_ || merDb != gridMerDb_) {
        constellation_.setGrid(ConstellationGrid::of(m), merDb);
        gridModulation_ = m;
        gridMerDb_ = merDb;
    }
}

bool OfdmStandard::readPoint(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value, double scale, bool locked,
                             uint32_t merWordMax)
{
    if (reg != ofdm::kPoint)
        return false;
    if (readChannelResponse(chip, bank, value, locked))
        return true;
    IqPoint p;
    if (locked && !constellation_.grid().empty())
        p = constellation_.next().received * (scale / std::max(1.0, constellation_.grid().peakAxis()));
    const uint32_t i = ofdm::twos(std::lround(p.real()), 10);
    const uint32_t q = ofdm::twos(std::lround(p.imag()), 10);
    chip.setSlvt(bank, ofdm::kPoint + 1, uint8_t(i >> 8));
    chip.setSlvt(bank, ofdm::kPoint + 2, uint8_t(i));
    chip.setSlvt(bank, ofdm::kPoint + 3, uint8_t(q >> 8));
    chip.setSlvt(bank, ofdm::kPoint + 4, uint8_t(q));
    const double merDb = locked && chip.input() ? chip.input()->merDb : 0;
    const uint32_t w = locked ? std::min(uint32_t(std::lround(8 * std::pow(10.0, merDb / 10))), merWordMax) : 0;
    chip.setSlvt(bank, ofdm::kPoint + 5, uint8_t(w >> 8));
    chip.setSlvt(bank, ofdm::kPoint + 6, uint8_t(w));
    *value = locked ? 0x40 : 0x00;
    return true;
}

} // namespace platform::sim
