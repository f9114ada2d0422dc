#include "storefile.h"

#include "common/Clock.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <climits>
#include <cmath>

namespace storefile {

namespace {

// [A-Za-z_][A-Za-z0-9._-]*, checked by hand: every key of every save passes here.
bool isXmlName(const QString& key)
{
    const auto letter = [](QChar c) {
        const ushort u = c.unicode();
        return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
    };
    const auto more = [&](QChar c) {
        const ushort u = c.unicode();
        return letter(c) || (u >= '0' && u <= '9') || u == '.' || u == '-';
    };
    return !key.isEmpty() && key != QLatin1String("VALUE") && letter(key.front())
        && std::all_of(key.begin() + 1, key.end(), more);
}

// XML 1.0 cannot carry most control characters or unpaired surrogates, not even
// escaped; one of them in a text would make the whole file unreadable.
QString xmlSafe(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && !c.isSurrogate() && u != 0xFFFE && u != 0xFFFF)) {
            out += c;
        }
    }
    if (out.size() != text.size())
        qDebug() << "Characters that XML cannot hold were left out of" << out;
    return out;
}

bool isWhole(double d, double low, double high) { return std::floor(d) == d && d >= low && d <= high; }

} // namespace

QVariant normalised(const QVariant& value)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Double:
    case QMetaType::QString:
        return value;
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar: {
        const qlonglong v = value.toLongLong();
        if (v >= INT_MIN && v <= INT_MAX)
            return static_cast<int>(v);
        if (v >= 0 && v <= static_cast<qlonglong>(UINT_MAX))
            return static_cast<uint>(v);
        return static_cast<double>(v);
    }
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar: {
        const qulonglong v = value.toULongLong();
        if (v <= UINT_MAX)
            return static_cast<uint>(v);
        return static_cast<double>(v);
    }
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QVariantList:
        return value;
    default:
        return value.toString();
    }
}

QString typeName(const QVariant& value)
{
    switch (static_cast<int>(normalised(value).type())) {
    case QMetaType::Int:
        return QStringLiteral("int");
    case QMetaType::UInt:
        return QStringLiteral("uint");
    case QMetaType::Double:
        return QStringLiteral("double");
    case QMetaType::Bool:
        return QStringLiteral("bool");
    case QMetaType::QVariantList:
        return QStringLiteral("QVariantList");
    default:
        return QStringLiteral("QString");
    }
}

QString valueText(const QVariant& value)
{
    const QVariant v = normalised(value);
    switch (static_cast<int>(v.type())) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
        // The shortest text that reads back as the same double.
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return v.toString();
    }
}

QVariant valueFromText(const QString& type, const QString& text, bool* ok)
{
    bool read = true;
    QVariant value = text;
    const QString t = text.trimmed();
    if (type == QLatin1String("int")) {
        value = t.toInt(&read);
    } else if (type == QLatin1String("uint")) {
        value = t.toUInt(&read);
    } else if (type == QLatin1String("double")) {
        value = t.toDouble(&read);
    } else if (type == QLatin1String("bool")) {
        value = t == QLatin1String("true") || t == QLatin1String("1");
        read = value.toBool() || t == QLatin1String("false") || t == QLatin1String("0");
    }
    if (ok)
        *ok = read;
    return value;
}

QVariant keepingType(const QVariant& value, const QVariant& like)
{
    const QVariant v = normalised(value);
    const QString want = typeName(like);
    const QString have = typeName(v);
    if (want == have)
        return v;
    const bool number = have == QLatin1String("int") || have == QLatin1String("uint") || have == QLatin1String("double");
    const double d = v.toDouble();
    if (want == QLatin1String("uint") && number && isWhole(d, 0, UINT_MAX))
        return static_cast<uint>(d);
    if (want == QLatin1String("int") && number && isWhole(d, INT_MIN, INT_MAX))
        return static_cast<int>(d);
    if (want == QLatin1String("double") && number)
        return d;
    if (want == QLatin1String("bool") && number && (d == 0 || d == 1))
        return d == 1;
    if (want == QLatin1String("QString") && (number || have == QLatin1String("bool")))
        return valueText(v);
    return v;
}

namespace {

constexpr char kListType[] = "QVariantList";
constexpr char kListItem[] = "ROW";

// The type attribute and what the element holds: a list holds one ROW element per item, a
// map item its values, any other item its type and text as a value element does.
void writeContent(QXmlStreamWriter& xml, const QVariant& value)
{
    xml.writeAttribute(QStringLiteral("type"), typeName(value));
    if (typeName(value) == QLatin1String(kListType)) {
        for (const QVariant& item : value.toList()) {
            xml.writeStartElement(kListItem);
            if (item.type() == QVariant::Map)
                writeValues(xml, item.toMap());
            else
                writeContent(xml, item);
            xml.writeEndElement();
        }
        return;
    }
    // A raw CR would come back as LF from any XML parser; a character reference keeps it.
    const QStringList parts = xmlSafe(valueText(value)).split(QLatin1Char('\r'));
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            xml.writeEntityReference(QStringLiteral("#13"));
        if (!parts.at(i).isEmpty())
            xml.writeCharacters(parts.at(i));
    }
}

QVariant readContent(const QDomElement& e, bool* ok)
{
    const QString type = e.attribute(QStringLiteral("type"));
    if (type != QLatin1String(kListType))
        return valueFromText(type, e.text(), ok);
    QVariantList list;
    for (QDomElement item = e.firstChildElement(kListItem); !item.isNull(); item = item.nextSiblingElement(kListItem))
        list.append(item.hasAttribute(QStringLiteral("type")) ? readContent(item, ok) : QVariant(readValues(item)));
    return list;
}

} // namespace

void writeValue(QXmlStreamWriter& xml, const QString& key, const QVariant& value, const QStringList& reserved)
{
    if (isXmlName(key) && !reserved.contains(key)) {
        xml.writeStartElement(key);
    } else {
        xml.writeStartElement(QStringLiteral("VALUE"));
        xml.writeAttribute(QStringLiteral("name"), xmlSafe(key));
    }
    writeContent(xml, value);
    xml.writeEndElement();
}

void writeValues(QXmlStreamWriter& xml, const QVariantMap& values, const QStringList& reserved)
{
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        writeValue(xml, it.key(), it.value(), reserved);
}

QVariantMap readValues(const QDomElement& parent, const QStringList& skip, QStringList* unreadable)
{
    QVariantMap values;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (skip.contains(e.tagName()))
            continue;
        const QString key = e.tagName() == QLatin1String("VALUE") && e.hasAttribute(QStringLiteral("name"))
            ? e.attribute(QStringLiteral("name"))
            : e.tagName();
        bool ok = true;
        values.insert(key, readContent(e, &ok));
        if (!ok && unreadable)
            unreadable->append(key);
    }
    return values;
}

namespace {

struct WritableRoot {
    QMutex mutex;
    int inside = 0;
};

WritableRoot& writableRoot()
{
    static WritableRoot root;
    return root;
}

} // namespace

void enterWritableRoot()
{
    WritableRoot& root = writableRoot();
    QMutexLocker lock(&root.mutex);
    if (root.inside++ == 0)
        platform::board().runShell("mount -o remount,rw /");
}

void leaveWritableRoot()
{
    WritableRoot& root = writableRoot();
    QMutexLocker lock(&root.mutex);
    if (root.inside > 0 && --root.inside == 0) {
        platform::board().runShell("sync");
        platform::board().runShell("mount -o remount,ro /");
    }
}

bool withWritableRoot(const std::function<bool()>& work)
{
    enterWritableRoot();
    const bool ok = work();
    leaveWritableRoot();
    return ok;
}

bool saveReplacing(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qDebug() << "Failed to create the folder" << folder;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qDebug() << "Failed to open file" << path << file.errorString();
        return false;
    }
    if (!write(file)) {
        // The temporary file goes with the QSaveFile; the old file is untouched.
        file.cancelWriting();
        qDebug() << "Failed to write file" << path << "- the previous file is kept";
        return false;
    }
    if (!file.commit()) {
        qDebug() << "Failed to save file" << path << file.errorString() << "- the previous file is kept";
        return false;
    }
    return true;
}

bool saveXml(const QString& path, const QString& rootElement, const std::function<void(QXmlStreamWriter&)>& body)
{
    return withWritableRoot([&] {
        return saveReplacing(path, [&](QIODevice& device) {
            QXmlStreamWriter xml(&device);
            xml.setAutoFormatting(true);
            xml.writeStartDocument();
            xml.writeStartElement(rootElement);
            const qint64 nowMs = common::clock().wallTimeUs() / 1000;
            xml.writeAttribute(QStringLiteral("date"), QDateTime::fromMSecsSinceEpoch(nowMs).toString(Qt::ISODate));
            xml.writeAttribute(QStringLiteral("equipment"), QCoreApplication::applicationName());
            body(xml);
            xml.writeEndElement();
            xml.writeEndDocument();
            return !xml.hasError();
        });
    });
}

QString asideName(const QString& path)
{
    QString name = path + QStringLiteral(".bad");
    for (int n = 1; QFileInfo::exists(name); ++n)
        name = path + QStringLiteral(".bad.") + QString::number(n);
    return name;
}

namespace {

QString notValid(qint64 line, qint64 column, const QString& error)
{
    return QStringLiteral("is not valid XML (line %1, column %2: %3)").arg(line).arg(column).arg(error);
}

QString noRoot(const QString& rootElement) { return QStringLiteral("has no %1 root element").arg(rootElement); }

// What makes text unusable before anything is built from it (empty when nothing does): not
// well-formed, nested deeper than kMaxXmlDepth, or a document type declaration. The reader
// keeps its element stack on the heap, so any depth is safe here.
QString screened(const QByteArray& text)
{
    QXmlStreamReader reader(text);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxXmlDepth)
                return QStringLiteral("nests elements deeper than %1 levels (line %2)")
                    .arg(kMaxXmlDepth)
                    .arg(reader.lineNumber());
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::DTD:
            return QStringLiteral("has a document type declaration (line %1)").arg(reader.lineNumber());
        default:
            break;
        }
    }
    if (reader.hasError())
        return notValid(reader.lineNumber(), reader.columnNumber(), reader.errorString());
    return QString();
}

// Reads path and hands its content, screened, to parse, which says what else is wrong with
// it (empty when nothing is). A file that cannot be read or used is logged and kept aside or
// left in place as `bad` says.
LoadResult load(const QString& path, BadFile bad, const std::function<QString(const QByteArray&)>& parse)
{
    QString problem;
    {
        QFile file(path);
        if (!file.exists()) {
            qDebug().noquote() << "File" << path << "does not exist";
            return LoadResult::Missing;
        }
        QByteArray text;
        if (!file.open(QIODevice::ReadOnly)) {
            problem = QStringLiteral("cannot be read: ") + file.errorString();
        } else if (readWhole(file, &text, &problem)) {
            problem = screened(text);
            if (problem.isEmpty())
                problem = parse(text);
        }
    }
    if (problem.isEmpty())
        return LoadResult::Loaded;
    if (bad == BadFile::KeepAside)
        keepAside(path, problem);
    else
        qDebug().noquote() << "File" << path << problem << "- it is not used";
    return LoadResult::Unreadable;
}

// The value elements below the reader's current element, up to its end; the keys whose text
// does not read as their type go to *unreadable.
QVariantMap readRecord(QXmlStreamReader& xml, QStringList* unreadable)
{
    QVariantMap values;
    while (xml.readNextStartElement()) {
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringRef name = xml.name();
        const QString key = name == QLatin1String("VALUE") && attributes.hasAttribute(QLatin1String("name"))
            ? attributes.value(QLatin1String("name")).toString()
            : name.toString();
        const QString type = attributes.value(QLatin1String("type")).toString();
        QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        if (text.trimmed().isEmpty())
            text.clear(); // blanks alone are no text, as in a parsed document
        bool ok = true;
        values.insert(key, valueFromText(type, text, &ok));
        if (!ok && unreadable)
            unreadable->append(key);
    }
    return values;
}

// Parses screened text into doc.
QString parsedInto(const QByteArray& text, QDomDocument* doc)
{
    QString error;
    int line = 0;
    int column = 0;
    if (!doc->setContent(text, &error, &line, &column))
        return notValid(line, column, error);
    return QString();
}

} // namespace

bool readWhole(QFile& file, QByteArray* text, QString* problem)
{
    // The size a file reports can be wrong (a file still growing, a device): no more than
    // one byte past the bound is read either way.
    if (file.size() <= kMaxFileBytes) {
        *text = file.read(kMaxFileBytes + 1);
        if (text->size() <= kMaxFileBytes)
            return true;
    }
    *text = QByteArray();
    *problem = QStringLiteral("is larger than %1 bytes").arg(kMaxFileBytes);
    return false;
}

bool parseXml(const QByteArray& text, QDomDocument* doc, QString* problem)
{
    *problem = screened(text);
    if (problem->isEmpty())
        *problem = parsedInto(text, doc);
    if (problem->isEmpty())
        return true;
    *doc = QDomDocument();
    return false;
}

void keepAside(const QString& path, const QString& problem)
{
    const QString aside = asideName(path);
    const bool kept = withWritableRoot([&] { return QFile::rename(path, aside); });
    if (kept)
        qDebug().noquote() << "File" << path << problem << "- it is kept as" << aside;
    else
        qDebug().noquote() << "File" << path << problem << "- it could not be kept aside";
}

LoadResult loadXml(const QString& path, const QString& rootElement, QDomDocument* doc, BadFile bad)
{
    const LoadResult result = load(path, bad, [&](const QByteArray& text) {
        const QString problem = parsedInto(text, doc);
        if (problem.isEmpty() && !rootElement.isEmpty() && doc->documentElement().tagName() != rootElement)
            return noRoot(rootElement);
        return problem;
    });
    if (result != LoadResult::Loaded)
        *doc = QDomDocument();
    return result;
}

LoadResult loadRecords(const QString& path, const QString& rootElement, const QString& recordElement,
                       QList<QVariantMap>* records, QList<QStringList>* unreadable)
{
    QList<QStringList> keys;
    records->clear();
    const LoadResult result = load(path, BadFile::KeepAside, [&](const QByteArray& text) {
        QXmlStreamReader xml(text);
        if (xml.readNextStartElement() && xml.name() != rootElement)
            return noRoot(rootElement);
        while (xml.readNextStartElement()) {
            if (xml.name() == recordElement) {
                keys.append(QStringList());
                records->append(readRecord(xml, &keys.last()));
            } else {
                xml.skipCurrentElement();
            }
        }
        return QString();
    });
    if (result != LoadResult::Loaded) {
        records->clear();
        keys.clear();
    }
    if (unreadable)
        *unreadable = keys;
    return result;
}

void removeUnfinishedSaves(const QString& folder, const QStringList& names)
{
    // A save's temporary file ends in six random letters. A suffix that reads as a word
    // ("backup", "BACKUP", "Backup") is taken for a copy someone made, and kept.
    static const QRegularExpression temporary(QStringLiteral("^(.+)\\.[A-Za-z]{6}$"));
    static const QRegularExpression wordLike(QStringLiteral("\\.(?:[a-z]{6}|[A-Z]{6}|[A-Z][a-z]{5})$"));
    QList<QRegularExpression> patterns;
    for (const QString& name : names)
        patterns.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(name)));
    QStringList leftovers;
    const QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = temporary.match(file);
        if (!m.hasMatch() || wordLike.match(file).hasMatch())
            continue;
        for (const QRegularExpression& p : patterns) {
            if (p.match(m.captured(1)).hasMatch()) {
                leftovers.append(QDir::cleanPath(dir.filePath(file)));
                break;
            }
        }
    }
    if (leftovers.isEmpty())
        return;
    withWritableRoot([&] {
        for (const QString& file : leftovers) {
            if (QFile::remove(file))
                qDebug().noquote() << "Removed" << file << "left by a save that did not finish";
        }
        return true;
    });
}

QString shellQuoted(const QString& word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace storefile
