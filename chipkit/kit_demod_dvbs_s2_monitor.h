// DVB-S and DVB-S2 monitors: lock flags, carrier offset, symbol rate, C/N, error rates,
// signalling (code rate, PLS code, BB header, pilots, roll-off), TS rate and single
// constellation samples, in the raw scales the driver library converts. Monitors marked
// frozen in the code hold the chip's status registers still while they read them.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// DVB-S code rates (EN 300 421).
typedef uint32_t kit_dvbs_coderate_t;
enum {
    KIT_DVBS_CODERATE_1_2 = 0,
    KIT_DVBS_CODERATE_2_3 = 1,
    KIT_DVBS_CODERATE_3_4 = 2,
    KIT_DVBS_CODERATE_5_6 = 3,
    KIT_DVBS_CODERATE_7_8 = 4,
};

// DVB-S2 code rates (EN 302 307); 11 to 13 are the chip's own codes for MODCODs 29 to 31.
typedef uint32_t kit_dvbs2_coderate_t;
enum {
    KIT_DVBS2_CODERATE_1_4 = 0,
    KIT_DVBS2_CODERATE_1_3 = 1,
    KIT_DVBS2_CODERATE_2_5 = 2,
    KIT_DVBS2_CODERATE_1_2 = 3,
    KIT_DVBS2_CODERATE_3_5 = 4,
    KIT_DVBS2_CODERATE_2_3 = 5,
    KIT_DVBS2_CODERATE_3_4 = 6,
    KIT_DVBS2_CODERATE_4_5 = 7,
    KIT_DVBS2_CODERATE_5_6 = 8,
    KIT_DVBS2_CODERATE_8_9 = 9,
    KIT_DVBS2_CODERATE_9_10 = 10,
    KIT_DVBS2_CODERATE_INVALID = 14,
};

// DVB-S2 modulations; 4 to 6 are the chip's own codes for MODCODs 29 to 31.
typedef uint32_t kit_dvbs2_modulation_t;
enum {
    KIT_DVBS2_MODULATION_QPSK = 0,
    KIT_DVBS2_MODULATION_8PSK = 1,
    KIT_DVBS2_MODULATION_16APSK = 2,
    KIT_DVBS2_MODULATION_32APSK = 3,
    KIT_DVBS2_MODULATION_INVALID = 8,
};

typedef struct kit_dvbs2_plscode_t {
    kit_dvbs2_modulation_t modulation;
    kit_dvbs2_coderate_t codeRate;
    uint8_t isShortFrame;  // always 0: the chip reports normal frames only
    uint8_t isPilotOn;
} kit_dvbs2_plscode_t;

// BBHEADER fields (EN 302 307).
typedef struct kit_dvbs2_bbheader_t {
    uint32_t streamInput;    // TS/GS, 2 bits
    uint8_t isSingleInputStream;
    uint8_t isConstantCodingModulation;
    uint8_t issyIndicator;
    uint8_t nullPacketDeletion;
    uint32_t rollOff;        // 0 = 0.35, 1 = 0.25, 2 = 0.20
    uint8_t inputStreamIdentifier;
    uint16_t userPacketLength;
    uint16_t dataFieldLength;
    uint8_t syncByte;
} kit_dvbs2_bbheader_t;

// Every monitor needs the demodulator active on DVB-S, DVB-S2 or either (else 3) unless said
// otherwise, gives 2 on an I2C failure and 4 when the chip reports its value invalid.

kit_result_t kit_demod_dvbs_s2_monitor_SyncStat(kit_demod_t* demod, uint8_t* tsLock);
// Carrier offset in kHz; needs TS lock.
kit_result_t kit_demod_dvbs_s2_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offsetKHz);
kit_result_t kit_demod_dvbs_s2_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc);
// The system found under "either": 5 or 6; needs TS lock.
kit_result_t kit_demod_dvbs_s2_monitor_System(kit_demod_t* demod, kit_dtv_system_t* system);
// Symbols per second.
kit_result_t kit_demod_dvbs_s2_monitor_SymbolRate(kit_demod_t* demod, uint32_t* symbolRateSps);
// 0 normal, 1 inverted; needs TS lock.
kit_result_t kit_demod_dvbs_s2_monitor_IQSense(kit_demod_t* demod, uint32_t* sense);
// C/N in dB x 1000, 0 to 20000.
kit_result_t kit_demod_dvbs_s2_monitor_CNR(kit_demod_t* demod, int32_t* cnrX1000);
// Packet error rate in units of 10^-6.
kit_result_t kit_demod_dvbs_s2_monitor_PER(kit_demod_t* demod, uint32_t* per);
kit_result_t kit_demod_dvbs_monitor_CodeRate(kit_demod_t* demod, kit_dvbs_coderate_t* codeRate);
// Bit error rates in units of 10^-7.
kit_result_t kit_demod_dvbs_monitor_PreViterbiBER(kit_demod_t* demod, uint32_t* ber);
kit_result_t kit_demod_dvbs_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber);
kit_result_t kit_demod_dvbs2_monitor_PLSCode(kit_demod_t* demod, kit_dvbs2_plscode_t* plsCode);
kit_result_t kit_demod_dvbs2_monitor_PreLDPCBER(kit_demod_t* demod, uint32_t* ber);
// Units of 10^-9.
kit_result_t kit_demod_dvbs2_monitor_PreBCHBER(kit_demod_t* demod, uint32_t* ber);
// Frame error rate in units of 10^-6.
kit_result_t kit_demod_dvbs2_monitor_PostBCHFER(kit_demod_t* demod, uint32_t* fer);
kit_result_t kit_demod_dvbs2_monitor_BBHeader(kit_demod_t* demod, kit_dvbs2_bbheader_t* bbHeader);
// Active on any system: pilot detection locked, pilots on.
kit_result_t kit_demod_dvbs_s2_monitor_Pilot(kit_demod_t* demod, uint8_t* pilotLocked, uint8_t* pilotOn);
// For the searches, in any state: TS lock, and when locked the carrier offset and system.
kit_result_t kit_demod_dvbs_s2_monitor_ScanInfo(kit_demod_t* demod, uint8_t* tsLock, int32_t* offsetKHz,
                                                kit_dtv_system_t* system);
// Transport-stream bit rate in kbit/s; 10 for code rates and modulations it has no table for.
kit_result_t kit_demod_dvbs_s2_monitor_TSRate(kit_demod_t* demod, uint32_t* rateKbps);
// Roll-off field of the BB header, no state or system check.
kit_result_t kit_demod_dvbs2_monitor_Rolloff(kit_demod_t* demod, uint8_t* rollOff);

// Which symbols the DVB-S2 constellation samples come from (bits 2-0); asleep or active.
kit_result_t kit_demod_dvbs2_adv_SetConstellationSymbol(kit_demod_t* demod, uint32_t selection);
// One constellation sample, 10-bit signed I and Q; 5 when none comes in 10 polls.
kit_result_t kit_demod_dvbs_s2_adv_monitor_Constellation(kit_demod_t* demod, int16_t* i, int16_t* q);

#ifdef __cplusplus
}
#endif
