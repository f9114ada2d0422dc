#include "kit_demod_dvbs_s2_monitor.h"

#include "kit_demod.h"
#include "kit_demod_dvbs_s2.h"
#include "kit_math.h"
#include "kit_stopwatch_port.h"

#include <string.h>

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))

// ---- Arithmetic ----

// The quotient, one up when the remainder is at least half the divisor; a divisor of 1
// never rounds. Every error rate is worked in 64 bits: counts times 10^9 overflow 32.
static uint64_t divRoundHalfUp(uint64_t n, uint64_t d)
{
    const uint64_t q = n / d;
    return d > 1 && n % d >= d / 2 ? q + 1 : q;
}

// Nearest integer, halves away from zero.
static int32_t divRoundAway(int64_t n, int64_t d)
{
    const int64_t q = (n < 0 ? -n : n) * 2 + d;
    const int64_t magnitude = q / (2 * d);
    return (int32_t)(n < 0 ? -magnitude : magnitude);
}

// ---- Register access and checks ----

static kit_result_t readIn(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length)
{
    const kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, reg, data, length);
}

static int isSatellite(kit_dtv_system_t system)
{
    return system == KIT_DTV_SYSTEM_DVBS || system == KIT_DTV_SYSTEM_DVBS2 || system == KIT_DTV_SYSTEM_ANY;
}

static kit_result_t usable(const kit_demod_t* demod)
{
    if (demod->state != KIT_DEMOD_STATE_ACTIVE || !isSatellite(demod->system))
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

static kit_result_t syncStat(kit_demod_t* demod, uint8_t* tsLock)
{
    uint8_t b = 0;
    const kit_result_t r = readIn(demod, 0xA0, 0x11, &b, 1);
    if (r == KIT_RESULT_OK)
        *tsLock = (b >> 2) & 1;
    return r;
}

// Unfrozen building blocks, no state check.

static kit_result_t samplingRateMode(kit_demod_t* demod, uint8_t* highRate)
{
    uint8_t b = 0;
    kit_result_t r = readIn(demod, 0xA0, 0x10, &b, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x50, &b, 1);
    if (r == KIT_RESULT_OK)
        *highRate = (b >> 4) & 1;
    return r;
}

static kit_result_t carrierOffset(kit_demod_t* demod, int32_t* offsetKHz)
{
    uint8_t highRate = 0, b[3] = {0, 0, 0}, inverted = 0;
    kit_result_t r = samplingRateMode(demod, &highRate);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x45, b, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_CheckIQInvert(demod, &inverted);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t v = kit_Convert2SComplement(((uint32_t)(b[0] & 0x1F) << 16) | ((uint32_t)b[1] << 8) | b[2], 21);
    // The sampling clock (96 or 64 MHz) over 2^20.
    int32_t offset = highRate ? divRoundAway(-375 * v, 4096) : divRoundAway(-125 * v, 2048);
    *offsetKHz = inverted ? -offset : offset;
    return KIT_RESULT_OK;
}

static kit_result_t detectedSystem(kit_demod_t* demod, kit_dtv_system_t* system)
{
    uint8_t tsLock = 0, b = 0;
    kit_result_t r = syncStat(demod, &tsLock);
    if (r != KIT_RESULT_OK)
        return r;
    if (!tsLock)
        return KIT_RESULT_ERROR_HW_STATE;
    r = readIn(demod, 0xA0, 0x50, &b, 1);
    if (r != KIT_RESULT_OK)
        return r;
    switch (b & 0x03) {
    case 0:
        *system = KIT_DTV_SYSTEM_DVBS2;
        return KIT_RESULT_OK;
    case 1:
        *system = KIT_DTV_SYSTEM_DVBS;
        return KIT_RESULT_OK;
    default:
        return KIT_RESULT_ERROR_HW_STATE;
    }
}

// The system a monitor works for: the one tuned, or under "either" the one found.
static kit_result_t resolvedSystem(kit_demod_t* demod, kit_dtv_system_t* system)
{
    if (demod->system != KIT_DTV_SYSTEM_ANY) {
        *system = demod->system;
        return KIT_RESULT_OK;
    }
    return detectedSystem(demod, system);
}

// For a monitor of one system only: 3 when tuned to the other, 4 when "either" found it.
// Inside a freeze the system register is read as it stands; the unfrozen monitors ask the
// frozen system monitor.
static kit_result_t onlyFor(kit_demod_t* demod, kit_dtv_system_t wanted, int insideFreeze)
{
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    if (demod->system != KIT_DTV_SYSTEM_ANY)
        return demod->system == wanted ? KIT_RESULT_OK : KIT_RESULT_ERROR_SW_STATE;
    kit_dtv_system_t found = 0;
    r = insideFreeze ? detectedSystem(demod, &found) : kit_demod_dvbs_s2_monitor_System(demod, &found);
    if (r != KIT_RESULT_OK)
        return r;
    return found == wanted ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

static kit_result_t requireTSLock(kit_demod_t* demod)
{
    uint8_t tsLock = 0;
    const kit_result_t r = syncStat(demod, &tsLock);
    return r != KIT_RESULT_OK ? r : tsLock ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

static kit_result_t dvbsCodeRate(kit_demod_t* demod, kit_dvbs_coderate_t* codeRate)
{
    uint8_t b = 0;
    const kit_result_t r = readIn(demod, 0xB1, 0x10, &b, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b & 0x80) || (b & 0x07) > KIT_DVBS_CODERATE_7_8)
        return KIT_RESULT_ERROR_HW_STATE;
    *codeRate = b & 0x07;
    return KIT_RESULT_OK;
}

// A frozen monitor: the checks, then read inside the freeze, released on every way out.
typedef kit_result_t (*frozen_read_t)(kit_demod_t* demod, void* out);

static kit_result_t frozen(kit_demod_t* demod, frozen_read_t read, void* out)
{
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    r = kit_demod_MonitorFreeze(demod);
    if (r == KIT_RESULT_OK)
        r = read(demod, out);
    return kit_demod_MonitorRelease(demod, r);
}

// ---- Public monitors ----

kit_result_t kit_demod_dvbs_s2_monitor_SyncStat(kit_demod_t* demod, uint8_t* tsLock)
{
    if (!demod || !tsLock)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = usable(demod);
    return r != KIT_RESULT_OK ? r : syncStat(demod, tsLock);
}

static kit_result_t readCarrierOffset(kit_demod_t* demod, void* out)
{
    const kit_result_t r = requireTSLock(demod);
    return r != KIT_RESULT_OK ? r : carrierOffset(demod, (int32_t*)out);
}

kit_result_t kit_demod_dvbs_s2_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offsetKHz)
{
    return demod && offsetKHz ? frozen(demod, readCarrierOffset, offsetKHz) : KIT_RESULT_ERROR_ARG;
}

kit_result_t kit_demod_dvbs_s2_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc)
{
    if (!demod || !ifAgc)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2] = {0, 0};
    kit_result_t r = usable(demod);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x1F, b, 2);
    if (r == KIT_RESULT_OK)
        *ifAgc = ((uint32_t)(b[0] & 0x1F) << 8) | b[1];
    return r;
}

static kit_result_t readSystem(kit_demod_t* demod, void* out)
{
    return detectedSystem(demod, (kit_dtv_system_t*)out);
}

kit_result_t kit_demod_dvbs_s2_monitor_System(kit_demod_t* demod, kit_dtv_system_t* system)
{
    return demod && system ? frozen(demod, readSystem, system) : KIT_RESULT_ERROR_ARG;
}

static kit_result_t readSymbolRate(kit_demod_t* demod, void* out)
{
    uint8_t trl = 0, highRate = 0, b[4] = {0, 0, 0, 0};
    kit_result_t r = readIn(demod, 0xA0, 0x10, &trl, 1);
    if (r == KIT_RESULT_OK && !(trl & 0x01))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = samplingRateMode(demod, &highRate);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xAF, 0x38, b, 4);
    if (r != KIT_RESULT_OK)
        return r;
    const int32_t v = kit_Convert2SComplement(
        ((uint32_t)(b[0] & 0x07) << 24) | ((uint32_t)b[1] << 16) | ((uint32_t)b[2] << 8) | b[3], 27);
    const int64_t d = 65536 - (int64_t)v;
    if (v > 64050 || d > 33554430)
        return KIT_RESULT_ERROR_HW_STATE;
    const uint64_t n = highRate ? 3145728000ull : 2097152000ull;
    *(uint32_t*)out = (uint32_t)divRoundHalfUp(n * 1000u, (uint64_t)d);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_monitor_SymbolRate(kit_demod_t* demod, uint32_t* symbolRateSps)
{
    return demod && symbolRateSps ? frozen(demod, readSymbolRate, symbolRateSps) : KIT_RESULT_ERROR_ARG;
}

static kit_result_t readIQSense(kit_demod_t* demod, void* out)
{
    kit_dtv_system_t system = 0;
    uint8_t b = 0, inverted = 0;
    kit_result_t r = resolvedSystem(demod, &system);
    if (r == KIT_RESULT_OK)
        r = requireTSLock(demod);
    if (r == KIT_RESULT_OK && system == KIT_DTV_SYSTEM_DVBS) {
        kit_dvbs_coderate_t codeRate = 0;
        r = dvbsCodeRate(demod, &codeRate);
        if (r == KIT_RESULT_OK)
            r = readIn(demod, 0xB1, codeRate == KIT_DVBS_CODERATE_5_6 ? 0x5D : 0x3E, &b, 1);
    } else if (r == KIT_RESULT_OK) {
        r = readIn(demod, 0xAB, 0x23, &b, 1);
    }
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_CheckIQInvert(demod, &inverted);
    if (r == KIT_RESULT_OK)
        *(uint32_t*)out = (uint32_t)((b & 0x01) ^ inverted);
    return r;
}

kit_result_t kit_demod_dvbs_s2_monitor_IQSense(kit_demod_t* demod, uint32_t* sense)
{
    return demod && sense ? frozen(demod, readIQSense, sense) : KIT_RESULT_ERROR_ARG;
}

// ---- C/N ----

// The chip's calibration of its C/N register (register value, C/N in dB x 1000), register
// values falling. Only these rows of the chip's curves are known; between them the C/N is
// interpolated linearly, and outside them it is clamped to the end rows.
typedef struct {
    uint32_t reg;
    int32_t cnr;
} cn_row_t;

static const cn_row_t dvbsCnRows[] = {
    {830, 0},      {825, 100},    {819, 200},    {617, 3000},   {487, 5000},   {204, 10000},
    {65, 15000},   {23, 19500},   {22, 19700},   {21, 19900},   {20, 20000},
};
static const cn_row_t dvbs2CnRows[] = {
    {1455, 0},     {1431, 100},   {1406, 200},   {846, 3000},   {566, 5000},   {198, 10000},
    {65, 15000},   {23, 19500},   {22, 19700},   {21, 19900},   {20, 20000},
};

static int32_t cnrFromRows(const cn_row_t* rows, uint32_t count, uint32_t reg)
{
    if (reg >= rows[0].reg)
        return rows[0].cnr;
    for (uint32_t i = 1; i < count; ++i) {
        if (reg < rows[i].reg)
            continue;
        const cn_row_t* hi = &rows[i - 1];
        const cn_row_t* lo = &rows[i];
        const int64_t span = (int64_t)(hi->reg - lo->reg);
        const int64_t rise = (int64_t)(lo->cnr - hi->cnr) * (int64_t)(hi->reg - reg);
        return hi->cnr + (int32_t)((rise * 2 + span) / (2 * span));
    }
    return rows[count - 1].cnr;
}

static kit_result_t readCNR(kit_demod_t* demod, void* out)
{
    kit_dtv_system_t system = 0;
    uint8_t b[3] = {0, 0, 0};
    kit_result_t r = resolvedSystem(demod, &system);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA1, 0x10, b, 3);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    const uint32_t reg = ((uint32_t)(b[1] & 0x1F) << 8) | b[2];
    *(int32_t*)out = system == KIT_DTV_SYSTEM_DVBS ? cnrFromRows(dvbsCnRows, COUNT(dvbsCnRows), reg)
                                                    : cnrFromRows(dvbs2CnRows, COUNT(dvbs2CnRows), reg);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_monitor_CNR(kit_demod_t* demod, int32_t* cnrX1000)
{
    return demod && cnrX1000 ? frozen(demod, readCNR, cnrX1000) : KIT_RESULT_ERROR_ARG;
}

// ---- Error rates ----

static kit_result_t measurementPeriod(kit_demod_t* demod, uint8_t reg, uint32_t* exponent)
{
    uint8_t b = 0;
    const kit_result_t r = readIn(demod, 0xA0, reg, &b, 1);
    if (r == KIT_RESULT_OK)
        *exponent = b & 0x0F;
    return r;
}

static kit_result_t readPER(kit_demod_t* demod, void* out)
{
    kit_dtv_system_t system = 0;
    uint8_t b[3] = {0, 0, 0};
    uint32_t p = 0;
    uint64_t errors = 0, packets = 0;
    kit_result_t r = resolvedSystem(demod, &system);
    if (r == KIT_RESULT_OK && system == KIT_DTV_SYSTEM_DVBS) {
        uint8_t valid = 0;
        r = readIn(demod, 0xA0, 0x25, &valid, 1);
        if (r == KIT_RESULT_OK && !(valid & 0x01))
            r = KIT_RESULT_ERROR_HW_STATE;
        if (r == KIT_RESULT_OK)
            r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x2C, b, 3);
        errors = ((uint32_t)(b[0] & 0x03) << 16) | ((uint32_t)b[1] << 8) | b[2];
        packets = 8;
    } else if (r == KIT_RESULT_OK) {
        r = readIn(demod, 0xB8, 0x26, b, 3);
        if (r == KIT_RESULT_OK && !(b[0] & 0x01))
            r = KIT_RESULT_ERROR_HW_STATE;
        errors = ((uint32_t)b[1] << 8) | b[2];
        packets = 1;
    }
    if (r == KIT_RESULT_OK)
        r = measurementPeriod(demod, 0xBA, &p);
    if (r != KIT_RESULT_OK)
        return r;
    packets <<= p;
    if (errors > packets)
        return KIT_RESULT_ERROR_HW_STATE;
    *(uint32_t*)out = (uint32_t)divRoundHalfUp(errors * 1000000u, packets);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_monitor_PER(kit_demod_t* demod, uint32_t* per)
{
    return demod && per ? frozen(demod, readPER, per) : KIT_RESULT_ERROR_ARG;
}

static kit_result_t readCodeRate(kit_demod_t* demod, void* out)
{
    const kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS, 1);
    return r != KIT_RESULT_OK ? r : dvbsCodeRate(demod, (kit_dvbs_coderate_t*)out);
}

kit_result_t kit_demod_dvbs_monitor_CodeRate(kit_demod_t* demod, kit_dvbs_coderate_t* codeRate)
{
    return demod && codeRate ? frozen(demod, readCodeRate, codeRate) : KIT_RESULT_ERROR_ARG;
}

kit_result_t kit_demod_dvbs_monitor_PreViterbiBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!demod || !ber)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[11];
    memset(b, 0, sizeof b);
    kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS, 0);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x35, b, 11);
    if (r != KIT_RESULT_OK)
        return r;
    const uint64_t errors = ((uint32_t)(b[1] & 0x3F) << 16) | ((uint32_t)b[2] << 8) | b[3];
    const uint64_t bits = ((uint32_t)(b[8] & 0x3F) << 16) | ((uint32_t)b[9] << 8) | b[10];
    if (!(b[0] & 0x01) || bits == 0 || errors > bits)
        return KIT_RESULT_ERROR_HW_STATE;
    *ber = (uint32_t)divRoundHalfUp(errors * 10000000u, bits);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!demod || !ber)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[4] = {0, 0, 0, 0};
    uint32_t p = 0;
    kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS, 0);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x25, b, 4);
    if (r == KIT_RESULT_OK)
        r = measurementPeriod(demod, 0xBA, &p);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    const uint64_t errors = ((uint32_t)b[1] << 16) | ((uint32_t)b[2] << 8) | b[3];
    // The window holds 102 x 640 x 2^P bits (BER = errors x 15625 / (102 x 2^P) x 10^-7); a
    // count beyond it is no ratio, as the sibling monitors also refuse.
    if (errors > (65280ull << p))
        return KIT_RESULT_ERROR_HW_STATE;
    *ber = (uint32_t)divRoundHalfUp(errors * 15625u, 102ull << p);
    return KIT_RESULT_OK;
}

// MODCOD to modulation and code rate (EN 302 307 for 1 to 17; 18 to 28 the chip does not
// demodulate; 29 to 31, reserved in the standard, carry the chip's own codes).
static void plsFromModcod(uint32_t modcod, kit_dvbs2_plscode_t* pls)
{
    if (modcod >= 1 && modcod <= 11) {
        pls->modulation = KIT_DVBS2_MODULATION_QPSK;
        pls->codeRate = modcod - 1;
    } else if (modcod >= 12 && modcod <= 14) {
        pls->modulation = KIT_DVBS2_MODULATION_8PSK;
        pls->codeRate = modcod - 12 + KIT_DVBS2_CODERATE_3_5;
    } else if (modcod >= 15 && modcod <= 17) {
        pls->modulation = KIT_DVBS2_MODULATION_8PSK;
        pls->codeRate = modcod - 15 + KIT_DVBS2_CODERATE_5_6;
    } else if (modcod >= 29 && modcod <= 31) {
        pls->modulation = modcod - 29 + 4;
        pls->codeRate = modcod - 29 + 11;
    } else {
        pls->modulation = KIT_DVBS2_MODULATION_INVALID;
        pls->codeRate = KIT_DVBS2_CODERATE_INVALID;
    }
}

static kit_result_t readPLSCode(kit_demod_t* demod, void* out)
{
    uint8_t b = 0;
    kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS2, 1);
    if (r == KIT_RESULT_OK)
        r = requireTSLock(demod);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x21, &b, 1);
    if (r != KIT_RESULT_OK)
        return r;
    kit_dvbs2_plscode_t* pls = (kit_dvbs2_plscode_t*)out;
    plsFromModcod((b >> 2) & 0x1F, pls);
    pls->isShortFrame = 0;
    pls->isPilotOn = b & 0x01;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs2_monitor_PLSCode(kit_demod_t* demod, kit_dvbs2_plscode_t* plsCode)
{
    return demod && plsCode ? frozen(demod, readPLSCode, plsCode) : KIT_RESULT_ERROR_ARG;
}

kit_result_t kit_demod_dvbs2_monitor_PreLDPCBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!demod || !ber)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[5] = {0, 0, 0, 0, 0};
    uint32_t p = 0;
    kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS2, 0);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xB2, 0x30, b, 5);
    if (r == KIT_RESULT_OK)
        r = measurementPeriod(demod, 0x7A, &p);
    if (r != KIT_RESULT_OK)
        return r;
    const uint64_t errors =
        ((uint32_t)(b[1] & 0x0F) << 24) | ((uint32_t)b[2] << 16) | ((uint32_t)b[3] << 8) | b[4];
    if (!(b[0] & 0x01) || errors > (64800ull << p))
        return KIT_RESULT_ERROR_HW_STATE;
    *ber = (uint32_t)divRoundHalfUp(errors * 12500u, 81ull << p);
    return KIT_RESULT_OK;
}

// Code rate num/den of a DVB-S2 code rate code (1/4 to 9/10); 0 for the others.
static int dvbs2Fraction(kit_dvbs2_coderate_t codeRate, uint32_t* num, uint32_t* den)
{
    static const uint8_t fractions[][2] = {{1, 4}, {1, 3}, {2, 5}, {1, 2}, {3, 5}, {2, 3},
                                           {3, 4}, {4, 5}, {5, 6}, {8, 9}, {9, 10}};
    if (codeRate >= COUNT(fractions))
        return 0;
    *num = fractions[codeRate][0];
    *den = fractions[codeRate][1];
    return 1;
}

kit_result_t kit_demod_dvbs2_monitor_PreBCHBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!demod || !ber)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[4] = {0, 0, 0, 0};
    uint32_t p = 0, num = 0, den = 0;
    kit_dvbs2_plscode_t pls;
    kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS2, 0);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x2F, b, 4);
    if (r == KIT_RESULT_OK)
        r = measurementPeriod(demod, 0xBC, &p);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    r = kit_demod_dvbs2_monitor_PLSCode(demod, &pls);
    if (r != KIT_RESULT_OK)
        return r;
    if (!dvbs2Fraction(pls.codeRate, &num, &den))
        return KIT_RESULT_ERROR_HW_STATE;
    const uint64_t errors = ((uint32_t)(b[1] & 0x7F) << 16) | ((uint32_t)b[2] << 8) | b[3];
    const uint64_t bitsTimesDen = (64800ull * num) << p;
    if (errors * den > bitsTimesDen)
        return KIT_RESULT_ERROR_HW_STATE;
    *ber = (uint32_t)divRoundHalfUp(errors * den * 1000000000u, bitsTimesDen);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs2_monitor_PostBCHFER(kit_demod_t* demod, uint32_t* fer)
{
    if (!demod || !fer)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[6] = {0, 0, 0, 0, 0, 0};
    uint32_t p = 0;
    kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS2, 0);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x2F, b, 6);
    if (r == KIT_RESULT_OK)
        r = measurementPeriod(demod, 0xBC, &p);
    if (r != KIT_RESULT_OK)
        return r;
    const uint64_t frameErrors = ((uint32_t)b[4] << 8) | b[5];
    if (!(b[0] & 0x01) || frameErrors > (1ull << p))
        return KIT_RESULT_ERROR_HW_STATE;
    *fer = (uint32_t)divRoundHalfUp(frameErrors * 1000000u, 1ull << p);
    return KIT_RESULT_OK;
}

// ---- Signalling ----

static kit_result_t readBBHeader(kit_demod_t* demod, void* out)
{
    uint8_t b[7];
    memset(b, 0, sizeof b);
    kit_result_t r = onlyFor(demod, KIT_DTV_SYSTEM_DVBS2, 1);
    if (r == KIT_RESULT_OK)
        r = requireTSLock(demod);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x49, b, 7);
    if (r != KIT_RESULT_OK)
        return r;
    kit_dvbs2_bbheader_t* h = (kit_dvbs2_bbheader_t*)out;
    h->streamInput = (b[0] >> 6) & 0x03;
    h->isSingleInputStream = (b[0] >> 5) & 1;
    h->isConstantCodingModulation = (b[0] >> 4) & 1;
    h->issyIndicator = (b[0] >> 3) & 1;
    h->nullPacketDeletion = (b[0] >> 2) & 1;
    h->rollOff = b[0] & 0x03;
    h->inputStreamIdentifier = b[1];
    h->userPacketLength = (uint16_t)((b[2] << 8) | b[3]);
    h->dataFieldLength = (uint16_t)((b[4] << 8) | b[5]);
    h->syncByte = b[6];
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs2_monitor_BBHeader(kit_demod_t* demod, kit_dvbs2_bbheader_t* bbHeader)
{
    return demod && bbHeader ? frozen(demod, readBBHeader, bbHeader) : KIT_RESULT_ERROR_ARG;
}

kit_result_t kit_demod_dvbs_s2_monitor_Pilot(kit_demod_t* demod, uint8_t* pilotLocked, uint8_t* pilotOn)
{
    if (!demod || !pilotLocked || !pilotOn)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    uint8_t lock = 0, pls = 0;
    kit_result_t r = kit_demod_MonitorFreeze(demod);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, 0xA0, 0x11, &lock, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x21, &pls, 1);
    r = kit_demod_MonitorRelease(demod, r);
    if (r == KIT_RESULT_OK) {
        *pilotLocked = lock & 0x01;
        *pilotOn = pls & 0x01;
    }
    return r;
}

kit_result_t kit_demod_dvbs_s2_monitor_ScanInfo(kit_demod_t* demod, uint8_t* tsLock, int32_t* offsetKHz,
                                                kit_dtv_system_t* system)
{
    if (!demod || !tsLock || !offsetKHz || !system)
        return KIT_RESULT_ERROR_ARG;
    uint8_t lock = 0;
    int32_t offset = 0;
    kit_dtv_system_t found = 0;
    kit_result_t r = kit_demod_MonitorFreeze(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_monitor_SyncStat(demod, &lock);
    if (r == KIT_RESULT_OK && lock)
        r = carrierOffset(demod, &offset);
    if (r == KIT_RESULT_OK && lock)
        r = detectedSystem(demod, &found);
    r = kit_demod_MonitorRelease(demod, r);
    if (r != KIT_RESULT_OK)
        return r;
    *tsLock = lock;
    if (lock) {
        *offsetKHz = offset;
        *system = found;
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs_s2_monitor_TSRate(kit_demod_t* demod, uint32_t* rateKbps)
{
    if (!demod || !rateKbps)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    kit_dtv_system_t system = demod->system;
    uint32_t sps = 0;
    if (system == KIT_DTV_SYSTEM_ANY)
        r = kit_demod_dvbs_s2_monitor_System(demod, &system);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_monitor_SymbolRate(demod, &sps);
    if (r != KIT_RESULT_OK)
        return r;
    const uint64_t ksps = ((uint64_t)sps + 500u) / 1000u;

    if (system == KIT_DTV_SYSTEM_DVBS) {
        static const uint8_t fractions[][2] = {{1, 2}, {2, 3}, {3, 4}, {5, 6}, {7, 8}};
        kit_dvbs_coderate_t codeRate = 0;
        r = kit_demod_dvbs_monitor_CodeRate(demod, &codeRate);
        if (r != KIT_RESULT_OK)
            return r;
        if (ksps > 59999)
            return KIT_RESULT_ERROR_HW_STATE;
        // Two bits a symbol, 188 of 204 bytes, the code rate.
        const uint64_t num = fractions[codeRate][0], div = 51u * fractions[codeRate][1];
        *rateKbps = (uint32_t)((ksps * 94u * num + div / 2) / div);
        return KIT_RESULT_OK;
    }
    if (system != KIT_DTV_SYSTEM_DVBS2)
        return KIT_RESULT_ERROR_OTHER;
    kit_dvbs2_plscode_t pls;
    r = kit_demod_dvbs2_monitor_PLSCode(demod, &pls);
    if (r != KIT_RESULT_OK)
        return r;
    // Kbch of the normal frame, 1/2 to 9/10, and the PL-frame length in symbols.
    static const uint32_t kbch[] = {32208, 38688, 43040, 48408, 51648, 53840, 57472, 58192};
    if (pls.codeRate < KIT_DVBS2_CODERATE_1_2 || pls.codeRate > KIT_DVBS2_CODERATE_9_10)
        return KIT_RESULT_ERROR_OTHER;
    uint64_t symbols;
    if (pls.modulation == KIT_DVBS2_MODULATION_QPSK)
        symbols = pls.isPilotOn ? 33282 : 32490;
    else if (pls.modulation == KIT_DVBS2_MODULATION_8PSK)
        symbols = pls.isPilotOn ? 22194 : 21690;
    else
        return KIT_RESULT_ERROR_OTHER;
    const uint64_t payload = kbch[pls.codeRate - KIT_DVBS2_CODERATE_1_2] - 80u;
    *rateKbps = (uint32_t)((ksps * payload + symbols / 2) / symbols);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbs2_monitor_Rolloff(kit_demod_t* demod, uint8_t* rollOff)
{
    if (!demod || !rollOff)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b = 0;
    const kit_result_t r = readIn(demod, 0xA0, 0x49, &b, 1);
    if (r == KIT_RESULT_OK)
        *rollOff = b & 0x03;
    return r;
}

// ---- Constellation ----

kit_result_t kit_demod_dvbs2_adv_SetConstellationSymbol(kit_demod_t* demod, uint32_t selection)
{
    if (!demod)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    const kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0xAA);
    return r != KIT_RESULT_OK ? r : kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x20, (uint8_t)selection, 0x07);
}

enum { CONSTELLATION_POLLS = 10, CONSTELLATION_POLL_MS = 10 };

kit_result_t kit_demod_dvbs_s2_adv_monitor_Constellation(kit_demod_t* demod, int16_t* i, int16_t* q)
{
    if (!demod || !i || !q)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    kit_dtv_system_t system = 0;
    if (kit_demod_dvbs_s2_monitor_System(demod, &system) != KIT_RESULT_OK)
        return KIT_RESULT_ERROR_HW_STATE;
    r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0xAA);
    if (r != KIT_RESULT_OK)
        return r;
    if (system == KIT_DTV_SYSTEM_DVBS)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x20, 0x40);
    else if (system == KIT_DTV_SYSTEM_DVBS2)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x20, 0x40, 0x70);
    else
        return KIT_RESULT_ERROR_OTHER;
    if (r != KIT_RESULT_OK)
        return r;
    for (int poll = 0; poll < CONSTELLATION_POLLS; ++poll) {
        uint8_t b[3] = {0, 0, 0};
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x10, b, 3);
        if (r != KIT_RESULT_OK)
            return r;
        if (b[0] & 0x80) {
            *i = (int16_t)kit_Convert2SComplement(((uint32_t)(b[0] & 0x30) << 4) | b[1], 10);
            *q = (int16_t)kit_Convert2SComplement(((uint32_t)(b[0] & 0x03) << 8) | b[2], 10);
            return KIT_RESULT_OK;
        }
        kit_stopwatch_t sw = {0};
        kit_stopwatch_sleep(&sw, CONSTELLATION_POLL_MS);
    }
    return KIT_RESULT_ERROR_TIMEOUT;
}
