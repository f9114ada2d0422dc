#include "ErrorCounter.h"

#include <cmath>

namespace platform::sim {

void ErrorCounter::setRate(double rate, double unitsPerSecond)
{
    rate_ = rate > 0 ? rate : 0;
    unitsPerSecond_ = unitsPerSecond > 0 ? unitsPerSecond : 0;
}

void ErrorCounter::setWindow(double unitsPerWindow)
{
    windowUnits_ = unitsPerWindow > 0 ? unitsPerWindow : 0;
}

void ErrorCounter::restart(uint64_t nowUs)
{
    startUs_ = nowUs;
}

uint64_t ErrorCounter::windowDurationUs() const
{
    if (unitsPerSecond_ <= 0 || windowUnits_ <= 0)
        return 0;
    // At least a microsecond, so that a window always takes time.
    const double us = std::ceil(windowUnits_ / unitsPerSecond_ * 1e6);
    return us < 1 ? 1 : static_cast<uint64_t>(us);
}

uint64_t ErrorCounter::windows(uint64_t nowUs) const
{
    const uint64_t duration = windowDurationUs();
    if (duration == 0 || nowUs < startUs_)
        return 0;
    return (nowUs - startUs_) / duration;
}

uint64_t ErrorCounter::cumulative(double elapsedUs) const
{
    return static_cast<uint64_t>(std::floor(rate_ * unitsPerSecond_ * elapsedUs / 1e6 + 0.5));
}

uint64_t ErrorCounter::windowCount(uint64_t nowUs) const
{
    const uint64_t k = windows(nowUs);
    if (k == 0)
        return 0;
    // Whole windows in units, so that the count does not depend on the rounding of the
    // window's duration to microseconds.
    const double perWindow = rate_ * windowUnits_;
    return static_cast<uint64_t>(std::floor(perWindow * k + 0.5) - std::floor(perWindow * (k - 1) + 0.5));
}

uint64_t ErrorCounter::errorsBetween(uint64_t fromUs, uint64_t toUs) const
{
    if (toUs <= fromUs || toUs <= startUs_)
        return 0;
    const double from = fromUs > startUs_ ? double(fromUs - startUs_) : 0.0;
    return cumulative(double(toUs - startUs_)) - cumulative(from);
}

} // namespace platform::sim
