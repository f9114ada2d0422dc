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
class HandlerCableModem;

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

    // The link of the engine's first steps: the serial port and the reply accumulator's
    // handler sharing one mutex and wait condition, the port registered with the module,
    // the frame hand-over connected and the serial reader started.
    void startModemLink();
    // Stops the serial reader and releases the link (before the board goes away).
    void stopModemLink();
    SerialPort* serialPort() const { return serialPort_.get(); }
    HandlerCableModem* handler() const { return handler_.get(); }

    // Blocking exchange: sends the command and waits for the marker, the time-out or a
    // stop; 1 when the marker came. The short form awaits any line for 100 ms.
    int envia_cadena_modem(QString command, QString marker, unsigned long long timeoutMs);
    int envia_cadena_modem(QString command);

    // Reply readers.
    QString buscarStringRetornaValor(QString label, QString text);
    QVariantMap buscarListaStringRetornaValores(QStringList labels, QString text);
    QString extraer_dadas(QString text, QString from, QString to);
    bool isTextInCadena(QString text, QString part);

    // DOCSIS 3.1 readiness.
    void getModemReady_31();
    void waitCableModem_ON();
    void resetCableModem_3_1();
    int solucionSegmentationFault_31();
    int isModemReady_31();
    bool findStatusCableModem_3_1(QStringList states);
    void set_CM_for_Reset_OFDM();

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
    std::unique_ptr<HandlerCableModem> handler_;
};
