#include "kit_integ_dvbs_s2_blindscan.h"

#include "kit_demod_dvbs_s2.h"
#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_integ.h"
#include "kit_integ_sat_internal.h"
#include "kit_stopwatch_port.h"

#include <stddef.h>

enum { WAIT_SLICE_MS = 10 };

static kit_result_t serveRequests(kit_integ_t* integ, kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    kit_tuner_sat_t* tuner = integ->tunerSat;
    kit_result_t r = KIT_RESULT_OK;
    if (common->isAgcRequest) {
        common->isAgcRequest = 0;
        r = tuner->AGCLevel2AGCdB(tuner, common->agcValue, &common->convertedAgc);
        if (r != KIT_RESULT_OK)
            return r;
    }
    if (common->isTuneRequest) {
        common->isTuneRequest = 0;
        const uint32_t rate = common->tuneSymbolRateKSps ? common->tuneSymbolRateKSps : tuner->symbolRateKSps;
        r = kit_integ_SatTunerTune(integ, common->tuneFreqKHz, common->tuneSystem, rate);
        if (r != KIT_RESULT_OK)
            return r;
        common->tuneFreqKHz = tuner->frequencyKHz;
    }
    if (common->isSinglecableRequest) {
        common->isSinglecableRequest = 0;
        r = kit_integ_sat_SendSinglecable(integ, &common->singlecableMessage);
    }
    return r;
}

kit_result_t kit_integ_sat_RunSearch(kit_integ_t* integ, kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                     kit_integ_sat_step_t step, void* seq, kit_integ_sat_events_t events,
                                     void* context)
{
    kit_stopwatch_t sw;
    kit_stopwatch_start(&sw);
    while (common->isContinue) {
        kit_result_t r = kit_integ_CheckCancellation(integ);
        if (r != KIT_RESULT_OK)
            return r;
        if (common->waitTimeMs) {
            uint32_t elapsed = 0;
            kit_stopwatch_sleep(&sw, WAIT_SLICE_MS);
            kit_stopwatch_elapsed(&sw, &elapsed);
            if (elapsed >= common->waitTimeMs)
                common->waitTimeMs = 0;
        } else {
            r = step(seq);
            if (r != KIT_RESULT_OK)
                return r;
            kit_stopwatch_start(&sw);
        }
        r = serveRequests(integ, common);
        if (r == KIT_RESULT_OK && events)
            r = events(integ, context);
        if (r != KIT_RESULT_OK)
            return r;
    }
    return KIT_RESULT_OK;
}

// ---- Blind scan ----

typedef struct {
    kit_demod_dvbs_s2_blindscan_seq_t* seq;
    kit_integ_dvbs_s2_blindscan_callback_t callback;
} blindscan_events_t;

static kit_result_t blindScanEvents(kit_integ_t* integ, void* context)
{
    blindscan_events_t* ev = (blindscan_events_t*)context;
    kit_demod_dvbs_s2_blindscan_seq_common_t* common = &ev->seq->common;
    kit_integ_dvbs_s2_blindscan_result_t result = {0};
    if (common->isResult) {
        common->isResult = 0;
        kit_result_t r = kit_demod_dvbs_s2_blindscan_SetTSOut(integ->demod, 1);
        if (r != KIT_RESULT_OK)
            return r;
        result.eventId = KIT_INTEG_DVBS_S2_BLINDSCAN_EVENT_DETECT;
        result.tuneParam = common->result;
        if (ev->callback)
            ev->callback(integ, &result);
        r = kit_demod_dvbs_s2_blindscan_SetTSOut(integ->demod, 0);
        if (r != KIT_RESULT_OK)
            return r;
    }
    const uint32_t progress =
        common->progressLow + (uint32_t)(common->progressHigh - common->progressLow) * common->progressWithin / 100;
    if (progress > common->progressLast) {
        common->progressLast = (uint8_t)progress;
        result.eventId = KIT_INTEG_DVBS_S2_BLINDSCAN_EVENT_PROGRESS;
        result.progress = (uint8_t)progress;
        if (ev->callback)
            ev->callback(integ, &result);
    }
    return KIT_RESULT_OK;
}

static kit_result_t blindScanStep(void* seq)
{
    return kit_demod_dvbs_s2_blindscan_seq_Sequence((kit_demod_dvbs_s2_blindscan_seq_t*)seq);
}

static kit_result_t searchUsable(const kit_integ_t* integ, int needSleep)
{
    if (!integ || !integ->demod)
        return KIT_RESULT_ERROR_ARG;
    const kit_tuner_sat_t* tuner = integ->tunerSat;
    if (!tuner || !tuner->Tune || !tuner->AGCLevel2AGCdB || (needSleep && !tuner->Sleep))
        return KIT_RESULT_ERROR_ARG;
    const kit_demod_state_t state = integ->demod->state;
    if (state != KIT_DEMOD_STATE_SLEEP && state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_dvbs_s2_BlindScan(kit_integ_t* integ, kit_demod_dvbs_s2_blindscan_seq_t* seq,
                                         const kit_integ_dvbs_s2_blindscan_param_t* param,
                                         kit_integ_dvbs_s2_blindscan_callback_t callback)
{
    kit_result_t r = searchUsable(integ, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if (!seq || !param)
        return KIT_RESULT_ERROR_ARG;
    kit_integ_ClearAnsweredCancel(integ);
    r = kit_demod_dvbs_s2_blindscan_seq_Initialize(seq, integ->demod, param->minFreqKHz, param->maxFreqKHz,
                                                   param->minSymbolRateKSps, param->maxSymbolRateKSps);
    blindscan_events_t ev = {seq, callback};
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_RunSearch(integ, &seq->common, blindScanStep, seq, blindScanEvents, &ev);
    if (r == KIT_RESULT_OK)
        r = kit_integ_SatTunerSleep(integ);
    return r != KIT_RESULT_OK ? r : kit_demod_dvbs_s2_Sleep(integ->demod);
}

// ---- Symbol-rate search ----

static kit_result_t tuneSrsStep(void* seq)
{
    return kit_demod_dvbs_s2_tune_srs_seq_Sequence((kit_demod_dvbs_s2_tune_srs_seq_t*)seq);
}

kit_result_t kit_integ_dvbs_s2_TuneSRS(kit_integ_t* integ, kit_demod_dvbs_s2_tune_srs_seq_t* seq,
                                       const kit_integ_dvbs_s2_tune_srs_param_t* param,
                                       kit_dvbs_s2_tune_param_t* tuneParam)
{
    kit_result_t r = searchUsable(integ, 0);
    if (r != KIT_RESULT_OK)
        return r;
    if (!seq || !param || !tuneParam)
        return KIT_RESULT_ERROR_ARG;
    kit_integ_ClearAnsweredCancel(integ);
    r = kit_demod_dvbs_s2_tune_srs_seq_Initialize(seq, integ->demod, param->centerFreqKHz, param->range);
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_RunSearch(integ, &seq->common, tuneSrsStep, seq, NULL, NULL);
    if (r != KIT_RESULT_OK)
        return r;
    if (!seq->common.isFound)
        return KIT_RESULT_ERROR_UNLOCK;
    *tuneParam = seq->common.result;
    return kit_demod_dvbs_s2_blindscan_SetTSOut(integ->demod, 1);
}
