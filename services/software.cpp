#include "software.h"

#include "store/storefile.h"

#include <QDomDocument>

namespace {
const char kRoot[] = "SOFTWARE";
} // namespace

Software* Software::getInstance()
{
    static Software instance;
    return &instance;
}

Software::Software() : values_(readFile(filePath())) {}

QVariantMap Software::readFile(const QString& path)
{
    QVariantMap values;
    QDomDocument doc;
    // The factory's file: a damaged one is said to be so and left where it is.
    if (storefile::loadXml(path, kRoot, &doc, storefile::BadFile::LeaveInPlace) != storefile::LoadResult::Loaded)
        return values;
    const QDomElement root = doc.documentElement();
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        values.insert(e.tagName(), storefile::valueFromText(e.attribute("type"), e.text().trimmed()));
    return values;
}

bool Software::getOption(const QString& name) const
{
    const QVariant v = values_.value(name);
    return v.toBool();
}

QString Software::getEquipmentName() const { return values_.value("equipment_name").toString(); }
