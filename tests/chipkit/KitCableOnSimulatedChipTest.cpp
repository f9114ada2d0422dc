// The cable standards of the kit on the simulated demodulator and the typical cable network:
// a channel locks within its limit only when tuned to its standard and band, and the monitors
// read back what the scene says.
#include "Dvbc2Stepper.h"
#include "KitOnChip.h"
#include "KitTrail.h"

#include "chipkit/kit_demod_config.h"
#include "chipkit/kit_demod_dvbc.h"
#include "chipkit/kit_demod_dvbc2.h"
#include "chipkit/kit_demod_dvbc2_monitor.h"
#include "chipkit/kit_demod_dvbc_monitor.h"
#include "chipkit/kit_demod_j83b.h"
#include "chipkit/kit_demod_j83b_monitor.h"
#include "chipkit/kit_integ_dvbc.h"
#include "chipkit/kit_integ_j83b.h"

#include <gtest/gtest.h>


using namespace platform::sim;
using namespace kittest;

namespace {

struct CableOnChip : KitOnChip {
    CableOnChip()
    {
        RfScene::typicalCableNetwork(*scene);
        EXPECT_EQ(kit_demod_Initialize(&demod), 0u);
    }

    // The tuner on tunedMHz, the standard's tune, the tune end and the integration layer's
    // lock wait; lockedAfterMs tells how long that took.
    kit_result_t tuneAndWait(double tunedMHz, kit_result_t (*tune)(kit_demod_t*, const kit_dvbc_tune_param_t*),
                             kit_dtv_bandwidth_t bw, kit_result_t (*wait)(kit_integ_t*))
    {
        chip->setTunedFrequencyHz(tunedMHz * 1e6);
        const kit_dvbc_tune_param_t p = {uint32_t(tunedMHz * 1000), bw};
        kit_result_t r = tune(&demod, &p);
        if (r == KIT_RESULT_OK)
            r = kit_demod_TuneEnd(&demod);
        const uint64_t start = boardMs();
        r = r != KIT_RESULT_OK ? r : wait(&integ);
        lockedAfterMs = static_cast<uint32_t>(boardMs() - start);
        return r;
    }
    kit_result_t dvbc(double mhz, kit_dtv_bandwidth_t bw = KIT_DTV_BW_8_MHZ)
    {
        return tuneAndWait(mhz, kit_demod_dvbc_Tune, bw, kit_integ_dvbc_WaitTSLock);
    }
    kit_result_t j83b(double mhz, kit_dtv_bandwidth_t band)
    {
        return tuneAndWait(mhz, kit_demod_j83b_Tune, band, kit_integ_j83b_WaitTSLock);
    }

    Dvbc2Stepper c2()
    {
        Dvbc2Stepper s(demod);
        s.tuner = [this](uint32_t kHz) { chip->setTunedFrequencyHz(kHz * 1e3); };
        return s;
    }

    uint32_t lockedAfterMs = 0;
};

} // namespace

TEST(KitCableOnSimulatedChip, DvbcChannelLocksWithinTheLimitAndReadsBackAsTheSceneSays)
{
    CableOnChip k;
    ASSERT_EQ(kit_demod_SetConfig(&k.demod, 32, 8), 0u);  // PER window of 256 packets
    ASSERT_EQ(k.dvbc(474), 0u);
    EXPECT_LE(k.lockedAfterMs, 1000u);
    EXPECT_EQ(value(kit_demod_dvbc_monitor_QAM, &k.demod), KIT_SCQAM_256QAM);
    EXPECT_NEAR(value(kit_demod_dvbc_monitor_SymbolRate, &k.demod), 6900000, 1);
    EXPECT_NEAR(value(kit_demod_dvbc_monitor_SNR, &k.demod), 38000, 300);  // the scene's 38 dB
    EXPECT_EQ(value(kit_demod_dvbc_monitor_CarrierOffset, &k.demod) + value(kit_demod_dvbc_monitor_SpectrumSense, &k.demod), 0);
    k.advanceMs(100);
    EXPECT_EQ(value(kit_demod_dvbc_monitor_PER, &k.demod), 0u);
    EXPECT_TRUE(k.freezeReleased());
}

TEST(KitCableOnSimulatedChip, NoChannelNoLock)
{
    struct Case {
        const char* what;
        std::function<kit_result_t(CableOnChip&)> tune;
        kit_result_t result;
    };
    const Case cases[] = {
        {"nothing where the tuner is", [](CableOnChip& k) { return k.dvbc(250); }, 5},
        {"a J.83B channel tuned as DVB-C", [](CableOnChip& k) { return k.dvbc(873); }, 5},
        {"a DVB-C channel on a 6 MHz band setting", [](CableOnChip& k) { return k.dvbc(474, KIT_DTV_BW_6_MHZ); }, 5},
        {"a DVB-C channel tuned as J.83B", [](CableOnChip& k) { return k.j83b(474, KIT_DTV_BW_J83B_50); }, 5},
        {"the J.83B channel on band 51", [](CableOnChip& k) { return k.j83b(873, KIT_DTV_BW_J83B_51); }, 5},
        {"nothing, in scan mode: the chip gives up",
         [](CableOnChip& k) {
             EXPECT_EQ(kit_demod_terr_cable_SetScanMode(&k.demod, KIT_DTV_SYSTEM_DVBC, 1), 0u);
             return k.dvbc(250);
         },
         6},
    };
    for (const Case& c : cases) {
        CableOnChip k;
        const uint64_t start = boardMs();
        EXPECT_EQ(c.tune(k), c.result) << c.what;
        EXPECT_GE(boardMs() - start, c.result == 5 ? 1000u : 300u) << c.what;
        EXPECT_FALSE(k.chip->tsLocked()) << c.what;
        uint8_t ar = 9, ts = 9, unlock = 9;
        const auto sync = k.demod.system == KIT_DTV_SYSTEM_J83B ? kit_demod_j83b_monitor_SyncStat
                                                                : kit_demod_dvbc_monitor_SyncStat;
        ASSERT_EQ(sync(&k.demod, &ar, &ts, &unlock), 0u);
        EXPECT_EQ(ar + ts, 0) << c.what;
    }
}

TEST(KitCableOnSimulatedChip, J83bChannelLocksOnItsBand)
{
    CableOnChip k;
    ASSERT_EQ(k.j83b(873, KIT_DTV_BW_J83B_50), 0u);
    EXPECT_LE(k.lockedAfterMs, 1000u);
    EXPECT_EQ(value(kit_demod_j83b_monitor_QAM, &k.demod), KIT_SCQAM_256QAM);
    EXPECT_NEAR(value(kit_demod_j83b_monitor_SymbolRate, &k.demod), 5360537, 1);
    EXPECT_NEAR(value(kit_demod_j83b_monitor_SNR, &k.demod), 36000, 300);
    EXPECT_EQ(value(kit_demod_j83b_monitor_SpectrumSense, &k.demod), 0);
    EXPECT_NEAR(value(kit_demod_j83b_monitor_SamplingOffset, &k.demod), 0, 20);
    EXPECT_EQ(value(kit_demod_j83b_monitor_Interleave, &k.demod), 0);
    // 188-byte packets: a window of 2^4 packets is 16 x 1504 bits.
    ASSERT_EQ(kit_demod_SetConfig(&k.demod, 27, 4), 0u);
    k.advanceMs(50);
    uint32_t ber = 1;
    ASSERT_EQ(kit_demod_j83b_monitor_PreRSBER(&k.demod, &ber), 0u);
    EXPECT_LE(ber, 1u);
    EXPECT_TRUE(k.freezeReleased());
}

TEST(KitCableOnSimulatedChip, Dvbc2SystemLocksThroughTheSequencer)
{
    CableOnChip k;
    Dvbc2Stepper s = k.c2();
    const kit_dvbc2_tune_param_t plp1 = {866000, KIT_DTV_BW_8_MHZ, 0, 1, 0, 0};
    const uint64_t start = boardMs();
    ASSERT_EQ(s.run(plp1), 0u);
    EXPECT_LE(boardMs() - start, 2000u);
    EXPECT_EQ(s.walk(), (std::vector<uint32_t>{0, 1, 10, 11, 12}));
    const kit_dvbc2_plp_type_t data = KIT_DVBC2_PLP_DATA_NORMAL;
    EXPECT_NEAR(value(kit_demod_dvbc2_adv_monitor_MER, &k.demod), 37000, 300);
    EXPECT_EQ(std::make_tuple(value(kit_demod_dvbc2_monitor_QAM, &k.demod, data),
                              value(kit_demod_dvbc2_monitor_CodeRate, &k.demod, data),
                              value(kit_demod_dvbc2_monitor_LDPCCodeLength, &k.demod, data)),
              std::make_tuple(3, 4, 1));  // 256-QAM 5/6, long frames
    const kit_dvbc2_l1_part2_t l1 = value(kit_demod_dvbc2_monitor_L1Data, &k.demod);
    EXPECT_EQ(std::make_pair(l1.numDataSlices, l1.guardInterval), std::make_pair(uint8_t(1), uint8_t(KIT_DVBC2_GI_1_128)));
    EXPECT_NEAR(value(kit_demod_dvbc2_CarrierWordFrequency, KIT_DTV_BW_8_MHZ, l1.startFrequency), 862000, 60);

    EXPECT_TRUE(k.freezeReleased());
}

TEST(KitCableOnSimulatedChip, Dvbc2WhatNeverLocks)
{
    // A system at 474 MHz carrying data slice 3 with PLP 5, a notch in its tuning window.
    CableOnChip k;
    k.scene->clear();
    DigitalChannel c2;
    c2.plps = {DigitalPlp{5, Modulation::Qam256, "2/3", 3}};
    c2.signalling = {{"notch0Start", 120}, {"notch0Width", 5}};
    k.scene->addOfdm(474e6, 8e6, 66.0, standard::kDvbC2, 35.0, c2);
    struct Case {
        const char* what;
        kit_dvbc2_tune_param_t param;
        kit_result_t result;
    };
    const Case cases[] = {
        {"a PLP the data slice does not carry", {474000, 8, 3, 6, 0, 0}, 5},
        {"a data slice the system does not have", {474000, 8, 4, 5, 0, 0}, 5},
        {"a 6 MHz tuning window for the 8 MHz system", {474000, 6, 3, 5, 0, 0}, 6},
        {"nothing there", {300000, 8, 3, 5, 0, 0}, 6},
    };
    for (const Case& c : cases) {
        Dvbc2Stepper t = k.c2();
        EXPECT_EQ(t.run(c.param), c.result) << c.what;
        EXPECT_FALSE(k.chip->tsLocked()) << c.what;
        EXPECT_TRUE(k.freezeReleased());
    }
}
