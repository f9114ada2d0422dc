// The upstream test generators. The DOCSIS 3.0 modem sends a single-carrier burst (measure
// code 66), set up by the burst step at a fixed frequency or stepping through a range in
// 3 MHz steps. The DOCSIS 3.1 modem (code 73) is restarted into its production test mode and
// then sends an SC-QAM carrier or an OFDMA test burst, fixed or stepping through a range in
// tenths. Leaving either test switches the carrier off.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemSteps30.h"

#include "store/screensvariables.h"

#include <QDebug>

#include <algorithm>

namespace {

constexpr const char* kPrompt = "mainMenu>";
constexpr int kBusy = 100;
constexpr int kSweepStepHz = 3000000;
constexpr int kSweepTenths = 10;
constexpr int kSetupMs = 3000;
constexpr int kPauseSliceMs = 100;
constexpr int kCarrierOffMs = 1000;

// The commands that switch each generator's carrier off.
const char kBurstOff30[] = "burststop 0\r";
const char kScQamOff31[] = "docsis/Production/Test/upstream 0 0\r";
const char kOfdmaOff31[] = "docsis/Production/Test/UsOfdma/cleanTestBurst\r";

// Transmit level of the 3.1 modem, tenths of dBuV.
constexpr int kLevel31Min = 400;
constexpr int kLevel31Max = 1300;
constexpr int kLevel31Reference = 600;

int setting(const QVariantMap& settings, const char* key) { return settings.value(key).toInt(); }

QString mhz(long long hz) { return QString::asprintf("%.2f", hz * 1e-6); }

QString production(const QString& command) { return "docsis/Production/Test/" + command + "\r"; }

QString scQamModulation31(int value)
{
    switch (value) {
    case 0: return production("modulation 0 3");
    case 5: return production("modulation 0 1");
    case 6: return production("modulation 0 4");
    case 7: return production("modulation 0 2");
    default: return production("modulation 0 5");
    }
}

// The symbol rate in units of 160 ksym/s.
QString scQamSymbolRate31(int index)
{
    const int units = index >= 0 && index < 5 ? 1 << index : 32;
    return production(QString("symb 0 %1").arg(units));
}

// Below the reference level the modem attenuates, above it it amplifies, in whole dB.
QStringList scQamLevel31(int powerTenths)
{
    const int p = std::clamp(powerTenths, kLevel31Min, kLevel31Max);
    if (p <= kLevel31Reference)
        return {production("gain 0"), production(QString("sdattn 0 %1").arg((kLevel31Reference - p) / 10))};
    return {production("sdattn 0 0"), production(QString("gain %1").arg((p - kLevel31Reference) / 10))};
}

const char* const kOfdmaProfile[] = {
    "UsOfdma/setTXProfileClear 0",  "UsOfdma/setTXProfileClear 1",       "UsOfdma/setNotUsedClear 0",
    "UsOfdma/setExcludedClear 0",   "UsOfdma/setPreambleLen 0 0xc0",     "UsOfdma/setRandSeed 0 0x7ABCDE",
    "UsOfdma/setNir 0 0x40",        "UsOfdma/setNfr 0 0x80",             "UsOfdma/setSubcSpacing 0 1",
};
const char* const kOfdmaBands[] = {
    "UsOfdma/setMiniSlot 0 5 0 6 11",
    "UsOfdma/setExcludedBand 0 0 1000",
    "UsOfdma/setExcludedBand 0 3096 1000",
};
const char* const kOfdmaBurst[] = {
    "UsOfdma/setSymbolsInFrame 0 9", "UsOfdma/setRollof 0 5",     "UsOfdma/setCyclicPrefix 0 6",
    "UsOfdma/applyUcd 0",            "UsOfdma/pllLockTxBurst 0 0", "UsOfdma/cleanTestBurst",
    "UsOfdma/testBurstUcdParams 0 0 3 0 131",
};
const char kOfdmaStart[] = "UsOfdma/startTestBurst 0 1 131 0 1";

} // namespace

// DOCSIS 3.0.

int MesuraCM::mesuraSweepGenerador(int mode)
{
    static int step = 0;
    static bool fixed = false;
    static int start = 0;
    static int stop = 0;
    static int current = 0;

    if (mode == 0 || mode == 4) {
        const QVariantMap s = ScreensVariables::getInstance()->getScreensVariables();
        fixed = setting(s, "up_test_mode") != 0;
        start = setting(s, "up_test_start");
        stop = setting(s, "up_test_stop");
        current = fixed ? setting(s, "up_test_freq_fix") : start;
        SetModemStatus(MODEM_STATUS_RES);
        step = 0;
        return kBusy;
    }
    if (mode == 15) {
        step = 0;
        return kBusy;
    }
    modemPauseMs(20);
    int result = kBusy;
    switch (step) {
    case 0:
        SetModemStatus(MODEM_STATUS_STARTING);
        GetModemReady(0);
        step = 1;
        break;
    case 1: {
        const int r = GetModemReady(64);
        if (r == 0) {
            SetModemStatus(MODEM_STATUS_UPSTREAM_READY);
            step = 3;
        } else if (r == -1) {
            step = 1000;
        }
        break;
    }
    case 3:
        generatorOff_ = {QML_CM_UP_STREAM_GENERATOR, kBurstOff30};
        mesuraSendUpstream(0, current);
        step = 4;
        break;
    case 4: {
        const int r = mesuraSendUpstream(64, current);
        if (r == 0) {
            report(&MesuraCM::modemConfigurat);
            if (!fixed) {
                current = current + kSweepStepHz - 1 < stop ? current + kSweepStepHz : start;
                step = 3;
            }
            result = 0;
        } else if (r == -1) {
            step = 1001;
        }
        break;
    }
    default:
        result = -1;
        mesuraSweepGenerador(15);
        break;
    }
    qDebug() << "adios pasos:" << step;
    return result;
}

int MesuraCM::mesura_upStreamGenerator() { return mesuraSweepGenerador(64); }

// DOCSIS 3.1.

int MesuraCM::mesuraSweepGenerador_31(int mode)
{
    // Nothing is sent before the modem's command line has answered. Between queries the
    // thread sleeps with events processed: some steps of the query (a modem restarting)
    // only look at the clock, and would spin until their time-out otherwise.
    GetModemReady(0);
    int ready = kBusy;
    while (isNonStopMesures()) {
        ready = GetModemReady(64);
        if (ready == 0 || ready == -1)
            break;
        modemPauseMs(kPauseSliceMs);
    }
    if (ready != 0)
        return 0;
    if (mode == 0) {
        generator31_.initialised = false;
        return 0;
    }
    const QVariantMap s = ScreensVariables::getInstance()->getScreensVariables();
    const bool ofdma = setting(s, "up_test_docsis_mode") != 0;
    if (!generator31_.initialised)
        enterProductionTestMode(ofdma);
    else if (ofdma)
        generateOfdma31(s);
    else
        generateScQam31(s);
    return 0;
}

void MesuraCM::pauseWhileRunning(int ms)
{
    for (int waited = 0; waited < ms && isNonStopMesures(); waited += kPauseSliceMs)
        modemPauseMs(std::min(kPauseSliceMs, ms - waited));
}

void MesuraCM::waitUntilStopped()
{
    while (isNonStopMesures())
        modemPauseMs(kPauseSliceMs);
}

void MesuraCM::enterProductionTestMode(bool ofdma)
{
    // The modem restarts here and answers again only after up to 85 s: the screen says so.
    tellStep(tr("Restarting CM in test mode"));
    envia_cadena_modem("system/startup/disable \r", kPrompt, 1000);
    SetModemStatusPower(MODEM_STATUS_POWER_OFF);
    envia_cadena_modem("reboot \r", kPrompt, 2000);
    for (int period = 0; period < 6; ++period)
        pauseWhileRunning(5000);
    envia_cadena_modem("\r", "for list of commands", 55000);
    SetModemStatusPower(MODEM_STATUS_POWER_ON);
    envia_cadena_modem("system/startup/enable \r", kPrompt, 1000);
    envia_cadena_modem("exit \r", "#", 10000);
    envia_cadena_modem("testmode \r", "#", 30000);
    envia_cadena_modem("cli \r", kPrompt, 10000);
    envia_cadena_modem(production("testmode "), kPrompt, 30000);
    if (ofdma)
        envia_cadena_modem(production("UsOfdma"), kPrompt, kSetupMs);
    if (isNonStopMesures())
        generator31_.initialised = true;
    tellStep(QString());
}

long long MesuraCM::nextSweepFrequency31(const QVariantMap& s)
{
    const long long start = setting(s, "up_test_start");
    // A range given upside down is no range: the start alone.
    const long long span = std::max(0LL, setting(s, "up_test_stop") - start);
    if (generator31_.sweepStep == 0)
        generator31_.current = start;
    const long long frequency = generator31_.current;
    generator31_.current += span / kSweepTenths;
    generator31_.sweepStep = generator31_.sweepStep >= kSweepTenths ? 0 : generator31_.sweepStep + 1;
    return frequency;
}

void MesuraCM::generateScQam31(const QVariantMap& s)
{
    const bool sweep = setting(s, "up_test_mode") == 0;
    const int modulation = setting(s, "up_test_modulation");
    QStringList setup = {"docsis/setDiplexer 1\r", production("bmode 0 0")};
    if (setting(s, "rf_on") == 1) {
        generatorOff_ = {QML_CM_UP_STREAM_GENERATOR_31, kScQamOff31};
        setup << production("upstream 0 1");
    } else {
        setup << kScQamOff31;
    }
    setup << production("cont 0 1");
    for (const QString& command : setup)
        envia_cadena_modem(command, kPrompt, kSetupMs);
    qDebug().noquote() << "CM3.1 Modulation Generator: " << modulation;
    setup = QStringList{scQamModulation31(modulation), scQamSymbolRate31(setting(s, "up_test_symbolrate"))}
        + scQamLevel31(setting(s, "up_test_power")) + QStringList{production("tcm 0 1")};
    for (const QString& command : setup)
        envia_cadena_modem(command, kPrompt, kSetupMs);

    if (sweep) {
        report(&MesuraCM::modemConfigurat);
        while (isNonStopMesures()) {
            envia_cadena_modem(production("freq 0 " + mhz(nextSweepFrequency31(s))), kPrompt, kSetupMs);
            modemPauseMs(20);
        }
        return;
    }
    envia_cadena_modem(production("freq 0 " + mhz(setting(s, "up_test_freq_fix"))), kPrompt, kSetupMs);
    report(&MesuraCM::modemConfigurat);
    waitUntilStopped();
}

void MesuraCM::generateOfdma31(const QVariantMap& s)
{
    const bool sweep = setting(s, "up_test_mode") == 0;
    envia_cadena_modem("docsis/setDiplexer 2\r", kPrompt, kSetupMs);
    if (setting(s, "rf_on") != 1) {
        // With the RF output off no burst may start, and one still running ends.
        envia_cadena_modem(kOfdmaOff31, kPrompt, kSetupMs);
        report(&MesuraCM::modemConfigurat);
        waitUntilStopped();
        return;
    }
    for (const char* command : kOfdmaProfile)
        envia_cadena_modem(production(command), kPrompt, kSetupMs);
    for (const char* command : kOfdmaBands)
        envia_cadena_modem(production(command), kPrompt, 5000);
    const long long centre = sweep ? nextSweepFrequency31(s) : setting(s, "up_test_freq_fix");
    envia_cadena_modem(production(QString("UsOfdma/setCenterFreqSubC0 0 %1").arg(centre)), kPrompt, kSetupMs);
    for (const char* command : kOfdmaBurst)
        envia_cadena_modem(production(command), kPrompt, kSetupMs);
    generatorOff_ = {QML_CM_UP_STREAM_GENERATOR_31, kOfdmaOff31};
    envia_cadena_modem(production(kOfdmaStart), kPrompt, kSetupMs);
    report(&MesuraCM::modemConfigurat);
    if (!sweep)
        waitUntilStopped();
}

// Leaving a generator.

void MesuraCM::switchGeneratorOffUnless(int code)
{
    if (generatorOff_.command.isEmpty() || code == generatorOff_.code)
        return;
    const QString command = generatorOff_.command;
    generatorOff_ = {};
    // A modem switched off sends nothing.
    if (is_CableModem_ON() && isSerialPortCableModemOpen())
        envia_cadena_modem(command, kPrompt, kCarrierOffMs);
}
