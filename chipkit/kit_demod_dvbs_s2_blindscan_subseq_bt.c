#include "kit_demod.h"
#include "kit_demod_dvbs_s2.h"
#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_demod_dvbs_s2_blindscan_subseq.h"
#include "kit_demod_dvbs_s2_monitor.h"
#include "kit_stopwatch_port.h"

#include <string.h>

enum {
    BT_PREPARE,
    BT_RESET,
    BT_WAIT_SRS,
    BT_RATE,
    BT_WAIT_LOCK,
    POLL_MS = 10,
    SRS_LIMIT_MS = 10000,
    HIGH_SAMPLING_KSPS = 20000,
};

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_bt_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    memset(&common->bt, 0, sizeof(common->bt));
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_bt_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         uint32_t freqKHz, uint32_t symbolRateKSps,
                                                         uint32_t minSymbolRateKSps, uint32_t maxSymbolRateKSps,
                                                         uint32_t lowerLimitKSps, uint32_t upperLimitKSps)
{
    if (!common || lowerLimitKSps == 0 || lowerLimitKSps > upperLimitKSps)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_subseq_bt_t* bt = &common->bt;
    memset(bt, 0, sizeof(*bt));
    bt->isRunning = 1;
    bt->state = BT_PREPARE;
    bt->freqKHz = freqKHz;
    bt->symbolRateKSps = symbolRateKSps;
    bt->minSymbolRateKSps = minSymbolRateKSps;
    bt->maxSymbolRateKSps = maxSymbolRateKSps;
    bt->lowerLimitKSps = lowerLimitKSps;
    bt->upperLimitKSps = upperLimitKSps;
    return KIT_RESULT_OK;
}

static uint32_t clamp(uint32_t v, uint32_t low, uint32_t high)
{
    return v < low ? low : v > high ? high : v;
}

static kit_result_t notLocked(kit_demod_dvbs_s2_blindscan_subseq_bt_t* bt)
{
    bt->isLocked = 0;
    bt->isRunning = 0;
    return KIT_RESULT_OK;
}

// Programs the rate and the search range around it and asks for the tune.
static kit_result_t prepare(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    kit_demod_dvbs_s2_blindscan_subseq_bt_t* bt = &common->bt;
    if (bt->maxSymbolRateKSps < bt->lowerLimitKSps)
        return notLocked(bt);
    kit_result_t r = KIT_RESULT_OK;
    if (bt->maxSymbolRateKSps >= HIGH_SAMPLING_KSPS)
        r = kit_demod_dvbs_s2_blindscan_SetSampleMode(common->demod, 1);
    const uint32_t rate = clamp(bt->symbolRateKSps, bt->lowerLimitKSps, bt->upperLimitKSps);
    uint32_t min = clamp(bt->minSymbolRateKSps, bt->lowerLimitKSps, bt->upperLimitKSps);
    uint32_t max = clamp(bt->maxSymbolRateKSps, bt->lowerLimitKSps, bt->upperLimitKSps);
    max = clamp(max, rate, 2 * rate);
    if (min > rate)
        min = rate;
    bt->symbolRateKSps = rate;
    bt->minSymbolRateKSps = min;
    bt->maxSymbolRateKSps = max;
    // The ratios are 10-bit: twice the rate itself reads as just under.
    const uint32_t low = (uint32_t)((uint64_t)min * 1024 / rate);
    const uint32_t high = (uint32_t)((uint64_t)max * 1024 / rate) - 1024;
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_SetSymbolRate(common->demod, rate);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_blindscan_SetSymbolRateRatio(common->demod, low < 1023 ? low : 1023,
                                                           high < 1023 ? high : 1023);
    kit_demod_dvbs_s2_blindscan_RequestTune(common, bt->freqKHz, KIT_DTV_SYSTEM_DVBS, max);
    bt->state = BT_RESET;
    return r;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_bt_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_subseq_bt_t* bt = &common->bt;
    kit_demod_t* demod = common->demod;
    kit_result_t r;
    uint8_t flag = 0, pilotOn = 0;
    uint32_t elapsed = 0, sps = 0;
    int32_t offset = 0;
    kit_dtv_system_t system = 0;
    switch (bt->state) {
    case BT_PREPARE:
        return prepare(common);
    case BT_RESET:
        r = kit_demod_SoftReset(demod);
        kit_stopwatch_start(&bt->stopwatch);
        common->waitTimeMs = POLL_MS;
        bt->state = BT_WAIT_SRS;
        return r;
    case BT_WAIT_SRS:
        r = kit_demod_dvbs_s2_blindscan_GetSRSFIN(demod, &flag);
        kit_stopwatch_elapsed(&bt->stopwatch, &elapsed);
        if (r != KIT_RESULT_OK)
            return r;
        if (flag)
            bt->state = BT_RATE;
        else if (elapsed > SRS_LIMIT_MS)
            return notLocked(bt);
        else
            common->waitTimeMs = POLL_MS;
        return KIT_RESULT_OK;
    case BT_RATE: {
        r = kit_demod_dvbs_s2_blindscan_CheckTRLLock(demod, &flag);
        if (r != KIT_RESULT_OK || !flag)
            return r != KIT_RESULT_OK ? r : notLocked(bt);
        r = kit_demod_dvbs_s2_monitor_SymbolRate(demod, &sps);
        if (r == KIT_RESULT_ERROR_HW_STATE)
            return notLocked(bt);
        if (r != KIT_RESULT_OK)
            return r;
        // The limit wants ksps; a rate that rounds to nothing still gets the longest wait.
        uint32_t ksps = (sps + 500) / 1000;
        if (ksps < 1)
            ksps = 1;
        bt->lockTimeMs = (3599999u + ksps) / ksps + 150u;
        bt->detected.symbolRateKSps = (sps + 500) / 1000;
        kit_stopwatch_start(&bt->stopwatch);
        bt->state = BT_WAIT_LOCK;
        return KIT_RESULT_OK;
    }
    case BT_WAIT_LOCK:
        kit_stopwatch_elapsed(&bt->stopwatch, &elapsed);
        r = kit_demod_dvbs_s2_monitor_ScanInfo(demod, &flag, &offset, &system);
        if (r != KIT_RESULT_OK)
            return r;
        if (flag) {
            demod->system = system;
            bt->detected.system = system;
            bt->detected.centerFreqKHz = (uint32_t)((int64_t)common->tuneFreqKHz + offset);
            bt->isLocked = 1;
            bt->isRunning = 0;
            return KIT_RESULT_OK;
        }
        if (elapsed <= bt->lockTimeMs) {
            common->waitTimeMs = POLL_MS;
            return KIT_RESULT_OK;
        }
        if (bt->isSecondWait)
            return notLocked(bt);
        r = kit_demod_dvbs_s2_monitor_Pilot(demod, &flag, &pilotOn);
        if (r != KIT_RESULT_OK)
            return r;
        if (!(flag == 1 && pilotOn == 0))
            return notLocked(bt);
        bt->isSecondWait = 1;
        kit_stopwatch_start(&bt->stopwatch);
        common->waitTimeMs = POLL_MS;
        return KIT_RESULT_OK;
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
