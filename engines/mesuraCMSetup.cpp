// The engine's modem set-up commands, its single-report queries, the paced 3.0 tuning
// and the walk over the registration records. Each command awaits the modem's prompt.
#include "mesuraCM.h"

#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemStores.h"

namespace {
constexpr const char* kPrompt = "mainMenu>";
constexpr int kSetupPauseMs = 200;
constexpr uint64_t kTunePacingMs = 5000;
constexpr int kBusy = 100;
} // namespace

void MesuraCM::set_CM_for_DS_ANALYSIS()
{
    for (const char* command : {"docsis/dhcpmode 0\r", "docsis/rangemode 0\r", "docsis/findds 1\r"}) {
        modemPauseMs(kSetupPauseMs);
        envia_cadena_modem(command, kPrompt, 5000);
    }
}

void MesuraCM::enableModemLogger()
{
    for (const char* command :
         {"logger/AllModulesConfig 1 0\r", "logger/ModuleConfig 1 23 1\r", "logger/ModuleConfig 1 26 1\r",
          "logger/AllDebugModulesConfig 1 0\r", "logger/ModuleConfig 1 13 1\r", "logger/ModuleConfig 1 15 1\r",
          "logger/ModuleConfig 1 18 1\r", "logger/ModuleConfig 1 21 1\r", "logger/DebugModulesConfig 1 13 1\r",
          "logger/DebugModulesConfig 1 15 1\r", "logger/DebugModulesConfig 1 21 1\r", "logger/ComponentConfig 1 1\r",
          "logger/list\r", "logger/enable\r"})
        envia_cadena_modem(command, kPrompt, 1000);
}

int MesuraCM::set_CM_to_2_0_aux(int)
{
    for (const char* command :
         {"docsis/Debug/SetDebugOption 3 1\r", "docsis/Debug/SetDebugOption 42 1\r",
          "docsis/Debug/SetDebugOption 43 1\r", "docsis/Debug/SetDebugOption 46 1\r"})
        envia_cadena_modem(command, kPrompt, 5000);
    return 0;
}

bool MesuraCM::decodificaDocsisMode_30()
{
    const bool prompt = envia_cadena_modem("docsis/docsismode\r", kPrompt, 2000) != 0;
    if (prompt)
        DecodeDocsisMode();
    return prompt;
}

int MesuraCM::decodificaDocsisMode_31() { return envia_cadena_modem("docsis/Debug/GetDocsisMode\r", kPrompt, 2000); }

int MesuraCM::vendedor_aux(int)
{
    envia_cadena_modem("doc/vendor\r", kPrompt, 30000);
    return 0;
}

int MesuraCM::decodificaBer(int i)
{
    if (!envia_cadena_modem(QString::asprintf("berstatus %d %d\r", i, 3), kPrompt, 5000))
        return -1;
    return decodeBer(i) ? 0 : -1;
}

int MesuraCM::sintonizarTuner30(unsigned freq)
{
    // The pacing starts at the first call, which therefore never tunes.
    static bool paced = false;
    static uint64_t lastMs = 0;
    if (!paced) {
        paced = true;
        lastMs = modemTicksMs();
    }
    if (modemTicksMs() - lastMs < kTunePacingMs)
        return 0;
    const int tuned
        = envia_cadena_modem(QString::asprintf("go %.2f\r", freq * 1e-6), "pcd: Rule DOCSIS_SNMPAGENT: Succes", 12000);
    lastMs = modemTicksMs();
    return tuned;
}

int MesuraCM::procesMesuraRegistre30(int run)
{
    static int index = 0;
    static int step = 0;
    if (run == 0) {
        index = 0;
        step = 0;
        return kBusy;
    }
    const int last = PHY_CHANNELS - 1;
    switch (step) {
    case 0:
        if (GetPhyPointer()[index].frequency != 0) {
            step = 1;
            return kBusy;
        }
        SetMesuresRegistre30(index, UNMEASURED);
        if (index < last) {
            ++index;
            return kBusy;
        }
        return 0;
    case 1:
        if (index < last) {
            ++index;
            step = 0;
            return kBusy;
        }
        return 0;
    default:
        return kBusy;
    }
}
