// Single-cable commands: EN 50494 (ODU channel change, power off, configuration, with their
// PIN-protected variants for multi-dwelling units) and EN 50607 (channel change with or
// without PIN, power off, user-band queries), built byte by byte into DiSEqC messages.
#pragma once

#include "kit_common.h"
#include "kit_diseqc_command.h"

#ifdef __cplusplus
extern "C" {
#endif

// EN 50494: user bands 1..8 (else 7); framing 0xE0, then the address. A null message gives 1.

// Tuning word T = (frequency + 2000 + UB frequency) / 4000 - 350, ten bits (else 7).
kit_result_t kit_singlecable_command_ODU_Channel_change(kit_diseqc_message_t* message, uint8_t address,
                                                        uint8_t userband, uint32_t frequencyKHz, uint8_t bank,
                                                        uint32_t ubFrequencyKHz);
kit_result_t kit_singlecable_command_ODU_PowerOFF(kit_diseqc_message_t* message, uint8_t address,
                                                  uint8_t userband);
kit_result_t kit_singlecable_command_ODU_UbxSignal_ON(kit_diseqc_message_t* message, uint8_t address);
// a, b in 0..1 and c in 0..3 (else 1).
kit_result_t kit_singlecable_command_ODU_Config(kit_diseqc_message_t* message, uint8_t address, uint8_t userband,
                                                uint8_t a, uint8_t b, uint8_t c);
kit_result_t kit_singlecable_command_ODU_LoFreq(kit_diseqc_message_t* message, uint8_t address, uint8_t userband,
                                                uint8_t code);
kit_result_t kit_singlecable_command_ODU_Channel_change_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                            uint8_t userband, uint32_t frequencyKHz, uint8_t bank,
                                                            uint32_t ubFrequencyKHz, uint8_t pin);
kit_result_t kit_singlecable_command_ODU_PowerOFF_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                      uint8_t userband, uint8_t pin);
kit_result_t kit_singlecable_command_ODU_UbxSignal_ON_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                          uint8_t pin);
kit_result_t kit_singlecable_command_ODU_Config_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                    uint8_t userband, uint8_t a, uint8_t b, uint8_t c, uint8_t pin);
kit_result_t kit_singlecable_command_ODU_LoFreq_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                    uint8_t userband, uint8_t code, uint8_t pin);

// EN 50607: user bands 1..32 (else 7); no framing or address byte.

// T in MHz (above 9 sent as T - 100, which must stay below 2048); switch nibbles below 16.
kit_result_t kit_singlecable2_command_ODU_Channel_change(kit_diseqc_message_t* message, uint8_t userband,
                                                         uint32_t tMHz, uint8_t highNibble, uint8_t lowNibble);
kit_result_t kit_singlecable2_command_ODU_Channel_change_PIN(kit_diseqc_message_t* message, uint8_t userband,
                                                             uint32_t tMHz, uint8_t highNibble, uint8_t lowNibble,
                                                             uint8_t pin);
kit_result_t kit_singlecable2_command_ODU_PowerOFF(kit_diseqc_message_t* message, uint8_t userband);
kit_result_t kit_singlecable2_command_ODU_PowerOFF_PIN(kit_diseqc_message_t* message, uint8_t userband,
                                                       uint8_t pin);
kit_result_t kit_singlecable2_command_ODU_UB_avail(kit_diseqc_message_t* message);
kit_result_t kit_singlecable2_command_ODU_UB_PIN(kit_diseqc_message_t* message);
kit_result_t kit_singlecable2_command_ODU_UB_inuse(kit_diseqc_message_t* message);
kit_result_t kit_singlecable2_command_ODU_UB_freq(kit_diseqc_message_t* message, uint8_t userband);
kit_result_t kit_singlecable2_command_ODU_UB_switches(kit_diseqc_message_t* message, uint8_t userband);

#ifdef __cplusplus
}
#endif
