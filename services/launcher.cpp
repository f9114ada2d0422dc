#include "launcher.h"

#include "platform/Platform.h"

#include <QDebug>

#include <algorithm>

Launcher::Launcher(QObject* parent) : QObject(parent) {}

QString Launcher::launch(const QString& command)
{
    const QByteArray out = launchBytes(command);
    return QString::fromLocal8Bit(out.constData(), out.size());
}

QByteArray Launcher::launchBytes(const QString& command)
{
    platform::CommandResult r = platform::board().launchProcess(command.toLocal8Bit().toStdString(), kTimeoutMs);
    if (r.timedOut) {
        qDebug() << "Launcher: killed after" << kTimeoutMs << "ms:" << command;
        return QByteArray();
    }
    const std::string& out = r.output;
    const size_t end = std::min(out.find('\0'), out.size());
    return QByteArray(out.data(), static_cast<int>(end));
}
