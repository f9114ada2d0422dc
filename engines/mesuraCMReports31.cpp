// The DOCSIS 3.1 reports the engine asks for and emits: an SC-QAM channel's BER, the
// modem's identity and IP information, the upstream and downstream status (with a PHY
// report per locked SC-QAM channel and the OFDM analysis of each locked OFDM channel),
// and the OFDM channel's information and profiles.
#include "mesuraCM.h"

#include "cablemodem/modemDecoders31.h"
#include "cablemodem/modemExchange.h"

#include <QDebug>

namespace {
constexpr const char* kPrompt = "mainMenu>";

bool knownOfdmChannel(int channel) { return channel >= 0 && channel < MODEM31_OFDM_CHANNELS; }
} // namespace

QVariantMap MesuraCM::decodeBe_3_1(int channel, QVariantMap phy)
{
    if (channel < 0 || channel >= MODEM31_SCQAM_CHANNELS)
        return phy;
    if (!envia_cadena_modem(QString("docsis/Debug/berstatus %1 3\r").arg(channel), kPrompt, 5000))
        return phy;
    return berStatus31(getStringBufferTrames(), phy);
}

void MesuraCM::decodeVendor_3_1()
{
    if (!envia_cadena_modem("docsis/vendor\r", kPrompt, 2000))
        return;
    const QVariantMap information = vendorInformation31(getStringBufferTrames());
    if (!information.isEmpty())
        report(&MesuraCM::cm_information_mac, information);
}

int MesuraCM::decodeIP_list_31(QString reply)
{
    report(&MesuraCM::ipCableModemChanged, ipInformation31(reply));
    return 0;
}

int MesuraCM::decodeUsstatus_3_1(QString reply)
{
    const UpstreamStatus31 status = upstreamStatus31(reply);
    if (!status.ofdma.isEmpty())
        report(&MesuraCM::upsOFDMChanged_31, status.ofdma);
    if (!status.scQam.isEmpty())
        report(&MesuraCM::upsBondingChanged_31, status.scQam);
    return 0;
}

void MesuraCM::decodeDsstatus_3_1(QString reply)
{
    const DownstreamStatus31 status = downstreamStatus31(reply);
    // One channel after the other, in the report's order.
    for (int channel : status.scQamChannels)
        report(&MesuraCM::phy_3_0_Changed, load_phy_params(channel));
    QVariantList rows;
    for (QVariantMap row : status.ofdm) {
        bool number = false;
        const int channel = row.value("index").toString().toInt(&number);
        const QVariantMap info = number ? decodeDsOfdmInfo_3_1(channel) : QVariantMap();
        if (info.size() > 5) {
            row.insert("plc_freq", info.value("plc_freq"));
            const QVariantMap profiles = decodeDsProfInfo_3_1(channel);
            if (!profiles.isEmpty())
                row.insert("active_profiles", profiles.value("active_profiles"));
        }
        rows.append(row);
    }
    if (!rows.isEmpty())
        report(&MesuraCM::downOFDMChanged_31, rows);
}

QVariantMap MesuraCM::decodeDsOfdmInfo_3_1(int channel, bool* unlocked)
{
    if (!knownOfdmChannel(channel))
        return {};
    if (!envia_cadena_modem(QString("docsis/General/dsOfdmInfo %1 \r").arg(channel), kPrompt, 30000))
        return {};
    const QString reply = modemReplyLines(getStringBufferTrames());
    if (ofdmChannelUnlocked(reply, channel)) {
        if (unlocked)
            *unlocked = true;
        return {};
    }
    return ofdmInfo31(reply);
}

QVariantMap MesuraCM::decodeDsProfInfo_3_1(int channel)
{
    if (!knownOfdmChannel(channel))
        return {};
    if (!envia_cadena_modem(QString("docsis/Fw/ds_phy/status/dsProfInfo %1 \r").arg(channel), kPrompt, 30000))
        return {};
    const QString reply = modemReplyLines(getStringBufferTrames());
    qDebug().noquote() << "trama:" << reply;
    qDebug().noquote() << "aux: " << QString("OFDM channel %1").arg(channel);
    if (ofdmChannelUnlocked(reply, channel))
        return {};
    static const char* const letters[] = {"A", ",B", ",C", ",D"};
    QString active;
    for (int p = 0; p < 4; ++p) {
        const QString row = textBetween(reply, QString("profile%1").arg(p + 1), "\n");
        if (extreureCadenadsProfInfo_3_1(QString("profile%1").arg(QChar('A' + p)), row))
            active += letters[p];
    }
    return {{"active_profiles", active}};
}

bool MesuraCM::extreureCadenadsProfInfo_3_1(QString prefix, QString row)
{
    QString corrected;
    QString uncorrectable;
    if (!profileCodewords31(row, &corrected, &uncorrectable))
        return false;
    m_dades_31.insert(prefix + "_ccwe", corrected);
    m_dades_31.insert(prefix + "_ucwe", uncorrectable);
    return true;
}
