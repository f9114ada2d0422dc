#include "kit_demod_dvbs_s2_blindscan_subseq.h"

#include "kit_demod_dvbs_s2_blindscan.h"
#include "kit_demod_dvbs_s2_monitor.h"
#include "kit_math.h"

#include <string.h>

kit_result_t kit_demod_dvbs_s2_blindscan_seq_common_Initialize(kit_demod_dvbs_s2_blindscan_seq_common_t* common,
                                                               kit_demod_t* demod,
                                                               kit_demod_dvbs_s2_blindscan_power_t* powerPool,
                                                               uint32_t powerCount,
                                                               kit_demod_dvbs_s2_blindscan_data_t* dataPool,
                                                               uint32_t dataCount)
{
    if (!common || !demod)
        return KIT_RESULT_ERROR_ARG;
    memset(common, 0, sizeof(*common));
    common->demod = demod;
    common->clockLowKHz = KIT_DVBS_S2_CLOCK_LOW_KHZ;
    common->clockHighKHz = KIT_DVBS_S2_CLOCK_HIGH_KHZ;
    common->isContinue = 1;
    return kit_demod_dvbs_s2_blindscan_StorageInit(&common->storage, powerPool, powerCount, dataPool, dataCount);
}

void kit_demod_dvbs_s2_blindscan_RequestTune(kit_demod_dvbs_s2_blindscan_seq_common_t* common, uint32_t freqKHz,
                                             kit_dtv_system_t system, uint32_t symbolRateKSps)
{
    common->isTuneRequest = 1;
    common->tuneFreqKHz = freqKHz;
    common->tuneSystem = system;
    common->tuneSymbolRateKSps = symbolRateKSps;
}

kit_result_t kit_demod_dvbs_s2_blindscan_RequestAgc(kit_demod_dvbs_s2_blindscan_seq_common_t* common)
{
    uint32_t ifAgc = 0;
    const kit_result_t r = kit_demod_dvbs_s2_monitor_IFAGCOut(common->demod, &ifAgc);
    if (r == KIT_RESULT_OK) {
        common->isAgcRequest = 1;
        common->agcValue = ifAgc;
    }
    return r;
}

int32_t kit_demod_dvbs_s2_blindscan_PowerLevel(uint32_t rawPower, int32_t convertedAgc)
{
    return 10 * (kit_math_log10(rawPower) - 421) - convertedAgc;
}
