// The steps a register fake logs, each with the board-clock time it happened at, turned
// into a trail with the waits between them (and after the last one, up to now).
#pragma once

#include "common/Clock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kittest {

template <class Step>
class TimedTrail {
public:
    TimedTrail() : startMs_(nowMs()) {}

    void add(Step s)
    {
        steps_.push_back(std::move(s));
        times_.push_back(nowMs());
    }
    void clear()
    {
        steps_.clear();
        times_.clear();
        startMs_ = nowMs();
    }
    const std::vector<Step>& steps() const { return steps_; }

    // makeWait(ms) builds the wait step of the fake's own kind.
    template <class MakeWait>
    std::vector<Step> withWaits(MakeWait makeWait) const
    {
        std::vector<Step> out;
        uint64_t last = startMs_;
        for (size_t i = 0; i < steps_.size(); ++i) {
            if (times_[i] > last)
                out.push_back(makeWait(static_cast<int>(times_[i] - last)));
            last = times_[i];
            out.push_back(steps_[i]);
        }
        if (nowMs() > last)
            out.push_back(makeWait(static_cast<int>(nowMs() - last)));
        return out;
    }

private:
    static uint64_t nowMs() { return common::hasClock() ? common::clock().monotonicMs() : 0; }

    std::vector<Step> steps_;
    std::vector<uint64_t> times_;
    uint64_t startMs_;
};

} // namespace kittest
