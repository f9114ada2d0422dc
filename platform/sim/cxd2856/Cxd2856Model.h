// CXD2856 demodulator core on the simulated I2C bus: two banked ports, SLVT (7-bit 0x6C)
// and SLVX (0x6E), 256 banks of 256 registers each. The core keeps what every standard
// shares: power and reset (a reset clears the SLVT file, so only a replay of the
// software's saved writes restores it), the active/sleep state, the system select, the
// monitor freeze, the I2C repeater to the tuner, and the acquisition that a soft reset
// starts on the board's clock. What a standard's registers say is the business of that
// standard's behaviour (DemodStandard.h), given the signal at the input: a test sets it
// directly, or the input source (the tuner) tells where in the RF scene it is tuned.
#pragma once

#include "DemodStandard.h"
#include "DiseqcBlock.h"
#include "MonitorSnapshot.h"

#include "common/Clock.h"
#include "platform/sim/BusModels.h"
#include "platform/sim/RfScene.h"
#include "platform/sim/SimulatedBoard.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform::sim {

namespace cxd2856 {
// SLVX bank 0x00
constexpr uint8_t kRepeater = 0x08; // 1: the tuner's bus follows the demodulator's
constexpr uint8_t kReset = 0x10;    // bit 0 set: core held in reset (SLVT cleared)
constexpr uint8_t kSystem = 0x17;   // system select (codes in DemodStandard.h)
constexpr uint8_t kSleep = 0x18;    // 0: the demodulator runs
constexpr uint8_t kTunerI2c = 0x1A; // 1: the tuner is reached through the repeater
constexpr uint8_t kPower = 0x1C;    // bits 1-0 set: core clocked and powered
// SLVT
constexpr uint8_t kFreeze = 0x01;   // in every bank
// SLVT bank 0x00
constexpr uint8_t kActive = 0x2C;
constexpr uint8_t kTsOutputOff = 0xC3;
constexpr uint8_t kSoftReset = 0xFE;
constexpr uint8_t kChipId = 0xFD;   // bank 0x00 of both ports
constexpr uint8_t kDefaultChipId = 0x90;
} // namespace cxd2856

// Made with std::make_shared: the bus faces keep the chip alive.
class Cxd2856Model : public std::enable_shared_from_this<Cxd2856Model> {
public:
    // Where the tuner ahead of the demodulator is: the RF (scene) frequency it selects,
    // the IF it delivers and whether its conversion flips the spectrum.
    struct TunedInput {
        double frequencyHz = 0;
        double ifHz = 0; // 0: the standard's nominal IF for the programmed bandwidth
        bool spectrumInverted = false;
    };
    // Asked at each acquisition and whenever the monitors are brought up to date; no value
    // means the tuner is not tuned. Called with the chip's lock held: it must not call
    // back into the chip except tunerGateOpen().
    using InputSource = std::function<std::optional<TunedInput>()>;

    explicit Cxd2856Model(common::Clock& clock);
    ~Cxd2856Model();

    // The bus faces, SLVT and SLVX.
    std::shared_ptr<I2cModel> slvtPort();
    std::shared_ptr<I2cModel> slvxPort();

    // ---- physics face ---------------------------------------------------------------------
    void setScene(std::shared_ptr<RfScene> scene);
    void setInputSource(InputSource source);
    // A tuner parked on frequencyHz, as a stand-in for a tuner model.
    void setTunedFrequencyHz(double frequencyHz);
    // The input carries this signal whatever the scene holds; a tuner source, if any,
    // must still be on it.
    void setSignal(const SceneCarrier& carrier);
    void clearSignal();
    void setChipId(uint8_t id);
    // Seeds the noise of constellation samples and whatever else is random.
    void setSeed(uint32_t seed);
    // The device on the DiSEqC line: sees every sending and may answer it. Called with the
    // chip's lock held: it must not call back into the chip.
    void setDiseqcPeer(DiseqcBlock::Peer peer);

    // ---- observations ---------------------------------------------------------------------
    bool powered() const;             // out of reset and clocked
    bool active() const;              // out of sleep
    uint8_t systemCode() const;       // SLVX 0x17
    std::string standardName() const; // of the selected system; empty when not modelled
    bool demodLocked();
    bool tsLocked();
    // The running acquisition's time from its start to transport-stream lock, as the signal at
    // the input has it; 0 while none runs or what is there cannot be received.
    uint32_t tsLockTimeMs();
    bool tsOutputEnabled() const;
    // The carrier being received, as the chip presents it (defaults filled in), once
    // the demodulator has locked.
    std::optional<SceneCarrier> receivedCarrier();
    int acquisitions() const;         // soft resets that started one
    // The freeze: held now, and how often it was taken and released. A software call that
    // returns with frozen() true has left the monitors latched.
    bool frozen() const;
    int freezeCount() const;
    int releaseCount() const;
    // Lock-free, for the tuner model's bus gate: tuner-I2C mode and repeater both on.
    bool tunerGateOpen() const { return tunerI2c_.load() && repeater_.load(); }
    uint8_t slvtRegister(uint8_t bank, uint8_t reg) const;
    uint8_t slvxRegister(uint8_t bank, uint8_t reg) const;
    // What the DiSEqC engine has sent, and the continuous 22 kHz tone.
    std::vector<DiseqcSending> diseqcSendings() const;
    bool toneOn() const;

private:
    class Port;
    class Context;

    template <class F>
    auto locked(F f) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return f();
    }
    enum PortId { kSlvt, kSlvx };

    // The two hooks of each port, reached with the port's transfer under way.
    void regWrite(PortId port, uint8_t bank, uint8_t reg, uint8_t value);
    uint8_t regRead(PortId port, uint8_t bank, uint8_t reg, unsigned transfer);

    uint8_t& slvt(uint8_t bank, uint8_t reg) const;
    uint8_t& slvx(uint8_t bank, uint8_t reg) const;
    void slvtWriteLocked(uint8_t bank, uint8_t reg, uint8_t value);
    void slvxWriteLocked(uint8_t bank, uint8_t reg, uint8_t value);
    uint8_t slvtReadLocked(uint8_t bank, uint8_t reg, unsigned transfer);
    void freezeLocked(bool freeze);
    void resetSlvtLocked();
    bool poweredLocked() const;
    bool activeLocked() const;
    DemodStandard* selectedLocked() const;
    bool ownsLocked(const DemodStandard* s, uint8_t bank) const;
    void startAcquisitionLocked();
    void stopAcquisitionLocked();
    // Brings the input, the acquisition and the selected standard's monitors up to now.
    void refreshLocked();
    void resolveInputLocked(DemodStandard* s);

    common::Clock& clock_;
    mutable std::mutex mutex_;
    std::unique_ptr<Port> slvt_;
    std::unique_ptr<Port> slvx_;
    std::unique_ptr<Context> context_;
    std::vector<std::unique_ptr<DemodStandard>> standards_;
    DiseqcBlock diseqc_;

    uint8_t chipId_ = cxd2856::kDefaultChipId;
    MonitorSnapshot snapshot_;
    bool frozen_ = false;
    int freezes_ = 0;
    int releases_ = 0;
    std::atomic<bool> tunerI2c_{false};
    std::atomic<bool> repeater_{false};
    std::mt19937 random_;

    // The input.
    std::shared_ptr<RfScene> scene_;
    InputSource source_;
    std::optional<SceneCarrier> signal_;
    std::optional<SceneCarrier> input_; // as resolved at the last refresh
    TunedInput tuned_;
    double offsetHz_ = 0;
    bool inverted_ = false;

    // The acquisition.
    Acquisition acquisition_;
    std::string inputKey_; // what the input was when the acquisition last (re)started
    int acquisitions_ = 0;
    unsigned refreshedTransfer_ = 0;
};

// The demodulator on the board's I2C bus at both addresses, looking at the scene.
std::shared_ptr<Cxd2856Model> installCxd2856(SimulatedBoard& board, std::shared_ptr<RfScene> scene);

} // namespace platform::sim
