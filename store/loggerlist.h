// The data-logger store: the measurement runs' current logger result, and the logger files
// "LoggerNN.XML" (root DATALOGGER) kept in one folder per logger type under "./loggers/",
// listed, read, written and exported to a USB stick at "/mnt".
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

class Loggerlist : public QObject {
    Q_OBJECT
public:
    static Loggerlist* getInstance();

    // Replaces the current logger map when the given map differs; saves and emits nothing.
    Q_INVOKABLE void setCurrentLogger(const QVariantMap& logger);
    Q_INVOKABLE QVariantMap currentLogger() const { return currentLogger_; }

    // The logger types that have a folder, and the logger files of one type, sorted.
    Q_INVOKABLE QStringList loggerTypes() const;
    Q_INVOKABLE QStringList llistaLoggers(const QString& type) const;
    // The entries of a logger file, each a map of values (a value may be a list of maps);
    // empty when the file is missing or malformed. A registration logger of the older form,
    // one entry per table row, reads as the one entry of table lists it is saved as now.
    Q_INVOKABLE QVariantList carregaLogger(const QString& type, const QString& file) const;
    // Writes the entries to a new file of the type's folder (a list value as its rows);
    // returns its name ("Logger00.XML" in an empty folder), or an empty text when nothing
    // was written.
    Q_INVOKABLE QString guardaLogger(const QString& type, const QVariantList& entries);
    // Copies a logger file to the USB stick as "/mnt/<type>_<file>": mounts "/dev/sda1", or
    // "/dev/sdb1" when that fails, at "/mnt", copies, unmounts. True when the copy succeeded.
    Q_INVOKABLE bool exportaLogger(const QString& type, const QString& file);

    static QString loggersFolder() { return QStringLiteral("loggers"); }
    // The name of the next logger file among existing: one past the highest index, or the
    // lowest free index once "Logger99.XML" exists; empty when all hundred are taken.
    static QString nextLoggerName(const QStringList& existing);
    // Names that are safe as a folder, a file name and a shell word.
    static bool validType(const QString& type);
    static bool validLoggerFile(const QString& file);

signals:
    // A logger file of the type was written.
    void loggersChanged(const QString& type);

private:
    Loggerlist();
    QVariantMap currentLogger_;
};
