// Records every module of the demodulator driver kit shares: result codes, system and
// bandwidth ids, the I2C access table the platform fills, the demodulator handle, the tuner,
// LNB-controller and integration records, the stopwatch and the tune parameters.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t kit_result_t;
enum {
    KIT_RESULT_OK = 0,
    KIT_RESULT_ERROR_ARG = 1,        // null pointer, value outside a list
    KIT_RESULT_ERROR_I2C = 2,        // a transfer failed (whatever the slot said)
    KIT_RESULT_ERROR_SW_STATE = 3,   // not allowed in the current state, or wrong system
    KIT_RESULT_ERROR_HW_STATE = 4,   // monitor value not locked or not valid yet
    KIT_RESULT_ERROR_TIMEOUT = 5,
    KIT_RESULT_ERROR_UNLOCK = 6,     // unlock detected
    KIT_RESULT_ERROR_RANGE = 7,
    KIT_RESULT_ERROR_NOSUPPORT = 8,  // system, bandwidth, chip or configuration id
    KIT_RESULT_ERROR_CANCEL = 9,
    KIT_RESULT_ERROR_OTHER = 10,     // a monitor value outside the kit's tables
    KIT_RESULT_ERROR_OVERFLOW = 11,  // saved-register memory full
    KIT_RESULT_DATA_PLP_ERROR = 12,  // DVB-T2 locked, but the data PLP reports an error
};

typedef uint32_t kit_dtv_system_t;
enum {
    KIT_DTV_SYSTEM_UNKNOWN = 0,
    KIT_DTV_SYSTEM_DVBT = 1,
    KIT_DTV_SYSTEM_DVBT2 = 2,
    KIT_DTV_SYSTEM_DVBC = 3,
    KIT_DTV_SYSTEM_DVBC2 = 4,
    KIT_DTV_SYSTEM_DVBS = 5,
    KIT_DTV_SYSTEM_DVBS2 = 6,
    KIT_DTV_SYSTEM_ISDBT = 7,
    // 8 to 10 belong to systems this chip build does not run; 10 still selects rows of the
    // output-clock tables and has a TLV output flag of its own.
    KIT_DTV_SYSTEM_RESERVED8 = 8,
    KIT_DTV_SYSTEM_RESERVED9 = 9,
    KIT_DTV_SYSTEM_RESERVED10 = 10,
    KIT_DTV_SYSTEM_J83B = 11,
    KIT_DTV_SYSTEM_ANY = 12,  // blind tune of T/T2, satellite tune of S/S2
    KIT_DTV_SYSTEM_COUNT = 13,
};

typedef uint32_t kit_dtv_bandwidth_t;
enum {
    KIT_DTV_BW_UNKNOWN = 0,
    KIT_DTV_BW_1_7_MHZ = 1,  // DVB-T2 only
    KIT_DTV_BW_5_MHZ = 5,
    KIT_DTV_BW_6_MHZ = 6,
    KIT_DTV_BW_7_MHZ = 7,
    KIT_DTV_BW_8_MHZ = 8,
    KIT_DTV_BW_J83B_50 = 50,
    KIT_DTV_BW_J83B_51 = 51,
};

// ---- I2C access table ---------------------------------------------------------------
// Addresses are 8-bit forms (the 7-bit address shifted left by one). Every slot returns
// a kit_result_t, 2 on a bus failure.

// Mode word of the raw Read and Write slots.
enum {
    KIT_I2C_MODE_NO_STOP = 1,   // a sub-address write that a read with repeated start follows
    KIT_I2C_MODE_COMPLETE = 3,  // a complete transfer
};

typedef struct kit_i2c_t {
    kit_result_t (*Read)(struct kit_i2c_t* i2c, uint8_t address, uint8_t* buffer, uint32_t length, uint8_t mode);
    kit_result_t (*Write)(struct kit_i2c_t* i2c, uint8_t address, const uint8_t* data, uint32_t length,
                          uint8_t mode);
    kit_result_t (*ReadRegister)(struct kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, uint8_t* buffer,
                                 uint32_t length);
    kit_result_t (*WriteRegister)(struct kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, const uint8_t* data,
                                  uint32_t length);
    kit_result_t (*WriteOneRegister)(struct kit_i2c_t* i2c, uint8_t address, uint8_t subAddress, uint8_t value);
    uint8_t gwAddress;
    uint8_t gwSub;
    void* user;  // owned by the platform binding
} kit_i2c_t;

// ---- Demodulator handle -------------------------------------------------------------

typedef uint32_t kit_demod_state_t;
enum {
    KIT_DEMOD_STATE_UNKNOWN = 0,  // created, not initialised
    KIT_DEMOD_STATE_SHUTDOWN = 1,
    KIT_DEMOD_STATE_SLEEP = 2,
    KIT_DEMOD_STATE_ACTIVE = 3,
    KIT_DEMOD_STATE_INVALID = 4,  // a transition failed half-way; only initialise recovers
};

// Crystal ids the chip accepts (written to it at initialise).
enum { KIT_DEMOD_XTAL_ID_MAX = 2 };

// Tuner-I2C mode: 1 reaches the tuner through the demodulator's I2C repeater.
enum { KIT_DEMOD_TUNER_I2C_DIRECT = 0, KIT_DEMOD_TUNER_I2C_REPEATER = 1 };

typedef struct kit_demod_create_param_t {
    uint32_t xtalId;        // 0, 1 or 2
    uint8_t slvtAddress;    // 8-bit form; SLVX is SLVT + 4
    uint32_t tunerI2cMode;  // KIT_DEMOD_TUNER_I2C_*
} kit_demod_create_param_t;

// IF frequency words, IF x 2^24 / 48 MHz, one per standard and bandwidth. The band
// settings write them big-endian into SLVT bank 0x10 registers 0xB6-0xB8.
typedef struct kit_demod_iffreq_config_t {
    uint32_t dvbt5, dvbt6, dvbt7, dvbt8;
    uint32_t dvbt2_1_7, dvbt2_5, dvbt2_6, dvbt2_7, dvbt2_8;
    uint32_t dvbc2_6, dvbc2_8;
    uint32_t dvbc6, dvbc7, dvbc8;
    uint32_t isdbt6, isdbt7, isdbt8;
    uint32_t j83b50, j83b51;
} kit_demod_iffreq_config_t;

// One register write the chip must get back after shutdown: what was written under mask.
typedef struct kit_demod_saved_register_t {
    uint8_t address;
    uint8_t bank;
    uint8_t reg;
    uint8_t value;
    uint8_t mask;
} kit_demod_saved_register_t;

enum { KIT_DEMOD_SAVED_REGISTERS_MAX = 100 };

// Caller-owned; kit_demod_Create clears all of it first.
typedef struct kit_demod_t {
    uint32_t xtalId;
    uint8_t slvtAddress;
    uint8_t slvxAddress;
    kit_i2c_t* i2c;
    uint32_t tunerI2cMode;
    uint32_t tunerI2cModeAtCreate;  // what initialise applies again

    // Output and option settings (configuration items).
    uint8_t parallelTsClock;         // 0 means 8
    uint8_t serialTsClockRow;        // 0 or 1
    uint8_t tsClockGating;
    kit_demod_saved_register_t savedRegisters[KIT_DEMOD_SAVED_REGISTERS_MAX];
    uint8_t savedRegisterCount;
    kit_demod_iffreq_config_t ifFreq;
    uint32_t tunerFilter;            // 1: the band settings load the filter-coefficient blocks
    uint32_t ifSpectrumInverted;     // flips every carrier-offset and spectrum-sense monitor
    uint32_t serialTsRate;           // terrestrial and cable, 1..5
    uint8_t blindTuneT2First;
    uint32_t satIQInverted;          // the satellite tuner inverts the spectrum
    uint8_t satIQPolarity;
    uint32_t satSerialTsRate;        // 0..5
    uint8_t satSearch;               // 0..7
    uint8_t tlvOutputSystem10;
    uint8_t tlvOutputDvbc2;
    uint8_t serialTlvClockRow;       // 0 or 1
    uint32_t tlvRateSerialDvbc2;     // 1..5
    uint32_t tlvRateSerialSystem10;  // 0..5
    uint32_t tlvRateParallelDvbc2;   // 1..2
    uint32_t tlvRateParallelSystem10;  // 1..2

    kit_demod_state_t state;
    kit_dtv_system_t system;         // 0 when not active
    uint32_t chipId;
    kit_dtv_bandwidth_t bandwidth;   // of the last tune
    uint8_t scanMode;
    uint32_t isdbtEwsState;
    uint8_t satState;
    uint8_t singleCable;
} kit_demod_t;

// What every CheckDemodLock and CheckTSLock reports.
typedef uint32_t kit_demod_lock_result_t;
enum {
    KIT_DEMOD_LOCK_RESULT_NOTDETECT = 0,  // not locked yet
    KIT_DEMOD_LOCK_RESULT_LOCKED = 1,
    KIT_DEMOD_LOCK_RESULT_UNLOCKED = 2,   // the demodulator gave up
};

// ---- Tuners, LNB controller, integration --------------------------------------------

// Terrestrial and cable tuner. A null slot is skipped by the integration layer.
typedef struct kit_tuner_terr_cable_t {
    uint32_t tunerData[3];  // the tuner implementation's own
    uint32_t frequencyKHz;
    kit_dtv_system_t system;
    kit_dtv_bandwidth_t bandwidth;
    kit_result_t (*Initialize)(struct kit_tuner_terr_cable_t* tuner);
    kit_result_t (*Tune)(struct kit_tuner_terr_cable_t* tuner, uint32_t frequencyKHz, kit_dtv_system_t system,
                         kit_dtv_bandwidth_t bandwidth);
    kit_result_t (*Sleep)(struct kit_tuner_terr_cable_t* tuner);
    kit_result_t (*Shutdown)(struct kit_tuner_terr_cable_t* tuner);
    kit_result_t (*ReadRFLevel)(struct kit_tuner_terr_cable_t* tuner, int32_t* levelDbmX1000);
    kit_result_t (*CalcRFLevelFromAGC)(struct kit_tuner_terr_cable_t* tuner, uint32_t ifAgc,
                                       int32_t* levelDbmX1000);
    uint32_t user;
} kit_tuner_terr_cable_t;

// Satellite tuner. The tuner writes frequencyKHz after each tune; symbolRateKSps is used
// when a caller passes 0.
typedef struct kit_tuner_sat_t {
    uint8_t i2cAddress;
    kit_i2c_t* i2c;
    uint32_t flags;
    uint32_t frequencyKHz;
    uint32_t symbolRateKSps;
    kit_result_t (*Initialize)(struct kit_tuner_sat_t* tuner);
    kit_result_t (*Tune)(struct kit_tuner_sat_t* tuner, uint32_t frequencyKHz, kit_dtv_system_t system,
                         uint32_t symbolRateKSps);
    kit_result_t (*Sleep)(struct kit_tuner_sat_t* tuner);
    kit_result_t (*Shutdown)(struct kit_tuner_sat_t* tuner);
    kit_result_t (*AGCLevel2AGCdB)(struct kit_tuner_sat_t* tuner, uint32_t ifAgc, int32_t* agcDb);
    void* user;  // the single-cable tuner leads through it to its own data
} kit_tuner_sat_t;

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

// One demodulator with what hangs on it; only the demodulator is required.
typedef struct kit_integ_t {
    kit_demod_t* demod;
    kit_tuner_terr_cable_t* tunerTerrCable;
    kit_tuner_sat_t* tunerSat;
    kit_lnbc_t* lnbc;
    // The stop another thread may raise, read and written only through the cancel calls of
    // kit_integ.h, atomically: bit 0 is the stop, the bits above count the stops raised, so
    // that a clear of the stop the kit answered fails once a newer one has been raised.
    uint32_t cancel;
    // The word as the kit last answered it with 9 (the tuning thread's own).
    uint32_t cancelAnswered;
} kit_integ_t;

typedef struct kit_stopwatch_t {
    uint32_t startMs;
} kit_stopwatch_t;

// ---- Tune parameters ----------------------------------------------------------------

typedef struct kit_dvbc_tune_param_t {
    uint32_t centerFreqKHz;
    kit_dtv_bandwidth_t bandwidth;
} kit_dvbc_tune_param_t;

typedef kit_dvbc_tune_param_t kit_j83b_tune_param_t;
typedef kit_dvbc_tune_param_t kit_isdbt_tune_param_t;

enum { KIT_DVBT_PROFILE_HP = 0, KIT_DVBT_PROFILE_LP = 1 };

typedef struct kit_dvbt_tune_param_t {
    uint32_t centerFreqKHz;
    kit_dtv_bandwidth_t bandwidth;
    uint32_t profile;  // KIT_DVBT_PROFILE_*
} kit_dvbt_tune_param_t;

enum { KIT_DVBT2_PROFILE_BASE = 0, KIT_DVBT2_PROFILE_LITE = 1, KIT_DVBT2_PROFILE_ANY = 2 };

typedef struct kit_dvbt2_tune_param_t {
    uint32_t centerFreqKHz;
    kit_dtv_bandwidth_t bandwidth;
    uint32_t dataPlpId;
    uint32_t profile;   // KIT_DVBT2_PROFILE_BASE or _LITE
    uint32_t tuneInfo;  // out: 1 when the data PLP reports an error
} kit_dvbt2_tune_param_t;

typedef struct kit_dvbc2_tune_param_t {
    uint32_t centerFreqKHz;
    kit_dtv_bandwidth_t bandwidth;  // 6 or 8
    uint8_t dataSliceId;
    uint8_t dataPlpId;
    uint8_t isNotch;                // a broadband notch lies in the tuning window
    uint32_t dataSliceTuneFreqKHz;  // 0: tune the tuner to the centre frequency
} kit_dvbc2_tune_param_t;

typedef struct kit_dvbs_s2_tune_param_t {
    kit_dtv_system_t system;  // DVB-S, DVB-S2 or any
    uint32_t centerFreqKHz;
    uint32_t symbolRateKSps;
} kit_dvbs_s2_tune_param_t;

#ifdef __cplusplus
}
#endif
