// What the DVB-C and J.83 Annex B tunes share: both wake the same single-carrier QAM blocks
// of the chip, retune by switching the TS output off and writing the band only, and sleep
// through the same frame; each standard describes its own register sets and band setting.
#pragma once

#include "kit_demod.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_scqam_standard_t {
    kit_dtv_system_t system;
    // Sleep-to-active after the output clock: up to the tuner-filter switch, then after it.
    const kit_demod_reg_step_t* wakeStart;
    uint32_t wakeStartCount;
    const kit_demod_reg_step_t* wakeEnd;
    uint32_t wakeEndCount;
    // Filter coefficients written at wake-up (bank 0x10 selected by wakeEnd), or null.
    const uint8_t* wakeFilter;
    // The band words of the handle's bandwidth; another bandwidth gives 3.
    kit_result_t (*bandSetting)(kit_demod_t* demod);
    // Active-to-sleep after the output block has stopped.
    const kit_demod_reg_step_t* sleepEnd;
    uint32_t sleepEndCount;
} kit_scqam_standard_t;

enum { KIT_SCQAM_FILTER_BYTES = 14 };

// The tune of the standard with bandwidth (checked by the caller).
kit_result_t kit_demod_scqam_Tune(kit_demod_t* demod, const kit_scqam_standard_t* standard,
                                  kit_dtv_bandwidth_t bandwidth);
// The active-to-sleep sequence; state 2 or 3.
kit_result_t kit_demod_scqam_Sleep(kit_demod_t* demod, const kit_scqam_standard_t* standard);

#ifdef __cplusplus
}
#endif
