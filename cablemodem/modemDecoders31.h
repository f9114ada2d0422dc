// The DOCSIS 3.1 modem's reports read into the maps and lists the engine emits: the
// SC-QAM BER report, identity and IP information, an SC-QAM channel's PHY report, the
// upstream and downstream status tables, the OFDM channel information and its profiles.
// Each is a plain function of the reply text. Replies are read line by line with their
// trailing return and blanks dropped, so CRLF and LF replies decode alike.
#pragma once

#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// The SC-QAM receivers and OFDM channels the modem has: indexes sent to it stay below.
constexpr int MODEM31_SCQAM_CHANNELS = 32;
constexpr int MODEM31_OFDM_CHANNELS = 2;

// The reply with every line's trailing return and blanks dropped.
QString modemReplyLines(const QString& reply);

// The QAM order a modulation text names by a whole number ("QAM 256", "128QAM", "8 QAM";
// 4 for "QPSK"); 0 when it names none of 4 to 4096.
int qamOrderOfText(const QString& modulation);
// Bits per symbol of a modulation text: QPSK 2, 8-QAM 3 ... 256-QAM 8; 8 for anything else.
int bitsPerSymbolOfText(const QString& modulation);

// The BER report ("docsis/Debug/berstatus N 3") added to a channel map: "pre_ber",
// "postber", their "prebersym"/"postbersym" and "pre_range"/"post_range". A reading of 0
// is the bound 1/(bits per symbol x "sr" x 3000) marked "< "; "---" where there is no bound
// (no symbol rate) or a column does not read. Without a report line, the map unchanged.
QVariantMap berStatus31(const QString& reply, QVariantMap phy);

// "docsis/vendor": the identity labels found, as keys without punctuation and blanks.
QVariantMap vendorInformation31(const QString& reply);
// "docsis/ipcable": "PhysicalAddress" always, and the addresses of the IPv4 block found.
QVariantMap ipInformation31(const QString& reply);
// The IPv4 block as seven values in order ("ip" ... "tod"); empty with fewer than seven.
QVariantMap ipList31(const QString& reply);

// "docsis/phystatus N": the PhyChannelMap of SC-QAM channel N (index, uci, the labelled
// texts, the symbol rate by annex and modulation, the constellation's grid).
QVariantMap phyStatus31(const QString& reply, int channel);

// The transmitter's per-channel upstream table (between "7|" and "deltaPf"): the operating
// SC-QAM channels as UpsChannelMaps, every column also kept in the 3.1 upstream store.
// Empty, and the store unchanged, when a row it needs is missing.
QVariantList upstreamTable31(const QString& reply);

// "docsis/Debug/usstatus": the OFDMA channels on and operating, the SC-QAM channels
// operating, each as UpsChannelMaps in column order.
struct UpstreamStatus31 {
    QVariantList ofdma;
    QVariantList scQam;
};
UpstreamStatus31 upstreamStatus31(const QString& reply);

// "docsis/Debug/dsstatus": the SC-QAM channels locked with a channel id (indexes from 0,
// in report order), and a row map per locked OFDM channel.
struct DownstreamStatus31 {
    QList<int> scQamChannels;
    QList<QVariantMap> ofdm;
};
DownstreamStatus31 downstreamStatus31(const QString& reply);

// The OFDM reports of a channel: "OFDM channel N unlock!" says it is not locked.
bool ofdmChannelUnlocked(const QString& reply, int channel);
// "docsis/General/dsOfdmInfo N": the channel's figures (the keys of m_dades_31 the report
// gives, "bandwidth" first).
QVariantMap ofdmInfo31(const QString& reply);
// The width between two "index, frequency" subcarrier texts; "" when either does not read
// or the last lies below the first.
QString ofdmBandwidthText(const QString& first, const QString& last);
// "getMerRes": the RxMER samples of the report in order, the values strictly between 20 and
// 51 dB (subcarrier labels, the lock line and other texts are no samples).
QList<float> merSamples31(const QString& reply);
// "getFreqResp": the whole number after label, up to "[" (a figure in thousandths of a dB);
// false when there is none.
bool frequencyResponse31(const QString& reply, const QString& label, int* thousandths);

// One row of the profile report (the text after its label): its corrected and
// uncorrectable codeword counts ("0" for "NONE"); false for a row that is not one.
bool profileCodewords31(const QString& row, QString* corrected, QString* uncorrectable);
