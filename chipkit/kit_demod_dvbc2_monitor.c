#include "kit_demod_dvbc2_monitor.h"

#include "kit_demod.h"
#include "kit_math.h"

#define C2 KIT_DTV_SYSTEM_DVBC2

// What a frozen monitor needs of the signal before it reads.
typedef enum { NEED_NOTHING, NEED_SYNC, NEED_TS_LOCK } need_t;

kit_result_t kit_demod_dvbc2_monitor_SyncStat(kit_demod_t* demod, uint8_t* syncState, uint8_t* tsLock,
                                              uint8_t* earlyUnlock)
{
    if (!syncState || !tsLock || !earlyUnlock)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b = 0;
    kit_result_t r = kit_demod_CheckActive(demod, C2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x20, 0x10, &b, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if ((b & 0x07) == KIT_DVBC2_SYNC_STATE_INVALID)
        return KIT_RESULT_ERROR_HW_STATE;
    *syncState = b & 0x07;
    *tsLock = (b >> 5) & 0x01;
    *earlyUnlock = (b >> 4) & 0x01;
    return KIT_RESULT_OK;
}

// Freezes (after the state check) and checks what the monitor needs. The caller releases
// whenever this got past the state check, which it tells through frozen.
static kit_result_t freezeFor(kit_demod_t* demod, need_t need, int* frozen)
{
    *frozen = 0;
    kit_result_t r = kit_demod_CheckActive(demod, C2);
    if (r != KIT_RESULT_OK)
        return r;
    *frozen = 1;
    r = kit_demod_MonitorFreeze(demod);
    if (r != KIT_RESULT_OK || need == NEED_NOTHING)
        return r;
    uint8_t sync = 0, ts = 0, early = 0;
    r = kit_demod_dvbc2_monitor_SyncStat(demod, &sync, &ts, &early);
    if (r == KIT_RESULT_OK && (need == NEED_SYNC ? sync != KIT_DVBC2_SYNC_STATE_LOCKED : !ts))
        r = KIT_RESULT_ERROR_HW_STATE;
    return r;
}

static kit_result_t release(kit_demod_t* demod, int frozen, kit_result_t r)
{
    return frozen ? kit_demod_MonitorRelease(demod, r) : r;
}

// One frozen read of length bytes from reg in bank.
static kit_result_t readFrozen(kit_demod_t* demod, need_t need, uint8_t bank, uint8_t reg, uint8_t* data,
                               uint32_t length)
{
    int frozen = 0;
    kit_result_t r = freezeFor(demod, need, &frozen);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, bank, reg, data, length);
    return release(demod, frozen, r);
}

static kit_result_t readPlain(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length)
{
    const kit_result_t r = kit_demod_CheckActive(demod, C2);
    return r != KIT_RESULT_OK ? r : kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, bank, reg, data, length);
}

kit_result_t kit_demod_dvbc2_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* agc)
{
    if (!agc)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readPlain(demod, 0x20, 0x26, b, 2);
    if (r != KIT_RESULT_OK)
        return r;
    *agc = ((uint32_t)(b[0] & 0x0F) << 8) | b[1];
    return KIT_RESULT_OK;
}

// errors in a window of 2^(exponent AND 0x0F) units, x 10^6; 4 until the window is counted.
static kit_result_t windowRate(int valid, uint64_t errors, uint8_t exponent, uint32_t* rate)
{
    const uint64_t units = 1ull << (exponent & 0x0F);
    if (!valid || errors > units)
        return KIT_RESULT_ERROR_HW_STATE;
    *rate = (uint32_t)kit_math_DivRound(errors * 1000000, units);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_PER(kit_demod_t* demod, uint32_t* per)
{
    if (!per)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[3] = {0}, window = 0;
    kit_result_t r = readPlain(demod, 0x24, 0xFA, b, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0xDC, &window, 1);
    return r != KIT_RESULT_OK ? r : windowRate(b[0] & 0x01, ((uint32_t)b[1] << 8) | b[2], window, per);
}

kit_result_t kit_demod_dvbc2_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count)
{
    if (!count)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[3] = {0};
    const kit_result_t r = readPlain(demod, 0x24, 0xFD, b, 3);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    *count = ((uint32_t)b[1] << 8) | b[2];
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_SpectrumSense(kit_demod_t* demod, uint8_t* inverted)
{
    if (!inverted)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b = 0;
    const kit_result_t r = readFrozen(demod, NEED_SYNC, 0x28, 0xE6, &b, 1);
    if (r != KIT_RESULT_OK)
        return r;
    const uint8_t sense = b & 0x01;
    *inverted = demod->ifSpectrumInverted ? !sense : sense;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_CarrierOffset(kit_demod_t* demod, int32_t* kHz)
{
    if (!kHz)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[4] = {0};
    const kit_result_t r = readFrozen(demod, NEED_SYNC, 0x20, 0x4C, b, 4);
    if (r != KIT_RESULT_OK)
        return r;
    const uint32_t raw = ((uint32_t)(b[0] & 0x0F) << 24) | ((uint32_t)b[1] << 16) | ((uint32_t)b[2] << 8) | b[3];
    int64_t offset = (int64_t)kit_Convert2SComplement(raw, 28) * (int64_t)demod->bandwidth / -940;
    if (demod->ifSpectrumInverted)
        offset = -offset;
    *kHz = (int32_t)offset;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_SNR(kit_demod_t* demod, int32_t* snr)
{
    if (!snr)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readFrozen(demod, NEED_SYNC, 0x20, 0x28, b, 2);
    if (r != KIT_RESULT_OK)
        return r;
    uint32_t x = ((uint32_t)b[0] << 8) | b[1];
    if (x == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    if (x > 51441)
        x = 51441;
    // The noise estimate is a ratio of signal to total power: the difference of logarithms is
    // signed, whichever is larger.
    *snr = 100 * (kit_math_log10(x) - kit_math_log10(55000 - x)) + 38400;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_PreLDPCBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[4] = {0}, window = 0, fec = 0;
    int frozen = 0;
    kit_result_t r = freezeFor(demod, NEED_NOTHING, &frozen);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x20, 0x39, b, 4);
    if (r == KIT_RESULT_OK && !(b[0] & 0x10))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x6F, &window, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x15, &fec, 1);
    r = release(demod, frozen, r);
    if (r != KIT_RESULT_OK)
        return r;
    const uint64_t errors = ((uint64_t)(b[0] & 0x0F) << 24) | ((uint32_t)b[1] << 16) | ((uint32_t)b[2] << 8) | b[3];
    const uint64_t bits = (uint64_t)((fec & 0x10) ? 64800 : 16200) << (window & 0x0F);
    if (errors > bits)
        return KIT_RESULT_ERROR_HW_STATE;
    *ber = (uint32_t)kit_math_DivRound(errors * 10000000, bits);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_PreBCHBER(kit_demod_t* demod, uint32_t* ber)
{
    // BCH block size (the LDPC information bits) by code-rate code 1..5, short and long frames.
    static const uint32_t blockShort[6] = {0, 10800, 11880, 12600, 13320, 14400};
    static const uint32_t blockLong[6] = {0, 43200, 48600, 51840, 54000, 58320};
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[4] = {0}, window = 0, plp[2] = {0, 0};
    int frozen = 0;
    kit_result_t r = freezeFor(demod, NEED_NOTHING, &frozen);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x24, 0x40, b, 4);
    if (r == KIT_RESULT_OK && !(b[0] & 0x01))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x20, 0x72, &window, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x15, plp, 2);
    r = release(demod, frozen, r);
    if (r != KIT_RESULT_OK)
        return r;
    const uint32_t rate = plp[1] & 0x07;
    if (rate > 5)
        return KIT_RESULT_ERROR_HW_STATE;
    const uint64_t block = (plp[0] & 0x10) ? blockLong[rate] : blockShort[rate];
    const uint64_t errors = ((uint32_t)(b[1] & 0x3F) << 16) | ((uint32_t)b[2] << 8) | b[3];
    const uint64_t bits = block << (window & 0x0F);
    if (block == 0 || errors > bits)
        return KIT_RESULT_ERROR_HW_STATE;
    *ber = (uint32_t)kit_math_DivRound(errors * 1000000000, bits);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_PostBCHFER(kit_demod_t* demod, uint32_t* fer)
{
    if (!fer)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[3] = {0}, window = 0;
    kit_result_t r = readPlain(demod, 0x20, 0x75, b, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x72, &window, 1);
    return r != KIT_RESULT_OK ? r : windowRate(b[0] & 0x01, ((uint32_t)(b[1] & 0x7F) << 8) | b[2], window, fer);
}

static uint32_t bigEndian(const uint8_t* b, uint32_t bits)
{
    const uint32_t v = ((uint32_t)b[0] << 24) | ((uint32_t)b[1] << 16) | ((uint32_t)b[2] << 8) | b[3];
    return bits >= 32 ? v : v & ((1u << bits) - 1);
}

kit_result_t kit_demod_dvbc2_monitor_TSRate(kit_demod_t* demod, uint32_t* kbps)
{
    if (!kbps)
        return KIT_RESULT_ERROR_ARG;
    uint8_t word[4] = {0}, issy = 0, counters[8] = {0};
    int frozen = 0;
    kit_result_t r = freezeFor(demod, NEED_TS_LOCK, &frozen);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x20, 0xE5, word, 4);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x24, 0x90, &issy, 1);
    if (r == KIT_RESULT_OK && (issy & 0x01))
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x25, 0xB2, counters, 8);
    r = release(demod, frozen, r);
    if (r != KIT_RESULT_OK)
        return r;
    const uint32_t x = bigEndian(word, 29);
    if (x <= 214957)
        return KIT_RESULT_ERROR_HW_STATE;
    int64_t rate = (int64_t)kit_math_DivRound(0x96000000ull * 10, x);
    if (issy & 0x01) {
        // The input-stream clock runs slower than the chip's by (a - c) / a.
        int64_t a = bigEndian(counters, 30);
        const int64_t c = bigEndian(counters + 4, 30);
        if (!(a > c && c > 0))
            return KIT_RESULT_ERROR_HW_STATE;
        int64_t d = a - c;
        while (d >= 32768) {
            d >>= 1;
            a >>= 1;
        }
        rate -= (a / 2 + rate * d) / a;
    }
    *kbps = (uint32_t)rate;
    return KIT_RESULT_OK;
}

// The data PLP's two signalling bytes, or the common PLP's when one is signalled.
static kit_result_t readPlpFields(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType, uint8_t* fields)
{
    if (plpType > KIT_DVBC2_PLP_DATA_NORMAL)
        return KIT_RESULT_ERROR_ARG;
    int frozen = 0;
    kit_result_t r = freezeFor(demod, NEED_TS_LOCK, &frozen);
    if (plpType == KIT_DVBC2_PLP_COMMON) {
        uint8_t common = 0;
        if (r == KIT_RESULT_OK)
            r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x17, &common, 1);
        if (r == KIT_RESULT_OK && !(common & 0x01))
            r = KIT_RESULT_ERROR_HW_STATE;
        if (r == KIT_RESULT_OK)
            r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x18, fields, 2);
    } else if (r == KIT_RESULT_OK) {
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x52, 0x15, fields, 2);
    }
    return release(demod, frozen, r);
}

typedef enum { PLP_QAM, PLP_CODE_LENGTH, PLP_CODE_RATE } plp_field_t;

static kit_result_t plpField(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType, plp_field_t field, uint8_t* out)
{
    if (!out)
        return KIT_RESULT_ERROR_ARG;
    uint8_t f[2] = {0, 0};
    const kit_result_t r = readPlpFields(demod, plpType, f);
    if (r != KIT_RESULT_OK)
        return r;
    const uint8_t longFrame = (f[0] >> 4) & 0x01;
    const uint8_t rate = f[1] & 0x07;
    switch (field) {
    case PLP_QAM: *out = (f[1] >> 4) & 0x07; break;
    case PLP_CODE_LENGTH: *out = longFrame; break;
    // The highest rate code names 8/9 on short frames and 9/10 on long ones.
    case PLP_CODE_RATE: *out = rate == 5 && longFrame ? 6 : rate; break;
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_QAM(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType, uint8_t* qam)
{
    return plpField(demod, plpType, PLP_QAM, qam);
}

kit_result_t kit_demod_dvbc2_monitor_LDPCCodeLength(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType,
                                                    uint8_t* longFrame)
{
    return plpField(demod, plpType, PLP_CODE_LENGTH, longFrame);
}

kit_result_t kit_demod_dvbc2_monitor_CodeRate(kit_demod_t* demod, kit_dvbc2_plp_type_t plpType,
                                              uint8_t* codeRate)
{
    return plpField(demod, plpType, PLP_CODE_RATE, codeRate);
}

kit_result_t kit_demod_dvbc2_monitor_GI(kit_demod_t* demod, uint8_t* guardInterval)
{
    if (!guardInterval)
        return KIT_RESULT_ERROR_ARG;
    uint8_t preset = 0, l1 = 0, ready = 0;
    int frozen = 0;
    kit_result_t r = freezeFor(demod, NEED_NOTHING, &frozen);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, 0x6E, &preset, 1);
    // With the layer-1 preset written by a notch tune, the chip works from that copy.
    if (r == KIT_RESULT_OK && (preset & 0x01)) {
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x55, &l1, 1);
    } else if (r == KIT_RESULT_OK) {
        r = kit_demod_dvbc2_CheckL1DataReady(demod, &ready);
        if (r == KIT_RESULT_OK && !ready)
            r = KIT_RESULT_ERROR_HW_STATE;
        if (r == KIT_RESULT_OK)
            r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x50, 0x15, &l1, 1);
    }
    r = release(demod, frozen, r);
    if (r == KIT_RESULT_OK)
        *guardInterval = (l1 >> 4) & 0x01;
    return r;
}

kit_result_t kit_demod_dvbc2_monitor_SamplingOffset(kit_demod_t* demod, int32_t* offset)
{
    if (!offset)
        return KIT_RESULT_ERROR_ARG;
    uint8_t t[5] = {0};
    const kit_result_t r = readFrozen(demod, NEED_SYNC, 0x20, 0x9F, t, 5);
    if (r != KIT_RESULT_OK)
        return r;
    const uint8_t m[5] = {demod->bandwidth == KIT_DTV_BW_6_MHZ ? 0x1C : 0x15, 0, 0, 0, 0};
    const int h = (t[0] & 0x7F) - (m[0] & 0x7F);
    if (h < -1 || h > 1)
        return KIT_RESULT_ERROR_HW_STATE;
    // Both words as 33-bit values relative to the smaller top byte, halved.
    int64_t tracked = bigEndian(t + 1, 32) >> 1;
    int64_t nominal = bigEndian(m + 1, 32) >> 1;
    if (h == 1)
        tracked += 1ll << 31;
    if (h == -1)
        nominal += 1ll << 31;
    // One unit of the result: 10^-8 of the nominal word (10^8 = 256 x 390625), halved like it.
    const int64_t unit = ((int64_t)((((uint32_t)(m[0] & 0x7F)) << 24) | ((uint32_t)m[1] << 16) |
                                    ((uint32_t)m[2] << 8) | m[3]) + 195312) / 390625 / 2;
    if (unit == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    const int64_t diff = tracked - nominal;
    const int64_t rounded = diff >= 0 ? (diff + unit / 2) / unit : -((-diff + unit / 2) / unit);
    *offset = (int32_t)rounded;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_monitor_L1Data(kit_demod_t* demod, kit_dvbc2_l1_part2_t* l1)
{
    if (!l1)
        return KIT_RESULT_ERROR_ARG;
    uint8_t ready = 0;
    int frozen = 0;
    kit_result_t r = freezeFor(demod, NEED_NOTHING, &frozen);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_CheckL1DataReady(demod, &ready);
    if (r == KIT_RESULT_OK && !ready)
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbc2_ReadL1Part2(demod, l1);
    return release(demod, frozen, r);
}

kit_result_t kit_demod_dvbc2_adv_monitor_MER(kit_demod_t* demod, int32_t* mer)
{
    if (!mer)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2] = {0, 0};
    const kit_result_t r = readFrozen(demod, NEED_SYNC, 0x20, 0x2C, b, 2);
    if (r != KIT_RESULT_OK)
        return r;
    const uint32_t x = ((uint32_t)b[0] << 8) | b[1];
    if (x == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *mer = 100 * kit_math_log10(x) - 6021;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_adv_monitor_LDPCIter(kit_demod_t* demod, uint32_t* iterations)
{
    if (!iterations)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b = 0;
    const kit_result_t r = readFrozen(demod, NEED_SYNC, 0x24, 0x16, &b, 1);
    if (r == KIT_RESULT_OK)
        *iterations = b;
    return r;
}
