#include "DrvCXD2856.h"

#include "DrvCXD2856_burst.h"

#include "chipkit/kit_demod_dvbc2_monitor.h"
#include "chipkit/kit_demod_dvbc_monitor.h"
#include "chipkit/kit_demod_dvbt2_monitor.h"
#include "chipkit/kit_demod_dvbt_monitor.h"
#include "chipkit/kit_demod_isdbt_monitor.h"
#include "chipkit/kit_demod_j83b_monitor.h"

KxlDrvLibError* DrvCXD2856_m_read_agc_if(KxlDrvLibError* err, uint16_t* agc, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    kit_result_t (*monitor)(kit_demod_t*, uint32_t*) = nullptr;
    switch (s->demod.system) {
    case KIT_DTV_SYSTEM_DVBT:
        monitor = kit_demod_dvbt_monitor_IFAGCOut;
        break;
    case KIT_DTV_SYSTEM_DVBT2:
        monitor = kit_demod_dvbt2_monitor_IFAGCOut;
        break;
    case KIT_DTV_SYSTEM_DVBC:
        monitor = kit_demod_dvbc_monitor_IFAGCOut;
        break;
    case KIT_DTV_SYSTEM_DVBC2:
        monitor = kit_demod_dvbc2_monitor_IFAGCOut;
        break;
    case KIT_DTV_SYSTEM_ISDBT:
        monitor = kit_demod_isdbt_monitor_IFAGCOut;
        break;
    case KIT_DTV_SYSTEM_J83B:
        monitor = kit_demod_j83b_monitor_IFAGCOut;
        break;
    default:
        break;
    }
    uint32_t value = 0;
    if (monitor) {
        drvcxd2856::Burst b(err, s);
        b.kit(monitor(&s->demod, &value));
    } else {
        KxlDrvLib_error_set(err, KxlDrvLib_code_fail, 0, DRVCXD2856_TEXT_SW_STATE);
    }
    if (agc)
        *agc = static_cast<uint16_t>(value);
    return err;
}

KxlDrvLibError* DrvCXD2856_read_agc_if(KxlDrvLibError* err, uint16_t* agc)
{
    return DrvCXD2856_m_read_agc_if(err, agc, DrvCXD2856_state());
}
