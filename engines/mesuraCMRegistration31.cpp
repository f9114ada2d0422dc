// DOCSIS 3.1 registration and ranging (measure codes 71, 74, 70, 75): the modem is told to
// register or to range, on the engine's channel or finding its downstream by itself, and
// then, for as long as it keeps an accepted state, its channels, levels and addresses are
// reported again and again. 60 s without an accepted state end the procedure; the run
// loop then starts it over. A ranging or a registration on the engine's channel that leaves
// the modem unsynchronised all that time tells that there is no SC-QAM channel at its
// frequency. A step's text goes to the screens only while the test runs: once stopped, it
// would stand over the screen that follows.
#include "mesuraCM.h"

#include "cablemodem/modemExchange.h"

#include <QDebug>

namespace {
constexpr const char* kPrompt = "mainMenu>";
constexpr int kRegisteringSettleMs = 12000;
constexpr int kRangingSettleMs = 10000;

const QStringList& rangedStates()
{
    static const QStringList states = {"RANGING_COMPLETE",         "DHCPV4_IN_PROGRESS",
                                       "DS_TOPOLOGY_RESOLUTION_IN_PROGRESS", "US_PARAMETERS_ACQUIRED",
                                       "FORWARDING_DISABLED",      "REGISTRATION_IN_PROGRESS",
                                       "REGISTRATION_COMPLETE",    "OPERATIONAL"};
    return states;
}

const QStringList& addressedStates()
{
    static const QStringList states = {"DHCPV4_IN_PROGRESS",       "DS_TOPOLOGY_RESOLUTION_IN_PROGRESS",
                                       "US_PARAMETERS_ACQUIRED",   "FORWARDING_DISABLED",
                                       "REGISTRATION_IN_PROGRESS", "REGISTRATION_COMPLETE",
                                       "OPERATIONAL"};
    return states;
}

const QStringList& rangingStates()
{
    static const QStringList states = {"PHY_SYNCHRONIZED", "RANGING_COMPLETE", "RANGING_IN_PROGRESS",
                                       "DHCPV4_IN_PROGRESS"};
    return states;
}

const QStringList& rangingSignal31States()
{
    static const QStringList states = {"status is OPERATIONAL",        "status is PHY_SYNCHRONIZED",
                                       "status is RANGING_IN_PROGRESS", "status is DHCPV4_IN_PROGRESS",
                                       "status is FORWARDING_DISABLED", "status is RANGING_COMPLETE"};
    return states;
}
} // namespace

void MesuraCM::tellStep(const QString& text)
{
    if (isNonStopMesures())
        report(&MesuraCM::cm_status_information, text);
}

void MesuraCM::setUpModem31(const char* dhcp, unsigned long long timeoutMs)
{
    for (const char* command : {dhcp, "docsis/rangemode 1\r", "docsis/findds 1\r"}) {
        modemPauseMs(200);
        envia_cadena_modem(command, kPrompt, timeoutMs);
    }
}

void MesuraCM::set_CM_for_AutomaticOFDM() { setUpModem31("docsis/dhcpmode 1\r", 1000); }

void MesuraCM::set_CM_for_REGISTERING() { set_CM_for_AutomaticOFDM(); }

void MesuraCM::set_CM_for_RANGING_PROCESS() { setUpModem31("docsis/dhcpmode 0\r", 5000); }

QString MesuraCM::noScQamChannel(unsigned hz, bool registering)
{
    const QString verdict = tr("No SC-QAM channel at %1 MHz").arg(hz / 1e6, 0, 'f', 2);
    // The registration screen has no frequency of its own to change.
    return registering ? verdict + '\n' + tr("Change the frequency on RANGING") : verdict;
}

QString MesuraCM::openingStep(unsigned hz, const QString& step, bool registering)
{
    return hz != 0 && hz == noScQamHz_ ? noScQamChannel(hz, registering) : step;
}

void MesuraCM::tellIfNoScQamChannel(unsigned hz, bool registering)
{
    if (isNonStopMesures() && findStatusCableModem_3_1({"NOT_SYNCHRONIZED"}) && isNonStopMesures()) {
        noScQamHz_ = hz;
        report(&MesuraCM::cm_status_information, noScQamChannel(hz, registering));
    }
}

void MesuraCM::registerAndReport31(bool tune)
{
    // Without a tune the modem finds its downstream by itself: no frequency of ours to blame.
    const unsigned hz = tune ? frequency() : 0;
    const QString opening = openingStep(hz, tr("Start Registering CM"), true);
    getModemReady_31();
    set_CM_for_Reset_OFDM();
    tellStep(opening);
    envia_cadena_modem(tune ? "docsis/setDiplexer 1\r" : "docsis/setDiplexer 2\r", kPrompt, 1000);
    set_CM_for_REGISTERING();
    if (tune)
        tuneDocsis31();
    modemPauseMs(kRegisteringSettleMs);
    pollStates31(
        registeringStates31(),
        [this] {
            noScQamHz_ = 0;
            load_register_params_31_signal_31();
        },
        [this, &opening] {
            if (!isNonStopMesures())
                return;
            report(&MesuraCM::cm_status_information, opening);
            report(&MesuraCM::restartMeasurements);
        });
    if (tune)
        tellIfNoScQamChannel(hz, true);
}

void MesuraCM::mesura_on_channel_registrat_31() { registerAndReport31(true); }

void MesuraCM::mesura_on_channel_registrat_31_signal_31()
{
    qDebug() << "mesura_on_channel_registrat_31_signal_31: ";
    m_dades_31.insert("locked", false);
    report(&MesuraCM::s_send_dades_iq, m_dades_31);
    registerAndReport31(false);
}

void MesuraCM::load_register_params_31_signal_31()
{
    tellStep(tr("Registering decoding DOWN"));
    if (findStatusCableModem_3_1(registeringStates31()) && isNonStopMesures()) {
        const bool answered = envia_cadena_modem("docsis/Debug/dsstatus\r", kPrompt, 3000);
        qDebug() << "entramos: ";
        if (answered)
            decodeDsstatus_3_1(getStringBufferTrames());
    }
    tellStep(tr("Registering decoding UP"));
    if (findStatusCableModem_3_1(rangedStates()) && isNonStopMesures()
        && envia_cadena_modem("docsis/Debug/usstatus\r", kPrompt, 3000))
        decodeUsstatus_3_1(getStringBufferTrames());
    if (findStatusCableModem_3_1(addressedStates()) && isNonStopMesures()) {
        report(&MesuraCM::cm_status_information, tr("Getting IP CM"));
        if (envia_cadena_modem("docsis/ipcable\r", kPrompt, 3000))
            decodeIP_list_31(getStringBufferTrames());
    }
}

void MesuraCM::mesura_ranging_31()
{
    m_dades_iq.insert("locked", false);
    report(&MesuraCM::s_send_dades_iq, m_dades_iq);
    getModemReady_31();
    set_CM_for_Reset_OFDM();
    envia_cadena_modem("docsis/setDiplexer 1\r", kPrompt, 1000);
    set_CM_for_RANGING_PROCESS();
    const unsigned hz = frequency();
    tellStep(openingStep(hz, tr("Start Ranging CM"), false));
    tuneDocsis31();
    modemPauseMs(kRangingSettleMs);
    pollStates31(rangingStates(), [this] {
        noScQamHz_ = 0;
        tellStep(tr("Start Ranging CM"));
        load_IQ_params(0);
        if (envia_cadena_modem("docsis/Debug/usstatus\r", kPrompt, 2000) && isNonStopMesures())
            decodeUsstatus_3_1(getStringBufferTrames());
    });
    tellIfNoScQamChannel(hz, false);
}

void MesuraCM::mesura_ranging_31_signal_31()
{
    m_dades_31.insert("locked", false);
    report(&MesuraCM::s_send_dades_iq, m_dades_31);
    getModemReady_31();
    set_CM_for_Reset_OFDM();
    tellStep(tr("Start Ranging CM"));
    envia_cadena_modem("docsis/Debug/clearNvramDsUsFreqDb\r", "", 1000);
    envia_cadena_modem("docsis/setDiplexer 2\r", kPrompt, 1000);
    set_CM_for_RANGING_PROCESS();
    modemPauseMs(kRangingSettleMs);
    pollStates31(rangingSignal31States(), [this] { load_ranging_params_31_signal_31(); });
}

void MesuraCM::load_ranging_params_31_signal_31()
{
    tellStep(tr("Ranging decoding DOWN"));
    m_dades_31.clear();
    const int channel = ofdmChannelSetting();
    if (findStatusCableModem_3_1(registeringStates31()) && isNonStopMesures()) {
        const QVariantMap info = decodeDsOfdmInfo_3_1(channel);
        if (info.size() > 5 && isNonStopMesures()) {
            m_dades_31 = info;
            report(&MesuraCM::s_send_dades_31, m_dades_31);
        }
    }
    tellStep(tr("Ranging decoding UP"));
    if (envia_cadena_modem("docsis/Debug/usstatus\r", kPrompt, 2000) && isNonStopMesures())
        decodeUsstatus_3_1(getStringBufferTrames());
}
