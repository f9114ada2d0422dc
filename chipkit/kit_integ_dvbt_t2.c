#include "kit_integ_dvbt_t2.h"

#include "kit_integ_dvbt.h"
#include "kit_integ_dvbt2.h"

static kit_result_t blindTuneOne(kit_integ_t* integ, uint32_t kHz, kit_dtv_bandwidth_t bandwidth,
                                 kit_dtv_system_t system, uint32_t profile, uint32_t* profileFound)
{
    if (system == KIT_DTV_SYSTEM_DVBT2)
        return kit_integ_dvbt2_BlindTune(integ, kHz, bandwidth, profile, profileFound);
    *profileFound = KIT_DVBT_PROFILE_HP;
    return kit_integ_dvbt_BlindTune(integ, kHz, bandwidth);
}

kit_result_t kit_integ_dvbt_t2_BlindTune(kit_integ_t* integ, uint32_t centerFreqKHz, kit_dtv_bandwidth_t bandwidth,
                                         kit_dtv_system_t system, uint32_t profile, kit_dtv_system_t* systemFound,
                                         uint32_t* profileFound)
{
    if (!integ || !integ->demod || !systemFound || !profileFound)
        return KIT_RESULT_ERROR_ARG;
    if (system != KIT_DTV_SYSTEM_DVBT && system != KIT_DTV_SYSTEM_DVBT2 && system != KIT_DTV_SYSTEM_ANY)
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (bandwidth == KIT_DTV_BW_1_7_MHZ && system != KIT_DTV_SYSTEM_DVBT2)
        return KIT_RESULT_ERROR_NOSUPPORT;
    kit_dtv_system_t order[2] = {system, KIT_DTV_SYSTEM_UNKNOWN};
    if (system == KIT_DTV_SYSTEM_ANY) {
        const int t2First = integ->demod->blindTuneT2First != 0;
        order[0] = t2First ? KIT_DTV_SYSTEM_DVBT2 : KIT_DTV_SYSTEM_DVBT;
        order[1] = t2First ? KIT_DTV_SYSTEM_DVBT : KIT_DTV_SYSTEM_DVBT2;
    }
    kit_result_t r = KIT_RESULT_OK;
    for (int i = 0; i < 2 && order[i] != KIT_DTV_SYSTEM_UNKNOWN; ++i) {
        uint32_t found = 0;
        r = blindTuneOne(integ, centerFreqKHz, bandwidth, order[i], profile, &found);
        if (r == KIT_RESULT_OK) {
            *systemFound = order[i];
            *profileFound = found;
            return r;
        }
        // Outside a scan the next try would clear the flag and lose the cancellation.
        if (r == KIT_RESULT_ERROR_CANCEL)
            return r;
    }
    return r;
}

typedef struct {
    kit_integ_t* integ;
    kit_integ_dvbt_t2_scan_param_t* scanParam;
    kit_integ_dvbt_t2_scan_callback_t callback;
    kit_integ_dvbt_t2_scan_result_t result;
} dvbt_t2_scan_t;

static void report(dvbt_t2_scan_t* scan, kit_result_t result)
{
    scan->result.tuneResult = result;
    scan->callback(scan->integ, &scan->result, scan->scanParam);
}

static void reportPlp(void* context, kit_result_t result, uint8_t plpId, uint32_t profile)
{
    dvbt_t2_scan_t* scan = (dvbt_t2_scan_t*)context;
    scan->result.system = KIT_DTV_SYSTEM_DVBT2;
    scan->result.dvbt2TuneParam.dataPlpId = plpId;
    scan->result.dvbt2TuneParam.profile = profile;
    report(scan, result);
}

static kit_result_t tryFrequency(kit_integ_t* integ, uint32_t kHz, void* context)
{
    dvbt_t2_scan_t* scan = (dvbt_t2_scan_t*)context;
    const kit_integ_dvbt_t2_scan_param_t* p = scan->scanParam;
    const kit_integ_dvbt_t2_scan_result_t fresh = {kHz, 0, p->system, {kHz, p->bandwidth, KIT_DVBT_PROFILE_HP},
                                                   {kHz, p->bandwidth, 0, p->profile, 0}};
    scan->result = fresh;
    kit_dtv_system_t system = KIT_DTV_SYSTEM_UNKNOWN;
    uint32_t found = 0;
    const kit_result_t r = kit_integ_dvbt_t2_BlindTune(integ, kHz, p->bandwidth, p->system, p->profile, &system, &found);
    if (r == KIT_RESULT_OK && system == KIT_DTV_SYSTEM_DVBT2)
        return kit_integ_dvbt2_ScanLockedChannel(integ, kHz, p->bandwidth, p->profile, found, reportPlp, scan);
    if (r == KIT_RESULT_OK)
        scan->result.system = system;
    if (kit_integ_ScanGoesOn(r))
        report(scan, r);
    return r;
}

kit_result_t kit_integ_dvbt_t2_Scan(kit_integ_t* integ, kit_integ_dvbt_t2_scan_param_t* scanParam,
                                    kit_integ_dvbt_t2_scan_callback_t callback)
{
    if (!scanParam || !callback)
        return KIT_RESULT_ERROR_ARG;
    dvbt_t2_scan_t scan = {integ, scanParam, callback, {0}};
    return kit_integ_ScanRange(integ, scanParam->system, scanParam->startFrequencyKHz, scanParam->endFrequencyKHz,
                               scanParam->stepFrequencyKHz, tryFrequency, &scan);
}

kit_result_t kit_integ_dvbt_t2_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000)
{
    if (!integ || !integ->demod || !levelDbmX1000)
        return KIT_RESULT_ERROR_ARG;
    switch (integ->demod->system) {
    case KIT_DTV_SYSTEM_DVBT:
        return kit_integ_dvbt_monitor_RFLevel(integ, levelDbmX1000);
    case KIT_DTV_SYSTEM_DVBT2:
        return kit_integ_dvbt2_monitor_RFLevel(integ, levelDbmX1000);
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}
