#include "measures.h"

#include "measuresState.h"

#include "engines/mesuraCM.h"
#include "engines/mesuraiq.h"
#include "hw/DrvI2c.h"
#include "hw/DrvTPS65233.h"
#include "hw/delay.h"
#include "rf/calibrations.h"
#include "rf/mesuraRF.h"
#include "rf/readingPoll.h"
#include "store/channelslist.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QMutexLocker>

namespace rfengine {

EngineState& state()
{
    static EngineState s;
    return s;
}

} // namespace rfengine

namespace {

constexpr int kSupervisorMs = 100;
constexpr int kPollMs = 100;
constexpr int kIdleWaitMs = 100;

void processPendingEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMs);
}

} // namespace

Measures* Measures::getInstance()
{
    static Measures instance;
    return &instance;
}

Measures::Measures(QObject* parent) : QObject(parent), centralLevel_(UNMEASURED), channelPower_(UNMEASURED)
{
    supervisor_ = new QTimer(this);

    DrvI2c_LinkAndInit();
    KxlDrvLibError err;
    DrvI2cMux_LinkAndInit(&err);

    {
        QMutexLocker lock(&mutex_);
        DrvTPS65233_Init(&err);
        DrvTPS65233_HW_set_max_current(&err, 1);
        DrvTPS65233_HW_set_voltage(&err, LNB_VOLTAGE_13_0);
        DrvTPS65233_HW_set_internal_tone_enable(&err, 1);
        DrvTPS65233_HW_set_output_enable(&err, 0);
        DrvTPS65233_HW_set_internal_tone_enable(&err, 0);
    }

    Calibrations::getInstance()->loadCalibracion();

    MesuraIQ::getInstance()->start(QThread::InheritPriority);
    MesuraCM::getInstance()->start(QThread::InheritPriority);

    // The engine's own snapshot is taken only when a run starts: the stored choice is read here.
    setGpio_AttCM(!ScreensVariables::getInstance()->getScreensVariables().value(QStringLiteral("cable_modem_ATT")).toBool());

    rfchain::setReadingPoll([] { return Measures::getInstance()->readingInterrupted(); });
}

Measures::~Measures()
{
    rfchain::setReadingPoll(nullptr);
    supervisor_->stop();
}

// --- flags ---------------------------------------------------------------------------

void Measures::set_stop_mesures(bool stop)
{
    QMutexLocker lock(&mutex_);
    stop_ = stop;
}

void Measures::set_finished_mesures(bool finished)
{
    QMutexLocker lock(&mutex_);
    finished_ = finished;
}

void Measures::set_changed_values_mesures(bool changed)
{
    QMutexLocker lock(&mutex_);
    changed_ = changed;
}

bool Measures::isStopMesures()
{
    processPendingEvents();
    QMutexLocker lock(&mutex_);
    return stop_;
}

bool Measures::is_finished_mesure()
{
    processPendingEvents();
    QMutexLocker lock(&mutex_);
    return finished_;
}

bool Measures::isChangedValuesMesures()
{
    processPendingEvents();
    QMutexLocker lock(&mutex_);
    return changed_;
}

bool Measures::isExitMesures()
{
    processPendingEvents();
    return exitRequestedNow();
}

bool Measures::exitRequestedNow()
{
    QMutexLocker lock(&mutex_);
    return stop_ || (changed_ && changesEndPass_);
}

bool Measures::readingInterrupted()
{
    // Outside the loop the flags say nothing about this reading (the stop flag rests set).
    if (!running_) {
        processPendingEvents();
        return false;
    }
    return isExitMesures();
}

// --- QML interface --------------------------------------------------------------------

void Measures::changeTipusMesure(int in_tipus_mesura)
{
    set_stop_mesures(true);
    tipusMesura_ = in_tipus_mesura;
}

int Measures::getTipusMesure() { return tipusMesura_; }

void Measures::stopMeasures() { set_stop_mesures(true); }

void Measures::setVariablesQML()
{
    set_changed_values_mesures(true);
    variables_ = ScreensVariables::getInstance()->getScreensVariables();
    channel_ = Channelslist::getInstance()->currentChannel();
}

void Measures::setVariablesChannel(QVariantMap variable) { channel_ = variable; }

void Measures::setListaFrequencyMeasures(QVariantList lista)
{
    if (lista != listaFrequencyMeasures_)
        listaFrequencyMeasures_ = lista;
}

QVariantList Measures::listaFrequencyMeasures() { return listaFrequencyMeasures_; }

int Measures::channelPower() { return channelPower_; }

int Measures::carrierNoise() { return carrierNoise_; }

float Measures::porcentajeHum() { return hum_; }

int Measures::voltageInDC() { return voltageDC_; }

int Measures::voltageInAC() { return voltageAC_; }

int Measures::voltageInHz() { return inputFrequency_; }

// --- supervisor and loop --------------------------------------------------------------

void Measures::mesuraIsStarted()
{
    if (supervisor_->isActive())
        return;
    if (!supervisorConnected_) {
        connect(supervisor_, &QTimer::timeout, this, &Measures::stop_and_finished);
        supervisorConnected_ = true;
    }
    supervisor_->start(kSupervisorMs);
}

void Measures::stop_and_finished()
{
    // Reading the flags processes events, which may deliver the next tick.
    if (supervising_)
        return;
    supervising_ = true;
    const bool stopped = isStopMesures();
    const bool finished = is_finished_mesure();
    supervising_ = false;
    // A loop that is winding down is still on the stack: restarting now would run the new
    // loop inside it. The next tick after it has returned restarts.
    if (!stopped || !finished || running_ || restartPending_)
        return;
    supervisor_->stop();
    restartPending_ = true;
    QTimer::singleShot(0, this, [this] {
        restartPending_ = false;
        startMeasures();
    });
}

void Measures::startMeasures()
{
    if (running_)
        return;
    running_ = true;
    set_stop_mesures(false);
    rfengine::state().integration_maxim_List.clear();
    rfengine::state().carreir_noise_maxim_List.clear();
    ctbCarrierLevel_ = 0;
    ctbAttenuation_ = 0;

    while (!isStopMesures()) {
        set_finished_mesures(false);
        set_changed_values_mesures(false);
        runPass();
        set_finished_mesures(true);
    }
    running_ = false;
    if (tipusMesura_ != LOGGER)
        emit mesuraIsStoped();
}

void Measures::runPass()
{
    switch (tipusMesura_) {
    case SPECTRUM:
    case TILT:
        mesura_spectrum();
        break;
    case SPECTRUM_CONST_IQ:
        mesura_const_iq();
        break;
    case INPUT_VOLTAGE:
        mesura_input_voltage();
        break;
    case LOGGER:
        mesura_logger();
        break;
    case SOUND_FM:
        mesura_fm();
        break;
    case DEMOD_ANALOG:
        mesura_analog();
        break;
    case OPTICAL_POWER_METER:
        mesura_optical_power_meter();
        break;
    case CHANNEL_PLAN:
        mesura_channelplan();
        break;
    case SPECTRUM_HUM:
        mesura_hum();
        break;
    case NO_MESURE:
        set_stop_mesures(true);
        delay(kIdleWaitMs);
        break;
    default:
        // Codes of the cable-modem engine and retired screens.
        qDebug() << "Tilt: 3 ";
        tipusMesura_ = NO_MESURE;
        set_stop_mesures(true);
        delay(kIdleWaitMs);
        break;
    }
}

// --- screen predicates ----------------------------------------------------------------

QString Measures::screen() const { return variables_.value(QStringLiteral("screen")).toString(); }

bool Measures::InScanScreen()
{
    // The modem's scan on the optical input scans as its RF twin does: without it there a
    // digital channel would read its 157.5 kHz slice, 17 dB under its power.
    static const QStringList kScreens = {"SCAN_CM", "SCAN_CM_OPTICAL", "SCAN_RF", "SCAN_OPTIC", "SCAN_TERRESTRIAL",
                                         "DOCSIS_BONDING_GROUP_RF", "DBG_CM_OPTICAL", "DBG_CM"};
    return kScreens.contains(screen());
}

bool Measures::InDBGScreen()
{
    static const QStringList kScreens = {"DOCSIS_BONDING_GROUP_RF", "DOCSIS_BONDING_GROUP_OPTIC", "DBG_CM_OPTICAL",
                                         "DBG_CM"};
    return kScreens.contains(screen());
}

bool Measures::InTiltScreen()
{
    static const QStringList kScreens = {"TILT_UPSTREAM_RF", "TILT_DOWNSTREAM_RF", "TILT_UPSTREAM_OPTIC",
                                         "TILT_DOWNSTREAM_OPTIC"};
    return kScreens.contains(screen());
}

bool Measures::InReferenceLevelScanScreen() { return InScanScreen() || InTiltScreen(); }

bool Measures::InUpsStreamScreen()
{
    static const QStringList kScreens = {"UPSTREAM_RF", "UPSTREAM_OPTIC"};
    return kScreens.contains(screen());
}
