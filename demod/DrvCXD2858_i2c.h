// The tuner's kit_i2c_t over the driver library's I2C multiplexer, with the first bus error
// of a burst kept for the tuner driver to collect. The tuner has no banks.
#pragma once

#include "chipkit/kit_common.h"
#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Data bytes one write or read may carry; longer transfers are refused, never cut.
enum { DRVCXD2858_I2C_MAX_LENGTH = 32 };

typedef struct t_DrvCXD2858_i2c_context {
    uint32_t handle;       // the multiplexer channel of every transfer
    KxlDrvLibError error;  // sticky: the first failure since the last clear
} t_DrvCXD2858_i2c_context;

// Binds table to context (the table's user pointer), fills its five slots and clears the
// sticky error; the context's handle is the caller's. 1 for a null argument.
kit_result_t DrvCXD2858_i2c_init(kit_i2c_t* table, t_DrvCXD2858_i2c_context* context);

// The slots: 0, 2 for a bus failure (library codes 19 to 24), 10 for any other failure of the
// multiplexer, 1 for a null table or context, or for a length above DRVCXD2858_I2C_MAX_LENGTH,
// which reaches no bus and leaves code 26. A failure is kept in the sticky error unless it
// holds one.
kit_result_t DrvCXD2858_i2c_read(kit_i2c_t* table, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t mode);
kit_result_t DrvCXD2858_i2c_write(kit_i2c_t* table, uint8_t address, const uint8_t* data, uint32_t length,
                                  uint8_t mode);
kit_result_t DrvCXD2858_i2c_read_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                           uint32_t length);
kit_result_t DrvCXD2858_i2c_write_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress,
                                            const uint8_t* data, uint32_t length);
// Through the table's register-write slot; 10 when that slot is empty.
kit_result_t DrvCXD2858_i2c_write_register(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t value);

void DrvCXD2858_i2c_clear_error(kit_i2c_t* table);
// Copies the sticky error into out unless out holds an error already; returns out.
KxlDrvLibError* DrvCXD2858_i2c_get_error(kit_i2c_t* table, KxlDrvLibError* out);

#ifdef __cplusplus
}
#endif
