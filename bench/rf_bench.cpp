// The RF measuring chain on the simulated board: the cost of a sweep point inside one band
// and of a band change (processor time, and the board time the waits take, which must be
// none for a tune within the band and 15 to 19 ms plus the tuner lock for a band change),
// the per-sweep corrections of a 400-point window, and a calibration load.
#include "ChipModels.h"
#include "RfFrontEndModel.h"
#include "SimulatedBoard.h"

#include "hw/ADF4350.h"
#include "hw/MAX11337.h"
#include "rf/calibrations.h"
#include "rf/mesuraRF.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

platform::sim::SimulatedBoard* board = nullptr;

uint64_t boardUs() { return board->clock().monotonicUs(); }

void SweepPointWithinBand(benchmark::State& state)
{
    sintonitzar(400000000u);
    unsigned int f = 400000000u;
    const uint64_t start = boardUs();
    for (auto _ : state) {
        f = f >= 890000000u ? 400000000u : f + 1375000u; // 400 points over 345..900 MHz
        mesuraNivellEspectreFast(f);
        benchmark::DoNotOptimize(getMesuraNivell());
    }
    state.counters["board_us_per_point"] = benchmark::Counter(
        static_cast<double>(boardUs() - start) / static_cast<double>(state.iterations()));
}
BENCHMARK(SweepPointWithinBand)->Unit(benchmark::kMicrosecond);

void BandChange(benchmark::State& state)
{
    bool up = false;
    const uint64_t start = boardUs();
    for (auto _ : state)
        sintonitzar((up = !up) ? 1000000000u : 600000000u);
    state.counters["board_ms_per_change"] = benchmark::Counter(
        static_cast<double>(boardUs() - start) / 1000.0 / static_cast<double>(state.iterations()));
}
BENCHMARK(BandChange)->Unit(benchmark::kMicrosecond);

void CorrectionsWindow400(benchmark::State& state)
{
    QList<QVariant> points;
    for (int i = 0; i < 400; ++i)
        points.append(QVariantMap{{"frequency", 5000000u + 6000000u * i}, {"type", i % 2 ? "DIGITAL" : "ANALOG"},
                                  {"bandwidth", 8000000}});
    for (auto _ : state)
        benchmark::DoNotOptimize(inicialitzarCorreccionsFinestra(points, 20));
}
BENCHMARK(CorrectionsWindow400)->Unit(benchmark::kMicrosecond);

void LoadCalibration(benchmark::State& state)
{
    for (auto _ : state)
        Calibrations::getInstance()->loadCalibracion();
}
BENCHMARK(LoadCalibration)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::sim::SimulatedBoard simulated;
    board = &simulated;
    platform::installBoard(&simulated);
    platform::sim::installChipModels(simulated);
    auto scene = std::make_shared<platform::sim::RfScene>();
    platform::sim::RfScene::typicalCableNetwork(*scene);
    platform::sim::installRfFrontEnd(simulated, scene);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QDir().mkpath("calibracion");
    for (const char* name : {"CAL_0.XML", "CAL_FO.XML"})
        QFile::copy(QString(VARNOK_SOURCE_DIR) + "/data/calibracion/" + name, QString("calibracion/") + name);

    ADF4350 lo;
    MAX11337 adc;
    setInitMesuraRF(&lo, &adc);
    Calibrations::getInstance()->loadCalibracion();
    setAtenuador(20, true);
    setGpio_F2(true);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::installBoard(nullptr);
    return 0;
}
