#include "kit_demod_isdbt_monitor.h"

#include "kit_demod.h"
#include "kit_demod_terr.h"
#include "kit_math.h"

#include <string.h>

enum { BANK_ISDBT = 0x60, BANK_ANALYSIS = 0x11, RS_PACKET_BITS = 204 * 8 };

// Bit rate of one segment in units of 10 bit/s, by bandwidth (6, 7, 8 MHz), index
// (modulation class x 5 + code rate) x 4 + guard; the classes are (D)QPSK, 16-QAM, 64-QAM.
static const uint32_t segmentRate[3][60] = {
    {34043, 33042, 31206, 28085,
     45391, 44056, 41608, 37447,
     51065, 49563, 46809, 42128,
     56739, 55070, 52010, 46809,
     59576, 57823, 54611, 49150,
     68087, 66084, 62413, 56171,
     90782, 88112, 83217, 74895,
     102130, 99126, 93619, 84257,
     113478, 110140, 104021, 93619,
     119152, 115647, 109222, 98300,
     102130, 99126, 93619, 84257,
     136174, 132168, 124826, 112343,
     153195, 148690, 140429, 126386,
     170217, 165211, 156032, 140429,
     178728, 173471, 163834, 147450},
    {39717, 38549, 36407, 32766,
     52956, 51399, 48543, 43689,
     59576, 57823, 54611, 49150,
     66195, 64248, 60679, 54611,
     69505, 67461, 63713, 57342,
     79434, 77098, 72815, 65533,
     105913, 102798, 97087, 87378,
     119152, 115647, 109222, 98300,
     132391, 128497, 121358, 109222,
     139011, 134922, 127426, 114684,
     119152, 115647, 109222, 98300,
     158869, 154197, 145630, 131067,
     178728, 173471, 163834, 147450,
     198587, 192746, 182038, 163834,
     208516, 202383, 191140, 172026},
    {45391, 44056, 41608, 37447,
     60521, 58741, 55478, 49930,
     68087, 66084, 62413, 56171,
     75652, 73427, 69347, 62413,
     79434, 77098, 72815, 65533,
     90782, 88112, 83217, 74895,
     121043, 117483, 110956, 99860,
     136174, 132168, 124826, 112343,
     151304, 146854, 138695, 124826,
     158869, 154197, 145630, 131067,
     136174, 132168, 124826, 112343,
     181565, 176225, 166434, 149791,
     204261, 198253, 187239, 168515,
     226956, 220281, 208043, 187239,
     238304, 231295, 218445, 196601},
};

static kit_result_t active(kit_demod_t* demod) { return kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_ISDBT); }

static uint32_t be(const uint8_t* data, uint32_t length) { return kit_demod_terr_BigEndian(data, length); }

static kit_result_t lockedRead(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length)
{
    KIT_TRY(active(demod));
    return kit_demod_terr_FrozenRead(demod, kit_demod_isdbt_IsDmdLocked, bank, reg, data, length);
}

kit_result_t kit_demod_isdbt_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc)
{
    return kit_demod_terr_IFAGCOut(demod, KIT_DTV_SYSTEM_ISDBT, BANK_ISDBT, ifAgc);
}

// Three layers' error counts against one window each: any count the window cannot hold
// makes the whole reading not ready.
static kit_result_t layerRates(const uint32_t errors[3], uint64_t window, uint64_t scale, kit_isdbt_layers_t* out)
{
    uint32_t rates[3];
    for (int n = 0; n < 3; ++n)
        KIT_TRY(kit_demod_terr_ErrorRate(errors[n], window, scale, &rates[n]));
    out->layerA = rates[0];
    out->layerB = rates[1];
    out->layerC = rates[2];
    return KIT_RESULT_OK;
}

// Errors and the packet count of the measuring window, read under one freeze.
static kit_result_t readErrorWindow(kit_demod_t* demod, uint8_t reg, uint8_t* counts, uint32_t length,
                                    uint32_t* packets)
{
    KIT_TRY(active(demod));
    uint8_t p[2];
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_isdbt_IsDmdLocked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, reg, counts, length);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x5B, p, 2);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    *packets = be(p, 2);
    return *packets == 0 ? KIT_RESULT_ERROR_HW_STATE : KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_monitor_PreRSBER(kit_demod_t* demod, kit_isdbt_layers_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[9];
    uint32_t packets = 0;
    KIT_TRY(readErrorWindow(demod, 0x16, b, 9, &packets));
    uint32_t errors[3];
    for (int n = 0; n < 3; ++n)
        errors[n] = ((uint32_t)(b[3 * n] & 0x7F) << 16) | be(b + 3 * n + 1, 2);
    return layerRates(errors, (uint64_t)RS_PACKET_BITS * packets, 10000000, ber);
}

kit_result_t kit_demod_isdbt_monitor_PER(kit_demod_t* demod, kit_isdbt_layers_t* per)
{
    if (!per)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[6];
    uint32_t packets = 0;
    KIT_TRY(readErrorWindow(demod, 0x1F, b, 6, &packets));
    const uint32_t errors[3] = {be(b, 2), be(b + 2, 2), be(b + 4, 2)};
    return layerRates(errors, packets, 1000000, per);
}

kit_result_t kit_demod_isdbt_monitor_PacketErrorNumber(kit_demod_t* demod, kit_isdbt_layers_t* count)
{
    if (!count)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    if (demod->isdbtEwsState)  // the TS is off: nothing is counted
        return KIT_RESULT_ERROR_SW_STATE;
    uint8_t b[7];
    KIT_TRY(kit_demod_terr_Read(demod, BANK_ISDBT, 0xA1, b, 7));
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    count->layerA = be(b + 1, 2);
    count->layerB = be(b + 3, 2);
    count->layerC = be(b + 5, 2);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_monitor_SamplingOffset(kit_demod_t* demod, int32_t* ppm)
{
    if (!ppm)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t t[5], m[5];
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_isdbt_IsDmdLocked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, 0x10, 0x52, t, 5);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x9F, m, 5);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    const int h = (t[0] & 0x7F) - (m[0] & 0x7F);
    const int64_t tracked = be(t + 1, 4) >> 1;
    const int64_t nominal = be(m + 1, 4) >> 1;
    const int64_t wrap = (int64_t)1 << 31;
    int64_t d;
    if (h == 1) {
        if (nominal < tracked)
            return KIT_RESULT_ERROR_HW_STATE;
        d = tracked + wrap - nominal;
    } else if (h == -1) {
        if (tracked < nominal)
            return KIT_RESULT_ERROR_HW_STATE;
        d = tracked - (nominal + wrap);
    } else if (h == 0) {
        d = tracked - nominal;
    } else {
        return KIT_RESULT_ERROR_HW_STATE;
    }
    const int64_t word = (int64_t)(((uint32_t)(m[0] & 0x7F) << 24) | be(m + 1, 3)) + 195312;
    const int64_t divisor = word / 781250;
    if (divisor == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    const int64_t half = word / 1562500;
    *ppm = (int32_t)((d >= 0 ? d + half : d - half) / divisor);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_monitor_PresetInfo(kit_demod_t* demod, kit_isdbt_preset_info_t* preset)
{
    if (!preset)
        return KIT_RESULT_ERROR_ARG;
    return lockedRead(demod, BANK_ISDBT, 0x32, preset->data, KIT_ISDBT_PRESET_BYTES);
}

static uint32_t layerRate(const uint32_t* table, const kit_isdbt_tmcc_layer_info_t* layer, uint32_t guard)
{
    if (layer->modulation > KIT_ISDBT_MODULATION_MAX || layer->codingRate > KIT_ISDBT_CODE_RATE_MAX ||
        layer->segmentsNum > KIT_ISDBT_SEGMENTS_MAX)
        return 0;
    // DQPSK and QPSK carry the same bits.
    const uint32_t m = layer->modulation == 0 ? 0 : layer->modulation - 1;
    return (layer->segmentsNum * table[(m * 5 + layer->codingRate) * 4 + guard] + 50) / 100;
}

kit_result_t kit_demod_isdbt_monitor_TSRate(kit_demod_t* demod, kit_isdbt_layers_t* rate)
{
    if (!rate)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    if (demod->bandwidth < KIT_DTV_BW_6_MHZ || demod->bandwidth > KIT_DTV_BW_8_MHZ)
        return KIT_RESULT_ERROR_SW_STATE;
    uint32_t mode = 0, guard = 0;
    kit_isdbt_tmcc_info_t tmcc;
    KIT_TRY(kit_demod_isdbt_monitor_ModeGuard(demod, &mode, &guard));
    if (guard > 3)
        return KIT_RESULT_ERROR_OTHER;
    KIT_TRY(kit_demod_isdbt_monitor_TMCCInfo(demod, &tmcc));
    const uint32_t* table = segmentRate[demod->bandwidth - KIT_DTV_BW_6_MHZ];
    rate->layerA = layerRate(table, &tmcc.currentInfo.layerA, guard);
    rate->layerB = layerRate(table, &tmcc.currentInfo.layerB, guard);
    rate->layerC = layerRate(table, &tmcc.currentInfo.layerC, guard);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_monitor_ACEEWInfo(kit_demod_t* demod, uint8_t* present, kit_isdbt_aceew_info_t* info)
{
    if (!present || !info)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[36];
    KIT_TRY(lockedRead(demod, 0x61, 0x21, b, 36));
    *present = b[0] & 0x01;
    if (!*present)
        return KIT_RESULT_OK;
    info->startEndFlag = b[1] >> 6;
    info->updateFlag = (b[1] >> 4) & 0x03;
    info->signalId = (b[1] >> 1) & 0x07;
    for (int n = 0; n < 3; ++n) {
        info->blocks[n].isValid = (b[2] >> (2 - n)) & 0x01;
        memcpy(info->blocks[n].data, b + 3 + KIT_ISDBT_ACEEW_BLOCK_BYTES * n, KIT_ISDBT_ACEEW_BLOCK_BYTES);
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_isdbt_adv_monitor_MER(kit_demod_t* demod, int32_t* mer)
{
    if (!mer)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2];
    KIT_TRY(lockedRead(demod, BANK_ISDBT, 0x2C, b, 2));
    const uint32_t v = be(b, 2);
    if (v == 0)
        return KIT_RESULT_ERROR_HW_STATE;
    *mer = 100 * kit_math_log10(v) - 14171;
    return KIT_RESULT_OK;
}

// ---- Analysis ----

kit_result_t kit_demod_isdbt_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap, uint32_t* min, uint32_t* max)
{
    (void)tap;
    if (!min || !max)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    return KIT_RESULT_ERROR_NOSUPPORT;
}

kit_result_t kit_demod_isdbt_adv_SetChannelSpectrum(kit_demod_t* demod, uint8_t useTap, uint8_t tap, uint32_t* min,
                                                    uint32_t* max)
{
    if (useTap)
        return kit_demod_isdbt_adv_SetConstellationTap(demod, tap, min, max);
    return kit_demod_terr_SetTap(demod, KIT_DTV_SYSTEM_ISDBT, BANK_ANALYSIS, 0x00);
}

kit_result_t kit_demod_isdbt_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode,
                                                 uint32_t* minCarrier, uint32_t* maxCarrier, int32_t* minDelayNs,
                                                 int32_t* maxDelayNs)
{
    (void)minCarrier;
    (void)maxCarrier;
    (void)minDelayNs;
    (void)maxDelayNs;
    if (enable) {
        KIT_TRY(active(demod));
        return KIT_RESULT_ERROR_NOSUPPORT;
    }
    return kit_demod_terr_SetDelayProfileRegs(demod, KIT_DTV_SYSTEM_ISDBT, BANK_ANALYSIS, 0, mode);
}

kit_result_t kit_demod_isdbt_adv_monitor_Constellation(kit_demod_t* demod, uint32_t index, int32_t* i, int32_t* q)
{
    return kit_demod_terr_PointConstellation(demod, KIT_DTV_SYSTEM_ISDBT, BANK_ANALYSIS, index, 0, i, q);
}

kit_result_t kit_demod_isdbt_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint32_t index, int32_t* power)
{
    return kit_demod_terr_PointSpectrum(demod, KIT_DTV_SYSTEM_ISDBT, BANK_ANALYSIS, index, power);
}

kit_result_t kit_demod_isdbt_adv_monitor_DelayProfile(kit_demod_t* demod, uint32_t index, int32_t* power)
{
    return kit_demod_terr_PointDelay(demod, KIT_DTV_SYSTEM_ISDBT, BANK_ANALYSIS, index, power);
}

kit_result_t kit_demod_isdbt_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, uint8_t mode,
                                                               uint32_t startCarrier, uint32_t step, int32_t* levels,
                                                               int32_t* delaysNs, uint32_t count,
                                                               int32_t* windowStartNs, int32_t* windowEndNs)
{
    (void)mode;
    (void)startCarrier;
    (void)step;
    (void)count;
    if (!levels || !delaysNs || !windowStartNs || !windowEndNs)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    return KIT_RESULT_ERROR_NOSUPPORT;
}
