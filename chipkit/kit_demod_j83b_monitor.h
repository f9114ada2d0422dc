// The J.83 Annex B monitors: the single-carrier QAM set it shares with DVB-C (J.83 Annex B
// required), a spectrum sense read from its own registers, SNR for 64QAM and 256QAM only, the
// pre-Reed-Solomon BER over 188-byte packets, and the sampling offset and interleave.
#pragma once

#include "kit_demod_scqam_monitor.h"

#ifdef __cplusplus
extern "C" {
#endif

kit_result_t kit_demod_j83b_monitor_SyncStat(kit_demod_t* demod, uint8_t* arLock, uint8_t* tsLock,
                                             uint8_t* unlockDetected);
kit_result_t kit_demod_j83b_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* agc);
kit_result_t kit_demod_j83b_monitor_QAM(kit_demod_t* demod, kit_scqam_constellation_t* qam);
kit_result_t kit_demod_j83b_monitor_SymbolRate(kit_demod_t* demod, uint32_t* sps);
kit_result_t kit_demod_j83b_monitor_CarrierOffset(kit_demod_t* demod, int32_t* kHz);
kit_result_t kit_demod_j83b_monitor_SNR(kit_demod_t* demod, int32_t* snr);
kit_result_t kit_demod_j83b_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber);
kit_result_t kit_demod_j83b_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count);
kit_result_t kit_demod_j83b_monitor_PER(kit_demod_t* demod, uint32_t* per);
kit_result_t kit_demod_j83b_adv_monitor_Constellation(kit_demod_t* demod, int8_t* i, int8_t* q);

// Frozen, without AR lock (the sense has a valid flag of its own, else 4): 1 when inverted.
kit_result_t kit_demod_j83b_monitor_SpectrumSense(kit_demod_t* demod, uint8_t* inverted);
// How far the symbol rate lies from the nominal rate of the band setting and QAM order, in
// 10^-8 of the nominal rate, positive when the signal is slower. Only 64QAM and 256QAM on
// band 50 and 256QAM on band 51 have a nominal rate; others give 4.
kit_result_t kit_demod_j83b_monitor_SamplingOffset(kit_demod_t* demod, int32_t* offset);
// The interleave code (4 bits); 4 until the chip reports it.
kit_result_t kit_demod_j83b_monitor_Interleave(kit_demod_t* demod, uint8_t* code);

#ifdef __cplusplus
}
#endif
