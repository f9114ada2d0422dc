#include "serialPort.h"

#include "common/Clock.h"
#include "common/SignalSafeIo.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDebug>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A full transmit buffer (4 KiB) leaves within about a second at the slowest line speed
// (38400 baud): a modem that takes nothing for longer has stopped reading its commands.
constexpr int kWriteWaitMs = 2000;

int baudOf(int speed)
{
    switch (speed) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
    }
}

} // namespace

SerialPort::SerialPort(QMutex* mutex, QWaitCondition* condition) : mutex_(mutex), condition_(condition)
{
    qDebug() << "Creating SerialPort";
    std::memset(frame_, 0, sizeof frame_);
    InitBufTrames();
}

SerialPort::~SerialPort()
{
    qDebug() << "Destroying SerialPort";
    closePort();
    requestInterruption();
    if (mutex_ && condition_) {
        QMutexLocker lock(mutex_);
        condition_->wakeAll();
    }
    quit();
    // The reader never ends by itself; let it see the request before the object goes.
    wait();
}

int SerialPort::initPort(int speed, char* path)
{
    std::lock_guard<std::mutex> lock(fdMutex_);
    if (open_) {
        // Opening over an open line would leak its descriptor.
        ::close(fd_);
        open_ = false;
        platform::board().serialClosed(unitDevice_);
    }
    unitDevice_ = path ? path : "";
    const std::string devicePath = platform::board().serialDevicePath(unitDevice_);
    fd_ = devicePath.empty() ? -1 : common::retryInterrupted(::open, devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        qDebug() << "SerialPort InitPort error Open" << fd_;
        open_ = false;
        return -1;
    }
    if (set_interface_attribs(speed, 0) != 0) {
        qDebug() << "SerialPort set_interface_attribs error " << fd_;
        ::close(fd_);
        fd_ = -1;
        open_ = false;
        return -1;
    }
    open_ = true;
    platform::board().serialOpened(unitDevice_, baudOf(speed));
    return 0;
}

int SerialPort::set_interface_attribs(int speed, int parity)
{
    struct termios tty;
    std::memset(&tty, 0, sizeof tty);
    if (::tcgetattr(fd_, &tty) != 0)
        return -1;
    ::cfsetospeed(&tty, static_cast<speed_t>(speed));
    ::cfsetispeed(&tty, static_cast<speed_t>(speed));
    tty.c_cflag = (tty.c_cflag & ~CSIZE) | CS8;
    tty.c_iflag &= ~static_cast<tcflag_t>(IGNBRK);
    tty.c_lflag = 0;
    tty.c_oflag = 0;
    tty.c_cc[VMIN] = 0;
    tty.c_cc[VTIME] = 1;
    tty.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tty.c_cflag |= CLOCAL | CREAD | HUPCL;
    tty.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
    tty.c_cflag |= static_cast<tcflag_t>(parity);
    tty.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    tty.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    if (::tcsetattr(fd_, TCSANOW, &tty) != 0)
        return -1;
    return 0;
}

void SerialPort::closePort()
{
    std::lock_guard<std::mutex> lock(fdMutex_);
    if (!open_)
        return;
    open_ = false;
    ::close(fd_);
    fd_ = -1;
    if (platform::hasBoard())
        platform::board().serialClosed(unitDevice_);
}

int SerialPort::SendPort(const char* text)
{
    std::lock_guard<std::mutex> lock(fdMutex_);
    if (!open_ || !text)
        return 0;
    // A command cut in two by a signal or a full line would reach the modem as garbage, or
    // not at all: the rest follows.
    return static_cast<int>(common::writeAll(fd_, text, std::strlen(text), kWriteWaitMs));
}

int SerialPort::SendCommand(const QString& command, int waitMs)
{
    replyReceived_ = false;
    SendPort(command.toLatin1().constData());
    if (waitMs < 1)
        return replyReceived_;
    common::Clock& clk = common::clock();
    const uint64_t start = clk.monotonicMs();
    while (!replyReceived_ && clk.monotonicMs() - start < static_cast<uint64_t>(waitMs)) {
        clk.sleepMs(2);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    }
    return replyReceived_;
}

int SerialPort::serial_read()
{
    int total = 0;
    char local[kBufferSize];
    for (;;) {
        int got;
        {
            std::lock_guard<std::mutex> lock(fdMutex_);
            if (!open_)
                return total;
            int ready;
            {
                common::WaitingForOthers forTheModem;
                // A signal would end the burst early and cut a reply in two frames.
                ready = common::retryInterrupted([this] {
                    fd_set readSet;
                    FD_ZERO(&readSet);
                    FD_SET(fd_, &readSet);
                    struct timeval timeout = {0, selectTimeoutUs_};
                    return ::select(FD_SETSIZE, &readSet, nullptr, nullptr, &timeout);
                });
            }
            if (ready == 0)
                return total;
            if (ready < 0) {
                qDebug() << "SerialPort::serial_read" << -1;
                return total;
            }
            got = static_cast<int>(common::retryInterrupted(::read, fd_, local, static_cast<size_t>(kBufferSize - total)));
        }
        if (got < 0) {
            // Nothing after all (a non-blocking read racing the select): the burst ends.
            if (errno == EAGAIN)
                return total;
            qDebug() << "SerialPort::serial_read" << -1;
            return total;
        }
        if (got == 0)
            return total; // the other end hung up
        total += got;
        writeCircularBuffer(local, got);
        if (total > kBufferSize - 1)
            return total;
    }
}

void SerialPort::writeCircularBuffer(const char* data, int length)
{
    std::lock_guard<std::mutex> lock(bufferMutex_);
    for (int i = 0; i < length; ++i) {
        circular_[writeIndex_] = data[i];
        writeIndex_ = (writeIndex_ + 1) % kBufferSize;
        ++count_;
        ++secondCount_;
    }
    // An undrained buffer holds at most its size: older bytes were overwritten.
    if (count_ > kBufferSize) {
        readIndex_ = writeIndex_;
        count_ = kBufferSize;
    }
}

char SerialPort::GetCharFromBufferR()
{
    std::lock_guard<std::mutex> lock(bufferMutex_);
    if (count_ < 1)
        return 0;
    const char c = circular_[readIndex_];
    readIndex_ = (readIndex_ + 1) % kBufferSize;
    --count_;
    return c;
}

void SerialPort::readTamaCircularBuffer(char* out)
{
    std::lock_guard<std::mutex> lock(bufferMutex_);
    int n = 0;
    while (count_ > 0) {
        out[n++] = circular_[readIndex_];
        readIndex_ = (readIndex_ + 1) % kBufferSize;
        --count_;
    }
    out[n] = '\0';
}

int SerialPort::LlegeixTrama(char* out)
{
    if (serial_read() < 1)
        return 0;
    readTamaCircularBuffer(out);
    return 1;
}

QString SerialPort::getTrama() const
{
    return QString::fromLatin1(frame_, static_cast<int>(::strnlen(frame_, sizeof frame_)));
}

void SerialPort::InitBufTrames()
{
    std::lock_guard<std::mutex> lock(bufferMutex_);
    std::memset(circular_, 0, sizeof circular_);
    writeIndex_ = 0;
    readIndex_ = 0;
    count_ = 0;
}

void SerialPort::readCircularBuffer(unsigned char* out)
{
    std::lock_guard<std::mutex> lock(bufferMutex_);
    if (secondCount_ > kBufferSize)
        secondCount_ = kBufferSize;
    for (int i = 0; i < secondCount_; ++i) {
        out[i] = static_cast<unsigned char>(circular_[secondReadIndex_]);
        secondReadIndex_ = (secondReadIndex_ + 1) % kBufferSize;
    }
}

void SerialPort::resetCircularBuffer()
{
    std::lock_guard<std::mutex> lock(bufferMutex_);
    secondCount_ = 0;
    secondReadIndex_ = writeIndex_;
}

bool SerialPort::takeFrame() { return LlegeixTrama(frame_) == 1; }

void SerialPort::run()
{
    replyReceived_ = false;
    while (!isInterruptionRequested()) {
        if (open_) {
            QMutexLocker lock(mutex_);
            if (takeFrame() && !isInterruptionRequested()) {
                emit RS232Received();
                // The accumulator wakes us once it has taken the frame in.
                common::WaitingForOthers forTheAccumulator;
                condition_->wait(mutex_);
            }
        }
        // One second between passes, in slices so that a destructor is not kept waiting.
        for (int slice = 0; slice < 10 && !isInterruptionRequested(); ++slice) {
            if (platform::hasBoard())
                common::clock().sleepMs(100);
            else
                QThread::msleep(100); // the board is already gone at process exit
        }
    }
}
