#include "software.h"

#include <QDebug>
#include <QDomDocument>
#include <QFile>

namespace {
const char kRoot[] = "SOFTWARE";

QVariant typedValue(const QDomElement& e)
{
    const QString type = e.attribute("type");
    const QString text = e.text().trimmed();
    if (type == "bool")
        return text == "true" || text == "1";
    if (type == "int")
        return text.toInt();
    if (type == "uint")
        return text.toUInt();
    if (type == "double")
        return text.toDouble();
    return text;
}
} // namespace

Software* Software::getInstance()
{
    static Software instance;
    return &instance;
}

Software::Software()
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "File" << filePath() << "does not exist";
        return;
    }
    QDomDocument doc;
    QString error;
    int line = 0;
    if (!doc.setContent(&file, &error, &line)) {
        qDebug() << "Failed to parse" << filePath() << "line" << line << error;
        return;
    }
    const QDomElement root = doc.documentElement();
    if (root.tagName() != kRoot) {
        qDebug() << "Failed to parse" << filePath() << ": root element is" << root.tagName();
        return;
    }
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        values_.insert(e.tagName(), typedValue(e));
}

bool Software::getOption(const QString& name) const
{
    const QVariant v = values_.value(name);
    return v.toBool();
}

QString Software::getEquipmentName() const { return values_.value("equipment_name").toString(); }

QString Software::getSerialNumber() const { return values_.value("serial_number").toString(); }
