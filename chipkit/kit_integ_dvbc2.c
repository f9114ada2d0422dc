#include "kit_integ_dvbc2.h"

#include "kit_demod.h"
#include "kit_demod_dvbc2_monitor.h"
#include "kit_stopwatch_port.h"

#include <stddef.h>

// ---- Driving a sequence ----

// The fields the tune sequencer and the channel search share, whatever their records.
typedef struct {
    uint8_t* running;
    uint8_t* tunerRetune;
    uint32_t* retuneFreqKHz;
    kit_result_t* result;
    uint32_t* waitMs;
    uint32_t* currentTimeMs;
} sequence_t;

typedef kit_result_t (*sequence_step_t)(kit_demod_t* demod, void* record);

static kit_result_t tuneStep(kit_demod_t* demod, void* record)
{
    return kit_demod_dvbc2_TuneSeq(demod, (kit_dvbc2_tune_seq_t*)record);
}

static kit_result_t searchStep(kit_demod_t* demod, void* record)
{
    return kit_demod_dvbc2_GetTuneParamsSeq(demod, (kit_dvbc2_get_tune_params_seq_t*)record);
}

// Steps the sequence until it stops running: the tuner moved where it asks, its waits slept
// in 10 ms slices; 5 past the overall limit, 9 when cancelled.
static kit_result_t runSequence(kit_integ_t* integ, kit_dtv_bandwidth_t bandwidth, sequence_step_t step,
                                void* record, sequence_t s)
{
    kit_stopwatch_t sw;
    kit_stopwatch_start(&sw);
    uint32_t now = 0, waitStart = 0;
    while (*s.running) {
        if (*s.waitMs == 0) {
            kit_stopwatch_elapsed(&sw, &now);
            *s.currentTimeMs = now;
            kit_result_t r = step(integ->demod, record);
            if (r == KIT_RESULT_OK && *s.tunerRetune)
                r = kit_integ_TunerTune(integ, *s.retuneFreqKHz, KIT_DTV_SYSTEM_DVBC2, bandwidth);
            *s.tunerRetune = 0;
            if (r != KIT_RESULT_OK)
                return r;
            if (*s.waitMs)
                kit_stopwatch_elapsed(&sw, &waitStart);
        }
        if (*s.waitMs) {
            kit_stopwatch_sleep(&sw, KIT_INTEG_POLL_MS);
            kit_stopwatch_elapsed(&sw, &now);
            if (now - waitStart >= *s.waitMs)
                *s.waitMs = 0;
        }
        kit_stopwatch_elapsed(&sw, &now);
        if (now > KIT_INTEG_DVBC2_SEQUENCE_LIMIT_MS)
            return KIT_RESULT_ERROR_TIMEOUT;
        if (kit_integ_CheckCancellation(integ) == KIT_RESULT_ERROR_CANCEL)
            return KIT_RESULT_ERROR_CANCEL;
    }
    return *s.result;
}

static int bandwidthOk(kit_dtv_bandwidth_t bw) { return bw == KIT_DTV_BW_6_MHZ || bw == KIT_DTV_BW_8_MHZ; }

kit_result_t kit_integ_dvbc2_Tune(kit_integ_t* integ, const kit_dvbc2_tune_param_t* param)
{
    kit_result_t r = kit_integ_BeginTune(integ, param, KIT_INTEG_CANCEL_CLEAR_OUTSIDE_SCAN);
    if (r != KIT_RESULT_OK)
        return r;
    if (!bandwidthOk(param->bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (param->centerFreqKHz == 0)
        return KIT_RESULT_ERROR_ARG;
    kit_dvbc2_tune_seq_t seq;
    r = kit_demod_dvbc2_InitTuneSeq(integ->demod, param, &seq);
    if (r != KIT_RESULT_OK)
        return r;
    const sequence_t s = {&seq.running, &seq.tunerRetune, &seq.retuneFreqKHz, &seq.result, &seq.waitMs,
                          &seq.currentTimeMs};
    return runSequence(integ, param->bandwidth, tuneStep, &seq, s);
}

kit_result_t kit_integ_dvbc2_WaitTSLock(kit_integ_t* integ)
{
    return kit_integ_WaitLock(integ, kit_demod_dvbc2_CheckTSLock, NULL, KIT_INTEG_DVBC2_TS_LOCK_MS);
}

kit_result_t kit_integ_dvbc2_GetChannelTuneParameters(kit_integ_t* integ, uint32_t searchFreqKHz,
                                                      kit_dtv_bandwidth_t bandwidth,
                                                      kit_dvbc2_get_tune_params_seq_t* seq)
{
    if (!integ || !integ->demod || !seq)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = kit_demod_dvbc2_InitGetTuneParamsSeq(integ->demod, searchFreqKHz, bandwidth, seq);
    if (r != KIT_RESULT_OK)
        return r;
    const sequence_t s = {&seq->running, &seq->tunerRetune, &seq->retuneFreqKHz, &seq->result, &seq->waitMs,
                          &seq->currentTimeMs};
    return runSequence(integ, bandwidth, searchStep, seq, s);
}

// ---- Scan ----

typedef struct {
    kit_integ_t* integ;
    kit_integ_dvbc2_scan_param_t* scanParam;
    kit_integ_dvbc2_scan_callback_t callback;
} dvbc2_scan_t;

static void report(dvbc2_scan_t* scan, uint32_t kHz, kit_result_t result, const kit_dvbc2_tune_param_t* param)
{
    kit_integ_dvbc2_scan_result_t r = {kHz, result, {kHz, scan->scanParam->bandwidth, 0, 0, 0, 0}};
    if (param)
        r.tuneParam = *param;
    scan->callback(scan->integ, &r, scan->scanParam);
}

// Tunes every data slice and PLP the search found; a PLP of the data slice just tuned only
// needs the PLP switched.
static kit_result_t tryEntries(dvbc2_scan_t* scan, uint32_t kHz, const kit_dvbc2_get_tune_params_seq_t* seq)
{
    kit_integ_t* integ = scan->integ;
    int locked = 0;
    for (uint32_t i = 0; i < seq->entryCount; ++i) {
        const kit_dvbc2_tune_param_t* e = &seq->entries[i];
        const kit_dvbc2_tune_param_t* prev = i > 0 ? &seq->entries[i - 1] : NULL;
        kit_result_t r;
        if (prev && prev->dataSliceId == e->dataSliceId && prev->centerFreqKHz == e->centerFreqKHz) {
            r = kit_demod_dvbc2_SetPlpId(integ->demod, e->dataPlpId);
            if (r == KIT_RESULT_OK)
                r = kit_integ_dvbc2_WaitTSLock(integ);
        } else {
            r = kit_integ_dvbc2_Tune(integ, e);
        }
        if (!kit_integ_ScanGoesOn(r))
            return r;
        report(scan, e->centerFreqKHz, r, e);
        locked |= r == KIT_RESULT_OK;
    }
    if (!locked)
        report(scan, kHz, KIT_RESULT_ERROR_UNLOCK, NULL);
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_dvbc2_Scan(kit_integ_t* integ, kit_integ_dvbc2_scan_param_t* scanParam,
                                  kit_integ_dvbc2_scan_callback_t callback)
{
    if (!integ || !integ->demod || !scanParam || !callback)
        return KIT_RESULT_ERROR_ARG;
    if (scanParam->endFrequencyKHz < scanParam->startFrequencyKHz)
        return KIT_RESULT_ERROR_ARG;
    if (!bandwidthOk(scanParam->bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    kit_result_t r = kit_demod_terr_cable_SetScanMode(integ->demod, KIT_DTV_SYSTEM_DVBC2, 1);
    if (r != KIT_RESULT_OK)
        return r;
    dvbc2_scan_t scan = {integ, scanParam, callback};
    const uint32_t step = scanParam->bandwidth == KIT_DTV_BW_6_MHZ ? KIT_INTEG_DVBC2_SCAN_STEP_6MHZ_KHZ
                                                                  : KIT_INTEG_DVBC2_SCAN_STEP_8MHZ_KHZ;
    for (uint32_t kHz = scanParam->startFrequencyKHz;;) {
        kit_dvbc2_get_tune_params_seq_t seq;
        r = kit_integ_dvbc2_GetChannelTuneParameters(integ, kHz, scanParam->bandwidth, &seq);
        const int found = r == KIT_RESULT_OK;
        if (found) {
            r = tryEntries(&scan, kHz, &seq);
        } else if (r == KIT_RESULT_ERROR_TIMEOUT || r == KIT_RESULT_ERROR_UNLOCK) {
            report(&scan, kHz, KIT_RESULT_ERROR_UNLOCK, NULL);
            r = KIT_RESULT_OK;
        }
        if (r != KIT_RESULT_OK)
            return kit_integ_EndScan(integ, KIT_DTV_SYSTEM_DVBC2, r);
        if (kit_integ_CheckCancellation(integ) == KIT_RESULT_ERROR_CANCEL)
            return kit_integ_EndScan(integ, KIT_DTV_SYSTEM_DVBC2, KIT_RESULT_ERROR_CANCEL);
        // The search says where the next system may start; it never sends the scan back, and
        // the scan stops before passing the end or wrapping at the top of the range.
        const uint32_t next = found && seq.nextFreqKHz > kHz ? seq.nextFreqKHz : kHz + step;
        if (next <= kHz || next > scanParam->endFrequencyKHz)
            break;
        kHz = next;
    }
    return kit_integ_EndScan(integ, KIT_DTV_SYSTEM_DVBC2, KIT_RESULT_OK);
}

kit_result_t kit_integ_dvbc2_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000)
{
    return kit_integ_RFLevel(integ, KIT_DTV_SYSTEM_DVBC2, kit_demod_dvbc2_monitor_IFAGCOut, levelDbmX1000);
}
