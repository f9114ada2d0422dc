#include "BusModels.h"

namespace platform::sim {

bool ChipModel::writeRegister(unsigned reg, uint32_t value)
{
    if (faults_ && faults_->refusesRegister(device_, reg))
        return false;
    regWrite(reg, value);
    return true;
}

bool ChipModel::readRegister(unsigned reg, uint32_t* value)
{
    if (faults_ && faults_->refusesRegister(device_, reg))
        return false;
    if (auto stuck = faults_ ? faults_->stuckValue(device_, reg) : std::nullopt) {
        *value = *stuck;
        return true;
    }
    *value = regRead(reg);
    return true;
}

RegisterI2cModel::RegisterI2cModel(Layout layout)
    // Every pointer value addresses a byte, even past the last register of the chip.
    : regs_(layout.banked ? 256u * 256u : 256u), layout_(layout)
{
}

void RegisterI2cModel::advance()
{
    pointer_ = static_cast<uint8_t>(pointer_ + 1u >= layout_.registers ? 0 : pointer_ + 1u);
}

int RegisterI2cModel::i2cWrite(const uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++transfers_;
    if (len == 0)
        return 0; // address probe
    pointer_ = data[0];
    for (size_t i = 1; i < len; ++i) {
        if (selectsBank(pointer_))
            bank_ = data[i];
        else if (!writeRegister(keyOf(pointer_), data[i]))
            return -1;
        advance();
    }
    return 0;
}

int RegisterI2cModel::i2cRead(uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++transfers_;
    for (size_t i = 0; i < len; ++i) {
        uint32_t value = bank_;
        if (!selectsBank(pointer_) && !readRegister(keyOf(pointer_), &value))
            return -1;
        data[i] = static_cast<uint8_t>(value);
        advance();
    }
    return 0;
}

uint8_t RegisterI2cModel::reg(unsigned reg) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return reg < regs_.size() ? regs_[reg] : 0;
}

void RegisterI2cModel::setReg(unsigned reg, uint8_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (reg < regs_.size())
        regs_[reg] = value;
}

uint8_t RegisterI2cModel::pointer() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return pointer_;
}

uint8_t RegisterI2cModel::bank() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return bank_;
}

} // namespace platform::sim
