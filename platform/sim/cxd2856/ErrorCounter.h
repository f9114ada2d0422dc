// An error counter of a demodulator model on the board's virtual time. Errors occur at a
// steady rate (BER x bit rate, or PER x packet rate); the chip shows the count of the
// last completed window and flags it valid once one window has passed since the
// counter was restarted (lock, or a new window written). Counts carry their fraction
// from one window to the next, so the mean count is exactly rate x window size.
// The same counter answers "errors since" for counters that the software clears.
#pragma once

#include <cstdint>

namespace platform::sim {

class ErrorCounter {
public:
    // rate: errors per unit (per bit, per packet); unitsPerSecond: bit or packet rate.
    void setRate(double rate, double unitsPerSecond);
    // Units per window (1632 x 2^p bits for a 204-byte-packet counter with exponent p).
    void setWindow(double unitsPerWindow);
    void restart(uint64_t nowUs);

    double windowUnits() const { return windowUnits_; }
    uint64_t windowDurationUs() const;
    // Completed windows since the restart.
    uint64_t windows(uint64_t nowUs) const;
    bool valid(uint64_t nowUs) const { return windows(nowUs) > 0; }
    // Errors of the last completed window (0 before the first).
    uint64_t windowCount(uint64_t nowUs) const;
    // Errors between two moments after the restart.
    uint64_t errorsBetween(uint64_t fromUs, uint64_t toUs) const;

private:
    // Errors from the restart to t, rounded.
    uint64_t cumulative(double elapsedUs) const;

    double rate_ = 0;
    double unitsPerSecond_ = 0;
    double windowUnits_ = 0;
    uint64_t startUs_ = 0;
};

} // namespace platform::sim
