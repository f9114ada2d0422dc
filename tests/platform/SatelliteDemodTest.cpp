// The simulated demodulator's satellite side through raw I2C: the scene's satellite
// carriers, the spectrum the engine measures, the C/N calibration it encodes with, and the
// DiSEqC engine sending only while switched on.
#include "Cxd2856Bench.h"

#include "SatellitePowerScan.h"
#include "SatelliteStandard.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace platform::sim;
using namespace testsupport;

TEST(SatelliteDemod, SceneCarriersAndTheirSpectrum)
{
    RfScene scene;
    scene.setNoiseFloor(30);
    DigitalChannel d;
    d.signalling["rolloff%"] = 20;
    scene.addSatellite(1200e6, 27.5e6, standard::kDvbS2, 15, d);
    const SceneCarrier c = scene.carriers().at(0);
    EXPECT_DOUBLE_EQ(c.bandwidthHz, 33e6);
    EXPECT_NEAR(c.levelDbuV, 30 + 10 * std::log10(27.5e6 / 157500) + 15, 1e-9);
    EXPECT_DOUBLE_EQ(c.digital.symbolRateBd, 27.5e6);
    EXPECT_EQ(c.merDb, 15);

    // Flat top 15 dB over the noise density, half power at the symbol-rate edges, nothing
    // beyond the roll-off; the same through a sweep bin and the single-point filter.
    const satellite::Filter bin{true, 500e3}, bell{false, satellite::kSinglePointSigmaHz};
    const auto carriers = scene.carriers();
    for (const satellite::Filter& f : {bin, bell}) {
        EXPECT_NEAR(satellite::powerOverNoise(carriers, 30, 1200e6, f), std::pow(10, 1.5), 1e-6);
        EXPECT_NEAR(satellite::powerOverNoise(carriers, 30, 1200e6 + 13.75e6, f), std::pow(10, 1.5) / 2, 1e-6);
        EXPECT_EQ(satellite::powerOverNoise(carriers, 30, 1200e6 + 16.6e6, f), 0);
    }
    EXPECT_EQ(satellite::rawPower(carriers, 30, 1200e6, bin), 261);  // 8 x (1 + 31.6)
    EXPECT_EQ(satellite::rawPower(carriers, 30, 1300e6, bin), 8);
    // A CW line counts whole in its bin, through the bell by its distance.
    scene.addCw(1400e6, 30 + 20);
    const auto withLine = scene.carriers();
    EXPECT_NEAR(satellite::powerOverNoise(withLine, 30, 1400.2e6, bin), 100 * 157500 / 500e3, 1e-6);
    EXPECT_EQ(satellite::powerOverNoise(withLine, 30, 1400.3e6, bin), 0);
    EXPECT_NEAR(satellite::powerOverNoise(withLine, 30, 1400.15e6, bell) /
                    satellite::powerOverNoise(withLine, 30, 1400e6, bell),
                std::exp(-0.5), 1e-9);
    EXPECT_EQ(satellite::rawPower(withLine, 0, 1400e6, bin), 4095) << "clipped";
}

TEST(SatelliteDemod, CnEncodingAtTheChipsKnownRowsAndModcods)
{
    const struct {
        bool dvbs2;
        double cnDb;
        uint32_t reg;
    } cases[] = {
        {false, 0, 830}, {false, 0.1, 825}, {false, 10, 204}, {false, 19.9, 21}, {false, 20, 20}, {false, 30, 20},
        {false, -3, 830}, {false, 4, 552},  {true, 0, 1455},  {true, 5, 566},    {true, 15, 65},   {true, 7.5, 382},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sat::cnrRegister(c.dvbs2, c.cnDb), c.reg) << c.dvbs2 << " " << c.cnDb;

    // The MODCOD of the scene's carriers: none for a pair DVB-S2 does not have, unless the
    // carrier names its own.
    const struct {
        Modulation modulation;
        const char* rate;
        int named, modcod;
    } modcods[] = {{Modulation::Qpsk, "3/4", 0, 7}, {Modulation::Psk8, "9/10", 0, 17}, {Modulation::Psk8, "1/2", 0, 0},
                   {Modulation::Apsk16, "1/2", 0, 0}, {Modulation::Apsk16, "1/2", 29, 29}};
    for (const auto& m : modcods) {
        SceneCarrier c;
        c.digital.modulation = m.modulation;
        c.digital.codeRate = m.rate;
        if (m.named)
            c.digital.signalling["modcod"] = m.named;
        EXPECT_EQ(sat::modcod(c), m.modcod) << m.rate << " " << m.named;
    }
}

TEST(SatelliteDemod, DiseqcSendsOnlyWhileSwitchedOn)
{
    Cxd2856Bench b;
    b.powerUp();
    b.set(kSlvt, 0xBB, 0x33, {0x01});
    b.write(kSlvt, 0x3D, {3, 0xE0, 0x10, 0x24});
    b.write(kSlvt, 0x37, {1});
    b.write(kSlvt, 0x32, {1});
    EXPECT_TRUE(b.chip->diseqcSendings().empty()) << "engine off";
    b.set(kSlvt, 0x00, 0x9C, {0x40});
    b.set(kSlvt, 0xBB, 0x39, {0x00, 0x22});  // 34 counts: about 1.5 ms idle
    b.write(kSlvt, 0x32, {1});
    ASSERT_EQ(b.chip->diseqcSendings().size(), 1u);
    EXPECT_EQ(b.chip->diseqcSendings()[0].message, (std::vector<uint8_t>{0xE0, 0x10, 0x24}));
    EXPECT_EQ(b.get1(kSlvt, 0xBB, 0x10), 1);
    b.advanceMs(2);
    EXPECT_EQ(b.get1(kSlvt, 0xBB, 0x10), 2);
    b.advanceMs(41);
    EXPECT_EQ(b.get1(kSlvt, 0xBB, 0x10), 0);  // three bytes of 13.5 ms
    b.write(kSlvt, 0x36, {1});
    EXPECT_TRUE(b.chip->toneOn());
    b.set(kSlvt, 0x00, 0x80, {0x20});
    EXPECT_FALSE(b.chip->toneOn());
}
