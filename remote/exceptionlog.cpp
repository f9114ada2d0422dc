#include "exceptionlog.h"

#include <QDebug>
#include <QString>

namespace remotelog {

void stdException(const char* who, const std::exception& e)
{
    qDebug().noquote() << QString::fromLatin1(who) + QStringLiteral(" Exception from std c++ lib .")
                       << QString::fromLocal8Bit(e.what());
}

void unknownException(const char* who)
{
    qDebug().noquote() << QString::fromLatin1(who) + QStringLiteral(" Unknow Exception.");
}

} // namespace remotelog
