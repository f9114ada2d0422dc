// Number formats: which texts convert under which flags, the values at the limits, what
// malformed input gets, and the exact printed forms.
#include "remote/tokensconvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tokens;

namespace {

template <typename T>
std::pair<bool, T> conv(const char* text, unsigned format)
{
    T v{};
    const bool ok = convert_string_to(text, format, &v);
    return {ok, v};
}

template <typename T>
std::string print(T value, unsigned format)
{
    std::string out = "<";
    convert_to_string(value, format, &out);
    return out;
}

std::string scaled(const char* text, int* scale)
{
    char buf[40];
    std::strcpy(buf, text);
    formatstring_and_getscale(buf, scale);
    return buf;
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
}

TEST(NumberFormats, ScaleStepTruncatesSurplusDecimals)
{
    const struct {
        const char* text;
        const char* digits;
        int scale;
    } cases[] = {
        {"1.5M", "15", 100000}, {"1.2345K", "1234", 1}, {"2.5", "2", 1},        {"12.", "12", 1},
        {"7G", "7", 1000000000}, {"474.25M", "47425", 10000}, {"3k", "3", 1000}, {"", "", 1},
    };
    for (const auto& c : cases) {
        int scale = 0;
        EXPECT_EQ(scaled(c.text, &scale), c.digits) << c.text;
        EXPECT_EQ(scale, c.scale) << c.text;
    }
}

TEST(NumberFormats, IntegersConvertWithinTheirRangeOnly)
{
    EXPECT_EQ(conv<unsigned>("474.25M", 17), std::make_pair(true, 474250000u));
    EXPECT_EQ(conv<unsigned>("1.5M", 17), std::make_pair(true, 1500000u));
    EXPECT_FALSE(conv<unsigned>("1.5M", 3).first);
    EXPECT_EQ(conv<int>("1.2345K", 17), std::make_pair(true, 1234));
    EXPECT_EQ(conv<int>("2.5", 17), std::make_pair(true, 2));
    EXPECT_EQ(conv<int>("-1.5K", 17), std::make_pair(true, -1500));
    EXPECT_EQ(conv<int>("+70", 3), std::make_pair(true, 70));
    EXPECT_FALSE(conv<int>("1.5x", 17).first);
    // The suffix passes the spelling check anywhere but scales only at the end.
    EXPECT_EQ(conv<int>("1K5", 17), std::make_pair(false, 1));
    EXPECT_EQ(conv<int>("+", 3), std::make_pair(false, 0));
    EXPECT_EQ(conv<unsigned>("-5", 3), std::make_pair(false, 0u));

    EXPECT_EQ(conv<int>("0x", 3), std::make_pair(true, 0));
    EXPECT_EQ(conv<int>("0x1F", 2), std::make_pair(true, 31));
    EXPECT_FALSE(conv<int>("0x1F", 1).first);
    EXPECT_EQ(conv<unsigned>("0xFFFFFFFF", 3), std::make_pair(true, 4294967295u));
    EXPECT_EQ(conv<int>("0x7FFFFFFF", 3), std::make_pair(true, 2147483647));

    EXPECT_EQ(conv<unsigned>("4294967295", 3), std::make_pair(true, 4294967295u));
    EXPECT_EQ(conv<int>("2147483647", 3), std::make_pair(true, 2147483647));
    EXPECT_EQ(conv<int>("-2147483648", 3), std::make_pair(true, -2147483647 - 1));
    EXPECT_EQ(conv<unsigned>("4.294967295G", 17), std::make_pair(true, 4294967295u));
}

TEST(NumberFormats, OverflowLongTextsAndTextsWithoutDigitsFail)
{
    // Beyond the range: the limit, and failure.
    EXPECT_EQ(conv<unsigned>("4294967296", 3), std::make_pair(false, 4294967295u));
    EXPECT_EQ(conv<int>("2147483648", 3), std::make_pair(false, 2147483647));
    EXPECT_EQ(conv<int>("-2147483649", 3), std::make_pair(false, -2147483647 - 1));
    EXPECT_EQ(conv<unsigned>("99999999999999999999999", 3), std::make_pair(false, 4294967295u));
    EXPECT_EQ(conv<unsigned>("0x100000000", 3), std::make_pair(false, 4294967295u));
    EXPECT_EQ(conv<int>("0x80000000", 3), std::make_pair(false, 2147483647));
    EXPECT_EQ(conv<unsigned>("5G", 17), std::make_pair(false, 4294967295u));
    EXPECT_EQ(conv<int>("3G", 17), std::make_pair(false, 2147483647));
    EXPECT_EQ(conv<int>("-3G", 17), std::make_pair(false, -2147483647 - 1));
    // 32 characters are read, a 33rd makes the text fail instead of being cut off.
    const std::string zeros32 = std::string(31, '0') + "7";
    EXPECT_EQ(conv<int>(zeros32.c_str(), 3), std::make_pair(true, 7));
    EXPECT_EQ(conv<int>((zeros32 + "1").c_str(), 3), std::make_pair(false, 0));
    EXPECT_FALSE(conv<unsigned>(std::string(40, '1').c_str(), 3).first);
    EXPECT_FALSE(conv<int>(("0x" + std::string(31, '0')).c_str(), 3).first);
    // A point or a point and a suffix hold no digit.
    EXPECT_EQ(conv<int>(".", 17), std::make_pair(false, 0));
    EXPECT_EQ(conv<unsigned>(".K", 17), std::make_pair(false, 0u));
    EXPECT_FALSE(conv<int>("-.M", 17).first);
    EXPECT_FALSE(conv<int>(".", 3).first);
    // Digits that all fall behind the point still make a number.
    EXPECT_EQ(conv<int>(".5", 17), std::make_pair(true, 0));
    EXPECT_EQ(conv<int>(".5K", 17), std::make_pair(true, 500));
    EXPECT_FALSE(conv<int>(nullptr, 3).first);
}

TEST(NumberFormats, NarrowTargetsAreBoundedConversions)
{
    int v = 9;
    EXPECT_TRUE(convert_string_to("70", 3, &v, 0, 70));
    EXPECT_EQ(v, 70);
    EXPECT_FALSE(convert_string_to("71", 3, &v, 0, 70));
    EXPECT_EQ(v, 70);
    EXPECT_FALSE(convert_string_to("-1", 3, &v, 0, 70));
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(convert_string_to("x", 3, &v, 5, 70));
    EXPECT_EQ(v, 0);

    EXPECT_EQ(conv<short>("-32768", 3), std::make_pair(true, short(-32768)));
    EXPECT_EQ(conv<short>("32768", 3), std::make_pair(false, short(32767)));
    EXPECT_EQ(conv<unsigned short>("65535", 3), std::make_pair(true, static_cast<unsigned short>(65535)));
    EXPECT_EQ(conv<unsigned short>("-1", 3), std::make_pair(false, static_cast<unsigned short>(0)));
    EXPECT_EQ(conv<signed char>("-129", 3), std::make_pair(false, static_cast<signed char>(-128)));
    EXPECT_EQ(conv<unsigned char>("0xFF", 3), std::make_pair(true, static_cast<unsigned char>(255)));
    EXPECT_EQ(conv<unsigned char>("256", 3), std::make_pair(false, static_cast<unsigned char>(255)));
    EXPECT_EQ(conv<unsigned char>("-5", 3), std::make_pair(false, static_cast<unsigned char>(0)));
}

TEST(NumberFormats, FloatingPointTruthAndText)
{
    EXPECT_EQ(conv<double>(" -1.5e3", 0), std::make_pair(true, -1500.0));
    EXPECT_EQ(conv<double>("1.5x", 0), std::make_pair(false, 1.5));
    EXPECT_FALSE(conv<double>("", 3).first);
    EXPECT_FALSE(conv<double>("  ", 3).first);
    EXPECT_FALSE(conv<double>("1e999", 3).first);
    EXPECT_EQ(conv<float>("0.25", 3), std::make_pair(true, 0.25f));
    EXPECT_FALSE(conv<float>("1e39", 3).first);

    EXPECT_EQ(conv<bool>("1", 3), std::make_pair(true, true));
    EXPECT_EQ(conv<bool>("0x10", 3), std::make_pair(true, true));
    EXPECT_EQ(conv<bool>("ON", 3), std::make_pair(true, true));
    EXPECT_EQ(conv<bool>("0", 3), std::make_pair(true, false));
    EXPECT_EQ(conv<bool>("OFF", 3), std::make_pair(true, false));
    EXPECT_FALSE(conv<bool>("on", 3).first);
    EXPECT_FALSE(conv<bool>("Off", 3).first);
    EXPECT_FALSE(conv<bool>("yes", 3).first);
    EXPECT_FALSE(conv<bool>(".", 17).first);

    std::string s = "old";
    EXPECT_TRUE(convert_string_to("CABLE_RF", 3, &s));
    EXPECT_EQ(s, "CABLE_RF");
}

TEST(NumberFormats, ListsSplitOnCommasAndSpaces)
{
    std::vector<int> v{9};
    EXPECT_TRUE(convert_string_to("1,2,3", 3, &v));
    EXPECT_EQ(v, (std::vector<int>{9, 1, 2, 3}));
    v.clear();
    EXPECT_TRUE(convert_string_to(" 1 2  3", 3, &v));
    EXPECT_TRUE(convert_string_to("1, 2 ,3", 3, &v));
    EXPECT_TRUE(convert_string_to("4,", 3, &v));
    EXPECT_EQ(v, (std::vector<int>{1, 2, 3, 1, 2, 3, 4}));
    for (const char* bad : {",1", "1,,2", "", "   ", "1,x", "1,99999999999"}) {
        v = {5};
        EXPECT_FALSE(convert_string_to(bad, 3, &v)) << bad;
        EXPECT_TRUE(v.empty()) << bad;
    }
    // An item longer than a number text fails the list.
    v.clear();
    EXPECT_FALSE(convert_string_to(("1," + std::string(33, '0')).c_str(), 3, &v));

    std::vector<double> d;
    EXPECT_TRUE(convert_string_to("1.5, -2", 0, &d));
    EXPECT_EQ(d, (std::vector<double>{1.5, -2.0}));
    std::vector<bool> b;
    EXPECT_TRUE(convert_string_to("ON,0,1", 3, &b));
    EXPECT_EQ(b, (std::vector<bool>{true, false, true}));
}

TEST(NumberFormats, HexadecimalListItemsAreCutIntoBytesAndWords)
{
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(convert_string_to("0x1234,5", 3, &bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0x34, 0x12, 5}));
    bytes.clear();
    EXPECT_TRUE(convert_string_to("0x123 0xFFFFFFFF", 3, &bytes));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0x23, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_FALSE(convert_string_to("0x123456789", 3, &bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(convert_string_to("0x12", 1, &bytes));
    EXPECT_FALSE(convert_string_to("0x", 3, &bytes));
    EXPECT_FALSE(convert_string_to("256", 3, &bytes));

    std::vector<unsigned short> words;
    EXPECT_TRUE(convert_string_to("0x12345,0xAB,7", 3, &words));
    EXPECT_EQ(words, (std::vector<unsigned short>{0x0001, 0x2345, 0x00AB, 7}));
    EXPECT_FALSE(convert_string_to("0x123456789", 3, &words));
    EXPECT_FALSE(convert_string_to("65536", 3, &words));
}

TEST(NumberFormats, PrintsNumbersInTheFixedForms)
{
    EXPECT_EQ(print(255, 1), "<255");
    EXPECT_EQ(print(255, 0), "<0x000000FF");
    EXPECT_EQ(print(-1, 0), "<0xFFFFFFFF");
    EXPECT_EQ(print(255u, 0), "<0X000000FF");
    EXPECT_EQ(print(4294967295u, 1), "<4294967295");
    EXPECT_EQ(print(-5LL, 1), "<-5");
    EXPECT_EQ(print(255LL, 0), "<0xFF");
    EXPECT_EQ(print(18446744073709551615ULL, 1), "<18446744073709551615");
    EXPECT_EQ(print(static_cast<short>(-2), 0), "<0XFFFFFFFE");
    EXPECT_EQ(print(static_cast<short>(-2), 1), "<-2");
    EXPECT_EQ(print(static_cast<unsigned short>(65535), 0), "<0XFFFF");
    EXPECT_EQ(print(static_cast<signed char>(-1), 0), "<0XFFFFFFFF");
    EXPECT_EQ(print(static_cast<unsigned char>(10), 0), "<0X0A");
    EXPECT_EQ(print(static_cast<unsigned char>(10), 3), "<10");
    EXPECT_EQ(print(3.14159, 1), "<3.142");
    EXPECT_EQ(print(100000.0, 1), "<1E+05");
    EXPECT_EQ(print(0.5f, 0), "<0.5");
    EXPECT_EQ(print(true, 0), "<ON");
    EXPECT_EQ(print(false, 1), "<OFF");
    EXPECT_EQ(print(std::string("ATT=7"), 0), "<ATT=7");

    std::string e;
    convert_to_string_cientific_format(1500.0f, 0, &e);
    e += "|";
    convert_to_string_cientific_format(0.0f, 0, &e);
    e += "|";
    convert_to_string_cientific_format(-0.00125f, 0, &e);
    EXPECT_EQ(e, "1.500E+03|0|-1.250E-03");
}

TEST(NumberFormats, PrintsListsWithOptionalGrouping)
{
    const std::vector<unsigned char> bytes{1, 2, 3, 4, 5};
    std::string out;
    convert_to_string(bytes, 0x402, &out);
    EXPECT_EQ(out, "0X04030201,0X00000005");
    out.clear();
    convert_to_string(bytes, 0x203, &out);
    EXPECT_EQ(out, "513,1027,5");
    out.clear();
    convert_to_string(bytes, 0x201, &out); // grouping needs flag 2
    EXPECT_EQ(out, "1,2,3,4,5");
    out.clear();
    convert_to_string(bytes.data(), 4, 0x403, &out);
    EXPECT_EQ(out, "67305985");

    const std::vector<unsigned short> words{0x2345, 0x0001, 0x00FF};
    out.clear();
    convert_to_string(words, 0x402, &out);
    EXPECT_EQ(out, "0X00012345,0X000000FF");
    out.clear();
    convert_to_string(words.data(), 2, 1, &out);
    EXPECT_EQ(out, "9029,1");

    out = "X=";
    const int ints[] = {-1, 0, 7};
    convert_to_string(ints, 3, 1, &out);
    EXPECT_EQ(out, "X=-1,0,7");
    out.clear();
    convert_to_string(std::vector<int>{}, 1, &out);
    convert_to_string(ints, 0, 1, &out);
    EXPECT_EQ(out, "");
    const double ds[] = {0.5, 2.0};
    convert_to_string(ds, 2, 0, &out);
    EXPECT_EQ(out, "0.5,2");
    out.clear();
    const bool bs[] = {true, false};
    convert_to_string(bs, 2, 0, &out);
    EXPECT_EQ(out, "ON,OFF");
}
