#include "DrvCXD2858_i2c.h"

#include "DrvLibI2cBinding.h"

namespace {

t_DrvCXD2858_i2c_context* contextOf(kit_i2c_t* table)
{
    return table ? static_cast<t_DrvCXD2858_i2c_context*>(table->user) : nullptr;
}

drvlib::I2cPath pathOf(t_DrvCXD2858_i2c_context* c) { return {c->handle, &c->error, DRVCXD2858_I2C_MAX_LENGTH}; }

} // namespace

kit_result_t DrvCXD2858_i2c_init(kit_i2c_t* table, t_DrvCXD2858_i2c_context* context)
{
    if (!table || !context)
        return KIT_RESULT_ERROR_ARG;
    table->user = context;
    table->Read = DrvCXD2858_i2c_read;
    table->Write = DrvCXD2858_i2c_write;
    table->ReadRegister = DrvCXD2858_i2c_read_registers;
    table->WriteRegister = DrvCXD2858_i2c_write_registers;
    table->WriteOneRegister = DrvCXD2858_i2c_write_register;
    KxlDrvLib_error_ok(&context->error);
    return KIT_RESULT_OK;
}

kit_result_t DrvCXD2858_i2c_read(kit_i2c_t* table, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t)
{
    t_DrvCXD2858_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    return drvlib::i2cRead(pathOf(c), address, nullptr, buffer, length);
}

kit_result_t DrvCXD2858_i2c_write(kit_i2c_t* table, uint8_t address, const uint8_t* data, uint32_t length, uint8_t)
{
    t_DrvCXD2858_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    return drvlib::i2cWrite(pathOf(c), address, nullptr, data, length);
}

kit_result_t DrvCXD2858_i2c_read_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                           uint32_t length)
{
    t_DrvCXD2858_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    return drvlib::i2cRead(pathOf(c), address, &subAddress, buffer, length);
}

kit_result_t DrvCXD2858_i2c_write_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress,
                                            const uint8_t* data, uint32_t length)
{
    t_DrvCXD2858_i2c_context* c = contextOf(table);
    if (!c)
        return KIT_RESULT_ERROR_ARG;
    return drvlib::i2cWrite(pathOf(c), address, &subAddress, data, length);
}

kit_result_t DrvCXD2858_i2c_write_register(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t value)
{
    if (!contextOf(table))
        return KIT_RESULT_ERROR_ARG;
    if (!table->WriteRegister)
        return KIT_RESULT_ERROR_OTHER;
    return table->WriteRegister(table, address, subAddress, &value, 1);
}

void DrvCXD2858_i2c_clear_error(kit_i2c_t* table)
{
    if (t_DrvCXD2858_i2c_context* c = contextOf(table))
        KxlDrvLib_error_ok(&c->error);
}

KxlDrvLibError* DrvCXD2858_i2c_get_error(kit_i2c_t* table, KxlDrvLibError* out)
{
    const t_DrvCXD2858_i2c_context* c = contextOf(table);
    return c ? drvlib::collectSticky(&c->error, out) : out;
}
