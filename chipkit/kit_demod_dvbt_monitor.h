// The DVB-T monitor set beyond lock and TPS: IF AGC, carrier and sampling offsets, error
// rates, SNR and MER, quality, their averaged forms, and the analysis monitors. All need the
// handle active on DVB-T (else 3); 4 means the chip has no valid value yet.
#pragma once

#include "kit_common.h"
#include "kit_demod_dvbt.h"

#ifdef __cplusplus
extern "C" {
#endif

kit_result_t kit_demod_dvbt_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc);
kit_result_t kit_demod_dvbt_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offset);
// x 10^7.
kit_result_t kit_demod_dvbt_monitor_PreViterbiBER(kit_demod_t* demod, uint32_t* ber);
// x 10^7, over 204-byte packets.
kit_result_t kit_demod_dvbt_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber);
kit_result_t kit_demod_dvbt_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count);
// dB x 1000.
kit_result_t kit_demod_dvbt_monitor_SNR(kit_demod_t* demod, int32_t* snr);
kit_result_t kit_demod_dvbt_monitor_SamplingOffset(kit_demod_t* demod, int32_t* ppm);
// x 10^6.
kit_result_t kit_demod_dvbt_monitor_PER(kit_demod_t* demod, uint32_t* per);
// 0..100; hierarchical reception gives 8 (its reference C/N values are not public here).
kit_result_t kit_demod_dvbt_monitor_Quality(kit_demod_t* demod, uint8_t* quality);
kit_result_t kit_demod_dvbt_monitor_AveragedPreRSBER(kit_demod_t* demod, uint32_t* ber);
kit_result_t kit_demod_dvbt_monitor_AveragedSNR(kit_demod_t* demod, int32_t* snr);
kit_result_t kit_demod_dvbt_monitor_AveragedQuality(kit_demod_t* demod, uint8_t* quality);
// dB x 1000.
kit_result_t kit_demod_dvbt_adv_monitor_MER(kit_demod_t* demod, int32_t* mer);

// The quality rule on its inputs: TPS, pre-RS BER x 10^7, SNR dB x 1000.
kit_result_t kit_demod_dvbt_CalcQuality(const kit_dvbt_tpsinfo_t* tps, uint32_t ber, int32_t snr,
                                        uint8_t* quality);

// ---- Analysis (2k and 8k) ----
// Taps 0 equalised carriers, 1 FFT output; min and max give the range of point indexes.
kit_result_t kit_demod_dvbt_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap, uint32_t* min, uint32_t* max);
// useTap 0 clears the tap register.
kit_result_t kit_demod_dvbt_adv_SetChannelSpectrum(kit_demod_t* demod, uint8_t useTap, uint8_t tap, uint32_t* min,
                                                   uint32_t* max);
// mode 1 decimates the span by 8. Enabled, gives the carrier range and its delays in ns.
kit_result_t kit_demod_dvbt_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode,
                                                uint32_t* minCarrier, uint32_t* maxCarrier, int32_t* minDelayNs,
                                                int32_t* maxDelayNs);
kit_result_t kit_demod_dvbt_adv_monitor_Constellation(kit_demod_t* demod, uint32_t index, int32_t* i, int32_t* q);
kit_result_t kit_demod_dvbt_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint32_t index, int32_t* power);
kit_result_t kit_demod_dvbt_adv_monitor_DelayProfile(kit_demod_t* demod, uint32_t index, int32_t* power);
// levels[count] (dB x 1000, of carriers startCarrier + i x step) become relative to their
// maximum; delaysNs gets each carrier's delay and the window edges the guard window's.
kit_result_t kit_demod_dvbt_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, uint8_t mode,
                                                              uint32_t startCarrier, uint32_t step, int32_t* levels,
                                                              int32_t* delaysNs, uint32_t count,
                                                              int32_t* windowStartNs, int32_t* windowEndNs);

#ifdef __cplusplus
}
#endif
