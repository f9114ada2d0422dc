// Builds little-endian adjustment-data blobs for the loader tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class AdjustmentBlob {
public:
    AdjustmentBlob& u8(uint8_t v)
    {
        bytes_.push_back(v);
        return *this;
    }
    AdjustmentBlob& u16(uint16_t v) { return put(v, 2); }
    AdjustmentBlob& s16(int16_t v) { return put(static_cast<uint16_t>(v), 2); }
    AdjustmentBlob& s32(int32_t v) { return put(static_cast<uint32_t>(v), 4); }
    // Overwrites one byte already written (a rejected blob is a good one with a field spoiled).
    AdjustmentBlob& set(size_t at, uint8_t v)
    {
        bytes_.at(at) = v;
        return *this;
    }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }

private:
    AdjustmentBlob& put(uint32_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    std::vector<uint8_t> bytes_;
};
