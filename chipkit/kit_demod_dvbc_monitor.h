// The DVB-C monitors: lock flags, QAM order, spectrum sense, symbol rate, carrier offset,
// SNR, error counts and rates, IF AGC and constellation samples. Active on DVB-C only; the
// rules of each are those of the single-carrier QAM monitors they share with J.83 Annex B.
#pragma once

#include "kit_demod_scqam_monitor.h"

#ifdef __cplusplus
extern "C" {
#endif

kit_result_t kit_demod_dvbc_monitor_SyncStat(kit_demod_t* demod, uint8_t* arLock, uint8_t* tsLock,
                                             uint8_t* unlockDetected);
kit_result_t kit_demod_dvbc_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* agc);
kit_result_t kit_demod_dvbc_monitor_QAM(kit_demod_t* demod, kit_scqam_constellation_t* qam);
kit_result_t kit_demod_dvbc_monitor_SpectrumSense(kit_demod_t* demod, uint8_t* inverted);
kit_result_t kit_demod_dvbc_monitor_SymbolRate(kit_demod_t* demod, uint32_t* sps);
kit_result_t kit_demod_dvbc_monitor_CarrierOffset(kit_demod_t* demod, int32_t* kHz);
kit_result_t kit_demod_dvbc_monitor_SNR(kit_demod_t* demod, int32_t* snr);
kit_result_t kit_demod_dvbc_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber);
kit_result_t kit_demod_dvbc_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count);
kit_result_t kit_demod_dvbc_monitor_PER(kit_demod_t* demod, uint32_t* per);
kit_result_t kit_demod_dvbc_adv_monitor_Constellation(kit_demod_t* demod, int8_t* i, int8_t* q);

#ifdef __cplusplus
}
#endif
