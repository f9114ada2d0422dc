// The lists the satellite searches work on: spectrum points (power entries) and areas,
// candidates, channels and bands (data entries), singly linked behind a head entry, their
// entries taken from two fixed pools that the search's own record holds.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// A point of the power spectrum. A list runs in rising frequency.
typedef struct kit_demod_dvbs_s2_blindscan_power_t {
    struct kit_demod_dvbs_s2_blindscan_power_t* next;
    uint32_t freqKHz;
    int32_t power;  // 0.01 dB
} kit_demod_dvbs_s2_blindscan_power_t;

// An area (frequency, width in the rate field), a candidate (frequency, estimated rate and
// its range), a detected channel (frequency, rate, system in the minimum field) or a band
// (start and end frequency in the frequency and rate fields).
typedef struct kit_demod_dvbs_s2_blindscan_data_t {
    struct kit_demod_dvbs_s2_blindscan_data_t* next;
    uint32_t freqKHz;
    uint32_t symbolRateKSps;  // 0: none measured
    uint32_t minSymbolRateKSps;
    uint32_t maxSymbolRateKSps;
} kit_demod_dvbs_s2_blindscan_data_t;

typedef struct kit_demod_dvbs_s2_blindscan_storage_t {
    kit_demod_dvbs_s2_blindscan_power_t powerFree;  // head of the free list
    kit_demod_dvbs_s2_blindscan_power_t* powerPool;
    uint32_t powerCount;
    uint32_t powerUsed;
    uint32_t powerMaxUsed;
    kit_demod_dvbs_s2_blindscan_data_t dataFree;
    kit_demod_dvbs_s2_blindscan_data_t* dataPool;
    uint32_t dataCount;
    uint32_t dataUsed;
    uint32_t dataMaxUsed;
} kit_demod_dvbs_s2_blindscan_storage_t;

// Chains every pool entry into its free list; 1 for a null pool or a count below 1.
kit_result_t kit_demod_dvbs_s2_blindscan_StorageInit(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                     kit_demod_dvbs_s2_blindscan_power_t* powerPool,
                                                     uint32_t powerCount,
                                                     kit_demod_dvbs_s2_blindscan_data_t* dataPool,
                                                     uint32_t dataCount);
// Takes a cleared entry from the pool; 11 when it is empty.
kit_result_t kit_demod_dvbs_s2_blindscan_AllocPower(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                    kit_demod_dvbs_s2_blindscan_power_t** entry);
// Gives an entry back; 11 when nothing is in use.
kit_result_t kit_demod_dvbs_s2_blindscan_FreePower(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                   kit_demod_dvbs_s2_blindscan_power_t* entry);
// Gives every entry of the list behind head back and empties it.
kit_result_t kit_demod_dvbs_s2_blindscan_ClearPowerList(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                        kit_demod_dvbs_s2_blindscan_power_t* head);
kit_result_t kit_demod_dvbs_s2_blindscan_AllocData(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                   kit_demod_dvbs_s2_blindscan_data_t** entry);
// A null entry gives 10.
kit_result_t kit_demod_dvbs_s2_blindscan_FreeData(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                  kit_demod_dvbs_s2_blindscan_data_t* entry);
kit_result_t kit_demod_dvbs_s2_blindscan_ClearDataList(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                       kit_demod_dvbs_s2_blindscan_data_t* head);
// Takes an entry, fills it and links it at the end of the list behind head.
kit_result_t kit_demod_dvbs_s2_blindscan_AppendData(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                    kit_demod_dvbs_s2_blindscan_data_t* head, uint32_t freqKHz,
                                                    uint32_t symbolRateKSps, uint32_t minSymbolRateKSps,
                                                    uint32_t maxSymbolRateKSps);

#ifdef __cplusplus
}
#endif
