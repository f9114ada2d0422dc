// Satellite device control of the integration layer: the demodulator's DiSEqC engine
// together with the LNB controller (supply voltage, 22 kHz tone, tone burst, DiSEqC
// commands with and without reply).
#pragma once

#include "kit_common.h"
#include "kit_diseqc_command.h"

#ifdef __cplusplus
extern "C" {
#endif

// Every operation but Disable needs an LNB controller with a SetVoltage slot (else 1), whose
// tone is left to the demodulator (setting 2) and voltage to the caller (not 2), and the
// demodulator asleep or active (else 3). They return the first failure.

// The engine off and the LNB controller asleep; only the demodulator is checked.
kit_result_t kit_integ_sat_device_ctrl_Disable(kit_integ_t* integ);
kit_result_t kit_integ_sat_device_ctrl_SetVoltageTone(kit_integ_t* integ, uint8_t isVoltageHigh, uint8_t isToneOn);
// Burst 0 none, 1 and 2 the two kinds; the tone is set as asked once the burst is out.
kit_result_t kit_integ_sat_device_ctrl_TransmitToneBurst(kit_integ_t* integ, uint8_t isVoltageHigh, uint8_t burst,
                                                         uint8_t isToneOn);
// Sends message repeats times (1..15), then message2 repeats2 times (0..15), then the
// burst; waits up to a second per sending. 5 when it does not end in time (the tone is then
// left off), 9 when cancelled.
kit_result_t kit_integ_sat_device_ctrl_TransmitDiseqcCommand(kit_integ_t* integ, uint8_t isVoltageHigh,
                                                             uint8_t burst, uint8_t isToneOn,
                                                             const kit_diseqc_message_t* message, uint32_t repeats,
                                                             const kit_diseqc_message_t* message2,
                                                             uint32_t repeats2);
// Sends command once and receives the outdoor unit's reply (framing 0xE4 to 0xE7); 4 when no
// valid reply came.
kit_result_t kit_integ_sat_device_ctrl_TransmitDiseqcCommandWithReply(kit_integ_t* integ, uint8_t isVoltageHigh,
                                                                      uint8_t burst, uint8_t isToneOn,
                                                                      const kit_diseqc_message_t* command,
                                                                      kit_diseqc_message_t* reply);

#ifdef __cplusplus
}
#endif
