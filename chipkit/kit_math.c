#include "kit_math.h"

// round(100 x log2(1 + i / 32)), i = 0..31
static const uint8_t log2LookUp[32] = {
    0,  4,  9,  13, 17, 21, 25, 29, 32, 36, 39, 43, 46, 49, 52, 55,
    58, 61, 64, 67, 70, 73, 75, 78, 81, 83, 86, 88, 91, 93, 95, 98,
};

int32_t kit_math_log2(uint32_t x)
{
    if (x < 2)
        return 0;
    uint32_t n = 31;
    while (!(x & (1u << n)))
        --n;
    // The five bits just below the highest one index the fraction.
    const uint32_t index = n <= 5 ? (x << (5 - n)) & 31 : (x >> (n - 5)) & 31;
    return (int32_t)(100 * n + log2LookUp[index]);
}

int32_t kit_math_log10(uint32_t x) { return (kit_math_log2(x) * 100 + 166) / 332; }

int32_t kit_math_log(uint32_t x) { return (kit_math_log2(x) * 100 + 72) / 144; }

uint64_t kit_math_DivRound(uint64_t num, uint64_t den)
{
    if (den == 0)
        return 0;
    const uint64_t rest = num % den;
    return num / den + (rest != 0 && rest >= den / 2 ? 1 : 0);
}

int32_t kit_Convert2SComplement(uint32_t value, uint32_t bitLength)
{
    if (bitLength == 0 || bitLength > 31)
        return (int32_t)value;
    const uint32_t mask = (1u << bitLength) - 1;
    value &= mask;
    if (value & (1u << (bitLength - 1)))
        value |= ~mask;
    return (int32_t)value;
}

uint32_t kit_BitSplitFromByteArray(const uint8_t* array, uint32_t arrayLength, uint32_t startBit,
                                   uint32_t bitLength)
{
    if (!array || bitLength == 0 || bitLength > 32)
        return 0;
    // In 64 bits so that neither sum nor product wraps into a field that looks inside.
    if ((uint64_t)startBit + bitLength > (uint64_t)arrayLength * 8)
        return 0;
    // The field spans at most five bytes; gather them into one 64-bit word.
    const uint32_t first = startBit / 8;
    const uint32_t last = (startBit + bitLength - 1) / 8;
    uint64_t bits = 0;
    for (uint32_t i = first; i <= last; ++i)
        bits = (bits << 8) | array[i];
    const uint32_t tail = (last + 1) * 8 - (startBit + bitLength);
    bits >>= tail;
    return (uint32_t)(bitLength == 32 ? bits : bits & ((1ull << bitLength) - 1));
}
