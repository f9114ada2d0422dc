// The demodulator's own life cycle (create, initialise, sleep, shutdown, tune end), its
// chip id, tuner-I2C path and repeater, the saved-register memory that the chip gets back
// after every power-up, and the register access every standard's sequences are built of.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- Life cycle ---------------------------------------------------------------------

// Clears the handle, takes the creation parameters and sets the defaults; state 0.
kit_result_t kit_demod_Create(kit_demod_t* demod, const kit_demod_create_param_t* createParam, kit_i2c_t* i2c);
// Powers the chip up: state 2 (sleep) on success; a failed power-up write leaves state 0,
// a failure after it (tuner-I2C path, chip id, replay) state 4.
kit_result_t kit_demod_Initialize(kit_demod_t* demod);
// From shutdown (wakes and replays the saved registers), active (the system's own sleep) or
// sleep; state 2, system 0. A failure half-way leaves state 4.
kit_result_t kit_demod_Sleep(kit_demod_t* demod);
// From active (sleeps first), sleep or shutdown; state 1, system 0.
kit_result_t kit_demod_Shutdown(kit_demod_t* demod);
// Ends a tune: soft reset, then the TS (or TLV) output on. Active only.
kit_result_t kit_demod_TuneEnd(kit_demod_t* demod);
kit_result_t kit_demod_SoftReset(kit_demod_t* demod);
kit_result_t kit_demod_ChipID(kit_demod_t* demod, uint32_t* chipId);

// Chip ids this kit runs.
enum { KIT_DEMOD_CHIP_ID_A = 0x90, KIT_DEMOD_CHIP_ID_B = 0x91 };

// Opens (mode 1) or closes the tuner's I2C path through the demodulator. Saved while the
// handle is shut down, asleep or active; written unsaved before initialise or when invalid.
kit_result_t kit_demod_TunerI2cEnable(kit_demod_t* demod, uint32_t mode);
// Switches the I2C repeater; does nothing unless the tuner-I2C mode is the repeater.
kit_result_t kit_demod_I2cRepeaterEnable(kit_demod_t* demod, uint8_t on);

// Writes value under mask to reg in bank of the device at address and remembers it, merged
// with an earlier write of the same register, so that the chip gets it back after shutdown.
// With the memory full the register is still written and the result is 11.
kit_result_t kit_demod_SetAndSaveRegisterBits(kit_demod_t* demod, uint8_t address, uint8_t bank, uint8_t reg,
                                              uint8_t value, uint8_t mask);

// Scan mode: DVB-C and J.83 Annex B also switch the chip's own scan bit.
kit_result_t kit_demod_terr_cable_SetScanMode(kit_demod_t* demod, kit_dtv_system_t system, uint8_t on);
// Replaces every IF frequency word.
kit_result_t kit_demod_SetIFFreqConfig(kit_demod_t* demod, const kit_demod_iffreq_config_t* ifFreq);
// The 14-bit internal digital AGC value. Active only.
kit_result_t kit_demod_terr_cable_monitor_InternalDigitalAGCOut(kit_demod_t* demod, uint32_t* agc);

// ---- Transitions of the standards ---------------------------------------------------

// A register sequence of one standard (sleep-to-active, retune); param is the standard's.
typedef kit_result_t (*kit_demod_sequence_t)(kit_demod_t* demod, const void* param);

// Settles a sleep-to-active or retune transition: on success the handle is active on system;
// on failure it is invalid with system 0, so that nothing takes a half-active chip for a
// sleeping or a working one and the next power-on initialises again. Returns result.
kit_result_t kit_demod_FinishTransition(kit_demod_t* demod, kit_dtv_system_t system, kit_result_t result);

// The tune of a standard: from sleep, sleepToActive; active on system, retune; active on
// another system, kit_demod_Sleep then sleepToActive. System and bandwidth are set on the
// handle before a sequence runs (the band settings read them). Other states give 3.
kit_result_t kit_demod_TuneSystem(kit_demod_t* demod, kit_dtv_system_t system, kit_dtv_bandwidth_t bandwidth,
                                  kit_demod_sequence_t sleepToActive, kit_demod_sequence_t retune,
                                  const void* param);

// What every monitor of a standard checks first: a usable handle (else 1) that is active on
// system (else 3).
kit_result_t kit_demod_CheckActive(const kit_demod_t* demod, kit_dtv_system_t system);

// ---- Register access on the two ports -----------------------------------------------
// Register 0x00 of a port selects its bank. Any failed transfer gives 2.

typedef enum { KIT_DEMOD_SLVT = 0, KIT_DEMOD_SLVX = 1 } kit_demod_port_t;

uint8_t kit_demod_PortAddress(const kit_demod_t* demod, kit_demod_port_t port);
kit_result_t kit_demod_SetBank(kit_demod_t* demod, kit_demod_port_t port, uint8_t bank);
kit_result_t kit_demod_WriteReg(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, uint8_t value);
kit_result_t kit_demod_WriteRegs(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, const uint8_t* data,
                                 uint32_t length);
kit_result_t kit_demod_ReadRegs(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, uint8_t* data,
                                uint32_t length);
// Selects bank on port, then writes or reads length bytes from reg.
kit_result_t kit_demod_WriteRegsInBank(kit_demod_t* demod, kit_demod_port_t port, uint8_t bank, uint8_t reg,
                                       const uint8_t* data, uint32_t length);
kit_result_t kit_demod_ReadRegsInBank(kit_demod_t* demod, kit_demod_port_t port, uint8_t bank, uint8_t reg,
                                      uint8_t* data, uint32_t length);
// The longest read the demodulator's I2C binding carries whole; it refuses longer ones.
enum { KIT_DEMOD_READ_MAX = 100 };
// count ids (at most 255) of the chip's id list: the first 128 from bank 0x22 register 0x80
// on, the rest from bank 0x23 register 0x10 on, in reads of at most KIT_DEMOD_READ_MAX bytes.
kit_result_t kit_demod_ReadIdList(kit_demod_t* demod, uint8_t* ids, uint32_t count);
// value under mask, as kit_i2c_SetRegisterBits (not saved).
kit_result_t kit_demod_SetRegBits(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, uint8_t value,
                                  uint8_t mask);

// One step of a register sequence: value under mask to reg on port (reg 0x00 selects the
// bank), then a wait of waitMs.
typedef struct kit_demod_reg_step_t {
    uint8_t port;  // kit_demod_port_t
    uint8_t reg;
    uint8_t value;
    uint8_t mask;
    uint8_t waitMs;
} kit_demod_reg_step_t;

// A whole-byte step without a wait, and the length of a step table.
#define KIT_DEMOD_STEP(port, reg, value) {(port), (reg), (value), 0xFF, 0}
#define KIT_DEMOD_STEP_COUNT(steps) ((uint32_t)(sizeof(steps) / sizeof((steps)[0])))

// Runs the steps in order and stops at the first failure.
kit_result_t kit_demod_WriteSequence(kit_demod_t* demod, const kit_demod_reg_step_t* steps, uint32_t count);

// Monitor freeze: SLVT register 0x01 (present in every bank) holds the monitor registers
// still for a consistent multi-register read. Release returns result when it is a failure,
// else the release write's own result, so a monitor can end with
// `return kit_demod_MonitorRelease(demod, r);` on every path.
kit_result_t kit_demod_MonitorFreeze(kit_demod_t* demod);
kit_result_t kit_demod_MonitorRelease(kit_demod_t* demod, kit_result_t result);

#ifdef __cplusplus
}
#endif
