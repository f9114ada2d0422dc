#include "kit_demod_dvbc2.h"

#include "kit_demod.h"
#include "kit_demod_dvbc2_monitor.h"
#include "kit_demod_output.h"

#define T(reg, value) KIT_DEMOD_STEP(KIT_DEMOD_SLVT, reg, value)
#define X(reg, value) KIT_DEMOD_STEP(KIT_DEMOD_SLVX, reg, value)
#define T_BITS(reg, value, mask) {KIT_DEMOD_SLVT, (reg), (value), (mask), 0}

// Sleep-to-active: the system, then the TLV-or-TS switch (SLVT bank 0 register 0xA9).
static const kit_demod_reg_step_t wakeSystem[] = {X(0x00, 0x00), X(0x17, 0x05), T(0x00, 0x00)};
// Then up to the tuner-filter switch (SLVT bank 0x10 register 0xA5).
static const kit_demod_reg_step_t wakeStart[] = {
    T(0x2C, 0x01), T(0x4B, 0x74), T(0x49, 0x00),
    X(0x18, 0x00),
    T(0x00, 0x11), T(0x6A, 0x50),
    T(0x00, 0x10),
};
static const kit_demod_reg_step_t wakeEnd[] = {
    T(0x00, 0x00), T(0xCE, 0x01), T(0xCF, 0x01),
    T(0x00, 0x20), T(0xC2, 0x00),
    T(0x00, 0x25), T(0x6A, 0x00), T(0x89, 0x0C), T(0x8A, 0xD1), T(0x8B, 0x40), T(0xCB, 0x01),
    T(0xDC, 0x7B), T(0xDD, 0x00), T(0xDE, 0x7B), T(0xDF, 0x00), T(0xE2, 0x30), T(0xE5, 0x30),
    T(0x00, 0x27), T(0x20, 0x01), T(0x35, 0x01), T(0xD9, 0x18),
    T(0x00, 0x2A), T(0x38, 0x00), T(0x78, 0x00), T(0x86, 0x20), T(0x88, 0x32),
    T(0x00, 0x2B), T(0x11, 0x00), T(0x2B, 0x10),
    T(0x00, 0x2D), T(0x24, 0x01), T(0x25, 0x01),
    T(0x00, 0x11), T(0x33, 0x00), T(0x34, 0x03), T(0x35, 0x3B),
};
static const kit_demod_reg_step_t sleepMiddle[] = {
    T(0x00, 0x20), T(0xC2, 0x11),
    T(0x00, 0x25), T(0x6A, 0x02), T(0x89, 0x07), T(0x8A, 0x61), T(0x8B, 0x36), T(0xCB, 0x05),
    T(0xDC, 0x2E), T(0xDD, 0xE0), T(0xDE, 0x2E), T(0xDF, 0xE0), T(0xE2, 0x2F), T(0xE5, 0x2F),
    T(0x00, 0x27), T(0x20, 0x00), T(0x35, 0x00), T(0xD9, 0x19),
    T(0x00, 0x2A), T(0x38, 0x04), T(0x78, 0x01), T(0x86, 0x08), T(0x88, 0x14),
    T(0x00, 0x2B), T(0x11, 0x20), T(0x2B, 0x00),
    T(0x00, 0x2D), T(0x24, 0x89), T(0x25, 0x89),
};
static const kit_demod_reg_step_t sleepEnd[] = {
    X(0x00, 0x00), X(0x18, 0x01),
    T(0x00, 0x00), T(0x49, 0x33), T(0x4B, 0x21), T(0xFE, 0x01), T(0x2C, 0x00), T(0xA9, 0x00),
    X(0x17, 0x01),
};

static const kit_demod_reg_step_t presetReleaseStart[] = {
    T(0x00, 0x27), T(0xF4, 0x02), T(0xF5, 0x80), T_BITS(0x51, 0x40, 0xF0),
    T(0x73, 0x07), T(0x74, 0x3F), T(0x75, 0x3F), T(0x76, 0x19),
};
static const kit_demod_reg_step_t presetReleaseMiddle[] = {T(0x00, 0x27), T(0xC9, 0x07), T(0x00, 0x20), T(0xC2, 0x11)};
static const kit_demod_reg_step_t presetReleaseEnd[] = {
    T(0x00, 0x50), T(0x6B, 0x00), T(0x6C, 0x00), T(0x6D, 0x00), T(0x6E, 0x00), T_BITS(0x6F, 0x00, 0x40),
};

// Filters against adjacent channels, narrow (0) to wide (3): bank 0x2A registers 0x20-0x29.
static const uint8_t aciFilters[4][10] = {
    {0x03, 0xE5, 0x06, 0x2E, 0x03, 0x01, 0xEC, 0x02, 0x30, 0x01},
    {0x0B, 0xE8, 0x16, 0x0B, 0x0B, 0x03, 0xF4, 0x06, 0x1E, 0x03},
    {0x08, 0xF9, 0x10, 0x04, 0x08, 0x14, 0xE7, 0x28, 0xE5, 0x14},
    {0x16, 0xF0, 0x2B, 0xD8, 0x16, 0x16, 0xF0, 0x2C, 0xD8, 0x16},
};
enum { ACI_FILTER_WIDEST = 3 };

static const uint8_t filter6MHz[14] = {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28,
                                       0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8};
static const uint8_t filter8MHz[14] = {0x2F, 0xBA, 0x28, 0x9B, 0x28, 0x9D, 0x28,
                                       0xA1, 0x29, 0xA5, 0x2A, 0xAC, 0x29, 0xB5};

static int knownBand(kit_dtv_bandwidth_t bandwidth)
{
    return bandwidth == KIT_DTV_BW_6_MHZ || bandwidth == KIT_DTV_BW_8_MHZ;
}

// The nominal sampling rate of the band (bank 0x20 registers 0x9F-0xA3).
static kit_result_t writeNominalTrl(kit_demod_t* demod)
{
    if (!knownBand(demod->bandwidth))
        return KIT_RESULT_ERROR_SW_STATE;
    const uint8_t trl[5] = {demod->bandwidth == KIT_DTV_BW_6_MHZ ? 0x1C : 0x15, 0, 0, 0, 0};
    return kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x20, 0x9F, trl, sizeof trl);
}

static int tlvOutput(const kit_demod_t* demod) { return demod->tlvOutputDvbc2 != 0; }

static kit_result_t outputOff(kit_demod_t* demod)
{
    if (tlvOutput(demod)) {
        static const kit_demod_reg_step_t tlvOff[] = {T(0x00, 0x01), T(0xC0, 0x01)};
        return kit_demod_WriteSequence(demod, tlvOff, KIT_DEMOD_STEP_COUNT(tlvOff));
    }
    static const kit_demod_reg_step_t tsOff[] = {T(0x00, 0x00), T(0xC3, 0x01)};
    return kit_demod_WriteSequence(demod, tsOff, KIT_DEMOD_STEP_COUNT(tsOff));
}

static kit_result_t bandSetting(kit_demod_t* demod)
{
    static const uint8_t lock6MHz[2] = {0x1B, 0x70};
    static const uint8_t lock8MHz[2] = {0x14, 0xA0};
    kit_result_t r = writeNominalTrl(demod);
    if (r != KIT_RESULT_OK)
        return r;
    const int narrow = demod->bandwidth == KIT_DTV_BW_6_MHZ;
    const uint32_t ifWord = narrow ? demod->ifFreq.dvbc2_6 : demod->ifFreq.dvbc2_8;
    const uint8_t ifBytes[3] = {(uint8_t)(ifWord >> 16), (uint8_t)(ifWord >> 8), (uint8_t)ifWord};
    const uint8_t* lock = narrow ? lock6MHz : lock8MHz;

    r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x27);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x7A, 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x10);
    if (r == KIT_RESULT_OK && demod->tunerFilter == 1)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xA6, narrow ? filter6MHz : filter8MHz, 14);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, 0xB6, ifBytes, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xD7, narrow ? 0x04 : 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, 0xEC, lock, 2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xEF, lock[0]);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xF1, lock[1]);
    return r;
}

static kit_result_t sleepToActive(kit_demod_t* demod, const void* param)
{
    (void)param;
    kit_result_t r = tlvOutput(demod) ? kit_demod_SetTLVClockModeAndFreq(demod, KIT_DTV_SYSTEM_DVBC2)
                                      : kit_demod_SetTSClockModeAndFreq(demod, KIT_DTV_SYSTEM_DVBC2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteSequence(demod, wakeSystem, KIT_DEMOD_STEP_COUNT(wakeSystem));
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xA9, tlvOutput(demod) ? 0x01 : 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteWakeSequence(demod, wakeStart, KIT_DEMOD_STEP_COUNT(wakeStart), wakeEnd,
                                        KIT_DEMOD_STEP_COUNT(wakeEnd));
    if (r == KIT_RESULT_OK)
        r = bandSetting(demod);
    return r != KIT_RESULT_OK ? r : kit_demod_StartOutputBlock(demod);
}

static kit_result_t retune(kit_demod_t* demod, const void* param)
{
    (void)param;
    const kit_result_t r = outputOff(demod);
    return r != KIT_RESULT_OK ? r : bandSetting(demod);
}

kit_result_t kit_demod_dvbc2_Tune(kit_demod_t* demod, const kit_dvbc2_tune_param_t* param)
{
    if (!demod || !param)
        return KIT_RESULT_ERROR_ARG;
    if (!knownBand(param->bandwidth))
        return KIT_RESULT_ERROR_SW_STATE;
    return kit_demod_TuneSystem(demod, KIT_DTV_SYSTEM_DVBC2, param->bandwidth, sleepToActive, retune, param);
}

kit_result_t kit_demod_dvbc2_ReleasePreset(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (!knownBand(demod->bandwidth))
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = kit_demod_WriteSequence(demod, presetReleaseStart, KIT_DEMOD_STEP_COUNT(presetReleaseStart));
    if (r == KIT_RESULT_OK)
        r = writeNominalTrl(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteSequence(demod, presetReleaseMiddle, KIT_DEMOD_STEP_COUNT(presetReleaseMiddle));
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_WriteACIFilter(demod, ACI_FILTER_WIDEST);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteSequence(demod, presetReleaseEnd, KIT_DEMOD_STEP_COUNT(presetReleaseEnd));
    return r;
}

kit_result_t kit_demod_dvbc2_Sleep(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = outputOff(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_StopOutputBlock(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteSequence(demod, sleepMiddle, KIT_DEMOD_STEP_COUNT(sleepMiddle));
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_ReleasePreset(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteSequence(demod, sleepEnd, KIT_DEMOD_STEP_COUNT(sleepEnd));
    return r;
}

static kit_result_t checkLock(kit_demod_t* demod, int needTsLock, kit_demod_lock_result_t* lock)
{
    if (!lock)
        return KIT_RESULT_ERROR_ARG;
    uint8_t sync = 0, ts = 0, earlyUnlock = 0;
    const kit_result_t r = kit_demod_dvbc2_monitor_SyncStat(demod, &sync, &ts, &earlyUnlock);
    if (r != KIT_RESULT_OK)
        return r;
    if (earlyUnlock)
        *lock = KIT_DEMOD_LOCK_RESULT_UNLOCKED;
    else if (sync >= KIT_DVBC2_SYNC_STATE_LOCKED && (ts || !needTsLock))
        *lock = KIT_DEMOD_LOCK_RESULT_LOCKED;
    else
        *lock = KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return checkLock(demod, 0, lock);
}

kit_result_t kit_demod_dvbc2_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock)
{
    return checkLock(demod, 1, lock);
}

kit_result_t kit_demod_dvbc2_SetPlpId(kit_demod_t* demod, uint8_t plpId)
{
    kit_result_t r = kit_demod_CheckActive(demod, KIT_DTV_SYSTEM_DVBC2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x50);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x7F, plpId);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x87, 0x01);
    return r;
}

// ---- Carrier words ----

kit_result_t kit_demod_dvbc2_CarrierWord(kit_dtv_bandwidth_t bandwidth, uint32_t kHz, uint32_t* word)
{
    if (!word)
        return KIT_RESULT_ERROR_ARG;
    // f x carriers per 3 MHz (6 MHz) or per 1 MHz (8 MHz) must stay in 32 bits, where the
    // chip's reciprocal constants are exact: 2.39 GHz at 6 MHz, 9.58 GHz at 8 MHz.
    uint64_t k;
    if (bandwidth == KIT_DTV_BW_6_MHZ) {
        const uint64_t x = (uint64_t)kHz * 1792;
        if (x > 0xFFFFFFFFu)
            return KIT_RESULT_ERROR_ARG;
        k = ((x * 91625969u) >> 32) >> 6;
    } else if (bandwidth == KIT_DTV_BW_8_MHZ) {
        const uint64_t x = (uint64_t)kHz * 448;
        if (x > 0xFFFFFFFFu)
            return KIT_RESULT_ERROR_ARG;
        k = ((x * 274877907u) >> 32) >> 6;
    } else {
        return KIT_RESULT_ERROR_NOSUPPORT;
    }
    k = ((k + 6) / 12) * 12;
    if (k > KIT_DVBC2_CARRIER_WORD_MAX)
        return KIT_RESULT_ERROR_ARG;
    *word = (uint32_t)k;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_CarrierWordFrequency(kit_dtv_bandwidth_t bandwidth, uint32_t word, uint32_t* kHz)
{
    if (!kHz)
        return KIT_RESULT_ERROR_ARG;
    if (!knownBand(bandwidth))
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (word > KIT_DVBC2_CARRIER_WORD_MAX)
        return KIT_RESULT_ERROR_ARG;
    if (bandwidth == KIT_DTV_BW_6_MHZ)
        *kHz = (uint32_t)((((uint64_t)word * 3000) >> 8) * 613566793u >> 32);
    else
        *kHz = (uint32_t)((((uint64_t)word * 1000) >> 6) * 613566765u >> 32);
    return KIT_RESULT_OK;
}

// ---- Building blocks ----

static kit_result_t writeSlice(kit_demod_t* demod, uint8_t reg, uint32_t word, uint8_t dataSliceId,
                               uint8_t dataPlpId, uint32_t length)
{
    if (word > KIT_DVBC2_CARRIER_WORD_MAX)
        return KIT_RESULT_ERROR_ARG;
    const uint8_t data[7] = {(uint8_t)(word >> 16), (uint8_t)(word >> 8), (uint8_t)word, 0x02,
                             dataSliceId, dataPlpId, 0x01};
    return kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, reg, data, length);
}

kit_result_t kit_demod_dvbc2_WriteDataSlice(kit_demod_t* demod, uint32_t word, uint8_t dataSliceId,
                                            uint8_t dataPlpId)
{
    return writeSlice(demod, 0x7A, word, dataSliceId, dataPlpId, 6);
}

kit_result_t kit_demod_dvbc2_PresetDataSlice(kit_demod_t* demod, uint32_t word, uint8_t dataSliceId,
                                             uint8_t dataPlpId)
{
    return writeSlice(demod, 0x81, word, dataSliceId, dataPlpId, 7);
}

kit_result_t kit_demod_dvbc2_Change1stTrial(kit_demod_t* demod)
{
    uint8_t sense = 0, l1 = 0;
    kit_result_t r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x28, 0xE6, &sense, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, 0x15, &l1, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x6F, (uint8_t)((sense & 0x01) | ((l1 & 0x18) >> 2)), 0x07);
    return r;
}

kit_result_t kit_demod_dvbc2_CheckL1DataReady(kit_demod_t* demod, uint8_t* ready)
{
    if (!ready)
        return KIT_RESULT_ERROR_ARG;
    uint8_t part2 = 0, data = 0;
    kit_result_t r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x1F, &part2, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, 0xC4, &data, 1);
    if (r != KIT_RESULT_OK)
        return r;
    *ready = (part2 & 0x01) && (data & 0x01);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_WriteACIFilter(kit_demod_t* demod, uint8_t index)
{
    if (index > ACI_FILTER_WIDEST)
        return KIT_RESULT_ERROR_ARG;
    return kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, 0x2A, 0x20, aciFilters[index], 10);
}

uint32_t kit_demod_dvbc2_PilotSpacing(uint8_t guardInterval) { return guardInterval == KIT_DVBC2_GI_1_64 ? 12 : 24; }

void kit_demod_dvbc2_DecodeL1Part2(const uint8_t* h, const uint8_t* n, const uint8_t* tail, kit_dvbc2_l1_part2_t* l1)
{
    const uint8_t notches = h[14] & 0x0F;
    l1->networkId = (uint16_t)((h[0] << 8) | h[1]);
    l1->c2SystemId = (uint16_t)((h[2] << 8) | h[3]);
    l1->startFrequency = ((uint32_t)h[4] << 16) | ((uint32_t)h[5] << 8) | h[6];
    l1->c2Bandwidth = (uint16_t)((h[7] << 8) | h[8]);
    l1->guardInterval = h[9] & 0x03;
    l1->frameLength = (uint16_t)(((h[10] & 0x03) << 8) | h[11]);
    l1->changeCounter = h[12];
    l1->numDataSlices = h[13];
    l1->numNotches = notches;
    for (uint8_t i = 0; i < KIT_DVBC2_NOTCHES_MAX; ++i) {
        const uint8_t* e = &n[KIT_DVBC2_NOTCH_BYTES * i];
        l1->notches[i].start = i < notches ? (uint16_t)(((e[0] & 0x3F) << 8) | e[1]) : 0;
        l1->notches[i].width = i < notches ? (uint16_t)(((e[2] & 0x01) << 8) | e[3]) : 0;
    }
    l1->reservedTone = tail[0] & 0x01;
}

// A field of width bits as two's complement.
static int16_t signedField(uint32_t value, uint32_t width)
{
    const uint32_t sign = 1u << (width - 1);
    value &= (sign << 1) - 1;
    return (int16_t)((value ^ sign) - sign);
}

void kit_demod_dvbc2_DecodeDataSlice(const uint8_t* b, uint8_t guardInterval, kit_dvbc2_data_slice_t* slice)
{
    // The finer pilot spacing of 1/64 (12 carriers) needs a bit more for the same span: 14-bit
    // positions and 9-bit offsets, against 13 and 8 at 1/128.
    const int wide = guardInterval == KIT_DVBC2_GI_1_64;
    slice->id = b[0];
    slice->tunePosition = (uint16_t)(((b[1] << 8) | b[2]) & (wide ? 0x3FFF : 0x1FFF));
    slice->offsetLeft = signedField(((uint32_t)b[3] << 8) | b[4], wide ? 9 : 8);
    slice->offsetRight = signedField(((uint32_t)b[5] << 8) | b[6], wide ? 9 : 8);
    slice->tiDepth = b[7] & 0x03;
    slice->type = b[8] & 0x01;
    slice->fecHeaderType = b[9] & 0x01;
    slice->constConf = b[10] & 0x01;
    slice->leftNotch = b[11] & 0x01;
    slice->numPLPs = b[12];
}

void kit_demod_dvbc2_DecodePLP(const uint8_t* b, kit_dvbc2_plp_t* plp)
{
    plp->id = b[0];
    plp->bundled = b[1] & 0x01;
    plp->type = b[2] & 0x03;
    plp->payloadType = b[3] & 0x1F;
    plp->start = (uint16_t)(((b[4] & 0x3F) << 8) | b[5]);
    plp->fecType = b[7] & 0x01;
    plp->modulation = b[8] & 0x07;
    plp->codeRate = b[9] & 0x07;
    plp->reprocessing = b[10] & 0x01;
    plp->transportStreamId = (uint16_t)((b[11] << 8) | b[12]);
    plp->originalNetworkId = (uint16_t)((b[13] << 8) | b[14]);
}

kit_result_t kit_demod_dvbc2_ReadL1Part2(kit_demod_t* demod, kit_dvbc2_l1_part2_t* l1)
{
    if (!l1)
        return KIT_RESULT_ERROR_ARG;
    uint8_t h[KIT_DVBC2_L1_HEADER_BYTES] = {0};
    uint8_t n[KIT_DVBC2_NOTCH_BYTES * KIT_DVBC2_NOTCHES_MAX] = {0};
    uint8_t tail[KIT_DVBC2_L1_TAIL_BYTES] = {0};
    kit_result_t r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x20, h, sizeof h);
    const uint8_t notches = h[14] & 0x0F;
    if (r == KIT_RESULT_OK && notches > 0)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x4D, n, (uint32_t)KIT_DVBC2_NOTCH_BYTES * notches);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x98, tail, sizeof tail);
    if (r != KIT_RESULT_OK)
        return r;
    kit_demod_dvbc2_DecodeL1Part2(h, n, tail, l1);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_SelectL1View(kit_demod_t* demod, uint8_t view, uint8_t id)
{
    if (view > KIT_DVBC2_L1_VIEW_PLP)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x50);
    if (r == KIT_RESULT_OK && view == KIT_DVBC2_L1_VIEW_DATA_SLICE)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x7E, id);
    if (r == KIT_RESULT_OK && view == KIT_DVBC2_L1_VIEW_PLP)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x7F, id);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x7D, view, 0x03);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x87, 0x01, 0x01);
    return r;
}

kit_result_t kit_demod_dvbc2_ReadL1IdList(kit_demod_t* demod, uint8_t* ids, uint32_t count)
{
    return kit_demod_ReadIdList(demod, ids, count);
}
