// The demodulator driver on the simulated demodulator: a state record bound through the
// driver's own I2C binding and the library's multiplexer to the board's bus, with its kit
// handle created, the compiled adjustment defaults in force, and what a search would leave
// behind when the kit has locked a channel: the block's parameters and TS lock.
#pragma once

#include "Cxd2856Bench.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_demod_dvbt.h"
#include "chipkit/kit_demod_dvbt2.h"
#include "chipkit/kit_demod_isdbt.h"
#include "chipkit/kit_integ.h"
#include "demod/DrvCXD2856_adjust.h"
#include "demod/DrvCXD2856_core.h"
#include "demod/DrvCXD2856_tasks.h"
#include "hw/DrvI2c.h"

#include <functional>
#include <memory>

namespace drivertest {

struct DriverOnChip : testsupport::Cxd2856Bench {
    DriverOnChip() : state(std::make_unique<st_t_data_CXD2856>()), pp(std::make_unique<st_t_plugplag_CXD2856>())
    {
        DrvI2c_LinkAndInit();
        KxlDrvLibError e{};
        DrvI2cMux_LinkAndInit(&e);
        s().i2c_context.handle = 0xFFFFFFFF;
        DrvCXD2856_i2c_init(&s().i2c, &s().i2c_context);
        const kit_demod_create_param_t param = {1, 0xD8, KIT_DEMOD_TUNER_I2C_REPEATER};
        kit_integ_Create(&s().integ, &s().demod, &param, &s().i2c, nullptr, nullptr, nullptr);
        s().plugplag = pp.get();
        for (auto section : {DRVCXD2856_PP_DVBT, DRVCXD2856_PP_DVBT2, DRVCXD2856_PP_DVBC, DRVCXD2856_PP_DVBC2,
                             DRVCXD2856_PP_ANNEXB, DRVCXD2856_PP_ISDBT})
            DrvCXD2856_update_adjustments(&e, section, nullptr, pp.get());
    }
    ~DriverOnChip() { DrvCXD2856_m_release_standards(state.get()); }

    st_t_data_CXD2856& s() { return *state; }

    // Powers the chip up and waits (10 ms steps, at most limitMs) until locked() holds.
    bool waitFor(const std::function<bool()>& locked, uint32_t limitMs = 2000)
    {
        for (uint32_t t = 0; t <= limitMs; t += 10) {
            if (locked())
                return true;
            advanceMs(10);
        }
        return false;
    }

    // Runs n ticks 100 ms apart (the execution period); the first error of any tick.
    KxlDrvLibError tick(int n = 1)
    {
        KxlDrvLibError first{};
        for (int i = 0; i < n; ++i) {
            KxlDrvLibError e{};
            DrvCXD2856_m_toc(&e, &s());
            KxlDrvLib_error_keep_first(&first, &e);
            advanceMs(100);
        }
        return first;
    }

    std::unique_ptr<st_t_data_CXD2856> state;
    std::unique_ptr<st_t_plugplag_CXD2856> pp;
};

} // namespace drivertest
