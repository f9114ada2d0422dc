#include "tokensconvert.h"

#include "exceptionlog.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

namespace tokens {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool isSuffix(char c) { return c == 'K' || c == 'k' || c == 'M' || c == 'G'; }
bool hasHexPrefix(const char* t) { return t[0] == '0' && (t[1] == 'x' || t[1] == 'X'); }

unsigned hexValue(char c)
{
    if (isDigit(c))
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

bool hasDigit(const char* t)
{
    for (; *t; ++t)
        if (isDigit(*t))
            return true;
    return false;
}

// Reads the hexadecimal digits after the prefix; false when they exceed limit.
bool readHex(const char* digits, unsigned long long limit, unsigned long long* value)
{
    unsigned long long v = 0;
    for (const char* p = digits; *p; ++p) {
        v = v * 16 + hexValue(*p);
        if (v > limit) {
            *value = limit;
            return false;
        }
    }
    *value = v;
    return true;
}

// The integer conversion shared by int and unsigned int. Overflow, over-long texts and texts
// without a digit fail: a factory tool must never get a clamped or invented value as success.
template <typename T>
bool convertInteger(const char* text, unsigned format, T* out)
{
    constexpr long long hi = static_cast<long long>(std::numeric_limits<T>::max());
    constexpr long long lo = static_cast<long long>(std::numeric_limits<T>::min());
    *out = 0;
    if (!text)
        return false;
    const format::Signed sign = std::is_signed<T>::value ? format::SIGN_ANY : format::SIGN_PLUS_ONLY;
    if (!check_format_integer(text, format, sign))
        return false;
    const size_t len = strnlen(text, MAX_NUMBER_TEXT + 1);
    if (len > MAX_NUMBER_TEXT)
        return false;

    if (hasHexPrefix(text)) {
        unsigned long long v = 0;
        const bool fits = readHex(text + 2, static_cast<unsigned long long>(hi), &v);
        *out = static_cast<T>(v);
        return fits;
    }

    char buf[MAX_NUMBER_TEXT + 1];
    std::memcpy(buf, text, len + 1);
    int scale = 1;
    formatstring_and_getscale(buf, &scale);

    const char* p = buf;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const unsigned long long magnitudeLimit = static_cast<unsigned long long>(hi) + 1;
    unsigned long long magnitude = 0;
    bool overflow = false;
    for (; isDigit(*p); ++p) {
        if (!overflow) {
            magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
            overflow = magnitude > magnitudeLimit;
        }
    }
    long long value = 0;
    if (overflow)
        value = negative ? lo : hi;
    else
        value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (value > hi) {
        value = hi;
        overflow = true;
    } else if (value < lo) {
        value = lo;
        overflow = true;
    }
    if (*p != '\0') {
        *out = static_cast<T>(value);
        return false;
    }
    if (overflow) {
        *out = static_cast<T>(value);
        return false;
    }
    if (!hasDigit(text))
        return false;
    if (value > hi / scale) {
        *out = static_cast<T>(hi);
        return false;
    }
    if (value < lo / scale) {
        *out = static_cast<T>(lo);
        return false;
    }
    *out = static_cast<T>(value * scale);
    return true;
}

template <typename Small>
bool convertBounded(const char* text, unsigned format, Small* out)
{
    int v = 0;
    const bool ok = convert_string_to(text, format, &v, std::numeric_limits<Small>::min(),
                                      std::numeric_limits<Small>::max());
    *out = static_cast<Small>(v);
    return ok;
}

// Splits a list text into items of at most MAX_NUMBER_TEXT characters and hands each to
// convertItem, which appends what it converted. On failure out is emptied.
template <typename T, typename ItemFn>
bool convertList(const char* who, const char* text, std::vector<T>* out, ItemFn convertItem)
{
    const bool ok = remotelog::guarded(who, false, [&] {
        if (!text)
            return false;
        std::vector<T> items;
        const char* p = text;
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            return false;
        while (*p) {
            const char* start = p;
            while (*p && *p != ',' && *p != ' ')
                ++p;
            const size_t n = static_cast<size_t>(p - start);
            if (n == 0 || n > MAX_NUMBER_TEXT)
                return false;
            char item[MAX_NUMBER_TEXT + 1];
            std::memcpy(item, start, n);
            item[n] = '\0';
            if (!convertItem(item, &items))
                return false;
            while (*p == ' ')
                ++p;
            if (*p == ',') {
                ++p;
                while (*p == ' ')
                    ++p;
            }
        }
        out->insert(out->end(), items.begin(), items.end());
        return true;
    });
    if (!ok)
        out->clear();
    return ok;
}

template <typename T>
bool convertPlainList(const char* text, unsigned format, std::vector<T>* out)
{
    return convertList(
        "convert_string_to", text, out, [format](const char* item, std::vector<T>* items) {
            T v{};
            if (!convert_string_to(item, format, &v))
                return false;
            items->push_back(v);
            return true;
        });
}

// A hexadecimal list item read as one 32-bit number and cut into units of digitsPerUnit digits.
// Returns the number of units (0 when the item does not qualify).
unsigned hexItemUnits(const char* item, unsigned format, unsigned digitsPerUnit, uint32_t* value)
{
    if (!(format & FORMAT_HEX) || !check_format_integer(item, format, format::SIGN_PLUS_ONLY))
        return 0;
    const size_t digits = std::strlen(item) - 2;
    const unsigned units = static_cast<unsigned>((digits + digitsPerUnit - 1) / digitsPerUnit);
    if (digits == 0 || digits > 8)
        return 0;
    unsigned long long v = 0;
    readHex(item + 2, 0xFFFFFFFFull, &v);
    *value = static_cast<uint32_t>(v);
    return units;
}

void appendf(std::string* out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string* out, const char* fmt, ...)
{
    char buf[64];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    if (n > 0)
        out->append(buf, static_cast<size_t>(std::min<int>(n, sizeof buf - 1)));
}

template <typename T>
void printItems(const T* values, size_t count, unsigned format, std::string* out)
{
    remotelog::guarded("convert_to_string", 0, [&] {
        for (size_t i = 0; i < count; ++i) {
            if (i)
                out->push_back(',');
            convert_to_string(values[i], format, out);
        }
        return 0;
    });
}

template <typename T>
void printItems(const std::vector<T>& values, unsigned format, std::string* out)
{
    printItems(values.data(), values.size(), format, out);
}

// Packs little-endian groups of n items of a narrow list into wider values.
template <typename Wide, typename Narrow>
std::vector<Wide> packLittleEndian(const std::vector<Narrow>& values, size_t n)
{
    std::vector<Wide> packed;
    packed.reserve((values.size() + n - 1) / n);
    for (size_t i = 0; i < values.size(); i += n) {
        Wide w = 0;
        for (size_t k = 0; k < n && i + k < values.size(); ++k)
            w = static_cast<Wide>(w | (static_cast<Wide>(values[i + k]) << (8 * sizeof(Narrow) * k)));
        packed.push_back(w);
    }
    return packed;
}

} // namespace

bool check_format_integer(const char* text, unsigned format, format::Signed sign)
{
    if (!text)
        return false;
    if (hasHexPrefix(text)) {
        if (!(format & FORMAT_HEX))
            return false;
        for (const char* p = text + 2; *p; ++p)
            if (!isHexDigit(*p))
                return false;
        return true;
    }
    if (!(format & FORMAT_DEC) || text[0] == '\0')
        return false;
    const bool pointScale = (format & FORMAT_POINT_SCALE) != 0;
    bool point = false;
    bool suffix = false;
    const char first = text[0];
    if (first == '.' && pointScale)
        point = true;
    else if (!(isDigit(first) || first == '+' || (first == '-' && sign == format::SIGN_ANY)))
        return false;
    for (const char* p = text + 1; *p; ++p) {
        const char c = *p;
        if (isDigit(c))
            continue;
        if (c == '.' && pointScale && !point) {
            point = true;
            continue;
        }
        if (isSuffix(c) && pointScale && !suffix) {
            suffix = true;
            continue;
        }
        return false;
    }
    return true;
}

void formatstring_and_getscale(char* text, int* scale)
{
    *scale = 1;
    size_t len = std::strlen(text);
    if (len == 0)
        return;
    int exponent = 0;
    switch (text[len - 1]) {
    case 'G': exponent = 9; break;
    case 'M': exponent = 6; break;
    case 'K':
    case 'k': exponent = 3; break;
    default: break;
    }
    if (exponent)
        text[--len] = '\0';
    char* point = std::strrchr(text, '.');
    if (point) {
        const int decimals = static_cast<int>(len - static_cast<size_t>(point - text) - 1);
        if (exponent - decimals < 0) {
            // Surplus decimals are dropped, never rounded.
            len -= static_cast<size_t>(decimals - exponent);
            text[len] = '\0';
            exponent = 0;
        } else {
            exponent -= decimals;
        }
        std::memmove(point, point + 1, std::strlen(point + 1) + 1);
    }
    int s = 1;
    for (int i = 0; i < exponent; ++i)
        s *= 10;
    *scale = s;
}

bool convert_string_to(const char* text, unsigned format, int* out) { return convertInteger(text, format, out); }

bool convert_string_to(const char* text, unsigned format, unsigned int* out)
{
    return convertInteger(text, format, out);
}

bool convert_string_to(const char* text, unsigned format, int* out, int min, int max)
{
    int v = 0;
    if (!convert_string_to(text, format, &v)) {
        *out = 0;
        return false;
    }
    if (v > max) {
        *out = max;
        return false;
    }
    if (v < min) {
        *out = min;
        return false;
    }
    *out = v;
    return true;
}

bool convert_string_to(const char* text, unsigned format, short* out) { return convertBounded(text, format, out); }

bool convert_string_to(const char* text, unsigned format, unsigned short* out)
{
    return convertBounded(text, format, out);
}

bool convert_string_to(const char* text, unsigned format, signed char* out)
{
    return convertBounded(text, format, out);
}

bool convert_string_to(const char* text, unsigned format, unsigned char* out)
{
    return convertBounded(text, format, out);
}

bool convert_string_to(const char* text, unsigned format, double* out)
{
    (void)format;
    *out = 0;
    if (!text || text[0] == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    *out = v;
    if (end == text || *end != '\0')
        return false;
    return !(errno == ERANGE && std::isinf(v));
}

bool convert_string_to(const char* text, unsigned format, float* out)
{
    double d = 0;
    const bool ok = convert_string_to(text, format, &d);
    *out = static_cast<float>(d);
    return ok && !(std::isfinite(d) && std::fabs(d) > FLT_MAX);
}

bool convert_string_to(const char* text, unsigned format, bool* out)
{
    int v = 0;
    if (convert_string_to(text, format, &v)) {
        *out = v != 0;
        return true;
    }
    *out = false;
    if (!text)
        return false;
    if (std::strcmp(text, "ON") == 0) {
        *out = true;
        return true;
    }
    return std::strcmp(text, "OFF") == 0;
}

bool convert_string_to(const char* text, unsigned format, std::string* out)
{
    (void)format;
    if (!text)
        return false;
    *out = text;
    return true;
}

bool convert_string_to(const char* text, unsigned format, std::vector<int>* out)
{
    return convertPlainList(text, format, out);
}
bool convert_string_to(const char* text, unsigned format, std::vector<unsigned int>* out)
{
    return convertPlainList(text, format, out);
}
bool convert_string_to(const char* text, unsigned format, std::vector<short>* out)
{
    return convertPlainList(text, format, out);
}
bool convert_string_to(const char* text, unsigned format, std::vector<signed char>* out)
{
    return convertPlainList(text, format, out);
}
bool convert_string_to(const char* text, unsigned format, std::vector<float>* out)
{
    return convertPlainList(text, format, out);
}
bool convert_string_to(const char* text, unsigned format, std::vector<double>* out)
{
    return convertPlainList(text, format, out);
}
bool convert_string_to(const char* text, unsigned format, std::vector<bool>* out)
{
    return convertPlainList(text, format, out);
}

bool convert_string_to(const char* text, unsigned format, std::vector<unsigned char>* out)
{
    return convertList("convert_string_to", text, out,
                       [format](const char* item, std::vector<unsigned char>* items) {
                           if (hasHexPrefix(item)) {
                               uint32_t v = 0;
                               const unsigned n = hexItemUnits(item, format, 2, &v);
                               if (n == 0)
                                   return false;
                               for (unsigned i = 0; i < n; ++i)
                                   items->push_back(static_cast<unsigned char>(v >> (8 * i)));
                               return true;
                           }
                           unsigned char b = 0;
                           if (!convert_string_to(item, format, &b))
                               return false;
                           items->push_back(b);
                           return true;
                       });
}

bool convert_string_to(const char* text, unsigned format, std::vector<unsigned short>* out)
{
    return convertList("split_and_convert_uint16", text, out,
                       [format](const char* item, std::vector<unsigned short>* items) {
                           if (hasHexPrefix(item)) {
                               uint32_t v = 0;
                               const unsigned n = hexItemUnits(item, format, 4, &v);
                               if (n == 0)
                                   return false;
                               if (n == 2)
                                   items->push_back(static_cast<unsigned short>(v >> 16));
                               items->push_back(static_cast<unsigned short>(v & 0xFFFF));
                               return true;
                           }
                           unsigned short w = 0;
                           if (!convert_string_to(item, format, &w))
                               return false;
                           items->push_back(w);
                           return true;
                       });
}

void convert_to_string(long long value, unsigned format, std::string* out)
{
    appendf(out, (format & FORMAT_DEC) ? "%lld" : "0x%llX", value);
}

void convert_to_string(unsigned long long value, unsigned format, std::string* out)
{
    appendf(out, (format & FORMAT_DEC) ? "%llu" : "0x%llX", value);
}

void convert_to_string(int value, unsigned format, std::string* out)
{
    if (format & FORMAT_DEC)
        appendf(out, "%d", value);
    else
        appendf(out, "0x%08X", static_cast<unsigned>(value));
}

void convert_to_string(unsigned int value, unsigned format, std::string* out)
{
    appendf(out, (format & FORMAT_DEC) ? "%u" : "0X%08X", value);
}

void convert_to_string(short value, unsigned format, std::string* out)
{
    if (format & FORMAT_DEC)
        appendf(out, "%i", static_cast<int>(value));
    else
        appendf(out, "0X%04X", static_cast<unsigned>(static_cast<int>(value)));
}

void convert_to_string(unsigned short value, unsigned format, std::string* out)
{
    appendf(out, (format & FORMAT_DEC) ? "%u" : "0X%04X", static_cast<unsigned>(value));
}

void convert_to_string(signed char value, unsigned format, std::string* out)
{
    if (format & FORMAT_DEC)
        appendf(out, "%i", static_cast<int>(value));
    else
        appendf(out, "0X%02X", static_cast<unsigned>(static_cast<int>(value)));
}

void convert_to_string(unsigned char value, unsigned format, std::string* out)
{
    appendf(out, (format & FORMAT_DEC) ? "%u" : "0X%02X", static_cast<unsigned>(value));
}

void convert_to_string(float value, unsigned format, std::string* out)
{
    convert_to_string(static_cast<double>(value), format, out);
}

void convert_to_string(double value, unsigned format, std::string* out)
{
    (void)format;
    appendf(out, "%.4G", value);
}

void convert_to_string(bool value, unsigned format, std::string* out)
{
    (void)format;
    out->append(value ? "ON" : "OFF");
}

void convert_to_string(std::string value, unsigned format, std::string* out)
{
    (void)format;
    out->append(value);
}

void convert_to_string_cientific_format(float value, unsigned format, std::string* out)
{
    (void)format;
    if (value == 0.0f)
        appendf(out, "%.4G", static_cast<double>(value));
    else
        appendf(out, "%.03E", static_cast<double>(value));
}

void convert_to_string(const std::vector<int>& values, unsigned format, std::string* out)
{
    printItems(values, format, out);
}
void convert_to_string(const std::vector<unsigned int>& values, unsigned format, std::string* out)
{
    printItems(values, format, out);
}
void convert_to_string(const std::vector<short>& values, unsigned format, std::string* out)
{
    printItems(values, format, out);
}
void convert_to_string(const std::vector<signed char>& values, unsigned format, std::string* out)
{
    printItems(values, format, out);
}

void convert_to_string(const std::vector<unsigned short>& values, unsigned format, std::string* out)
{
    if ((format & FORMAT_HEX) && (format & FORMAT_GROUP_32))
        printItems(packLittleEndian<unsigned int>(values, 2), format, out);
    else
        printItems(values, format, out);
}

void convert_to_string(const std::vector<unsigned char>& values, unsigned format, std::string* out)
{
    if ((format & FORMAT_HEX) && (format & FORMAT_GROUP_32))
        printItems(packLittleEndian<unsigned int>(values, 4), format, out);
    else if ((format & FORMAT_HEX) && (format & FORMAT_GROUP_16))
        printItems(packLittleEndian<unsigned short>(values, 2), format, out);
    else
        printItems(values, format, out);
}

void convert_to_string(const int* values, unsigned count, unsigned format, std::string* out)
{
    printItems(values, count, format, out);
}
void convert_to_string(const unsigned int* values, unsigned count, unsigned format, std::string* out)
{
    printItems(values, count, format, out);
}
void convert_to_string(const short* values, unsigned count, unsigned format, std::string* out)
{
    printItems(values, count, format, out);
}
void convert_to_string(const signed char* values, unsigned count, unsigned format, std::string* out)
{
    printItems(values, count, format, out);
}
void convert_to_string(const float* values, unsigned count, unsigned format, std::string* out)
{
    printItems(values, count, format, out);
}
void convert_to_string(const double* values, unsigned count, unsigned format, std::string* out)
{
    printItems(values, count, format, out);
}
void convert_to_string(const bool* values, unsigned count, unsigned format, std::string* out)
{
    printItems(values, count, format, out);
}

void convert_to_string(const unsigned short* values, unsigned count, unsigned format, std::string* out)
{
    if (values)
        convert_to_string(std::vector<unsigned short>(values, values + count), format, out);
}

void convert_to_string(const unsigned char* values, unsigned count, unsigned format, std::string* out)
{
    if (values)
        convert_to_string(std::vector<unsigned char>(values, values + count), format, out);
}

} // namespace tokens
