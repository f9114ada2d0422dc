#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_demod_dvbs_s2_blindscan_subseq.h"
#include "kit_stopwatch_port.h"

#include <string.h>

enum { PM_START, PM_WAIT, POLL_MS = 10, FINISH_LIMIT_MS = 1000 };

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_pm_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    memset(&common->pm, 0, sizeof(common->pm));
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_pm_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         int32_t offsetKHz)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    memset(&common->pm, 0, sizeof(common->pm));
    common->pm.isRunning = 1;
    common->pm.state = PM_START;
    common->pm.offsetKHz = offsetKHz;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_pm_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_subseq_pm_t* pm = &common->pm;
    kit_demod_t* demod = common->demod;
    kit_result_t r;
    uint8_t finished = 0;
    uint32_t elapsed = 0;
    switch (pm->state) {
    case PM_START:
        r = kit_demod_dvbs_s2_blindscan_SetCFFine(demod, pm->offsetKHz);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_PS_START(demod);
        kit_stopwatch_start(&pm->stopwatch);
        common->waitTimeMs = POLL_MS;
        pm->state = PM_WAIT;
        return r;
    case PM_WAIT:
        r = kit_demod_dvbs_s2_blindscan_GetCSFIN(demod, &finished);
        kit_stopwatch_elapsed(&pm->stopwatch, &elapsed);
        if (r != KIT_RESULT_OK)
            return r;
        if (!finished) {
            if (elapsed >= FINISH_LIMIT_MS)
                return KIT_RESULT_ERROR_TIMEOUT;
            common->waitTimeMs = POLL_MS;
            return KIT_RESULT_OK;
        }
        r = kit_demod_dvbs_s2_blindscan_GetPSPow(demod, &pm->power);
        pm->isRunning = 0;
        return r != KIT_RESULT_OK ? r : kit_demod_dvbs_s2_blindscan_PS_RACK(demod);
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
