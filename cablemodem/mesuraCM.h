// The cable-modem test engine: a thread that owns the modem link (serial port and
// reply accumulator), brings the modem up and runs the test the screens have chosen.
// This part holds the link, the non-stop flag, the blocking exchange with the modem,
// the reply readers and the DOCSIS 3.1 readiness operations.
#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariantMap>
#include <QWaitCondition>

#include <memory>

class SerialPort;

class MesuraCM : public QThread {
    Q_OBJECT
public:
    static MesuraCM* getInstance();
    ~MesuraCM() override;

    int isCableModem_ON();
    Q_INVOKABLE int getModemStatus_31();

    // The non-stop flag: set at the start of every pass of the engine, cleared by a stop.
    bool isNonStopMesures();
    void startPass();
    Q_INVOKABLE void aturar();

    // The link of the engine's first steps: the serial port with the shared mutex and
    // wait condition, registered with the module, and the serial reader started.
    void startModemLink();
    SerialPort* serialPort() const { return serialPort_.get(); }

public slots:
    void omplir();

protected:
    void run() override;

private:
    MesuraCM();

    QMutex mutex_;
    bool nonStop_ = false;
    int measureCode_ = 0;

    QMutex linkMutex_;
    QWaitCondition linkCondition_;
    std::unique_ptr<SerialPort> serialPort_;
};
