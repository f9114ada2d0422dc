#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_demod_dvbs_s2_blindscan_subseq.h"

#include <string.h>

enum { CS_INIT, CS_PEAK, CS_LOWER, CS_UPPER, CS_DONE };

// The scan around the centre: c - 500 ... c + 500 kHz in 100 kHz steps.
enum { PEAK_POINTS = 11, PEAK_FROM_KHZ = -500, PEAK_STEP_KHZ = 100, EDGE_STEPS = 26 };

// Distances from the peak at which the edges are looked for, in kHz.
static const uint32_t stepTable[] = {0,   100, 200, 300, 400,  440,  484,  532,  586,  644,
                                     709, 779, 857, 943, 1037, 1141, 1255, 1381, 1519, 1671,
                                     1838, 2022, 2224, 2446, 2691, 2960, 3256, 3582};

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    memset(&common->cs, 0, sizeof(common->cs));
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_Start(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                         int32_t centreKHz)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    memset(&common->cs, 0, sizeof(common->cs));
    common->cs.isRunning = 1;
    common->cs.state = CS_INIT;
    common->cs.centreKHz = centreKHz;
    return KIT_RESULT_OK;
}

static kit_result_t finish(kit_demod_dvbs_s2_blindscan_seq_common_t* common, int found)
{
    kit_demod_dvbs_s2_blindscan_subseq_cs_t* cs = &common->cs;
    cs->isFound = found && cs->upperKHz > cs->lowerKHz;
    if (cs->isFound) {
        cs->widthKHz = (uint32_t)(cs->upperKHz - cs->lowerKHz);
        cs->carrierKHz = (cs->lowerKHz + cs->upperKHz) / 2;
    }
    cs->isRunning = 0;
    return kit_demod_dvbs_s2_blindscan_CS_FIN(common->demod);
}

// An edge is where the power has fallen below peak / 1.37; a rise above 1.5 x the peak on the
// way means the search has run into something else.
static kit_result_t edgeStep(kit_demod_dvbs_s2_blindscan_seq_common_t* common, int32_t sign, int32_t* edge,
                             uint32_t nextState)
{
    kit_demod_dvbs_s2_blindscan_subseq_cs_t* cs = &common->cs;
    if (cs->isMeasuring) {
        cs->isMeasuring = 0;
        const uint64_t power = common->pm.power, peak = cs->peakPower;
        if (peak * 100 > power * 137) {
            *edge = cs->peakKHz + sign * (int32_t)stepTable[cs->index];
            cs->state = nextState;
            cs->index = 1;
            return KIT_RESULT_OK;
        }
        if (power * 100 > peak * 150)
            return finish(common, 0);
        ++cs->index;
    }
    if (cs->index > EDGE_STEPS)
        return finish(common, 0);
    cs->isMeasuring = 1;
    return kit_demod_dvbs_s2_blindscan_subseq_pm_Start(common, cs->peakKHz + sign * (int32_t)stepTable[cs->index]);
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_Sequence(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    if (common->pm.isRunning)
        return kit_demod_dvbs_s2_blindscan_subseq_pm_Sequence(common);
    kit_demod_dvbs_s2_blindscan_subseq_cs_t* cs = &common->cs;
    switch (cs->state) {
    case CS_INIT:
        cs->state = CS_PEAK;
        cs->index = 0;
        return kit_demod_dvbs_s2_blindscan_CS_INIT(common->demod);
    case CS_PEAK:
        if (cs->isMeasuring) {
            cs->isMeasuring = 0;
            const int32_t at = cs->centreKHz + PEAK_FROM_KHZ + PEAK_STEP_KHZ * (int32_t)(cs->index - 1);
            if (cs->index == 1 || common->pm.power > cs->peakPower) {
                cs->peakPower = common->pm.power;
                cs->peakKHz = at;
            }
        }
        if (cs->index < PEAK_POINTS) {
            cs->isMeasuring = 1;
            const int32_t at = cs->centreKHz + PEAK_FROM_KHZ + PEAK_STEP_KHZ * (int32_t)cs->index;
            ++cs->index;
            return kit_demod_dvbs_s2_blindscan_subseq_pm_Start(common, at);
        }
        cs->state = CS_LOWER;
        cs->index = 1;
        return KIT_RESULT_OK;
    case CS_LOWER:
        return edgeStep(common, -1, &cs->lowerKHz, CS_UPPER);
    case CS_UPPER:
        return edgeStep(common, 1, &cs->upperKHz, CS_DONE);
    case CS_DONE:
        return finish(common, 1);
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}

kit_result_t kit_demod_dvbs_s2_blindscan_subseq_cs_AppendCandidate(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                                   kit_demod_dvbs_s2_blindscan_data_t* candidates)
{
    if (!common)
        return KIT_RESULT_ERROR_ARG;
    const kit_demod_dvbs_s2_blindscan_subseq_cs_t* cs = &common->cs;
    if (!cs->isFound)
        return KIT_RESULT_OK;
    const uint64_t width = cs->widthKHz;
    return kit_demod_dvbs_s2_blindscan_AppendData(&common->storage, candidates,
                                                  (uint32_t)((int64_t)common->tuneFreqKHz + cs->carrierKHz),
                                                  (uint32_t)width, (uint32_t)(width * 700 / 1000),
                                                  (uint32_t)((width * 1600 + 999) / 1000));
}
