// DiSEqC messages: the record the satellite device control sends and receives, and the
// builders of the DiSEqC 1.0/1.1 commands (framing byte, address, command, data).
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { KIT_DISEQC_MESSAGE_LENGTH_MAX = 12 };

typedef struct kit_diseqc_message_t {
    uint8_t data[KIT_DISEQC_MESSAGE_LENGTH_MAX];  // framing, address, command, data
    uint8_t length;
} kit_diseqc_message_t;

// Each builder clears the message and writes framing, address and its command; null gives 1.
kit_result_t kit_diseqc_command_Reset(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_Standby(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_PowerOn(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
// Committed-switch selections (0x20 to 0x27).
kit_result_t kit_diseqc_command_SetLo(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetVR(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetPosA(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetSOA(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetHi(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetHL(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetPosB(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetSOB(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
// Uncommitted-switch selections (0x28 to 0x2F).
kit_result_t kit_diseqc_command_SetS1A(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetS2A(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetS3A(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetS4A(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetS1B(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetS2B(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetS3B(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
kit_result_t kit_diseqc_command_SetS4B(kit_diseqc_message_t* message, uint8_t framing, uint8_t address);
// Write N0 / N1: the committed and uncommitted switch ports in one byte.
kit_result_t kit_diseqc_command_WriteN0(kit_diseqc_message_t* message, uint8_t framing, uint8_t address,
                                        uint8_t data);
kit_result_t kit_diseqc_command_WriteN1(kit_diseqc_message_t* message, uint8_t framing, uint8_t address,
                                        uint8_t data);
// The frequency in 100 kHz units as BCD digit pairs; more than six digits gives 1. The last
// pair is left out when it is 00.
kit_result_t kit_diseqc_command_WriteFreq(kit_diseqc_message_t* message, uint8_t framing, uint8_t address,
                                          uint32_t frequencyKHz);

#ifdef __cplusplus
}
#endif
