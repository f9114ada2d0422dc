// Every standard's look-for on the simulated demodulator behind the simulated tuner: the
// bandwidth candidates tried in their order, fixed parameters that differ refused, the TS
// output on only at lock, and a cancel raised by the host ending the search within one poll.
#include "FamilyBench.h"

#include "demod/DrvDefCodes.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace platform::sim;
using namespace drivertest;

namespace {
using Configs = std::vector<std::pair<uint32_t, uint32_t>>;
using U = std::vector<uint32_t>;
} // namespace

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
        {Std::DvbT, 8, true, 5e6, {{T, 8000000}, {T, 7000000}, {T, 6000000}}, false},
        {Std::DvbT, 6, false, 8e6, {{T, 6000000}}, false},
        {Std::DvbT2, 6, true, 7e6, {{T2, 6000000}, {T2, 8000000}, {T2, 7000000}}, true},
        {Std::DvbT2, 17, true, 5e6, {{T2, 1700000}, {T2, 8000000}, {T2, 7000000}, {T2, 6000000}, {T2, 5000000}}, true},
        {Std::IsdbT, 8, true, 6e6, {{I, 8000000}, {I, 7000000}, {I, 6000000}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "standard " << int(c.std) << " asked " << c.requested);
        FamilyBench b;
        const std::string name = c.std == Std::DvbT ? standard::kDvbT : c.std == Std::DvbT2 ? standard::kDvbT2 : standard::kIsdbT;
        b.scene->addOfdm(650e6, c.channelWidthHz, 66, name, 32,
                         c.std == Std::DvbT ? dvbtChannel() : c.std == Std::DvbT2 ? dvbt2Channel() : isdbtChannel());
        ASSERT_EQ(b.bringUp(c.std, 650000000).code, 0u);
        KxlDrvLibError e{};
        uint8_t locked = 0, flag = 0;
        const uint32_t automatic = c.automatic ? 1 : 0;
        uint32_t found = 0;
        if (c.std == Std::DvbT) {
            DrvCXD2856_dvbt_look_for(&e, {3900000, 1, 0, automatic, c.requested, 1, 0, 1, 0, 1, 0, 0}, &locked);
            found = DrvCXD2856_dvbt_get_bw(&flag);
        } else if (c.std == Std::DvbT2) {
            DrvCXD2856_dvbt2_look_for(&e, {3900000, automatic, c.requested, KIT_DVBT2_PROFILE_ANY, 1, 0, 1, 0, 0}, &locked);
            found = DrvCXD2856_dvbt2_get_bw(&flag);
        } else {
            DrvCXD2856_isdbt_look_for(&e, {automatic, c.requested, 1, 0, 0}, &locked);
            found = DrvCXD2856_isdbt_get_bw(&flag);
        }
        EXPECT_EQ(configurations(), c.tried);
        EXPECT_EQ(locked, c.locks ? 1 : 0);
        if (c.locks) {
            EXPECT_EQ(found, uint32_t(c.channelWidthHz / 1e6));
        }
        EXPECT_EQ(flag, automatic);
    }
}

TEST(DrvCXD2856LookFor, FixedParametersThatDifferLowerTheStatusAndLeaveTheTsOff)
{
    // DVB-T: the channel is 8k, guard 1/4, not inverted; DVB-C: 256QAM, not inverted.
    struct Case {
        Std std;
        uint32_t p[6]; // DVB-T: mode auto, mode, guard auto, guard, sense auto, sense; DVB-C: sense, constellation
        uint32_t status;
    };
    const Case cases[] = {
        {Std::DvbT, {0, eFFT_8K, 0, eGI_1_4, 0, 0}, 12}, {Std::DvbT, {0, eFFT_2K, 1, 0, 1, 0}, 2},
        {Std::DvbT, {1, 0, 1, 0, 0, 1}, 2},
        {Std::DvbC, {1, 0, 0, eCONST_64QAM}, 3},          {Std::DvbC, {0, 1, 1, 0}, 1},
        {Std::DvbC, {0, 0, 0, eCONST_256QAM}, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "standard " << int(c.std) << " expecting " << c.status);
        FamilyBench b;
        standardScene(*b.scene);
        ASSERT_EQ(b.bringUp(c.std, uint32_t(channelHz(c.std))).code, 0u);
        KxlDrvLibError e{};
        uint8_t locked = 9, flag = 9;
        const uint32_t* p = c.p;
        if (c.std == Std::DvbT) {
            DrvCXD2856_dvbt_look_for(&e, {3900000, 1, 0, 0, 8, p[0], p[1], p[2], p[3], p[4], p[5], 0}, &locked);
            EXPECT_EQ(DrvCXD2856_dvbt_get_mode(&flag), p[0] ? uint32_t(eFFT_8K) : p[1]);
            EXPECT_EQ(DrvCXD2856_dvbt_get_guard(&flag), p[2] ? uint32_t(eGI_1_4) : p[3]);
        } else {
            DrvCXD2856_dvbc_look_for(&e, {3900000, p[0], p[1], p[2], p[3], 0}, &locked);
        }
        EXPECT_EQ(FamilyBench::status(c.std), c.status);
        EXPECT_EQ(locked, c.status == 12 ? 1 : 0);
        EXPECT_EQ(b.tsOutputOn(), c.status == 12);
    }
}

TEST(DrvCXD2856LookFor, PlpsOfT2AndC2AskedForAndEveryRecordRead)
{
    FamilyBench b;
    standardScene(*b.scene);
    ASSERT_EQ(b.bringUp(Std::DvbT2, 610000000).code, 0u);
    KxlDrvLibError e{};
    uint8_t locked = 0, flag = 0, base = 0, lite = 0;
    DrvCXD2856_dvbt2_look_for(&e, {3900000, 0, 8, KIT_DVBT2_PROFILE_BASE, 0, 5, 1, 0, 0}, &locked);
    ASSERT_EQ(locked, 1);
    uint32_t count = 0;
    const uint8_t* ids = nullptr;
    DrvCXD2856_dvbt2_get_plp_list(&count, &ids);
    ASSERT_EQ(count, 2u);
    const kit_dvbt2_plp_t* plps = nullptr;
    ASSERT_EQ(DrvCXD2856_dvbt2_get_L1post_plp(&plps), 1u);
    DrvCXD2856_dvbt2_get_profile(&base, &lite);
    EXPECT_EQ((U{ids[0], ids[1], DrvCXD2856_dvbt2_get_plp_id(), DrvCXD2856_dvbt2_get_plp_constellation_type(),
                 DrvCXD2856_dvbt2_get_plp_coderate(), plps[0].constell, plps[1].constell, DrvCXD2856_dvbt2_get_mode(&flag),
                 DrvCXD2856_dvbt2_get_guard(&flag), base, lite}),
              (U{0, 5, 5, eCONST_16QAM, eCR_1_2, 3, 1, eFFT_32K, eGI_1_128, 1, 0}));

    DigitalChannel c2 = dvbc2Channel();
    c2.signalling["networkId"] = 0x1234;
    FamilyBench c;
    c.scene->addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, c2);
    ASSERT_TRUE(c.locksOn(Std::DvbC2, 866000000));
    DrvCXD2856_dvbc2_get_plp_list(&count, &ids);
    ASSERT_EQ(count, 2u);
    ASSERT_NE(DrvCXD2856_dvbc2_get_l1_part2(), nullptr);
    EXPECT_EQ((U{ids[0], ids[1], DrvCXD2856_dvbc2_get_plp_id(), DrvCXD2856_dvbc2_get_dslice_id(),
                 DrvCXD2856_dvbc2_get_network_id(), DrvCXD2856_dvbc2_get_plp_constellation_type(),
                 DrvCXD2856_dvbc2_get_plp_coderate(), DrvCXD2856_dvbc2_get_l1_part2()->numDataSlices}),
              (U{1, 2, 1, 0, 0x1234, eCONST_256QAM, eCR_5_6, 1}));
    // The second PLP asked for by its id.
    DrvCXD2856_dvbc2_look_for(&e, {3900000, 0, 8, 0, 0, 0, 2, 1, 0}, &locked);
    EXPECT_EQ((U{locked, DrvCXD2856_dvbc2_get_plp_id(), DrvCXD2856_dvbc2_get_plp_constellation_type()}),
              (U{1, 2, eCONST_1024QAM}));
}

TEST(DrvCXD2856LookFor, J83bSymbolRateReadAtLockAndKeptOrSnappedWithout)
{
    uint8_t locked = 0, valid = 0;
    {
        FamilyBench b;
        standardScene(*b.scene);
        ASSERT_TRUE(b.locksOn(Std::J83b, 573000000));
        EXPECT_EQ((U{DrvCXD2856_annexb_get_constellation(&valid), valid}), (U{eCONST_256QAM, 1}));
    }
    struct Case {
        uint32_t constellation, stored, after;
    };
    for (const Case& c : {Case{eCONST_256QAM, 5309700, 5309700}, Case{eCONST_256QAM, 5100000, 5309734},
                          Case{eCONST_64QAM, 5309700, 5056941}}) {
        FamilyBench none;
        ASSERT_EQ(none.bringUp(Std::J83b, 573000000).code, 0u);
        FamilyBench::s().annexb.constellation.value = c.constellation;
        FamilyBench::s().annexb.symbol_rate.value = c.stored;
        FamilyBench::lookFor(Std::J83b, &locked);
        EXPECT_EQ(std::make_tuple(locked, none.tsOutputOn()), std::make_tuple(uint8_t(0), false));
        EXPECT_EQ(FamilyBench::s().annexb.symbol_rate.value, c.after) << c.stored;
    }
}

TEST(DrvCXD2856LookFor, IsdbtReadsModeGuardAndTmccOfTheChannel)
{
    FamilyBench b;
    standardScene(*b.scene);
    ASSERT_TRUE(b.locksOn(Std::IsdbT, 629000000));
    uint8_t valid = 0, tmccValid = 0;
    uint32_t a = 0, bl = 0, c = 0, highest = 9;
    DrvCXD2856_isdbt_get_segment_layers(&a, &bl, &c, &highest);
    DrvCXD2856_isdbt_get_extended_data(&tmccValid);
    EXPECT_EQ((U{DrvCXD2856_isdbt_get_mode(&valid), DrvCXD2856_isdbt_get_guard(&valid),
                 DrvCXD2856_isdbt_get_constellation(0, &valid), DrvCXD2856_isdbt_get_constellation(1, &valid),
                 DrvCXD2856_isdbt_get_coderate(1, &valid), a, bl, c, highest, tmccValid}),
              (U{eFFT_8K, eGI_1_8, eCONST_QPSK, eCONST_64QAM, eCR_3_4, 1, 12, 0, 1, 1}));
}

TEST(DrvCXD2856LookFor, AHostCancelEndsEverySearchWithinOnePoll)
{
    for (const Std std : {Std::DvbT, Std::DvbT2, Std::DvbC, Std::DvbC2, Std::J83b, Std::DvbS, Std::IsdbT}) {
        SCOPED_TRACE(int(std));
        FamilyBench b;
        // Nothing on the air: every search would run through all its waits.
        ASSERT_EQ(b.bringUp(std, FamilyBench::satellite(std) ? 1550000000 : 650000000).code, 0u);
        const uint64_t start = b.nowMs();
        cancelFromMs() = start + 45;
        uint8_t locked = 7;
        FamilyBench::lookFor(std, &locked, 27500);
        const uint64_t end = b.nowMs();
        EXPECT_GE(end, start + 45);
        EXPECT_LE(end, start + 45 + 30) << "took " << end - start << " ms";
        EXPECT_EQ(std::make_tuple(locked, FamilyBench::status(std), b.tsOutputOn()),
                  std::make_tuple(uint8_t(0), 0u, false));
        EXPECT_TRUE(b.freezeReleased());
    }
}

TEST(DrvCXD2856LookFor, ALockLostBeforeTheNextSearchLeavesNoStaleLock)
{
    FamilyBench b;
    standardScene(*b.scene);
    ASSERT_TRUE(b.locksOn(Std::DvbT, 602000000));
    // The host cancels the next search at once: the earlier lock is not reported again.
    cancelFromMs() = b.nowMs();
    uint8_t locked = 1;
    FamilyBench::lookFor(Std::DvbT, &locked);
    EXPECT_EQ(std::make_tuple(locked, FamilyBench::status(Std::DvbT)), std::make_tuple(uint8_t(0), 0u));
    KxlDrvLibError e{};
    DrvCXD2856_dvbt_is_locked(&e, &locked);
    uint32_t st = 0;
    int32_t mer = 0;
    DrvCXD2856_dvbt_get_mer(&st, &mer);
    EXPECT_EQ(std::make_tuple(locked, st), std::make_tuple(uint8_t(0), uint32_t(eRANGE_unlocked)));
}
