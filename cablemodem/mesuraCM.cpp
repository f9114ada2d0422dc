#include "mesuraCM.h"

#include "cableModen.h"
#include "handlerCableModem.h"
#include "serialPort.h"

#include <QMutexLocker>

MesuraCM* MesuraCM::getInstance()
{
    static MesuraCM instance;
    return &instance;
}

MesuraCM::MesuraCM() : QThread(nullptr) {}

MesuraCM::~MesuraCM()
{
    requestInterruption();
    aturar();
    wait();
    stopModemLink();
}

void MesuraCM::stopModemLink()
{
    // The serial reader stops in its own destructor.
    forgetSerialPortCableModem(serialPort_.get());
    serialPort_.reset();
    handler_.reset();
}

int MesuraCM::isCableModem_ON() { return is_CableModem_ON() ? 1 : 0; }

int MesuraCM::getModemStatus_31() { return GetModemStatusPower(); }

bool MesuraCM::isNonStopMesures()
{
    QMutexLocker lock(&mutex_);
    return nonStop_;
}

void MesuraCM::startPass()
{
    QMutexLocker lock(&mutex_);
    nonStop_ = true;
}

void MesuraCM::aturar()
{
    QMutexLocker lock(&mutex_);
    measureCode_ = 99;
    nonStop_ = false;
}

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

void MesuraCM::omplir()
{
    if (handler_)
        handler_->rellenar();
}

void MesuraCM::run()
{
    startModemLink();
    while (!isInterruptionRequested())
        QThread::msleep(100);
}
