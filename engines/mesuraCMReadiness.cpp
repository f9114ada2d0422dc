// DOCSIS 3.1 readiness: when the modem's command line answers, restarting it when it
// does not, making sure it starts its command line by itself, and its state words.
#include "mesuraCM.h"

#include "services/hardware.h"
#include "cablemodem/cableModen.h"
#include "cablemodem/modemExchange.h"

#include <algorithm>

namespace {
constexpr int kMissesBeforeRestart = 21;
bool docsis31() { return HardwareModel::getInstance()->getDocsis31VersionHardware(); }
} // namespace

void MesuraCM::getModemReady_31()
{
    int misses = 0;
    for (;;) {
        if (envia_cadena_modem("\r", "mainMenu>", 500)) {
            SetModemStatusPower(MODEM_STATUS_POWER_ON);
            return;
        }
        SetModemStatusPower(MODEM_STATUS_POWER_OFF);
        if (getStringBufferTrames().contains('#')) {
            // A shell prompt: the modem's command line is not running.
            sendCommandCableModem("cli\r");
            if (docsis31())
                solucionSegmentationFault_31();
        }
        if (misses < kMissesBeforeRestart) {
            ++misses;
        } else {
            // The test waits a minute and a half for the restarted modem: its screen says why.
            tellStep(tr("Restarting CM"));
            resetCableModem_3_1();
            misses = 1;
        }
        // Stopped without an answer (even right after a restart whose wait assumed one):
        // the command line is not known to be ready.
        if (!isNonStopMesures()) {
            SetModemStatusPower(MODEM_STATUS_POWER_OFF);
            return;
        }
    }
}

void MesuraCM::waitCableModem_ON()
{
    // In slices, so that stopping the engine does not wait for the modem.
    const int waitMs = docsis31() ? 85000 : 40000;
    const uint64_t start = modemTicksMs();
    while (modemTicksMs() - start < static_cast<uint64_t>(waitMs) && !stopRequested())
        modemPauseMs(std::min<int>(100, waitMs - static_cast<int>(modemTicksMs() - start)));
    // Only a modem that is still powered with its line open has come up.
    const bool up = is_CableModem_ON() && isSerialPortCableModemOpen();
    SetModemStatusPower(up ? MODEM_STATUS_POWER_ON : MODEM_STATUS_POWER_OFF);
}

void MesuraCM::resetCableModem_3_1()
{
    power_OFF_CableModem();
    power_ON_CableModem();
    waitCableModem_ON();
}

int MesuraCM::solucionSegmentationFault_31()
{
    const int prompt = envia_cadena_modem("system/startup/show\r", "mainMenu>", 1000);
    const QString text = getStringBufferTrames();
    if (prompt && buscarStringRetornaValor("Automatic startup:", text).trimmed() == "Disabled") {
        envia_cadena_modem("system/startup/enable\r", "mainMenu>", 1000);
        if (!envia_cadena_modem("reboot\r", "reboot_request", 3000))
            resetCableModem_3_1();
    }
    return 0;
}

int MesuraCM::isModemReady_31()
{
    if (envia_cadena_modem("\r", "mainMenu>", 1000))
        return 0;
    if (!envia_cadena_modem("\r", "\n#", 1000))
        return 100;
    int result = 100;
    if (!envia_cadena_modem("cli\r", "mainMenu>", 1000)) {
        resetCableModem_3_1();
        result = -1;
    }
    if (docsis31())
        solucionSegmentationFault_31();
    return result;
}

bool MesuraCM::findStatusCableModem_3_1(QStringList states)
{
    modemPauseMs(1000);
    const int prompt = envia_cadena_modem("doc/cms\r", "mainMenu>", 2000);
    const QString text = getStringBufferTrames();
    if (!prompt) {
        if (text.contains("not found"))
            getModemReady_31();
        return false;
    }
    for (const QString& state : states) {
        if (text.contains(state))
            return true;
    }
    return false;
}

void MesuraCM::set_CM_for_Reset_OFDM()
{
    envia_cadena_modem("docsis/findds 0\r", "mainMenu>", 1000);
    envia_cadena_modem("docsis/General/rem 0\r", "mainMenu>", 100);
    const uint64_t start = modemTicksMs();
    modemPauseMs(5000);
    while (isNonStopMesures()) {
        if (findStatusCableModem_3_1({"NOT_SYNCHRONIZED"}))
            return;
        if (modemTicksMs() - start > 10000)
            return;
    }
}
