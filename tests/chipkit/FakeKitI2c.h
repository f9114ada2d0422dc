// A bare kit_i2c_t for driver-kit tests: the demodulator's two ports (SLVT 0xD8, SLVX 0xDC)
// as banked register files with no chip behind them, an ordered log of the register writes
// the kit made, and failures on demand. Register 0x00 of a port selects its bank and
// multi-byte transfers auto-increment; a read longer than the driver's binding carries is
// refused. Chip id 0x90 at bank 0x00 register 0xFD of both ports.
#pragma once

#include "TimedTrail.h"
#include "chipkit/kit_common.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

namespace kittest {

enum Port { SLVT = 0, SLVX = 1, WAIT = -1 };

// One step of a register trail: a write of value to reg in the bank in force on port, or
// (port WAIT) a wait of value milliseconds. Bank selects are not steps of their own; they
// show as the bank of the writes that follow.
struct Step {
    int port;
    int bank;
    int reg;
    int value;
    bool operator==(const Step& o) const
    {
        return port == o.port && bank == o.bank && reg == o.reg && value == o.value;
    }
};
inline Step W(int port, int bank, int reg, int value) { return Step{port, bank, reg, value}; }
inline Step Wait(int ms) { return Step{WAIT, 0, 0, ms}; }
void PrintTo(const Step& s, std::ostream* os);

class FakeKitI2c {
public:
    static constexpr uint8_t kSlvt = 0xD8;
    static constexpr uint8_t kSlvx = 0xDC;
    static constexpr uint8_t kChipId = 0x90;

    FakeKitI2c();
    FakeKitI2c(const FakeKitI2c&) = delete;
    FakeKitI2c& operator=(const FakeKitI2c&) = delete;

    // The table to hand to the kit.
    kit_i2c_t* table() { return &table_; }

    // Register files. Reads of register 0x00 answer the bank.
    uint8_t reg(int port, uint8_t bank, uint8_t reg) const { return file_[port][bank][reg]; }
    void setReg(int port, uint8_t bank, uint8_t reg, uint8_t value) { file_[port][bank][reg] = value; }
    uint8_t bank(int port) const { return bank_[port]; }
    void setChipId(uint8_t id);
    // Every register 0, banks 0, the chip id back: what a powered-down chip forgets.
    void clearRegisters();

    // The register writes since construction or clearLog, in order.
    const std::vector<Step>& writes() const { return log_.steps(); }
    // The same with the waits between them (and after the last one, up to now), on the
    // board clock the kit waits on.
    std::vector<Step> trail() const;
    // Only the writes of one port and bank, in order (register and value pairs).
    std::vector<std::pair<int, int>> writesTo(int port, int bank) const;
    void clearLog();

    // Transfers the kit asked for (every slot call, failed ones included).
    int accesses() const { return accesses_; }

    // The n-th access from now fails (1: the next one), once.
    void failAccess(int n) { failAt_ = accesses_ + n; }
    // Every access touching reg in bank of port fails until clearFaults.
    void failRegister(int port, uint8_t bank, uint8_t reg);
    void clearFaults();

private:
    static FakeKitI2c* self(kit_i2c_t* i2c) { return static_cast<FakeKitI2c*>(i2c->user); }
    static kit_result_t read(kit_i2c_t*, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t mode);
    static kit_result_t write(kit_i2c_t*, uint8_t address, const uint8_t* data, uint32_t length, uint8_t mode);
    static kit_result_t readRegister(kit_i2c_t*, uint8_t address, uint8_t sub, uint8_t* buffer, uint32_t length);
    static kit_result_t writeRegister(kit_i2c_t*, uint8_t address, uint8_t sub, const uint8_t* data,
                                      uint32_t length);
    static kit_result_t writeOneRegister(kit_i2c_t*, uint8_t address, uint8_t sub, uint8_t value);

    // One transfer on the register file: -1 when the address is not a port.
    int portOf(uint8_t address) const;
    bool fails(int port, uint8_t reg, uint32_t length);
    kit_result_t doRead(uint8_t address, uint8_t reg, uint8_t* buffer, uint32_t length);
    kit_result_t doWrite(uint8_t address, uint8_t reg, const uint8_t* data, uint32_t length);

    kit_i2c_t table_{};
    std::vector<std::array<std::array<uint8_t, 256>, 256>> file_;
    uint8_t bank_[2] = {0, 0};
    uint8_t pointer_[2] = {0, 0};  // for raw transfers: set by a sub-address write
    TimedTrail<Step> log_;
    int accesses_ = 0;
    int failAt_ = 0;
    std::vector<Step> failRegisters_;
};

} // namespace kittest
