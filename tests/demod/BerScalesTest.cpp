// The older error-counting module: code-rate fractions, register helpers, windowed error
// counting with scale stepping, and its filters.
#include "SimBoardFixture.h"
#include "demod/ber_scales.h"
#include "hw/DrvI2c.h"

#include <gtest/gtest.h>

#include <deque>
#include <tuple>
#include <vector>

using testsupport::ScopedBoard;

namespace {

std::vector<std::vector<uint8_t>> frames; // every frame the link was handed

int recordWrite(uint16_t length, uint8_t* frame)
{
    frames.emplace_back(frame, frame + length);
    return 0;
}

int recordRead(uint32_t, uint8_t address8, uint8_t* sub, uint32_t subLength, uint8_t* out, uint16_t length)
{
    std::vector<uint8_t> f{address8};
    f.insert(f.end(), sub, sub + subLength);
    frames.push_back(f);
    for (uint16_t i = 0; i < length; ++i)
        out[i] = static_cast<uint8_t>(0xA0 + i);
    return 0;
}

// Installs the recorders in the link pointers for one test.
struct RecordedLink {
    DrvI2c_WriteBytes_t write = pfnDrvI2c_WriteBytes;
    DrvI2c_ReadBytes_t read = pfnDrvI2c_ReadBytes;
    RecordedLink()
    {
        frames.clear();
        pfnDrvI2c_WriteBytes = recordWrite;
        pfnDrvI2c_ReadBytes = recordRead;
    }
    ~RecordedLink()
    {
        pfnDrvI2c_WriteBytes = write;
        pfnDrvI2c_ReadBytes = read;
    }
};

struct Counter {
    std::deque<uint32_t> errors;
    std::vector<uint32_t> steps;
};

uint32_t readCounter(void* user)
{
    auto* c = static_cast<Counter*>(user);
    const uint32_t e = c->errors.empty() ? 0 : c->errors.front();
    if (!c->errors.empty())
        c->errors.pop_front();
    return e;
}

void setStep(void* user, uint32_t step) { static_cast<Counter*>(user)->steps.push_back(step); }

} // namespace

TEST(BerScales, RegisterHelpersFrameTheTransfers)
{
    RecordedLink link;
    const uint8_t data[] = {0x11, 0x22, 0x33};
    EXPECT_EQ(Write_Regs(0xD8, 0x60, data, 3), 0);
    uint8_t image[256] = {};
    image[0x6F] = 0xF0;
    EXPECT_EQ(Write_Field(0xD8, image, 0x6F, 0x0C, 2), 0);
    EXPECT_EQ(image[0x6F], 0xF8);
    uint8_t in[2];
    EXPECT_EQ(Get_Regs(0xD8, 0x22, in, 2), 0);
    EXPECT_EQ(in[1], 0xA1);
    const std::vector<std::vector<uint8_t>> expected = {
        {0xD8, 0x60, 0x11, 0x22, 0x33}, {0xD8, 0x6F, 0xF8}, {0xD8, 0x22}};
    EXPECT_EQ(frames, expected);

    // Refused before reaching the link: too long, no data, no field.
    std::vector<uint8_t> big(BER_SCALES_REGS_MAX + 1);
    EXPECT_EQ(Write_Regs(0xD8, 0, big.data(), static_cast<uint16_t>(big.size())), 1);
    EXPECT_EQ(Write_Regs(0xD8, 0, nullptr, 2), 1);
    EXPECT_EQ(Write_Field(0xD8, image, 0x6F, 0, 1), 1);
    EXPECT_EQ(frames.size(), 3u);
}

TEST(BerScales, ErrorWindowsOnTheVirtualClock)
{
    ScopedBoard board;
    Counter counter;
    t_ber_scales scales{};
    t_ber_scale config{};
    config.reader = readCounter;
    config.setter = setStep;
    config.user = &counter;
    EXPECT_EQ(Configure_Scales(&scales, 1, &config), 0);

    t_error_window sum;
    auto tick = [&](uint32_t errors, uint64_t ms) {
        counter.errors.push_back(errors);
        board.clock().advanceMs(ms);
        return Errors_Count_Process(&scales, 1, &sum);
    };
    EXPECT_EQ(tick(30, 500), 0u); // the first window is still open
    EXPECT_EQ(tick(30, 500), 1u); // closed at 999 ms
    EXPECT_EQ(std::make_tuple(sum.errors, sum.ms), std::make_tuple(60u, 1000u));
    tick(30, 500);
    EXPECT_EQ(tick(30, 500), 1u); // two equal windows: one of them is the largest
    EXPECT_EQ(sum.errors, 60u);
    for (int i = 0; i < 8; ++i) {
        tick(30, 500);
        tick(30, 500);
    }
    // Ten windows of 60 are kept; the sum stops at the first total above 199.
    EXPECT_EQ(std::make_tuple(scales.scale[1].window_count, sum.errors, sum.ms), std::make_tuple(10u, 240u, 4000u));
    // A burst closes its window at once and is left out of the sum.
    EXPECT_EQ(tick(500, 100), 4u);
    EXPECT_EQ(sum.errors, 240u);

    Reset_Windows(&scales, 1);
    EXPECT_EQ(tick(0, 100), 0u);
    EXPECT_EQ(Configure_Scales(&scales, 4, &config), 1);
    config.reader = nullptr;
    EXPECT_EQ(Configure_Scales(&scales, 0, &config), 1);
    Clear_Scales_Configuration(&scales);
    EXPECT_EQ(tick(300, 2000), 0u);
}

TEST(BerScales, ScaleStepsWithinItsLimits)
{
    ScopedBoard board;
    Counter counter;
    t_ber_scales scales{};
    t_ber_scale config{};
    config.reader = readCounter;
    config.setter = setStep;
    config.user = &counter;
    config.low = 10;
    config.high = 100;
    config.step = 2;
    config.step_min = 0;
    config.step_max = 3;
    Configure_Scales(&scales, 0, &config);
    const struct {
        int32_t value;
        int32_t change;
        uint32_t step;
    } cases[] = {{150, 1, 3}, {150, 0, 3}, {50, 0, 3}, {5, -1, 2}, {5, -1, 1}, {5, -1, 0}, {5, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(Scale_Control(&scales, 0, c.value), c.change) << c.value;
        EXPECT_EQ(scales.scale[0].step, c.step) << c.value;
    }
    EXPECT_EQ(counter.steps, (std::vector<uint32_t>{3, 2, 1, 0}));
    EXPECT_EQ(Scale_Control(&scales, 2, 500), 0); // not configured
}

TEST(BerScales, FiltersSignExtensionAndCodeRates)
{
    // Code-rate fractions: the last, and 7/8 past the end.
    for (const auto& [code, n, d] : {std::tuple<uint32_t, uint32_t, uint32_t>{12, 9, 10}, {13, 7, 8}, {0xFFFFFFFFu, 7, 8}}) {
        const t_fractional_code_rate f = Get_Fractional_Code_Rate(code);
        EXPECT_EQ(std::make_tuple(f.numerator, f.denominator), std::make_tuple(n, d)) << code;
    }

    uint32_t counter = 5;
    EXPECT_EQ(Filt_7_8(100, 80, 30, &counter, 2), 82);
    EXPECT_EQ(counter, 0u);
    EXPECT_EQ(Filt_7_8(-100, -80, 30, &counter, 2), -82);
    EXPECT_EQ(Filt_31_32(112, 80, 50, &counter, 2), 81);
    // Far values are believed only after `limit` calls in a row.
    for (int32_t expected : {80, 80, 200})
        EXPECT_EQ(Filt_7_8(200, 80, 30, &counter, 2), expected);
    EXPECT_EQ(counter, 0u);
    EXPECT_EQ(Filt_31_32(200, 80, 30, &counter, 0), 200);

    EXPECT_FLOAT_EQ(Filt_7_8_For_BER(2e-5f, 1e-5f, 3.0f, &counter, 1), 1.125e-5f);
    EXPECT_FLOAT_EQ(Filt_7_8_For_BER(1e-3f, 1e-5f, 3.0f, &counter, 1), 1e-5f);
    EXPECT_FLOAT_EQ(Filt_7_8_For_BER(1e-3f, 1e-5f, 3.0f, &counter, 1), 1e-3f);
    EXPECT_FLOAT_EQ(Filt_7_8_For_BER(1e-3f, 0.0f, 3.0f, nullptr, 1), 1e-3f);

    const struct {
        uint32_t value, bits;
        int32_t out;
    } signs[] = {{0x3FF, 10, -1}, {0x1FF, 10, 511}, {0x200, 10, -512}, {0xFFFFFC00, 10, 0},
                 {0xFFFFFFFF, 32, -1}, {0x1, 1, -1}, {0x7, 0, 7}};
    for (const auto& s : signs)
        EXPECT_EQ(Extend_Sign(s.value, s.bits), s.out) << s.value << "/" << s.bits;
}
