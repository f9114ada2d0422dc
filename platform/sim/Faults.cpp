#include "Faults.h"

#include <cstdio>

namespace platform::sim {

Device Device::i2c(uint8_t address7)
{
    char name[8];
    std::snprintf(name, sizeof name, "0x%02X", address7);
    return Device{Kind::I2c, name};
}

Device Device::spi(const std::string& node) { return Device{Kind::Spi, node}; }

Device Device::serial(const std::string& unitDevice) { return Device{Kind::Serial, unitDevice}; }

Device Device::file(const std::string& path) { return Device{Kind::File, path}; }

Device Device::gpio(int line) { return Device{Kind::Gpio, std::to_string(line)}; }

void Faults::fail(const Device& device, unsigned accesses, bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    unsigned& refused = refused_[device];
    refused = on ? refused | accesses : refused & ~accesses;
    if (refused == 0)
        refused_.erase(device);
}

void Faults::nakTransfer(int n)
{
    std::lock_guard<std::mutex> lock(mutex_);
    nakCountdown_ = n;
}

void Faults::failRegister(const Device& device, unsigned reg, bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (on)
        failingRegisters_.insert({device, reg});
    else
        failingRegisters_.erase({device, reg});
}

void Faults::stickRegister(const Device& device, unsigned reg, uint32_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    stuck_[{device, reg}] = value;
}

void Faults::unstickRegister(const Device& device, unsigned reg)
{
    std::lock_guard<std::mutex> lock(mutex_);
    stuck_.erase({device, reg});
}

bool Faults::refuses(const Device& device, unsigned access) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = refused_.find(device);
    return it != refused_.end() && (it->second & access) != 0;
}

bool Faults::i2cTransferNaks()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return nakCountdown_ > 0 && --nakCountdown_ == 0;
}

bool Faults::refusesRegister(const Device& device, unsigned reg) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return failingRegisters_.count({device, reg}) != 0;
}

std::optional<uint32_t> Faults::stuckValue(const Device& device, unsigned reg) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = stuck_.find({device, reg});
    if (it == stuck_.end())
        return std::nullopt;
    return it->second;
}

} // namespace platform::sim
