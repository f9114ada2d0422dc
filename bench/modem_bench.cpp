// The modem link's receive path: a full 12000-byte frame taken into the reply
// accumulator, and the label readers over a status report. The serial reader hands
// over at most one frame a second, so each must cost far less than that.
#include "cablemodem/handlerCableModem.h"
#include "engines/mesuraCM.h"
#include "cablemodem/modemExchange.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

QString statusDump()
{
    QString text;
    for (int i = 0; text.size() < 11900; ++i)
        text += QString("| %1 | %2 | YES | 256QAM | 38.5 | 3.5 |\r\n").arg(i).arg(602000000LL + i * 8000000LL);
    return text + "mainMenu>";
}

void BM_FrameIntoAccumulator(benchmark::State& state)
{
    QMutex mutex;
    QWaitCondition condition;
    HandlerCableModem handler(&mutex, &condition);
    const QString frame = statusDump();
    SetCadenaAnalitzar1("mainMenu>");
    for (auto _ : state) {
        handler.takeInFrame(frame);
        benchmark::DoNotOptimize(GetBufferTrames());
    }
    state.SetBytesProcessed(state.iterations() * frame.size());
}
BENCHMARK(BM_FrameIntoAccumulator);

void BM_LabelReaders(benchmark::State& state)
{
    const QString report = statusDump() + "\nS/W Build Date: Jan 1 2025\nRF MAC Address: 00:11:22:33:44:55\n";
    const QStringList labels = {"S/W Build Date:", "RF MAC Address:", "Missing label:"};
    MesuraCM* engine = MesuraCM::getInstance();
    for (auto _ : state)
        benchmark::DoNotOptimize(engine->buscarListaStringRetornaValores(labels, report));
}
BENCHMARK(BM_LabelReaders);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
