// The modem information test (measure code 63): the DOCSIS 3.1 modem's vendor report, or
// the DOCSIS 3.0 modem's MAC address and firmware read by a step machine; and the loads
// of an SC-QAM channel's parameters, the upstream table and the IP list.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemDecoders31.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemStores.h"

#include "services/hardware.h"

namespace {
constexpr int kBusy = 100;
constexpr int kAdvance = 64;
} // namespace

void MesuraCM::mesura_cm_information()
{
    getModemReady_31();
    if (HardwareModel::getInstance()->getDocsis31VersionHardware())
        decodeVendor_3_1();
    else
        procesImformation(kAdvance);
}

int MesuraCM::procesImformation(int mode)
{
    static int step = 0;
    if (mode == 0 || mode == 4) {
        step = 0;
        return kBusy;
    }
    modemPauseMs(50);
    switch (step) {
    case 0: {
        const int r = GetModemReady(kAdvance);
        if (r == 0)
            step = 1;
        else if (r == MODEM_STEP_RESTARTING)
            return r;
        else if (r == -1)
            step = 1000;
        return kBusy;
    }
    case 1:
        decodifica_MAC(0);
        step = 2;
        return kBusy;
    case 2: {
        // A reply not given in time: readiness again.
        const int r = decodifica_MAC(kAdvance);
        if (r == 0)
            step = 3;
        else if (r == -1)
            step = 0;
        return kBusy;
    }
    case 3:
        decodifica_VesionFirmware(0);
        step = 4;
        return kBusy;
    case 4: {
        const int r = decodifica_VesionFirmware(kAdvance);
        if (r == 0)
            step = 5;
        else if (r == -1)
            step = 0;
        return kBusy;
    }
    case 5:
        report(&MesuraCM::cm_information_mac, {{"cm_mac", QString::fromLatin1(GetAddressCMAC())},
                                 {"cm_firm_version", QString::fromLatin1(GetModemMeasures_CableModem_FW())}});
        step = 0;
        return 0;
    default:
        step = 0;
        return -1;
    }
}

QVariantMap MesuraCM::load_phy_params(int channel)
{
    if (channel < 0 || channel >= MODEM31_SCQAM_CHANNELS)
        return {};
    if (!envia_cadena_modem(QString("docsis/phystatus %1\r").arg(channel), "mainMenu>", 30000))
        return {};
    return phyStatus31(getStringBufferTrames(), channel);
}

void MesuraCM::load_IQ_params(int channel)
{
    const QVariantMap phy = decodeBe_3_1(channel, load_phy_params(channel));
    // A report cut short by a stop belongs to the test stopped, not to the one after it.
    if (isNonStopMesures())
        report(&MesuraCM::phy_3_0_Changed, phy);
}

void MesuraCM::load_Ups_params()
{
    const QVariantList channels = upstreamTable31(getStringBufferTrames());
    if (!channels.isEmpty())
        report(&MesuraCM::upsChanged, channels);
}

void MesuraCM::load_IP_list()
{
    const QVariantMap addresses = ipList31(getStringBufferTrames());
    if (!addresses.isEmpty())
        report(&MesuraCM::ipCableModemChanged, addresses);
}
