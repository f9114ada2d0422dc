#include "read_pp.h"

#include <cstddef>

namespace {

template <typename U>
U loadLittleEndian(const uint8_t* p)
{
    U v = 0;
    for (size_t i = 0; i < sizeof(U); ++i)
        v = static_cast<U>(v | static_cast<U>(static_cast<U>(p[i]) << (8 * i)));
    return v;
}

template <typename T>
T clampField(T v, T minimum, T maximum, bool* clamped)
{
    bool hit = false;
    if (v > maximum) {
        v = maximum;
        hit = true;
    }
    if (v < minimum) {
        v = minimum;
        hit = true;
    }
    if (clamped)
        *clamped = hit;
    return v;
}

template <typename T, typename U>
const uint8_t* loadField(T* value, T minimum, T maximum, const uint8_t* p, bool* clamped)
{
    if (clamped)
        *clamped = false;
    if (!p)
        return p;
    T v = static_cast<T>(loadLittleEndian<U>(p));
    v = clampField(v, minimum, maximum, clamped);
    if (value)
        *value = v;
    return p + sizeof(U);
}

} // namespace

const uint8_t* READ_PP_load_byte(uint8_t* value, uint8_t minimum, uint8_t maximum, const uint8_t* p, bool* clamped)
{
    return loadField<uint8_t, uint8_t>(value, minimum, maximum, p, clamped);
}

const uint8_t* READ_PP_load_word(uint16_t* value, uint16_t minimum, uint16_t maximum, const uint8_t* p,
                                 bool* clamped)
{
    return loadField<uint16_t, uint16_t>(value, minimum, maximum, p, clamped);
}

const uint8_t* READ_PP_load_sword(int16_t* value, int16_t minimum, int16_t maximum, const uint8_t* p, bool* clamped)
{
    return loadField<int16_t, uint16_t>(value, minimum, maximum, p, clamped);
}

const uint8_t* READ_PP_load_dword(uint32_t* value, uint32_t minimum, uint32_t maximum, const uint8_t* p,
                                  bool* clamped)
{
    return loadField<uint32_t, uint32_t>(value, minimum, maximum, p, clamped);
}

const uint8_t* READ_PP_load_int(int32_t* value, int32_t minimum, int32_t maximum, const uint8_t* p, bool* clamped)
{
    return loadField<int32_t, uint32_t>(value, minimum, maximum, p, clamped);
}

const uint8_t* READ_PP_load_float(float* value, int32_t divisor, const uint8_t* p, bool* clamped, float minimum,
                                  float maximum)
{
    if (clamped)
        *clamped = false;
    if (!p)
        return p;
    const auto raw = static_cast<int32_t>(loadLittleEndian<uint32_t>(p));
    float v;
    if (divisor == 0) {
        v = minimum;
        if (clamped)
            *clamped = true;
    } else {
        v = clampField(static_cast<float>(raw) / static_cast<float>(divisor), minimum, maximum, clamped);
    }
    if (value)
        *value = v;
    return p + 4;
}
