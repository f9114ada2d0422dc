// The cable-modem test engine: a thread that owns the modem link (serial port and reply
// accumulator), brings the modem up and then runs, pass after pass, the test the screens
// have chosen by a measure code. It holds the guarded test parameters, the dispatch, the
// blocking exchange with the modem and its readers, the DOCSIS 3.1 readiness, the modem
// set-up commands and the result calculations the tests share.
#pragma once

#include "common/sharedValues.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <QWaitCondition>

#include <memory>

class SerialPort;
class HandlerCableModem;

// Measure codes of the cable-modem tests (the screens' CONST_TIPUS_MESURA).
enum CableModemMeasure {
    QML_CM_IQ = 60,
    QML_CM_REGISTER_ON_CHANNEL = 61,
    QML_CM_RANGING = 62,
    QML_CM_MAC_INFORMATION = 63,
    QML_CM_VO_IP = 64,
    QML_CM_IP_TV = 65,
    QML_CM_UP_STREAM_GENERATOR = 66,
    QML_CM_NO_MEASURE = 69,
    QML_CM_RANGING_31 = 70,
    QML_CM_REGISTER_ON_CHANNEL_31 = 71,
    QML_CM_IQ_31 = 72,
    QML_CM_UP_STREAM_GENERATOR_31 = 73,
    QML_CM_REGISTER_ON_CHANNEL_31_SIGNAL_31 = 74,
    QML_CM_RANGING_31_SIGNAL_31 = 75,
    QML_CM_IQ_31_SIGNAL_31 = 76,
};

class MesuraCM : public QThread {
    Q_OBJECT
public:
    // The VoIP test's parameters (initVoIP) and the IPTV test's (initIPTV).
    struct VoIPParams {
        int length = 0;
        int ping_number = 0;
        int nom_grant = 0;
        int grantsize = 0;
        int tol_grant = 0;
        int gr_per_int = 0;
        QString codec;
        bool ugs_enabled = false;
    };
    struct IPTVParams {
        int nom_poll = 0;
        bool rtps_enabled = false;
    };

    static MesuraCM* getInstance();
    ~MesuraCM() override;

    // QML-facing.
    Q_INVOKABLE int init(uint freq, int mesura);
    Q_INVOKABLE void setMesuraCM(int mesura);
    Q_INVOKABLE void aturar();
    // The target address is the dotted address's unsigned 32-bit value (a.b.c.d is
    // a x 2^24 + b x 2^16 + c x 2^8 + d); as an int it would not hold 128.0.0.0 and above.
    Q_INVOKABLE void initVoIP(uint ip, int length, int ping_number, int grantsize, int nom_grant, int gr_per_int,
                              int tol_grant, QString codec, int ugs_enabled);
    Q_INVOKABLE void initIPTV(uint ip, int nom_poll, int rtps_enabled);
    Q_INVOKABLE int getModemStatus_31();

    // The guarded parameters, read by the tests.
    bool isNonStopMesures();
    int measureCode();
    unsigned int frequency();
    void setFrequency(unsigned int hz);
    VoIPParams voipParams();
    IPTVParams iptvParams();

    int isCableModem_ON();
    // Restarts every test step machine; the last machine's answer.
    int resetMesurasCableModem();

    // The thread's work after starting the link (startModemLink), in parts for the thread
    // and for tests that drive it themselves: the start-up (tuning pacing, readiness of a
    // modem that is fitted and powered) and one pass of the loop, which answers false once
    // the engine is being stopped.
    void bringUpModem();
    bool runPass();
    // Sets the non-stop flag, unless the engine is being stopped.
    void startPass();
    // Ends the thread and releases the link (before the board goes away).
    void stopEngine();

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

    // Modem set-up commands, each awaiting the prompt.
    void set_CM_for_DS_ANALYSIS();
    void enableModemLogger();
    int set_CM_to_2_0_aux(int);
    // Single-report queries.
    bool decodificaDocsisMode_30();
    int decodificaDocsisMode_31();
    int vendedor_aux(int);
    int decodificaBer(int i);
    // Tunes the 3.0 modem, at most once every 5 s; 1 when it took the frequency.
    int sintonizarTuner30(unsigned freq);
    int procesMesuraRegistre30(int run);

    // Result calculations.
    int getBitsSymbol_from_string(QString text);
    float CalculStdDevMer(bool reset, float mer);
    float CalculPctlMer(bool reset, float value);
    float CalculICFR(bool reset, float value);
    QString calculoBandwidthOFDM_3_1(QString first, QString last);

    // The tests, one per measure code (a pass each), and the step machines the engine
    // restarts.
    void mesura_cm_iq();
    void mesura_on_channel_registrat_CM_30();
    void mesura_ranging();
    void mesura_cm_information();
    void mesura_VoIP();
    void mesura_IPTV();
    int mesuraSweepGenerador(int mode);
    void mesura_ranging_31();
    void mesura_on_channel_registrat_31();
    void mesura_cm_iq_31();
    int mesuraSweepGenerador_31(int mode);
    void mesura_on_channel_registrat_31_signal_31();
    void mesura_ranging_31_signal_31();
    void mesura_cm_iq_31_signal_31();
    int mesuraOnChannelRegistrat(int mode);
    int mesuraModemIQ(int mode);
    int procesRegistre30(int mode);
    int mesuraOnChannelVoIP(int mode);
    int mesuraOnChannelIPTV(int mode);
    int procesImformation(int mode);

signals:
    void phyChanged(QVariantMap phy);
    void phy_3_0_Changed(QVariantMap phy);
    void constellationChanged(QVariant i, QVariant q);
    void ipCableModemChanged(QVariantMap ips_info);
    void upsChanged(QVariantList ups_list);
    void ping_UGS_Changed(QVariantMap ugs_ping);
    void cm_information_mac(QVariantMap information);
    void node_IPTV_Changed(QVariantList node_IPTV);
    void s_send_dades_iq(QVariantMap m_dades_iq);
    void s_send_dades_31(QVariantMap m_dades_31);
    void modemConfigurat();
    void downOFDMChanged_31(QVariantList down_list);
    void downBondingChanged_31(QVariantList down_list);
    void upsOFDMChanged_31(QVariantList ups_list);
    void upsBondingChanged_31(QVariantList ups_list);
    void cm_status_information(QString status);
    void restartMeasurements();

public slots:
    void omplir();

protected:
    void run() override;

    // Working maps of the constellation and OFDM tests.
    QVariantMap m_dades_iq;
    QVariantMap m_dades_31;
    // The code the tests last ran; the 3.0 tests tell a first pass after a change by it.
    int previousMeasureCode_ = 0;

private:
    MesuraCM();
    // Runs the test of the code; false for an idle code.
    bool runMeasure(int code);
    bool stopRequested();
    // The pause of an idle pass, or of a test this build does not have, ending early
    // when the engine is being stopped.
    void idlePause();
    // Tells once per test and step argument that this build does not have it; the pass
    // then idles.
    void testNotAvailable(const QString& test);
    bool modemFittedAndPowered();

    QMutex mutex_;
    bool nonStop_ = false;
    int measureCode_ = 0;
    unsigned int frequency_ = 0;
    VoIPParams voip_;
    IPTVParams iptv_;
    // Set by init: the engine thread restarts the step machines at its next pass, so a
    // restart never races a step in progress.
    bool resetPending_ = false;
    bool stopping_ = false;

    // Engine thread only.
    int generatorStep_ = 0;
    bool testMissing_ = false;
    bool restartingMachines_ = false;
    QString notAvailableReported_;
    struct MerStatistics {
        double mean = 0;
        int count = 0;
        double deviation = 0;
        float window[200] = {};
        int size = 0;
        int stored = 0;
        double largest = 0;
        double smallest = 0;
    } mer_;

    QMutex linkMutex_;
    QWaitCondition linkCondition_;
    std::unique_ptr<SerialPort> serialPort_;
    std::unique_ptr<HandlerCableModem> handler_;
};
