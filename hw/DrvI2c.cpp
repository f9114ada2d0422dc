#include "DrvI2c.h"

#include "i2cControl.h"

#include <cstring>

namespace {

int busWriteBytes(uint16_t length, uint8_t* frame)
{
    // The frame must hold the address and at least one byte: a shorter frame would make
    // the byte count wrap to 65535.
    if (length < 2 || !frame)
        return 1;
    return i2cEnviar(static_cast<unsigned char>(frame[0] >> 1), frame + 1, length - 1) == 0 ? 0 : 1;
}

int busReadBytes(uint32_t handle, uint8_t address8, uint8_t* sub, uint32_t subLength, uint8_t* out, uint16_t length)
{
    (void)handle;
    if (subLength > 0xFFFF || (subLength > 0 && !sub) || (length > 0 && !out))
        return 1;
    return i2cEnviarRebre(static_cast<unsigned char>(address8 >> 1), sub, static_cast<int>(subLength), out, length) ==
                   0
               ? 0
               : 1;
}

int unlinkedWriteBytes(uint16_t, uint8_t*) { return 1; }

int unlinkedReadBytes(uint32_t, uint8_t, uint8_t*, uint32_t, uint8_t*, uint16_t) { return 1; }

void reportNotLinked(KxlDrvLibError* err)
{
    KxlDrvLib_error_ok(err);
    KxlDrvLib_error_set(err, KxlDrvLib_code_not_linked, 0, DRVI2CMUX_TEXT_NOT_LINKED);
}

void unlinkedOpen(KxlDrvLibError* err, uint32_t) { reportNotLinked(err); }
void unlinkedUnlock(KxlDrvLibError* err) { reportNotLinked(err); }
void unlinkedMuxRead(KxlDrvLibError* err, uint32_t, uint32_t, uint8_t, uint8_t*, uint32_t, uint8_t*, uint16_t)
{
    reportNotLinked(err);
}
void unlinkedMuxWrite(KxlDrvLibError* err, uint32_t, uint16_t, uint8_t*) { reportNotLinked(err); }

void muxOpen(KxlDrvLibError* err, uint32_t) { KxlDrvLib_error_ok(err); }
void muxUnlock(KxlDrvLibError* err) { KxlDrvLib_error_ok(err); }

void muxReadBytes(KxlDrvLibError* err, uint32_t channel, uint32_t handle, uint8_t address8, uint8_t* sub,
                  uint32_t subLength, uint8_t* out, uint16_t length)
{
    (void)channel;
    KxlDrvLib_error_ok(err);
    if (out && length)
        std::memset(out, 0, length);
    if (pfnDrvI2c_ReadBytes(handle, address8, sub, subLength, out, length) != 0) {
        // Whatever a failed read left in the buffer is noise.
        if (out && length)
            std::memset(out, 0, length);
        KxlDrvLib_error_set(err, KxlDrvLib_code_i2c, 0, DRVI2CMUX_TEXT_READ_ERROR);
    }
}

void muxWriteBytes(KxlDrvLibError* err, uint32_t channel, uint16_t length, uint8_t* frame)
{
    (void)channel;
    KxlDrvLib_error_ok(err);
    if (pfnDrvI2c_WriteBytes(length, frame) != 0)
        KxlDrvLib_error_set(err, KxlDrvLib_code_i2c, 0, DRVI2CMUX_TEXT_WRITE_ERROR);
}

} // namespace

DrvI2c_WriteBytes_t pfnDrvI2c_WriteBytes = unlinkedWriteBytes;
DrvI2c_ReadBytes_t pfnDrvI2c_ReadBytes = unlinkedReadBytes;
DrvI2c_WriteBytes_t pfnDrvI2c_NO_PROTECT_WriteBytes = unlinkedWriteBytes;
DrvI2c_ReadBytes_t pfnDrvI2c_NO_PROTECT_ReadBytes = unlinkedReadBytes;

DrvI2cMux_OpenChannelAndLock_t pfnDrvI2cMux_OpenChannelAndLock = unlinkedOpen;
DrvI2cMux_Unlock_t pfnDrvI2cMux_Unlock = unlinkedUnlock;
DrvI2cMux_ReadBytes_t pfnDrvI2cMux_ReadBytes = unlinkedMuxRead;
DrvI2cMux_WriteBytes_t pfnDrvI2cMux_WriteBytes = unlinkedMuxWrite;

int DrvI2c_LinkAndInit(void)
{
    pfnDrvI2c_WriteBytes = busWriteBytes;
    pfnDrvI2c_ReadBytes = busReadBytes;
    pfnDrvI2c_NO_PROTECT_WriteBytes = busWriteBytes;
    pfnDrvI2c_NO_PROTECT_ReadBytes = busReadBytes;
    return 0;
}

KxlDrvLibError* DrvI2cMux_LinkAndInit(KxlDrvLibError* err)
{
    pfnDrvI2cMux_OpenChannelAndLock = muxOpen;
    pfnDrvI2cMux_Unlock = muxUnlock;
    pfnDrvI2cMux_ReadBytes = muxReadBytes;
    pfnDrvI2cMux_WriteBytes = muxWriteBytes;
    return KxlDrvLib_error_ok(err);
}

uint32_t DrvI2cMux_LockBus(void) { return 0; }
uint32_t DrvI2c_LockBus(void) { return 0; }
uint32_t DrvI2c_UnLockBus(void) { return 0; }
uint32_t DrvI2cMux_UnLockBus(void) { return 0; }
