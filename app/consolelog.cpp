#include "consolelog.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace {
void toStandardOutput(QtMsgType, const QMessageLogContext&, const QString& message)
{
    const QByteArray line = message.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
}
} // namespace

void installConsoleLog() { qInstallMessageHandler(toStandardOutput); }
