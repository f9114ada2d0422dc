#include "ScaledTime.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace platform::sim {

namespace {

// What a thread that ends must still tell the clocks it slept on.
struct AtThreadExit {
    std::vector<std::function<void()>> calls;
    ~AtThreadExit()
    {
        for (auto& call : calls)
            call();
    }
};

void atThreadExit(std::function<void()> call)
{
    thread_local AtThreadExit exits;
    exits.calls.push_back(std::move(call));
}

} // namespace

void ScaledTime::runLocked(RealClock::time_point now)
{
    if (now <= lastReal_)
        return;
    if (factor_ > 0.0 && holds_ == 0) {
        // Every hold in force now began before lastReal_: time stands until the last of them
        // is overdue.
        RealClock::time_point from = lastReal_;
        for (const auto& entry : workers_)
            if (entry.second.working)
                from = std::max(from, entry.second.since + kWorkWait);
        if (peerHeld_)
            from = std::max(from, peerSince_ + kPeerWait);
        if (from < now) {
            const auto real = std::chrono::duration_cast<std::chrono::nanoseconds>(now - from).count();
            uint64_t next = baseNs_ + static_cast<uint64_t>(static_cast<double>(real) * factor_);
            // Not past a sleeper that is due and still asleep, however late it wakes.
            if (!deadlinesNs_.empty() && next > *deadlinesNs_.begin()) {
                if (capNs_ != *deadlinesNs_.begin()) {
                    capNs_ = *deadlinesNs_.begin();
                    capSince_ = now;
                }
                if (now - capSince_ <= kWorkWait)
                    next = std::max(baseNs_, capNs_);
            }
            baseNs_ = next;
        }
    }
    lastReal_ = now;
}

uint64_t ScaledTime::nowUs(bool peerBusy)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = RealClock::now();
    runLocked(now);
    if (peerBusy && !peerHeld_) {
        peerHeld_ = true;
        peerSince_ = now;
    } else if (!peerBusy && peerHeld_) {
        peerHeld_ = false;
        changed_.notify_all();
    }
    return baseNs_ / 1000;
}

void ScaledTime::setFactor(double factor, bool peerBusy)
{
    nowUs(peerBusy);
    std::lock_guard<std::mutex> lock(mutex_);
    factor_ = factor;
    changed_.notify_all();
}

void ScaledTime::setWorkingLocked(bool working, RealClock::time_point now)
{
    const std::thread::id self = std::this_thread::get_id();
    const auto found = workers_.find(self);
    Worker& w = found != workers_.end() ? found->second : workers_[self];
    if (found == workers_.end())
        atThreadExit([weak = weak_from_this(), self] {
            if (auto time = weak.lock())
                time->forget(self);
        });
    w.working = working;
    w.since = now;
    changed_.notify_all();
}

uint64_t ScaledTime::sleepBegins(uint64_t us, bool worker)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = RealClock::now();
    runLocked(now);
    // In whole microseconds, as board time is read.
    const uint64_t deadlineUs = baseNs_ / 1000 + us;
    deadlinesNs_.insert(deadlineUs * 1000);
    if (worker)
        setWorkingLocked(false, now);
    return deadlineUs;
}

void ScaledTime::sleepEnds(uint64_t deadlineUs, bool worker)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = RealClock::now();
    runLocked(now);
    const auto found = deadlinesNs_.find(deadlineUs * 1000);
    if (found != deadlinesNs_.end())
        deadlinesNs_.erase(found);
    if (worker)
        setWorkingLocked(true, now);
    changed_.notify_all();
}

void ScaledTime::rest()
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = RealClock::now();
    runLocked(now);
    setWorkingLocked(false, now);
}

void ScaledTime::work()
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = RealClock::now();
    runLocked(now);
    setWorkingLocked(true, now);
}

void ScaledTime::forget(std::thread::id thread)
{
    std::lock_guard<std::mutex> lock(mutex_);
    runLocked(RealClock::now());
    workers_.erase(thread);
    changed_.notify_all();
}

void ScaledTime::hold()
{
    std::lock_guard<std::mutex> lock(mutex_);
    runLocked(RealClock::now());
    ++holds_;
}

void ScaledTime::release()
{
    std::lock_guard<std::mutex> lock(mutex_);
    runLocked(RealClock::now());
    holds_ = std::max(holds_ - 1, 0);
    changed_.notify_all();
}

void ScaledTime::waitForChange(uint64_t realUs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::microseconds(realUs));
}

} // namespace platform::sim
