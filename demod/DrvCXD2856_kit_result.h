// How the demodulator driver reports what the kit answered: the kit's result turned into the
// library's error record, with a bus error kept by the I2C binding taking precedence.
#pragma once

#include "chipkit/kit_common.h"
#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DRVCXD2856_TEXT_ARG "CXD2856: KIT_RESULT_ERROR_ARG"
#define DRVCXD2856_TEXT_I2C "CXD2856 Driver: KIT_RESULT_ERROR_I2C"
#define DRVCXD2856_TEXT_SW_STATE "CXD2856 Driver: KIT_RESULT_ERROR_SW_STATE"
#define DRVCXD2856_TEXT_RANGE "CXD2856 Driver: KIT_RESULT_ERROR_RANGE"
#define DRVCXD2856_TEXT_NOSUPPORT "CXD2856: KIT_RESULT_ERROR_NOSUPPORT"
#define DRVCXD2856_TEXT_OVERFLOW "CXD2856 Driver: KIT_RESULT_ERROR_OVERFLOW"
#define DRVCXD2856_TEXT_OTHER "CXD2856 Driver: KIT_RESULT_ERROR_OTHER"

// Fills err from result and returns its code. Not ready, time-out, unlock, cancel and a
// data-PLP error are no errors here (the lock status carries them): err is left as it was.
// Call it only while err is still ok.
uint32_t DrvCXD2856_translate_kit_result(kit_result_t result, KxlDrvLibError* err);

// The end of every register burst or kit call: the binding's sticky error first, then the
// translated result, each only while err holds no error. Returns err.
KxlDrvLibError* DrvCXD2856_take_kit_result(KxlDrvLibError* err, kit_i2c_t* table, kit_result_t result);

#ifdef __cplusplus
}
#endif
