#include "kit_demod_sat_device_ctrl_find1ub_seq.h"

#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_singlecable_command.h"

#include <stddef.h>
#include <string.h>

enum {
    F_SIGNAL_ON,
    F_SWEEP,
    F_SWEEPING,
    F_PICK,
    F_TUNE,
    F_AGC,
    F_OFFSET,
    F_MEASURE,
    F_POWER_OFF_ALL,
    F_END,
};

enum {
    MARGIN_KHZ = 5000,
    STEP_KHZ = 500,
    SPAN_KHZ = 20000,
    SWEEP_MODE = 1,
    ODU_ADDRESS = 0,
    ODU_SETTLE_MS = 300,
    TUNE_SETTLE_MS = 50,
    TUNE_KSPS = 45000,
    OFFSET_LIMIT_KHZ = 2000,
    POWER_DROP = 1000,  // 10 dB in 0.01 dB
    NEIGHBOURHOOD_KHZ = 2000,
    USERBANDS = 8,
};

static const int32_t measureOffsets[] = {0, -500, 500};

kit_result_t kit_demod_sat_device_ctrl_find1ub_seq_Initialize(kit_demod_sat_device_ctrl_find1ub_seq_t* seq,
                                                              kit_demod_t* demod, uint32_t lowerKHz,
                                                              uint32_t upperKHz, uint8_t userband)
{
    if (!seq || !demod || lowerKHz > upperKHz)
        return KIT_RESULT_ERROR_ARG;
    if (userband < 1 || userband > USERBANDS)
        return KIT_RESULT_ERROR_RANGE;
    memset(seq, 0, offsetof(kit_demod_sat_device_ctrl_find1ub_seq_t, powerPool));
    kit_result_t r = kit_demod_dvbs_s2_blindscan_seq_common_Initialize(
        &seq->common, demod, seq->powerPool, KIT_SAT_FIND1UB_POWER_MAX, seq->dataPool, KIT_SAT_FIND1UB_DATA_MAX);
    if (r != KIT_RESULT_OK)
        return r;
    seq->lowerKHz = lowerKHz > MARGIN_KHZ ? lowerKHz - MARGIN_KHZ : 0;
    seq->upperKHz = upperKHz + MARGIN_KHZ;
    seq->userband = userband;
    seq->powerOffUserband = 1;
    return kit_demod_dvbs_s2_blindscan_Initialize(demod);
}

static kit_result_t command(kit_demod_sat_device_ctrl_find1ub_seq_t* seq, uint8_t userbandOff)
{
    kit_demod_dvbs_s2_blindscan_seq_common_t* common = &seq->common;
    common->isSinglecableRequest = 1;
    common->waitTimeMs = ODU_SETTLE_MS;
    return userbandOff ? kit_singlecable_command_ODU_PowerOFF(&common->singlecableMessage, ODU_ADDRESS, userbandOff)
                       : kit_singlecable_command_ODU_UbxSignal_ON(&common->singlecableMessage, ODU_ADDRESS);
}

// The strongest point left (points already ruled out carry frequency 0); the first of equals.
static kit_demod_dvbs_s2_blindscan_power_t* strongest(kit_demod_dvbs_s2_blindscan_power_t* power)
{
    kit_demod_dvbs_s2_blindscan_power_t* best = NULL;
    for (kit_demod_dvbs_s2_blindscan_power_t* p = power->next; p; p = p->next)
        if (p->freqKHz != 0 && (!best || p->power > best->power))
            best = p;
    return best;
}

static void ruleOut(kit_demod_sat_device_ctrl_find1ub_seq_t* seq, uint32_t freqKHz)
{
    for (kit_demod_dvbs_s2_blindscan_power_t* p = seq->power.next; p; p = p->next) {
        const uint32_t d = p->freqKHz > freqKHz ? p->freqKHz - freqKHz : freqKHz - p->freqKHz;
        if (p->freqKHz != 0 && d <= NEIGHBOURHOOD_KHZ)
            p->freqKHz = 0;
    }
}

static kit_result_t measure(kit_demod_sat_device_ctrl_find1ub_seq_t* seq)
{
    kit_demod_dvbs_s2_blindscan_seq_common_t* common = &seq->common;
    if (common->pm.isRunning)
        return kit_demod_dvbs_s2_blindscan_subseq_pm_Sequence(common);
    if (seq->measureIndex > 0 && common->pm.power > seq->highest)
        seq->highest = common->pm.power;
    if (seq->measureIndex < sizeof measureOffsets / sizeof measureOffsets[0])
        return kit_demod_dvbs_s2_blindscan_subseq_pm_Start(common,
                                                           seq->offsetKHz + measureOffsets[seq->measureIndex++]);
    const int32_t level = kit_demod_dvbs_s2_blindscan_PowerLevel(seq->highest, common->convertedAgc);
    if (!seq->isUserbandOff) {
        // The same point once more with the asked user band switched off.
        seq->powerOn = level;
        seq->isUserbandOff = 1;
        common->state = F_TUNE;
        return command(seq, seq->userband);
    }
    if (seq->powerOn - level > POWER_DROP) {
        seq->foundKHz = seq->strongest->freqKHz;
        common->state = F_POWER_OFF_ALL;
        return KIT_RESULT_OK;
    }
    ruleOut(seq, seq->strongest->freqKHz);
    common->state = F_PICK;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_sat_device_ctrl_find1ub_seq_Sequence(kit_demod_sat_device_ctrl_find1ub_seq_t* seq)
{
    if (!seq)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_seq_common_t* common = &seq->common;
    kit_result_t r;
    switch (common->state) {
    case F_SIGNAL_ON:
        common->state = F_SWEEP;
        return command(seq, 0);
    case F_SWEEP:
        common->state = F_SWEEPING;
        return kit_demod_dvbs_s2_blindscan_subseq_ss_Start(common, seq->lowerKHz, seq->upperKHz, STEP_KHZ, SPAN_KHZ,
                                                           SWEEP_MODE, &seq->power);
    case F_SWEEPING:
        if (common->ss.isRunning)
            return kit_demod_dvbs_s2_blindscan_subseq_ss_Sequence(common);
        common->state = F_PICK;
        return KIT_RESULT_OK;
    case F_PICK:
        seq->strongest = strongest(&seq->power);
        if (!seq->strongest) {
            common->state = F_POWER_OFF_ALL;
            return KIT_RESULT_OK;
        }
        seq->isUserbandOff = 0;
        common->state = F_TUNE;
        return command(seq, 0);
    case F_TUNE:
        kit_demod_dvbs_s2_blindscan_RequestTune(common, seq->strongest->freqKHz, KIT_DTV_SYSTEM_DVBS, TUNE_KSPS);
        common->waitTimeMs = TUNE_SETTLE_MS;
        common->state = F_AGC;
        return KIT_RESULT_OK;
    case F_AGC:
        common->state = F_OFFSET;
        return kit_demod_dvbs_s2_blindscan_RequestAgc(common);
    case F_OFFSET:
        seq->offsetKHz = (int32_t)((int64_t)seq->strongest->freqKHz - common->tuneFreqKHz);
        if (seq->offsetKHz > OFFSET_LIMIT_KHZ || seq->offsetKHz < -OFFSET_LIMIT_KHZ) {
            // The tuner could not get near the point; the outdoor unit still gets switched off.
            seq->result = KIT_RESULT_ERROR_SW_STATE;
            common->state = F_POWER_OFF_ALL;
            return KIT_RESULT_OK;
        }
        seq->measureIndex = 0;
        seq->highest = 0;
        common->state = F_MEASURE;
        return kit_demod_dvbs_s2_blindscan_CS_INIT(common->demod);
    case F_MEASURE:
        return measure(seq);
    case F_POWER_OFF_ALL:
        if (seq->powerOffUserband > USERBANDS) {
            common->state = F_END;
            return KIT_RESULT_OK;
        }
        r = command(seq, seq->powerOffUserband++);
        common->waitTimeMs = 0;
        return r;
    case F_END:
        common->isContinue = 0;
        return kit_demod_dvbs_s2_blindscan_ClearPowerList(&common->storage, &seq->power);
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
