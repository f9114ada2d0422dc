// The stand-alone DOCSIS 3.0 registration machines: registration on the engine's frequency
// followed by the up/down sweep, registration followed by the IP report read in the
// modem's "docsis" menu, the IP report alone, and the pass that drives the first two.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include <QDebug>

namespace {
constexpr int kBusy = 100;
constexpr int kRestart = 0;
constexpr int kAdvance = 64;
constexpr int kStepPauseMs = 10;
constexpr int kStatePollMs = 5000;
constexpr int kNotSynchronizedLevel = 2000;
constexpr int kRegisteredLevel = 40000;

bool isStateLevel(int r) { return r >= kNotSynchronizedLevel && r < kRegisteredLevel; }

// Step -1 of the registration and IP report machines: the 3.0 modem made ready, then the
// step next; a failed readiness fails the machine.
int readinessStep(int& step, int next)
{
    const int r = GetModemReady(kAdvance);
    if (r == 0)
        step = next;
    else if (r == MODEM_STEP_RESTARTING)
        return r;
    else if (r == -1)
        step = 100;
    return kBusy;
}

// Steps -1 to 2 of both registration machines: the modem made ready, a first look at its
// state (registered already: straight on to step 4, answering registeredAnswer), then the
// tuning restarted. False for any other step.
bool registrationStart(int& step, int registeredAnswer, int* answer)
{
    switch (step) {
    case -1:
        *answer = readinessStep(step, 0);
        return true;
    case 0:
        GetCMStatus(0, 0);
        step = 1;
        *answer = registeredAnswer;
        return true;
    case 1: {
        const int r = GetCMStatus(kAdvance, kStatePollMs);
        *answer = kBusy;
        if (r == kRegisteredLevel) {
            step = 4;
            SetModemStatus(MODEM_STATUS_REGISTERED);
            *answer = registeredAnswer;
        } else if (r == -1) {
            step = 1000;
        } else if (r != kBusy) {
            step = 2;
        }
        return true;
    }
    case 2:
        ProcesModemReady(0, 0, 0, 0);
        step = 3;
        SetModemStatus(MODEM_STATUS_TUNING);
        *answer = kBusy;
        return true;
    default:
        return false;
    }
}

void restartUnlockedOnChannel()
{
    InicialitzacionsUnlockedOnChannel();
    SetModemStatus(MODEM_STATUS_STARTING);
    SetModemProcess(MODEM_PROCESS_START);
    GetModemReady(0);
}
} // namespace

int MesuraCM::procesRegistre30(int mode)
{
    static int step = -1;
    // The last state seen survives restarts.
    static int lastState = 0;
    auto restart = [&] {
        step = -1;
        InicialitzaMesuresRegistre30();
        SetModemStatus(MODEM_STATUS_STARTING);
        SetModemProcess(MODEM_PROCESS_START);
    };
    if (mode == 0 || mode == 4) {
        restart();
        return kBusy;
    }
    int answer = kBusy;
    if (registrationStart(step, MODEM_STEP_REPORTED, &answer))
        return answer;
    switch (step) {
    case 3: {
        modemPauseMs(300);
        const int r = ProcesModemReady(kAdvance, 1, static_cast<int>(frequency()), kRegisteredLevel);
        if (r == 0) {
            SetModemStatus(MODEM_STATUS_REGISTERED);
            step = 4;
            return MODEM_STEP_REPORTED;
        }
        if (r == -1) {
            step = 1001;
            return kBusy;
        }
        if (!isStateLevel(r) || r == lastState)
            return kBusy;
        if (r == kNotSynchronizedLevel) {
            if (lastState <= kNotSynchronizedLevel)
                return kBusy;
            // Synchronisation lost after progress: registration starts over.
            SetModemStatus(MODEM_STATUS_NOT_SYNCHRONIZED);
            SetModemProcess(MODEM_PROCESS_START);
            InicialitzaMesuresRegistre30();
            lastState = kNotSynchronizedLevel;
            step = -1;
            SetModemStatus(MODEM_STATUS_STARTING);
            return MODEM_STEP_REPORTED;
        }
        SetModemStatus(modemStatusOfLevel(r));
        lastState = r;
        return MODEM_STEP_STAGE_DONE;
    }
    default:
        if (registrationSweep(step, 0, &answer))
            return answer;
        return -1;
    }
}

int MesuraCM::mesuraOnChannelRegistrat(int mode)
{
    static int step = -1;
    static int lastState = 0;
    static uint64_t startMs = 0;
    if (mode == 0 || mode == 4) {
        step = -1;
        restartUnlockedOnChannel();
        return kBusy;
    }
    modemPauseMs(50);
    int answer = kBusy;
    if (registrationStart(step, MODEM_STEP_REGISTERED, &answer))
        return answer;
    switch (step) {
    case 3: {
        const int r = ProcesModemReady(kAdvance, 1, static_cast<int>(frequency()), kRegisteredLevel);
        if (isStateLevel(r)) {
            int result = kBusy;
            if (r != lastState) {
                lastState = r;
                if (r == kNotSynchronizedLevel) {
                    SetModemProcess(MODEM_PROCESS_START);
                    SetModemStatus(MODEM_STATUS_NOT_SYNCHRONIZED);
                    InicialitzacionsUnlockedOnChannel();
                    return MODEM_STEP_REGISTERED;
                }
                SetModemStatus(modemStatusOfLevel(r));
                result = MODEM_STEP_STAGE_DONE;
            }
            startMs = modemTicksMs();
            step = 20;
            return result;
        }
        if (r == 0) {
            SetModemStatus(MODEM_STATUS_REGISTERED);
            step = 4;
            return MODEM_STEP_REGISTERED;
        }
        if (r == -1)
            step = 1001;
        else if (r == MODEM_STEP_RESTARTING || r == MODEM_STEP_PASSED_ON)
            return r;
        return kBusy;
    }
    case 20:
        if (modemTimeOver(startMs, 1000))
            step = 3;
        return kBusy;
    case 4:
        awaitAndSend("docsis>", "docsis\r", &startMs);
        step = 8;
        return kBusy;
    case 8:
        if (modemTimeOver(startMs, 1000)) {
            step = 1002;
        } else if (GetCondicio1()) {
            awaitAndSend("docsis>", "ip\r", &startMs);
            step = 10;
        }
        return kBusy;
    case 10:
        if (modemTimeOver(startMs, 5000)) {
            step = 1003;
        } else if (GetCondicio1()) {
            decodeIP();
            SetModemProcess(MODEM_PROCESS_IP);
            awaitAndSend("mainMenu>", "exit\r", &startMs);
            step = 11;
            return MODEM_STEP_REGISTERED;
        }
        return kBusy;
    case 11:
        if (modemTimeOver(startMs, 1000))
            step = 1004;
        else if (GetCondicio1())
            step = 14;
        return kBusy;
    default:
        if (reportWhenRegistered(step, startMs, false, &answer))
            return answer;
        mesuraOnChannelRegistrat(4);
        return -1;
    }
}

int MesuraCM::decodificaIpCableModemRegistrat(int mode)
{
    static int step = -1;
    static uint64_t startMs = 0;
    if (mode == 0 || mode == 4) {
        step = -1;
        restartUnlockedOnChannel();
        return kBusy;
    }
    switch (step) {
    case -1:
        return readinessStep(step, 4);
    case 4:
        awaitAndSend("mainMenu>", "docsis/ip\r", &startMs);
        step = 10;
        return kBusy;
    case 10:
        if (modemTimeOver(startMs, 5000)) {
            step = 1003;
        } else if (GetCondicio1()) {
            decodeIP();
            SetModemProcess(MODEM_PROCESS_IP);
            step = 14;
            return MODEM_STEP_REGISTERED;
        }
        return kBusy;
    default: {
        int answer = kBusy;
        if (reportWhenRegistered(step, startMs, true, &answer))
            return answer;
        qDebug().nospace() << "decodificaIpCableModemRegistrat: " << step;
        step = -1;
        return -1;
    }
    }
}

bool MesuraCM::reportWhenRegistered(int& step, uint64_t& startMs, bool givesUp, int* answer)
{
    *answer = kBusy;
    switch (step) {
    case 14:
        GetCMStatus(0, 0);
        step = 15;
        modemPauseMs(2000);
        startMs = modemTicksMs();
        return true;
    case 15: {
        const int r = GetCMStatus(kAdvance, kStatePollMs);
        if (r == kBusy) {
            modemPauseMs(100);
        } else if (r == kRegisteredLevel) {
            step = 14;
            report(&MesuraCM::ipCableModemChanged, ipInformation30());
            *answer = 0;
        } else if (r == kNotSynchronizedLevel) {
            step = 1006;
        } else if (givesUp && modemTimeOver(startMs, 30000)) {
            step = 1003;
            *answer = -100;
        }
        return true;
    }
    default:
        return false;
    }
}

void MesuraCM::mesura_on_channel_registrat()
{
    static unsigned tunedHz = 0;
    if (!isNonStopMesures())
        return;
    const int code = measureCode();
    const unsigned hz = takeFrequencySetting();
    if (code != previousMeasureCode_)
        tunedHz = 0;
    if (hz == tunedHz) {
        procesRegistre30(kRestart);
        int r = kBusy;
        while (isNonStopMesures() && r != 0 && r != -1) {
            r = procesRegistre30(kAdvance);
            modemPauseMs(kStepPauseMs);
        }
        if (r == -1) {
            resetCableModem_3_1();
            waitCableModem_ON();
        } else if (r == 0) {
            r = kBusy;
            while (isNonStopMesures() && r != 0) {
                r = mesuraOnChannelRegistrat(kAdvance);
                modemPauseMs(kStepPauseMs);
            }
            // Stopped or changed meanwhile: the new choice stands.
            if (r == 0)
                aturar();
        }
    } else {
        getModemReady_31();
        setModemModes30(1, 1, 1, 2000);
        tunedHz = sintonizarTuner30(hz) ? hz : 0;
        report(&MesuraCM::phyChanged, newTuneMap30());
    }
    previousMeasureCode_ = code;
}
