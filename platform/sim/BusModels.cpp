#include "BusModels.h"

namespace platform::sim {

int RegisterI2cModel::i2cWrite(const uint8_t* data, size_t len)
{
    if (len == 0)
        return 0; // address probe
    pointer_ = data[0];
    for (size_t i = 1; i < len; ++i) {
        regWrite(pointer_, data[i]);
        pointer_ = nextPointer(pointer_);
    }
    return 0;
}

int RegisterI2cModel::i2cRead(uint8_t* data, size_t len)
{
    for (size_t i = 0; i < len; ++i) {
        data[i] = regRead(pointer_);
        pointer_ = nextPointer(pointer_);
    }
    return 0;
}

} // namespace platform::sim
