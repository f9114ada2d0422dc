#include "kit_demod_dvbc_monitor.h"

#define DVBC KIT_DTV_SYSTEM_DVBC

kit_result_t kit_demod_dvbc_monitor_SyncStat(kit_demod_t* demod, uint8_t* arLock, uint8_t* tsLock,
                                             uint8_t* unlockDetected)
{
    return kit_demod_scqam_monitor_SyncStat(demod, DVBC, arLock, tsLock, unlockDetected);
}

kit_result_t kit_demod_dvbc_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* agc)
{
    return kit_demod_scqam_monitor_IFAGCOut(demod, DVBC, agc);
}

kit_result_t kit_demod_dvbc_monitor_QAM(kit_demod_t* demod, kit_scqam_constellation_t* qam)
{
    return kit_demod_scqam_monitor_QAM(demod, DVBC, qam);
}

kit_result_t kit_demod_dvbc_monitor_SpectrumSense(kit_demod_t* demod, uint8_t* inverted)
{
    return kit_demod_scqam_monitor_SpectrumSense(demod, DVBC, inverted);
}

kit_result_t kit_demod_dvbc_monitor_SymbolRate(kit_demod_t* demod, uint32_t* sps)
{
    return kit_demod_scqam_monitor_SymbolRate(demod, DVBC, sps);
}

kit_result_t kit_demod_dvbc_monitor_CarrierOffset(kit_demod_t* demod, int32_t* kHz)
{
    return kit_demod_scqam_monitor_CarrierOffset(demod, DVBC, kHz);
}

kit_result_t kit_demod_dvbc_monitor_SNR(kit_demod_t* demod, int32_t* snr)
{
    return kit_demod_scqam_monitor_SNR(demod, DVBC, snr);
}

kit_result_t kit_demod_dvbc_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber)
{
    return kit_demod_scqam_monitor_PreRSBER(demod, DVBC, ber);
}

kit_result_t kit_demod_dvbc_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count)
{
    return kit_demod_scqam_monitor_PacketErrorNumber(demod, DVBC, count);
}

kit_result_t kit_demod_dvbc_monitor_PER(kit_demod_t* demod, uint32_t* per)
{
    return kit_demod_scqam_monitor_PER(demod, DVBC, per);
}

kit_result_t kit_demod_dvbc_adv_monitor_Constellation(kit_demod_t* demod, int8_t* i, int8_t* q)
{
    return kit_demod_scqam_adv_monitor_Constellation(demod, DVBC, i, q);
}
