// The simulated board: GPIO lines, the SPI devices and the one I2C bus with their
// device models, the platform files, the serial devices (pseudo-terminals), the shell
// recorder and the clock, with one transaction log and fault injection for tests.
#pragma once

#include "BusModels.h"
#include "Faults.h"
#include "GpioModel.h"
#include "ShellRecorder.h"
#include "TransactionLog.h"
#include "VirtualClock.h"

#include "platform/Platform.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace platform::sim {

class SimulatedBoard : public Board {
public:
    // Without a clock the board runs on a VirtualClock in instant mode.
    explicit SimulatedBoard(std::unique_ptr<common::Clock> clock = nullptr);
    ~SimulatedBoard() override;

    // Board
    int writeFile(const std::string& path, const std::string& data) override;
    int readFile(const std::string& path, std::string* data) override;
    bool fileExists(const std::string& path) override;
    int spiOpen(const std::string& device) override;
    int spiTransfer(const std::string& device, const uint8_t* tx, uint8_t* rx, size_t len, uint32_t speedHz,
                    uint8_t bitsPerWord, uint8_t mode) override;
    int i2cWrite(uint8_t address, const uint8_t* data, size_t len) override;
    int i2cRead(uint8_t address, uint8_t* data, size_t len) override;
    std::string serialDevicePath(const std::string& unitDevice) override;
    void serialOpened(const std::string& unitDevice, int baud) override;
    void serialClosed(const std::string& unitDevice) override;
    CommandResult runShell(const std::string& commandLine) override;
    CommandResult launchProcess(const std::string& commandLine, int timeoutMs) override;
    CommandResult runProgram(const std::vector<std::string>& argv, int timeoutMs) override;
    common::Clock& clock() override { return *clock_; }

    // The parts of the board.
    GpioModel& gpio() { return gpio_; }
    // The one fault table: every device model and bus of the board answers to it.
    Faults& faults() { return faults_; }
    ShellRecorder& shell() { return shell_; }
    TransactionLog& log() { return log_; }
    // The clock as a VirtualClock, or null when the board runs on real time.
    VirtualClock* virtualClock() { return virtualClock_; }

    // Device models. The board keeps them alive; attaching again replaces.
    void attachI2c(uint8_t address7, std::shared_ptr<I2cModel> model);
    void attachSpi(const std::string& device, std::shared_ptr<SpiModel> model);
    std::shared_ptr<I2cModel> i2cModel(uint8_t address7) const;
    std::shared_ptr<SpiModel> spiModel(const std::string& device) const;
    // A serial device of the unit answered by a pseudo-terminal slave.
    void attachSerial(const std::string& unitDevice, const std::string& slavePath);
    // Anything else the board must keep alive (a signal scene, a modem thread).
    void keep(std::shared_ptr<void> part);

    // Platform files that are neither GPIO nor modelled devices.
    void setFile(const std::string& path, const std::string& content);
    std::string file(const std::string& path) const;

    int i2cTransferCount() const;
    // Open state of a serial device as the instrument reported it.
    bool serialIsOpen(const std::string& unitDevice) const;
    // Whether the instrument holds any serial line open; lock-free, for device models.
    bool anySerialOpen() const { return openSerialLines_.load() > 0; }
    int serialBaud(const std::string& unitDevice) const;

private:
    int gpioFile(const std::string& path, const std::string* write, std::string* read);
    bool i2cRefused(uint8_t address, unsigned access);
    CommandResult runFor(const std::string& commandLine, int timeoutMs, const char* kind, CommandResult r);
    void record(const std::string& kind, const std::string& device, const std::string& text,
                const uint8_t* bytes, size_t len, bool failed);

    std::unique_ptr<common::Clock> clock_;
    VirtualClock* virtualClock_ = nullptr;
    Faults faults_;
    GpioModel gpio_;
    ShellRecorder shell_;
    TransactionLog log_;

    mutable std::mutex mutex_;     // maps and faults
    std::mutex i2cBus_;            // one transfer at a time, as on the wire
    std::map<uint8_t, std::shared_ptr<I2cModel>> i2c_;
    std::map<std::string, std::shared_ptr<SpiModel>> spi_;
    std::map<std::string, std::string> serial_;
    std::map<std::string, int> serialOpenBaud_;
    std::vector<std::shared_ptr<void>> kept_;
    std::map<std::string, std::string> files_;
    int i2cTransfers_ = 0;
    std::atomic<int> openSerialLines_{0};
};

} // namespace platform::sim
