// The DOCSIS 3.1 downstream analysis: measure code 72 reports the tuned SC-QAM channel with
// its BER and the tuner's constellation; measure code 76 lets the modem find its downstream
// and reports the OFDM channel (power, RxMER average, deviation and 2nd percentile, PLC,
// NCP and profile codeword counts, response ripple) with its constellation.
#include "mesuraCM.h"

#include "cablemodem/modemDecoders31.h"
#include "cablemodem/modemExchange.h"

#include "store/screensvariables.h"

#include <QDebug>

#include <algorithm>

namespace {
constexpr const char* kPrompt = "mainMenu>";
constexpr int kSettleMs = 10000;
constexpr int kMerBlock = 500;
// Subcarrier indexes of a 4K or 8K FFT.
constexpr int kSubcarrierLimit = 8192;

const QStringList& synchronisedStates()
{
    static const QStringList states = {"PHY_SYNCHRONIZED", "RANGING_COMPLETE", "RANGING_IN_PROGRESS",
                                       "DHCPV4_IN_PROGRESS"};
    return states;
}
} // namespace

const QStringList& MesuraCM::registeringStates31()
{
    static const QStringList states = {"PHY_SYNCHRONIZED",
                                       "RANGING_IN_PROGRESS",
                                       "RANGING_COMPLETE",
                                       "DHCPV4_IN_PROGRESS",
                                       "DS_TOPOLOGY_RESOLUTION_IN_PROGRESS",
                                       "US_PARAMETERS_ACQUIRED",
                                       "FORWARDING_DISABLED",
                                       "REGISTRATION_IN_PROGRESS",
                                       "REGISTRATION_COMPLETE",
                                       "OPERATIONAL"};
    return states;
}

int MesuraCM::ofdmChannelSetting()
{
    return ScreensVariables::getInstance()->getScreensVariables().value("cable_modem_ofdm_ds").toInt() == 1 ? 1 : 0;
}

void MesuraCM::tuneDocsis31()
{
    const float mhz = static_cast<float>(frequency() * 1e-6);
    envia_cadena_modem(QString::asprintf("docsis/General/tune %.2f\r", mhz), kPrompt, 30000);
}

void MesuraCM::pollStates31(const QStringList& states, const std::function<void()>& accepted,
                            const std::function<void()>& missed)
{
    uint64_t since = modemTicksMs();
    while (isNonStopMesures()) {
        if (findStatusCableModem_3_1(states)) {
            accepted();
            since = modemTicksMs();
            continue;
        }
        if (missed)
            missed();
        if (modemTimeOver(since, kGiveUpMs31))
            return;
    }
}

void MesuraCM::mesura_cm_iq_31()
{
    m_dades_iq.insert("locked", false);
    report(&MesuraCM::s_send_dades_iq, m_dades_iq);
    getModemReady_31();
    set_CM_for_Reset_OFDM();
    set_CM_for_DS_ANALYSIS();
    tuneDocsis31();
    modemPauseMs(kSettleMs);
    pollStates31(synchronisedStates(), [this] {
        m_dades_iq.clear();
        load_IQ_params(0);
        load_IQ_points();
        m_dades_iq.insert("locked", true);
        report(&MesuraCM::s_send_dades_iq, m_dades_iq);
    });
}

void MesuraCM::mesura_cm_iq_31_signal_31()
{
    m_dades_31.insert("locked", false);
    report(&MesuraCM::s_send_dades_iq, m_dades_31);
    getModemReady_31();
    set_CM_for_Reset_OFDM();
    tellStep(tr("DS demod process"));
    envia_cadena_modem("docsis/Debug/clearNvramDsUsFreqDb\r", "", 1000);
    set_CM_for_DS_ANALYSIS();
    modemPauseMs(kSettleMs);
    pollStates31(registeringStates31(), [this] { load_IQ_params_31(); });
}

void MesuraCM::load_IQ_params_31()
{
    m_dades_31.clear();
    const int channel = ofdmChannelSetting();
    // Asked twice, each answer followed by a look at the stop.
    const bool once = findStatusCableModem_3_1(registeringStates31()) && isNonStopMesures();
    const bool twice = findStatusCableModem_3_1(registeringStates31()) && isNonStopMesures();
    const bool synchronised = once && twice;
    QVariantMap info;
    bool valid = false;
    if (synchronised) {
        bool unlocked = false;
        info = decodeDsOfdmInfo_3_1(channel, &unlocked);
        if (info.size() >= 6) {
            m_dades_31 = info;
            report(&MesuraCM::s_send_dades_31, m_dades_31);
            getCostellationOFDM(channel, 200);
            valid = true;
        } else if (unlocked) {
            // A synchronised modem without that OFDM channel will show no constellation of it:
            // the screen stops waiting for one and says so.
            report(&MesuraCM::s_send_dades_iq, QVariantMap{{"locked", false}, {"no_channel", true}});
        }
    }
    bool profilesRead = false;
    if (valid && envia_cadena_modem(QString("docsis/Fw/ds_phy/status/dsProfInfo %1\r").arg(channel), kPrompt, 30000)) {
        qDebug() << " trobat dsProfInfo: ";
        const QString reply = modemReplyLines(getStringBufferTrames());
        if (!ofdmChannelUnlocked(reply, channel)) {
            static const std::pair<const char*, const char*> rows[] = {
                {"plc", "PLC"},           {"ncp", "NCP"},           {"profileA", "profile1"},
                {"profileB", "profile2"}, {"profileC", "profile3"}, {"profileD", "profile4"}};
            for (const auto& [prefix, label] : rows)
                extreureCadenadsProfInfo_3_1(prefix, textBetween(reply, label, "\n"));
            report(&MesuraCM::s_send_dades_31, m_dades_31);
            profilesRead = true;
        }
    }
    decodeMer_3_1(channel, info.value("first_active_subcarrier").toString(),
                  info.value("last_active_subcarrier").toString());
    if (profilesRead && envia_cadena_modem(QString("docsis/Fw/ds_phy/status/getFreqResp %1\r").arg(channel), kPrompt, 30000)) {
        const QString reply = modemReplyLines(getStringBufferTrames());
        int thousandths = 0;
        if (!ofdmChannelUnlocked(reply, channel)) {
            if (frequencyResponse31(reply, "Amplitude RipplePkToPk =", &thousandths)) {
                m_dades_31.insert("icfr", QString::number(thousandths / 1000.0, 'f', 2));
                qDebug() << " Value ICFR: " << thousandths / 1000.0;
            }
            if (frequencyResponse31(reply, "RippleRms =", &thousandths)) {
                m_dades_31.insert("ripple_rms", QString::number(thousandths / 1000.0, 'f', 3));
                qDebug() << " RippleRms: " << thousandths / 1000.0;
            }
        }
    }
    report(&MesuraCM::s_send_dades_31, m_dades_31);
    if (isNonStopMesures())
        getCostellationOFDM(channel, 200);
    if (isNonStopMesures())
        getCostellationOFDM(channel, 200);
}

bool MesuraCM::decodeMer_3_1(int channel, QString first, QString last)
{
    bool firstOk = false;
    bool lastOk = false;
    const int f = first.toInt(&firstOk);
    const int l = last.toInt(&lastOk);
    // A range that is not one (the last at or below the first) has no subcarriers to ask for.
    if (!firstOk || !lastOk || f <= 0 || l >= kSubcarrierLimit || l <= f)
        return false;
    // The 2% lowest: a window of at least one value.
    CalculPctlMer(true, std::max(1.0, 0.02 * (l - f)));
    int samples = 0;
    float deviation = 0;
    float percentile = 0;
    int start = f;
    do {
        const int end = std::min(l, start + kMerBlock);
        envia_cadena_modem(QString("docsis/Fw/ds_phy/status/getMerRes %1 %2 %3 \r").arg(channel).arg(start).arg(end),
                           kPrompt, 30000);
        const QString reply = modemReplyLines(getStringBufferTrames());
        if (!ofdmChannelUnlocked(reply, channel)) {
            for (float mer : merSamples31(reply)) {
                if (samples++ == 0)
                    deviation = CalculStdDevMer(true, mer);
                percentile = CalculPctlMer(false, mer);
                if (samples > 1)
                    deviation = CalculStdDevMer(false, mer);
            }
        }
        start = end + 1;
        // Up to the last subcarrier itself.
    } while (start <= l && isNonStopMesures());
    if (samples == 0)
        return false;
    m_dades_31.insert("mer_sigma", QString::number(deviation, 'f', 2));
    // Until the window is full its largest value is no percentile yet.
    if (merPercentileFull())
        m_dades_31.insert("mer_pctl", QString::number(percentile, 'f', 2));
    return true;
}
