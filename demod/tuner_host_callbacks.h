// The host's tuner callbacks the demodulator driver is given at init: its searches ask
// through them for the tuner to be set for a signal type and bandwidth, and for the IF the
// tuner then delivers. They drive the static CXD2858 state.
#pragma once

#include "DrvCXD2858.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef KxlDrvLibError* (*tuner_configuration_t)(KxlDrvLibError* err, eSIGNAL_TYPE type, eCOLOR_SYSTEM colour,
                                                 eANL_STD standard, uint32_t bandwidthHz);
typedef KxlDrvLibError* (*tuner_configuration_sat_t)(KxlDrvLibError* err, eSIGNAL_TYPE type,
                                                     uint32_t symbolRateBd, uint32_t frequencyHz);
typedef KxlDrvLibError* (*tuner_if_frequency_hz_t)(KxlDrvLibError* err, int32_t* hz);
typedef KxlDrvLibError* (*get_tuner_frequency_hz_t)(KxlDrvLibError* err, uint32_t* hz);

// Retunes at the frequency last tuned with the new type and bandwidth.
KxlDrvLibError* tuner_configuration(KxlDrvLibError* err, eSIGNAL_TYPE type, eCOLOR_SYSTEM colour,
                                    eANL_STD standard, uint32_t bandwidthHz);
KxlDrvLibError* tuner_configuration_sat(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t symbolRateBd,
                                        uint32_t frequencyHz);
// The IF of the last terrestrial configuration.
KxlDrvLibError* tuner_if_frequency_hz(KxlDrvLibError* err, int32_t* hz);
// The frequency the tuner was last tuned to.
KxlDrvLibError* get_tuner_frequency_hz(KxlDrvLibError* err, uint32_t* hz);

#ifdef __cplusplus
}
#endif
