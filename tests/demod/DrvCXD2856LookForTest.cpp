// Every standard's look-for on the simulated demodulator behind the simulated tuner: a
// channel of the scene locks where the tuner is, with the bandwidth candidates tried in their
// order, fixed parameters that differ refused, the counting windows written, the TS output on
// only at lock, and a cancel raised by the host ending the search within one poll.
#include "FamilyBench.h"

#include "demod/DrvDefCodes.h"

#include <gtest/gtest.h>

using namespace platform::sim;
using namespace drivertest;

namespace {

using Configs = std::vector<std::pair<uint32_t, uint32_t>>;

DigitalChannel dvbt2Channel()
{
    DigitalChannel d;
    d.fftSize = 32768;
    d.guardInterval = "1/128";
    d.plps = {DigitalPlp{0, Modulation::Qam256, "2/3", 0}, DigitalPlp{5, Modulation::Qam16, "1/2", 0}};
    return d;
}

DigitalChannel isdbtChannel()
{
    DigitalChannel d;
    d.fftSize = 8192;
    d.guardInterval = "1/8";
    d.layers = {DigitalLayer{1, Modulation::Qpsk, "2/3", 2}, DigitalLayer{12, Modulation::Qam64, "3/4", 2}};
    return d;
}

DigitalChannel qam(Modulation m, double symbolRateBd)
{
    DigitalChannel d;
    d.modulation = m;
    d.symbolRateBd = symbolRateBd;
    return d;
}

} // namespace

TEST(DrvCXD2856LookFor, EveryStandardLocksTheSceneChannelTheTunerIsOnAndOnlyThere)
{
    struct Case {
        Std std;
        double channelHz;
        double tunedHz;
        bool locks;
    };
    const Case cases[] = {
        {Std::DvbT, 602e6, 602e6, true},  {Std::DvbT, 602e6, 618e6, false}, {Std::DvbT2, 610e6, 610e6, true},
        {Std::DvbC, 474e6, 474e6, true},  {Std::DvbC, 474e6, 490e6, false}, {Std::DvbC2, 866e6, 866e6, true},
        {Std::J83b, 573e6, 573e6, true},  {Std::IsdbT, 629e6, 629e6, true}, {Std::IsdbT, 629e6, 641e6, false},
        {Std::DvbS, 1550e6, 1550e6, true}, {Std::DvbS2, 1210e6, 1210e6, true}, {Std::DvbS, 1550e6, 1700e6, false},
    };
    for (const Case& c : cases) {
        FamilyBench b;
        b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 32, dvbtChannel());
        b.scene->addOfdm(610e6, 8e6, 66, standard::kDvbT2, 33, dvbt2Channel());
        b.scene->addDigital(474e6, 8e6, 66, standard::kDvbC, 38, qam(Modulation::Qam256, 6900000));
        DigitalChannel c2;
        c2.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}, DigitalPlp{2, Modulation::Qam1024, "3/4", 0}};
        b.scene->addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, c2);
        b.scene->addDigital(573e6, 6e6, 64, standard::kJ83B, 36, qam(Modulation::Qam256, 0));
        b.scene->addOfdm(629e6, 6e6, 66, standard::kIsdbT, 31, isdbtChannel());
        b.scene->addSatellite(1550e6, 27500000, standard::kDvbS, 12);
        b.scene->addSatellite(1210e6, 22000000, standard::kDvbS2, 12);
        const uint32_t kBd = c.channelHz == 1210e6 ? 22000 : 27500;
        ASSERT_EQ(b.bringUp(c.std, uint32_t(c.tunedHz)).code, 0u) << int(c.std);
        uint8_t locked = 7;
        EXPECT_EQ(FamilyBench::lookFor(c.std, &locked, kBd).code, 0u) << int(c.std);
        EXPECT_EQ(locked, c.locks ? 1 : 0) << int(c.std) << " at " << c.tunedHz;
        EXPECT_EQ(FamilyBench::status(c.std) == eDEMOD_LOCK_STATUS_TS_LOCKED, c.locks) << int(c.std);
        EXPECT_EQ(b.tsOutputOn(), c.locks) << int(c.std);
        EXPECT_TRUE(b.freezeReleased()) << int(c.std);
        EXPECT_EQ(b.tuner->gateViolations(), 0);
    }
}

TEST(DrvCXD2856LookFor, TerrestrialBandwidthCandidatesInTheirOrderUntilTheFirstLock)
{
    struct Case {
        Std std;
        uint32_t requested;
        bool automatic;
        double channelWidthHz;
        Configs tried;
        bool locks;
    };
    const uint32_t T = eSIGNAL_TYPE_DVBT, T2 = eSIGNAL_TYPE_DVBT2, I = eSIGNAL_TYPE_ISDBT;
    const Case cases[] = {
        {Std::DvbT, 6, true, 8e6, {{T, 6000000}, {T, 7000000}, {T, 8000000}}, true},
        {Std::DvbT, 7, true, 6e6, {{T, 7000000}, {T, 8000000}, {T, 6000000}}, true},
        {Std::DvbT, 8, true, 5e6, {{T, 8000000}, {T, 7000000}, {T, 6000000}}, false},
        {Std::DvbT, 6, false, 8e6, {{T, 6000000}}, false},
        {Std::DvbT2, 6, true, 7e6, {{T2, 6000000}, {T2, 8000000}, {T2, 7000000}}, true},
        {Std::DvbT2, 17, true, 5e6, {{T2, 1700000}, {T2, 8000000}, {T2, 7000000}, {T2, 6000000}, {T2, 5000000}}, true},
        {Std::DvbT2, 7, false, 8e6, {{T2, 7000000}}, false},
        {Std::IsdbT, 8, true, 6e6, {{I, 8000000}, {I, 7000000}, {I, 6000000}}, true},
    };
    for (const Case& c : cases) {
        FamilyBench b;
        const std::string name = c.std == Std::DvbT ? standard::kDvbT : c.std == Std::DvbT2 ? standard::kDvbT2 : standard::kIsdbT;
        b.scene->addOfdm(650e6, c.channelWidthHz, 66, name, 32,
                         c.std == Std::DvbT ? dvbtChannel() : c.std == Std::DvbT2 ? dvbt2Channel() : isdbtChannel());
        ASSERT_EQ(b.bringUp(c.std, 650000000).code, 0u);
        KxlDrvLibError e{};
        uint8_t locked = 0;
        const uint32_t automatic = c.automatic ? 1 : 0;
        if (c.std == Std::DvbT)
            DrvCXD2856_dvbt_look_for(&e, {3900000, 1, 0, automatic, c.requested, 1, 0, 1, 0, 1, 0, 0}, &locked);
        else if (c.std == Std::DvbT2)
            DrvCXD2856_dvbt2_look_for(&e, {3900000, automatic, c.requested, KIT_DVBT2_PROFILE_ANY, 1, 0, 1, 0, 0}, &locked);
        else
            DrvCXD2856_isdbt_look_for(&e, {automatic, c.requested, 1, 0, 0}, &locked);
        EXPECT_EQ(configurations(), c.tried) << int(c.std) << " asked " << c.requested;
        EXPECT_EQ(locked, c.locks ? 1 : 0) << int(c.std) << " asked " << c.requested;
        uint8_t flag = 0;
        const uint32_t found = c.std == Std::DvbT ? DrvCXD2856_dvbt_get_bw(&flag)
                             : c.std == Std::DvbT2 ? DrvCXD2856_dvbt2_get_bw(&flag)
                                                   : DrvCXD2856_isdbt_get_bw(&flag);
        if (c.locks) {
            EXPECT_EQ(found, uint32_t(c.channelWidthHz / 1e6));
        }
        EXPECT_EQ(flag, automatic);
    }
}

TEST(DrvCXD2856LookFor, DvbtFixedParametersThatDifferGiveStatusTwoAndNoTs)
{
    struct Case {
        uint32_t modeAuto, mode, guardAuto, guard, spAuto, sp;
        uint32_t status;
    };
    // The channel: 8k, guard 1/4, not inverted.
    const Case cases[] = {
        {0, eFFT_8K, 0, eGI_1_4, 0, 0, 12}, {0, eFFT_2K, 1, 0, 1, 0, 2},
        {1, 0, 0, eGI_1_8, 1, 0, 2},        {1, 0, 1, 0, 0, 1, 2},
    };
    for (const Case& c : cases) {
        FamilyBench b;
        b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 32, dvbtChannel());
        ASSERT_EQ(b.bringUp(Std::DvbT, 602000000).code, 0u);
        KxlDrvLibError e{};
        uint8_t locked = 9;
        DrvCXD2856_dvbt_look_for(&e, {3900000, 1, 0, 0, 8, c.modeAuto, c.mode, c.guardAuto, c.guard, c.spAuto, c.sp, 0},
                                 &locked);
        EXPECT_EQ(FamilyBench::status(Std::DvbT), c.status);
        EXPECT_EQ(locked, c.status == 12 ? 1 : 0);
        EXPECT_EQ(b.tsOutputOn(), c.status == 12);
        uint8_t flag = 9;
        EXPECT_EQ(DrvCXD2856_dvbt_get_mode(&flag), c.modeAuto ? uint32_t(eFFT_8K) : c.mode);
        EXPECT_EQ(DrvCXD2856_dvbt_get_guard(&flag), c.guardAuto ? uint32_t(eGI_1_4) : c.guard);
    }
}

TEST(DrvCXD2856LookFor, CableConstellationAndSenseAskedForAndNotThere)
{
    struct Case {
        Std std;
        uint32_t spAuto, sp, constAuto, constellation;
        uint32_t status;
    };
    const Case cases[] = {
        {Std::DvbC, 1, 0, 0, eCONST_64QAM, 3}, {Std::DvbC, 0, 1, 1, 0, 1},
        {Std::DvbC, 0, 0, 0, eCONST_256QAM, 12},
    };
    for (const Case& c : cases) {
        FamilyBench b;
        b.scene->addDigital(474e6, 8e6, 66, standard::kDvbC, 38, qam(Modulation::Qam256, 6900000));
        ASSERT_EQ(b.bringUp(c.std, 474000000).code, 0u);
        KxlDrvLibError e{};
        uint8_t locked = 9;
        DrvCXD2856_dvbc_look_for(&e, {3900000, c.spAuto, c.sp, c.constAuto, c.constellation, 0}, &locked);
        EXPECT_EQ(FamilyBench::status(c.std), c.status);
        EXPECT_EQ(locked, c.status == 12 ? 1 : 0);
        EXPECT_EQ(b.tsOutputOn(), c.status == 12);
    }
}

TEST(DrvCXD2856LookFor, DvbcNarrowsTheTunerToTheSignalFoundAndSearchesAgain)
{
    struct Case {
        double symbolRateBd;
        double channelWidthHz;
    };
    for (const Case& c : {Case{6900000, 8e6}, Case{5000000, 6e6}}) {
        FamilyBench b;
        b.scene->addDigital(474e6, c.channelWidthHz, 66, standard::kDvbC, 38, qam(Modulation::Qam64, c.symbolRateBd));
        ASSERT_EQ(b.bringUp(Std::DvbC, 474000000).code, 0u);
        uint8_t locked = 0;
        FamilyBench::lookFor(Std::DvbC, &locked);
        ASSERT_EQ(locked, 1) << c.symbolRateBd;
        int32_t offset = 0;
        KxlDrvLibError e{};
        DrvCXD2856_m_dvbc_read_frequency_offset(&e, &offset, &FamilyBench::s());
        const uint32_t narrowed
            = std::min(8000000u, uint32_t(std::lround(c.symbolRateBd * 1.15 + std::abs(offset))));
        EXPECT_EQ(configurations(), (Configs{{eSIGNAL_TYPE_DVBC, 8000000}, {eSIGNAL_TYPE_DVBC, narrowed}}));
        uint8_t flag = 0;
        EXPECT_EQ(DrvCXD2856_dvbc_get_symbol_rate(&flag), uint32_t(c.symbolRateBd));
        // Scan mode is left off.
        EXPECT_EQ(FamilyBench::s().demod.scanMode, 0);
    }
}

TEST(DrvCXD2856LookFor, CountingWindowsWrittenAtTheEndOfEverySearch)
{
    uint8_t locked = 0;
    {
        FamilyBench b;
        b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 32, dvbtChannel());
        ASSERT_EQ(b.bringUp(Std::DvbT, 602000000).code, 0u);
        FamilyBench::lookFor(Std::DvbT, &locked);
        ASSERT_EQ(locked, 1);
        // 8k, 1/4, 64QAM 2/3: far more than 2^19 bits in 200 ms, so the largest window, at 17/30.
        EXPECT_EQ(b.chip->slvtRegister(0x10, 0x6F), 7);
        EXPECT_EQ(FamilyBench::s().dvbt.cber_bits, (uint64_t(1) << 19) * 17 / 30);
        // The pre-RS window of 200 ms of the rate after Viterbi, scaled at 2/3 by 1.1.
        const uint8_t vberExponent = b.chip->slvtRegister(0x10, 0x60);
        EXPECT_GT(vberExponent, 0);
        EXPECT_EQ(FamilyBench::s().dvbt.vber_bits, uint32_t(1632.0 * (1u << vberExponent) * 1.1));
    }
    {
        FamilyBench b;
        b.scene->addOfdm(610e6, 8e6, 66, standard::kDvbT2, 33, dvbt2Channel());
        ASSERT_EQ(b.bringUp(Std::DvbT2, 610000000).code, 0u);
        FamilyBench::lookFor(Std::DvbT2, &locked);
        ASSERT_EQ(locked, 1);
        EXPECT_EQ(b.chip->slvtRegister(0x20, 0x6F), 8);
        EXPECT_EQ(FamilyBench::s().dvbt2.m.cber_bits, 64800u * 256);
        // Normal frames at 2/3 carry 43200 bits after LDPC.
        EXPECT_EQ(FamilyBench::s().dvbt2.m.ldpc_bits, 43200u << (b.chip->slvtRegister(0x20, 0x72) & 0x0F));
    }
    {
        FamilyBench b;
        b.scene->addDigital(474e6, 8e6, 66, standard::kDvbC, 38, qam(Modulation::Qam256, 6900000));
        ASSERT_EQ(b.bringUp(Std::DvbC, 474000000).code, 0u);
        FamilyBench::lookFor(Std::DvbC, &locked);
        ASSERT_EQ(locked, 1);
        // 6.9 MBd x 8 bits for 200 ms is 6764 packets of 1632 bits: 2^12 of them.
        EXPECT_EQ(b.chip->slvtRegister(0x40, 0x60), 12);
        EXPECT_EQ(FamilyBench::s().dvbc.cber_bits, 1632u << 12);
    }
}

TEST(DrvCXD2856LookFor, T2PlpAskedForIsKeptAndEveryPlpRecordRead)
{
    FamilyBench b;
    b.scene->addOfdm(610e6, 8e6, 66, standard::kDvbT2, 33, dvbt2Channel());
    ASSERT_EQ(b.bringUp(Std::DvbT2, 610000000).code, 0u);
    KxlDrvLibError e{};
    uint8_t locked = 0;
    DrvCXD2856_dvbt2_look_for(&e, {3900000, 0, 8, KIT_DVBT2_PROFILE_BASE, 0, 5, 1, 0, 0}, &locked);
    ASSERT_EQ(locked, 1);
    uint32_t count = 0;
    const uint8_t* ids = nullptr;
    DrvCXD2856_dvbt2_get_plp_list(&count, &ids);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(ids[0], 0);
    EXPECT_EQ(ids[1], 5);
    EXPECT_EQ(DrvCXD2856_dvbt2_get_plp_id(), 5u);
    EXPECT_EQ(DrvCXD2856_dvbt2_get_plp_constellation_type(), uint32_t(eCONST_16QAM));
    EXPECT_EQ(DrvCXD2856_dvbt2_get_plp_coderate(), uint32_t(eCR_1_2));
    const kit_dvbt2_plp_t* plps = nullptr;
    ASSERT_EQ(DrvCXD2856_dvbt2_get_L1post_plp(&plps), 1u);
    EXPECT_EQ(plps[0].constell, 3u);
    EXPECT_EQ(plps[1].constell, 1u);
    uint8_t flag = 0;
    EXPECT_EQ(DrvCXD2856_dvbt2_get_mode(&flag), uint32_t(eFFT_32K));
    EXPECT_EQ(DrvCXD2856_dvbt2_get_guard(&flag), uint32_t(eGI_1_128));
    uint8_t base = 0, lite = 0;
    DrvCXD2856_dvbt2_get_profile(&base, &lite);
    EXPECT_EQ(base, 1);
    EXPECT_EQ(lite, 0);
}

TEST(DrvCXD2856LookFor, C2FindsItsDataSliceAndPlpsAndLocksTheFirst)
{
    FamilyBench b;
    DigitalChannel c2;
    c2.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}, DigitalPlp{2, Modulation::Qam1024, "3/4", 0}};
    c2.signalling["networkId"] = 0x1234;
    b.scene->addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, c2);
    ASSERT_EQ(b.bringUp(Std::DvbC2, 866000000).code, 0u);
    uint8_t locked = 0;
    ASSERT_EQ(FamilyBench::lookFor(Std::DvbC2, &locked).code, 0u);
    ASSERT_EQ(locked, 1);
    uint32_t count = 0;
    const uint8_t* ids = nullptr;
    DrvCXD2856_dvbc2_get_plp_list(&count, &ids);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(ids[0], 1);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(DrvCXD2856_dvbc2_get_plp_id(), 1u);
    EXPECT_EQ(DrvCXD2856_dvbc2_get_dslice_id(), 0u);
    EXPECT_EQ(DrvCXD2856_dvbc2_get_network_id(), 0x1234u);
    EXPECT_EQ(DrvCXD2856_dvbc2_get_plp_constellation_type(), uint32_t(eCONST_256QAM));
    EXPECT_EQ(DrvCXD2856_dvbc2_get_plp_coderate(), uint32_t(eCR_5_6));
    ASSERT_NE(DrvCXD2856_dvbc2_get_l1_part2(), nullptr);
    EXPECT_EQ(DrvCXD2856_dvbc2_get_l1_part2()->numDataSlices, 1);
    // The second PLP asked for by its id.
    KxlDrvLibError e{};
    DrvCXD2856_dvbc2_look_for(&e, {3900000, 0, 8, 0, 0, 0, 2, 1, 0}, &locked);
    EXPECT_EQ(locked, 1);
    EXPECT_EQ(DrvCXD2856_dvbc2_get_plp_id(), 2u);
    EXPECT_EQ(DrvCXD2856_dvbc2_get_plp_constellation_type(), uint32_t(eCONST_1024QAM));
}

TEST(DrvCXD2856LookFor, J83bSymbolRateReadAtLockAndKeptOrSnappedWithout)
{
    uint8_t locked = 0, valid = 0;
    {
        FamilyBench b;
        b.scene->addDigital(573e6, 6e6, 64, standard::kJ83B, 36, qam(Modulation::Qam256, 0));
        ASSERT_EQ(b.bringUp(Std::J83b, 573000000).code, 0u);
        FamilyBench::lookFor(Std::J83b, &locked);
        ASSERT_EQ(locked, 1);
        EXPECT_EQ(DrvCXD2856_annexb_get_constellation(&valid), uint32_t(eCONST_256QAM));
        EXPECT_EQ(valid, 1);
        EXPECT_EQ(FamilyBench::s().annexb.cber_bits, 1504u << b.chip->slvtRegister(0x40, 0x60));
    }
    struct Case {
        uint32_t constellation;
        uint32_t stored;
        uint32_t after;
    };
    const Case cases[] = {{eCONST_256QAM, 5309700, 5309700}, {eCONST_256QAM, 5100000, 5309734},
                          {eCONST_64QAM, 5057000, 5057000}, {eCONST_64QAM, 5309700, 5056941},
                          {eCONST_256QAM, 5056900, 5056900}};
    for (const Case& c : cases) {
        FamilyBench none;
        ASSERT_EQ(none.bringUp(Std::J83b, 573000000).code, 0u);
        FamilyBench::s().annexb.constellation.value = c.constellation;
        FamilyBench::s().annexb.symbol_rate.value = c.stored;
        FamilyBench::lookFor(Std::J83b, &locked);
        EXPECT_EQ(locked, 0);
        EXPECT_FALSE(none.tsOutputOn());
        EXPECT_EQ(FamilyBench::s().annexb.symbol_rate.value, c.after) << c.stored;
    }
}

TEST(DrvCXD2856LookFor, IsdbtReadsModeGuardAndTmccOfTheChannel)
{
    FamilyBench b;
    b.scene->addOfdm(629e6, 6e6, 66, standard::kIsdbT, 31, isdbtChannel());
    ASSERT_EQ(b.bringUp(Std::IsdbT, 629000000).code, 0u);
    uint8_t locked = 0, valid = 0;
    FamilyBench::lookFor(Std::IsdbT, &locked);
    ASSERT_EQ(locked, 1);
    EXPECT_EQ(DrvCXD2856_isdbt_get_mode(&valid), uint32_t(eFFT_8K));
    EXPECT_EQ(DrvCXD2856_isdbt_get_guard(&valid), uint32_t(eGI_1_8));
    EXPECT_EQ(DrvCXD2856_isdbt_get_constellation(0, &valid), uint32_t(eCONST_QPSK));
    EXPECT_EQ(DrvCXD2856_isdbt_get_constellation(1, &valid), uint32_t(eCONST_64QAM));
    EXPECT_EQ(DrvCXD2856_isdbt_get_coderate(1, &valid), uint32_t(eCR_3_4));
    uint32_t a = 0, bl = 0, c = 0, highest = 9;
    DrvCXD2856_isdbt_get_segment_layers(&a, &bl, &c, &highest);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(bl, 12u);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(highest, 1u);
    uint8_t tmccValid = 0;
    DrvCXD2856_isdbt_get_extended_data(&tmccValid);
    EXPECT_EQ(tmccValid, 1);
}

TEST(DrvCXD2856LookFor, AHostCancelEndsEverySearchWithinOnePoll)
{
    const Std all[] = {Std::DvbT, Std::DvbT2, Std::DvbC, Std::DvbC2, Std::J83b, Std::DvbS, Std::IsdbT};
    for (const Std std : all) {
        FamilyBench b;
        // Nothing on the air: every search would run through all its waits.
        ASSERT_EQ(b.bringUp(std, FamilyBench::satellite(std) ? 1550000000 : 650000000).code, 0u);
        // Lock a first time so that a stale lock could show.
        const uint64_t start = b.nowMs();
        cancelFromMs() = start + 45;
        uint8_t locked = 7;
        FamilyBench::lookFor(std, &locked, 27500);
        const uint64_t end = b.nowMs();
        EXPECT_GE(end, start + 45) << int(std);
        EXPECT_LE(end, start + 45 + 30) << int(std) << " took " << end - start << " ms";
        EXPECT_EQ(locked, 0) << int(std);
        EXPECT_EQ(FamilyBench::status(std), 0u) << int(std);
        EXPECT_FALSE(b.tsOutputOn()) << int(std);
        EXPECT_TRUE(b.freezeReleased()) << int(std);
    }
}

TEST(DrvCXD2856LookFor, ALockLostBeforeTheNextSearchLeavesNoStaleLock)
{
    FamilyBench b;
    b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 32, dvbtChannel());
    ASSERT_EQ(b.bringUp(Std::DvbT, 602000000).code, 0u);
    uint8_t locked = 0;
    FamilyBench::lookFor(Std::DvbT, &locked);
    ASSERT_EQ(locked, 1);
    // The host cancels the next search at once: the earlier lock is not reported again.
    cancelFromMs() = b.nowMs();
    FamilyBench::lookFor(Std::DvbT, &locked);
    EXPECT_EQ(locked, 0);
    EXPECT_EQ(FamilyBench::status(Std::DvbT), 0u);
    KxlDrvLibError e{};
    DrvCXD2856_dvbt_is_locked(&e, &locked);
    EXPECT_EQ(locked, 0);
    uint32_t st = 0;
    int32_t mer = 0;
    DrvCXD2856_dvbt_get_mer(&st, &mer);
    EXPECT_EQ(st, uint32_t(eRANGE_unlocked));
}

