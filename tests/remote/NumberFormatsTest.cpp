// Number formats: which texts convert under which flags, the values at the limits, what
// malformed input gets, and the exact printed forms.
#include "remote/tokensconvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tokens;

namespace {

// What a text gives as an integer type: whether it converts, and the value left behind.
template <typename T>
std::pair<bool, long long> as(const std::string& text, unsigned format)
{
    T v{};
    const bool ok = convert_string_to(text.c_str(), format, &v);
    return {ok, static_cast<long long>(v)};
}

template <typename... A>
std::string printed(const A&... args)
{
    std::string out;
    convert_to_string(args..., &out);
    return out;
}

} // namespace

TEST(NumberFormats, CheckSpellingAgainstTheFlags)
{
    using format::SIGN_ANY;
    using format::SIGN_PLUS_ONLY;
    const struct { const char* text; unsigned flags; format::Signed sign; bool valid; } rows[] = {
        {nullptr, 3, SIGN_ANY, false}, {"", 3, SIGN_ANY, false},     {"0x", 2, SIGN_ANY, true},
        {"0XaF09", 2, SIGN_ANY, true}, {"0x1G", 3, SIGN_ANY, false}, {"0x1F", 1, SIGN_ANY, false},
        {"12", 2, SIGN_ANY, false},    {"+", 1, SIGN_PLUS_ONLY, true}, {"-5", 1, SIGN_ANY, true},
        {"-5", 1, SIGN_PLUS_ONLY, false}, {"1.5", 3, SIGN_ANY, false}, {"1.5M", 17, SIGN_ANY, true},
        {".5", 17, SIGN_ANY, true},    {"1.2.3", 17, SIGN_ANY, false}, {"1KM", 17, SIGN_ANY, false},
        {"1K5", 17, SIGN_ANY, true},   {"1m", 17, SIGN_ANY, false},   {"1g", 17, SIGN_ANY, false},
        {"K", 17, SIGN_ANY, false},    {"1 ", 17, SIGN_ANY, false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(check_format_integer(r.text, r.flags, r.sign), r.valid) << (r.text ? r.text : "null") << r.flags;

    // The scale step truncates surplus decimals.
    const struct { const char* text; const char* digits; int scale; } scaled[] = {
        {"1.5M", "15", 100000}, {"1.2345K", "1234", 1}, {"2.5", "2", 1}, {"12.", "12", 1},
        {"7G", "7", 1000000000}, {"3k", "3", 1000},      {"", "", 1},
    };
    for (const auto& c : scaled) {
        char buf[40];
        std::strcpy(buf, c.text);
        int scale = 0;
        formatstring_and_getscale(buf, &scale);
        EXPECT_EQ(std::make_pair(std::string(buf), scale), std::make_pair(std::string(c.digits), c.scale)) << c.text;
    }
}

TEST(NumberFormats, IntegersConvertWithinTheirRangeOnly)
{
    using Convert = std::pair<bool, long long> (*)(const std::string&, unsigned);
    const Convert i = as<int>, u = as<unsigned>, s = as<short>, us = as<unsigned short>, sc = as<signed char>,
                  uc = as<unsigned char>, b = as<bool>;
    // The caller's own bounds, 0 (or 5) to 70.
    const Convert to70 = [](const std::string& text, unsigned format) {
        int v = 9;
        return std::pair<bool, long long>(convert_string_to(text.c_str(), format, &v, 0, 70), v);
    };
    const Convert from5 = [](const std::string& text, unsigned format) {
        int v = 9;
        return std::pair<bool, long long>(convert_string_to(text.c_str(), format, &v, 5, 70), v);
    };
    constexpr long long imax = 2147483647, imin = -imax - 1, umax = 4294967295;
    const std::string zeros32 = std::string(31, '0') + "7";
    const struct {
        Convert type;
        std::string text;
        unsigned format;
        bool ok;
        long long value;
    } rows[] = {
        // A suffix scales only at the end (it passes the spelling check anywhere).
        {u, "474.25M", 17, true, 474250000}, {u, "1.5M", 3, false, 0}, {i, "1.2345K", 17, true, 1234},
        {i, "-1.5K", 17, true, -1500}, {i, "+70", 3, true, 70}, {i, "1.5x", 17, false, 0}, {i, "1K5", 17, false, 1},
        {i, "+", 3, false, 0}, {u, "-5", 3, false, 0},
        {i, "0x", 3, true, 0}, {i, "0x1F", 2, true, 31}, {i, "0x1F", 1, false, 0}, {u, "0xFFFFFFFF", 3, true, umax},
        {i, "0x7FFFFFFF", 3, true, imax},
        // Beyond the range: the limit, and failure.
        {u, "0x100000000", 3, false, umax}, {i, "0x80000000", 3, false, imax},
        {u, "4294967295", 3, true, umax}, {i, "2147483647", 3, true, imax}, {i, "-2147483648", 3, true, imin},
        {u, "4.294967295G", 17, true, umax}, {u, "4294967296", 3, false, umax}, {i, "2147483648", 3, false, imax},
        {i, "-2147483649", 3, false, imin}, {u, "99999999999999999999999", 3, false, umax},
        {u, "5G", 17, false, umax}, {i, "3G", 17, false, imax}, {i, "-3G", 17, false, imin},
        // 32 characters are read, a 33rd makes the text fail instead of being cut off.
        {i, zeros32, 3, true, 7}, {i, zeros32 + "1", 3, false, 0}, {u, std::string(40, '1'), 3, false, 0},
        {i, "0x" + std::string(31, '0'), 3, false, 0},
        // A point or a point and a suffix hold no digit; digits all behind the point still count.
        {i, ".", 17, false, 0}, {u, ".K", 17, false, 0}, {i, "-.M", 17, false, 0}, {i, ".", 3, false, 0},
        {i, ".5", 17, true, 0}, {i, ".5K", 17, true, 500},
        // Narrow targets are bounded conversions.
        {s, "-32768", 3, true, -32768}, {s, "32768", 3, false, 32767}, {us, "65535", 3, true, 65535},
        {us, "-1", 3, false, 0}, {sc, "-129", 3, false, -128}, {uc, "0xFF", 3, true, 255},
        {uc, "256", 3, false, 255}, {uc, "-5", 3, false, 0}, {to70, "70", 3, true, 70}, {to70, "71", 3, false, 70},
        {to70, "-1", 3, false, 0}, {from5, "x", 3, false, 0},
        // Truth values: numbers, or ON and OFF in capitals.
        {b, "1", 3, true, 1}, {b, "0x10", 3, true, 1}, {b, "ON", 3, true, 1}, {b, "0", 3, true, 0},
        {b, "OFF", 3, true, 0}, {b, "on", 3, false, 0}, {b, "Off", 3, false, 0}, {b, "yes", 3, false, 0},
        {b, ".", 17, false, 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.type(r.text, r.format), std::make_pair(r.ok, r.value)) << r.text << " format " << r.format;
    int v = 9;
    EXPECT_FALSE(convert_string_to(nullptr, 3, &v));
}

TEST(NumberFormats, FloatingPointListsAndText)
{
    const auto real = [](const char* text) {
        double v = 0;
        const bool ok = convert_string_to(text, 3, &v);
        return std::make_pair(ok, v);
    };
    EXPECT_EQ(real(" -1.5e3"), std::make_pair(true, -1500.0));
    EXPECT_EQ(real("1.5x"), std::make_pair(false, 1.5));
    for (const char* bad : {"", "  ", "1e999"})
        EXPECT_FALSE(real(bad).first) << bad;
    float f = 0;
    EXPECT_TRUE(convert_string_to("0.25", 3, &f));
    EXPECT_EQ(f, 0.25f);
    EXPECT_FALSE(convert_string_to("1e39", 3, &f));
    std::string s = "old";
    EXPECT_TRUE(convert_string_to("CABLE_RF", 3, &s));
    EXPECT_EQ(s, "CABLE_RF");

    // Lists split on commas and spaces, and are appended to.
    std::vector<int> v{9};
    EXPECT_TRUE(convert_string_to("1,2,3", 3, &v));
    EXPECT_TRUE(convert_string_to(" 1 2  3", 3, &v));
    EXPECT_TRUE(convert_string_to("1, 2 ,3", 3, &v));
    EXPECT_TRUE(convert_string_to("4,", 3, &v));
    EXPECT_EQ(v, (std::vector<int>{9, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4}));
    // A bad item (or one longer than a number text) fails the list and empties it.
    const std::string tooLong = "1," + std::string(33, '0');
    for (const std::string& bad : std::vector<std::string>{",1", "1,,2", "", "   ", "1,x", "1,99999999999", tooLong}) {
        v = {5};
        EXPECT_FALSE(convert_string_to(bad, 3, &v)) << bad;
        EXPECT_TRUE(v.empty()) << bad;
    }
    std::vector<double> d;
    EXPECT_TRUE(convert_string_to("1.5, -2", 0, &d));
    EXPECT_EQ(d, (std::vector<double>{1.5, -2.0}));
    std::vector<bool> b;
    EXPECT_TRUE(convert_string_to("ON,0,1", 3, &b));
    EXPECT_EQ(b, (std::vector<bool>{true, false, true}));

    // Hexadecimal items are cut into bytes or words, lowest first.
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(convert_string_to("0x1234,5", 3, &bytes));
    EXPECT_TRUE(convert_string_to("0x123 0xFFFFFFFF", 3, &bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0x34, 0x12, 5, 0x23, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}));
    for (const auto& [bad, format] : {std::pair("0x123456789", 3u), {"0x12", 1u}, {"0x", 3u}, {"256", 3u}}) {
        EXPECT_FALSE(convert_string_to(bad, format, &bytes)) << bad;
        EXPECT_TRUE(bytes.empty()) << bad;
    }
    std::vector<unsigned short> words;
    EXPECT_TRUE(convert_string_to("0x12345,0xAB,7", 3, &words));
    EXPECT_EQ(words, (std::vector<unsigned short>{0x0001, 0x2345, 0x00AB, 7}));
    EXPECT_FALSE(convert_string_to("0x123456789", 3, &words));
    EXPECT_FALSE(convert_string_to("65536", 3, &words));
}

TEST(NumberFormats, PrintsNumbersAndListsInTheFixedForms)
{
    const std::vector<unsigned char> bytes{1, 2, 3, 4, 5};
    const std::vector<unsigned short> words{0x2345, 0x0001, 0x00FF};
    const int ints[] = {-1, 0, 7};
    const double reals[] = {0.5, 2.0};
    const bool truths[] = {true, false};
    const std::pair<std::string, const char*> rows[] = {
        {printed(255, 1), "255"}, {printed(255, 0), "0x000000FF"}, {printed(-1, 0), "0xFFFFFFFF"},
        {printed(255u, 0), "0X000000FF"}, {printed(4294967295u, 1), "4294967295"}, {printed(-5LL, 1), "-5"},
        {printed(255LL, 0), "0xFF"}, {printed(18446744073709551615ULL, 1), "18446744073709551615"},
        {printed(short(-2), 0), "0XFFFFFFFE"}, {printed(short(-2), 1), "-2"},
        {printed(static_cast<unsigned short>(65535), 0), "0XFFFF"}, {printed(static_cast<signed char>(-1), 0), "0XFFFFFFFF"},
        {printed(static_cast<unsigned char>(10), 0), "0X0A"}, {printed(static_cast<unsigned char>(10), 3), "10"},
        {printed(3.14159, 1), "3.142"}, {printed(100000.0, 1), "1E+05"}, {printed(0.5f, 0), "0.5"},
        {printed(true, 0), "ON"}, {printed(false, 1), "OFF"}, {printed(std::string("ATT=7"), 0), "ATT=7"},
        // Lists; grouping bytes or words into larger numbers needs flag 2.
        {printed(bytes, 0x402), "0X04030201,0X00000005"}, {printed(bytes, 0x203), "513,1027,5"},
        {printed(bytes, 0x201), "1,2,3,4,5"}, {printed(bytes.data(), 4, 0x403), "67305985"},
        {printed(words, 0x402), "0X00012345,0X000000FF"}, {printed(words.data(), 2, 1), "9029,1"},
        {printed(ints, 3, 1), "-1,0,7"}, {printed(std::vector<int>{}, 1), ""}, {printed(ints, 0, 1), ""},
        {printed(reals, 2, 0), "0.5,2"}, {printed(truths, 2, 0), "ON,OFF"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(text, expected);
    // Printing appends.
    std::string out = "X=";
    convert_to_string(ints, 3, 1, &out);
    convert_to_string_cientific_format(1500.0f, 0, &out);
    convert_to_string_cientific_format(0.0f, 0, &out);
    convert_to_string_cientific_format(-0.00125f, 0, &out);
    EXPECT_EQ(out, "X=-1,0,71.500E+030-1.250E-03");
}
