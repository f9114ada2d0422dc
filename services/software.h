// The equipment file "calibracion/SOFTWARE.XML" of the working directory, read once:
// the equipment name, its serial number and which optional modules are fitted.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

class Software : public QObject {
    Q_OBJECT
public:
    static Software* getInstance();

    // The optical-module option ("OCLARO").
    Q_INVOKABLE bool getOclaro() const { return getOption(QStringLiteral("OCLARO")); }
    // A fitted-module flag by its element name; false when the file does not have it.
    Q_INVOKABLE bool getOption(const QString& name) const;
    Q_INVOKABLE QString getEquipmentName() const;

    static QString filePath() { return QStringLiteral("calibracion/SOFTWARE.XML"); }
    // The typed values of an equipment file; empty when it is missing or damaged (which
    // is logged, and the file is left where it is).
    static QVariantMap readFile(const QString& path);

private:
    Software();
    QVariantMap values_;
};
