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

inline std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step>& b)
{
    append(a, b);
    return a;
}

// values written to port's bank from reg on.
inline std::vector<Step> burst(int port, int bank, int reg, const std::vector<int>& values)
{
    std::vector<Step> out;
    for (int v : values)
        out.push_back(W(port, bank, reg++, v));
    return out;
}
inline std::vector<Step> bytes(int bank, int reg, std::initializer_list<int> values)
{
    return burst(SLVT, bank, reg, values);
}

// The chip's core woken into a standard (SLVX 0x17 code) and put back to sleep.
inline std::vector<Step> coreWake(int code)
{
    return {W(SLVX, 0, 0x17, code), W(SLVT, 0, 0xA9, 0), W(SLVT, 0, 0x2C, 1), W(SLVT, 0, 0x4B, 0x74),
            W(SLVT, 0, 0x49, 0),    W(SLVX, 0, 0x18, 0)};
}
inline std::vector<Step> coreSleep()
{
    return {W(SLVX, 0, 0x18, 1), W(SLVT, 0, 0x49, 0x33), W(SLVT, 0, 0x4B, 0x21), W(SLVT, 0, 0xFE, 0x01),
            W(SLVT, 0, 0x2C, 0), W(SLVT, 0, 0xA9, 0),    W(SLVX, 0, 0x17, 0x01)};
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

namespace kittest {

// A monitor in a table row, its reading widened to 64 bits. What it reads into starts at
// kUntouched, so a row can tell that a failed reading left it alone.
constexpr int64_t kUntouched = 77;
using Monitor = std::function<kit_result_t(kit_demod_t*, int64_t*)>;
template <class T>
Monitor monitor(kit_result_t (*read)(kit_demod_t*, T*))
{
    return [read](kit_demod_t* d, int64_t* value) {
        T v = static_cast<T>(kUntouched);
        const kit_result_t r = read(d, &v);
        *value = static_cast<int64_t>(v);
        return r;
    };
}
// The same for a monitor with arguments before its output: monitorOf<uint8_t>(lambda).
template <class T, class F>
Monitor monitorOf(F read)
{
    return [read](kit_demod_t* d, int64_t* value) {
        T v = static_cast<T>(kUntouched);
        const kit_result_t r = read(d, &v);
        *value = static_cast<int64_t>(v);
        return r;
    };
}

// Bytes set into SLVT bank from reg on.
struct Bytes {
    int bank, reg;
    std::vector<int> values;
};
// One reading of a table: the registers set, then the monitor's result and its value (on a
// failure the value must be kUntouched).
struct Reading {
    std::vector<Bytes> regs;
    Monitor read;
    kit_result_t result;
    int64_t value;
};

// Runs the rows in order on one bench: each leaves the monitor freeze released.
inline void expectReadings(DemodBench& b, const std::vector<Reading>& rows)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        for (const Bytes& r : rows[i].regs)
            for (size_t k = 0; k < r.values.size(); ++k)
                b.i2c.setReg(SLVT, static_cast<uint8_t>(r.bank), static_cast<uint8_t>(r.reg + k),
                             static_cast<uint8_t>(r.values[k]));
        int64_t value = 0;
        EXPECT_EQ(rows[i].read(&b.demod, &value), rows[i].result) << "row " << i;
        EXPECT_EQ(value, rows[i].result == KIT_RESULT_OK ? rows[i].value : kUntouched) << "row " << i;
        EXPECT_TRUE(freezeReleased(b.i2c)) << "row " << i;
    }
}

} // namespace kittest
