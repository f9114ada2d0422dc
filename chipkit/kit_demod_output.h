// The demodulator's output side: the TS and TLV output clock each system's sleep-to-active
// sets up, the data pins tri-stated while asleep, and the chip's general-purpose pins.
#pragma once

#include "kit_demod.h"

#ifdef __cplusplus
extern "C" {
#endif

// Clock mode and rate of the TS output for system (1..11, else 1), from the output mode the
// chip is configured for and the handle's clock settings. State 2 or 3.
kit_result_t kit_demod_SetTSClockModeAndFreq(kit_demod_t* demod, kit_dtv_system_t system);
// The same for the TLV output (DVB-C2 and system 10, else 1). State 2 or 3.
kit_result_t kit_demod_SetTLVClockModeAndFreq(kit_demod_t* demod, kit_dtv_system_t system);
// 1 tri-states the output data pins in use, 0 drives them. State 2 or 3.
kit_result_t kit_demod_SetTSDataPinHiZ(kit_demod_t* demod, uint8_t hiZ);

// The frame of every standard's transitions. A sleep-to-active writes its steps up to the
// tuner-filter switch (the last of them selects SLVT bank 0x10), the switch (register 0xA5,
// from the handle's tuner filter flag), then the steps after it. At its end the output block
// starts and the data pins are driven; on the way to sleep (after the standard has switched
// its output off) the block stops and the pins float.
kit_result_t kit_demod_WriteWakeSequence(kit_demod_t* demod, const kit_demod_reg_step_t* beforeFilter,
                                         uint32_t beforeCount, const kit_demod_reg_step_t* afterFilter,
                                         uint32_t afterCount);
kit_result_t kit_demod_StartOutputBlock(kit_demod_t* demod);
kit_result_t kit_demod_StopOutputBlock(kit_demod_t* demod);

// General-purpose pins 0..10 (above 10 gives 1); state 1, 2 or 3. mode goes to the pin's
// four mode bits (pins 0 and 1 refuse mode 4 with 8); a pin drives its line when enabled
// with a mode other than 1 (and, on pins 3..10, other than 4). Configuration and written
// levels are saved like the configuration items.
kit_result_t kit_demod_GPIOSetConfig(kit_demod_t* demod, uint8_t id, uint8_t enable, uint8_t mode);
kit_result_t kit_demod_GPIORead(kit_demod_t* demod, uint8_t id, uint8_t* value);
kit_result_t kit_demod_GPIOWrite(kit_demod_t* demod, uint8_t id, uint8_t value);

#ifdef __cplusplus
}
#endif
