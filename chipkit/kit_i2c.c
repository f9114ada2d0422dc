#include "kit_i2c.h"

#include <string.h>

kit_result_t kit_i2c_SetRegisterBits(kit_i2c_t* i2c, uint8_t address, uint8_t reg, uint8_t value, uint8_t mask)
{
    if (!i2c)
        return KIT_RESULT_ERROR_ARG;
    if (mask == 0)
        return KIT_RESULT_OK;
    if (mask != 0xFF) {
        uint8_t old = 0;
        if (i2c->ReadRegister(i2c, address, reg, &old, 1) != KIT_RESULT_OK)
            return KIT_RESULT_ERROR_I2C;
        value = (uint8_t)((old & ~mask) | (value & mask));
    }
    return i2c->WriteOneRegister(i2c, address, reg, value) == KIT_RESULT_OK ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
}

kit_result_t kit_i2c_CommonReadRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                        uint32_t length)
{
    if (!i2c || !buffer)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = i2c->Write(i2c, address, &subAddress, 1, KIT_I2C_MODE_NO_STOP);
    if (r != KIT_RESULT_OK)
        return r;
    return i2c->Read(i2c, address, buffer, length, KIT_I2C_MODE_COMPLETE);
}

kit_result_t kit_i2c_CommonWriteRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, const uint8_t* data,
                                         uint32_t length)
{
    if (!i2c || (length > 0 && !data) || length > KIT_I2C_COMMON_WRITE_MAX)
        return KIT_RESULT_ERROR_ARG;
    uint8_t frame[KIT_I2C_COMMON_WRITE_MAX + 1];
    frame[0] = subAddress;
    if (length > 0)
        memcpy(frame + 1, data, length);
    return i2c->Write(i2c, address, frame, length + 1, KIT_I2C_MODE_COMPLETE);
}

kit_result_t kit_i2c_CommonWriteOneRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, uint8_t value)
{
    if (!i2c)
        return KIT_RESULT_ERROR_ARG;
    return i2c->WriteRegister(i2c, address, subAddress, &value, 1);
}

// ---- I2C log ----

// The log record of a logging table, null when it has no base to forward to.
static kit_i2c_log_t* logOf(kit_i2c_t* i2c)
{
    kit_i2c_log_t* log = i2c ? (kit_i2c_log_t*)i2c->user : NULL;
    return log && log->base ? log : NULL;
}

// One line for a successful transfer: "R (aa)    " / "W (aa)    " for raw transfers (sub < 0),
// "RR(aa, ss)" / "WR(aa, ss)" for register ones, then the data bytes.
static void printLine(const kit_i2c_log_t* log, kit_result_t r, char kind, uint8_t address, int sub,
                      const uint8_t* data, uint32_t length)
{
    if (r != KIT_RESULT_OK || !log->stream)
        return;
    if (sub < 0)
        fprintf(log->stream, "%c (%02X)    ", kind, address);
    else
        fprintf(log->stream, "%cR(%02X, %02X)", kind, address, sub);
    for (uint32_t i = 0; i < length; ++i)
        fprintf(log->stream, " %02X", data[i]);
    fputc('\n', log->stream);
}

static kit_result_t logRead(kit_i2c_t* i2c, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t mode)
{
    kit_i2c_log_t* log = logOf(i2c);
    if (!log)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = log->base->Read(log->base, address, buffer, length, mode);
    printLine(log, r, 'R', address, -1, buffer, length);
    return r;
}

static kit_result_t logWrite(kit_i2c_t* i2c, uint8_t address, const uint8_t* data, uint32_t length, uint8_t mode)
{
    kit_i2c_log_t* log = logOf(i2c);
    if (!log)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = log->base->Write(log->base, address, data, length, mode);
    printLine(log, r, 'W', address, -1, data, length);
    return r;
}

static kit_result_t logReadRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                    uint32_t length)
{
    kit_i2c_log_t* log = logOf(i2c);
    if (!log)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = log->base->ReadRegister(log->base, address, subAddress, buffer, length);
    printLine(log, r, 'R', address, subAddress, buffer, length);
    return r;
}

static kit_result_t logWriteRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, const uint8_t* data,
                                     uint32_t length)
{
    kit_i2c_log_t* log = logOf(i2c);
    if (!log)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = log->base->WriteRegister(log->base, address, subAddress, data, length);
    printLine(log, r, 'W', address, subAddress, data, length);
    return r;
}

kit_result_t kit_i2c_CreateI2cLog(kit_i2c_t* logI2c, kit_i2c_t* baseI2c, kit_i2c_log_t* logRecord)
{
    if (!logI2c || !baseI2c || !logRecord)
        return KIT_RESULT_ERROR_ARG;
    logI2c->Read = logRead;
    logI2c->Write = logWrite;
    logI2c->ReadRegister = logReadRegister;
    logI2c->WriteRegister = logWriteRegister;
    logI2c->WriteOneRegister = kit_i2c_CommonWriteOneRegister;
    logI2c->gwAddress = baseI2c->gwAddress;
    logI2c->gwSub = baseI2c->gwSub;
    logI2c->user = logRecord;
    logRecord->base = baseI2c;
    logRecord->stream = NULL;
    return KIT_RESULT_OK;
}

kit_result_t kit_i2c_EnableI2cLog(kit_i2c_t* logI2c, FILE* stream)
{
    kit_i2c_log_t* log = logOf(logI2c);
    if (!log)
        return KIT_RESULT_ERROR_ARG;
    log->stream = stream;
    return KIT_RESULT_OK;
}
