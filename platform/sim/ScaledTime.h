// Board time of the virtual clock's scaled mode: real time multiplied by a factor, which runs
// only while the code under test waits. A thread of that code is at work between two of its
// sleeps, and time stands still meanwhile; a sleeper that is due and has not woken yet holds
// time at its deadline; a peer (the simulated modem) holds it while it says it is busy, a test
// while it holds it. So a busy processor, which slows the code down but not the simulated
// chips, spends no board time: a budget in board time counts only what the board takes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace platform::sim {

class ScaledTime : public std::enable_shared_from_this<ScaledTime> {
public:
    using RealClock = std::chrono::steady_clock;
    // A hold kept longer than this (real time) is taken as stuck, and time goes on without it:
    // a peer that never answers, a thread blocked on something the clock is not told of.
    static constexpr std::chrono::milliseconds kPeerWait{2000};
    static constexpr std::chrono::milliseconds kWorkWait{10000};

    // Board time in microseconds; peerBusy says whether a peer has work in hand right now.
    uint64_t nowUs(bool peerBusy);
    // factor 0 stops time where it stands.
    void setFactor(double factor, bool peerBusy);

    // The calling thread sleeps for us of board time: returns its deadline. A worker (a thread
    // of the code under test) rests meanwhile; it counts from its first sleep until it ends.
    uint64_t sleepBegins(uint64_t us, bool worker);
    void sleepEnds(uint64_t deadlineUs, bool worker);
    // A worker blocked on another thread or a device rests too.
    void rest();
    void work();
    // A test's "meanwhile" that takes no board time, from any thread; counted.
    void hold();
    void release();
    // Waits until something may have let time run again, or realUs have passed.
    void waitForChange(uint64_t realUs);

private:
    struct Worker {
        bool working = false;
        RealClock::time_point since;
    };
    void runLocked(RealClock::time_point now);
    void setWorkingLocked(bool working, RealClock::time_point now);
    void forget(std::thread::id thread);

    std::mutex mutex_;
    std::condition_variable changed_;
    double factor_ = 0.0;
    uint64_t baseNs_ = 0; // board time at lastReal_
    RealClock::time_point lastReal_ = RealClock::now();
    std::map<std::thread::id, Worker> workers_;
    std::multiset<uint64_t> deadlinesNs_; // of the sleepers
    uint64_t capNs_ = 0;                  // the deadline time last stood at, and since when
    RealClock::time_point capSince_;
    int holds_ = 0;
    bool peerHeld_ = false;
    RealClock::time_point peerSince_;
};

} // namespace platform::sim
