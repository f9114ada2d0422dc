// The constellation engine's pieces that stand alone: display texts at their thresholds, the
// optical-module limits, the post-BER sums and the scaling of samples onto the screen's grid.
#include "engines/mesuraiq.h"

#include <gtest/gtest.h>

namespace {

TEST(MesuraIQTexts, OpticalModuleLimitsMerAboveFortyFiveAndCberBelowTheBound)
{
    struct Case {
        uint32_t merStatus;
        int32_t mer;
        uint32_t cberStatus;
        float cber;
        const char* merText;
        const char* cberText;
    };
    for (const Case& c : std::initializer_list<Case>{{0, 455, 0, 3e-7f, "46", "3.0E-07"},
                                                     {0, 456, 2, 3e-7f, ">45", "<1.0E-09"},
                                                     {2, 600, 1, 2e-2f, ">45", ">2.0E-02"},
                                                     {0, 120, 2, 1e-6f, "12", "<1.0E-09"}}) {
        uint32_t status = c.merStatus;
        int32_t mer = c.mer;
        float cber = c.cber;
        MesuraIQ::limitsOclaro(&status, &mer, c.cberStatus, &cber);
        EXPECT_EQ(MesuraIQ::getStringMER(true, status, mer), c.merText) << c.mer;
        EXPECT_EQ(MesuraIQ::getStringBER(true, c.cberStatus, cber), c.cberText) << c.mer;
    }
}

TEST(MesuraIQTexts, SignallingTextsAtTheirEdges)
{
    using M = MesuraIQ;
    using R = MesuraIQ::CodeRates;
    const std::vector<std::pair<QString, const char*>> cases = {
        // MER in whole dB with its bound's sign, BER with one decimal; nothing unlocked or unmeasured.
        {M::getStringMER(true, 0, 354), "35"},            {M::getStringMER(true, 0, 355), "36"},
        {M::getStringMER(true, 1, 455), ">46"},           {M::getStringMER(true, 2, 4), "<0"},
        {M::getStringMER(true, 0, -16), "-1"},            {M::getStringMER(true, 3, 300), "---"},
        {M::getStringMER(false, 0, 354), "---"},          {M::getStringBER(true, 1, 1.26e-3f), ">1.3E-03"},
        {M::getStringBER(true, 2, 1e-9f), "<1.0E-09"},    {M::getStringBER(true, 0, 0.0f), "0.0E+00"},
        {M::getStringBER(true, 3, 1e-3f), "---"},         {M::getStringBER(false, 0, 2e-5f), "---"},
        {M::getStringModulation(true, 13), "8 VSB"},      {M::getStringModulation(true, 14), "---"},
        {M::getStringGuard(true, 7), "1/64"},             {M::getStringGuard(true, 8), "---"},
        {M::getStringMode(true, 2), "4k"}, // an ISDB-T mode 2 channel
        {M::getStringMode(true, 9), "---"},               {M::getStringHierarchy(true, 4), "---"},
        {M::getStringCodeRate(true, 11), "8/9"}, // a DVB-C2 long frame
        {M::getStringCodeRate(true, 13), "--"},           {M::getStringCodeRate(true, 5, R::Dvbs), "--"},
        {M::getStringCodeRate(true, 10, R::Dvbs2), "9/10"}, {M::getStringCodeRate(false, 3), "---"},
        {M::getStringProfile(true, true, true), "Base & Lite"}, {M::getStringProfile(true, false, false), "None"},
        {M::getStringPilotPattern(true, 6), "PP7"},       {M::getStringPilotPattern(true, 200), "PP8"},
        {M::getStringConstellationRotation(true, 2), "OFF"}, {M::getStringConstellationRotation(false, 1), "---"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
    EXPECT_EQ(MesuraIQ::getNumberCuadresConstellation(7), 6);
    EXPECT_EQ(MesuraIQ::getNumberCuadresConstellation(14), 1);
}

TEST(MesuraIQPostBer, SumsErrorsOverBitsWithTheBoundWhileNoneIsCounted)
{
    PostBerAccumulator sums;
    auto read = [&](uint32_t errors, uint32_t block, bool oclaro = false) {
        return ActualitzaPostBer(sums, false, errors, block, oclaro);
    };
    EXPECT_EQ(ActualitzaPostBer(sums, true, 7, 2048, false).status, 1u);
    EXPECT_DOUBLE_EQ(read(0, 2048).value, 1.0 / (208.0 * 2048)) << "the bound";
    EXPECT_DOUBLE_EQ(read(0, 2048, true).value, 1e-9);
    PostBer r = read(5, 2048);
    EXPECT_EQ(std::make_pair(r.status, r.value), std::make_pair(0u, 5.0 / (3 * 208.0 * 2048)));
    // Only the read that overflowed its counter is marked.
    EXPECT_EQ((std::vector<uint32_t>{read(16382, 2048).status, read(16383, 2048).status, read(0, 2048).status}),
              (std::vector<uint32_t>{0, 1, 0}));

    // A day of 100 ms reads on a satellite block: far past where single floats stop adding.
    ActualitzaPostBer(sums, true, 0, 0, false);
    for (int i = 0; i < 864000; ++i)
        r = read(i == 0 ? 1 : 0, 1000000);
    EXPECT_DOUBLE_EQ(r.value, 1.0 / (864000.0 * 208e6));
    EXPECT_DOUBLE_EQ(read(3, 1000000).value, 4.0 / (864001.0 * 208e6));
}

TEST(MesuraIQPoints, SamplesLandOnTheGridWithTheOutermostPointAtItsEdge)
{
    struct Case {
        int raw;
        double jitter;
        int squares;
        int scale;
        int expected; // -1: off the grid
    };
    for (const Case& c : std::initializer_list<Case>{
             {0, 0.0, 16, 58, 128},     // the centre
             {58, 0.0, 16, 58, 248},    // the outermost 256-QAM point: 128 + 120
             {-58, 0.0, 16, -58, 248},  // a negative scale mirrors
             {0, 1.0, 2, 180, 128},     // the jitter stays inside the cell
             {-363, 0.0, 2, 180, -1},   // 128 - 129.1: off
             {-361, 0.0, 2, 180, 0},    // 128 - 128.4 truncates into the first cell
             {358, 0.0, 2, 180, 255},
             {360, 0.0, 2, 180, -1},    // 256: off
             {5, 0.0, 8, 0, -1},        // no scale: nothing to draw
         }) {
        const double k = 128.0 - 128.0 / c.squares;
        int out = -1;
        const bool on = MesuraIQ::escalaCoordenada(c.raw, c.jitter, k, c.scale, &out);
        EXPECT_EQ(on ? out : -1, c.expected) << c.raw << " / " << c.scale;
    }
}

} // namespace
