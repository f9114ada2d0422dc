// Device models on the simulated buses, and the one pattern every chip model follows:
// - the bus face (i2cWrite/i2cRead, spiTransfer) only decodes: it turns the bytes on the
//   wire into register accesses (writeRegister/readRegister) and changes nothing itself;
// - regWrite and regRead hold every side effect of the chip (a write that tunes or starts
//   a conversion, a read that reports a status or latches the time);
// - faults come from the board's one table (Faults.h): the board refuses whole transfers,
//   writeRegister/readRegister apply the table's register faults and stuck values;
// - a physics face (a temperature, a tuned frequency, an output voltage) lets tests speak
//   physics while the driver speaks registers.
// RegisterI2cModel is the usual I2C register file. A banked port (register 0x00 selects
// the bank of the others and stays selected; the pointer auto-increments within the bank)
// is RegisterI2cModel with Layout::banked: its hooks get bankedRegister(bank, reg).
#pragma once

#include "Faults.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform::sim {

// The bus faces the board attaches. attached() tells a model which device it is, and
// where the board keeps the faults it must apply.
class I2cModel {
public:
    virtual ~I2cModel() = default;
    // 0: acknowledged; -1: the chip NAKs.
    virtual int i2cWrite(const uint8_t* data, size_t len) = 0;
    virtual int i2cRead(uint8_t* data, size_t len) = 0;
    virtual void attached(const Faults* faults, const Device& device) { (void)faults, (void)device; }
};

class SpiModel {
public:
    virtual ~SpiModel() = default;
    // Full duplex: tx shifted in, rx shifted out. 0 on success.
    virtual int spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len) = 0;
    virtual void attached(const Faults* faults, const Device& device) { (void)faults, (void)device; }
};

// The chip itself: its two hooks and the register accesses its decoder makes.
class ChipModel {
public:
    virtual ~ChipModel() = default;
    void wireFaults(const Faults* faults, const Device& device)
    {
        faults_ = faults;
        device_ = device;
    }

protected:
    virtual void regWrite(unsigned reg, uint32_t value) = 0;
    virtual uint32_t regRead(unsigned reg) = 0;

    // One register access as the decoder makes it, the board's faults applied: false when
    // the chip NAKs it. A stuck register reads its stuck value and its read hook does not run.
    bool writeRegister(unsigned reg, uint32_t value);
    bool readRegister(unsigned reg, uint32_t* value);

private:
    const Faults* faults_ = nullptr;
    Device device_{Device::Kind::I2c, {}};
};

class I2cChipModel : public I2cModel, public ChipModel {
public:
    void attached(const Faults* faults, const Device& device) override { wireFaults(faults, device); }
};

class SpiChipModel : public SpiModel, public ChipModel {
public:
    void attached(const Faults* faults, const Device& device) override { wireFaults(faults, device); }
};

// An 8-bit register pointer set by the first written byte; further written bytes and
// every read byte go to the register it points at and auto-increment it. By itself a
// plain register file: chips override the hooks.
class RegisterI2cModel : public I2cChipModel {
public:
    struct Layout {
        unsigned registers = 256; // the pointer wraps to 0 past the last register
        bool banked = false;      // register 0x00 selects the bank of the others
    };

    RegisterI2cModel() : RegisterI2cModel(Layout{}) {}
    explicit RegisterI2cModel(Layout layout);

    int i2cWrite(const uint8_t* data, size_t len) final;
    int i2cRead(uint8_t* data, size_t len) final;

    // The register file as it stands, past the hooks and the faults (bankedRegister on a
    // banked chip).
    uint8_t reg(unsigned reg) const;
    void setReg(unsigned reg, uint8_t value);
    uint8_t pointer() const;
    uint8_t bank() const;

protected:
    void regWrite(unsigned reg, uint32_t value) override { regs_[reg] = static_cast<uint8_t>(value); }
    uint32_t regRead(unsigned reg) override { return regs_[reg]; }

    // Transfers so far: a hook that acts once per transfer (a chip that freezes its time
    // registers during an access) compares it with the last it acted on.
    unsigned transferNumber() const { return transfers_; }

    // Held through each transfer, so the hooks run under it; the physics face takes it too.
    // Hooks use regs_ directly.
    mutable std::mutex mutex_;
    std::vector<uint8_t> regs_;

private:
    unsigned keyOf(uint8_t pointer) const { return layout_.banked ? bankedRegister(bank_, pointer) : pointer; }
    bool selectsBank(uint8_t pointer) const { return layout_.banked && pointer == 0; }
    void advance();

    const Layout layout_;
    uint8_t pointer_ = 0;
    uint8_t bank_ = 0;
    unsigned transfers_ = 0;
};

} // namespace platform::sim
