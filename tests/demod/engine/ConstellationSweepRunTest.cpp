// The measurement engine's constellation spectrum run drives the constellation engine: by
// the screen's frequency and standard, or by the selected channel, it reaches a lock on the
// simulated board while its own sweep goes on.
#include "IqBench.h"

#include "engines/measures.h"
#include "store/screensvariables.h"

#include <gtest/gtest.h>

using iqtest::IqBench;

TEST(ConstellationSweepRun, LocksByTheScreensFrequencyOrByTheChannel)
{
    IqBench b;
    // The measurement engine starts the cable-modem thread too, which lives until exit.
    b.board.hostEngineThreads();
    struct Case {
        const char* byFrequency;
        QVariantMap channel;
        unsigned int hz;
        int system;
    };
    for (const Case& c : {Case{"true", {}, 474000000u, 0},
                          Case{"false", {{"frequency", 834000000u}, {"system", "DVB-T"}}, 834000000u, 2}}) {
        for (auto [key, value] : {std::pair<const char*, QVariant>{"screen", "SPECTRUM_ANALYZER_RF"},
                                  {"circuit", "CABLE_RF"}, {"span", 10000000u}, {"reference_level", 20},
                                  {"frequency", 474000000u}, {"frecuencia_habilitada", c.byFrequency},
                                  {"freq_demod_digital_system", "DVB-C"}})
            ScreensVariables::getInstance()->setValue(key, value);
        Measures* engine = Measures::getInstance();
        engine->setVariablesQML();
        if (!c.channel.isEmpty())
            engine->setVariablesChannel(c.channel);
        QVariantList points;
        for (int i = -5; i <= 5; ++i)
            points << QVariantMap{{"frequency", c.hz + 1000000u * i}};
        engine->setListaFrequencyMeasures(points);
        int sweeps = 0;
        QVariantMap locked;
        const auto counting = QObject::connect(engine, &Measures::listaFrequencyMeasuresChanged, engine,
                                               [&] { ++sweeps; });
        const auto watching = QObject::connect(b.iq, &MesuraIQ::s_send_dades_iq, engine, [&](const QVariantMap& m) {
            if (m.value("locked").toInt() == 1 && locked.isEmpty()) {
                locked = m;
                engine->stopMeasures();
            }
        });
        engine->changeTipusMesure(SPECTRUM_CONST_IQ);
        engine->startMeasures();
        QObject::disconnect(counting);
        QObject::disconnect(watching);
        ASSERT_FALSE(locked.isEmpty()) << c.hz;
        EXPECT_EQ(locked.value("system").toInt(), c.system);
        EXPECT_EQ(locked.value("frequency").toUInt(), c.hz);
        EXPECT_GT(sweeps, 0);
        b.iq->aturar();
    }
}
