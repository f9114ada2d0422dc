// The driver library's error record, identity texts and adjustment-blob readers.
#include "common/KxlDrvLibError.h"
#include "demod/KxlDrvLibVersion.h"
#include "demod/read_pp.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(KxlDrvLibError, BuildersAndFirstErrorWins)
{
    KxlDrvLibError e{99, 7, "stale"};
    EXPECT_EQ(KxlDrvLib_error_ok(&e), &e);
    EXPECT_EQ(std::make_tuple(e.code, e.argument, e.text), std::make_tuple(0u, 0u, nullptr));

    KxlDrvLib_error_set(&e, KxlDrvLib_code_i2c, 1, "first");
    KxlDrvLib_error_set(&e, KxlDrvLib_code_range, 0, "second");
    KxlDrvLibError later{KxlDrvLib_code_null, 3, "third"};
    KxlDrvLib_error_keep_first(&e, &later);
    EXPECT_EQ(std::make_tuple(e.code, e.argument), std::make_tuple(20u, 1u));
    EXPECT_STREQ(e.text, "first");
    EXPECT_FALSE(KxlDrvLib_error_is_ok(&e));

    KxlDrvLib_error_fail(&e);
    EXPECT_EQ(std::make_tuple(e.code, e.text), std::make_tuple(1u, nullptr));

    // Null records are tolerated everywhere.
    EXPECT_EQ(KxlDrvLib_error_ok(nullptr), nullptr);
    EXPECT_EQ(KxlDrvLib_error_set(nullptr, 1, 0, nullptr), nullptr);
    EXPECT_TRUE(KxlDrvLib_error_is_ok(nullptr));
}

TEST(ReadPp, FieldsAreLittleEndianAndUnaligned)
{
    // One odd byte first, so every later field sits unaligned.
    const uint8_t blob[] = {0x5B, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x27, 0x00, 0x00};
    bool flag = true;
    uint8_t b = 0;
    const uint8_t* p = READ_PP_load_byte(&b, 0, 255, blob, &flag);
    EXPECT_EQ(b, 0x5B);
    EXPECT_FALSE(flag);
    int16_t s = 0;
    p = READ_PP_load_sword(&s, -100, 100, p, &flag);
    EXPECT_EQ(s, -2);
    uint32_t d = 0;
    p = READ_PP_load_dword(&d, 0, 0xFFFFFFFFu, p, &flag);
    EXPECT_EQ(d, 0x12345678u);
    int32_t i = 0;
    p = READ_PP_load_int(&i, 0, 10, p, &flag);
    EXPECT_EQ(i, 0); // -1 below the minimum
    EXPECT_TRUE(flag);
    float f = 0;
    p = READ_PP_load_float(&f, 100, p, &flag, -1000.0f, 1000.0f);
    EXPECT_FLOAT_EQ(f, 100.0f);
    EXPECT_FALSE(flag);
    EXPECT_EQ(p, blob + sizeof blob);
}

TEST(ReadPp, FloatLimitsAndBadDivisor)
{
    const uint8_t big[] = {0x40, 0x42, 0x0F, 0x00}; // 1000000
    float f = 0;
    bool flag = false;
    READ_PP_load_float(&f, 1000, big, &flag, 0.0f, 500.0f);
    EXPECT_EQ(std::make_tuple(f, flag), std::make_tuple(500.0f, true));
    const uint8_t negative[] = {0x9C, 0xFF, 0xFF, 0xFF}; // -100
    READ_PP_load_float(&f, 10, negative, &flag, -5.0f, 5.0f);
    EXPECT_EQ(std::make_tuple(f, flag), std::make_tuple(-5.0f, true));
    flag = false;
    EXPECT_EQ(READ_PP_load_float(&f, 0, negative, &flag, -5.0f, 5.0f), negative + 4) << "a divisor of 0";
    EXPECT_EQ(std::make_tuple(f, flag), std::make_tuple(-5.0f, true));

    // Words at and past their limits; with the limits crossed the minimum has the last word.
    for (const auto& [lo, hi, expected, clamped] : {std::tuple<uint8_t, uint8_t, uint16_t, bool>{0xF4, 0x01, 500, false},
                                                    {0xE8, 0x03, 500, true}, {0x00, 0x00, 1, true}}) {
        const uint8_t word[] = {lo, hi};
        uint16_t v = 0;
        flag = !clamped;
        EXPECT_EQ(READ_PP_load_word(&v, 1, 500, word, &flag), word + 2);
        EXPECT_EQ(std::make_tuple(v, flag), std::make_tuple(expected, clamped)) << int(lo) << " " << int(hi);
    }
    const uint8_t fifty[] = {50};
    uint8_t v = 0;
    READ_PP_load_byte(&v, 60, 40, fifty, &flag);
    EXPECT_EQ(std::make_tuple(v, flag), std::make_tuple(60, true));
}
