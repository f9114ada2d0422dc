#include "DrvCXD2856_kit_result.h"

#include "DrvCXD2856_i2c.h"

namespace {

struct Translation {
    uint32_t code;
    uint32_t argument;
    const char* text;
};

Translation translationOf(kit_result_t result)
{
    switch (result) {
    case KIT_RESULT_ERROR_ARG:
        return {KxlDrvLib_code_format, 0, DRVCXD2856_TEXT_ARG};
    case KIT_RESULT_ERROR_I2C:
        return {KxlDrvLib_code_i2c, 1, DRVCXD2856_TEXT_I2C};
    case KIT_RESULT_ERROR_SW_STATE:
        return {KxlDrvLib_code_fail, 0, DRVCXD2856_TEXT_SW_STATE};
    case KIT_RESULT_ERROR_RANGE:
        return {KxlDrvLib_code_range, 0, DRVCXD2856_TEXT_RANGE};
    case KIT_RESULT_ERROR_NOSUPPORT:
        return {KxlDrvLib_code_format, 0, DRVCXD2856_TEXT_NOSUPPORT};
    case KIT_RESULT_ERROR_OVERFLOW:
        return {KxlDrvLib_code_range, 0, DRVCXD2856_TEXT_OVERFLOW};
    default:
        return {KxlDrvLib_code_fail, 0, DRVCXD2856_TEXT_OTHER};
    }
}

bool isError(kit_result_t result)
{
    switch (result) {
    case KIT_RESULT_OK:
    case KIT_RESULT_ERROR_HW_STATE:
    case KIT_RESULT_ERROR_TIMEOUT:
    case KIT_RESULT_ERROR_UNLOCK:
    case KIT_RESULT_ERROR_CANCEL:
    case KIT_RESULT_DATA_PLP_ERROR:
        return false;
    default:
        return true;
    }
}

} // namespace

uint32_t DrvCXD2856_translate_kit_result(kit_result_t result, KxlDrvLibError* err)
{
    if (!isError(result))
        return KxlDrvLib_code_ok;
    const Translation t = translationOf(result);
    if (err) {
        err->code = t.code;
        err->argument = t.argument;
        err->text = t.text;
    }
    return t.code;
}

KxlDrvLibError* DrvCXD2856_take_kit_result(KxlDrvLibError* err, kit_i2c_t* table, kit_result_t result)
{
    DrvCXD2856_i2c_get_error(table, err);
    if (KxlDrvLib_error_is_ok(err))
        DrvCXD2856_translate_kit_result(result, err);
    return err;
}
