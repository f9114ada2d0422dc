#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_demod_dvbs_s2_blindscan_subseq.h"
#include "kit_stopwatch_port.h"

#include <string.h>

enum {
    SS_INIT,
    SS_TUNE,
    SS_AGC,
    SS_START,
    SS_WAIT_FINISH,
    SS_READ,
    POLL_MS = 10,
    FINISH_LIMIT_MS = 10000,
};

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_ss_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    memset(&common->ss, 0, sizeof(common->ss));
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_ss_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         uint32_t startKHz, uint32_t endKHz, uint32_t stepKHz,
                                                         uint32_t spanKHz, uint8_t mode,
                                                         kit_demod_dvbs_s2_blindscan_power_t* out)
{
    if (!common || !out || stepKHz == 0 || spanKHz == 0)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_subseq_ss_t* ss = &common->ss;
    memset(ss, 0, sizeof(*ss));
    ss->isRunning = 1;
    ss->state = SS_INIT;
    ss->startKHz = startKHz;
    ss->endKHz = endKHz;
    ss->stepKHz = stepKHz;
    ss->spanKHz = spanKHz;
    ss->mode = mode;
    ss->tuningKHz = startKHz + spanKHz / 2;
    ss->out = out;
    ss->tail = out;
    while (ss->tail->next)
        ss->tail = ss->tail->next;
    return KIT_RESULT_OK;
}

static void showProgress(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    const uint32_t from = common->progressFromKHz, to = common->progressToKHz;
    const uint32_t at = common->ss.tuningKHz;
    if (to <= from)
        return;
    const uint64_t within = at <= from ? 0 : at >= to ? 100 : (uint64_t)(at - from) * 100 / (to - from);
    common->progressWithin = (uint8_t)within;
}

// One result of the sweep into the list, when it lies inside the range.
static kit_result_t takeResult(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    kit_demod_dvbs_s2_blindscan_subseq_ss_t* ss = &common->ss;
    int32_t offset = 0;
    uint32_t raw = 0;
    kit_result_t r = kit_demod_dvbs_s2_blindscan_GetCSINFO(common->demod, &offset, &raw);
    if (r != KIT_RESULT_OK)
        return r;
    // offset x clock / 2048, nearest, halves away from zero.
    const int64_t scaled = (int64_t)offset * common->clockHighKHz;
    const int64_t magnitude = ((scaled < 0 ? -scaled : scaled) + 1024) / 2048;
    const int64_t freq = (int64_t)ss->tuningKHz + (scaled < 0 ? -magnitude : magnitude);
    if (freq > 0 && freq <= ss->endKHz) {
        kit_demod_dvbs_s2_blindscan_power_t* e = NULL;
        r = kit_demod_dvbs_s2_blindscan_AllocPower(&common->storage, &e);
        if (r != KIT_RESULT_OK)
            return r;
        e->freqKHz = (uint32_t)freq;
        e->power = kit_demod_dvbs_s2_blindscan_PowerLevel(raw, ss->agc);
        ss->tail->next = e;
        ss->tail = e;
    }
    return kit_demod_dvbs_s2_blindscan_PS_RACK(common->demod);
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_subseq_ss_t* ss = &common->ss;
    kit_demod_t* demod = common->demod;
    kit_result_t r = KIT_RESULT_OK;
    uint8_t flag = 0;
    uint32_t elapsed = 0;
    switch (ss->state) {
    case SS_INIT: {
        const int32_t half = (int32_t)(ss->spanKHz / 2);
        r = kit_demod_dvbs_s2_blindscan_PS_INIT(demod, ss->mode);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbs_s2_blindscan_PS_SET(demod, -half, half, ss->stepKHz, common->clockHighKHz);
        ss->state = SS_TUNE;
        return r;
    }
    case SS_TUNE:
        kit_demod_dvbs_s2_blindscan_RequestTune(common, ss->tuningKHz, KIT_DTV_SYSTEM_DVBS, 0);
        showProgress(common);
        ss->state = SS_AGC;
        return KIT_RESULT_OK;
    case SS_AGC:
        ss->state = SS_START;
        return kit_demod_dvbs_s2_blindscan_RequestAgc(common);
    case SS_START:
        ss->agc = common->convertedAgc;
        r = kit_demod_dvbs_s2_blindscan_PS_START(demod);
        kit_stopwatch_start(&ss->stopwatch);
        common->waitTimeMs = POLL_MS;
        ss->state = SS_WAIT_FINISH;
        return r;
    case SS_WAIT_FINISH:
        r = kit_demod_dvbs_s2_blindscan_GetCSFIN(demod, &flag);
        kit_stopwatch_elapsed(&ss->stopwatch, &elapsed);
        if (r != KIT_RESULT_OK)
            return r;
        if (flag)
            ss->state = SS_READ;
        else if (elapsed > FINISH_LIMIT_MS)
            return KIT_RESULT_ERROR_TIMEOUT;
        else
            common->waitTimeMs = POLL_MS;
        return KIT_RESULT_OK;
    case SS_READ:
        r = kit_demod_dvbs_s2_blindscan_GetCSRDEND(demod, &flag);
        if (r != KIT_RESULT_OK || !flag)
            return r != KIT_RESULT_OK ? r : takeResult(common);
        if (ss->tuningKHz + ss->spanKHz / 2 >= ss->endKHz) {
            ss->isRunning = 0;
            return kit_demod_dvbs_s2_blindscan_PS_FIN(demod);
        }
        ss->tuningKHz += ss->spanKHz;
        ss->state = SS_TUNE;
        return KIT_RESULT_OK;
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
