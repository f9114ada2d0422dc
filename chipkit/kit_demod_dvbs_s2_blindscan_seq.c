#include "kit_demod_dvbs_s2_blindscan_seq.h"

#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_demod_dvbs_s2_blindscan_algo.h"

#include <stddef.h>
#include <string.h>

enum {
    BS_WIDE_SWEEP,
    BS_WIDE_SWEEPING,
    BS_WIDE_SEARCH,
    BS_WIDE_SEARCHING,
    BS_BANDS,
    BS_BAND_SWEEP,
    BS_BAND_SWEEPING,
    BS_MEDIUM_SEARCH,
    BS_MEDIUM_SEARCHING,
    BS_NARROW,
    BS_NARROW_POINT,
    BS_NARROW_CARRIER,
    BS_NARROW_MEASURING,
    BS_NARROW_SEARCH,
    BS_NARROW_SEARCHING,
    BS_END,
};

// Carrier classes: wide from 20,000 ksps, medium from 5,000, narrow from 1,000.
enum {
    WIDE_KSPS = 20000,
    MEDIUM_KSPS = 5000,
    NARROW_KSPS = 1000,
    WIDE_STEP_KHZ = 2000,
    FINE_STEP_KHZ = 500,
    SPAN_KHZ = 20000,
    NARROW_POINT_KSPS = 1000,
};

kit_result_t kit_demod_dvbs_s2_blindscan_seq_Initialize(kit_demod_dvbs_s2_blindscan_seq_t* seq, kit_demod_t* demod,
                                                        uint32_t minFreqKHz, uint32_t maxFreqKHz,
                                                        uint32_t minSymbolRateKSps, uint32_t maxSymbolRateKSps)
{
    if (!seq || !demod || minFreqKHz > maxFreqKHz || minSymbolRateKSps > maxSymbolRateKSps)
        return KIT_RESULT_ERROR_ARG;
    memset(seq, 0, offsetof(kit_demod_dvbs_s2_blindscan_seq_t, powerPool));
    kit_result_t r = kit_demod_dvbs_s2_blindscan_seq_common_Initialize(&seq->common, demod, seq->powerPool,
                                                                       KIT_DVBS_S2_BLINDSCAN_POWER_MAX, seq->dataPool,
                                                                       KIT_DVBS_S2_BLINDSCAN_DATA_MAX);
    if (r != KIT_RESULT_OK)
        return r;
    seq->minFreqKHz = minFreqKHz;
    seq->maxFreqKHz = maxFreqKHz;
    seq->minSymbolRateKSps = minSymbolRateKSps;
    seq->maxSymbolRateKSps = maxSymbolRateKSps;
    // A carrier centred just outside the range still reaches into it.
    const uint32_t widening = (uint32_t)(((uint64_t)maxSymbolRateKSps * 675 + 999) / 1000);
    seq->lowerKHz = (minFreqKHz > widening ? minFreqKHz - widening : 0) / 1000 * 1000;
    seq->upperKHz = (uint32_t)(((uint64_t)maxFreqKHz + 999 + widening) / 1000 * 1000);
    seq->common.progressFromKHz = seq->lowerKHz;
    seq->common.progressToKHz = seq->upperKHz;
    return kit_demod_dvbs_s2_blindscan_Initialize(demod);
}

static void stage(kit_demod_dvbs_s2_blindscan_seq_common_t* common, uint8_t low, uint8_t high)
{
    common->progressLow = low;
    common->progressHigh = high;
    common->progressWithin = 0;
}

static kit_result_t sweep(kit_demod_dvbs_s2_blindscan_seq_t* seq, uint32_t from, uint32_t to, uint32_t step)
{
    return kit_demod_dvbs_s2_blindscan_subseq_ss_Start(&seq->common, from, to, step, SPAN_KHZ,
                                                       seq->common.demod->satSearch, &seq->power);
}

// Candidates of a band's fine sweep: medium ones, and narrow ones unless the scan wants none.
static kit_result_t bandCandidates(kit_demod_dvbs_s2_blindscan_seq_t* seq)
{
    kit_demod_dvbs_s2_blindscan_storage_t* st = &seq->common.storage;
    kit_result_t r = kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(st, &seq->power, 100, MEDIUM_KSPS, WIDE_KSPS,
                                                                      1000, &seq->medium);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_blindscan_algo_ReduceCandidate(st, &seq->medium, &seq->detected);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate(st, &seq->medium);
    if (r == KIT_RESULT_OK && seq->minSymbolRateKSps <= MEDIUM_KSPS) {
        r = kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(st, &seq->power, 200, NARROW_KSPS, MEDIUM_KSPS, 1000,
                                                             &seq->narrow);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_ReduceCandidate(st, &seq->narrow, &seq->detected);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate(st, &seq->narrow);
    }
    return r != KIT_RESULT_OK ? r : kit_demod_dvbs_s2_blindscan_ClearPowerList(st, &seq->power);
}

static uint32_t countOf(const kit_demod_dvbs_s2_blindscan_data_t* list)
{
    uint32_t n = 0;
    for (const kit_demod_dvbs_s2_blindscan_data_t* e = list->next; e; e = e->next)
        ++n;
    return n;
}

kit_result_t kit_demod_dvbs_s2_blindscan_seq_Sequence(kit_demod_dvbs_s2_blindscan_seq_t* seq)
{
    if (!seq)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_seq_common_t* common = &seq->common;
    kit_demod_dvbs_s2_blindscan_storage_t* st = &common->storage;
    kit_result_t r = KIT_RESULT_OK;
    switch (common->state) {
    case BS_WIDE_SWEEP:
        if (seq->maxSymbolRateKSps < WIDE_KSPS) {
            common->state = BS_BANDS;
            return KIT_RESULT_OK;
        }
        stage(common, 0, 10);
        common->state = BS_WIDE_SWEEPING;
        return sweep(seq, seq->lowerKHz, seq->upperKHz, WIDE_STEP_KHZ);
    case BS_WIDE_SWEEPING:
        if (common->ss.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(common);
        common->state = BS_WIDE_SEARCH;
        return KIT_RESULT_OK;
    case BS_WIDE_SEARCH:
        stage(common, 10, 25);
        r = kit_demod_dvbs_s2_blindscan_algo_GetCandidateMp(st, &seq->power, 100, WIDE_KSPS,
                                                            KIT_DVBS_S2_SEARCH_MAX_KSPS, 4000, &seq->candidates);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_ClearPowerList(st, &seq->power);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_SortBySymbolrate(&seq->candidates, WIDE_KSPS);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_subseq_fs_Start(common, &seq->candidates, WIDE_KSPS - 100,
                                                            KIT_DVBS_S2_SEARCH_MAX_KSPS, &seq->detected);
        common->state = BS_WIDE_SEARCHING;
        return r;
    case BS_WIDE_SEARCHING:
        if (common->fs.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_fs_Sequence(common);
        common->state = BS_BANDS;
        return kit_demod_dvbs_s2_blindscan_ClearDataList(st, &seq->candidates);
    case BS_BANDS:
        if (seq->minSymbolRateKSps >= WIDE_KSPS) {
            common->state = BS_END;
            return KIT_RESULT_OK;
        }
        stage(common, 25, 35);
        r = kit_demod_dvbs_s2_blindscan_algo_GetNonDetectedBand(st, seq->lowerKHz, seq->upperKHz, FINE_STEP_KHZ,
                                                                &seq->detected, &seq->bands);
        seq->current = seq->bands.next;
        common->state = BS_BAND_SWEEP;
        return r;
    case BS_BAND_SWEEP:
        if (!seq->current) {
            common->state = BS_MEDIUM_SEARCH;
            return kit_demod_dvbs_s2_blindscan_ClearDataList(st, &seq->bands);
        }
        common->state = BS_BAND_SWEEPING;
        return sweep(seq, seq->current->freqKHz, seq->current->symbolRateKSps, FINE_STEP_KHZ);
    case BS_BAND_SWEEPING:
        if (common->ss.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(common);
        seq->current = seq->current->next;
        common->state = BS_BAND_SWEEP;
        return bandCandidates(seq);
    case BS_MEDIUM_SEARCH:
        stage(common, 35, 55);
        r = kit_demod_dvbs_s2_blindscan_algo_SortBySymbolrate(&seq->medium, WIDE_KSPS);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_subseq_fs_Start(common, &seq->medium, MEDIUM_KSPS - 25, WIDE_KSPS,
                                                            &seq->detected);
        common->state = BS_MEDIUM_SEARCHING;
        return r;
    case BS_MEDIUM_SEARCHING:
        if (common->fs.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_fs_Sequence(common);
        common->state = BS_NARROW;
        return kit_demod_dvbs_s2_blindscan_ClearDataList(st, &seq->medium);
    case BS_NARROW:
        stage(common, 55, 75);
        r = kit_demod_dvbs_s2_blindscan_algo_SeparateCandidate(st, &seq->narrow);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate2(st, &seq->narrow);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_algo_ReduceCandidate(st, &seq->narrow, &seq->detected);
        seq->current = seq->narrow.next;
        seq->index = 0;
        seq->count = countOf(&seq->narrow);
        common->state = BS_NARROW_POINT;
        return r;
    case BS_NARROW_POINT:
        while (seq->current && kit_demod_dvbs_s2_blindscan_algo_IsDetected(&seq->detected, seq->current->freqKHz)) {
            seq->current = seq->current->next;
            ++seq->index;
        }
        common->progressWithin = (uint8_t)(seq->count ? seq->index * 100 / seq->count : 100);
        if (!seq->current) {
            common->state = BS_NARROW_SEARCH;
            return kit_demod_dvbs_s2_blindscan_ClearDataList(st, &seq->narrow);
        }
        kit_demod_dvbs_s2_blindscan_RequestTune(common, (seq->current->freqKHz + 500) / 1000 * 1000,
                                                KIT_DTV_SYSTEM_DVBS, NARROW_POINT_KSPS);
        common->state = BS_NARROW_CARRIER;
        return KIT_RESULT_OK;
    case BS_NARROW_CARRIER:
        common->state = BS_NARROW_MEASURING;
        return kit_demod_dvbs_s2_blindscan_subseq_cs_Start(
            common, (int32_t)((int64_t)seq->current->freqKHz - common->tuneFreqKHz));
    case BS_NARROW_MEASURING:
        if (common->cs.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_cs_Sequence(common);
        seq->current = seq->current->next;
        ++seq->index;
        common->state = BS_NARROW_POINT;
        return kit_demod_dvbs_s2_blindscan_subseq_cs_AppendCandidate(common, &seq->candidates);
    case BS_NARROW_SEARCH:
        stage(common, 75, 100);
        common->state = BS_NARROW_SEARCHING;
        return kit_demod_dvbs_s2_blindscan_subseq_fs_Start(common, &seq->candidates, NARROW_KSPS, MEDIUM_KSPS,
                                                           &seq->detected);
    case BS_NARROW_SEARCHING:
        if (common->fs.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_fs_Sequence(common);
        common->state = BS_END;
        return kit_demod_dvbs_s2_blindscan_ClearDataList(st, &seq->candidates);
    case BS_END:
        stage(common, 100, 100);
        common->isContinue = 0;
        return KIT_RESULT_OK;
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
