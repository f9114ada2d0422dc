#include "kit_demod_dvbs_s2_tune_srs_seq.h"

#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_demod_dvbs_s2_blindscan_algo.h"

#include <stddef.h>
#include <string.h>

enum {
    SRS_SWEEP,
    SRS_SWEEPING,
    SRS_NARROW,
    SRS_POINT,
    SRS_MEASURING,
    SRS_SIDES,
    SRS_HIGH_SWEEPING,
    SRS_LOW_SWEEPING,
    SRS_CANDIDATES,
    SRS_TRY,
    SRS_TRYING,
    SRS_END,
};

enum {
    // The centre sweep reaches 14 MHz past the range, the side sweeps 20 MHz further.
    CENTRE_MARGIN_KHZ = 14000,
    SIDE_SPAN_KHZ = 20000,
    FINE_STEP_KHZ = 500,
    SIDE_STEP_KHZ = 2000,
    CENTRE_TUNE_KSPS = 15000,
    TRY_MARGIN_KHZ = 3000,
    FOUND_MARGIN_KHZ = 100,
    LOWEST_KSPS = 1000,
};

kit_result_t kit_demod_dvbs_s2_tune_srs_seq_Initialize(kit_demod_dvbs_s2_tune_srs_seq_t* seq, kit_demod_t* demod,
                                                       uint32_t centreFreqKHz, uint32_t range)
{
    if (!seq || !demod || range > KIT_DVBS_S2_TUNE_SRS_RANGE_5MHZ)
        return KIT_RESULT_ERROR_ARG;
    memset(seq, 0, offsetof(kit_demod_dvbs_s2_tune_srs_seq_t, powerPool));
    kit_result_t r = kit_demod_dvbs_s2_blindscan_seq_common_Initialize(&seq->common, demod, seq->powerPool,
                                                                       KIT_DVBS_S2_BLINDSCAN_POWER_MAX, seq->dataPool,
                                                                       KIT_DVBS_S2_BLINDSCAN_DATA_MAX);
    if (r != KIT_RESULT_OK)
        return r;
    seq->centreFreqKHz = centreFreqKHz;
    seq->halfRangeKHz = range == KIT_DVBS_S2_TUNE_SRS_RANGE_10MHZ ? 10000 : 5000;
    return kit_demod_dvbs_s2_blindscan_Initialize(demod);
}

static uint32_t distance(uint32_t a, uint32_t b)
{
    return a > b ? a - b : b - a;
}

static kit_result_t sweep(kit_demod_dvbs_s2_tune_srs_seq_t* seq, uint32_t from, uint32_t to, uint32_t step,
                          uint32_t span, kit_demod_dvbs_s2_blindscan_power_t* out)
{
    return kit_demod_dvbs_s2_blindscan_subseq_ss_Start(&seq->common, from, to, step, span,
                                                       seq->common.demod->satSearch, out);
}

static void appendPower(kit_demod_dvbs_s2_blindscan_power_t* to, kit_demod_dvbs_s2_blindscan_power_t* from)
{
    while (to->next)
        to = to->next;
    to->next = from->next;
    from->next = NULL;
}

// The next entry of the list from current on that lies within reach of the centre.
static kit_demod_dvbs_s2_blindscan_data_t* nextNear(const kit_demod_dvbs_s2_tune_srs_seq_t* seq,
                                                    kit_demod_dvbs_s2_blindscan_data_t* current)
{
    const uint32_t reach = seq->halfRangeKHz + TRY_MARGIN_KHZ;
    while (current && distance(current->freqKHz, seq->centreFreqKHz) > reach)
        current = current->next;
    return current;
}

kit_result_t kit_demod_dvbs_s2_tune_srs_seq_Sequence(kit_demod_dvbs_s2_tune_srs_seq_t* seq)
{
    if (!seq)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_seq_common_t* common = &seq->common;
    kit_demod_dvbs_s2_blindscan_storage_t* st = &common->storage;
    const uint32_t f = seq->centreFreqKHz, h = seq->halfRangeKHz;
    const uint32_t near = h + CENTRE_MARGIN_KHZ, far = near + SIDE_SPAN_KHZ;
    kit_result_t r = KIT_RESULT_OK;
    switch (common->state) {
    case SRS_SWEEP:
        // One tuning covers the whole centre sweep.
        common->state = SRS_SWEEPING;
        return sweep(seq, f > near ? f - near : 0, f + near, FINE_STEP_KHZ, 2 * near, &seq->power);
    case SRS_SWEEPING:
        if (common->ss.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(common);
        common->state = SRS_NARROW;
        return KIT_RESULT_OK;
    case SRS_NARROW:
        r = kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(st, &seq->power, 200, LOWEST_KSPS, 5000, 1000,
                                                             &seq->narrow);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_SeparateCandidate(st, &seq->narrow);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate2(st, &seq->narrow);
        kit_demod_dvbs_s2_blindscan_RequestTune(common, f, KIT_DTV_SYSTEM_DVBS, CENTRE_TUNE_KSPS);
        seq->current = seq->narrow.next;
        common->state = SRS_POINT;
        return r;
    case SRS_POINT:
        seq->current = nextNear(seq, seq->current);
        if (!seq->current) {
            common->state = SRS_SIDES;
            return kit_demod_dvbs_s2_blindscan_ClearDataList(st, &seq->narrow);
        }
        common->state = SRS_MEASURING;
        return kit_demod_dvbs_s2_blindscan_subseq_cs_Start(
            common, (int32_t)((int64_t)seq->current->freqKHz - common->tuneFreqKHz));
    case SRS_MEASURING:
        if (common->cs.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_cs_Sequence(common);
        seq->current = seq->current->next;
        common->state = SRS_POINT;
        return kit_demod_dvbs_s2_blindscan_subseq_cs_AppendCandidate(common, &seq->candidates);
    case SRS_SIDES:
        r = kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate(st, &seq->candidates);
        common->state = SRS_HIGH_SWEEPING;
        if (r == KIT_RESULT_OK)
            r = sweep(seq, f + near, f + far, SIDE_STEP_KHZ, SIDE_SPAN_KHZ, &seq->powerHigh);
        return r;
    case SRS_HIGH_SWEEPING:
        if (common->ss.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(common);
        common->state = SRS_LOW_SWEEPING;
        // Below the lowest frequency there is nothing to sweep.
        if (f <= far)
            return KIT_RESULT_OK;
        return sweep(seq, f - far, f - near, SIDE_STEP_KHZ, SIDE_SPAN_KHZ, &seq->powerLow);
    case SRS_LOW_SWEEPING:
        if (common->ss.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(common);
        // One spectrum from the low side to the high side.
        appendPower(&seq->powerLow, &seq->power);
        appendPower(&seq->powerLow, &seq->powerHigh);
        appendPower(&seq->power, &seq->powerLow);
        common->state = SRS_CANDIDATES;
        return KIT_RESULT_OK;
    case SRS_CANDIDATES:
        r = kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(st, &seq->power, 100, 20000, KIT_DVBS_S2_SEARCH_MAX_KSPS,
                                                             4000, &seq->candidates);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(st, &seq->power, 100, 5000, 20000, 1000,
                                                                 &seq->candidates);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_ClearPowerList(st, &seq->power);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_SortByFrequency(&seq->candidates, f);
        seq->current = seq->candidates.next;
        common->state = SRS_TRY;
        return r;
    case SRS_TRY: {
        seq->current = nextNear(seq, seq->current);
        if (!seq->current) {
            common->state = SRS_END;
            return KIT_RESULT_OK;
        }
        const kit_demod_dvbs_s2_blindscan_data_t* c = seq->current;
        common->state = SRS_TRYING;
        return kit_demod_dvbs_s2_blindscan_subseq_bt_Start(common, c->freqKHz, c->symbolRateKSps,
                                                           c->minSymbolRateKSps, c->maxSymbolRateKSps, LOWEST_KSPS,
                                                           KIT_DVBS_S2_SEARCH_MAX_KSPS);
    }
    case SRS_TRYING:
        if (common->bt.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_bt_Sequence(common);
        if (!common->bt.isLocked) {
            seq->current = seq->current->next;
            common->state = SRS_TRY;
            return KIT_RESULT_OK;
        }
        // The first lock ends the search; it counts only inside the range asked.
        if (distance(common->bt.detected.centerFreqKHz, f) <= h + FOUND_MARGIN_KHZ) {
            common->isFound = 1;
            common->result = common->bt.detected;
        }
        common->state = SRS_END;
        return KIT_RESULT_OK;
    case SRS_END:
        common->isContinue = 0;
        r = kit_demod_dvbs_s2_blindscan_ClearDataList(st, &seq->candidates);
        return r != KIT_RESULT_OK ? r : kit_demod_dvbs_s2_blindscan_ClearPowerList(st, &seq->power);
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
