#include "kit_demod_isdbt.h"

#include "kit_demod.h"
#include "kit_demod_output.h"
#include "kit_demod_terr.h"
#include "kit_math.h"

#include <stddef.h>

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))
#define BANK(bank) {KIT_DEMOD_SLVT, 0x00, (bank), 0xFF, 0}
#define REG(reg, value) {KIT_DEMOD_SLVT, (reg), (value), 0xFF, 0}

enum { BANK_ISDBT = 0x60 };

// Per channel width: nominal rate words (bank 0x10 0x9F-0xA3), 0xD7, 0xD9-0xDA, bank 0x12
// 0x71, bank 0x15 0xBE.
typedef struct {
    kit_dtv_bandwidth_t bandwidth;
    uint8_t rate[5];
    uint8_t d7;
    uint8_t d9[2];
    uint8_t r12_71;
    uint8_t r15_be;
} band_t;

static const band_t bands[] = {
    {KIT_DTV_BW_6_MHZ, {0x17, 0xA0, 0x00, 0x00, 0x00}, 0x04, {0x1F, 0x79}, 0x07, 0x02},
    {KIT_DTV_BW_7_MHZ, {0x14, 0x40, 0x00, 0x00, 0x00}, 0x02, {0x1A, 0xFA}, 0x03, 0x02},
    {KIT_DTV_BW_8_MHZ, {0x11, 0xB8, 0x00, 0x00, 0x00}, 0x00, {0x13, 0xFC}, 0x03, 0x03},
};

static const band_t* bandOf(kit_dtv_bandwidth_t bandwidth)
{
    for (uint32_t i = 0; i < COUNT(bands); ++i)
        if (bands[i].bandwidth == bandwidth)
            return &bands[i];
    return NULL;
}

static uint32_t ifWord(const kit_demod_t* demod)
{
    switch (demod->bandwidth) {
    case KIT_DTV_BW_6_MHZ:
        return demod->ifFreq.isdbt6;
    case KIT_DTV_BW_7_MHZ:
        return demod->ifFreq.isdbt7;
    default:
        return demod->ifFreq.isdbt8;
    }
}

static kit_result_t bandSetting(kit_demod_t* demod)
{
    const band_t* band = bandOf(demod->bandwidth);
    if (!band)
        return KIT_RESULT_ERROR_SW_STATE;
    KIT_TRY(kit_demod_terr_Write(demod, 0x10, 0x9F, band->rate, 5));
    if (demod->tunerFilter == 1)
        KIT_TRY(kit_demod_terr_WriteFilterSet(demod, demod->bandwidth));
    KIT_TRY(kit_demod_terr_WriteIFWord(demod, ifWord(demod)));
    KIT_TRY(kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xD7, band->d7));
    KIT_TRY(kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xD9, band->d9, 2));
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x12, 0x71, band->r12_71));
    return kit_demod_terr_WriteOne(demod, 0x15, 0xBE, band->r15_be);
}

// What ISDB-T sets beyond the core, and what it gives back on leaving.
static const kit_demod_reg_step_t commonEnter[] = {
    BANK(0x00), REG(0xCE, 0x00), REG(0xCF, 0x00),
    BANK(0x10), REG(0x69, 0x04), REG(0x6B, 0x03), REG(0x9D, 0x50), REG(0xD3, 0x06),
    REG(0xED, 0x00), REG(0xE2, 0xCE), REG(0xF2, 0x13), REG(0xDE, 0x2E),
    BANK(0x15), REG(0xDE, 0x02),
    BANK(0x17), REG(0x38, 0x00), REG(0x39, 0x03),
    BANK(0x1E), REG(0x73, 0x68),
    BANK(0x63), REG(0x81, 0x00),
    BANK(0x11), REG(0x33, 0x00), REG(0x34, 0x03), REG(0x35, 0x3B),
    BANK(0x60), REG(0xA8, 0xB7), REG(0xA9, 0x1B),
};

static const kit_demod_reg_step_t commonLeave[] = {
    BANK(0x10), REG(0x69, 0x05), REG(0x6B, 0x07), REG(0x9D, 0x14), REG(0xD3, 0x00),
    REG(0xED, 0x01), REG(0xE2, 0x4E), REG(0xF2, 0x03), REG(0xDE, 0x32),
    BANK(0x15), REG(0xDE, 0x03),
    BANK(0x17), REG(0x38, 0x01), REG(0x39, 0x02),
    BANK(0x1E), REG(0x73, 0x00),
    BANK(0x63), REG(0x81, 0x01),
};

static kit_result_t commonSetting(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x11, 0x6A, 0x50));
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x10, 0xA5, demod->tunerFilter == 1 ? 0x01 : 0x00));
    return kit_demod_WriteSequence(demod, commonEnter, COUNT(commonEnter));
}

static kit_result_t start(kit_demod_t* demod, uint8_t ews)
{
    KIT_TRY(kit_demod_SetTSClockModeAndFreq(demod, KIT_DTV_SYSTEM_ISDBT));
    KIT_TRY(kit_demod_terr_WakeCore(demod, KIT_DEMOD_TERR_CODE_ISDBT, ews));
    KIT_TRY(commonSetting(demod));
    KIT_TRY(bandSetting(demod));
    return kit_demod_terr_OutputOn(demod, ews);
}

// Switches an active ISDB-T chip into or out of the emergency-warning mode.
static kit_result_t switchMode(kit_demod_t* demod, uint8_t ews)
{
    KIT_TRY(kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00));
    if (ews)
        KIT_TRY(kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xC3, 0x01));
    KIT_TRY(kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x35, ews));
    KIT_TRY(commonSetting(demod));
    KIT_TRY(bandSetting(demod));
    return kit_demod_terr_OutputOn(demod, ews);
}

static kit_result_t normalStart(kit_demod_t* demod, const void* param)
{
    (void)param;
    return start(demod, 0);
}

static kit_result_t normalRetune(kit_demod_t* demod, const void* param)
{
    (void)param;
    if (demod->isdbtEwsState)
        return switchMode(demod, 0);
    KIT_TRY(kit_demod_terr_WriteOne(demod, 0x00, 0xC3, 0x01));
    return bandSetting(demod);
}

static kit_result_t ewsStart(kit_demod_t* demod, const void* param)
{
    (void)param;
    return start(demod, 1);
}

static kit_result_t ewsRetune(kit_demod_t* demod, const void* param)
{
    (void)param;
    return demod->isdbtEwsState ? bandSetting(demod) : switchMode(demod, 1);
}

static kit_result_t tune(kit_demod_t* demod, const kit_isdbt_tune_param_t* param, uint8_t ews)
{
    const kit_dtv_bandwidth_t bw = param ? param->bandwidth : KIT_DTV_BW_UNKNOWN;
    KIT_TRY(kit_demod_terr_Tune(demod, KIT_DTV_SYSTEM_ISDBT, bw, bandOf(bw) != NULL, ews ? ewsStart : normalStart,
                                ews ? ewsRetune : normalRetune, param));
    demod->isdbtEwsState = ews;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_Tune(kit_demod_t* demod, const kit_isdbt_tune_param_t* param)
{
    return tune(demod, param, 0);
}

kit_result_t kit_demod_isdbt_EWSTune(kit_demod_t* demod, const kit_isdbt_tune_param_t* param)
{
    return tune(demod, param, 1);
}

kit_result_t kit_demod_isdbt_EWSTuneEnd(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_ISDBT));
    if (!demod->isdbtEwsState)
        return KIT_RESULT_ERROR_SW_STATE;
    return kit_demod_SoftReset(demod);
}

kit_result_t kit_demod_isdbt_Sleep(kit_demod_t* demod)
{
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    if (demod->state != KIT_DEMOD_STATE_ACTIVE || demod->system != KIT_DTV_SYSTEM_ISDBT)
        return KIT_RESULT_OK;
    const uint8_t ews = demod->isdbtEwsState ? 1 : 0;
    KIT_TRY(kit_demod_terr_OutputOff(demod, !ews));
    KIT_TRY(kit_demod_WriteSequence(demod, commonLeave, COUNT(commonLeave)));
    KIT_TRY(kit_demod_terr_SleepCore(demod, ews));
    demod->isdbtEwsState = 0;
    return KIT_RESULT_OK;
}

// ---- Lock ----

static kit_result_t readSync(kit_demod_t* demod, uint8_t* dmdLock, uint8_t* tsLock, uint8_t* unlockDetected)
{
    uint8_t v = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_ISDBT, 0x10, &v, 1));
    *dmdLock = (v >> 1) & 1;
    *tsLock = v & 1;
    *unlockDetected = (v >> 4) & 1;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_monitor_SyncStat(kit_demod_t* demod, uint8_t* dmdLock, uint8_t* tsLock,
                                              uint8_t* unlockDetected)
{
    if (!dmdLock || !tsLock || !unlockDetected)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_ISDBT));
    return readSync(demod, dmdLock, tsLock, unlockDetected);
}

static kit_result_t checkLock(kit_demod_t* demod, uint8_t needTsLock, kit_demod_lock_result_t* lock)
{
    if (!lock)
        return KIT_RESULT_ERROR_ARG;
    *lock = KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_ISDBT));
    uint8_t dmd = 0, ts = 0, unlock = 0;
    KIT_TRY(readSync(demod, &dmd, &ts, &unlock));
    if (unlock)
        *lock = KIT_DEMOD_LOCK_RESULT_UNLOCKED;
    else if (needTsLock ? ts : dmd)
        *lock = KIT_DEMOD_LOCK_RESULT_LOCKED;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return checkLock(demod, 0, lock);
}

kit_result_t kit_demod_isdbt_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return checkLock(demod, 1, lock);
}

kit_result_t kit_demod_isdbt_SetPreset(kit_demod_t* demod, const kit_isdbt_preset_info_t* preset)
{
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    const uint8_t on[2] = {0x01, 0x01}, off[2] = {0x00, 0x00};
    KIT_TRY(kit_demod_terr_Write(demod, BANK_ISDBT, 0x59, preset ? on : off, 2));
    if (!preset)
        return KIT_RESULT_OK;
    return kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0x62, preset->data, KIT_ISDBT_PRESET_BYTES);
}

// ---- Monitors ----

kit_result_t kit_demod_isdbt_IsDmdLocked(kit_demod_t* demod)
{
    uint8_t dmd = 0, ts = 0, unlock = 0;
    KIT_TRY(readSync(demod, &dmd, &ts, &unlock));
    return dmd ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

static kit_result_t frozenRead(kit_demod_t* demod, uint8_t reg, uint8_t* data, uint32_t length)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_ISDBT));
    return kit_demod_terr_FrozenRead(demod, kit_demod_isdbt_IsDmdLocked, BANK_ISDBT, reg, data, length);
}

kit_result_t kit_demod_isdbt_monitor_ModeGuard(kit_demod_t* demod, uint32_t* mode, uint32_t* guard)
{
    // The register counts the modes 1, 2, 3 (2k, 4k, 8k); the monitor reports them in
    // DVB-T's order (2k, 8k, 4k).
    static const uint8_t modes[4] = {0, 2, 1, 3};
    if (!mode || !guard)
        return KIT_RESULT_ERROR_ARG;
    uint8_t v = 0;
    KIT_TRY(frozenRead(demod, 0x40, &v, 1));
    *mode = modes[(v >> 2) & 0x03];
    *guard = v & 0x03;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offset)
{
    if (!offset)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_ISDBT));
    if (!bandOf(demod->bandwidth))
        return KIT_RESULT_ERROR_SW_STATE;
    uint8_t b[4];
    KIT_TRY(frozenRead(demod, 0x4C, b, 4));
    const int64_t x = kit_Convert2SComplement(kit_demod_terr_BigEndian(b, 4) & 0x1FFFFFFF, 29);
    int64_t value;
    switch (demod->bandwidth) {
    case KIT_DTV_BW_6_MHZ:
        value = x / -33;
        break;
    case KIT_DTV_BW_7_MHZ:
        value = 8 * x / -231;
        break;
    default:
        value = 8 * x / -198;
        break;
    }
    if (demod->ifSpectrumInverted)
        value = -value;
    *offset = (int32_t)value;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_monitor_SpectrumSense(kit_demod_t* demod, uint32_t* inverted)
{
    return kit_demod_terr_SpectrumSense(demod, KIT_DTV_SYSTEM_ISDBT, kit_demod_isdbt_IsDmdLocked, BANK_ISDBT, 0x3F,
                                        inverted);
}

kit_result_t kit_demod_isdbt_monitor_SNR(kit_demod_t* demod, int32_t* snr)
{
    if (!snr)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2];
    KIT_TRY(frozenRead(demod, 0x28, b, 2));
    const uint32_t v = kit_demod_terr_BigEndian(b, 2);
    if (v == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *snr = 100 * kit_math_log10(v) - 9031;
    return KIT_RESULT_OK;
}

// One layer's fields: modulation, code rate and interleave (3 bits each), then segments (4).
static void layerAt(const uint8_t* tmcc, uint32_t bit, kit_isdbt_tmcc_layer_info_t* layer)
{
    layer->modulation = kit_BitSplitFromByteArray(tmcc, KIT_ISDBT_PRESET_BYTES, bit, 3);
    layer->codingRate = kit_BitSplitFromByteArray(tmcc, KIT_ISDBT_PRESET_BYTES, bit + 3, 3);
    layer->ilLength = kit_BitSplitFromByteArray(tmcc, KIT_ISDBT_PRESET_BYTES, bit + 6, 3);
    layer->segmentsNum = (uint8_t)kit_BitSplitFromByteArray(tmcc, KIT_ISDBT_PRESET_BYTES, bit + 9, 4);
}

// The partial-reception flag, then layers A, B and C, 13 bits each.
static void groupAt(const uint8_t* tmcc, uint32_t bit, kit_isdbt_tmcc_group_param_t* group)
{
    group->isPartial = (uint8_t)kit_BitSplitFromByteArray(tmcc, KIT_ISDBT_PRESET_BYTES, bit, 1);
    layerAt(tmcc, bit + 1, &group->layerA);
    layerAt(tmcc, bit + 14, &group->layerB);
    layerAt(tmcc, bit + 27, &group->layerC);
}

kit_result_t kit_demod_isdbt_monitor_TMCCInfo(kit_demod_t* demod, kit_isdbt_tmcc_info_t* info)
{
    if (!info)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[KIT_ISDBT_PRESET_BYTES];
    KIT_TRY(frozenRead(demod, 0x32, b, KIT_ISDBT_PRESET_BYTES));
    info->systemId = kit_BitSplitFromByteArray(b, KIT_ISDBT_PRESET_BYTES, 0, 2);
    info->countDownIndex = (uint8_t)kit_BitSplitFromByteArray(b, KIT_ISDBT_PRESET_BYTES, 2, 4);
    info->ewsFlag = (uint8_t)kit_BitSplitFromByteArray(b, KIT_ISDBT_PRESET_BYTES, 6, 1);
    groupAt(b, 7, &info->currentInfo);
    groupAt(b, 47, &info->nextInfo);
    return KIT_RESULT_OK;
}
