// The instrument's settings: one map of named values kept in "screenVariables.XML" in the
// working directory, read by every subsystem through a copy and edited by the screens,
// which hand the whole map back to be saved.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

class ScreensVariables : public QObject {
    Q_OBJECT
public:
    static ScreensVariables* getInstance();

    // A copy of the whole settings map; a missing key reads as 0 or an empty text.
    Q_INVOKABLE QVariantMap getScreensVariables() const;
    Q_INVOKABLE QVariantMap screensVariables() const { return getScreensVariables(); }
    // "frequency" in Hz; 0 when missing.
    unsigned int getScreensVariablesFrequency() const;
    // Replaces the map when it differs, saves the file and restarts the auto power-off.
    Q_INVOKABLE void setScreensVariables(const QVariantMap& variables);
    // Held in the map only; not saved.
    Q_INVOKABLE void setCM_MAC(const QString& mac);
    Q_INVOKABLE int getModelHardware() const;
    Q_INVOKABLE QString getScreensVariablesSerialNumber() const;
    void setScreensVariablesSerialNumber(const QString& serial);
    // Stores one value in the map without saving (start-up stores the hardware model).
    void setValue(const QString& key, const QVariant& value);
    // Writes the whole file, inside the root file system's read-write brackets.
    Q_INVOKABLE void guardaVariables();

    // Reads the file of the working directory again (start-up, tests).
    bool carregaVariables();
    static QString fileName() { return QStringLiteral("screenVariables.XML"); }

signals:
    // Every setScreensVariables restarts the auto power-off with the "autoPowerOff" delay (s).
    void autoPowerOffChanged(int seconds);
    void screensVariablesChanged();

private:
    ScreensVariables();
    QVariantMap variables_;
};
