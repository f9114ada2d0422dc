#include "kit_demod_dvbs_s2_blindscan_data.h"

#include <stddef.h>
#include <string.h>

kit_result_t kit_demod_dvbs_s2_blindscan_StorageInit(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                     kit_demod_dvbs_s2_blindscan_power_t* powerPool,
                                                     uint32_t powerCount,
                                                     kit_demod_dvbs_s2_blindscan_data_t* dataPool,
                                                     uint32_t dataCount)
{
    if (!storage || !powerPool || !dataPool || powerCount < 1 || dataCount < 1)
        return KIT_RESULT_ERROR_ARG;
    memset(storage, 0, sizeof(*storage));
    storage->powerPool = powerPool;
    storage->powerCount = powerCount;
    storage->dataPool = dataPool;
    storage->dataCount = dataCount;
    for (uint32_t i = 0; i < powerCount; ++i)
        powerPool[i].next = i + 1 < powerCount ? &powerPool[i + 1] : NULL;
    for (uint32_t i = 0; i < dataCount; ++i)
        dataPool[i].next = i + 1 < dataCount ? &dataPool[i + 1] : NULL;
    storage->powerFree.next = powerPool;
    storage->dataFree.next = dataPool;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_AllocPower(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                    kit_demod_dvbs_s2_blindscan_power_t** entry)
{
    if (!storage || !entry)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_power_t* e = storage->powerFree.next;
    if (!e)
        return KIT_RESULT_ERROR_OVERFLOW;
    storage->powerFree.next = e->next;
    memset(e, 0, sizeof(*e));
    if (++storage->powerUsed > storage->powerMaxUsed)
        storage->powerMaxUsed = storage->powerUsed;
    *entry = e;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_FreePower(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                   kit_demod_dvbs_s2_blindscan_power_t* entry)
{
    if (!storage || !entry)
        return KIT_RESULT_ERROR_ARG;
    if (storage->powerUsed == 0)
        return KIT_RESULT_ERROR_OVERFLOW;
    entry->next = storage->powerFree.next;
    storage->powerFree.next = entry;
    --storage->powerUsed;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_ClearPowerList(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                        kit_demod_dvbs_s2_blindscan_power_t* head)
{
    if (!storage || !head)
        return KIT_RESULT_ERROR_ARG;
    while (head->next) {
        kit_demod_dvbs_s2_blindscan_power_t* e = head->next;
        head->next = e->next;
        const kit_result_t r = kit_demod_dvbs_s2_blindscan_FreePower(storage, e);
        if (r != KIT_RESULT_OK)
            return r;
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_AllocData(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                   kit_demod_dvbs_s2_blindscan_data_t** entry)
{
    if (!storage || !entry)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_data_t* e = storage->dataFree.next;
    if (!e)
        return KIT_RESULT_ERROR_OVERFLOW;
    storage->dataFree.next = e->next;
    memset(e, 0, sizeof(*e));
    if (++storage->dataUsed > storage->dataMaxUsed)
        storage->dataMaxUsed = storage->dataUsed;
    *entry = e;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_FreeData(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                  kit_demod_dvbs_s2_blindscan_data_t* entry)
{
    if (!storage || !entry)
        return KIT_RESULT_ERROR_OTHER;
    if (storage->dataUsed == 0)
        return KIT_RESULT_ERROR_OVERFLOW;
    entry->next = storage->dataFree.next;
    storage->dataFree.next = entry;
    --storage->dataUsed;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_ClearDataList(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                       kit_demod_dvbs_s2_blindscan_data_t* head)
{
    if (!storage || !head)
        return KIT_RESULT_ERROR_ARG;
    while (head->next) {
        kit_demod_dvbs_s2_blindscan_data_t* e = head->next;
        head->next = e->next;
        const kit_result_t r = kit_demod_dvbs_s2_blindscan_FreeData(storage, e);
        if (r != KIT_RESULT_OK)
            return r;
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_blindscan_AppendData(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                    kit_demod_dvbs_s2_blindscan_data_t* head, uint32_t freqKHz,
                                                    uint32_t symbolRateKSps, uint32_t minSymbolRateKSps,
                                                    uint32_t maxSymbolRateKSps)
{
    if (!head)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_dvbs_s2_blindscan_data_t* e = NULL;
    const kit_result_t r = kit_demod_dvbs_s2_blindscan_AllocData(storage, &e);
    if (r != KIT_RESULT_OK)
        return r;
    e->freqKHz = freqKHz;
    e->symbolRateKSps = symbolRateKSps;
    e->minSymbolRateKSps = minSymbolRateKSps;
    e->maxSymbolRateKSps = maxSymbolRateKSps;
    while (head->next)
        head = head->next;
    head->next = e;
    return KIT_RESULT_OK;
}
