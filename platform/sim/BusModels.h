// Device models on the simulated buses. A model answers transfers with what its chip
// would answer. Register chips derive from RegisterI2cModel: the bus transfer only
// turns bytes into register accesses, and regWrite/regRead hold every side effect of
// the chip (a write that starts a conversion, a read that reports a status).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::sim {

class I2cModel {
public:
    virtual ~I2cModel() = default;
    // 0: acknowledged; -1: the chip NAKs.
    virtual int i2cWrite(const uint8_t* data, size_t len) = 0;
    virtual int i2cRead(uint8_t* data, size_t len) = 0;
};

// An 8-bit register pointer set by the first written byte; further written bytes and
// every read byte auto-increment it.
class RegisterI2cModel : public I2cModel {
public:
    int i2cWrite(const uint8_t* data, size_t len) override;
    int i2cRead(uint8_t* data, size_t len) override;

    uint8_t reg(uint8_t address) const { return regs_[address]; }
    void setReg(uint8_t address, uint8_t value) { regs_[address] = value; }
    uint8_t pointer() const { return pointer_; }

protected:
    virtual void regWrite(uint8_t address, uint8_t value) { regs_[address] = value; }
    virtual uint8_t regRead(uint8_t address) { return regs_[address]; }
    // Register pointer wrap: chips with fewer registers override.
    virtual uint8_t nextPointer(uint8_t address) { return static_cast<uint8_t>(address + 1); }

    uint8_t regs_[256] = {};
    uint8_t pointer_ = 0;
};

class SpiModel {
public:
    virtual ~SpiModel() = default;
    // Full duplex: tx shifted in, rx shifted out. 0 on success.
    virtual int spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len) = 0;
};

} // namespace platform::sim
