// The simulated board's one fault table. A test names a device (an I2C address, an SPI
// node, a serial device, a file, a GPIO line) and what should go wrong with it; the board
// asks the table before each transfer, and the register chips ask it for each register
// they decode. Models keep no faults of their own.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>

namespace platform::sim {

struct Device {
    enum class Kind { I2c, Spi, Serial, File, Gpio };
    Kind kind;
    std::string name;

    static Device i2c(uint8_t address7);
    static Device spi(const std::string& node);
    static Device serial(const std::string& unitDevice);
    static Device file(const std::string& path);
    static Device gpio(int line);

    bool operator<(const Device& o) const { return std::tie(kind, name) < std::tie(o.kind, o.name); }
    bool operator==(const Device& o) const { return kind == o.kind && name == o.name; }
};

// What a device refuses. Open: an SPI node or serial device that cannot be opened (an SPI
// node that cannot be opened takes no transfer either), a GPIO line that cannot be
// exported. Read and Write: I2C transfers (a NAK) and file writes.
enum Access : unsigned { kOpen = 1, kRead = 2, kWrite = 4, kEveryAccess = kOpen | kRead | kWrite };

// The register of a banked chip as the fault table and the register hooks name it.
constexpr unsigned bankedRegister(unsigned bank, unsigned reg) { return bank << 8 | reg; }

class Faults {
public:
    // With the default, the device NAKs or refuses everything (an I2C address nobody answers).
    void fail(const Device& device, unsigned accesses = kEveryAccess, bool on = true);
    // The n-th I2C transfer from now (1 = the next one) is NAKed, whatever its address.
    void nakTransfer(int n);
    // Register chips: an access to the register is NAKed at its byte.
    void failRegister(const Device& device, unsigned reg, bool on = true);
    // Register chips: the register reads value, whatever is written to it.
    void stickRegister(const Device& device, unsigned reg, uint32_t value);
    void unstickRegister(const Device& device, unsigned reg);

    // Asked by the board and the models.
    bool refuses(const Device& device, unsigned access) const;
    // Asked once per I2C transfer: true when the countdown of nakTransfer ends on it.
    bool i2cTransferNaks();
    bool refusesRegister(const Device& device, unsigned reg) const;
    std::optional<uint32_t> stuckValue(const Device& device, unsigned reg) const;

private:
    mutable std::mutex mutex_;
    std::map<Device, unsigned> refused_;
    std::set<std::pair<Device, unsigned>> failingRegisters_;
    std::map<std::pair<Device, unsigned>, uint32_t> stuck_;
    int nakCountdown_ = 0;
};

} // namespace platform::sim
