#include "ber_scales.h"

#include "common/embedded_timers.h"
#include "hw/DrvI2c.h"

#include <cstring>

namespace {

const t_fractional_code_rate kCodeRates[] = {
    {1, 4}, {1, 3}, {2, 5}, {1, 2}, {3, 5}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 10},
};

t_ber_scale* scaleAt(t_ber_scales* scales, uint32_t index)
{
    return scales && index < BER_SCALES_MAX ? &scales->scale[index] : nullptr;
}

// A value far from the old one is believed only once it has persisted past limit calls.
template <typename T>
T holdOrTake(T fresh, T old, uint32_t* counter, uint32_t limit)
{
    const uint32_t calls = counter ? *counter + 1 : limit + 1;
    const bool take = calls > limit;
    if (counter)
        *counter = take ? 0 : calls;
    return take ? fresh : old;
}

template <int32_t Weight>
int32_t filterInt(int32_t fresh, int32_t old, uint32_t threshold, uint32_t* counter, uint32_t limit)
{
    const int64_t diff = static_cast<int64_t>(fresh) - old;
    if ((diff < 0 ? -diff : diff) > threshold)
        return holdOrTake(fresh, old, counter, limit);
    if (counter)
        *counter = 0;
    return static_cast<int32_t>((fresh + static_cast<int64_t>(Weight - 1) * old) / Weight);
}

} // namespace

t_fractional_code_rate Get_Fractional_Code_Rate(uint32_t code)
{
    const uint32_t n = sizeof kCodeRates / sizeof kCodeRates[0];
    return code < n ? kCodeRates[code] : t_fractional_code_rate{7, 8};
}

int Write_Regs(uint8_t address8, uint8_t reg, const uint8_t* data, uint16_t length)
{
    if (!pfnDrvI2c_WriteBytes || length > BER_SCALES_REGS_MAX || (length && !data))
        return 1;
    uint8_t frame[BER_SCALES_REGS_MAX + 2];
    frame[0] = address8;
    frame[1] = reg;
    if (length)
        std::memcpy(frame + 2, data, length);
    return pfnDrvI2c_WriteBytes(static_cast<uint16_t>(length + 2), frame) == 0 ? 0 : 1;
}

int Write_Field(uint8_t address8, uint8_t* image, uint8_t reg, uint8_t mask, uint8_t value)
{
    if (!image || mask == 0)
        return 1;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    image[reg] = static_cast<uint8_t>((image[reg] & ~mask) | ((value << shift) & mask));
    return Write_Regs(address8, reg, &image[reg], 1);
}

int Get_Regs(uint8_t address8, uint8_t reg, uint8_t* out, uint16_t length)
{
    if (!pfnDrvI2c_ReadBytes || !out)
        return 1;
    DrvI2c_LockBus();
    const int rc = pfnDrvI2c_ReadBytes(0, address8, &reg, 1, out, length);
    DrvI2c_UnLockBus();
    return rc == 0 ? 0 : 1;
}

int Configure_Scales(t_ber_scales* scales, uint32_t index, const t_ber_scale* config)
{
    t_ber_scale* s = scaleAt(scales, index);
    if (!s || !config || !config->reader)
        return 1;
    *s = *config;
    s->configured = 1;
    Reset_Error_Count_Process(scales, index);
    return 0;
}

void Clear_Scales_Configuration(t_ber_scales* scales)
{
    if (scales)
        std::memset(scales, 0, sizeof *scales);
}

void Reset_Windows(t_ber_scales* scales, uint32_t index)
{
    t_ber_scale* s = scaleAt(scales, index);
    if (!s)
        return;
    std::memset(s->windows, 0, sizeof s->windows);
    s->window_count = 0;
    s->window_next = 0;
}

void Reset_Error_Count_Process(t_ber_scales* scales, uint32_t index)
{
    t_ber_scale* s = scaleAt(scales, index);
    if (!s)
        return;
    Reset_Windows(scales, index);
    s->open = {0, 0};
    s->last_ms = EMBEDDEDTIMERS_GeticksInMs();
}

uint32_t Errors_Count_Process(t_ber_scales* scales, uint32_t index, t_error_window* sum)
{
    if (sum)
        *sum = {0, 0};
    t_ber_scale* s = scaleAt(scales, index);
    if (!s || !s->configured || !s->reader)
        return 0;
    const uint32_t errors = s->reader(s->user);
    const uint64_t now = EMBEDDEDTIMERS_GeticksInMs();
    const uint64_t elapsed = now >= s->last_ms ? now - s->last_ms : 0;
    s->last_ms = now;
    s->open.errors = errors > UINT32_MAX - s->open.errors ? UINT32_MAX : s->open.errors + errors;
    s->open.ms = elapsed > UINT32_MAX - s->open.ms ? UINT32_MAX : s->open.ms + static_cast<uint32_t>(elapsed);
    if (s->open.errors >= BER_SCALES_WINDOW_ERRORS || s->open.ms >= BER_SCALES_WINDOW_MS) {
        s->windows[s->window_next] = s->open;
        s->window_next = (s->window_next + 1) % BER_SCALES_WINDOWS;
        if (s->window_count < BER_SCALES_WINDOWS)
            ++s->window_count;
        s->open = {0, 0};
    }
    if (s->window_count == 0)
        return 0;

    // One burst must not dominate the sum: the largest window is left out when there is more
    // than one.
    uint32_t largest = BER_SCALES_WINDOWS;
    for (uint32_t i = 0; s->window_count > 1 && i < s->window_count; ++i) {
        const uint32_t at = (s->window_next + BER_SCALES_WINDOWS - 1 - i) % BER_SCALES_WINDOWS;
        if (largest == BER_SCALES_WINDOWS || s->windows[at].errors > s->windows[largest].errors)
            largest = at;
    }
    t_error_window total{0, 0};
    uint32_t summed = 0;
    for (uint32_t i = 0; i < s->window_count && total.errors <= BER_SCALES_SUM_ERRORS; ++i) {
        const uint32_t at = (s->window_next + BER_SCALES_WINDOWS - 1 - i) % BER_SCALES_WINDOWS;
        if (at == largest)
            continue;
        total.errors += s->windows[at].errors;
        total.ms += s->windows[at].ms;
        ++summed;
    }
    if (sum)
        *sum = total;
    return summed;
}

int32_t Scale_Control(t_ber_scales* scales, uint32_t index, int32_t value)
{
    t_ber_scale* s = scaleAt(scales, index);
    if (!s || !s->configured)
        return 0;
    int32_t change = 0;
    if (value > s->high && s->step < s->step_max)
        change = 1;
    else if (value < s->low && s->step > s->step_min)
        change = -1;
    if (change == 0)
        return 0;
    s->step = static_cast<uint32_t>(static_cast<int64_t>(s->step) + change);
    if (s->setter)
        s->setter(s->user, s->step);
    Reset_Error_Count_Process(scales, index);
    return change;
}

int32_t Filt_7_8(int32_t new_value, int32_t old_value, uint32_t threshold, uint32_t* counter, uint32_t limit)
{
    return filterInt<8>(new_value, old_value, threshold, counter, limit);
}

int32_t Filt_31_32(int32_t new_value, int32_t old_value, uint32_t threshold, uint32_t* counter, uint32_t limit)
{
    return filterInt<32>(new_value, old_value, threshold, counter, limit);
}

float Filt_7_8_For_BER(float new_value, float old_value, float ratio, uint32_t* counter, uint32_t limit)
{
    const bool close = new_value > 0 && old_value > 0 &&
                       (new_value > old_value ? new_value / old_value : old_value / new_value) <= ratio;
    if (!close)
        return holdOrTake(new_value, old_value, counter, limit);
    if (counter)
        *counter = 0;
    return (new_value + 7.0f * old_value) / 8.0f;
}

int32_t Extend_Sign(uint32_t value, uint32_t bits)
{
    if (bits == 0 || bits >= 32)
        return static_cast<int32_t>(value);
    const uint32_t mask = (1u << bits) - 1;
    value &= mask;
    if (value & (1u << (bits - 1)))
        value |= ~mask;
    return static_cast<int32_t>(value);
}
