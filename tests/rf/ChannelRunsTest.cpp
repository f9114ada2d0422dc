// The logger and automatic channel-plan runs on the simulated network, with the constellation
// engine on the demodulator and tuner models: each channel's power within 1 dB of the scene,
// the ratios of analogue channels and the MER of digital ones, the kind and standard of each
// channel found, and what a stop, new settings, an empty source or a stray map do to a run.
#include "EngineTestBench.h"

#include "Cxd2858Model.h"
#include "cxd2856/Cxd2856Model.h"

#include "engines/mesuraiq.h"
#include "store/channelslist.h"
#include "store/loggerlist.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

using rftest::EngineBench;

namespace {

// Time runs this many times faster than real time, for every thread alike: the constellation
// engine's worker keeps step with the runs' waits for its maps. A DVB-C2 lock takes most of
// the 2 s a standard is given; the terrestrial ones lock fast enough for twice the pace.
constexpr double kPace = 4.0;

struct RunBench : EngineBench {
    std::shared_ptr<platform::sim::Cxd2856Model> demod = platform::sim::installCxd2856(*board, scene);
    std::shared_ptr<platform::sim::Cxd2858Model> tuner =
        platform::sim::installCxd2858(*board, demod, scene, frontEnd);

    explicit RunBench(const QVariantMap& extra = {}, double pace = kPace)
    {
        platform::sim::RfScene::typicalCableNetwork(*scene);
        QVariantMap s{{"screen", "SCAN_RF"}, {"scan_threshold_min", 40}};
        for (auto it = extra.begin(); it != extra.end(); ++it)
            s.insert(it.key(), it.value());
        settings(s);
        board.clock().setScale(pace);
    }
    void plan(const QVariantList& channels)
    {
        ASSERT_TRUE(Channelslist::getInstance()->guardaChannelPlan("RUN", channels));
        ASSERT_TRUE(Channelslist::getInstance()->carregaChannelPlan("RUN"));
    }
};

QVariantMap channel(unsigned int centre, unsigned int bandwidth, const char* type, const char* system,
                    const char* active = "ON", int group = 0)
{
    return {{"name", QString::number(centre / 1000000u)},
            {"frequency", centre},
            {"bandwidth", bandwidth},
            {"type", type},
            {"system", system},
            {"active", active},
            {"freqAudio", "5.5"},
            {"docsisGroup", group}};
}

// The scene's level at f after the network's tilt (+4 dB per GHz above 100 MHz), 0.1 dBµV.
int tilted(double dbuv, double hz) { return static_cast<int>(10 * (dbuv + 4.0 * (hz - 100e6) / 1e9)); }

// A level or power within 1 dB, or exactly unmeasured.
void expectLevel(const QVariantMap& result, int expected)
{
    const int power = result.value("power").toInt();
    if (expected == UNMEASURED)
        EXPECT_EQ(power, UNMEASURED) << result.value("frequency").toUInt();
    else
        EXPECT_NEAR(power, expected, 10) << result.value("frequency").toUInt();
}

std::vector<unsigned int> frequencies(const QSignalSpy& spy)
{
    std::vector<unsigned int> out;
    for (const QList<QVariant>& args : spy)
        out.push_back(args.at(0).toMap().value("frequency").toUInt());
    return out;
}

constexpr unsigned int kPal = 177500000u; // E5, vision carrier at 175.25 MHz
constexpr unsigned int kEmpty = 1000000000u;

} // namespace

TEST(LoggerRun, StoresEachChannelsPowerRatiosAndTheConstellationEnginesMer)
{
    RunBench b({{"logger_measure_CN", true}, {"logger_measure_VA", true}, {"logger_measure_MER", true},
                {"scan_threshold_min", 55}});
    // A noise floor well above the instrument's own, for a carrier-to-noise the scene sets.
    b.scene->setNoiseFloor(30.0);
    b.plan({channel(kPal, 7000000, "ANALOG", "PAL"), channel(474000000, 8000000, "DIGITAL", "DVB-C"),
            channel(482000000, 8000000, "DIGITAL", "DVB-C", "OFF"), channel(834000000, 8000000, "DIGITAL", "DVB-T"),
            channel(873000000, 6000000, "DIGITAL", "ITU J83.B"), channel(kEmpty, 8000000, "DIGITAL", "DVB-C"),
            // Recorded in a standard it does not carry: the engine never locks on it.
            channel(850000000, 6000000, "DIGITAL", "DVB-C")});
    // The MER the constellation engine showed last for each channel it locked on.
    std::map<unsigned int, QString> shownMer;
    const auto watching = QObject::connect(MesuraIQ::getInstance(), &MesuraIQ::s_send_dades_iq, b.engine,
                                           [&](const QVariantMap& m) {
                                               if (m.value("locked").toInt() == 1)
                                                   shownMer[m.value("frequency").toUInt()] = m.value("mer").toString();
                                           });
    QSignalSpy logged(b.engine, &Measures::loggerChanged);
    QSignalSpy finished(b.engine, &Measures::finMesuraLogger);
    QSignalSpy stopped(b.engine, &Measures::mesuraIsStoped);
    b.run(LOGGER);
    QObject::disconnect(watching);

    enum Mer { None, Shown, Unmeasured };
    const struct {
        unsigned int frequency;
        int power; // 0.1 dBµV
        Mer mer;
    } expected[] = {
        {kPal, tilted(72.2, 175.25e6), None},       {474000000, tilted(66, 474e6), Shown},
        {834000000, tilted(66, 834e6), Shown},      {873000000, tilted(64, 873e6), Shown},
        {kEmpty, UNMEASURED, None},                 {850000000, tilted(66, 850e6), Unmeasured},
    };
    ASSERT_EQ(logged.count(), 6);
    for (int i = 0; i < 6; ++i) {
        const QVariantMap r = logged.at(i).at(0).toMap();
        const auto& e = expected[i];
        EXPECT_EQ(r.value("frequency").toUInt(), e.frequency);
        expectLevel(r, e.power);
        EXPECT_EQ(r.contains("mer"), e.mer != None) << e.frequency;
        if (e.mer == Shown) {
            ASSERT_TRUE(shownMer.count(e.frequency)) << e.frequency;
            EXPECT_EQ(r.value("mer").toDouble(), shownMer[e.frequency].toDouble()) << e.frequency;
            EXPECT_GT(r.value("mer").toDouble(), 30.0);
        } else if (e.mer == Unmeasured) {
            EXPECT_EQ(r.value("mer").toDouble(), UNMEASURED);
        }
        // Only the analogue channel has its ratios (vision 13 dB above sound; vision over the
        // noise in 157.5 kHz less 11 dB); every other slot stays unmeasured.
        const bool analogue = e.frequency == kPal;
        EXPECT_NEAR(r.value("v_a").toInt(), analogue ? 130 : UNMEASURED, 10) << e.frequency;
        EXPECT_NEAR(r.value("c_n").toInt(), analogue ? tilted(72.0, 175.25e6) - 300 - 110 : UNMEASURED, 10);
    }
    EXPECT_EQ(Loggerlist::getInstance()->currentLogger(), logged.at(5).at(0).toMap());
    EXPECT_EQ(std::make_tuple(finished.count(), stopped.count(), b.engine->getTipusMesure()), std::make_tuple(1, 1, 99));
}

namespace {

struct PlanChannel {
    QVariantMap record;
    const char* type;
    QVariant system; // digital_standards_idx, "-" when none locked, or the record's text
    int power;       // 0.1 dBµV
};

// An automatic plan run over the channels: each one's kind, standard and power as expected.
void findsInPlan(const std::vector<PlanChannel>& channels, double pace = kPace)
{
    RunBench b({{"scan_auto_system", true}}, pace);
    QVariantList records;
    // No sound offset recorded: the one the run reports is the one it found.
    for (const PlanChannel& c : channels) {
        QVariantMap record = c.record;
        record.remove("freqAudio");
        records << record;
    }
    b.plan(records);
    QSignalSpy found(b.engine, &Measures::channelPlanChanged);
    QSignalSpy finished(b.engine, &Measures::fiMesuraChannelPlan);
    b.run(CHANNEL_PLAN);

    ASSERT_EQ(found.count(), static_cast<int>(channels.size()));
    for (size_t i = 0; i < channels.size(); ++i) {
        const QVariantMap r = found.at(static_cast<int>(i)).at(0).toMap();
        const PlanChannel& e = channels[i];
        const unsigned int f = e.record.value("frequency").toUInt();
        EXPECT_EQ(r.value("frequency").toUInt(), f);
        EXPECT_EQ(r.value("type").toString(), e.type) << f;
        EXPECT_EQ(r.value("system").toString(), e.system.toString()) << f;
        expectLevel(r, e.power);
        // Found digital: no sound carrier to print; found analogue: the loudest offset.
        const bool digital = e.power != UNMEASURED && QLatin1String(e.type) == QLatin1String("DIGITAL");
        EXPECT_EQ(r.value("printedFreqAudio").toString(), digital ? "-" : "") << f;
        EXPECT_EQ(r.value("freqAudio").toString(), e.system == QVariant("PAL") ? "5.5" : "") << f;
    }
    EXPECT_EQ(std::make_tuple(finished.count(), b.engine->getTipusMesure()), std::make_tuple(1, 99));
}

} // namespace

TEST(ChannelPlanRun, FindsTheCableChannelsKindAndStandard)
{
    findsInPlan({
        {channel(kPal, 7000000, "ANALOG", "PAL"), "ANALOG", "PAL", tilted(72.2, 175.25e6)},
        {channel(474000000, 8000000, "DIGITAL", "DVB-C"), "DIGITAL", 0, tilted(66, 474e6)},
        // Recorded as analogue: its "vision carrier" lies inside the flat block.
        {channel(873000000, 6000000, "ANALOG", "PAL"), "DIGITAL", 1, tilted(64, 873e6)},
        {channel(866000000, 8000000, "DIGITAL", "DVB-C"), "DIGITAL", 7, tilted(66, 866e6)},
        {channel(kEmpty, 8000000, "DIGITAL", "DVB-C"), "DIGITAL", "DVB-C", UNMEASURED},
    });
}

namespace {

// One run of each kind, on channels that need no demodulation: the logger on the plan editor
// (levels only), the plan without automatic detection.
struct RunKind {
    int type;
    QMetaMethod result;
    QMetaMethod finished;
    QVariantMap settings;
};

std::vector<RunKind> runKinds()
{
    return {{LOGGER, QMetaMethod::fromSignal(&Measures::loggerChanged),
             QMetaMethod::fromSignal(&Measures::finMesuraLogger), {{"screen", "EDIT_CHANNEL_PLAN"}}},
            {CHANNEL_PLAN, QMetaMethod::fromSignal(&Measures::channelPlanChanged),
             QMetaMethod::fromSignal(&Measures::fiMesuraChannelPlan),
             {{"screen", "SCAN_RF"}, {"scan_auto_system", false}}}};
}

const std::vector<unsigned int> kFourChannels = {474000000u, 490000000u, 506000000u, 522000000u};

void planOfFour(RunBench& b)
{
    QVariantList channels;
    for (unsigned int f : kFourChannels)
        channels << channel(f, 8000000, "DIGITAL", "DVB-C");
    b.plan(channels);
}

} // namespace

namespace {

// The frequencies of the channels handed over, the finished and stopped signals, the type after.
using RunOutcome = std::tuple<std::vector<unsigned int>, int, int, int>;

// Runs one kind over the plan of four, calling interrupt after every conversion of the detector
// with the number of results so far.
RunOutcome runInterrupted(RunBench& b, const RunKind& kind, const std::function<void(int)>& interrupt)
{
    b.settings(kind.settings);
    QSignalSpy results(b.engine, kind.result);
    QSignalSpy finished(b.engine, kind.finished);
    QSignalSpy stopped(b.engine, &Measures::mesuraIsStoped);
    b.afterConversion = [&](int) { interrupt(results.count()); };
    b.watchDetector();
    b.run(kind.type);
    b.afterConversion = nullptr;
    return {frequencies(results), finished.count(), stopped.count(), b.engine->getTipusMesure()};
}

} // namespace

TEST(ChannelRuns, NewSettingsDuringARunNeitherEndNorRestartIt)
{
    RunBench b;
    planOfFour(b);
    for (const RunKind& kind : runKinds()) {
        // Once after the first channel, and once more in the middle of the third.
        int changes = 0;
        const RunOutcome run = runInterrupted(b, kind, [&](int results) {
            const bool third = changes == 1 && results == 2 && b.detector.size() % 7 == 0;
            if ((changes == 0 && results == 1) || third) {
                ++changes;
                b.engine->setVariablesQML();
            }
        });
        EXPECT_EQ(changes, 2);
        EXPECT_EQ(run, RunOutcome(kFourChannels, 1, 1, 99)) << kind.type;
    }
}

TEST(ChannelRuns, AStopEndsTheRunWithoutTheChannelItCutShortAndKeepsTheType)
{
    RunBench b;
    planOfFour(b);
    for (const RunKind& kind : runKinds()) {
        // In the middle of the second channel's power.
        const RunOutcome run = runInterrupted(b, kind, [&](int results) {
            if (results == 1 && b.detector.size() % 11 == 0)
                b.engine->stopMeasures();
        });
        // The loop tells the screens it stopped, except after a logger.
        EXPECT_EQ(run, RunOutcome({kFourChannels.front()}, 1, kind.type == LOGGER ? 0 : 1, kind.type)) << kind.type;
    }
}

TEST(ChannelPlanRun, TakesOnlyTheMapsOfTheStandardAndFrequencyItAskedFor)
{
    RunBench b({{"scan_auto_system", true}}, 2 * kPace);
    // ISDB-T locks in none of the standards tried: only a forged map can make it lock.
    b.plan({channel(850000000, 6000000, "DIGITAL", "DVB-C")});
    MesuraIQ* iq = MesuraIQ::getInstance();
    const struct {
        int systemStep;
        unsigned int frequencyStep;
        const char* found;
    } cases[] = {{1, 0, "-"}, {0, 1000000, "-"}, {0, 0, "0"}};
    for (const auto& c : cases) {
        // Beside each map of the engine, a locked copy with another standard or frequency.
        const auto forging = QObject::connect(iq, &MesuraIQ::s_send_dades_iq, b.engine, [&](const QVariantMap& m) {
            if (m.isEmpty() || m.contains("forged"))
                return;
            QVariantMap forged = m;
            forged.insert("forged", true);
            forged.insert("locked", 1);
            forged.insert("system", m.value("system").toInt() + c.systemStep);
            forged.insert("frequency", m.value("frequency").toUInt() + c.frequencyStep);
            emit iq->s_send_dades_iq(forged);
        });
        QSignalSpy found(b.engine, &Measures::channelPlanChanged);
        b.run(CHANNEL_PLAN);
        QObject::disconnect(forging);
        ASSERT_EQ(found.count(), 1);
        EXPECT_EQ(found.at(0).at(0).toMap().value("system").toString(), c.found) << c.systemStep << c.frequencyStep;
    }
}

TEST(ChannelRuns, WithoutChannelsToMeasureARunEndsAtOnce)
{
    RunBench b;
    const struct {
        int type;
        const char* screen;
        bool channels; // a plan of four, else an empty plan
    } cases[] = {
        {LOGGER, "SPECTRUM_ANALYZER_RF", true},         // a screen without a channel source
        {LOGGER, "DBG_CM", false},                      // a bonding-group index with no group
        {CHANNEL_PLAN, "DOCSIS_BONDING_GROUP_OPTIC", false},
        {CHANNEL_PLAN, "TILT_DOWNSTREAM_RF", true},
    };
    for (const auto& c : cases) {
        if (c.channels)
            planOfFour(b);
        else
            b.plan({});
        b.settings({{"screen", c.screen}});
        const bool logger = c.type == LOGGER;
        QSignalSpy none(b.engine, logger ? &Measures::loggerVoid : &Measures::channelPlanVoid);
        QSignalSpy results(b.engine, logger ? &Measures::loggerChanged : &Measures::channelPlanChanged);
        QSignalSpy finished(b.engine, logger ? &Measures::finMesuraLogger : &Measures::fiMesuraChannelPlan);
        QSignalSpy stopped(b.engine, &Measures::mesuraIsStoped);
        b.run(c.type);
        EXPECT_EQ(std::make_tuple(none.count(), results.count(), finished.count(), stopped.count(),
                                  b.engine->getTipusMesure()),
                  std::make_tuple(1, 0, 1, 1, 99))
            << c.screen;
    }
}

TEST(LoggerRun, OnABondingGroupScreenLogsTheSelectedGroupOnly)
{
    RunBench b({{"screen", "DBG_CM"}});
    b.plan({channel(474000000, 8000000, "DIGITAL", "DVB-C", "ON", 1),
            channel(490000000, 8000000, "DIGITAL", "DVB-C", "ON", 2),
            channel(506000000, 8000000, "DIGITAL", "DVB-C", "ON", 1),
            channel(522000000, 8000000, "DIGITAL", "DVB-C", "OFF", 1)});
    ASSERT_TRUE(Channelslist::getInstance()->setCurrentDocsisBondingGroupIndex(0));
    QSignalSpy logged(b.engine, &Measures::loggerChanged);
    b.run(LOGGER);
    EXPECT_EQ(frequencies(logged), (std::vector<unsigned int>{474000000u, 506000000u}));
}

TEST(LoggerRun, AStopDuringALongHoldOfTheConstellationEngineEndsTheRunWithinOneSlice)
{
    // Bit errors to the accuracy asked: each digital channel is held 40 s.
    RunBench b({{"logger_measure_BER", true}, {"logger_measure_accuracy", true}});
    b.plan({channel(474000000, 8000000, "DIGITAL", "DVB-C"), channel(490000000, 8000000, "DIGITAL", "DVB-C")});
    uint64_t stopMs = 0;
    const auto stopping = QObject::connect(MesuraIQ::getInstance(), &MesuraIQ::s_send_dades_iq, b.engine,
                                           [&](const QVariantMap& m) {
                                               if (m.value("locked").toInt() == 1 && stopMs == 0) {
                                                   stopMs = b.board.clock().monotonicMs();
                                                   b.engine->stopMeasures();
                                               }
                                           });
    QSignalSpy logged(b.engine, &Measures::loggerChanged);
    b.run(LOGGER);
    QObject::disconnect(stopping);
    ASSERT_NE(stopMs, 0u);
    // One slice of 100 ms, and the scheduling of a scaled clock.
    EXPECT_LT(b.board.clock().monotonicMs() - stopMs, 300u);
    EXPECT_EQ(std::make_tuple(logged.count(), b.engine->getTipusMesure(), MesuraIQ::getInstance()->isNonStopMesures()),
              std::make_tuple(0, LOGGER, false));
}
