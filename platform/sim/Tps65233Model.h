// TPS65233 LNB supply: control register 0 (voltage code, output enable, 22 kHz tone) and
// current-limit register 1, read back as written. Every register-0 write must carry bit 7;
// a write without it is counted.
#pragma once

#include "BusModels.h"

#include <atomic>

namespace platform::sim {

class Tps65233Model : public RegisterI2cModel {
public:
    // Physics face: the output in volts (0 while disabled), the tone and the limit code.
    double outputVolts() const;
    bool outputEnabled() const;
    bool toneEnabled() const;
    int voltageCode() const;
    int currentLimitCode() const;
    int controlWrites() const { return controlWrites_.load(); }
    int unmarkedControlWrites() const { return unmarked_.load(); }

protected:
    void regWrite(unsigned reg, uint32_t value) override;

private:
    std::atomic<int> controlWrites_{0};
    std::atomic<int> unmarked_{0};
};

} // namespace platform::sim
