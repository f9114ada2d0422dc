// Every standard's measuring tasks on the simulated demodulator, after the family's own
// look-for and init-measures: a locked channel of the scene gives its MER, BER and errored
// packets once the post-processing has settled, no task leaves the monitors frozen, and the
// channel switched off lowers the status and takes the MER with it.
#include "FamilyBench.h"

#include "Constellation.h"
#include "demod/DrvDefCodes.h"
#include "demod/measure_mer.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace platform::sim;
using namespace drivertest;

namespace {

using Result = std::function<const MeasureResult&(st_t_data_CXD2856&)>;

DigitalChannel withErrors(DigitalChannel d, double preBer)
{
    d.preBer = preBer;
    d.packetErrorRate = 1e-3;
    return d;
}

DigitalChannel satellite(double preBer)
{
    DigitalChannel d = withErrors(qam(Modulation::Qpsk, 0), preBer);
    d.codeRate = "3/4";
    return d;
}

const t_per_result& perOf(Std std, st_t_data_CXD2856& s)
{
    switch (std) {
    case Std::DvbT: return s.dvbt.per;
    case Std::DvbT2: return s.dvbt2.m.per;
    case Std::DvbC: return s.dvbc.per;
    case Std::DvbC2: return s.dvbc2.m.per;
    case Std::J83b: return s.annexb.per;
    case Std::IsdbT: return s.isdbt.per;
    default: return s.dvbs.per;
    }
}

} // namespace

TEST(DrvCXD2856Tasks, EachStandardMeasuresItsChannelAndDropsWhenItGoes)
{
    using S = st_t_data_CXD2856;
    struct Case {
        Std std;
        std::function<void(RfScene&)> channel;
        Result mer;
        int32_t merTenths, merTolerance;
        Result ber;
        double berExpected; // 0: only a reading is asked for
        uint32_t offStatus; // after three ticks without the channel
    };
    // The cable standards' MER goes through their compiled calibration.
    const auto calibrated = [](const t_mer_calibration_table& t, int32_t tenths) {
        MeasureResult r{};
        MEASURE_MER_calibrate(&r, tenths, 0, &t);
        return r.value.s32;
    };
    const Case cases[] = {
        {Std::DvbT, [](RfScene& s) { s.addOfdm(602e6, 8e6, 66, standard::kDvbT, 21, withErrors(dvbtChannel(), 2e-4)); },
         [](S& s) -> const MeasureResult& { return s.dvbt.mer; }, 210, 15,
         [](S& s) -> const MeasureResult& { return s.dvbt.vber; }, 2e-4 / 1.1, 0}, // scaled for the 2/3 rate
        {Std::DvbT2,
         [](RfScene& s) {
             s.addOfdm(610e6, 8e6, 66, standard::kDvbT2, 20,
                       withErrors(dvbt2Channel({DigitalPlp{0, Modulation::Qam256, "2/3", 0}}), 1e-5));
         },
         [](S& s) -> const MeasureResult& { return s.dvbt2.m.mer; }, 200, 10,
         [](S& s) -> const MeasureResult& { return s.dvbt2.m.ldpcber; }, 1e-5, 1}, // no T2 signal
        {Std::DvbC,
         [](RfScene& s) {
             s.addDigital(474e6, 8e6, 66, standard::kDvbC, 30, withErrors(qam(Modulation::Qam64, 6900000), 1e-4));
         },
         [](S& s) -> const MeasureResult& { return s.dvbc.mer; }, 300, 5,
         [](S& s) -> const MeasureResult& { return s.dvbc.cber; }, 1e-4, 0},
        {Std::DvbC2, [](RfScene& s) { s.addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, withErrors(dvbc2Channel(), 1e-5)); },
         [](S& s) -> const MeasureResult& { return s.dvbc2.m.mer; }, -1, 8,
         [](S& s) -> const MeasureResult& { return s.dvbc2.m.ldpcber; }, 0, 0},
        {Std::J83b,
         [](RfScene& s) { s.addDigital(573e6, 6e6, 64, standard::kJ83B, 28, withErrors(qam(Modulation::Qam64), 2e-4)); },
         [](S& s) -> const MeasureResult& { return s.annexb.mer; }, 350, 5, // 28 dB on the straight 40-to-50 dB table
         [](S& s) -> const MeasureResult& { return s.annexb.cber; }, 2e-4, 0},
        {Std::DvbS, [](RfScene& s) { s.addSatellite(1550e6, 27.5e6, standard::kDvbS, 10, satellite(5e-5)); },
         [](S& s) -> const MeasureResult& { return s.dvbs.mer; }, 100, 2,
         [](S& s) -> const MeasureResult& { return s.dvbs.cber; }, 5e-5, 0},
        {Std::DvbS2, [](RfScene& s) { s.addSatellite(1210e6, 22e6, standard::kDvbS2, 25, satellite(5e-5)); },
         [](S& s) -> const MeasureResult& { return s.dvbs.mer; }, 200, 2, // at its maximum
         [](S& s) -> const MeasureResult& { return s.dvbs.s2_cber; }, 5e-5, 0},
        {Std::IsdbT, [](RfScene& s) { s.addOfdm(629e6, 6e6, 66, standard::kIsdbT, 22, withErrors(isdbtChannel(), 3e-4)); },
         [](S& s) -> const MeasureResult& { return s.isdbt.mer; }, 220, 10,
         [](S& s) -> const MeasureResult& { return s.isdbt.vber; }, 3e-4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "standard " << int(c.std));
        FamilyBench b;
        c.channel(*b.scene);
        ASSERT_EQ(b.bringUp(c.std, uint32_t(channelHz(c.std))).code, 0u);
        uint8_t locked = 0;
        FamilyBench::lookFor(c.std, &locked, channelKBd(c.std));
        ASSERT_EQ(locked, 1);
        FamilyBench::initMeasures(c.std);
        b.tick(40);
        S& s = FamilyBench::s();
        const int32_t mer = c.merTenths >= 0 ? c.merTenths : calibrated(s.plugplag->dvbc2.mer_table[1], 370);
        EXPECT_EQ(FamilyBench::status(c.std), 12u);
        EXPECT_NE(c.mer(s).status, 3u);
        EXPECT_NEAR(c.mer(s).value.s32, mer, c.merTolerance);
        EXPECT_NE(c.ber(s).status, 3u);
        if (c.berExpected > 0) {
            EXPECT_NEAR(c.ber(s).value.f32 / c.berExpected, 1.0, 0.3);
        }
        EXPECT_GT(perOf(c.std, s).errors, 0u);
        EXPECT_TRUE(b.freezeReleased());

        b.scene->clear();
        b.tick(1);
        if (c.std == Std::DvbT2) {
            // One step to "demodulator once locked"; the decoded layer 1 goes with the signal.
            EXPECT_EQ(std::make_tuple(FamilyBench::status(c.std), s.dvbt2.l1post, s.dvbt2.l1pre_read),
                      std::make_tuple(5u, nullptr, uint8_t(0)));
        }
        b.tick(2);
        EXPECT_EQ(std::make_tuple(FamilyBench::status(c.std), c.mer(s).status), std::make_tuple(c.offStatus, 3u));
        EXPECT_TRUE(b.freezeReleased());
    }
}
