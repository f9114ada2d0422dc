// MAX11337 converter in manual mode: a mode-control frame converts the channel it names,
// and the result comes out in the next frame. Each conversion takes 0.25 ms of board
// time; a transfer waits for all of its conversions at once. The value of a channel comes from a constant or a function of time set for it,
// else from the board-wide signal source (the RF scene), else 0; it is clamped to 12
// bits. The top 4 bits of every output frame carry junk (never 0), so a reader that
// forgets the 12-bit mask sees it.
#pragma once

#include "BusModels.h"
#include "common/Clock.h"

#include <functional>
#include <map>
#include <mutex>

namespace platform::sim {

class Max11337Model : public SpiChipModel {
public:
    // The registers the decoder addresses: a frame with bit 15 clear is the ADC mode
    // control, any other frame a configuration register; every frame shifts out the output.
    enum Register : unsigned { kModeControl, kConfiguration, kOutput };
    using ChannelFunction = std::function<int(uint64_t monotonicUs)>;
    using Source = std::function<int(int channel, uint64_t monotonicUs)>;
    static constexpr uint64_t kConversionUs = 250;

    explicit Max11337Model(common::Clock& clock) : clock_(clock) {}
    int spiTransfer(const uint8_t* tx, uint8_t* rx, size_t len) override;

    void setChannelValue(int channel, int raw);
    void setChannelFunction(int channel, ChannelFunction function);
    void clearChannel(int channel);
    void setSource(Source source);

    int conversionCount() const;
    // Conversions of one channel since the start.
    int conversionCount(int channel) const;

protected:
    void regWrite(unsigned reg, uint32_t value) override;
    uint32_t regRead(unsigned reg) override;

private:
    int sample(int channel, uint64_t nowUs);

    common::Clock& clock_;
    mutable std::mutex mutex_;
    // The transfer under way: when it started and the conversion time it has taken so far.
    uint64_t transferStartUs_ = 0;
    uint64_t busyUs_ = 0;
    std::map<int, ChannelFunction> channels_;
    Source source_;
    bool pending_ = false;
    uint16_t pendingFrame_ = 0;
    int conversions_ = 0;
    std::map<int, int> perChannel_;
};

} // namespace platform::sim
