#include "kit_demod_system.h"

#include "kit_demod_dvbc.h"
#include "kit_demod_dvbc2.h"
#include "kit_demod_dvbs_s2.h"
#include "kit_demod_dvbt.h"
#include "kit_demod_dvbt2.h"
#include "kit_demod_isdbt.h"
#include "kit_demod_j83b.h"

#include <stddef.h>

// One row per system id. DVB-S, DVB-S2 and "any" share the satellite sequences; 8, 9 and 10,
// systems this chip build does not run, stay empty.
static const kit_demod_system_ops_t systemOps[KIT_DTV_SYSTEM_COUNT] = {
    [KIT_DTV_SYSTEM_UNKNOWN] = {NULL},
    [KIT_DTV_SYSTEM_DVBT] = {kit_demod_dvbt_Sleep},
    [KIT_DTV_SYSTEM_DVBT2] = {kit_demod_dvbt2_Sleep},
    [KIT_DTV_SYSTEM_DVBC] = {kit_demod_dvbc_Sleep},
    [KIT_DTV_SYSTEM_DVBC2] = {kit_demod_dvbc2_Sleep},
    [KIT_DTV_SYSTEM_DVBS] = {kit_demod_dvbs_s2_Sleep},
    [KIT_DTV_SYSTEM_DVBS2] = {kit_demod_dvbs_s2_Sleep},
    [KIT_DTV_SYSTEM_ISDBT] = {kit_demod_isdbt_Sleep},
    [KIT_DTV_SYSTEM_J83B] = {kit_demod_j83b_Sleep},
    [KIT_DTV_SYSTEM_ANY] = {kit_demod_dvbs_s2_Sleep},
};

const kit_demod_system_ops_t* kit_demod_SystemOps(kit_dtv_system_t system)
{
    if (system == KIT_DTV_SYSTEM_UNKNOWN || system >= KIT_DTV_SYSTEM_COUNT)
        return NULL;
    return &systemOps[system];
}
