// The SPI chips of the front end: exact words on the wire, read back by the device models.
#include "ChipModels.h"
#include "SimBoardFixture.h"
#include "hw/ADF4350.h"
#include "hw/ADF4360.h"
#include "hw/MAX11337.h"
#include "hw/PE4257.h"
#include "hw/PE4312.h"

#include <gtest/gtest.h>

#include <vector>

using platform::sim::Adf4360Model;
using platform::sim::ChipModels;
using platform::sim::Transaction;
using testsupport::LogCapture;
using testsupport::ScopedBoard;

namespace {

struct FrontEnd {
    ScopedBoard board;
    ChipModels chips = platform::sim::installChipModels(*board);

    std::vector<Transaction> spi(const std::string& node) const
    {
        std::vector<Transaction> out;
        for (const Transaction& t : const_cast<ScopedBoard&>(board)->log().entries("spi"))
            if (t.device == node)
                out.push_back(t);
        return out;
    }
    void clearLog() { board->log().clear(); }
};

std::vector<uint8_t> word32(uint32_t w)
{
    return {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)};
}

} // namespace

TEST(PE4312, WordIsTwiceTheDbAndCappedAt31)
{
    FrontEnd fe;
    PE4312 attA("/dev/spidev4.1");
    PE4312 attB("/dev/spidev0.1");
    // Construction sets 0 dB.
    ASSERT_EQ(fe.spi("/dev/spidev4.1").size(), 1u);
    EXPECT_EQ(fe.spi("/dev/spidev4.1")[0].bytes, std::vector<uint8_t>{0x00});

    EXPECT_EQ(attA.setValue(20), 0);
    EXPECT_EQ(fe.spi("/dev/spidev4.1").back().bytes, std::vector<uint8_t>{0x28});
    EXPECT_DOUBLE_EQ(fe.chips.attenuatorA->attenuationDb(), 20.0);
    EXPECT_EQ(attB.setValue(31), 0);
    EXPECT_EQ(fe.spi("/dev/spidev0.1").back().bytes, std::vector<uint8_t>{0x3E});
    EXPECT_EQ(attB.setValue(255), 0);
    EXPECT_EQ(fe.spi("/dev/spidev0.1").back().bytes, std::vector<uint8_t>{0x3E});
    EXPECT_DOUBLE_EQ(fe.chips.attenuatorB->attenuationDb(), 31.0);
    EXPECT_EQ(attB.getValue(), 31);
    EXPECT_DOUBLE_EQ(fe.chips.attenuatorA->attenuationDb(), 20.0); // the other node untouched
}

TEST(PE4312, MissingNodeIsReportedAndKeepsTheLastValue)
{
    FrontEnd fe;
    fe.board->faults().fail(platform::sim::Device::spi("/dev/spidev4.1"), platform::sim::kOpen);
    LogCapture log;
    PE4312 att("/dev/spidev4.1");
    EXPECT_TRUE(log.contains("SPI-> Unable to open"));
    EXPECT_EQ(att.setValue(10), -1);
    EXPECT_TRUE(log.contains("SPI-> Transfer failed on"));
    EXPECT_EQ(fe.chips.attenuatorA->latchCount(), 0);
}

TEST(PE4257, ControlLineSelectsThePort)
{
    FrontEnd fe;
    PE4257 sw("44");
    EXPECT_TRUE(fe.board->gpio().isOutput(44));
    EXPECT_EQ(fe.board->gpio().level(44), 0);
    EXPECT_EQ(sw.setValue(1), 0);
    EXPECT_EQ(fe.board->gpio().level(44), 1);
    EXPECT_EQ(sw.setValue(7), 0);
    EXPECT_EQ(fe.board->gpio().level(44), 1);
    EXPECT_EQ(sw.setValue(0), 0);
    EXPECT_EQ(fe.board->gpio().level(44), 0);
}

TEST(ADF4350, FirstPilotWriteSendsAllSixFromR5)
{
    FrontEnd fe;
    ADF4350 lo;
    EXPECT_EQ(lo.programaFreqPilot(0), 0);
    auto words = fe.spi("/dev/spidev4.0");
    const uint32_t expected[] = {0x00580005, 0x00C5001C, 0x000004B3, 0x18004FC2, 0x08008011, 0x009C0000};
    ASSERT_EQ(words.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(words[i].bytes, word32(expected[i])) << i;
    auto& model = fe.chips.synthesizers->adf4350();
    EXPECT_EQ(model.outputFrequencyHz(), 195000000u);
    EXPECT_EQ(model.vcoHz(), 3120000000u);
    EXPECT_FALSE(model.rfOutputEnabled());
}

TEST(ADF4350, PilotSetsGiveTheBandOscillators)
{
    FrontEnd fe;
    ADF4350 lo;
    auto& model = fe.chips.synthesizers->adf4350();
    const struct {
        int index;
        uint64_t hz;
    } cases[] = {{0, 195000000},  {3, 1600000000}, {4, 2050000000}, {5, 2500000000},
                 {6, 2950000000}, {-1, 195000000}, {7, 195000000},  {2, 195000000}};
    for (const auto& c : cases) {
        ASSERT_EQ(lo.programaFreqPilot(c.index), 0);
        ASSERT_EQ(lo.rf_output_enable(true), 0);
        EXPECT_EQ(model.outputFrequencyHz(), c.hz) << c.index;
        EXPECT_TRUE(model.rfOutputEnabled()) << c.index;
        const uint64_t vco = model.vcoHz();
        EXPECT_GE(vco, 2200000000u);
        EXPECT_LE(vco, 4400000000u);
    }
    EXPECT_EQ(fe.chips.synthesizers->strayWords(), 0);
}

TEST(ADF4350, WritesOnlyWhatChangedThenForgets)
{
    FrontEnd fe;
    ADF4350 lo;
    lo.programaFreqPilot(0);
    // The pilot write forgot what it sent: enabling the output sends all six again.
    fe.clearLog();
    lo.rf_output_enable(true);
    auto words = fe.spi("/dev/spidev4.0");
    ASSERT_EQ(words.size(), 6u);
    EXPECT_EQ(words[1].bytes, word32(0x00C5003C));
    // Now remembered: the same state again sends nothing.
    fe.clearLog();
    lo.rf_output_enable(true);
    EXPECT_TRUE(fe.spi("/dev/spidev4.0").empty());
    // A new pilot set sends only R4 and R0, R4 first.
    lo.programaFreqPilot(3);
    words = fe.spi("/dev/spidev4.0");
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].bytes, word32(0x0095001C));
    EXPECT_EQ(words[1].bytes, word32(0x00A00000));
    EXPECT_FALSE(fe.chips.synthesizers->adf4350().rfOutputEnabled());
    // standby is the output enable reversed.
    fe.clearLog();
    lo.standby(false);
    EXPECT_TRUE(fe.chips.synthesizers->adf4350().rfOutputEnabled());
    fe.clearLog();
    lo.standby(true);
    words = fe.spi("/dev/spidev4.0");
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].bytes, word32(0x0095001C));
    EXPECT_FALSE(fe.chips.synthesizers->adf4350().rfOutputEnabled());
    EXPECT_EQ(lo.getRegister(0), 0x00A00000u);
}

TEST(ADF4350, RegisterThatFailedIsSentAgain)
{
    FrontEnd fe;
    ADF4350 lo;
    lo.programaFreqPilot(0);
    lo.rf_output_enable(true);
    fe.board->faults().fail(platform::sim::Device::spi("/dev/spidev4.0"), platform::sim::kOpen);
    EXPECT_EQ(lo.rf_output_enable(false), -1);
    fe.board->faults().fail(platform::sim::Device::spi("/dev/spidev4.0"), platform::sim::kOpen, false);
    fe.clearLog();
    EXPECT_EQ(lo.rf_output_enable(false), 0);
    ASSERT_EQ(fe.spi("/dev/spidev4.0").size(), 1u);
    EXPECT_FALSE(fe.chips.synthesizers->adf4350().rfOutputEnabled());
}

TEST(ADF4360, StartUpLatchesWithPowerUpPause)
{
    FrontEnd fe;
    ADF4360 synth;
    EXPECT_EQ(synth.init(), 0);
    auto words = fe.spi("/dev/spidev4.0");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].bytes, (std::vector<uint8_t>{0x04, 0x00, 0x29}));
    EXPECT_EQ(words[1].bytes, (std::vector<uint8_t>{0x4F, 0xF9, 0x24}));
    EXPECT_EQ(words[2].bytes, (std::vector<uint8_t>{0x00, 0x64, 0x02}));
    auto& model = fe.chips.synthesizers->adf4360();
    EXPECT_EQ(model.outputFrequencyHz(), 1600000000u);
    EXPECT_FALSE(model.poweredDown());
    EXPECT_GE(model.latchTimeUs(Adf4360Model::kNCounter) - model.latchTimeUs(Adf4360Model::kControl), 10000u);
    // The 24-bit words reached only the ADF4360.
    EXPECT_EQ(fe.chips.synthesizers->adf4350().latchCount(0), 0);
}

// In two halves the pause passes while other work goes on: the last latch waits only for
// what is left of it.
TEST(ADF4360, SplitStartUpWaitsOnlyWhatIsLeftOfThePause)
{
    FrontEnd fe;
    auto& model = fe.chips.synthesizers->adf4360();
    const auto pauseUs = [&] {
        return model.latchTimeUs(Adf4360Model::kNCounter) - model.latchTimeUs(Adf4360Model::kControl);
    };
    for (const uint64_t meanwhileMs : {0u, 4u, 25u}) {
        ADF4360 synth;
        EXPECT_EQ(synth.beginInit(), 0);
        EXPECT_EQ(fe.spi("/dev/spidev4.0").size() % 3, 2u);
        fe.board.clock().advanceMs(meanwhileMs);
        EXPECT_EQ(synth.finishInit(), 0);
        EXPECT_EQ(pauseUs(), std::max<uint64_t>(10000u, meanwhileMs * 1000)) << meanwhileMs;
        EXPECT_EQ(model.outputFrequencyHz(), 1600000000u);
    }
    fe.board->faults().fail(platform::sim::Device::spi("/dev/spidev4.0"), platform::sim::kOpen);
    ADF4360 refused;
    EXPECT_EQ(refused.beginInit(), -1);
    EXPECT_EQ(refused.finishInit(), -1);
}

TEST(MAX11337, PeakIsLargestOfTwentyMasked)
{
    FrontEnd fe;
    MAX11337 adc;
    int call = 0;
    // 1000, 1001, ... 1019, with the largest in the middle of the run.
    fe.chips.converter->setChannelFunction(2, [&](uint64_t) { return call++ == 10 ? 3000 : 1000 + call; });
    const uint64_t t0 = fe.board.clock().monotonicUs();
    EXPECT_EQ(adc.getLecturaConversorAD(2), 3000);
    // Twenty conversions of at least 0.25 ms each.
    EXPECT_GE(fe.board.clock().monotonicUs() - t0, 5000u);
    auto t = fe.spi("/dev/spidev0.0");
    ASSERT_EQ(t.size(), 1u);
    ASSERT_EQ(t[0].bytes.size(), 42u);
    EXPECT_EQ(t[0].bytes[0], 0x09);
    EXPECT_EQ(t[0].bytes[1], 0x04);
    EXPECT_EQ(fe.chips.converter->conversionCount(2), 21);
}

TEST(MAX11337, MeanOfFiveTruncatedAndSingleChannels)
{
    FrontEnd fe;
    MAX11337 adc;
    const int values[] = {100, 101, 103, 100, 100, 999};
    int i = 0;
    fe.chips.converter->setChannelFunction(2, [&](uint64_t) { return values[i++]; });
    EXPECT_EQ(adc.getLecturaConversorAD(99), 100); // 504 / 5
    ASSERT_EQ(fe.spi("/dev/spidev0.0").back().bytes.size(), 12u);

    fe.chips.converter->setChannelValue(7, 2047);
    EXPECT_EQ(adc.getLecturaConversorAD(7), 2047);
    EXPECT_EQ(fe.spi("/dev/spidev0.0").back().bytes,
              (std::vector<uint8_t>{0x0B, 0x84, 0x0B, 0x84})); // channel 7: 0x0800 | 7 << 7 | 4
    // A source for the rest of the channels, clamped to 12 bits.
    fe.chips.converter->setSource([](int channel, uint64_t) { return channel == 3 ? 5000 : -5; });
    EXPECT_EQ(adc.getLecturaConversorAD(3), 4095);
    EXPECT_EQ(adc.getLecturaConversorAD(0), 0);
    EXPECT_EQ(adc.getLecturaConversorAD(7), 2047);
}

TEST(MAX11337, BadChannelsAndFailuresReadMinusOne)
{
    FrontEnd fe;
    MAX11337 adc;
    fe.clearLog();
    unsigned long out[4] = {};
    EXPECT_EQ(adc.getLecturaConversorAD(16), -1);
    EXPECT_EQ(adc.getLecturaConversorAD(-1), -1);
    EXPECT_EQ(adc.getArrayValue(16, 4, out), -1);
    EXPECT_EQ(adc.getArrayValue(2, 4, nullptr), -1);
    EXPECT_EQ(adc.getArrayValue(2, 0, out), 0);
    EXPECT_TRUE(fe.spi("/dev/spidev0.0").empty());
    fe.board->faults().fail(platform::sim::Device::spi("/dev/spidev0.0"), platform::sim::kOpen);
    EXPECT_EQ(adc.getLecturaConversorAD(2), -1);
    EXPECT_EQ(adc.getArrayValue(2, 4, out), -1);
}

TEST(MAX11337, BurstKeepsFramesAndStopsAt500)
{
    FrontEnd fe;
    MAX11337 adc;
    fe.chips.converter->setChannelFunction(6, [](uint64_t us) { return static_cast<int>((us / 250) % 4096); });
    std::vector<unsigned long> out(600, 0xDEAD);
    EXPECT_EQ(adc.getArrayValue(6, 600, out.data()), 500);
    auto t = fe.spi("/dev/spidev0.0");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].bytes.size(), 1002u);
    for (int i = 0; i < 500; ++i) {
        EXPECT_NE(out[i] & 0xF000, 0u) << i; // junk above the 12 bits
        EXPECT_LE(out[i], 0xFFFFu);
    }
    // The samples follow board time, 0.25 ms apart.
    EXPECT_EQ((out[1] & 0xFFF) - (out[0] & 0xFFF), 1u);
    EXPECT_EQ(out[500], 0xDEADu);
}
