// Register access over the kit's I2C table: masked writes, register functions built on the
// raw transfers for platforms that offer only those, and a logging table that prints every
// successful transfer of another table.
#pragma once

#include "kit_common.h"

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

// Writes value under mask to reg of the device at address (the caller has selected the
// bank): mask 0 does nothing, 0xFF writes the byte, any other mask reads, merges and writes
// back. A failed transfer gives 2.
kit_result_t kit_i2c_SetRegisterBits(kit_i2c_t* i2c, uint8_t address, uint8_t reg, uint8_t value, uint8_t mask);

// Register functions on the raw Read and Write slots. A read writes the sub-address (mode
// KIT_I2C_MODE_NO_STOP), then reads; a write sends the sub-address and at most
// KIT_I2C_COMMON_WRITE_MAX data bytes in one transfer (more gives 1).
enum { KIT_I2C_COMMON_WRITE_MAX = 128 };
kit_result_t kit_i2c_CommonReadRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                        uint32_t length);
kit_result_t kit_i2c_CommonWriteRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, const uint8_t* data,
                                         uint32_t length);
// One byte through the table's WriteRegister slot.
kit_result_t kit_i2c_CommonWriteOneRegister(kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, uint8_t value);

// I2C log: logI2c forwards to base and prints each successful transfer to stream:
// "WR(aa, ss)" / "RR(aa, ss)" for register writes and reads, "W (aa)    " / "R (aa)    " for raw
// ones, then " dd" per data byte and a newline.
typedef struct kit_i2c_log_t {
    kit_i2c_t* base;
    FILE* stream;  // null: logging off
} kit_i2c_log_t;

kit_result_t kit_i2c_CreateI2cLog(kit_i2c_t* logI2c, kit_i2c_t* baseI2c, kit_i2c_log_t* logRecord);
// A null stream switches logging off.
kit_result_t kit_i2c_EnableI2cLog(kit_i2c_t* logI2c, FILE* stream);

#ifdef __cplusplus
}
#endif
