// Steps the DVB-C2 tune sequencer the way the integration layer does: a step when no wait is
// asked, the tuner moved where a step asks, the wait taken on the board's clock, the 20 s
// limit and the cancel flag after each round. Records the states stepped and the moves.
#pragma once

#include "chipkit/kit_demod_dvbc2.h"
#include "chipkit/kit_stopwatch_port.h"
#include "common/Clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace kittest {

inline uint64_t boardMs() { return common::clock().monotonicMs(); }

struct Dvbc2Stepper {
    Dvbc2Stepper(kit_demod_t& d, std::function<void()> before = {}) : demod(d), beforeStep(std::move(before)) {}

    kit_demod_t& demod;
    std::function<void()> beforeStep;          // the chip's own doings, in scripted tests
    std::function<void(uint32_t kHz)> tuner;   // where a step moves the tuner
    std::function<bool()> cancel;
    std::vector<uint32_t> states;
    std::vector<uint32_t> tunerMoves;
    kit_dvbc2_tune_seq_t seq{};

    kit_result_t run(const kit_dvbc2_tune_param_t& param)
    {
        EXPECT_EQ(kit_demod_dvbc2_InitTuneSeq(&demod, &param, &seq), 0u);
        const uint64_t start = boardMs();
        while (seq.running) {
            if (beforeStep)
                beforeStep();
            seq.currentTimeMs = static_cast<uint32_t>(boardMs());
            states.push_back(seq.state);
            const kit_result_t r = kit_demod_dvbc2_TuneSeq(&demod, &seq);
            if (r != KIT_RESULT_OK)
                return r;
            if (seq.tunerRetune) {
                tunerMoves.push_back(seq.retuneFreqKHz);
                if (tuner)
                    tuner(seq.retuneFreqKHz);
                seq.tunerRetune = 0;
            }
            if (seq.waitMs) {
                kit_stopwatch_t sw{};
                kit_stopwatch_sleep(&sw, seq.waitMs);
                seq.waitMs = 0;
            }
            if (boardMs() - start > 20000)
                return KIT_RESULT_ERROR_TIMEOUT;
            if (cancel && cancel())
                return KIT_RESULT_ERROR_CANCEL;
        }
        return seq.result;
    }

    // The walk without the repeats of waiting states.
    std::vector<uint32_t> walk() const
    {
        std::vector<uint32_t> out;
        for (uint32_t s : states)
            if (out.empty() || out.back() != s)
                out.push_back(s);
        return out;
    }
};

} // namespace kittest
