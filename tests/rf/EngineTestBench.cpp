#include "EngineTestBench.h"

#include "store/screensvariables.h"

namespace rftest {

EngineBench::EngineBench()
{
    board.hostEngineThreads();
    engine = Measures::getInstance();
    settings({{"screen", "SPECTRUM_ANALYZER_RF"}, {"circuit", "CABLE_RF"}, {"span", 2000000000u},
              {"reference_level", 20}, {"reference_level_scan", 20}, {"frequency", 474000000u}});
    clearLog();
}

EngineBench::~EngineBench() { chips.converter->clearChannel(2); }

void EngineBench::settings(const QVariantMap& values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        ScreensVariables::getInstance()->setValue(it.key(), it.value());
    engine->setVariablesQML();
}

void EngineBench::watchDetector()
{
    detector.clear();
    chips.converter->setChannelFunction(2, [this](uint64_t us) {
        const auto f = frontEnd->effectiveFrequencyHz();
        detector.push_back(f ? static_cast<unsigned int>(*f) : 0u);
        const int value = frontEnd->converterValue(2, us);
        if (afterConversion)
            afterConversion(static_cast<int>(detector.size()));
        return value;
    });
}

std::vector<unsigned int> EngineBench::tunings() const
{
    std::vector<unsigned int> out;
    for (unsigned int f : detector)
        if (out.empty() || out.back() != f)
            out.push_back(f);
    return out;
}

void EngineBench::run(int type)
{
    engine->changeTipusMesure(type);
    engine->startMeasures();
}

QVariantList EngineBench::sweepOnce()
{
    QVariantList swept;
    const auto connection = QObject::connect(engine, &Measures::listaFrequencyMeasuresChanged, engine,
                                             [&](const QVariantList& list) {
                                                 swept = list;
                                                 engine->stopMeasures();
                                             });
    run(SPECTRUM);
    QObject::disconnect(connection);
    return swept;
}

QVariantMap point(unsigned int frequency, const char* type, int bandwidth)
{
    QVariantMap p{{"frequency", frequency}};
    if (type) {
        p.insert("type", type);
        p.insert("bandwidth", bandwidth);
    }
    return p;
}

QVariantList points(unsigned int first, unsigned int step, int count)
{
    QVariantList out;
    for (int i = 0; i < count; ++i)
        out << point(first + step * static_cast<unsigned int>(i));
    return out;
}

} // namespace rftest
