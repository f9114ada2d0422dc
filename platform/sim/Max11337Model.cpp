#include "Max11337Model.h"

#include "common/BoardWiring.h"

#include <algorithm>

namespace platform::sim {

void Max11337Model::setChannelValue(int channel, int raw)
{
    setChannelFunction(channel, [raw](uint64_t) { return raw; });
}

void Max11337Model::setChannelFunction(int channel, ChannelFunction function)
{
    std::lock_guard<std::mutex> lock(mutex_);
    channels_[channel] = std::move(function);
}

void Max11337Model::clearChannel(int channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    channels_.erase(channel);
}

void Max11337Model::setSource(Source source)
{
    std::lock_guard<std::mutex> lock(mutex_);
    source_ = std::move(source);
}

int Max11337Model::conversionCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return conversions_;
}

int Max11337Model::conversionCount(int channel) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = perChannel_.find(channel);
    return it == perChannel_.end() ? 0 : it->second;
}

int Max11337Model::sample(int channel, uint64_t nowUs)
{
    ChannelFunction function;
    Source source;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = channels_.find(channel);
        if (it != channels_.end())
            function = it->second;
        else
            source = source_;
    }
    // Called without the lock: a source may be a whole scene that takes its own locks.
    const int v = function ? function(nowUs) : source ? source(channel, nowUs) : 0;
    return std::clamp(v, 0, static_cast<int>(wiring::max11337::kDataMask));
}

int Max11337Model::spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len)
{
    // Each conversion is sampled at its own board time; the transfer then takes the time of
    // all of them in one wait, as one burst on the bus does (and one wait overshoots a real
    // clock once, not once per conversion).
    transferStartUs_ = clock_.monotonicUs();
    busyUs_ = 0;
    int rc = 0;
    for (size_t i = 0; i + 1 < len; i += 2) {
        uint32_t out = 0;
        const uint16_t word = static_cast<uint16_t>((tx[i] << 8) | tx[i + 1]);
        const unsigned reg = word & 0x8000 ? kConfiguration : kModeControl;
        const bool taken = readRegister(kOutput, &out) && writeRegister(reg, word);
        rx[i] = static_cast<uint8_t>(out >> 8);
        rx[i + 1] = static_cast<uint8_t>(out);
        if (!taken) {
            rc = -1;
            break;
        }
    }
    if (len % 2)
        rx[len - 1] = 0;
    // The conversions run while the frames are clocked: working their values out (a whole
    // scene, on a real clock) is part of the transfer's time, not added to it.
    const uint64_t doneUs = transferStartUs_ + busyUs_;
    const uint64_t nowUs = clock_.monotonicUs();
    if (doneUs > nowUs)
        clock_.sleepUs(doneUs - nowUs);
    return rc;
}

uint32_t Max11337Model::regRead(unsigned reg)
{
    if (reg != kOutput)
        return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    const uint16_t out = pending_ ? pendingFrame_ : 0;
    pending_ = false;
    return out;
}

void Max11337Model::regWrite(unsigned reg, uint32_t value)
{
    const bool manual = ((value >> 11) & 0xF) == 1;
    if (reg != kModeControl || !manual)
        return; // configuration registers and other scan modes convert nothing
    const int channel = (value >> 7) & 0xF;
    const int sampled = sample(channel, transferStartUs_ + busyUs_);
    busyUs_ += kConversionUs;
    std::lock_guard<std::mutex> lock(mutex_);
    const uint16_t junk = static_cast<uint16_t>(1 + conversions_ % 15);
    pendingFrame_ = static_cast<uint16_t>((junk << 12) | sampled);
    pending_ = true;
    ++conversions_;
    ++perChannel_[channel];
}

} // namespace platform::sim
