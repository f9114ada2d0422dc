// The older error-counting module: the code-rate fractions the standard definitions use,
// plus register access helpers, windowed error counting over up to four registered counter
// scales with automatic scale stepping, and small integer and BER filters. Only the
// code-rate table has a caller today.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct t_fractional_code_rate {
    uint32_t numerator;
    uint32_t denominator;
} t_fractional_code_rate;

// Code rate of an eCODE_RATE_TYPE code: 0 1/4, 1 1/3, 2 2/5, 3 1/2, 4 3/5, 5 2/3, 6 3/4,
// 7 4/5, 8 5/6, 9 6/7, 10 7/8, 11 8/9, 12 9/10; any other code 7/8.
t_fractional_code_rate Get_Fractional_Code_Rate(uint32_t code);

enum { BER_SCALES_REGS_MAX = 100 };
// Writes length bytes from reg on through the I2C link. 0 on success, 1 on failure or a
// length above BER_SCALES_REGS_MAX.
int Write_Regs(uint8_t address8, uint8_t reg, const uint8_t* data, uint16_t length);
// Sets the bits of mask in a cached image of the device's registers (256 bytes) to value,
// shifted to the mask's lowest bit, and writes that register. 0 on success.
int Write_Field(uint8_t address8, uint8_t* image, uint8_t reg, uint8_t mask, uint8_t value);
// Reads length bytes from reg on, inside the bus-lock hooks. 0 on success.
int Get_Regs(uint8_t address8, uint8_t reg, uint8_t* out, uint16_t length);

enum {
    BER_SCALES_MAX = 4,
    BER_SCALES_WINDOWS = 10,
    BER_SCALES_WINDOW_ERRORS = 200, // a window closes at this many errors ...
    BER_SCALES_WINDOW_MS = 999,     // ... or after this long
    BER_SCALES_SUM_ERRORS = 199,    // the reported sum stops once it passes this
};

typedef struct t_error_window {
    uint32_t errors;
    uint32_t ms;
} t_error_window;

// Errors counted by the scale's counter since its previous reading.
typedef uint32_t (*t_scale_reader)(void* user);
// Programs the scale's counter to a new step.
typedef void (*t_scale_setter)(void* user, uint32_t step);

typedef struct t_ber_scale {
    // Set by the caller before Configure_Scales.
    t_scale_reader reader;
    t_scale_setter setter;
    void* user;
    int32_t low;  // the controlled value's range
    int32_t high;
    uint32_t step; // current step of the counter, step_min ... step_max
    uint32_t step_min;
    uint32_t step_max;
    // Kept by the module.
    uint8_t configured;
    t_error_window windows[BER_SCALES_WINDOWS];
    uint32_t window_count;
    uint32_t window_next;
    t_error_window open; // the window being filled
    uint64_t last_ms;    // time of the previous reading
} t_ber_scale;

typedef struct t_ber_scales {
    t_ber_scale scale[BER_SCALES_MAX];
} t_ber_scales;

// Registers a scale at index (0 ... 3) and starts its counting. 0 on success, 1 for a bad
// index or a missing reader.
int Configure_Scales(t_ber_scales* scales, uint32_t index, const t_ber_scale* config);
void Clear_Scales_Configuration(t_ber_scales* scales);
// Forgets the closed windows of a scale.
void Reset_Windows(t_ber_scales* scales, uint32_t index);
// Starts counting afresh: no open window, no closed windows, time taken from now.
void Reset_Error_Count_Process(t_ber_scales* scales, uint32_t index);
// Reads the scale's counter into the open window and closes it at 200 errors or 999 ms.
// Reports in sum the newest closed windows, the largest one left out, up to the first sum
// above 199 errors; returns how many windows were summed (0 before the first one closes).
uint32_t Errors_Count_Process(t_ber_scales* scales, uint32_t index, t_error_window* sum);
// Steps the scale up when value is above its range and down when below, within its limits,
// programs the new step and restarts the counting. Returns +1, -1 or 0.
int32_t Scale_Control(t_ber_scales* scales, uint32_t index, int32_t value);

// (new + 7 old) / 8 while |new - old| <= threshold (the counter is cleared); otherwise old,
// until limit calls in a row have disagreed, and then new.
int32_t Filt_7_8(int32_t new_value, int32_t old_value, uint32_t threshold, uint32_t* counter, uint32_t limit);
// The same with (new + 31 old) / 32.
int32_t Filt_31_32(int32_t new_value, int32_t old_value, uint32_t threshold, uint32_t* counter, uint32_t limit);
// The 7/8 filter for BERs: close means the larger over the smaller is at most ratio.
float Filt_7_8_For_BER(float new_value, float old_value, float ratio, uint32_t* counter, uint32_t limit);
// Sign-extends the low `bits` bits of value (1 ... 32).
int32_t Extend_Sign(uint32_t value, uint32_t bits);

#ifdef __cplusplus
}
#endif
