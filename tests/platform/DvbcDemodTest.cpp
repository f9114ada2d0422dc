// DVB-C in the simulated demodulator, through raw I2C: it locks only on a DVB-C carrier it
// is tuned and programmed for, and its monitors say what the carrier is in the encodings
// the driver kit decodes.
#include "Cxd2856Bench.h"

#include "DvbcStandard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace platform::sim;
using namespace testsupport;

namespace {

struct Locked : Cxd2856Bench {
    explicit Locked(const SceneCarrier& c, int mhz = 8)
    {
        powerUp();
        dvbcActive(mhz);
        chip->setSignal(c);
        tuneEnd();
        advanceMs(200);
    }
};

} // namespace

TEST(DvbcDemod, LocksOnlyOnACarrierItIsTunedAndProgrammedFor)
{
    struct Case {
        const char* what;
        std::function<void(Cxd2856Bench&)> setUp;
        bool locks;
    };
    const SceneCarrier good = dvbcCarrier(474e6, Modulation::Qam256, 34);
    auto as = [&](const char* name) {
        SceneCarrier c = good;
        c.standard = name;
        return c;
    };
    using B = Cxd2856Bench;
    // clang-format off
    const Case cases[] = {
        {"the carrier at the input", [&](B& b) { b.chip->setSignal(good); }, true},
        {"nothing at the input", [](B&) {}, false},
        {"a DVB-T carrier", [&](B& b) { b.chip->setSignal(as(standard::kDvbT)); }, false},
        {"a EuroDOCSIS downstream", [&](B& b) { b.chip->setSignal(as(standard::kDocsis30)); }, true},
        {"QPSK, not a cable constellation", [&](B& b) { b.chip->setSignal(dvbcCarrier(474e6, Modulation::Qpsk, 34)); }, false},
        {"tuner 400 kHz off: caught", [&](B& b) { b.chip->setSignal(good); b.chip->setTunedFrequencyHz(474.4e6); }, true},
        {"tuner 1 MHz off", [&](B& b) { b.chip->setSignal(good); b.chip->setTunedFrequencyHz(475e6); }, false},
        {"IF word of 3.7 MHz, the tuner's IF 4.9 MHz",
         [&](B& b) { b.chip->setSignal(good); b.set(kSlvt, 0x10, 0xB6, {0x13, 0xBB, 0xBC}); }, false},
        {"7 MHz band setting for 6.9 MBd",
         [&](B& b) { b.chip->setSignal(good); b.set(kSlvt, 0x40, 0x26, {0x08, 0x66, 0x00, 0xEE}); }, false},
        {"no band setting", [&](B& b) { b.chip->setSignal(good); b.set(kSlvt, 0x40, 0x26, {0, 0, 0, 0}); }, false},
        {"the scene's carrier where the tuner is", [&](B& b) { b.scene->add(good); b.chip->setTunedFrequencyHz(474e6); }, true},
        {"the scene's carrier, the tuner a channel up",
         [&](B& b) { b.scene->add(good); b.chip->setTunedFrequencyHz(482e6); }, false},
        {"the scene's carrier, the tuner not tuned", [&](B& b) { b.scene->add(good); }, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        Cxd2856Bench b;
        b.powerUp();
        b.dvbcActive();
        c.setUp(b);
        b.tuneEnd();
        b.advanceMs(1000);
        const uint8_t sync = b.get1(kSlvt, 0x40, 0x88);
        EXPECT_EQ(sync, c.locks ? 0x01 : 0x02) << c.what;
        EXPECT_EQ(b.get1(kSlvt, 0x40, 0x10) & 0x20, c.locks ? 0x20 : 0) << c.what;
        EXPECT_EQ(b.chip->receivedCarrier().has_value(), c.locks) << c.what;
    }
}

TEST(DvbcDemod, ConstellationSamplesCarryTheMerOnTheModulationsLevels)
{
    struct Case {
        Modulation m;
        double merDb;
        int outer;
        int levels; // odd levels per axis side
    };
    for (const Case& c : {Case{Modulation::Qam16, 22, 49, 2}, Case{Modulation::Qam64, 28, 55, 4},
                          Case{Modulation::Qam256, 30, 58, 8}}) {
        Locked b(dvbcCarrier(474e6, c.m, c.merDb));
        b.chip->setSeed(7);
        const double step = double(c.outer) / (2 * c.levels - 1);
        double signal = 0, error = 0;
        int largest = 0;
        b.write(kSlvt, 0x00, {0x40});
        for (int i = 0; i < 4000; ++i) {
            const auto r = b.read(kSlvt, 0x47, 2);
            const double iq[2] = {double(int8_t(r[0])), double(int8_t(r[1]))};
            for (double v : iq) {
                // The nearest odd level on this axis.
                const double level = std::clamp(2 * std::floor(v / step / 2) + 1, -(2.0 * c.levels - 1), 2.0 * c.levels - 1);
                signal += std::pow(level * step, 2);
                error += std::pow(v - level * step, 2);
                largest = std::max(largest, int(std::abs(level)));
            }
        }
        EXPECT_NEAR(10 * std::log10(signal / error), c.merDb, 0.5) << modulationName(c.m);
        EXPECT_EQ(largest, 2 * c.levels - 1) << modulationName(c.m);
    }
}
