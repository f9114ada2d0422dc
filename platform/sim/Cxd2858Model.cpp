#include "Cxd2858Model.h"

#include "common/BoardWiring.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace platform::sim {

namespace c = cxd2858;

namespace {

// dBm of 0 dBµV on 75 ohms.
constexpr double kDbuVToDbm = -108.75;
// What the detector sees with nothing tuned: below anything the chip can encode.
constexpr double kNoSignalDbm = -120.0;

// The terrestrial modes the chip knows, by the bytes of the tune block that tell them
// apart: byte 1 low nibble, byte 4 low bits, byte 5 low bits (the channel filter), bytes
// 6 and 7. Ids whose rows are equal program the same mode.
struct TerrMode {
    uint8_t id, b1, b4, b5, b6, b7;
};
constexpr TerrMode kTerrModes[] = {
    {1, 0x5, 1, 0, 0x00, 0x01},  {2, 0x5, 1, 0, 0x00, 0x01},  {3, 0x5, 1, 0, 0x03, 0x01},
    {4, 0x5, 1, 1, 0x0B, 0x05},  {5, 0x5, 1, 2, 0x02, 0x1D},  {6, 0x5, 1, 2, 0x02, 0x1D},
    {7, 0x3, 4, 2, 0x02, 0x1D},  {8, 0x3, 4, 2, 0x1F, 0x04},  {9, 0x8, 3, 0, 0x1A, 0x1D},
    {10, 0x8, 2, 0, 0x1A, 0x1D}, {11, 0x8, 2, 0, 0x17, 0x1B}, {12, 0x8, 2, 1, 0x19, 0x1A},
    {13, 0x8, 2, 2, 0x1B, 0x19}, {14, 0x8, 2, 0, 0x18, 0x1D}, {15, 0x8, 2, 0, 0x18, 0x1D},
    {16, 0x8, 2, 1, 0x1A, 0x1B}, {17, 0x8, 2, 2, 0x1C, 0x1A}, {18, 0x8, 2, 3, 0x16, 0x16},
    {19, 0x8, 2, 0, 0x18, 0x1D}, {20, 0x8, 2, 0, 0x18, 0x1D}, {21, 0x8, 2, 1, 0x1A, 0x1B},
    {22, 0x8, 2, 2, 0x1C, 0x1A}, {23, 0x4, 1, 0, 0x1A, 0x1C}, {24, 0x4, 1, 2, 0x1E, 0x1D},
    {25, 0x2, 2, 0, 0x1A, 0x1E}, {26, 0x2, 2, 2, 0x1E, 0x00}, {27, 0x4, 1, 0, 0x1B, 0x02},
    {28, 0x3, 2, 2, 0x02, 0x01},
};

bool isAnalogueMode(int id) { return id >= 1 && id <= 8; }
bool isCableMode(int id) { return id == 23 || id == 24 || id == 27; }

// Channel filter widths by the filter code (byte 5, bits 1-0).
constexpr double kChannelFilterHz[] = {6e6, 7e6, 8e6, 1.7e6};

// Where a digital system puts the channel at its IF output, in Hz by system id; 0 for the
// analogue systems, whose carriers the demodulator does not receive. Two systems with the
// same register mode differ by 300 kHz at most, inside any demodulator's capture range.
constexpr double kDigitalIfHz[29] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 3.7e6, 4.0e6, 3.55e6, 4.15e6, 4.75e6, 3.6e6, 3.9e6, 4.35e6, 4.9e6,
    3.5e6, 3.6e6, 3.6e6, 4.2e6, 4.8e6, 3.7e6, 4.9e6, 3.7e6, 4.9e6, 0, 5.1e6,
};

// The detector's characteristic: the level, in hundredths of a dBm, that detector
// readings a and b and AGC gain code g stand for at a frequency, as the chip's data sheet
// curve gives it. The register encoding below searches it.
int curveCentiDbm(uint32_t kHz, int a, int b, int g)
{
    static const int gainSteps[16] = {0, 0, 0, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 20, 20};
    static const struct {
        uint32_t uptoKHz;
        int term;
    } bands[] = {{65000, 4020},  {86000, 4200},  {150000, 4180}, {172000, 4080}, {184000, 3920},
                 {215000, 4020}, {285000, 4250}, {320000, 4310}, {350000, 4110}, {400000, 4260},
                 {464000, 4280}, {532000, 4050}, {600000, 4170}, {700000, 4130}, {UINT32_MAX, 4150}};
    int term = 0;
    for (const auto& band : bands) {
        if (kHz <= band.uptoKHz) {
            term = band.term;
            break;
        }
    }
    const int x = 140 * std::max(a, b);
    if (x > 30089)
        term -= 5722 + ((x - 30090) * 160 + 127) / 255;
    else if (x > 24785)
        term -= 4536 + ((x - 24786) * 57 + 127) / 255;
    else if (x > 8822)
        term -= 154 + ((x - 8823) * 70 + 127) / 255;
    else if (x > 5456)
        term -= 154;
    else if (x > 4895)
        term -= ((x - 4896) * 70 + 127) / 255;
    int gain = 100 * gainSteps[g & 0x0F] + 870;
    if (140 * a < 9946)
        gain += (769 * (9945 - 140 * a) + 1275) / 2550;
    return -(term + gain);
}

} // namespace

// ---- the bus face ----------------------------------------------------------------------------

// The repeater between the demodulator's bus and the tuner: closed, the tuner is not on
// the bus at all.
class Cxd2858Model::BusFace : public I2cModel {
public:
    explicit BusFace(std::shared_ptr<Cxd2858Model> chip) : chip_(std::move(chip)) {}
    int i2cWrite(const uint8_t* data, size_t len) override
    {
        if (!open()) {
            chip_->violation("write", data, len);
            return -1;
        }
        return chip_->i2cWrite(data, len);
    }
    int i2cRead(uint8_t* data, size_t len) override
    {
        if (!open()) {
            chip_->violation("read", nullptr, len);
            return -1;
        }
        return chip_->i2cRead(data, len);
    }
    void attached(const Faults* faults, const Device& device) override { chip_->attached(faults, device); }

private:
    bool open() const
    {
        std::function<bool()> gate;
        {
            std::lock_guard<std::mutex> lock(chip_->mutex_);
            gate = chip_->gate_;
        }
        return !gate || gate();
    }
    std::shared_ptr<Cxd2858Model> chip_;
};

Cxd2858Model::Cxd2858Model(TransactionLog* log) : log_(log)
{
    regs_[c::kChipId] = c::kDefaultChipId;
    regs_[c::kCalibration] = 0x8C;
}

std::shared_ptr<I2cModel> Cxd2858Model::busFace()
{
    return std::make_shared<BusFace>(shared_from_this());
}

void Cxd2858Model::setGate(std::function<bool()> gate)
{
    std::lock_guard<std::mutex> lock(mutex_);
    gate_ = std::move(gate);
}

void Cxd2858Model::setFrontEnd(std::shared_ptr<RfFrontEndModel> frontEnd)
{
    std::lock_guard<std::mutex> lock(mutex_);
    frontEnd_ = std::move(frontEnd);
}

void Cxd2858Model::setScene(std::shared_ptr<RfScene> scene)
{
    std::lock_guard<std::mutex> lock(mutex_);
    scene_ = std::move(scene);
}

void Cxd2858Model::violation(const char* what, const uint8_t* data, size_t len)
{
    ++violations_;
    if (!log_)
        return;
    Transaction t;
    t.kind = "i2c-violation";
    char device[8];
    std::snprintf(device, sizeof device, "0x%02X", wiring::kDemodulatorTunerAddress);
    t.device = device;
    t.text = std::string("tuner ") + what + " with the demodulator's gate closed";
    if (data && len)
        t.bytes.assign(data, data + len);
    log_->append(std::move(t));
}

// ---- the hooks ---------------------------------------------------------------------------------

void Cxd2858Model::regWrite(unsigned reg, uint32_t value)
{
    if (reg == c::kChipId)
        return; // read only
    regs_[reg] = static_cast<uint8_t>(value);
    // The last byte of either tune block starts a tune; its tune end settles it. The
    // detector reads in between switch the mode register and leave the tune as it is.
    if (reg == c::kTerrBlock + 16u) {
        ++tunes_;
        terrSettled_ = false;
    } else if (reg == c::kSatEnd && value == 0x01) {
        ++tunes_;
        satSettled_ = false;
    } else if (reg == c::kTerrMode && value == 0xC0) {
        terrSettled_ = true;
    } else if (reg == c::kSatBlock && value == 0xC0) {
        satSettled_ = true;
    }
}

uint32_t Cxd2858Model::regRead(unsigned reg)
{
    uint8_t detector = 0, gain = 0;
    switch (reg) {
    case c::kDetector:
        encodeLevelLocked(&detector, &gain);
        return detector;
    case c::kGain:
        encodeLevelLocked(&detector, &gain);
        return (regs_[reg] & 0xF0) | gain;
    default:
        return regs_[reg];
    }
}

// ---- decoding ----------------------------------------------------------------------------------

Cxd2858Model::Half Cxd2858Model::halfLocked() const
{
    if (regs_[c::kHalfSelect] == 0x01 && regs_[c::kSatEnd] == 0x01)
        return Half::Satellite;
    if (regs_[c::kHalfSelect] == 0x00 && regs_[c::kTerrFilter] == 0xEE)
        return Half::Terrestrial;
    return Half::Sleep;
}

std::optional<double> Cxd2858Model::programmedFrequencyHzLocked() const
{
    switch (halfLocked()) {
    case Half::Terrestrial:
        return 1e3 * (regs_[c::kTerrFrequency] | regs_[c::kTerrFrequency + 1] << 8
                      | (regs_[c::kTerrFrequency + 2] & 0x0F) << 16);
    case Half::Satellite:
        return 4e3 * (regs_[c::kSatFrequency] | regs_[c::kSatFrequency + 1] << 8
                      | (regs_[c::kSatFrequency + 2] & 0x0F) << 16);
    default:
        return std::nullopt;
    }
}

std::optional<double> Cxd2858Model::tunedFrequencyHzLocked() const
{
    const Half h = halfLocked();
    const bool settled = h == Half::Terrestrial ? terrSettled_ : h == Half::Satellite && satSettled_;
    return settled ? programmedFrequencyHzLocked() : std::nullopt;
}

int Cxd2858Model::terrSystemLocked() const
{
    if (halfLocked() != Half::Terrestrial)
        return 0;
    const uint8_t* b = &regs_[c::kTerrBlock];
    const bool analogue = (b[10] & 0x80) != 0;
    const bool cable = regs_[c::kCableFilter] == 0x16;
    for (const TerrMode& m : kTerrModes) {
        if (isAnalogueMode(m.id) != analogue || isCableMode(m.id) != cable)
            continue;
        if ((b[1] & 0x0F) == m.b1 && (b[4] & 7) == m.b4 && (b[5] & 3) == m.b5 && b[6] == m.b6 && b[7] == m.b7)
            return m.id;
    }
    return 0;
}

double Cxd2858Model::channelBandwidthHzLocked() const
{
    return kChannelFilterHz[regs_[c::kTerrBlock + 5] & 3];
}

double Cxd2858Model::ifHzLocked() const
{
    const int system = terrSystemLocked();
    return system > 0 && system < int(std::size(kDigitalIfHz)) ? kDigitalIfHz[system] : 0;
}

std::optional<Cxd2856Model::TunedInput> Cxd2858Model::inputLocked() const
{
    const auto tuned = tunedFrequencyHzLocked();
    return tuned ? inputAtLocked(*tuned) : std::nullopt;
}

std::optional<Cxd2856Model::TunedInput> Cxd2858Model::inputAtLocked(double tunedHz) const
{
    // The satellite input has no band path of its own on this board.
    if (halfLocked() == Half::Satellite)
        return Cxd2856Model::TunedInput{tunedHz, 0, false};
    if (!frontEnd_)
        return Cxd2856Model::TunedInput{tunedHz, ifHzLocked(), false};
    const auto path = frontEnd_->inputAtWorkingHz(tunedHz);
    if (!path)
        return std::nullopt;
    return Cxd2856Model::TunedInput{path->frequencyHz, ifHzLocked(), path->spectrumInverted};
}

std::optional<double> Cxd2858Model::inputLevelDbmLocked() const
{
    // The detector measures wherever the synthesizer is, settled or not.
    const auto programmed = programmedFrequencyHzLocked();
    const auto in = programmed ? inputAtLocked(*programmed) : std::nullopt;
    if (!in || !scene_)
        return std::nullopt;
    const double attenuation = frontEnd_ && halfLocked() == Half::Terrestrial ? frontEnd_->attenuationDb() : 0;
    return scene_->powerInFilterDbuV(in->frequencyHz, channelBandwidthHzLocked()) - attenuation + kDbuVToDbm;
}

void Cxd2858Model::encodeLevelLocked(uint8_t* detector, uint8_t* gainCode) const
{
    const int target = static_cast<int>(std::lround(100 * inputLevelDbmLocked().value_or(kNoSignalDbm)));
    const uint32_t kHz = static_cast<uint32_t>(programmedFrequencyHzLocked().value_or(0) / 1e3);
    int best = -1;
    for (int g = 0; g < 16; ++g) {
        for (int a = 0; a < 256; ++a) {
            const int error = std::abs(curveCentiDbm(kHz, a, a, g) - target);
            if (best < 0 || error < best) {
                best = error;
                *detector = static_cast<uint8_t>(a);
                *gainCode = static_cast<uint8_t>(g);
            }
        }
    }
}

// ---- physics face ------------------------------------------------------------------------------

void Cxd2858Model::setChipId(uint8_t id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    regs_[c::kChipId] = id;
}

Cxd2858Model::Half Cxd2858Model::half() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return halfLocked();
}

std::optional<double> Cxd2858Model::tunedFrequencyHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tunedFrequencyHzLocked();
}

int Cxd2858Model::terrSystem() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return terrSystemLocked();
}

double Cxd2858Model::channelBandwidthHz() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return channelBandwidthHzLocked();
}

std::optional<Cxd2856Model::TunedInput> Cxd2858Model::input() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return inputLocked();
}

std::optional<double> Cxd2858Model::inputLevelDbm() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return inputLevelDbmLocked();
}

int Cxd2858Model::tuneCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tunes_;
}

// ---- installation ------------------------------------------------------------------------------

std::shared_ptr<Cxd2858Model> installCxd2858(SimulatedBoard& board, const std::shared_ptr<Cxd2856Model>& demod,
                                             std::shared_ptr<RfScene> scene,
                                             std::shared_ptr<RfFrontEndModel> frontEnd)
{
    auto tuner = std::make_shared<Cxd2858Model>(&board.log());
    std::weak_ptr<Cxd2856Model> gate = demod;
    tuner->setGate([gate] {
        const auto d = gate.lock();
        return d && d->tunerGateOpen();
    });
    tuner->setScene(std::move(scene));
    tuner->setFrontEnd(std::move(frontEnd));
    std::weak_ptr<Cxd2858Model> source = tuner;
    demod->setInputSource([source] {
        const auto t = source.lock();
        return t ? t->input() : std::nullopt;
    });
    board.attachI2c(wiring::kDemodulatorTunerAddress, tuner->busFace());
    return tuner;
}

} // namespace platform::sim
