#include "MonitorSnapshot.h"

#include <algorithm>

namespace platform::sim {

void MonitorSnapshot::capture(const uint8_t* file, const std::vector<uint8_t>& banks)
{
    latched_.clear();
    for (uint8_t bank : banks) {
        const uint8_t* first = file + (unsigned(bank) << 8);
        std::copy(first, first + 256, latched_[bank].begin());
    }
}

void MonitorSnapshot::write(uint8_t bank, uint8_t reg, uint8_t value)
{
    auto it = latched_.find(bank);
    if (it != latched_.end())
        it->second[reg] = value;
}

} // namespace platform::sim
