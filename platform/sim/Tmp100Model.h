// TMP100 temperature sensor: a pointer register selects the 16-bit temperature, the 8-bit
// configuration or the two 16-bit limits; a read repeats the selected register's bytes,
// most significant first. The temperature set on the physics face is encoded at the
// resolution the configuration selects (9 to 12 bits, left-justified).
#pragma once

#include "BusModels.h"

#include <mutex>

namespace platform::sim {

class Tmp100Model : public I2cChipModel {
public:
    int i2cWrite(const uint8_t* data, size_t len) override;
    int i2cRead(uint8_t* data, size_t len) override;

    void setTemperatureC(double celsius);
    double temperatureC() const;
    uint8_t configuration() const;
    // The register as the chip would return it now.
    uint16_t temperatureRegister() const;

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override;

private:
    uint16_t encodeLocked() const;

    mutable std::mutex mutex_; // held through each transfer
    double celsius_ = 25.0;
    uint8_t pointer_ = 0;
    uint8_t config_ = 0; // 9-bit resolution after power-up
    uint16_t limits_[2] = {0x4B00, 0x5000}; // 75 and 80 degC
};

} // namespace platform::sim
