#include "J83bStandard.h"

#include <cmath>

namespace platform::sim {

namespace {
struct Band {
    int id;
    uint32_t words;     // bank 0x40 registers 0x26-0x29
    uint8_t mode;       // bank 0x40 register 0x14
    double nominalIfHz; // the software's default IF word
};
constexpr Band kBands[] = {
    {50, 0x072606BE, 0x14, 3.7e6},
    {51, 0x07770777, 0x10, 3.75e6},
};
// How far off its band's rate a carrier may be and still be caught.
constexpr double kRateTolerance = 0.01;

const Band* programmed(const DemodContext& chip)
{
    const uint32_t words = chip.slvtWord(dvbc::kBank, dvbc::kBandSetting, 4);
    for (const Band& b : kBands)
        if (b.words == words && chip.slvt(dvbc::kBank, j83b::kBandMode) == b.mode)
            return &b;
    return nullptr;
}

// The symbol rate a band setting is made for at a modulation; 0 for none.
double bandRate(int band, Modulation m)
{
    if (band == 50 && m == Modulation::Qam64)
        return j83b::kRate64Qam;
    if (band == 50 && m == Modulation::Qam256)
        return j83b::kRate256Qam;
    if (band == 51 && m == Modulation::Qam256)
        return j83b::kRate256QamBand51;
    return 0;
}
} // namespace

int J83bStandard::programmedBand(const DemodContext& chip)
{
    const Band* b = programmed(chip);
    return b ? b->id : 0;
}

void J83bStandard::fillDefaults(SceneCarrier& carrier) const
{
    DigitalChannel& d = carrier.digital;
    if (d.modulation == Modulation::Unknown)
        d.modulation = Modulation::Qam256;
    if (d.symbolRateBd <= 0)
        d.symbolRateBd = d.modulation == Modulation::Qam64 ? j83b::kRate64Qam : j83b::kRate256Qam;
    DvbcStandard::fillDefaults(carrier);
}

bool J83bStandard::receivable(const DemodContext& chip, const SceneCarrier& carrier) const
{
    const double rate = bandRate(programmedBand(chip), carrier.digital.modulation);
    return rate > 0 && std::abs(carrier.digital.symbolRateBd / rate - 1) <= kRateTolerance;
}

double J83bStandard::nominalIfHz(const DemodContext& chip) const
{
    const Band* b = programmed(chip);
    return b ? b->nominalIfHz : 3.7e6;
}

void J83bStandard::onClock(DemodContext& chip)
{
    DvbcStandard::onClock(chip);
    const bool locked = chip.acquisition().demodLocked(chip.nowUs()) && chip.input();
    chip.setSlvt(j83b::kBank, j83b::kSenseValid, locked ? 0x01 : 0x00);
    chip.setSlvt(j83b::kBank, j83b::kSense, locked && chip.spectrumInverted() ? 0x01 : 0x00);
    uint8_t interleave = 0;
    if (locked) {
        const auto& signalling = chip.input()->digital.signalling;
        const auto code = signalling.find("interleave");
        interleave = code != signalling.end() ? uint8_t(code->second & 0x0F) : 0;
    }
    chip.setSlvt(j83b::kBank, j83b::kInterleaveValid, locked ? 0x01 : 0x00);
    chip.setSlvt(j83b::kBank, j83b::kInterleaveValid + 1, interleave);
}

bool J83bStandard::onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
{
    return bank == dvbc::kBank && DvbcStandard::onRead(chip, bank, reg, value);
}

void J83bStandard::onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
{
    if (bank == dvbc::kBank)
        DvbcStandard::onWrite(chip, bank, reg, value);
}

} // namespace platform::sim
