#include "ChannelResponse.h"

#include <cmath>
#include <string>

namespace platform::sim {

namespace {

int64_t signalled(const DigitalChannel& d, const std::string& key, int64_t fallback)
{
    const auto it = d.signalling.find(key);
    return it == d.signalling.end() ? fallback : it->second;
}

} // namespace

uint32_t channelResponseWord(const SceneCarrier* carrier, uint32_t point, std::mt19937& random)
{
    if (!carrier)
        return 0;
    if (point == 0)
        return channelresponse::kDirectPathWord;
    for (int n = 0; n < 4; ++n) {
        const std::string key = "echo" + std::to_string(n);
        if (signalled(carrier->digital, key + "Point", -1) == int64_t(point)) {
            const double db = double(signalled(carrier->digital, key + "Db", 0));
            return uint32_t(std::lround(channelresponse::kDirectPathWord * std::pow(10.0, -db / 10)));
        }
    }
    std::uniform_real_distribution<double> spread(0.5, 1.5);
    const double floor = channelresponse::kDirectPathWord * std::pow(10.0, -carrier->merDb / 10);
    return uint32_t(std::max(1L, std::lround(floor * spread(random))));
}

bool readChannelResponse(DemodContext& chip, uint8_t bank, uint8_t* value, bool locked)
{
    if (!(chip.slvt(bank, channelresponse::kMode) & 0x01))
        return false;
    const uint32_t point = (uint32_t(chip.slvt(bank, 0x98) & 0x7F) << 8) | chip.slvt(bank, 0x99);
    const uint32_t x = locked ? channelResponseWord(chip.input(), point, chip.random()) : 0;
    // Ten bits from bit 22, ten from bit 12, the low twelve shifted up one in a 13-bit field.
    const uint32_t high = x >> 22, middle = (x >> 12) & 0x3FF, low = (x & 0xFFF) << 1;
    const uint8_t bytes[6] = {uint8_t(high >> 8), uint8_t(high), uint8_t(middle >> 8), uint8_t(middle),
                              uint8_t(low >> 8), uint8_t(low)};
    for (int i = 0; i < 6; ++i)
        chip.setSlvt(bank, uint8_t(0x9C + i), bytes[i]);
    *value = locked ? 0x40 : 0x00;
    return true;
}

} // namespace platform::sim
