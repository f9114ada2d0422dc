#include "MAX11337.h"

#include <QDebug>

#include <algorithm>
#include <vector>

namespace {
using wiring::max11337::kPeakChannel;
constexpr int kPeakConversions = 20;
constexpr int kMeanConversions = 5;

bool validChannel(int channel) { return channel >= 0 && channel < wiring::max11337::kChannelCount; }
} // namespace

MAX11337::MAX11337(std::string device)
    : spi_(std::move(device), wiring::kConverterSpi.speedHz, wiring::kConverterSpi.mode,
           wiring::kConverterSpi.bitsPerWord)
{
    spi_.open();
}

int MAX11337::convert(int channel, int n, uint16_t* frames)
{
    const uint16_t word = wiring::max11337::modeControlWord(channel);
    const size_t bytes = 2 * static_cast<size_t>(n + 1);
    std::vector<uint8_t> tx(bytes), rx(bytes);
    for (size_t i = 0; i < bytes; i += 2) {
        tx[i] = static_cast<uint8_t>(word >> 8);
        tx[i + 1] = static_cast<uint8_t>(word);
    }
    if (spi_.transfer(tx.data(), rx.data(), bytes) != 0)
        return -1;
    // The first frame only starts the first conversion.
    for (int i = 0; i < n; ++i)
        frames[i] = static_cast<uint16_t>((rx[2 * (i + 1)] << 8) | rx[2 * (i + 1) + 1]);
    return 0;
}

int MAX11337::getLecturaConversorAD(int channel)
{
    const bool mean = channel == kPeakMean;
    if (!mean && !validChannel(channel)) {
        qDebug() << "MAX11337-> Funtion getLecturaConversorAD bad channel" << channel;
        return -1;
    }
    const int convChannel = mean ? kPeakChannel : channel;
    const int n = mean ? kMeanConversions : channel == kPeakChannel ? kPeakConversions : 1;
    uint16_t frames[kPeakConversions];
    if (convert(convChannel, n, frames) != 0)
        return -1;
    int largest = 0;
    int sum = 0;
    for (int i = 0; i < n; ++i) {
        const int v = frames[i] & wiring::max11337::kDataMask;
        largest = std::max(largest, v);
        sum += v;
    }
    return mean ? sum / n : largest;
}

int MAX11337::getArrayValue(int channel, int n, unsigned long* out)
{
    if (!validChannel(channel) || !out)
        return -1;
    if (n < 1)
        return 0;
    n = std::min(n, wiring::max11337::kMaxBurst);
    std::vector<uint16_t> frames(static_cast<size_t>(n));
    if (convert(channel, n, frames.data()) != 0)
        return -1;
    std::copy(frames.begin(), frames.end(), out);
    return n;
}
