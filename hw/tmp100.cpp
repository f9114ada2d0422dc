#include "tmp100.h"

#include "ChipLog.h"
#include "i2cControl.h"

#include "common/BoardWiring.h"

#include <cstdint>

namespace {
constexpr const char* kChip = "TMP100->";
}

int tmp100_Initialize()
{
    const unsigned char config = wiring::tmp100::kConfig12Bit;
    if (i2cWriteRegisters(wiring::kTemperatureAddress, wiring::tmp100::kConfiguration, &config, 1) != 0) {
        chipLog(kChip, "tmp100_Initialize", wiring::tmp100::kConfiguration, wiring::kTemperatureAddress, "failed");
        return -1;
    }
    return 0;
}

int tmp100_ReadTemperature(float* celsius)
{
    unsigned char b[2] = {};
    if (!celsius || i2cReadRegisters(wiring::kTemperatureAddress, wiring::tmp100::kTemperature, b, 2) != 0) {
        chipLog(kChip, "tmp100_ReadTemperature", wiring::tmp100::kTemperature, wiring::kTemperatureAddress,
                "failed");
        return -1;
    }
    // Left-justified two's complement: whatever the resolution, 256 counts per degree.
    *celsius = static_cast<float>(static_cast<int16_t>((b[0] << 8) | b[1])) / 256.0f;
    return 0;
}
