// The instrument's settings: one map of named values kept in "screenVariables.XML" in the
// working directory, read by every subsystem through a copy and edited by the screens,
// which hand the whole map back to be saved.
#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariantMap>

class ScreensVariables : public QObject {
    Q_OBJECT
public:
    // The channel-plan selection, saved in the settings file after the keys.
    struct ChannelIndexes {
        int plan = 0;
        int channel = 0;
        int bondingGroup = 0;
        int carrier = 0;
        bool operator==(const ChannelIndexes& o) const
        {
            return plan == o.plan && channel == o.channel && bondingGroup == o.bondingGroup && carrier == o.carrier;
        }
    };

    static ScreensVariables* getInstance();

    // A copy of the whole settings map; a missing key reads as 0 or an empty text.
    Q_INVOKABLE QVariantMap getScreensVariables() const;
    Q_INVOKABLE QVariantMap screensVariables() const { return getScreensVariables(); }
    // "frequency" in Hz; 0 when missing.
    unsigned int getScreensVariablesFrequency() const;
    // Replaces the map when it differs, saves the file and restarts the auto power-off.
    // A value handed back with another number type than the key had (QML has only one)
    // keeps the key's type where nothing is lost.
    Q_INVOKABLE void setScreensVariables(const QVariantMap& variables);
    // Held in the map only; not saved.
    Q_INVOKABLE void setCM_MAC(const QString& mac);
    // "hardware_model"; 0 when missing or not numeric.
    Q_INVOKABLE int getModelHardware() const;
    Q_INVOKABLE QString getScreensVariablesSerialNumber() const;
    // Held in the map only; the next save writes it. A new number is told as a change.
    Q_INVOKABLE void setScreensVariablesSerialNumber(const QString& serial);
    // Stores one value in the map without saving (start-up stores the hardware model).
    void setValue(const QString& key, const QVariant& value);
    // Writes the whole file, inside the root file system's read-write brackets; while saves
    // are held, only notes that a save is due.
    Q_INVOKABLE void guardaVariables();
    // The start-up holds saves while the first screen is built, so the write and its disk
    // sync follow the first frame instead of delaying it; the release writes once if a save
    // was asked for meanwhile.
    void holdSaves();
    void releaseSaves();

    // Held for the channel-plan model; written by the next save.
    ChannelIndexes channelIndexes() const;
    void setChannelIndexes(const ChannelIndexes& indexes);

    // Reads the file of the working directory again. A missing, unreadable or malformed
    // file gives the default settings (a bad file is kept aside); false then. A file with
    // values that do not read as their type is kept aside too, its other values are
    // used, and those keys take their defaults; false as well.
    bool carregaVariables();
    static QString fileName() { return QStringLiteral("screenVariables.XML"); }
    // The settings a unit starts with, built into the program.
    static QString defaultsFileName() { return QStringLiteral(":/store/screenVariables.XML"); }

signals:
    // Every setScreensVariables restarts the auto power-off with the "autoPowerOff" delay (s).
    void autoPowerOffChanged(int seconds);
    // The map was replaced, or the serial number changed.
    void screensVariablesChanged();

private:
    ScreensVariables();
    // The built-in default settings; false when they cannot be read.
    static bool readDefaults(QVariantMap* variables, ChannelIndexes* indexes);
    void adopt(const QVariantMap& variables, const ChannelIndexes& indexes);

    mutable QMutex mutex_; // the cable-modem thread reads the map while the screens write it
    QVariantMap variables_;
    ChannelIndexes indexes_;
    bool savesHeld_ = false;
    bool saveDue_ = false;
};
