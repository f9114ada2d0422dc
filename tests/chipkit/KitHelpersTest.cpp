// The kit's fixed-point logarithms and bit helpers, its stopwatch on the virtual clock, the
// masked register write, the register functions over raw transfers and the I2C log.
#include "DemodBench.h"
#include "SimBoardFixture.h"
#include "chipkit/kit_i2c.h"
#include "chipkit/kit_math.h"
#include "chipkit/kit_stopwatch_port.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

using namespace kittest;

TEST(KitMath, LogarithmsAtTheirReferenceValuesTwosComplementAndBitSplit)
{
    const struct {
        int32_t (*fn)(uint32_t);
        uint32_t x;
        int32_t expected;
    } cases[] = {
        {kit_math_log2, 0, 0},     {kit_math_log2, 1, 0},      {kit_math_log2, 2, 100},
        {kit_math_log2, 3, 158},   {kit_math_log2, 1000, 995}, {kit_math_log2, 0xFFFFFFFF, 3198},
        {kit_math_log10, 10, 100}, {kit_math_log10, 1000, 300}, {kit_math_log, 10, 231},
        {kit_math_log2, 33, 504},  // top bit 5: the fraction is the five bits below it
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.fn(c.x), c.expected) << c.x;
    // The fraction is truncated to 1/32: at most one step (100 log2(33/32) = 4.4) low.
    for (uint32_t x = 2; x < 100000; x = x * 3 / 2 + 1) {
        const double low = 100 * std::log2(x) - kit_math_log2(x);
        EXPECT_TRUE(low > -0.5 && low < 4.5) << x;
    }
    // Signed: a quantity below the logarithm comes out negative, not wrapped.
    EXPECT_EQ(100 - kit_math_log10(1000), -200);

    // Two's complement (only the low bits count) and bit splits.
    EXPECT_EQ((std::vector<int32_t>{kit_Convert2SComplement(0x800, 12), kit_Convert2SComplement(0x7FF, 12),
                                    kit_Convert2SComplement(0xF7FF, 12), kit_Convert2SComplement(0x1, 1),
                                    kit_Convert2SComplement(0x80000000u, 0), kit_Convert2SComplement(0x80000000u, 32)}),
              (std::vector<int32_t>{-2048, 0x7FF, 0x7FF, -1, INT32_MIN, INT32_MIN}));

    const uint8_t a[] = {0xA5, 0x3C, 0xFF, 0x01, 0x80};
    // Spanning five bytes; never past the array, never a bad length.
    const uint32_t splits[][4] = {{5, 0, 4, 0xA},           {5, 4, 8, 0x53},          {5, 7, 2, 0x2},
                                  {5, 0, 32, 0xA53CFF01u},  {5, 4, 32, 0x53CFF018u},  {5, 39, 1, 0},
                                  {5, 32, 1, 1},            {2, 12, 8, 0},            {2, 8, 8, 0x3C},
                                  {5, 0xFFFFFFF0u, 32, 0},  {5, 0, 0, 0},             {5, 0, 33, 0}};
    for (const auto& c : splits)
        EXPECT_EQ(kit_BitSplitFromByteArray(a, c[0], c[1], c[2]), c[3]) << c[1] << " " << c[2];
    EXPECT_EQ(kit_BitSplitFromByteArray(nullptr, 5, 0, 8), 0u);
}

TEST(KitStopwatch, WaitsTheWholeTimeOnTheVirtualClock)
{
    testsupport::ScopedBoard board;
    kit_stopwatch_t sw;
    ASSERT_EQ(kit_stopwatch_start(&sw), 0u);
    EXPECT_EQ(value(kit_stopwatch_elapsed, &sw), 0u);
    // Beyond 16 bits: 65536 and 70000 ms are waited in full, not as 0 and 4464.
    for (uint32_t wait : {0u, 20u, 65535u, 65536u, 70000u}) {
        const uint64_t before = board.clock().monotonicMs();
        EXPECT_EQ(kit_stopwatch_sleep(&sw, wait), 0u);
        EXPECT_EQ(board.clock().monotonicMs() - before, wait);
    }
    EXPECT_EQ(value(kit_stopwatch_elapsed, &sw), 20u + 65535u + 65536u + 70000u);
    EXPECT_EQ((std::vector<kit_result_t>{kit_stopwatch_start(nullptr), kit_stopwatch_sleep(nullptr, 5),
                                         kit_stopwatch_elapsed(&sw, nullptr)}),
              std::vector<kit_result_t>(3, 1));
}

TEST(KitI2c, SetRegisterBitsByMaskAndTheCommonRegisterFunctionsOverRawTransfers)
{
    FakeKitI2c f;
    kit_i2c_t* i2c = f.table();
    f.setReg(SLVT, 0, 0x40, 0xA5);
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD8, 0x40, 0xFF, 0x00), 0u);  // mask 0: nothing at all
    EXPECT_EQ(f.accesses(), 0);
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD8, 0x40, 0x0F, 0x3C), 0u);
    EXPECT_EQ(std::make_tuple(f.reg(SLVT, 0, 0x40), f.accesses()), std::make_tuple(0x8D, 2));  // read, then write
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD8, 0x40, 0x12, 0xFF), 0u);
    EXPECT_EQ(std::make_tuple(f.reg(SLVT, 0, 0x40), f.accesses()), std::make_tuple(0x12, 3));  // whole byte: no read
    // A failed read writes no guess; any slot failure is the kit's I2C result.
    f.failAccess(1);
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD8, 0x40, 0x00, 0x01), 2u);
    EXPECT_EQ(f.writes().size(), 2u);
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD0, 0x40, 0x00, 0xFF), 2u);  // nobody at 0xD0
    EXPECT_EQ(kit_i2c_SetRegisterBits(nullptr, 0xD8, 0x40, 0, 0xFF), 1u);

    // The common register functions over raw transfers.
    FakeKitI2c g;
    i2c = g.table();
    const uint8_t data[3] = {0x11, 0x22, 0x33};
    EXPECT_EQ(kit_i2c_CommonWriteRegister(i2c, 0xDC, 0x20, data, 3), 0u);
    EXPECT_EQ(g.writes(), (std::vector<Step>{W(SLVX, 0, 0x20, 0x11), W(SLVX, 0, 0x21, 0x22), W(SLVX, 0, 0x22, 0x33)}));
    uint8_t back[3] = {};
    EXPECT_EQ(kit_i2c_CommonReadRegister(i2c, 0xDC, 0x21, back, 2), 0u);
    EXPECT_EQ(kit_i2c_CommonWriteOneRegister(i2c, 0xDC, 0x30, 0x44), 0u);
    EXPECT_EQ(std::make_tuple(back[0], back[1], g.reg(SLVX, 0, 0x30)), std::make_tuple(0x22, 0x33, 0x44));

    uint8_t big[129] = {};
    EXPECT_EQ(kit_i2c_CommonWriteRegister(i2c, 0xDC, 0x00, big, 128), 0u);
    const int before = g.accesses();
    EXPECT_EQ(kit_i2c_CommonWriteRegister(i2c, 0xDC, 0x00, big, 129), 1u);
    EXPECT_EQ(g.accesses(), before);
    g.failAccess(1);  // the sub-address write fails: no read follows
    EXPECT_EQ(kit_i2c_CommonReadRegister(i2c, 0xDC, 0x21, back, 1), 2u);
    EXPECT_EQ(g.accesses(), before + 1);
    EXPECT_EQ(kit_i2c_CommonReadRegister(nullptr, 0xDC, 0x21, back, 1), 1u);
}

TEST(KitI2c, LogPrintsSuccessfulTransfers)
{
    FakeKitI2c f;
    f.table()->gwAddress = 0xC0;
    f.table()->gwSub = 0x09;
    kit_i2c_t logI2c{};
    kit_i2c_log_t record{};
    ASSERT_EQ(kit_i2c_CreateI2cLog(&logI2c, f.table(), &record), 0u);
    EXPECT_EQ(std::make_tuple(logI2c.gwAddress, logI2c.gwSub), std::make_tuple(0xC0, 0x09));

    char text[512] = {};
    FILE* stream = fmemopen(text, sizeof text, "w");
    const uint8_t two[2] = {0x01, 0xAB};
    uint8_t in[2] = {};
    logI2c.WriteRegister(&logI2c, 0xD8, 0x10, two, 2);  // logging still off
    ASSERT_EQ(kit_i2c_EnableI2cLog(&logI2c, stream), 0u);
    logI2c.WriteRegister(&logI2c, 0xD8, 0x10, two, 2);
    logI2c.WriteOneRegister(&logI2c, 0xD8, 0x12, 0x5A);
    logI2c.ReadRegister(&logI2c, 0xD8, 0x11, in, 2);
    logI2c.Write(&logI2c, 0xDC, two, 2, KIT_I2C_MODE_COMPLETE);
    logI2c.Write(&logI2c, 0xDC, two, 1, KIT_I2C_MODE_NO_STOP);
    logI2c.Read(&logI2c, 0xDC, in, 1, KIT_I2C_MODE_COMPLETE);
    f.failAccess(1);
    EXPECT_EQ(logI2c.WriteRegister(&logI2c, 0xD8, 0x10, two, 2), 2u);  // failed: no line
    kit_i2c_EnableI2cLog(&logI2c, nullptr);
    logI2c.WriteRegister(&logI2c, 0xD8, 0x10, two, 2);
    std::fclose(stream);
    EXPECT_EQ(std::string(text), "WR(D8, 10) 01 AB\nWR(D8, 12) 5A\nRR(D8, 11) AB 5A\nW (DC)     01 AB\nW (DC)     01\n"
                                 "R (DC)     AB\n");
    EXPECT_EQ(kit_i2c_CreateI2cLog(&logI2c, nullptr, &record), 1u);
    kit_i2c_t bare{};
    EXPECT_EQ(kit_i2c_EnableI2cLog(&bare, stdout), 1u);
}
