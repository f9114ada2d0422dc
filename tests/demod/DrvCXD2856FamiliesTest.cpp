// The life cycle every operation family shares, on the simulated demodulator: the power-state
// query that forces a full start, the event registrations of init-measures, the results before
// the first tick and after power-off, the one-carrier MER, the offset in kHz and the IF AGC of
// the system that is active.
#include "FamilyBench.h"

#include "demod/DrvCXD2856_kit_result.h"
#include "demod/DrvDefCodes.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace platform::sim;
using namespace drivertest;

namespace {

using U = std::vector<uint32_t>;

uint8_t& queryAnswer()
{
    static uint8_t answer = 1;
    return answer;
}

KxlDrvLibError* powerQuery(KxlDrvLibError* err, uint8_t* flag, uint32_t length)
{
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(*flag, 1);
    *flag = queryAnswer();
    return KxlDrvLib_error_set(KxlDrvLib_error_ok(err), queryAnswer() ? 0 : 10, 0, nullptr);
}

std::vector<DrvCXD2856_event_t>& registered()
{
    static std::vector<DrvCXD2856_event_t> list;
    return list;
}

void registration(DrvCXD2856_event_t handler) { registered().push_back(handler); }

} // namespace

TEST(DrvCXD2856Families, ResultsOfALockedChannelAndUnlockedBeforeTheFirstTickAndAfterPowerOff)
{
    FamilyBench b;
    // 25 dB: within the 13 bits of the chip's carrier MER word.
    b.scene->addOfdm(602e6, 8e6, 66, standard::kDvbT, 25, dvbtChannel());
    ASSERT_EQ(b.bringUp(Std::DvbT, 602000000).code, 0u);
    uint32_t status = 0, lmStatus = 9;
    int32_t mer = 1, lm = 0, khz = 99;
    float ber = 0;
    DrvCXD2856_dvbt_get_mer(&status, &mer);
    EXPECT_EQ(status, uint32_t(eRANGE_unlocked));
    DrvCXD2856_dvbt_get_cber(&status, &ber);
    EXPECT_EQ(std::make_tuple(status, ber), std::make_tuple(uint32_t(eRANGE_above), DrvCXD2856_dvbt_get_max_cber()));

    uint8_t locked = 0;
    FamilyBench::lookFor(Std::DvbT, &locked);
    ASSERT_EQ(locked, 1);
    FamilyBench::initMeasures(Std::DvbT);
    const uint32_t before = DrvCXD2856_dvbt_get_mer(&status, &mer);
    b.tick(12);
    EXPECT_EQ(DrvCXD2856_dvbt_get_mer(&status, &mer), before + 12);
    DrvCXD2856_dvbt_get_lm(&lmStatus, &lm);
    EXPECT_EQ(std::make_tuple(status, lmStatus), std::make_tuple(uint32_t(eRANGE_valid), uint32_t(eRANGE_valid)));
    EXPECT_NEAR(mer, 250, 25);
    EXPECT_EQ(lm, mer - FamilyBench::s().plugplag->dvbt.linkmargin[11]);

    KxlDrvLibError e{};
    DrvCXD2856_dvbt_singlecarrier_mer(&e, 1200, &mer, &status, 0);
    EXPECT_EQ(std::make_tuple(mer, status, FamilyBench::s().measure_mode),
              std::make_tuple(250, uint32_t(eRANGE_valid), uint32_t(DRVCXD2856_MEASURE_CARRIER_MER)));
    DrvCXD2856_dvbt_read_freq_offset(&e, &khz);
    uint16_t agc = 0;
    DrvCXD2856_read_agc_if(&e, &agc);
    EXPECT_EQ(std::make_tuple(khz, e.code), std::make_tuple(0, 0u));
    EXPECT_GT(agc, 0);

    DrvCXD2856_dvbt_poweroff(&e);
    DrvCXD2856_dvbt_get_mer(&status, &mer);
    EXPECT_EQ(std::make_tuple(e.code, FamilyBench::status(Std::DvbT), status, b.chip->active(), DrvCXD2856_get_cancel_flag()),
              std::make_tuple(0u, 0u, uint32_t(eRANGE_unlocked), false, uint8_t(0)));
    // A system without an IF AGC reading: 0 and the software-state error.
    FamilyBench::s().demod.system = KIT_DTV_SYSTEM_DVBS;
    KxlDrvLibError sat{};
    DrvCXD2856_read_agc_if(&sat, &agc);
    EXPECT_EQ(agc, 0);
    EXPECT_STREQ(sat.text, DRVCXD2856_TEXT_SW_STATE);
}

TEST(DrvCXD2856Families, APowerQueryLeftAtZeroWaitsThePowerOnDelayAndStartsAfresh)
{
    for (const uint8_t answer : {uint8_t(1), uint8_t(0)}) {
        FamilyBench b;
        standardScene(*b.scene);
        ASSERT_EQ(b.bringUp(Std::DvbT, 602000000).code, 0u);
        queryAnswer() = answer;
        KxlDrvLibError e{};
        DrvCXD2856_dvbt_init(&e, powerQuery, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0xFFFFFFFF);
        DrvCXD2856_dvbt_update_adjusts(&e);
        DrvCXD2856_dvbt_poweron(&e);
        EXPECT_EQ(e.code, answer ? 0u : 10u) << "the query's failure is the power-on's";
        // The driver has no tuner callbacks now: the host sets the tuner, the IF is the record's.
        tuner_configuration(&e, eSIGNAL_TYPE_DVBT, 0, 0, 8000000);
        uint8_t locked = 0;
        DrvCXD2856_dvbt_look_for(&e, {4900000, 1, 0, 0, 8, 1, 0, 1, 0, 1, 0, 0}, &locked);
        ASSERT_EQ(locked, 1);
        ASSERT_EQ(FamilyBench::s().demod.state, uint32_t(KIT_DEMOD_STATE_ACTIVE));
        // An active chip is left as it is unless the query asks for a full start, after the delay.
        const uint64_t start = b.nowMs();
        DrvCXD2856_dvbt_poweron(&e);
        EXPECT_EQ(b.nowMs() - start >= 600, answer == 0);
        EXPECT_EQ(FamilyBench::s().demod.state,
                  answer ? uint32_t(KIT_DEMOD_STATE_ACTIVE) : uint32_t(KIT_DEMOD_STATE_SLEEP));
        EXPECT_EQ(std::make_tuple(FamilyBench::s().tasks[0].task, FamilyBench::status(Std::DvbT)),
                  std::make_tuple(nullptr, 0u));
    }
}

TEST(DrvCXD2856Families, InitMeasuresRegistersTheCancelEventsOrClearsTheFlagAndEnablesItsSlots)
{
    FamilyBench b;
    ASSERT_EQ(b.bringUp(Std::DvbT2, 610000000).code, 0u);
    KxlDrvLibError e{};
    DrvCXD2856_set_cancel_flag(1);
    DrvCXD2856_dvbt2_init_measures(&e, 1, 1, 1, 1);
    EXPECT_EQ(DrvCXD2856_get_cancel_flag(), 0);
    EXPECT_NE(FamilyBench::s().tasks[7].task, nullptr);

    registered().clear();
    DrvCXD2856_dvbt2_init(&e, nullptr, 0, nullptr, nullptr, registration, registration, nullptr, nullptr, 0xFFFFFFFF);
    DrvCXD2856_set_cancel_flag(1);
    DrvCXD2856_dvbt2_init_measures(&e, 1, 1, 1, 1);
    ASSERT_EQ(registered().size(), 2u);
    // With registrations, the host owns the flag: it stays until the host clears it.
    EXPECT_EQ(DrvCXD2856_get_cancel_flag(), 1);
    registered()[1]();
    EXPECT_EQ(DrvCXD2856_get_cancel_flag(), 0);
    registered()[0]();
    EXPECT_EQ(DrvCXD2856_get_cancel_flag(), 1);

    // The slot enables: the first three always, then the MER, CBER and VBER slots as asked.
    ASSERT_EQ(b.bringUp(Std::IsdbT, 629000000).code, 0u);
    FamilyBench::initMeasures(Std::IsdbT);
    DrvCXD2856_isdbt_enable_toc(0, 1, 0);
    U enabled;
    for (int k = 0; k < 6; ++k)
        enabled.push_back(FamilyBench::s().tasks[k].enabled);
    EXPECT_EQ(enabled, (U{1, 1, 1, 0, 1, 0}));
    EXPECT_EQ((U{DrvCXD2856_isdbt_get_measure_layer(), DrvCXD2856_isdbt_get_ts_layer()}), (U{0, 7}));
}

TEST(DrvCXD2856Families, SatelliteLooksAgainAtTheSameRateWithoutLosingItsMeasures)
{
    FamilyBench b;
    standardScene(*b.scene);
    ASSERT_EQ(b.bringUp(Std::DvbS2, 1210000000).code, 0u);
    uint8_t locked = 0;
    for (uint32_t kBd : {27500u, 21000u}) {
        FamilyBench::lookFor(Std::DvbS2, &locked, kBd);
        EXPECT_EQ(locked, 0) << kBd;
    }
    FamilyBench::lookFor(Std::DvbS2, &locked, 22000);
    ASSERT_EQ(locked, 1);
    uint8_t flag = 0;
    EXPECT_EQ((U{DrvCXD2856_dvbs2_get_constellation(&flag), flag}), (U{eCONST_QPSK, 1}));
    EXPECT_NEAR(double(DrvCXD2856_dvbs_get_symbol_rate()), 22e6, 22e3);
    FamilyBench::initMeasures(Std::DvbS2);
    b.tick(3);
    uint32_t status = 9;
    int32_t mer = 0;
    DrvCXD2856_dvbs2_get_mer(&status, &mer);
    ASSERT_EQ(status, uint32_t(eRANGE_valid));
    // The engine looks again every period to refresh the lock: the MER stays.
    FamilyBench::lookFor(Std::DvbS2, &locked, 22000);
    EXPECT_EQ(locked, 1);
    DrvCXD2856_dvbs2_get_mer(&status, &mer);
    EXPECT_EQ(status, uint32_t(eRANGE_valid));
}
