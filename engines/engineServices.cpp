// Service operations of the engine used by the screens, the housekeeping and the remote
// commands: the LNB supply, the IF filter, attenuator, routing and tuning commands, the
// front-end line setters and tuner options of the service screens, and raw converter
// readings.
#include "measures.h"
#include "measuresState.h"

#include "common/BoardWiring.h"
#include "hw/DrvTPS65233.h"
#include "hw/drvMAX3543.h"
#include "rf/mesuraRF.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMutexLocker>

namespace {

constexpr int kFirstRawChannels = 2;  // 0 and 1, before the track reset
constexpr int kLastRawChannel = 10;   // 2 to 10 after it

// The two voltages the screens ask for by their value in volts.
constexpr int kLnb13V = 13;
constexpr int kLnb18V = 18;
// What the debug measurement keeps in the attenuator, whatever the ranging found.
constexpr int kDbgStartAttenuation = 70;
constexpr int kDbgMinAttenuation = 40;

int levelOfChannel(int channel, int detector)
{
    setDetector(detector);
    return static_cast<int>(corregirLecturadBuV(getLecturaConversorRF(channel), 0)) / 10;
}

// A screen's LNB call may arrive while a run holds the engine between two of its steps:
// pending events go first, and the mutex is never held across them.
void beforeLnbCall()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}

} // namespace

int getBatteryValue() { return getLecturaConversorRF(wiring::max11337::kBatteryChannel); }

void Measures::setLNB(bool activar_22Khz, int voltage_LNB)
{
    beforeLnbCall();
    QMutexLocker lock(&mutex_);
    KxlDrvLibError err;
    switch (voltage_LNB) {
    case kLnb13V:
    case kLnb18V:
        DrvTPS65233_HW_set_voltage(&err, voltage_LNB == kLnb18V ? LNB_VOLTAGE_18_0 : LNB_VOLTAGE_13_0);
        DrvTPS65233_HW_set_internal_tone_enable(&err, 1);
        break;
    default:
        DrvTPS65233_HW_set_voltage(&err, LNB_VOLTAGE_13_0);
        break;
    }
    DrvTPS65233_HW_set_internal_tone_enable(&err, activar_22Khz ? 1 : 0);
}

void Measures::setActivaLNB(bool acivar)
{
    beforeLnbCall();
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

void Measures::setAtt(int Att) { setAtenuador(Att, true); }

void Measures::setCircuit(QString mode_circuit) { setModeCircuitString(mode_circuit); }

int Measures::sintonizaFerquency(unsigned int frequency)
{
    const int r = sintonitzar(frequency);
    rfengine::state().frequencyEquip = frequency;
    return r;
}

void Measures::gpio_ATT0(bool input) { setGpio_ATT0(input); }
void Measures::gpio_RF_OPTIC(bool input) { setGpio_RF_OPTIC(input); }
void Measures::gpio_UP(bool input) { setGpio_UP(input); }
void Measures::gpio_SUB(bool input) { setGpio_SUB(input); }
void Measures::gpio_SUPER(bool input) { setGpio_SUPER(input); }
void Measures::gpio_AttCM(bool input) { setGpio_AttCM(input); }
void Measures::gpio_TRACK(bool input) { setGpio_TRACK(input); }
void Measures::gpio_DW(bool input) { setGpio_DW(input); }
void Measures::gpio_F2(bool input) { setGpio_F2(input); }
void Measures::gpio_F3(bool input) { setGpio_F3(input); }

// The tuner takes its options only when it is initialised, and initialising loses its
// frequency.
void Measures::retuneWithOption(const std::function<void()>& setOption)
{
    setOption();
    max3543_Initialize();
    sintonizaFerquency(rfengine::state().frequencyEquip);
}

void Measures::vDiode(char value) { retuneWithOption([value] { setRfifd(value); }); }
void Measures::wpda(char value) { retuneWithOption([value] { setWpda(value); }); }
void Measures::npda(char value) { retuneWithOption([value] { setNpda(value); }); }
void Measures::dWPD(bool on) { retuneWithOption([on] { setDWPD(on); }); }
void Measures::dNPD(bool on) { retuneWithOption([on] { setDNPD(on); }); }

int Measures::getWPDA() { return getWpda(); }

int Measures::getNPDA() { return getNpda(); }

int Measures::getRegisterR0B() { return getR0B(); }

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

int Measures::mesuraDBG(int)
{
    if (!dbgTaken_) {
        dbgPoints_ = listaFrequencyMeasures_;
        dbgTaken_ = true;
    }
    if (dbgPoints_.isEmpty()) {
        emit message(QStringLiteral("No DBG"));
        return -1;
    }
    for (QVariant& item : dbgPoints_) {
        QVariantMap point = item.toMap();
        const unsigned int frequency = point.value(QStringLiteral("frequency")).toUInt();
        setAtenuador(kDbgStartAttenuation, true);
        sintonizaFerquency(frequency);
        ajustarAtenuador();
        if (getAtenuador() < kDbgMinAttenuation)
            setAtenuador(kDbgMinAttenuation, true);
        int power = 0;
        mesuraIntegracio(frequency, point.value(QStringLiteral("bandwidth")).toInt(), &power);
        point.insert(QStringLiteral("power"), power);
        item = point;
        if (isStopMesures())
            return -1;
    }
    emit listaFrequencyMeasuresChanged(dbgPoints_);
    return 0;
}
