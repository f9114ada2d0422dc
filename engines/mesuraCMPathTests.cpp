// The frame the VoIP test (measure code 64) and the IPTV test (code 65) share: each pass
// either sets the test up (the modem ready and in an accepted state) or advances the test's
// machine, which makes sure the modem is registered on the engine's frequency, runs the path
// test (pings over a UGS flow, a route trace over an rtPS flow) and then watches the
// registration.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemPathTests.h"
#include "cablemodem/modemStores.h"


namespace {

constexpr int kBusy = 100;
constexpr int kAdvance = 64;
constexpr int kFullReset = 4;
constexpr int kRestartEnabled = 72;
constexpr int kNotSynchronized = 2000;
constexpr int kOperational = 40000;
constexpr int kStatePollMs = 5000;
constexpr int kWatchPeriodMs = 2000;

// The IPTV machine's answer once the trace has been started.
constexpr int kTraceStarted = 1732;

bool registered(int status)
{
    return status == MODEM_STATUS_REGISTERED || status == MODEM_STATUS_REGISTERED_NO_INTERNET;
}

} // namespace

// One test of the frame: what tells the two apart, and its state between passes.
struct MesuraCM::PathTest {
    QString startText;
    int (MesuraCM::*pathMachine)(int);
    int registeredAnswer;   // at step 1, registration found
    int lostSyncAnswer;     // at step 3, synchronisation lost
    int pathProcess;        // the process code of the path test
    int pathStartedAnswer;
    int unregisteredStatus; // posted after the path test when registration was lost
    bool reportsEachStep;   // the VoIP test posts its process code on every ping reply
    void (*resetResults)();
    void (*emitReset)(MesuraCM&);

    int step = -1;
    bool enabled = true;
    int lastState = 0;
    uint64_t startMs = 0;
    bool setUp = false;
    unsigned setUpHz = 0;
};

MesuraCM::PathTest& MesuraCM::voipTest()
{
    static MesuraCM::PathTest test{
        "Start VoIP process", &MesuraCM::mesurarPingUGS, MODEM_STEP_STAGE_DONE, MODEM_STEP_STAGE_DONE,
        MODEM_PROCESS_PING, MODEM_STEP_STAGE_DONE, MODEM_STATUS_VOIP_UNREGISTERED, true, InicialitzarMesuresVoIP,
        [](MesuraCM& m) { m.report(&MesuraCM::ping_UGS_Changed, QVariantMap{{"reset", true}}); }};
    return test;
}

MesuraCM::PathTest& MesuraCM::iptvTest()
{
    static MesuraCM::PathTest test{
        "Start IPTV process", &MesuraCM::mesurarTraceRPTS, MODEM_STEP_REGISTERED, MODEM_STEP_PATH_TAKEN, MODEM_PROCESS_TRACE,
        kTraceStarted, MODEM_STATUS_ERROR, false, InicialitzarMesuresIPTV,
        [](MesuraCM& m) { m.report(&MesuraCM::node_IPTV_Changed, QVariantList()); }};
    return test;
}

void MesuraCM::mesura_VoIP() { passPathTest(voipTest()); }
void MesuraCM::mesura_IPTV() { passPathTest(iptvTest()); }
int MesuraCM::mesuraOnChannelVoIP(int mode) { return advancePathTest(voipTest(), mode); }
int MesuraCM::mesuraOnChannelIPTV(int mode) { return advancePathTest(iptvTest(), mode); }

void MesuraCM::passPathTest(PathTest& test)
{
    static const QStringList accepted = {"TOD_ESTABLISHED", "FORWARDING_DISABLED", "OPERATIONAL"};
    const int code = measureCode();
    const unsigned hz = takeFrequencySetting();
    if (code != previousMeasureCode_)
        test.setUp = false;
    if (test.setUp && hz == test.setUpHz) {
        if (isNonStopMesures()) {
            const int r = advancePathTest(test, kAdvance);
            if (r == 0) {
                // The test is over; a new start sets it up afresh.
                test.setUp = false;
                aturar();
                report(&MesuraCM::cm_status_information, QString());
            } else if (r == -1) {
                test.setUp = false;
                report(&MesuraCM::cm_status_information, "ERROR");
                test.emitReset(*this);
            }
        }
    } else {
        getModemReady_31();
        test.setUp = findStatusCableModem_3_1(accepted) || awaitRegistration(accepted);
        test.setUpHz = hz;
        if (test.setUp) {
            report(&MesuraCM::cm_status_information, test.startText);
        } else if (isNonStopMesures()) {
            // Stopped meanwhile, the test chosen in its place is left to run.
            aturar();
            report(&MesuraCM::cm_status_information, "CM NO OPERATIONAL");
            test.emitReset(*this);
        }
    }
    previousMeasureCode_ = code;
}

bool MesuraCM::awaitRegistration(const QStringList& accepted)
{
    // A modem just restarted (its input changed, or it did not answer) registers again by
    // itself: it is waited for, as long as the 3.1 tests wait for a state, before the test
    // gives it up.
    tellStep(tr("Waiting for CM registration"));
    const uint64_t start = modemTicksMs();
    while (isNonStopMesures() && !modemTimeOver(start, kGiveUpMs31)) {
        if (findStatusCableModem_3_1(accepted))
            return isNonStopMesures();
    }
    return false;
}

int MesuraCM::advancePathTest(PathTest& test, int mode)
{
    if (mode == kFullReset || mode == kRestartEnabled || mode == 0) {
        test.resetResults();
        SetModemProcess(MODEM_PROCESS_START);
        if (mode == kFullReset) {
            SetModemStatus(MODEM_STATUS_STARTING);
            test.step = -1;
        } else {
            test.enabled = mode == kRestartEnabled;
            test.step = 0;
        }
        return kBusy;
    }
    modemPauseMs(20);
    switch (test.step) {
    case -1: {
        const int r = GetModemReady(kAdvance);
        if (r == 0)
            test.step = 0;
        else if (r == MODEM_STEP_RESTARTING)
            return r;
        else if (r == -1)
            test.step = 1000;
        return kBusy;
    }
    case 0:
        GetCMStatus(0, 0);
        test.step = 1;
        return MODEM_STEP_PATH_TAKEN;
    case 1: {
        const int r = GetCMStatus(kAdvance, kStatePollMs);
        if (r == kBusy)
            return kBusy;
        if (r == kOperational) {
            SetModemStatus(MODEM_STATUS_REGISTERED);
            test.step = 4;
            return test.registeredAnswer;
        }
        test.step = r == -1 ? 1000 : 2;
        return kBusy;
    }
    case 2:
        ProcesModemReady(0, 0, 0, 0);
        test.step = 3;
        SetModemStatus(MODEM_STATUS_TUNING);
        return kBusy;
    case 3: {
        // Registered on the channel the screens chose, never on a frequency of nothing.
        const int r = ProcesModemReady(kAdvance, 1, static_cast<int>(frequency()), kOperational);
        if (r >= kNotSynchronized && r < kOperational) {
            int result = kBusy;
            if (r != test.lastState) {
                test.lastState = r;
                if (r == kNotSynchronized) {
                    SetModemStatus(MODEM_STATUS_NOT_SYNCHRONIZED);
                    SetModemProcess(MODEM_PROCESS_START);
                    return test.lostSyncAnswer;
                }
                SetModemStatus(modemStatusOfLevel(r));
                result = MODEM_STEP_STAGE_DONE;
            }
            modemPauseMs(1000);
            return result;
        }
        if (r == 0) {
            SetModemStatus(MODEM_STATUS_REGISTERED);
            SetModemProcess(MODEM_PROCESS_REGISTERED);
            test.step = 4;
            return MODEM_STEP_STAGE_DONE;
        }
        if (r == -1)
            test.step = 1001;
        if (r == MODEM_STEP_RESTARTING || r == MODEM_STEP_PASSED_ON)
            return r;
        return kBusy;
    }
    case 4:
        if (!test.enabled) {
            SetModemProcess(MODEM_PROCESS_NO_PATH_TEST);
            test.step = 10;
            return MODEM_STEP_STAGE_DONE;
        }
        (this->*test.pathMachine)(0);
        test.resetResults();
        SetModemProcess(test.pathProcess);
        test.step = 8;
        return test.pathStartedAnswer;
    case 8: {
        const int r = (this->*test.pathMachine)(kAdvance);
        if (r == MODEM_STEP_PATH_TAKEN) {
            if (test.reportsEachStep)
                SetModemProcess(test.pathProcess);
            return r;
        }
        if (r == MODEM_STEP_PATH_DONE) {
            test.step = 9;
            return test.reportsEachStep ? kBusy : r;
        }
        return kBusy;
    }
    case 9:
        if (!registered(GetModemStatus()))
            SetModemStatus(test.unregisteredStatus);
        SetModemProcess(MODEM_PROCESS_PATH_DONE);
        test.step = 10;
        return MODEM_STEP_PATH_TAKEN;
    case 10:
        test.step = 11;
        test.enabled = false;
        GetCMStatus(0, 0);
        test.startMs = modemTicksMs();
        return 0;
    case 11:
        if (modemTimeOver(test.startMs, kWatchPeriodMs)) {
            const int r = GetCMStatus(kAdvance, kStatePollMs);
            if (r == kOperational) {
                test.startMs = modemTicksMs();
                test.step = 10;
            } else if (r == kNotSynchronized) {
                test.step = 1006;
            }
        }
        return kBusy;
    default:
        advancePathTest(test, kFullReset);
        return -1;
    }
}
