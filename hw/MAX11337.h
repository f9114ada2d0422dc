// MAX11337 12-bit converter of the detectors, battery and supply monitors. Conversions run
// in manual mode: each 16-bit frame names the channel to convert and clocks out the result
// of the frame before, so n conversions take n + 1 frames in one transfer.
#pragma once

#include "spidevice.h"

#include "common/BoardWiring.h"

#include <string>

class MAX11337 {
public:
    // The request for the mean of the peak channel.
    static constexpr int kPeakMean = 99;

    explicit MAX11337(std::string device = wiring::kConverterNode);

    // One 12-bit reading: the peak channel (2) gives the largest of 20 conversions,
    // kPeakMean the truncated mean of 5 of its conversions, channels 0 to 15 one
    // conversion. -1 for any other channel or when the transfer fails.
    int getLecturaConversorAD(int channel);
    // min(n, 500) raw conversions of the channel in one transfer. The values keep their
    // 16-bit frames (callers keep the low 12 bits). Returns how many were read, 0 for n < 1,
    // -1 for a bad channel, a null buffer or a failed transfer.
    int getArrayValue(int channel, int n, unsigned long* out);

private:
    // n conversions of the channel into frames (raw 16-bit). 0 or -1.
    int convert(int channel, int n, uint16_t* frames);

    SpiDevice spi_;
};
