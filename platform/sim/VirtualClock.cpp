#include "VirtualClock.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace platform::sim {

namespace {
// How often a sleeper looks again while time stands for a peer, which says nothing when it
// is done.
constexpr uint64_t kStandingPollUs = 100;
} // namespace

VirtualClock::VirtualClock(int64_t wallStartUs) : wallStartUs_(wallStartUs), owner_(std::this_thread::get_id()) {}

uint64_t VirtualClock::monotonicUs() const
{
    const bool held = scale_.load() > 0.0 && peersBusy();
    return scaled_->nowUs(held) + offsetUs_.load();
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
        waitForPeers();
        offsetUs_ += us;
        tellPeersTimeMoved();
        // Give other threads a chance to run, as a real sleep would.
        std::this_thread::yield();
        return;
    }
    sleepScaledUs(us);
}

void VirtualClock::sleepScaledUs(uint64_t us)
{
    const bool worker = std::this_thread::get_id() != owner_;
    const uint64_t offset = offsetUs_.load();
    const uint64_t deadline = scaled_->sleepBegins(us, worker);
    const uint64_t end = deadline + offset;
    bool first = true;
    uint64_t last = 0;
    for (;;) {
        const double f = scale_.load();
        const uint64_t now = monotonicUs();
        if (now >= end || f <= 0.0)
            break;
        const auto realUs = static_cast<uint64_t>(std::ceil(static_cast<double>(end - now) / f));
        if (!first && now == last)
            scaled_->waitForChange(std::max<uint64_t>(realUs, kStandingPollUs)); // time stands
        else
            std::this_thread::sleep_for(std::chrono::microseconds(realUs));
        first = false;
        last = now;
    }
    scaled_->sleepEnds(deadline, worker);
}

void VirtualClock::waitBegins()
{
    if (scale_.load() > 0.0 && std::this_thread::get_id() != owner_)
        scaled_->rest();
}

void VirtualClock::waitEnds()
{
    if (scale_.load() > 0.0 && std::this_thread::get_id() != owner_)
        scaled_->work();
}

void VirtualClock::advanceUs(uint64_t us)
{
    offsetUs_ += us;
    tellPeersTimeMoved();
}

void VirtualClock::setWallTimeUs(int64_t wallUs)
{
    wallStepUs_ = wallUs - (wallStartUs_ + static_cast<int64_t>(monotonicUs()));
}

void VirtualClock::setScale(double factor)
{
    const double f = factor < 0.0 ? 0.0 : factor;
    scaled_->setFactor(f, scale_.load() > 0.0 && peersBusy());
    scale_ = f;
    tellPeersTimeMoved();
}

int VirtualClock::attachPeer(Peer peer)
{
    std::lock_guard<std::mutex> lock(peersMutex_);
    const int id = nextPeer_++;
    peers_[id] = std::move(peer);
    peerCount_ = static_cast<int>(peers_.size());
    return id;
}

void VirtualClock::detachPeer(int id)
{
    std::lock_guard<std::mutex> lock(peersMutex_);
    peers_.erase(id);
    peerCount_ = static_cast<int>(peers_.size());
}

bool VirtualClock::peersBusy() const
{
    if (peerCount_.load() == 0)
        return false;
    std::lock_guard<std::mutex> lock(peersMutex_);
    for (const auto& [id, peer] : peers_)
        if (peer.busy && peer.busy())
            return true;
    return false;
}

void VirtualClock::waitForPeers() const
{
    if (peerCount_.load() == 0)
        return;
    const auto until = std::chrono::steady_clock::now() + kPeerWait;
    while (peersBusy() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

void VirtualClock::tellPeersTimeMoved() const
{
    if (peerCount_.load() == 0)
        return;
    std::lock_guard<std::mutex> lock(peersMutex_);
    for (const auto& [id, peer] : peers_)
        if (peer.timeMoved)
            peer.timeMoved();
}

} // namespace platform::sim
