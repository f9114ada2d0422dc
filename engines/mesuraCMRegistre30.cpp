// DOCSIS 3.0 registration with its report (measure code 61): the modem is put into its
// registering modes and tuned, its channels are decoded once it is on its way, and once it
// is registered its IP addresses are read and reported; then the test stops itself. A
// modem never on its way tells that there is no SC-QAM channel at the frequency.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include <QDebug>

namespace {
constexpr int kAdvance = 64;
// Between two steps of a machine driven to its end: the replies come meanwhile.
constexpr int kStepPauseMs = 10;
constexpr int kRegistrationLimitMs = 45000;
constexpr int kReportLimitMs = 30000;
} // namespace

void MesuraCM::mesura_on_channel_registrat_CM_30()
{
    const QString opening = openingStep(frequency(), tr("Start Registering CM"), true);
    getModemReady_31();
    report(&MesuraCM::cm_status_information, opening);
    report(&MesuraCM::phyChanged, newTuneMap30());
    const int registered = procesRegistre_CM_30();
    if (registered == -200)
        tellIfNoScQamChannel(frequency(), true);
    if (registered != 0)
        return;
    if (decodificaIpCableModemRegistrat_CM_30() != 0)
        return;
    aturar();
}

int MesuraCM::procesRegistre_CM_30()
{
    static const QStringList accepted = {"PHY_SYNCHRONIZED",    "RANGING_IN_PROGRESS", "RANGING_COMPLETE",
                                         "FORWARDING_DISABLED", "DHCPV4_IN_PROGRESS",  "TOD_ESTABLISHED",
                                         "OPERATIONAL"};
    const unsigned hz = takeFrequencySetting();
    getModemReady_31();
    setModemModes30(1, 1, 1, 2000);
    sintonizarTuner30(hz);
    decodificaUpDownSencer_30(0);
    const uint64_t start = modemTicksMs();
    int result = -1;
    while (isNonStopMesures()) {
        if (!findStatusCableModem_3_1(accepted)) {
            if (modemTimeOver(start, kRegistrationLimitMs)) {
                qDebug().nospace() << "salimos por tiempo mesura_on_channel_registrat_31_kk "
                                   << modemTicksMs() - start;
                return -200;
            }
            continue;
        }
        noScQamHz_ = 0;
        report(&MesuraCM::cm_status_information, tr("Decoding UP/DOWN CM"));
        while (isNonStopMesures()) {
            result = decodificaUpDownSencer_30(kAdvance);
            if (result == 0 || result == -1 || result == -200)
                return result;
            modemPauseMs(kStepPauseMs);
        }
    }
    return result;
}

int MesuraCM::decodificaIpCableModemRegistrat_CM_30()
{
    static const QStringList beforeReport = {"FORWARDING_DISABLED", "CONFIG_FILE_DOWNLOAD_COMPLETE",
                                             "TOD_ESTABLISHED", "OPERATIONAL"};
    static const QStringList registered = {"TOD_ESTABLISHED", "FORWARDING_DISABLED", "OPERATIONAL"};
    const uint64_t start = modemTicksMs();
    report(&MesuraCM::cm_status_information, tr("Getting IP CM"));
    // A report of an earlier registration is not this one's.
    InicialitzarMesuresIp();
    SetModemMeasuresIp_CableModem_Mac("");
    bool read = false;
    for (;;) {
        if (!isNonStopMesures())
            return -1;
        if (!findStatusCableModem_3_1(beforeReport)) {
            if (modemTimeOver(start, kReportLimitMs)) {
                qDebug().nospace() << "salimos por tiempo decodificaIpCableModemRegistrat_CM_30 "
                                   << modemTicksMs() - start;
                return -200;
            }
            continue;
        }
        if (!read) {
            if (envia_cadena_modem("docsis/ip\r", "mainMenu>", 2000)) {
                decodeIP();
                read = true;
            }
            continue;
        }
        modemPauseMs(1000);
        if (findStatusCableModem_3_1(registered)) {
            report(&MesuraCM::ipCableModemChanged, ipInformation30());
            report(&MesuraCM::cm_status_information, QString());
            return 0;
        }
    }
}
