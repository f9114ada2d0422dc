// The constellation engine end to end on the simulated board: through the front end's band
// path, the CXD2858 tuner and the CXD2856 demodulator models, each standard of the typical
// network locks on its channel and reports that channel's figures, the automatic search finds
// the standard, a silent chip gives a pass a second, and stops are prompt and final.
#include "IqBench.h"

#include "demod/DrvCXD2856_state.h"
#include "demod/measure_mer.h"
#include "rf/bandTuning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

using iqtest::IqBench;
using platform::sim::SceneCarrier;

namespace {

struct Channel {
    const char* name;
    int system;
    unsigned int hz;
    const char* modulation;
    int squares;
    int symbolRateKbd; // 0: the map carries none
    bool postBer;
    std::vector<std::pair<const char*, const char*>> signalling;
};

// The unit's compiled MER calibration of the channels of the typical network (none: the
// reading is the MER): DVB-C and J.83B at 256QAM, DVB-C2 at 8 MHz.
const t_mer_calibration_table* curveOf(int system)
{
    const st_t_plugplag_CXD2856* pp = DrvCXD2856_state()->plugplag;
    switch (system) {
    case 0: return &pp->dvbc.mer_table[4];
    case 1: return &pp->annexb.mer_table[1];
    case 7: return &pp->dvbc2.mer_table[1];
    default: return nullptr;
    }
}

const std::vector<Channel> kChannels = {
    {"DVB-C", 0, 474000000u, "256 QAM", 16, 6900, true, {}},
    {"J83B", 1, 873000000u, "256 QAM", 16, 5361, true, {}},
    {"DVB-T", 2, 834000000u, "64 QAM", 8, 0, false,
     {{"guard", "1/4"}, {"mode", "8k"}, {"hp_code_rate", "2/3"}, {"lp_code_rate", "2/3"}, {"hierarchy", "NONE"},
      {"v_ber", "<1.0E-06"}}},
    {"DVB-T2", 3, 842000000u, "256 QAM", 16, 0, false,
     {{"guard", "1/128"}, {"mode", "32k"}, {"hp_code_rate", "2/3"}, {"plp_id", "0"}, {"profile", "Base"}}},
    {"ISDB-T", 4, 850000000u, "QPSK", 2, 0, false, {{"guard", "1/8"}, {"mode", "8k"}, {"code_rate", "2/3"}}},
    {"DVB-S", 5, 1150000000u, "QPSK", 2, 27500, true, {{"hp_code_rate", "3/4"}}},
    {"DVB-S2", 6, 1450000000u, "8 PSK", 4, 22000, true, {{"hp_code_rate", "2/3"}}},
    // The PLP the system lists first.
    {"DVB-C2", 7, 866000000u, "256 QAM", 16, 0, true, {{"hp_code_rate", "5/6"}, {"plp_id", "1"}, {"pslice_id", "0"}}},
};

void PrintTo(const Channel& c, std::ostream* os) { *os << c.name; }

std::string testName(const ::testing::TestParamInfo<Channel>& info)
{
    std::string n = info.param.name;
    n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
    return n;
}

QList<int> list(const QVariantMap& m, const char* key) { return m.value(key).value<QList<int>>(); }

bool lockedWithPoints(const QVariantMap& m) { return m.value("locked").toInt() == 1 && !list(m, "llista_i").isEmpty(); }

double sceneMerDb(IqBench& b, unsigned int hz)
{
    for (const SceneCarrier& c : b.scene->carriers())
        if (std::abs(c.frequencyHz - hz) < 1e3)
            return c.merDb;
    return -1;
}

// Board time of the demodulator's last transfer on either port.
uint64_t lastDemodulatorTransferUs(IqBench& b)
{
    uint64_t last = 0;
    for (const auto& t : b.board->log().entriesWithPrefix("i2c"))
        if (t.device == platform::sim::Device::i2c(0x6C).name || t.device == platform::sim::Device::i2c(0x6E).name)
            last = std::max(last, t.timeUs);
    return last;
}

unsigned int workingHz(const Channel& c) { return c.system == 5 || c.system == 6 ? c.hz : getFrequencyTreballTuner(c.hz); }

class ManualLock : public ::testing::TestWithParam<Channel> {};

TEST_P(ManualLock, LocksOnItsChannelAndReportsItsFigures)
{
    const Channel& c = GetParam();
    IqBench b;
    b.tune(c.hz);
    b.iq->initManual(c.hz, c.system, 0);
    const QVariantMap m = b.waitForShown(lockedWithPoints);
    ASSERT_FALSE(m.isEmpty()) << c.name << " did not lock";

    EXPECT_EQ(m.value("system").toInt(), c.system);
    EXPECT_EQ(m.value("frequency").toUInt(), workingHz(c));
    EXPECT_EQ(m.value("modulation").toString(), c.modulation);
    EXPECT_EQ(m.value("quadres_const").toInt(), c.squares);
    if (c.symbolRateKbd)
        EXPECT_NEAR(m.value("symbol_rate").toString().toInt(), c.symbolRateKbd, 1);
    else
        EXPECT_FALSE(m.contains("symbol_rate"));
    // The scene's MER as the unit shows it: through its compiled calibration, which raises
    // the chip's readings of the cable standards above 30 dB.
    MeasureResult shown{};
    const double mer = sceneMerDb(b, c.hz);
    MEASURE_MER_calibrate(&shown, static_cast<int32_t>(mer * 10), 1, curveOf(c.system));
    EXPECT_NEAR(m.value("mer").toString().toDouble(), shown.value.s32 / 10.0, 1.0) << "scene " << mer;
    // Signalling as the channel carries it, its BERs once their windows have filled, and the
    // post-BER once the first errors were read.
    const QVariantMap later = b.waitForShown([&](const QVariantMap& x) {
        return lockedWithPoints(x) && x.value("post_ber").toString().contains('E') == c.postBer
               && std::all_of(c.signalling.begin(), c.signalling.end(),
                              [&](const auto& kv) { return x.value(kv.first).toString() == kv.second; });
    });
    EXPECT_FALSE(later.isEmpty()) << "signalling of " << c.name;
    if (!c.postBer) {
        EXPECT_FALSE(later.contains("post_ber"));
    }

    const QList<int> i = list(m, "llista_i"), q = list(m, "llista_q");
    EXPECT_EQ(i.size(), q.size());
    EXPECT_LE(i.size(), MesuraIQ::kMaxPuntsPerEmissio);
    EXPECT_TRUE(std::all_of(i.begin(), i.end(), [](int v) { return v >= 0 && v < 256; }));
    EXPECT_TRUE(std::all_of(q.begin(), q.end(), [](int v) { return v >= 0 && v < 256; }));
}

INSTANTIATE_TEST_SUITE_P(EveryStandard, ManualLock, ::testing::ValuesIn(kChannels), testName);

class AutomaticSearch : public ::testing::TestWithParam<Channel> {};

TEST_P(AutomaticSearch, FindsTheStandardOfTheChannel)
{
    const Channel& c = GetParam();
    IqBench b;
    b.tune(c.hz);
    // From the start of its list: DVB-C, J.83B, DVB-C2, DVB-T, DVB-T2; DVB-S, DVB-S2.
    const bool satellite = c.system == 5 || c.system == 6;
    b.iq->initAutomatic(c.hz, satellite ? 5 : 0, 0);
    const QVariantMap m = b.waitForShown(lockedWithPoints, 120000);
    ASSERT_FALSE(m.isEmpty()) << c.name;
    EXPECT_EQ(m.value("system").toInt(), c.system);
    EXPECT_EQ(m.value("modulation").toString(), c.modulation);
    // Only the standards before it were tried, each announced by an empty map; no unlocked
    // try of the terrestrial and cable standards is shown (a satellite one shows its end).
    int tried = 0;
    for (const QVariantMap& x : b.shown) {
        tried += x.isEmpty();
        EXPECT_TRUE(x.isEmpty() || x.value("locked").toInt() == 1 || satellite);
    }
    const std::vector<int> order = satellite ? std::vector<int>{5, 6} : std::vector<int>{0, 1, 7, 2, 3};
    EXPECT_EQ(tried, std::find(order.begin(), order.end(), c.system) - order.begin() + 2) << "the pass's and each try's";
}

INSTANTIATE_TEST_SUITE_P(SearchedStandards, AutomaticSearch,
                         ::testing::Values(kChannels[0], kChannels[1], kChannels[2], kChannels[3], kChannels[5],
                                           kChannels[6], kChannels[7]),
                         testName);

// A routine that comes back at once is paced to a pass a second, not a flood.
TEST(MesuraIQOnBoard, AChipThatDoesNotAnswerGivesAPassASecond)
{
    IqBench b;
    for (uint8_t port : {0x6C, 0x6E})
        b.board->faults().fail(platform::sim::Device::i2c(port));
    b.tune(474000000u);
    b.iq->initManual(474000000u, 0, 0);
    ASSERT_TRUE(b.waitFor([&] { return b.handedCount() >= 18; }));
    b.iq->aturar();
    std::vector<uint64_t> passes;
    for (const auto& h : b.handed())
        if (h.map.isEmpty())
            passes.push_back(h.ms);
    ASSERT_GE(passes.size(), 3u);
    for (size_t i = 1; i < passes.size(); ++i)
        EXPECT_GE(passes[i] - passes[i - 1], 1000u) << i;
}

TEST(MesuraIQOnBoard, AStopThenARestartResumesAtTheSameWorkingFrequency)
{
    IqBench b;
    // 60 MHz is converted up to 255 MHz by the front end; the saved frequency is not converted again.
    b.tune(60000000u);
    b.iq->initManual(60000000u, 0, 0);
    auto unlockedAt = [&](unsigned int hz) {
        return [hz](const QVariantMap& m) { return m.contains("locked") && m.value("frequency").toUInt() == hz; };
    };
    ASSERT_FALSE(b.waitForShown(unlockedAt(255000000u)).isEmpty());
    b.iq->aturar();
    b.iq->restatMesureIQ();
    b.shown.clear();
    ASSERT_FALSE(b.waitForShown(unlockedAt(255000000u)).isEmpty());
    for (const QVariantMap& m : b.shown)
        EXPECT_TRUE(m.isEmpty() || m.value("frequency").toUInt() == 255000000u);
}

TEST(MesuraIQOnBoard, AStopDuringTheSatelliteSearchEndsItWithinOnePollAndShowsNothingMore)
{
    IqBench b(false);
    // Scaled time: the stop comes in the middle of a look for a rate that is not there.
    b.board.clock().setScale(4);
    b.iq->initManual(1200000000u, 5, 0);
    ASSERT_TRUE(b.waitFor([&] { return b.handedCount() >= 1 && b.demod->acquisitions() >= 3; }));
    // Read after the stop: what the worker does meanwhile, however long the test takes to
    // look, cannot count against it.
    b.iq->aturar();
    const uint64_t stopUs = b.board.clock().monotonicUs();
    b.waitFor([] { return false; }, 300);
    const size_t shown = b.shown.size();
    const uint64_t lastUs = lastDemodulatorTransferUs(b);
    // A 10 ms poll of the lock wait and the scheduling of a scaled clock; the rest of the
    // search would take seconds.
    EXPECT_LT(lastUs, stopUs + 200000);
    const int acquisitions = b.demod->acquisitions();
    b.waitFor([] { return false; }, 300);
    EXPECT_EQ(b.demod->acquisitions(), acquisitions);
    EXPECT_EQ(b.shown.size(), shown);
}

// A tune's start clears only a stop the kit has answered: a stop that comes while the driver sets
// the tuner for its search, after its own poll and before its tune, must still end that
// search at the next poll.
TEST(MesuraIQOnBoard, AStopWhileTheSearchSetsTheTunerStillEndsIt)
{
    std::atomic<bool> armed{false};
    std::atomic<uint64_t> firstUs{0}, stopUs{0};
    IqBench b(false);
    b.board.clock().setScale(2);
    std::weak_ptr<platform::sim::Cxd2856Model> demod = b.demod;
    // The try's tuning (set, 50 ms, end), then the search's setting of the tuner for its first
    // bandwidth (set, 50 ms, end): the stop lands on the end of the search's.
    b.tuner->setGate([&, demod] {
        const uint64_t now = b.board.clock().monotonicUs();
        if (armed && firstUs == 0)
            firstUs = now;
        if (armed && now >= firstUs + 90000 && armed.exchange(false)) {
            stopUs = now;
            b.iq->aturar();
        }
        const auto d = demod.lock();
        return d && d->tunerGateOpen();
    });
    // The first try's unlocked map: the tuner's next transfers are the second try's.
    QObject::connect(
        b.iq, &MesuraIQ::mapReady, b.iq,
        [&](const QVariantMap& m, quint64) {
            if (m.contains("locked") && firstUs == 0)
                armed = true;
        },
        Qt::DirectConnection);
    b.iq->initManual(834000000u, 2, 0);
    ASSERT_TRUE(b.waitFor([&] { return stopUs != 0; }));
    // Long enough for the whole search to have run out.
    b.waitFor([] { return false; }, 600);
    const int acquisitions = b.demod->acquisitions();
    const uint64_t lastUs = lastDemodulatorTransferUs(b);
    // The tuner's end, the search's tune and a few polls of its wait; left alone, the search
    // runs another second.
    EXPECT_LT(lastUs, stopUs + 400000) << "stopped at " << stopUs;
    b.waitFor([] { return false; }, 200);
    EXPECT_EQ(b.demod->acquisitions(), acquisitions);
}

} // namespace
