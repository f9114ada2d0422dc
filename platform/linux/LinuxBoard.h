// The unit's backend: real sysfs files, spidev and i2c-dev ioctls, the system shell.
#pragma once

#include "common/BoardWiring.h"
#include "platform/Platform.h"
#include "platform/RealClock.h"

#include <mutex>

namespace platform {

class LinuxBoard : public Board {
public:
    explicit LinuxBoard(std::string i2cDevice = wiring::kI2cBus);
    ~LinuxBoard() override;

    int writeFile(const std::string& path, const std::string& data) override;
    int readFile(const std::string& path, std::string* data) override;
    bool fileExists(const std::string& path) override;
    int spiOpen(const std::string& device) override;
    int spiTransfer(const std::string& device, const uint8_t* tx, uint8_t* rx, size_t len,
                    uint32_t speedHz, uint8_t bitsPerWord, uint8_t mode) override;
    int i2cWrite(uint8_t address, const uint8_t* data, size_t len) override;
    int i2cRead(uint8_t address, uint8_t* data, size_t len) override;
    std::string serialDevicePath(const std::string& unitDevice) override { return unitDevice; }
    CommandResult runShell(const std::string& commandLine) override;
    CommandResult launchProcess(const std::string& commandLine, int timeoutMs) override;
    CommandResult runProgram(const std::vector<std::string>& argv, int timeoutMs) override;
    common::Clock& clock() override { return clock_; }

private:
    int selectSlave(uint8_t address);

    std::string i2cDevice_;
    int i2cFd_ = -1;
    int i2cSlave_ = -1;
    std::mutex i2cMutex_;
    RealClock clock_;
};

} // namespace platform
