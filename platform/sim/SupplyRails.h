// The voltages the board's converter watches beside the RF front end: the battery pack and
// the four supply rails, each through the divider that the unit's conversions undo. Tests
// set volts; the converter channels answer steps of 0.5 mV behind the divider.
#pragma once

#include <mutex>

namespace platform::sim {

struct SupplyVoltages {
    double battery = 7.6; // a pack of two lithium cells, half charged
    double v3v3 = 3.3;
    double v5v0 = 5.0;
    double v1v8 = 1.8;
    double v1v0 = 1.0;
};

class SupplyRails {
public:
    void set(const SupplyVoltages& volts);
    SupplyVoltages get() const;
    // The raw reading of a channel these voltages feed, or -1 for another channel.
    int converterValue(int channel) const;

private:
    mutable std::mutex mutex_;
    SupplyVoltages volts_;
};

} // namespace platform::sim
