// Service operations of the engine used by the screens, the housekeeping and the remote
// commands: the LNB supply output, the IF filter, routing and tuning commands, and raw
// converter readings.
#include "measures.h"
#include "measuresState.h"

#include "common/BoardWiring.h"
#include "hw/DrvTPS65233.h"
#include "rf/mesuraRF.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMutexLocker>

namespace {

constexpr int kFirstRawChannels = 2;  // 0 and 1, before the track reset
constexpr int kLastRawChannel = 10;   // 2 to 10 after it

int levelOfChannel(int channel, int detector)
{
    setDetector(detector);
    return static_cast<int>(corregirLecturadBuV(getLecturaConversorRF(channel), 0)) / 10;
}

} // namespace

int getBatteryValue() { return getLecturaConversorRF(wiring::max11337::kBatteryChannel); }

void Measures::setActivaLNB(bool acivar)
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    QMutexLocker lock(&mutex_);
    KxlDrvLibError err;
    DrvTPS65233_HW_set_output_enable(&err, acivar ? 1 : 0);
}

void Measures::setFilter(int filter)
{
    const bool narrow = filter == FILTER_NARROW;
    setGpio_F2(narrow);
    setGpio_F3(!narrow);
    filter_ = narrow ? FILTER_NARROW : FILTER_WIDE;
}

int Measures::getFilter() { return filter_; }

void Measures::setCircuit(QString mode_circuit) { setModeCircuitString(mode_circuit); }

int Measures::sintonizaFerquency(unsigned int frequency)
{
    const int r = sintonitzar(frequency);
    rfengine::state().frequencyEquip = frequency;
    return r;
}

int Measures::lecturaVBAT() { return getBatteryValue(); }

QVariant Measures::lesturesAD()
{
    QVariantList out;
    for (int ch = 0; ch < kFirstRawChannels; ++ch)
        out << getLecturaConversorRF(ch);
    resetTrack();
    for (int ch = kFirstRawChannels; ch <= kLastRawChannel; ++ch)
        out << getLecturaConversorRF(ch);
    const int saved = getDetector();
    out << levelOfChannel(1, DETECTOR_PEAK_MEAN);
    out << levelOfChannel(2, DETECTOR_PEAK_MAX);
    setDetector(saved);
    return out;
}

QVariantMap Measures::ipCableModem() { return ipCableModem_; }
