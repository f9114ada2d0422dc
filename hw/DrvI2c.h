// The demodulator driver library's access to the board's one I2C bus: the link pointers
// for plain transfers (frames carry the 8-bit device address first), the multiplexer
// pointers that report through the library's error record, and the bus-lock hooks, which
// do nothing here because every transfer already takes the bus mutex.
#pragma once

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// frame[0] is the 8-bit device address; the other length - 1 bytes are written to it.
// 0 on success, 1 on failure (a length below 2 is a failure and reaches no bus).
typedef int (*DrvI2c_WriteBytes_t)(uint16_t length, uint8_t* frame);
// Writes subLength sub-address bytes to the device (none when 0), then reads length bytes
// into out. The handle is not used on this board. 0 on success, 1 on failure.
typedef int (*DrvI2c_ReadBytes_t)(uint32_t handle, uint8_t address8, uint8_t* sub, uint32_t subLength, uint8_t* out,
                                  uint16_t length);

extern DrvI2c_WriteBytes_t pfnDrvI2c_WriteBytes;
extern DrvI2c_ReadBytes_t pfnDrvI2c_ReadBytes;
extern DrvI2c_WriteBytes_t pfnDrvI2c_NO_PROTECT_WriteBytes;
extern DrvI2c_ReadBytes_t pfnDrvI2c_NO_PROTECT_ReadBytes;

// Installs the bus routines in the four link pointers (the protected and unprotected pairs
// are the same routines). Returns 0.
int DrvI2c_LinkAndInit(void);

// Multiplexer: the channel is ignored on this board. Until DrvI2cMux_LinkAndInit every
// pointer reports code 3 (not linked). The transfers report a bus failure as an I2C error
// (code 20); a read clears its buffer first so nobody decides on stale bytes.
typedef void (*DrvI2cMux_OpenChannelAndLock_t)(KxlDrvLibError* err, uint32_t channel);
typedef void (*DrvI2cMux_Unlock_t)(KxlDrvLibError* err);
typedef void (*DrvI2cMux_ReadBytes_t)(KxlDrvLibError* err, uint32_t channel, uint32_t handle, uint8_t address8,
                                      uint8_t* sub, uint32_t subLength, uint8_t* out, uint16_t length);
typedef void (*DrvI2cMux_WriteBytes_t)(KxlDrvLibError* err, uint32_t channel, uint16_t length, uint8_t* frame);

extern DrvI2cMux_OpenChannelAndLock_t pfnDrvI2cMux_OpenChannelAndLock;
extern DrvI2cMux_Unlock_t pfnDrvI2cMux_Unlock;
extern DrvI2cMux_ReadBytes_t pfnDrvI2cMux_ReadBytes;
extern DrvI2cMux_WriteBytes_t pfnDrvI2cMux_WriteBytes;

// Installs the multiplexer pointers; err becomes an ok record (and is returned).
KxlDrvLibError* DrvI2cMux_LinkAndInit(KxlDrvLibError* err);

// Texts of the multiplexer's error records.
#define DRVI2CMUX_TEXT_NOT_LINKED "[DrvI2cMux] function not linked."
#define DRVI2CMUX_TEXT_READ_ERROR "[DrvI2cMux_ReadBytes] i2c error."
#define DRVI2CMUX_TEXT_WRITE_ERROR "[DrvI2cMux_WriteBytes] i2c error."

// Bus-lock hooks: nothing to do on this board; each returns 0.
uint32_t DrvI2cMux_LockBus(void);
uint32_t DrvI2c_LockBus(void);
uint32_t DrvI2c_UnLockBus(void);
uint32_t DrvI2cMux_UnLockBus(void);

#ifdef __cplusplus
}
#endif
