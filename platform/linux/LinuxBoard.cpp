#include "LinuxBoard.h"

#include "common/SignalSafeIo.h"

#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/spi/spidev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

LinuxBoard::LinuxBoard(std::string i2cDevice) : i2cDevice_(std::move(i2cDevice)) {}

LinuxBoard::~LinuxBoard()
{
    if (i2cFd_ >= 0)
        ::close(i2cFd_);
}

int LinuxBoard::writeFile(const std::string& path, const std::string& data)
{
    int fd = common::retryInterrupted(::open, path.c_str(), O_WRONLY);
    if (fd < 0)
        return -1;
    // A blocking file: nothing to wait for beyond the write itself.
    const size_t n = common::writeAll(fd, data.data(), data.size(), 0);
    ::close(fd);
    return n == data.size() ? 0 : -1;
}

int LinuxBoard::readFile(const std::string& path, std::string* data)
{
    int fd = common::retryInterrupted(::open, path.c_str(), O_RDONLY);
    if (fd < 0)
        return -1;
    data->clear();
    char buf[4096];
    for (;;) {
        ssize_t n = common::retryInterrupted(::read, fd, buf, sizeof buf);
        if (n < 0) {
            ::close(fd);
            return -1;
        }
        if (n == 0)
            break;
        data->append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return 0;
}

bool LinuxBoard::fileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

int LinuxBoard::spiOpen(const std::string& device)
{
    int fd = common::retryInterrupted(::open, device.c_str(), O_RDWR);
    if (fd < 0)
        return -1;
    ::close(fd);
    return 0;
}

int LinuxBoard::spiTransfer(const std::string& device, const uint8_t* tx, uint8_t* rx, size_t len,
                            uint32_t speedHz, uint8_t bitsPerWord, uint8_t mode)
{
    int fd = common::retryInterrupted(::open, device.c_str(), O_RDWR);
    if (fd < 0)
        return -1;
    int rc = -1;
    using common::retryInterrupted;
    if (retryInterrupted(::ioctl, fd, SPI_IOC_WR_MODE, &mode) >= 0
        && retryInterrupted(::ioctl, fd, SPI_IOC_WR_BITS_PER_WORD, &bitsPerWord) >= 0
        && retryInterrupted(::ioctl, fd, SPI_IOC_WR_MAX_SPEED_HZ, &speedHz) >= 0) {
        struct spi_ioc_transfer xfer;
        std::memset(&xfer, 0, sizeof xfer);
        xfer.tx_buf = reinterpret_cast<unsigned long>(tx);
        xfer.rx_buf = reinterpret_cast<unsigned long>(rx);
        xfer.len = static_cast<uint32_t>(len);
        xfer.speed_hz = speedHz;
        xfer.bits_per_word = bitsPerWord;
        rc = retryInterrupted(::ioctl, fd, SPI_IOC_MESSAGE(1), &xfer) < 0 ? -1 : 0;
    }
    ::close(fd);
    return rc;
}

int LinuxBoard::selectSlave(uint8_t address)
{
    if (i2cFd_ < 0) {
        i2cFd_ = common::retryInterrupted(::open, i2cDevice_.c_str(), O_RDWR);
        if (i2cFd_ < 0)
            return -1;
        i2cSlave_ = -1;
    }
    if (i2cSlave_ != address) {
        if (common::retryInterrupted(::ioctl, i2cFd_, I2C_SLAVE, address) < 0)
            return -1;
        i2cSlave_ = address;
    }
    return 0;
}

int LinuxBoard::i2cWrite(uint8_t address, const uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> lock(i2cMutex_);
    if (selectSlave(address) < 0)
        return -1;
    return common::retryInterrupted(::write, i2cFd_, data, len) == static_cast<ssize_t>(len) ? 0 : -1;
}

int LinuxBoard::i2cRead(uint8_t address, uint8_t* data, size_t len)
{
    std::lock_guard<std::mutex> lock(i2cMutex_);
    if (selectSlave(address) < 0)
        return -1;
    return common::retryInterrupted(::read, i2cFd_, data, len) == static_cast<ssize_t>(len) ? 0 : -1;
}

CommandResult LinuxBoard::runShell(const std::string& commandLine)
{
    CommandResult result;
    FILE* pipe = ::popen(commandLine.c_str(), "r");
    if (!pipe)
        return result;
    char buf[1024];
    for (;;) {
        const size_t n = std::fread(buf, 1, sizeof buf, pipe);
        result.output.append(buf, n);
        // A signal ends fread() early with the stream's error set; the output goes on.
        if (n == 0 && !(std::ferror(pipe) && errno == EINTR))
            break;
        std::clearerr(pipe);
    }
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

namespace {

// Waits for a started process, kills it after the time-out, and collects its output.
CommandResult finish(QProcess& process, int timeoutMs)
{
    CommandResult result;
    if (!process.waitForStarted(timeoutMs))
        return result;
    if (!process.waitForFinished(timeoutMs)) {
        // A hung command must not hold the caller for ever.
        process.kill();
        process.waitForFinished(1000);
        result.timedOut = true;
    }
    result.output = process.readAllStandardOutput().toStdString();
    if (!result.timedOut)
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

} // namespace

CommandResult LinuxBoard::launchProcess(const std::string& commandLine, int timeoutMs)
{
    std::vector<std::string> argv;
    for (const QString& word : QProcess::splitCommand(QString::fromLocal8Bit(commandLine.c_str())))
        argv.push_back(word.toLocal8Bit().toStdString());
    return runProgram(argv, timeoutMs);
}

CommandResult LinuxBoard::runProgram(const std::vector<std::string>& argv, int timeoutMs)
{
    if (argv.empty())
        return CommandResult{};
    QStringList arguments;
    for (size_t i = 1; i < argv.size(); ++i)
        arguments << QString::fromLocal8Bit(argv[i].data(), static_cast<int>(argv[i].size()));
    QProcess process;
    process.start(QString::fromLocal8Bit(argv[0].c_str()), arguments);
    return finish(process, timeoutMs);
}

} // namespace platform
