#include "ChipLog.h"

#include <QDebug>
#include <QString>

void chipLog(const char* chip, const char* function, int reg, int address7, const char* note)
{
    QString line = QString::asprintf("%s Funtion %s RegAddress:0x%02X I2C_Address:0x%02X", chip, function, reg & 0xFF,
                                     address7 & 0xFF);
    if (note)
        line += QLatin1Char(' ') + QString::fromUtf8(note);
    qDebug().noquote() << line;
}
