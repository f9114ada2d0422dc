// A demodulator handle on the fake I2C table, with a simulated board installed for its
// virtual clock, so the kit's waits cost nothing and show exactly in the trail.
#pragma once

#include "FakeKitI2c.h"
#include "SimBoardFixture.h"
#include "chipkit/kit_demod.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kittest {

// What a reading call of the kit gives, the call's failure a failure of the test. The
// output starts as a pattern no reading gives, so a call that leaves it alone shows.
template <class T>
T unread()
{
    T v;
    std::memset(&v, 0xA5, sizeof v);
    return v;
}
template <class Handle, class T>
T value(kit_result_t (*read)(Handle*, T*), Handle* handle)
{
    T v = unread<T>();
    EXPECT_EQ(read(handle, &v), KIT_RESULT_OK);
    return v;
}
template <class A, class B, class GivenA, class GivenB, class T>
T value(kit_result_t (*read)(A, B, T*), GivenA a, GivenB b)
{
    T v = unread<T>();
    EXPECT_EQ(read(static_cast<A>(a), static_cast<B>(b), &v), KIT_RESULT_OK);
    return v;
}

struct DemodBench {
    testsupport::ScopedBoard board;
    FakeKitI2c i2c;
    kit_demod_t demod;

    explicit DemodBench(uint32_t xtalId = 1, uint32_t tunerI2cMode = KIT_DEMOD_TUNER_I2C_REPEATER)
    {
        const kit_demod_create_param_t param = {xtalId, FakeKitI2c::kSlvt, tunerI2cMode};
        kit_demod_Create(&demod, &param, i2c.table());
    }

    // Initialises and starts a fresh log; asleep on success.
    kit_result_t initialize()
    {
        const kit_result_t r = kit_demod_Initialize(&demod);
        i2c.clearLog();
        return r;
    }
};

} // namespace kittest
