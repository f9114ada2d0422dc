// Calendar arithmetic on the proleptic Gregorian calendar: days since 1970-01-01 and
// back, month lengths and weekdays (0 = Sunday), for the real-time clock and its model.
#pragma once

namespace civil {

constexpr bool isLeap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

constexpr int daysInMonth(int year, int month)
{
    constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[(month - 1) % 12];
}

// month 1..12
constexpr long daysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yoe = year - era * 400;
    const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Date {
    int year;
    int month; // 1..12
    int day;
};

constexpr Date civilFromDays(long z)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return Date{static_cast<int>(yoe + era * 400 + (month <= 2)), month, day};
}

// 0 = Sunday .. 6 = Saturday; 1970-01-01 was a Thursday.
constexpr int weekday(long days) { return static_cast<int>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6); }

// Two BCD digits: v 0..99 only, which callers keep to (a negative v has no BCD form).
constexpr int toBcd(int v) { return ((v / 10) << 4) | (v % 10); }
constexpr int fromBcd(int b) { return ((b >> 4) & 0x0F) * 10 + (b & 0x0F); }

} // namespace civil
