#include "kit_demod_scqam.h"

#include "kit_demod_output.h"

static const kit_demod_reg_step_t tsOutputOff[] = {
    KIT_DEMOD_STEP(KIT_DEMOD_SLVT, 0x00, 0x00),
    KIT_DEMOD_STEP(KIT_DEMOD_SLVT, 0xC3, 0x01),
};

static kit_result_t sleepToActive(kit_demod_t* demod, const void* param)
{
    const kit_scqam_standard_t* s = (const kit_scqam_standard_t*)param;
    kit_result_t r = kit_demod_SetTSClockModeAndFreq(demod, s->system);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteWakeSequence(demod, s->wakeStart, s->wakeStartCount, s->wakeEnd, s->wakeEndCount);
    if (r == KIT_RESULT_OK && s->wakeFilter && demod->tunerFilter == 1)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xA6, s->wakeFilter, KIT_SCQAM_FILTER_BYTES);
    if (r == KIT_RESULT_OK)
        r = s->bandSetting(demod);
    return r != KIT_RESULT_OK ? r : kit_demod_StartOutputBlock(demod);
}

static kit_result_t retune(kit_demod_t* demod, const void* param)
{
    const kit_scqam_standard_t* s = (const kit_scqam_standard_t*)param;
    const kit_result_t r = kit_demod_WriteSequence(demod, tsOutputOff, KIT_DEMOD_STEP_COUNT(tsOutputOff));
    return r != KIT_RESULT_OK ? r : s->bandSetting(demod);
}

kit_result_t kit_demod_scqam_Tune(kit_demod_t* demod, const kit_scqam_standard_t* standard,
                                  kit_dtv_bandwidth_t bandwidth)
{
    return kit_demod_TuneSystem(demod, standard->system, bandwidth, sleepToActive, retune, standard);
}

kit_result_t kit_demod_scqam_Sleep(kit_demod_t* demod, const kit_scqam_standard_t* standard)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = kit_demod_WriteSequence(demod, tsOutputOff, KIT_DEMOD_STEP_COUNT(tsOutputOff));
    if (r == KIT_RESULT_OK)
        r = kit_demod_StopOutputBlock(demod);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteSequence(demod, standard->sleepEnd, standard->sleepEndCount);
}
