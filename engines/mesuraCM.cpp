#include "mesuraCM.h"

#include "services/hardware.h"
#include "cablemodem/cableModen.h"
#include "cablemodem/handlerCableModem.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemStores.h"
#include "cablemodem/serialPort.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutexLocker>

#include <climits>

namespace {
constexpr int kIdlePauseMs = 1000;
constexpr int kPauseSliceMs = 100;
constexpr int kGeneratorRestart = 0;
constexpr int kGeneratorAdvance = 64;
} // namespace

MesuraCM* MesuraCM::getInstance()
{
    static MesuraCM instance;
    return &instance;
}

MesuraCM::MesuraCM() : QThread(nullptr)
{
    // The board the engine drives goes away when the application's loop ends; the
    // engine must be stopped by then.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &MesuraCM::stopEngine);
}

MesuraCM::~MesuraCM() { stopEngine(); }

// QML-facing.

int MesuraCM::init(uint freq, int mesura)
{
    QMutexLocker lock(&mutex_);
    ++run_;
    resetPending_ = true;
    if (mesura != QML_CM_NO_MEASURE)
        frequency_ = freq;
    measureCode_ = mesura;
    nonStop_ = false;
    return 0;
}

void MesuraCM::setMesuraCM(int mesura)
{
    QMutexLocker lock(&mutex_);
    measureCode_ = mesura;
    nonStop_ = false;
}

void MesuraCM::aturar()
{
    QMutexLocker lock(&mutex_);
    measureCode_ = NO_MESURE;
    nonStop_ = false;
}

void MesuraCM::initVoIP(uint ip, int length, int ping_number, int grantsize, int nom_grant, int gr_per_int,
                        int tol_grant, QString codec, int ugs_enabled)
{
    // The store keeps the address's 32 bits as they are.
    setTraceIPAddress(static_cast<int>(ip));
    QMutexLocker lock(&mutex_);
    voip_.length = length;
    voip_.ping_number = ping_number;
    voip_.grantsize = grantsize;
    voip_.nom_grant = nom_grant;
    voip_.gr_per_int = gr_per_int;
    voip_.tol_grant = tol_grant;
    voip_.codec = codec;
    voip_.ugs_enabled = ugs_enabled != 0;
}

void MesuraCM::initIPTV(uint ip, int nom_poll, int rtps_enabled)
{
    // The store keeps the address's 32 bits as they are.
    setTraceIPAddress(static_cast<int>(ip));
    QMutexLocker lock(&mutex_);
    iptv_.nom_poll = nom_poll;
    iptv_.rtps_enabled = rtps_enabled != 0;
}

int MesuraCM::getModemStatus_31() { return GetModemStatusPower(); }

// Guarded parameters.

bool MesuraCM::isCurrentRun(quint64 run)
{
    QMutexLocker lock(&mutex_);
    return run == run_;
}

bool MesuraCM::isNonStopMesures()
{
    QMutexLocker lock(&mutex_);
    return nonStop_;
}

int MesuraCM::measureCode()
{
    QMutexLocker lock(&mutex_);
    return measureCode_;
}

unsigned int MesuraCM::frequency()
{
    QMutexLocker lock(&mutex_);
    return frequency_;
}

void MesuraCM::setFrequency(unsigned int hz)
{
    QMutexLocker lock(&mutex_);
    frequency_ = hz;
}

MesuraCM::VoIPParams MesuraCM::voipParams()
{
    QMutexLocker lock(&mutex_);
    return voip_;
}

MesuraCM::IPTVParams MesuraCM::iptvParams()
{
    QMutexLocker lock(&mutex_);
    return iptv_;
}

int MesuraCM::isCableModem_ON() { return is_CableModem_ON() ? 1 : 0; }

int MesuraCM::resetMesurasCableModem()
{
    GetModemReady(0);
    mesuraOnChannelRegistrat(4);
    mesuraModemIQ(4);
    procesRegistre30(4);
    mesuraSweepGenerador(4);
    mesuraOnChannelVoIP(4);
    mesuraOnChannelVoIP(72);
    mesuraOnChannelIPTV(4);
    mesuraOnChannelIPTV(72);
    procesImformation(0);
    return mesuraSweepGenerador(0);
}

// The link.

void MesuraCM::startModemLink()
{
    if (serialPort_)
        return;
    serialPort_ = std::make_unique<SerialPort>(&linkMutex_, &linkCondition_);
    handler_ = std::make_unique<HandlerCableModem>(&linkMutex_, &linkCondition_);
    setInitModem(serialPort_.get());
    connect(serialPort_.get(), &SerialPort::RS232Received, this, &MesuraCM::omplir);
    serialPort_->start(QThread::InheritPriority);
}

void MesuraCM::stopModemLink()
{
    // The serial reader stops in its own destructor.
    forgetSerialPortCableModem(serialPort_.get());
    serialPort_.reset();
    handler_.reset();
}

void MesuraCM::omplir()
{
    if (handler_)
        handler_->rellenar();
}

// The thread.

void MesuraCM::startPass()
{
    QMutexLocker lock(&mutex_);
    if (!stopping_)
        nonStop_ = true;
    passRun_ = run_;
}

void MesuraCM::stopEngine()
{
    {
        QMutexLocker lock(&mutex_);
        stopping_ = true;
        nonStop_ = false;
    }
    wait();
    stopModemLink();
    QMutexLocker lock(&mutex_);
    stopping_ = false;
}

bool MesuraCM::modemFittedAndPowered()
{
    const int model = HardwareModel::getInstance()->getModelHardware();
    const bool fitted = model == HardwareModel::HW_MODEL_CABLE_CM30 || model == HardwareModel::HW_MODEL_CABLE_CM31;
    return fitted && is_CableModem_ON() && isSerialPortCableModemOpen();
}

void MesuraCM::bringUpModem()
{
    previousMeasureCode_ = INT_MIN;
    sintonizarTuner30(0);
    startPass();
    // Only a modem that is there and switched on can answer; polling any other would
    // end in power cycles of a modem the routing keeps off.
    if (modemFittedAndPowered())
        getModemReady_31();
}

bool MesuraCM::runPass()
{
    bool reset = false;
    {
        QMutexLocker lock(&mutex_);
        if (stopping_)
            return false;
        nonStop_ = true;
        passRun_ = run_;
        reset = resetPending_;
        resetPending_ = false;
    }
    if (reset)
        resetMesurasCableModem();
    if (GetModemStatusPower() == MODEM_STATUS_STARTING)
        waitCableModem_ON();
    const int code = measureCode();
    if (!runMeasure(code)) {
        generatorStep_ = kGeneratorRestart;
        idlePause();
    }
    // Whatever ran (or idled), a test that follows a pass of another code sets up afresh.
    previousMeasureCode_ = code;
    return true;
}

void MesuraCM::run()
{
    startModemLink();
    bringUpModem();
    while (runPass()) {
    }
    switchGeneratorOffUnless(NO_MESURE);
}

bool MesuraCM::runMeasure(int code)
{
    // No test carrier stays on the plant once its generator is left.
    switchGeneratorOffUnless(code);
    switch (code) {
    case QML_CM_IQ: mesura_cm_iq(); break;
    case QML_CM_REGISTER_ON_CHANNEL: mesura_on_channel_registrat_CM_30(); break;
    case QML_CM_RANGING: mesura_ranging(); break;
    case QML_CM_MAC_INFORMATION: mesura_cm_information(); break;
    case QML_CM_VO_IP: mesura_VoIP(); break;
    case QML_CM_IP_TV: mesura_IPTV(); break;
    case QML_CM_UP_STREAM_GENERATOR:
        mesuraSweepGenerador(generatorStep_);
        generatorStep_ = kGeneratorAdvance;
        break;
    case QML_CM_RANGING_31: mesura_ranging_31(); break;
    case QML_CM_REGISTER_ON_CHANNEL_31: mesura_on_channel_registrat_31(); break;
    case QML_CM_IQ_31: mesura_cm_iq_31(); break;
    case QML_CM_UP_STREAM_GENERATOR_31:
        mesuraSweepGenerador_31(generatorStep_);
        generatorStep_ = kGeneratorAdvance;
        break;
    case QML_CM_REGISTER_ON_CHANNEL_31_SIGNAL_31: mesura_on_channel_registrat_31_signal_31(); break;
    case QML_CM_RANGING_31_SIGNAL_31: mesura_ranging_31_signal_31(); break;
    case QML_CM_IQ_31_SIGNAL_31: mesura_cm_iq_31_signal_31(); break;
    default: return false;
    }
    return true;
}

bool MesuraCM::stopRequested()
{
    QMutexLocker lock(&mutex_);
    return stopping_;
}

void MesuraCM::idlePause()
{
    for (int waited = 0; waited < kIdlePauseMs && !stopRequested(); waited += kPauseSliceMs)
        modemPauseMs(kPauseSliceMs);
}
