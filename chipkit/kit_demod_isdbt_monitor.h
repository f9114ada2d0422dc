// The ISDB-T monitor set beyond lock and TMCC: IF AGC, per-layer error rates and packet
// counts, sampling offset, the preset bytes, per-layer TS rates, the emergency-warning
// (AC EEW) information, MER and the analysis monitors. All need the handle active on ISDB-T
// (else 3); 4 means the chip has no valid value yet.
#pragma once

#include "kit_common.h"
#include "kit_demod_isdbt.h"

#ifdef __cplusplus
extern "C" {
#endif

// One value per hierarchical layer.
typedef struct kit_isdbt_layers_t {
    uint32_t layerA;
    uint32_t layerB;
    uint32_t layerC;
} kit_isdbt_layers_t;

enum { KIT_ISDBT_ACEEW_BLOCK_BYTES = 11 };

typedef struct kit_isdbt_aceew_block_t {
    uint8_t isValid;
    uint8_t data[KIT_ISDBT_ACEEW_BLOCK_BYTES];
} kit_isdbt_aceew_block_t;

typedef struct kit_isdbt_aceew_info_t {
    uint8_t startEndFlag;
    uint8_t updateFlag;
    uint8_t signalId;
    kit_isdbt_aceew_block_t blocks[3];
} kit_isdbt_aceew_info_t;

kit_result_t kit_demod_isdbt_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc);
// x 10^7 per layer, over 204-byte packets.
kit_result_t kit_demod_isdbt_monitor_PreRSBER(kit_demod_t* demod, kit_isdbt_layers_t* ber);
// Outside emergency-warning mode only (else 3).
kit_result_t kit_demod_isdbt_monitor_PacketErrorNumber(kit_demod_t* demod, kit_isdbt_layers_t* count);
kit_result_t kit_demod_isdbt_monitor_SamplingOffset(kit_demod_t* demod, int32_t* ppm);
// x 10^6 per layer.
kit_result_t kit_demod_isdbt_monitor_PER(kit_demod_t* demod, kit_isdbt_layers_t* per);
kit_result_t kit_demod_isdbt_monitor_PresetInfo(kit_demod_t* demod, kit_isdbt_preset_info_t* preset);
// kbit/s per layer; 0 for a layer whose TMCC is outside the tables.
kit_result_t kit_demod_isdbt_monitor_TSRate(kit_demod_t* demod, kit_isdbt_layers_t* rate);
// present tells whether the chip holds an emergency-warning message; info is filled when so.
kit_result_t kit_demod_isdbt_monitor_ACEEWInfo(kit_demod_t* demod, uint8_t* present, kit_isdbt_aceew_info_t* info);
// dB x 1000.
kit_result_t kit_demod_isdbt_adv_monitor_MER(kit_demod_t* demod, int32_t* mer);

// ---- Analysis ----
// The point ranges and the delay axis need ISDB-T carrier tables that could not be verified
// from public sources: the range setters (tap or delay profile enabled) and the delay
// calculation give 8. The point reads work.
kit_result_t kit_demod_isdbt_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap, uint32_t* min, uint32_t* max);
kit_result_t kit_demod_isdbt_adv_SetChannelSpectrum(kit_demod_t* demod, uint8_t useTap, uint8_t tap, uint32_t* min,
                                                    uint32_t* max);
kit_result_t kit_demod_isdbt_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode,
                                                 uint32_t* minCarrier, uint32_t* maxCarrier, int32_t* minDelayNs,
                                                 int32_t* maxDelayNs);
kit_result_t kit_demod_isdbt_adv_monitor_Constellation(kit_demod_t* demod, uint32_t index, int32_t* i, int32_t* q);
kit_result_t kit_demod_isdbt_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint32_t index, int32_t* power);
kit_result_t kit_demod_isdbt_adv_monitor_DelayProfile(kit_demod_t* demod, uint32_t index, int32_t* power);
kit_result_t kit_demod_isdbt_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, uint8_t mode,
                                                               uint32_t startCarrier, uint32_t step, int32_t* levels,
                                                               int32_t* delaysNs, uint32_t count,
                                                               int32_t* windowStartNs, int32_t* windowEndNs);

#ifdef __cplusplus
}
#endif
