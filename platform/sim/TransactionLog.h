// One ordered, time-stamped record of everything the instrument did to the simulated
// board: line writes, SPI words, I2C transfers, serial opens, shell commands.
// Tests assert on sequences and on the time between entries. It keeps the latest entries
// only (a ring), so a board that runs for hours stays the same size; a test that needs a
// longer history enlarges it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform::sim {

struct Transaction {
    uint64_t timeUs = 0;        // monotonic time of the board's clock
    std::string kind;           // "gpio-export", "gpio-direction", "gpio-value", "spi", "i2c-write",
                                // "i2c-read", "serial-open", "serial-close", "shell", "launch", "file-write"
    std::string device;         // line number, spidev path, 7-bit address as "0x61", command line
    std::string text;           // the written text, the baud rate, a fault note
    std::vector<uint8_t> bytes; // bus data (written, or as read)
    bool failed = false;        // the backend refused it
};

class TransactionLog {
public:
    static constexpr size_t kDefaultCapacity = 8192;

    void append(Transaction t);
    // The most entries kept; the oldest go first. Shrinking drops the oldest at once.
    void setCapacity(size_t capacity);
    size_t capacity() const;
    // Entries dropped for room since the last clear().
    uint64_t dropped() const;
    std::vector<Transaction> entries() const;
    std::vector<Transaction> entries(const std::string& kind) const;
    // Entries whose kind starts with the given prefix ("gpio", "i2c").
    std::vector<Transaction> entriesWithPrefix(const std::string& kindPrefix) const;
    size_t size() const;
    void clear();
    // Readable dump for failure messages.
    static std::string describe(const Transaction& t);
    std::string describeAll() const;

private:
    void trimLocked();

    mutable std::mutex mutex_;
    std::deque<Transaction> entries_;
    size_t capacity_ = kDefaultCapacity;
    uint64_t dropped_ = 0;
};

} // namespace platform::sim
