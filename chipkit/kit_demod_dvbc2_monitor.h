// The DVB-C2 monitors: lock state, quality (MER, SNR, a filtered MER), error counts and rates,
// the received PLP's modulation and coding, signalling, offsets, the TS rate, and the
// diagnostic captures (constellation points, channel spectrum, delay profile). Every monitor
// needs the handle active on DVB-C2 (else 3) and gives 1 for null arguments and 2 for a failed
// transfer; those marked frozen hold the monitor registers still and always let them go.
#pragma once

#include "kit_demod_dvbc2.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { KIT_DVBC2_SYNC_STATE_LOCKED = 6, KIT_DVBC2_SYNC_STATE_INVALID = 7 };

// Sync state (0..6; 7 gives 4), TS lock and early unlock.
kit_result_t kit_demod_dvbc2_monitor_SyncStat(kit_demod_t* demod, uint8_t* syncState, uint8_t* tsLock,
                                              uint8_t* earlyUnlock);
// 12-bit IF AGC value.
kit_result_t kit_demod_dvbc2_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* agc);
// Packet error rate x 10^6 over the chip's window; 4 until a window is counted.
kit_result_t kit_demod_dvbc2_monitor_PER(kit_demod_t* demod, uint32_t* per);
// Errored packets; 4 until counted.
kit_result_t kit_demod_dvbc2_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count);
// Frozen, sync state 6 (else 4): 1 when the spectrum is inverted (as the IF is configured).
kit_result_t kit_demod_dvbc2_monitor_SpectrumSense(kit_demod_t* demod, uint8_t* inverted);
// Frozen, sync state 6: carrier offset in kHz.
kit_result_t kit_demod_dvbc2_monitor_CarrierOffset(kit_demod_t* demod, int32_t* kHz);
// Frozen, sync state 6: SNR in dB x 1000.
kit_result_t kit_demod_dvbc2_monitor_SNR(kit_demod_t* demod, int32_t* snr);
// Frozen: bit error rate before LDPC x 10^7; 4 until a window is counted.
kit_result_t kit_demod_dvbc2_monitor_PreLDPCBER(kit_demod_t* demod, uint32_t* ber);
// Frozen: bit error rate before BCH x 10^9; 4 until counted or with no code rate to size it.
kit_result_t kit_demod_dvbc2_monitor_PreBCHBER(kit_demod_t* demod, uint32_t* ber);
// Frame error rate after BCH x 10^6; 4 until counted.
kit_result_t kit_demod_dvbc2_monitor_PostBCHFER(kit_demod_t* demod, uint32_t* fer);
// Frozen, TS lock (else 4): the transport-stream rate in kbps.
kit_result_t kit_demod_dvbc2_monitor_TSRate(kit_demod_t* demod, uint32_t* kbps);

// Which PLP a modulation or coding monitor reads: the common PLP, or the data PLP received.
typedef uint32_t kit_dvbc2_plp_type_t;
enum { KIT_DVBC2_PLP_COMMON = 0, KIT_DVBC2_PLP_DATA_GROUPED = 1, KIT_DVBC2_PLP_DATA_NORMAL = 2 };

// Frozen, TS lock (else 4); the common PLP also needs one to be signalled (else 4); another
// PLP type gives 1. The signalled modulation code (3 bits), FEC frame (1 = 64800 bits,
// 0 = 16200) and code-rate code (3 bits; the highest rate of a long frame reads 6).
kit_result_t kit_demod_dvbc2_monitor_QAM(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType, uint8_t* qam);
kit_result_t kit_demod_dvbc2_monitor_LDPCCodeLength(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType,
                                                    uint8_t* longFrame);
kit_result_t kit_demod_dvbc2_monitor_CodeRate(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType,
                                              uint8_t* codeRate);
// Frozen: the guard-interval code (KIT_DVBC2_GI_*); 4 until the layer-1 data is ready.
kit_result_t kit_demod_dvbc2_monitor_GI(kit_demod_t* demod, uint8_t* guardInterval);
// Frozen, sync state 6: how far the sampling rate word in use lies from the band's nominal
// word, in 10^-8 of it (words further apart than one step of the top byte give 4).
kit_result_t kit_demod_dvbc2_monitor_SamplingOffset(kit_demod_t* demod, int32_t* offset);
// Frozen: the layer-1 part 2 of the C2 system received; 4 until it is ready.
kit_result_t kit_demod_dvbc2_monitor_L1Data(kit_demod_t* demod, kit_dvbc2_l1_part2_t* l1);

// ---- Quality and captures ----------------------------------------------------------------

// Frozen, sync state 6: MER in dB x 1000; 4 with no estimate yet.
kit_result_t kit_demod_dvbc2_adv_monitor_MER(kit_demod_t* demod, int32_t* mer);

// A MER smoothed over a long window (90 reads) whose peak-weighted averages fill a short one
// (6 values).
enum { KIT_DVBC2_MER_FILTER_LONG = 90, KIT_DVBC2_MER_FILTER_SHORT = 6 };
typedef struct kit_dvbc2_mer_window_t {
    int32_t values[KIT_DVBC2_MER_FILTER_LONG];
    uint16_t count;
    uint16_t next;
    uint16_t size;
} kit_dvbc2_mer_window_t;
typedef struct kit_dvbc2_mer_filter_t {
    kit_dvbc2_mer_window_t shortWindow;
    kit_dvbc2_mer_window_t longWindow;
} kit_dvbc2_mer_filter_t;

kit_result_t kit_demod_dvbc2_adv_monitor_InitMERFilter(kit_demod_t* demod, kit_dvbc2_mer_filter_t* filter);
// Up to ten MER reads into the filter (the first failure ends them and is returned), then the
// filtered MER in dB x 1000.
kit_result_t kit_demod_dvbc2_adv_monitor_FilteredMER(kit_demod_t* demod, kit_dvbc2_mer_filter_t* filter,
                                                     int32_t* mer);

// Sync state 6: LDPC decoder iterations of the last frame.
kit_result_t kit_demod_dvbc2_adv_monitor_LDPCIter(kit_demod_t* demod, uint32_t* iterations);

// Capture points. Tap 0..4 (else 1): where in the receive chain the points are taken; the
// points are 14-bit values at every tap.
enum { KIT_DVBC2_TAP_MAX = 4 };
kit_result_t kit_demod_dvbc2_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap);
// The channel spectrum is captured at tap 0.
kit_result_t kit_demod_dvbc2_adv_SetChannelSpectrum(kit_demod_t* demod);
// enable 0 switches the delay-profile capture off; mode 0 full span, 1 an eighth.
kit_result_t kit_demod_dvbc2_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode);
// One point (index 0..32767, else 1): triggered, then polled every 10 ms up to 60 times
// (else 5). Sync state 6.
kit_result_t kit_demod_dvbc2_adv_monitor_Constellation(kit_demod_t* demod, uint16_t index, int16_t* i,
                                                       int16_t* q);
// Channel power at a carrier in dB x 100 relative to full scale.
kit_result_t kit_demod_dvbc2_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint16_t carrier, int32_t* power);
// Delay-profile level of a point in dB x 100 (-50000 for none).
kit_result_t kit_demod_dvbc2_adv_monitor_DelayProfile(kit_demod_t* demod, uint16_t point, int32_t* level);
// Would turn delay-profile points into levels relative to their peak and delays in ns. The
// delays need the chip's delay-profile span for DVB-C2, which no public document gives, so
// this answers "not supported" (8) and touches nothing.
kit_result_t kit_demod_dvbc2_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, int32_t* levels,
                                                               int32_t* delaysNs, uint32_t count);

#ifdef __cplusplus
}
#endif
