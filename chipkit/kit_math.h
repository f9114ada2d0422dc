// Fixed-point logarithms and bit helpers of the driver kit. The logarithms come back
// signed: every monitor subtracts from them, and a difference must not wrap.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// 100 x log2(x), to within the 1/32 steps of its fraction table; 0 for x below 2.
int32_t kit_math_log2(uint32_t x);
// 100 x log10(x) and 100 x ln(x), from kit_math_log2 with integer rounding.
int32_t kit_math_log10(uint32_t x);
int32_t kit_math_log(uint32_t x);

// num / den, rounded up when a remainder is left that is at least den / 2 (integer half); den 0
// gives 0.
// Error rates and their windows are counted in 64 bits, where no product of them wraps.
uint64_t kit_math_DivRound(uint64_t num, uint64_t den);

// The low bitLength bits of value as a signed number; bitLength 0 or above 31 gives value
// unchanged.
int32_t kit_Convert2SComplement(uint32_t value, uint32_t bitLength);

// bitLength (1..32) bits of array taken as one big-endian bit stream (bit 0 is the most
// significant bit of the first byte), starting at startBit. A null array, a bitLength
// outside 1..32 or a field that does not lie wholly inside the arrayLength bytes gives 0.
uint32_t kit_BitSplitFromByteArray(const uint8_t* array, uint32_t arrayLength, uint32_t startBit,
                                   uint32_t bitLength);

#ifdef __cplusplus
}
#endif
