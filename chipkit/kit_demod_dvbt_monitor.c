#include "kit_demod_dvbt_monitor.h"

#include "kit_demod.h"
#include "kit_demod_terr.h"
#include "kit_math.h"

enum { BANK_T = 0x10, BANK_HISTORY = 0x02, BANK_ANALYSIS = 0x11, RS_PACKET_BITS = 204 * 8 };

// Required C/N (dB x 1000) for non-hierarchical reception, by constellation x 5 + code rate.
static const int32_t nordigNonHDVBTdB1000[15] = {
    5100, 6900, 7900, 8900, 9700, 10800, 13100, 14600, 15600, 16000, 16500, 18700, 20200, 21600, 22500,
};

static kit_result_t active(kit_demod_t* demod) { return kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT); }

static uint32_t be(const uint8_t* data, uint32_t length) { return kit_demod_terr_BigEndian(data, length); }

kit_result_t kit_demod_dvbt_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc)
{
    return kit_demod_terr_IFAGCOut(demod, KIT_DTV_SYSTEM_DVBT, BANK_T, ifAgc);
}

kit_result_t kit_demod_dvbt_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offset)
{
    if (!offset)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    const kit_dtv_bandwidth_t bw = demod->bandwidth;
    if (bw < KIT_DTV_BW_5_MHZ || bw > KIT_DTV_BW_8_MHZ)
        return KIT_RESULT_ERROR_SW_STATE;
    uint8_t b[4];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, kit_demod_dvbt_TPSLocked, BANK_T, 0x4C, b, 4));
    const int64_t x = kit_Convert2SComplement(be(b, 4) & 0x1FFFFFFF, 29);
    int64_t value = (x * (int64_t)bw) / -235;
    if (demod->ifSpectrumInverted)
        value = -value;
    *offset = (int32_t)value;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt_monitor_PreViterbiBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t valid = 0, count[2], period = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_terr_Read(demod, BANK_T, 0x39, &valid, 1);
    if (r == KIT_RESULT_OK && !(valid & 0x01))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x22, count, 2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x6F, &period, 1);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    period &= 0x07;
    const uint64_t bits = period == 0 ? 256 : (uint64_t)4096 << period;
    return kit_demod_terr_ErrorRate(be(count, 2), bits, 10000000, ber);
}

kit_result_t kit_demod_dvbt_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[3], period = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_T, 0x62, b, 3));
    if (!(b[0] & 0x80))
        return KIT_RESULT_ERROR_HW_STATE;
    KIT_TRY(kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x60, &period, 1));
    const uint32_t errors = ((uint32_t)(b[0] & 0x3F) << 16) | be(b + 1, 2);
    return kit_demod_terr_ErrorRate(errors, (uint64_t)RS_PACKET_BITS << (period & 0x1F), 10000000, ber);
}

kit_result_t kit_demod_dvbt_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count)
{
    if (!count)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[3];
    KIT_TRY(kit_demod_terr_Read(demod, BANK_T, 0xEA, b, 3));
    if (!(b[2] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    *count = be(b, 2);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt_monitor_SNR(kit_demod_t* demod, int32_t* snr)
{
    if (!snr)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[2];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, kit_demod_dvbt_TPSLocked, BANK_T, 0x28, b, 2));
    return kit_demod_terr_SNRFromRegister(be(b, 2), 4996, 5350, 28500, snr);
}

kit_result_t kit_demod_dvbt_monitor_SamplingOffset(kit_demod_t* demod, int32_t* ppm)
{
    if (!ppm)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    return kit_demod_terr_SamplingOffset(demod, kit_demod_dvbt_TPSLocked, BANK_T, ppm);
}

kit_result_t kit_demod_dvbt_monitor_PER(kit_demod_t* demod, uint32_t* per)
{
    if (!per)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[4];
    KIT_TRY(kit_demod_terr_Read(demod, BANK_T, 0x5C, b, 4));
    if (!(b[1] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    return kit_demod_terr_ErrorRate(be(b + 2, 2), (uint64_t)1 << (b[0] & 0x0F), 1000000, per);
}

kit_result_t kit_demod_dvbt_CalcQuality(const kit_dvbt_tpsinfo_t* tps, uint32_t ber, int32_t snr, uint8_t* quality)
{
    if (!tps || !quality)
        return KIT_RESULT_ERROR_ARG;
    if (tps->constellation > KIT_DVBT_CONSTELLATION_MAX || tps->rateHP > KIT_DVBT_CODE_RATE_MAX ||
        tps->rateLP > KIT_DVBT_CODE_RATE_MAX || tps->hierarchy > KIT_DVBT_HIERARCHY_MAX)
        return KIT_RESULT_ERROR_OTHER;
    if (tps->hierarchy != 0) {
        if (tps->constellation == 0)  // hierarchical QPSK does not exist
            return KIT_RESULT_ERROR_OTHER;
        // The reference C/N of hierarchical reception could not be verified from public copies.
        return KIT_RESULT_ERROR_NOSUPPORT;
    }
    const int64_t rel = (int64_t)snr - nordigNonHDVBTdB1000[tps->constellation * 5 + tps->rateHP];
    int64_t berTerm;  // x 1000
    if (ber > 10000)
        berTerm = 0;
    else if (ber < 2)
        berTerm = 100000;
    else
        berTerm = 20 * (7000 - 10 * (int64_t)kit_math_log10(ber)) - 40000;
    int64_t q;
    if (rel < -7000)
        q = 0;
    else if (rel < 3000)
        q = (berTerm * ((rel - 3000) / 10 + 1000) + 500000) / 1000000;
    else
        q = (berTerm + 500) / 1000;
    *quality = (uint8_t)(q > 100 ? 100 : q);
    return KIT_RESULT_OK;
}

// The quality rule over a BER and an SNR reading (live or averaged) and the signal's modulation.
static kit_result_t qualityFrom(kit_demod_t* demod, kit_result_t (*berOf)(kit_demod_t*, uint32_t*),
                                kit_result_t (*snrOf)(kit_demod_t*, int32_t*), uint8_t* quality)
{
    if (!quality)
        return KIT_RESULT_ERROR_ARG;
    uint32_t ber = 0;
    int32_t snr = 0;
    KIT_TRY(berOf(demod, &ber));
    KIT_TRY(snrOf(demod, &snr));
    kit_dvbt_tpsinfo_t tps;
    KIT_TRY(kit_demod_dvbt_monitor_TPSInfo(demod, &tps));
    return kit_demod_dvbt_CalcQuality(&tps, ber, snr, quality);
}

kit_result_t kit_demod_dvbt_monitor_Quality(kit_demod_t* demod, uint8_t* quality)
{
    return qualityFrom(demod, kit_demod_dvbt_monitor_PreRSBER, kit_demod_dvbt_monitor_SNR, quality);
}

kit_result_t kit_demod_dvbt_monitor_AveragedPreRSBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t mode[2];
    KIT_TRY(kit_demod_terr_Read(demod, BANK_T, 0x84, mode, 2));
    if (mode[1] != 0)  // the history is being rebuilt
        return KIT_RESULT_ERROR_HW_STATE;
    uint8_t history[32], period = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_terr_Read(demod, BANK_HISTORY, 0x10, history, 32);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_T, 0x60, &period, 1);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    uint32_t p = period & 0x1F;
    uint64_t errors = 0, blocks = 0;
    KIT_TRY(kit_demod_terr_HistoryErrors(history, mode[0] & 0x01, &p, &errors, &blocks));
    return kit_demod_terr_ErrorRate(errors, ((uint64_t)RS_PACKET_BITS << p) * blocks, 10000000, ber);
}

kit_result_t kit_demod_dvbt_monitor_AveragedSNR(kit_demod_t* demod, int32_t* snr)
{
    if (!snr)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint32_t mean = 0;
    KIT_TRY(kit_demod_terr_HistorySNR(demod, &mean));
    return kit_demod_terr_SNRFromRegister(mean, 4996, 5350, 28500, snr);
}

kit_result_t kit_demod_dvbt_monitor_AveragedQuality(kit_demod_t* demod, uint8_t* quality)
{
    return qualityFrom(demod, kit_demod_dvbt_monitor_AveragedPreRSBER, kit_demod_dvbt_monitor_AveragedSNR, quality);
}

kit_result_t kit_demod_dvbt_adv_monitor_MER(kit_demod_t* demod, int32_t* mer)
{
    if (!mer)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[2];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, kit_demod_dvbt_TPSLocked, BANK_T, 0x2C, b, 2));
    const uint32_t v = be(b, 2);
    if (v == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *mer = 100 * kit_math_log10(v) - 11711;
    return KIT_RESULT_OK;
}

// ---- Analysis ----

// Useful symbol time (ns) by mode (2k, 8k) and bandwidth (5..8 MHz): N_FFT x 7 / (8 x BW) µs.
static const uint32_t tTu[2][4] = {
    {358400, 298666, 256000, 224000},
    {1433600, 1194666, 1024000, 896000},
};
// Carrier span of the delay profile by mode.
static const uint16_t tCnumMax[2] = {511, 2047};
// Point ranges by mode: FFT output (2k, 8k), then the last carrier (2k, 8k).
static const uint16_t tNumberCarriers[4] = {2047, 8191, 1704, 6816};
// After time interpolation the scattered pilots sample the channel every third carrier.
enum { PILOT_SPACING = 3, TAP_CARRIERS = 0, TAP_FFT = 1 };

// The mode and bandwidth the analysis tables cover.
static kit_result_t analysisMode(kit_demod_t* demod, uint32_t* mode)
{
    uint32_t guard = 0;
    KIT_TRY(kit_demod_dvbt_monitor_ModeGuard(demod, mode, &guard));
    if (*mode > KIT_DVBT_MODE_8K)
        return KIT_RESULT_ERROR_OTHER;
    if (demod->bandwidth < KIT_DTV_BW_5_MHZ || demod->bandwidth > KIT_DTV_BW_8_MHZ)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap, uint32_t* min, uint32_t* max)
{
    if (!min || !max)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    if (tap > TAP_FFT)
        return KIT_RESULT_ERROR_OTHER;
    KIT_TRY(kit_demod_terr_WriteOne(demod, BANK_ANALYSIS, 0x97, tap));
    uint32_t mode = 0;
    KIT_TRY(analysisMode(demod, &mode));
    *min = 0;
    *max = tNumberCarriers[(tap == TAP_CARRIERS ? 2 : 0) + mode];
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt_adv_SetChannelSpectrum(kit_demod_t* demod, uint8_t useTap, uint8_t tap, uint32_t* min,
                                                   uint32_t* max)
{
    if (useTap)
        return kit_demod_dvbt_adv_SetConstellationTap(demod, tap, min, max);
    return kit_demod_terr_SetTap(demod, KIT_DTV_SYSTEM_DVBT, BANK_ANALYSIS, 0x00);
}

typedef struct {
    uint32_t span;  // last carrier number of the profile
    uint32_t tuNs;
} delay_range_t;

static kit_result_t delayRange(kit_demod_t* demod, uint8_t decimate, delay_range_t* range)
{
    uint32_t mode = 0;
    KIT_TRY(analysisMode(demod, &mode));
    range->span = decimate == 1 ? tCnumMax[mode] / 8 : tCnumMax[mode];
    range->tuNs = tTu[mode][demod->bandwidth - KIT_DTV_BW_5_MHZ];
    return KIT_RESULT_OK;
}

// Carrier number of the profile to delay in ns; the centre carrier is no delay and the ones
// below it are pre-echoes.
static int32_t delayOf(const delay_range_t* range, int64_t carrier)
{
    const int64_t centre = (int64_t)(range->span + 1) / 2 - 1;
    const int64_t distance = carrier > centre ? carrier - centre : centre - carrier;
    const int64_t delay = (int64_t)kit_demod_terr_DivRound((uint64_t)range->tuNs * (uint64_t)distance,
                                                           (uint64_t)(range->span + 1) * PILOT_SPACING);
    return (int32_t)(carrier <= centre ? -delay : delay);
}

kit_result_t kit_demod_dvbt_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode,
                                                uint32_t* minCarrier, uint32_t* maxCarrier, int32_t* minDelayNs,
                                                int32_t* maxDelayNs)
{
    if (enable && (!minCarrier || !maxCarrier || !minDelayNs || !maxDelayNs))
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_SetDelayProfileRegs(demod, KIT_DTV_SYSTEM_DVBT, BANK_ANALYSIS, enable, mode));
    if (!enable)
        return KIT_RESULT_OK;
    delay_range_t range;
    KIT_TRY(delayRange(demod, mode, &range));
    *minCarrier = 0;
    *maxCarrier = range.span;
    *minDelayNs = delayOf(&range, 0);
    *maxDelayNs = delayOf(&range, range.span);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt_adv_monitor_Constellation(kit_demod_t* demod, uint32_t index, int32_t* i, int32_t* q)
{
    return kit_demod_terr_PointConstellation(demod, KIT_DTV_SYSTEM_DVBT, BANK_ANALYSIS, index, 0, i, q);
}

kit_result_t kit_demod_dvbt_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint32_t index, int32_t* power)
{
    return kit_demod_terr_PointSpectrum(demod, KIT_DTV_SYSTEM_DVBT, BANK_ANALYSIS, index, power);
}

kit_result_t kit_demod_dvbt_adv_monitor_DelayProfile(kit_demod_t* demod, uint32_t index, int32_t* power)
{
    return kit_demod_terr_PointDelay(demod, KIT_DTV_SYSTEM_DVBT, BANK_ANALYSIS, index, power);
}

kit_result_t kit_demod_dvbt_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, uint8_t mode,
                                                              uint32_t startCarrier, uint32_t step, int32_t* levels,
                                                              int32_t* delaysNs, uint32_t count,
                                                              int32_t* windowStartNs, int32_t* windowEndNs)
{
    if (!levels || !delaysNs || !windowStartNs || !windowEndNs)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    delay_range_t range;
    KIT_TRY(delayRange(demod, mode, &range));
    if ((uint64_t)startCarrier + (uint64_t)count * step > (uint64_t)range.span + 1)
        return KIT_RESULT_ERROR_RANGE;
    if (count == 0)
        return KIT_RESULT_ERROR_OTHER;
    int32_t max = KIT_DEMOD_TERR_DELAY_LEVEL_FLOOR;
    for (uint32_t n = 0; n < count; ++n)
        if (levels[n] > max)
            max = levels[n];
    if (max == KIT_DEMOD_TERR_DELAY_LEVEL_FLOOR)
        return KIT_RESULT_ERROR_OTHER;
    for (uint32_t n = 0; n < count; ++n) {
        const int64_t relative = (int64_t)levels[n] - max;
        levels[n] = relative < KIT_DEMOD_TERR_DELAY_LEVEL_FLOOR ? KIT_DEMOD_TERR_DELAY_LEVEL_FLOOR : (int32_t)relative;
        delaysNs[n] = delayOf(&range, (int64_t)startCarrier + (int64_t)n * step);
    }
    // The guard window spans 0.492 of the profile on either side of the centre.
    const int64_t centre = (int64_t)(range.span + 1) / 2 - 1;
    const int64_t s = range.span;
    const int64_t low = (1000 * centre - 492 * s) / 1000;
    *windowStartNs = delayOf(&range, low < 0 ? 0 : low);
    *windowEndNs = delayOf(&range, (1000 * centre + 492 * s + 999) / 1000);
    return KIT_RESULT_OK;
}
