// Steps the satellite parts of the integration layer share: the device-control checks and
// transmissions, and the search runner. Internal to the kit.
#pragma once

#include "kit_common.h"
#include "kit_demod_dvbs_s2_blindscan_subseq.h"
#include "kit_diseqc_command.h"

#ifdef __cplusplus
extern "C" {
#endif

// The checks of the device-control operations: 1 without an LNB controller that sets the
// voltage, 3 unless the demodulator drives the tone (and, when asked, the caller the
// voltage) and the demodulator is asleep or active.
kit_result_t kit_integ_sat_CheckDeviceCtrl(const kit_integ_t* integ, int voltageByCaller);

// What one transmission sets up before it starts (reply timeout 0: no reply expected).
typedef struct kit_integ_sat_transmit_t {
    const kit_diseqc_message_t* message;  // null: no command, only the burst
    uint32_t repeats;
    const kit_diseqc_message_t* message2;
    uint32_t repeats2;
    uint8_t burst;
    uint32_t txIdleMs;
    uint32_t rxIdleMs;  // 0: not written
    uint32_t r2rMs;
    uint32_t replyTimeoutMs;
} kit_integ_sat_transmit_t;

// Tone off, then the command, burst, idle and round-trip times and reply mode.
kit_result_t kit_integ_sat_PrepareTransmit(kit_integ_t* integ, const kit_integ_sat_transmit_t* t);

// Switches the DiSEqC engine on (waking a sleeping LNB controller, which then needs 500 ms)
// or off (putting the controller to sleep).
kit_result_t kit_integ_sat_EnableDeviceCtrl(kit_integ_t* integ, uint8_t on);
// Polls the engine every intervalMs until its transmission has ended: 5 after limitMs.
kit_result_t kit_integ_sat_WaitTransmit(kit_integ_t* integ, uint32_t intervalMs, uint32_t limitMs);
// The same for a command with a reply when no RXEN pin switches the LNB supply: the LNB
// controller is put into receive mode once sending ends, and back when the reply is in.
kit_result_t kit_integ_sat_WaitTransmitSW(kit_integ_t* integ);

// Sends one EN 50494 command (no checks, the cancel flag kept).
kit_result_t kit_integ_sat_SendSinglecable(kit_integ_t* integ, const kit_diseqc_message_t* message);

// Runs a search's step machine to its end, serving its requests after every step; events,
// when given, is called after each step too (to report results and progress).
typedef kit_result_t (*kit_integ_sat_step_t)(void* seq);
typedef kit_result_t (*kit_integ_sat_events_t)(kit_integ_t* integ, void* context);
kit_result_t kit_integ_sat_RunSearch(kit_integ_t* integ, kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                     kit_integ_sat_step_t step, void* seq, kit_integ_sat_events_t events,
                                     void* context);

#ifdef __cplusplus
}
#endif
