// Helpers for writing expected register trails of the kit's standards: runs of bytes written
// from a register on, what a core helper writes on a fresh chip, and whether the monitor
// freeze was let go.
#pragma once

#include "DemodBench.h"

#include <functional>
#include <initializer_list>
#include <vector>

namespace kittest {

inline void append(std::vector<Step>& to, const std::vector<Step>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

// values written to SLVT bank from reg on.
inline std::vector<Step> bytes(int bank, int reg, std::initializer_list<int> values)
{
    std::vector<Step> out;
    for (int v : values)
        out.push_back(W(SLVT, bank, reg++, v));
    return out;
}

// What a helper of the kit core writes on a chip fresh from initialise.
inline std::vector<Step> writesOf(const std::function<void(kit_demod_t*)>& call)
{
    DemodBench b;
    b.initialize();
    call(&b.demod);
    return b.i2c.writes();
}

// The freeze register is one for all banks: the last write to it, in whatever bank, let go.
inline bool freezeReleased(const FakeKitI2c& i2c)
{
    const auto& w = i2c.writes();
    for (auto it = w.rbegin(); it != w.rend(); ++it)
        if (it->port == SLVT && it->reg == 0x01)
            return it->value == 0;
    return true;
}

// Sets values into SLVT bank from reg on.
inline void setBytes(FakeKitI2c& i2c, int bank, int reg, std::initializer_list<int> values)
{
    for (int v : values)
        i2c.setReg(SLVT, static_cast<uint8_t>(bank), static_cast<uint8_t>(reg++), static_cast<uint8_t>(v));
}

} // namespace kittest
