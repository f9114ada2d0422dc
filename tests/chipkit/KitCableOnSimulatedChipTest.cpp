// The cable standards of the kit on the simulated demodulator looking at the typical cable
// network: a channel locks within its standard's limit when the tuner is on it and the kit
// tunes its standard and band, and the monitors read back what the scene says; anything
// else (no channel, another standard, the wrong band) runs into the time-out or the chip's
// unlock verdict, never a lock.
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

#include <algorithm>
#include <cmath>

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

TEST(KitCableOnSimulatedChip, DvbcChannelsLockWithinTheLimitAndReadBackAsTheSceneSays)
{
    struct Channel {
        double mhz;
        kit_scqam_constellation_t qam;
        uint32_t symbolRate;
    };
    for (const Channel& c : {Channel{474, KIT_SCQAM_256QAM, 6900000}, Channel{330, KIT_SCQAM_64QAM, 6875000}}) {
        CableOnChip k;
        ASSERT_EQ(kit_demod_SetConfig(&k.demod, 32, 8), 0u);  // PER window of 256 packets
        ASSERT_EQ(k.dvbc(c.mhz), 0u) << c.mhz;
        EXPECT_LE(k.lockedAfterMs, 1000u);
        int32_t snr = 0;
        EXPECT_EQ(value(kit_demod_dvbc_monitor_QAM, &k.demod), c.qam);
        EXPECT_NEAR(value(kit_demod_dvbc_monitor_SymbolRate, &k.demod), c.symbolRate, 1);
        ASSERT_EQ(kit_demod_dvbc_monitor_SNR(&k.demod, &snr), 0u);
        EXPECT_NEAR(snr, 38000, 300);  // the scene's 38 dB, through the chip's logarithm
        EXPECT_EQ(value(kit_demod_dvbc_monitor_CarrierOffset, &k.demod), 0);
        EXPECT_EQ(value(kit_demod_dvbc_monitor_SpectrumSense, &k.demod), 0);
        k.advanceMs(100);
        EXPECT_EQ(value(kit_demod_dvbc_monitor_PER, &k.demod), 0u);
        EXPECT_TRUE(k.freezeReleased());
    }
}

TEST(KitCableOnSimulatedChip, EveryConstellationAndTheTuningPathReadBackThroughTheMonitors)
{
    // A carrier at 474 MHz straight at the demodulator's input, the tuner where the row says.
    const struct {
        Modulation m;
        kit_scqam_constellation_t qam;
        double symbolRate, merDb;
        bool transmittedInverted;
        Cxd2856Model::TunedInput tuner;
        int32_t offsetKHz;
        uint8_t inverted;
    } cases[] = {
        {Modulation::Qam16, KIT_SCQAM_16QAM, 6875000, 20, false, {474e6, 0, false}, 0, 0},
        {Modulation::Qam32, KIT_SCQAM_32QAM, 6900000, 24, true, {474e6, 0, false}, 0, 1},
        {Modulation::Qam64, KIT_SCQAM_64QAM, 6952000, 30.3, false, {473.7e6, 0, false}, 300, 0},
        {Modulation::Qam128, KIT_SCQAM_128QAM, 5056941, 33, false, {474.3e6, 0, false}, -300, 0},
        {Modulation::Qam256, KIT_SCQAM_256QAM, 6900000, 38, true, {474e6, 0, false}, 0, 1},
        {Modulation::Qam64, KIT_SCQAM_64QAM, 6900000, 30, false, {473.7e6, 0, true}, -300, 1},
        {Modulation::Qam64, KIT_SCQAM_64QAM, 6900000, 30, true, {473.7e6, 0, true}, -300, 0},
        {Modulation::Qam64, KIT_SCQAM_64QAM, 6900000, 30, false, {474e6, 5.1e6, false}, 200, 0},  // IF 200 kHz off
    };
    for (const auto& c : cases) {
        KitOnChip k;
        ASSERT_EQ(kit_demod_Initialize(&k.demod), 0u);
        SceneCarrier carrier = testsupport::dvbcCarrier(474e6, c.m, c.merDb, c.symbolRate);
        carrier.digital.spectrumInverted = c.transmittedInverted;
        k.chip->setSignal(carrier);
        k.chip->setInputSource([&] { return c.tuner; });
        const kit_dvbc_tune_param_t p = {474000, KIT_DTV_BW_8_MHZ};
        ASSERT_EQ(kit_demod_dvbc_Tune(&k.demod, &p), 0u);
        ASSERT_EQ(kit_demod_TuneEnd(&k.demod), 0u);
        k.advanceMs(200);
        const std::string what = std::string(modulationName(c.m)) + " at " + std::to_string(c.tuner.frequencyHz);
        kit_scqam_constellation_t qam = 9;
        uint32_t sps = 0;
        int32_t snr = 0, offset = 0;
        uint8_t inverted = 9;
        ASSERT_EQ(kit_demod_dvbc_monitor_QAM(&k.demod, &qam), 0u) << what;
        ASSERT_EQ(kit_demod_dvbc_monitor_SymbolRate(&k.demod, &sps), 0u);
        ASSERT_EQ(kit_demod_dvbc_monitor_SNR(&k.demod, &snr), 0u);
        ASSERT_EQ(kit_demod_dvbc_monitor_CarrierOffset(&k.demod, &offset), 0u);
        ASSERT_EQ(kit_demod_dvbc_monitor_SpectrumSense(&k.demod, &inverted), 0u);
        EXPECT_EQ(qam, c.qam) << what;
        EXPECT_NEAR(sps, c.symbolRate, 1) << what;
        EXPECT_NEAR(snr, c.merDb * 1000, 300) << what;
        EXPECT_NEAR(offset, c.offsetKHz, 2) << what;
        EXPECT_EQ(inverted, c.inverted) << what;
        EXPECT_TRUE(k.freezeReleased());
    }
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
    uint8_t qam = 0, rate = 0, longFrame = 0;
    EXPECT_NEAR(value(kit_demod_dvbc2_adv_monitor_MER, &k.demod), 37000, 300);
    ASSERT_EQ(kit_demod_dvbc2_monitor_QAM(&k.demod, KIT_DVBC2_PLP_DATA_NORMAL, &qam), 0u);
    ASSERT_EQ(kit_demod_dvbc2_monitor_CodeRate(&k.demod, KIT_DVBC2_PLP_DATA_NORMAL, &rate), 0u);
    ASSERT_EQ(kit_demod_dvbc2_monitor_LDPCCodeLength(&k.demod, KIT_DVBC2_PLP_DATA_NORMAL, &longFrame), 0u);
    EXPECT_EQ(qam, 3);   // 256-QAM
    EXPECT_EQ(rate, 4);  // 5/6
    EXPECT_EQ(longFrame, 1);
    kit_dvbc2_l1_part2_t l1 = {};
    ASSERT_EQ(kit_demod_dvbc2_monitor_L1Data(&k.demod, &l1), 0u);
    EXPECT_EQ(l1.numDataSlices, 1);
    EXPECT_EQ(l1.guardInterval, KIT_DVBC2_GI_1_128);
    uint32_t w = 0;
    EXPECT_NEAR(value(kit_demod_dvbc2_CarrierWordFrequency, KIT_DTV_BW_8_MHZ, l1.startFrequency), 862000, 60);
    ASSERT_EQ(kit_demod_dvbc2_CarrierWord(KIT_DTV_BW_8_MHZ, 866000, &w), 0u);

    // Constellation points of the 256-QAM PLP: its grid (outermost point at 295) with the
    // scene's noise.
    double signal = 0, noise = 0;
    for (uint16_t n = 0; n < 400; ++n) {
        int16_t i = 0, q = 0;
        ASSERT_EQ(kit_demod_dvbc2_adv_monitor_Constellation(&k.demod, n, &i, &q), 0u);
        auto ideal = [](int16_t v) { return std::clamp(2 * std::floor(v / (295.0 / 15) / 2) + 1, -15.0, 15.0) * 295.0 / 15; };
        signal += ideal(i) * ideal(i) + ideal(q) * ideal(q);
        noise += (i - ideal(i)) * (i - ideal(i)) + (q - ideal(q)) * (q - ideal(q));
    }
    EXPECT_NEAR(10 * std::log10(signal / noise), 37.0, 1.0);

    // Another PLP of the same data slice: the PLP id alone.
    ASSERT_EQ(kit_demod_dvbc2_SetPlpId(&k.demod, 2), 0u);
    ASSERT_EQ(kit_demod_dvbc2_monitor_QAM(&k.demod, KIT_DVBC2_PLP_DATA_NORMAL, &qam), 0u);
    EXPECT_EQ(qam, 4);  // 1024-QAM
    k.advanceMs(200);
    ASSERT_EQ(kit_demod_SetConfig(&k.demod, 33, 6), 0u);
    k.advanceMs(100);
    EXPECT_EQ(value(kit_demod_dvbc2_monitor_PER, &k.demod), 0u);
    EXPECT_TRUE(k.freezeReleased());

    // The channel search finds both PLPs of the data slice.
    kit_dvbc2_get_tune_params_seq_t search;
    ASSERT_EQ(kit_demod_dvbc2_InitGetTuneParamsSeq(&k.demod, 866000, KIT_DTV_BW_8_MHZ, &search), 0u);
    while (search.running) {
        search.currentTimeMs = static_cast<uint32_t>(boardMs());
        ASSERT_EQ(kit_demod_dvbc2_GetTuneParamsSeq(&k.demod, &search), 0u);
        if (search.tunerRetune)
            k.chip->setTunedFrequencyHz(search.retuneFreqKHz * 1e3), search.tunerRetune = 0;
        kit_stopwatch_t sw{};
        kit_stopwatch_sleep(&sw, search.waitMs);
        search.waitMs = 0;
    }
    ASSERT_EQ(search.result, 0u);
    ASSERT_EQ(search.entryCount, 2u);
    EXPECT_EQ(search.entries[0].dataPlpId, 1);
    EXPECT_EQ(search.entries[1].dataPlpId, 2);
    EXPECT_NEAR(search.entries[0].centerFreqKHz, 866000, 54);  // on the pilot grid
    EXPECT_EQ(search.entries[0].isNotch, 0);
    EXPECT_TRUE(k.freezeReleased());
}

TEST(KitCableOnSimulatedChip, Dvbc2NotchWalkAndWhatNeverLocks)
{
    // A system at 474 MHz with a notch in the data slice's tuning window: the long way round,
    // two tuner moves, and a lock on the data slice.
    CableOnChip k;
    k.scene->clear();
    DigitalChannel c2;
    c2.plps = {DigitalPlp{5, Modulation::Qam256, "2/3", 3}};
    c2.signalling = {{"notch0Start", 120}, {"notch0Width", 5}};
    k.scene->addOfdm(474e6, 8e6, 66.0, standard::kDvbC2, 35.0, c2);
    Dvbc2Stepper s = k.c2();
    ASSERT_EQ(s.run({474000, KIT_DTV_BW_8_MHZ, 3, 5, 1, 0}), 0u);
    EXPECT_EQ(s.walk(), (std::vector<uint32_t>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(s.tunerMoves.size(), 2u);
    EXPECT_NEAR(s.tunerMoves[1], 474000, 2);
    EXPECT_LT(s.seq.adjustedWord, s.seq.baseWord);  // moved away from the notch above
    EXPECT_EQ(value(kit_demod_dvbc2_monitor_GI, &k.demod), KIT_DVBC2_GI_1_128);
    EXPECT_EQ(value(kit_demod_dvbc2_monitor_SamplingOffset, &k.demod), 0);

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
