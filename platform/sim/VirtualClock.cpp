#include "VirtualClock.h"

#include <thread>

namespace platform::sim {

VirtualClock::VirtualClock(int64_t wallStartUs) : wallStartUs_(wallStartUs), owner_(std::this_thread::get_id()) {}

uint64_t VirtualClock::scaledNowLocked(bool held) const
{
    double f = scale_.load();
    if (f <= 0.0)
        return scaleBaseUs_;
    const auto now = std::chrono::steady_clock::now();
    const auto real = std::chrono::duration_cast<std::chrono::microseconds>(now - scaleStart_).count();
    const uint64_t scaled = scaleBaseUs_ + static_cast<uint64_t>(static_cast<double>(real) * f);
    if (!held)
        stuck_ = false;
    if (held && !stuck_) {
        if (!frozen_) {
            frozen_ = true;
            frozenUs_ = scaled;
            frozenSince_ = now;
        }
        if (now - frozenSince_ <= kPeerWait)
            return frozenUs_;
        stuck_ = true; // time goes on without the peer until it is idle again
    }
    if (frozen_) {
        // Time resumes where it stood.
        frozen_ = false;
        scaleBaseUs_ = frozenUs_;
        scaleStart_ = now;
        return frozenUs_;
    }
    return scaled;
}

uint64_t VirtualClock::monotonicUs() const
{
    const bool held = scale_.load() > 0.0 && peersBusy();
    std::lock_guard<std::mutex> lock(mutex_);
    return scaledNowLocked(held) + offsetUs_.load();
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
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int64_t>(static_cast<double>(us) / f)));
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
    {
        std::lock_guard<std::mutex> lock(mutex_);
        scaleBaseUs_ = scaledNowLocked(false);
        scaleStart_ = std::chrono::steady_clock::now();
        scale_ = factor < 0.0 ? 0.0 : factor;
    }
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
