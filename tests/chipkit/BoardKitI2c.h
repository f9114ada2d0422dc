// A kit_i2c_t over the installed board's bus: the raw transfers go to the board (8-bit
// addresses shifted to 7-bit), the register functions are the kit's own on top of them. A
// NAK comes back as a bus failure, which the driver library's binding would hide.
#pragma once

#include "chipkit/kit_i2c.h"
#include "platform/Platform.h"

namespace kittest {

inline kit_result_t boardRead(kit_i2c_t*, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t)
{
    return platform::board().i2cRead(address >> 1, buffer, length) == 0 ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
}

inline kit_result_t boardWrite(kit_i2c_t*, uint8_t address, const uint8_t* data, uint32_t length, uint8_t)
{
    return platform::board().i2cWrite(address >> 1, data, length) == 0 ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
}

inline kit_i2c_t boardI2c()
{
    return kit_i2c_t{boardRead, boardWrite, kit_i2c_CommonReadRegister, kit_i2c_CommonWriteRegister,
                     kit_i2c_CommonWriteOneRegister, 0, 0, nullptr};
}

} // namespace kittest
