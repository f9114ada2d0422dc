// The integration layer: one demodulator bound to its terrestrial/cable tuner, satellite tuner
// and LNB controller, with one call per job (create, initialise, tune and wait for lock, scan,
// read the RF level). Every tuner call goes through the demodulator's I2C repeater, which is
// switched off again whatever the tuner answered. Waits poll every 10 ms on the kit's clock
// and end early on the handle's cancel flag. The per-standard calls are in kit_integ_<std>.h.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Null integ, demod, createParam or i2c gives 1. Creates the demodulator and keeps the three
// optional records (any may be null); the cancel flag is cleared as a tune clears it (a zeroed
// handle starts without a stop).
kit_result_t kit_integ_Create(kit_integ_t* integ, kit_demod_t* demod, const kit_demod_create_param_t* createParam,
                              kit_i2c_t* i2c, kit_tuner_terr_cable_t* terrTuner, kit_tuner_sat_t* satTuner,
                              kit_lnbc_t* lnbc);
// Demodulator, then both tuners through the repeater, then the LNB controller (initialised and
// put to sleep). Stops at the first failure and returns it.
kit_result_t kit_integ_Initialize(kit_integ_t* integ);
// Demodulator and tuners to sleep. State 1 to 3.
kit_result_t kit_integ_Sleep(kit_integ_t* integ);
// Everything down: the demodulator through sleep, tuners shut down, LNB controller asleep.
// State 1 to 3; already shut down gives 0 at once.
kit_result_t kit_integ_Shutdown(kit_integ_t* integ);
// Makes every wait and scan end with 9 at its next check. Safe from any thread.
kit_result_t kit_integ_Cancel(kit_integ_t* integ);
// 9 when the cancel flag is set (the stop counts as answered from then on), else 0. Every
// check of the kit and of the driver above it goes through here, on the tuning thread.
kit_result_t kit_integ_CheckCancellation(kit_integ_t* integ);
// The host's clear, when it takes up new work: lowers whatever stop is raised. Safe from any
// thread; the host orders it with its own raises.
kit_result_t kit_integ_ClearCancellation(kit_integ_t* integ);

// ---- What the per-standard modules share ----------------------------------------------

enum { KIT_INTEG_POLL_MS = 10 };

// Who clears the cancel flag at the start of a tune: always (DVB-T, DVB-T2, the EWS tune) or
// only outside scan mode (a scan must stay cancellable through its tunes).
typedef enum { KIT_INTEG_CANCEL_CLEAR_ALWAYS, KIT_INTEG_CANCEL_CLEAR_OUTSIDE_SCAN } kit_integ_cancel_clear_t;

// The clear a tune or a command starts with: it lowers the stop the kit last answered with 9,
// and never one raised since, even a moment before: that one is for the work now starting.
void kit_integ_ClearAnsweredCancel(kit_integ_t* integ);

// The checks every tune starts with: null integ, demodulator or parameters give 1, a
// demodulator neither asleep nor active 3; then the cancel flag as told.
kit_result_t kit_integ_BeginTune(kit_integ_t* integ, const void* param, kit_integ_cancel_clear_t clear);

// The terrestrial tuner's Tune through the repeater; nothing when there is no tuner or slot.
// The repeater is switched off after the call whatever it gave; the tuner's failure wins over
// a failure to switch it off.
kit_result_t kit_integ_TunerTune(kit_integ_t* integ, uint32_t frequencyKHz, kit_dtv_system_t system,
                                 kit_dtv_bandwidth_t bandwidth);

// The satellite tuner's Tune and Sleep, through the repeater in the same way.
kit_result_t kit_integ_SatTunerTune(kit_integ_t* integ, uint32_t frequencyKHz, kit_dtv_system_t system,
                                    uint32_t symbolRateKSps);
kit_result_t kit_integ_SatTunerSleep(kit_integ_t* integ);

// What follows a standard's demodulator tune that gave demodResult: the tuner through the
// repeater, then the demodulator's tune end. The first failure is returned.
kit_result_t kit_integ_TunerAndTuneEnd(kit_integ_t* integ, kit_result_t demodResult, uint32_t frequencyKHz,
                                       kit_dtv_system_t tunerSystem, kit_dtv_bandwidth_t bandwidth);

typedef kit_result_t (*kit_integ_lock_check_t)(kit_demod_t* demod, kit_demod_lock_result_t* lock);
typedef kit_result_t (*kit_integ_poll_hook_t)(kit_demod_t* demod);
// Polls check every 10 ms: locked gives 0, unlock 6, the cancel flag 9, a poll whose elapsed
// time (read before the check) is at or past limitMs 5. The lock is always read once more
// after the limit has passed, so a lock first seen there counts. afterCheck (may be null)
// runs after every check. Active demodulator only.
kit_result_t kit_integ_WaitLock(kit_integ_t* integ, kit_integ_lock_check_t check, kit_integ_poll_hook_t afterCheck,
                                uint32_t limitMs);
// Waits ms in 10 ms steps; 9 as soon as the cancel flag is seen.
kit_result_t kit_integ_WaitCancellable(kit_integ_t* integ, uint32_t ms);

typedef kit_result_t (*kit_integ_ifagc_monitor_t)(kit_demod_t* demod, uint32_t* ifAgc);
// RF level in dBm x 1000 of a demodulator active on system: the tuner's own reading through
// the repeater, else the tuner's conversion of the standard's IF AGC value; 8 when there is
// no tuner or it can do neither, 3 when not active on system.
kit_result_t kit_integ_RFLevel(kit_integ_t* integ, kit_dtv_system_t system, kit_integ_ifagc_monitor_t ifAgc,
                               int32_t* levelDbmX1000);

// A scan over start, start + step, ... end (kHz) with one bandwidth: DVB-C, J.83 Annex B,
// ISDB-T and DVB-T scans take it as it is, the DVB-T2 and DVB-T/T2 scans add to it.
typedef struct kit_integ_scan_param_t {
    uint32_t startFrequencyKHz;
    uint32_t endFrequencyKHz;
    uint32_t stepFrequencyKHz;
    kit_dtv_bandwidth_t bandwidth;
} kit_integ_scan_param_t;

// Tries one frequency of a scan and reports it; its result decides whether the scan goes on.
typedef kit_result_t (*kit_integ_scan_try_t)(kit_integ_t* integ, uint32_t frequencyKHz, void* context);
// Whether a scan goes on after a try that gave result (0 found, 5 nothing in time, 6 unlock).
int kit_integ_ScanGoesOn(kit_result_t result);
// The frequency loop of the scans: scan mode on for system, try start, start + step, ... up
// to and including end, never past the top of the 32-bit range; a try whose result stops the
// scan ends it with that result, the cancel flag after a frequency with 9; scan mode off at
// the end. end below start or step 0 give 1.
kit_result_t kit_integ_ScanRange(kit_integ_t* integ, kit_dtv_system_t system, uint32_t startKHz, uint32_t endKHz,
                                 uint32_t stepKHz, kit_integ_scan_try_t tryFrequency, void* context);
// Switches scan mode off and keeps the first failure: the scans' way out.
kit_result_t kit_integ_EndScan(kit_integ_t* integ, kit_dtv_system_t system, kit_result_t result);

// Signal-strength indicator 0..100 from an RF level and the reference level of the signal's
// modulation, both in dBm x 1000.
uint8_t kit_integ_CalcSSI(int32_t levelDbmX1000, int32_t referenceDbmX1000);

#ifdef __cplusplus
}
#endif
