// The constellation engine behind the context property "measuresIQ": one worker thread that
// locks a digital channel in one standard (or searches the standards for it) and, while the
// demodulator holds the lock, reports its figures and constellation once per driver period
// through s_send_dades_iq.
#pragma once

#include "mesuraiqPostBer.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QVariantMap>
#include <QVector>
#include <QWaitCondition>

#include <cstdint>

class MesuraIQ : public QThread {
    Q_OBJECT
public:
    static MesuraIQ* getInstance();
    ~MesuraIQ() override;

    // The settings. Each stops the acquisition in progress (the driver's searches end at their
    // next poll) and the worker starts a new pass with what they leave.
    Q_INVOKABLE void aturar();
    Q_INVOKABLE int initManual(uint freq, int sistema, int sr);
    Q_INVOKABLE void initAutomatic(uint freq, int sistema, int sr);
    Q_INVOKABLE void setSystem(int sistema, int sr);
    Q_INVOKABLE void restatMesureIQ();
    Q_INVOKABLE bool isNonStopMesures();

    // Ends the worker before the board it drives goes away (the application's quit, the end of
    // a test); start() runs it again.
    void stopEngine();

    // Display texts; each is "---" while unlocked.
    static QString getStringBER(bool locked, uint32_t status, float value);
    static QString getStringMER(bool locked, uint32_t status, int32_t value);
    static QString getStringModulation(bool locked, uint32_t constellation);
    static QString getStringGuard(bool locked, uint32_t guard);
    // DVB-T, DVB-T2 and ISDB-T alike, by the driver's FFT mode code.
    static QString getStringMode(bool locked, uint32_t mode);
    static QString getStringHierarchy(bool locked, uint32_t hierarchy);
    // Code-rate codes come in the driver's numbering or in the kit's of the satellite standards.
    enum class CodeRates { Driver, Dvbs, Dvbs2 };
    static QString getStringCodeRate(bool locked, uint32_t rate, CodeRates table = CodeRates::Driver);
    static QString getStringProfile(bool locked, bool base, bool lite);
    static QString getStringPilotPattern(bool locked, uint32_t pattern);
    static QString getStringConstellationRotation(bool locked, uint32_t rotation);
    // The optical-module variant's limits: a MER above 45.5 dB becomes ">45", a CBER below the
    // counter's bound becomes "<1.0E-09".
    static void limitsOclaro(uint32_t* merStatus, int32_t* mer, uint32_t cberStatus, float* cber);
    // Squares per axis of the screen's grid for a constellation.
    static int getNumberCuadresConstellation(uint32_t constellation);

    // The grid coordinate (0..255) of one raw sample on one axis: the outermost ideal point
    // (scale) lands k from the centre, k = 128 - 128 / squares. False when it falls off the grid.
    static bool escalaCoordenada(int raw, double jitter, double k, int scale, int* out);

    // The frequency the engine works at and its maps carry: the satellite standards take it
    // as given, the others through the front end's conversion.
    static uint32_t workingFrequency(uint32_t freq, int sistema);

    // At most this many samples go into one emission: the unit's bus gives about as many in one
    // execution period, the simulated one many times more.
    static constexpr int kMaxPuntsPerEmissio = 500;

signals:
    void s_send_dades_iq(QVariantMap m_dades_iq);
    // The worker's side of an emission, on the worker's thread: the map and the settings
    // generation it was measured under. The engine passes it on as s_send_dades_iq, in its own
    // thread, only while no setter has come since, so a late map of earlier settings is never
    // taken for the new ones.
    void mapReady(QVariantMap m_dades_iq, quint64 generation);

protected:
    void run() override;

private:
    explicit MesuraIQ(QObject* parent = nullptr);

    struct Settings {
        uint32_t frequency = 0;
        int system = 100;
        int symbolRate = 0;
        bool automatic = false;
    };

    // Under the mutex.
    void setVariablesKit(uint32_t freq, int sistema, int sr);
    void setFrecuencyKit(uint32_t freq);
    void stopLocked();

    // The worker.
    Settings settings();
    void deliver(const QVariantMap& map, quint64 generation);
    void emitMap();
    // Sleeps ms on the instrument's clock, in slices, until then or until a setter stops the pass.
    void pause(uint32_t ms);
    void runRoutine(int sistema);
    void mesuraIQ_auto_kit();
    void mesuraIQ_auto_kit_satellite();
    void mesuraIQ_auto_kit_terrestre();
    void searchStandards(const QVector<int>& list);
    QString ActualitzaPostBer(bool reset, bool locked, uint32_t errors, uint32_t block);

public:
    // One raw sample of the standard; false when the chip gave none (no point to draw).
    using SampleReader = bool (*)(uint32_t carrier, int16_t* i, int16_t* q);
    struct TerrestrialFamily;

private:
    // Fills the point lists from samples read by readSample until duration ms after start, or
    // kMaxPuntsPerEmissio samples and then the rest of that time asleep.
    void get_constellation_points(uint64_t start, uint32_t duration, int n, uint32_t carrier, int16_t iScale,
                                  int16_t qScale, SampleReader readSample);
    // The result map for the lock state and the running system; the grid's squares per axis.
    int get_info_auto_demod(uint8_t locked);

    // The routines, one per standard.
    void mesuraIQ_dvbc_kit();
    void mesuraIQ_annexb_kit();
    void mesuraIQ_dvbt_kit();
    void mesuraIQ_dvbt2_kit();
    void mesuraIQ_isdb_kit();
    void mesuraIQ_dvbc2_kit();
    void mesuraIQ_dvbs_kit();
    void mesuraIQ_dvbs2_kit();
    void runTerrestrial(const TerrestrialFamily& family);
    void runSatellite(bool dvbs2);
    // The satellite look-for at a symbol rate (kBd); the locked flag.
    uint8_t lookForSatellite(bool dvbs2, uint32_t symbolRate);
    void bringUpTuner();
    // DVB-T's carrier for the next emission, 1000 to 2000 in turn.
    uint32_t nextCarrier();

    // Guarded by the mutex.
    QMutex mutex_;
    QWaitCondition changed_;
    Settings current_;
    Settings saved_;
    bool nonStop_ = false;
    bool quit_ = false;
    quint64 generation_ = 0;
    int inFlight_ = 0; // maps handed to the engine's thread and not yet passed on

    // The worker's own.
    quint64 passGeneration_ = 0;
    QVariantMap m_dades_iq;
    QList<int> llista_i;
    QList<int> llista_q;
    uint8_t locked_ = 0;
    PostBerAccumulator postBer_;
    uint32_t dvbtCarrier_ = 0;
    // Where the symbol-rate search of each satellite standard goes on from: the next fixed
    // candidate, then the rate that rises 4 % a step.
    struct SymbolRateSearch {
        int sr_candidate = 10000;
        int idx_sr_candidate = 0;
    };
    SymbolRateSearch dvbsSearch_;
    SymbolRateSearch dvbs2Search_;
};
