// Time for tests and for the simulated board. In the instant mode time moves only
// when code sleeps or a test advances it, so an 85 s modem power-up costs nothing
// and every wait is exact. In the scaled mode time follows the real clock multiplied
// by a factor while the code under test waits, which keeps several threads (engine,
// serial reader, modem model) in step with each other while still running long waits
// fast; what the processor takes of it, however slow, costs no board time.
#pragma once

#include "ScaledTime.h"
#include "common/Clock.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::sim {

class VirtualClock : public common::Clock {
public:
    // 2026-01-01 00:00:00 UTC: a fixed start keeps dates in tests repeatable.
    static constexpr int64_t kDefaultWallStartUs = 1767225600LL * 1000000LL;

    explicit VirtualClock(int64_t wallStartUs = kDefaultWallStartUs);

    uint64_t monotonicUs() const override;
    int64_t wallTimeUs() const override;
    void sleepUs(uint64_t us) override;
    bool isVirtual() const override { return true; }
    void waitBegins() override;
    void waitEnds() override;

    // Moves time forward without anybody sleeping (a test's "meanwhile").
    void advanceUs(uint64_t us);
    void advanceMs(uint64_t ms) { advanceUs(ms * 1000); }
    // Steps the wall time only, as "date -s" does; monotonic time is untouched.
    void setWallTimeUs(int64_t wallUs);
    // factor 0: instant mode. factor f > 0: one real microsecond is f virtual ones, and a
    // sleep of d virtual microseconds lasts until the clock has moved d on. Scaled time stands
    // still while a thread of the code under test is at work: every thread but the one that
    // created the clock, from its first sleep on, between two of its sleeps (see ScaledTime).
    void setScale(double factor);
    double scale() const { return scale_.load(); }
    // Scaled mode: what a test does between hold() and release() takes no board time.
    void hold() { scaled_->hold(); }
    void release() { scaled_->release(); }
    // Instant mode only: sleeps of threads other than the one that created the clock block
    // for real and leave time alone. A background thread idling in sleeps (a serial reader,
    // an engine waiting for work) then neither burns a processor nor races the test's time,
    // which only the creating thread's waits and advanceMs move. Off by default.
    void setBackgroundSleepsReal(bool on) { backgroundReal_ = on; }
    // Total virtual time spent sleeping, for benchmarks that compare work with waits.
    uint64_t sleptUs() const { return slept_.load(); }

    // A device model that answers in real time beside board time (the simulated modem on
    // its pseudo-terminal). While busy() says it has work in hand, time does not run past
    // it: scaled time stands still, and a sleep that moves instant time first waits for it
    // (really, at most kPeerWait; a peer busy longer is taken as stuck). timeMoved() is told
    // whenever time jumps or changes mode, so the model can look at its deadlines again.
    // Neither may read this clock's time.
    struct Peer {
        std::function<bool()> busy;
        std::function<void()> timeMoved;
    };
    static constexpr std::chrono::milliseconds kPeerWait = ScaledTime::kPeerWait;
    int attachPeer(Peer peer);
    void detachPeer(int id);

private:
    void sleepScaledUs(uint64_t us);
    bool peersBusy() const;
    void waitForPeers() const;
    void tellPeersTimeMoved() const;

    std::atomic<uint64_t> offsetUs_{0};
    std::atomic<double> scale_{0.0};
    std::shared_ptr<ScaledTime> scaled_ = std::make_shared<ScaledTime>();
    int64_t wallStartUs_;
    std::atomic<int64_t> wallStepUs_{0};
    std::atomic<uint64_t> slept_{0};
    std::atomic<bool> backgroundReal_{false};
    std::thread::id owner_;

    mutable std::mutex peersMutex_;
    std::map<int, Peer> peers_;
    std::atomic<int> peerCount_{0};
    int nextPeer_ = 1;
};

} // namespace platform::sim
