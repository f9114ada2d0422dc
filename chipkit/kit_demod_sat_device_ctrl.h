// The demodulator's DiSEqC engine: the 22 kHz tone on its DSQOUT pin, DiSEqC messages and
// tone bursts out, DiSEqC 2.x replies in, the TXEN and RXEN pins that switch an LNB supply
// between sending and receiving, and the single-cable flag. Registers in SLVT bank 0xBB.
#pragma once

#include "kit_common.h"
#include "kit_diseqc_command.h"

#ifdef __cplusplus
extern "C" {
#endif

// Unless said otherwise: state 2 or 3 (else 3), 1 for a null handle, 2 on an I2C failure.
kit_result_t kit_demod_sat_device_ctrl_Enable(kit_demod_t* demod, uint8_t on);
// Output polarity (0 or 1, else 1) and tone frequency (22 or 44 kHz, else 7); kept for wake-up.
kit_result_t kit_demod_sat_device_ctrl_DSQOUTSetting(kit_demod_t* demod, uint8_t polarity, uint32_t toneKHz);
// Pin modes 0..3 (else 1); times in ms, 22 counts a ms in 16 bits (longer gives 1). Kept for
// wake-up.
kit_result_t kit_demod_sat_device_ctrl_RXENSetting(kit_demod_t* demod, uint8_t mode, uint32_t delayMs);
kit_result_t kit_demod_sat_device_ctrl_TXENSetting(kit_demod_t* demod, uint8_t mode, uint32_t beforeMs,
                                                   uint32_t afterMs);
kit_result_t kit_demod_sat_device_ctrl_OutputTone(kit_demod_t* demod, uint8_t on);
// 0 none, 1 and 2 the two tone-burst kinds; others give 1.
kit_result_t kit_demod_sat_device_ctrl_SetToneBurst(kit_demod_t* demod, uint8_t burst);
// Off, or on with a message sent repeats times (1..15) and an optional second one sent
// repeats2 times (0..15); lengths up to 12, anything else gives 1 before a register is written.
kit_result_t kit_demod_sat_device_ctrl_SetDiseqcCommand(kit_demod_t* demod, uint8_t on,
                                                        const kit_diseqc_message_t* message, uint32_t repeats,
                                                        const kit_diseqc_message_t* message2, uint32_t repeats2);
// Times the registers count in 22 (RX idle: 220) steps a ms; what they cannot hold gives 1:
// TX idle up to 186 ms, RX idle up to 297 ms, round trip up to 744 ms.
kit_result_t kit_demod_sat_device_ctrl_SetTxIdleTime(kit_demod_t* demod, uint32_t ms);
kit_result_t kit_demod_sat_device_ctrl_SetRxIdleTime(kit_demod_t* demod, uint32_t ms);
kit_result_t kit_demod_sat_device_ctrl_SetR2RTime(kit_demod_t* demod, uint32_t ms);
// Waits for a reply for up to timeoutMs (up to 744 ms) when on.
kit_result_t kit_demod_sat_device_ctrl_SetDiseqcReplyMode(kit_demod_t* demod, uint8_t on, uint32_t timeoutMs);
// Framing bytes a reply may carry: those equal to pattern outside mask. No state check.
kit_result_t kit_demod_sat_device_ctrl_SetDiseqcReplyMask(kit_demod_t* demod, uint8_t pattern, uint8_t mask);
kit_result_t kit_demod_sat_device_ctrl_StartTransmit(kit_demod_t* demod);
// 0 once the transmission (and the reply window) has ended; 2 while sending.
kit_result_t kit_demod_sat_device_ctrl_GetTransmitStatus(kit_demod_t* demod, uint8_t* status);
// The reply received; 4 when none came or it is too long, and the message is left alone.
kit_result_t kit_demod_sat_device_ctrl_GetReplyMessage(kit_demod_t* demod, kit_diseqc_message_t* message);
// 1 when a pin is configured as RXEN (TXEN) and the pin's mode makes it switch, else 0; 4 for
// a mode the chip does not define.
kit_result_t kit_demod_sat_device_ctrl_GetRXENMode(kit_demod_t* demod, uint8_t* inUse);
kit_result_t kit_demod_sat_device_ctrl_GetTXENMode(kit_demod_t* demod, uint8_t* inUse);
// Marks the satellite input as fed by a single-cable outdoor unit. No state check.
kit_result_t kit_demod_sat_device_ctrl_EnableSinglecable(kit_demod_t* demod, uint8_t on);

#ifdef __cplusplus
}
#endif
