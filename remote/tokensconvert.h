// Number formats of the remote protocol: which written forms a parameter text may take
// (decimal, "0x" hexadecimal, a decimal point with a K/k/M/G scale) and how numbers,
// truth values and lists are printed into reply texts. Plain computation, no state.
#pragma once

#include <string>
#include <vector>

namespace tokens {

// Format flags. Commands use 3 (decimal or hexadecimal) and 17 (decimal with point and suffix).
enum : unsigned {
    FORMAT_DEC = 1,
    FORMAT_HEX = 2,
    FORMAT_POINT_SCALE = 16,
    FORMAT_GROUP_16 = 0x200,
    FORMAT_GROUP_32 = 0x400,
};

// The longest number text that is converted; longer texts fail.
constexpr unsigned MAX_NUMBER_TEXT = 32;

namespace format {
enum Signed {
    SIGN_ANY = 0,      // '+' or '-' may lead
    SIGN_PLUS_ONLY = 1 // only '+' may lead
};
} // namespace format

bool check_format_integer(const char* text, unsigned format, format::Signed sign);
void formatstring_and_getscale(char* text, int* scale);

bool convert_string_to(const char* text, unsigned format, int* out);
bool convert_string_to(const char* text, unsigned format, unsigned int* out);
bool convert_string_to(const char* text, unsigned format, int* out, int min, int max);
bool convert_string_to(const char* text, unsigned format, short* out);
bool convert_string_to(const char* text, unsigned format, unsigned short* out);
bool convert_string_to(const char* text, unsigned format, signed char* out);
bool convert_string_to(const char* text, unsigned format, unsigned char* out);
bool convert_string_to(const char* text, unsigned format, double* out);
bool convert_string_to(const char* text, unsigned format, float* out);
bool convert_string_to(const char* text, unsigned format, bool* out);
bool convert_string_to(const char* text, unsigned format, std::string* out);

bool convert_string_to(const char* text, unsigned format, std::vector<int>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<unsigned int>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<short>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<unsigned short>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<signed char>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<unsigned char>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<float>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<double>* out);
bool convert_string_to(const char* text, unsigned format, std::vector<bool>* out);

// Texts held in std::string convert as their C string.
template <typename T>
bool convert_string_to(const std::string& text, unsigned format, T* out)
{
    return convert_string_to(text.c_str(), format, out);
}

// Printing appends to out.
void convert_to_string(long long value, unsigned format, std::string* out);
void convert_to_string(unsigned long long value, unsigned format, std::string* out);
void convert_to_string(int value, unsigned format, std::string* out);
void convert_to_string(unsigned int value, unsigned format, std::string* out);
void convert_to_string(short value, unsigned format, std::string* out);
void convert_to_string(unsigned short value, unsigned format, std::string* out);
void convert_to_string(signed char value, unsigned format, std::string* out);
void convert_to_string(unsigned char value, unsigned format, std::string* out);
void convert_to_string(float value, unsigned format, std::string* out);
void convert_to_string(double value, unsigned format, std::string* out);
void convert_to_string(bool value, unsigned format, std::string* out);
void convert_to_string(std::string value, unsigned format, std::string* out);
void convert_to_string_cientific_format(float value, unsigned format, std::string* out);

void convert_to_string(const std::vector<int>& values, unsigned format, std::string* out);
void convert_to_string(const std::vector<unsigned int>& values, unsigned format, std::string* out);
void convert_to_string(const std::vector<short>& values, unsigned format, std::string* out);
void convert_to_string(const std::vector<unsigned short>& values, unsigned format, std::string* out);
void convert_to_string(const std::vector<signed char>& values, unsigned format, std::string* out);
void convert_to_string(const std::vector<unsigned char>& values, unsigned format, std::string* out);

void convert_to_string(const int* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const unsigned int* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const short* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const unsigned short* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const signed char* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const unsigned char* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const float* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const double* values, unsigned count, unsigned format, std::string* out);
void convert_to_string(const bool* values, unsigned count, unsigned format, std::string* out);

} // namespace tokens
