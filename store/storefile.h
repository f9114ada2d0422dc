// What the settings, channel-plan and logger files have in common: typed value elements,
// the "date" and "equipment" attributes, and saving on the read-only root file system
// so that a save cut short leaves the old file or the new one, never a torn one.
#pragma once

#include <QDomDocument>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QXmlStreamWriter>

#include <functional>

class QFile;
class QIODevice;

namespace storefile {

// "int", "uint", "double", "bool" or "QString": the file's name for a value's type; a list
// is a "QVariantList".
QString typeName(const QVariant& value);
// The value as it is written between its element's tags.
QString valueText(const QVariant& value);
// The value an element holds, from its "type" attribute and its text; an unknown or
// missing type reads as text. A text that does not read as its type gives 0 or false,
// and false in *ok.
QVariant valueFromText(const QString& type, const QString& text, bool* ok = nullptr);
// The value as one of the five file types: wide integers become int or uint where they
// fit, floats double, lists stay lists, anything else text. Keeps a round trip through the
// file exact.
QVariant normalised(const QVariant& value);
// The value converted to the file type of `like` when that loses nothing (a whole number
// handed back by QML for a "uint" or "double" key, a number for a text key); otherwise
// the value itself.
QVariant keepingType(const QVariant& value, const QVariant& like);

// One value element: <key type="...">text</key>. A key that is not an XML name, or that is
// one of the file's own element names (`reserved`), is kept as <VALUE name="key" type="...">,
// so no key can make the file unreadable or be taken for something else. A list is
// <key type="QVariantList"> with one <ROW> per item: a map item holds the map's value
// elements, any other item its own type and text (or rows).
void writeValue(QXmlStreamWriter& xml, const QString& key, const QVariant& value, const QStringList& reserved = {});
void writeValues(QXmlStreamWriter& xml, const QVariantMap& values, const QStringList& reserved = {});
// The value elements directly below parent, keyed as writeValue wrote them; elements
// named in `skip` are left out. The keys whose text does not read as their type are
// added to *unreadable.
QVariantMap readValues(const QDomElement& parent, const QStringList& skip = {}, QStringList* unreadable = nullptr);

// Runs work between "mount -o remount,rw /" and "sync", "mount -o remount,ro /", as every
// write to the unit's root file system must be; returns what work returns.
bool withWritableRoot(const std::function<bool()>& work);
// The same bracket in two halves. Brackets of several threads (or nested ones) share one
// read-write period: the first in remounts read-write, the last out syncs and remounts
// read-only, so no thread's write meets a root switched back under it.
void enterWritableRoot();
void leaveWritableRoot();

// Writes path through a temporary file in the same folder that replaces the old file only
// once complete (the folder is created when missing). write returns false to give up;
// the old file then stays as it was. Call inside withWritableRoot.
bool saveReplacing(const QString& path, const std::function<bool(QIODevice&)>& write);

// A whole XML file: the document, its root element with "date" and "equipment", what
// body writes inside the root, all inside the root file system's write brackets.
bool saveXml(const QString& path, const QString& rootElement, const std::function<void(QXmlStreamWriter&)>& body);

// No file of the instrument nests elements more than a few levels deep; every loader refuses
// a file nested deeper than this before building anything, as the DOM parser recurses per level.
constexpr int kMaxXmlDepth = 32;

// No file the instrument reads whole comes near this (its largest channel plan is under
// 100 KB); a larger one is refused unread, as reading it would hold the start-up for
// seconds and take a hundred megabytes or more.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

// The whole content of an open file; a file larger than kMaxFileBytes is not read: false,
// with the reason in *problem.
bool readWhole(QFile& file, QByteArray* text, QString* problem);

// Parses text into doc. Text that is not well-formed, nests deeper than kMaxXmlDepth or
// carries a document type declaration (none of the instrument's files has one, and its
// entities could expand without bound) is refused: false, with the reason in *problem.
bool parseXml(const QByteArray& text, QDomDocument* doc, QString* problem);

enum class LoadResult { Loaded, Missing, Unreadable };
// What becomes of a file that cannot be used: the files the instrument saves are kept aside,
// so that the next save cannot destroy what the user had; the factory's files, which the
// instrument never writes, stay where they are.
enum class BadFile { KeepAside, LeaveInPlace };

// Reads and parses path into doc; a missing file is logged. A file that cannot be read or
// parsed, or whose root is not rootElement (when given), is logged, kept aside as `bad`
// says, and reported Unreadable.
LoadResult loadXml(const QString& path, const QString& rootElement, QDomDocument* doc,
                   BadFile bad = BadFile::KeepAside);
// Renames path aside to asideName(path), logging why.
void keepAside(const QString& path, const QString& problem);

// The records of a file without building its document: each element named recordElement
// directly below the root, read as readValues reads it; (*unreadable)[i] lists the keys of
// record i whose text does not read as their type. Missing and unusable files are handled
// as loadXml handles them, the bad ones kept aside.
LoadResult loadRecords(const QString& path, const QString& rootElement, const QString& recordElement,
                       QList<QVariantMap>* records, QList<QStringList>* unreadable = nullptr);

// The name a file is kept aside under: the first of "<path>.bad", "<path>.bad.1", ... that
// does not exist.
QString asideName(const QString& path);

// Removes from folder the temporary files of saves cut short between writing and renaming
// (where the file system cannot hold an unnamed temporary file, a save writes
// "<name>.XXXXXX" beside its file), for the files the wildcard patterns `names` match.
void removeUnfinishedSaves(const QString& folder, const QStringList& names);

// A single-quoted word for the system shell.
QString shellQuoted(const QString& word);

} // namespace storefile
