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

#include <functional>
#include <memory>
#include <type_traits>

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

    // The upstream generators, the VoIP and IPTV path tests and their step machines (0
    // restarts, 64 advances): one advance of the 3.0 generator; the UGS flow and its pings
    // (0 busy, 33555024 a reply taken, 33555028 statistics made or the ping stopped); the rtPS
    // flow and its route trace (0 busy, 33555024 a hop decoded, 33555028 the hops emitted);
    // the hop list sent to the screens.
    int mesura_upStreamGenerator();
    int mesurarPingUGS(int mode);
    int mesurarTraceRPTS(int mode);
    void EnviarDadesIPTV(QList<QVariant> list);

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

    // DOCSIS 3.0 decoding, registration and ranging. Step machines (0 or 4 restart, 64
    // advance; 100 busy, 0 done, -1 failed, and the busy codes of cableModen.h); the
    // registration driver and its report block until done, failed, timed out (-200) or
    // stopped.
    int decodificaDownstream(int mode, int channel);
    int decodificaUpDownSencer(int mode);
    int decodificaUpDownSencer_30(int mode);
    int procesRegistre_CM_30();
    int decodificaIpCableModemRegistrat_CM_30();
    int procesRanging(int mode);
    int decodificaIpCableModemRegistrat(int mode);
    void mesura_on_channel_registrat();

    // DOCSIS 3.1 reports: each asks the modem for its report (or reads the reply given) and
    // emits what it holds. Channel indexes outside the modem's are not asked for.
    QVariantMap decodeBe_3_1(int channel, QVariantMap phy);
    void decodeVendor_3_1();
    int decodeIP_list_31(QString reply);
    int decodeUsstatus_3_1(QString reply);
    void decodeDsstatus_3_1(QString reply);
    // Empty when the modem does not answer or has not locked the channel (then *unlocked,
    // where asked for, is set).
    QVariantMap decodeDsOfdmInfo_3_1(int channel, bool* unlocked = nullptr);
    QVariantMap decodeDsProfInfo_3_1(int channel);
    // One profile row into prefix + "_ccwe" and prefix + "_ucwe" of m_dades_31.
    bool extreureCadenadsProfInfo_3_1(QString prefix, QString row);
    // DOCSIS 3.1 registration and ranging: the modem's mode set-ups and the reports read
    // after each accepted state poll.
    void set_CM_for_AutomaticOFDM();
    void set_CM_for_REGISTERING();
    void set_CM_for_RANGING_PROCESS();
    void load_register_params_31_signal_31();
    void load_ranging_params_31_signal_31();

    // The working maps of the constellation and OFDM tests as they stand.
    QVariantMap dadesIq() const { return m_dades_iq; }
    QVariantMap dades31() const { return m_dades_31; }

    // DOCSIS 3.1 downstream analysis: one pass of measure 76, and the RxMER deviation and
    // 2nd percentile of the subcarriers first to last (true when they were stored).
    void load_IQ_params_31();
    bool decodeMer_3_1(int channel, QString first, QString last);

    // Constellations: the 3.0 dump (a step machine: 0 restarts; 100 busy, 0 done, -1 on a
    // time-out) and its decoder (the numbers read, or -1), the 3.1 tuner and OFDM
    // constellations, and a made-up one.
    int mesuraConstelacioCableModem(int mode, int channel);
    int decodeIQ();
    void load_IQ_points();
    void getCostellationOFDM(int channel, int points);
    int decodeIQ_3_1(QString reply);
    int decodeFake_IQ_3_1(QString);

    // Channel parameter loads: an SC-QAM channel's PHY report (blocking), with its BER
    // emitted; the upstream table and the IP list of the collected reply.
    QVariantMap load_phy_params(int channel);
    void load_IQ_params(int channel);
    void load_Ups_params();
    void load_IP_list();
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
    // The code of the last pass; the 3.0 tests tell a first pass after a change by it.
    int previousMeasureCode_ = 0;

private:
    MesuraCM();
    // Runs the test of the code; false for an idle code.
    bool runMeasure(int code);
    bool stopRequested();
    // The pause of an idle pass, ending early when the engine is being stopped.
    void idlePause();
    bool modemFittedAndPowered();
    // The 3.0 modem's ranging, DHCP and registration modes, each awaiting the prompt.
    void setModemModes30(int ranging, int dhcp, int registration, unsigned long long timeoutMs);
    // The "frequency" setting, taken as the engine's frequency.
    unsigned takeFrequencySetting();
    // Steps 4 to 6 of both 3.0 registration sequences: the up/down sweep, the walk over the
    // registration records, their measures cleared; then the step becomes after and the
    // answer 0. False for any other step.
    bool registrationSweep(int& step, int after, int* answer);
    // Steps 14 and 15 of both 3.0 IP report machines: the state polled until the modem is
    // registered, then its addresses emitted (answer 0, back to step 14); lost
    // synchronisation fails the machine, and with givesUp so does any other state 30 s on.
    bool reportWhenRegistered(int& step, uint64_t& startMs, bool givesUp, int* answer);
    // The measure-60 keys of m_dades_iq from downstream record 0.
    void fillIq30();

    // The DOCSIS 3.1 procedures' shared parts: the state words of registration, the OFDM
    // channel the settings choose, the tune to the engine's frequency, the set-up of the
    // modem's DHCP, ranging and search, the registration of codes 71 and 74, and the
    // polling that keeps a procedure going: accepted() after each poll that found one of
    // the states, missed() after each other, until stopped or 60 s without one.
    static const QStringList& registeringStates31();
    int ofdmChannelSetting();
    void tuneDocsis31();
    void setUpModem31(const char* dhcp, unsigned long long timeoutMs);
    void registerAndReport31(bool tune);
    void pollStates31(const QStringList& states, const std::function<void()>& accepted,
                      const std::function<void()>& missed = nullptr);
    static constexpr int kGiveUpMs31 = 60000;
    // Where a try on the engine's channel was given up (not stopped) with the modem still
    // unsynchronised, there is no SC-QAM channel at hz: the verdict is told, and stays on show
    // as the opening step of the tries at that frequency that follow, until the modem gets on.
    // The registration's verdict also says where the frequency is changed.
    static QString noScQamChannel(unsigned hz, bool registering);
    QString openingStep(unsigned hz, const QString& step, bool registering);
    void tellIfNoScQamChannel(unsigned hz, bool registering);
    // A step's text goes to the screens only while its test runs: once stopped, it would
    // stand over the screen that follows, or over the test started in its place.
    void tellStep(const QString& text);
    // Polls a restarted modem's state until it is one of those accepted, for at most the
    // 3.1 tests' give-up time; whether it got there while the test runs.
    bool awaitRegistration(const QStringList& accepted);
    // The MER percentile's window holds as many values as it is long.
    bool merPercentileFull() const { return mer_.size > 0 && mer_.stored >= mer_.size; }

    // What a pass reports reaches the screens only while the run of tests it belongs to is
    // the current one: a restart by the screens (init) begins another, and what a pass begun
    // before it still says, or has said and is on its way, is another test's and is dropped
    // where it is delivered (on the screens' thread: the engine's thread hands it over).
    template <typename... Params>
    void report(void (MesuraCM::*signal)(Params...), std::decay_t<Params>... values);
    bool isCurrentRun(quint64 run);

    QMutex mutex_;
    quint64 run_ = 0;
    // The run the pass under way belongs to (engine thread only).
    quint64 passRun_ = 0;
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
    unsigned noScQamHz_ = 0;
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

    // The upstream generators (engine thread only): the command that switches off the
    // carrier a generator left on, and the 3.1 modem's production test mode and sweep.
    struct GeneratorOff {
        int code = 0;
        QString command;
    } generatorOff_;
    struct Generator31 {
        bool initialised = false;
        int sweepStep = 0;
        long long current = 0;
    } generator31_;
    void switchGeneratorOffUnless(int code);
    void pauseWhileRunning(int ms);
    void waitUntilStopped();
    void enterProductionTestMode(bool ofdma);
    long long nextSweepFrequency31(const QVariantMap& s);
    void generateScQam31(const QVariantMap& s);
    void generateOfdma31(const QVariantMap& s);

    // The VoIP and IPTV tests share their frame: the modem made ready and registered, the
    // path test, then the registration watched (mesuraCMPathTests.cpp).
    struct PathTest;
    static PathTest& voipTest();
    static PathTest& iptvTest();
    int advancePathTest(PathTest& test, int mode);
    void passPathTest(PathTest& test);
    // The ping samples of the VoIP test made into its figures; 33555028.
    int pingStatistics();
    // The next hop of the route trace taken from the modem's text.
    int takeTraceHop();
};

template <typename... Params>
void MesuraCM::report(void (MesuraCM::*signal)(Params...), std::decay_t<Params>... values)
{
    const quint64 run = passRun_;
    auto deliver = [this, signal, run, values...] {
        if (isCurrentRun(run))
            (this->*signal)(values...);
    };
    if (QThread::currentThread() == thread())
        deliver();
    else
        QMetaObject::invokeMethod(this, deliver, Qt::QueuedConnection);
}
