// The analogue-channel runs on the simulated network: vision and sound levels, C/N, CTB and
// CSO within 1 dB of the scene, the hum and the mains from the board's waveforms, what a
// stop, a silent input, an empty list, a short window or a record without carriers get.
#include "EngineTestBench.h"

#include "common/BoardWiring.h"
#include "rf/mesuraRF.h"

#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <tuple>

using platform::sim::Device;
using platform::sim::MainsShape;
using rftest::EngineBench;
using rftest::tuned;
using testsupport::LogCapture;

namespace {

constexpr unsigned int kVision = 175250000u; // E5
const float kHumUnmeasured = static_cast<float>(UNMEASURED);

QVariantMap palChannel(unsigned int vision, int bandwidth, double freqAudio)
{
    return {{"type", "ANALOG"},
            {"frequency", vision - 1250000u + static_cast<unsigned int>(bandwidth / 2)},
            {"bandwidth", bandwidth},
            {"freqAudio", freqAudio}};
}

// An analogue screen working by channel on the given vision carrier, five points 1 MHz apart
// around it; the settings given replace the defaults.
void analogueScreen(EngineBench& b, unsigned int vision, const QVariantMap& channel, const QVariantMap& extra = {})
{
    QVariantMap s{{"frequency", vision},        {"frecuencia_habilitada", "false"}, {"span", 20000000u},
                  {"reference_level", 20},      {"ctb_cso_on", false},              {"ctb_in_channel", false},
                  {"ctb_carrier_removed", false}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        s.insert(it.key(), it.value());
    b.settings(s);
    b.engine->setVariablesChannel(channel);
    b.engine->setListaFrequencyMeasures(rftest::points(vision - 2000000u, 1000000u, 5));
}

uint64_t nowMs(EngineBench& b) { return b.board.clock().monotonicMs(); }

} // namespace

TEST(AnalogueRuns, DemodulationReadsLevelsNoiseAndHumOfEachChannel)
{
    EngineBench b;
    const struct {
        unsigned int vision;
        double visionDb, soundOffsetHz, soundDb, noiseDb;
        int bandwidth;
        int cn; // vision over the noise in 157.5 kHz, less 11 dB from 90 MHz on (9 dB below)
    } cases[] = {
        {kVision, 72.0, 5.5e6, 59.0, 30.0, 7000000, 310},
        {83250000u, 70.0, 5.5e6, 60.0, 28.0, 7000000, 330},
        {623250000u, 75.0, 6.5e6, 65.0, 32.0, 8000000, 320},
    };
    QObject::connect(b.engine, &Measures::humChanged, b.engine, &Measures::stopMeasures);
    for (const auto& c : cases) {
        b.scene->clear();
        b.scene->setNoiseFloor(c.noiseDb);
        b.scene->setHumPercent(0.8);
        b.scene->addAnalogue(c.vision, c.visionDb, c.soundOffsetHz, c.soundDb);
        analogueScreen(b, c.vision, palChannel(c.vision, c.bandwidth, c.soundOffsetHz / 1e6));
        b.engine->setFilter(FILTER_WIDE);
        QSignalSpy levels(b.engine, &Measures::v_a_carriersChanged);
        QSignalSpy noise(b.engine, &Measures::carrierNoiseChanged);
        QSignalSpy hum(b.engine, &Measures::humChanged);
        QSignalSpy messages(b.engine, &Measures::message);

        b.run(DEMOD_ANALOG);
        SCOPED_TRACE(c.vision);
        ASSERT_EQ(levels.count(), 1);
        EXPECT_NEAR(levels.at(0).at(0).toInt(), 10 * c.visionDb, 10);
        EXPECT_NEAR(levels.at(0).at(1).toInt(), 10 * c.soundDb, 10);
        EXPECT_NEAR(b.engine->carrierNoise(), c.cn, 10);
        EXPECT_NEAR(b.engine->porcentajeHum(), 0.8, 0.05);
        // The hum is read on the sound carrier, which the channel's record places; the run
        // puts back the screen's filter and span.
        EXPECT_EQ(std::make_tuple(noise.count(), hum.count(), messages.count(), b.chips.tuner->tunedFrequencyHz(),
                                  b.engine->getFilter(), getSpan()),
                  std::make_tuple(1, 1, 0,
                                  tuned(c.vision + static_cast<unsigned int>(c.soundOffsetHz))
                                      + (c.vision < 90000000u ? 195000000u : 0u),
                                  FILTER_WIDE, 20000000u));
    }
}

TEST(AnalogueRuns, ARecordThatPlacesNoSoundCarrierMeasuresNothingThere)
{
    EngineBench b;
    b.scene->setNoiseFloor(30.0);
    b.scene->addAnalogue(kVision, 72.0, 5.5e6, 59.0);
    QVariantMap channel = palChannel(kVision, -7000000, 5.5);
    channel.insert("freqAudio", 1e7); // MHz: beyond any frequency
    analogueScreen(b, kVision, channel);
    QSignalSpy levels(b.engine, &Measures::v_a_carriersChanged);
    QSignalSpy noise(b.engine, &Measures::carrierNoiseChanged);
    QObject::connect(b.engine, &Measures::humChanged, b.engine, &Measures::stopMeasures);
    b.run(DEMOD_ANALOG);
    ASSERT_EQ(levels.count(), 1);
    EXPECT_NEAR(levels.at(0).at(0).toInt(), 720, 10);
    EXPECT_EQ(std::make_tuple(levels.at(0).at(1).toInt(), noise.count(), b.engine->carrierNoise(),
                              b.engine->porcentajeHum(), b.engine->getFrequencyAudio()),
              std::make_tuple(UNMEASURED, 0, UNMEASURED, kHumUnmeasured, 0u));
    b.engine->setVariablesChannel(palChannel(kVision, 7000000, 5.5));
    EXPECT_EQ(b.engine->getFrequencyAudio(), kVision + 5500000u);
}

TEST(AnalogueRuns, CtbOnAFreeSlotAndCsoAtTheMarkers)
{
    EngineBench b;
    b.scene->setNoiseFloor(-10.0);
    b.scene->addAnalogue(kVision, 72.0, 5.5e6, 59.0);
    b.scene->setDistortion(kVision, -45.0, {{-0.75e6, -38.0}, {0.75e6, -36.0}, {1.25e6, -40.0}});
    // The slot a channel higher carries no vision carrier: its triple beat is bare.
    b.scene->addAnalogue(189.25e6, 72.0, 5.5e6, 59.0);
    b.scene->setDistortion(189.25e6, -38.0, {});
    b.scene->removeVisionCarrier(189.25e6);
    analogueScreen(b, kVision, palChannel(kVision, 7000000, 5.5),
                   {{"ctb_cso_on", true},
                    {"ctb_frequency", 189250000u},
                    {"cso_marker1", -750000},
                    {"cso_marker2", 750000},
                    {"cso_marker3", 1250000},
                    {"cso_marker4", -175250001}}); // below 0 Hz: no frequency to read
    QSignalSpy products(b.engine, &Measures::ctb_cso_Changed);
    QObject::connect(b.engine, &Measures::ctb_cso_Changed, b.engine, &Measures::stopMeasures);
    b.run(DEMOD_ANALOG);
    ASSERT_EQ(products.count(), 1);
    const QVariantMap values = products.at(0).at(0).toMap();
    EXPECT_EQ(values.keys(), (QStringList{"CSO_1_power", "CSO_2_power", "CSO_3_power", "CSO_max_power",
                                          "CSO_min_power", "CTB_power"}));
    const std::pair<const char*, int> expected[] = {{"CTB_power", 380},   {"CSO_1_power", 480},
                                                    {"CSO_2_power", 460}, {"CSO_3_power", 500},
                                                    {"CSO_max_power", 460}, {"CSO_min_power", 500}};
    for (const auto& [key, value] : expected)
        EXPECT_NEAR(values.value(key).toInt(), value, 10) << key;
    EXPECT_NEAR(getMesuraNivell(), 720, 10);

    // Without a CTB frequency only the markers are read.
    b.settings({{"ctb_frequency", 0u}});
    products.clear();
    b.engine->mesuraVideoCarrier_CTB_CSO(0, 0);
    ASSERT_EQ(products.count(), 1);
    EXPECT_EQ(products.at(0).at(0).toMap().keys(), values.keys().mid(0, 5));
}

TEST(AnalogueRuns, CtbUnderTheCarrierFromItsHighestLevelAndAFailedReadingAtTheCeiling)
{
    EngineBench b;
    b.scene->setNoiseFloor(-10.0);
    b.scene->addAnalogue(kVision, 72.0, 5.5e6, 59.0);
    b.scene->setDistortion(kVision, -45.0, {});
    analogueScreen(b, kVision, palChannel(kVision, 7000000, 5.5),
                   {{"ctb_cso_on", true}, {"ctb_in_channel", true}}); // the four markers on the carrier
    setFrequencyHz(kVision);
    QSignalSpy products(b.engine, &Measures::ctb_cso_Changed);
    int carrier = 0;
    // In order, on one engine: the highest carrier level seen stays between the calls.
    const struct {
        const char* what;
        bool inChannel, carrierOff, removedSaid, converterFails;
        int emitted; // -1: nothing; else the keys' count
        int ctb;     // -1: from the carrier's level
    } rows[] = {
        {"carrier on, not yet said removed: nothing, the level kept", true, false, false, false, -1, 0},
        {"carrier off: the beat under it against the kept level", true, true, true, false, 7, 450},
        {"the beat's reading fails: it counts as 99999, the marker has no key", true, true, true, true, 1, -1},
        {"out of the channel with no carrier reading: no ratio at all", false, false, false, true, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        b.scene->removeVisionCarrier(kVision, row.carrierOff);
        b.settings({{"ctb_in_channel", row.inChannel}, {"ctb_carrier_removed", row.removedSaid},
                    {"ctb_frequency", 189250000u}});
        b.board->faults().fail(Device::spi(wiring::kConverterNode), platform::sim::kEveryAccess, row.converterFails);
        products.clear();
        b.engine->mesuraVideoCarrier_CTB_CSO(0, 0);
        if (carrier == 0)
            carrier = getMesuraNivell();
        ASSERT_EQ(products.count(), row.emitted < 0 ? 0 : 1);
        if (row.emitted < 0)
            continue;
        const QVariantMap values = products.at(0).at(0).toMap();
        EXPECT_EQ(values.size(), row.emitted);
        if (row.ctb < 0) {
            EXPECT_EQ(values.value("CTB_power").toInt(), 99999 - carrier);
        } else if (row.emitted > 0) {
            EXPECT_NEAR(values.value("CTB_power").toInt(), row.ctb, 10);
        }
    }
    EXPECT_NEAR(carrier, 720, 10);
}

TEST(AnalogueRuns, NoSignalAtOrBelow15dBuVAndAnEmptyListDoesNotSpin)
{
    EngineBench b;
    QObject::connect(b.engine, &Measures::message, b.engine, &Measures::stopMeasures);
    QObject::connect(b.engine, &Measures::v_a_carriersChanged, b.engine, &Measures::stopMeasures);
    for (auto [level, silent] : {std::pair{15.0, true}, {15.1, false}}) {
        b.scene->clear();
        b.scene->setNoiseFloor(-30.0);
        b.scene->addCw(kVision, level);
        analogueScreen(b, kVision, palChannel(kVision, 7000000, 5.5), {{"reference_level", 0}});
        QSignalSpy messages(b.engine, &Measures::message);
        QSignalSpy levels(b.engine, &Measures::v_a_carriersChanged);
        b.run(DEMOD_ANALOG);
        EXPECT_EQ(levels.count(), silent ? 0 : 1) << level;
        EXPECT_EQ(messages, silent ? QList<QVariantList>{{"No signal"}} : QList<QVariantList>{}) << level;
    }

    // Without points every pass finds no signal; each waits a slice before the next.
    b.engine->setListaFrequencyMeasures({});
    QObject::disconnect(b.engine, &Measures::message, b.engine, &Measures::stopMeasures);
    int said = 0;
    QObject::connect(b.engine, &Measures::message, b.engine, [&] {
        if (++said == 3)
            b.engine->stopMeasures();
    });
    const uint64_t start = nowMs(b);
    b.run(DEMOD_ANALOG);
    EXPECT_EQ(said, 3);
    EXPECT_GE(nowMs(b) - start, 200u);
}

TEST(AnalogueRuns, SpectrumWithHumSweepsTwiceThenReadsTheHumAndAnEmptyListEndsToo)
{
    EngineBench b;
    b.scene->setNoiseFloor(10.0);
    b.scene->addCw(kVision, 65.0);
    b.scene->setHumPercent(2.0);
    b.settings({{"frequency", kVision}, {"span", 0u}});
    // A zero span: every point on the carrier.
    b.engine->setListaFrequencyMeasures(rftest::points(kVision, 0u, 5));
    QSignalSpy lists(b.engine, &Measures::listaFrequencyMeasuresChanged);
    int sweepsAtHum = -1;
    QObject::connect(b.engine, &Measures::humChanged, b.engine, [&] {
        sweepsAtHum = lists.count();
        b.engine->stopMeasures();
    });
    b.run(SPECTRUM_HUM);
    EXPECT_EQ(sweepsAtHum, 2);
    EXPECT_NEAR(b.engine->porcentajeHum(), 2.0, 0.05);

    // Nothing to sweep: the hum is read where the tuner stands.
    b.engine->setListaFrequencyMeasures({});
    lists.clear();
    sweepsAtHum = -1;
    b.run(SPECTRUM_HUM);
    EXPECT_EQ(sweepsAtHum, 0);
    EXPECT_NEAR(b.engine->porcentajeHum(), 2.0, 0.05);
}

TEST(AnalogueRuns, AShortHumWindowOrAFailingConverterIsUnmeasured)
{
    EngineBench b;
    b.scene->setNoiseFloor(10.0);
    b.scene->addCw(kVision, 65.0);
    b.scene->setHumPercent(1.0);
    sintonitzar(kVision);
    QSignalSpy hum(b.engine, &Measures::humChanged);
    EXPECT_EQ(b.engine->mesuraHum(), 0);
    EXPECT_NEAR(b.engine->porcentajeHum(), 0.98, 0.05);

    // A converter that takes 100 ms a conversion gives five samples in the window.
    int conversions = 0;
    b.chips.converter->setChannelFunction(wiring::max11337::kHumChannel, [&](uint64_t) {
        ++conversions;
        b.board.clock().advanceMs(100);
        return 2048;
    });
    EXPECT_EQ(b.engine->mesuraHum(), 0);
    EXPECT_EQ(std::make_tuple(conversions, b.engine->porcentajeHum(), hum.count()),
              std::make_tuple(10, kHumUnmeasured, 2));

    // A converter that fails ends the windows at once, and nothing is made of it.
    b.chips.converter->clearChannel(wiring::max11337::kHumChannel);
    b.engine->mesuraHum();
    EXPECT_NEAR(b.engine->porcentajeHum(), 0.98, 0.05);
    b.board->faults().fail(Device::spi(wiring::kConverterNode));
    QSignalSpy voltage(b.engine, &Measures::voltageInChanged);
    QSignalSpy current(b.engine, &Measures::lnb_mA_Changed);
    const uint64_t start = nowMs(b);
    b.engine->mesuraHum();
    b.engine->mesuraVIn();
    b.engine->mesuraLNB_mA();
    EXPECT_EQ(nowMs(b) - start, 40u); // the hum's settling wait, no window
    EXPECT_EQ(std::make_tuple(b.engine->porcentajeHum(), voltage.count(), b.engine->voltageInDC(),
                              b.engine->voltageInAC(), b.engine->voltageInHz(), current.count()),
              std::make_tuple(kHumUnmeasured, 1, UNMEASURED, UNMEASURED, UNMEASURED, 0));
}

TEST(AnalogueRuns, InputVoltageReadsDcAcAndMainsFrequencyFromTheWaveform)
{
    EngineBench b;
    b.scene->setLnbLoadMa(150.0);
    const struct {
        double dc, acRms, hz;
        MainsShape shape;
        int expectedHz;
    } cases[] = {
        {12.0, 0.0, 50.0, MainsShape::Sine, 0}, // no crossings
        {0.0, 20.0, 50.0, MainsShape::Sine, 50},
        {-5.0, 30.0, 60.0, MainsShape::QuasiSquare, 60},
        {24.0, 0.5, 100.0, MainsShape::Sine, 100}, // a DC supply's ripple
        {60.0, 45.0, 50.0, MainsShape::QuasiSquare, 50},
    };
    QSignalSpy total(b.engine, &Measures::totalPowerChanged);
    QSignalSpy current(b.engine, &Measures::lnb_mA_Changed);
    QObject::connect(b.engine, &Measures::lnb_mA_Changed, b.engine, &Measures::stopMeasures);
    for (const auto& c : cases) {
        b.scene->setInputVoltage(c.dc, c.acRms, c.hz, c.shape);
        setModeCircuit(CABLE_OPTIC);
        QSignalSpy voltage(b.engine, &Measures::voltageInChanged);
        b.run(INPUT_VOLTAGE);
        SCOPED_TRACE(c.dc);
        EXPECT_EQ(std::make_tuple(getModeCircuit(), voltage.count(), b.engine->voltageInHz()),
                  std::make_tuple(CABLE_RF, 1, c.expectedHz));
        EXPECT_NEAR(b.engine->voltageInDC(), 10 * c.dc, 2);
        EXPECT_NEAR(b.engine->voltageInAC(), 10 * c.acRms, 2);
    }
    EXPECT_EQ(total.count(), 5);
    ASSERT_EQ(current.count(), 5);
    EXPECT_EQ(current.at(0).at(0).toFloat(), 0.0f); // the LNB supply is off
    // Switched on, the supply's current is read, and its 13 V drive the input.
    b.engine->setActivaLNB(true);
    b.run(INPUT_VOLTAGE);
    ASSERT_EQ(current.count(), 6);
    EXPECT_NEAR(current.at(5).at(0).toFloat(), 150.0f, 0.2f);
    EXPECT_NEAR(b.engine->voltageInDC(), 130, 2);
    EXPECT_EQ(b.engine->voltageInAC(), 0);
}

TEST(AnalogueRuns, ResultsAreUnmeasuredUntilMeasuredAndAStopEndsTheWindowsAtTheNextSample)
{
    EngineBench b;
    EXPECT_EQ(std::make_tuple(b.engine->porcentajeHum(), b.engine->voltageInDC(), b.engine->voltageInAC(),
                              b.engine->voltageInHz(), b.engine->carrierNoise()),
              std::make_tuple(kHumUnmeasured, UNMEASURED, UNMEASURED, UNMEASURED, UNMEASURED));
    QSignalSpy hum(b.engine, &Measures::humChanged);
    QSignalSpy voltage(b.engine, &Measures::voltageInChanged);
    QSignalSpy current(b.engine, &Measures::lnb_mA_Changed);
    for (int channel : {wiring::max11337::kHumChannel, wiring::max11337::kInputVoltageChannel}) {
        int conversions = 0;
        b.chips.converter->setChannelFunction(channel, [&](uint64_t) {
            if (++conversions == 200) // the 100th reading
                b.engine->stopMeasures();
            return 2036;
        });
        b.engine->setListaFrequencyMeasures({});
        b.run(channel == wiring::max11337::kHumChannel ? SPECTRUM_HUM : INPUT_VOLTAGE);
        EXPECT_EQ(conversions, 200) << channel;
        b.chips.converter->clearChannel(channel);
    }
    EXPECT_EQ(std::make_tuple(hum.count(), voltage.count(), current.count(), b.engine->porcentajeHum(),
                              b.engine->voltageInDC()),
              std::make_tuple(0, 0, 0, kHumUnmeasured, UNMEASURED));
}

TEST(AnalogueRuns, SoundFmHoldsTheSoundCarrierAndStopsWithinOneSlice)
{
    EngineBench b;
    b.scene->addAnalogue(kVision, 72.0, 6.5e6, 59.0);
    const struct {
        const char* byFrequency;
        QVariantMap channel;
        unsigned int held;
    } cases[] = {
        {"false", palChannel(kVision, 8000000, 6.5), kVision + 6500000u},
        {"true", palChannel(kVision, 8000000, 6.5), kVision},
        {"false", {{"type", "DIGITAL"}, {"freqAudio", 6.5}}, kVision},
        // No sound carrier to hold: the tuner stays on the sweep's last point.
        {"false", palChannel(kVision, 8000000, -1e6), kVision + 2000000u},
    };
    for (const auto& c : cases) {
        analogueScreen(b, kVision, c.channel, {{"frecuencia_habilitada", c.byFrequency}});
        LogCapture log;
        // The stop comes while the pass holds the tuner, after its sweep.
        uint64_t stoppedAt = 0;
        const auto connection = QObject::connect(b.engine, &Measures::listaFrequencyMeasuresChanged, b.engine, [&] {
            QTimer::singleShot(20, b.engine, [&] {
                stoppedAt = nowMs(b);
                b.engine->stopMeasures();
            });
        });
        b.run(SOUND_FM);
        QObject::disconnect(connection);
        EXPECT_LE(nowMs(b) - stoppedAt, 100u);
        EXPECT_EQ(std::make_tuple(b.chips.tuner->tunedFrequencyHz(), log.count("Frequency sum: ")),
                  std::make_tuple(tuned(c.held), 1)) << c.byFrequency;
    }
}
