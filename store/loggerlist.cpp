#include "loggerlist.h"

#include "platform/Platform.h"
#include "storefile.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {
const char kRoot[] = "DATALOGGER";
const char kEntry[] = "ENTRY";
const char kMountPoint[] = "/mnt";
const char kRegistering[] = "REGISTERING";
const char kOfdmDownstream[] = "OFDM_DOWNSTREAM";

QString folderOf(const QString& type) { return Loggerlist::loggersFolder() + "/" + type; }

bool succeeded(const std::string& commandLine) { return platform::board().runShell(commandLine).exitCode == 0; }

// Registration loggers were once kept as one entry per table row, naming its table ("table")
// and its place there ("row"). Such entries read as one entry of the tables' lists, as the
// registration keeps them now, in the place of the first of them.
QVariantList withTablesAsLists(const QVariantList& entries)
{
    struct Row {
        int place;
        QVariantMap values;
    };
    QMap<QString, std::vector<Row>> tables;
    QVariantList out;
    int at = -1;
    for (const QVariant& entry : entries) {
        QVariantMap values = entry.toMap();
        if (!values.contains("table") || !values.contains("row")) {
            out.append(entry);
            continue;
        }
        if (at < 0) {
            at = out.size();
            out.append(QVariant());
        }
        const QString table = values.take("table").toString();
        const int place = values.take("row").toInt();
        tables[table].push_back({place, values});
    }
    if (at < 0)
        return out;
    QVariantMap lists;
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        std::stable_sort(it->begin(), it->end(), [](const Row& a, const Row& b) { return a.place < b.place; });
        QVariantList rows;
        for (const Row& row : *it)
            rows.append(row.values);
        lists.insert(it.key(), rows);
    }
    out[at] = lists;
    return out;
}

// OFDM analysis loggers once kept the levels as the modem printed them, a bare dBmV figure
// of what reached it, where the screen showed the level at the unit's input in its own
// unit. Such a level reads as the screen showed it in dBµV: the modem's 3 dB below the
// input, and 60 dB between dBmV and dBµV.
QVariantList withLevelsAsShown(QVariantList entries)
{
    constexpr double kModemBelowInputDb = 3.0;
    constexpr double kDbuvPerDbmv = 60.0;
    for (QVariant& entry : entries) {
        QVariantMap values = entry.toMap();
        for (const char* key : {"pwr_avg", "plc_pwr"}) {
            bool number = false;
            const double dBmV = values.value(key).toString().trimmed().toDouble(&number);
            if (number)
                values.insert(key, QString::number(dBmV + kModemBelowInputDb + kDbuvPerDbmv, 'f', 1)
                                       + QString::fromUtf8(" dB\u03BCV"));
        }
        entry = values;
    }
    return entries;
}
} // namespace

Loggerlist* Loggerlist::getInstance()
{
    static Loggerlist instance;
    return &instance;
}

Loggerlist::Loggerlist()
{
    for (const QString& type : loggerTypes())
        storefile::removeUnfinishedSaves(folderOf(type), {QStringLiteral("Logger??.XML")});
}

void Loggerlist::setCurrentLogger(const QVariantMap& logger)
{
    if (logger != currentLogger_)
        currentLogger_ = logger;
}

bool Loggerlist::validType(const QString& type)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    return name.match(type).hasMatch();
}

bool Loggerlist::validLoggerFile(const QString& file)
{
    static const QRegularExpression name(QStringLiteral("^Logger[0-9]{2}\\.XML$"));
    return name.match(file).hasMatch();
}

QStringList Loggerlist::loggerTypes() const
{
    QStringList types;
    for (const QString& type : QDir(loggersFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (validType(type))
            types.append(type);
    }
    return types;
}

QStringList Loggerlist::llistaLoggers(const QString& type) const
{
    QStringList files;
    if (!validType(type))
        return files;
    for (const QString& file : QDir(folderOf(type)).entryList(QDir::Files, QDir::Name)) {
        if (validLoggerFile(file))
            files.append(file);
    }
    return files;
}

QString Loggerlist::nextLoggerName(const QStringList& existing)
{
    bool taken[100] = {};
    int highest = -1;
    for (const QString& file : existing) {
        if (!validLoggerFile(file))
            continue;
        const int index = file.mid(6, 2).toInt();
        taken[index] = true;
        highest = std::max(highest, index);
    }
    int next = highest + 1;
    if (next > 99) {
        next = 0;
        while (next < 100 && taken[next])
            ++next;
        if (next == 100)
            return QString();
    }
    return QString("Logger%1.XML").arg(next, 2, 10, QChar('0'));
}

QVariantList Loggerlist::carregaLogger(const QString& type, const QString& file) const
{
    QVariantList entries;
    if (!validType(type) || !validLoggerFile(file))
        return entries;
    QDomDocument doc;
    if (storefile::loadXml(folderOf(type) + "/" + file, kRoot, &doc) != storefile::LoadResult::Loaded)
        return entries;
    const QDomElement root = doc.documentElement();
    for (QDomElement e = root.firstChildElement(kEntry); !e.isNull(); e = e.nextSiblingElement(kEntry))
        entries.append(storefile::readValues(e));
    if (type == QLatin1String(kRegistering))
        return withTablesAsLists(entries);
    return type == QLatin1String(kOfdmDownstream) ? withLevelsAsShown(entries) : entries;
}

QString Loggerlist::guardaLogger(const QString& type, const QVariantList& entries)
{
    if (!validType(type)) {
        qDebug() << "Logger type not valid:" << type;
        return QString();
    }
    const QString file = nextLoggerName(llistaLoggers(type));
    if (file.isEmpty()) {
        qDebug() << "No free logger file name left in" << folderOf(type);
        return QString();
    }
    const bool ok = storefile::saveXml(folderOf(type) + "/" + file, kRoot, [&](QXmlStreamWriter& xml) {
        for (const QVariant& entry : entries) {
            xml.writeStartElement(kEntry);
            storefile::writeValues(xml, entry.toMap());
            xml.writeEndElement();
        }
    });
    if (!ok)
        return QString();
    emit loggersChanged(type);
    return file;
}

bool Loggerlist::exportaLogger(const QString& type, const QString& file)
{
    if (!validType(type) || !validLoggerFile(file) || !QFileInfo::exists(folderOf(type) + "/" + file)) {
        qDebug() << "No logger file" << type << file << "to export";
        return false;
    }
    const std::string mountPoint = kMountPoint;
    if (!succeeded("mount /dev/sda1 " + mountPoint) && !succeeded("mount /dev/sdb1 " + mountPoint)) {
        qDebug() << "No USB memory found";
        return false;
    }
    const QString source = QFileInfo(folderOf(type) + "/" + file).absoluteFilePath();
    const QString target = QString(kMountPoint) + "/" + type + "_" + file;
    const bool copied = succeeded(
        ("cp " + storefile::shellQuoted(source) + " " + storefile::shellQuoted(target)).toStdString());
    if (!copied)
        qDebug() << "Failed to copy" << source << "to the USB memory";
    succeeded("sync");
    succeeded("umount " + mountPoint);
    return copied;
}
