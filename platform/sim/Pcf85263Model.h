// PCF85263 real-time clock: 0x30 registers with an auto-incrementing pointer that wraps
// to 0; seconds to years in BCD (years from 1968). Time stands still unless a test
// advances it or the model is told to follow the board's wall clock; either way the
// carry runs through minutes, hours, days, weekdays, months and years as on the chip,
// and, as on the chip, never in the middle of an access.
#pragma once

#include "BusModels.h"
#include "common/Clock.h"


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
    explicit Pcf85263Model(common::Clock& clock);

    // Physics face. setDateTime writes the weekday of the date.
    void setDateTime(const ClockDateTime& t);
    ClockDateTime dateTime();
    void advanceSeconds(long seconds);
    void followWallClock(bool follow);

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override;

private:
    void advanceLocked(long seconds);
    void syncLocked();
    // The time registers catch up with the clock once per access, before its first byte.
    void syncOncePerTransfer();

    common::Clock& clock_;
    bool follow_ = false;
    int64_t wallMarkUs_ = 0; // wall time the registers were last brought up to
    unsigned syncedTransfer_ = 0;
};

} // namespace platform::sim
