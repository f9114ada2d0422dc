// PCF85263 real-time clock: 0x30 registers with an auto-incrementing pointer that wraps
// to 0; seconds to years in BCD (years from 1968). Time stands still unless a test
// advances it or the model is told to follow the board's wall clock; either way the
// carry runs through minutes, hours, days, weekdays, months and years as on the chip.
#pragma once

#include "BusModels.h"
#include "Platform.h"

#include <atomic>
#include <mutex>

namespace platform::sim {

struct ClockDateTime {
    int year = 0;   // full year
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0; // as kept by the chip, 0..6
};

class Pcf85263Model : public RegisterI2cModel {
public:
    explicit Pcf85263Model(Clock& clock);

    int i2cWrite(const uint8_t* data, size_t len) override;
    int i2cRead(uint8_t* data, size_t len) override;

    // Physics face. setDateTime writes the weekday of the date.
    void setDateTime(const ClockDateTime& t);
    ClockDateTime dateTime();
    void advanceSeconds(long seconds);
    void followWallClock(bool follow);
    void failReads(bool fail) { failReads_ = fail; }

protected:
    uint8_t nextPointer(uint8_t address) override;

private:
    void advanceLocked(long seconds);
    void syncLocked();

    Clock& clock_;
    std::mutex mutex_;
    bool follow_ = false;
    int64_t wallMarkUs_ = 0; // wall time the registers were last brought up to
    std::atomic<bool> failReads_{false};
};

} // namespace platform::sim
