#include "DrvCXD2856_i2c.h"

#include "DrvLibI2cBinding.h"

#include "chipkit/kit_demod.h"

namespace {

constexpr uint8_t kBankRegister = 0x00;
static_assert(int(DRVCXD2856_I2C_MAX_LENGTH) >= int(KIT_DEMOD_READ_MAX), "the kit splits its reads at KIT_DEMOD_READ_MAX");

t_DrvCXD2856_i2c_context* contextOf(kit_i2c_t* table)
{
    return table ? static_cast<t_DrvCXD2856_i2c_context*>(table->user) : nullptr;
}

drvlib::I2cPath pathOf(t_DrvCXD2856_i2c_context* c)
{
    return {c->handle, &c->error, DRVCXD2856_I2C_MAX_LENGTH};
}

uint8_t& bankOf(t_DrvCXD2856_i2c_context* c, uint8_t address)
{
    return (address & 0x04) ? c->bank_bit2_set : c->bank_bit2_clear;
}

void forgetBanks(t_DrvCXD2856_i2c_context* c)
{
    c->bank_bit2_clear = DRVCXD2856_I2C_BANK_UNKNOWN;
    c->bank_bit2_set = DRVCXD2856_I2C_BANK_UNKNOWN;
}

// After a failure nobody knows what the chip took, so no bank write may be skipped.
kit_result_t settle(t_DrvCXD2856_i2c_context* c, kit_result_t r)
{
    if (r != KIT_RESULT_OK)
        forgetBanks(c);
    return r;
}

} // namespace

kit_result_t DrvCXD2856_i2c_init(kit_i2c_t* table, t_DrvCXD2856_i2c_context* context)
{
    if (!table || !context)
        return KIT_RESULT_ERROR_ARG;
    forgetBanks(context);
    table->user = context;
    table->Read = DrvCXD2856_i2c_read;
    table->Write = DrvCXD2856_i2c_write;
    table->ReadRegister = DrvCXD2856_i2c_read_registers;
    table->WriteRegister = DrvCXD2856_i2c_write_registers;
    table->WriteOneRegister = DrvCXD2856_i2c_write_register;
    KxlDrvLib_error_ok(&context->error);
    return KIT_RESULT_OK;
}

kit_result_t DrvCXD2856_i2c_read(kit_i2c_t* table, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t)
{
    t_DrvCXD2856_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    return settle(c, drvlib::i2cRead(pathOf(c), address, nullptr, buffer, length));
}

kit_result_t DrvCXD2856_i2c_write(kit_i2c_t* table, uint8_t address, const uint8_t* data, uint32_t length, uint8_t)
{
    t_DrvCXD2856_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    // A raw write that starts at the bank register moves the bank past the cache.
    if (length > 1 && data && data[0] == kBankRegister)
        bankOf(c, address) = DRVCXD2856_I2C_BANK_UNKNOWN;
    return settle(c, drvlib::i2cWrite(pathOf(c), address, nullptr, data, length));
}

kit_result_t DrvCXD2856_i2c_read_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                           uint32_t length)
{
    t_DrvCXD2856_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    return settle(c, drvlib::i2cRead(pathOf(c), address, &subAddress, buffer, length));
}

kit_result_t DrvCXD2856_i2c_write_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress,
                                            const uint8_t* data, uint32_t length)
{
    t_DrvCXD2856_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    const bool selectsBank = subAddress == kBankRegister && length > 0 && data;
    if (selectsBank && length == 1 && data[0] == bankOf(c, address) && data[0] != DRVCXD2856_I2C_BANK_UNKNOWN)
        return KIT_RESULT_OK;
    const kit_result_t r = settle(c, drvlib::i2cWrite(pathOf(c), address, &subAddress, data, length));
    // The cache follows the chip only once the chip has the bank.
    if (selectsBank && r == KIT_RESULT_OK)
        bankOf(c, address) = data[0];
    return r;
}

kit_result_t DrvCXD2856_i2c_write_register(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t value)
{
    return DrvCXD2856_i2c_write_registers(table, address, subAddress, &value, 1);
}

void DrvCXD2856_i2c_clear_error(kit_i2c_t* table)
{
    if (t_DrvCXD2856_i2c_context* c = contextOf(table))
        KxlDrvLib_error_ok(&c->error);
}

KxlDrvLibError* DrvCXD2856_i2c_get_error(kit_i2c_t* table, KxlDrvLibError* out)
{
    const t_DrvCXD2856_i2c_context* c = contextOf(table);
    return c ? drvlib::collectSticky(&c->error, out) : out;
}

void DrvCXD2856_i2c_forget_banks(kit_i2c_t* table)
{
    if (t_DrvCXD2856_i2c_context* c = contextOf(table))
        forgetBanks(c);
}
