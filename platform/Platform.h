// The seam between the instrument and the operating system's device interfaces.
// Only backends behind this header touch sysfs, spidev, i2c-dev, the shell or a clock;
// the unit runs the Linux backend, every other machine the simulated board.
#pragma once

#include "common/Clock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct CommandResult {
    int exitCode = -1;       // -1: could not start, or killed after the time-out
    std::string output;      // standard output
    bool timedOut = false;
};

class Board {
public:
    virtual ~Board() = default;

    // Platform files: sysfs GPIO and backlight, /proc/net/route, network configuration.
    // 0 on success, -1 as the kernel refuses (missing file, busy export, read-only value).
    virtual int writeFile(const std::string& path, const std::string& data) = 0;
    virtual int readFile(const std::string& path, std::string* data) = 0;
    virtual bool fileExists(const std::string& path) = 0;

    // Full-duplex SPI transfer of len bytes on a spidev node ("/dev/spidev4.1").
    // spiOpen tells whether the node can be opened at all.
    virtual int spiOpen(const std::string& device) = 0;
    virtual int spiTransfer(const std::string& device, const uint8_t* tx, uint8_t* rx, size_t len,
                            uint32_t speedHz, uint8_t bitsPerWord, uint8_t mode) = 0;

    // The one I2C bus of the board, 7-bit addresses. 0 on success, -1 on a NAK or bus error.
    virtual int i2cWrite(uint8_t address, const uint8_t* data, size_t len) = 0;
    virtual int i2cRead(uint8_t address, uint8_t* data, size_t len) = 0;

    // The path that the termios code opens for a serial device of the unit
    // ("/dev/ttymxc2" on the unit, a pseudo-terminal here). Empty: nothing to open.
    virtual std::string serialDevicePath(const std::string& unitDevice) = 0;
    // Told when the instrument opens or closes a serial device, with its speed.
    virtual void serialOpened(const std::string& unitDevice, int baud) { (void)unitDevice; (void)baud; }
    virtual void serialClosed(const std::string& unitDevice) { (void)unitDevice; }

    // A command line for the system shell ("/bin/sh -c"), as system() runs it.
    virtual CommandResult runShell(const std::string& commandLine) = 0;
    // A command line started as a process (program and arguments split from the one
    // string, double quotes grouping), its standard output collected; killed after timeoutMs.
    virtual CommandResult launchProcess(const std::string& commandLine, int timeoutMs) = 0;
    // A program started with its argument vector (argv[0] the program, found in PATH) and no
    // shell between: each argument reaches the program as it stands, whatever characters it
    // holds. Standard output collected; killed after timeoutMs.
    virtual CommandResult runProgram(const std::vector<std::string>& argv, int timeoutMs) = 0;

    virtual common::Clock& clock() = 0;
};

// The backend in force. Start-up installs one before anything touches the hardware;
// tests install their own simulated board. Installing a board installs its clock as the
// instrument's clock (common::clock()).
Board& board();
void installBoard(Board* board);
bool hasBoard();

} // namespace platform
