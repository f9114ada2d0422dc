#include "modemDecoders31.h"

#include "modemExchange.h"
#include "modemStores.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

const QRegularExpression& whiteSpace()
{
    static const QRegularExpression pattern("\\s+");
    return pattern;
}

QString withoutWhiteSpace(QString text) { return text.remove(whiteSpace()); }

QStringList columnsOf(const QString& value, const QString& separator)
{
    return value.split(separator, Qt::SkipEmptyParts);
}

// A non-negative whole number written in decimal digits only.
bool isWholeNumber(const QString& text, int* value = nullptr)
{
    static const QRegularExpression digits("^[0-9]+$");
    if (!digits.match(text).hasMatch())
        return false;
    bool ok = false;
    const int v = text.toInt(&ok);
    if (value)
        *value = v;
    return ok;
}

// One BER column into its three keys.
void putBer(QVariantMap& map, const QString& key, const QString& symKey, const QString& rangeKey,
            const QString& column, double value, const QVariantMap& phy)
{
    bool bound = false;
    QString text = column;
    if (value == 0.0) {
        // No error seen in the bits measured: at most one in all of them.
        bool srOk = false;
        const double sr = phy.value("sr").toString().toDouble(&srOk);
        if (srOk && sr > 0) {
            const double bits = bitsPerSymbolOfText(phy.value("modulation").toString());
            text = "< " + QString::number(1.0 / (bits * sr * 3000.0), 'e', 2);
            bound = true;
        } else {
            text = "---";
        }
    }
    map.insert(key, text);
    map.insert(symKey, bound ? 1 : 0);
    map.insert(rangeKey, bound ? "eUnderRange" : "eInRange");
}

QString labelKey(QString label, const QRegularExpression& dropped)
{
    return withoutWhiteSpace(label.remove(dropped)).toLower();
}

QVariantMap keyedValues(const QStringList& labels, const QString& text, const QRegularExpression& dropped)
{
    QVariantMap out;
    const QVariantMap found = valuesAfterLabels(labels, text);
    for (auto it = found.begin(); it != found.end(); ++it)
        out.insert(labelKey(it.key(), dropped), withoutWhiteSpace(it.value().toString()));
    return out;
}

// The OFDMA section's rows: two columns split by blanks, simplified.
QStringList ofdmaColumns(const QString& section, const QString& label)
{
    QStringList parts = columnsOf(textBetween(section, label, "\n"), " ");
    for (QString& p : parts)
        p = p.simplified();
    return parts;
}

// The SC-QAM section's rows: eight columns split by "|", white space removed.
QStringList scQamColumns(const QString& section, const QString& label)
{
    QStringList parts = columnsOf(textBetween(section, label, "\n"), "|");
    for (QString& p : parts)
        p = withoutWhiteSpace(p);
    return parts;
}

// The lines of a status table with exactly columns "|"-separated columns, white space removed.
QList<QStringList> tableRows(const QString& table, int columns)
{
    QList<QStringList> rows;
    for (const QString& line : table.split('\n', Qt::SkipEmptyParts)) {
        const QStringList cols = columnsOf(withoutWhiteSpace(line), "|");
        if (cols.size() == columns)
            rows.append(cols);
    }
    return rows;
}

} // namespace

QString modemReplyLines(const QString& reply)
{
    static const QRegularExpression trailing("[ \\t\\r]+(?=\\n|$)");
    return QString(reply).remove(trailing);
}

int qamOrderOfText(const QString& modulation)
{
    if (modulation.contains("QPSK"))
        return 4;
    static const QRegularExpression number("[0-9]+");
    for (auto it = number.globalMatch(modulation); it.hasNext();) {
        const int order = it.next().captured().toInt();
        for (int bits = 2; bits <= 12; ++bits) {
            if (order == 1 << bits)
                return order;
        }
    }
    return 0;
}

int bitsPerSymbolOfText(const QString& modulation)
{
    const int order = qamOrderOfText(modulation);
    if (order == 0 || order > 256)
        return 8;
    return static_cast<int>(std::lround(std::log2(order)));
}

QVariantMap berStatus31(const QString& reply, QVariantMap phy)
{
    const QString report = textBetween(modemReplyLines(reply), "MSE", "mainMenu");
    const QVariantMap channel = phy;
    for (const QString& line : report.split('\n')) {
        const QStringList cols = line.split(whiteSpace());
        bool first = false;
        if (cols.size() != 8 || cols[0].toInt(&first) != 3 || !first)
            continue;
        bool preOk = false;
        bool postOk = false;
        const double pre = cols[3].toDouble(&preOk);
        const double post = cols[4].toDouble(&postOk);
        if (!preOk || !postOk) {
            phy.insert("pre_ber", "---");
            phy.insert("postber", "---");
            continue;
        }
        putBer(phy, "pre_ber", "prebersym", "pre_range", cols[3], pre, channel);
        putBer(phy, "postber", "postbersym", "post_range", cols[4], post, channel);
    }
    return phy;
}

QVariantMap vendorInformation31(const QString& reply)
{
    static const QStringList labels = {"Model Name:",       "Vendor Name:",      "Serial Number:",
                                       "Hardware Version:", "Software Version:", "S/W Build Date:",
                                       "RF MAC Address:",   "LAN MAC Address:",  "Modem LAN IP:",
                                       "Modem LAN MASK:"};
    static const QRegularExpression colon(":");
    return keyedValues(labels, modemReplyLines(reply), colon);
}

QVariantMap ipInformation31(const QString& reply)
{
    static const QStringList labels = {"IP Address =", "Subnet Mask =",   "Default Gateway =", "DHCP Server =",
                                       "LOG Server =", "TFTP Server = ", "ToD Server = "};
    static const QRegularExpression words("(Address|Server|Default|Subnet|=)");
    const QString text = modemReplyLines(reply);
    QVariantMap out;
    if (text.contains("CM IPv4 information:"))
        out = keyedValues(labels, textBetween(text, "CM IPv4 information:", "mainMenu>"), words);
    out.insert("PhysicalAddress", textBetween(text, "Physical Address =", "\n"));
    return out;
}

QVariantMap ipList31(const QString& reply)
{
    static const char* const keys[] = {"ip", "mask", "gateway", "dhcp", "log", "tftp", "tod"};
    QStringList values;
    for (const QString& line : textBetween(modemReplyLines(reply), "information:", "mainMenu>").split('\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split('=');
        if (parts.size() == 2)
            values.append(parts[1]);
    }
    QVariantMap out;
    if (values.size() < 7)
        return out;
    for (int i = 0; i < 7; ++i)
        out.insert(keys[i], values[i]);
    return out;
}

QVariantMap phyStatus31(const QString& reply, int channel)
{
    const QString text = modemReplyLines(reply);
    auto between = [&text](const char* from, const char* to) { return textBetween(text, from, to); };
    QVariantMap map;
    map.insert("index", channel);
    map.insert("uci", channel + 1);
    map.insert("ch_enabled", between("Ch Enabled:", "\n"));
    map.insert("rf_frequency", withoutWhiteSpace(between("RF frequency:", "MHz")));
    map.insert("qam_lock", between("QAM Lock:", "\n"));
    map.insert("fec_sync", between("FEC Sync:", "\n"));
    map.insert("mpeg_sync", between("MPEG Sync:", "\n"));
    const QString annex = between("Annex:", "\n");
    map.insert("annex", annex);
    map.insert("mse", between("MSE:", "dB"));
    const QString modulation = between("Qam mode :", "\n").simplified();
    map.insert("modulation", modulation);
    map.insert("interleaver", between("interleaver mode:", "\n"));
    map.insert("f_offset", between("offset is ", "Hz"));
    map.insert("power", withoutWhiteSpace(between("Reported power is", "dBmv")));
    const int order = qamOrderOfText(modulation);
    map.insert("sr", annex.contains("ANNEX-A") ? "6952" : order == 64 ? "5057" : "5361");
    const int grid = order == 256 ? 16 : order == 128 ? 12 : order == 64 ? 8 : order == 32 ? 6 : 4;
    map.insert("quadres_const", grid);
    return map;
}

QVariantList upstreamTable31(const QString& reply)
{
    QString table = textBetween(modemReplyLines(reply), "7|", "deltaPf");
    table.replace('|', ':');
    QList<QStringList> rows;
    for (const QString& line : table.split('\n')) {
        QStringList fields = line.split(':');
        for (QString& f : fields)
            f = withoutWhiteSpace(f);
        if (fields.size() == 10)
            rows.append(fields);
    }
    auto row = [&rows](const char* name) -> const QStringList* {
        for (const QStringList& r : rows) {
            if (r[0] == name)
                return &r;
        }
        return nullptr;
    };
    const QStringList* frequency = row("Frquency");
    const QStringList* symbolRate = row("Symbolrate");
    const QStringList* modulation = row("modulation");
    const QStringList* power = row("reppower1_6");
    const QStringList* id = row("Upstream");
    // Only a table with every row it needs, and a channel operating, is read.
    if (rows.isEmpty() || !frequency || !symbolRate || !modulation || !power || !id || !rows[0].contains("OPERATE"))
        return {};
    QVariantList list;
    Ups31Channel* store = GetUps31Pointer();
    for (int k = 0; k < UPS31_CHANNELS; ++k) {
        const int f = k + 1;
        store[k] = Ups31Channel{{(*frequency)[f], (*modulation)[f], (*symbolRate)[f], (*power)[f], (*id)[f]}};
        if (rows[0][f] == "OPERATE")
            list.append(QVariantMap{{"index", k},
                                    {"frequency_bw", (*frequency)[f]},
                                    {"mod", (*modulation)[f]},
                                    {"sr", (*symbolRate)[f]},
                                    {"power", (*power)[f]},
                                    {"uci", (*id)[f]}});
    }
    return list;
}

UpstreamStatus31 upstreamStatus31(const QString& reply)
{
    const QString text = modemReplyLines(reply);
    UpstreamStatus31 status;

    if (text.contains("OFDMA CHANNELS INFO")) {
        const QString s = textBetween(text, "OFDMA CHANNELS INFO", "mainMenu");
        QVariantMap maps[2];
        bool on[2] = {false, false};
        const QStringList power = ofdmaColumns(s, "Power           :");
        if (power.size() == 2) {
            for (int k = 0; k < 2; ++k) {
                on[k] = withoutWhiteSpace(power[k]) == "ON";
                maps[k] = {{"index", k}, {"uci", k + 1}};
            }
        }
        const QStringList state = ofdmaColumns(s, "STATE           :");
        if (state.size() == 2) {
            for (int k = 0; k < 2; ++k)
                on[k] = on[k] && withoutWhiteSpace(state[k]) == "OPERATE";
        }
        const std::pair<const char*, const char*> rows[] = {{"Center Freq SC0 :", "freq"},
                                                            {"if Speed(bit/s) :", "sr"},
                                                            {"rep power       :", "power"},
                                                            {"BW (sc's*fft)   :", "bw"},
                                                            {"FFT SIZE        :", "mod"}};
        for (const auto& [label, key] : rows) {
            const QStringList cols = ofdmaColumns(s, label);
            if (cols.size() == 2) {
                for (int k = 0; k < 2; ++k)
                    maps[k].insert(key, cols[k]);
            }
        }
        for (int k = 0; k < 2; ++k) {
            if (on[k])
                status.ofdma.append(maps[k]);
        }
    }

    if (text.contains("SC QAM CHANNELS INFO")) {
        const QString s = textBetween(text, "SC QAM CHANNELS INFO", "OFDMA CHANNELS INFO");
        constexpr int kColumns = UPS31_CHANNELS;
        QVariantMap maps[kColumns];
        bool operating[kColumns] = {};
        const QStringList state = scQamColumns(s, "STATE       :");
        if (state.size() == kColumns) {
            for (int k = 0; k < kColumns; ++k) {
                operating[k] = state[k] == "OPERATE";
                maps[k].insert("index", k);
            }
        }
        const std::pair<const char*, const char*> rows[] = {{"Upstream    :", "uci"},
                                                            {"Frquency    :", "freq"},
                                                            {"Symbol rate :", "sr"},
                                                            {"rep power   :", "power"},
                                                            {"modulation  :", "mod"}};
        for (const auto& [label, key] : rows) {
            const QStringList cols = scQamColumns(s, label);
            if (cols.size() == kColumns) {
                for (int k = 0; k < kColumns; ++k)
                    maps[k].insert(key, cols[k]);
            }
        }
        for (int k = 0; k < kColumns; ++k) {
            if (!operating[k])
                continue;
            bool whole = false;
            const int sr = maps[k].value("sr").toString().toInt(&whole);
            maps[k].insert("bw", (whole ? sr : 0) * 1250.0);
            status.scQam.append(maps[k]);
        }
    }
    return status;
}

DownstreamStatus31 downstreamStatus31(const QString& reply)
{
    QString text = modemReplyLines(reply);
    const int header = text.indexOf("|  Receiver #");
    if (header >= 0)
        text = text.mid(header);
    const int ofdmAt = text.indexOf("OFDM CHANNELS");
    const QString scQam = ofdmAt >= 0 ? text.left(ofdmAt) : text;
    const QString ofdm = ofdmAt >= 0 ? text.mid(ofdmAt) : text;

    DownstreamStatus31 status;
    for (const QStringList& cols : tableRows(scQam, 10)) {
        int receiver = 0;
        if (!isWholeNumber(cols[1]) || !isWholeNumber(cols[0], &receiver))
            continue;
        // Receivers count from 1; one the modem does not have is no channel to ask for.
        const bool known = receiver >= 1 && receiver <= MODEM31_SCQAM_CHANNELS;
        if (known && cols[2] == "YES" && cols[1] != "0" && cols[7] != "NA")
            status.scQamChannels.append(receiver - 1);
    }
    for (const QStringList& cols : tableRows(ofdm, 10)) {
        if (!isWholeNumber(cols[2]) || cols[3] != "YES")
            continue;
        status.ofdm.append(QVariantMap{{"index", cols[0]},
                                       {"uci", cols[0].toInt() + 1},
                                       {"freq", cols[2]},
                                       {"locked", cols[3]},
                                       {"power", cols[6]},
                                       {"mer_att", cols[8]}});
    }
    return status;
}

bool ofdmChannelUnlocked(const QString& reply, int channel)
{
    return withoutWhiteSpace(textBetween(reply, QString("OFDM channel %1").arg(channel), "!")) == "unlock";
}

QString ofdmBandwidthText(const QString& first, const QString& last)
{
    // "index, frequency": the subcarrier's frequency in Hz.
    auto frequency = [](const QString& text, bool* ok) -> unsigned {
        const QStringList parts = text.split(',', Qt::SkipEmptyParts);
        *ok = false;
        return parts.size() == 2 ? parts[1].trimmed().toUInt(ok, 10) : 0;
    };
    bool firstOk = false;
    bool lastOk = false;
    const unsigned low = frequency(first, &firstOk);
    const unsigned high = frequency(last, &lastOk);
    // A last subcarrier below the first is no width at all.
    if (!firstOk || !lastOk || high < low)
        return QString();
    return QString::number(high - low);
}

QVariantMap ofdmInfo31(const QString& reply)
{
    const QString text = modemReplyLines(reply);
    auto between = [&text](const char* from, const char* to) { return textBetween(text, from, to); };
    QVariantMap map;
    map.insert("bandwidth", ofdmBandwidthText(between("First Active Subcarrier:", "Hz"),
                                              between("Last Active Subcarrier:", "Hz")));
    const QString fft = between("FFT Size:", "\n");
    map.insert("n_subcarriers", fft);
    map.insert("subcarrier_freq", between("Subcarrier Spacing:", "KHz"));
    map.insert("pwr_avg", between("Total Active Channel Power:", "dBmV"));
    map.insert("mer_avg", between("Average RxMER(dB):", "\n"));
    map.insert("plc_freq", withoutWhiteSpace(between("Frequency of PLC:", "Hz")));
    map.insert("plc_mer", between("Average PLCMER(dB):", "\n"));
    map.insert("plc_pwr", between("PLC power:", "dBmV"));
    map.insert("mod", fft);
    map.insert("time_interleave", between("Time Interleave Depth:", "\n"));
    map.insert("plc_mod", "16 QAM");
    const QString first = withoutWhiteSpace(between("First Active Subcarrier:", ","));
    const QString last = withoutWhiteSpace(between("Last Active Subcarrier:", ","));
    map.insert("first_active_subcarrier", first);
    map.insert("last_active_subcarrier", last);
    map.insert("active_carriers", first + " - " + last);
    map.insert("ncp_mod", withoutWhiteSpace(between("NCP Modulation:", "QAM")));
    return map;
}

QList<float> merSamples31(const QString& reply)
{
    QString text = modemReplyLines(reply);
    text.replace("  ", "\n").replace("mer=", "\n");
    QList<float> samples;
    for (const QString& part : text.split('\n', Qt::SkipEmptyParts)) {
        if (part.contains(':'))
            continue;
        bool ok = false;
        const float value = part.toFloat(&ok);
        if (ok && value > 20.0f && value < 51.0f)
            samples.append(value);
    }
    return samples;
}

bool frequencyResponse31(const QString& reply, const QString& label, int* thousandths)
{
    bool ok = false;
    const int value = textBetween(modemReplyLines(reply), label, "[").trimmed().toInt(&ok, 10);
    if (ok)
        *thousandths = value;
    return ok;
}

bool profileCodewords31(const QString& row, QString* corrected, QString* uncorrectable)
{
    const QStringList parts = row.split('|');
    if (parts.size() != 7)
        return false;
    const QString state = parts[2].trimmed();
    if (state != "LOCKED" && state != "UNLOCKED")
        return false;
    auto count = [](const QString& part) {
        const QString text = part.trimmed();
        return text == "NONE" ? QStringLiteral("0") : text;
    };
    *corrected = count(parts[4]);
    *uncorrectable = count(parts[5]);
    return true;
}
