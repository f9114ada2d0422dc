#include "spidevice.h"

#include "platform/Platform.h"

#include <QDebug>
#include <vector>

SpiDevice::SpiDevice(std::string device, uint32_t speedHz, uint8_t mode, uint8_t bitsPerWord)
    : device_(std::move(device)), speedHz_(speedHz), mode_(mode), bits_(bitsPerWord)
{
}

int SpiDevice::open()
{
    if (platform::board().spiOpen(device_) != 0) {
        qDebug() << "SPI-> Unable to open" << device_.c_str();
        return -1;
    }
    return 0;
}

int SpiDevice::transfer(const uint8_t* tx, uint8_t* rx, size_t len)
{
    if (platform::board().spiTransfer(device_, tx, rx, len, speedHz_, bits_, mode_) != 0) {
        qDebug() << "SPI-> Transfer failed on" << device_.c_str();
        return -1;
    }
    return 0;
}

int SpiDevice::write(const uint8_t* tx, size_t len)
{
    std::vector<uint8_t> rx(len);
    return transfer(tx, rx.data(), len);
}
