// A bare kit_i2c_t for tuner-driver tests: the tuner's flat register file at 8-bit address
// 0xC0 with no chip behind it, an ordered trail of the reads, writes and waits the driver
// made (a multi-register write is one step, as it is one transfer), and failures on demand.
// Reset values: chip id 0x10 at 0x7F, everything else 0.
#pragma once

#include "TimedTrail.h"
#include "chipkit/kit_common.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

namespace kittest::tuner {

// A register write (bytes from reg on), a one-register read, or a wait of ms.
struct Step {
    char kind;  // 'W', 'R' or 'D' (delay)
    int reg;
    std::vector<uint8_t> bytes;  // the bytes written; empty for reads and waits
    int ms;                      // of a wait
    bool operator==(const Step& o) const
    {
        return kind == o.kind && reg == o.reg && bytes == o.bytes && ms == o.ms;
    }
};
inline Step W(int reg, std::vector<uint8_t> bytes) { return Step{'W', reg, std::move(bytes), 0}; }
inline Step W(int reg, int value) { return W(reg, std::vector<uint8_t>{static_cast<uint8_t>(value)}); }
inline Step R(int reg) { return Step{'R', reg, {}, 0}; }
inline Step Wait(int ms) { return Step{'D', 0, {}, ms}; }
void PrintTo(const Step& s, std::ostream* os);

class FakeTunerI2c {
public:
    static constexpr uint8_t kAddress = 0xC0;

    FakeTunerI2c();
    FakeTunerI2c(const FakeTunerI2c&) = delete;
    FakeTunerI2c& operator=(const FakeTunerI2c&) = delete;

    kit_i2c_t* table() { return &table_; }
    uint8_t reg(uint8_t r) const { return file_[r]; }
    void setReg(uint8_t r, uint8_t value) { file_[r] = value; }
    // Register 0x5B answers what was selected at 0x59 (the first byte written there).
    void setDetector(uint8_t select, uint8_t value) { detector_[select] = value; }

    // Reads, writes and waits since construction or clearLog, on the board clock.
    std::vector<Step> trail() const;
    // Only the writes, without reads or waits.
    std::vector<Step> writes() const;
    void clearLog();
    int accesses() const { return accesses_; }

    // The n-th access from now fails (1: the next one), once.
    void failAccess(int n) { failAt_ = accesses_ + n; }
    // Every access touching reg fails until clearFaults.
    void failRegister(uint8_t r) { failRegisters_.push_back(r); }
    void clearFaults();

private:
    static FakeTunerI2c* self(kit_i2c_t* i2c) { return static_cast<FakeTunerI2c*>(i2c->user); }
    static kit_result_t readRegister(kit_i2c_t*, uint8_t address, uint8_t sub, uint8_t* buffer, uint32_t length);
    static kit_result_t writeRegister(kit_i2c_t*, uint8_t address, uint8_t sub, const uint8_t* data,
                                      uint32_t length);
    static kit_result_t writeOneRegister(kit_i2c_t*, uint8_t address, uint8_t sub, uint8_t value);
    static kit_result_t raw(kit_i2c_t*, uint8_t, uint8_t*, uint32_t, uint8_t);
    static kit_result_t rawWrite(kit_i2c_t*, uint8_t, const uint8_t*, uint32_t, uint8_t);

    bool fails(uint8_t address, uint8_t reg, uint32_t length);

    kit_i2c_t table_{};
    std::array<uint8_t, 256> file_{};
    std::array<uint8_t, 256> detector_{};
    TimedTrail<Step> log_;
    int accesses_ = 0;
    int failAt_ = 0;
    std::vector<uint8_t> failRegisters_;
};

} // namespace kittest::tuner
