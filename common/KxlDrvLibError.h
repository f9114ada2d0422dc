// The result record of every fallible driver-library operation, {code, argument, text},
// and its builders. An operation starts with an ok record and keeps the first error it
// meets: later steps still run but cannot replace it.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KxlDrvLibError {
    uint32_t code;     // KxlDrvLib_code_*
    uint32_t argument; // code-specific detail, 0 in most cases
    const char* text;  // constant message, or null
} KxlDrvLibError;

enum {
    KxlDrvLib_code_ok = 0,
    KxlDrvLib_code_fail = 1,          // failure or wrong software state
    KxlDrvLib_code_xtal = 2,          // wrong crystal frequency of the tuner
    KxlDrvLib_code_not_linked = 3,    // function pointer not linked
    KxlDrvLib_code_heap = 10,         // heap exhausted
    KxlDrvLib_code_handle = 11,       // invalid handle
    KxlDrvLib_code_range = 13,        // range or overflow
    KxlDrvLib_code_i2c = 20,          // I2C error
    KxlDrvLib_code_format = 26,       // format or argument error
    KxlDrvLib_code_null = 34,         // null pointer
    KxlDrvLib_code_i2c_first = 19,    // codes 19..24 come from the I2C layer
    KxlDrvLib_code_i2c_last = 24
};

// Code 0, argument 0, no text. Returns the record (null stays null).
KxlDrvLibError* KxlDrvLib_error_ok(KxlDrvLibError* record);
// Code 1, argument 0, no text.
KxlDrvLibError* KxlDrvLib_error_fail(KxlDrvLibError* record);

// True when the record holds no error (a null record counts as ok).
int KxlDrvLib_error_is_ok(const KxlDrvLibError* record);
// True for the codes the I2C layer reports.
int KxlDrvLib_error_is_i2c(const KxlDrvLibError* record);
// Records {code, argument, text} only while the record holds no error yet; returns the record.
KxlDrvLibError* KxlDrvLib_error_set(KxlDrvLibError* record, uint32_t code, uint32_t argument, const char* text);
// Copies step into record only while record holds no error yet.
KxlDrvLibError* KxlDrvLib_error_keep_first(KxlDrvLibError* record, const KxlDrvLibError* step);

#ifdef __cplusplus
}
#endif
