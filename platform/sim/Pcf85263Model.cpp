#include "Pcf85263Model.h"

#include "common/CivilDate.h"
#include "common/BoardWiring.h"

namespace platform::sim {

namespace w = wiring::pcf85263;

namespace {
constexpr long long kDay = 86400;

// Whole days and the second of the day; a negative moment falls on the day before.
long long dayOf(long long moment) { return moment >= 0 ? moment / kDay : (moment - kDay + 1) / kDay; }

// The chip's two year digits: any year lands in its hundred, as the count shows past 99.
int yearDigits(int year) { return ((year - w::kYearBase) % 100 + 100) % 100; }
} // namespace

Pcf85263Model::Pcf85263Model(common::Clock& clock)
    : RegisterI2cModel(Layout{w::kRegisterCount, false}), clock_(clock)
{
    setDateTime(ClockDateTime{2026, 1, 1, 0, 0, 0, 0});
}

void Pcf85263Model::storeLocked(long long moment)
{
    using civil::toBcd;
    const long long day = dayOf(moment);
    const int rest = static_cast<int>(moment - day * kDay);
    const civil::Date d = civil::civilFromDays(static_cast<long>(day));
    regs_[w::kSeconds] = static_cast<uint8_t>((regs_[w::kSeconds] & 0x80) | toBcd(rest % 60));
    regs_[w::kMinutes] = static_cast<uint8_t>(toBcd(rest / 60 % 60));
    regs_[w::kHours] = static_cast<uint8_t>(toBcd(rest / 3600));
    regs_[w::kDays] = static_cast<uint8_t>(toBcd(d.day));
    regs_[w::kMonths] = static_cast<uint8_t>(toBcd(d.month));
    regs_[w::kYears] = static_cast<uint8_t>(toBcd(yearDigits(d.year)));
}

void Pcf85263Model::advanceLocked(long seconds)
{
    using civil::fromBcd;
    const long long day = civil::daysFromCivil(w::kYearBase + fromBcd(regs_[w::kYears]), fromBcd(regs_[w::kMonths] & 0x1F),
                                               fromBcd(regs_[w::kDays] & 0x3F));
    const long long secondOfDay = fromBcd(regs_[w::kHours] & 0x3F) * 3600LL + fromBcd(regs_[w::kMinutes] & 0x7F) * 60LL +
                                  fromBcd(regs_[w::kSeconds] & 0x7F);
    const long long moment = day * kDay + secondOfDay + seconds;
    storeLocked(moment);
    // The chip counts weekdays on its own, from whatever was written.
    const long long days = dayOf(moment) - day;
    regs_[w::kWeekdays] = static_cast<uint8_t>((((regs_[w::kWeekdays] & 7) + days) % 7 + 7) % 7);
}

void Pcf85263Model::syncLocked()
{
    const uint64_t now = clock_.monotonicUs();
    if (!follow_) {
        markUs_ = now;
        return;
    }
    const uint64_t whole = (now - markUs_) / 1000000;
    if (whole != 0) {
        advanceLocked(static_cast<long>(whole));
        markUs_ += whole * 1000000;
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
        markUs_ = clock_.monotonicUs();
}

uint32_t Pcf85263Model::regRead(unsigned reg)
{
    syncOncePerTransfer();
    return regs_[reg];
}

void Pcf85263Model::setDateTime(const ClockDateTime& t)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const long long moment = civil::daysFromCivil(t.year, t.month, t.day) * kDay + t.hour * 3600LL + t.minute * 60LL + t.second;
    regs_[w::kHundredths] = 0;
    regs_[w::kSeconds] = 0;
    storeLocked(moment);
    regs_[w::kWeekdays] = static_cast<uint8_t>(civil::weekday(static_cast<long>(dayOf(moment))));
    markUs_ = clock_.monotonicUs();
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

void Pcf85263Model::followBoardTime(bool follow)
{
    std::lock_guard<std::mutex> lock(mutex_);
    syncLocked();
    follow_ = follow;
    markUs_ = clock_.monotonicUs();
}

} // namespace platform::sim
