// A kit I2C table over the simulated board's bus: raw transfers to the 7-bit address, the
// kit's own register functions on top, so the kit talks to the simulated chips as to the
// real ones.
#pragma once

#include "Platform.h"
#include "chipkit/kit_i2c.h"

namespace kittest {

inline kit_result_t boardRead(kit_i2c_t*, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t)
{
    return platform::board().i2cRead(address >> 1, buffer, length) == 0 ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
}

inline kit_result_t boardWrite(kit_i2c_t*, uint8_t address, const uint8_t* data, uint32_t length, uint8_t)
{
    return platform::board().i2cWrite(address >> 1, data, length) == 0 ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
}

inline kit_i2c_t boardKitI2c()
{
    return kit_i2c_t{boardRead,
                     boardWrite,
                     kit_i2c_CommonReadRegister,
                     kit_i2c_CommonWriteRegister,
                     kit_i2c_CommonWriteOneRegister,
                     0,
                     0,
                     nullptr};
}

} // namespace kittest
