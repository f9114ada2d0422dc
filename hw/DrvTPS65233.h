// TPS65233 LNB supply on I2C: output voltage, output enable, internal 22 kHz tone and
// current limit, each set by a read-modify-write of its register. A setter whose read
// fails writes nothing: a guessed register could switch the output or 19.8 V onto the
// input. The driver keeps what it last wrote for the LNB status texts.
#pragma once

#include "common/KxlDrvLibError.h"

#ifdef __cplusplus
extern "C" {
#endif

#define DRVTPS65233_TEXT_OPEN_ERROR "[DrvTPS65233_HW_Open] i2c error."
#define DRVTPS65233_TEXT_SET_ERROR "[DrvTPS65233_HW_set_output_enable] i2c error."

// `eLNB_VOLTAGE`: the voltage codes of register 0 bits 0-2.
typedef enum {
    LNB_VOLTAGE_13_0 = 0,
    LNB_VOLTAGE_13_4 = 1,
    LNB_VOLTAGE_13_8 = 2,
    LNB_VOLTAGE_14_2 = 3,
    LNB_VOLTAGE_18_0 = 4,
    LNB_VOLTAGE_18_6 = 5,
    LNB_VOLTAGE_19_2 = 6,
    LNB_VOLTAGE_19_8 = 7
} eLNB_VOLTAGE;

typedef struct DrvTPS65233_State {
    unsigned currentLimit;
    unsigned char tone;
    unsigned char output;
    unsigned voltageCode;
    unsigned overCurrent;
} DrvTPS65233_State;

// Register 0 = 0xA0, register 1 = 0x0E, and the kept state reset (current limit 3, tone
// off, output off, voltage code 0, over-current 0). A failed write: code 1 with
// DRVTPS65233_TEXT_OPEN_ERROR.
void DrvTPS65233_Init(KxlDrvLibError* err);
// Register 0 bits 0-2 := code & 7.
void DrvTPS65233_HW_set_voltage(KxlDrvLibError* err, unsigned code);
// Register 0 bit 4, set when on is not 0.
void DrvTPS65233_HW_set_internal_tone_enable(KxlDrvLibError* err, unsigned char on);
// Register 0 bit 3, set when on is not 0.
void DrvTPS65233_HW_set_output_enable(KxlDrvLibError* err, unsigned char on);
// Register 1 bits 1-2 := code & 3.
void DrvTPS65233_HW_set_max_current(KxlDrvLibError* err, unsigned code);
// Every register-0 write carries bit 7. A failure: code 1 with DRVTPS65233_TEXT_SET_ERROR.

// What the driver last wrote successfully.
DrvTPS65233_State DrvTPS65233_GetState(void);

#ifdef __cplusplus
}
#endif
