#include "Pcf85263Model.h"

#include "common/CivilDate.h"
#include "common/BoardWiring.h"

namespace platform::sim {

namespace w = wiring::pcf85263;

namespace {
constexpr int kDay = 86400;
}

Pcf85263Model::Pcf85263Model(common::Clock& clock)
    : RegisterI2cModel(Layout{w::kRegisterCount, false}), clock_(clock)
{
    setDateTime(ClockDateTime{2026, 1, 1, 0, 0, 0, 0});
}

void Pcf85263Model::advanceLocked(long seconds)
{
    using civil::fromBcd;
    using civil::toBcd;
    const long day = civil::daysFromCivil(w::kYearBase + fromBcd(regs_[w::kYears]), fromBcd(regs_[w::kMonths] & 0x1F),
                                          fromBcd(regs_[w::kDays] & 0x3F));
    const long secondOfDay = fromBcd(regs_[w::kHours] & 0x3F) * 3600L + fromBcd(regs_[w::kMinutes] & 0x7F) * 60L +
                             fromBcd(regs_[w::kSeconds] & 0x7F);
    const long total = day * kDay + secondOfDay + seconds;
    const long newDay = total >= 0 ? total / kDay : (total - kDay + 1) / kDay;
    const long rest = total - newDay * kDay;
    const civil::Date d = civil::civilFromDays(newDay);
    regs_[w::kSeconds] = static_cast<uint8_t>((regs_[w::kSeconds] & 0x80) | toBcd(static_cast<int>(rest % 60)));
    regs_[w::kMinutes] = static_cast<uint8_t>(toBcd(static_cast<int>(rest / 60 % 60)));
    regs_[w::kHours] = static_cast<uint8_t>(toBcd(static_cast<int>(rest / 3600)));
    regs_[w::kDays] = static_cast<uint8_t>(toBcd(d.day));
    regs_[w::kMonths] = static_cast<uint8_t>(toBcd(d.month));
    regs_[w::kYears] = static_cast<uint8_t>(toBcd((d.year - w::kYearBase) % 100));
    // The chip counts weekdays on its own, from whatever was written.
    const long days = newDay - day;
    regs_[w::kWeekdays] = static_cast<uint8_t>((((regs_[w::kWeekdays] & 7) + days) % 7 + 7) % 7);
}

void Pcf85263Model::syncLocked()
{
    const int64_t now = clock_.wallTimeUs();
    if (!follow_) {
        wallMarkUs_ = now;
        return;
    }
    const int64_t whole = (now - wallMarkUs_) / 1000000;
    if (whole != 0) {
        advanceLocked(static_cast<long>(whole));
        wallMarkUs_ += whole * 1000000;
    }
}

void Pcf85263Model::syncOncePerTransfer()
{
    if (syncedTransfer_ == transferNumber())
        return;
    syncLocked();
    syncedTransfer_ = transferNumber();
}

void Pcf85263Model::regWrite(unsigned reg, uint32_t value)
{
    syncOncePerTransfer();
    regs_[reg] = static_cast<uint8_t>(value);
    // Writing the time restarts the second.
    if (reg <= w::kYears)
        wallMarkUs_ = clock_.wallTimeUs();
}

uint32_t Pcf85263Model::regRead(unsigned reg)
{
    syncOncePerTransfer();
    return regs_[reg];
}

void Pcf85263Model::setDateTime(const ClockDateTime& t)
{
    using civil::toBcd;
    std::lock_guard<std::mutex> lock(mutex_);
    regs_[w::kHundredths] = 0;
    regs_[w::kSeconds] = static_cast<uint8_t>(toBcd(t.second));
    regs_[w::kMinutes] = static_cast<uint8_t>(toBcd(t.minute));
    regs_[w::kHours] = static_cast<uint8_t>(toBcd(t.hour));
    regs_[w::kDays] = static_cast<uint8_t>(toBcd(t.day));
    regs_[w::kWeekdays] = static_cast<uint8_t>(civil::weekday(civil::daysFromCivil(t.year, t.month, t.day)));
    regs_[w::kMonths] = static_cast<uint8_t>(toBcd(t.month));
    regs_[w::kYears] = static_cast<uint8_t>(toBcd((t.year - w::kYearBase) % 100));
    wallMarkUs_ = clock_.wallTimeUs();
}

ClockDateTime Pcf85263Model::dateTime()
{
    using civil::fromBcd;
    std::lock_guard<std::mutex> lock(mutex_);
    syncLocked();
    ClockDateTime t;
    t.second = fromBcd(regs_[w::kSeconds] & 0x7F);
    t.minute = fromBcd(regs_[w::kMinutes] & 0x7F);
    t.hour = fromBcd(regs_[w::kHours] & 0x3F);
    t.day = fromBcd(regs_[w::kDays] & 0x3F);
    t.weekday = regs_[w::kWeekdays] & 7;
    t.month = fromBcd(regs_[w::kMonths] & 0x1F);
    t.year = w::kYearBase + fromBcd(regs_[w::kYears]);
    return t;
}

void Pcf85263Model::advanceSeconds(long seconds)
{
    std::lock_guard<std::mutex> lock(mutex_);
    advanceLocked(seconds);
}

void Pcf85263Model::followWallClock(bool follow)
{
    std::lock_guard<std::mutex> lock(mutex_);
    syncLocked();
    follow_ = follow;
    wallMarkUs_ = clock_.wallTimeUs();
}

} // namespace platform::sim
