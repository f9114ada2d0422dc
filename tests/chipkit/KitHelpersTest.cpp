// The kit's fixed-point logarithms and bit helpers, its stopwatch on the virtual clock, the
// masked register write, the register functions over raw transfers and the I2C log.
#include "DemodBench.h"
#include "SimBoardFixture.h"
#include "chipkit/kit_i2c.h"
#include "chipkit/kit_math.h"
#include "chipkit/kit_stopwatch_port.h"

#include <gtest/gtest.h>

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
    EXPECT_LT(kit_math_log10(10) - kit_math_log10(1000), 0);

    // Two's complement and bit splits.
    EXPECT_EQ(kit_Convert2SComplement(0x800, 12), static_cast<int32_t>(0xFFFFF800));
    EXPECT_EQ(kit_Convert2SComplement(0x7FF, 12), 0x7FF);
    EXPECT_EQ(kit_Convert2SComplement(0xF7FF, 12), 0x7FF);  // only the low bits count
    EXPECT_EQ(kit_Convert2SComplement(0x1, 1), -1);
    EXPECT_EQ(kit_Convert2SComplement(0x80000000u, 0), static_cast<int32_t>(0x80000000u));
    EXPECT_EQ(kit_Convert2SComplement(0x80000000u, 32), static_cast<int32_t>(0x80000000u));

    const uint8_t a[] = {0xA5, 0x3C, 0xFF, 0x01, 0x80};
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 0, 4), 0xAu);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 4, 8), 0x53u);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 7, 2), 0x2u);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 0, 32), 0xA53CFF01u);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 4, 32), 0x53CFF018u);  // spans five bytes
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 39, 1), 0u);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 32, 1), 1u);
    // Never past the array, never a bad length.
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 2, 12, 8), 0u);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 2, 8, 8), 0x3Cu);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 0xFFFFFFF0u, 32), 0u);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 0, 0), 0u);
    EXPECT_EQ(kit_BitSplitFromByteArray(a, 5, 0, 33), 0u);
    EXPECT_EQ(kit_BitSplitFromByteArray(nullptr, 5, 0, 8), 0u);
}

TEST(KitStopwatch, WaitsTheWholeTimeOnTheVirtualClock)
{
    testsupport::ScopedBoard board;
    kit_stopwatch_t sw;
    ASSERT_EQ(kit_stopwatch_start(&sw), 0u);
    uint32_t ms = 99;
    EXPECT_EQ(value(kit_stopwatch_elapsed, &sw), 0u);
    // Beyond 16 bits: 65536 and 70000 ms are waited in full, not as 0 and 4464.
    for (uint32_t wait : {0u, 20u, 65535u, 65536u, 70000u}) {
        const uint64_t before = board.clock().monotonicMs();
        EXPECT_EQ(kit_stopwatch_sleep(&sw, wait), 0u);
        EXPECT_EQ(board.clock().monotonicMs() - before, wait);
    }
    kit_stopwatch_elapsed(&sw, &ms);
    EXPECT_EQ(ms, 20u + 65535u + 65536u + 70000u);
    EXPECT_EQ(kit_stopwatch_start(nullptr), 1u);
    EXPECT_EQ(kit_stopwatch_sleep(nullptr, 5), 1u);
    EXPECT_EQ(kit_stopwatch_elapsed(&sw, nullptr), 1u);
}

TEST(KitI2c, SetRegisterBitsByMaskAndTheCommonRegisterFunctionsOverRawTransfers)
{
    FakeKitI2c f;
    kit_i2c_t* i2c = f.table();
    f.setReg(SLVT, 0, 0x40, 0xA5);
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD8, 0x40, 0xFF, 0x00), 0u);  // mask 0: nothing at all
    EXPECT_EQ(f.accesses(), 0);
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD8, 0x40, 0x0F, 0x3C), 0u);
    EXPECT_EQ(f.reg(SLVT, 0, 0x40), 0x8D);
    EXPECT_EQ(f.accesses(), 2);  // read, then write
    EXPECT_EQ(kit_i2c_SetRegisterBits(i2c, 0xD8, 0x40, 0x12, 0xFF), 0u);
    EXPECT_EQ(f.accesses(), 3);  // whole byte: no read
    EXPECT_EQ(f.reg(SLVT, 0, 0x40), 0x12);
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
    EXPECT_EQ(back[0], 0x22);
    EXPECT_EQ(back[1], 0x33);
    EXPECT_EQ(kit_i2c_CommonWriteOneRegister(i2c, 0xDC, 0x30, 0x44), 0u);
    EXPECT_EQ(g.reg(SLVX, 0, 0x30), 0x44);

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
    EXPECT_EQ(logI2c.gwAddress, 0xC0);
    EXPECT_EQ(logI2c.gwSub, 0x09);

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
    EXPECT_EQ(std::string(text), "WR(D8, 10) 01 AB\n"
                                 "WR(D8, 12) 5A\n"
                                 "RR(D8, 11) AB 5A\n"
                                 "W (DC)     01 AB\n"
                                 "W (DC)     01\n"
                                 "R (DC)     AB\n");
    EXPECT_EQ(kit_i2c_CreateI2cLog(&logI2c, nullptr, &record), 1u);
    kit_i2c_t bare{};
    EXPECT_EQ(kit_i2c_EnableI2cLog(&bare, stdout), 1u);
}
