// The driver kit on the simulated demodulator: a kit I2C table over the board's bus, a
// handle created on it and an integration handle over it (for the kit's own lock waits),
// beside the chip model and its scene.
#pragma once

#include "Cxd2856Bench.h"
#include "DemodBench.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_i2c.h"

namespace kittest {

struct KitOnChip : testsupport::Cxd2856Bench {
    KitOnChip()
    {
        i2c = {boardRead, boardWrite, kit_i2c_CommonReadRegister, kit_i2c_CommonWriteRegister,
               kit_i2c_CommonWriteOneRegister, 0, 0, nullptr};
        const kit_demod_create_param_t param = {1, 0xD8, KIT_DEMOD_TUNER_I2C_REPEATER};
        kit_demod_Create(&demod, &param, &i2c);
    }

    static kit_result_t boardRead(kit_i2c_t*, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t)
    {
        return platform::board().i2cRead(address >> 1, buffer, length) == 0 ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
    }
    static kit_result_t boardWrite(kit_i2c_t*, uint8_t address, const uint8_t* data, uint32_t length, uint8_t)
    {
        return platform::board().i2cWrite(address >> 1, data, length) == 0 ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
    }

    kit_i2c_t i2c;
    kit_demod_t demod;
    kit_integ_t integ{&demod, nullptr, nullptr, nullptr, 0, 0};
};

} // namespace kittest
