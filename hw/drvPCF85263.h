// PCF85263 real-time clock on I2C: date and time as BCD registers (years counted from
// 1968, months from 1) into and out of a broken-down time, and the alarm-1 enables.
#pragma once

#include <ctime>

// Reads seconds to years and fills t (month 0 = January, years since 1900, weekday);
// other fields are 0. 0 on success; -1 when the read fails (t is then all 0).
int up_rtc_getdatetime(struct tm* t);
// Writes t's time and date with hundredths 0 and the weekday of that date. -1 without
// writing anything when a field is out of range (seconds 0-59, minutes 0-59, hours 0-23,
// day 1 to the month's length, month 0-11, year 1968-2067), or when the write fails.
int up_rtc_settime_kk(struct tm* t);
// Writes the alarm-1 enables (bit 0 seconds .. bit 4 month) to register 0x10, then 0x50 to
// the interrupt-A enable 0x29, 0x20 to the flags 0x2B and 0x02 to the pin I/O 0x27,
// reading each back for the debug output. 0, or -1 when a write failed.
int up_rtc_activat_alarm1_kk(unsigned char enables);
