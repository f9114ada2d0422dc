#include "FakeKitI2c.h"

#include "chipkit/kit_demod.h"

#include <algorithm>
#include <cstdio>

namespace kittest {

void PrintTo(const Step& s, std::ostream* os)
{
    char text[48];
    if (s.port == WAIT)
        std::snprintf(text, sizeof text, "Wait(%d)", s.value);
    else
        std::snprintf(text, sizeof text, "W(%s, 0x%02X, 0x%02X, 0x%02X)", s.port == SLVT ? "SLVT" : "SLVX", s.bank,
                      s.reg, s.value);
    *os << text;
}

FakeKitI2c::FakeKitI2c() : file_(2)
{
    table_.Read = read;
    table_.Write = write;
    table_.ReadRegister = readRegister;
    table_.WriteRegister = writeRegister;
    table_.WriteOneRegister = writeOneRegister;
    table_.user = this;
    clearRegisters();
}

void FakeKitI2c::setChipId(uint8_t id)
{
    setReg(SLVT, 0x00, 0xFD, id);
    setReg(SLVX, 0x00, 0xFD, id);
}

void FakeKitI2c::clearRegisters()
{
    for (auto& port : file_)
        for (auto& bank : port)
            bank.fill(0);
    bank_[SLVT] = bank_[SLVX] = 0;
    setChipId(kChipId);
}

std::vector<Step> FakeKitI2c::trail() const { return log_.withWaits(Wait); }

std::vector<std::pair<int, int>> FakeKitI2c::writesTo(int port, int bank) const
{
    std::vector<std::pair<int, int>> out;
    for (const Step& s : log_.steps())
        if (s.port == port && s.bank == bank)
            out.emplace_back(s.reg, s.value);
    return out;
}

void FakeKitI2c::clearLog() { log_.clear(); }

void FakeKitI2c::failRegister(int port, uint8_t bank, uint8_t reg) { failRegisters_.push_back(W(port, bank, reg, 0)); }

void FakeKitI2c::clearFaults()
{
    failAt_ = 0;
    failRegisters_.clear();
}

int FakeKitI2c::portOf(uint8_t address) const
{
    if (address == kSlvt)
        return SLVT;
    return address == kSlvx ? SLVX : -1;
}

bool FakeKitI2c::fails(int port, uint8_t reg, uint32_t length)
{
    ++accesses_;
    if (port < 0 || accesses_ == failAt_)
        return true;
    return std::any_of(failRegisters_.begin(), failRegisters_.end(), [&](const Step& f) {
        return f.port == port && f.bank == bank_[port] && f.reg >= reg && f.reg < reg + static_cast<int>(length);
    });
}

kit_result_t FakeKitI2c::doRead(uint8_t address, uint8_t reg, uint8_t* buffer, uint32_t length)
{
    const int port = portOf(address);
    if (length > KIT_DEMOD_READ_MAX) // refused whole, as the driver's binding does
        return KIT_RESULT_ERROR_ARG;
    if (fails(port, reg, length))
        return KIT_RESULT_ERROR_I2C;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t r = static_cast<uint8_t>(reg + i);
        buffer[i] = r == 0x00 ? bank_[port] : file_[port][bank_[port]][r];
    }
    return KIT_RESULT_OK;
}

kit_result_t FakeKitI2c::doWrite(uint8_t address, uint8_t reg, const uint8_t* data, uint32_t length)
{
    const int port = portOf(address);
    if (fails(port, reg, length))
        return KIT_RESULT_ERROR_I2C;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t r = static_cast<uint8_t>(reg + i);
        if (r == 0x00) {
            bank_[port] = data[i];
            continue;
        }
        file_[port][bank_[port]][r] = data[i];
        log_.add(W(port, bank_[port], r, data[i]));
    }
    return KIT_RESULT_OK;
}

kit_result_t FakeKitI2c::read(kit_i2c_t* i2c, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t)
{
    FakeKitI2c* f = self(i2c);
    const int port = f->portOf(address);
    return f->doRead(address, port < 0 ? 0 : f->pointer_[port], buffer, length);
}

kit_result_t FakeKitI2c::write(kit_i2c_t* i2c, uint8_t address, const uint8_t* data, uint32_t length, uint8_t)
{
    // The first byte is the sub-address; a lone sub-address only sets the pointer for a read.
    FakeKitI2c* f = self(i2c);
    const int port = f->portOf(address);
    if (length == 0)
        return f->fails(port, 0, 0) ? KIT_RESULT_ERROR_I2C : KIT_RESULT_OK;
    if (length == 1) {
        if (f->fails(port, data[0], 0))
            return KIT_RESULT_ERROR_I2C;
        f->pointer_[port] = data[0];
        return KIT_RESULT_OK;
    }
    return f->doWrite(address, data[0], data + 1, length - 1);
}

kit_result_t FakeKitI2c::readRegister(kit_i2c_t* i2c, uint8_t address, uint8_t sub, uint8_t* buffer,
                                      uint32_t length)
{
    return self(i2c)->doRead(address, sub, buffer, length);
}

kit_result_t FakeKitI2c::writeRegister(kit_i2c_t* i2c, uint8_t address, uint8_t sub, const uint8_t* data,
                                       uint32_t length)
{
    return self(i2c)->doWrite(address, sub, data, length);
}

kit_result_t FakeKitI2c::writeOneRegister(kit_i2c_t* i2c, uint8_t address, uint8_t sub, uint8_t value)
{
    return self(i2c)->doWrite(address, sub, &value, 1);
}

} // namespace kittest
