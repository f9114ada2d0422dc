#include "kit_integ_dvbs_s2.h"

#include "kit_demod.h"
#include "kit_demod_dvbs_s2.h"
#include "kit_demod_dvbs_s2_monitor.h"
#include "kit_integ.h"
#include "kit_integ_sat_internal.h"
#include "kit_stopwatch_port.h"

enum { LOCK_POLL_MS = 10 };

uint32_t kit_integ_dvbs_s2_LockTimeMs(kit_dtv_system_t system, uint32_t symbolRateKSps)
{
    if (symbolRateKSps == 0)
        symbolRateKSps = 1;
    const uint64_t symbols = system == KIT_DTV_SYSTEM_ANY ? 3600000u : 3000000u;
    return (uint32_t)((symbols + symbolRateKSps - 1) / symbolRateKSps + 150u);
}

// Polls the TS lock every 10 ms; the lock is read once more after the limit has passed.
static kit_result_t waitTSLock(kit_integ_t* integ, uint32_t limitMs)
{
    kit_stopwatch_t sw;
    kit_stopwatch_start(&sw);
    for (;;) {
        kit_result_t r = kit_integ_CheckCancellation(integ);
        if (r != KIT_RESULT_OK)
            return r;
        uint32_t elapsed = 0, lock = 0;
        kit_stopwatch_elapsed(&sw, &elapsed);
        r = kit_demod_dvbs_s2_CheckTSLock(integ->demod, &lock);
        if (r != KIT_RESULT_OK)
            return r;
        if (lock)
            return KIT_RESULT_OK;
        if (elapsed > limitMs)
            return KIT_RESULT_ERROR_TIMEOUT;
        kit_stopwatch_sleep(&sw, LOCK_POLL_MS);
    }
}

kit_result_t kit_integ_dvbs_s2_Tune(kit_integ_t* integ, const kit_dvbs_s2_tune_param_t* param)
{
    if (!integ || !integ->demod || !param || param->symbolRateKSps == 0)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_t* demod = integ->demod;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_integ_ClearAnsweredCancel(integ);

    kit_result_t r = kit_demod_dvbs_s2_Tune(demod, param);
    if (r == KIT_RESULT_OK) {
        const kit_dtv_system_t tunerSystem =
            param->system == KIT_DTV_SYSTEM_ANY ? KIT_DTV_SYSTEM_DVBS : param->system;
        r = kit_integ_SatTunerTune(integ, param->centerFreqKHz, tunerSystem, param->symbolRateKSps);
    }
    if (r == KIT_RESULT_OK)
        r = kit_demod_TuneEnd(demod);
    if (r != KIT_RESULT_OK)
        return r;

    const uint32_t limit = kit_integ_dvbs_s2_LockTimeMs(param->system, param->symbolRateKSps);
    r = waitTSLock(integ, limit);
    if (r != KIT_RESULT_ERROR_TIMEOUT)
        return r;
    // Without pilots the chip needs longer once pilot detection has made up its mind.
    uint8_t pilotLocked = 0, pilotOn = 0;
    r = kit_demod_dvbs_s2_monitor_Pilot(demod, &pilotLocked, &pilotOn);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(pilotLocked == 1 && pilotOn == 0))
        return KIT_RESULT_ERROR_TIMEOUT;
    return waitTSLock(integ, limit);
}

kit_result_t kit_integ_dvbs_s2_monitor_RFLevel(kit_integ_t* integ, int32_t* level)
{
    if (!integ || !integ->demod || !level || !integ->tunerSat || !integ->tunerSat->AGCLevel2AGCdB)
        return KIT_RESULT_ERROR_ARG;
    if (integ->demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    uint32_t ifAgc = 0;
    int32_t converted = 0;
    kit_result_t r = kit_demod_dvbs_s2_monitor_IFAGCOut(integ->demod, &ifAgc);
    if (r == KIT_RESULT_OK)
        r = integ->tunerSat->AGCLevel2AGCdB(integ->tunerSat, ifAgc, &converted);
    if (r == KIT_RESULT_OK)
        *level = -(converted * 10);
    return r;
}
