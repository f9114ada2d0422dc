#include "FakeTunerI2c.h"

#include <algorithm>
#include <cstdio>

namespace kittest::tuner {

void PrintTo(const Step& s, std::ostream* os)
{
    char text[16];
    if (s.kind == 'D') {
        *os << "Wait(" << s.ms << ")";
        return;
    }
    std::snprintf(text, sizeof text, "%c(0x%02X", s.kind, s.reg);
    *os << text;
    for (uint8_t b : s.bytes) {
        std::snprintf(text, sizeof text, ", 0x%02X", b);
        *os << text;
    }
    *os << ")";
}

FakeTunerI2c::FakeTunerI2c()
{
    table_.Read = raw;
    table_.Write = rawWrite;
    table_.ReadRegister = readRegister;
    table_.WriteRegister = writeRegister;
    table_.WriteOneRegister = writeOneRegister;
    table_.user = this;
    file_[0x7F] = 0x10;
}

std::vector<Step> FakeTunerI2c::trail() const { return log_.withWaits(Wait); }

std::vector<Step> FakeTunerI2c::writes() const
{
    std::vector<Step> out;
    const auto& steps = log_.steps();
    std::copy_if(steps.begin(), steps.end(), std::back_inserter(out), [](const Step& s) { return s.kind == 'W'; });
    return out;
}

void FakeTunerI2c::clearLog() { log_.clear(); }

void FakeTunerI2c::clearFaults()
{
    failAt_ = 0;
    failRegisters_.clear();
}

bool FakeTunerI2c::fails(uint8_t address, uint8_t reg, uint32_t length)
{
    ++accesses_;
    if (address != kAddress || accesses_ == failAt_)
        return true;
    return std::any_of(failRegisters_.begin(), failRegisters_.end(),
                       [&](uint8_t f) { return f >= reg && f < reg + static_cast<int>(length); });
}

kit_result_t FakeTunerI2c::readRegister(kit_i2c_t* i2c, uint8_t address, uint8_t sub, uint8_t* buffer,
                                        uint32_t length)
{
    FakeTunerI2c* f = self(i2c);
    if (f->fails(address, sub, length))
        return KIT_RESULT_ERROR_I2C;
    for (uint32_t i = 0; i < length; ++i) {
        const uint8_t r = static_cast<uint8_t>(sub + i);
        buffer[i] = r == 0x5B ? f->detector_[f->file_[0x59]] : f->file_[r];
        f->log_.add(R(r));
    }
    return KIT_RESULT_OK;
}

kit_result_t FakeTunerI2c::writeRegister(kit_i2c_t* i2c, uint8_t address, uint8_t sub, const uint8_t* data,
                                         uint32_t length)
{
    FakeTunerI2c* f = self(i2c);
    if (f->fails(address, sub, length))
        return KIT_RESULT_ERROR_I2C;
    for (uint32_t i = 0; i < length; ++i)
        f->file_[static_cast<uint8_t>(sub + i)] = data[i];
    f->log_.add(W(sub, std::vector<uint8_t>(data, data + length)));
    return KIT_RESULT_OK;
}

kit_result_t FakeTunerI2c::writeOneRegister(kit_i2c_t* i2c, uint8_t address, uint8_t sub, uint8_t value)
{
    return writeRegister(i2c, address, sub, &value, 1);
}

// The driver speaks registers only; a raw transfer is a fault of its own.
kit_result_t FakeTunerI2c::raw(kit_i2c_t*, uint8_t, uint8_t*, uint32_t, uint8_t) { return KIT_RESULT_ERROR_I2C; }
kit_result_t FakeTunerI2c::rawWrite(kit_i2c_t*, uint8_t, const uint8_t*, uint32_t, uint8_t)
{
    return KIT_RESULT_ERROR_I2C;
}

} // namespace kittest::tuner
