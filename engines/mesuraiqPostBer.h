// The constellation engine's post-BER: the packet errors the demodulator reports after error
// correction, summed with the bits they cover since the lock was taken, as one ratio that the
// screens and the loggers compare. Kept in doubles, so a long lock never saturates the sums.
#pragma once

#include <QString>

#include <cstdint>

struct PostBerAccumulator {
    double paquets_erronis_totals = 0; // errors summed
    double n_bits_rebuts = 0;          // bits summed
};

// The BER status and value of the sums after one more read of errors over a block of block
// packets (208 x block bits); reset empties the sums and gives status 1 with 0. With no error
// counted the value is the bound 1 / bits with status 2 ("<"), or 1e-9 on the optical-module
// variant; status 1 (">") marks a read whose errors ran past the counter's range.
struct PostBer {
    uint32_t status;
    double value;
};
PostBer ActualitzaPostBer(PostBerAccumulator& sums, bool reset, uint32_t errors, uint32_t block, bool oclaro);
