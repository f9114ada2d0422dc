// The satellite parts of the kit on the simulated demodulator: DiSEqC goes out and replies come
// back, and the blind scan, symbol-rate search, user-band search and CW detection find what is
// there.
#include "KitOnChip.h"
#include "SatBench.h"
#include "chipkit/kit_demod.h"
#include "chipkit/kit_demod_dvbs_s2.h"
#include "chipkit/kit_demod_sat_device_ctrl.h"
#include "chipkit/kit_diseqc_command.h"
#include "chipkit/kit_integ_dvbs_s2.h"
#include "chipkit/kit_integ_dvbs_s2_blindscan.h"
#include "chipkit/kit_integ_sat_device_ctrl.h"
#include "chipkit/kit_integ_singlecable.h"
#include "chipkit/kit_singlecable_command.h"

#include <gtest/gtest.h>

#include <memory>

using namespace platform::sim;
using namespace kittest;

namespace {

DigitalChannel channel(Modulation m, const char* codeRate)
{
    DigitalChannel d;
    d.modulation = m;
    d.codeRate = codeRate;
    return d;
}

struct SatOnChip : KitOnChip {
    SatOnChip()
    {
        EXPECT_EQ(kit_demod_Initialize(&demod), 0u);
        // The front end's gain is fixed: the converted AGC adds nothing to the powers.
        tuner.agcRule = [](uint32_t) { return 0; };
        tuner.onTune = [this](uint32_t kHz) { chip->setTunedFrequencyHz(kHz * 1000.0); };
        integ = integrationOf(demod, &tuner, &lnb);
    }
    uint64_t nowMs() { return board.clock().monotonicMs(); }

    FakeSatTuner tuner;
    FakeLnbc lnb;
};

} // namespace

TEST(KitSatelliteOnChip, DiseqcGoesOutAndRepliesComeBack)
{
    SatOnChip s;
    kit_diseqc_message_t m, reply;
    kit_diseqc_command_WriteN0(&m, 0xE0, 0x10, 0xF3);
    const uint64_t start = s.nowMs();
    ASSERT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&s.integ, 1, 1, 1, &m, 2, nullptr, 0), 0u);
    // 41 ms idle, two sendings of 54 ms 400 ms apart, the burst: seen at the next 10 ms poll.
    EXPECT_EQ(s.nowMs() - start, 580u);
    auto sent = s.chip->diseqcSendings();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(std::make_tuple(sent[0].message, sent[0].repeats, sent[0].toneBurst, sent[0].replyExpected, s.chip->toneOn()),
              std::make_tuple((std::vector<uint8_t>{0xE0, 0x10, 0x38, 0xF3}), 2, 1, false, true));
    EXPECT_EQ(s.lnb.calls, (std::vector<std::string>{"V high"}));

    // A reply through the LNB controller's receive switching.
    s.chip->setDiseqcPeer([](const std::vector<uint8_t>& command) -> std::optional<std::vector<uint8_t>> {
        if (command.size() >= 3 && command[2] == 0x38)
            return std::vector<uint8_t>{0xE4, 0x12, 0x34};
        return std::nullopt;
    });
    s.lnb.calls.clear();
    ASSERT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommandWithReply(&s.integ, 0, 0, 0, &m, &reply), 0u);
    EXPECT_EQ(std::vector<uint8_t>(reply.data, reply.data + reply.length), (std::vector<uint8_t>{0xE4, 0x12, 0x34}));
    EXPECT_EQ(s.lnb.calls, (std::vector<std::string>{"V low", "receive", "transmit"}));
    EXPECT_FALSE(s.chip->toneOn());

    // No reply within the window, or one whose framing the mask refuses: "not ready".
    kit_diseqc_command_SetLo(&m, 0xE0, 0x10);
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommandWithReply(&s.integ, 0, 0, 0, &m, &reply), 4u);
    s.chip->setDiseqcPeer([](const std::vector<uint8_t>&) { return std::optional<std::vector<uint8_t>>({0xE8, 1}); });
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommandWithReply(&s.integ, 0, 0, 0, &m, &reply), 4u);

    // The engine switched off sends nothing: the wait runs out.
    ASSERT_EQ(kit_integ_sat_device_ctrl_Disable(&s.integ), 0u);
    EXPECT_EQ(kit_demod_sat_device_ctrl_StartTransmit(&s.demod), 0u);
    EXPECT_EQ(s.chip->diseqcSendings().size(), 4u);
}

TEST(KitSatelliteOnChip, BlindScanFindsEveryCarrierOfTheBand)
{
    SatOnChip s;
    struct Truth {
        double mhz, msps;
        const char* standard;
    };
    const Truth truth[] = {{1150, 27.5, standard::kDvbS2}, {1320, 8.0, standard::kDvbS}, {1460, 2.2, standard::kDvbS2}};
    for (const Truth& t : truth)
        s.scene->addSatellite(t.mhz * 1e6, t.msps * 1e6, t.standard, 14, channel(Modulation::Qpsk, "3/4"));
    static std::vector<kit_integ_dvbs_s2_blindscan_result_t> events;
    events.clear();
    auto seq = std::make_unique<kit_demod_dvbs_s2_blindscan_seq_t>();
    const kit_integ_dvbs_s2_blindscan_param_t param = {1050000, 1550000, 1000, 45000};
    ASSERT_EQ(kit_integ_dvbs_s2_BlindScan(&s.integ, seq.get(), &param,
                                          [](kit_integ_t*, const kit_integ_dvbs_s2_blindscan_result_t* r) {
                                              events.push_back(*r);
                                          }),
              0u);
    std::vector<kit_dvbs_s2_tune_param_t> found;
    int lastProgress = -1;
    for (const auto& e : events) {
        if (e.eventId == KIT_INTEG_DVBS_S2_BLINDSCAN_EVENT_DETECT) {
            found.push_back(e.tuneParam);
        } else {
            EXPECT_GT(int(e.progress), lastProgress) << "progress never goes down";
            lastProgress = e.progress;
        }
    }
    EXPECT_EQ(lastProgress, 100);
    ASSERT_EQ(found.size(), 3u);
    for (const Truth& t : truth) {
        const auto match = std::find_if(found.begin(), found.end(), [&](const kit_dvbs_s2_tune_param_t& f) {
            return std::abs(double(f.centerFreqKHz) - t.mhz * 1000) < t.msps * 1000 * 0.1;
        });
        ASSERT_NE(match, found.end()) << t.mhz;
        EXPECT_NEAR(match->symbolRateKSps, t.msps * 1000, t.msps * 1000 * 0.005) << t.mhz;
        EXPECT_EQ(match->system, t.standard == standard::kDvbS ? KIT_DTV_SYSTEM_DVBS : KIT_DTV_SYSTEM_DVBS2);
    }
    EXPECT_EQ(std::make_tuple(s.demod.state, s.tuner.sleeps, s.freezeReleased()), std::make_tuple(KIT_DEMOD_STATE_SLEEP, 1, true));
}

TEST(KitSatelliteOnChip, AWholeBandFitsThePools)
{
    SatOnChip s;
    s.scene->addSatellite(2100e6, 30e6, standard::kDvbS2, 12, channel(Modulation::Psk8, "2/3"));
    auto seq = std::make_unique<kit_demod_dvbs_s2_blindscan_seq_t>();
    const kit_integ_dvbs_s2_blindscan_param_t full = {950000, 2150000, 1000, 45000};
    static int detected;
    detected = 0;
    ASSERT_EQ(kit_integ_dvbs_s2_BlindScan(&s.integ, seq.get(), &full,
                                          [](kit_integ_t*, const kit_integ_dvbs_s2_blindscan_result_t* r) {
                                              detected += r->eventId == KIT_INTEG_DVBS_S2_BLINDSCAN_EVENT_DETECT;
                                          }),
              0u);
    EXPECT_EQ(detected, 1);
    EXPECT_LE(seq->common.storage.powerMaxUsed, uint32_t(KIT_DVBS_S2_BLINDSCAN_POWER_MAX));
    EXPECT_GT(seq->common.storage.powerMaxUsed, 2000u) << "the fine sweep of the whole band was held at once";

    // A range the pools cannot hold fails outright rather than scanning part of it.
    const kit_integ_dvbs_s2_blindscan_param_t tooWide = {250000, 2150000, 1000, 45000};
    EXPECT_EQ(kit_integ_dvbs_s2_BlindScan(&s.integ, seq.get(), &tooWide, nullptr), 11u);
}

TEST(KitSatelliteOnChip, SymbolRateSearchLocksACarrierOfUnknownRate)
{
    const struct {
        double mhz, msps;
        uint32_t range;
        kit_result_t result;
    } cases[] = {
        {1203.0, 6.111, KIT_DVBS_S2_TUNE_SRS_RANGE_10MHZ, 0},
        {1260.0, 6.0, KIT_DVBS_S2_TUNE_SRS_RANGE_10MHZ, 6},  // far outside the range
    };
    for (const auto& c : cases) {
        SatOnChip s;
        s.scene->addSatellite(c.mhz * 1e6, c.msps * 1e6, standard::kDvbS2, 13, channel(Modulation::Qpsk, "2/3"));
        auto seq = std::make_unique<kit_demod_dvbs_s2_tune_srs_seq_t>();
        const kit_integ_dvbs_s2_tune_srs_param_t param = {1200000, c.range};
        kit_dvbs_s2_tune_param_t found{};
        EXPECT_EQ(kit_integ_dvbs_s2_TuneSRS(&s.integ, seq.get(), &param, &found), c.result) << c.mhz;
        if (c.result != 0)
            continue;
        EXPECT_NEAR(found.centerFreqKHz, c.mhz * 1000, 100) << c.mhz;
        EXPECT_NEAR(found.symbolRateKSps, c.msps * 1000, c.msps * 1000 * 0.005) << c.mhz;
        EXPECT_EQ(std::make_tuple(found.system, s.chip->tsLocked(), s.chip->tsOutputEnabled()),
                  std::make_tuple(uint32_t(KIT_DTV_SYSTEM_DVBS2), true, true));
    }
}

namespace {

// A single-cable outdoor unit on the DiSEqC line: "all user bands on" lights a CW line in
// each user band, "power off" of one user band puts its line out.
struct OutdoorUnit {
    explicit OutdoorUnit(std::shared_ptr<RfScene> s) : scene(std::move(s)) {}
    static constexpr double kUserbandsMhz[8] = {1210, 1420, 1680, 2040, 1284, 1400, 1516, 1632};
    std::optional<std::vector<uint8_t>> hear(const std::vector<uint8_t>& m)
    {
        if (m.size() == 5 && m[2] == 0x5B && m[3] == 0 && m[4] == 0)
            lit = 0xFF;
        else if (m.size() == 5 && m[2] == 0x5A && m[4] == 0)
            lit &= ~(1u << (m[3] >> 5));
        scene->clear();
        for (int ub = 0; ub < 8; ++ub)
            if (lit & (1u << ub))
                scene->addCw(kUserbandsMhz[ub] * 1e6, scene->noiseFloor() + 25);
        return std::nullopt;
    }
    std::shared_ptr<RfScene> scene;
    unsigned lit = 0;
};

} // namespace

TEST(KitSatelliteOnChip, UserBandSearchFindsTheAskedUserBand)
{
    for (uint8_t userband : {6}) {
        SatOnChip s;
        OutdoorUnit odu(s.scene);
        s.chip->setDiseqcPeer([&](const std::vector<uint8_t>& m) { return odu.hear(m); });
        auto seq = std::make_unique<kit_demod_sat_device_ctrl_find1ub_seq_t>();
        uint32_t kHz = 1;
        ASSERT_EQ(kit_integ_sat_device_ctrl_Find1UB(&s.integ, seq.get(), 1100000, 2100000, userband, &kHz), 0u);
        EXPECT_NEAR(kHz, OutdoorUnit::kUserbandsMhz[userband - 1] * 1000, 500) << int(userband);
        EXPECT_EQ(odu.lit, 0u) << "every user band switched off at the end";
        EXPECT_EQ(s.demod.state, KIT_DEMOD_STATE_SLEEP);
    }
    // Nobody answering: nothing found, and no frequency.
    SatOnChip s;
    auto seq = std::make_unique<kit_demod_sat_device_ctrl_find1ub_seq_t>();
    uint32_t kHz = 1;
    EXPECT_EQ(kit_integ_sat_device_ctrl_Find1UB(&s.integ, seq.get(), 1100000, 1300000, 1, &kHz), 6u);
    EXPECT_EQ(kHz, 0u);
    // Single-cable operation on: the search is not for it.
    kit_integ_singlecable_tuner_t sc;
    ASSERT_EQ(kit_integ_sat_device_ctrl_EnableSinglecable(&s.integ, &sc, nullptr), 0u);
    EXPECT_EQ(kit_integ_sat_device_ctrl_Find1UB(&s.integ, seq.get(), 1100000, 1300000, 1, &kHz), 3u);
}

TEST(KitSatelliteOnChip, CwDetection)
{
    const struct {
        double cwMhz;  // 0: none
        uint8_t result;
    } cases[] = {{1202, 1}, {1200, 0}, {0, 2}};
    for (const auto& c : cases) {
        SatOnChip s;
        if (c.cwMhz)
            s.scene->addCw(c.cwMhz * 1e6, s.scene->noiseFloor() + 25);
        auto seq = std::make_unique<kit_demod_sat_device_ctrl_detect_cw_seq_t>();
        uint8_t result = 9;
        ASSERT_EQ(kit_integ_sat_device_ctrl_DetectYesNo(&s.integ, seq.get(), 1200000, 2000, 1000, 1000, &result), 0u);
        EXPECT_EQ(result, c.result) << c.cwMhz;
    }
}
