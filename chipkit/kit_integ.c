#include "kit_integ.h"

#include "kit_demod.h"
#include "kit_stopwatch_port.h"

#include <stddef.h>

// ---- The repeater ----

// One bracket of tuner calls: the repeater on, the calls, the repeater off whatever they gave.
// The calls' own failure wins over a failure to switch the repeater off.
typedef kit_result_t (*tuner_calls_t)(kit_integ_t* integ, void* context);

static kit_result_t throughRepeater(kit_integ_t* integ, tuner_calls_t calls, void* context)
{
    kit_result_t r = kit_demod_I2cRepeaterEnable(integ->demod, 1);
    if (r != KIT_RESULT_OK)
        return r;
    r = calls(integ, context);
    const kit_result_t off = kit_demod_I2cRepeaterEnable(integ->demod, 0);
    return r != KIT_RESULT_OK ? r : off;
}

// The same life-cycle slot of both tuners, where they have it.
typedef enum { TUNERS_INITIALIZE, TUNERS_SLEEP, TUNERS_SHUTDOWN } tuners_op_t;

static kit_result_t bothTuners(kit_integ_t* integ, void* context)
{
    const tuners_op_t op = *(const tuners_op_t*)context;
    kit_tuner_terr_cable_t* terr = integ->tunerTerrCable;
    kit_tuner_sat_t* sat = integ->tunerSat;
    kit_result_t (*terrSlot)(kit_tuner_terr_cable_t*) = NULL;
    kit_result_t (*satSlot)(kit_tuner_sat_t*) = NULL;
    if (terr)
        terrSlot = op == TUNERS_INITIALIZE ? terr->Initialize : op == TUNERS_SLEEP ? terr->Sleep : terr->Shutdown;
    if (sat)
        satSlot = op == TUNERS_INITIALIZE ? sat->Initialize : op == TUNERS_SLEEP ? sat->Sleep : sat->Shutdown;
    const kit_result_t r = terrSlot ? terrSlot(terr) : KIT_RESULT_OK;
    return r != KIT_RESULT_OK || !satSlot ? r : satSlot(sat);
}

typedef struct {
    uint32_t frequencyKHz;
    kit_dtv_system_t system;
    kit_dtv_bandwidth_t bandwidth;
} tuner_tune_t;

static kit_result_t tuneTuner(kit_integ_t* integ, void* context)
{
    const tuner_tune_t* t = (const tuner_tune_t*)context;
    kit_tuner_terr_cable_t* tuner = integ->tunerTerrCable;
    return tuner->Tune(tuner, t->frequencyKHz, t->system, t->bandwidth);
}

typedef struct {
    uint32_t frequencyKHz;
    kit_dtv_system_t system;
    uint32_t symbolRateKSps;
} sat_tune_t;

static kit_result_t tuneSatTuner(kit_integ_t* integ, void* context)
{
    const sat_tune_t* t = (const sat_tune_t*)context;
    kit_tuner_sat_t* tuner = integ->tunerSat;
    return tuner->Tune(tuner, t->frequencyKHz, t->system, t->symbolRateKSps);
}

static kit_result_t sleepSatTuner(kit_integ_t* integ, void* context)
{
    (void)context;
    return integ->tunerSat->Sleep(integ->tunerSat);
}

static kit_result_t readTunerRFLevel(kit_integ_t* integ, void* context)
{
    kit_tuner_terr_cable_t* tuner = integ->tunerTerrCable;
    return tuner->ReadRFLevel(tuner, (int32_t*)context);
}

// ---- Life cycle ----

static int usable(const kit_integ_t* integ) { return integ && integ->demod; }

static int inState(const kit_integ_t* integ, kit_demod_state_t lowest, kit_demod_state_t highest)
{
    return integ->demod->state >= lowest && integ->demod->state <= highest;
}

kit_result_t kit_integ_Create(kit_integ_t* integ, kit_demod_t* demod, const kit_demod_create_param_t* createParam,
                              kit_i2c_t* i2c, kit_tuner_terr_cable_t* terrTuner, kit_tuner_sat_t* satTuner,
                              kit_lnbc_t* lnbc)
{
    if (!integ || !demod || !createParam || !i2c)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = kit_demod_Create(demod, createParam, i2c);
    if (r != KIT_RESULT_OK)
        return r;
    integ->demod = demod;
    integ->tunerTerrCable = terrTuner;
    integ->tunerSat = satTuner;
    integ->lnbc = lnbc;
    // A handle made anew for each piece of work (a zeroed one has no stop): a stop raised
    // while it is made belongs to that work.
    kit_integ_ClearAnsweredCancel(integ);
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_Initialize(kit_integ_t* integ)
{
    if (!usable(integ))
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = kit_demod_Initialize(integ->demod);
    if (r == KIT_RESULT_OK)
        r = throughRepeater(integ, bothTuners, &(tuners_op_t){TUNERS_INITIALIZE});
    kit_lnbc_t* lnbc = integ->lnbc;
    if (r == KIT_RESULT_OK && lnbc && lnbc->Initialize)
        r = lnbc->Initialize(lnbc);
    if (r == KIT_RESULT_OK && lnbc && lnbc->Sleep)
        r = lnbc->Sleep(lnbc);
    return r;
}

kit_result_t kit_integ_Sleep(kit_integ_t* integ)
{
    if (!usable(integ))
        return KIT_RESULT_ERROR_ARG;
    if (!inState(integ, KIT_DEMOD_STATE_SHUTDOWN, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    const kit_result_t r = kit_demod_Sleep(integ->demod);
    return r != KIT_RESULT_OK ? r : throughRepeater(integ, bothTuners, &(tuners_op_t){TUNERS_SLEEP});
}

kit_result_t kit_integ_Shutdown(kit_integ_t* integ)
{
    if (!usable(integ))
        return KIT_RESULT_ERROR_ARG;
    if (!inState(integ, KIT_DEMOD_STATE_SHUTDOWN, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    if (integ->demod->state == KIT_DEMOD_STATE_SHUTDOWN)
        return KIT_RESULT_OK;
    kit_result_t r = kit_demod_Sleep(integ->demod);
    if (r == KIT_RESULT_OK)
        r = throughRepeater(integ, bothTuners, &(tuners_op_t){TUNERS_SHUTDOWN});
    kit_lnbc_t* lnbc = integ->lnbc;
    if (r == KIT_RESULT_OK && lnbc && lnbc->Sleep)
        r = lnbc->Sleep(lnbc);
    return r != KIT_RESULT_OK ? r : kit_demod_Shutdown(integ->demod);
}

// ---- The stop ----

enum { CANCEL_RAISED = 1u, CANCEL_COUNT_STEP = 2u };

kit_result_t kit_integ_Cancel(kit_integ_t* integ)
{
    if (!integ)
        return KIT_RESULT_ERROR_ARG;
    uint32_t word = __atomic_load_n(&integ->cancel, __ATOMIC_ACQUIRE);
    while (!__atomic_compare_exchange_n(&integ->cancel, &word, (word + CANCEL_COUNT_STEP) | CANCEL_RAISED, 0,
                                        __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_CheckCancellation(kit_integ_t* integ)
{
    if (!integ)
        return KIT_RESULT_ERROR_ARG;
    const uint32_t word = __atomic_load_n(&integ->cancel, __ATOMIC_ACQUIRE);
    if (!(word & CANCEL_RAISED))
        return KIT_RESULT_OK;
    integ->cancelAnswered = word;
    return KIT_RESULT_ERROR_CANCEL;
}

kit_result_t kit_integ_ClearCancellation(kit_integ_t* integ)
{
    if (!integ)
        return KIT_RESULT_ERROR_ARG;
    __atomic_fetch_and(&integ->cancel, ~(uint32_t)CANCEL_RAISED, __ATOMIC_ACQ_REL);
    return KIT_RESULT_OK;
}

void kit_integ_ClearAnsweredCancel(kit_integ_t* integ)
{
    uint32_t answered = integ->cancelAnswered;
    if (answered & CANCEL_RAISED)
        __atomic_compare_exchange_n(&integ->cancel, &answered, answered & ~(uint32_t)CANCEL_RAISED, 0,
                                    __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE);
}

// ---- Tunes ----

kit_result_t kit_integ_BeginTune(kit_integ_t* integ, const void* param, kit_integ_cancel_clear_t clear)
{
    if (!usable(integ) || !param)
        return KIT_RESULT_ERROR_ARG;
    if (!inState(integ, KIT_DEMOD_STATE_SLEEP, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    if (clear == KIT_INTEG_CANCEL_CLEAR_ALWAYS || !integ->demod->scanMode)
        kit_integ_ClearAnsweredCancel(integ);
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_TunerTune(kit_integ_t* integ, uint32_t frequencyKHz, kit_dtv_system_t system,
                                 kit_dtv_bandwidth_t bandwidth)
{
    if (!usable(integ))
        return KIT_RESULT_ERROR_ARG;
    if (!integ->tunerTerrCable || !integ->tunerTerrCable->Tune)
        return KIT_RESULT_OK;
    tuner_tune_t t = {frequencyKHz, system, bandwidth};
    return throughRepeater(integ, tuneTuner, &t);
}

kit_result_t kit_integ_SatTunerTune(kit_integ_t* integ, uint32_t frequencyKHz, kit_dtv_system_t system,
                                    uint32_t symbolRateKSps)
{
    if (!usable(integ))
        return KIT_RESULT_ERROR_ARG;
    if (!integ->tunerSat || !integ->tunerSat->Tune)
        return KIT_RESULT_OK;
    sat_tune_t t = {frequencyKHz, system, symbolRateKSps};
    return throughRepeater(integ, tuneSatTuner, &t);
}

kit_result_t kit_integ_SatTunerSleep(kit_integ_t* integ)
{
    if (!usable(integ))
        return KIT_RESULT_ERROR_ARG;
    if (!integ->tunerSat || !integ->tunerSat->Sleep)
        return KIT_RESULT_OK;
    return throughRepeater(integ, sleepSatTuner, NULL);
}

kit_result_t kit_integ_TunerAndTuneEnd(kit_integ_t* integ, kit_result_t demodResult, uint32_t frequencyKHz,
                                       kit_dtv_system_t tunerSystem, kit_dtv_bandwidth_t bandwidth)
{
    kit_result_t r = demodResult;
    if (r == KIT_RESULT_OK)
        r = kit_integ_TunerTune(integ, frequencyKHz, tunerSystem, bandwidth);
    return r != KIT_RESULT_OK ? r : kit_demod_TuneEnd(integ->demod);
}

// ---- Waits ----

kit_result_t kit_integ_WaitLock(kit_integ_t* integ, kit_integ_lock_check_t check, kit_integ_poll_hook_t afterCheck,
                                uint32_t limitMs)
{
    if (!usable(integ) || !check)
        return KIT_RESULT_ERROR_ARG;
    if (integ->demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_stopwatch_t sw;
    kit_stopwatch_start(&sw);
    for (;;) {
        uint32_t elapsed = 0;
        kit_stopwatch_elapsed(&sw, &elapsed);
        kit_demod_lock_result_t lock = KIT_DEMOD_LOCK_RESULT_NOTDETECT;
        kit_result_t r = check(integ->demod, &lock);
        if (r == KIT_RESULT_OK && afterCheck)
            r = afterCheck(integ->demod);
        if (r != KIT_RESULT_OK)
            return r;
        if (lock == KIT_DEMOD_LOCK_RESULT_LOCKED)
            return KIT_RESULT_OK;
        if (lock == KIT_DEMOD_LOCK_RESULT_UNLOCKED)
            return KIT_RESULT_ERROR_UNLOCK;
        if (kit_integ_CheckCancellation(integ) == KIT_RESULT_ERROR_CANCEL)
            return KIT_RESULT_ERROR_CANCEL;
        if (elapsed >= limitMs)
            return KIT_RESULT_ERROR_TIMEOUT;
        kit_stopwatch_sleep(&sw, KIT_INTEG_POLL_MS);
    }
}

kit_result_t kit_integ_WaitCancellable(kit_integ_t* integ, uint32_t ms)
{
    if (!integ)
        return KIT_RESULT_ERROR_ARG;
    kit_stopwatch_t sw;
    kit_stopwatch_start(&sw);
    for (;;) {
        if (kit_integ_CheckCancellation(integ) == KIT_RESULT_ERROR_CANCEL)
            return KIT_RESULT_ERROR_CANCEL;
        uint32_t elapsed = 0;
        kit_stopwatch_elapsed(&sw, &elapsed);
        if (elapsed >= ms)
            return KIT_RESULT_OK;
        const uint32_t left = ms - elapsed;
        kit_stopwatch_sleep(&sw, left < KIT_INTEG_POLL_MS ? left : KIT_INTEG_POLL_MS);
    }
}

// ---- RF level ----

kit_result_t kit_integ_RFLevel(kit_integ_t* integ, kit_dtv_system_t system, kit_integ_ifagc_monitor_t ifAgc,
                               int32_t* levelDbmX1000)
{
    if (!usable(integ) || !levelDbmX1000)
        return KIT_RESULT_ERROR_ARG;
    if (integ->demod->state != KIT_DEMOD_STATE_ACTIVE || integ->demod->system != system)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_tuner_terr_cable_t* tuner = integ->tunerTerrCable;
    if (!tuner)
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (tuner->ReadRFLevel)
        return throughRepeater(integ, readTunerRFLevel, levelDbmX1000);
    if (!tuner->CalcRFLevelFromAGC || !ifAgc)
        return KIT_RESULT_ERROR_NOSUPPORT;
    uint32_t agc = 0;
    const kit_result_t r = ifAgc(integ->demod, &agc);
    return r != KIT_RESULT_OK ? r : tuner->CalcRFLevelFromAGC(tuner, agc, levelDbmX1000);
}

// ---- Scans ----

int kit_integ_ScanGoesOn(kit_result_t result)
{
    return result == KIT_RESULT_OK || result == KIT_RESULT_ERROR_TIMEOUT || result == KIT_RESULT_ERROR_UNLOCK;
}

kit_result_t kit_integ_EndScan(kit_integ_t* integ, kit_dtv_system_t system, kit_result_t result)
{
    const kit_result_t off = kit_demod_terr_cable_SetScanMode(integ->demod, system, 0);
    return result != KIT_RESULT_OK ? result : off;
}

kit_result_t kit_integ_ScanRange(kit_integ_t* integ, kit_dtv_system_t system, uint32_t startKHz, uint32_t endKHz,
                                 uint32_t stepKHz, kit_integ_scan_try_t tryFrequency, void* context)
{
    if (!usable(integ) || !tryFrequency)
        return KIT_RESULT_ERROR_ARG;
    if (endKHz < startKHz || stepKHz == 0)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = kit_demod_terr_cable_SetScanMode(integ->demod, system, 1);
    if (r != KIT_RESULT_OK)
        return r;
    for (uint32_t kHz = startKHz;; kHz += stepKHz) {
        r = tryFrequency(integ, kHz, context);
        if (!kit_integ_ScanGoesOn(r))
            return kit_integ_EndScan(integ, system, r);
        if (kit_integ_CheckCancellation(integ) == KIT_RESULT_ERROR_CANCEL)
            return kit_integ_EndScan(integ, system, KIT_RESULT_ERROR_CANCEL);
        // The next step would pass the end, or wrap at the top of the range.
        if (endKHz - kHz < stepKHz)
            break;
    }
    return kit_integ_EndScan(integ, system, KIT_RESULT_OK);
}

// ---- Signal-strength indicator ----

uint8_t kit_integ_CalcSSI(int32_t levelDbmX1000, int32_t referenceDbmX1000)
{
    const int32_t d = levelDbmX1000 - referenceDbmX1000;
    if (d < -15000)
        return 0;
    if (d < 0)
        return (uint8_t)((d + 15750) / 1500);
    if (d < 20000)
        return (uint8_t)((d + 125) / 250 + 10);
    if (d < 35000)
        return (uint8_t)((d - 19250) / 1500 + 90);
    return 100;
}
