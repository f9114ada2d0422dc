// Waiting for the chip's analysis unit (banks 0x11 and 0x21): after a carrier is set, its
// answer registers at 0x9B show bit 6 of the first byte once the sample or the carrier's
// MER is there. Each standard's reader gives how long it waits and when it gives up.
#pragma once

#include "DrvCXD2856_burst.h"

#include <cstdint>

namespace drvcxd2856 {

struct AnalysisPoll {
    uint32_t maxReads;
    uint32_t deadlineMs;   // 0: no time limit
    uint32_t cancelFrom;   // from this read on a set cancel flag ends the wait (0: never)
    uint32_t lockFrom;     // from this read on a lost lock ends the wait (0: never)
    bool (*lockHeld)(Burst&);
};

// A 7-byte read takes about a third of a millisecond on the bus, so a time limit is also a
// number of reads: no wait outlasts its bus traffic, whatever the clock does.
constexpr uint32_t kAnalysisReadsPerSecond = 3000;
// The one-carrier MER: at most 1000 ms, cancellable after 25 reads.
constexpr AnalysisPoll kCarrierMerPoll = {kAnalysisReadsPerSecond, 1000, 25, 0, nullptr};

// Reads `bytes` bytes at 0x9B of bank until bit 6 of the first is set (true) or the poll
// gives up (false).
bool pollAnalysis(Burst& b, uint8_t bank, uint8_t* data, uint32_t bytes, const AnalysisPoll& poll);

} // namespace drvcxd2856
