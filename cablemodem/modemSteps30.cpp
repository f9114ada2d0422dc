#include "modemSteps30.h"

#include "cableModen.h"
#include "modemExchange.h"
#include "modemStores.h"

#include "store/screensvariables.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kBusy = 100;
constexpr int kStepTimeoutMs = 12000;
constexpr int kTuneTimeoutMs = 18000;
constexpr int kNotSynchronizedLimitMs = 20000;
constexpr int kNotSynchronized = 2000;
constexpr int kOperational = 40000;

enum ModeCommand { kRanging, kDhcp, kRegister };

// The modem modes of each tuning mode: ranging, DHCP and registration commands.
const char* const kModeCommands[3][3] = {
    {"rangemode 1", "dhcpmode 0", "register 0"},
    {"rangemode 1", "dhcpmode 1", "register 1"},
    {"rangemode 0", "dhcpmode 0", "register 0"},
};

// The burst's modulation code for each modulation value of the upstream screen; a value
// outside the table sends code 0.
const int kBurstModulation[8] = {2, 0, 4, 0, 0, 0, 3, 1};
constexpr int kBurstSymbolRates = 6;
// Transmit level of the burst, whole dBuV.
constexpr int kBurstLevelMin = 60;
constexpr int kBurstLevelMax = 120;

int burstModulation(int value) { return value >= 0 && value < 8 ? kBurstModulation[value] : 0; }

} // namespace

int sintonitzaFrequenciaCableModem(int run, int mode, int frequency)
{
    static int step = 0;
    static uint64_t startMs = 0;
    static int lastStatus = kBusy;
    static bool frequencyChange = false;
    static bool notSynchronizedTimer = false;
    static uint64_t notSynchronizedSinceMs = 0;
    static char command[100] = "";

    // A command of the step, closed with "\r", awaiting the prompt. A mode without a
    // command of that kind resends the previous text.
    auto sendStepCommand = [&](const char* text) {
        if (text)
            std::snprintf(command, sizeof command, "%s\r", text);
        SetCadenaAnalitzar1("mainMenu>");
        sendCommandCableModem(command);
        startMs = modemTicksMs();
    };
    auto modeCommand = [&](ModeCommand kind) -> const char* {
        return mode >= 0 && mode < 3 ? kModeCommands[mode][kind] : nullptr;
    };

    if (run == 0 || run == 4) {
        lastStatus = kBusy;
        step = 0;
        notSynchronizedTimer = false;
        if (run == 4)
            frequencyChange = true;
    }
    switch (step) {
    case 0:
        sendStepCommand("");
        step = 1;
        return kBusy;
    case 1:
    case 2:
    case 3:
        if (modemTimeOver(startMs, kStepTimeoutMs)) {
            step += 1000;
            return kBusy;
        }
        if (GetCondicio1()) {
            sendStepCommand(modeCommand(step == 1 ? kRanging : step == 2 ? kDhcp : kRegister));
            step = step < 3 ? step + 1 : frequencyChange ? 4 : 5;
        }
        return kBusy;
    case 4:
        if (modemTimeOver(startMs, kTuneTimeoutMs)) {
            step += 1000;
            return kBusy;
        }
        if (GetCondicio1()) {
            SetModemStatus(MODEM_STATUS_TUNING);
            std::snprintf(command, sizeof command, "go %.2f\r", frequency * 1e-6);
            SetCadenaAnalitzar1("pcd: Rule DOCSIS_SNMPAGENT: Success");
            SetCadenaAnalitzar2("mainMenu>");
            sendCommandCableModem(command);
            startMs = modemTicksMs();
            step = 5;
        }
        return kBusy;
    case 5:
        if (modemTimeOver(startMs, kStepTimeoutMs)) {
            step += 1000;
            return kBusy;
        }
        if (GetCondicio1() || GetCondicio2()) {
            sendStepCommand("");
            step = 6;
        }
        return kBusy;
    case 6:
        if (modemTimeOver(startMs, kStepTimeoutMs)) {
            step += 1000;
            return kBusy;
        }
        if (GetCondicio1()) {
            frequencyChange = false;
            GetCMStatus(0, 0);
            step = 7;
        }
        return kBusy;
    case 7: {
        const int r = GetCMStatus(64, 10000);
        if (r < kNotSynchronized || r > kOperational)
            return r;
        if (r == kNotSynchronized && lastStatus != kNotSynchronized) {
            notSynchronizedSinceMs = modemTicksMs();
            notSynchronizedTimer = true;
        } else if (notSynchronizedTimer) {
            if (r != kNotSynchronized) {
                notSynchronizedTimer = false;
            } else if (modemTimeOver(notSynchronizedSinceMs, kNotSynchronizedLimitMs)) {
                notSynchronizedTimer = false;
                step += 1000;
            }
        }
        lastStatus = r;
        return r;
    }
    default:
        frequencyChange = false;
        return -1;
    }
}

int mesuraSendUpstream(int run, double frequency)
{
    static int step = 0;
    static uint64_t startMs = 0;

    auto restart = [] {
        SetInicialitzat(0);
        SetModemStatus(MODEM_STATUS_RES);
        step = 0;
    };
    if (run == 0 || run == 4) {
        restart();
        return kBusy;
    }
    if (run == 15) {
        SetModemStatus(MODEM_STATUS_UPSTREAM_SETUP);
        step = 0;
    } else if (run != 64) {
        return -1;
    }
    switch (step) {
    case 0:
        SetModemStatus(MODEM_STATUS_STARTING);
        GetModemReady(0);
        step = 1;
        return MODEM_STEP_STAGE_DONE;
    case 1: {
        const int r = GetModemReady(64);
        if (r == 0) {
            step = 2;
            SetModemStatus(MODEM_STATUS_UPSTREAM_SETUP);
            return MODEM_STEP_STAGE_DONE;
        }
        if (r == -1)
            step = 1000;
        return kBusy;
    }
    case 2: {
        const QVariantMap settings = ScreensVariables::getInstance()->getScreensVariables();
        SetInicialitzat(1);
        char command[100];
        if (settings.value("rf_on").toInt() == 0) {
            std::snprintf(command, sizeof command, "burststop 0\r");
        } else {
            // Settings outside what the modem takes are held at its limits, so the gain code
            // never leaves the modem's range.
            const int level = std::clamp(settings.value("up_test_power").toInt() / 10, kBurstLevelMin, kBurstLevelMax);
            const int symbolRate = std::clamp(settings.value("up_test_symbolrate").toInt(), 0, kBurstSymbolRates - 1);
            std::snprintf(command, sizeof command, "upburst 0 %3.1f %d %d %d\r", frequency * 1e-6,
                          burstModulation(settings.value("up_test_modulation").toInt()), symbolRate,
                          CalculaGuany(level));
        }
        SetCadenaAnalitzar1("mainMenu>");
        sendCommandCableModem(command);
        startMs = modemTicksMs();
        step = 3;
        return kBusy;
    }
    case 3:
        if (modemTimeOver(startMs, 1000)) {
            step = 1001;
            return -1;
        }
        if (GetCondicio1()) {
            SetModemStatus(MODEM_STATUS_UPSTREAM_READY);
            step = 4;
            return MODEM_STEP_STAGE_DONE;
        }
        return kBusy;
    case 4:
        return 0;
    default:
        restart();
        return -1;
    }
}

int MesuraUpstreamEspectre(int run)
{
    static int step = 0;
    if (run == 0 || run == 4) {
        step = 1;
        return kBusy;
    }
    switch (step) {
    case 0:
        step = 1;
        return kBusy;
    case 1:
        return 0;
    case 100:
        return -1;
    default:
        return kBusy;
    }
}
