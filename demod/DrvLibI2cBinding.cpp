#include "DrvLibI2cBinding.h"

#include "hw/DrvI2c.h"

#include <cstring>

namespace drvlib {

namespace {

constexpr uint32_t kFrameData = 256;

kit_result_t kitResult(const KxlDrvLibError& e)
{
    if (KxlDrvLib_error_is_ok(&e))
        return KIT_RESULT_OK;
    return KxlDrvLib_error_is_i2c(&e) ? KIT_RESULT_ERROR_I2C : KIT_RESULT_ERROR_OTHER;
}

kit_result_t finish(const I2cPath& path, const KxlDrvLibError& e)
{
    KxlDrvLib_error_keep_first(path.sticky, &e);
    return kitResult(e);
}

// A length the binding cannot carry whole is refused before anything reaches the bus: a
// shortened transfer would leave the chip half-programmed with nobody told.
bool refused(const I2cPath& path, const void* data, uint32_t length)
{
    if (length <= path.maxLength && length <= kFrameData && (data || length == 0))
        return false;
    KxlDrvLib_error_set(path.sticky, KxlDrvLib_code_format, 0, DRVLIB_I2C_TEXT_LENGTH);
    return true;
}

} // namespace

kit_result_t i2cRead(const I2cPath& path, uint8_t address, const uint8_t* sub, uint8_t* buffer, uint32_t length)
{
    if (refused(path, buffer, length))
        return KIT_RESULT_ERROR_ARG;
    KxlDrvLibError e;
    KxlDrvLib_error_ok(&e);
    uint8_t subAddress = sub ? *sub : 0;
    pfnDrvI2cMux_ReadBytes(&e, path.handle, 0, address, sub ? &subAddress : nullptr, sub ? 1 : 0, buffer,
                           static_cast<uint16_t>(length));
    return finish(path, e);
}

kit_result_t i2cWrite(const I2cPath& path, uint8_t address, const uint8_t* sub, const uint8_t* data,
                      uint32_t length)
{
    if (refused(path, data, length))
        return KIT_RESULT_ERROR_ARG;
    uint8_t frame[2 + kFrameData];
    uint32_t n = 0;
    frame[n++] = address;
    if (sub)
        frame[n++] = *sub;
    if (length)
        std::memcpy(frame + n, data, length);
    n += length;
    KxlDrvLibError e;
    KxlDrvLib_error_ok(&e);
    pfnDrvI2cMux_WriteBytes(&e, path.handle, static_cast<uint16_t>(n), frame);
    return finish(path, e);
}

KxlDrvLibError* collectSticky(const KxlDrvLibError* sticky, KxlDrvLibError* out)
{
    return KxlDrvLib_error_keep_first(out, sticky);
}

} // namespace drvlib
