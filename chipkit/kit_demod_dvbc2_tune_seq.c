// The DVB-C2 tune sequencer. Without a notch near the data slice the chip is told the data
// slice at once (state 1). With one, it first acquires the C2 frame from the tuning
// frequency, reads the layer-1 signalling in three rounds (states 3, 5, 7), moves the data
// slice's carrier word away from the notch and chooses the adjacent-channel filter the notch
// leaves room for (states 6, 8), and only then tunes the data slice (state 9).
#include "kit_demod.h"
#include "kit_demod_dvbc2.h"
#include "kit_demod_dvbc2_monitor.h"

#include <string.h>

// Layer-1 byte of register reg (bank 0x50) in the sequencer's buffer.
#define L1(seq, reg) ((seq)->l1[(reg) - KIT_DVBC2_L1_BUFFER_FIRST])

enum {
    NOTCHES = 3,
    NOTCH_EDGE = 852,  // the highest notch position: 3408 carriers of the L1 block, in fours
    BLOCK_CARRIERS = 3409,
    LAST_CARRIER_BELOW_EDGE = 3407,
};

static void mark(kit_dvbc2_tune_seq_t* seq) { seq->stateStartMs = seq->currentTimeMs; }

// Ends a step after which a wait is measured: on success the next state starts now.
static kit_result_t markAndGo(kit_dvbc2_tune_seq_t* seq, kit_result_t r, uint32_t next)
{
    if (r == KIT_RESULT_OK) {
        mark(seq);
        seq->state = next;
    }
    return r;
}

// A preset of the data slice the tune is for, at word.
static kit_result_t preset(kit_demod_t* demod, const kit_dvbc2_tune_seq_t* seq, uint32_t word)
{
    return kit_demod_dvbc2_PresetDataSlice(demod, word, seq->param->dataSliceId, seq->param->dataPlpId);
}

static uint32_t elapsed(const kit_dvbc2_tune_seq_t* seq) { return seq->currentTimeMs - seq->stateStartMs; }

// The sequence ends through state 12 with a verdict of its own.
static void finish(kit_dvbc2_tune_seq_t* seq, kit_result_t verdict)
{
    seq->result = verdict;
    seq->state = KIT_DVBC2_TUNE_SEQ_STATE_FINISH;
}

// Ends the wait with a time-out once it has lasted too long, else asks for the next poll.
static void pollOrGiveUp(kit_dvbc2_tune_seq_t* seq)
{
    if (elapsed(seq) >= KIT_DVBC2_WAIT_LIMIT_MS)
        finish(seq, KIT_RESULT_ERROR_TIMEOUT);
    else
        seq->waitMs = KIT_DVBC2_POLL_MS;
}

static int64_t pilotSpacing(const kit_dvbc2_tune_seq_t* seq) { return (L1(seq, 0x15) & 0x10) ? 12 : 24; }

typedef struct {
    int64_t start;  // in fours of carriers
    int64_t end;
} notch_t;

// The enabled notches of the layer-1 bytes. The bytes come from the air: a notch that ends
// before it starts or beyond the block is no notch the chip can have found, and nothing is
// computed from it.
static kit_result_t enabledNotches(const kit_dvbc2_tune_seq_t* seq, notch_t notches[NOTCHES], int* count)
{
    *count = 0;
    for (int j = 0; j < NOTCHES; ++j) {
        if (!(L1(seq, 0x27) & (0x04 >> j)))
            continue;
        const uint8_t* b = &seq->l1[0x1B - KIT_DVBC2_L1_BUFFER_FIRST + 4 * j];
        notch_t* n = &notches[(*count)++];
        n->start = ((int64_t)(b[0] & 0x03) << 8) | b[1];
        n->end = ((int64_t)(b[2] & 0x03) << 8) | b[3];
        if (n->end < n->start || n->end > NOTCH_EDGE)
            return KIT_RESULT_ERROR_OTHER;
    }
    return KIT_RESULT_OK;
}

// The states after a complete layer-1 read start alike: the first trial follows what the
// signalling says, and the notches are taken from it.
static kit_result_t firstTrialAndNotches(kit_demod_t* demod, const kit_dvbc2_tune_seq_t* seq,
                                         notch_t notches[NOTCHES], int* count)
{
    const kit_result_t r = kit_demod_dvbc2_Change1stTrial(demod);
    return r != KIT_RESULT_OK ? r : enabledNotches(seq, notches, count);
}

// One round of layer-1 reading: an early unlock ends the tune, ready moves on to next.
static kit_result_t l1Wait(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq, uint32_t length, uint32_t next)
{
    uint8_t sync = 0, ts = 0, early = 0;
    kit_result_t r = kit_demod_dvbc2_monitor_SyncStat(demod, &sync, &ts, &early);
    if (r != KIT_RESULT_OK)
        return r;
    if (early) {
        finish(seq, KIT_RESULT_ERROR_UNLOCK);
        return KIT_RESULT_OK;
    }
    r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, KIT_DVBC2_L1_BUFFER_FIRST, seq->l1, length);
    if (r != KIT_RESULT_OK)
        return r;
    if (seq->l1[0] & 0x01)
        seq->state = next;
    else
        pollOrGiveUp(seq);
    return KIT_RESULT_OK;
}

static kit_result_t start(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    const kit_dvbc2_tune_param_t* p = seq->param;
    kit_result_t r = kit_demod_dvbc2_Tune(demod, p);
    if (r == KIT_RESULT_OK && !demod->scanMode)
        r = kit_demod_dvbc2_ReleasePreset(demod);
    if (r != KIT_RESULT_OK)
        return r;
    seq->state = p->isNotch ? KIT_DVBC2_TUNE_SEQ_STATE_SEARCH : KIT_DVBC2_TUNE_SEQ_STATE_DIRECT;
    seq->tunerRetune = 1;
    seq->retuneFreqKHz = !p->isNotch && p->dataSliceTuneFreqKHz ? p->dataSliceTuneFreqKHz : seq->centerFreqKHz;
    return KIT_RESULT_OK;
}

static kit_result_t direct(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    uint32_t k = 0;
    kit_result_t r = kit_demod_dvbc2_CarrierWord(seq->bandwidth, seq->centerFreqKHz, &k);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_WriteDataSlice(demod, k, seq->param->dataSliceId, seq->param->dataPlpId);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x87, 0x01);
    if (r == KIT_RESULT_OK)
        r = kit_demod_TuneEnd(demod);
    return markAndGo(seq, r, KIT_DVBC2_TUNE_SEQ_STATE_LOCK_WAIT);
}

static kit_result_t search(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    const kit_dvbc2_tune_param_t* p = seq->param;
    uint32_t k = 0;
    kit_result_t r = kit_demod_dvbc2_CarrierWord(seq->bandwidth, seq->centerFreqKHz, &k);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_WriteDataSlice(demod, k, p->dataSliceId, p->dataPlpId);
    if (r == KIT_RESULT_OK)
        r = preset(demod, seq, k);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SoftReset(demod);
    return markAndGo(seq, r, KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT);
}

// The data slice's own carrier word: the C2 system's start plus its tuning position.
static kit_result_t basePreset(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    uint8_t start[3] = {0}, position[2] = {0};
    kit_result_t r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x24, start, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x30, position, 2);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t a = ((int64_t)start[0] << 16) | ((int64_t)start[1] << 8) | start[2];
    const int64_t b = ((int64_t)(position[0] & 0x3F) << 8) | position[1];
    const int64_t base = a + b * pilotSpacing(seq);
    if (base > KIT_DVBC2_CARRIER_WORD_MAX)
        return KIT_RESULT_ERROR_ARG;
    seq->baseWord = (uint32_t)base;
    r = preset(demod, seq, seq->baseWord);
    return markAndGo(seq, r, KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT_2);
}

// Moves the data slice's word so that the tuning window leaves the notches at its edge.
static kit_result_t notchPreset(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    notch_t notches[NOTCHES];
    int count = 0;
    kit_result_t r = firstTrialAndNotches(demod, seq, notches, &count);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t dx = pilotSpacing(seq);
    const int64_t position = ((int64_t)(L1(seq, 0x16) & 0x03) << 8) | L1(seq, 0x17);
    int64_t upper = 0, lower = 0;
    for (int j = 0; j < count; ++j) {
        if (position > notches[j].start)
            upper = (dx - 1 + 4 * notches[j].end) / dx;
        if (position < notches[j].start)
            lower = (dx + LAST_CARRIER_BELOW_EDGE - 4 * notches[j].start) / dx;
        if (lower < 0)
            lower = 0;
    }
    int64_t adjusted = (int64_t)seq->baseWord + dx * (upper - ((upper + lower + 1) >> 1));
    if (adjusted < 0)
        adjusted = 0;
    if (adjusted > KIT_DVBC2_CARRIER_WORD_MAX)
        return KIT_RESULT_ERROR_ARG;
    seq->adjustedWord = (uint32_t)adjusted;
    r = preset(demod, seq, seq->adjustedWord);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x20, 0x52, seq->savedTrl, sizeof seq->savedTrl);
    return markAndGo(seq, r, KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT_3);
}

// What the notches leave of the block decides the filter against adjacent channels.
static kit_result_t aci(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    notch_t notches[NOTCHES];
    int count = 0;
    kit_result_t r = firstTrialAndNotches(demod, seq, notches, &count);
    if (r != KIT_RESULT_OK)
        return r;
    // Carriers the notches take; whether a notch at the block's edge counts its edge carrier
    // the layer-1 bits 4 (lower edge) and 3 (upper edge) tell.
    const uint8_t edges = L1(seq, 0x27);
    int64_t width = 0;
    for (int j = 0; j < count; ++j) {
        const int64_t w2 = width + 4 * (notches[j].end - notches[j].start);
        width = notches[j].start == 0 && !(edges & 0x10) ? w2 : w2 - 1;
        if (notches[j].end == NOTCH_EDGE && !(edges & 0x08))
            width += 1;
    }
    int64_t room = BLOCK_CARRIERS - width;
    if (room < 0)
        room = 0;
    seq->aciFilterIndex = room < 888 ? 0 : room < 1776 ? 1 : room < 2664 ? 2 : 3;
    seq->aciWord = (uint16_t)(((13 * room + 20050) & 0xFFFF) / 100);
    const int64_t offset = ((int64_t)seq->baseWord - (int64_t)seq->adjustedWord) * 16;
    if (offset < INT16_MIN || offset > INT16_MAX)
        return KIT_RESULT_ERROR_OTHER;
    seq->offsetWord = (uint16_t)(int16_t)offset;

    uint32_t kHz = seq->param->dataSliceTuneFreqKHz;
    if (kHz == 0) {
        r = kit_demod_dvbc2_CarrierWordFrequency(seq->bandwidth, seq->baseWord, &kHz);
        if (r != KIT_RESULT_OK)
            return r;
    }
    seq->tunerRetune = 1;
    seq->retuneFreqKHz = kHz;
    seq->state = KIT_DVBC2_TUNE_SEQ_STATE_DATA_SLICE;
    return KIT_RESULT_OK;
}

// Tunes the data slice with what the search found: filter, sampling rate and layer-1 copy.
static kit_result_t dataSlice(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    if (seq->adjustedWord > KIT_DVBC2_CARRIER_WORD_MAX)
        return KIT_RESULT_ERROR_ARG;
    const uint8_t aciBytes[2] = {(uint8_t)((seq->aciWord >> 8) & 0x0F), (uint8_t)seq->aciWord};
    static const uint8_t gains[4] = {0x0F, 0x3F, 0x3F, 0x3F};
    const uint8_t offset[4] = {(uint8_t)(seq->offsetWord >> 8), (uint8_t)seq->offsetWord, 0x02, 0x01};

    kit_result_t r = kit_demod_dvbc2_WriteDataSlice(demod, seq->adjustedWord, seq->param->dataSliceId,
                                                    seq->param->dataPlpId);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x87, 0x01);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x27, 0xF4, aciBytes, 2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x51, 0xA0, 0xF0);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0x73, gains, 4);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x20, 0x9F, seq->savedTrl, 5);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x27);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xC9, 0x03);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x20);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xC2, 0x11);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_WriteACIFilter(demod, seq->aciFilterIndex);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, 0x55, seq->l1 + 1, KIT_DVBC2_L1_BUFFER_SIZE - 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0x6B, offset, 4);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x6F, 0x40, 0x40);
    if (r == KIT_RESULT_OK)
        r = kit_demod_TuneEnd(demod);
    return markAndGo(seq, r, KIT_DVBC2_TUNE_SEQ_STATE_LOCK_WAIT);
}

static kit_result_t lockWait(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    kit_demod_lock_result_t lock = KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    // A scan only asks whether a C2 signal is there; a tune wants its transport stream.
    const kit_result_t r = demod->scanMode ? kit_demod_dvbc2_CheckDemodLock(demod, &lock)
                                           : kit_demod_dvbc2_CheckTSLock(demod, &lock);
    if (r != KIT_RESULT_OK)
        return r;
    switch (lock) {
    case KIT_DEMOD_LOCK_RESULT_LOCKED: seq->state = KIT_DVBC2_TUNE_SEQ_STATE_FIRST_TRIAL; break;
    case KIT_DEMOD_LOCK_RESULT_UNLOCKED: finish(seq, KIT_RESULT_ERROR_UNLOCK); break;
    case KIT_DEMOD_LOCK_RESULT_NOTDETECT: pollOrGiveUp(seq); break;
    default: return KIT_RESULT_ERROR_HW_STATE;
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_InitTuneSeq(kit_demod_t* demod, const kit_dvbc2_tune_param_t* param,
                                         kit_dvbc2_tune_seq_t* seq)
{
    if (!demod || !param || !seq)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    memset(seq, 0, sizeof *seq);
    seq->running = 1;
    seq->centerFreqKHz = param->centerFreqKHz;
    seq->bandwidth = param->bandwidth;
    seq->param = param;
    seq->state = KIT_DVBC2_TUNE_SEQ_STATE_START;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_TuneSeq(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq)
{
    if (!demod || !seq || !seq->param)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    switch (seq->state) {
    case KIT_DVBC2_TUNE_SEQ_STATE_START: return start(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_DIRECT: return direct(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_SEARCH: return search(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT: return l1Wait(demod, seq, 2, KIT_DVBC2_TUNE_SEQ_STATE_BASE_PRESET);
    case KIT_DVBC2_TUNE_SEQ_STATE_BASE_PRESET: return basePreset(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT_2:
        return l1Wait(demod, seq, KIT_DVBC2_L1_BUFFER_SIZE, KIT_DVBC2_TUNE_SEQ_STATE_NOTCH_PRESET);
    case KIT_DVBC2_TUNE_SEQ_STATE_NOTCH_PRESET: return notchPreset(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT_3:
        return l1Wait(demod, seq, KIT_DVBC2_L1_BUFFER_SIZE, KIT_DVBC2_TUNE_SEQ_STATE_ACI);
    case KIT_DVBC2_TUNE_SEQ_STATE_ACI: return aci(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_DATA_SLICE: return dataSlice(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_LOCK_WAIT: return lockWait(demod, seq);
    case KIT_DVBC2_TUNE_SEQ_STATE_FIRST_TRIAL: {
        const kit_result_t r = kit_demod_dvbc2_Change1stTrial(demod);
        if (r == KIT_RESULT_OK)
            seq->state = KIT_DVBC2_TUNE_SEQ_STATE_FINISH;
        return r;
    }
    case KIT_DVBC2_TUNE_SEQ_STATE_FINISH:
        seq->tunerRetune = 0;
        seq->running = 0;
        return KIT_RESULT_OK;
    default: return KIT_RESULT_ERROR_ARG;
    }
}
