#include "i2cControl.h"

#include "platform/Platform.h"

#include <QDebug>

#include <vector>

std::mutex& i2cBusMutex()
{
    static std::mutex busMutex;
    return busMutex;
}

namespace {

bool badBuffer(const unsigned char* data, int length) { return length < 0 || (length > 0 && !data); }

// The bus mutex is held by the caller.
int writeLocked(unsigned char address7, const unsigned char* data, int length, const char* function)
{
    if (platform::board().i2cWrite(address7, data, static_cast<size_t>(length)) != 0) {
        qDebug() << "I2C-> Funtion" << function << "failed I2C_Address:" << Qt::hex << address7;
        return -1;
    }
    return 0;
}

int readLocked(unsigned char address7, unsigned char* data, int length, const char* function)
{
    if (platform::board().i2cRead(address7, data, static_cast<size_t>(length)) != 0) {
        qDebug() << "I2C-> Funtion" << function << "failed I2C_Address:" << Qt::hex << address7;
        return -1;
    }
    return 0;
}

} // namespace

int i2cEnviar(unsigned char address7, const unsigned char* data, int length)
{
    if (badBuffer(data, length))
        return -1;
    std::lock_guard<std::mutex> lock(i2cBusMutex());
    return writeLocked(address7, data, length, "i2cEnviar");
}

int i2cRebre(unsigned char address7, unsigned char* data, int length)
{
    if (badBuffer(data, length))
        return -1;
    std::lock_guard<std::mutex> lock(i2cBusMutex());
    return readLocked(address7, data, length, "i2cRebre");
}

int i2cEnviarRebre(unsigned char address7, const unsigned char* sub, int subLength, unsigned char* data, int length)
{
    if (badBuffer(sub, subLength) || badBuffer(data, length))
        return -1;
    std::lock_guard<std::mutex> lock(i2cBusMutex());
    if (subLength > 0 && writeLocked(address7, sub, subLength, "i2cEnviarRebre") != 0)
        return -1;
    return readLocked(address7, data, length, "i2cEnviarRebre");
}

int i2cWriteRegisters(unsigned char address7, unsigned char reg, const unsigned char* data, int length)
{
    if (badBuffer(data, length))
        return -1;
    std::vector<unsigned char> frame(static_cast<size_t>(length) + 1);
    frame[0] = reg;
    for (int i = 0; i < length; ++i)
        frame[static_cast<size_t>(i) + 1] = data[i];
    return i2cEnviar(address7, frame.data(), length + 1);
}

int i2cReadRegisters(unsigned char address7, unsigned char reg, unsigned char* data, int length)
{
    return i2cEnviarRebre(address7, &reg, 1, data, length);
}
