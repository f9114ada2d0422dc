// The DVB-C2 channel search: acquires the C2 frame at one frequency, reads the layer-1 part 2
// of the system found there, walks its data slices one layer-1 selection per step, and turns
// every data slice and PLP into tune parameters for the tune sequencer.
#include "kit_demod.h"
#include "kit_demod_dvbc2.h"

#include <string.h>

enum {
    HALF_WINDOW_CARRIERS = 1704,  // half the tuning window around a data slice
};

static void mark(kit_dvbc2_get_tune_params_seq_t* seq) { seq->stateStartMs = seq->currentTimeMs; }

static uint32_t elapsed(const kit_dvbc2_get_tune_params_seq_t* seq)
{
    return seq->currentTimeMs - seq->stateStartMs;
}

static void finish(kit_dvbc2_get_tune_params_seq_t* seq, kit_result_t verdict)
{
    seq->result = verdict;
    seq->state = KIT_DVBC2_SEARCH_STATE_FINISH;
}

static void pollOrGiveUp(kit_dvbc2_get_tune_params_seq_t* seq, uint32_t limitMs)
{
    if (elapsed(seq) >= limitMs)
        finish(seq, KIT_RESULT_ERROR_TIMEOUT);
    else
        seq->waitMs = KIT_DVBC2_POLL_MS;
}

// Where the next search starts when this one found no C2 system.
static uint32_t nextStep(const kit_dvbc2_get_tune_params_seq_t* seq)
{
    return seq->searchFreqKHz + (seq->bandwidth == KIT_DTV_BW_6_MHZ ? 1500 : 2000);
}

// A notch wider than the pilot spacing that reaches into the data slice's tuning window
// makes the sequencer take its long way round.
static uint8_t notchNear(const kit_dvbc2_get_tune_params_seq_t* seq, int64_t sliceCarrier)
{
    const int64_t dx = kit_demod_dvbc2_PilotSpacing(seq->l1.guardInterval);
    for (uint8_t i = 0; i < seq->l1.numNotches; ++i) {
        const int64_t width = seq->l1.notches[i].width * dx;
        const int64_t start = seq->l1.notches[i].start * dx;
        if (width > dx && start + width >= sliceCarrier - HALF_WINDOW_CARRIERS &&
            start <= sliceCarrier + HALF_WINDOW_CARRIERS)
            return 1;
    }
    return 0;
}

// The selected data slice's signalling and PLP ids, as entries.
static kit_result_t readDataSlice(kit_demod_t* demod, kit_dvbc2_get_tune_params_seq_t* seq)
{
    uint8_t b[KIT_DVBC2_DATA_SLICE_BYTES] = {0};
    uint8_t plps[255] = {0};
    kit_dvbc2_data_slice_t slice;
    kit_result_t r = kit_demod_MonitorFreeze(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x2F, b, sizeof b);
    kit_demod_dvbc2_DecodeDataSlice(b, seq->l1.guardInterval, &slice);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_ReadL1IdList(demod, plps, slice.numPLPs);
    r = kit_demod_MonitorRelease(demod, r);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t dx = kit_demod_dvbc2_PilotSpacing(seq->l1.guardInterval);
    const int64_t position = (int64_t)slice.tunePosition * dx;
    const int64_t word = (int64_t)seq->l1.startFrequency + position;
    uint32_t kHz = 0;
    if (word > KIT_DVBC2_CARRIER_WORD_MAX)
        return KIT_RESULT_ERROR_OTHER;
    r = kit_demod_dvbc2_CarrierWordFrequency(seq->bandwidth, (uint32_t)word, &kHz);
    if (r != KIT_RESULT_OK)
        return r;
    for (uint32_t i = 0; i < slice.numPLPs; ++i) {
        if (seq->entryCount >= KIT_DVBC2_SEARCH_ENTRIES_MAX) {
            seq->result = KIT_RESULT_ERROR_OVERFLOW;
            break;
        }
        kit_dvbc2_tune_param_t* e = &seq->entries[seq->entryCount++];
        e->centerFreqKHz = kHz;
        e->bandwidth = seq->bandwidth;
        e->dataSliceId = slice.id;
        e->dataPlpId = plps[i];
        e->isNotch = notchNear(seq, position);
        e->dataSliceTuneFreqKHz = 0;
    }
    return KIT_RESULT_OK;
}

static kit_result_t readL1Part2(kit_demod_t* demod, kit_dvbc2_get_tune_params_seq_t* seq)
{
    kit_result_t r = kit_demod_MonitorFreeze(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_ReadL1Part2(demod, &seq->l1);
    r = kit_demod_MonitorRelease(demod, r);
    if (r != KIT_RESULT_OK)
        return r;
    const uint32_t dx = kit_demod_dvbc2_PilotSpacing(seq->l1.guardInterval);
    const uint64_t end = (uint64_t)seq->l1.startFrequency + (uint64_t)seq->l1.c2Bandwidth * dx;
    uint32_t endKHz = 0;
    if (end <= KIT_DVBC2_CARRIER_WORD_MAX &&
        kit_demod_dvbc2_CarrierWordFrequency(seq->bandwidth, (uint32_t)end, &endKHz) == KIT_RESULT_OK)
        seq->nextFreqKHz = endKHz + (seq->bandwidth == KIT_DTV_BW_6_MHZ ? 3000 : 4000);
    if (seq->l1.numDataSlices == 0) {
        finish(seq, KIT_RESULT_OK);
        return KIT_RESULT_OK;
    }
    r = kit_demod_dvbc2_SelectL1View(demod, KIT_DVBC2_L1_VIEW_DATA_SLICES, 0);
    if (r != KIT_RESULT_OK)
        return r;
    seq->selection = -1;
    mark(seq);
    seq->state = KIT_DVBC2_SEARCH_STATE_DATA_SLICES;
    return KIT_RESULT_OK;
}

// Reads what the last selection presents, then selects the next data slice.
static kit_result_t dataSlices(kit_demod_t* demod, kit_dvbc2_get_tune_params_seq_t* seq)
{
    uint8_t ready = 0;
    kit_result_t r = kit_demod_dvbc2_CheckL1DataReady(demod, &ready);
    if (r != KIT_RESULT_OK)
        return r;
    if (!ready) {
        pollOrGiveUp(seq, KIT_DVBC2_L1_PART2_WAIT_LIMIT_MS);
        return KIT_RESULT_OK;
    }
    if (seq->selection < 0) {
        r = kit_demod_MonitorFreeze(demod);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbc2_ReadL1IdList(demod, seq->dataSliceIds, seq->l1.numDataSlices);
        r = kit_demod_MonitorRelease(demod, r);
    } else {
        r = readDataSlice(demod, seq);
    }
    if (r != KIT_RESULT_OK)
        return r;
    ++seq->selection;
    if (seq->selection >= seq->l1.numDataSlices || seq->result == KIT_RESULT_ERROR_OVERFLOW) {
        finish(seq, seq->result);
        return KIT_RESULT_OK;
    }
    r = kit_demod_dvbc2_SelectL1View(demod, KIT_DVBC2_L1_VIEW_DATA_SLICE, seq->dataSliceIds[seq->selection]);
    if (r == KIT_RESULT_OK)
        mark(seq);
    return r;
}

kit_result_t kit_demod_dvbc2_InitGetTuneParamsSeq(kit_demod_t* demod, uint32_t searchFreqKHz,
                                                  kit_dtv_bandwidth_t bandwidth,
                                                  kit_dvbc2_get_tune_params_seq_t* seq)
{
    if (!demod || !seq || searchFreqKHz == 0)
        return KIT_RESULT_ERROR_ARG;
    if (bandwidth != KIT_DTV_BW_6_MHZ && bandwidth != KIT_DTV_BW_8_MHZ)
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    memset(seq, 0, sizeof *seq);
    seq->running = 1;
    seq->searchFreqKHz = searchFreqKHz;
    seq->bandwidth = bandwidth;
    seq->tuneParam.centerFreqKHz = searchFreqKHz;
    seq->tuneParam.bandwidth = bandwidth;
    seq->selection = -1;
    seq->nextFreqKHz = nextStep(seq);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_GetTuneParamsSeq(kit_demod_t* demod, kit_dvbc2_get_tune_params_seq_t* seq)
{
    if (!demod || !seq)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = KIT_RESULT_OK;
    switch (seq->state) {
    case KIT_DVBC2_SEARCH_STATE_START:
        r = kit_demod_dvbc2_Tune(demod, &seq->tuneParam);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbc2_ReleasePreset(demod);
        if (r == KIT_RESULT_OK) {
            seq->tunerRetune = 1;
            seq->retuneFreqKHz = seq->searchFreqKHz;
            seq->state = KIT_DVBC2_SEARCH_STATE_PRESET;
        }
        return r;
    case KIT_DVBC2_SEARCH_STATE_PRESET: {
        uint32_t k = 0;
        r = kit_demod_dvbc2_CarrierWord(seq->bandwidth, seq->searchFreqKHz, &k);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbc2_WriteDataSlice(demod, k, 0, 0);
        if (r == KIT_RESULT_OK)
            r = kit_demod_dvbc2_PresetDataSlice(demod, k, 0, 0);
        if (r == KIT_RESULT_OK)
            r = kit_demod_SoftReset(demod);
        if (r == KIT_RESULT_OK) {
            mark(seq);
            seq->state = KIT_DVBC2_SEARCH_STATE_LOCK_WAIT;
        }
        return r;
    }
    case KIT_DVBC2_SEARCH_STATE_LOCK_WAIT: {
        kit_demod_lock_result_t lock = KIT_DEMOD_LOCK_RESULT_NOTDETECT;
        r = kit_demod_dvbc2_CheckDemodLock(demod, &lock);
        if (r != KIT_RESULT_OK)
            return r;
        if (lock == KIT_DEMOD_LOCK_RESULT_LOCKED)
            seq->state = KIT_DVBC2_SEARCH_STATE_FIRST_TRIAL;
        else if (lock == KIT_DEMOD_LOCK_RESULT_UNLOCKED)
            finish(seq, KIT_RESULT_ERROR_UNLOCK);
        else
            pollOrGiveUp(seq, KIT_DVBC2_WAIT_LIMIT_MS);
        return KIT_RESULT_OK;
    }
    case KIT_DVBC2_SEARCH_STATE_FIRST_TRIAL:
        r = kit_demod_dvbc2_Change1stTrial(demod);
        if (r == KIT_RESULT_OK) {
            mark(seq);
            seq->state = KIT_DVBC2_SEARCH_STATE_L1_WAIT;
        }
        return r;
    case KIT_DVBC2_SEARCH_STATE_L1_WAIT: {
        uint8_t ready = 0;
        r = kit_demod_dvbc2_CheckL1DataReady(demod, &ready);
        if (r != KIT_RESULT_OK)
            return r;
        if (ready)
            seq->state = KIT_DVBC2_SEARCH_STATE_L1_PART2;
        else
            pollOrGiveUp(seq, KIT_DVBC2_L1_PART2_WAIT_LIMIT_MS);
        return KIT_RESULT_OK;
    }
    case KIT_DVBC2_SEARCH_STATE_L1_PART2: return readL1Part2(demod, seq);
    case KIT_DVBC2_SEARCH_STATE_DATA_SLICES: return dataSlices(demod, seq);
    case KIT_DVBC2_SEARCH_STATE_FINISH:
        seq->tunerRetune = 0;
        seq->running = 0;
        return KIT_RESULT_OK;
    default: return KIT_RESULT_ERROR_ARG;
    }
}
