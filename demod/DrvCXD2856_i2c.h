// The demodulator's kit_i2c_t over the driver library's I2C multiplexer. It remembers the bank
// each port has selected, so the kit's many bank writes cost no transfer when the bank is
// already there, and it keeps the first bus error of a burst for the driver to collect.
#pragma once

#include "chipkit/kit_common.h"
#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// No bank known: the next bank write goes out whatever it selects.
enum { DRVCXD2856_I2C_BANK_UNKNOWN = 0xFF };
// Data bytes one write or read may carry; longer transfers are refused, never cut.
enum { DRVCXD2856_I2C_MAX_LENGTH = 100 };

// One per demodulator state. The two ports differ in bit 2 of their address (SLVT, SLVX), so
// that bit picks the bank cache.
typedef struct t_DrvCXD2856_i2c_context {
    uint8_t bank_bit2_clear;
    uint8_t bank_bit2_set;
    uint32_t handle;         // the multiplexer channel of every transfer
    KxlDrvLibError error;    // sticky: the first failure since the last clear
} t_DrvCXD2856_i2c_context;

// Binds table to context (the table's user pointer), fills its five slots, forgets both banks
// and clears the sticky error; the context's handle is the caller's. 1 for a null argument.
kit_result_t DrvCXD2856_i2c_init(kit_i2c_t* table, t_DrvCXD2856_i2c_context* context);

// The slots. Each returns 0, 2 for a bus failure (library codes 19 to 24), 10 for any other
// failure of the multiplexer, 1 for a null table or context, or for a length above
// DRVCXD2856_I2C_MAX_LENGTH, which reaches no bus and leaves DRVLIB_I2C_TEXT_LENGTH (code
// 26). A failure is kept in the sticky error unless it holds one, and makes both banks unknown.
kit_result_t DrvCXD2856_i2c_read(kit_i2c_t* table, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t mode);
kit_result_t DrvCXD2856_i2c_write(kit_i2c_t* table, uint8_t address, const uint8_t* data, uint32_t length,
                                  uint8_t mode);
kit_result_t DrvCXD2856_i2c_read_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                           uint32_t length);
// A write at register 0x00 selects the bank: one that the port already has is not sent again
// when it is the only byte.
kit_result_t DrvCXD2856_i2c_write_registers(kit_i2c_t* table, uint8_t address, uint8_t subAddress,
                                            const uint8_t* data, uint32_t length);
kit_result_t DrvCXD2856_i2c_write_register(kit_i2c_t* table, uint8_t address, uint8_t subAddress, uint8_t value);

void DrvCXD2856_i2c_clear_error(kit_i2c_t* table);
// Copies the sticky error into out unless out holds an error already; returns out.
KxlDrvLibError* DrvCXD2856_i2c_get_error(kit_i2c_t* table, KxlDrvLibError* out);
// Forgets both banks: for whoever changes them behind the table's back (a chip reset).
void DrvCXD2856_i2c_forget_banks(kit_i2c_t* table);

#ifdef __cplusplus
}
#endif
