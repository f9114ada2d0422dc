// The measurement engine behind the context property "measuresSpectrum": one loop on the
// GUI thread that runs the measurement the screens selected, a 100 ms supervisor that
// restarts it, the settings snapshot the runs read, and the results they report.
#pragma once

#include "channelSteps.h"

#include "common/sharedValues.h"
#include "rf/ifFilters.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <cstdint>
#include <functional>

namespace rfengine {
struct Samples;
}

// Points of a full-span spectrum; below it a scan screen takes the slower, integrated readings.
constexpr int POINTS_FREQUENCY_SPECTRUM_FULL = 400;

// The CONST_TIPUS_MESURA codes the engine runs.
enum TipusMesura {
    SPECTRUM = 0,
    SPECTRUM_CONST_IQ = 2,
    INPUT_VOLTAGE = 8,
    TILT = 9,
    LOGGER = 11,
    SOUND_FM = 12,
    DEMOD_ANALOG = 13,
    OPTICAL_POWER_METER = 14,
    CHANNEL_PLAN = 19,
    SPECTRUM_HUM = 20,
};

// Raw reading of the battery channel of the converter.
int getBatteryValue();

class Measures : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList listaFrequencyMeasures READ listaFrequencyMeasures NOTIFY listaFrequencyMeasuresChanged)
    Q_PROPERTY(int totalPower READ totalPower NOTIFY totalPowerChanged)
    Q_PROPERTY(int totalOpticalPower READ totalOpticalPower NOTIFY totalOpticalPowerChanged)
    Q_PROPERTY(int carrierNoise READ carrierNoise NOTIFY carrierNoiseChanged)
    Q_PROPERTY(float porcentajeHum READ porcentajeHum NOTIFY humChanged)
    Q_PROPERTY(QVariant lesturesAD READ lesturesAD CONSTANT)
    Q_PROPERTY(int channelPower READ channelPower NOTIFY channelPowerChanged)

public:
    static Measures* getInstance();
    ~Measures() override;

    // Selection and supervision of the loop.
    Q_INVOKABLE void changeTipusMesure(int in_tipus_mesura);
    Q_INVOKABLE int getTipusMesure();
    Q_INVOKABLE void mesuraIsStarted();
    Q_INVOKABLE void stopMeasures();
    Q_INVOKABLE void setVariablesQML();
    Q_INVOKABLE void setVariablesChannel(QVariantMap variable);
    Q_INVOKABLE void setListaFrequencyMeasures(QVariantList lista);
    Q_INVOKABLE QVariantList listaFrequencyMeasures();

    // Spectrum sweep, total and optical power.
    Q_INVOKABLE void setValuesMesuraSpectrum();
    Q_INVOKABLE int mesuraSpectrum(int mode);
    Q_INVOKABLE int totalPower();
    Q_INVOKABLE int totalOpticalPower();
    Q_INVOKABLE int getMesuraTotalPower();
    Q_INVOKABLE int getMesuraTotalOpticPower();
    int freqCentralEnLlista(QVariantList* list);
    void clearPowerListaFrequencyMeasures();
    void mesuraTotalPower();
    void mesuraTotalOpticPower();

    // Results.
    Q_INVOKABLE int channelPower();
    Q_INVOKABLE int carrierNoise();
    Q_INVOKABLE float porcentajeHum();
    Q_INVOKABLE int voltageInDC();
    Q_INVOKABLE int voltageInAC();
    Q_INVOKABLE int voltageInHz();

    // Channel power and carrier-to-noise.
    int mesuraIntegracio(unsigned int frequency, int bandwidth, int* power);
    void mesura_noise();
    void mesura_noise_logger(unsigned int fVideo, unsigned int fAudio, int);
    void filtroCarrierNoise(int* value);
    void filtroIntegracio(int* value);

    // Analogue channel measurements and input voltage. Levels in 0.1 dBµV.
    void mesura_demod_analog();
    // Video and audio carrier levels; *audio is left as given when the video reading fails,
    // and stays UNMEASURED when fAudio is 0 or its reading fails.
    void mesura_demod_analog_generica(unsigned int fVideo, unsigned int fAudio, int* video, int* audio);
    // The sound carrier of the current channel; 0 when its record gives none.
    unsigned int getFrequencyAudio();
    void mesuraVideoCarrier_CTB_CSO(int, int);
    int mesuraHum();
    int mesuraVIn();
    void mesuraLNB_mA();

    // The logger and channel-plan runs: step machines over the plan's active channels. Step 0
    // prepares, each further step measures one channel; 100 while channels remain, 0 after
    // the last, -1 on failure.
    int mesuraLogger(int step);
    int mesuraAutomaticaCanalitzacio(int step);
    // Holds the constellation engine on one digital channel of the logger for as long as the
    // flags ask (bit 0 MER, bit 1 BER, bit 2 accuracy); 0.
    int mesuraIQ_logger(int flags, unsigned int frequency, int system);
    // Whether the constellation engine locks on the channel in that standard within 2 s.
    bool mesuraIQ_enganxat(unsigned int frequency, int system, int symbolRate);

    // Service operations.
    // voltage_LNB 13 or 18 selects that supply voltage (any other value 13 V); the tone is
    // left as asked. The output is switched only by setActivaLNB.
    Q_INVOKABLE void setLNB(bool activar_22Khz, int voltage_LNB);
    Q_INVOKABLE void setActivaLNB(bool acivar);
    Q_INVOKABLE void setFilter(int filter);
    Q_INVOKABLE int getFilter();
    Q_INVOKABLE void setAtt(int Att);
    Q_INVOKABLE void setCircuit(QString mode_circuit);
    Q_INVOKABLE int sintonizaFerquency(unsigned int frequency);
    // One front-end line each, for the service screens.
    Q_INVOKABLE void gpio_ATT0(bool input);
    Q_INVOKABLE void gpio_RF_OPTIC(bool input);
    Q_INVOKABLE void gpio_UP(bool input);
    Q_INVOKABLE void gpio_SUB(bool input);
    Q_INVOKABLE void gpio_SUPER(bool input);
    Q_INVOKABLE void gpio_AttCM(bool input);
    Q_INVOKABLE void gpio_TRACK(bool input);
    Q_INVOKABLE void gpio_DW(bool input);
    Q_INVOKABLE void gpio_F2(bool input);
    Q_INVOKABLE void gpio_F3(bool input);
    // One tuner option each; the tuner is initialised again with it and retuned to the
    // frequency the engine last tuned.
    Q_INVOKABLE void vDiode(char value);
    Q_INVOKABLE void wpda(char value);
    Q_INVOKABLE void npda(char value);
    Q_INVOKABLE void dWPD(bool on);
    Q_INVOKABLE void dNPD(bool on);
    Q_INVOKABLE int getWPDA();
    Q_INVOKABLE int getNPDA();
    Q_INVOKABLE int getRegisterR0B();
    Q_INVOKABLE QVariant lesturesAD();
    Q_INVOKABLE int lecturaVBAT();
    Q_INVOKABLE QVariantMap ipCableModem();
    // Channel power of every point of the list the first call finds, each ranged from
    // 70 dB with at least 40 dB kept; 0, or -1 on a stop or with no points.
    Q_INVOKABLE int mesuraDBG(int);

    // Run flags: the setters take the mutex; the readers first process pending events for
    // at most 100 ms, which is what keeps the interface alive while a run polls them.
    void set_stop_mesures(bool stop);
    void set_finished_mesures(bool finished);
    void set_changed_values_mesures(bool changed);
    bool isStopMesures();
    bool is_finished_mesure();
    bool isChangedValuesMesures();
    bool isExitMesures();
    // True while startMeasures() is executing its loop.
    bool isMeasuring() const { return running_; }

    // Screen predicates on the snapshot's "screen".
    bool InScanScreen();
    bool InDBGScreen();
    bool InTiltScreen();
    bool InReferenceLevelScanScreen();
    bool InUpsStreamScreen();

public slots:
    void startMeasures();
    void stop_and_finished();
    void IQ_enganxat(QVariantMap dades);

signals:
    void listaFrequencyMeasuresChanged(QVariantList out_listaFrequencyMeasures);
    void totalPowerChanged();
    void totalOpticalPowerChanged();
    void channelPowerChanged(int channel_power);
    void carrierNoiseChanged(QString carrier_noise);
    void humChanged();
    void voltageInChanged();
    void lnb_mA_Changed(float intensidad);
    void v_a_carriersChanged(int nivell_video, int nivell_audio);
    void ctb_cso_Changed(QVariantMap values_ctb_cso);
    void message(QString out_message);
    void loggerChanged(QVariantMap send_logger);
    void loggerVoid();
    void finMesuraLogger();
    void channelPlanChanged(QVariantMap send_logger);
    void channelPlanVoid();
    void fiMesuraChannelPlan();
    void mesuraIsStoped();
    void puntEspectre(int, int);
    void reset_QAM_IQ();
    void end_mesura_channelplan();
    void fiMesuraSistema(int sistema);

private:
    explicit Measures(QObject* parent = nullptr);

    // One pass of the run the measurement type selects.
    void runPass();
    // Stop flag or changed settings, read without processing events.
    bool exitRequestedNow();
    // Between the steps of a long reading: keeps the interface alive, and while the loop runs
    // tells whether the measurement in progress is to end.
    bool readingInterrupted();
    QString screen() const;
    void retuneWithOption(const std::function<void()>& setOption);
    // Waits ms in slices of at most 100 ms; true, at once, when the measurement is to end.
    bool waitOrExit(int ms);
    // Samples a converter channel from startUs until a second has passed or maxSamples are
    // taken, polling before each sample; false when the measurement is to end. A failed
    // conversion ends the window.
    bool sampleWindow(int channel, int maxSamples, uint64_t startUs, rfengine::Samples* out);

    // Runs.
    void mesura_spectrum();
    void mesura_const_iq();
    void mesura_optical_power_meter();
    void mesura_input_voltage();
    void mesura_logger();
    void mesura_fm();
    void mesura_analog();
    void mesura_channelplan();
    void mesura_hum();

    // The logger and channel-plan runs.
    // Runs a step machine until its last channel, a failure or a stop; only a stop ends it
    // early, new settings do not.
    void runChannelSteps(int (Measures::*step)(int), void (Measures::*finished)());
    // What tells the two step machines apart: the slots a result starts with as UNMEASURED,
    // whether the attenuation is held for the plan's threshold, what is measured on a channel
    // that clears the threshold, and the signals for no channel and for each result.
    struct ChannelRun {
        QStringList unmeasured;
        bool holdToThreshold;
        void (Measures::*measure)(QVariantMap* result);
        void (Measures::*none)();
        void (Measures::*measured)(QVariantMap result);
    };
    // One call of a step machine: step 0 prepares the active channels of source; each further
    // step clears the spectrum powers once, then measures one channel and hands its result over.
    int channelStep(rfengine::ChannelSteps& steps, int step, const QVariantList& source, const ChannelRun& run);
    // The first step after the preparation clears the spectrum powers: true when this was it.
    bool clearingStep(rfengine::ChannelSteps& steps);
    // Tunes the channel's carrier from full attenuation and reads its level (UNMEASURED for a
    // record the tuner cannot take) and integration gain; the reading's result. With
    // holdToThreshold the attenuation is kept low enough for the plan's threshold.
    int readChannelLevel(rfengine::ChannelSteps& steps, const QVariantMap& channel, bool holdToThreshold, int* level,
                         double* gain);
    // The selected bonding group's channels; none when the selection is not a group.
    QVariantList bondingGroupChannels();
    // The channel's power when it clears the threshold, else UNMEASURED.
    int channelPowerWithSignal(const QVariantMap& channel);
    // The screens whose runs take the plan's active channels in the span: the scans, the plan
    // editor and the main menu.
    bool planListScreen();
    int scanThreshold() const;
    // The measurements of a logged channel whose level cleared the threshold.
    void measureLoggedChannel(QVariantMap* result);
    void measureLoggedDigital(QVariantMap* result);
    // The power, and under automatic detection the kind and standard, of a plan channel.
    void classifyPlanChannel(QVariantMap* result);
    // Holds the constellation engine on a channel in one standard for up to ms, ending early
    // at a lock when untilLocked; the locked flag. Only maps of that standard and frequency count.
    bool holdConstellation(unsigned int frequency, int system, int symbolRate, int ms, bool untilLocked);
    // The attenuation for the demodulator: the ranging's, then more for each dB of excess the
    // total power gives (less for a negative excess).
    void attenuateForIq(int (*excessDb)(int totalPower));

    int ctbCarrierLevel_ = 0;
    int ctbAttenuation_ = 0;
    bool iqLocked_ = false;
    // The channel the constellation engine was asked for, and the last locked map of it.
    int iqSystem_ = -1;
    unsigned int iqFrequency_ = 0;
    QVariantMap iqFigures_;
    bool iqWatched_ = false;
    int filter_ = FILTER_WIDE;
    QVariantList dbgPoints_; // taken by the first mesuraDBG, for good
    bool dbgTaken_ = false;
    QMutex mutex_;
    QTimer* supervisor_ = nullptr;
    QVariantMap variables_;
    QVariantMap channel_;
    QVariantMap ipCableModem_;
    int carrierNoise_ = UNMEASURED;
    int voltageDC_ = UNMEASURED;
    int voltageAC_ = UNMEASURED;
    int inputFrequency_ = UNMEASURED;
    int centralLevel_;
    QVariantList listaFrequencyMeasures_;
    float hum_ = static_cast<float>(UNMEASURED);
    bool stop_ = true;
    bool finished_ = true;
    bool changed_ = false;
    int tipusMesura_ = SPECTRUM;
    int channelPower_;
    int stepIndex_ = 0;
    rfengine::ChannelSteps loggerSteps_;
    rfengine::ChannelSteps planSteps_;
    bool changesEndPass_ = true;

    bool running_ = false;
    bool restartPending_ = false;
    bool supervising_ = false;
    bool supervisorConnected_ = false;
};
