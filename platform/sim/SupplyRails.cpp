#include "SupplyRails.h"

#include "common/BoardWiring.h"

#include <cmath>

namespace platform::sim {

namespace {
constexpr double kVoltsPerStep = 0.0005;
// Input volts per volt at the converter.
constexpr double kBatteryDivider = 4.03;
constexpr double k3V3Divider = 1.833334;
constexpr double k5V0Divider = 2.61;

int steps(double volts, double divider) { return static_cast<int>(std::lround(volts / divider / kVoltsPerStep)); }
} // namespace

void SupplyRails::set(const SupplyVoltages& volts)
{
    std::lock_guard<std::mutex> lock(mutex_);
    volts_ = volts;
}

SupplyVoltages SupplyRails::get() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return volts_;
}

int SupplyRails::converterValue(int channel) const
{
    namespace w = wiring::max11337;
    const SupplyVoltages v = get();
    switch (channel) {
    case w::kBatteryChannel: return steps(v.battery, kBatteryDivider);
    case w::kSupply3V3Channel: return steps(v.v3v3, k3V3Divider);
    case w::kSupply5V0Channel: return steps(v.v5v0, k5V0Divider);
    case w::kSupply1V8Channel: return steps(v.v1v8, 1.0);
    case w::kSupply1V0Channel: return steps(v.v1v0, 1.0);
    default: return -1;
    }
}

} // namespace platform::sim
