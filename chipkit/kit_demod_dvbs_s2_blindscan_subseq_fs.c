#include "kit_demod_dvbs_s2_blindscan_algo.h"
#include "kit_demod_dvbs_s2_blindscan_subseq.h"

#include <string.h>

enum { NARROWEST_KSPS = 1000 };

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_fs_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    memset(&common->fs, 0, sizeof(common->fs));
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_fs_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         kit_demod_dvbs_s2_blindscan_data_t* candidates,
                                                         uint32_t lowerLimitKSps, uint32_t upperLimitKSps,
                                                         kit_demod_dvbs_s2_blindscan_data_t* detected)
{
    if (!common || !candidates || !detected)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_subseq_fs_t* fs = &common->fs;
    memset(fs, 0, sizeof(*fs));
    fs->isRunning = 1;
    fs->candidates = candidates;
    fs->current = candidates->next;
    for (const kit_demod_dvbs_s2_blindscan_data_t* c = candidates->next; c; c = c->next)
        ++fs->count;
    fs->lowerLimitKSps = lowerLimitKSps;
    fs->upperLimitKSps = upperLimitKSps;
    fs->detected = detected;
    return KIT_RESULT_OK;
}

// A locked channel goes to the detected list and is reported, unless it is one found before.
static kit_result_t takeChannel(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    kit_demod_dvbs_s2_blindscan_subseq_fs_t* fs = &common->fs;
    const kit_dvbs_s2_tune_param_t* found = &common->bt.detected;
    if (!common->bt.isLocked || kit_demod_dvbs_s2_blindscan_algo_IsDetected(fs->detected, found->centerFreqKHz))
        return KIT_RESULT_OK;
    const kit_result_t r = kit_demod_dvbs_s2_blindscan_AppendData(&common->storage, fs->detected, found->centerFreqKHz,
                                                                  found->symbolRateKSps, found->system, 0);
    if (r != KIT_RESULT_OK)
        return r;
    common->isResult = 1;
    common->result = *found;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_fs_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    if (common->bt.isRunning)
        return kit_demod_dvbs_s2_blindscan_subseq_bt_Sequence(common);
    kit_demod_dvbs_s2_blindscan_subseq_fs_t* fs = &common->fs;
    if (fs->isTuning) {
        fs->isTuning = 0;
        const kit_result_t r = takeChannel(common);
        if (r != KIT_RESULT_OK)
            return r;
        fs->current = fs->current->next;
        ++fs->index;
    }
    // Candidates too narrow for the stage, or on a channel already found, are passed over.
    while (fs->current) {
        const kit_demod_dvbs_s2_blindscan_data_t* c = fs->current;
        common->progressWithin = (uint8_t)(fs->count ? fs->index * 100 / fs->count : 100);
        if (c->maxSymbolRateKSps > fs->lowerLimitKSps && c->maxSymbolRateKSps > NARROWEST_KSPS &&
            !kit_demod_dvbs_s2_blindscan_algo_IsDetected(fs->detected, c->freqKHz))
            break;
        fs->current = c->next;
        ++fs->index;
    }
    if (!fs->current) {
        common->progressWithin = 100;
        fs->isRunning = 0;
        return KIT_RESULT_OK;
    }
    fs->isTuning = 1;
    const kit_demod_dvbs_s2_blindscan_data_t* c = fs->current;
    return kit_demod_dvbs_s2_blindscan_subseq_bt_Start(common, c->freqKHz, c->symbolRateKSps, c->minSymbolRateKSps,
                                                       c->maxSymbolRateKSps, fs->lowerLimitKSps, fs->upperLimitKSps);
}
