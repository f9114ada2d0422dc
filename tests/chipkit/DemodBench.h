// A demodulator handle on the fake I2C table, with a simulated board installed for its
// virtual clock, so the kit's waits cost nothing and show exactly in the trail.
#pragma once

#include "FakeKitI2c.h"
#include "SimBoardFixture.h"
#include "chipkit/kit_demod.h"

namespace kittest {

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
