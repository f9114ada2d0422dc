#include "kit_demod_terr.h"

#include "kit_demod.h"
#include "kit_demod_output.h"
#include "kit_math.h"
#include "kit_stopwatch_port.h"

#include <stddef.h>

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))

// ---- State and register access ----

kit_result_t kit_demod_terr_CheckActive(const kit_demod_t* demod, kit_dtv_system_t system)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_ACTIVE || demod->system != system)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_CheckAwake(const kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_Read(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length)
{
    const kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, reg, data, length);
}

kit_result_t kit_demod_terr_Write(kit_demod_t* demod, uint8_t bank, uint8_t reg, const uint8_t* data,
                                  uint32_t length)
{
    const kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, reg, data, length);
}

kit_result_t kit_demod_terr_WriteOne(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t value)
{
    return kit_demod_terr_Write(demod, bank, reg, &value, 1);
}

kit_result_t kit_demod_terr_FrozenRead(kit_demod_t* demod, kit_demod_terr_ready_t ready, uint8_t bank, uint8_t reg,
                                       uint8_t* data, uint32_t length)
{
    kit_result_t r = kit_demod_MonitorFreeze(demod);
    if (r != KIT_RESULT_OK)
        return r;
    if (ready)
        r = ready(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, bank, reg, data, length);
    return kit_demod_MonitorRelease(demod, r);
}

// ---- Sync state and lock ----

kit_result_t kit_demod_terr_SyncStat(kit_demod_t* demod, uint8_t bank, uint8_t* syncState, uint8_t* tsLock,
                                     uint8_t* earlyUnlock)
{
    uint8_t v = 0;
    const kit_result_t r = kit_demod_terr_Read(demod, bank, 0x10, &v, 1);
    if (r != KIT_RESULT_OK)
        return r;
    *syncState = v & 0x07;
    *tsLock = (v >> 5) & 1;
    *earlyUnlock = (v >> 4) & 1;
    return *syncState == KIT_DEMOD_TERR_SYNC_INVALID ? KIT_RESULT_ERROR_HW_STATE : KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_CheckLock(kit_demod_t* demod, uint8_t bank, uint8_t needTsLock,
                                      kit_demod_lock_result_t* lock)
{
    *lock = KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    uint8_t sync = 0, ts = 0, unlock = 0;
    const kit_result_t r = kit_demod_terr_SyncStat(demod, bank, &sync, &ts, &unlock);
    if (r != KIT_RESULT_OK)
        return r;
    if (unlock)
        *lock = KIT_DEMOD_LOCK_RESULT_UNLOCKED;
    else if (sync == KIT_DEMOD_TERR_SYNC_LOCKED && (ts || !needTsLock))
        *lock = KIT_DEMOD_LOCK_RESULT_LOCKED;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_MonitorSyncStat(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                            uint8_t* syncState, uint8_t* tsLock, uint8_t* earlyUnlock)
{
    if (!syncState || !tsLock || !earlyUnlock)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    return kit_demod_terr_SyncStat(demod, bank, syncState, tsLock, earlyUnlock);
}

kit_result_t kit_demod_terr_CheckLockOf(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                        uint8_t needTsLock, kit_demod_lock_result_t* lock)
{
    if (!lock)
        return KIT_RESULT_ERROR_ARG;
    *lock = KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    return kit_demod_terr_CheckLock(demod, bank, needTsLock, lock);
}

// ---- Common monitors ----

kit_result_t kit_demod_terr_IFAGCOut(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint32_t* ifAgc)
{
    if (!ifAgc)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    uint8_t b[2];
    KIT_TRY(kit_demod_terr_Read(demod, bank, 0x26, b, 2));
    *ifAgc = ((uint32_t)(b[0] & 0x0F) << 8) | b[1];
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_SpectrumSense(kit_demod_t* demod, kit_dtv_system_t system, kit_demod_terr_ready_t ready,
                                          uint8_t bank, uint8_t reg, uint32_t* inverted)
{
    if (!inverted)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    uint8_t v = 0;
    KIT_TRY(kit_demod_terr_FrozenRead(demod, ready, bank, reg, &v, 1));
    *inverted = (v & 0x01) ^ (demod->ifSpectrumInverted ? 1u : 0u);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_SNRFromRegister(uint32_t v, uint32_t cap, uint32_t total, int32_t offset, int32_t* snr)
{
    if (v == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    if (v > cap)
        v = cap;
    *snr = 100 * (kit_math_log10(v) - kit_math_log10(total - v)) + offset;
    return KIT_RESULT_OK;
}

// ---- Waking and sleeping ----

#define SLVT_BANK(bank) {KIT_DEMOD_SLVT, 0x00, (bank), 0xFF, 0}
#define SLVT_REG(reg, value) {KIT_DEMOD_SLVT, (reg), (value), 0xFF, 0}
#define SLVX_REG(reg, value) {KIT_DEMOD_SLVX, (reg), (value), 0xFF, 0}

static const kit_demod_reg_step_t wakeCore[] = {
    SLVT_REG(0xA9, 0x00), SLVT_REG(0x2C, 0x01), SLVT_REG(0x4B, 0x74), SLVT_REG(0x49, 0x00),
    SLVX_REG(0x18, 0x00),
};

static const kit_demod_reg_step_t sleepCore[] = {
    SLVX_REG(0x00, 0x00), SLVX_REG(0x18, 0x01),
    SLVT_BANK(0x00),      SLVT_REG(0x49, 0x33), SLVT_REG(0x4B, 0x21), SLVT_REG(0xFE, 0x01),
    SLVT_REG(0x2C, 0x00), SLVT_REG(0xA9, 0x00),
};

kit_result_t kit_demod_terr_WakeCore(kit_demod_t* demod, uint8_t code, uint8_t ews)
{
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVX, 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVX, 0x17, code);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    // The emergency-warning mode is chosen before the core starts.
    if (r == KIT_RESULT_OK && ews)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x35, 0x01);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteSequence(demod, wakeCore, COUNT(wakeCore));
}

kit_result_t kit_demod_terr_OutputOn(kit_demod_t* demod, uint8_t ews)
{
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x80, ews ? 0x0F : 0x08, 0x1F);
    return r != KIT_RESULT_OK ? r : kit_demod_SetTSDataPinHiZ(demod, ews ? 1 : 0);
}

kit_result_t kit_demod_terr_OutputOff(kit_demod_t* demod, uint8_t stopTs)
{
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    if (r == KIT_RESULT_OK && stopTs)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xC3, 0x01);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x80, 0x1F, 0x1F);
    return r != KIT_RESULT_OK ? r : kit_demod_SetTSDataPinHiZ(demod, 1);
}

kit_result_t kit_demod_terr_SleepCore(kit_demod_t* demod, uint8_t ews)
{
    kit_result_t r = kit_demod_WriteSequence(demod, sleepCore, COUNT(sleepCore));
    if (r == KIT_RESULT_OK && ews)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x35, 0x00);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVX, 0x17, KIT_DEMOD_TERR_CODE_SLEEP);
}

kit_result_t kit_demod_terr_Tune(kit_demod_t* demod, kit_dtv_system_t system, kit_dtv_bandwidth_t bandwidth,
                                 uint8_t bandOk, kit_demod_sequence_t start, kit_demod_sequence_t retune,
                                 const void* param)
{
    if (!demod || !param)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckAwake(demod));
    if (!bandOk)
        return KIT_RESULT_ERROR_SW_STATE;
    return kit_demod_TuneSystem(demod, system, bandwidth, start, retune, param);
}

// The tuner's filter coefficients, one set per channel width (5 and 6 MHz share one).
static const uint8_t filterSet56[14] = {0x31, 0xA8, 0x29, 0x9B, 0x27, 0x9C, 0x28,
                                        0x9E, 0x29, 0xA4, 0x29, 0xA2, 0x29, 0xA8};
static const uint8_t filterSet7[14] = {0x30, 0xB1, 0x29, 0x9A, 0x28, 0x9C, 0x28,
                                       0xA0, 0x29, 0xA2, 0x2B, 0xA6, 0x2B, 0xAD};
static const uint8_t filterSet8[14] = {0x2F, 0xBA, 0x28, 0x9B, 0x28, 0x9D, 0x28,
                                       0xA1, 0x29, 0xA5, 0x2A, 0xAC, 0x29, 0xB5};

kit_result_t kit_demod_terr_WriteFilterSet(kit_demod_t* demod, kit_dtv_bandwidth_t bandwidth)
{
    const uint8_t* set = NULL;
    switch (bandwidth) {
    case KIT_DTV_BW_5_MHZ:
    case KIT_DTV_BW_6_MHZ:
        set = filterSet56;
        break;
    case KIT_DTV_BW_7_MHZ:
        set = filterSet7;
        break;
    case KIT_DTV_BW_8_MHZ:
        set = filterSet8;
        break;
    default:
        return KIT_RESULT_ERROR_ARG;
    }
    return kit_demod_terr_Write(demod, 0x10, 0xA6, set, 14);
}

kit_result_t kit_demod_terr_WriteIFWord(kit_demod_t* demod, uint32_t word)
{
    const uint8_t b[3] = {(uint8_t)(word >> 16), (uint8_t)(word >> 8), (uint8_t)word};
    return kit_demod_terr_Write(demod, 0x10, 0xB6, b, 3);
}

// ---- Arithmetic ----

uint64_t kit_demod_terr_DivRound(uint64_t num, uint64_t den)
{
    return den == 0 ? 0 : (num + den / 2) / den;
}

int64_t kit_demod_terr_DivRoundSigned(int64_t num, int64_t den)
{
    return num >= 0 ? (num + den / 2) / den : (num - den / 2) / den;
}

kit_result_t kit_demod_terr_ErrorRate(uint64_t count, uint64_t window, uint64_t scale, uint32_t* rate)
{
    if (window == 0 || count > window)
        return KIT_RESULT_ERROR_HW_STATE;
    *rate = (uint32_t)kit_demod_terr_DivRound(count * scale, window);
    return KIT_RESULT_OK;
}

uint32_t kit_demod_terr_BigEndian(const uint8_t* data, uint32_t length)
{
    uint32_t v = 0;
    for (uint32_t i = 0; i < length && i < 4; ++i)
        v = (v << 8) | data[i];
    return v;
}

kit_result_t kit_demod_terr_SamplingOffset(kit_demod_t* demod, kit_demod_terr_ready_t ready, uint8_t bank,
                                           int32_t* offset)
{
    uint8_t t[5], m[5];
    kit_result_t r = kit_demod_MonitorFreeze(demod);
    if (r != KIT_RESULT_OK)
        return r;
    r = ready(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, bank, 0x52, t, 5);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x9F, m, 5);
    r = kit_demod_MonitorRelease(demod, r);
    if (r != KIT_RESULT_OK)
        return r;
    // The high bytes count whole wraps of the 32-bit words below them.
    const int h = (t[0] & 0x7F) - (m[0] & 0x7F);
    if (h < -1 || h > 1)
        return KIT_RESULT_ERROR_HW_STATE;
    int64_t tracked = kit_demod_terr_BigEndian(t + 1, 4) >> 1;
    int64_t nominal = kit_demod_terr_BigEndian(m + 1, 4) >> 1;
    if (h == 1)
        tracked += (int64_t)1 << 31;
    else if (h == -1)
        nominal += (int64_t)1 << 31;
    const uint64_t word = ((uint64_t)(m[0] & 0x7F) << 24) | kit_demod_terr_BigEndian(m + 1, 3);
    const int64_t divisor = (int64_t)((word + 195312) / 390625) / 2;
    if (divisor == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *offset = (int32_t)kit_demod_terr_DivRoundSigned(tracked - nominal, divisor);
    return KIT_RESULT_OK;
}

// ---- BER and SNR history ----

kit_result_t kit_demod_terr_HistorySNR(kit_demod_t* demod, uint32_t* mean)
{
    uint8_t b[24];
    KIT_TRY(kit_demod_terr_Read(demod, 0x02, 0x30, b, 24));
    uint32_t sum = 0, n = 0;
    for (; n < 8 && (b[3 * n] & 0x01); ++n)
        sum += kit_demod_terr_BigEndian(b + 3 * n + 1, 2);
    if (n == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *mean = (uint32_t)kit_demod_terr_DivRound(sum, n);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_HistoryErrors(const uint8_t* history, uint8_t perEntry, uint32_t* period,
                                          uint64_t* errors, uint64_t* blocks)
{
    uint32_t n = 0, minPeriod = 0x0F;
    uint64_t sum = 0;
    for (; n < 8 && (history[4 * n] & 0x80); ++n) {
        const uint8_t* e = history + 4 * n;
        sum += ((uint32_t)(e[0] & 0x7F) << 16) | kit_demod_terr_BigEndian(e + 1, 2);
        if ((e[3] & 0x0F) < minPeriod)
            minPeriod = e[3] & 0x0F;
    }
    if (n == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *errors = sum;
    if (!perEntry) {
        *blocks = n;
        return KIT_RESULT_OK;
    }
    uint64_t total = 0;
    for (uint32_t i = 0; i < n; ++i)
        total += (uint64_t)1 << ((history[4 * i + 3] & 0x0F) - minPeriod);
    *blocks = total;
    *period = minPeriod;
    return KIT_RESULT_OK;
}

// ---- Analysis points ----

kit_result_t kit_demod_terr_AnalysisPoint(kit_demod_t* demod, uint8_t bank, uint32_t index, uint8_t* data,
                                          uint32_t length)
{
    const uint8_t point[2] = {(uint8_t)((index >> 8) & 0x7F), (uint8_t)index};
    kit_result_t r = kit_demod_terr_Write(demod, bank, 0x98, point, 2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x9A, 0x01);
    for (uint32_t poll = 0; r == KIT_RESULT_OK && poll < KIT_DEMOD_TERR_POINT_POLLS; ++poll) {
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x9B, data, length);
        if (r != KIT_RESULT_OK || (data[0] & 0x40))
            return r;
        kit_stopwatch_t sw = {0};
        kit_stopwatch_sleep(&sw, KIT_DEMOD_TERR_POINT_POLL_MS);
    }
    return r != KIT_RESULT_OK ? r : KIT_RESULT_ERROR_TIMEOUT;
}

kit_result_t kit_demod_terr_PointConstellation(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                               uint32_t index, uint8_t wide, int32_t* i, int32_t* q)
{
    if (!i || !q)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    uint8_t b[5];
    KIT_TRY(kit_demod_terr_AnalysisPoint(demod, bank, index, b, 5));
    kit_demod_terr_PointIQ(b, wide, i, q);
    return KIT_RESULT_OK;
}

// Seven bytes of a spectrum or delay-profile point, and the power they give.
static kit_result_t pointPower(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint32_t index,
                               int32_t (*power)(const uint8_t*), int32_t* out)
{
    if (!out)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    uint8_t b[7];
    KIT_TRY(kit_demod_terr_AnalysisPoint(demod, bank, index, b, 7));
    *out = power(b);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_PointSpectrum(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint32_t index,
                                          int32_t* power)
{
    return pointPower(demod, system, bank, index, kit_demod_terr_SpectrumPower, power);
}

kit_result_t kit_demod_terr_PointDelay(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint32_t index,
                                       int32_t* power)
{
    return pointPower(demod, system, bank, index, kit_demod_terr_DelayPower, power);
}

kit_result_t kit_demod_terr_SetTap(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint8_t tap)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    return kit_demod_terr_WriteOne(demod, bank, 0x97, tap);
}

kit_result_t kit_demod_terr_SetDelayProfileRegs(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                                uint8_t enable, uint8_t mode)
{
    KIT_TRY(kit_demod_terr_CheckActive(demod, system));
    const uint8_t b[2] = {enable, mode};
    return kit_demod_terr_Write(demod, bank, 0xC3, b, 2);
}

void kit_demod_terr_PointIQ(const uint8_t* data, uint8_t wide, int32_t* i, int32_t* q)
{
    const uint8_t high = wide ? 0x3F : 0x03;
    const uint32_t bits = wide ? 14 : 10;
    *i = kit_Convert2SComplement(((uint32_t)(data[1] & high) << 8) | data[2], bits);
    *q = kit_Convert2SComplement(((uint32_t)(data[3] & high) << 8) | data[4], bits);
}

int32_t kit_demod_terr_SpectrumPower(const uint8_t* data)
{
    const uint32_t v = ((uint32_t)data[5] << 8) | data[6];
    return 100 * kit_math_log10(v) - 9031;
}

int32_t kit_demod_terr_DelayPower(const uint8_t* data)
{
    // Three fields of the seven bytes make one 32-bit word; its top 30 bits are the power.
    const uint32_t word = (((uint32_t)(data[1] & 0x03) << 8 | data[2]) << 22) |
                          (((uint32_t)(data[3] & 0x03) << 8 | data[4]) << 12) |
                          ((((uint32_t)(data[5] & 0x1F) << 8) | data[6]) >> 1);
    const uint32_t power = word >> 2;
    return power == 0 ? KIT_DEMOD_TERR_DELAY_LEVEL_FLOOR : 100 * kit_math_log10(power) - 24082;
}
