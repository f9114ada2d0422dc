// Register-level driver of the CXD2858 tuner: the terrestrial/cable half (1 MHz to 1.2 GHz)
// and the satellite half (500 MHz to 2.5 GHz) as fixed register sequences over a kit_i2c_t,
// the tuner's state, its oscillator and the small helpers around it. No heap, no threads;
// the caller opens the demodulator's repeater around every call.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Crystal codes.
enum {
    KIT_CXD2858_XTAL_16000KHZ = 0,
    KIT_CXD2858_XTAL_20500KHZ = 1,
    KIT_CXD2858_XTAL_24000KHZ = 2,
    KIT_CXD2858_XTAL_41000KHZ = 3,  // only when the driver leaves the oscillator alone
};

// Flags word. Bits not named here have no effect.
enum {
    KIT_CXD2858_FLAG_SAT_BYTE16 = 1u << 17,           // byte 16 of the satellite block
    KIT_CXD2858_FLAG_TERR_DIGITAL_BYTE0 = 1u << 18,   // byte 0 of the terrestrial block, systems 9..28
    KIT_CXD2858_FLAG_TERR_ANALOG_BYTE0 = 1u << 19,    // byte 0 of the terrestrial block, systems 1..8
    KIT_CXD2858_FLAG_ALT_LEVELS = 1u << 27,           // registers 0x43, 0x0C, byte 8 of the satellite block
    KIT_CXD2858_FLAG_ALT_IF_FILTER = 1u << 28,        // digital terrestrial systems and every satellite tune
    KIT_CXD2858_FLAG_XTAL_OFF_IN_SLEEP = 1u << 30,    // only with bit 31 clear
    KIT_CXD2858_FLAG_EXTERNAL_XTAL = 1u << 31,        // the driver programs no oscillator settings
};
// Two-bit fields of the flags word (value 3 is not supported) and the oscillator drive code.
enum {
    KIT_CXD2858_FLAG_F2_SHIFT = 20,
    KIT_CXD2858_FLAG_F1_SHIFT = 22,
    KIT_CXD2858_FLAG_XOSC_DRIVE_SHIFT = 12,  // bits 12-14, codes 0..4
};

typedef uint32_t kit_cxd2858_state_t;
enum {
    KIT_CXD2858_STATE_UNKNOWN = 0,  // created
    KIT_CXD2858_STATE_SLEEP = 1,
    KIT_CXD2858_STATE_TERR = 2,
    KIT_CXD2858_STATE_SAT = 3,
    // A transition failed after it had started writing: which half runs is not known, so
    // nothing but Initialize is allowed.
    KIT_CXD2858_STATE_INVALID = 4,
};

// Tuner system ids: terrestrial and cable 1..28 (1..8 analogue, 23, 24 and 27 cable), then
// satellite 29..31.
enum {
    KIT_CXD2858_TERR_SYSTEM_FIRST = 1,
    KIT_CXD2858_TERR_SYSTEM_LAST = 28,
    KIT_CXD2858_SAT_SYSTEM_FIRST = 29,
    KIT_CXD2858_SAT_SYSTEM_FIXED_RATE = 29,  // symbol rate forced to 28,860 ksps
    KIT_CXD2858_SAT_SYSTEM_LAST = 31,
};

// Frequency limits in kHz. The terrestrial block holds the frequency in 20 bits, so the
// highest terrestrial frequency the chip can be given is below the band's nominal top.
enum {
    KIT_CXD2858_TERR_MIN_KHZ = 1000,
    KIT_CXD2858_TERR_BAND_MAX_KHZ = 1200000,
    KIT_CXD2858_TERR_FIELD_MAX_KHZ = 0xFFFFF,
    KIT_CXD2858_SAT_MIN_KHZ = 500000,
    KIT_CXD2858_SAT_MAX_KHZ = 2500000,
};

// One row of the terrestrial parameter table, indexed by system id. Column names follow the
// table: c0 (0xFF = none, else 3 bits), c1 (4 bits), c2..c4 and c5..c7 one per band (up to
// 172 MHz, up to 464 MHz, above), c8 and c9 (2 bits), c10 and c11 (5 bits), c12 (bit 0).
typedef struct kit_cxd2858_terr_param_t {
    uint8_t c0;
    uint8_t c1;
    uint8_t c2to4[3];
    uint8_t c5to7[3];
    uint8_t c8;
    uint8_t c9;
    uint8_t c10;
    uint8_t c11;
    uint8_t c12;
} kit_cxd2858_terr_param_t;

enum { KIT_CXD2858_TERR_PARAM_ROWS = 29 };
extern const kit_cxd2858_terr_param_t g_terr_param_table[KIT_CXD2858_TERR_PARAM_ROWS];

// One per tuner, caller-owned, filled by kit_cxd2858_Create.
typedef struct kit_cxd2858_t {
    uint32_t xtalCode;
    uint8_t i2cAddress;  // 8-bit form
    kit_i2c_t* i2c;
    uint32_t flags;
    kit_cxd2858_state_t state;
    uint32_t frequencyKHz;  // of the current tune, 0 in sleep
    uint32_t system;        // 0 none
    uint32_t symbolRateKSps;  // of the current satellite tune, 0 otherwise
    uint8_t isFreesatMode;
    const kit_cxd2858_terr_param_t* terrParamTable;
    uint8_t xtalDrive;  // 0..31
    uint8_t xtalLoad;
    uint32_t user;      // the caller's; the driver never reads it
} kit_cxd2858_t;

// Every operation gives 1 for a missing tuner or I2C table, 2 for a failed register access.
kit_result_t kit_cxd2858_Create(kit_cxd2858_t* tuner, uint32_t xtalCode, uint8_t i2cAddress, kit_i2c_t* i2c,
                                uint32_t flags);
// Checks the chip (8 for an unknown one, 4 when it does not come up) and programs the
// start-up registers whatever the state was; sleep on success.
kit_result_t kit_cxd2858_Initialize(kit_cxd2858_t* tuner);
// Terrestrial tune, leaving the satellite half first; the caller waits 50 ms, then ends it.
kit_result_t kit_cxd2858_terr_Tune(kit_cxd2858_t* tuner, uint32_t frequencyKHz, uint32_t system);
kit_result_t kit_cxd2858_terr_TuneEnd(kit_cxd2858_t* tuner);
// Satellite tune, leaving the terrestrial half first. The frequency goes in 4 kHz steps.
kit_result_t kit_cxd2858_sat_Tune(kit_cxd2858_t* tuner, uint32_t frequencyKHz, uint32_t system,
                                  uint32_t symbolRateKSps);
// Retunes within the current half and system.
kit_result_t kit_cxd2858_ShiftFRF(kit_cxd2858_t* tuner, uint32_t frequencyKHz);
kit_result_t kit_cxd2858_Sleep(kit_cxd2858_t* tuner);

kit_result_t kit_cxd2858_SetGPO(kit_cxd2858_t* tuner, uint8_t port, uint8_t value);
kit_result_t kit_cxd2858_GetGPI1(kit_cxd2858_t* tuner, uint8_t* value);
kit_result_t kit_cxd2858_SetRfExtCtrl(kit_cxd2858_t* tuner, uint8_t enable);
// Read by the next satellite tune; no register access.
kit_result_t kit_cxd2858_SetFreesatMode(kit_cxd2858_t* tuner, uint8_t enable);
// Signal strength of the terrestrial tune, on a scale of 100 per gain step. Terrestrial only.
kit_result_t kit_cxd2858_ReadRssi(kit_cxd2858_t* tuner, int32_t* rssi);
// Loads the two RF filter words; asleep or active.
kit_result_t kit_cxd2858_RFFilterConfig(kit_cxd2858_t* tuner, uint8_t coefficient, uint8_t offset);

// The oscillator on and off, as the transitions use them.
kit_result_t kit_cxd2858_X_oscen(kit_cxd2858_t* tuner);
kit_result_t kit_cxd2858_X_oscdis(kit_cxd2858_t* tuner);

#ifdef __cplusplus
}
#endif
