// The DVB-C2 filtered MER and the diagnostic captures of the point memory (bank 0x21).
#include "kit_demod.h"
#include "kit_demod_dvbc2_monitor.h"
#include "kit_math.h"
#include "kit_stopwatch_port.h"

#include <string.h>

#define C2 KIT_DTV_SYSTEM_DVBC2

// ---- Filtered MER ----

static void clearWindow(kit_dvbc2_mer_window_t* w, uint16_t size)
{
    memset(w, 0, sizeof *w);
    w->size = size;
}

static void push(kit_dvbc2_mer_window_t* w, int32_t value)
{
    w->values[w->next] = value;
    w->next = (uint16_t)((w->next + 1) % w->size);
    if (w->count < w->size)
        ++w->count;
}

static int32_t roundedAverage(const kit_dvbc2_mer_window_t* w)
{
    if (w->count == 0)
        return 0;
    int64_t sum = 0;
    for (uint16_t i = 0; i < w->count; ++i)
        sum += w->values[i];
    const int64_t n = w->count;
    return (int32_t)(sum < 0 ? (sum - n / 2) / n : (sum + n / 2) / n);
}

// Halfway between the average and the peak: short fades weigh less than a plain mean gives.
static int32_t peakWeighted(const kit_dvbc2_mer_window_t* w)
{
    int32_t peak = -32767;
    for (uint16_t i = 0; i < w->count; ++i)
        if (w->values[i] > peak)
            peak = w->values[i];
    const int32_t average = roundedAverage(w);
    return average + (peak - average) / 2;
}

kit_result_t kit_demod_dvbc2_adv_monitor_InitMERFilter(kit_demod_t* demod, kit_dvbc2_mer_filter_t* filter)
{
    (void)demod;
    if (!filter)
        return KIT_RESULT_ERROR_ARG;
    clearWindow(&filter->shortWindow, KIT_DVBC2_MER_FILTER_SHORT);
    clearWindow(&filter->longWindow, KIT_DVBC2_MER_FILTER_LONG);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_adv_monitor_FilteredMER(kit_demod_t* demod, kit_dvbc2_mer_filter_t* filter,
                                                     int32_t* mer)
{
    enum { READS = 10 };
    if (!filter || !mer || filter->shortWindow.size == 0 || filter->longWindow.size == 0)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = kit_demod_CheckActive(demod, C2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x20);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x9D, 0x01);
    if (r != KIT_RESULT_OK)
        return r;
    for (int i = 0; i < READS && r == KIT_RESULT_OK; ++i) {
        int32_t value = 0;
        r = kit_demod_dvbc2_adv_monitor_MER(demod, &value);
        if (r != KIT_RESULT_OK)
            break;
        push(&filter->longWindow, value);
        if (filter->longWindow.count == filter->longWindow.size) {
            push(&filter->shortWindow, peakWeighted(&filter->longWindow));
            clearWindow(&filter->longWindow, KIT_DVBC2_MER_FILTER_LONG);
        }
    }
    kit_result_t w = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x20);
    if (w == KIT_RESULT_OK)
        w = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x9D, 0x14);
    if (r == KIT_RESULT_OK)
        r = w;
    if (r != KIT_RESULT_OK)
        return r;
    *mer = filter->shortWindow.count > 0 ? roundedAverage(&filter->shortWindow) : peakWeighted(&filter->longWindow);
    return KIT_RESULT_OK;
}

// ---- Captures ----

enum { CAPTURE_BANK = 0x21, CAPTURE_POLLS = 60, CAPTURE_POLL_MS = 10 };

kit_result_t kit_demod_dvbc2_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap)
{
    if (tap > KIT_DVBC2_TAP_MAX)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = kit_demod_CheckActive(demod, C2);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, CAPTURE_BANK, 0x97, &tap, 1);
}

kit_result_t kit_demod_dvbc2_adv_SetChannelSpectrum(kit_demod_t* demod)
{
    return kit_demod_dvbc2_adv_SetConstellationTap(demod, 0);
}

kit_result_t kit_demod_dvbc2_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode)
{
    if (mode > 1)
        return KIT_RESULT_ERROR_ARG;
    const uint8_t b[2] = {enable ? 0x01 : 0x00, mode};
    const kit_result_t r = kit_demod_CheckActive(demod, C2);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, CAPTURE_BANK, 0xC3, b, 2);
}

// Asks for one point of the point memory and waits until the chip has it.
static kit_result_t capture(kit_demod_t* demod, uint16_t index, uint8_t* out, uint32_t length)
{
    if (index > 0x7FFF)
        return KIT_RESULT_ERROR_ARG;
    uint8_t sync = 0, ts = 0, early = 0;
    kit_result_t r = kit_demod_dvbc2_monitor_SyncStat(demod, &sync, &ts, &early);
    if (r == KIT_RESULT_OK && sync != KIT_DVBC2_SYNC_STATE_LOCKED)
        r = KIT_RESULT_ERROR_HW_STATE;
    const uint8_t trigger[3] = {(uint8_t)(index >> 8), (uint8_t)index, 0x01};
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteRegsInBank(demod, KIT_DEMOD_SLVT, CAPTURE_BANK, 0x98, trigger, 3);
    for (int poll = 0; r == KIT_RESULT_OK; ++poll) {
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x9B, out, length);
        if (r != KIT_RESULT_OK || (out[0] & 0x40))
            break;
        if (poll + 1 >= CAPTURE_POLLS)
            return KIT_RESULT_ERROR_TIMEOUT;
        kit_stopwatch_t sw = {0};
        kit_stopwatch_sleep(&sw, CAPTURE_POLL_MS);
    }
    return r;
}

kit_result_t kit_demod_dvbc2_adv_monitor_Constellation(kit_demod_t* demod, uint16_t index, int16_t* i,
                                                       int16_t* q)
{
    if (!i || !q)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[5] = {0}, tap = 0;
    kit_result_t r = capture(demod, index, b, sizeof b);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x97, &tap, 1);
    if (r != KIT_RESULT_OK)
        return r;
    // The points come as 14-bit values whatever the tap; taps the chip does not have are a
    // value outside the kit's tables.
    if ((tap & 0x07) > KIT_DVBC2_TAP_MAX)
        return KIT_RESULT_ERROR_OTHER;
    *i = (int16_t)kit_Convert2SComplement(((uint32_t)(b[1] & 0x3F) << 8) | b[2], 14);
    *q = (int16_t)kit_Convert2SComplement(((uint32_t)(b[3] & 0x3F) << 8) | b[4], 14);
    return KIT_RESULT_OK;
}

// A power of the point memory in dB x 100: 100 x log10(power) less the full-scale offset,
// or the floor for no power.
static kit_result_t capturePower(kit_demod_t* demod, uint16_t index, int delayProfile, int32_t* out)
{
    if (!out)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[7] = {0};
    const kit_result_t r = capture(demod, index, b, sizeof b);
    if (r != KIT_RESULT_OK)
        return r;
    const uint32_t power = delayProfile ? ((uint32_t)(b[3] & 0x3F) << 24) | ((uint32_t)b[4] << 16) |
                                              ((uint32_t)b[5] << 8) | b[6]
                                        : ((uint32_t)b[5] << 8) | b[6];
    if (delayProfile)
        *out = power ? 100 * kit_math_log10(power) - 24082 : -50000;
    else
        *out = (power ? 100 * kit_math_log10(power) : 0) - 9031;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbc2_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint16_t carrier, int32_t* power)
{
    return capturePower(demod, carrier, 0, power);
}

kit_result_t kit_demod_dvbc2_adv_monitor_DelayProfile(kit_demod_t* demod, uint16_t point, int32_t* level)
{
    return capturePower(demod, point, 1, level);
}

kit_result_t kit_demod_dvbc2_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, int32_t* levels,
                                                               int32_t* delaysNs, uint32_t count)
{
    if (!levels || !delaysNs)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = kit_demod_CheckActive(demod, C2);
    (void)count;
    return r != KIT_RESULT_OK ? r : KIT_RESULT_ERROR_NOSUPPORT;
}
