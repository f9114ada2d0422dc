#include "DrvCXD2856_dummy_tuner.h"

#include <cstring>

namespace {

kit_result_t NULL_Initialize(kit_tuner_terr_cable_t* tuner)
{
    if (!tuner)
        return KIT_RESULT_ERROR_ARG;
    std::memset(tuner->tunerData, 0, sizeof tuner->tunerData);
    tuner->user = 0;
    return KIT_RESULT_OK;
}

kit_result_t NULL_Tune(kit_tuner_terr_cable_t* tuner, uint32_t frequencyKHz, kit_dtv_system_t system,
                       kit_dtv_bandwidth_t bandwidth)
{
    if (!tuner)
        return KIT_RESULT_ERROR_ARG;
    tuner->frequencyKHz = frequencyKHz;
    tuner->system = system;
    tuner->bandwidth = bandwidth;
    return KIT_RESULT_OK;
}

kit_result_t NULL_Sleep(kit_tuner_terr_cable_t*) { return KIT_RESULT_OK; }

kit_result_t NULL_Shutdown(kit_tuner_terr_cable_t*) { return KIT_RESULT_OK; }

} // namespace

kit_result_t DrvCXD2856_dummy_tuner_create(kit_tuner_terr_cable_t* tuner, KxlDrvLibError* err)
{
    if (!err)
        return KIT_RESULT_ERROR_ARG;
    if (!tuner) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, DRVCXD2856_DUMMY_TUNER_TEXT_NULL);
        return KIT_RESULT_ERROR_ARG;
    }
    std::memset(tuner, 0, sizeof *tuner);
    tuner->Initialize = NULL_Initialize;
    tuner->Tune = NULL_Tune;
    tuner->Sleep = NULL_Sleep;
    tuner->Shutdown = NULL_Shutdown;
    return tuner->Initialize(tuner);
}
