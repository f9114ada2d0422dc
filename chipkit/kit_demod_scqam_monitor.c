#include "kit_demod_scqam_monitor.h"

#include "kit_demod.h"
#include "kit_math.h"

#include <stddef.h>

enum { BANK_QAM = 0x40 };

// Register ranges a monitor reads, in order, into one buffer.
typedef struct {
    uint8_t reg;
    uint8_t length;
} span_t;

#define SPAN_COUNT(spans) ((uint32_t)(sizeof(spans) / sizeof((spans)[0])))

static kit_result_t readSpans(kit_demod_t* demod, const span_t* spans, uint32_t count, uint8_t* out)
{
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, BANK_QAM);
    for (uint32_t i = 0; i < count && r == KIT_RESULT_OK; ++i) {
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, spans[i].reg, out, spans[i].length);
        out += spans[i].length;
    }
    return r;
}

// The unfrozen reads: the system's state, then the spans.
static kit_result_t readActive(kit_demod_t* demod, kit_dtv_system_t system, const span_t* spans, uint32_t count,
                               uint8_t* out)
{
    const kit_result_t r = kit_demod_CheckActive(demod, system);
    return r != KIT_RESULT_OK ? r : readSpans(demod, spans, count, out);
}

kit_result_t kit_demod_scqam_monitor_SyncStat(kit_demod_t* demod, kit_dtv_system_t system, uint8_t* arLock,
                                              uint8_t* tsLock, uint8_t* unlockDetected)
{
    if (!arLock || !tsLock || !unlockDetected)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x88, 1}, {0x10, 1}};
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readActive(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    *arLock = b[0] & 0x01;
    *unlockDetected = (b[0] >> 1) & 0x01;
    *tsLock = (b[1] >> 5) & 0x01;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_scqam_CheckTSLock(kit_demod_t* demod, kit_dtv_system_t system,
                                         kit_demod_lock_result_t* lock)
{
    if (!lock)
        return KIT_RESULT_ERROR_ARG;
    uint8_t ar = 0, ts = 0, unlock = 0;
    const kit_result_t r = kit_demod_scqam_monitor_SyncStat(demod, system, &ar, &ts, &unlock);
    if (r != KIT_RESULT_OK)
        return r;
    // Outside scan mode the chip's verdict is ignored: a weak channel may still come in before
    // the wait runs out.
    if (demod->scanMode && unlock)
        *lock = KIT_DEMOD_LOCK_RESULT_UNLOCKED;
    else
        *lock = ar && ts ? KIT_DEMOD_LOCK_RESULT_LOCKED : KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    return KIT_RESULT_OK;
}

// The frozen reads: freeze, AR lock, the spans, release on every path.
static kit_result_t readFrozen(kit_demod_t* demod, kit_dtv_system_t system, const span_t* spans, uint32_t count,
                               uint8_t* out)
{
    kit_result_t r = kit_demod_CheckActive(demod, system);
    if (r != KIT_RESULT_OK)
        return r;
    r = kit_demod_MonitorFreeze(demod);
    if (r == KIT_RESULT_OK) {
        uint8_t ar = 0, ts = 0, unlock = 0;
        r = kit_demod_scqam_monitor_SyncStat(demod, system, &ar, &ts, &unlock);
        if (r == KIT_RESULT_OK && !ar)
            r = KIT_RESULT_ERROR_HW_STATE;
    }
    if (r == KIT_RESULT_OK)
        r = readSpans(demod, spans, count, out);
    return kit_demod_MonitorRelease(demod, r);
}

kit_result_t kit_demod_scqam_monitor_IFAGCOut(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* agc)
{
    if (!agc)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x49, 2}};
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readActive(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    *agc = ((uint32_t)(b[0] & 0x0F) << 8) | b[1];
    return KIT_RESULT_OK;
}

// Register 0x19: QAM code in bits 2-0, spectrum sense in bit 7.
static kit_result_t readQamByte(kit_demod_t* demod, kit_dtv_system_t system, uint8_t* b)
{
    static const span_t spans[] = {{0x19, 1}};
    return readFrozen(demod, system, spans, SPAN_COUNT(spans), b);
}

kit_result_t kit_demod_scqam_monitor_QAM(kit_demod_t* demod, kit_dtv_system_t system,
                                         kit_scqam_constellation_t* qam)
{
    uint8_t b = 0;
    const kit_result_t r = qam ? readQamByte(demod, system, &b) : KIT_RESULT_ERROR_ARG;
    if (r == KIT_RESULT_OK)
        *qam = b & 0x07;
    return r;
}

kit_result_t kit_demod_scqam_monitor_SpectrumSense(kit_demod_t* demod, kit_dtv_system_t system,
                                                   uint8_t* inverted)
{
    uint8_t b = 0;
    const kit_result_t r = inverted ? readQamByte(demod, system, &b) : KIT_RESULT_ERROR_ARG;
    if (r == KIT_RESULT_OK)
        *inverted = ((b >> 7) & 0x01) ^ (demod->ifSpectrumInverted ? 1 : 0);
    return r;
}

kit_result_t kit_demod_scqam_monitor_CarrierOffset(kit_demod_t* demod, kit_dtv_system_t system, int32_t* kHz)
{
    if (!kHz)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x15, 2}};
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readFrozen(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t x = kit_Convert2SComplement(((uint32_t)(b[0] & 0x3F) << 8) | b[1], 14);
    // One step is 48 MHz / 2^14; C division truncates towards zero like the chip's rounding.
    int64_t offset = x * 48000 / 16384;
    if (demod->ifSpectrumInverted)
        offset = -offset;
    *kHz = (int32_t)offset;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_scqam_monitor_SymbolRate(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* sps)
{
    if (!sps)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x1A, 2}, {0x9B, 5}};
    uint8_t b[7] = {0};
    const kit_result_t r = readFrozen(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    // A coarse rate in 46875/16 sps steps, corrected by a signed fine term whose scale the
    // fifth byte sets. In 64 bits: 46875 times a 32-bit term does not fit in 32.
    const uint64_t coarse = ((uint64_t)(b[0] & 0x0F) << 8) | b[1];
    const int64_t base = (int64_t)((46875 * coarse + 8) >> 4);
    const int32_t c = (int32_t)(((uint32_t)b[2] << 24) | ((uint32_t)b[3] << 16) | ((uint32_t)b[4] << 8) | b[5]);
    const uint32_t s = b[6] & 0x03;
    const uint64_t magnitude = c < 0 ? (uint64_t)(-(int64_t)c) : (uint64_t)c;
    const uint64_t scaled = (46875 * magnitude + 32768) >> 16;
    const int64_t correction = (int64_t)((scaled + (1ull << (s + 11))) >> (s + 12));
    const int64_t rate = c < 0 ? base - correction : base + correction;
    *sps = rate < 0 ? 0 : (uint32_t)rate;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_scqam_monitor_SNR(kit_demod_t* demod, kit_dtv_system_t system, int32_t* snr)
{
    if (!snr)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x19, 1}, {0x4C, 2}};
    uint8_t b[3] = {0};
    const kit_result_t r = readFrozen(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    const uint32_t qam = b[0] & 0x07;
    const uint32_t x = ((uint32_t)(b[1] & 0x1F) << 8) | b[2];
    if (x == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    // Square constellations and cross constellations have their own curves; J.83 Annex B
    // carries only 64QAM and 256QAM.
    const int square = qam == KIT_SCQAM_16QAM || qam == KIT_SCQAM_64QAM || qam == KIT_SCQAM_256QAM;
    const int cross = qam == KIT_SCQAM_32QAM || qam == KIT_SCQAM_128QAM;
    if (system == KIT_DTV_SYSTEM_J83B) {
        if (qam != KIT_SCQAM_64QAM && qam != KIT_SCQAM_256QAM)
            return KIT_RESULT_ERROR_HW_STATE;
    } else if (!square && !cross) {
        return KIT_RESULT_ERROR_HW_STATE;
    }
    if (square)
        *snr = -95 * kit_math_log(x < 126 ? 126 : x) + 95941;
    else
        *snr = -88 * kit_math_log(x < 69 ? 69 : x) + 86999;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_scqam_monitor_PreRSBER(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x62, 3}, {0x60, 1}};
    uint8_t b[4] = {0};
    const kit_result_t r = readActive(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[0] & 0x80))
        return KIT_RESULT_ERROR_HW_STATE;
    const uint64_t errors = ((uint64_t)(b[0] & 0x3F) << 16) | ((uint32_t)b[1] << 8) | b[2];
    const uint32_t p = b[3] & 0x1F;
    // Packet bits / 32: 204 bytes (DVB-C) or 188 bytes (J.83 Annex B); 10^7 / 32 = 312500.
    const uint64_t unit = system == KIT_DTV_SYSTEM_J83B ? 47 : 51;
    if (p < 12 && errors > (unit * 32) << p)
        return KIT_RESULT_ERROR_HW_STATE;
    *ber = (uint32_t)kit_math_DivRound(errors * 312500, unit << p);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_scqam_monitor_PacketErrorNumber(kit_demod_t* demod, kit_dtv_system_t system,
                                                       uint32_t* count)
{
    if (!count)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0xEA, 3}};
    uint8_t b[3] = {0};
    const kit_result_t r = readActive(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[2] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    *count = ((uint32_t)b[0] << 8) | b[1];
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_scqam_monitor_PER(kit_demod_t* demod, kit_dtv_system_t system, uint32_t* per)
{
    if (!per)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x5C, 4}};
    uint8_t b[4] = {0};
    const kit_result_t r = readActive(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[1] & 0x04))
        return KIT_RESULT_ERROR_HW_STATE;
    const uint32_t p = b[0] & 0x1F;
    const uint64_t errors = ((uint64_t)(b[1] & 0x03) << 16) | ((uint32_t)b[2] << 8) | b[3];
    if (errors > (1ull << p))
        return KIT_RESULT_ERROR_HW_STATE;
    *per = (uint32_t)kit_math_DivRound(errors * 1000000, 1ull << p);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_scqam_adv_monitor_Constellation(kit_demod_t* demod, kit_dtv_system_t system, int8_t* i,
                                                       int8_t* q)
{
    if (!i || !q)
        return KIT_RESULT_ERROR_ARG;
    static const span_t spans[] = {{0x47, 2}};
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readActive(demod, system, spans, SPAN_COUNT(spans), b);
    if (r != KIT_RESULT_OK)
        return r;
    *i = (int8_t)b[0];
    *q = (int8_t)b[1];
    return KIT_RESULT_OK;
}
