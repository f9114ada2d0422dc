// Per-system entry points that the demodulator's life cycle dispatches to. Each standard
// adds its row to the table in kit_demod_system.c when it is built.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_demod_system_ops_t {
    kit_result_t (*Sleep)(kit_demod_t* demod);  // the system's active-to-sleep sequence
} kit_demod_system_ops_t;

// The row of system; null for ids that name no system (0, and above KIT_DTV_SYSTEM_ANY).
// A row without a Sleep is a system this build does not run.
const kit_demod_system_ops_t* kit_demod_SystemOps(kit_dtv_system_t system);

#ifdef __cplusplus
}
#endif
