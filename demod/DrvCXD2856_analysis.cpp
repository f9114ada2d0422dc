#include "DrvCXD2856_analysis.h"

#include "common/embedded_timers.h"

namespace drvcxd2856 {

bool pollAnalysis(Burst& b, uint8_t bank, uint8_t* data, uint32_t bytes, const AnalysisPoll& poll)
{
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    for (uint32_t n = 1; n <= poll.maxReads; ++n) {
        if (poll.deadlineMs && EMBEDDEDTIMERS_GeticksInMs() - start > poll.deadlineMs)
            return false;
        if (!b.read(bank, 0x9B, data, bytes))
            return false;
        if (data[0] & 0x40)
            return true;
        if (poll.cancelFrom && n >= poll.cancelFrom && b.cancelled())
            return false;
        if (poll.lockFrom && n >= poll.lockFrom && poll.lockHeld && !poll.lockHeld(b))
            return false;
    }
    return false;
}

} // namespace drvcxd2856
