#include "Tmp100Model.h"

#include "common/BoardWiring.h"

#include <algorithm>
#include <cmath>

namespace platform::sim {

namespace w = wiring::tmp100;

void Tmp100Model::setTemperatureC(double celsius)
{
    std::lock_guard<std::mutex> lock(mutex_);
    celsius_ = celsius;
}

double Tmp100Model::temperatureC() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return celsius_;
}

uint8_t Tmp100Model::configuration() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return config_;
}

uint16_t Tmp100Model::temperatureRegister() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return encodeLocked();
}

uint16_t Tmp100Model::encodeLocked() const
{
    const int bits = 9 + ((config_ >> 5) & 3);
    const double steps = std::floor(celsius_ * (1 << (bits - 8)));
    const double limit = 1 << (bits - 1);
    const int code = static_cast<int>(std::clamp(steps, -limit, limit - 1));
    return static_cast<uint16_t>(static_cast<unsigned>(code) << (16 - bits));
}

int Tmp100Model::i2cWrite(const uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (len == 0)
        return 0;
    pointer_ = data[0] & 3;
    bool ok = true;
    if (pointer_ == w::kConfiguration && len >= 2)
        ok = writeRegister(pointer_, data[1]);
    else if ((pointer_ == w::kTLow || pointer_ == w::kTHigh) && len >= 3)
        ok = writeRegister(pointer_, static_cast<uint32_t>((data[1] << 8) | data[2]));
    return ok ? 0 : -1;
}

int Tmp100Model::i2cRead(uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t value = 0;
    if (!readRegister(pointer_, &value))
        return -1;
    for (size_t i = 0; i < len; ++i)
        data[i] = static_cast<uint8_t>(i % 2 == 0 ? value >> 8 : value);
    return 0;
}

void Tmp100Model::regWrite(unsigned reg, uint32_t value)
{
    if (reg == w::kConfiguration)
        config_ = static_cast<uint8_t>(value);
    else if (reg == w::kTLow || reg == w::kTHigh)
        limits_[reg - w::kTLow] = static_cast<uint16_t>(value);
}

uint32_t Tmp100Model::regRead(unsigned reg)
{
    if (reg == w::kTemperature)
        return encodeLocked();
    if (reg == w::kConfiguration)
        return static_cast<uint32_t>((config_ << 8) | config_);
    return limits_[reg - w::kTLow];
}

} // namespace platform::sim
