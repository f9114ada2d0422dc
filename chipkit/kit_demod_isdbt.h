// ISDB-T reception: the normal tune and the emergency-warning (EWS) tune that keeps the TS
// output off, sleep, lock checks, the TMCC preset, and the sync-state, mode/guard, carrier
// offset, spectrum, SNR and TMCC monitors the driver reads.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// TMCC codes: modulation 0 DQPSK, 1 QPSK, 2 16-QAM, 3 64-QAM; code rate 0..4 = 1/2, 2/3,
// 3/4, 5/6, 7/8. The mode/guard monitor reports modes as DVB-T does: 0 2k, 1 8k, 2 4k.
enum { KIT_ISDBT_MODULATION_MAX = 3, KIT_ISDBT_CODE_RATE_MAX = 4, KIT_ISDBT_SEGMENTS_MAX = 13 };

typedef struct kit_isdbt_tmcc_layer_info_t {
    uint32_t modulation;
    uint32_t codingRate;
    uint32_t ilLength;  // interleave length code
    uint8_t segmentsNum;
} kit_isdbt_tmcc_layer_info_t;

typedef struct kit_isdbt_tmcc_group_param_t {
    uint8_t isPartial;
    kit_isdbt_tmcc_layer_info_t layerA;
    kit_isdbt_tmcc_layer_info_t layerB;
    kit_isdbt_tmcc_layer_info_t layerC;
} kit_isdbt_tmcc_group_param_t;

typedef struct kit_isdbt_tmcc_info_t {
    uint32_t systemId;
    uint8_t countDownIndex;
    uint8_t ewsFlag;
    kit_isdbt_tmcc_group_param_t currentInfo;
    kit_isdbt_tmcc_group_param_t nextInfo;
} kit_isdbt_tmcc_info_t;

enum { KIT_ISDBT_PRESET_BYTES = 13 };

// The raw TMCC bytes, as the chip shows them and as a preset gives them back.
typedef struct kit_isdbt_preset_info_t {
    uint8_t data[KIT_ISDBT_PRESET_BYTES];
} kit_isdbt_preset_info_t;

// Normal reception for param's bandwidth (6, 7 or 8 MHz; another gives 3 with nothing
// written); leaves emergency-warning mode.
kit_result_t kit_demod_isdbt_Tune(kit_demod_t* demod, const kit_isdbt_tune_param_t* param);
// Emergency-warning reception: the chip demodulates, the TS output stays off.
kit_result_t kit_demod_isdbt_EWSTune(kit_demod_t* demod, const kit_isdbt_tune_param_t* param);
// Ends an emergency-warning tune (soft reset); only active on ISDB-T in EWS mode, else 3.
kit_result_t kit_demod_isdbt_EWSTuneEnd(kit_demod_t* demod);
// Nothing to do (0) unless active on ISDB-T.
kit_result_t kit_demod_isdbt_Sleep(kit_demod_t* demod);
kit_result_t kit_demod_isdbt_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);
kit_result_t kit_demod_isdbt_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);
// Presets the TMCC the chip would otherwise wait for; null clears the preset.
kit_result_t kit_demod_isdbt_SetPreset(kit_demod_t* demod, const kit_isdbt_preset_info_t* preset);

// 0 when the demodulator is locked, else 4.
kit_result_t kit_demod_isdbt_IsDmdLocked(kit_demod_t* demod);
kit_result_t kit_demod_isdbt_monitor_SyncStat(kit_demod_t* demod, uint8_t* dmdLock, uint8_t* tsLock,
                                              uint8_t* unlockDetected);
kit_result_t kit_demod_isdbt_monitor_ModeGuard(kit_demod_t* demod, uint32_t* mode, uint32_t* guard);
// Hz.
kit_result_t kit_demod_isdbt_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offset);
kit_result_t kit_demod_isdbt_monitor_SpectrumSense(kit_demod_t* demod, uint32_t* inverted);
// dB x 1000.
kit_result_t kit_demod_isdbt_monitor_SNR(kit_demod_t* demod, int32_t* snr);
kit_result_t kit_demod_isdbt_monitor_TMCCInfo(kit_demod_t* demod, kit_isdbt_tmcc_info_t* info);

#ifdef __cplusplus
}
#endif
