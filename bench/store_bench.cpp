// Save and load times of the settings file and of a 150-channel plan, on the simulated
// board (the remount commands are recorded, not run). Run from any folder: the files are
// written in a temporary working directory seeded with the shipped default settings.
#include "SimulatedBoard.h"
#include "store/channelslist.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QVariantList plan150()
{
    QVariantList channels;
    for (int i = 0; i < 150; ++i) {
        channels.append(QVariantMap{{"name", QString("C%1").arg(i)},
                                    {"frequency", 114000000u + 6000000u * i},
                                    {"bandwidth", 6000000u},
                                    {"type", i < 20 ? "ANALOG" : "DIGITAL"},
                                    {"active", "ON"},
                                    {"system", i < 20 ? "PAL" : "DVB-C"},
                                    {"docsisGroup", i / 16 % 10},
                                    {"freqAudio", i < 20 ? "5.5" : "0"}});
    }
    return channels;
}

void SaveSettings(benchmark::State& state)
{
    ScreensVariables* settings = ScreensVariables::getInstance();
    for (auto _ : state)
        settings->guardaVariables();
    state.counters["keys"] = settings->getScreensVariables().size();
}
BENCHMARK(SaveSettings)->Unit(benchmark::kMicrosecond);

// What a screen change costs: the map handed back by QML, compared, saved.
void ScreenChange(benchmark::State& state)
{
    ScreensVariables* settings = ScreensVariables::getInstance();
    QVariantMap map = settings->getScreensVariables();
    bool other = false;
    for (auto _ : state) {
        map["screen"] = (other = !other) ? "SCAN_RF" : "MAIN_MENU";
        settings->setScreensVariables(map);
    }
}
BENCHMARK(ScreenChange)->Unit(benchmark::kMicrosecond);

void LoadSettings(benchmark::State& state)
{
    ScreensVariables* settings = ScreensVariables::getInstance();
    settings->guardaVariables();
    for (auto _ : state)
        benchmark::DoNotOptimize(settings->carregaVariables());
}
BENCHMARK(LoadSettings)->Unit(benchmark::kMicrosecond);

void SavePlan150(benchmark::State& state)
{
    const QVariantList channels = plan150();
    for (auto _ : state)
        benchmark::DoNotOptimize(Channelslist::getInstance()->guardaChannelPlan("BENCH", channels));
}
BENCHMARK(SavePlan150)->Unit(benchmark::kMicrosecond);

void LoadPlan150(benchmark::State& state)
{
    Channelslist* channels = Channelslist::getInstance();
    channels->guardaChannelPlan("BENCH", plan150());
    for (auto _ : state)
        benchmark::DoNotOptimize(channels->carregaChannelPlan("BENCH"));
    state.counters["channels"] = channels->channelList().size();
}
BENCHMARK(LoadPlan150)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::sim::SimulatedBoard board;
    platform::installBoard(&board);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile::copy(QString(VARNOK_SOURCE_DIR) + "/data/screenVariables.XML", "screenVariables.XML");

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::installBoard(nullptr);
    return 0;
}
