#include "DrvCXD2856_burst.h"

namespace drvcxd2856 {

namespace {
constexpr uint8_t kFreeze = 0x01;
}

Burst::Burst(KxlDrvLibError* err, st_t_data_CXD2856* state) : err_(err), state_(state)
{
    DrvCXD2856_i2c_clear_error(&state_->i2c);
}

bool Burst::write(uint8_t reg, uint8_t value)
{
    kit_i2c_t* t = &state_->i2c;
    return t->WriteOneRegister(t, state_->demod.slvtAddress, reg, value) == KIT_RESULT_OK;
}

bool Burst::write(uint8_t reg, const uint8_t* data, uint32_t length)
{
    kit_i2c_t* t = &state_->i2c;
    return t->WriteRegister(t, state_->demod.slvtAddress, reg, data, length) == KIT_RESULT_OK;
}

bool Burst::read(uint8_t reg, uint8_t* data, uint32_t length)
{
    kit_i2c_t* t = &state_->i2c;
    return t->ReadRegister(t, state_->demod.slvtAddress, reg, data, length) == KIT_RESULT_OK;
}

bool Burst::freeze()
{
    // Counted as held even when the write failed: the release is tried all the same.
    frozen_ = true;
    return write(kFreeze, 0x01);
}

bool Burst::release()
{
    frozen_ = false;
    return write(kFreeze, 0x00);
}

kit_result_t Burst::kit(kit_result_t result)
{
    if (kit_ == KIT_RESULT_OK && DrvCXD2856_translate_kit_result(result, nullptr) != KxlDrvLib_code_ok)
        kit_ = result;
    return result;
}

void Burst::finish()
{
    if (frozen_)
        release();
    DrvCXD2856_take_kit_result(err_, &state_->i2c, kit_);
    DrvCXD2856_i2c_clear_error(&state_->i2c);
    kit_ = KIT_RESULT_OK;
}

} // namespace drvcxd2856
