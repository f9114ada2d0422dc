#include "mesuraiq.h"

#include "hw/DrvI2c.h"

#include <QMutexLocker>

MesuraIQ* MesuraIQ::getInstance()
{
    static MesuraIQ instance;
    return &instance;
}

MesuraIQ::MesuraIQ(QObject* parent) : QThread(parent)
{
    DrvI2c_LinkAndInit();
    KxlDrvLibError err;
    DrvI2cMux_LinkAndInit(&err);
}

MesuraIQ::~MesuraIQ()
{
    requestInterruption();
    {
        QMutexLocker lock(&mutex_);
        wake_.wakeAll();
    }
    wait();
}

void MesuraIQ::aturar() {}

void MesuraIQ::restatMesureIQ() {}

int MesuraIQ::initManual(unsigned int, int, int) { return 0; }

void MesuraIQ::run()
{
    // Idle: real waits, so that a simulated board's clock is not moved from this thread.
    QMutexLocker lock(&mutex_);
    while (!isInterruptionRequested())
        wake_.wait(&mutex_, 1000);
}
