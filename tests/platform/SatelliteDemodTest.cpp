// The simulated demodulator's satellite side: the C/N calibration it encodes with and the
// MODCOD of the scene's carriers.
#include "SatelliteStandard.h"

#include <gtest/gtest.h>

using namespace platform::sim;

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
