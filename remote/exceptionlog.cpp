#include "exceptionlog.h"

#include <QDebug>
#include <QString>

namespace remotelog {

void note(const char* fragment, const std::string& detail)
{
    qDebug().noquote() << QString::fromLatin1(fragment) + QString::fromLocal8Bit(detail.data(), static_cast<int>(detail.size()));
}

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
