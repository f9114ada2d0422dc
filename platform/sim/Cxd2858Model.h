// CXD2858 tuner behind the demodulator's I2C repeater (7-bit 0x60): one flat register
// file. The chip's state is what its registers say: register 0x01 selects the satellite
// half (1) or the terrestrial one (0); the terrestrial half runs while 0x5E holds the tune
// block's 0xEE, its frequency at 0x70-0x72 (kHz, 20 bits), its mode bytes at 0x69-0x6F;
// the satellite half runs while 0x15 = 0x01, its frequency at 0x10-0x12 in 4 kHz steps.
// A tune passes a signal once it has ended (0x87, or 0x04, written 0xC0 after the block). The signal it passes on comes
// from the scene through the front end's band path; its RSSI registers encode the level of
// that signal. The bus face answers only while the demodulator's gate is open; any other
// access is a NAK and a violation, which the software cannot see and tests must.
#pragma once

#include "BusModels.h"
#include "cxd2856/Cxd2856Model.h"
#include "RfFrontEndModel.h"
#include "RfScene.h"
#include "SimulatedBoard.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace platform::sim {

namespace cxd2858 {
constexpr uint8_t kHalfSelect = 0x01;   // 1: satellite half
constexpr uint8_t kSatBlock = 0x04;     // 0xC0 once the satellite tune has ended
constexpr uint8_t kSatFrequency = 0x10; // 0x10-0x12, 4 kHz steps
constexpr uint8_t kSatEnd = 0x15;       // 0x01 while tuned, 0x02 leaving
constexpr uint8_t kCalibration = 0x19;
constexpr uint8_t kStartupStatus = 0x1A; // 0: the chip came up
constexpr uint8_t kDetectorSelect = 0x59;
constexpr uint8_t kDetector = 0x5B;
constexpr uint8_t kTerrFilter = 0x5E;   // 0xEE while the terrestrial half is tuned
constexpr uint8_t kTerrBlock = 0x68;    // the 17-byte tune block 0x68-0x78
constexpr uint8_t kGain = 0x69;         // read: the AGC gain code in the low nibble
constexpr uint8_t kTerrFrequency = 0x70; // 0x70-0x72
constexpr uint8_t kTerrMode = 0x87;     // 0xC0 once the terrestrial tune has ended
constexpr uint8_t kCableFilter = 0x91;
constexpr uint8_t kChipId = 0x7F;
constexpr uint8_t kDefaultChipId = 0x12;
constexpr uint8_t kDetectorA = 0x05;    // detector select values (first byte at 0x59)
constexpr uint8_t kDetectorB = 0x03;
} // namespace cxd2858

class Cxd2858Model : public RegisterI2cModel, public std::enable_shared_from_this<Cxd2858Model> {
public:
    enum class Half { Sleep, Terrestrial, Satellite };

    // Violations go to the board's log as well as to the count.
    explicit Cxd2858Model(TransactionLog* log = nullptr);

    // The face the board attaches at 0x60: it passes transfers only while gate() is true.
    std::shared_ptr<I2cModel> busFace();
    void setGate(std::function<bool()> gate);
    // The band path between the input and the tuner; without one the tuner sees the scene
    // directly.
    void setFrontEnd(std::shared_ptr<RfFrontEndModel> frontEnd);
    void setScene(std::shared_ptr<RfScene> scene);

    // ---- physics face ---------------------------------------------------------------------
    void setChipId(uint8_t id);
    // Accesses made with the gate closed, since construction.
    int gateViolations() const { return violations_.load(); }
    Half half() const;
    // The frequency the tuner is on, once a tune has ended; none otherwise.
    std::optional<double> tunedFrequencyHz() const;
    // The terrestrial system whose mode the registers hold (the lowest id of those that
    // program the same mode), 0 when not tuned terrestrially.
    int terrSystem() const;
    // The width of the terrestrial channel filter the mode selects.
    double channelBandwidthHz() const;
    // What the tuner passes to the demodulator: the input (scene) frequency it selects, the
    // IF of its digital system and whether the path inverts the spectrum; none when it is not
    // tuned or the path is open.
    std::optional<Cxd2856Model::TunedInput> input() const;
    // The level of that signal in the channel filter, in dBm, after the front end.
    std::optional<double> inputLevelDbm() const;
    int tuneCount() const;

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override;

private:
    class BusFace;
    friend class BusFace;
    void violation(const char* what, const uint8_t* data, size_t len);

    Half halfLocked() const;
    std::optional<double> programmedFrequencyHzLocked() const;
    std::optional<double> tunedFrequencyHzLocked() const;
    int terrSystemLocked() const;
    double channelBandwidthHzLocked() const;
    // The IF the terrestrial system puts the channel at (0: the demodulator's own nominal).
    double ifHzLocked() const;
    std::optional<Cxd2856Model::TunedInput> inputLocked() const;
    std::optional<Cxd2856Model::TunedInput> inputAtLocked(double tunedHz) const;
    std::optional<double> inputLevelDbmLocked() const;
    // The detector and gain codes that stand for the present level.
    void encodeLevelLocked(uint8_t* detector, uint8_t* gainCode) const;

    TransactionLog* log_;
    std::function<bool()> gate_;
    std::shared_ptr<RfFrontEndModel> frontEnd_;
    std::shared_ptr<RfScene> scene_;
    std::atomic<int> violations_{0};
    int tunes_ = 0;
    bool terrSettled_ = false; // the terrestrial tune has ended since its block was written
    bool satSettled_ = false;
};

// The tuner on the board's bus at 0x60, behind the demodulator's gate, looking at the scene
// through the front end (null: directly); the demodulator takes its input from it.
std::shared_ptr<Cxd2858Model> installCxd2858(SimulatedBoard& board, const std::shared_ptr<Cxd2856Model>& demod,
                                             std::shared_ptr<RfScene> scene,
                                             std::shared_ptr<RfFrontEndModel> frontEnd = nullptr);

} // namespace platform::sim
