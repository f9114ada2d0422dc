#include "DrvCXD2856_read_per.h"

#include "DrvCXD2856_kit_result.h"

#include "chipkit/kit_demod_dvbc2_monitor.h"
#include "chipkit/kit_demod_dvbc_monitor.h"
#include "chipkit/kit_demod_dvbs_s2_monitor.h"
#include "chipkit/kit_demod_j83b_monitor.h"

namespace {

using PerMonitor = kit_result_t (*)(kit_demod_t*, uint32_t*);

uint8_t readPer(PerMonitor monitor, uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint32_t per = 0;
    kit_result_t r = KIT_RESULT_ERROR_ARG;
    if (s) {
        DrvCXD2856_i2c_clear_error(&s->i2c);
        r = monitor(&s->demod, &per);
        DrvCXD2856_take_kit_result(err, &s->i2c, r);
    } else if (KxlDrvLib_error_is_ok(err)) {
        DrvCXD2856_translate_kit_result(r, err);
    }
    if (value)
        *value = r == KIT_RESULT_OK ? per : 0;
    return r == KIT_RESULT_OK;
}

} // namespace

uint8_t DrvCXD2856_m_dvbs_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state)
{
    return readPer(kit_demod_dvbs_s2_monitor_PER, value, err, state);
}

uint8_t DrvCXD2856_m_dvbc_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state)
{
    return readPer(kit_demod_dvbc_monitor_PER, value, err, state);
}

uint8_t DrvCXD2856_m_dvbc2_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state)
{
    return readPer(kit_demod_dvbc2_monitor_PER, value, err, state);
}

uint8_t DrvCXD2856_m_annexb_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state)
{
    return readPer(kit_demod_j83b_monitor_PER, value, err, state);
}

uint8_t DrvCXD2856_dvbs_read_PER(uint32_t* value, KxlDrvLibError* err)
{
    return DrvCXD2856_m_dvbs_read_PER(value, err, DrvCXD2856_state());
}

uint8_t DrvCXD2856_dvbc_read_PER(uint32_t* value, KxlDrvLibError* err)
{
    return DrvCXD2856_m_dvbc_read_PER(value, err, DrvCXD2856_state());
}

uint8_t DrvCXD2856_dvbc2_read_PER(uint32_t* value, KxlDrvLibError* err)
{
    return DrvCXD2856_m_dvbc2_read_PER(value, err, DrvCXD2856_state());
}

uint8_t DrvCXD2856_annexb_read_PER(uint32_t* value, KxlDrvLibError* err)
{
    return DrvCXD2856_m_annexb_read_PER(value, err, DrvCXD2856_state());
}
