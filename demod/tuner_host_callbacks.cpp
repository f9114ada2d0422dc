#include "tuner_host_callbacks.h"

KxlDrvLibError* tuner_configuration(KxlDrvLibError* err, eSIGNAL_TYPE type, eCOLOR_SYSTEM colour,
                                    eANL_STD standard, uint32_t bandwidthHz)
{
    return DrvCXD2858_write_ter_cfg(err, type, bandwidthHz, colour, standard, DrvCXD2858_get_ter_frequency());
}

KxlDrvLibError* tuner_configuration_sat(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t symbolRateBd,
                                        uint32_t frequencyHz)
{
    return DrvCXD2858_write_sat_cfg(err, type, symbolRateBd, frequencyHz);
}

KxlDrvLibError* tuner_if_frequency_hz(KxlDrvLibError* err, int32_t* hz)
{
    if (hz)
        *hz = static_cast<int32_t>(DrvCXD2858_get_ter_if_frequency());
    return KxlDrvLib_error_ok(err);
}

KxlDrvLibError* get_tuner_frequency_hz(KxlDrvLibError* err, uint32_t* hz)
{
    // The DVB-C2 search counts the chip's carrier words from it: 0 would leave it nowhere.
    if (hz)
        *hz = DrvCXD2858_get_ter_frequency();
    return KxlDrvLib_error_ok(err);
}
