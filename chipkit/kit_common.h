// Shared records of the demodulator driver kit. For now only what the LNB supply driver
// fills: the result code and the LNB-controller record with its operation slots.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t kit_result_t;
enum {
    KIT_RESULT_OK = 0,
    KIT_RESULT_ERROR_ARG = 1,      // null pointer, value outside a list
    KIT_RESULT_ERROR_SW_STATE = 3, // not allowed in the current state
};

typedef struct kit_i2c_t kit_i2c_t;

// LNB controller states and settings.
enum { KIT_LNBC_STATE_SLEEP = 1, KIT_LNBC_STATE_ACTIVE = 2 };
enum { KIT_LNBC_VOLTAGE_LOW = 0, KIT_LNBC_VOLTAGE_HIGH = 1, KIT_LNBC_VOLTAGE_AUTO = 2 };
enum { KIT_LNBC_TONE_OFF = 0, KIT_LNBC_TONE_ON = 1, KIT_LNBC_TONE_AUTO = 2 };

typedef struct kit_lnbc_t {
    uint8_t i2cAddress;
    kit_i2c_t* i2c;
    uint32_t state;        // KIT_LNBC_STATE_*
    uint32_t voltage;      // KIT_LNBC_VOLTAGE_*
    uint32_t tone;         // KIT_LNBC_TONE_*
    uint32_t transmitMode;
    uint32_t config[3];
    kit_result_t (*Initialize)(struct kit_lnbc_t* lnbc);
    kit_result_t (*SetConfig)(struct kit_lnbc_t* lnbc, uint32_t id, uint32_t value);
    kit_result_t (*SetVoltage)(struct kit_lnbc_t* lnbc, uint32_t voltage);
    kit_result_t (*SetTone)(struct kit_lnbc_t* lnbc, uint32_t tone);
    kit_result_t (*SetTransmitMode)(struct kit_lnbc_t* lnbc, uint32_t mode);
    kit_result_t (*Sleep)(struct kit_lnbc_t* lnbc);
    kit_result_t (*WakeUp)(struct kit_lnbc_t* lnbc);
    void* user;
} kit_lnbc_t;

#ifdef __cplusplus
}
#endif
