#include "i2cControl.h"

#include "platform/Platform.h"

#include <QDebug>

std::mutex& i2cBusMutex()
{
    static std::mutex busMutex;
    return busMutex;
}

int i2cEnviar(unsigned char address7, const unsigned char* data, int length)
{
    if (length < 0 || (length > 0 && !data))
        return -1;
    std::lock_guard<std::mutex> lock(i2cBusMutex());
    if (platform::board().i2cWrite(address7, data, static_cast<size_t>(length)) != 0) {
        qDebug() << "I2C-> Funtion i2cEnviar failed I2C_Address:" << Qt::hex << address7;
        return -1;
    }
    return 0;
}

int i2cRebre(unsigned char address7, unsigned char* data, int length)
{
    if (length < 0 || (length > 0 && !data))
        return -1;
    std::lock_guard<std::mutex> lock(i2cBusMutex());
    if (platform::board().i2cRead(address7, data, static_cast<size_t>(length)) != 0) {
        qDebug() << "I2C-> Funtion i2cRebre failed I2C_Address:" << Qt::hex << address7;
        return -1;
    }
    return 0;
}
