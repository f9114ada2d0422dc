// The satellite tune of the integration layer: demodulator, satellite tuner (through the
// repeater) and the lock wait whose limit follows the symbol rate; and the RF level of a
// satellite channel from the tuner's AGC conversion.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Tunes and waits for the transport stream: 0 locked, 5 time-out, 9 cancelled, or the first
// failing step's result. A symbol rate of 0 gives 1. The wait lasts 3,000,000 / ksps + 150 ms
// (3,600,000 / ksps + 150 for "either"), and once more when pilot detection has locked on a
// signal without pilots, which takes longer to lock.
kit_result_t kit_integ_dvbs_s2_Tune(kit_integ_t* integ, const kit_dvbs_s2_tune_param_t* param);
// RF level: minus ten times the satellite tuner's conversion of the IF AGC value. Needs a
// tuner with that conversion (else 1) and the demodulator active (else 3).
kit_result_t kit_integ_dvbs_s2_monitor_RFLevel(kit_integ_t* integ, int32_t* level);

// The lock-wait limit in ms of the integration tune.
uint32_t kit_integ_dvbs_s2_LockTimeMs(kit_dtv_system_t system, uint32_t symbolRateKSps);

#ifdef __cplusplus
}
#endif
