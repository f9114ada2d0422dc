#include "DrvCXD2856_gate.h"

#include "chipkit/kit_demod.h"

KxlDrvLibError* DrvCXD2856_m_opengate(KxlDrvLibError* err, st_t_data_CXD2856* state)
{
    KxlDrvLib_error_ok(err);
    if (!state)
        return err;
    DrvCXD2856_i2c_clear_error(&state->i2c);
    kit_demod_TunerI2cEnable(&state->demod, KIT_DEMOD_TUNER_I2C_REPEATER);
    kit_demod_I2cRepeaterEnable(&state->demod, 1);
    return err;
}

KxlDrvLibError* DrvCXD2856_m_closegate(KxlDrvLibError* err, st_t_data_CXD2856* state)
{
    KxlDrvLib_error_ok(err);
    if (!state)
        return err;
    kit_demod_I2cRepeaterEnable(&state->demod, 0);
    kit_demod_TunerI2cEnable(&state->demod, KIT_DEMOD_TUNER_I2C_DIRECT);
    return err;
}

KxlDrvLibError* DrvCXD2856_opengate(KxlDrvLibError* err, uint32_t)
{
    return DrvCXD2856_m_opengate(err, DrvCXD2856_state());
}

KxlDrvLibError* DrvCXD2856_closegate(KxlDrvLibError* err, uint32_t)
{
    return DrvCXD2856_m_closegate(err, DrvCXD2856_state());
}
