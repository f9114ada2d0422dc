// One spidev node of the RF board ("/dev/spidev4.1"): full-duplex transfers through
// the platform seam with the node's mode, word size and clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class SpiDevice {
public:
    explicit SpiDevice(std::string device, uint32_t speedHz = 1000000, uint8_t mode = 0, uint8_t bitsPerWord = 8);

    // 0 when the node can be opened, -1 otherwise (with a debug line).
    int open();
    int transfer(const uint8_t* tx, uint8_t* rx, size_t len);
    int write(const uint8_t* tx, size_t len);
    const std::string& device() const { return device_; }

private:
    std::string device_;
    uint32_t speedHz_;
    uint8_t mode_;
    uint8_t bits_;
};
