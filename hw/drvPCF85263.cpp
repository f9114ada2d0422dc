#include "drvPCF85263.h"

#include "ChipLog.h"
#include "i2cControl.h"

#include "common/BoardWiring.h"
#include "common/CivilDate.h"

#include <QString>

#include <cstring>

namespace {

namespace w = wiring::pcf85263;
constexpr const char* kChip = "RTC->";
constexpr int kYearOffset = w::kYearBase - 1900; // 68

// Only what the chip's registers hold: every field then converts to two BCD digits. A year
// before the base has no place on the chip, which counts forward from it.
bool inRange(const struct tm& t)
{
    if (t.tm_sec < 0 || t.tm_sec > 59 || t.tm_min < 0 || t.tm_min > 59 || t.tm_hour < 0 || t.tm_hour > 23)
        return false;
    // The year compared as given: adding 1900 first could overflow.
    if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_year < kYearOffset || t.tm_year > kYearOffset + 99)
        return false;
    return t.tm_mday >= 1 && t.tm_mday <= civil::daysInMonth(t.tm_year + 1900, t.tm_mon + 1);
}

unsigned char bcd(int v) { return static_cast<unsigned char>(civil::toBcd(v)); }

} // namespace

int up_rtc_getdatetime(struct tm* t)
{
    if (!t)
        return -1;
    std::memset(t, 0, sizeof *t);
    unsigned char r[7] = {};
    if (i2cReadRegisters(wiring::kClockAddress, w::kSeconds, r, sizeof r) != 0) {
        chipLog(kChip, "up_rtc_getdatetime", w::kSeconds, wiring::kClockAddress, "failed");
        return -1;
    }
    t->tm_sec = civil::fromBcd(r[0] & 0x7F);
    t->tm_min = civil::fromBcd(r[1] & 0x7F);
    t->tm_hour = civil::fromBcd(r[2] & 0x3F);
    t->tm_mday = civil::fromBcd(r[3] & 0x3F);
    t->tm_wday = r[4] & 0x07;
    t->tm_mon = civil::fromBcd(r[5] & 0x1F) - 1;
    t->tm_year = civil::fromBcd(r[6]) + kYearOffset;
    return 0;
}

int up_rtc_settime_kk(struct tm* t)
{
    if (!t || !inRange(*t)) {
        chipLog(kChip, "up_rtc_settime_kk", w::kHundredths, wiring::kClockAddress, "date out of range");
        return -1;
    }
    const int year = t->tm_year + 1900;
    const int weekday = civil::weekday(civil::daysFromCivil(year, t->tm_mon + 1, t->tm_mday));
    const unsigned char regs[] = {
        0x00, // hundredths
        bcd(t->tm_sec),
        bcd(t->tm_min),
        bcd(t->tm_hour),
        bcd(t->tm_mday),
        static_cast<unsigned char>(weekday),
        bcd(t->tm_mon + 1),
        bcd(t->tm_year - kYearOffset),
    };
    if (i2cWriteRegisters(wiring::kClockAddress, w::kHundredths, regs, sizeof regs) != 0) {
        chipLog(kChip, "up_rtc_settime_kk", w::kHundredths, wiring::kClockAddress, "failed");
        return -1;
    }
    return 0;
}

int up_rtc_activat_alarm1_kk(unsigned char enables)
{
    const struct {
        unsigned char reg;
        unsigned char value;
    } steps[] = {{w::kAlarmEnables, enables}, {w::kIntAEnable, 0x50}, {w::kFlags, 0x20}, {w::kPinIo, 0x02}};
    int rc = 0;
    for (const auto& s : steps) {
        if (i2cWriteRegisters(wiring::kClockAddress, s.reg, &s.value, 1) != 0) {
            chipLog(kChip, "up_rtc_activat_alarm1_kk", s.reg, wiring::kClockAddress, "write failed");
            rc = -1;
            continue;
        }
        unsigned char back = 0;
        const bool read = i2cReadRegisters(wiring::kClockAddress, s.reg, &back, 1) == 0;
        const QByteArray note = read ? QString::asprintf("read back 0x%02X", back).toUtf8() : QByteArray("read failed");
        chipLog(kChip, "up_rtc_activat_alarm1_kk", s.reg, wiring::kClockAddress, note.constData());
    }
    return rc;
}
