#include "Cxd2856Model.h"

#include "common/BoardWiring.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace platform::sim {

namespace c = cxd2856;

// ---- Acquisition ----------------------------------------------------------------------------

uint64_t Acquisition::elapsedMs(uint64_t nowUs) const
{
    return started_ && nowUs > startUs_ ? (nowUs - startUs_) / 1000 : 0;
}

bool Acquisition::reached(uint32_t stageMs, uint64_t nowUs) const
{
    return started_ && stageMs != LockTimeline::kNever && nowUs >= stageUs(stageMs);
}

uint64_t Acquisition::stageUs(uint32_t stageMs) const
{
    return startUs_ + uint64_t(stageMs) * 1000;
}

bool Acquisition::demodLocked(uint64_t nowUs) const
{
    return receivable_ && reached(timeline_.demodLockMs, nowUs);
}

bool Acquisition::tsLocked(uint64_t nowUs) const
{
    return receivable_ && reached(timeline_.tsLockMs, nowUs);
}

bool Acquisition::unlockDetected(uint64_t nowUs) const
{
    return !receivable_ && reached(timeline_.unlockMs, nowUs);
}

// ---- DemodContext helpers -------------------------------------------------------------------

uint32_t DemodContext::slvtWord(uint8_t bank, uint8_t reg, int bytes) const
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | slvt(bank, uint8_t(reg + i));
    return v;
}

void DemodContext::setSlvtWord(uint8_t bank, uint8_t reg, int bytes, uint32_t value)
{
    for (int i = bytes - 1; i >= 0; --i, value >>= 8)
        setSlvt(bank, uint8_t(reg + i), uint8_t(value));
}

// ---- the chip as its behaviours see it ------------------------------------------------------

class Cxd2856Model::Context : public DemodContext {
public:
    explicit Context(Cxd2856Model& chip) : chip_(chip) {}
    uint64_t nowUs() const override { return chip_.clock_.monotonicUs(); }
    uint8_t slvt(uint8_t bank, uint8_t reg) const override { return chip_.slvt(bank, reg); }
    void setSlvt(uint8_t bank, uint8_t reg, uint8_t value) override { chip_.slvt(bank, reg) = value; }
    uint8_t slvx(uint8_t bank, uint8_t reg) const override { return chip_.slvx(bank, reg); }
    const SceneCarrier* input() const override { return chip_.input_ ? &*chip_.input_ : nullptr; }
    double carrierOffsetHz() const override { return chip_.offsetHz_; }
    bool spectrumInverted() const override { return chip_.inverted_; }
    const Acquisition& acquisition() const override { return chip_.acquisition_; }
    double tunerIfHz() const override
    {
        if (chip_.tuned_.ifHz > 0)
            return chip_.tuned_.ifHz;
        const DemodStandard* s = chip_.selectedLocked();
        return s ? s->nominalIfHz(*this) : 0;
    }
    std::mt19937& random() override { return chip_.random_; }
    std::vector<SceneCarrier> scene() const override
    {
        return chip_.scene_ ? chip_.scene_->carriers() : std::vector<SceneCarrier>{};
    }
    double noiseFloorDbuV() const override { return chip_.scene_ ? chip_.scene_->noiseFloor() : -200.0; }
    double tunedFrequencyHz() const override
    {
        // Asked afresh: the tuner may have moved since the last refresh.
        const std::optional<TunedInput> tuned = chip_.source_ ? chip_.source_() : std::nullopt;
        if (tuned)
            return tuned->frequencyHz;
        return chip_.signal_ ? chip_.signal_->frequencyHz : 0;
    }

private:
    Cxd2856Model& chip_;
};

// ---- the bus faces: banked register files whose hooks are the chip's ------------------------

class Cxd2856Model::Port : public RegisterI2cModel {
public:
    Port(Cxd2856Model& chip, PortId id) : RegisterI2cModel(Layout{256, true}), chip_(chip), id_(id) {}
    // The port's file is the chip's, kept under the chip's lock.
    uint8_t& at(uint8_t bank, uint8_t reg) { return regs_[bankedRegister(bank, reg)]; }
    const uint8_t* file() const { return regs_.data(); }
    void clear() { std::fill(regs_.begin(), regs_.end(), uint8_t(0)); }

protected:
    void regWrite(unsigned reg, uint32_t value) override
    {
        chip_.regWrite(id_, uint8_t(reg >> 8), uint8_t(reg), uint8_t(value));
    }
    uint32_t regRead(unsigned reg) override
    {
        return chip_.regRead(id_, uint8_t(reg >> 8), uint8_t(reg), transferNumber());
    }

private:
    Cxd2856Model& chip_;
    PortId id_;
};

Cxd2856Model::Cxd2856Model(common::Clock& clock)
    : clock_(clock),
      slvt_(std::make_unique<Port>(*this, kSlvt)),
      slvx_(std::make_unique<Port>(*this, kSlvx)),
      context_(std::make_unique<Context>(*this)),
      standards_(makeDemodStandards()),
      random_(1)
{
    resetSlvtLocked();
    // Held in reset and unclocked until the software's power-up sequence.
    slvx(0, c::kReset) = 0x01;
    slvx(0, c::kSleep) = 0x01;
    slvx(0, c::kSystem) = c::kSystemDvbT;
}

Cxd2856Model::~Cxd2856Model() = default;

std::shared_ptr<I2cModel> Cxd2856Model::slvtPort() { return std::shared_ptr<I2cModel>(shared_from_this(), slvt_.get()); }
std::shared_ptr<I2cModel> Cxd2856Model::slvxPort() { return std::shared_ptr<I2cModel>(shared_from_this(), slvx_.get()); }

std::shared_ptr<Cxd2856Model> installCxd2856(SimulatedBoard& board, std::shared_ptr<RfScene> scene)
{
    auto chip = std::make_shared<Cxd2856Model>(board.clock());
    chip->setScene(std::move(scene));
    board.attachI2c(wiring::kDemodulatorSlvtAddress, chip->slvtPort());
    board.attachI2c(wiring::kDemodulatorSlvxAddress, chip->slvxPort());
    return chip;
}

uint8_t& Cxd2856Model::slvt(uint8_t bank, uint8_t reg) const { return slvt_->at(bank, reg); }
uint8_t& Cxd2856Model::slvx(uint8_t bank, uint8_t reg) const { return slvx_->at(bank, reg); }

// ---- the hooks ----------------------------------------------------------------------------

void Cxd2856Model::regWrite(PortId port, uint8_t bank, uint8_t reg, uint8_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (bank == 0 && reg == c::kChipId)
        return; // read only
    if (port == kSlvx)
        slvxWriteLocked(bank, reg, value);
    else if (poweredLocked()) // an unpowered core loses what is written to it
        slvtWriteLocked(bank, reg, value);
}

uint8_t Cxd2856Model::regRead(PortId port, uint8_t bank, uint8_t reg, unsigned transfer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (bank == 0 && reg == c::kChipId)
        return chipId_;
    if (port == kSlvx)
        return slvx(bank, reg);
    return slvtReadLocked(bank, reg, transfer);
}

void Cxd2856Model::slvtWriteLocked(uint8_t bank, uint8_t reg, uint8_t value)
{
    if (reg == c::kFreeze) {
        freezeLocked(value & 1);
        return;
    }
    slvt(bank, reg) = value;
    if (frozen_)
        snapshot_.write(bank, reg, value);
    if (bank == 0 && reg == c::kSoftReset) {
        slvt(0, c::kSoftReset) = 0; // self-clearing
        if (value & 1)
            startAcquisitionLocked();
        return;
    }
    if (bank == 0 && reg == c::kActive && !activeLocked())
        stopAcquisitionLocked();
    if (bank == diseqc::kBank) {
        diseqc_.onWrite(*context_, reg, value);
        return;
    }
    DemodStandard* s = selectedLocked();
    if (ownsLocked(s, bank))
        s->onWrite(*context_, bank, reg, value);
}

uint8_t Cxd2856Model::slvtReadLocked(uint8_t bank, uint8_t reg, unsigned transfer)
{
    if (reg == c::kFreeze)
        return frozen_ ? 1 : 0;
    if (frozen_ && snapshot_.holds(bank))
        return snapshot_.read(bank, reg);
    if (bank == diseqc::kBank && poweredLocked()) {
        diseqc_.onRead(*context_, reg);
        return slvt(bank, reg);
    }
    DemodStandard* s = selectedLocked();
    if (poweredLocked() && ownsLocked(s, bank)) {
        // Once per transfer, so that the bytes of one read belong together.
        if (transfer != refreshedTransfer_) {
            refreshedTransfer_ = transfer;
            refreshLocked();
        }
        uint8_t value = 0;
        if (s->onRead(*context_, bank, reg, &value))
            return value;
    }
    return slvt(bank, reg);
}

void Cxd2856Model::slvxWriteLocked(uint8_t bank, uint8_t reg, uint8_t value)
{
    slvx(bank, reg) = value;
    if (bank != 0)
        return;
    switch (reg) {
    case c::kReset:
        if (value & 1)
            resetSlvtLocked();
        break;
    case c::kSystem:
        stopAcquisitionLocked();
        break;
    case c::kSleep:
    case c::kPower:
        if (!activeLocked())
            stopAcquisitionLocked();
        break;
    case c::kTunerI2c:
        tunerI2c_ = value & 1;
        break;
    case c::kRepeater:
        repeater_ = value & 1;
        break;
    default:
        break;
    }
}

void Cxd2856Model::freezeLocked(bool freeze)
{
    if (freeze && !frozen_) {
        refreshLocked();
        DemodStandard* s = selectedLocked();
        snapshot_.capture(slvt_->file(), s ? s->banks() : std::vector<uint8_t>{});
        ++freezes_;
    } else if (!freeze && frozen_) {
        snapshot_.release();
        ++releases_;
    }
    frozen_ = freeze;
}

void Cxd2856Model::resetSlvtLocked()
{
    slvt_->clear();
    // Registers the software reads before it writes them.
    slvt(0, 0xC4) = 0x80; // serial TS output
    slvt(0, c::kTsOutputOff) = 0x01;
    slvt(0xAB, 0xF9) = 0x01; // the spectrum engine idles in single-point mode
    if (frozen_)
        ++releases_;
    frozen_ = false;
    snapshot_.release();
    stopAcquisitionLocked();
}

// ---- state ----------------------------------------------------------------------------------

bool Cxd2856Model::poweredLocked() const
{
    return !(slvx(0, c::kReset) & 1) && (slvx(0, c::kPower) & 0x03) == 0x03;
}

bool Cxd2856Model::activeLocked() const
{
    return poweredLocked() && slvx(0, c::kSleep) == 0 && slvt(0, c::kActive) == 1;
}

DemodStandard* Cxd2856Model::selectedLocked() const
{
    const uint8_t code = slvx(0, c::kSystem);
    for (const auto& s : standards_)
        if (s->systemCode() == code)
            return s.get();
    return nullptr;
}

bool Cxd2856Model::ownsLocked(const DemodStandard* s, uint8_t bank) const
{
    if (!s)
        return false;
    for (uint8_t owned : s->banks())
        if (owned == bank)
            return true;
    return false;
}

// ---- acquisition ----------------------------------------------------------------------------

void Cxd2856Model::startAcquisitionLocked()
{
    DemodStandard* s = selectedLocked();
    if (!activeLocked() || !s) {
        stopAcquisitionLocked();
        return;
    }
    ++acquisitions_;
    acquisition_.started_ = true;
    inputKey_.clear(); // whatever the input, this is a new start
    refreshLocked();
}

void Cxd2856Model::stopAcquisitionLocked()
{
    acquisition_.started_ = false;
    acquisition_.receivable_ = false;
}

void Cxd2856Model::resolveInputLocked(DemodStandard* s)
{
    const std::optional<TunedInput> tuned = source_ ? source_() : std::nullopt;
    input_.reset();
    tuned_ = TunedInput{};
    if (signal_) {
        input_ = signal_;
        tuned_ = tuned ? *tuned : TunedInput{signal_->frequencyHz, 0, false};
    } else if (scene_ && tuned) {
        tuned_ = *tuned;
        input_ = scene_->blockAt(tuned->frequencyHz);
    }
    offsetHz_ = 0;
    inverted_ = false;
    if (!input_)
        return;
    if (s->carries(*input_))
        s->fillDefaults(*input_);
    // Where the carrier lands at IF, against where the chip was told to look for it.
    const double rfOffset = input_->frequencyHz - tuned_.frequencyHz;
    offsetHz_ = (tuned_.spectrumInverted ? -rfOffset : rfOffset) + context_->tunerIfHz() - s->programmedIfHz(*context_);
    inverted_ = input_->digital.spectrumInverted != tuned_.spectrumInverted;
}

void Cxd2856Model::refreshLocked()
{
    const uint64_t now = clock_.monotonicUs();
    DemodStandard* s = selectedLocked();
    if (!s)
        return;
    resolveInputLocked(s);
    if (acquisition_.started_) {
        const bool receivable = input_ && s->carries(*input_) && std::abs(offsetHz_) <= s->captureRangeHz()
            && s->receivable(*context_, *input_);
        char key[96];
        std::snprintf(key, sizeof key, "%d|%.0f|%s", receivable ? 1 : 0, input_ ? input_->frequencyHz : 0.0,
                      input_ ? input_->standard.c_str() : "");
        if (inputKey_ != key) {
            // A new acquisition, or the input changed under the running one: start over.
            inputKey_ = key;
            SceneCarrier timing;
            if (input_ && s->carries(*input_))
                timing = *input_;
            s->fillDefaults(timing);
            acquisition_.startUs_ = now;
            acquisition_.receivable_ = receivable;
            acquisition_.timeline_ = timing.digital.timeline;
            s->onAcquisitionStart(*context_);
        }
    }
    s->onClock(*context_);
}

// ---- physics face ---------------------------------------------------------------------------

void Cxd2856Model::setScene(std::shared_ptr<RfScene> scene)
{
    locked([&] { scene_ = std::move(scene); });
}

void Cxd2856Model::setInputSource(InputSource source)
{
    locked([&] { source_ = std::move(source); });
}

void Cxd2856Model::setTunedFrequencyHz(double frequencyHz)
{
    setInputSource([frequencyHz] { return TunedInput{frequencyHz, 0, false}; });
}

void Cxd2856Model::setSignal(const SceneCarrier& carrier)
{
    locked([&] { signal_ = carrier; });
}

void Cxd2856Model::clearSignal()
{
    locked([&] { signal_.reset(); });
}

void Cxd2856Model::setChipId(uint8_t id)
{
    locked([&] { chipId_ = id; });
}

void Cxd2856Model::setSeed(uint32_t seed)
{
    locked([&] { random_.seed(seed); });
}

void Cxd2856Model::setDiseqcPeer(DiseqcBlock::Peer peer)
{
    locked([&] { diseqc_.setPeer(std::move(peer)); });
}

// ---- observations ---------------------------------------------------------------------------

bool Cxd2856Model::powered() const { return locked([&] { return poweredLocked(); }); }
bool Cxd2856Model::active() const { return locked([&] { return activeLocked(); }); }
uint8_t Cxd2856Model::systemCode() const { return locked([&] { return slvx(0, c::kSystem); }); }
int Cxd2856Model::acquisitions() const { return locked([&] { return acquisitions_; }); }
bool Cxd2856Model::frozen() const { return locked([&] { return frozen_; }); }
int Cxd2856Model::freezeCount() const { return locked([&] { return freezes_; }); }
int Cxd2856Model::releaseCount() const { return locked([&] { return releases_; }); }

uint8_t Cxd2856Model::slvtRegister(uint8_t bank, uint8_t reg) const
{
    return locked([&] { return slvt(bank, reg); });
}

uint8_t Cxd2856Model::slvxRegister(uint8_t bank, uint8_t reg) const
{
    return locked([&] { return slvx(bank, reg); });
}

std::vector<DiseqcSending> Cxd2856Model::diseqcSendings() const
{
    return locked([&] { return diseqc_.sendings(); });
}

bool Cxd2856Model::toneOn() const
{
    return locked([&] { return poweredLocked() && diseqc_.toneOn(*context_); });
}

std::string Cxd2856Model::standardName() const
{
    return locked([&] {
        const DemodStandard* s = selectedLocked();
        return std::string(s ? s->name() : "");
    });
}

bool Cxd2856Model::tsOutputEnabled() const
{
    return locked([&] { return poweredLocked() && !(slvt(0, c::kTsOutputOff) & 1); });
}

bool Cxd2856Model::demodLocked()
{
    return locked([&] {
        refreshLocked();
        return acquisition_.demodLocked(clock_.monotonicUs());
    });
}

bool Cxd2856Model::tsLocked()
{
    return locked([&] {
        refreshLocked();
        const DemodStandard* s = selectedLocked();
        return acquisition_.tsLocked(clock_.monotonicUs()) && s && s->streamSelected(*context_);
    });
}

uint32_t Cxd2856Model::tsLockTimeMs()
{
    return locked([&] {
        refreshLocked();
        return acquisition_.started_ && acquisition_.receivable_ ? acquisition_.timeline_.tsLockMs : 0u;
    });
}

std::optional<SceneCarrier> Cxd2856Model::receivedCarrier()
{
    return locked([&]() -> std::optional<SceneCarrier> {
        refreshLocked();
        if (!acquisition_.demodLocked(clock_.monotonicUs()))
            return std::nullopt;
        return input_;
    });
}

} // namespace platform::sim
