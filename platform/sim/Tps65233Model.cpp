#include "Tps65233Model.h"

#include "hw/BoardWiring.h"

namespace platform::sim {

namespace w = wiring::tps65233;

int Tps65233Model::i2cWrite(const uint8_t* data, size_t len)
{
    return failWrites_ ? -1 : RegisterI2cModel::i2cWrite(data, len);
}

int Tps65233Model::i2cRead(uint8_t* data, size_t len)
{
    return failReads_ ? -1 : RegisterI2cModel::i2cRead(data, len);
}

void Tps65233Model::regWrite(uint8_t address, uint8_t value)
{
    regs_[address] = value;
    if (address != w::kControl)
        return;
    ++controlWrites_;
    if (!(value & w::kWriteMark))
        ++unmarked_;
}

bool Tps65233Model::outputEnabled() const { return reg(w::kControl) & w::kOutputEnable; }

bool Tps65233Model::toneEnabled() const { return reg(w::kControl) & w::kToneEnable; }

int Tps65233Model::voltageCode() const { return reg(w::kControl) & w::kVoltageMask; }

int Tps65233Model::currentLimitCode() const { return (reg(w::kCurrent) & w::kCurrentMask) >> w::kCurrentShift; }

double Tps65233Model::outputVolts() const
{
    return outputEnabled() ? w::kVoltageDecivolts[voltageCode()] / 10.0 : 0.0;
}

} // namespace platform::sim
