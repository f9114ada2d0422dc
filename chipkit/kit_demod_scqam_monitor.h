// The monitors DVB-C and J.83 Annex B share: both run on the same single-carrier QAM blocks
// of the chip (bank 0x40) and read them alike, so each function takes the system it serves
// and refuses to read while the chip runs another. The per-standard headers name them.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// QAM codes of the single-carrier monitors.
typedef uint32_t kit_scqam_constellation_t;
enum {
    KIT_SCQAM_16QAM = 0,
    KIT_SCQAM_32QAM = 1,
    KIT_SCQAM_64QAM = 2,
    KIT_SCQAM_128QAM = 3,
    KIT_SCQAM_256QAM = 4,
};

// Every function: null arguments 1; state other than active or another system 3; a failed
// transfer 2. Monitors marked frozen hold the monitor registers still for their reads and let
// them go on every path; they also need AR lock (else 4).

// AR lock, TS lock and the chip's unlock verdict, each 0 or 1.
kit_result_t kit_demod_scqam_monitor_SyncStat(kit_demod_t* demod, kit_dtv_system_t system, uint8_t* arLock,
                                              uint8_t* tsLock, uint8_t* unlockDetected);
// Locked with AR and TS lock; in scan mode an unlock verdict ends the wait at once.
kit_result_t kit_demod_scqam_CheckTSLock(kit_demod_t* demod, kit_dtv_system_t system,
                                         kit_demod_lock_result_t* lock);
// 12-bit IF AGC value.
kit_result_t kit_demod_scqam_monitor_IFAGCOut(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* agc);
// Frozen: the QAM code.
kit_result_t kit_demod_scqam_monitor_QAM(kit_demod_t* demod, kit_dtv_system_t system,
                                         kit_scqam_constellation_t* qam);
// Frozen: 1 when the received spectrum is inverted (as the IF is configured).
kit_result_t kit_demod_scqam_monitor_SpectrumSense(kit_demod_t* demod, kit_dtv_system_t system,
                                                   uint8_t* inverted);
// Frozen: symbols per second.
kit_result_t kit_demod_scqam_monitor_SymbolRate(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* sps);
// Frozen: carrier offset in kHz.
kit_result_t kit_demod_scqam_monitor_CarrierOffset(kit_demod_t* demod, kit_dtv_system_t system, int32_t* kHz);
// Frozen: SNR in dB x 1000. J.83 Annex B reads only 64QAM and 256QAM; another QAM code, or
// no noise estimate yet, gives 4.
kit_result_t kit_demod_scqam_monitor_SNR(kit_demod_t* demod, kit_dtv_system_t system, int32_t* snr);
// Bit error rate before Reed-Solomon x 10^7 over the chip's window (2^p packets of 204 bytes
// for DVB-C, 188 for J.83 Annex B); 4 until a window is counted.
kit_result_t kit_demod_scqam_monitor_PreRSBER(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* ber);
// Errored packets of the last window; 4 until a window is counted.
kit_result_t kit_demod_scqam_monitor_PacketErrorNumber(kit_demod_t* demod, kit_dtv_system_t system,
                                                       uint32_t* count);
// Packet error rate x 10^6; 4 until a window is counted.
kit_result_t kit_demod_scqam_monitor_PER(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* per);
// One constellation sample as the slicer sees it (also while unlocked).
kit_result_t kit_demod_scqam_adv_monitor_Constellation(kit_demod_t* demod, kit_dtv_system_t system, int8_t* i,
                                                       int8_t* q);

#ifdef __cplusplus
}
#endif
