// The registration-state report and the DOCSIS 3.0 readiness, restart and
// ready-and-tuned step machines. Their state lives in statics and they are advanced
// from the engine thread only.
#include "cableModen.h"

#include "modemExchange.h"
#include "modemSteps30.h"

#include "hw/delay.h"

#include <cstring>

namespace {

struct StateWord {
    const char* word;
    int level;
    int internet; // -1: leaves Internet as it is
};

// In the order they are tried: the first word found decides.
const StateWord kStateWords[] = {
    {"OPERATIONAL", 40000, 1},
    {"PHY_SYNCHRONIZED", 5000, -1},
    {"DS_TOPOLOGY", 6000, -1},
    {"RANGING_IN_PROGRESS", 10000, -1},
    {"RANGING_COMPLETE", 15000, -1},
    {"DHCPV4_IN_PROGRESS", 20000, -1},
    {"DHCPV4_COMPLETE", 25000, -1},
    {"CONFIG_FILE_DOWNLOAD_COMPLETE", 35000, -1},
    {"NOT_SYNCHRONIZED", 2000, -1},
    {"FORWARDING_DISABLED", 40000, 0},
};

constexpr int kBusy = 100;
constexpr int kUnknown = -100;

} // namespace

int cmStateLevel(const char* report)
{
    for (const StateWord& s : kStateWords) {
        if (std::strstr(report, s.word)) {
            if (s.internet >= 0)
                SetInternet(s.internet);
            return s.level;
        }
    }
    return kUnknown;
}

int modemStatusOfLevel(int level)
{
    switch (level) {
    case 5000:
    case 6000: return MODEM_STATUS_PHY_SYNCHRONIZED;
    case 10000: return MODEM_STATUS_RANGING_IN_PROGRESS;
    case 15000: return MODEM_STATUS_RANGING_COMPLETE;
    case 20000: return MODEM_STATUS_DHCPV4_IN_PROGRESS;
    case 25000: return MODEM_STATUS_DHCPV4_COMPLETE;
    case 30000: return MODEM_STATUS_STATE_30000;
    case 35000: return MODEM_STATUS_CONFIG_FILE_DOWNLOAD_COMPLETE;
    default: return MODEM_STATUS_OTHER_STATE;
    }
}

int GetCMStatus(int run, int timeoutMs)
{
    static int step = 0;
    static uint64_t startMs = 0;
    static uint64_t firstStartMs = 0;
    if (run == 0) {
        step = 0;
        return kBusy;
    }
    switch (step) {
    case 0:
        awaitAndSend("mainMenu>", "\r", &startMs);
        firstStartMs = startMs;
        step = 1;
        return kBusy;
    case 1:
        if (modemTimeOver(startMs, timeoutMs))
            step = 1000;
        if (GetCondicio1()) {
            awaitAndSend("mainMenu", "doc/cms\r", &startMs);
            step = 2;
        }
        return kBusy;
    case 2: {
        if (modemTimeOver(startMs, timeoutMs))
            step = 1001;
        if (!GetCondicio1())
            return kBusy;
        const int level = cmStateLevel(GetBufferTrames());
        if (level != kUnknown)
            step = 3;
        return level;
    }
    case 3:
        if (modemTimeOver(firstStartMs, 2 * timeoutMs)) {
            step = 1003;
            return kBusy;
        }
        awaitAndSend("mainMenu>", "\r", &startMs);
        step = 1;
        return kBusy;
    default:
        step = 0;
        return kUnknown;
    }
}

int GetModemReady(int run)
{
    static int step = 0;
    static int misses = 0;
    static uint64_t startMs = 0;
    if (run == 0) {
        step = 0;
        misses = 0;
        return 0;
    }
    switch (step) {
    case 0:
        SetCadenaAnalitzar2("\n#");
        awaitAndSend("mainMenu>", "\r", &startMs);
        step = 1;
        return kBusy;
    case 1:
        delay(100);
        if (modemTimeOver(startMs, 500)) {
            getStringBufferTrames();
            SetModemStatusPower(MODEM_STATUS_POWER_OFF);
            ++misses;
            step = 0;
            if (misses > 20) {
                ResetModem(4);
                step = 102;
            }
        }
        if (GetCondicio1())
            step = 3;
        else if (GetCondicio2())
            step = 101;
        return kBusy;
    case 3:
        step = 0;
        misses = 0;
        SetModemStatusPower(MODEM_STATUS_POWER_ON);
        return 0;
    case 101:
        ResetModem(0);
        step = 102;
        return MODEM_STEP_RESTARTING;
    case 102: {
        const int r = ResetModem(64);
        if (r == 0) {
            step = 3;
            return kBusy;
        }
        if (r == -1) {
            step = 0;
            return -1;
        }
        return kBusy;
    }
    default:
        return kBusy;
    }
}

int ResetModem(int run)
{
    static int step = 0;
    static uint64_t startMs = 0;
    if (run == 4) {
        SetModemEnReset(1);
        SetModemStatus(MODEM_STATUS_RES);
        power_OFF_CableModem();
        power_ON_CableModem();
        delay(1000);
        step = 0;
        return kBusy;
    }
    if (run == 0) {
        SetModemEnReset(1);
        step = 3;
    }
    switch (step) {
    case 0:
        initBufTramesCableModem();
        SetCadenaAnalitzar1("pcd: Rule HT_APP_LASTRULE: Success.");
        startMs = modemTicksMs();
        step = 1;
        return kBusy;
    case 1:
        if (modemTimeOver(startMs, 40000) || GetCondicio1()) {
            awaitAndSend("#", "\r", &startMs);
            step = 2;
        }
        return kBusy;
    case 2:
        if (GetCondicio1())
            step = 3;
        else if (modemTimeOver(startMs, 2000))
            step = 1002;
        return kBusy;
    case 3:
        awaitAndSend("mainMenu>", "cli\r", &startMs);
        step = 4;
        return kBusy;
    case 4:
        if (GetCondicio1()) {
            SetModemEnReset(0);
            SetModemStatusPower(MODEM_STATUS_POWER_ON);
            return 0;
        }
        if (modemTimeOver(startMs, 2000))
            step = 1004;
        return kBusy;
    default:
        step = 0;
        SetModemEnReset(0);
        return -1;
    }
}

int ProcesModemReady(int run, int mode, int frequency, int minimumLevel)
{
    static int step = 0;
    static int lastFrequency = -1;
    static uint64_t startMs = 0;
    if (run == 0) {
        step = 0;
        GetModemReady(0);
        return 0;
    }
    switch (step) {
    case 0: {
        const int s = GetModemReady(64);
        if (s == 0) {
            if (frequency == lastFrequency) {
                GetCMStatus(0, 0);
                step = 2;
                startMs = modemTicksMs();
            } else {
                sintonitzaFrequenciaCableModem(4, mode, frequency);
                step = 3;
            }
        }
        if (s == MODEM_STEP_RESTARTING)
            return s;
        if (s == -1)
            step = 1000;
        return kBusy;
    }
    case 2: {
        if (modemTimeOver(startMs, 30000)) {
            sintonitzaFrequenciaCableModem(4, mode, frequency);
            step = 3;
            return kBusy;
        }
        const int r = GetCMStatus(64, 5000);
        if (r == kBusy || r > 40000)
            return kBusy;
        if (r >= minimumLevel) {
            step = 4;
            return MODEM_STEP_STAGE_DONE;
        }
        if (r == -1)
            step = 1001;
        return r;
    }
    case 3: {
        const int r = sintonitzaFrequenciaCableModem(64, mode, frequency);
        if (r <= 40000 && r >= minimumLevel) {
            step = 4;
            return r;
        }
        if (r == -1)
            step = 1002;
        return r;
    }
    case 4:
        lastFrequency = frequency;
        return 0;
    default:
        step = 0;
        return -1;
    }
}
