// The DVB-T2 MER filter: raw readings gather in a 90-sample window; each full window gives
// one estimate to a 6-sample window whose mean is the filtered MER.
#include "kit_demod_dvbt2.h"

#include "kit_demod.h"
#include "kit_demod_terr.h"

enum { MER_WINDOW_FLOOR = -32767 };

static int windowUsable(const kit_mer_window_t* w)
{
    return w && w->size > 0 && w->size <= KIT_MER_WINDOW_MAX && w->count <= w->size;
}

int32_t window_GetAverage(const kit_mer_window_t* window)
{
    if (!window || window->count == 0 || window->count > KIT_MER_WINDOW_MAX)
        return 0;
    int64_t sum = 0;
    for (uint16_t i = 0; i < window->count; ++i)
        sum += window->values[i];
    return (int32_t)kit_demod_terr_DivRoundSigned(sum, window->count);
}

static int32_t windowMax(const kit_mer_window_t* window)
{
    int32_t max = MER_WINDOW_FLOOR;
    for (uint16_t i = 0; i < window->count && i < KIT_MER_WINDOW_MAX; ++i)
        if (window->values[i] > max)
            max = window->values[i];
    return max;
}

int32_t kit_window_get_last_value(const kit_mer_window_t* window)
{
    if (!windowUsable(window))
        return 0;
    const uint16_t last = window->index == 0 ? window->size - 1 : window->index - 1;
    return window->values[last % KIT_MER_WINDOW_MAX];
}

int32_t kit_estimate_mer_from_window(const kit_mer_window_t* window)
{
    if (!window)
        return 0;
    const int32_t mean = window_GetAverage(window);
    return mean + (windowMax(window) - mean) / 2;
}

static void windowReset(kit_mer_window_t* w, uint16_t size)
{
    w->size = size;
    w->count = 0;
    w->index = 0;
}

// The ring never writes past its storage, whatever size a caller left in it.
static void windowAppend(kit_mer_window_t* w, int32_t value)
{
    if (w->index >= KIT_MER_WINDOW_MAX || w->index >= w->size)
        return;
    w->values[w->index] = value;
    w->index = (uint16_t)((w->index + 1) % w->size);
    if (w->count < w->size)
        ++w->count;
}

kit_result_t kit_demod_dvbt2_adv_monitor_InitMERFilter(kit_dvbt2_mer_filter_t* filter)
{
    if (!filter)
        return KIT_RESULT_ERROR_ARG;
    windowReset(&filter->filtered, KIT_DVBT2_MER_FILTERED_SIZE);
    windowReset(&filter->raw, KIT_DVBT2_MER_RAW_SIZE);
    return KIT_RESULT_OK;
}

// The chip computes MER over a shorter period while the filter reads (0x9D).
static kit_result_t merPeriod(kit_demod_t* demod, uint8_t value)
{
    return kit_demod_terr_WriteOne(demod, 0x20, 0x9D, value);
}

kit_result_t kit_demod_dvbt2_adv_monitor_FilteredMER(kit_demod_t* demod, kit_dvbt2_mer_filter_t* filter,
                                                     int32_t* lastMer, int32_t* filteredMer)
{
    if (!filter || !lastMer || !filteredMer || filter->filtered.size == 0 || filter->raw.size == 0)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT2));
    KIT_TRY(merPeriod(demod, 0x01));
    for (int n = 0; n < KIT_DVBT2_MER_READINGS_PER_CALL; ++n) {
        const kit_result_t r = kit_demod_dvbt2_adv_monitor_MER(demod, lastMer);
        if (r != KIT_RESULT_OK) {
            merPeriod(demod, 0x14);
            return r;
        }
        windowAppend(&filter->raw, *lastMer);
        if (filter->raw.count == filter->raw.size) {
            windowAppend(&filter->filtered, kit_estimate_mer_from_window(&filter->raw));
            windowReset(&filter->raw, KIT_DVBT2_MER_RAW_SIZE);
        }
    }
    KIT_TRY(merPeriod(demod, 0x14));
    *filteredMer = filter->filtered.count > 0 ? window_GetAverage(&filter->filtered)
                                              : kit_estimate_mer_from_window(&filter->raw);
    return KIT_RESULT_OK;
}
