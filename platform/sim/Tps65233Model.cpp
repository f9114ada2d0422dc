#include "Tps65233Model.h"

#include "common/BoardWiring.h"

namespace platform::sim {

namespace w = wiring::tps65233;

void Tps65233Model::regWrite(unsigned reg, uint32_t value)
{
    regs_[reg] = static_cast<uint8_t>(value);
    if (reg != w::kControl)
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
