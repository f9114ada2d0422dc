// The SPI chips of the front end: exact words on the wire, read back by the device models.
#include "ChipBench.h"
#include "hw/ADF4350.h"
#include "hw/ADF4360.h"
#include "hw/MAX11337.h"
#include "hw/PE4257.h"
#include "hw/PE4312.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

using hwtest::Bytes;
using hwtest::ChipBench;
using hwtest::Wire;
using platform::sim::Device;

namespace {

const std::string kLo = "/dev/spidev4.0";
const std::string kAdc = "/dev/spidev0.0";

} // namespace

TEST(FrontEndSpi, StepAttenuatorWordIsTwiceTheDbCappedAt31TheSwitchLineFollowsThePort)
{
    ChipBench fe;
    PE4312 attA("/dev/spidev4.1");
    PE4312 attB("/dev/spidev0.1");
    EXPECT_EQ(attA.setValue(20), 0);
    EXPECT_EQ(attB.setValue(31), 0);
    EXPECT_EQ(attB.setValue(255), 0);
    // Construction sets 0 dB.
    EXPECT_EQ(fe.wire("spi"), (Wire{"spi /dev/spidev4.1 00", "spi /dev/spidev0.1 00", "spi /dev/spidev4.1 28",
                                    "spi /dev/spidev0.1 3E", "spi /dev/spidev0.1 3E"}));
    EXPECT_EQ(std::make_tuple(fe.chips.attenuatorA->attenuationDb(), fe.chips.attenuatorB->attenuationDb(),
                              attB.getValue()),
              std::make_tuple(20.0, 31.0, 31));

    PE4257 sw("44");
    EXPECT_TRUE(fe.board->gpio().isOutput(44) && fe.board->gpio().level(44) == 0);
    for (auto [port, level] : {std::pair{1, 1}, {7, 1}, {0, 0}}) {
        EXPECT_EQ(sw.setValue(port), 0);
        EXPECT_EQ(fe.board->gpio().level(44), level) << port;
    }

    // A node that does not open is reported, and nothing latches.
    fe.board->faults().fail(Device::spi("/dev/spidev4.1"), platform::sim::kOpen);
    testsupport::LogCapture log;
    const int latches = fe.chips.attenuatorA->latchCount();
    PE4312 missing("/dev/spidev4.1");
    EXPECT_TRUE(log.contains("SPI-> Unable to open"));
    EXPECT_EQ(missing.setValue(10), -1);
    EXPECT_TRUE(log.contains("SPI-> Transfer failed on"));
    EXPECT_EQ(fe.chips.attenuatorA->latchCount(), latches);
}

TEST(ADF4350, WritesAllSixFirstThenOnlyWhatChangedResendsAFailedRegisterAndGivesTheBandOscillators)
{
    ChipBench fe;
    ADF4350 lo;
    auto& model = fe.chips.synthesizers->adf4350();
    auto sent = [&] {
        Wire w = fe.wire("spi", kLo);
        fe.clearLog();
        return w;
    };
    EXPECT_EQ(lo.programaFreqPilot(0), 0);
    EXPECT_EQ(sent(), (Wire{"spi 00 58 00 05", "spi 00 C5 00 1C", "spi 00 00 04 B3",
                            "spi 18 00 4F C2", "spi 08 00 80 11",
                            "spi 00 9C 00 00"}));
    EXPECT_EQ(std::make_tuple(model.outputFrequencyHz(), model.vcoHz(), model.rfOutputEnabled()),
              std::make_tuple(uint64_t{195000000}, uint64_t{3120000000}, false));
    // The pilot write forgot what it sent: enabling the output sends all six again, then
    // the same state again sends nothing.
    lo.rf_output_enable(true);
    const Wire six = sent();
    lo.rf_output_enable(true);
    EXPECT_EQ(std::make_tuple(six.size(), six.at(1), sent().empty()), std::make_tuple(size_t{6}, "spi 00 C5 00 3C", true));
    // A new pilot set sends only R4 and R0, R4 first.
    lo.programaFreqPilot(3);
    EXPECT_EQ(sent(), (Wire{"spi 00 95 00 1C", "spi 00 A0 00 00"}));
    EXPECT_FALSE(model.rfOutputEnabled());
    // standby is the output enable reversed.
    lo.standby(false);
    fe.clearLog();
    lo.standby(true);
    EXPECT_EQ(std::make_tuple(sent(), model.rfOutputEnabled()), std::make_tuple(Wire{"spi 00 95 00 1C"}, false));

    // A register whose transfer failed is sent again next time.
    lo.rf_output_enable(true);
    fe.board->faults().fail(Device::spi(kLo), platform::sim::kOpen);
    EXPECT_EQ(lo.rf_output_enable(false), -1);
    fe.board->faults().fail(Device::spi(kLo), platform::sim::kOpen, false);
    fe.clearLog();
    EXPECT_EQ(lo.rf_output_enable(false), 0);
    EXPECT_EQ(std::make_tuple(sent().size(), model.rfOutputEnabled()), std::make_tuple(size_t{1}, false));

    // Each band's oscillator, the VCO within its range; an unknown index is band 0.
    const std::pair<int, uint64_t> cases[] = {{0, 195000000},  {3, 1600000000}, {4, 2050000000}, {5, 2500000000},
                                              {6, 2950000000}, {-1, 195000000}, {7, 195000000},  {2, 195000000}};
    for (const auto& [index, hz] : cases) {
        ASSERT_EQ(lo.programaFreqPilot(index), 0);
        ASSERT_EQ(lo.rf_output_enable(true), 0);
        EXPECT_TRUE(model.outputFrequencyHz() == hz && model.rfOutputEnabled() && model.vcoHz() >= 2200000000u
                    && model.vcoHz() <= 4400000000u)
            << index << ": " << model.outputFrequencyHz() << " from " << model.vcoHz();
    }
    EXPECT_EQ(fe.chips.synthesizers->strayWords(), 0);
}

// Whole, the start-up waits the power-up pause between the control and N latches; in two
// halves the pause passes while other work goes on, and the last latch waits only for what
// is left of it, to the microsecond, handling no queued event (a remote command) meanwhile.
TEST(ADF4360, StartUpLatchesWithThePowerUpPauseOrWhatIsLeftOfIt)
{
    ChipBench fe;
    auto& model = fe.chips.synthesizers->adf4360();
    using platform::sim::Adf4360Model;
    const auto pauseUs = [&] {
        return model.latchTimeUs(Adf4360Model::kNCounter) - model.latchTimeUs(Adf4360Model::kControl);
    };
    EXPECT_EQ(ADF4360().init(), 0);
    EXPECT_EQ(fe.wire("spi", kLo), (Wire{"spi 04 00 29", "spi 4F F9 24", "spi 00 64 02"}));
    // The 24-bit words reached only the ADF4360.
    EXPECT_EQ(std::make_tuple(model.outputFrequencyHz(), model.poweredDown(), pauseUs() >= 10000,
                              fe.chips.synthesizers->adf4350().latchCount(0)),
              std::make_tuple(uint64_t{1600000000}, false, true, 0));
    for (const uint64_t meanwhileUs : {0u, 4300u, 25000u}) {
        fe.board->log().clear();
        ADF4360 synth;
        EXPECT_EQ(synth.beginInit(), 0);
        EXPECT_EQ(fe.wire("spi", kLo), (Wire{"spi 04 00 29", "spi 4F F9 24"}));
        fe.board.clock().advanceUs(meanwhileUs);
        bool handled = false;
        QMetaObject::invokeMethod(qApp, [&handled] { handled = true; }, Qt::QueuedConnection);
        EXPECT_EQ(synth.finishInit(), 0);
        EXPECT_FALSE(handled) << meanwhileUs;
        QCoreApplication::processEvents();
        EXPECT_EQ(fe.wire("spi", kLo).back(), "spi 00 64 02");
        EXPECT_EQ(pauseUs(), std::max<uint64_t>(10000u, meanwhileUs)) << meanwhileUs;
    }
    fe.board->faults().fail(Device::spi(kLo), platform::sim::kOpen);
    ADF4360 refused;
    EXPECT_EQ(refused.beginInit(), -1);
    EXPECT_EQ(refused.finishInit(), -1);
}

TEST(MAX11337, BurstKeepsFramesAndStopsAt500AndBadInputReadsMinusOne)
{
    ChipBench fe;
    MAX11337 adc;
    fe.chips.converter->setChannelFunction(6, [](uint64_t us) { return static_cast<int>((us / 250) % 4096); });
    std::vector<unsigned long> out(600, 0xDEAD);
    EXPECT_EQ(adc.getArrayValue(6, 600, out.data()), 500);
    ASSERT_EQ(fe.bytes("spi", kAdc).size(), 1u);
    EXPECT_EQ(fe.last("spi", kAdc).size(), 1002u);
    for (int i = 0; i < 500; ++i) {
        EXPECT_NE(out[i] & 0xF000, 0u) << i; // junk above the 12 bits
        EXPECT_LE(out[i], 0xFFFFu);
    }
    // The samples follow board time, 0.25 ms apart.
    EXPECT_EQ((out[1] & 0xFFF) - (out[0] & 0xFFF), 1u);
    EXPECT_EQ(out[500], 0xDEADu);

    // Channel 2 reads the peak of twenty masked conversions in one frame, any other number
    // above 15 the mean of five of channel 2, the others one conversion, clamped to 12 bits.
    int call = 0;
    fe.chips.converter->setChannelFunction(2, [&](uint64_t) { return call++ == 10 ? 3000 : 1000 + call % 4; });
    EXPECT_EQ(adc.getLecturaConversorAD(2), 3000);
    const Bytes frame = fe.last("spi", kAdc);
    EXPECT_EQ(std::make_tuple(frame.size(), frame[0], frame[1]), std::make_tuple(size_t{42}, 0x09, 0x04));
    EXPECT_EQ(adc.getLecturaConversorAD(99), 1001); // 5008 / 5, truncated
    EXPECT_EQ(fe.last("spi", kAdc).size(), 12u);
    fe.chips.converter->setSource([](int channel, uint64_t) { return channel == 3 ? 5000 : -5; });
    EXPECT_EQ((std::vector<int>{adc.getLecturaConversorAD(3), adc.getLecturaConversorAD(0)}), (std::vector<int>{4095, 0}));
    EXPECT_EQ(fe.last("spi", kAdc), (Bytes{0x08, 0x04, 0x08, 0x04})); // 0x0800 | 0 << 7 | 4

    fe.clearLog();
    EXPECT_EQ((std::vector<int>{adc.getLecturaConversorAD(16), adc.getLecturaConversorAD(-1),
                                adc.getArrayValue(16, 4, out.data()), adc.getArrayValue(2, 4, nullptr),
                                adc.getArrayValue(2, 0, out.data())}),
              (std::vector<int>{-1, -1, -1, -1, 0}));
    EXPECT_TRUE(fe.bytes("spi", kAdc).empty());
    fe.board->faults().fail(Device::spi(kAdc), platform::sim::kOpen);
    EXPECT_EQ((std::vector<int>{adc.getLecturaConversorAD(2), adc.getArrayValue(2, 4, out.data())}),
              (std::vector<int>{-1, -1}));
}
