// The modem's constellation on the IQ map m_dades_iq: the DOCSIS 3.0 test (measure code 60)
// that tunes a downstream channel, reports its PHY figures and reads the modem's 64-point
// dump, step by step; and the DOCSIS 3.1 tuner test constellation and OFDM constellation
// that the 3.1 downstream analysis reads.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemConstellation.h"
#include "cablemodem/modemDecoders31.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include <QRandomGenerator>

namespace {
constexpr int kBusy = 100;
constexpr int kAdvance = 64;
constexpr int kAttemptLimit = 500;
constexpr int kSynchronizedLevel = 5000;
constexpr int kFailed = 1000;

QString annexName(int annex)
{
    switch (annex) {
    case 0: return "EURO DOCSIS";
    case 1: return "DOCSIS";
    case 2: return "DUAL";
    default: return "---";
    }
}

int gridSquares(int qamOrder)
{
    switch (qamOrder) {
    case 16: return 4;
    case 32: return 6;
    case 64: return 8;
    case 128: return 12;
    case 256: return 16;
    default: return 2;
    }
}

// A BER with the mark of its range: ">" above, "<" below (a bound).
QString markedBer(double ber, int kind)
{
    const QString mark = kind == 1 ? ">" : kind == 2 ? "<" : "";
    return mark + QString::number(ber, 'E', 1);
}
} // namespace

void MesuraCM::mesura_cm_iq()
{
    static unsigned tunedHz = 0;
    if (!isNonStopMesures())
        return;
    const int code = measureCode();
    const unsigned hz = takeFrequencySetting();
    report(&MesuraCM::cm_status_information, tr("Start CM IQ"));
    bool tune = false;
    if (code != previousMeasureCode_) {
        tunedHz = 0;
        tune = hz != 0;
    } else {
        tune = hz != tunedHz;
    }
    if (tune) {
        getModemReady_31();
        setModemModes30(0, 0, 0, 2000);
        tunedHz = sintonizarTuner30(hz) ? hz : 0;
        report(&MesuraCM::phyChanged, newTuneMap30());
    } else if (isNonStopMesures()) {
        modemPauseMs(10);
        mesuraModemIQ(kAdvance);
    }
    report(&MesuraCM::cm_status_information, tr("Stop CM IQ"));
    previousMeasureCode_ = code;
}

int MesuraCM::mesuraModemIQ(int mode)
{
    static int step = 5;
    static int attempts = 0;
    static bool signal = false;
    static bool tuned = false;
    static bool dumpRestarted = false;
    auto restart = [&](int next) {
        step = next;
        attempts = 0;
        signal = false;
        tuned = false;
        dumpRestarted = false;
        InicialitzarMesuresDownstream();
        mesuraConstelacioCableModem(0, 0);
        ProcesModemReady(0, 2, static_cast<int>(frequency()), kSynchronizedLevel);
        SetModemStatus(MODEM_STATUS_STARTING);
    };
    if (mode == 0 || mode == 4) {
        restart(5);
        return kBusy;
    }
    modemPauseMs(50);
    switch (step) {
    case -2:
        restart(-1);
        return kBusy;
    case -1: {
        const int r = GetModemReady(kAdvance);
        if (r == 0)
            step = 0;
        else if (r == -1)
            step = kFailed;
        return kBusy;
    }
    case 0:
        SetModemProcess(MODEM_PROCESS_STATE);
        attempts = 0;
        step = 1;
        return kBusy;
    case 1:
        GetModemMeasuresPower_Down();
        signal = true;
        step = 4;
        return kBusy;
    case 4:
        if (!signal || attempts >= kAttemptLimit) {
            step = 0;
        } else if (tuned) {
            GetCMStatus(0, 0);
            step = 5;
        } else {
            const int r = ProcesModemReady(kAdvance, 2, static_cast<int>(frequency()), kSynchronizedLevel);
            if (r == 0)
                step = 6;
            else if (r == -1)
                step = kFailed;
            else
                ++attempts;
        }
        return kBusy;
    case 5: {
        const int r = GetCMStatus(kAdvance, 5000);
        if (r == kBusy)
            return kBusy;
        step = r >= kSynchronizedLevel ? 6 : kFailed;
        return kBusy;
    }
    case 6:
        tuned = true;
        decodificaDownstream(0, 0);
        SetModemStatus(MODEM_STATUS_PHY_SYNCHRONIZED);
        SetModemProcess(MODEM_PROCESS_DOWNSTREAM);
        step = 7;
        return kBusy;
    case 7: {
        const int r = decodificaDownstream(kAdvance, 0);
        if (r == 0) {
            if (!dumpRestarted) {
                mesuraConstelacioCableModem(0, 0);
                dumpRestarted = true;
            }
            step = 8;
        } else if (r == -1) {
            step = kFailed;
        }
        return kBusy;
    }
    case 8:
        SetModemProcess(MODEM_PROCESS_BER);
        step = 9;
        return kBusy;
    case 9:
        if (decodificaBer(0) != 0) {
            step = kFailed;
            return kBusy;
        }
        fillIq30();
        report(&MesuraCM::s_send_dades_iq, m_dades_iq);
        step = 10;
        return kBusy;
    case 10:
        SetModemProcess(MODEM_PROCESS_CONSTELLATION);
        step = 11;
        return kBusy;
    case 11: {
        const int r = mesuraConstelacioCableModem(kAdvance, 0);
        if (r == 0) {
            step = 0;
            return 0;
        }
        if (r == -1)
            step = kFailed;
        return kBusy;
    }
    default:
        step = -2;
        return -1;
    }
}

void MesuraCM::fillIq30()
{
    const PhyChannel& p = GetPhyPointer()[0];
    m_dades_iq = {
        {"locked", p.qamLock != 0},
        {"modulation", QString("QAM %1").arg(p.modulation)},
        {"annex", annexName(p.annex)},
        {"mer", QString::number((p.mse + 5) / 10.0, 'g', 6)},
        {"pre_ber", markedBer(p.preBer, p.preBerKind)},
        {"post_ber", markedBer(p.postBer, p.postBerKind)},
        {"f_offset", QString::number(p.carrierOffset, 'g', 6)},
        {"interleaver", QString("I=%1, J=%2").arg(p.interleaverI).arg(p.interleaverJ)},
        {"quadres_const", gridSquares(p.modulation)},
    };
}

int MesuraCM::mesuraConstelacioCableModem(int mode, int channel)
{
    static int step = 0;
    static uint64_t startMs = 0;
    enum { kDone = 100, kTimedOut = 1000 };
    if (mode == 0) {
        step = 0;
        return kBusy;
    }
    if (promptThenCommand(step, startMs, 5000, kTimedOut, "mainMenu>", QString::asprintf("iqdump %d 1\r", channel)))
        return kBusy;
    switch (step) {
    case 2:
        if (modemTimeOver(startMs, 2000))
            step = kTimedOut;
        if (GetCondicio1() && decodeIQ() >= 1)
            step = kDone;
        return kBusy;
    case kDone:
        step = 0;
        return 0;
    default:
        step = 0;
        return -1;
    }
}

int MesuraCM::decodeIQ()
{
    const IqDump30 dump = iqDump30(QString::fromLatin1(GetBufferTrames()));
    if (!dump.found)
        return -1;
    m_dades_iq.clear();
    if (dump.fields < 0)
        return -1;
    if (!dump.i.isEmpty() && !dump.q.isEmpty()) {
        m_dades_iq.insert("locked", true);
        m_dades_iq.insert("llista_i", dump.i);
        m_dades_iq.insert("llista_q", dump.q);
        report(&MesuraCM::s_send_dades_iq, m_dades_iq);
    }
    return dump.fields;
}

void MesuraCM::load_IQ_points()
{
    if (!envia_cadena_modem("docsis/Production/Test/Tuner/IQconstellation 0\r", "mainMenu>", 30000))
        return;
    const ConstellationPoints points = tunerConstellation31(getStringBufferTrames());
    m_dades_iq.insert("llista_i", points.i);
    m_dades_iq.insert("llista_q", points.q);
}

void MesuraCM::getCostellationOFDM(int channel, int points)
{
    if (channel < 0 || channel >= MODEM31_OFDM_CHANNELS)
        return;
    if (!envia_cadena_modem(QString("docsis/Fw/ds_phy/status/constDisplay %1 %2 0\r").arg(channel).arg(points),
                            "mainMenu>", 30000))
        return;
    const QString reply = modemReplyLines(getStringBufferTrames());
    if (!ofdmChannelUnlocked(reply, channel))
        decodeIQ_3_1(reply);
}

int MesuraCM::decodeIQ_3_1(QString reply)
{
    const ConstellationPoints points = ofdmConstellation31(reply);
    if (points.i.isEmpty())
        return 0;
    m_dades_iq.insert("locked", true);
    m_dades_iq.insert("llista_i", points.i);
    m_dades_iq.insert("llista_q", points.q);
    report(&MesuraCM::s_send_dades_iq, m_dades_iq);
    return 0;
}

int MesuraCM::decodeFake_IQ_3_1(QString)
{
    // 32 levels per axis, each spread +-160 raw units.
    QRandomGenerator* random = QRandomGenerator::global();
    auto coordinate = [random] {
        const int r = static_cast<int>(random->bounded(32));
        int spread = 0;
        for (int k = 0; k < 10; ++k)
            spread += static_cast<int>(random->bounded(32));
        return (r * 20000 - 310000) / 32 + spread - 160;
    };
    QVariantList i;
    QVariantList q;
    for (int n = 0; n < 100; ++n) {
        i.append(ofdmPointI(coordinate()));
        q.append(ofdmPointQ(coordinate()));
    }
    m_dades_iq.insert("locked", true);
    m_dades_iq.insert("llista_i", i);
    m_dades_iq.insert("llista_q", q);
    report(&MesuraCM::s_send_dades_iq, m_dades_iq);
    return 0;
}
