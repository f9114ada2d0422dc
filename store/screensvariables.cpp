#include "screensvariables.h"

#include "platform/Platform.h"

#include <QDateTime>
#include <QDebug>
#include <QDomDocument>
#include <QFile>
#include <QXmlStreamWriter>

namespace {
const char kRoot[] = "SCREEN_VARIABLES";

QString typeName(const QVariant& v)
{
    switch (static_cast<int>(v.type())) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return "int";
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return "uint";
    case QMetaType::Double:
    case QMetaType::Float:
        return "double";
    case QMetaType::Bool:
        return "bool";
    default:
        return "QString";
    }
}

QVariant fromText(const QString& type, const QString& text)
{
    if (type == "int")
        return text.toInt();
    if (type == "uint")
        return text.toUInt();
    if (type == "double")
        return text.toDouble();
    if (type == "bool")
        return text == "true" || text == "1";
    return text;
}

QString toText(const QVariant& v)
{
    if (v.type() == QVariant::Bool)
        return v.toBool() ? "true" : "false";
    if (v.type() == QVariant::Double)
        return QString::number(v.toDouble(), 'g', 17);
    return v.toString();
}
} // namespace

ScreensVariables* ScreensVariables::getInstance()
{
    static ScreensVariables instance;
    return &instance;
}

ScreensVariables::ScreensVariables() { carregaVariables(); }

bool ScreensVariables::carregaVariables()
{
    QFile file(fileName());
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "File" << fileName() << "does not exist";
        return false;
    }
    QDomDocument doc;
    QString error;
    int line = 0;
    if (!doc.setContent(&file, &error, &line)) {
        qDebug() << "Failed to parse" << fileName() << "line" << line << error;
        return false;
    }
    QVariantMap loaded;
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        loaded.insert(e.tagName(), fromText(e.attribute("type"), e.text()));
    variables_ = loaded;
    return true;
}

QVariantMap ScreensVariables::getScreensVariables() const { return variables_; }

unsigned int ScreensVariables::getScreensVariablesFrequency() const
{
    return variables_.value("frequency").toUInt();
}

void ScreensVariables::setScreensVariables(const QVariantMap& variables)
{
    if (variables != variables_) {
        variables_ = variables;
        emit screensVariablesChanged();
    }
    guardaVariables();
    emit autoPowerOffChanged(variables_.value("autoPowerOff").toInt());
}

void ScreensVariables::setCM_MAC(const QString& mac) { variables_.insert("cm_MAC", mac); }

int ScreensVariables::getModelHardware() const { return variables_.value("hardware_model").toInt(); }

QString ScreensVariables::getScreensVariablesSerialNumber() const
{
    return variables_.value("serial_number").toString();
}

void ScreensVariables::setScreensVariablesSerialNumber(const QString& serial)
{
    variables_.insert("serial_number", serial);
}

void ScreensVariables::setValue(const QString& key, const QVariant& value) { variables_.insert(key, value); }

void ScreensVariables::guardaVariables()
{
    platform::board().runShell("mount -o remount,rw /");
    QFile file(fileName());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QXmlStreamWriter xml(&file);
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeStartElement(kRoot);
        xml.writeAttribute("date", QDateTime::currentDateTime().toString(Qt::ISODate));
        xml.writeAttribute("equipment", variables_.value("equipment").toString());
        for (auto it = variables_.constBegin(); it != variables_.constEnd(); ++it) {
            xml.writeStartElement(it.key());
            xml.writeAttribute("type", typeName(it.value()));
            xml.writeCharacters(toText(it.value()));
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndDocument();
    } else {
        qDebug() << "Failed to open file" << fileName();
    }
    platform::board().runShell("sync");
    platform::board().runShell("mount -o remount,ro /");
}
