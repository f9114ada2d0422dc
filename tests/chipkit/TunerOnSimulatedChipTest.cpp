// The integration layer with the real tuner driver on the simulated tuner behind the simulated
// demodulator's gate: it locks where the tuner is on a channel, scans find every channel and
// data PLP of the network, and the gate is never passed shut.
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

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace platform::sim;

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

// The integration layer over the demodulator and the real tuner on the typical network, with
// the RF chips and the band path in front (straight through, no pad), over the board's bus.
struct IntegOnChip : kittest::KitOnChip {
    ChipModels chips = installChipModels(*board);
    std::shared_ptr<RfFrontEndModel> frontEnd = installRfFrontEnd(*board, scene);
    std::shared_ptr<Cxd2858Model> model = installCxd2858(*board, chip, scene, frontEnd);
    kit_cxd2858_t tuner;
    kit_tuner_terr_cable_t record = cxd2858Record();

    IntegOnChip()
    {
        for (auto [gpio, value] : {std::pair{wiring::gpio::SUB, 0}, {wiring::gpio::SUPER, 0}, {wiring::gpio::SUPER2, 0},
                                   {wiring::gpio::HI, 1}, {wiring::gpio::ATT0, 1}}) {
            board->gpio().exportLine(gpio);
            board->gpio().setDirection(gpio, "out");
            board->gpio().setValue(gpio, std::to_string(value));
        }
        RfScene::typicalCableNetwork(*scene);
        kit_cxd2858_Create(&tuner, KIT_CXD2858_XTAL_24000KHZ, 0xC0, &i2c, 0x4000);
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

    // The tuner decodes DVB-C at 8 MHz (system 24) and its RSSI is the scene's level at the
    // input; sleep takes the tuner out of its band as well.
    IntegOnChip t;
    const kit_dvbc_tune_param_t p = {474000, 8};
    ASSERT_EQ(kit_integ_dvbc_Tune(&t.integ, &p), 0u);
    int32_t rssi = 0;
    ASSERT_EQ(kit_demod_I2cRepeaterEnable(&t.demod, 1), 0u);
    ASSERT_EQ(kit_cxd2858_ReadRssi(&t.tuner, &rssi), 0u);
    ASSERT_EQ(kit_demod_I2cRepeaterEnable(&t.demod, 0), 0u);
    EXPECT_NEAR(rssi / 100.0, t.model->inputLevelDbm().value_or(0), 1.0);
    EXPECT_EQ(std::make_tuple(t.model->terrSystem(), t.model->channelBandwidthHz(), t.model->tuneCount()), std::make_tuple(24, 8e6, 1));
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
