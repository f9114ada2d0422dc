#include "VirtualClock.h"

#include <thread>

namespace platform::sim {

VirtualClock::VirtualClock(int64_t wallStartUs) : wallStartUs_(wallStartUs), owner_(std::this_thread::get_id()) {}

uint64_t VirtualClock::scaledNowLocked() const
{
    double f = scale_.load();
    if (f <= 0.0)
        return scaleBaseUs_;
    auto real = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - scaleStart_)
                    .count();
    return scaleBaseUs_ + static_cast<uint64_t>(static_cast<double>(real) * f);
}

uint64_t VirtualClock::monotonicUs() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return scaledNowLocked() + offsetUs_.load();
}

int64_t VirtualClock::wallTimeUs() const
{
    return wallStartUs_ + static_cast<int64_t>(monotonicUs()) + wallStepUs_.load();
}

void VirtualClock::sleepUs(uint64_t us)
{
    double f = scale_.load();
    if (f <= 0.0 && backgroundReal_.load() && std::this_thread::get_id() != owner_) {
        std::this_thread::sleep_for(std::chrono::microseconds(us));
        return;
    }
    slept_ += us;
    if (f <= 0.0) {
        offsetUs_ += us;
        // Give other threads a chance to run, as a real sleep would.
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int64_t>(static_cast<double>(us) / f)));
}

void VirtualClock::advanceUs(uint64_t us) { offsetUs_ += us; }

void VirtualClock::setWallTimeUs(int64_t wallUs)
{
    wallStepUs_ = wallUs - (wallStartUs_ + static_cast<int64_t>(monotonicUs()));
}

void VirtualClock::setScale(double factor)
{
    std::lock_guard<std::mutex> lock(mutex_);
    scaleBaseUs_ = scaledNowLocked();
    scaleStart_ = std::chrono::steady_clock::now();
    scale_ = factor < 0.0 ? 0.0 : factor;
}

} // namespace platform::sim
