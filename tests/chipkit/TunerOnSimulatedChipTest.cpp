// The tuner driver on the simulated CXD2858 behind the simulated demodulator's gate: the
// gate is the only way in, the chip decodes what the driver programs, its RSSI follows the
// scene through the band path, and the demodulator receives only what the tuner is on.
#include "ChipModels.h"
#include "Cxd2858Model.h"
#include "KitOnChip.h"
#include "RfFrontEndModel.h"

#include "chipkit/kit_cxd2858.h"
#include "chipkit/kit_demod.h"
#include "chipkit/kit_integ_dvbc.h"
#include "chipkit/kit_integ_dvbt.h"
#include "chipkit/kit_integ_dvbt2.h"
#include "chipkit/kit_integ_dvbt_t2.h"
#include "common/BoardWiring.h"
#include "common/embedded_timers.h"
#include "hw/ADF4350.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

using namespace platform::sim;

namespace {

// The demodulator and its tuner on the board, with the RF chips and the band path in front,
// driven by the kit over the board's bus.
struct TunerOnChip : kittest::KitOnChip {
    ChipModels chips = installChipModels(*board);
    std::shared_ptr<RfFrontEndModel> frontEnd = installRfFrontEnd(*board, scene);
    std::shared_ptr<Cxd2858Model> model = installCxd2858(*board, chip, scene, frontEnd);
    kit_cxd2858_t tuner;

    TunerOnChip()
    {
        kit_cxd2858_Create(&tuner, KIT_CXD2858_XTAL_24000KHZ, 0xC0, &i2c, 0x4000);
        kit_demod_Initialize(&demod);
        band(2);
    }
    void gate(bool open) { kit_demod_I2cRepeaterEnable(&demod, open ? 1 : 0); }
    // A tuner call with the gate open around it, as the driver library makes them.
    template <class F>
    kit_result_t call(F f)
    {
        gate(true);
        const kit_result_t r = f();
        gate(false);
        return r;
    }
    kit_result_t terrTune(uint32_t kHz, uint32_t system)
    {
        return call([&] {
            const kit_result_t r = kit_cxd2858_terr_Tune(&tuner, kHz, system);
            return r != KIT_RESULT_OK ? r : kit_cxd2858_terr_TuneEnd(&tuner);
        });
    }
    int32_t rssi()
    {
        int32_t value = 0;
        EXPECT_EQ(call([&] { return kit_cxd2858_ReadRssi(&tuner, &value); }), 0u);
        return value;
    }
    void line(int gpio, int value)
    {
        board->gpio().exportLine(gpio);
        board->gpio().setDirection(gpio, "out");
        board->gpio().setValue(gpio, std::to_string(value));
    }
    // The band path as the measuring chain sets it: 2 straight through, 3 down from 1600 MHz.
    void band(int b)
    {
        line(wiring::gpio::SUB, 0);
        line(wiring::gpio::SUPER, b == 3);
        line(wiring::gpio::SUPER2, 0);
        line(wiring::gpio::HI, 1);
        line(wiring::gpio::ATT0, 1);  // no 20 dB pad
        if (b == 3) {
            lo.programaFreqPilot(3);
            lo.rf_output_enable(true);
        } else {
            lo.rf_output_enable(false);
        }
    }
    ADF4350 lo;
};

} // namespace

TEST(TunerOnSimulatedChip, OnlyTheOpenGateReachesTheTunerAndAnythingElseIsAViolation)
{
    TunerOnChip t;
    // The library's bus binding never reports a NAK, so the board has to.
    EXPECT_EQ(kit_cxd2858_Initialize(&t.tuner), 2u);
    EXPECT_EQ(std::make_pair(t.model->gateViolations(), t.board->log().entries("i2c-violation").size()), std::make_pair(1, size_t(1)));

    // The repeater alone is not enough: the tuner path must be on too.
    ASSERT_EQ(kit_demod_TunerI2cEnable(&t.demod, 0), 0u);
    EXPECT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 2u);
    EXPECT_EQ(t.model->gateViolations(), 2);
    ASSERT_EQ(kit_demod_TunerI2cEnable(&t.demod, 1), 0u);

    EXPECT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 0u);
    EXPECT_EQ(t.terrTune(474000, 24), 0u);
    EXPECT_EQ(std::make_pair(t.model->gateViolations(), t.model->tuneCount()), std::make_pair(2, 1));
}

TEST(TunerOnSimulatedChip, DecodesWhatTheDriverProgrammed)
{
    TunerOnChip t;
    ASSERT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 0u);
    EXPECT_EQ(std::make_pair(t.model->half(), t.model->tunedFrequencyHz().has_value()),
              std::make_pair(Cxd2858Model::Half::Sleep, false));

    // Not on the channel until the tune has ended.
    ASSERT_EQ(t.call([&] { return kit_cxd2858_terr_Tune(&t.tuner, 474000, 24); }), 0u);
    EXPECT_EQ(std::make_pair(t.model->half(), t.model->tunedFrequencyHz().has_value()),
              std::make_pair(Cxd2858Model::Half::Terrestrial, false));
    ASSERT_EQ(t.call([&] { return kit_cxd2858_terr_TuneEnd(&t.tuner); }), 0u);
    EXPECT_EQ(std::make_tuple(t.model->tunedFrequencyHz().value_or(0), t.model->terrSystem(), t.model->channelBandwidthHz()),
              std::make_tuple(474e6, 24, 8e6));

    const struct {
        uint32_t kHz, system;
        int decoded;  // systems whose registers are equal decode as the lowest of them
        double bandwidthHz;
    } cases[] = {{1048575, 17, 17, 8e6}, {55250, 8, 8, 8e6}, {600000, 15, 14, 6e6}, {600000, 18, 18, 1.7e6}};
    for (const auto& c : cases) {
        ASSERT_EQ(t.terrTune(c.kHz, c.system), 0u);
        EXPECT_EQ(std::make_tuple(t.model->tunedFrequencyHz().value_or(0), t.model->terrSystem(), t.model->channelBandwidthHz()),
                  std::make_tuple(c.kHz * 1e3, c.decoded, c.bandwidthHz)) << c.system;
    }

    ASSERT_EQ(t.call([&] { return kit_cxd2858_sat_Tune(&t.tuner, 1000001, 30, 27500); }), 0u);
    EXPECT_EQ(std::make_tuple(t.model->half(), t.model->tunedFrequencyHz().value_or(0), t.model->terrSystem()),
              std::make_tuple(Cxd2858Model::Half::Satellite, 1000000e3, 0));
    ASSERT_EQ(t.call([&] { return kit_cxd2858_Sleep(&t.tuner); }), 0u);
    EXPECT_EQ(std::make_tuple(t.model->half(), t.model->input().has_value(), t.model->gateViolations()),
              std::make_tuple(Cxd2858Model::Half::Sleep, false, 0));
}

TEST(TunerOnSimulatedChip, ChipIdAndStartUpStatusThroughTheBoardsFaults)
{
    TunerOnChip t;
    t.model->setChipId(0x20);
    EXPECT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 8u);
    t.model->setChipId(0x8F);
    EXPECT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 0u);
    const Device tuner = Device::i2c(0x60);
    t.board->faults().stickRegister(tuner, cxd2858::kStartupStatus, 0x01);
    EXPECT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 4u);
    t.board->faults().unstickRegister(tuner, cxd2858::kStartupStatus);
    t.board->faults().failRegister(tuner, 0x68);
    EXPECT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 0u);
    EXPECT_EQ(t.terrTune(474000, 24), 2u);
    EXPECT_EQ(std::make_pair(t.tuner.state, t.model->gateViolations()), std::make_pair(uint32_t(KIT_CXD2858_STATE_INVALID), 0));
}

TEST(TunerOnSimulatedChip, RssiIsTheScenesLevelThroughTheBandPath)
{
    const struct {
        double rfHz;
        int band;
        double dbuv;
        bool pad;
        uint32_t tunerKHz;
    } cases[] = {
        {474e6, 2, 70, true, 474000}, {474e6, 2, 45, false, 474000}, {474e6, 2, 95, false, 474000},
        {1000e6, 3, 60, false, 600000},
    };
    for (const auto& c : cases) {
        TunerOnChip t;
        t.scene->setNoiseFloor(-40);
        t.scene->addDigital(c.rfHz, 8e6, c.dbuv, "DVB-C");
        t.band(c.band);
        if (c.pad)
            t.line(wiring::gpio::ATT0, 0);
        ASSERT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 0u);
        ASSERT_EQ(t.terrTune(c.tunerKHz, 24), 0u);
        const double expectedDbm = c.dbuv - (c.pad ? 20 : 0) - 108.75;
        ASSERT_TRUE(t.model->inputLevelDbm());
        EXPECT_NEAR(*t.model->inputLevelDbm(), expectedDbm, 0.05) << c.rfHz;
        EXPECT_NEAR(t.rssi() / 100.0, expectedDbm, 1.0) << c.rfHz << " " << c.dbuv;
    }
    // Off the channel: only the noise floor.
    TunerOnChip t;
    t.scene->setNoiseFloor(-40);
    t.scene->addDigital(474e6, 8e6, 70, "DVB-C");
    ASSERT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 0u);
    ASSERT_EQ(t.terrTune(490000, 24), 0u);
    EXPECT_LT(t.rssi(), -9000);
}

TEST(TunerOnSimulatedChip, TheDemodulatorReceivesOnlyWhatTheTunerIsOn)
{
    const struct {
        const char* what;
        int band;
        uint32_t tunerKHz;
        bool ended;
        bool locks;
        bool inverted;
    } cases[] = {
        {"on the channel", 2, 474000, true, true, false}, {"tune not ended", 2, 474000, false, false, false},
        {"next channel", 2, 482000, true, false, false},
        {"1 GHz worked at 600 MHz, spectrum flipped", 3, 600000, true, true, true},
        {"the band path elsewhere", 2, 600000, true, false, false},
    };
    for (const auto& c : cases) {
        TunerOnChip t;
        t.scene->add(testsupport::dvbcCarrier(474e6, Modulation::Qam64, 35));
        t.scene->add(testsupport::dvbcCarrier(1000e6, Modulation::Qam256, 35));
        t.band(c.band);
        ASSERT_EQ(t.call([&] { return kit_cxd2858_Initialize(&t.tuner); }), 0u);
        t.dvbcActive(8);
        ASSERT_EQ(t.call([&] { return kit_cxd2858_terr_Tune(&t.tuner, c.tunerKHz, 24); }), 0u);
        if (c.ended) {
            ASSERT_EQ(t.call([&] { return kit_cxd2858_terr_TuneEnd(&t.tuner); }), 0u);
        }
        t.tuneEnd();
        t.advanceMs(1000);
        EXPECT_EQ(t.chip->tsLocked(), c.locks) << c.what;
        const auto input = t.model->input();
        if (c.locks) {
            ASSERT_TRUE(input) << c.what;
            EXPECT_EQ(input->spectrumInverted, c.inverted) << c.what;
        }
        EXPECT_EQ(t.model->gateViolations(), 0) << c.what;
    }
}

namespace {

// The terrestrial tuner record as the driver library plugs the real tuner in: the kit's
// system and bandwidth give the tuner's system, and a tune ends after 50 ms.
kit_cxd2858_t* pluggedTuner = nullptr;

uint32_t tunerSystem(kit_dtv_system_t system, kit_dtv_bandwidth_t bw)
{
    if (system == KIT_DTV_SYSTEM_DVBC)
        return bw <= KIT_DTV_BW_6_MHZ ? 23 : 24;
    if (system == KIT_DTV_SYSTEM_DVBT)
        return 14 + (bw - KIT_DTV_BW_5_MHZ);
    return bw == KIT_DTV_BW_1_7_MHZ ? 18 : 19 + (bw - KIT_DTV_BW_5_MHZ);  // DVB-T2
}

kit_tuner_terr_cable_t cxd2858Record()
{
    kit_tuner_terr_cable_t t{};
    t.Initialize = [](kit_tuner_terr_cable_t*) { return kit_cxd2858_Initialize(pluggedTuner); };
    t.Tune = [](kit_tuner_terr_cable_t*, uint32_t kHz, kit_dtv_system_t system, kit_dtv_bandwidth_t bw) {
        kit_result_t r = kit_cxd2858_terr_Tune(pluggedTuner, kHz, tunerSystem(system, bw));
        if (r == KIT_RESULT_OK) {
            EMBEDDEDTIMERS_delayms(50);
            r = kit_cxd2858_terr_TuneEnd(pluggedTuner);
        }
        return r;
    };
    t.Sleep = [](kit_tuner_terr_cable_t*) { return kit_cxd2858_Sleep(pluggedTuner); };
    return t;
}

// The integration layer over the demodulator and the real tuner, on the typical network.
struct IntegOnChip : TunerOnChip {
    kit_tuner_terr_cable_t record = cxd2858Record();
    kit_integ_t integ{};

    IntegOnChip()
    {
        RfScene::typicalCableNetwork(*scene);
        pluggedTuner = &tuner;
        const kit_demod_create_param_t param = {1, 0xD8, KIT_DEMOD_TUNER_I2C_REPEATER};
        kit_integ_Create(&integ, &demod, &param, &i2c, &record, nullptr, nullptr);
        kit_integ_Initialize(&integ);
    }
    ~IntegOnChip() { pluggedTuner = nullptr; }
};

} // namespace

TEST(TunerOnSimulatedChip, TheIntegrationLayerLocksWhereTheRealTunerIsOnAChannel)
{
    using Tune = std::function<kit_result_t(kit_integ_t*)>;
    const struct {
        const char* what;
        Tune tune;
        kit_result_t result;
        double tunedMHz;
    } cases[] = {
        {"DVB-C", [](kit_integ_t* i) { kit_dvbc_tune_param_t p = {474000, 8}; return kit_integ_dvbc_Tune(i, &p); }, 0, 474},
        {"DVB-C between channels",
         [](kit_integ_t* i) { kit_dvbc_tune_param_t p = {478000, 8}; return kit_integ_dvbc_Tune(i, &p); }, 5, 478},
        {"DVB-T on the DVB-T2 channel",
         [](kit_integ_t* i) { kit_dvbt_tune_param_t p = {842000, 8, 0}; return kit_integ_dvbt_Tune(i, &p); }, 6, 842},
        {"DVB-T2", [](kit_integ_t* i) { kit_dvbt2_tune_param_t p = {842000, 8, 1, 0, 0}; return kit_integ_dvbt2_Tune(i, &p); }, 0, 842},
        {"T or T2, either",
         [](kit_integ_t* i) {
             kit_dtv_system_t system = 0;
             uint32_t profile = 0;
             const kit_result_t r = kit_integ_dvbt_t2_BlindTune(i, 842000, 8, KIT_DTV_SYSTEM_ANY, 2, &system, &profile);
             return r == KIT_RESULT_OK && system != KIT_DTV_SYSTEM_DVBT2 ? kit_result_t(KIT_RESULT_ERROR_OTHER) : r;
         },
         0, 842},
    };
    for (const auto& c : cases) {
        IntegOnChip t;
        EXPECT_EQ(c.tune(&t.integ), c.result) << c.what;
        // The repeater is left closed.
        EXPECT_EQ(std::make_tuple(t.model->tunedFrequencyHz().value_or(0), t.chip->demodLocked(), t.model->gateViolations(),
                                  t.chip->slvxRegister(0, 0x08)),
                  std::make_tuple(c.tunedMHz * 1e6, c.result == 0, 0, 0)) << c.what;
    }

    // Sleep takes the tuner out of its band as well.
    IntegOnChip t;
    const kit_dvbc_tune_param_t p = {474000, 8};
    ASSERT_EQ(kit_integ_dvbc_Tune(&t.integ, &p), 0u);
    EXPECT_EQ(kit_integ_Sleep(&t.integ), 0u);
    EXPECT_EQ(t.model->half(), Cxd2858Model::Half::Sleep);
}

TEST(TunerOnSimulatedChip, ScansFindTheNetworksTerrestrialChannelsAndEveryDataPlp)
{
    IntegOnChip t;
    static std::vector<std::tuple<uint32_t, kit_result_t, kit_dtv_system_t, uint32_t>> seen;
    seen.clear();
    auto callback = [](kit_integ_t*, kit_integ_dvbt_t2_scan_result_t* r, kit_integ_dvbt_t2_scan_param_t*) {
        seen.emplace_back(r->centerFreqKHz, r->tuneResult, r->system, r->dvbt2TuneParam.dataPlpId);
    };
    kit_integ_dvbt_t2_scan_param_t p = {826000, 850000, 8000, KIT_DTV_BW_8_MHZ, KIT_DTV_SYSTEM_ANY, 0};
    ASSERT_EQ(kit_integ_dvbt_t2_Scan(&t.integ, &p, callback), 0u);
    std::vector<std::tuple<uint32_t, kit_dtv_system_t, uint32_t>> found;
    for (const auto& [kHz, result, system, plp] : seen)
        if (result == KIT_RESULT_OK)
            found.emplace_back(kHz, system, plp);
    EXPECT_EQ(found, (std::vector<std::tuple<uint32_t, kit_dtv_system_t, uint32_t>>{
                         {834000, KIT_DTV_SYSTEM_DVBT, 0}, {842000, KIT_DTV_SYSTEM_DVBT2, 0}, {842000, KIT_DTV_SYSTEM_DVBT2, 1}}));
    // 826 (DVB-C) and 850 (ISDB-T, 6 MHz) reported without a lock.
    EXPECT_EQ(std::make_tuple(seen.size(), t.demod.scanMode, t.model->gateViolations()), std::make_tuple(found.size() + 2, 0, 0));
}
