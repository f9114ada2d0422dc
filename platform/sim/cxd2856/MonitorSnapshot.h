// The freeze of a demodulator's monitor registers: while it holds, reads of the latched
// banks answer what the registers held at the freeze, so that a value spread over
// several registers is read whole even though the chip keeps updating them. Writes
// reach both the live file and the latched copy, so configuration still reads back.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace platform::sim {

class MonitorSnapshot {
public:
    // file: a banked register file, byte bank << 8 | reg.
    void capture(const uint8_t* file, const std::vector<uint8_t>& banks);
    void release() { latched_.clear(); }
    bool holds(uint8_t bank) const { return latched_.count(bank) != 0; }
    // Only for banks it holds.
    uint8_t read(uint8_t bank, uint8_t reg) const { return latched_.at(bank)[reg]; }
    void write(uint8_t bank, uint8_t reg, uint8_t value);

private:
    std::map<uint8_t, std::array<uint8_t, 256>> latched_;
};

} // namespace platform::sim
