// Little-endian readers of the demodulator adjustment blobs. Each reads one field at the
// read pointer (no alignment needed), clamps it to [minimum, maximum] — above the maximum
// first, then below the minimum — reports a clamp in the flag and returns the pointer
// advanced past the field.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

const uint8_t* READ_PP_load_byte(uint8_t* value, uint8_t minimum, uint8_t maximum, const uint8_t* p, bool* clamped);
const uint8_t* READ_PP_load_word(uint16_t* value, uint16_t minimum, uint16_t maximum, const uint8_t* p,
                                 bool* clamped);
const uint8_t* READ_PP_load_sword(int16_t* value, int16_t minimum, int16_t maximum, const uint8_t* p, bool* clamped);
const uint8_t* READ_PP_load_dword(uint32_t* value, uint32_t minimum, uint32_t maximum, const uint8_t* p,
                                  bool* clamped);
const uint8_t* READ_PP_load_int(int32_t* value, int32_t minimum, int32_t maximum, const uint8_t* p, bool* clamped);
// A signed 32-bit field divided by divisor. A divisor of 0 cannot give a value: the
// minimum is stored and the flag set.
const uint8_t* READ_PP_load_float(float* value, int32_t divisor, const uint8_t* p, bool* clamped, float minimum,
                                  float maximum);

#ifdef __cplusplus
}
#endif
