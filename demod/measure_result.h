// The {status, value} pair every measurement of the demodulator driver stores and returns:
// the status says whether the value is a reading, a bound beyond a display limit, or no
// reading at all. BER travels as a float, MER (tenths of a dB) and offsets as integers.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum eRANGE {
    eRANGE_valid = 0,
    eRANGE_above = 1,    // above the upper limit: the value is that limit
    eRANGE_below = 2,    // below the lower limit, or an upper bound of the true value
    eRANGE_unlocked = 3, // no signal, no value
} eRANGE;

typedef struct MeasureResult {
    uint32_t status; // eRANGE
    union {
        float f32;   // BER
        int32_t s32; // MER in tenths of a dB, frequency offset in Hz
    } value;
} MeasureResult;

#ifdef __cplusplus
}
#endif
