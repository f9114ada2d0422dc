// The demodulator driver's core: the tick that runs the periodic measurement tasks, the
// cancel flag, the MER source and measure-mode switches, the common power-on every standard
// runs, TS output, the chip-identity probe, scan mode and the bus lock a task takes around
// its counter reads. Each public operation has an _m_ form on a given record and a plain
// form on the static one.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// One tick: every enabled slot with a task and a period whose countdown is below 2 runs
// (slots 0 to 7 in order) and restarts its countdown at the period; the others count down.
// Returns err with the first error any task reported.
KxlDrvLibError* DrvCXD2856_m_toc(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_toc(KxlDrvLibError* err);

// The task table.
void DrvCXD2856_m_clear_tasks(st_t_data_CXD2856* state);
// Puts a task in a slot with its enable and period; countdown 0, so it runs on the next tick.
void DrvCXD2856_m_set_task(st_t_data_CXD2856* state, uint32_t slot, DrvCXD2856_task_t task, uint8_t enabled,
                           uint32_t period);

// The cancel flag (the integration handle's), written by the host's events.
void DrvCXD2856_m_set_cancel_flag(uint32_t value, st_t_data_CXD2856* state);
void DrvCXD2856_set_cancel_flag(uint32_t value);
uint8_t DrvCXD2856_m_get_cancel_flag(st_t_data_CXD2856* state);
uint8_t DrvCXD2856_get_cancel_flag(void);
// The handlers given to the host's event registrations.
void DrvCXD2856_set_flag(void);
void DrvCXD2856_clear_flag(void);

// The DVB-T2 MER source: 1 takes the MER from the kit's MER window.
void DrvCXD2856_m_set_measure_mode(uint32_t mode, st_t_data_CXD2856* state);
void DrvCXD2856_set_measure_mode(uint32_t mode);

// Copy a stored result; return the tick counter, so a caller can tell a fresh one.
uint32_t DrvCXD2856_m_get_freq_offset_hz(uint32_t* status, int32_t* hz, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_get_freq_offset_hz(uint32_t* status, int32_t* hz);
uint32_t DrvCXD2856_m_dvbs2_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs2_get_cber(uint32_t* status, float* ber);

// TS output on (non-zero) or off: bank 0x00, register 0xC3 = 0x00 or 0x01.
KxlDrvLibError* DrvCXD2856_m_enable_ts(KxlDrvLibError* err, uint32_t on, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_enable_ts(KxlDrvLibError* err, uint32_t on);
KxlDrvLibError* DrvCXD2856_m_enable_ts_output(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_disable_ts_output(KxlDrvLibError* err, st_t_data_CXD2856* state);

// The adjustment data's external-board flag (0 without adjustment data).
uint32_t DrvCXD2856_m_is_installed_external_board(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_is_installed_external_board(void);

// Looks for the chip at address8, then +4, then +8 (8-bit form): bank 0, then register
// 0xFD; the first address that answers ends the search, and an id of 0x90 sets *present.
// Returns the record of the last transfer.
KxlDrvLibError* DrvCXD2856_read_id(KxlDrvLibError* err, uint32_t address8, uint32_t channel, uint8_t* present);

// Brings the chip up through the integration layer and configures it from the adjustment
// data, unless force is 0 and the chip is already active.
KxlDrvLibError* DrvCXD2856_m_common_poweron(uint32_t force, KxlDrvLibError* err, st_t_data_CXD2856* state);

// The bus lock a task takes before reading counters that must belong to one instant:
// multiplexer bus, I2C bus, scheduler, then the two buses released. A hook answering
// non-zero leaves that value as the error code. The unlock releases the scheduler.
KxlDrvLibError* DrvCXD2856_i2c_scheduler_lock(KxlDrvLibError* err);
void DrvCXD2856_i2c_scheduler_unlock(void);

// The kit's scan mode for a system, with the bus error taking precedence.
KxlDrvLibError* DrvCXD2856_m_set_scan_mode(uint32_t on, uint32_t system, KxlDrvLibError* err,
                                           st_t_data_CXD2856* state);

#ifdef __cplusplus
}
#endif
