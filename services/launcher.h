// Runs a command line as a process and hands back what it printed: the screens'
// (QML type Launcher 1.0) and the remote version query's way to ask the system.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class Launcher : public QObject {
    Q_OBJECT
public:
    // A command still running after this long is killed: a hung command must not
    // freeze the screens and every remote connection with them.
    static constexpr int kTimeoutMs = 60000;

    explicit Launcher(QObject* parent = nullptr);

    // Program and arguments are split from the one string, double quotes grouping.
    // Returns the standard output decoded from the local 8-bit code up to the first NUL
    // byte; empty when the command printed nothing, could not start or was killed.
    Q_INVOKABLE QString launch(const QString& command);
    // The same output as the bytes the command printed, for callers that pass them on
    // (a remote reply) and must not decode and encode them again.
    QByteArray launchBytes(const QString& command);
};
