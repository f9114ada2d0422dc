// PCF85263 real-time clock: 0x30 registers with an auto-incrementing pointer that wraps
// to 0; seconds to years in BCD (years from 1968, two digits that wrap past 99). Time stands
// still unless a test advances it or the model is told to follow the board's time; either
// way the carry runs through minutes, hours, days, weekdays, months and years as on the
// chip, and, as on the chip, never in the middle of an access.
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

    // Physics face. setDateTime writes the weekday of the date; a field out of its range
    // carries into the next (a second -1 is the minute before's 59th), and a year outside
    // the chip's hundred wraps into it, as it would show after counting there.
    void setDateTime(const ClockDateTime& t);
    ClockDateTime dateTime();
    void advanceSeconds(long seconds);
    // Counts the time that passes on the board, as a powered chip does. Setting the board's
    // wall time ("date -s") is no time passing: only a write ("hwclock -w") sets the chip.
    void followBoardTime(bool follow);

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override;

private:
    void advanceLocked(long seconds);
    // Seconds to years for a moment in seconds since 1970-01-01 (bit 7 of the seconds kept).
    void storeLocked(long long moment);
    void syncLocked();
    // The time registers catch up with the clock once per access, before its first byte.
    void syncOncePerTransfer();

    common::Clock& clock_;
    bool follow_ = false;
    uint64_t markUs_ = 0; // board time the registers were last brought up to
    unsigned syncedTransfer_ = 0;
};

} // namespace platform::sim
