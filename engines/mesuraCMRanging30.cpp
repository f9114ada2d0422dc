// DOCSIS 3.0 ranging (measure code 62): each pass either sets the modem up and tunes it, or
// advances the ranging machine, which polls the registration state, reads channel 0 and its
// BER and, once ranging is complete, the upstream channels, round after round.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include "store/screensvariables.h"

#include <QDebug>

namespace {
constexpr int kBusy = 100;
constexpr int kAdvance = 64;
constexpr int kPollLimit = 1500;
constexpr int kRangedLevel = 15000;
constexpr int kSynchronizedLevel = 5000;
constexpr int kNotSynchronizedLevel = 2000;
constexpr int kOperationalLevel = 40000;
constexpr int kStatePollMs = 5000;

bool measured(int value) { return value != 0 && value != UNMEASURED; }
} // namespace

void MesuraCM::setModemModes30(int ranging, int dhcp, int registration, unsigned long long timeoutMs)
{
    envia_cadena_modem(QString::asprintf("rangemode %d\r", ranging), "mainMenu>", timeoutMs);
    envia_cadena_modem(QString::asprintf("dhcpmode %d\r", dhcp), "mainMenu>", timeoutMs);
    envia_cadena_modem(QString::asprintf("register %d\r", registration), "mainMenu>", timeoutMs);
}

unsigned MesuraCM::takeFrequencySetting()
{
    const unsigned hz = ScreensVariables::getInstance()->getScreensVariablesFrequency();
    setFrequency(hz);
    return hz;
}

void MesuraCM::mesura_ranging()
{
    static unsigned tunedHz = 0;
    const int code = measureCode();
    const unsigned hz = takeFrequencySetting();
    if (code != previousMeasureCode_)
        tunedHz = 0;
    if (hz == tunedHz) {
        if (!isNonStopMesures())
            return;
        const int r = procesRanging(kAdvance);
        if (r == 0)
            report(&MesuraCM::cm_status_information, QString());
        else if (r == -1)
            tunedHz = 0;
    } else {
        getModemReady_31();
        report(&MesuraCM::cm_status_information, tr("Start Ranging CM"));
        setModemModes30(1, 0, 0, 1000);
        tunedHz = sintonizarTuner30(hz) ? hz : 0;
        report(&MesuraCM::phyChanged, newTuneMap30());
        procesRanging(0);
    }
    previousMeasureCode_ = code;
}

int MesuraCM::procesRanging(int mode)
{
    static int step = 0;
    static int polls = 0;
    static bool signal = false;
    static bool decodeUpstream = false;

    auto restart = [&](int next) {
        step = next;
        polls = 0;
        signal = false;
        decodeUpstream = false;
        InicialitzarMesuresUpstream();
        InicialitzarMesuresDownstream();
    };
    if (mode == 0 || mode == 4) {
        restart(5);
        SetModemStatus(MODEM_STATUS_STARTING);
        ProcesModemReady(0, 0, 0, 0);
        GetCMStatus(0, 0);
        return MODEM_STEP_REPORTED;
    }
    modemPauseMs(50);
    switch (step) {
    case -2:
        restart(-1);
        ProcesModemReady(0, 0, 0, 0);
        return MODEM_STEP_REPORTED;
    case -1: {
        const int r = GetModemReady(kAdvance);
        if (r == 0)
            step = 0;
        else if (r == MODEM_STEP_RESTARTING)
            return r;
        else if (r == -1)
            step = 1000;
        return kBusy;
    }
    case 0:
        GetCMStatus(0, 0);
        SetModemProcess(MODEM_PROCESS_STATE);
        polls = 0;
        step = 1;
        return MODEM_STEP_STAGE_DONE;
    case 1:
        signal = true;
        step = 2;
        return MODEM_STEP_REPORTED;
    case 2: {
        if (!signal || polls >= kPollLimit) {
            step = 0;
            return kBusy;
        }
        if (decodeUpstream) {
            GetCMStatus(0, 0);
            step = 5;
            return kBusy;
        }
        int result = kBusy;
        const int r = ProcesModemReady(kAdvance, 0, static_cast<int>(frequency()), kRangedLevel);
        if (r == 0) {
            decodeUpstream = true;
            SetModemStatus(MODEM_STATUS_RANGING_COMPLETE);
            step = 6;
        } else if (r >= kSynchronizedLevel && r <= kOperationalLevel) {
            SetModemStatus(MODEM_STATUS_RANGING_IN_PROGRESS);
            step = 6;
            result = MODEM_STEP_STAGE_DONE;
        } else if (r == -1) {
            step = 1001;
        } else if (r == MODEM_STEP_RESTARTING) {
            result = r;
        }
        ++polls;
        return result;
    }
    case 5: {
        const int r = GetCMStatus(kAdvance, kStatePollMs);
        if (r == kNotSynchronizedLevel) {
            // Not synchronised: the state is asked again at once.
            GetCMStatus(kAdvance, kStatePollMs);
            return MODEM_STEP_STAGE_DONE;
        }
        if (r >= kRangedLevel) {
            decodeUpstream = true;
            SetModemStatus(MODEM_STATUS_RANGING_COMPLETE);
            step = 6;
        } else if (r >= kSynchronizedLevel) {
            decodeUpstream = false;
            SetModemStatus(MODEM_STATUS_RANGING_IN_PROGRESS);
            step = 6;
        } else if (r == -1) {
            step = 1002;
        } else {
            return kBusy;
        }
        return MODEM_STEP_STAGE_DONE;
    }
    case 6:
        decodificaDownstream(0, 0);
        SetModemProcess(MODEM_PROCESS_DOWNSTREAM);
        step = 7;
        return MODEM_STEP_STAGE_DONE;
    case 7: {
        const int r = decodificaDownstream(kAdvance, 0);
        if (r == 0) {
            step = 8;
            return MODEM_STEP_STAGE_DONE;
        }
        if (r == -1)
            step = 1003;
        return kBusy;
    }
    case 8:
        SetModemProcess(MODEM_PROCESS_BER);
        step = 9;
        return MODEM_STEP_STAGE_DONE;
    case 9: {
        if (decodificaBer(0) != 0) {
            step = 1004;
            return kBusy;
        }
        const PhyChannel& p = GetPhyPointer()[0];
        if (measured(p.frequency) && measured(p.symbolRate))
            report(&MesuraCM::phyChanged, phyChannelMap30(0));
        step = decodeUpstream ? 10 : 0;
        return MODEM_STEP_REPORTED;
    }
    case 10:
        SetModemProcess(MODEM_PROCESS_UPSTREAM);
        decodificaUpstream(0);
        step = 11;
        return MODEM_STEP_STAGE_DONE;
    case 11: {
        const int r = decodificaUpstream(kAdvance);
        if (r == 0) {
            const QVariantList ups = upstreamChannelList30(false);
            if (ups.isEmpty()) {
                step = 0;
            } else {
                report(&MesuraCM::upsChanged, ups);
                step = 100;
            }
            return MODEM_STEP_REPORTED;
        }
        if (r == -1)
            step = 1005;
        return kBusy;
    }
    case 100:
        step = 0;
        return 0;
    default:
        qDebug().nospace() << "procesRanging ERROR: " << step;
        step = -2;
        return -1;
    }
}
