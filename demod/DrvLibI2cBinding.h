// What the demodulator's and the tuner's kit_i2c_t bindings share: one transfer through the
// driver library's I2C multiplexer with the length checked first, its failure kept in a
// sticky error, and the multiplexer's record turned into the kit's result.
#pragma once

#include "chipkit/kit_common.h"
#include "common/KxlDrvLibError.h"

#include <cstdint>

namespace drvlib {

#define DRVLIB_I2C_TEXT_LENGTH "[DrvI2c binding] transfer length out of range."

// The part of a binding context one transfer needs.
struct I2cPath {
    uint32_t handle;      // multiplexer channel
    KxlDrvLibError* sticky;
    uint32_t maxLength;   // data bytes per transfer
};

// Reads length bytes, after writing the sub-address when there is one.
kit_result_t i2cRead(const I2cPath& path, uint8_t address, const uint8_t* sub, uint8_t* buffer, uint32_t length);
// Writes [address, sub-address when there is one, data].
kit_result_t i2cWrite(const I2cPath& path, uint8_t address, const uint8_t* sub, const uint8_t* data,
                      uint32_t length);

// Copies the sticky error into out unless out holds one already; returns out.
KxlDrvLibError* collectSticky(const KxlDrvLibError* sticky, KxlDrvLibError* out);

} // namespace drvlib
