#include "Tmp100Model.h"

#include "hw/BoardWiring.h"

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
    if (pointer_ == w::kConfiguration && len >= 2)
        config_ = data[1];
    else if ((pointer_ == w::kTLow || pointer_ == w::kTHigh) && len >= 3)
        limits_[pointer_ - w::kTLow] = static_cast<uint16_t>((data[1] << 8) | data[2]);
    return 0;
}

int Tmp100Model::i2cRead(uint8_t* data, size_t len)
{
    if (failReads_)
        return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    uint16_t value = pointer_ == w::kTemperature ? encodeLocked()
                     : pointer_ == w::kConfiguration
                         ? static_cast<uint16_t>((config_ << 8) | config_)
                         : limits_[pointer_ - w::kTLow];
    for (size_t i = 0; i < len; ++i)
        data[i] = static_cast<uint8_t>(i % 2 == 0 ? value >> 8 : value);
    return 0;
}

} // namespace platform::sim
